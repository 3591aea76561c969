#pragma once

// A pen: cosmetic (one pixel wide, possibly dashed) or geometric (any width,
// with end caps and joins; CreatePen's wide pens are geometric with round
// caps and joins).

#include "platform/win/gdi/GdiObject.h"

#include <vector>

namespace win {

class GdiPen : public GdiObject {
public:
    GdiPen(bool extended, DWORD style, DWORD width, COLORREF color, std::vector<DWORD> userStyle = {})
        : GdiObject(extended ? GdiKind::gkExtPen : GdiKind::gkPen), FStyle(style), FWidth(width),
          FColor(color), FUserStyle(std::move(userStyle)) {}

    DWORD Style() const { return FStyle & PS_STYLE_MASK; }
    DWORD FullStyle() const { return FStyle; }
    DWORD EndCap() const { return FStyle & PS_ENDCAP_MASK; }
    DWORD Join() const { return FStyle & PS_JOIN_MASK; }
    bool IsGeometric() const { return (FStyle & PS_TYPE_MASK) == PS_GEOMETRIC || FWidth > 1; }
    // Width in pixels; 0 means one pixel.
    DWORD Width() const { return FWidth; }
    COLORREF Color() const { return FColor; }
    const std::vector<DWORD>& UserStyle() const { return FUserStyle; }
    // The pen that DC_PEN selects takes its colour from the DC.
    bool IsDcPen() const { return FDcPen; }
    void MarkDcPen() { FDcPen = true; }

private:
    DWORD FStyle;
    DWORD FWidth;
    COLORREF FColor;
    std::vector<DWORD> FUserStyle;
    bool FDcPen = false;
};

} // namespace win

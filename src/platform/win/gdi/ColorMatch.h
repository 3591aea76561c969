#pragma once

// Colour matching shared by palettes, colour tables and colour conversion.

#include "platform/win/gdi/GdiTypes.h"

namespace win {

// Squared distance of two colours in RGB space.
constexpr DWORD ColorDistance(COLORREF a, COLORREF b) {
    const int dr = int{GetRValue(a)} - int{GetRValue(b)};
    const int dg = int{GetGValue(a)} - int{GetGValue(b)};
    const int db = int{GetBValue(a)} - int{GetBValue(b)};
    return static_cast<DWORD>(dr * dr + dg * dg + db * db);
}

// The entry of a colour table nearest to `color`; an exact match wins.
UINT NearestColorIndex(const RGBQUAD* colors, int count, COLORREF color);

constexpr COLORREF ColorFromQuad(const RGBQUAD& q) {
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

} // namespace win

#pragma once

// Conversion of pixel values between the formats of a source and a
// destination bitmap, with GDI's rules: a 32-bit source copied to a 32-bit
// destination keeps all four bytes; a source of fewer bits lands on a 32-bit
// destination with alpha 0; a monochrome device bitmap becomes the DC's text
// colour (0 bits) and background colour (1 bits); on a monochrome device
// bitmap, colours equal to the background colour become 1 and all others 0;
// other palette destinations take the nearest colour of their table.

#include "platform/win/gdi/PixelFormat.h"

#include <vector>

namespace win {

// The pixel value of a colour (its low 24 bits) in a format; alpha 0 on 32 bits.
DWORD ColorToPixel(const DibView& dib, COLORREF color);
// The colour of a pixel value (the alpha byte of 32-bit pixels is dropped).
COLORREF PixelToColor(const DibView& dib, DWORD pixel);

struct TranslateContext {
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    bool sourceIsMonoDdb = false;
    bool destIsMonoDdb = false;
};

class ColorTranslator {
public:
    ColorTranslator(const DibView& src, const DibView& dst, const TranslateContext& context);

    bool IsIdentity() const { return FMode == Mode::Identity; }
    void Translate(const DWORD* in, DWORD* out, LONG count) const;
    DWORD TranslateOne(DWORD value) const;

private:
    enum class Mode { Identity, Table, Direct, ToIndexed };

    Mode FMode = Mode::Identity;
    std::vector<DWORD> FTable;
    DibView FSrc;
    DibView FDst;
    TranslateContext FContext;
    // Last conversion to a palette format: runs of equal pixels are common.
    mutable DWORD FLastIn = 0xFFFFFFFFu;
    mutable DWORD FLastOut = 0;
};

} // namespace win

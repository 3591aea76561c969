#include "platform/win/gdi/GdiBrush.h"

#include "platform/win/gdi/ColorTranslator.h"

#include <new>

namespace win {

// HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL (\), HS_BDIAGONAL (/), HS_CROSS,
// HS_DIAGCROSS.
const BYTE GdiBrush::HatchBits[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08}, {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},
};

namespace {

LONG Wrap(LONG v, LONG n) {
    const LONG m = v % n;
    return m < 0 ? m + n : m;
}

} // namespace

std::shared_ptr<GdiBrush> GdiBrush::Make() {
    return std::shared_ptr<GdiBrush>(new (std::nothrow) GdiBrush());
}

void BrushPattern::Row(LONG x, LONG y, LONG count, DWORD* out, std::uint8_t* paintsOut) const {
    if (isSolid) {
        std::fill_n(out, count, solid);
        if (paintsOut) {
            std::fill_n(paintsOut, count, std::uint8_t{1});
        }
        return;
    }
    const LONG py = Wrap(y - origin.y, height);
    const DWORD* row = pixels.data() + static_cast<size_t>(py) * width;
    const std::uint8_t* paintRow = paints.empty() ? nullptr : paints.data() + static_cast<size_t>(py) * width;
    LONG px = Wrap(x - origin.x, width);
    for (LONG i = 0; i < count; ++i) {
        out[i] = row[px];
        if (paintsOut) {
            paintsOut[i] = paintRow ? paintRow[px] : 1;
        }
        if (++px == width) {
            px = 0;
        }
    }
}

std::shared_ptr<GdiBrush> GdiBrush::Solid(COLORREF color) {
    auto brush = Make();
    if (brush) {
        brush->FStyle = BS_SOLID;
        brush->FColor = color & 0xFFFFFF;
    }
    return brush;
}

std::shared_ptr<GdiBrush> GdiBrush::Null() {
    auto brush = Make();
    if (brush) {
        brush->FStyle = BS_NULL;
    }
    return brush;
}

std::shared_ptr<GdiBrush> GdiBrush::Hatch(int hatchStyle, COLORREF color) {
    if (hatchStyle < HS_HORIZONTAL || hatchStyle > HS_DIAGCROSS) {
        return Solid(color);
    }
    auto brush = Make();
    if (brush) {
        brush->FStyle = BS_HATCHED;
        brush->FColor = color & 0xFFFFFF;
        brush->FHatch = static_cast<ULONG_PTR>(hatchStyle);
    }
    return brush;
}

std::shared_ptr<GdiBrush> GdiBrush::Pattern(std::shared_ptr<GdiBitmap> bitmap, bool dibPattern) {
    auto brush = Make();
    if (brush) {
        brush->FStyle = dibPattern ? BS_DIBPATTERN : BS_PATTERN;
        brush->FDibPattern = dibPattern;
        brush->FPattern = std::move(bitmap);
    }
    return brush;
}

std::shared_ptr<GdiBrush> GdiBrush::DcBrush() {
    auto brush = Make();
    if (brush) {
        brush->FStyle = BS_SOLID;
        brush->FDcBrush = true;
    }
    return brush;
}

LOGBRUSH GdiBrush::LogBrush() const {
    LOGBRUSH lb{};
    lb.lbStyle = FStyle;
    lb.lbColor = FColor;
    lb.lbHatch = FHatch;
    if (FStyle == BS_PATTERN || FStyle == BS_DIBPATTERN) {
        lb.lbHatch = 0;
    }
    return lb;
}

BrushPattern GdiBrush::Realize(const DibView& dst, const BrushContext& context) const {
    BrushPattern pattern;
    pattern.origin = context.origin;
    // A brush never writes alpha: its pixels carry 0 in the fourth byte.
    const DWORD keep = dst.bitsPerPixel == 32 ? 0x00FFFFFFu : PixelMask(dst.bitsPerPixel);
    // Colours become the nearest pixel value, also on monochrome bitmaps.
    auto pixelOf = [&](COLORREF c) { return ColorToPixel(dst, c) & keep; };
    switch (FStyle) {
    case BS_NULL:
        pattern.isNull = true;
        return pattern;
    case BS_SOLID:
        pattern.isSolid = true;
        pattern.solid = pixelOf(FDcBrush ? context.dcBrushColor : FColor);
        return pattern;
    case BS_HATCHED: {
        pattern.width = 8;
        pattern.height = 8;
        pattern.pixels.resize(64);
        const DWORD fore = pixelOf(FColor);
        const DWORD back = pixelOf(context.bkColor);
        const bool transparent = context.bkMode == TRANSPARENT;
        if (transparent) {
            pattern.paints.resize(64);
        }
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool line = (HatchBits[FHatch][y] >> (7 - x)) & 1;
                pattern.pixels[y * 8 + x] = line ? fore : back;
                if (transparent) {
                    pattern.paints[y * 8 + x] = line ? 1 : 0;
                }
            }
        }
        return pattern;
    }
    default: {
        const DibView& src = FPattern->View();
        TranslateContext tc{context.textColor, context.bkColor, FPattern->IsMonoDdb(), context.destIsMonoDdb};
        ColorTranslator translator(src, dst, tc);
        pattern.width = src.width;
        pattern.height = src.height;
        pattern.pixels.resize(static_cast<size_t>(src.width) * src.height);
        for (LONG y = 0; y < src.height; ++y) {
            DWORD* row = pattern.pixels.data() + static_cast<size_t>(y) * src.width;
            src.ops->ReadRow(src, 0, y, src.width, row);
            translator.Translate(row, row, src.width);
            for (LONG x = 0; x < src.width; ++x) {
                row[x] &= keep;
            }
        }
        return pattern;
    }
    }
}

} // namespace win

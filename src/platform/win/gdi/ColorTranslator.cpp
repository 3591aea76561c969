#include "platform/win/gdi/ColorTranslator.h"

#include "platform/win/gdi/ColorMatch.h"

#include <algorithm>

namespace win {

UINT NearestColorIndex(const RGBQUAD* colors, int count, COLORREF color) {
    UINT best = 0;
    DWORD bestDistance = 0xFFFFFFFFu;
    for (int i = 0; i < count; ++i) {
        const DWORD d = ColorDistance(color, ColorFromQuad(colors[i]));
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<UINT>(i);
            if (d == 0) {
                break;
            }
        }
    }
    return best;
}

namespace {

constexpr DWORD SwapRedBlue(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Channels of fewer than 8 bits repeat their top bits below them, so the
// largest value becomes 255 and reducing again (dropping the low bits) gives
// back the value exactly.
constexpr DWORD Expand5(DWORD v) {
    return (v << 3) | (v >> 2);
}

constexpr DWORD Expand6(DWORD v) {
    return (v << 2) | (v >> 4);
}

DWORD Rgb16FromColor(Rgb16Layout layout, COLORREF color) {
    const DWORD r = GetRValue(color) >> 3u;
    const DWORD g = GetGValue(color);
    const DWORD b = GetBValue(color) >> 3u;
    if (layout == Rgb16Layout::rl565) {
        return (r << 11) | ((g >> 2) << 5) | b;
    }
    return (r << 10) | ((g >> 3) << 5) | b;
}

COLORREF ColorFromRgb16(Rgb16Layout layout, DWORD pixel) {
    const auto b = static_cast<BYTE>(Expand5(pixel & 31));
    if (layout == Rgb16Layout::rl565) {
        return RGB(static_cast<BYTE>(Expand5((pixel >> 11) & 31)),
                   static_cast<BYTE>(Expand6((pixel >> 5) & 63)), b);
    }
    return RGB(static_cast<BYTE>(Expand5((pixel >> 10) & 31)), static_cast<BYTE>(Expand5((pixel >> 5) & 31)),
               b);
}

} // namespace

DWORD ColorToPixel(const DibView& dib, COLORREF color) {
    color &= 0x00FFFFFF;
    switch (dib.bitsPerPixel) {
    case 32:
    case 24:
        return SwapRedBlue(color);
    case 16:
        return Rgb16FromColor(dib.rgb16, color);
    default:
        if (!dib.colors || dib.colorCount == 0) {
            return ColorDistance(color, 0) > ColorDistance(color, 0xFFFFFF) ? 1 : 0;
        }
        return NearestColorIndex(dib.colors, dib.colorCount, color);
    }
}

COLORREF PixelToColor(const DibView& dib, DWORD pixel) {
    switch (dib.bitsPerPixel) {
    case 32:
    case 24:
        return SwapRedBlue(pixel & 0xFFFFFF);
    case 16:
        return ColorFromRgb16(dib.rgb16, pixel);
    default:
        if (dib.colors && pixel < static_cast<DWORD>(dib.colorCount)) {
            return ColorFromQuad(dib.colors[pixel]);
        }
        return pixel ? 0xFFFFFF : 0;
    }
}

ColorTranslator::ColorTranslator(const DibView& src, const DibView& dst, const TranslateContext& context)
    : FSrc(src), FDst(dst), FContext(context) {
    const bool srcIndexed = src.bitsPerPixel <= 8;
    const bool dstIndexed = dst.bitsPerPixel <= 8;
    if (srcIndexed) {
        const bool sameTable =
            src.bitsPerPixel == dst.bitsPerPixel && src.colorCount == dst.colorCount &&
            context.sourceIsMonoDdb == context.destIsMonoDdb &&
            (src.colors == dst.colors || (src.colors && dst.colors &&
                                          std::equal(src.colors, src.colors + src.colorCount, dst.colors,
                                                     [](const RGBQUAD& a, const RGBQUAD& b) {
                                                         return ColorFromQuad(a) == ColorFromQuad(b);
                                                     })));
        if (sameTable || (context.sourceIsMonoDdb && context.destIsMonoDdb)) {
            FMode = Mode::Identity;
            return;
        }
        FMode = Mode::Table;
        const DWORD entries = DWORD{1} << src.bitsPerPixel;
        FTable.resize(entries);
        for (DWORD i = 0; i < entries; ++i) {
            COLORREF c;
            if (context.sourceIsMonoDdb) {
                c = i ? context.bkColor : context.textColor;
            } else {
                c = PixelToColor(src, i);
            }
            FTable[i] = context.destIsMonoDdb ? ((c & 0xFFFFFF) == (context.bkColor & 0xFFFFFF) ? 1 : 0)
                                              : ColorToPixel(dst, c);
        }
        return;
    }
    const bool sameLayout = src.bitsPerPixel != 16 || src.rgb16 == dst.rgb16;
    if ((src.bitsPerPixel == dst.bitsPerPixel && sameLayout) ||
        (src.bitsPerPixel == 24 && dst.bitsPerPixel == 32)) {
        // 24-bit values have a zero top byte: on 32 bits that is alpha 0.
        FMode = Mode::Identity;
        return;
    }
    FMode = dstIndexed ? Mode::ToIndexed : Mode::Direct;
}

DWORD ColorTranslator::TranslateOne(DWORD value) const {
    switch (FMode) {
    case Mode::Identity:
        return value;
    case Mode::Table:
        return value < FTable.size() ? FTable[value] : 0;
    case Mode::Direct:
        if (FDst.bitsPerPixel == 24 && FSrc.bitsPerPixel == 32) {
            return value & 0xFFFFFF;
        }
        return ColorToPixel(FDst, PixelToColor(FSrc, value));
    case Mode::ToIndexed:
        if (value != FLastIn) {
            const COLORREF c = PixelToColor(FSrc, value);
            FLastOut =
                FContext.destIsMonoDdb ? (c == (FContext.bkColor & 0xFFFFFF) ? 1 : 0) : ColorToPixel(FDst, c);
            FLastIn = value;
        }
        return FLastOut;
    }
    return value;
}

void ColorTranslator::Translate(const DWORD* in, DWORD* out, LONG count) const {
    if (FMode == Mode::Identity) {
        if (in != out) {
            std::copy_n(in, count, out);
        }
        return;
    }
    for (LONG i = 0; i < count; ++i) {
        out[i] = TranslateOne(in[i]);
    }
}

} // namespace win

#include "platform/win/gdi/ColorTranslator.h"

#include "platform/win/gdi/ColorMatch.h"

#include <algorithm>
#include <array>

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

// 16-bit values to and from 0x00RRGGBB, the 24- and 32-bit pixel values.
template <Rgb16Layout Layout>
constexpr DWORD XrgbFromRgb16(DWORD v) {
    if constexpr (Layout == Rgb16Layout::rl565) {
        return (Expand5((v >> 11) & 31) << 16) | (Expand6((v >> 5) & 63) << 8) | Expand5(v & 31);
    } else {
        return (Expand5((v >> 10) & 31) << 16) | (Expand5((v >> 5) & 31) << 8) | Expand5(v & 31);
    }
}

template <Rgb16Layout Layout>
constexpr DWORD Rgb16FromXrgb(DWORD v) {
    if constexpr (Layout == Rgb16Layout::rl565) {
        return ((v >> 8) & 0xF800) | ((v >> 5) & 0x07E0) | ((v >> 3) & 0x001F);
    } else {
        return ((v >> 9) & 0x7C00) | ((v >> 6) & 0x03E0) | ((v >> 3) & 0x001F);
    }
}

DWORD XrgbFromRgb16(Rgb16Layout layout, DWORD v) {
    return layout == Rgb16Layout::rl565 ? XrgbFromRgb16<Rgb16Layout::rl565>(v)
                                        : XrgbFromRgb16<Rgb16Layout::rl555>(v);
}

DWORD Rgb16FromXrgb(Rgb16Layout layout, DWORD v) {
    return layout == Rgb16Layout::rl565 ? Rgb16FromXrgb<Rgb16Layout::rl565>(v)
                                        : Rgb16FromXrgb<Rgb16Layout::rl555>(v);
}

// Widening copies every output bit from one input bit, so it splits into
// the contributions of the low and the high byte, ORed: two table lookups a
// pixel instead of shifting and masking each channel.
struct WideningTables {
    std::array<DWORD, 256> low;
    std::array<DWORD, 256> high;
};

template <Rgb16Layout Layout>
constexpr WideningTables MakeWideningTables() {
    WideningTables t{};
    for (DWORD b = 0; b < 256; ++b) {
        t.low[b] = XrgbFromRgb16<Layout>(b);
        t.high[b] = XrgbFromRgb16<Layout>(b << 8);
    }
    return t;
}

template <Rgb16Layout Layout>
constexpr WideningTables Widening = MakeWideningTables<Layout>();

// Whole rows from a 16-bit layout to 24/32 bits and back.
template <Rgb16Layout Layout>
void WidenRow(const DWORD* in, DWORD* out, LONG count) {
    const WideningTables& t = Widening<Layout>;
    for (LONG i = 0; i < count; ++i) {
        const DWORD v = in[i];
        out[i] = t.low[v & 0xFF] | t.high[(v >> 8) & 0xFF];
    }
}

template <Rgb16Layout Layout>
void NarrowRow(const DWORD* in, DWORD* out, LONG count) {
    for (LONG i = 0; i < count; ++i) {
        out[i] = Rgb16FromXrgb<Layout>(in[i]);
    }
}

} // namespace

DWORD ColorToPixel(const DibView& dib, COLORREF color) {
    color &= 0x00FFFFFF;
    switch (dib.bitsPerPixel) {
    case 32:
    case 24:
        return SwapRedBlue(color);
    case 16:
        return Rgb16FromXrgb(dib.rgb16, SwapRedBlue(color));
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
        return SwapRedBlue(XrgbFromRgb16(dib.rgb16, pixel));
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
    // Between 16 bits and 24 or 32 bits every channel converts on its own.
    const bool srcWide = FSrc.bitsPerPixel >= 24;
    const bool dstWide = FDst.bitsPerPixel >= 24;
    if (FMode == Mode::Direct && srcWide != dstWide) {
        const bool is565 = (srcWide ? FDst.rgb16 : FSrc.rgb16) == Rgb16Layout::rl565;
        if (dstWide) {
            (is565 ? WidenRow<Rgb16Layout::rl565> : WidenRow<Rgb16Layout::rl555>)(in, out, count);
        } else {
            (is565 ? NarrowRow<Rgb16Layout::rl565> : NarrowRow<Rgb16Layout::rl555>)(in, out, count);
        }
        return;
    }
    for (LONG i = 0; i < count; ++i) {
        out[i] = TranslateOne(in[i]);
    }
}

} // namespace win

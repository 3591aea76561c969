// Raster operations on 32-bit DIBs: all 32 bits take part, drawn pixels get
// alpha 0, untouched pixels keep all four bytes.

#include "GdiTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

using namespace gdi_test;

namespace {

struct RopRow {
    const char* name;
    DWORD rop;
    std::function<std::uint32_t(std::uint32_t p, std::uint32_t s, std::uint32_t d)> model;
};

// The pattern is a solid brush (alpha byte 0); source and destination carry
// alpha, so every code shows what it does to the fourth byte.
const RopRow ropRows[] = {
    {"SRCCOPY", SRCCOPY, [](auto, auto s, auto) { return s; }},
    {"SRCPAINT", SRCPAINT, [](auto, auto s, auto d) { return s | d; }},
    {"SRCAND", SRCAND, [](auto, auto s, auto d) { return s & d; }},
    {"SRCINVERT", SRCINVERT, [](auto, auto s, auto d) { return s ^ d; }},
    {"SRCERASE", SRCERASE, [](auto, auto s, auto d) { return s & ~d; }},
    {"NOTSRCCOPY", NOTSRCCOPY, [](auto, auto s, auto) { return ~s; }},
    {"NOTSRCERASE", NOTSRCERASE, [](auto, auto s, auto d) { return ~(s | d); }},
    {"MERGECOPY", MERGECOPY, [](auto p, auto s, auto) { return p & s; }},
    {"MERGEPAINT", MERGEPAINT, [](auto, auto s, auto d) { return ~s | d; }},
    {"PATCOPY", PATCOPY, [](auto p, auto, auto) { return p; }},
    {"PATPAINT", PATPAINT, [](auto p, auto s, auto d) { return p | ~s | d; }},
    {"PATINVERT", PATINVERT, [](auto p, auto, auto d) { return p ^ d; }},
    {"DSTINVERT", DSTINVERT, [](auto, auto, auto d) { return ~d; }},
    {"BLACKNESS", BLACKNESS, [](auto, auto, auto) { return 0u; }},
    {"WHITENESS", WHITENESS, [](auto, auto, auto) { return 0xFFFFFFFFu; }},
    // Codes without a fast path, evaluated from the truth table: DPSao and PSDnox.
    {"0xEA02E9 (D|(P&S))", 0x00EA02E9, [](auto p, auto s, auto d) { return d | (p & s); }},
    {"0x2D060A (P^(S|~D))", 0x002D060A, [](auto p, auto s, auto d) { return p ^ (s | ~d); }},
};

} // namespace

TEST(RasterOperations, EveryCodeCombinesAllFourBytes) {
    const COLORREF brushColor = RGB(0x12, 0x34, 0x56);
    const std::uint32_t pattern = Drawn(brushColor);
    for (const RopRow& row : ropRows) {
        SCOPED_TRACE(row.name);
        Canvas dst(4, 2);
        Canvas src(4, 2);
        dst.FillPattern();
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 4; ++x) {
                src.At(x, y) = 0x5A00FF00u ^ (std::uint32_t(x) * 0x11111111u);
            }
        }
        HBRUSH brush = CreateSolidBrush(brushColor);
        HGDIOBJ old = SelectObject(dst.dc, brush);
        ASSERT_TRUE(BitBlt(dst.dc, 1, 0, 2, 2, src.dc, 1, 0, row.rop));
        SelectObject(dst.dc, old);
        DeleteObject(brush);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 4; ++x) {
                const std::uint32_t expected = (x == 1 || x == 2)
                                                   ? row.model(pattern, src.At(x, y), Canvas::Pattern(x, y))
                                                   : Canvas::Pattern(x, y);
                EXPECT_EQ(dst.At(x, y), expected) << "at " << x << "," << y;
            }
        }
    }
}

TEST(RasterOperations, PatBltRefusesSourceCodes) {
    Canvas dst(2, 2);
    SetLastError(0);
    EXPECT_FALSE(PatBlt(dst.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(RasterOperations, AlphaFixSequenceOfTheSkinLibrary) {
    // Merge copy with the white stock brush, pattern invert, destination
    // invert: colour kept, alpha becomes 255 whatever it was.
    Canvas c(3, 1);
    c.At(0, 0) = 0x00102030;
    c.At(1, 0) = 0x7F405060;
    c.At(2, 0) = 0xFF708090;
    HGDIOBJ old = SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
    ASSERT_TRUE(BitBlt(c.dc, 0, 0, 3, 1, c.dc, 0, 0, MERGECOPY));
    ASSERT_TRUE(PatBlt(c.dc, 0, 0, 3, 1, PATINVERT));
    ASSERT_TRUE(PatBlt(c.dc, 0, 0, 3, 1, DSTINVERT));
    SelectObject(c.dc, old);
    EXPECT_EQ(c.At(0, 0), 0xFF102030u);
    EXPECT_EQ(c.At(1, 0), 0xFF405060u);
    EXPECT_EQ(c.At(2, 0), 0xFF708090u);
}

TEST(RasterOperations, BlitBetweenFormats) {
    // An 8-bit source lands with alpha 0; a 32-bit one keeps its alpha; a
    // monochrome device bitmap takes the text (0) and background (1) colours.
    Canvas dst(3, 1);
    dst.FillPattern();
    Canvas pal(3, 1, 8, {{0, 0, 255, 0}, {10, 20, 30, 0}, {255, 255, 255, 0}});
    pal.Row(0)[0] = 1;
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 1, 1, pal.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.At(0, 0), 0x001E140Au);

    Canvas argb(1, 1);
    argb.At(0, 0) = 0x80112233;
    ASSERT_TRUE(BitBlt(dst.dc, 1, 0, 1, 1, argb.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.At(1, 0), 0x80112233u);

    const std::uint8_t monoBits[4] = {0x80, 0, 0, 0}; // pixel 0 set, pixel 1 clear
    HBITMAP mono = CreateBitmap(2, 1, 1, 1, monoBits);
    HDC monoDc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(monoDc, mono);
    SetTextColor(dst.dc, RGB(1, 2, 3));
    SetBkColor(dst.dc, RGB(4, 5, 6));
    ASSERT_TRUE(BitBlt(dst.dc, 1, 0, 2, 1, monoDc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.At(1, 0), Drawn(RGB(4, 5, 6)));
    EXPECT_EQ(dst.At(2, 0), Drawn(RGB(1, 2, 3)));
    SelectObject(monoDc, old);
    DeleteDC(monoDc);
    DeleteObject(mono);
}

TEST(RasterOperations, OverlappingCopiesWithinOneBitmap) {
    struct Move {
        int x, y, w, h, sx, sy;
    } moves[] = {{1, 1, 4, 4, 0, 0}, {0, 0, 4, 4, 2, 2}, {0, 2, 6, 3, 0, 1}, {2, 0, 3, 6, 1, 0}};
    for (const Move& m : moves) {
        Canvas c(6, 6);
        c.FillPattern();
        ASSERT_TRUE(BitBlt(c.dc, m.x, m.y, m.w, m.h, c.dc, m.sx, m.sy, SRCCOPY));
        // The model: every destination pixel shows the source as it was before.
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 6; ++x) {
                const bool inside = x >= m.x && x < m.x + m.w && y >= m.y && y < m.y + m.h;
                const std::uint32_t expected =
                    inside ? Canvas::Pattern(x - m.x + m.sx, y - m.y + m.sy) : Canvas::Pattern(x, y);
                EXPECT_EQ(c.At(x, y), expected) << x << "," << y;
            }
        }
    }
}

TEST(RasterOperations, SourceOutsideItsBitmapLeavesDestinationAlone) {
    Canvas dst(4, 4);
    Canvas src(2, 2);
    dst.FillPattern();
    src.Fill(0x11223344);
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 4, 4, src.dc, -1, -1, SRCCOPY));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool copied = x >= 1 && x < 3 && y >= 1 && y < 3;
            EXPECT_EQ(dst.At(x, y), copied ? 0x11223344u : Canvas::Pattern(x, y));
        }
    }
}

TEST(StretchBlt, EnlargeReplicatesAndShrinkSamplesOrAverages) {
    Canvas src(2, 2);
    const std::uint32_t px[4] = {0x10203040, 0x50607080, 0x90A0B0C0, 0xD0E0F000};
    src.At(0, 0) = px[0];
    src.At(1, 0) = px[1];
    src.At(0, 1) = px[2];
    src.At(1, 1) = px[3];
    Canvas big(6, 6);
    ASSERT_TRUE(StretchBlt(big.dc, 0, 0, 6, 6, src.dc, 0, 0, 2, 2, SRCCOPY));
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(big.At(x, y), px[(y / 3) * 2 + x / 3]) << x << "," << y;
        }
    }
    // Back down by three: COLORONCOLOR takes the centre pixel of each block,
    // HALFTONE averages the block (here uniform, so exactly the colour).
    Canvas small(2, 2);
    for (int mode : {COLORONCOLOR, HALFTONE}) {
        SetStretchBltMode(small.dc, mode);
        small.Fill(0);
        ASSERT_TRUE(StretchBlt(small.dc, 0, 0, 2, 2, big.dc, 0, 0, 6, 6, SRCCOPY));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(small.At(i % 2, i / 2), px[i]) << "mode " << mode;
        }
    }
}

TEST(StretchBlt, HalftoneAveragesEveryChannel) {
    Canvas src(2, 1);
    src.At(0, 0) = 0x00000000;
    src.At(1, 0) = 0xFF80FF40;
    Canvas dst(1, 1);
    SetStretchBltMode(dst.dc, HALFTONE);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dst.At(0, 0), 0x80408020u);
}

namespace {

// HALFTONE's area average, computed plainly: on each axis destination pixel j
// covers [j*s, (j+1)*s) in units where a source pixel is d long; a source
// pixel weighs its covered length, rounded cumulatively so the weights sum to
// 256, and pixels beyond the bitmap lend their weight to the edge pixel. Rows
// are resampled across first, every channel sum rounded, then down.
struct HalftoneTap {
    int index;
    std::uint32_t weight;
};

std::vector<std::vector<HalftoneTap>> HalftoneTaps(int srcStart, int s, int d, bool mirror, int limit) {
    std::vector<std::vector<HalftoneTap>> taps(static_cast<size_t>(d));
    for (int i = 0; i < d; ++i) {
        const long long j = mirror ? d - 1 - i : i;
        const long long begin = j * s;
        const long long end = (j + 1) * s;
        std::uint32_t previous = 0;
        for (long long k = begin / d; k <= (end - 1) / d; ++k) {
            const long long covered = std::min(end, (k + 1) * d) - begin;
            const auto cumulative = static_cast<std::uint32_t>((covered * 256 + s / 2) / s);
            const long long source = srcStart + (mirror ? s - 1 - k : k);
            taps[static_cast<size_t>(i)].push_back(
                {static_cast<int>(std::clamp<long long>(source, 0, limit - 1)), cumulative - previous});
            previous = cumulative;
        }
    }
    return taps;
}

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

std::uint32_t HalftoneSum(const std::vector<HalftoneTap>& taps, const std::function<std::uint32_t(int)>& at) {
    std::uint32_t out = 0;
    for (int c = 0; c < 4; ++c) {
        std::uint32_t sum = 0;
        for (const HalftoneTap& t : taps)
            sum += ((at(t.index) >> (8 * c)) & 0xFF) * t.weight;
        out |= ((sum + 128) >> 8) << (8 * c);
    }
    return out;
}

} // namespace

// Every ratio from enlarging to shrinking by five, mirrored, with the source
// rectangle past the bitmap's edge, from 32-bit and 24-bit sources: each
// pixel drawn is the area average.
TEST(StretchBlt, HalftoneIsTheAreaAverageAtEveryRatio) {
    struct Case {
        int srcW, srcH, srcX, dstW, dstH;
        int bpp;
    } cases[] = {
        {30, 9, 0, 20, 6, 32},  {30, 9, 0, 12, 4, 32},  {30, 9, 0, 11, 3, 32},  {30, 9, 0, 10, 3, 32},
        {30, 9, 0, 8, 2, 32},   {30, 9, 0, 6, 2, 32},   {30, 9, 0, 45, 14, 32}, {7, 5, 0, 23, 11, 32},
        {30, 9, 0, -12, 4, 32}, {30, 9, 0, -45, 9, 32}, {30, 9, 4, 12, 4, 32},  {30, 9, 0, 12, 4, 24},
        {30, 9, 2, -17, 5, 24}, {5, 3, 0, 3, 2, 32},
    };
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcW << "x" << c.srcH << " from " << c.srcX << " to " << c.dstW
                                        << "x" << c.dstH << ", " << c.bpp << "-bit");
        const int bitmapW = 30;
        Canvas src(bitmapW, c.srcH, c.bpp);
        std::vector<std::uint32_t> argb(static_cast<size_t>(bitmapW * c.srcH));
        for (int y = 0; y < c.srcH; ++y) {
            for (int x = 0; x < bitmapW; ++x) {
                const std::uint32_t v = next();
                if (c.bpp == 32) {
                    src.At(x, y) = v;
                    argb[static_cast<size_t>(y * bitmapW + x)] = v;
                } else {
                    std::memcpy(src.Row(y) + 3 * x, &v, 3);
                    argb[static_cast<size_t>(y * bitmapW + x)] = v & 0xFFFFFF;
                }
            }
        }
        const int w = std::abs(c.dstW);
        Canvas dst(w, c.dstH);
        const std::uint32_t untouched = 0x01020304;
        dst.Fill(untouched);
        SetStretchBltMode(dst.dc, HALFTONE);
        ASSERT_TRUE(StretchBlt(dst.dc, c.dstW < 0 ? w : 0, 0, c.dstW, c.dstH, src.dc, c.srcX, 0, c.srcW,
                               c.srcH, SRCCOPY));
        const auto columns = HalftoneTaps(c.srcX, c.srcW, w, c.dstW < 0, bitmapW);
        const auto rows = HalftoneTaps(0, c.srcH, c.dstH, false, c.srcH);
        int drawn = 0;
        for (int y = 0; y < c.dstH; ++y) {
            for (int x = 0; x < w; ++x) {
                if (dst.At(x, y) == untouched)
                    continue;
                ++drawn;
                const std::uint32_t expected = HalftoneSum(rows[static_cast<size_t>(y)], [&](int sy) {
                    return HalftoneSum(columns[static_cast<size_t>(x)],
                                       [&](int sx) { return argb[static_cast<size_t>(sy * bitmapW + sx)]; });
                });
                ASSERT_EQ(Hex(dst.At(x, y)), Hex(expected)) << "at " << x << "," << y;
            }
        }
        EXPECT_GE(drawn, w * c.dstH * 3 / 4);
    }
}

TEST(StretchBlt, NegativeExtentsMirror) {
    Canvas src(3, 1);
    src.At(0, 0) = 1;
    src.At(1, 0) = 2;
    src.At(2, 0) = 3;
    Canvas dst(3, 1);
    // The destination [0, 3) given from its right edge with a negative width.
    ASSERT_TRUE(StretchBlt(dst.dc, 3, 0, -3, 1, src.dc, 0, 0, 3, 1, SRCCOPY));
    EXPECT_EQ(dst.At(0, 0), 3u);
    EXPECT_EQ(dst.At(1, 0), 2u);
    EXPECT_EQ(dst.At(2, 0), 1u);
}

TEST(AlphaBlend, PerPixelAndConstantAlphaFollowTheBlendFormulas) {
    auto div255 = [](std::uint32_t x) { return (x + 127) / 255; };
    const std::uint32_t s = 0x80402010; // premultiplied, alpha 128
    const std::uint32_t d = 0xFF80C0F0;
    struct Row {
        BYTE format;
        BYTE constant;
    } rows[] = {{AC_SRC_ALPHA, 255}, {AC_SRC_ALPHA, 100}, {0, 64}};
    for (const Row& row : rows) {
        Canvas src(1, 1);
        Canvas dst(1, 1);
        src.At(0, 0) = s;
        dst.At(0, 0) = d;
        ASSERT_TRUE(AlphaBlend(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 1, 1,
                               BLENDFUNCTION{AC_SRC_OVER, 0, row.constant, row.format}));
        std::uint32_t expected = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const std::uint32_t sc = (s >> shift) & 0xFF;
            const std::uint32_t dc = (d >> shift) & 0xFF;
            std::uint32_t out;
            if (row.format == AC_SRC_ALPHA) {
                const std::uint32_t scaled = div255(sc * row.constant);
                const std::uint32_t sa = div255((s >> 24) * row.constant);
                out = scaled + div255(dc * (255 - sa));
            } else {
                out = div255(sc * row.constant + dc * (255 - row.constant));
            }
            expected |= std::min<std::uint32_t>(out, 255) << shift;
        }
        EXPECT_EQ(dst.At(0, 0), expected) << int(row.format) << "/" << int(row.constant);
    }
}

TEST(AlphaBlend, RefusesBadArgumentsLikeGdi) {
    Canvas src(2, 2);
    Canvas dst(2, 2);
    Canvas src24(2, 2, 24);
    const BLENDFUNCTION perPixel{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    struct Row {
        const char* name;
        HDC source;
        int sx, sw, w;
        BLENDFUNCTION blend;
    } rows[] = {
        {"source rectangle outside the bitmap", src.dc, 1, 2, 2, perPixel},
        {"negative width", src.dc, 0, 2, -2, perPixel},
        {"per-pixel alpha from a 24-bit source", src24.dc, 0, 2, 2, perPixel},
        {"unknown blend operation", src.dc, 0, 2, 2, BLENDFUNCTION{1, 0, 255, 0}},
    };
    for (const Row& row : rows) {
        SetLastError(0);
        EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, row.w, 2, row.source, row.sx, 0, row.sw, 2, row.blend))
            << row.name;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << row.name;
    }
}

TEST(TransparentBlt, LeavesTheKeyColourOut) {
    Canvas src(3, 1, 24);
    SetPixel(src.dc, 0, 0, RGB(255, 0, 255));
    SetPixel(src.dc, 1, 0, RGB(1, 2, 3));
    SetPixel(src.dc, 2, 0, RGB(255, 0, 255));
    Canvas dst(3, 1);
    dst.FillPattern();
    ASSERT_TRUE(TransparentBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, 3, 1, RGB(255, 0, 255)));
    EXPECT_EQ(dst.At(0, 0), Canvas::Pattern(0, 0));
    EXPECT_EQ(dst.At(1, 0), Drawn(RGB(1, 2, 3)));
    EXPECT_EQ(dst.At(2, 0), Canvas::Pattern(2, 0));
}

TEST(GradientFill, RectanglesInterpolateSixteenBitChannels) {
    TRIVERTEX v[2] = {{0, 0, 0x0000, 0x1000, 0xFF00, 0x0000}, {4, 2, 0xFF00, 0x1000, 0x0000, 0x8000}};
    GRADIENT_RECT mesh{0, 1};
    for (ULONG mode : {GRADIENT_FILL_RECT_H, GRADIENT_FILL_RECT_V}) {
        Canvas c(5, 3);
        c.FillPattern();
        ASSERT_TRUE(GradientFill(c.dc, v, 2, &mesh, 1, mode));
        const int length = mode == GRADIENT_FILL_RECT_H ? 4 : 2;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                if (x >= 4 || y >= 2) {
                    EXPECT_EQ(c.At(x, y), Canvas::Pattern(x, y));
                    continue;
                }
                const int pos = mode == GRADIENT_FILL_RECT_H ? x : y;
                auto ch = [&](COLOR16 a, COLOR16 b) {
                    return std::uint32_t((a + (int(b) - a) * pos / length) >> 8);
                };
                const std::uint32_t expected = ch(v[0].Blue, v[1].Blue) | (ch(v[0].Green, v[1].Green) << 8) |
                                               (ch(v[0].Red, v[1].Red) << 16) |
                                               (ch(v[0].Alpha, v[1].Alpha) << 24);
                EXPECT_EQ(c.At(x, y), expected) << x << "," << y << " mode " << mode;
            }
        }
    }
}

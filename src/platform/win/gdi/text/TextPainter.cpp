#include "platform/win/gdi/text/TextPainter.h"

#include "platform/win/gdi/ColorTranslator.h"
#include "platform/win/gdi/Raster.h"

#include <cmath>

namespace win::text {

namespace {

// x / 255, rounded, for x in [0, 255 * 255].
inline DWORD Div255(DWORD x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

inline DWORD BlendChannel(DWORD over, DWORD under, DWORD coverage) {
    return Div255(over * coverage + under * (255 - coverage));
}

// 0x00RRGGBB pixel values blended channel by channel; alpha becomes 0.
inline DWORD BlendRgb(DWORD over, DWORD under, DWORD coverage) {
    return (BlendChannel((over >> 16) & 0xFF, (under >> 16) & 0xFF, coverage) << 16) |
           (BlendChannel((over >> 8) & 0xFF, (under >> 8) & 0xFF, coverage) << 8) |
           BlendChannel(over & 0xFF, under & 0xFF, coverage);
}

// COLORREF (0x00BBGGRR) as 0x00RRGGBB and back.
inline DWORD RgbOf(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF ColorOfRgb(DWORD v) {
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

} // namespace

TextPainter::TextPainter(DeviceContext& dc, FontFace& font, std::optional<RECT> clip)
    : FDc(dc), FFont(font),
      FVisible(clip ? dc.TotalClip().Intersected(RectNormalized(*clip)) : dc.TotalClip()) {}

void TextPainter::Fill(const RECT& surfaceRect, COLORREF color) {
    const DibView& dib = FDc.Surface();
    const DWORD pixel = FDc.PixelOf(color & 0xFFFFFF);
    for (const RECT& r : FVisible.ClipRects(RectNormalized(surfaceRect))) {
        dib.ops->SolidRect(dib, r, 0, pixel);
    }
}

void TextPainter::DrawRun(const ShapedRun& run, POINT origin, COLORREF color) {
    if (run.glyphs.empty() || FVisible.IsEmpty()) {
        return;
    }
    const RECT& box = FVisible.Box();
    const TEXTMETRICW& tm = FFont.Metrics();
    // Glyphs far outside the visible area are skipped before they are
    // rendered, which keeps huge strings cheap.
    const LONG reach = tm.tmMaxCharWidth * 2 + tm.tmHeight * 2;
    const bool rotated = FFont.Rotated();
    const double ux = std::cos(FFont.Angle());
    const double uy = -std::sin(FFont.Angle());
    const DWORD pixel = FDc.PixelOf(color & 0xFFFFFF);

    std::vector<POINT> origins;
    ShapedRun visible;
    for (std::size_t i = 0; i < run.glyphs.size(); ++i) {
        const ShapedGlyph& g = run.glyphs[i];
        POINT at{origin.x + g.x, origin.y + g.y};
        if (rotated) {
            // Along the baseline by x, across it (downwards) by y.
            at.x = origin.x + static_cast<LONG>(std::lround(g.x * ux - g.y * uy));
            at.y = origin.y + static_cast<LONG>(std::lround(g.x * uy + g.y * ux));
        }
        if (at.x < box.left - reach || at.x > box.right + reach || at.y < box.top - reach ||
            at.y > box.bottom + reach) {
            continue;
        }
        visible.glyphs.push_back(g);
        origins.push_back(at);
    }
    const auto bitmaps = FFont.Glyphs(visible);
    for (std::size_t i = 0; i < bitmaps.size(); ++i) {
        const GlyphBitmap& glyph = *bitmaps[i];
        if (glyph.width > 0 && glyph.height > 0) {
            BlendGlyph(glyph, origins[i].x + glyph.left, origins[i].y + glyph.top, color, pixel);
        }
    }
}

void TextPainter::BlendGlyph(const GlyphBitmap& glyph, LONG left, LONG top, COLORREF color, DWORD pixel) {
    const RECT area{left, top, left + glyph.width, top + glyph.height};
    if (FVisible.Rects().size() == 1) {
        const RECT part = RectIntersection(area, FVisible.Rects().front());
        if (!RectIsEmpty(part)) {
            BlendRect(glyph, left, top, part, color, pixel);
        }
        return;
    }
    for (const RECT& part : FVisible.ClipRects(area)) {
        BlendRect(glyph, left, top, part, color, pixel);
    }
}

void TextPainter::BlendRect(const GlyphBitmap& glyph, LONG left, LONG top, const RECT& part, COLORREF color,
                            DWORD pixel) {
    const DibView& dib = FDc.Surface();
    const LONG count = part.right - part.left;
    const DWORD rgb = RgbOf(color & 0xFFFFFF);
    std::vector<DWORD> row;
    for (LONG y = part.top; y < part.bottom; ++y) {
        const std::uint8_t* coverage =
            glyph.coverage.data() + static_cast<std::size_t>(y - top) * glyph.width + (part.left - left);
        if (dib.bitsPerPixel == 32) {
            DWORD* out = dib.Row32(y) + part.left;
            for (LONG i = 0; i < count; ++i) {
                const DWORD c = coverage[i];
                if (c == 255) {
                    out[i] = pixel;
                } else if (c != 0) {
                    out[i] = BlendRgb(rgb, out[i], c);
                }
            }
        } else if (dib.bitsPerPixel >= 16) {
            row.resize(static_cast<std::size_t>(count));
            dib.ops->ReadRow(dib, part.left, y, count, row.data());
            for (LONG i = 0; i < count; ++i) {
                const DWORD c = coverage[i];
                if (c != 0) {
                    const DWORD under = RgbOf(PixelToColor(dib, row[i]));
                    row[i] = ColorToPixel(dib, ColorOfRgb(BlendRgb(rgb, under, c)));
                }
            }
            dib.ops->WriteRow(dib, part.left, y, count, row.data());
        } else {
            for (LONG i = 0; i < count; ++i) {
                if (coverage[i] >= 128) {
                    dib.ops->MaskPixel(dib, part.left + i, y, 0, pixel);
                }
            }
        }
    }
}

void TextPainter::DrawStroke(POINT origin, LONG from, LONG to, TextStroke stroke, COLORREF color) {
    if (FFont.Rotated() || to <= from) {
        // FIXME: strokes of rotated text are not drawn.
        return;
    }
    Fill(
        RECT{origin.x + from, origin.y + stroke.top, origin.x + to, origin.y + stroke.top + stroke.thickness},
        color);
}

void TextPainter::DrawDecorations(POINT origin, LONG width, COLORREF color) {
    if (FFont.Underlined()) {
        DrawStroke(origin, 0, width, FFont.UnderlineStroke(), color);
    }
    if (FFont.StruckOut()) {
        DrawStroke(origin, 0, width, FFont.StrikeOutStroke(), color);
    }
}

} // namespace win::text

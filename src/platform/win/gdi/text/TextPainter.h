#pragma once

// Puts text on a locked DC, in surface coordinates: glyph coverage blended
// in the text colour, underline and strike-out strokes, and background
// boxes. Everything is clipped to the DC and, when given, to a clip
// rectangle. GDI's two properties hold on 32-bit bitmaps: a pixel the text
// touches (an antialiased edge pixel too, blended in colour with what was
// there) gets alpha 0; a pixel it does not touch keeps all four bytes.
// Palette bitmaps take a glyph pixel when it is at least half covered.

#include "platform/win/gdi/DeviceContext.h"
#include "platform/win/gdi/text/FontFace.h"

#include <optional>

namespace win::text {

class TextPainter {
public:
    TextPainter(DeviceContext& dc, FontFace& font, std::optional<RECT> clip);

    // A box in a plain colour (backgrounds).
    void Fill(const RECT& surfaceRect, COLORREF color);
    // The glyphs of a run whose origin (on the baseline) is at `origin`;
    // a rotated font turns the run around it.
    void DrawRun(const ShapedRun& run, POINT origin, COLORREF color);
    // A stroke from `from` to `to` along the baseline of a run at `origin`
    // (unrotated fonts only).
    void DrawStroke(POINT origin, LONG from, LONG to, TextStroke stroke, COLORREF color);
    // The font's underline and strike-out (when it has them) under a run.
    void DrawDecorations(POINT origin, LONG width, COLORREF color);

private:
    void BlendGlyph(const GlyphBitmap& glyph, LONG left, LONG top, COLORREF color, DWORD pixel);
    void BlendRect(const GlyphBitmap& glyph, LONG left, LONG top, const RECT& part, COLORREF color,
                   DWORD pixel);

    DeviceContext& FDc;
    FontFace& FFont;
    Region FVisible;
};

} // namespace win::text

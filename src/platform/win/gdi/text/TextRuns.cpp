#include "platform/win/gdi/text/Text_p.h"

namespace win::text {

std::shared_ptr<FontFace> FontOf(const DeviceContext& dc) {
    const auto& font = dc.State().font;
    return font ? FontFace::ForLogFont(font->LogFont()) : nullptr;
}

std::shared_ptr<const ShapedRun> WithCharacterExtra(std::shared_ptr<const ShapedRun> run, int extra) {
    if (extra == 0 || run->carets.empty()) {
        return run;
    }
    auto spaced = std::make_shared<ShapedRun>(*run);
    for (ShapedGlyph& g : spaced->glyphs) {
        g.x += extra * static_cast<LONG>(g.cluster);
    }
    for (std::size_t i = 0; i < spaced->carets.size(); ++i) {
        spaced->carets[i] += extra * static_cast<LONG>(i + 1);
    }
    spaced->width = spaced->carets.back();
    return spaced;
}

std::shared_ptr<const ShapedRun> WithAdvances(const ShapedRun& run, const INT* dx, bool pairs) {
    auto placed = std::make_shared<ShapedRun>(run);
    const std::size_t count = placed->carets.size();
    std::vector<LONG> startX(count + 1, 0);
    std::vector<LONG> startY(count + 1, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = pairs ? 2 * i : i;
        startX[i + 1] = startX[i] + dx[at];
        // The y values move along the font's vertical direction, which
        // points up.
        startY[i + 1] = startY[i] - (pairs ? dx[at + 1] : 0);
        placed->carets[i] = startX[i + 1];
    }
    for (ShapedGlyph& g : placed->glyphs) {
        g.x = startX[g.cluster];
        g.y = startY[g.cluster];
    }
    placed->width = count ? placed->carets.back() : 0;
    return placed;
}

} // namespace win::text

#pragma once

// Rendered glyphs of one realised font, kept so that repeated text costs a
// lookup instead of a rasterisation. Glyphs are handed out as shared,
// immutable bitmaps: dropping the cache (when it outgrows its budget) never
// pulls a glyph from under a drawing in progress. Not thread-safe by itself;
// its font guards it.

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace win::text {

// 8-bit coverage (0 = untouched, 255 = fully covered), top row first.
// (left, top) is the bitmap's top-left corner relative to the glyph origin on
// the baseline, y growing downwards.
struct GlyphBitmap {
    LONG left = 0;
    LONG top = 0;
    LONG width = 0;
    LONG height = 0;
    std::vector<std::uint8_t> coverage;

    std::size_t Bytes() const { return coverage.size() + sizeof(GlyphBitmap); }
};

class GlyphCache {
public:
    explicit GlyphCache(std::size_t budgetBytes) : FBudget(budgetBytes) {}

    std::shared_ptr<const GlyphBitmap> Find(std::uint32_t glyph) const {
        auto found = FGlyphs.find(glyph);
        return found == FGlyphs.end() ? nullptr : found->second;
    }

    // Keeps the glyph unless it alone would take more than half the budget;
    // a full cache starts over.
    void Add(std::uint32_t glyph, std::shared_ptr<const GlyphBitmap> bitmap) {
        const std::size_t bytes = bitmap->Bytes();
        if (bytes > FBudget / 2) {
            return;
        }
        if (FBytes + bytes > FBudget) {
            FGlyphs.clear();
            FBytes = 0;
        }
        FBytes += bytes;
        FGlyphs[glyph] = std::move(bitmap);
    }

    std::size_t Count() const { return FGlyphs.size(); }

private:
    std::size_t FBudget;
    std::size_t FBytes = 0;
    std::unordered_map<std::uint32_t, std::shared_ptr<const GlyphBitmap>> FGlyphs;
};

} // namespace win::text

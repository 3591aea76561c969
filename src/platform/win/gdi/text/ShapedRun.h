#pragma once

// A line of text turned into positioned glyphs, in whole pixels along the
// baseline from the run's origin, plus the caret position after each UTF-16
// unit (the partial extents that measuring reports). A glyph standing for
// several units (a ligature, a surrogate pair) shares its advance out among
// them.

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <vector>

namespace win::text {

struct ShapedGlyph {
    std::uint32_t index = 0; // glyph index in the font
    LONG x = 0;              // origin along the baseline
    LONG y = 0;              // offset from the baseline, downwards
    std::uint32_t cluster = 0;
};

struct ShapedRun {
    std::vector<ShapedGlyph> glyphs;
    std::vector<LONG> carets; // carets[i]: extent of units 0..i
    LONG width = 0;

    // Extent of units [0, count).
    LONG ExtentOf(std::size_t count) const { return count == 0 ? 0 : carets[count - 1]; }
};

// How text becomes glyphs: shaped (kerning and ligatures), one glyph per
// character from the character map, or units that already are glyph indexes.
enum class ShapeMode : std::uint8_t { smShaped, smNominal, smGlyphIndexes };

} // namespace win::text

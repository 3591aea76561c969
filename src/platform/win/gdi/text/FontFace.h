#pragma once

// A logical font realised at its size: a FreeType face set to the pixel size
// the LOGFONTW asks for (negative height = character height, positive = cell
// height, 0 = the default), its text metrics computed the way GDI computes
// them for outline fonts (ascent and descent from the OS/2 table's Windows
// metrics), a HarfBuzz font that shapes text with kerning and ligatures, and
// the caches that make repeated text cheap: shaped runs and rendered glyphs.
//
// Quality: NONANTIALIASED_QUALITY gives hinted one-bit glyphs; every other
// quality gives grey antialiased glyphs with light (vertical-only) hinting,
// our stand-in for ClearType's look. Weights and italics the file lacks are
// synthesised (emboldened and slanted outlines). A non-zero escapement
// rotates the glyphs; positions along the baseline stay unrotated and the
// drawing code turns them.
//
// Realised fonts are shared between all DCs and threads; each one guards its
// FreeType and HarfBuzz objects with its own lock.

#include "platform/win/gdi/text/FontLibrary.h"
#include "platform/win/gdi/text/GlyphCache.h"
#include "platform/win/gdi/text/ShapedRun.h"
#include "platform/win/gdi/text/TextTypes.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct hb_font_t;
struct hb_buffer_t;

namespace win::text {

// Pixel sizes beyond this are refused: nobody reads 2000-pixel text, and a
// glyph of that size already takes megabytes.
inline constexpr LONG MAX_FONT_PIXEL_SIZE = 2048;
// The character height that a height of 0 stands for (9 points at 96 dpi).
inline constexpr LONG DEFAULT_FONT_PIXEL_SIZE = 12;

// A horizontal stroke relative to the baseline: its top row (downwards
// positive) and its thickness in pixels.
struct TextStroke {
    LONG top = 0;
    LONG thickness = 1;
};

class FontFace {
public:
    // The realised font for a logical font, shared and cached; nullptr when
    // no font can be realised (no usable file, absurd size).
    static std::shared_ptr<FontFace> ForLogFont(const LOGFONTW& logFont);

    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;
    ~FontFace();

    const TEXTMETRICW& Metrics() const { return FMetrics; }
    const LOGFONTW& LogFont() const { return FLogFont; }
    bool Antialiased() const { return FAntialiased; }
    bool Underlined() const { return FLogFont.lfUnderline != 0; }
    bool StruckOut() const { return FLogFont.lfStrikeOut != 0; }
    TextStroke UnderlineStroke() const { return FUnderline; }
    TextStroke StrikeOutStroke() const { return FStrikeOut; }
    // Direction of the baseline in radians, counter-clockwise; 0 when the
    // font is not rotated.
    double Angle() const { return FAngle; }
    bool Rotated() const { return FAngle != 0.0; }

    // Shapes one line of text (no line breaks are interpreted).
    std::shared_ptr<const ShapedRun> Shape(std::u16string_view text, ShapeMode mode);
    // The rendered glyphs of a run, in the run's glyph order.
    std::vector<std::shared_ptr<const GlyphBitmap>> Glyphs(const ShapedRun& run);
    // A, B and C widths of a character; nullopt when the font cannot load it.
    std::optional<ABC> CharAbc(char32_t c);

private:
    struct Impl;
    explicit FontFace(std::unique_ptr<Impl> impl);
    static std::shared_ptr<FontFace> Create(const LOGFONTW& logFont);

    std::shared_ptr<ShapedRun> ShapeLocked(std::u16string_view text, ShapeMode mode);
    std::shared_ptr<ShapedRun> ShapeWithHarfBuzz(std::u16string_view text);
    std::shared_ptr<ShapedRun> ShapeNominal(std::u16string_view text, ShapeMode mode);
    std::shared_ptr<const GlyphBitmap> GlyphLocked(std::uint32_t glyph);
    std::uint32_t CharIndexLocked(char32_t c) const;
    LONG AdvanceLocked(std::uint32_t glyph) const;

    std::unique_ptr<Impl> FImpl;
    LOGFONTW FLogFont{};
    TEXTMETRICW FMetrics{};
    TextStroke FUnderline;
    TextStroke FStrikeOut;
    bool FAntialiased = true;
    double FAngle = 0.0;

    std::mutex FLock;
    GlyphCache FGlyphs;
    std::unordered_map<std::u16string, std::shared_ptr<const ShapedRun>> FShapedRuns[3];
};

} // namespace win::text

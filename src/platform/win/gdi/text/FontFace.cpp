#include "platform/win/gdi/text/FontFace.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H
#include FT_GLYPH_H
#include <hb-ft.h>
#include <hb.h>

namespace win::text {

namespace {

// Glyph bitmaps each realised font may keep.
constexpr std::size_t GLYPH_CACHE_BYTES = 4 << 20;
// Shaped runs kept per mode, and the longest text worth keeping.
constexpr std::size_t SHAPED_RUNS_KEPT = 512;
constexpr std::size_t SHAPED_RUN_MAX_UNITS = 256;
// Realised fonts kept by logical font.
constexpr std::size_t REALISED_FONTS_KEPT = 128;
// Slant of a synthesised italic (tan 12 degrees in 16.16), as FreeType's own.
constexpr FT_Fixed OBLIQUE_SHEAR = 0x0366A;

LONG RoundDiv(LONGLONG numerator, LONGLONG denominator) {
    if (denominator == 0) {
        return 0;
    }
    const double value = static_cast<double>(numerator) / static_cast<double>(denominator);
    return static_cast<LONG>(std::lround(value));
}

LONG Px26(FT_Pos v) {
    return static_cast<LONG>((v + 32) >> 6);
}

// The logical font as a cache key: face name compared without case and
// without whatever follows its terminator.
LOGFONTW NormalisedKey(const LOGFONTW& logFont) {
    LOGFONTW key = logFont;
    bool ended = false;
    for (WCHAR& c : key.lfFaceName) {
        ended = ended || c == 0;
        if (ended) {
            c = 0;
        } else if (c >= u'A' && c <= u'Z') {
            c = static_cast<WCHAR>(c - u'A' + u'a');
        }
    }
    key.lfFaceName[LF_FACESIZE - 1] = 0;
    return key;
}

struct WindowsMetrics {
    LONG ascent;  // font units
    LONG descent; // font units, positive
    LONG lineGap; // font units
    LONG averageWidth;
    LONG weightClass;
    LONG strikeOutPosition;
    LONG strikeOutSize;
};

WindowsMetrics ReadWindowsMetrics(FT_Face face) {
    WindowsMetrics m{face->ascender, -face->descender, 0, 0, 400, 0, 0};
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (os2 && os2->version != 0xFFFF) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            m.ascent = os2->usWinAscent;
            m.descent = os2->usWinDescent;
        }
        m.averageWidth = os2->xAvgCharWidth;
        m.weightClass = os2->usWeightClass;
        m.strikeOutPosition = os2->yStrikeoutPosition;
        m.strikeOutSize = os2->yStrikeoutSize;
    }
    if (hhea) {
        // GDI's external leading: the line gap less what the Windows metrics
        // already add to the typographic extent.
        const LONG hheaExtent = hhea->Ascender - hhea->Descender;
        m.lineGap = std::max<LONG>(0, hhea->Line_Gap - ((m.ascent + m.descent) - hheaExtent));
    }
    if (m.ascent + m.descent <= 0) {
        m.ascent = face->units_per_EM;
        m.descent = 0;
    }
    return m;
}

std::pair<char16_t, char16_t> CharRange(FT_Face face) {
    FT_UInt glyph = 0;
    FT_ULong first = FT_Get_First_Char(face, &glyph);
    FT_ULong last = first;
    for (FT_ULong c = first; glyph != 0 && c <= 0xFFFF; c = FT_Get_Next_Char(face, c, &glyph)) {
        last = c;
    }
    return {static_cast<char16_t>(std::min<FT_ULong>(first, 0xFFFF)),
            static_cast<char16_t>(std::min<FT_ULong>(last, 0xFFFF))};
}

// Decodes one code point at `i` (advancing it); a lone surrogate is U+FFFD.
char32_t NextCodePoint(std::u16string_view text, std::size_t& i) {
    const char32_t c = text[i++];
    if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
        return 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
    }
    return (c >= 0xD800 && c <= 0xDFFF) ? 0xFFFD : c;
}

// Shares each cluster's advance out among its units and sums them up.
void FillCarets(ShapedRun& run, const std::vector<LONG>& clusterAdvance,
                const std::vector<char>& clusterStart) {
    const std::size_t count = clusterAdvance.size();
    run.carets.assign(count, 0);
    LONG pen = 0;
    for (std::size_t i = 0; i < count;) {
        std::size_t end = i + 1;
        while (end < count && !clusterStart[end]) {
            ++end;
        }
        const LONGLONG total = clusterAdvance[i];
        const LONGLONG units = static_cast<LONGLONG>(end - i);
        for (std::size_t u = i; u < end; ++u) {
            const LONGLONG k = static_cast<LONGLONG>(u - i);
            pen += static_cast<LONG>(total * (k + 1) / units - total * k / units);
            run.carets[u] = pen;
        }
        i = end;
    }
    run.width = pen;
}

} // namespace

struct FontFace::Impl {
    FontSource source;
    FT_Face face = nullptr;
    hb_font_t* hbFont = nullptr;
    hb_buffer_t* buffer = nullptr;
    FT_Int32 loadFlags = 0;
    FT_Pos boldStrength = 0; // 26.6, horizontal only
    LONG boldExtra = 0;      // pixels added to each advance
    bool transformed = false;
    FT_Matrix matrix{0x10000, 0, 0, 0x10000};
};

FontFace::FontFace(std::unique_ptr<Impl> impl) : FImpl(std::move(impl)), FGlyphs(GLYPH_CACHE_BYTES) {}

FontFace::~FontFace() {
    FontLibrary::Instance().WithLibraryLock([this] {
        if (FImpl->buffer) {
            hb_buffer_destroy(FImpl->buffer);
        }
        if (FImpl->hbFont) {
            hb_font_destroy(FImpl->hbFont);
        }
        if (FImpl->face) {
            FT_Done_Face(FImpl->face);
        }
    });
}

std::shared_ptr<FontFace> FontFace::ForLogFont(const LOGFONTW& logFont) {
    static std::mutex lock;
    static std::unordered_map<std::string, std::shared_ptr<FontFace>> realised;
    static std::uint64_t generation = 0;

    const LOGFONTW normalised = NormalisedKey(logFont);
    const std::string key(reinterpret_cast<const char*>(&normalised), sizeof normalised);
    const std::uint64_t current = FontLibrary::Instance().Generation();
    {
        std::lock_guard guard(lock);
        if (current != generation) {
            realised.clear();
            generation = current;
        }
        if (auto found = realised.find(key); found != realised.end()) {
            return found->second;
        }
    }
    // Realising takes a while; two threads may race to realise the same
    // font, and the second result simply replaces the first.
    auto face = Create(logFont);
    std::lock_guard guard(lock);
    if (current == generation) {
        if (realised.size() >= REALISED_FONTS_KEPT) {
            realised.clear();
        }
        realised[key] = face;
    }
    return face;
}

std::shared_ptr<FontFace> FontFace::Create(const LOGFONTW& logFont) {
    const LONG requested = logFont.lfHeight == 0 ? -DEFAULT_FONT_PIXEL_SIZE : logFont.lfHeight;
    if (requested < -MAX_FONT_PIXEL_SIZE || requested > MAX_FONT_PIXEL_SIZE ||
        std::abs(logFont.lfWidth) > MAX_FONT_PIXEL_SIZE) {
        return nullptr;
    }
    auto& library = FontLibrary::Instance();
    auto source = library.Resolve(logFont);
    if (!source) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->source = std::move(*source);
    impl->face = library.OpenFace(impl->source);
    if (!impl->face) {
        return nullptr;
    }
    FT_Face face = impl->face;
    std::shared_ptr<FontFace> font(new FontFace(std::move(impl)));
    font->FLogFont = logFont;
    Impl& d = *font->FImpl;

    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL);
    }
    const WindowsMetrics wm = ReadWindowsMetrics(face);
    const LONG upem = face->units_per_EM;
    const LONG cell = wm.ascent + wm.descent;

    // The em size in 26.6 pixels and the cell's ascent and descent.
    FT_F26Dot6 em26 = 0;
    LONG ascent = 0;
    LONG descent = 0;
    if (requested < 0) {
        em26 = static_cast<FT_F26Dot6>(-requested) * 64;
        ascent = RoundDiv(LONGLONG{wm.ascent} * -requested, upem);
        descent = RoundDiv(LONGLONG{wm.descent} * -requested, upem);
    } else {
        em26 = std::max<FT_F26Dot6>(64, RoundDiv(LONGLONG{requested} * 64 * upem, cell));
        ascent = RoundDiv(LONGLONG{requested} * wm.ascent, cell);
        descent = requested - ascent;
    }
    FT_F26Dot6 xem26 = em26;
    if (logFont.lfWidth != 0 && wm.averageWidth > 0) {
        xem26 =
            std::clamp<FT_F26Dot6>(RoundDiv(LONGLONG{std::abs(logFont.lfWidth)} * 64 * upem, wm.averageWidth),
                                   64, MAX_FONT_PIXEL_SIZE * 64);
    }
    if (FT_Set_Char_Size(face, xem26, em26, 72, 72) != 0) {
        return nullptr;
    }

    font->FAntialiased = logFont.lfQuality != NONANTIALIASED_QUALITY;
    d.loadFlags = FT_LOAD_NO_BITMAP | (font->FAntialiased ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_MONO);

    const LONG weight = logFont.lfWeight == 0 ? FW_NORMAL : std::clamp<LONG>(logFont.lfWeight, 1, 1000);
    if (weight >= FW_SEMIBOLD && wm.weightClass + 150 < weight) {
        d.boldStrength = std::max<FT_Pos>(64, ((em26 / 24) + 32) & ~63);
        d.boldExtra = Px26(d.boldStrength);
    }
    const bool slant = logFont.lfItalic != 0 && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
    FT_Matrix m{0x10000, slant ? OBLIQUE_SHEAR : 0, 0, 0x10000};
    if (logFont.lfEscapement % 3600 != 0) {
        font->FAngle = (logFont.lfEscapement % 3600) * M_PI / 1800.0;
        const FT_Fixed c = static_cast<FT_Fixed>(std::lround(std::cos(font->FAngle) * 0x10000));
        const FT_Fixed s = static_cast<FT_Fixed>(std::lround(std::sin(font->FAngle) * 0x10000));
        const FT_Matrix rotation{c, -s, s, c};
        FT_Matrix_Multiply(&rotation, &m); // m = rotation x m
    }
    d.transformed = slant || font->FAngle != 0.0;
    d.matrix = m;

    d.hbFont = hb_ft_font_create(face, nullptr);
    d.buffer = hb_buffer_create();
    if (!d.hbFont || !hb_buffer_allocation_successful(d.buffer)) {
        return nullptr;
    }
    hb_ft_font_set_load_flags(d.hbFont, d.loadFlags);

    const double xScale = static_cast<double>(xem26) / 64.0 / upem;
    const double yScale = static_cast<double>(em26) / 64.0 / upem;
    TEXTMETRICW& tm = font->FMetrics;
    tm.tmAscent = ascent;
    tm.tmDescent = descent;
    tm.tmHeight = ascent + descent;
    tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - Px26(em26));
    tm.tmExternalLeading = static_cast<LONG>(std::lround(wm.lineGap * yScale));
    tm.tmAveCharWidth = static_cast<LONG>(std::lround(wm.averageWidth * xScale));
    if (tm.tmAveCharWidth <= 0) {
        tm.tmAveCharWidth = std::max<LONG>(1, Px26(xem26) / 2);
    }
    tm.tmMaxCharWidth = static_cast<LONG>(std::lround(face->max_advance_width * xScale)) + d.boldExtra;
    tm.tmWeight = weight;
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    const auto [first, last] = CharRange(face);
    tm.tmFirstChar = first;
    tm.tmLastChar = last;
    tm.tmDefaultChar = first <= 0x1F ? 0x1F : first;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = logFont.lfItalic ? 255 : 0;
    tm.tmUnderlined = logFont.lfUnderline ? 255 : 0;
    tm.tmStruckOut = logFont.lfStrikeOut ? 255 : 0;
    const bool fixed = FT_IS_FIXED_WIDTH(face);
    const BYTE family = d.source.symbol ? FF_DECORATIVE : (fixed ? FF_MODERN : FF_SWISS);
    tm.tmPitchAndFamily =
        static_cast<BYTE>((fixed ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE | family);
    tm.tmCharSet = d.source.symbol                        ? SYMBOL_CHARSET
                   : logFont.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET
                                                          : logFont.lfCharSet;

    // Strokes stay inside the cell, below the baseline for the underline.
    const LONG underlineThickness =
        std::max<LONG>(1, static_cast<LONG>(std::lround(face->underline_thickness * yScale)));
    LONG underlineTop =
        static_cast<LONG>(std::lround(-face->underline_position * yScale)) - underlineThickness / 2;
    underlineTop = std::clamp<LONG>(underlineTop, 1, std::max<LONG>(1, descent - underlineThickness));
    font->FUnderline = TextStroke{underlineTop, underlineThickness};
    LONG strikeThickness = static_cast<LONG>(std::lround(wm.strikeOutSize * yScale));
    LONG strikeTop = -static_cast<LONG>(std::lround(wm.strikeOutPosition * yScale));
    if (wm.strikeOutSize <= 0 || wm.strikeOutPosition <= 0) {
        strikeThickness = underlineThickness;
        strikeTop = -ascent / 3;
    }
    font->FStrikeOut = TextStroke{strikeTop, std::max<LONG>(1, strikeThickness)};
    return font;
}

std::shared_ptr<const ShapedRun> FontFace::Shape(std::u16string_view text, ShapeMode mode) {
    std::lock_guard guard(FLock);
    auto& kept = FShapedRuns[static_cast<int>(mode)];
    const bool keep = text.size() <= SHAPED_RUN_MAX_UNITS;
    if (keep) {
        if (auto found = kept.find(std::u16string(text)); found != kept.end()) {
            return found->second;
        }
    }
    std::shared_ptr<const ShapedRun> run = ShapeLocked(text, mode);
    if (keep) {
        if (kept.size() >= SHAPED_RUNS_KEPT) {
            kept.clear();
        }
        kept.emplace(std::u16string(text), run);
    }
    return run;
}

std::shared_ptr<ShapedRun> FontFace::ShapeLocked(std::u16string_view text, ShapeMode mode) {
    if (text.empty()) {
        return std::make_shared<ShapedRun>();
    }
    if (mode == ShapeMode::smShaped && !FImpl->source.symbol) {
        return ShapeWithHarfBuzz(text);
    }
    return ShapeNominal(text, mode);
}

std::shared_ptr<ShapedRun> FontFace::ShapeWithHarfBuzz(std::u16string_view text) {
    hb_buffer_t* buffer = FImpl->buffer;
    hb_buffer_reset(buffer);
    const int length = static_cast<int>(text.size());
    hb_buffer_add_utf16(buffer, reinterpret_cast<const std::uint16_t*>(text.data()), length, 0, length);
    // Text runs left to right here: there is no bidirectional layout.
    hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
    hb_buffer_guess_segment_properties(buffer);
    hb_buffer_set_cluster_level(buffer, HB_BUFFER_CLUSTER_LEVEL_MONOTONE_CHARACTERS);
    hb_shape(FImpl->hbFont, buffer, nullptr, 0);

    unsigned int count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    auto run = std::make_shared<ShapedRun>();
    run->glyphs.reserve(count);
    std::vector<LONG> clusterAdvance(text.size(), 0);
    std::vector<char> clusterStart(text.size(), 0);
    clusterStart[0] = 1;
    LONG pen = 0;
    for (unsigned int i = 0; i < count; ++i) {
        const std::uint32_t cluster = std::min<std::uint32_t>(infos[i].cluster, length - 1);
        LONG advance = Px26(positions[i].x_advance);
        // Control characters the font has no glyph for take no room and show
        // nothing, rather than a box.
        const bool invisible = infos[i].codepoint == 0 && text[cluster] < 0x20;
        if (invisible) {
            advance = 0;
        } else {
            if (advance != 0) {
                advance += FImpl->boldExtra;
            }
            run->glyphs.push_back(ShapedGlyph{infos[i].codepoint, pen + Px26(positions[i].x_offset),
                                              -Px26(positions[i].y_offset), cluster});
        }
        clusterStart[cluster] = 1;
        clusterAdvance[cluster] += advance;
        pen += advance;
    }
    FillCarets(*run, clusterAdvance, clusterStart);
    return run;
}

std::shared_ptr<ShapedRun> FontFace::ShapeNominal(std::u16string_view text, ShapeMode mode) {
    auto run = std::make_shared<ShapedRun>();
    std::vector<LONG> clusterAdvance(text.size(), 0);
    std::vector<char> clusterStart(text.size(), 0);
    LONG pen = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        std::uint32_t glyph = 0;
        bool invisible = false;
        if (mode == ShapeMode::smGlyphIndexes) {
            glyph = text[i++];
        } else {
            const char32_t c = NextCodePoint(text, i);
            glyph = CharIndexLocked(c);
            invisible = glyph == 0 && c < 0x20;
        }
        const LONG advance = invisible ? 0 : AdvanceLocked(glyph);
        if (!invisible) {
            run->glyphs.push_back(ShapedGlyph{glyph, pen, 0, static_cast<std::uint32_t>(start)});
        }
        clusterStart[start] = 1;
        clusterAdvance[start] = advance;
        pen += advance;
    }
    FillCarets(*run, clusterAdvance, clusterStart);
    return run;
}

std::uint32_t FontFace::CharIndexLocked(char32_t c) const {
    FT_Face face = FImpl->face;
    std::uint32_t glyph = FT_Get_Char_Index(face, c);
    // Symbol fonts with a Windows symbol map keep their characters at F0xx.
    if (glyph == 0 && c < 0x100 && face->charmap && face->charmap->encoding == FT_ENCODING_MS_SYMBOL) {
        glyph = FT_Get_Char_Index(face, 0xF000 + c);
    }
    return glyph;
}

LONG FontFace::AdvanceLocked(std::uint32_t glyph) const {
    FT_Fixed advance = 0;
    if (FT_Get_Advance(FImpl->face, glyph, FImpl->loadFlags, &advance) != 0) {
        return 0;
    }
    const LONG pixels = static_cast<LONG>((advance + 0x8000) >> 16);
    return pixels != 0 ? pixels + FImpl->boldExtra : 0;
}

std::vector<std::shared_ptr<const GlyphBitmap>> FontFace::Glyphs(const ShapedRun& run) {
    std::vector<std::shared_ptr<const GlyphBitmap>> out;
    out.reserve(run.glyphs.size());
    std::lock_guard guard(FLock);
    for (const ShapedGlyph& g : run.glyphs) {
        out.push_back(GlyphLocked(g.index));
    }
    return out;
}

std::shared_ptr<const GlyphBitmap> FontFace::GlyphLocked(std::uint32_t glyph) {
    if (auto found = FGlyphs.Find(glyph)) {
        return found;
    }
    auto bitmap = std::make_shared<GlyphBitmap>();
    FT_Face face = FImpl->face;
    if (FT_Load_Glyph(face, glyph, FImpl->loadFlags) == 0 && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_GlyphSlot slot = face->glyph;
        if (FImpl->boldStrength) {
            FT_Outline_EmboldenXY(&slot->outline, FImpl->boldStrength, 0);
        }
        if (FImpl->transformed) {
            FT_Outline_Transform(&slot->outline, &FImpl->matrix);
        }
        if (FT_Render_Glyph(slot, FAntialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) == 0) {
            const FT_Bitmap& b = slot->bitmap;
            bitmap->left = slot->bitmap_left;
            bitmap->top = -slot->bitmap_top;
            bitmap->width = static_cast<LONG>(b.width);
            bitmap->height = static_cast<LONG>(b.rows);
            bitmap->coverage.resize(static_cast<std::size_t>(b.width) * b.rows);
            for (unsigned int y = 0; y < b.rows; ++y) {
                const unsigned char* row = b.buffer + static_cast<std::ptrdiff_t>(y) * b.pitch;
                std::uint8_t* out = bitmap->coverage.data() + static_cast<std::size_t>(y) * b.width;
                if (b.pixel_mode == FT_PIXEL_MODE_MONO) {
                    for (unsigned int x = 0; x < b.width; ++x) {
                        out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                    }
                } else if (b.pixel_mode == FT_PIXEL_MODE_GRAY) {
                    std::memcpy(out, row, b.width);
                }
            }
        }
    }
    FGlyphs.Add(glyph, bitmap);
    return bitmap;
}

std::optional<ABC> FontFace::CharAbc(char32_t c) {
    std::lock_guard guard(FLock);
    const std::uint32_t glyph = CharIndexLocked(c);
    const LONG advance = AdvanceLocked(glyph);
    const auto bitmap = GlyphLocked(glyph);
    ABC abc{};
    abc.abcA = bitmap->width > 0 ? bitmap->left : 0;
    abc.abcB = static_cast<UINT>(std::max<LONG>(bitmap->width, 0));
    abc.abcC = advance - abc.abcA - static_cast<int>(abc.abcB);
    return abc;
}

} // namespace win::text

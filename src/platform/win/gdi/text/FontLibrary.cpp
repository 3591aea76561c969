#include "platform/win/gdi/text/FontLibrary.h"

#include "platform/win/gdi/text/TextTypes.h"

#include <algorithm>
#include <fontconfig/fontconfig.h>
#include <fstream>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace win::text {

namespace {

// A font file larger than this is refused rather than read into memory.
constexpr std::streamoff MAX_FONT_FILE_BYTES = 64 << 20;

std::u16string Lowered(std::u16string s) {
    for (char16_t& c : s) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return s;
}

std::u16string FaceNameOf(const LOGFONTW& logFont) {
    std::u16string name;
    for (int i = 0; i < LF_FACESIZE && logFont.lfFaceName[i]; ++i) {
        name.push_back(logFont.lfFaceName[i]);
    }
    return name;
}

// Face names are ASCII in practice; anything else is passed to fontconfig
// as UTF-8.
std::string Utf8Of(const std::u16string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// A fontconfig configuration of our own, so that releasing it at exit
// leaves the process-wide one (which the desktop toolkit uses) alone.
FcConfig* Config() {
    struct Holder {
        FcConfig* config = FcInitLoadConfigAndFonts();
        Holder() = default;
        Holder(const Holder&) = delete;
        Holder& operator=(const Holder&) = delete;
        ~Holder() {
            if (config) {
                FcConfigDestroy(config);
            }
        }
    };
    static Holder holder;
    return holder.config;
}

} // namespace

FontLibrary& FontLibrary::Instance() {
    // Never destroyed: realised fonts may still close their faces at exit.
    static FontLibrary* library = new FontLibrary();
    return *library;
}

FontLibrary::FontLibrary() {
    if (FT_Init_FreeType(&FLibrary) != 0) {
        FLibrary = nullptr;
    }
}

FaceKind FontLibrary::ClassifyFace(const std::u16string& faceName, BYTE charSet) {
    static const std::u16string uiFaces[] = {u"",
                                             u"segoe ui",
                                             u"default",
                                             u"tahoma",
                                             u"system",
                                             u"ms sans serif",
                                             u"microsoft sans serif",
                                             u"ms shell dlg",
                                             u"ms shell dlg 2"};
    static const std::u16string monoFaces[] = {u"courier",  u"courier new",    u"fixedsys",
                                               u"terminal", u"lucida console", u"consolas"};
    const std::u16string name = Lowered(faceName);
    if (name == u"symbol" || (charSet == SYMBOL_CHARSET && name.empty())) {
        return FaceKind::fkSymbol;
    }
    if (std::find(std::begin(uiFaces), std::end(uiFaces), name) != std::end(uiFaces)) {
        return FaceKind::fkUi;
    }
    if (std::find(std::begin(monoFaces), std::end(monoFaces), name) != std::end(monoFaces)) {
        return FaceKind::fkMono;
    }
    return FaceKind::fkNamed;
}

std::optional<FontSource> FontLibrary::Resolve(const LOGFONTW& logFont) {
    const std::u16string face = FaceNameOf(logFont);
    const FaceKind kind = ClassifyFace(face, logFont.lfCharSet);
    const bool symbol = kind == FaceKind::fkSymbol;
    const LONG weight = logFont.lfWeight == 0 ? FW_NORMAL : std::clamp<LONG>(logFont.lfWeight, 1, 1000);
    const bool italic = logFont.lfItalic != 0;

    std::lock_guard lock(FLock);
    const std::string& pinned = symbol ? FPinned.symbol : FPinned.ui;
    if (!pinned.empty()) {
        return FromPath(pinned, 0, symbol);
    }
    std::string family;
    switch (kind) {
    case FaceKind::fkUi:
        family = UI_FONT_FAMILY;
        break;
    case FaceKind::fkMono:
        family = "monospace";
        break;
    case FaceKind::fkSymbol:
        family = "Symbol";
        break;
    case FaceKind::fkNamed:
        family = Utf8Of(face);
        break;
    }
    if (auto source = MatchFamily(family, weight, italic, symbol)) {
        return source;
    }
    // A face that cannot be loaded falls back to the UI family.
    return symbol || kind == FaceKind::fkUi ? std::nullopt
                                            : MatchFamily(UI_FONT_FAMILY, weight, italic, false);
}

std::optional<FontSource> FontLibrary::MatchFamily(const std::string& family, LONG weight, bool italic,
                                                   bool symbol) {
    const auto key = std::make_tuple(family, weight, italic);
    auto found = FMatches.find(key);
    if (found == FMatches.end()) {
        std::pair<std::string, int> match{"", 0};
        FcConfig* config = Config();
        FcPattern* pattern = config ? FcPatternCreate() : nullptr;
        FcPattern* matched = nullptr;
        if (pattern) {
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
            FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(static_cast<int>(weight)));
            FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
            FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
            FcConfigSubstitute(config, pattern, FcMatchPattern);
            FcDefaultSubstitute(pattern);
            FcResult result = FcResultNoMatch;
            matched = FcFontMatch(config, pattern, &result);
            FcPatternDestroy(pattern);
        }
        if (matched) {
            FcChar8* file = nullptr;
            int index = 0;
            if (FcPatternGetString(matched, FC_FILE, 0, &file) == FcResultMatch && file) {
                FcPatternGetInteger(matched, FC_INDEX, 0, &index);
                match = {reinterpret_cast<const char*>(file), index};
            }
            FcPatternDestroy(matched);
        }
        found = FMatches.emplace(key, std::move(match)).first;
    }
    if (found->second.first.empty()) {
        return std::nullopt;
    }
    return FromPath(found->second.first, found->second.second, symbol);
}

std::optional<FontSource> FontLibrary::FromPath(const std::string& path, int index, bool symbol) {
    auto file = LoadFile(path);
    if (!file) {
        return std::nullopt;
    }
    return FontSource{std::move(file), index, symbol};
}

std::shared_ptr<const FontFileData> FontLibrary::LoadFile(const std::string& path) {
    if (auto found = FFiles.find(path); found != FFiles.end()) {
        return found->second;
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return nullptr;
    }
    const std::streamoff size = in.tellg();
    if (size <= 0 || size > MAX_FONT_FILE_BYTES) {
        return nullptr;
    }
    auto data = std::make_shared<FontFileData>();
    data->path = path;
    data->bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(data->bytes.data()), size)) {
        return nullptr;
    }
    FFiles.emplace(path, data);
    return data;
}

void FontLibrary::Pin(PinnedFontFiles files) {
    std::lock_guard lock(FLock);
    FPinned = std::move(files);
    ++FGeneration;
}

std::uint64_t FontLibrary::Generation() const {
    std::lock_guard lock(FLock);
    return FGeneration;
}

FT_FaceRec_* FontLibrary::OpenFace(const FontSource& source) {
    std::lock_guard lock(FLibraryLock);
    if (!FLibrary || !source.file) {
        return nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(FLibrary, source.file->bytes.data(),
                           static_cast<FT_Long>(source.file->bytes.size()), source.index, &face) != 0) {
        return nullptr;
    }
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    return face;
}

} // namespace win::text

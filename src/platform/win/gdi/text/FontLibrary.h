#pragma once

// Where the text functions get their fonts: a logical font's face name is
// matched through fontconfig to a font file, which FreeType opens. The
// faces the system was designed with ("Segoe UI", the class library's
// "Default", "Tahoma", "MS Sans Serif", "MS Shell Dlg", "System") do not
// exist here; they all map to one open UI family that the project installs.
// Fixed-pitch faces map to fontconfig's "monospace", "Symbol" to the font
// that fontconfig offers for it (its characters 0x20-0xFF address the
// symbol positions, as on Windows).
//
// Tests pin font files by path so that metrics and pixels do not depend on
// the machine's font configuration.

#include "platform/win/gdi/GdiTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace win::text {

// The family every UI face name maps to.
inline constexpr const char* UI_FONT_FAMILY = "Lato";

struct FontFileData {
    std::string path;
    std::vector<unsigned char> bytes;
};

// What a logical font resolves to.
struct FontSource {
    std::shared_ptr<const FontFileData> file;
    int index = 0;
    bool symbol = false;
};

// Font files used instead of fontconfig's answers; an empty path leaves
// that kind of face to fontconfig.
struct PinnedFontFiles {
    std::string ui;     // every face that is not the Symbol face
    std::string symbol; // the Symbol face
};

enum class FaceKind : std::uint8_t { fkUi, fkMono, fkSymbol, fkNamed };

class FontLibrary {
public:
    static FontLibrary& Instance();

    FontLibrary(const FontLibrary&) = delete;
    FontLibrary& operator=(const FontLibrary&) = delete;

    // The file for a logical font; nullopt when no usable font file exists.
    std::optional<FontSource> Resolve(const LOGFONTW& logFont);

    // Pins (or, with empty paths, unpins) font files; bumps the generation so
    // that realised fonts made before are dropped.
    void Pin(PinnedFontFiles files);
    std::uint64_t Generation() const;

    // FreeType faces over a source's bytes; opening and closing are
    // serialised on the library, as FreeType requires.
    FT_FaceRec_* OpenFace(const FontSource& source);
    // Runs `close` (which releases FreeType objects) under the library lock.
    template <typename F>
    void WithLibraryLock(F&& close) {
        std::lock_guard lock(FLibraryLock);
        close();
    }

    static FaceKind ClassifyFace(const std::u16string& faceName, BYTE charSet);

private:
    FontLibrary();

    std::shared_ptr<const FontFileData> LoadFile(const std::string& path);
    std::optional<FontSource> MatchFamily(const std::string& family, LONG weight, bool italic, bool symbol);
    std::optional<FontSource> FromPath(const std::string& path, int index, bool symbol);

    mutable std::mutex FLock; // pins, caches and fontconfig
    PinnedFontFiles FPinned;
    std::uint64_t FGeneration = 1;
    std::map<std::string, std::shared_ptr<const FontFileData>> FFiles;
    std::map<std::tuple<std::string, LONG, bool>, std::pair<std::string, int>> FMatches;

    std::mutex FLibraryLock;
    FT_LibraryRec_* FLibrary = nullptr;
};

} // namespace win::text

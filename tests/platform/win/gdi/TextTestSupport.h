#pragma once

// Text tests draw with pinned font files, loaded by path from the Debian
// packages the setup script installs, so that metrics and pixels are the
// same on every machine whatever its font configuration.

#include "GdiTestSupport.h"
#include "platform/win/gdi/text/FontLibrary.h"

#include <cstring>
#include <string>

namespace gdi_test {

inline constexpr const char* UI_TEST_FONT = "/usr/share/fonts/truetype/lato/Lato-Regular.ttf";
inline constexpr const char* SYMBOL_TEST_FONT = "/usr/share/fonts/opentype/urw-base35/StandardSymbolsPS.otf";

// Pins the test fonts for the lifetime of the object.
class PinnedFonts {
public:
    PinnedFonts() : PinnedFonts(UI_TEST_FONT, SYMBOL_TEST_FONT) {}
    PinnedFonts(const std::string& ui, const std::string& symbol) {
        win::text::FontLibrary::Instance().Pin({ui, symbol});
    }
    PinnedFonts(const PinnedFonts&) = delete;
    PinnedFonts& operator=(const PinnedFonts&) = delete;
    ~PinnedFonts() { win::text::FontLibrary::Instance().Pin({}); }
};

struct FontRequest {
    LONG height = -16;
    const char16_t* face = u"Segoe UI";
    BYTE quality = ANTIALIASED_QUALITY;
    LONG weight = FW_NORMAL;
    bool underline = false;
    bool strikeOut = false;
    LONG escapement = 0;
};

inline HFONT MakeFont(const FontRequest& request) {
    LOGFONTW lf{};
    lf.lfHeight = request.height;
    lf.lfWeight = request.weight;
    lf.lfEscapement = request.escapement;
    lf.lfOrientation = request.escapement;
    lf.lfUnderline = request.underline ? 1 : 0;
    lf.lfStrikeOut = request.strikeOut ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = request.quality;
    for (int i = 0; i < LF_FACESIZE - 1 && request.face[i]; ++i) {
        lf.lfFaceName[i] = request.face[i];
    }
    return CreateFontIndirectW(&lf);
}

// A font selected into a DC for the lifetime of the object.
class SelectedFont {
public:
    SelectedFont(HDC dc, const FontRequest& request = {}) : FDc(dc), FFont(MakeFont(request)) {
        FOld = SelectObject(dc, FFont);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;
    ~SelectedFont() {
        SelectObject(FDc, FOld);
        DeleteObject(FFont);
    }
    HFONT Handle() const { return FFont; }

private:
    HDC FDc;
    HFONT FFont;
    HGDIOBJ FOld;
};

// A canvas filled with the recognisable pattern, black transparent text.
inline void PrepareForText(Canvas& canvas) {
    canvas.FillPattern();
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, RGB(0, 0, 0));
}

inline SIZE Extent(HDC dc, const std::u16string& text) {
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size));
    return size;
}

inline TEXTMETRICW Metrics(HDC dc) {
    TEXTMETRICW tm{};
    EXPECT_TRUE(GetTextMetricsW(dc, &tm));
    return tm;
}

inline bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace gdi_test

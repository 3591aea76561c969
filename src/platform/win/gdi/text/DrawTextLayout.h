#pragma once

// The layout rules of DrawTextW/DrawTextExW, apart from the drawing:
//
// - Prefixes (unless DT_NOPREFIX): "&x" shows x underlined, "&&" shows "&",
//   a lone "&" at the end shows nothing.
// - Lines end at CR, LF and CR LF unless DT_SINGLELINE. With DT_WORDBREAK a
//   line also breaks after the last space that fits; spaces at a break hang
//   and the next line starts after them. A word longer than the line stays
//   whole on its own line (and overflows), unless DT_EDITCONTROL breaks it
//   between characters.
// - DT_EXPANDTABS: tab stops every tab length x average character width
//   from the line start.
// - Which lines are laid out: all of them when measuring (DT_CALCRECT) or
//   with DT_NOCLIP; otherwise the lines that reach into the rectangle
//   (DT_EDITCONTROL: only lines wholly inside it, at least one).
// - Ellipses replace what does not fit with "...": DT_END_ELLIPSIS cuts
//   the end of a single line that is too wide, and of the last laid-out line
//   when text remains after it (that line then holds the rest of its
//   paragraph); DT_WORD_ELLIPSIS cuts every word wider than its line;
//   DT_PATH_ELLIPSIS keeps the part after the last "\" or "/" and cuts the
//   part before it. The cut text is what DT_MODIFYSTRING writes back.

#include "platform/win/gdi/text/FontFace.h"

#include <string>
#include <string_view>
#include <vector>

namespace win::text {

struct DrawTextInput {
    std::u16string_view text;
    UINT format = 0;
    LONG width = 0;  // the line width (rectangle less margins)
    LONG height = 0; // the rectangle's height
    LONG lineHeight = 0;
    LONG tabWidth = 0; // 0: tabs are not expanded
};

struct LaidLine {
    std::u16string text; // what is drawn (prefixes removed, ellipses in)
    LONG x = 0;          // left end, from the layout's left, aligned
    LONG width = 0;
    // Prefixed characters: pixel spans from the line's left end.
    std::vector<std::pair<LONG, LONG>> prefixes;
};

struct DrawTextLayoutResult {
    std::vector<LaidLine> lines;
    LONG widest = 0;
    // The caller's text with the cuts made; empty when nothing was cut.
    std::u16string modified;
    bool cut = false;
    // Caller's units processed (all of them unless lines were left out).
    std::size_t processed = 0;
};

class DrawTextLayout {
public:
    DrawTextLayout(FontFace& font, int characterExtra) : FFont(font), FExtra(characterExtra) {}

    DrawTextLayoutResult Layout(const DrawTextInput& input);

    // Carets of one line (see ShapedRun), tabs expanded when tabWidth > 0.
    std::vector<LONG> Carets(std::u16string_view line, LONG tabWidth);
    LONG Width(std::u16string_view line, LONG tabWidth);
    // The end of the longest part of text[at, end) that fits `width`.
    std::size_t FitFrom(std::u16string_view text, std::size_t at, std::size_t end, LONG width, LONG tabWidth);

private:
    FontFace& FFont;
    int FExtra;
};

} // namespace win::text

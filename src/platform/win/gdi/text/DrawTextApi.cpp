// Exports of user32 for formatted text: DrawTextW and DrawTextExW. The
// layout rules live in DrawTextLayout; here the lines are placed in the
// rectangle (less the margins of DRAWTEXTPARAMS), measured or drawn, and the
// results reported: the text height (for a single line centred or at the
// bottom, the offset from the rectangle's top to the text's bottom), the
// measured rectangle (DT_CALCRECT keeps left and top), the cut text
// (DT_MODIFYSTRING, which may add up to four units to the caller's text)
// and the number of units processed.
//
// Text is drawn from the rectangle's left and top whatever the DC's text
// alignment; DT_RTLREADING and DT_NOFULLWIDTHCHARBREAK are accepted and have
// no effect.

#include "platform/win/gdi/text/DrawTextLayout.h"
#include "platform/win/gdi/text/TextPainter.h"
#include "platform/win/gdi/text/Text_p.h"

#include <algorithm>

namespace win::direct {

using namespace gdi_p;
using namespace text;

namespace {

constexpr int DEFAULT_TAB_CHARACTERS = 8;
// Room DT_MODIFYSTRING may use after the caller's text.
constexpr std::size_t MODIFY_ROOM = 4;

std::size_t LengthOf(LPCWSTR text, int count) {
    if (count >= 0) {
        return static_cast<std::size_t>(count);
    }
    std::size_t n = 0;
    while (n <= MAX_TEXT_UNITS && text[n]) {
        ++n;
    }
    return n;
}

// One line's text, tab segment by tab segment, from its origin on the
// baseline.
void DrawLine(TextPainter& painter, FontFace& font, int extra, std::u16string_view line, POINT origin,
              LONG tabWidth, COLORREF color) {
    LONG base = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        if (tabWidth > 0 && line[i] == u'\t') {
            base = (base / tabWidth + 1) * tabWidth;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && !(tabWidth > 0 && line[end] == u'\t')) {
            ++end;
        }
        const auto run = WithCharacterExtra(font.Shape(line.substr(i, end - i), ShapeMode::smShaped), extra);
        painter.DrawRun(*run, POINT{origin.x + base, origin.y}, color);
        base += run->width;
        i = end;
    }
}

void WriteBack(LPWSTR text, std::size_t length, const std::u16string& modified) {
    const std::size_t room = length + MODIFY_ROOM;
    const std::size_t n = std::min(modified.size(), room);
    std::copy_n(modified.begin(), n, text);
    if (n < room) {
        text[n] = 0;
    }
}

} // namespace

int DrawTextExW(HDC dcHandle, LPWSTR text, int count, LPRECT rect, UINT format, DRAWTEXTPARAMS* params) {
    if (!text || !rect || (params && params->cbSize != sizeof(DRAWTEXTPARAMS))) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    const std::size_t length = LengthOf(text, count);
    if (length > MAX_TEXT_UNITS) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    if (params) {
        params->uiLengthDrawn = 0;
    }
    TextCall call(dcHandle);
    if (!call) {
        return 0;
    }
    if (length == 0) {
        if (format & DT_CALCRECT) {
            rect->right = rect->left;
            rect->bottom = rect->top;
        }
        return 0;
    }
    DeviceContext& dc = call.Dc();
    FontFace& font = call.Font();
    const TEXTMETRICW& tm = font.Metrics();

    int tabCharacters = DEFAULT_TAB_CHARACTERS;
    if (params && params->iTabLength > 0) {
        tabCharacters = params->iTabLength;
    } else if (format & DT_TABSTOP) {
        // The second byte of the format is the tab length; the flags it
        // would otherwise hold are off.
        tabCharacters = static_cast<int>((format >> 8) & 0xFF);
        format &= ~0xFF00u;
        if (tabCharacters == 0) {
            tabCharacters = DEFAULT_TAB_CHARACTERS;
        }
    }
    const LONG leftMargin = params ? params->iLeftMargin : 0;
    const LONG rightMargin = params ? params->iRightMargin : 0;
    const LONG lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    const int extra = dc.State().textCharacterExtra;

    DrawTextInput input;
    input.text = std::u16string_view(text, length);
    input.format = format;
    input.width = rect->right - rect->left - leftMargin - rightMargin;
    input.height = rect->bottom - rect->top;
    input.lineHeight = lineHeight;
    input.tabWidth = (format & DT_EXPANDTABS) ? std::max<LONG>(1, tabCharacters * tm.tmAveCharWidth) : 0;
    DrawTextLayout layout(font, extra);
    DrawTextLayoutResult laid = layout.Layout(input);
    const LONG height = static_cast<LONG>(laid.lines.size()) * lineHeight;
    int result = height;

    if (format & DT_CALCRECT) {
        rect->right = rect->left + leftMargin + laid.widest + rightMargin;
        rect->bottom = rect->top + height;
    } else {
        LONG top = rect->top;
        if (format & DT_SINGLELINE) {
            if (format & DT_VCENTER) {
                top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
            } else if (format & DT_BOTTOM) {
                top = rect->bottom - lineHeight;
            }
        }
        std::optional<RECT> clip;
        if (!(format & DT_NOCLIP)) {
            clip = dc.LogicalToSurface(*rect);
        }
        TextPainter painter(dc, font, clip);
        const DcState& state = dc.State();
        const bool prefixOnly = (format & DT_PREFIXONLY) != 0;
        for (std::size_t i = 0; i < laid.lines.size(); ++i) {
            const LaidLine& line = laid.lines[i];
            const LONG x = rect->left + leftMargin + line.x;
            const LONG y = top + static_cast<LONG>(i) * lineHeight;
            const POINT origin = dc.LogicalToSurface(x, y + tm.tmAscent);
            if (!prefixOnly) {
                if (state.bkMode == OPAQUE && line.width > 0) {
                    const POINT corner = dc.LogicalToSurface(x, y);
                    painter.Fill(RECT{corner.x, corner.y, corner.x + line.width, corner.y + lineHeight},
                                 state.bkColor);
                }
                DrawLine(painter, font, extra, line.text, origin, input.tabWidth, state.textColor);
                painter.DrawDecorations(origin, line.width, state.textColor);
            }
            if (!(format & DT_HIDEPREFIX)) {
                for (const auto& [from, to] : line.prefixes) {
                    painter.DrawStroke(origin, from, to, font.UnderlineStroke(), state.textColor);
                }
            }
        }
        if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) {
            result = top - rect->top + lineHeight;
        }
    }

    if (laid.cut && (format & DT_MODIFYSTRING) && (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS))) {
        WriteBack(text, length, laid.modified);
    }
    if (params) {
        params->uiLengthDrawn = static_cast<UINT>(laid.processed);
    }
    return result;
}

int DrawTextW(HDC dcHandle, LPCWSTR text, int count, LPRECT rect, UINT format) {
    // DT_MODIFYSTRING writes into the text, as the system's DrawTextW does.
    return DrawTextExW(dcHandle, const_cast<LPWSTR>(text), count, rect, format, nullptr);
}

} // namespace win::direct

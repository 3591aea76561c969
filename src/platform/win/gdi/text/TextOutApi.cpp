// Exports of gdi32 for text: metrics, measuring, TextOutW and ExtTextOutW.
// A run is placed by the DC's text alignment around its reference point
// (the given point, or the current position with TA_UPDATECP): horizontally
// at its left end, right end or centre; vertically at the cell's top, the
// baseline or the cell's bottom. With a rotated font these offsets run along
// and across the rotated baseline.

#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/text/TextPainter.h"
#include "platform/win/gdi/text/Text_p.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace win::direct {

using namespace gdi_p;
using namespace text;

namespace {

bool ValidText(LPCWSTR text, LONGLONG count) {
    return count >= 0 && count <= LONGLONG{MAX_TEXT_UNITS} && (count == 0 || text != nullptr);
}

std::shared_ptr<const ShapedRun> ShapeForDc(TextCall& call, LPCWSTR text, UINT count, UINT options,
                                            const INT* dx) {
    const std::u16string_view view(text ? text : u"", count);
    const ShapeMode mode = (options & ETO_GLYPH_INDEX) ? ShapeMode::smGlyphIndexes
                           : dx                        ? ShapeMode::smNominal
                                                       : ShapeMode::smShaped;
    auto run = call.Font().Shape(view, mode);
    if (dx) {
        return WithAdvances(*run, dx, (options & ETO_PDY) != 0);
    }
    return WithCharacterExtra(std::move(run), call.Dc().State().textCharacterExtra);
}

// A logical point moved `along` the baseline and `across` it (downwards).
POINT Offset(POINT p, const FontFace& font, LONG along, LONG across) {
    if (!font.Rotated()) {
        return POINT{p.x + along, p.y + across};
    }
    const double c = std::cos(font.Angle());
    const double s = std::sin(font.Angle());
    return POINT{p.x + static_cast<LONG>(std::lround(along * c + across * s)),
                 p.y + static_cast<LONG>(std::lround(-along * s + across * c))};
}

} // namespace

BOOL GetTextMetricsW(HDC dcHandle, TEXTMETRICW* metrics) {
    if (!metrics) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    TextCall call(dcHandle);
    if (!call) {
        return 0;
    }
    *metrics = call.Font().Metrics();
    return 1;
}

BOOL GetTextExtentPoint32W(HDC dcHandle, LPCWSTR text, int count, SIZE* size) {
    if (!size || !ValidText(text, count)) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    TextCall call(dcHandle);
    if (!call) {
        return 0;
    }
    const auto run = ShapeForDc(call, text, static_cast<UINT>(count), 0, nullptr);
    *size = SIZE{run->width, call.Font().Metrics().tmHeight};
    return 1;
}

BOOL GetTextExtentExPointW(HDC dcHandle, LPCWSTR text, int count, int maxExtent, INT* fit, INT* dx,
                           SIZE* size) {
    if (!ValidText(text, count)) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    TextCall call(dcHandle);
    if (!call) {
        return 0;
    }
    const auto run = ShapeForDc(call, text, static_cast<UINT>(count), 0, nullptr);
    if (fit) {
        INT n = 0;
        while (n < count && run->carets[static_cast<std::size_t>(n)] <= maxExtent) {
            ++n;
        }
        *fit = n;
    }
    if (dx) {
        std::copy(run->carets.begin(), run->carets.end(), dx);
    }
    if (size) {
        *size = SIZE{run->width, call.Font().Metrics().tmHeight};
    }
    return 1;
}

BOOL GetCharABCWidthsW(HDC dcHandle, UINT first, UINT last, ABC* widths) {
    if (!widths || last < first || last > 0x10FFFF) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    TextCall call(dcHandle);
    if (!call) {
        return 0;
    }
    for (UINT c = first; c <= last; ++c) {
        widths[c - first] = call.Font().CharAbc(c).value_or(ABC{});
    }
    return 1;
}

BOOL ExtTextOutW(HDC dcHandle, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const INT* dx) {
    if (!ValidText(text, count)) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    TextCall call(dcHandle);
    if (!call) {
        return 0;
    }
    DeviceContext& dc = call.Dc();
    FontFace& font = call.Font();
    DcState& state = dc.State();
    const TEXTMETRICW& tm = font.Metrics();
    const auto run = ShapeForDc(call, text, count, options, dx);

    const UINT align = state.textAlign;
    const bool updateCp = (align & TA_UPDATECP) != 0;
    const POINT reference = updateCp ? state.position : POINT{x, y};
    const LONG along = (align & TA_CENTER) == TA_CENTER ? -run->width / 2
                       : (align & TA_RIGHT)             ? -run->width
                                                        : 0;
    const LONG across = (align & TA_BASELINE) == TA_BASELINE ? 0
                        : (align & TA_BOTTOM)                ? -tm.tmDescent
                                                             : tm.tmAscent;
    const POINT logicalOrigin = Offset(reference, font, along, across);
    const POINT origin = dc.LogicalToSurface(logicalOrigin.x, logicalOrigin.y);

    std::optional<RECT> clip;
    if ((options & ETO_CLIPPED) && rect) {
        clip = dc.LogicalToSurface(*rect);
    }
    TextPainter painter(dc, font, clip);
    if ((options & ETO_OPAQUE) && rect) {
        painter.Fill(dc.LogicalToSurface(*rect), state.bkColor);
    }
    if (state.bkMode == OPAQUE && !font.Rotated() && run->width > 0) {
        painter.Fill(RECT{origin.x, origin.y - tm.tmAscent, origin.x + run->width, origin.y + tm.tmDescent},
                     state.bkColor);
    }
    painter.DrawRun(*run, origin, state.textColor);
    painter.DrawDecorations(origin, run->width, state.textColor);

    if (updateCp && (align & TA_CENTER) != TA_CENTER) {
        state.position = Offset(reference, font, (align & TA_RIGHT) ? -run->width : run->width, 0);
    }
    return 1;
}

BOOL TextOutW(HDC dcHandle, int x, int y, LPCWSTR text, int count) {
    if (!ValidText(text, count)) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    return ExtTextOutW(dcHandle, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

} // namespace win::direct

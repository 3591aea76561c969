// DrawFrameControl of user32 for buttons (push buttons, check boxes, radio
// buttons with their states) and caption buttons, in the classic look; menu
// glyphs and scroll-bar parts are in FrameGlyphs.cpp.
// Check boxes and radio buttons take the largest square that fits in the
// rectangle, centred; a radio button paints only its disc, so what lies
// around it keeps its pixels.

#include "platform/win/gdi/Edge_p.h"
#include "platform/win/gdi/FrameControl_p.h"
#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/Paint_p.h"
#include "platform/win/gdi/RegionShapes.h"

#include <algorithm>

namespace win::gdi_p {

RECT CentredSquare(const RECT& r) {
    const LONG size = std::min(r.right - r.left, r.bottom - r.top);
    const LONG left = r.left + (r.right - r.left - size) / 2;
    const LONG top = r.top + (r.bottom - r.top - size) / 2;
    return RECT{left, top, left + size, top + size};
}

void PaintGlyph(DeviceContext& dc, const RECT& area, const std::uint16_t* rows, int width, int height,
                COLORREF color) {
    const LONG left = area.left + (area.right - area.left - width) / 2;
    const LONG top = area.top + (area.bottom - area.top - height) / 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((rows[y] >> x) & 1) {
                PaintRect(dc, RECT{left + x, top + y, left + x + 1, top + y + 1}, color);
            }
        }
    }
}

} // namespace win::gdi_p

namespace win::direct {

using namespace gdi_p;

namespace {

void PushButton(DeviceContext& dc, RECT& r, UINT state) {
    const bool down = state & (DFCS_PUSHED | DFCS_CHECKED);
    UINT flags = BF_RECT | BF_SOFT | BF_ADJUST;
    if (state & DFCS_FLAT) {
        flags |= BF_FLAT;
    }
    if (state & DFCS_MONO) {
        flags |= BF_MONO;
    }
    DrawEdgeOn(dc, r, down ? EDGE_SUNKEN : EDGE_RAISED, flags);
    if ((state & DFCS_CHECKED) && !(state & DFCS_PUSHED)) {
        // A checked, released button shows a dithered face.
        PaintChecker(dc, r, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNFACE));
    } else {
        PaintRect(dc, r, (state & DFCS_MONO) ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE));
    }
}

void CheckBox(DeviceContext& dc, const RECT& r, UINT state) {
    RECT box = CentredSquare(r);
    const bool inactive = state & DFCS_INACTIVE;
    const bool threeState = state & DFCS_BUTTON3STATE;
    if (state & (DFCS_FLAT | DFCS_MONO)) {
        DrawEdgeOn(dc, box, BDR_SUNKENOUTER, BF_RECT | BF_MONO);
    } else {
        DrawEdgeOn(dc, box, EDGE_SUNKEN, BF_RECT);
    }
    const bool faceFill = inactive || (state & DFCS_PUSHED) || (threeState && (state & DFCS_CHECKED));
    PaintRect(dc, box, faceFill ? Sys(COLOR_BTNFACE) : Sys(COLOR_WINDOW));
    if (state & DFCS_CHECKED) {
        const COLORREF mark =
            inactive ? Sys(COLOR_GRAYTEXT) : (threeState ? Sys(COLOR_BTNSHADOW) : Sys(COLOR_WINDOWTEXT));
        PaintGlyph(dc, box, CheckMark, 7, 7, mark);
    }
}

void PaintRing(DeviceContext& dc, const Region& ring, const Region& topLeft, COLORREF light, COLORREF dark) {
    PaintRegion(dc, Region::Combine(ring, topLeft, RGN_AND), light);
    PaintRegion(dc, Region::Combine(ring, topLeft, RGN_DIFF), dark);
}

void RadioButton(DeviceContext& dc, const RECT& r, UINT state) {
    const RECT box = CentredSquare(r);
    const LONG size = box.right - box.left;
    if (size <= 0) {
        return;
    }
    const RECT limit = UnlimitedRect();
    const Region disc = EllipseRegion(box, limit);
    if (state & DFCS_BUTTONRADIOMASK) {
        PaintRect(dc, box, RGB(255, 255, 255));
        PaintRegion(dc, disc, RGB(0, 0, 0));
        return;
    }
    const POINT corner[3] = {{box.left, box.top}, {box.right, box.top}, {box.left, box.bottom}};
    const INT three[1] = {3};
    const Region topLeft = PolyPolygonRegion(corner, three, 1, ALTERNATE, limit).value_or(Region());
    const Region inner = Eroded(disc);
    const Region middle = Eroded(inner);
    const bool inactive = state & DFCS_INACTIVE;
    if (state & (DFCS_FLAT | DFCS_MONO)) {
        PaintRegion(dc, Region::Combine(disc, inner, RGN_DIFF), Sys(COLOR_WINDOWFRAME));
        PaintRegion(dc, inner, inactive ? Sys(COLOR_BTNFACE) : Sys(COLOR_WINDOW));
    } else {
        PaintRing(dc, Region::Combine(disc, inner, RGN_DIFF), topLeft, Sys(COLOR_BTNSHADOW),
                  Sys(COLOR_BTNHIGHLIGHT));
        PaintRing(dc, Region::Combine(inner, middle, RGN_DIFF), topLeft, Sys(COLOR_3DDKSHADOW),
                  Sys(COLOR_3DLIGHT));
        PaintRegion(dc, middle, (inactive || (state & DFCS_PUSHED)) ? Sys(COLOR_BTNFACE) : Sys(COLOR_WINDOW));
    }
    if (state & DFCS_CHECKED) {
        const LONG dot = std::max<LONG>(2, size / 3);
        const LONG left = box.left + (size - dot) / 2;
        const LONG top = box.top + (size - dot) / 2;
        PaintRegion(dc, EllipseRegion(RECT{left, top, left + dot, top + dot}, limit),
                    inactive ? Sys(COLOR_GRAYTEXT) : Sys(COLOR_WINDOWTEXT));
    }
}

void CaptionGlyph(DeviceContext& dc, const RECT& g, UINT kind, COLORREF color) {
    const LONG s = g.right - g.left;
    auto px = [&](LONG x, LONG y) {
        if (x >= 0 && y >= 0 && x < s && y < s) {
            PaintRect(dc, RECT{g.left + x, g.top + y, g.left + x + 1, g.top + y + 1}, color);
        }
    };
    auto frame = [&](LONG l, LONG t, LONG w, LONG h) {
        // A window outline with a two-pixel title bar.
        PaintRect(dc, RECT{g.left + l, g.top + t, g.left + l + w, g.top + t + 2}, color);
        PaintRect(dc, RECT{g.left + l, g.top + t + h - 1, g.left + l + w, g.top + t + h}, color);
        PaintRect(dc, RECT{g.left + l, g.top + t, g.left + l + 1, g.top + t + h}, color);
        PaintRect(dc, RECT{g.left + l + w - 1, g.top + t, g.left + l + w, g.top + t + h}, color);
    };
    switch (kind) {
    case DFCS_CAPTIONCLOSE:
        for (LONG i = 0; i < s; ++i) {
            px(i, i);
            px(i + 1, i);
            px(s - 1 - i, i);
            px(s - 2 - i, i);
        }
        break;
    case DFCS_CAPTIONMIN:
        PaintRect(dc, RECT{g.left + 1, g.bottom - 2, g.right - 2, g.bottom}, color);
        break;
    case DFCS_CAPTIONMAX:
        frame(0, 0, s, s);
        break;
    case DFCS_CAPTIONRESTORE: {
        const LONG w = std::max<LONG>(3, s * 2 / 3);
        frame(s - w, 0, w, w);
        PaintRect(dc, RECT{g.left + s - w, g.top + s - w, g.left + w, g.top + s}, Sys(COLOR_BTNFACE));
        frame(0, s - w, w, w);
        break;
    }
    case DFCS_CAPTIONHELP: {
        static constexpr std::uint16_t question[9] = {0x1E, 0x33, 0x30, 0x18, 0x0C, 0x0C, 0x00, 0x0C, 0x0C};
        PaintGlyph(dc, g, question, 6, 9, color);
        break;
    }
    default:
        break;
    }
}

void CaptionButton(DeviceContext& dc, RECT& r, UINT state) {
    const bool down = state & DFCS_PUSHED;
    DrawEdgeOn(dc, r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT);
    PaintRect(dc, r, Sys(COLOR_BTNFACE));
    const LONG size = std::max<LONG>(3, std::min(r.right - r.left, r.bottom - r.top) - 4);
    RECT glyph = CentredSquare(r);
    glyph = RECT{glyph.left + (glyph.right - glyph.left - size) / 2,
                 glyph.top + (glyph.bottom - glyph.top - size) / 2, 0, 0};
    glyph.right = glyph.left + size;
    glyph.bottom = glyph.top + size;
    if (down) {
        glyph = RECT{glyph.left + 1, glyph.top + 1, glyph.right + 1, glyph.bottom + 1};
    }
    const UINT kind = state & 0xFF;
    if (state & DFCS_INACTIVE) {
        // Embossed: a highlight copy one pixel down and right under the grey glyph.
        CaptionGlyph(dc, RECT{glyph.left + 1, glyph.top + 1, glyph.right + 1, glyph.bottom + 1}, kind,
                     Sys(COLOR_BTNHIGHLIGHT));
        CaptionGlyph(dc, glyph, kind, Sys(COLOR_GRAYTEXT));
    } else {
        CaptionGlyph(dc, glyph, kind, Sys(COLOR_BTNTEXT));
    }
}

// Draws one control; false for a type or part we do not know.
bool DrawControl(DeviceContext& dc, RECT& r, UINT type, UINT state) {
    switch (type) {
    case DFC_BUTTON:
        if (state & DFCS_BUTTONPUSH) {
            PushButton(dc, r, state);
        } else if (state & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
            RadioButton(dc, r, state);
        } else {
            CheckBox(dc, r, state);
        }
        return true;
    case DFC_CAPTION:
        CaptionButton(dc, r, state);
        return true;
    case DFC_MENU:
    case DFC_POPUPMENU:
        return DrawMenuGlyph(dc, r, state);
    case DFC_SCROLL:
        return DrawScrollPart(dc, r, state);
    default:
        return false;
    }
}

} // namespace

BOOL DrawFrameControl(HDC dcHandle, LPRECT rect, UINT type, UINT state) {
    return OnDcRect(dcHandle, rect, [&](DeviceContext& dc, RECT r) {
        if (RectIsEmpty(r)) {
            return BOOL{1};
        }
        if (!DrawControl(dc, r, type, state)) {
            return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
        }
        if ((state & DFCS_ADJUSTRECT) && type == DFC_BUTTON && (state & DFCS_BUTTONPUSH)) {
            *rect = dc.SurfaceToLogical(r);
        }
        return BOOL{1};
    });
}

} // namespace win::direct

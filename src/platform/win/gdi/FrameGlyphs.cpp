// DrawFrameControl's menu glyphs and scroll-bar parts, in the classic look.
//
// Menu glyphs (DFC_MENU, DFC_POPUPMENU) are monochrome, as user32 draws them
// for owner-drawn menus that use the result as a mask: the rectangle becomes
// white and the glyph black, centred in the largest square that fits.
//
// Scroll-bar arrow buttons are raised buttons (not soft) with a face of
// COLOR_BTNFACE; pushed or flat, the frame is one BTNSHADOW line, and a
// pushed arrow moves one pixel down and right. An inactive arrow is embossed.
// The size grip fills its rectangle with the face colour and draws ridges
// across the corner: along the anti-diagonals of the corner square, lines
// 1 and 2 (counted from the corner pixel, modulo 4) in BTNSHADOW and line 3
// in BTNHIGHLIGHT, so each ridge is lit from the top left.
//
// Arrows and grips visit only the rows and columns inside the clip box, so a
// huge rectangle costs no more than what can be seen.

#include "platform/win/gdi/Edge_p.h"
#include "platform/win/gdi/FrameControl_p.h"
#include "platform/win/gdi/Paint_p.h"
#include "platform/win/gdi/RegionShapes.h"

#include <algorithm>

namespace win::gdi_p {

namespace {

enum class ArrowDirection { adUp, adDown, adLeft, adRight };

// A filled arrow `depth` pixels deep with a base of 2 * depth - 1 pixels,
// pointing in `direction`, centred in `area`.
void PaintArrow(DeviceContext& dc, const RECT& area, ArrowDirection direction, LONG depth, COLORREF color) {
    const bool vertical = direction == ArrowDirection::adUp || direction == ArrowDirection::adDown;
    const LONG base = 2 * depth - 1;
    const LONG left = area.left + (area.right - area.left - (vertical ? base : depth)) / 2;
    const LONG top = area.top + (area.bottom - area.top - (vertical ? depth : base)) / 2;
    const RECT& clip = dc.TotalClip().Box();
    // Line `k` from the tip spans 2k + 1 pixels around the arrow's axis.
    if (vertical) {
        const LONG axis = left + depth - 1;
        for (LONG y = std::max(top, clip.top); y < std::min(top + depth, clip.bottom); ++y) {
            const LONG k = direction == ArrowDirection::adUp ? y - top : top + depth - 1 - y;
            PaintRect(dc, RECT{axis - k, y, axis + k + 1, y + 1}, color);
        }
        return;
    }
    const LONG axis = top + depth - 1;
    for (LONG x = std::max(left, clip.left); x < std::min(left + depth, clip.right); ++x) {
        const LONG k = direction == ArrowDirection::adLeft ? x - left : left + depth - 1 - x;
        PaintRect(dc, RECT{x, axis - k, x + 1, axis + k + 1}, color);
    }
}

RECT Shifted(const RECT& r, LONG by) {
    return RECT{r.left + by, r.top + by, r.right + by, r.bottom + by};
}

LONG Side(const RECT& r) {
    return std::min(r.right - r.left, r.bottom - r.top);
}

void PaintBullet(DeviceContext& dc, const RECT& box, COLORREF color) {
    const LONG size = box.right - box.left;
    const LONG dot = std::max<LONG>(2, size * 3 / 8);
    const LONG left = box.left + (size - dot) / 2;
    const LONG top = box.top + (size - dot) / 2;
    PaintRegion(dc, EllipseRegion(RECT{left, top, left + dot, top + dot}, dc.TotalClip().Box()), color);
}

enum class GripCorner { gcLowerRight, gcLowerLeft };

void PaintSizeGrip(DeviceContext& dc, const RECT& r, GripCorner corner) {
    const bool lowerLeft = corner == GripCorner::gcLowerLeft;
    PaintRect(dc, r, Sys(COLOR_BTNFACE));
    const LONG size = Side(r);
    const LONG cornerX = lowerLeft ? r.left : r.right - 1;
    const LONG cornerY = r.bottom - 1;
    const RECT square{lowerLeft ? r.left : r.right - size, r.bottom - size,
                      lowerLeft ? r.left + size : r.right, r.bottom};
    const RECT& clip = dc.TotalClip().Box();
    for (LONG y = std::max(square.top, clip.top); y < std::min(square.bottom, clip.bottom); ++y) {
        for (LONG x = std::max(square.left, clip.left); x < std::min(square.right, clip.right); ++x) {
            // Which anti-diagonal of the corner square the pixel lies on.
            const LONG line = (lowerLeft ? x - cornerX : cornerX - x) + (cornerY - y);
            if (line >= size) {
                continue;
            }
            const LONG phase = line % 4;
            if (phase == 1 || phase == 2) {
                PaintRect(dc, RECT{x, y, x + 1, y + 1}, Sys(COLOR_BTNSHADOW));
            } else if (phase == 3) {
                PaintRect(dc, RECT{x, y, x + 1, y + 1}, Sys(COLOR_BTNHIGHLIGHT));
            }
        }
    }
}

void PaintScrollArrow(DeviceContext& dc, RECT& r, ArrowDirection direction, UINT state) {
    UINT flags = BF_RECT | BF_MIDDLE;
    if (state & DFCS_MONO) {
        flags |= BF_MONO;
    } else if (state & (DFCS_FLAT | DFCS_PUSHED)) {
        flags |= BF_FLAT;
    }
    DrawEdgeOn(dc, r, EDGE_RAISED, flags);
    const RECT face = (state & DFCS_PUSHED) ? Shifted(r, 1) : r;
    const LONG depth = std::max<LONG>(1, Side(face) / 3);
    if (state & DFCS_INACTIVE) {
        PaintArrow(dc, Shifted(face, 1), direction, depth, Sys(COLOR_BTNHIGHLIGHT));
        PaintArrow(dc, face, direction, depth, Sys(COLOR_BTNSHADOW));
    } else {
        PaintArrow(dc, face, direction, depth, Sys(COLOR_BTNTEXT));
    }
}

} // namespace

bool DrawMenuGlyph(DeviceContext& dc, const RECT& r, UINT state) {
    const UINT glyph = state & 0xFF;
    ArrowDirection arrow = ArrowDirection::adRight;
    switch (glyph) {
    case DFCS_MENUARROW:
    case DFCS_MENUCHECK:
    case DFCS_MENUBULLET:
        break;
    case DFCS_MENUARROWRIGHT:
        // For right-to-left menus: the arrow points left.
        arrow = ArrowDirection::adLeft;
        break;
    case DFCS_MENUARROWUP:
        arrow = ArrowDirection::adUp;
        break;
    case DFCS_MENUARROWDOWN:
        arrow = ArrowDirection::adDown;
        break;
    default:
        return false;
    }
    const COLORREF black = RGB(0, 0, 0);
    const RECT box = CentredSquare(r);
    PaintRect(dc, r, RGB(255, 255, 255));
    if (glyph == DFCS_MENUCHECK) {
        PaintGlyph(dc, box, CheckMark, 7, 7, black);
    } else if (glyph == DFCS_MENUBULLET) {
        PaintBullet(dc, box, black);
    } else {
        PaintArrow(dc, box, arrow, std::max<LONG>(1, Side(box) / 4), black);
    }
    return true;
}

bool DrawScrollPart(DeviceContext& dc, RECT& r, UINT state) {
    switch (state & 0xFF) {
    case DFCS_SCROLLUP:
        PaintScrollArrow(dc, r, ArrowDirection::adUp, state);
        return true;
    case DFCS_SCROLLDOWN:
    case DFCS_SCROLLCOMBOBOX:
        PaintScrollArrow(dc, r, ArrowDirection::adDown, state);
        return true;
    case DFCS_SCROLLLEFT:
        PaintScrollArrow(dc, r, ArrowDirection::adLeft, state);
        return true;
    case DFCS_SCROLLRIGHT:
        PaintScrollArrow(dc, r, ArrowDirection::adRight, state);
        return true;
    case DFCS_SCROLLSIZEGRIP:
        PaintSizeGrip(dc, r, GripCorner::gcLowerRight);
        return true;
    case DFCS_SCROLLSIZEGRIPRIGHT:
        // The grip for the lower-left corner (right-to-left windows).
        PaintSizeGrip(dc, r, GripCorner::gcLowerLeft);
        return true;
    default:
        return false;
    }
}

} // namespace win::gdi_p

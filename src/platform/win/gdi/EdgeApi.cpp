// DrawEdge of user32, in the classic colours: each border is one pixel wide;
// the outer border is drawn first, the inner one inside it. The top and left
// lines take the light colour and stop short of the far corners, which the
// bottom and right lines (dark colour) own.
//
// A diagonal edge (BF_DIAGONAL) runs from the origin corner towards the end
// corner that its BF_TOP/BF_BOTTOM and BF_LEFT/BF_RIGHT bits name (bottom and
// left when a pair names neither or both), over the square of the shorter
// side that shares the origin corner. Its inside lies to the right of the
// direction of travel, as the inside of a rectangle drawn clockwise does; the
// inner border runs one column further in, and BF_MIDDLE fills the rest of
// the inside triangle. Flags with BF_BOTTOM take the dark colours, all others
// the light ones.

#include "platform/win/gdi/Edge_p.h"
#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/Paint_p.h"

#include <algorithm>

namespace win::gdi_p {

namespace {

struct EdgeColors {
    COLORREF topLeft;
    COLORREF bottomRight;
};

// Colours of the outer (index 0) and inner (index 1) borders.
void ColorsFor(UINT edge, UINT flags, EdgeColors out[2], bool present[2]) {
    const bool soft = flags & BF_SOFT;
    const UINT outer = edge & BDR_OUTER;
    const UINT inner = edge & BDR_INNER;
    present[0] = outer != 0;
    present[1] = inner != 0;
    if (flags & BF_MONO) {
        out[0] = EdgeColors{Sys(COLOR_WINDOWFRAME), Sys(COLOR_WINDOWFRAME)};
        out[1] = EdgeColors{Sys(COLOR_WINDOW), Sys(COLOR_WINDOW)};
        return;
    }
    if (flags & BF_FLAT) {
        out[0] = EdgeColors{Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW)};
        out[1] = EdgeColors{Sys(COLOR_BTNFACE), Sys(COLOR_BTNFACE)};
        return;
    }
    // Raised outer: light / dark shadow; raised inner: highlight / shadow;
    // sunken outer: shadow / highlight; sunken inner: dark shadow / light.
    // Soft edges swap the top-left colours of the two borders.
    COLORREF outerTL = (outer & BDR_RAISEDOUTER) ? Sys(COLOR_3DLIGHT) : Sys(COLOR_BTNSHADOW);
    const COLORREF outerBR = (outer & BDR_RAISEDOUTER) ? Sys(COLOR_3DDKSHADOW) : Sys(COLOR_BTNHIGHLIGHT);
    COLORREF innerTL = (inner & BDR_RAISEDINNER) ? Sys(COLOR_BTNHIGHLIGHT) : Sys(COLOR_3DDKSHADOW);
    const COLORREF innerBR = (inner & BDR_RAISEDINNER) ? Sys(COLOR_BTNSHADOW) : Sys(COLOR_3DLIGHT);
    if (soft && outer && inner) {
        std::swap(outerTL, innerTL);
    }
    out[0] = EdgeColors{outerTL, outerBR};
    out[1] = EdgeColors{innerTL, innerBR};
}

void DrawBorder(DeviceContext& dc, RECT& r, const EdgeColors& colors, UINT flags) {
    if (RectIsEmpty(r)) {
        return;
    }
    if (flags & BF_TOP) {
        PaintRect(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, colors.topLeft);
    }
    if (flags & BF_LEFT) {
        PaintRect(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, colors.topLeft);
    }
    if (flags & BF_BOTTOM) {
        PaintRect(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, colors.bottomRight);
    }
    if (flags & BF_RIGHT) {
        PaintRect(dc, RECT{r.right - 1, r.top, r.right, r.bottom - 1}, colors.bottomRight);
    }
    r.left += (flags & BF_LEFT) ? 1 : 0;
    r.top += (flags & BF_TOP) ? 1 : 0;
    r.right -= (flags & BF_RIGHT) ? 1 : 0;
    r.bottom -= (flags & BF_BOTTOM) ? 1 : 0;
}

COLORREF MiddleColor(UINT flags) {
    return (flags & BF_MONO) ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE);
}

// The square a diagonal edge is drawn in and the way it runs.
struct Diagonal {
    RECT square;
    POINT origin; // the origin corner's pixel
    LONG dx;      // +1 towards the right, -1 towards the left
    LONG dy;      // +1 downwards, -1 upwards
    LONG inward;  // the horizontal step from the line into the inside
};

Diagonal DiagonalFor(const RECT& r, UINT flags) {
    const bool endRight = (flags & BF_RIGHT) && !(flags & BF_LEFT);
    const bool endTop = (flags & BF_TOP) && !(flags & BF_BOTTOM);
    const LONG size = std::min(r.right - r.left, r.bottom - r.top);
    Diagonal d;
    d.square.left = endRight ? r.left : r.right - size;
    d.square.top = endTop ? r.bottom - size : r.top;
    d.square.right = d.square.left + size;
    d.square.bottom = d.square.top + size;
    d.dx = endRight ? 1 : -1;
    d.dy = endTop ? -1 : 1;
    d.origin =
        POINT{endRight ? d.square.left : d.square.right - 1, endTop ? d.square.bottom - 1 : d.square.top};
    // Right of the direction of travel (y grows downwards).
    d.inward = -d.dy;
    return d;
}

// One row of a diagonal edge: `borders[k]` is drawn `k` columns in from the
// line, the middle fills on to the square's side.
void DrawDiagonalRow(DeviceContext& dc, const Diagonal& d, LONG y, const COLORREF* borders, int borderCount,
                     UINT flags) {
    const LONG line = d.origin.x + (y - d.origin.y) * d.dy * d.dx;
    auto inSquare = [&](LONG x) { return x >= d.square.left && x < d.square.right; };
    for (int k = 0; k < borderCount; ++k) {
        const LONG x = line + k * d.inward;
        if (inSquare(x)) {
            PaintRect(dc, RECT{x, y, x + 1, y + 1}, borders[k]);
        }
    }
    const LONG first = line + borderCount * d.inward;
    if ((flags & BF_MIDDLE) && inSquare(first)) {
        const RECT span =
            d.inward > 0 ? RECT{first, y, d.square.right, y + 1} : RECT{d.square.left, y, first + 1, y + 1};
        PaintRect(dc, span, MiddleColor(flags));
    }
}

void DrawDiagonal(DeviceContext& dc, RECT& r, const EdgeColors colors[2], const bool present[2], UINT flags) {
    if (RectIsEmpty(r)) {
        return;
    }
    COLORREF borders[2];
    int borderCount = 0;
    for (int i = 0; i < 2; ++i) {
        if (present[i]) {
            borders[borderCount++] = (flags & BF_BOTTOM) ? colors[i].bottomRight : colors[i].topLeft;
        }
    }
    const Diagonal d = DiagonalFor(r, flags);
    // Only the rows that can be seen: a huge square costs no more than the surface.
    const RECT& clip = dc.TotalClip().Box();
    const LONG top = std::max(d.square.top, clip.top);
    const LONG bottom = std::min(d.square.bottom, clip.bottom);
    for (LONG y = top; y < bottom; ++y) {
        DrawDiagonalRow(dc, d, y, borders, borderCount, flags);
    }
    r.left += (flags & BF_LEFT) ? borderCount : 0;
    r.top += (flags & BF_TOP) ? borderCount : 0;
    r.right -= (flags & BF_RIGHT) ? borderCount : 0;
    r.bottom -= (flags & BF_BOTTOM) ? borderCount : 0;
}

} // namespace

void DrawEdgeOn(DeviceContext& dc, RECT& r, UINT edge, UINT flags) {
    EdgeColors colors[2];
    bool present[2];
    ColorsFor(edge, flags, colors, present);
    if (flags & BF_DIAGONAL) {
        DrawDiagonal(dc, r, colors, present, flags);
        return;
    }
    for (int i = 0; i < 2; ++i) {
        if (present[i]) {
            DrawBorder(dc, r, colors[i], flags);
        }
    }
    if (flags & BF_MIDDLE) {
        PaintRect(dc, r, MiddleColor(flags));
    }
}

} // namespace win::gdi_p

namespace win::direct {

using namespace gdi_p;

BOOL DrawEdge(HDC dcHandle, LPRECT rect, UINT edge, UINT flags) {
    return OnDcRect(dcHandle, rect, [&](DeviceContext& dc, RECT r) {
        DrawEdgeOn(dc, r, edge, flags);
        if (flags & BF_ADJUST) {
            *rect = dc.SurfaceToLogical(r);
        }
        return BOOL{1};
    });
}

} // namespace win::direct

// DrawEdge of user32, in the classic colours: each border is one pixel wide;
// the outer border is drawn first, the inner one inside it. The top and left
// lines take the light colour and stop short of the far corners, which the
// bottom and right lines (dark colour) own.

#include "platform/win/gdi/Edge_p.h"
#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/Paint_p.h"

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

} // namespace

void DrawEdgeOn(DeviceContext& dc, RECT& r, UINT edge, UINT flags) {
    EdgeColors colors[2];
    bool present[2];
    ColorsFor(edge, flags, colors, present);
    // FIXME: BF_DIAGONAL edges are not drawn.
    if (flags & BF_DIAGONAL) {
        return;
    }
    for (int i = 0; i < 2; ++i) {
        if (present[i]) {
            DrawBorder(dc, r, colors[i], flags);
        }
    }
    if (flags & BF_MIDDLE) {
        PaintRect(dc, r, (flags & BF_MONO) ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE));
    }
}

} // namespace win::gdi_p

namespace win::direct {

using namespace gdi_p;

BOOL DrawEdge(HDC dcHandle, LPRECT rect, UINT edge, UINT flags) {
    if (!rect) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    RECT r = dc->LogicalToSurface(*rect);
    DrawEdgeOn(*dc, r, edge, flags);
    if (flags & BF_ADJUST) {
        *rect = dc->SurfaceToLogical(r);
    }
    return 1;
}

} // namespace win::direct

#include "platform/win/gdi/GdiExports.h"
#include "platform/win/gdi/GdiHandleTable.h"
#include "platform/win/gdi/GdiRegion.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/Paint_p.h"
#include "platform/win/user/UserErrors.h"
#include "platform/win/user/WindowPos.h"

namespace win {

namespace {

void ShapeSurfaceLocked(TWnd& w) {
    if (!w.Surface)
        return;
    std::vector<display::TRect> rects;
    for (const RECT& r : w.WindowRgn.Rects())
        rects.push_back({r.left, r.top, r.right, r.bottom});
    Wm().Backend().SetSurfaceShape(w.Surface, w.HasWindowRgn, rects);
}

} // namespace

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
    std::optional<Region> shape;
    if (region) {
        auto object = GdiHandleTable::Instance().LookupAs<GdiRegion>(region, GdiKind::gkRegion);
        if (!object) {
            SetUserError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        shape = object->Get();
    }
    {
        TWindowManager& wm = Wm();
        auto lock = wm.Lock();
        TWnd* w = wm.FindLive(hwnd);
        if (!w) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        // The area the old shape covered is uncovered now.
        if (redraw && !wm.IsTopLevel(*w))
            if (TWnd* parent = wm.Find(w->Parent))
                InvalidateAreaLocked(*parent, w->Window, kInvalidateAllChildren | kInvalidateErase);
        w->HasWindowRgn = shape.has_value();
        w->WindowRgn = shape ? *shape : Region();
        ShapeSurfaceLocked(*w);
    }
    // The system owns the region from now on.
    if (region)
        direct::DeleteObject(region);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                     (redraw ? 0 : SWP_NOREDRAW));
    return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region) {
    Region shape;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w || !w->HasWindowRgn)
            return ERROR;
        shape = w->WindowRgn;
    }
    auto object = GdiHandleTable::Instance().LookupAs<GdiRegion>(region, GdiKind::gkRegion);
    if (!object)
        return ERROR;
    object->Set(shape);
    return shape.Complexity();
}

int GetWindowRgnBox(HWND hwnd, LPRECT rect) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w || !w->HasWindowRgn || !rect)
        return ERROR;
    *rect = w->WindowRgn.IsEmpty() ? RECT{0, 0, 0, 0} : w->WindowRgn.Box();
    return w->WindowRgn.Complexity();
}

} // namespace win

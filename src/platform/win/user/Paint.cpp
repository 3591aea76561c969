#include "platform/win/user/Paint.h"

#include "platform/win/gdi/GdiExports.h"
#include "platform/win/gdi/GdiHandleTable.h"
#include "platform/win/gdi/GdiRegion.h"
#include "platform/win/gdi/SurfaceDc.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/Paint_p.h"
#include "platform/win/user/Surface_p.h"
#include "platform/win/user/UserErrors.h"
#include "platform/win/user/Window.h"
#include "platform/win/user/WindowPos.h"

#include <algorithm>

namespace win {

namespace {

RECT OffsetRect(const RECT& r, LONG dx, LONG dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

Region Offset(Region r, LONG dx, LONG dy) {
    if (!r.Offset(dx, dy))
        return Region();
    return r;
}

RECT ClientArea(const TWnd& w) {
    return {0, 0, w.Client.right - w.Client.left, w.Client.bottom - w.Client.top};
}

bool InLockedTreeLocked(const TWnd& w) {
    const HWND locked = Wm().LockedWindow;
    return locked && (w.Handle == locked || Wm().IsDescendant(locked, w.Handle));
}

// The part of a window's client area that lies inside all its ancestors'
// client areas, in its own client coordinates.
RECT VisibleClientRectLocked(const TWnd& w) {
    TWindowManager& wm = Wm();
    RECT vis = wm.ScreenClientRect(w);
    for (TWnd* p = wm.Find(w.Parent); p && p->Handle != wm.Desktop(); p = wm.Find(p->Parent))
        vis = RectIntersection(vis, wm.ScreenClientRect(*p));
    const POINT o = wm.ClientOrigin(w);
    return OffsetRect(vis, -o.x, -o.y);
}

bool PaintPendingLocked(const TWnd& w) {
    return !w.Update.IsEmpty() || w.InternalPaint || w.FramePaintNeeded;
}

} // namespace

// --- update regions

void InvalidateRegionLocked(TWnd& w, const Region& area, unsigned flags) {
    TWindowManager& wm = Wm();
    if (!wm.IsVisibleOnScreen(w) || w.Dead)
        return;
    if (InLockedTreeLocked(w)) {
        // Painting is held back; the whole locked window is repainted on release.
        wm.LockedInvalidated = true;
        return;
    }
    const Region clipped = area.Intersected(VisibleClientRectLocked(w));
    if (!clipped.IsEmpty() || (flags & (kInvalidateFrame | kInvalidateInternal))) {
        w.Update = Region::Combine(w.Update, clipped, RGN_OR);
        if (flags & kInvalidateErase)
            w.EraseNeeded = true;
        if (flags & kInvalidateFrame)
            w.FramePaintNeeded = true;
        if (flags & kInvalidateInternal)
            w.InternalPaint = true;
        if (TMessageQueue* q = wm.QueueOf(w.ThreadId))
            wm.WakeQueue(*q);
    }
    // Children share the area unless the window clips them out of it.
    const bool children = !(flags & kInvalidateNoChildren) &&
                          ((flags & kInvalidateAllChildren) || !(w.Style & WS_CLIPCHILDREN));
    if (!children || clipped.IsEmpty())
        return;
    for (HWND child : w.Children) {
        TWnd* c = wm.FindLive(child);
        if (!c || !(c->Style & WS_VISIBLE))
            continue;
        Region childArea = Offset(clipped, -c->Client.left, -c->Client.top);
        InvalidateRegionLocked(*c, childArea, flags & ~(kInvalidateFrame | kInvalidateInternal));
    }
}

void InvalidateAreaLocked(TWnd& w, const RECT& area, unsigned flags) {
    InvalidateRegionLocked(w, Region(RectNormalized(area)), flags);
}

void InvalidateWholeLocked(TWnd& w, unsigned flags) {
    InvalidateRegionLocked(w, Region(ClientArea(w)), flags);
}

namespace {

void ValidateRegionLocked(TWnd& w, const Region& area, bool children) {
    w.Update = Region::Combine(w.Update, area, RGN_DIFF);
    if (w.Update.IsEmpty())
        w.EraseNeeded = false;
    if (!children)
        return;
    for (HWND child : w.Children)
        if (TWnd* c = Wm().FindLive(child))
            ValidateRegionLocked(*c, Offset(area, -c->Client.left, -c->Client.top), true);
}

HWND FindPendingLocked(HWND hwnd, DWORD threadId, HWND filter) {
    TWindowManager& wm = Wm();
    TWnd* w = wm.FindLive(hwnd);
    if (!w || !(w->Style & WS_VISIBLE) || (w->Style & WS_MINIMIZE))
        return nullptr;
    const MSG probe{hwnd, WM_PAINT, 0, 0, 0, {}, 0};
    if (w->ThreadId == threadId && PaintPendingLocked(*w) && MessageMatches(probe, filter, 0, 0))
        return hwnd;
    for (HWND child : w->Children)
        if (HWND found = FindPendingLocked(child, threadId, filter))
            return found;
    return nullptr;
}

// Windows that show an UpdateLayeredWindow picture never paint.
bool PaintsLocked(const TWnd& top) {
    return !((top.ExStyle & WS_EX_LAYERED) && top.LayeredImageSet);
}

Region RegionOfHandle(HRGN region, bool& ok) {
    auto object = GdiHandleTable::Instance().LookupAs<GdiRegion>(region, GdiKind::gkRegion);
    ok = object != nullptr;
    return object ? object->Get() : Region();
}

} // namespace

HWND PaintPendingWindowLocked(DWORD threadId, HWND filter) {
    TWindowManager& wm = Wm();
    for (HWND top : wm.Find(wm.Desktop())->Children) {
        TWnd* t = wm.FindLive(top);
        if (!t || !PaintsLocked(*t))
            continue;
        if (HWND found = FindPendingLocked(top, threadId, filter))
            return found;
    }
    return nullptr;
}

namespace {

// What RedrawWindow and its relatives do to the update regions (lock held).
bool ApplyRedrawLocked(TWnd& w, const Region* area, UINT flags) {
    const Region whole(ClientArea(w));
    const Region& target = area ? *area : whole;
    if (flags & RDW_INVALIDATE) {
        unsigned f = 0;
        f |= (flags & RDW_ERASE) ? kInvalidateErase : 0;
        f |= (flags & RDW_FRAME) ? kInvalidateFrame : 0;
        f |= (flags & RDW_ALLCHILDREN) ? kInvalidateAllChildren : 0;
        f |= (flags & RDW_NOCHILDREN) ? kInvalidateNoChildren : 0;
        f |= (flags & RDW_INTERNALPAINT) ? kInvalidateInternal : 0;
        InvalidateRegionLocked(w, target, f);
    }
    if (flags & RDW_VALIDATE) {
        const bool children =
            !(flags & RDW_NOCHILDREN) && ((flags & RDW_ALLCHILDREN) || !(w.Style & WS_CLIPCHILDREN));
        ValidateRegionLocked(w, target, children);
        if (flags & RDW_NOERASE)
            w.EraseNeeded = false;
        if (flags & RDW_NOFRAME)
            w.FramePaintNeeded = false;
        if (flags & RDW_NOINTERNALPAINT)
            w.InternalPaint = false;
    }
    return true;
}

// Erases now what waits to be erased: WM_NCPAINT and WM_ERASEBKGND, the
// update region itself stays for WM_PAINT.
void EraseNow(HWND hwnd) {
    bool frame = false;
    bool erase = false;
    Region update;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return;
        frame = w->FramePaintNeeded;
        erase = w->EraseNeeded;
        update = w->Update;
        w->FramePaintNeeded = false;
        w->EraseNeeded = false;
    }
    if (frame)
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    if (!erase)
        return;
    HDC dc = nullptr;
    {
        auto lock = Wm().Lock();
        if (TWnd* w = Wm().FindLive(hwnd))
            dc = CreateWindowDcLocked(*w, DCX_USESTYLE, &update, nullptr);
    }
    if (!dc)
        return;
    if (!SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0)) {
        // Not erased: BeginPaint will tell the window to erase.
        auto lock = Wm().Lock();
        if (TWnd* w = Wm().FindLive(hwnd))
            w->EraseUnhandled = true;
    }
    ReleaseDC(hwnd, dc);
}

std::vector<HWND> TreeOf(HWND hwnd, bool children) {
    std::vector<HWND> list{hwnd};
    if (children) {
        auto lock = Wm().Lock();
        Wm().CollectDescendants(hwnd, list);
    }
    return list;
}

} // namespace

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
    return RedrawWindow(hwnd, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL ValidateRgn(HWND hwnd, HRGN region) {
    return RedrawWindow(hwnd, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL RedrawWindow(HWND hwnd, const RECT* updateRect, HRGN updateRegion, UINT flags) {
    std::optional<Region> area;
    if (updateRegion) {
        bool ok = false;
        area = RegionOfHandle(updateRegion, ok);
        if (!ok) {
            SetUserError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    } else if (updateRect) {
        area = Region(RectNormalized(*updateRect));
    }
    std::vector<HWND> roots;
    {
        TWindowManager& wm = Wm();
        auto lock = wm.Lock();
        if (!hwnd || hwnd == wm.Desktop()) {
            // The whole desktop: every top-level window, children included.
            roots = wm.Find(wm.Desktop())->Children;
            for (HWND top : roots)
                if (TWnd* t = wm.FindLive(top))
                    ApplyRedrawLocked(*t, nullptr, flags | RDW_ALLCHILDREN);
        } else {
            TWnd* w = wm.FindLive(hwnd);
            if (!w) {
                SetUserError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            ApplyRedrawLocked(*w, area ? &*area : nullptr, flags);
            roots.push_back(hwnd);
        }
    }
    if (flags & (RDW_ERASENOW | RDW_UPDATENOW)) {
        for (HWND root : roots) {
            for (HWND h : TreeOf(root, !(flags & RDW_NOCHILDREN))) {
                if (flags & RDW_UPDATENOW)
                    UpdateWindow(h);
                else
                    EraseNow(h);
            }
        }
    }
    return 1;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
    bool pending = false;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (rect)
            *rect = w->Update.IsEmpty() ? RECT{0, 0, 0, 0} : w->Update.Box();
        pending = !w->Update.IsEmpty();
    }
    if (pending && erase)
        EraseNow(hwnd);
    return pending ? 1 : 0;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase) {
    Region update;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return ERROR;
        }
        update = w->Update;
    }
    auto object = GdiHandleTable::Instance().LookupAs<GdiRegion>(region, GdiKind::gkRegion);
    if (!object) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    object->Set(update);
    if (!update.IsEmpty() && erase)
        EraseNow(hwnd);
    return update.Complexity();
}

BOOL UpdateWindow(HWND hwnd) {
    bool pending = false;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        TWnd* top = Wm().FindLive(Wm().RootOf(hwnd));
        pending = PaintPendingLocked(*w) && Wm().IsVisibleOnScreen(*w) && top && PaintsLocked(*top);
    }
    if (pending)
        SendMessageW(hwnd, WM_PAINT, 0, 0);
    return 1;
}

// --- painting

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    if (!paint)
        return nullptr;
    Region update;
    bool frame = false;
    bool erase = false;
    bool unhandled = false;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        update = w->Update;
        frame = w->FramePaintNeeded;
        erase = w->EraseNeeded;
        unhandled = w->EraseUnhandled;
        w->EraseUnhandled = false;
        w->Update = Region();
        w->FramePaintNeeded = false;
        w->EraseNeeded = false;
        w->InternalPaint = false;
    }
    if (frame)
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    HDC dc = nullptr;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return nullptr;
        dc = CreateWindowDcLocked(*w, DCX_USESTYLE, &update, nullptr);
    }
    if (!dc)
        return nullptr;
    *paint = {};
    paint->hdc = dc;
    paint->rcPaint = update.IsEmpty() ? RECT{0, 0, 0, 0} : update.Box();
    paint->fErase = erase ? !SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) : unhandled;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    if (!paint)
        return 0;
    ReleaseDC(hwnd, paint->hdc);
    return 1;
}

HDC GetDC(HWND hwnd) {
    return GetDCEx(hwnd, nullptr, DCX_USESTYLE);
}

HDC GetWindowDC(HWND hwnd) {
    return GetDCEx(hwnd, nullptr, DCX_WINDOW | DCX_USESTYLE);
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags) {
    if (!hwnd)
        return ScreenDc();
    std::optional<Region> clipRegion;
    if (clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
        bool ok = false;
        clipRegion = RegionOfHandle(clip, ok);
        if (!ok)
            clipRegion.reset();
        else
            direct::DeleteObject(clip); // the system owns the region it was given
    }
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TWnd* w = wm.FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (hwnd == wm.Desktop())
        return ScreenDcLocked();
    std::optional<Region> intersect;
    if (clipRegion && (flags & DCX_INTERSECTRGN))
        intersect = *clipRegion;
    if (flags & DCX_INTERSECTUPDATE)
        intersect = intersect ? Region::Combine(*intersect, w->Update, RGN_AND) : w->Update;
    const Region* exclude = clipRegion && (flags & DCX_EXCLUDERGN) ? &*clipRegion : nullptr;
    HDC dc = CreateWindowDcLocked(*w, flags, intersect ? &*intersect : nullptr, exclude);
    if (dc && (flags & DCX_VALIDATE) && (flags & DCX_INTERSECTUPDATE))
        w->Update = Region();
    return dc;
}

int ReleaseDC(HWND /*hwnd*/, HDC dc) {
    auto lock = Wm().Lock();
    return ReleaseWindowDcLocked(dc) ? 1 : 0;
}

HWND WindowFromDC(HDC dc) {
    auto lock = Wm().Lock();
    for (const TWindowDc& d : Wm().Dcs)
        if (d.Dc == dc)
            return d.Hwnd;
    return nullptr;
}

BOOL LockWindowUpdate(HWND hwnd) {
    HWND released = nullptr;
    bool repaint = false;
    {
        TWindowManager& wm = Wm();
        auto lock = wm.Lock();
        if (hwnd) {
            if (wm.LockedWindow || !wm.FindLive(hwnd))
                return 0;
            wm.LockedWindow = hwnd;
            wm.LockedInvalidated = false;
            return 1;
        }
        released = wm.LockedWindow;
        repaint = wm.LockedInvalidated;
        wm.LockedWindow = nullptr;
        wm.LockedInvalidated = false;
    }
    // What was invalidated while locked is repainted now, children included.
    if (released && repaint)
        RedrawWindow(released, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return 1;
}

// --- default handling

LRESULT DefEraseBackground(HWND hwnd, HDC dc) {
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
    if (!brush || !dc)
        return 0;
    // A class background of COLOR_xxx + 1 names a system colour.
    const ULONG_PTR value = reinterpret_cast<ULONG_PTR>(brush);
    if (value <= 31)
        brush = direct::GetSysColorBrush(static_cast<int>(value) - 1);
    RECT client{};
    GetClientRect(hwnd, &client);
    direct::FillRect(dc, &client, brush);
    return 1;
}

LRESULT DefPrint(HWND hwnd, HDC dc, LPARAM flags) {
    if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(hwnd))
        return 0;
    if (flags & PRF_ERASEBKGND)
        SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    if (flags & PRF_CLIENT)
        SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    if (!(flags & PRF_CHILDREN))
        return 0;
    std::vector<std::pair<HWND, POINT>> children;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return 0;
        // Bottom-most first, so upper children paint over lower ones.
        for (auto it = w->Children.rbegin(); it != w->Children.rend(); ++it)
            if (TWnd* c = Wm().FindLive(*it); c && (c->Style & WS_VISIBLE))
                children.emplace_back(*it, POINT{c->Client.left, c->Client.top});
    }
    for (const auto& [child, at] : children) {
        const int saved = direct::SaveDC(dc);
        direct::OffsetViewportOrgEx(dc, at.x, at.y, nullptr);
        SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags & ~PRF_CHECKVISIBLE);
        direct::RestoreDC(dc, saved);
    }
    return 0;
}

void DefPaint(HWND hwnd) {
    PAINTSTRUCT ps{};
    if (BeginPaint(hwnd, &ps))
        EndPaint(hwnd, &ps);
}

} // namespace win

#include "platform/win/user/WindowPos.h"

#include "platform/win/user/Focus_p.h"
#include "platform/win/user/Input_p.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/Monitor_p.h"
#include "platform/win/user/Paint_p.h"
#include "platform/win/user/SystemInfo.h"
#include "platform/win/user/UserErrors.h"
#include "platform/win/user/Window.h"
#include "platform/win/user/WindowPos_p.h"

#include <algorithm>

namespace win {

namespace {

LONG Width(const RECT& r) {
    return r.right - r.left;
}
LONG Height(const RECT& r) {
    return r.bottom - r.top;
}

RECT Offset(const RECT& r, LONG dx, LONG dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

bool IsTopmostBand(const TWindowManager& wm, HWND hwnd) {
    TWnd* w = wm.Find(hwnd);
    return w && (w->ExStyle & WS_EX_TOPMOST);
}

std::size_t FirstNonTopmost(const TWindowManager& wm, const std::vector<HWND>& list) {
    std::size_t i = 0;
    while (i < list.size() && IsTopmostBand(wm, list[i]))
        ++i;
    return i;
}

bool OwnedBy(const TWindowManager& wm, HWND hwnd, HWND owner) {
    for (TWnd* w = wm.Find(hwnd); w && w->Owner; w = wm.Find(w->Owner))
        if (w->Owner == owner)
            return true;
    return false;
}

// Arguments of a SetWindowPos carried to the window's own thread.
struct TSetWindowPosArgs {
    HWND InsertAfter;
    int X, Y, Cx, Cy;
    UINT Flags;
};

// The thread that owns a window does its placement; other threads hand it over.
bool OwnedByOtherThread(HWND hwnd, bool& valid) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    valid = w && hwnd != Wm().Desktop();
    return valid && w->ThreadId != 0 && w->ThreadId != CurrentThreadId();
}

// What SetWindowPos changes, gathered under the lock before any message.
struct TPlacement {
    RECT OldWindow;
    RECT OldClient;
    bool WasVisible;
    bool TopLevel;
    DWORD Style;
    DWORD ExStyle;
};

bool ReadPlacement(HWND hwnd, TPlacement& p) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w)
        return false;
    p = {w->Window, w->Client, (w->Style & WS_VISIBLE) != 0, Wm().IsTopLevel(*w), w->Style, w->ExStyle};
    return true;
}

// Repaints what a placement change uncovers or moves, as the system does
// unless SWP_NOREDRAW: the parent under the old place, and the window itself
// when it was shown, resized or moved inside its top-level surface.
void InvalidateAfterPlacement(TWnd& w, const TPlacement& old, UINT flags) {
    TWindowManager& wm = Wm();
    const bool visibleNow = (w.Style & WS_VISIBLE) != 0;
    const bool moved = !(flags & SWP_NOMOVE);
    const bool sized = !(flags & SWP_NOSIZE);
    const bool restacked = !(flags & SWP_NOZORDER);
    TWnd* parent = wm.Find(w.Parent);
    if (parent && !old.TopLevel && old.WasVisible && (moved || sized || (flags & SWP_HIDEWINDOW)))
        InvalidateAreaLocked(*parent, old.OldWindow, kInvalidateAllChildren | kInvalidateErase);
    if (!visibleNow)
        return;
    const bool shown = (flags & SWP_SHOWWINDOW) != 0;
    if (shown || sized || (flags & SWP_FRAMECHANGED) || (!old.TopLevel && (moved || restacked)))
        InvalidateWholeLocked(w, kInvalidateAllChildren | kInvalidateErase | kInvalidateFrame);
}

} // namespace

RECT FrameInsets(DWORD style, DWORD exStyle) {
    LONG side = 0;
    if (style & WS_THICKFRAME)
        side = GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER);
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        side = GetSystemMetrics(SM_CXDLGFRAME);
    else if (style & WS_BORDER)
        side = GetSystemMetrics(SM_CXBORDER);
    if (exStyle & WS_EX_CLIENTEDGE)
        side += GetSystemMetrics(SM_CXEDGE);
    if (exStyle & WS_EX_STATICEDGE)
        side += GetSystemMetrics(SM_CXBORDER);
    RECT insets{side, side, side, side};
    if ((style & WS_CAPTION) == WS_CAPTION)
        insets.top += GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    return insets;
}

void QueryMinMaxInfo(HWND hwnd, MINMAXINFO* info) {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT work{};
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return;
        style = w->Style;
        exStyle = w->ExStyle;
        work = WorkAreaOfRectLocked(Wm().ScreenWindowRect(*w));
    }
    const RECT insets = FrameInsets(style, exStyle);
    const LONG bx = insets.left;
    const LONG by = insets.bottom;
    // The frame of a maximised window lies outside the work area.
    info->ptMaxSize = {Width(work) + 2 * bx, Height(work) + 2 * by};
    info->ptMaxPosition = {-bx, -by};
    info->ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info->ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(info));
}

void LinkWindowLocked(TWnd& w, HWND insertAfter, bool noOwnerZOrder) {
    TWindowManager& wm = Wm();
    TWnd* parent = wm.Find(w.Parent);
    if (!parent)
        return;
    auto& list = parent->Children;
    const auto oldAt = std::find(list.begin(), list.end(), w.Handle);
    const std::size_t oldIndex = oldAt == list.end() ? 0 : static_cast<std::size_t>(oldAt - list.begin());
    if (oldAt != list.end())
        list.erase(oldAt);
    const bool topLevel = w.Parent == wm.Desktop();
    std::size_t pos = 0;
    if (insertAfter == HWND_TOPMOST) {
        if (topLevel)
            w.ExStyle |= WS_EX_TOPMOST;
    } else if (insertAfter == HWND_NOTOPMOST) {
        w.ExStyle &= ~WS_EX_TOPMOST;
        pos = topLevel ? FirstNonTopmost(wm, list) : 0;
    } else if (insertAfter == HWND_TOP) {
        pos = topLevel && !(w.ExStyle & WS_EX_TOPMOST) ? FirstNonTopmost(wm, list) : 0;
    } else if (insertAfter == HWND_BOTTOM) {
        w.ExStyle &= ~WS_EX_TOPMOST;
        pos = list.size();
    } else {
        const auto at = std::find(list.begin(), list.end(), insertAfter);
        pos = at == list.end() ? std::min(oldIndex, list.size())
                               : static_cast<std::size_t>(at - list.begin()) + 1;
    }
    if (topLevel) {
        // A window keeps to its band: placed below a normal window a topmost
        // one stops being topmost; a normal one never rises into the topmost band.
        const std::size_t band = FirstNonTopmost(wm, list);
        if ((w.ExStyle & WS_EX_TOPMOST) && pos > band)
            w.ExStyle &= ~WS_EX_TOPMOST;
        if (!(w.ExStyle & WS_EX_TOPMOST) && pos < band)
            pos = band;
        // An owned window never goes below its owner.
        if (w.Owner) {
            const auto owner = std::find(list.begin(), list.end(), w.Owner);
            if (owner != list.end() && pos > static_cast<std::size_t>(owner - list.begin()))
                pos = static_cast<std::size_t>(owner - list.begin());
        }
    }
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), w.Handle);
    if (!topLevel || noOwnerZOrder)
        return;
    // Owned windows of the same band come along, directly above their owner,
    // in their present order.
    std::vector<HWND> owned;
    for (HWND h : list)
        if (h != w.Handle && OwnedBy(wm, h, w.Handle) && IsTopmostBand(wm, h) == IsTopmostBand(wm, w.Handle))
            owned.push_back(h);
    if (owned.empty())
        return;
    std::erase_if(list, [&](HWND h) { return std::find(owned.begin(), owned.end(), h) != owned.end(); });
    const auto self = std::find(list.begin(), list.end(), w.Handle);
    list.insert(self, owned.begin(), owned.end());
}

void RestackSurfacesLocked() {
    TWindowManager& wm = Wm();
    std::vector<display::TSurfaceId> order;
    for (HWND top : wm.Find(wm.Desktop())->Children)
        if (TWnd* t = wm.Find(top); t && t->Surface != 0)
            order.push_back(t->Surface);
    wm.Backend().RestackSurfaces(order);
}

void SyncSurfaceLocked(TWnd& w) {
    TWindowManager& wm = Wm();
    display::TDisplayBackend& backend = wm.Backend();
    const bool wantsSurface = wm.IsTopLevel(w) && w.Handle != wm.Desktop();
    if (!wantsSurface) {
        if (w.Surface != 0) {
            backend.DestroySurface(w.Surface);
            w.Surface = 0;
        }
        return;
    }
    const RECT r = wm.ScreenWindowRect(w);
    const display::TRect bounds{r.left, r.top, r.right, r.bottom};
    const TWnd* owner = wm.Find(w.Owner);
    const bool inputTransparent =
        (w.ExStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) == (WS_EX_LAYERED | WS_EX_TRANSPARENT);
    if (w.Surface == 0) {
        display::TSurfaceParams params;
        params.Bounds = bounds;
        params.Owner = owner ? owner->Surface : 0;
        params.Topmost = (w.ExStyle & WS_EX_TOPMOST) != 0;
        params.NoActivate = (w.ExStyle & WS_EX_NOACTIVATE) != 0;
        params.TaskbarButton = (w.ExStyle & WS_EX_APPWINDOW) || (!w.Owner && !(w.ExStyle & WS_EX_TOOLWINDOW));
        params.InputTransparent = inputTransparent;
        params.ClassName = w.Class ? w.Class->Name : rtl::String();
        w.Surface = backend.CreateSurface(params);
        if (w.Surface == 0)
            return;
        backend.SetSurfaceTitle(w.Surface, w.Text);
        RestackSurfacesLocked();
    }
    if (!(w.Style & WS_MINIMIZE))
        backend.SetSurfaceBounds(w.Surface, bounds);
    backend.SetSurfaceState(w.Surface, (w.Style & WS_MINIMIZE)   ? display::ssMinimized
                                       : (w.Style & WS_MAXIMIZE) ? display::ssMaximized
                                                                 : display::ssNormal);
    backend.SetSurfaceTopmost(w.Surface, (w.ExStyle & WS_EX_TOPMOST) != 0);
    backend.SetSurfaceInputTransparent(w.Surface, inputTransparent);
    // A layered window shows nothing until it has been given its pixels or
    // its attributes.
    const bool layeredReady = !(w.ExStyle & WS_EX_LAYERED) || w.LayeredAttributesSet || w.LayeredImageSet;
    BYTE opacity = 255;
    if ((w.ExStyle & WS_EX_LAYERED) && w.LayeredImageSet)
        opacity = w.LayeredConstantAlpha;
    else if ((w.ExStyle & WS_EX_LAYERED) && w.LayeredAttributesSet && (w.LayeredFlags & LWA_ALPHA))
        opacity = w.LayeredAlpha;
    backend.SetSurfaceOpacity(w.Surface, opacity);
    backend.ShowSurface(w.Surface,
                        (w.Style & WS_VISIBLE) && layeredReady ? display::smShowNoActivate : display::smHide);
}

namespace {

// Minimising, maximising and restoring: the new styles and rectangle, set
// before SetWindowPos so that the window sees its new state in
// WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED.
UINT MinMaximize(HWND hwnd, int cmd, RECT& rect) {
    bool maximizeRect = false;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return SWP_NOSIZE | SWP_NOMOVE;
        switch (cmd) {
        case SW_MINIMIZE:
            if (w->Style & WS_MINIMIZE)
                return SWP_NOSIZE | SWP_NOMOVE;
            w->RestoreToMaximized = (w->Style & WS_MAXIMIZE) != 0;
            if (!(w->Style & WS_MAXIMIZE))
                w->NormalRect = w->Window;
            w->Style = (w->Style & ~WS_MAXIMIZE) | WS_MINIMIZE;
            rect = {kIconicPos, kIconicPos, kIconicPos + GetSystemMetrics(SM_CXMINIMIZED),
                    kIconicPos + GetSystemMetrics(SM_CYMINIMIZED)};
            return SWP_STATECHANGED;
        case SW_MAXIMIZE:
            if (!(w->Style & (WS_MINIMIZE | WS_MAXIMIZE)))
                w->NormalRect = w->Window;
            w->Style = (w->Style & ~WS_MINIMIZE) | WS_MAXIMIZE;
            maximizeRect = true;
            break;
        default: // SW_RESTORE
            if (w->Style & WS_MINIMIZE) {
                w->Style &= ~WS_MINIMIZE;
                if (w->RestoreToMaximized) {
                    w->Style |= WS_MAXIMIZE;
                    maximizeRect = true;
                    break;
                }
            } else if (!(w->Style & WS_MAXIMIZE)) {
                return SWP_NOSIZE | SWP_NOMOVE;
            }
            w->Style &= ~WS_MAXIMIZE;
            rect = w->NormalRect;
            return SWP_STATECHANGED;
        }
    }
    if (maximizeRect) {
        MINMAXINFO mmi{};
        QueryMinMaxInfo(hwnd, &mmi);
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return SWP_NOSIZE | SWP_NOMOVE;
        RECT area{};
        if (Wm().IsTopLevel(*w)) {
            // Placed on the monitor of the window's normal position.
            RECT normal = w->NormalRect;
            area = WorkAreaOfRectLocked(normal);
        } else if (TWnd* parent = Wm().Find(w->Parent)) {
            area = {0, 0, Width(parent->Client), Height(parent->Client)};
        }
        rect = {area.left + mmi.ptMaxPosition.x, area.top + mmi.ptMaxPosition.y,
                area.left + mmi.ptMaxPosition.x + mmi.ptMaxSize.x,
                area.top + mmi.ptMaxPosition.y + mmi.ptMaxSize.y};
    }
    return SWP_STATECHANGED;
}

BOOL SetWindowPosCore(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    TPlacement old{};
    if (!ReadPlacement(hwnd, old)) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    flags &= ~(SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE);
    if ((flags & SWP_SHOWWINDOW) && old.WasVisible)
        flags &= ~SWP_SHOWWINDOW;
    if ((flags & SWP_HIDEWINDOW) && (!old.WasVisible || (flags & SWP_SHOWWINDOW)))
        flags &= ~SWP_HIDEWINDOW;
    if (!old.TopLevel && (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST))
        insertAfter = HWND_TOP;
    WINDOWPOS pos{hwnd, insertAfter, x, y, std::max(cx, 0), std::max(cy, 0), flags};
    auto fillUnchanged = [&old](WINDOWPOS& p) {
        if (p.flags & SWP_NOMOVE) {
            p.x = old.OldWindow.left;
            p.y = old.OldWindow.top;
        }
        if (p.flags & SWP_NOSIZE) {
            p.cx = Width(old.OldWindow);
            p.cy = Height(old.OldWindow);
        }
    };
    fillUnchanged(pos);
    if (!(flags & SWP_NOSENDCHANGING)) {
        SendMessageW(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
        pos.hwnd = hwnd;
        fillUnchanged(pos);
        pos.cx = std::max(pos.cx, 0);
        pos.cy = std::max(pos.cy, 0);
    }
    flags = pos.flags & ~(SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE);
    const RECT newWindow{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
    const bool sizeChanged =
        Width(newWindow) != Width(old.OldWindow) || Height(newWindow) != Height(old.OldWindow);
    RECT newClient =
        Offset(old.OldClient, newWindow.left - old.OldWindow.left, newWindow.top - old.OldWindow.top);
    if (sizeChanged || (flags & SWP_FRAMECHANGED)) {
        NCCALCSIZE_PARAMS ncp{{newWindow, old.OldWindow, old.OldClient}, &pos};
        SendMessageW(hwnd, WM_NCCALCSIZE, 1, reinterpret_cast<LPARAM>(&ncp));
        newClient = ncp.rgrc[0];
        newClient.right = std::max(newClient.right, newClient.left);
        newClient.bottom = std::max(newClient.bottom, newClient.top);
    }

    WINDOWPOS changed = pos;
    bool activate = false;
    bool hiddenNow = false;
    HWND parentOfHidden = nullptr;
    {
        TWindowManager& wm = Wm();
        auto lock = wm.Lock();
        TWnd* w = wm.FindLive(hwnd);
        if (!w)
            return 0;
        const std::vector<HWND> siblingsBefore = wm.Find(w->Parent)->Children;
        w->Window = newWindow;
        w->Client = newClient;
        if (!(w->Style & (WS_MINIMIZE | WS_MAXIMIZE)))
            w->NormalRect = newWindow;
        if (!(flags & SWP_NOZORDER))
            LinkWindowLocked(*w, insertAfter, (flags & SWP_NOOWNERZORDER) != 0);
        if (flags & SWP_SHOWWINDOW)
            w->Style |= WS_VISIBLE;
        if (flags & SWP_HIDEWINDOW)
            w->Style &= ~WS_VISIBLE;
        UINT final = flags;
        if (!sizeChanged)
            final |= SWP_NOSIZE;
        if (newWindow.left == old.OldWindow.left && newWindow.top == old.OldWindow.top)
            final |= SWP_NOMOVE;
        if (Width(newClient) == Width(old.OldClient) && Height(newClient) == Height(old.OldClient))
            final |= SWP_NOCLIENTSIZE;
        if (newClient.left == old.OldClient.left && newClient.top == old.OldClient.top)
            final |= SWP_NOCLIENTMOVE;
        const bool restacked = wm.Find(w->Parent)->Children != siblingsBefore;
        if (!restacked)
            final |= SWP_NOZORDER;
        changed.flags = final;
        if (!(final & SWP_NOREDRAW))
            InvalidateAfterPlacement(*w, old, final);
        if (old.TopLevel) {
            SyncSurfaceLocked(*w);
            if (restacked)
                RestackSurfacesLocked();
            if (sizeChanged)
                ResizeSurfaceLocked(*w);
        }
        hiddenNow = (final & SWP_HIDEWINDOW) != 0;
        parentOfHidden = old.TopLevel ? nullptr : w->Parent;
        activate = !(final & SWP_NOACTIVATE) && old.TopLevel && (w->Style & WS_VISIBLE) &&
                   !(w->ExStyle & WS_EX_NOACTIVATE) && wm.Active != hwnd;
    }
    if (hiddenNow) {
        MoveFocusFrom(hwnd, parentOfHidden);
        bool wasActive = false;
        {
            auto lock = Wm().Lock();
            wasActive = Wm().Active == hwnd;
        }
        if (wasActive)
            ActivateOtherWindow(hwnd);
    }
    if (activate)
        ActivateWindow(hwnd, WA_ACTIVE);
    constexpr UINT kNoChange = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE;
    constexpr UINT kStatus = SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED | SWP_STATECHANGED;
    if ((changed.flags & kNoChange) != kNoChange || (changed.flags & kStatus))
        SendMessageW(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&changed));
    return 1;
}

BOOL ShowWindowCore(HWND hwnd, int cmd) {
    TPlacement old{};
    if (!ReadPlacement(hwnd, old)) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const bool isChild = !old.TopLevel;
    const bool iconic = (old.Style & WS_MINIMIZE) != 0;
    const bool zoomed = (old.Style & WS_MAXIMIZE) != 0;
    bool active = false;
    {
        auto lock = Wm().Lock();
        active = Wm().Active == hwnd;
    }
    UINT swp = 0;
    RECT rect = old.OldWindow;
    switch (cmd) {
    case SW_HIDE:
        if (!old.WasVisible)
            return 0;
        swp = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        if (!active)
            swp |= SWP_NOACTIVATE | SWP_NOZORDER;
        break;
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
    case SW_FORCEMINIMIZE:
        swp = SWP_NOACTIVATE | SWP_NOZORDER;
        [[fallthrough]];
    case SW_SHOWMINIMIZED:
        swp |= SWP_SHOWWINDOW | SWP_FRAMECHANGED;
        swp |= iconic ? (SWP_NOSIZE | SWP_NOMOVE) : MinMaximize(hwnd, SW_MINIMIZE, rect);
        break;
    case SW_SHOWMAXIMIZED:
        swp = SWP_SHOWWINDOW | SWP_FRAMECHANGED;
        swp |= zoomed ? (SWP_NOSIZE | SWP_NOMOVE) : MinMaximize(hwnd, SW_MAXIMIZE, rect);
        break;
    case SW_SHOWNA:
        swp = SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        if (isChild)
            swp |= SWP_NOZORDER;
        break;
    case SW_SHOW:
        if (old.WasVisible)
            return 1;
        swp = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        if (isChild)
            swp |= SWP_NOACTIVATE | SWP_NOZORDER;
        break;
    case SW_SHOWNOACTIVATE:
        swp = SWP_NOACTIVATE | SWP_NOZORDER;
        [[fallthrough]];
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    case SW_RESTORE:
        swp |= SWP_SHOWWINDOW;
        if (iconic || zoomed)
            swp |= SWP_FRAMECHANGED | MinMaximize(hwnd, SW_RESTORE, rect);
        else
            swp |= SWP_NOSIZE | SWP_NOMOVE;
        break;
    default:
        SetUserError(ERROR_INVALID_PARAMETER);
        return old.WasVisible;
    }
    if (isChild)
        swp |= SWP_NOACTIVATE;
    const bool show = cmd != SW_HIDE;
    if (show != old.WasVisible) {
        SendMessageW(hwnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
        if (!IsWindow(hwnd))
            return 0;
    }
    SetWindowPosCore(hwnd, HWND_TOP, rect.left, rect.top, Width(rect), Height(rect), swp);
    // Minimising the active window hands activation on, unless the
    // command asked to keep it.
    if ((cmd == SW_MINIMIZE || cmd == SW_SHOWMINNOACTIVE || cmd == SW_FORCEMINIMIZE) && !isChild) {
        bool stillActive = false;
        {
            auto lock = Wm().Lock();
            stillActive = Wm().Active == hwnd;
        }
        if (stillActive)
            ActivateOtherWindow(hwnd);
    }
    return old.WasVisible;
}

} // namespace

LRESULT HandleInternalMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WMI_SETWINDOWPOS) {
        const auto* a = reinterpret_cast<const TSetWindowPosArgs*>(lParam);
        return SetWindowPosCore(hwnd, a->InsertAfter, a->X, a->Y, a->Cx, a->Cy, a->Flags);
    }
    if (msg == WMI_SHOWWINDOW)
        return ShowWindowCore(hwnd, static_cast<int>(wParam));
    return 0;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    bool valid = false;
    if (OwnedByOtherThread(hwnd, valid)) {
        TSetWindowPosArgs args{insertAfter, x, y, cx, cy, flags};
        return static_cast<BOOL>(SendMessageW(hwnd, WMI_SETWINDOWPOS, 0, reinterpret_cast<LPARAM>(&args)));
    }
    if (!valid) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return SetWindowPosCore(hwnd, insertAfter, x, y, cx, cy, flags);
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
    bool valid = false;
    if (OwnedByOtherThread(hwnd, valid))
        return static_cast<BOOL>(SendMessageW(hwnd, WMI_SHOWWINDOW, static_cast<WPARAM>(cmdShow), 0));
    if (!valid) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return ShowWindowCore(hwnd, cmdShow);
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) {
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
    if (!placement)
        return 0;
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    placement->length = sizeof(WINDOWPLACEMENT);
    placement->flags = w->RestoreToMaximized ? WPF_RESTORETOMAXIMIZED : 0;
    placement->showCmd = !(w->Style & WS_VISIBLE)   ? SW_HIDE
                         : (w->Style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
                         : (w->Style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED
                                                    : SW_SHOWNORMAL;
    placement->ptMinPosition = {-1, -1};
    placement->ptMaxPosition = {-1, -1};
    placement->rcNormalPosition = (w->Style & (WS_MINIMIZE | WS_MAXIMIZE)) ? w->NormalRect : w->Window;
    return 1;
}

BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* placement) {
    if (!placement || placement->length != sizeof(WINDOWPLACEMENT)) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    bool normal = false;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        w->NormalRect = placement->rcNormalPosition;
        w->RestoreToMaximized = (placement->flags & WPF_RESTORETOMAXIMIZED) != 0;
        normal = !(w->Style & (WS_MINIMIZE | WS_MAXIMIZE));
    }
    const RECT& r = placement->rcNormalPosition;
    if (normal)
        SetWindowPos(hwnd, nullptr, r.left, r.top, Width(r), Height(r), SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd, static_cast<int>(placement->showCmd));
    return 1;
}

// --- rectangles and coordinates

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    if (!rect)
        return 0;
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    *rect = Wm().ScreenWindowRect(*w);
    return 1;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    if (!rect)
        return 0;
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    *rect = {0, 0, Width(w->Client), Height(w->Client)};
    return 1;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL /*menu*/, DWORD exStyle) {
    if (!rect)
        return 0;
    const RECT in = FrameInsets(style, exStyle);
    *rect = {rect->left - in.left, rect->top - in.top, rect->right + in.right, rect->bottom + in.bottom};
    return 1;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
    if (!point)
        return 0;
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const POINT o = Wm().ClientOrigin(*w);
    point->x += o.x;
    point->y += o.y;
    return 1;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
    if (!point)
        return 0;
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const POINT o = Wm().ClientOrigin(*w);
    point->x -= o.x;
    point->y -= o.y;
    return 1;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    auto lock = Wm().Lock();
    POINT origin[2]{};
    HWND ends[2]{from, to};
    for (int i = 0; i < 2; ++i) {
        if (!ends[i] || ends[i] == Wm().Desktop())
            continue;
        TWnd* w = Wm().FindLive(ends[i]);
        if (!w) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        origin[i] = Wm().ClientOrigin(*w);
    }
    const LONG dx = origin[0].x - origin[1].x;
    const LONG dy = origin[0].y - origin[1].y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetUserError(0);
    return static_cast<int>(MAKELPARAM(dx, dy));
}

// --- windows at a point

HWND WindowFromPoint(POINT point) {
    return HitTestScreen(point).Hwnd;
}

HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags) {
    auto lock = Wm().Lock();
    TWnd* p = Wm().FindLive(parent);
    if (!p) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (point.x < 0 || point.y < 0 || point.x >= Width(p->Client) || point.y >= Height(p->Client))
        return nullptr;
    for (HWND child : p->Children) {
        TWnd* c = Wm().FindLive(child);
        if (!c || point.x < c->Window.left || point.x >= c->Window.right || point.y < c->Window.top ||
            point.y >= c->Window.bottom)
            continue;
        if (c->HasWindowRgn && !c->WindowRgn.Contains(point.x - c->Window.left, point.y - c->Window.top))
            continue;
        if (((flags & CWP_SKIPINVISIBLE) && !(c->Style & WS_VISIBLE)) ||
            ((flags & CWP_SKIPDISABLED) && (c->Style & WS_DISABLED)) ||
            ((flags & CWP_SKIPTRANSPARENT) && (c->ExStyle & WS_EX_TRANSPARENT)))
            continue;
        return child;
    }
    return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
    return ChildWindowFromPointEx(parent, point, CWP_ALL);
}

} // namespace win

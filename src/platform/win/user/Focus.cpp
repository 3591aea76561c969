#include "platform/win/kernel/Time.h"
#include "platform/win/user/Focus_p.h"
#include "platform/win/user/Input.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/UserErrors.h"
#include "platform/win/user/Window.h"
#include "platform/win/user/WindowPos.h"

namespace win {

namespace {

std::vector<HWND> TopLevelWindowsLocked() {
    std::vector<HWND> tops;
    for (HWND top : Wm().Find(Wm().Desktop())->Children)
        if (Wm().FindLive(top))
            tops.push_back(top);
    return tops;
}

void SendActivateApp(BOOL active) {
    std::vector<HWND> tops;
    {
        auto lock = Wm().Lock();
        tops = TopLevelWindowsLocked();
    }
    for (HWND top : tops)
        SendMessageW(top, WM_ACTIVATEAPP, static_cast<WPARAM>(active), 0);
}

void SendDeactivate(HWND old, HWND next) {
    if (!IsWindow(old))
        return;
    SendMessageW(old, WM_NCACTIVATE, 0, 0);
    SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0),
                 reinterpret_cast<LPARAM>(next));
}

// Windows refuses to let a background process take the foreground unless
// it received the last input or the lock time has run out.
bool ForegroundLockedLocked() {
    const TWindowManager& wm = Wm();
    return !wm.AppForeground && !wm.LastInputOurs && wm.ForegroundLockTimeout > 0 &&
           GetTickCount64() - wm.ForeignActivationTime < wm.ForegroundLockTimeout;
}

bool CanBeActivatedLocked(HWND hwnd, HWND leaving) {
    TWnd* w = Wm().FindLive(hwnd);
    return w && hwnd != leaving && !w->Destroying && (w->Style & WS_VISIBLE) && !(w->Style & WS_DISABLED) &&
           !(w->Style & WS_MINIMIZE) && !(w->ExStyle & WS_EX_NOACTIVATE) && w->ThreadId != 0 &&
           !Wm().IsDescendant(leaving, hwnd);
}

} // namespace

bool ActivateWindow(HWND hwnd, WORD how) {
    HWND old = nullptr;
    bool appChange = false;
    display::TSurfaceId surface = 0;
    {
        TWindowManager& wm = Wm();
        auto lock = wm.Lock();
        TWnd* w = wm.FindLive(hwnd);
        if (!w || !wm.IsTopLevel(*w))
            return false;
        if (ForegroundLockedLocked())
            return false;
        old = wm.Active;
        appChange = !wm.AppActivated;
        if (old == hwnd && !appChange)
            return true;
    }
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    if (old != hwnd)
        SendDeactivate(old, hwnd);
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return false;
        Wm().Active = hwnd;
        Wm().AppActivated = true;
        Wm().AppForeground = true;
        surface = w->Surface;
    }
    if (appChange)
        SendActivateApp(1);
    SendMessageW(hwnd, WM_NCACTIVATE, 1, 0);
    SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(how, IsIconic(hwnd) ? 1 : 0), reinterpret_cast<LPARAM>(old));
    {
        auto lock = Wm().Lock();
        if (surface != 0 && Wm().Active == hwnd)
            Wm().Backend().ActivateSurface(surface);
    }
    // Focus left in a window that is no longer active goes.
    HWND focus = nullptr;
    {
        auto lock = Wm().Lock();
        focus = Wm().Focus;
        if (focus && Wm().RootOf(focus) == hwnd)
            focus = nullptr;
    }
    if (focus)
        SetFocus(nullptr);
    return true;
}

void ActivateOtherWindow(HWND leaving) {
    HWND next = nullptr;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().Find(leaving);
        // The owner comes first, as on Windows; then the topmost candidate.
        if (w && w->Owner && CanBeActivatedLocked(w->Owner, leaving))
            next = w->Owner;
        for (HWND top : TopLevelWindowsLocked()) {
            if (next)
                break;
            if (CanBeActivatedLocked(top, leaving))
                next = top;
        }
    }
    if (next && ActivateWindow(next, WA_ACTIVE))
        return;
    HWND old = nullptr;
    {
        auto lock = Wm().Lock();
        old = Wm().Active;
        Wm().Active = nullptr;
    }
    SendDeactivate(old, nullptr);
    SetFocus(nullptr);
}

void DeactivateApp() {
    HWND old = nullptr;
    bool wasActivated = false;
    {
        auto lock = Wm().Lock();
        old = Wm().Active;
        wasActivated = Wm().AppActivated;
        Wm().Active = nullptr;
        Wm().AppActivated = false;
        Wm().AppForeground = false;
        Wm().LastInputOurs = false;
        Wm().ForeignActivationTime = GetTickCount64();
    }
    SendDeactivate(old, nullptr);
    if (wasActivated)
        SendActivateApp(0);
    SetFocus(nullptr);
}

void MoveFocusFrom(HWND leavingRoot, HWND fallback) {
    bool inside = false;
    {
        auto lock = Wm().Lock();
        const HWND focus = Wm().Focus;
        inside = focus && (focus == leavingRoot || Wm().IsDescendant(leavingRoot, focus));
        if (fallback && !Wm().FindLive(fallback))
            fallback = nullptr;
    }
    if (inside)
        SetFocus(fallback);
}

HWND SetFocus(HWND hwnd) {
    HWND old = nullptr;
    if (hwnd) {
        HWND root = nullptr;
        {
            auto lock = Wm().Lock();
            TWnd* w = Wm().FindLive(hwnd);
            if (!w) {
                SetUserError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            if (Wm().Focus == hwnd)
                return hwnd;
            root = Wm().RootOf(hwnd);
            if (Wm().Active == root && Wm().AppActivated)
                root = nullptr;
        }
        if (root && !ActivateWindow(root, WA_ACTIVE))
            return nullptr;
    }
    {
        auto lock = Wm().Lock();
        if (hwnd && !Wm().FindLive(hwnd))
            return nullptr;
        old = Wm().Focus;
        if (old == hwnd)
            return old;
        // The new focus is in place before the old window hears of it.
        Wm().Focus = hwnd;
    }
    if (old && IsWindow(old))
        SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    bool stillFocused = false;
    {
        auto lock = Wm().Lock();
        stillFocused = hwnd && Wm().Focus == hwnd;
    }
    if (stillFocused)
        SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus() {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(Wm().Focus);
    return w && w->ThreadId == CurrentThreadId() ? Wm().Focus : nullptr;
}

HWND SetActiveWindow(HWND hwnd) {
    HWND old = nullptr;
    {
        auto lock = Wm().Lock();
        old = Wm().Active;
        if (hwnd && !Wm().FindLive(hwnd)) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if (hwnd)
            hwnd = Wm().RootOf(hwnd);
    }
    if (!hwnd) {
        ActivateOtherWindow(old);
        return old;
    }
    return ActivateWindow(hwnd, WA_ACTIVE) ? old : nullptr;
}

HWND GetActiveWindow() {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(Wm().Active);
    return w && w->ThreadId == CurrentThreadId() ? Wm().Active : nullptr;
}

BOOL SetForegroundWindow(HWND hwnd) {
    {
        auto lock = Wm().Lock();
        if (!Wm().FindLive(hwnd)) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (ForegroundLockedLocked())
            return 0;
        hwnd = Wm().RootOf(hwnd);
        Wm().AppForeground = true;
    }
    return ActivateWindow(hwnd, WA_ACTIVE) ? 1 : 0;
}

HWND GetForegroundWindow() {
    auto lock = Wm().Lock();
    return Wm().AppForeground ? Wm().Active : nullptr;
}

BOOL AllowSetForegroundWindow(DWORD /*processId*/) {
    return 1;
}

BOOL AttachThreadInput(DWORD /*attachFrom*/, DWORD /*attachTo*/, BOOL /*attach*/) {
    return 1;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    bool wasDisabled = false;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        wasDisabled = (w->Style & WS_DISABLED) != 0;
        if (enable)
            w->Style &= ~WS_DISABLED;
        else
            w->Style |= WS_DISABLED;
    }
    if (wasDisabled == !enable)
        return wasDisabled;
    if (!enable) {
        // A disabled window keeps neither the keyboard nor the mouse.
        MoveFocusFrom(hwnd, nullptr);
        bool captured = false;
        {
            auto lock = Wm().Lock();
            captured = Wm().Capture && (Wm().Capture == hwnd || Wm().IsDescendant(hwnd, Wm().Capture));
        }
        if (captured)
            ReleaseCapture();
    }
    SendMessageW(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

} // namespace win

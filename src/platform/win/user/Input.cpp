#include "platform/win/user/Input.h"

#include "platform/win/kernel/Time.h"
#include "platform/win/user/Focus_p.h"
#include "platform/win/user/Input_p.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/Paint_p.h"
#include "platform/win/user/SystemInfo.h"
#include "platform/win/user/UserErrors.h"
#include "platform/win/user/Window.h"
#include "platform/win/user/WindowPos.h"

#include <algorithm>
#include <cstdlib>

namespace win {

namespace {

constexpr UINT kDoubleClickTime = 500;
// Raw input waiting for routing is bounded like a hardware queue.
constexpr std::size_t kRawInputQuota = 10000;

bool ContainsPoint(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// Is the screen point inside the window's shape (rectangle, window region,
// and for per-pixel layered windows a pixel that is not fully transparent)?
bool ShapeContainsLocked(const TWnd& w, POINT p) {
    const RECT r = Wm().ScreenWindowRect(w);
    if (!ContainsPoint(r, p))
        return false;
    if (w.HasWindowRgn && !w.WindowRgn.Contains(p.x - r.left, p.y - r.top))
        return false;
    return !LayeredPixelTransparentLocked(w, {p.x - r.left, p.y - r.top});
}

struct TCandidate {
    HWND Hwnd;
    bool DisabledTopLevel;
    DWORD ThreadId;
};

// Deepest windows first: the children of a window (topmost first), each
// with its own children before it, then the window itself.
void CollectCandidatesLocked(HWND hwnd, POINT p, std::vector<TCandidate>& out) {
    TWnd* w = Wm().FindLive(hwnd);
    for (HWND child : w->Children) {
        TWnd* c = Wm().FindLive(child);
        if (c && (c->Style & WS_VISIBLE) && !(c->Style & WS_DISABLED) && ShapeContainsLocked(*c, p))
            CollectCandidatesLocked(child, p, out);
    }
    out.push_back({hwnd, false, w->ThreadId});
}

std::vector<TCandidate> CandidatesAtLocked(POINT p) {
    TWindowManager& wm = Wm();
    std::vector<TCandidate> out;
    for (HWND top : wm.Find(wm.Desktop())->Children) {
        TWnd* t = wm.FindLive(top);
        if (!t || !(t->Style & WS_VISIBLE) || (t->Style & WS_MINIMIZE))
            continue;
        if ((t->ExStyle & WS_EX_LAYERED) &&
            ((t->ExStyle & WS_EX_TRANSPARENT) || !(t->LayeredAttributesSet || t->LayeredImageSet)))
            continue;
        if (!ShapeContainsLocked(*t, p))
            continue;
        if (t->Style & WS_DISABLED)
            out.push_back({top, true, t->ThreadId});
        else
            CollectCandidatesLocked(top, p, out);
    }
    return out;
}

POINT ToClientLocked(HWND hwnd, POINT screen) {
    TWnd* w = Wm().FindLive(hwnd);
    if (!w)
        return screen;
    const POINT o = Wm().ClientOrigin(*w);
    return {screen.x - o.x, screen.y - o.y};
}

WPARAM MouseKeyFlagsLocked() {
    const BYTE* k = Wm().AsyncKeys;
    WPARAM f = 0;
    f |= (k[VK_LBUTTON] & 0x80) ? MK_LBUTTON : 0;
    f |= (k[VK_RBUTTON] & 0x80) ? MK_RBUTTON : 0;
    f |= (k[VK_MBUTTON] & 0x80) ? MK_MBUTTON : 0;
    f |= (k[VK_XBUTTON1] & 0x80) ? MK_XBUTTON1 : 0;
    f |= (k[VK_XBUTTON2] & 0x80) ? MK_XBUTTON2 : 0;
    f |= (k[VK_SHIFT] & 0x80) ? MK_SHIFT : 0;
    f |= (k[VK_CONTROL] & 0x80) ? MK_CONTROL : 0;
    return f;
}

constexpr int kButtonVk[5] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2};

// The client message of a button: down, up and double click.
UINT ButtonMessage(int button, bool down) {
    switch (button) {
    case 0:
        return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case 1:
        return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case 2:
        return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default:
        return down ? WM_XBUTTONDOWN : WM_XBUTTONUP;
    }
}

// Client messages and their non-client twins are a fixed distance apart.
UINT NonClientMessage(UINT client) {
    if (client == WM_MOUSEMOVE)
        return WM_NCMOUSEMOVE;
    if (client >= WM_XBUTTONDOWN && client <= WM_XBUTTONDBLCLK)
        return client - WM_XBUTTONDOWN + WM_NCXBUTTONDOWN;
    return client - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN;
}

void SetKey(BYTE* keys, int vk, bool down) {
    if (down && !(keys[vk] & 0x80))
        keys[vk] ^= 1; // the toggle bit flips on every press
    keys[vk] = static_cast<BYTE>((keys[vk] & 1) | (down ? 0x80 : 0));
}

// Left and right modifier keys also set their common key.
void SetKeyWithGeneric(BYTE* keys, int vk, bool down) {
    SetKey(keys, vk, down);
    int generic = 0;
    if (vk == VK_LSHIFT || vk == VK_RSHIFT)
        generic = VK_SHIFT;
    else if (vk == VK_LCONTROL || vk == VK_RCONTROL)
        generic = VK_CONTROL;
    else if (vk == VK_LMENU || vk == VK_RMENU)
        generic = VK_MENU;
    if (generic)
        SetKey(keys, generic, down);
}

void PostInputLocked(HWND hwnd, const MSG& msg) {
    TWnd* w = Wm().FindLive(hwnd);
    TMessageQueue* q = w ? Wm().QueueOf(w->ThreadId) : nullptr;
    if (!q)
        return;
    // Mouse moves are coalesced: only the latest position waits in the queue.
    const bool move = msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE;
    if (move && !q->Input.empty() && q->Input.back().message == msg.message && q->Input.back().hwnd == hwnd)
        q->Input.back() = msg;
    else
        q->Input.push_back(msg);
    Wm().WakeQueue(*q);
}

// Ends TME_LEAVE tracking when the mouse has left the tracked window or the
// tracked part of it.
void CheckLeaveLocked(HWND target, LRESULT hit) {
    TMouseTracking& t = Wm().Tracking;
    if (!t.Hwnd || !(t.Flags & TME_LEAVE))
        return;
    const bool nonClient = (t.Flags & TME_NONCLIENT) != 0;
    const bool stillInside = target == t.Hwnd && (nonClient ? hit != HTCLIENT : hit == HTCLIENT);
    if (stillInside)
        return;
    PostToWindowLocked(t.Hwnd, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
    t.Flags &= ~(TME_LEAVE | TME_NONCLIENT);
    if (!(t.Flags & TME_HOVER))
        t = {};
}

void UpdateHoverLocked(POINT p) {
    TMouseTracking& t = Wm().Tracking;
    if (!(t.Flags & TME_HOVER))
        return;
    // Moving out of the hover rectangle restarts the hover time.
    if (std::abs(p.x - t.HoverOrigin.x) > GetSystemMetrics(SM_CXDOUBLECLK) / 2 ||
        std::abs(p.y - t.HoverOrigin.y) > GetSystemMetrics(SM_CYDOUBLECLK) / 2) {
        t.HoverOrigin = p;
        t.HoverDue = GetTickCount64() + t.HoverTime;
    }
}

// A second press of the same button on the same window, soon and near
// enough, is a double click.
bool IsDoubleClickLocked(HWND target, UINT message, POINT p, ULONGLONG now) {
    TWindowManager& wm = Wm();
    const bool dbl = !wm.LastClickWasDouble && wm.LastClickHwnd == target && wm.LastClickMessage == message &&
                     now - wm.LastClickTime <= kDoubleClickTime &&
                     std::abs(p.x - wm.LastClickPos.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                     std::abs(p.y - wm.LastClickPos.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    wm.LastClickHwnd = target;
    wm.LastClickMessage = message;
    wm.LastClickTime = now;
    wm.LastClickPos = p;
    wm.LastClickWasDouble = dbl;
    return dbl;
}

void RouteMouse(TWindowManager::TLock& lock, const TRawInput& in) {
    TWindowManager& wm = Wm();
    const POINT p = in.Pos;
    UINT clientMsg = WM_MOUSEMOVE;
    if (in.Kind == TRawInput::rkMouseButton) {
        clientMsg = ButtonMessage(in.Button, in.Down);
    } else if (in.Kind == TRawInput::rkMouseWheel) {
        clientMsg = in.Horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL;
    }
    const bool buttonDown = in.Kind == TRawInput::rkMouseButton && in.Down;

    THitTest hit;
    if (wm.Capture) {
        hit = {wm.Capture, HTCLIENT};
    } else {
        lock.unlock();
        hit = HitTestScreen(p);
        lock.lock();
    }
    CheckLeaveLocked(hit.Hwnd, hit.Hit);
    UpdateHoverLocked(p);
    if (!hit.Hwnd || !wm.FindLive(hit.Hwnd)) {
        // A press on the bare desktop gives the foreground to the desktop.
        if (buttonDown && wm.AppForeground) {
            lock.unlock();
            DeactivateApp();
            lock.lock();
        }
        return;
    }
    wm.LastInputOurs = true;
    const HWND target = hit.Hwnd;
    if (hit.Hit == HTERROR) {
        // A disabled window only hears that it was touched.
        if (in.Kind != TRawInput::rkMouseWheel) {
            lock.unlock();
            SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                         MAKELPARAM(HTERROR, clientMsg));
            lock.lock();
        }
        return;
    }
    bool eat = false;
    if (buttonDown) {
        const HWND root = wm.RootOf(target);
        TWnd* r = wm.FindLive(root);
        if (r && (root != wm.Active || !wm.AppForeground) && !(r->ExStyle & WS_EX_NOACTIVATE)) {
            lock.unlock();
            const LRESULT ma = SendMessageW(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root),
                                            MAKELPARAM(static_cast<int>(hit.Hit), clientMsg));
            if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT) {
                {
                    auto inner = Wm().Lock();
                    Wm().AppForeground = true;
                }
                ActivateWindow(root, WA_CLICKACTIVE);
            }
            eat = ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT;
            lock.lock();
        }
    }
    if (!wm.Capture && in.Kind != TRawInput::rkMouseWheel) {
        lock.unlock();
        SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                     MAKELPARAM(static_cast<int>(hit.Hit), clientMsg));
        lock.lock();
    }
    TWnd* w = wm.FindLive(target);
    if (eat || !w)
        return;
    wm.MouseWindow = target;
    wm.MouseHit = hit.Hit;

    const bool client = hit.Hit == HTCLIENT || wm.Capture == target;
    UINT msg = clientMsg;
    WPARAM wParam = in.MouseKeys;
    LPARAM lParam = 0;
    if (in.Kind == TRawInput::rkMouseWheel) {
        wParam |= static_cast<WPARAM>(static_cast<WORD>(in.Delta)) << 16;
        lParam = MAKELPARAM(p.x, p.y);
    } else {
        if (in.Kind == TRawInput::rkMouseButton && in.Button >= 3)
            wParam |= static_cast<WPARAM>(in.Button == 3 ? XBUTTON1 : XBUTTON2) << 16;
        if (buttonDown) {
            const bool classDbl = (w->Class->Style & CS_DBLCLKS) != 0;
            if (IsDoubleClickLocked(target, clientMsg, p, GetTickCount64()) && (classDbl || !client))
                msg = clientMsg + 2; // the DBLCLK message follows DOWN and UP
        }
        if (client) {
            const POINT c = ToClientLocked(target, p);
            lParam = MAKELPARAM(c.x, c.y);
        } else {
            msg = NonClientMessage(msg);
            wParam = static_cast<WPARAM>(hit.Hit) | (wParam & 0xFFFF0000);
            lParam = MAKELPARAM(p.x, p.y);
        }
    }
    // lPrivate keeps the buttons, for the key state when the message is read.
    PostInputLocked(target, {target, msg, wParam, lParam, in.Time, p, static_cast<DWORD>(in.MouseKeys)});
}

void RouteKey(const TRawInput& in) {
    TWindowManager& wm = Wm();
    const bool wasDown = in.WasDown;
    HWND target = wm.Focus;
    bool sys = false;
    if (!target) {
        // Without a focus window keys go to the active window as system keys.
        target = wm.Active;
        sys = true;
    }
    if (!target || !wm.FindLive(target))
        return;
    wm.LastInputOurs = true;
    const bool alt = in.Alt;
    const bool ctrl = in.Ctrl;
    sys = sys || in.Vk == VK_MENU || in.Vk == VK_LMENU || in.Vk == VK_RMENU || in.Vk == VK_F10 ||
          (alt && !ctrl);
    const UINT msg = sys ? (in.Down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (in.Down ? WM_KEYDOWN : WM_KEYUP);
    LPARAM lParam = 1 | (static_cast<LPARAM>(in.Scan & 0xFF) << 16);
    lParam |= in.Extended ? (1 << 24) : 0;
    lParam |= alt ? (1 << 29) : 0;
    lParam |= (wasDown || !in.Down) ? (1 << 30) : 0;
    lParam |= !in.Down ? (static_cast<LPARAM>(1) << 31) : 0;
    const WPARAM wParam = in.Vk == VK_PACKET ? MAKEWPARAM(VK_PACKET, in.Char) : in.Vk;
    PostInputLocked(target, {target, msg, wParam, static_cast<LPARAM>(static_cast<DWORD>(lParam)), in.Time,
                             wm.CursorPos, 0});
}

HWND WindowOfSurfaceLocked(display::TSurfaceId surface) {
    for (HWND top : Wm().Find(Wm().Desktop())->Children)
        if (TWnd* t = Wm().FindLive(top); t && t->Surface == surface)
            return top;
    return nullptr;
}

// What the desktop did to one of our windows, applied on a thread that reads messages.
void RouteDesktopEvent(TWindowManager::TLock& lock, const TRawInput& in) {
    const HWND hwnd = in.Surface ? WindowOfSurfaceLocked(in.Surface) : nullptr;
    lock.unlock();
    switch (in.Kind) {
    case TRawInput::rkSurfaceMoved:
        if (hwnd)
            SetWindowPos(hwnd, nullptr, in.Bounds.left, in.Bounds.top, in.Bounds.right - in.Bounds.left,
                         in.Bounds.bottom - in.Bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case TRawInput::rkSurfaceState:
        if (hwnd)
            SendMessageW(hwnd, WM_SYSCOMMAND,
                         in.State == 1   ? SC_MINIMIZE
                         : in.State == 2 ? SC_MAXIMIZE
                                         : SC_RESTORE,
                         0);
        break;
    case TRawInput::rkCloseRequest:
        if (hwnd)
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case TRawInput::rkActivated:
        if (!hwnd) {
            DeactivateApp();
        } else {
            {
                auto inner = Wm().Lock();
                Wm().AppForeground = true;
                Wm().LastInputOurs = true;
            }
            ActivateWindow(hwnd, WA_ACTIVE);
        }
        break;
    default:
        break;
    }
    lock.lock();
}

// Input reaches the asynchronous state (pointer position, GetAsyncKeyState)
// as it happens; messages come when it is routed.
void PushRawLocked(TRawInput in) {
    TWindowManager& wm = Wm();
    if (wm.RawInput.size() >= kRawInputQuota)
        return;
    switch (in.Kind) {
    case TRawInput::rkMouseButton:
        SetKey(wm.AsyncKeys, kButtonVk[in.Button], in.Down);
        [[fallthrough]];
    case TRawInput::rkMouseMove:
    case TRawInput::rkMouseWheel:
        wm.CursorPos = in.Pos;
        in.MouseKeys = MouseKeyFlagsLocked();
        break;
    case TRawInput::rkKey:
        in.WasDown = (wm.AsyncKeys[in.Vk] & 0x80) != 0;
        if (in.Vk != VK_PACKET)
            SetKeyWithGeneric(wm.AsyncKeys, in.Vk, in.Down);
        in.Alt = (wm.AsyncKeys[VK_MENU] & 0x80) != 0;
        in.Ctrl = (wm.AsyncKeys[VK_CONTROL] & 0x80) != 0;
        break;
    default:
        break;
    }
    // Moves not yet routed collapse into the latest one.
    if (in.Kind == TRawInput::rkMouseMove && !wm.RawInput.empty() &&
        wm.RawInput.back().Kind == TRawInput::rkMouseMove)
        wm.RawInput.back() = in;
    else
        wm.RawInput.push_back(in);
    wm.WakeAllQueues();
}

} // namespace

THitTest HitTestScreen(POINT p) {
    std::vector<TCandidate> candidates;
    {
        auto lock = Wm().Lock();
        candidates = CandidatesAtLocked(p);
    }
    if (candidates.empty())
        return {};
    // HTTRANSPARENT passes the point on only to windows of the same thread.
    const DWORD thread = candidates.front().ThreadId;
    for (const TCandidate& c : candidates) {
        if (c.ThreadId != thread)
            break;
        if (c.DisabledTopLevel)
            return {c.Hwnd, HTERROR};
        const LRESULT hit = SendMessageW(c.Hwnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
        if (hit != HTTRANSPARENT)
            return {c.Hwnd, hit};
    }
    return {};
}

void OnDisplayEvent(const display::TDisplayEvent& e) {
    TRawInput in;
    in.Time = GetTickCount();
    in.Pos = {e.Position.X, e.Position.Y};
    switch (e.Kind) {
    case display::dekMouseMove:
        in.Kind = TRawInput::rkMouseMove;
        break;
    case display::dekMouseButton:
        in.Kind = TRawInput::rkMouseButton;
        in.Button = static_cast<int>(e.Button);
        in.Down = e.Down;
        break;
    case display::dekMouseWheel:
        in.Kind = TRawInput::rkMouseWheel;
        in.Delta = e.Delta;
        in.Horizontal = e.Horizontal;
        break;
    case display::dekKey:
        in.Kind = TRawInput::rkKey;
        in.Vk = e.VirtualKey;
        in.Scan = e.ScanCode;
        in.Down = e.Down;
        in.Extended = e.Extended;
        break;
    case display::dekChar:
        in.Kind = TRawInput::rkChar;
        in.Char = e.Char;
        break;
    case display::dekSurfaceMoved:
        in.Kind = TRawInput::rkSurfaceMoved;
        in.Bounds = {e.Bounds.Left, e.Bounds.Top, e.Bounds.Right, e.Bounds.Bottom};
        break;
    case display::dekSurfaceState:
        in.Kind = TRawInput::rkSurfaceState;
        in.State = e.State == display::ssMinimized ? 1 : e.State == display::ssMaximized ? 2 : 0;
        break;
    case display::dekCloseRequest:
        in.Kind = TRawInput::rkCloseRequest;
        break;
    case display::dekActivated:
        in.Kind = TRawInput::rkActivated;
        break;
    }
    in.Surface = e.Surface;
    auto lock = Wm().Lock();
    PushRawLocked(in);
}

bool RouteRawInputLocked(TWindowManager::TLock& lock, TMessageQueue& /*q*/) {
    TWindowManager& wm = Wm();
    // One thread routes at a time, so input keeps its order.
    if (wm.RoutingInput || wm.RawInput.empty())
        return false;
    wm.RoutingInput = true;
    struct TDone {
        TWindowManager::TLock& Lock;
        ~TDone() {
            if (!Lock.owns_lock())
                Lock.lock();
            Wm().RoutingInput = false;
        }
    } done{lock};
    const TRawInput in = wm.RawInput.front();
    wm.RawInput.pop_front();
    switch (in.Kind) {
    case TRawInput::rkMouseMove:
    case TRawInput::rkMouseButton:
    case TRawInput::rkMouseWheel:
        RouteMouse(lock, in);
        break;
    case TRawInput::rkKey:
        RouteKey(in);
        break;
    case TRawInput::rkChar:
        if (wm.Focus)
            PostInputLocked(wm.Focus, {wm.Focus, WM_CHAR, in.Char, 1, in.Time, wm.CursorPos, 0});
        break;
    default:
        RouteDesktopEvent(lock, in);
        break;
    }
    return true;
}

void OnInputMessageRemovedLocked(const MSG& msg) {
    BYTE* keys = Wm().SyncKeys;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const int vk = static_cast<int>(LOWORD(msg.wParam));
        if (vk != VK_PACKET)
            SetKeyWithGeneric(keys, vk, msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN);
        break;
    }
    default:
        if ((msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
            (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCXBUTTONDBLCLK)) {
            // Button state as it was when the message was made.
            const WPARAM mk[5] = {MK_LBUTTON, MK_RBUTTON, MK_MBUTTON, MK_XBUTTON1, MK_XBUTTON2};
            for (int i = 0; i < 5; ++i)
                SetKey(keys, kButtonVk[i], (msg.lPrivate & mk[i]) != 0);
        }
        break;
    }
}

bool CheckHoverLocked(TMessageQueue& q, ULONGLONG now) {
    TMouseTracking& t = Wm().Tracking;
    if (!(t.Flags & TME_HOVER) || now < t.HoverDue)
        return false;
    TWnd* w = Wm().FindLive(t.Hwnd);
    if (!w || w->ThreadId != q.ThreadId)
        return false;
    const bool nonClient = (t.Flags & TME_NONCLIENT) != 0;
    const POINT c = ToClientLocked(t.Hwnd, Wm().CursorPos);
    if (nonClient)
        PostToWindowLocked(t.Hwnd, WM_NCMOUSEHOVER, static_cast<WPARAM>(Wm().MouseHit),
                           MAKELPARAM(Wm().CursorPos.x, Wm().CursorPos.y));
    else
        PostToWindowLocked(t.Hwnd, WM_MOUSEHOVER, MouseKeyFlagsLocked(), MAKELPARAM(c.x, c.y));
    t.Flags &= ~TME_HOVER;
    if (!(t.Flags & TME_LEAVE))
        t = {};
    return true;
}

ULONGLONG NextHoverDueLocked(const TMessageQueue& q) {
    const TMouseTracking& t = Wm().Tracking;
    TWnd* w = Wm().FindLive(t.Hwnd);
    return (t.Flags & TME_HOVER) && w && w->ThreadId == q.ThreadId ? t.HoverDue : 0;
}

// --- capture and tracking

HWND SetCapture(HWND hwnd) {
    HWND old = nullptr;
    {
        auto lock = Wm().Lock();
        if (!Wm().FindLive(hwnd)) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        old = Wm().Capture;
        Wm().Capture = hwnd;
    }
    if (old && old != hwnd)
        SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture() {
    HWND old = nullptr;
    {
        auto lock = Wm().Lock();
        old = Wm().Capture;
        Wm().Capture = nullptr;
    }
    if (old)
        SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
    return 1;
}

HWND GetCapture() {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(Wm().Capture);
    return w && w->ThreadId == CurrentThreadId() ? Wm().Capture : nullptr;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
    if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TMouseTracking& t = wm.Tracking;
    if (track->dwFlags & TME_QUERY) {
        track->dwFlags = t.Hwnd ? (t.Flags & (TME_HOVER | TME_LEAVE | TME_NONCLIENT)) : 0;
        track->hwndTrack = t.Hwnd;
        track->dwHoverTime = t.HoverTime;
        return 1;
    }
    if (!wm.FindLive(track->hwndTrack)) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const DWORD kinds = track->dwFlags & (TME_HOVER | TME_LEAVE);
    if (track->dwFlags & TME_CANCEL) {
        if (t.Hwnd == track->hwndTrack) {
            t.Flags &= ~kinds;
            if (!(t.Flags & (TME_HOVER | TME_LEAVE)))
                t = {};
        }
        return 1;
    }
    const bool nonClient = (track->dwFlags & TME_NONCLIENT) != 0;
    const bool inside =
        wm.MouseWindow == track->hwndTrack && (nonClient ? wm.MouseHit != HTCLIENT : wm.MouseHit == HTCLIENT);
    if (!inside) {
        // The mouse is not over the window: the leave is reported at once.
        if (kinds & TME_LEAVE)
            PostToWindowLocked(track->hwndTrack, nonClient ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
        return 1;
    }
    if (t.Hwnd != track->hwndTrack)
        t = {};
    t.Hwnd = track->hwndTrack;
    t.Flags |= kinds | (track->dwFlags & TME_NONCLIENT);
    if (kinds & TME_HOVER) {
        t.HoverTime = track->dwHoverTime == HOVER_DEFAULT ? 400 : track->dwHoverTime;
        t.HoverDue = GetTickCount64() + t.HoverTime;
        t.HoverOrigin = wm.CursorPos;
        wm.WakeAllQueues();
    }
    return 1;
}

// --- key state and synthesised input

SHORT GetKeyState(int vk) {
    if (vk < 0 || vk > 255)
        return 0;
    auto lock = Wm().Lock();
    const BYTE k = Wm().SyncKeys[vk];
    return static_cast<SHORT>(((k & 0x80) ? 0xFF80 : 0) | (k & 1));
}

SHORT GetAsyncKeyState(int vk) {
    if (vk < 0 || vk > 255)
        return 0;
    auto lock = Wm().Lock();
    return static_cast<SHORT>((Wm().AsyncKeys[vk] & 0x80) ? 0x8000 : 0);
}

BOOL GetKeyboardState(BYTE* keyState) {
    if (!keyState)
        return 0;
    auto lock = Wm().Lock();
    std::copy(std::begin(Wm().SyncKeys), std::end(Wm().SyncKeys), keyState);
    return 1;
}

UINT SendInput(UINT count, const INPUT* inputs, int size) {
    if (!inputs || size != static_cast<int>(sizeof(INPUT))) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    const display::TRect primary = [&] {
        for (const auto& m : wm.Monitors())
            if (m.Primary)
                return m.Bounds;
        return wm.Monitors().front().Bounds;
    }();
    for (UINT i = 0; i < count; ++i) {
        const INPUT& in = inputs[i];
        // Any input, even an empty one, makes this process the last to get input.
        wm.LastInputOurs = true;
        TRawInput raw;
        raw.Time = GetTickCount();
        if (in.type == INPUT_MOUSE) {
            const MOUSEINPUT& mi = in.mi;
            POINT p = wm.CursorPos;
            if (mi.dwFlags & MOUSEEVENTF_MOVE) {
                if (mi.dwFlags & MOUSEEVENTF_ABSOLUTE)
                    p = {primary.Left +
                             static_cast<LONG>(static_cast<long long>(mi.dx) * primary.Width() / 65536),
                         primary.Top +
                             static_cast<LONG>(static_cast<long long>(mi.dy) * primary.Height() / 65536)};
                else
                    p = {p.x + mi.dx, p.y + mi.dy};
                raw.Kind = TRawInput::rkMouseMove;
                raw.Pos = p;
                PushRawLocked(raw);
            }
            raw.Pos = p;
            const DWORD buttons[5][2] = {{MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
                                         {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
                                         {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP},
                                         {MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP},
                                         {MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP}};
            for (int b = 0; b < 5; ++b) {
                if (b >= 3 && !(mi.mouseData & (b == 3 ? XBUTTON1 : XBUTTON2)))
                    continue;
                for (int up = 0; up < 2; ++up) {
                    if (mi.dwFlags & buttons[b][up]) {
                        raw.Kind = TRawInput::rkMouseButton;
                        raw.Button = b;
                        raw.Down = up == 0;
                        PushRawLocked(raw);
                    }
                }
            }
            if (mi.dwFlags & (MOUSEEVENTF_WHEEL | MOUSEEVENTF_HWHEEL)) {
                raw.Kind = TRawInput::rkMouseWheel;
                raw.Delta = static_cast<int>(static_cast<LONG>(mi.mouseData));
                raw.Horizontal = (mi.dwFlags & MOUSEEVENTF_HWHEEL) != 0;
                PushRawLocked(raw);
            }
        } else if (in.type == INPUT_KEYBOARD) {
            const KEYBDINPUT& ki = in.ki;
            raw.Kind = TRawInput::rkKey;
            raw.Down = !(ki.dwFlags & KEYEVENTF_KEYUP);
            raw.Extended = (ki.dwFlags & KEYEVENTF_EXTENDEDKEY) != 0;
            raw.Scan = ki.wScan;
            if (ki.dwFlags & KEYEVENTF_UNICODE) {
                raw.Vk = VK_PACKET;
                raw.Char = ki.wScan;
            } else {
                raw.Vk = static_cast<WORD>(ki.wVk & 0xFF);
            }
            PushRawLocked(raw);
        } else {
            SetUserError(ERROR_INVALID_PARAMETER);
            return i;
        }
    }
    return count;
}

BOOL GetCursorPos(LPPOINT point) {
    if (!point)
        return 0;
    auto lock = Wm().Lock();
    *point = Wm().CursorPos;
    return 1;
}

BOOL SetCursorPos(int x, int y) {
    auto lock = Wm().Lock();
    TRawInput raw;
    raw.Kind = TRawInput::rkMouseMove;
    raw.Pos = {x, y};
    raw.Time = GetTickCount();
    Wm().CursorPos = raw.Pos;
    PushRawLocked(raw);
    return 1;
}

UINT GetDoubleClickTime() {
    return kDoubleClickTime;
}

// --- keyboard translation

namespace {

// The US keyboard layout: the character a key gives, without and with Shift.
WCHAR CharOfKey(int vk, bool shift, bool caps) {
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<WCHAR>(shift != caps ? vk : vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9')
        return shift ? u")!@#$%^&*("[vk - '0'] : static_cast<WCHAR>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return static_cast<WCHAR>('0' + vk - VK_NUMPAD0);
    struct TPair {
        int Vk;
        WCHAR Plain;
        WCHAR Shifted;
    };
    static constexpr TPair kKeys[] = {
        {VK_SPACE, u' ', u' '},     {VK_RETURN, u'\r', u'\r'},  {VK_BACK, 8, 8},
        {VK_TAB, u'\t', u'\t'},     {VK_ESCAPE, 27, 27},        {VK_MULTIPLY, u'*', u'*'},
        {VK_ADD, u'+', u'+'},       {VK_SUBTRACT, u'-', u'-'},  {VK_DECIMAL, u'.', u'.'},
        {VK_DIVIDE, u'/', u'/'},    {VK_OEM_1, u';', u':'},     {VK_OEM_PLUS, u'=', u'+'},
        {VK_OEM_COMMA, u',', u'<'}, {VK_OEM_MINUS, u'-', u'_'}, {VK_OEM_PERIOD, u'.', u'>'},
        {VK_OEM_2, u'/', u'?'},     {VK_OEM_3, u'`', u'~'},     {VK_OEM_4, u'[', u'{'},
        {VK_OEM_5, u'\\', u'|'},    {VK_OEM_6, u']', u'}'},     {VK_OEM_7, u'\'', u'"'},
    };
    for (const TPair& k : kKeys)
        if (k.Vk == vk)
            return shift ? k.Shifted : k.Plain;
    return 0;
}

} // namespace

bool TranslateKeyLocked(const MSG& key, MSG& charMsg) {
    if (key.message != WM_KEYDOWN && key.message != WM_SYSKEYDOWN)
        return false;
    const int vk = static_cast<int>(LOWORD(key.wParam));
    const BYTE* keys = Wm().SyncKeys;
    WCHAR ch = 0;
    if (vk == VK_PACKET) {
        ch = HIWORD(key.wParam);
    } else if ((keys[VK_CONTROL] & 0x80) && !(keys[VK_MENU] & 0x80) && vk >= 'A' && vk <= 'Z') {
        ch = static_cast<WCHAR>(vk - 'A' + 1); // Ctrl+letter gives the control character
    } else {
        ch = CharOfKey(vk, (keys[VK_SHIFT] & 0x80) != 0, (keys[VK_CAPITAL] & 1) != 0);
    }
    if (ch == 0)
        return false;
    charMsg = {
        key.hwnd, key.message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, ch, key.lParam, key.time, key.pt, 0};
    return true;
}

// --- cursors

namespace {

struct TSystemCursor {
    WORD Id;
    display::TCursorShape Shape;
};

// System cursors are static records; their addresses are the handles.
constexpr TSystemCursor kSystemCursors[] = {
    {IDC_ARROW, display::csArrow},
    {IDC_IBEAM, display::csIBeam},
    {IDC_WAIT, display::csWait},
    {IDC_CROSS, display::csCross},
    {IDC_UPARROW, display::csUpArrow},
    {IDC_SIZE, display::csSizeAll},
    {IDC_ICON, display::csArrow},
    {IDC_SIZENWSE, display::csSizeNWSE},
    {IDC_SIZENESW, display::csSizeNESW},
    {IDC_SIZEWE, display::csSizeWE},
    {IDC_SIZENS, display::csSizeNS},
    {IDC_SIZEALL, display::csSizeAll},
    {IDC_NO, display::csNo},
    {IDC_HAND, display::csHand},
    {IDC_APPSTARTING, display::csAppStarting},
    {IDC_HELP, display::csHelp},
};

const TSystemCursor* SystemCursorOf(HCURSOR cursor) {
    for (const TSystemCursor& c : kSystemCursors)
        if (reinterpret_cast<HCURSOR>(const_cast<TSystemCursor*>(&c)) == cursor)
            return &c;
    return nullptr;
}

} // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    if (!instance && IsAtomArg(name)) {
        for (const TSystemCursor& c : kSystemCursors)
            if (c.Id == AtomOf(name))
                return reinterpret_cast<HCURSOR>(const_cast<TSystemCursor*>(&c));
    }
    SetUserError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    const HCURSOR old = wm.CursorHandle;
    wm.CursorHandle = cursor;
    if (!cursor)
        wm.Backend().SetCursor(display::csNone);
    else if (const TSystemCursor* c = SystemCursorOf(cursor))
        wm.Backend().SetCursor(c->Shape);
    return old;
}

HCURSOR GetCursor() {
    auto lock = Wm().Lock();
    return Wm().CursorHandle;
}

// Handle of a system cursor for the default window procedure.
HCURSOR SystemCursor(WORD id) {
    return LoadCursorW(nullptr, MAKEINTATOM(id));
}

} // namespace win

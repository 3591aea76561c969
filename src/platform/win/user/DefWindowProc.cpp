#include "platform/win/user/Focus_p.h"
#include "platform/win/user/Input.h"
#include "platform/win/user/Input_p.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/Paint_p.h"
#include "platform/win/user/SystemInfo.h"
#include "platform/win/user/Window.h"
#include "platform/win/user/WindowDirectory_p.h"
#include "platform/win/user/WindowPos.h"
#include "platform/win/user/WindowPos_p.h"

#include <algorithm>

namespace win {

namespace {

bool Inside(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// Where a screen point lies on a window: its frame, caption and client area
// as its styles lay them out.
LRESULT NonClientHitTest(HWND hwnd, POINT p) {
    DWORD style = 0;
    RECT window{};
    RECT client{};
    bool hasRgn = false;
    Region rgn;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return HTNOWHERE;
        style = w->Style;
        window = Wm().ScreenWindowRect(*w);
        client = Wm().ScreenClientRect(*w);
        hasRgn = w->HasWindowRgn;
        rgn = w->WindowRgn;
    }
    if (!Inside(window, p) || (hasRgn && !rgn.Contains(p.x - window.left, p.y - window.top)))
        return HTNOWHERE;
    if (Inside(client, p))
        return HTCLIENT;
    if ((style & WS_THICKFRAME) && !(style & (WS_MAXIMIZE | WS_MINIMIZE))) {
        const int frame = GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER);
        const int corner = GetSystemMetrics(SM_CYCAPTION);
        const bool left = p.x < window.left + frame;
        const bool right = p.x >= window.right - frame;
        const bool top = p.y < window.top + frame;
        const bool bottom = p.y >= window.bottom - frame;
        const bool nearLeft = p.x < window.left + corner;
        const bool nearRight = p.x >= window.right - corner;
        const bool nearTop = p.y < window.top + corner;
        const bool nearBottom = p.y >= window.bottom - corner;
        if (top)
            return nearLeft ? HTTOPLEFT : nearRight ? HTTOPRIGHT : HTTOP;
        if (bottom)
            return nearLeft ? HTBOTTOMLEFT : nearRight ? HTBOTTOMRIGHT : HTBOTTOM;
        if (left)
            return nearTop ? HTTOPLEFT : nearBottom ? HTBOTTOMLEFT : HTLEFT;
        if (right)
            return nearTop ? HTTOPRIGHT : nearBottom ? HTBOTTOMRIGHT : HTRIGHT;
    }
    if ((style & WS_CAPTION) == WS_CAPTION && p.y < client.top) {
        const int button = GetSystemMetrics(SM_CXSIZE);
        if ((style & WS_SYSMENU) && p.x >= window.right - button &&
            p.y >= client.top - GetSystemMetrics(SM_CYCAPTION))
            return HTCLOSE;
        return HTCAPTION;
    }
    return HTBORDER;
}

HCURSOR SizingCursor(LRESULT hit) {
    switch (hit) {
    case HTLEFT:
    case HTRIGHT:
        return SystemCursor(IDC_SIZEWE);
    case HTTOP:
    case HTBOTTOM:
        return SystemCursor(IDC_SIZENS);
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        return SystemCursor(IDC_SIZENWSE);
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        return SystemCursor(IDC_SIZENESW);
    default:
        return SystemCursor(IDC_ARROW);
    }
}

LRESULT DefSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const LRESULT hit = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
    HWND parent = nullptr;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (w && (w->Style & WS_CHILD))
            parent = w->Parent;
    }
    // The parent has the first say.
    if (parent && SendMessageW(parent, WM_SETCURSOR, wParam, lParam))
        return 1;
    if (hit == HTERROR) {
        // A click on a disabled window brings its enabled pop-up forward.
        const UINT mouse = HIWORD(static_cast<DWORD_PTR>(lParam));
        if (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN || mouse == WM_MBUTTONDOWN)
            if (HWND popup = GetWindow(hwnd, GW_ENABLEDPOPUP))
                SetForegroundWindow(popup);
        return 0;
    }
    if (hit == HTCLIENT) {
        if (HCURSOR cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrW(hwnd, GCLP_HCURSOR))) {
            SetCursor(cursor);
            return 1;
        }
        return 0;
    }
    SetCursor(SizingCursor(hit));
    return 1;
}

// SC_MOVE: the desktop drags the window with the pointer.
void BeginMove(HWND hwnd) {
    display::TSurfaceId surface = 0;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(Wm().RootOf(hwnd));
        if (!w || (w->Style & (WS_MAXIMIZE | WS_MINIMIZE)))
            return;
        surface = w->Surface;
    }
    ReleaseCapture();
    auto lock = Wm().Lock();
    if (surface && Wm().Backend().BeginMoveDrag(surface, {Wm().CursorPos.x, Wm().CursorPos.y})) {
        // The desktop owns the button until it is released; the window never
        // hears the release, as after the system's move loop.
        Wm().AsyncKeys[VK_LBUTTON] &= 1;
        Wm().SyncKeys[VK_LBUTTON] &= 1;
    }
}

LRESULT DefSysCommand(HWND hwnd, WPARAM wParam) {
    switch (wParam & 0xFFF0) {
    case SC_MOVE:
        BeginMove(hwnd);
        break;
    case SC_MINIMIZE:
        ShowWindow(hwnd, SW_MINIMIZE);
        break;
    case SC_MAXIMIZE:
        ShowWindow(hwnd, SW_MAXIMIZE);
        break;
    case SC_RESTORE:
        ShowWindow(hwnd, SW_RESTORE);
        break;
    case SC_CLOSE:
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
    return 0;
}

void DefWindowPosChanged(HWND hwnd, const WINDOWPOS& pos) {
    RECT client{};
    POINT origin{};
    DWORD style = 0;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return;
        client = w->Client;
        origin = {client.left, client.top};
        style = w->Style;
    }
    if (!(pos.flags & SWP_NOCLIENTMOVE))
        SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    if (!(pos.flags & SWP_NOCLIENTSIZE) || (pos.flags & SWP_STATECHANGED)) {
        if (style & WS_MINIMIZE)
            SendMessageW(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
        else
            SendMessageW(hwnd, WM_SIZE, (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED,
                         MAKELPARAM(client.right - client.left, client.bottom - client.top));
    }
}

// Resizable and overlapped windows keep to their tracking limits.
void DefWindowPosChanging(HWND hwnd, WINDOWPOS& pos) {
    DWORD style = 0;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w || !Wm().IsTopLevel(*w))
            return;
        style = w->Style;
    }
    const bool overlapped = !(style & (WS_POPUP | WS_CHILD));
    if ((pos.flags & SWP_NOSIZE) || (style & (WS_MINIMIZE | WS_MAXIMIZE)) ||
        !(overlapped || (style & WS_THICKFRAME)))
        return;
    MINMAXINFO mmi{};
    QueryMinMaxInfo(hwnd, &mmi);
    pos.cx =
        std::clamp<int>(pos.cx, mmi.ptMinTrackSize.x, std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
    pos.cy =
        std::clamp<int>(pos.cy, mmi.ptMinTrackSize.y, std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
}

LRESULT SetText(HWND hwnd, LPCWSTR text) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w)
        return 0;
    w->Text = text ? rtl::String(text) : rtl::String();
    if (w->Surface)
        Wm().Backend().SetSurfaceTitle(w->Surface, w->Text);
    if (Wm().IsTopLevel(*w) && w->Created)
        PublishWindowsLocked();
    return 1;
}

LRESULT GetText(HWND hwnd, WPARAM size, LPWSTR buffer) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w || !buffer || size == 0)
        return 0;
    const std::size_t n = std::min<std::size_t>(w->Text.size(), size - 1);
    std::copy_n(w->Text.begin(), n, buffer);
    buffer[n] = 0;
    return static_cast<LRESULT>(n);
}

HWND ParentOfChild(HWND hwnd) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    return w && (w->Style & WS_CHILD) ? w->Parent : nullptr;
}

LRESULT SwapIcon(HWND hwnd, WPARAM which, HICON icon) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w)
        return 0;
    HICON& slot = which == 0 ? w->IconSmall : w->IconBig;
    const HICON old = slot;
    slot = icon;
    return reinterpret_cast<LRESULT>(old);
}

} // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs && cs->lpszName && !IsAtomArg(cs->lpszName))
            SetText(hwnd, cs->lpszName);
        return 1;
    }
    case WM_NCCALCSIZE: {
        DWORD style = 0;
        DWORD exStyle = 0;
        {
            auto lock = Wm().Lock();
            TWnd* w = Wm().FindLive(hwnd);
            if (!w)
                return 0;
            style = w->Style;
            exStyle = w->ExStyle;
        }
        RECT* r =
            wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
        if (!r)
            return 0;
        const RECT in = FrameInsets(style, exStyle);
        r->left += in.left;
        r->top += in.top;
        r->right = std::max(r->left, r->right - in.right);
        r->bottom = std::max(r->top, r->bottom - in.bottom);
        return 0;
    }
    case WM_NCHITTEST:
        return NonClientHitTest(hwnd, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_SETCURSOR:
        return DefSetCursor(hwnd, wParam, lParam);
    case WM_MOUSEACTIVATE:
        if (HWND parent = ParentOfChild(hwnd))
            if (LRESULT r = SendMessageW(parent, WM_MOUSEACTIVATE, wParam, lParam))
                return r;
        return MA_ACTIVATE;
    case WM_NCLBUTTONDOWN:
        if (wParam == static_cast<WPARAM>(HTCAPTION))
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
        return 0;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == static_cast<WPARAM>(HTCAPTION) && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX))
            SendMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        return 0;
    case WM_NCLBUTTONUP:
        if (wParam == static_cast<WPARAM>(HTCLOSE))
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
        return 0;
    case WM_SYSCOMMAND:
        return DefSysCommand(hwnd, wParam);
    case WM_SYSKEYDOWN:
        if (wParam == static_cast<WPARAM>(VK_F4) && (lParam & (1 << 29)))
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT:
        DefPaint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return DefEraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_PRINT:
        return DefPrint(hwnd, reinterpret_cast<HDC>(wParam), lParam);
    case WM_NCACTIVATE:
        return 1;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam))
            SetFocus(hwnd);
        return 0;
    case WM_WINDOWPOSCHANGING:
        DefWindowPosChanging(hwnd, *reinterpret_cast<WINDOWPOS*>(lParam));
        return 0;
    case WM_WINDOWPOSCHANGED:
        DefWindowPosChanged(hwnd, *reinterpret_cast<const WINDOWPOS*>(lParam));
        return 0;
    case WM_SETTEXT:
        return SetText(hwnd, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT:
        return GetText(hwnd, wParam, reinterpret_cast<LPWSTR>(lParam));
    case WM_GETTEXTLENGTH: {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        return w ? static_cast<LRESULT>(w->Text.size()) : 0;
    }
    case WM_SETICON:
        return SwapIcon(hwnd, wParam, reinterpret_cast<HICON>(lParam));
    case WM_GETICON: {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        return w ? reinterpret_cast<LRESULT>(wParam == 0 ? w->IconSmall : w->IconBig) : 0;
    }
    case WM_SETREDRAW: {
        // Redraw off hides the window from painting without hiding it.
        auto lock = Wm().Lock();
        if (TWnd* w = Wm().FindLive(hwnd))
            w->Style = wParam ? (w->Style | WS_VISIBLE) : (w->Style & ~WS_VISIBLE);
        return 0;
    }
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_CONTEXTMENU:
        if (HWND parent = ParentOfChild(hwnd))
            return SendMessageW(parent, msg, wParam, lParam);
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == hwnd)
            ReleaseCapture();
        return 0;
    case WM_QUERYENDSESSION:
        return 1;
    default:
        return 0;
    }
}

} // namespace win

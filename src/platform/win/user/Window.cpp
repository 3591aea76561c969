#include "platform/win/user/Window.h"

#include "platform/win/kernel/Process.h"
#include "platform/win/user/Focus_p.h"
#include "platform/win/user/Input.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/UserErrors.h"
#include "platform/win/user/WindowDirectory_p.h"
#include "platform/win/user/WindowPos.h"
#include "platform/win/user/WindowPos_p.h"
#include "platform/win/user/Window_p.h"

#include <algorithm>

namespace win {

namespace {

constexpr DWORD kErrorAccessDenied = 5;

// Where CW_USEDEFAULT puts an overlapped window: a little in from the primary
// monitor's work area, three quarters of its size.
RECT DefaultPlacement(int x, int y, int cx, int cy) {
    auto lock = Wm().Lock();
    const auto& monitors = Wm().Monitors();
    const auto primary =
        std::find_if(monitors.begin(), monitors.end(), [](const auto& m) { return m.Primary; });
    const display::TRect work = primary->WorkArea;
    if (x == CW_USEDEFAULT) {
        x = work.Left + 26;
        y = work.Top + 26;
    }
    if (cx == CW_USEDEFAULT) {
        cx = work.Width() * 3 / 4;
        cy = work.Height() * 3 / 4;
    }
    return {x, y, x + cx, y + cy};
}

// Sends WM_NCDESTROY bottom-up and frees the records.
void SendNcDestroy(HWND hwnd) {
    std::vector<HWND> children;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().Find(hwnd);
        if (!w || w->Dead)
            return;
        children = w->Children;
    }
    for (HWND child : children)
        SendNcDestroy(child);
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    auto lock = Wm().Lock();
    ReleaseWindowLocked(hwnd);
}

// WM_DESTROY reaches the window first, then its children, top-down.
void SendDestroy(HWND hwnd) {
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return;
        children = w->Children;
        for (HWND child : children)
            if (TWnd* c = Wm().FindLive(child))
                c->Destroying = true;
    }
    for (HWND child : children)
        SendDestroy(child);
}

void NotifyParent(HWND hwnd, UINT event) {
    HWND parent = nullptr;
    LONG_PTR id = 0;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w || !(w->Style & WS_CHILD) || (w->ExStyle & WS_EX_NOPARENTNOTIFY))
            return;
        parent = w->Parent;
        id = w->Id;
    }
    SendMessageW(parent, WM_PARENTNOTIFY, MAKEWPARAM(static_cast<int>(event), static_cast<int>(id)),
                 reinterpret_cast<LPARAM>(hwnd));
}

bool Alive(HWND hwnd) {
    auto lock = Wm().Lock();
    return Wm().FindLive(hwnd) != nullptr;
}

// Resolves the parent argument of CreateWindowExW into parent and owner.
bool ResolveParent(DWORD style, HWND parentArg, HWND& parent, HWND& owner) {
    TWindowManager& wm = Wm();
    owner = nullptr;
    if (parentArg == HWND_MESSAGE) {
        parent = wm.MessageRoot();
        return true;
    }
    if (style & WS_CHILD) {
        if (!parentArg) {
            SetUserError(ERROR_TLW_WITH_WSCHILD);
            return false;
        }
        if (!wm.FindLive(parentArg)) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        parent = parentArg;
        return true;
    }
    parent = wm.Desktop();
    if (parentArg && parentArg != wm.Desktop()) {
        if (!wm.FindLive(parentArg)) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        owner = wm.RootOf(parentArg);
    }
    return true;
}

HWND InsertNewWindow(std::shared_ptr<TWndClass> cls, DWORD exStyle, DWORD style, const RECT& rect,
                     HWND parent, HWND owner, HMENU menu, HINSTANCE instance) {
    TWindowManager& wm = Wm();
    auto w = std::make_unique<TWnd>();
    w->Class = cls;
    w->Style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    w->ExStyle = exStyle;
    w->Proc = cls->Proc;
    w->Instance = instance;
    w->Id = (style & WS_CHILD) ? reinterpret_cast<LONG_PTR>(menu) : 0;
    w->Parent = parent;
    w->Owner = owner;
    w->Window = rect;
    w->Client = rect;
    w->NormalRect = rect;
    w->Extra.assign(static_cast<std::size_t>(cls->WndExtra), 0);
    w->ThreadId = CurrentThreadId();
    TWnd* raw = w.get();
    const HWND hwnd = wm.Insert(std::move(w));
    if (!hwnd)
        return nullptr;
    ++cls->Windows;
    // Top-level windows start above their band; children above their siblings.
    LinkWindowLocked(*raw, (exStyle & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_TOP, true);
    SyncSurfaceLocked(*raw);
    return hwnd;
}

// Gives the window its final state once created: minimised or maximised,
// then shown, as the styles asked.
void ApplyInitialState(HWND hwnd, DWORD style) {
    if (style & WS_MINIMIZE)
        ShowWindow(hwnd, (style & WS_VISIBLE) ? SW_SHOWMINNOACTIVE : SW_MINIMIZE);
    else if (style & WS_MAXIMIZE)
        ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    if ((style & WS_VISIBLE) && Alive(hwnd))
        ShowWindow(hwnd, SW_SHOW);
}

} // namespace

void ReleaseWindowLocked(HWND hwnd) {
    TWindowManager& wm = Wm();
    TWnd* w = wm.Find(hwnd);
    if (!w)
        return;
    w->Dead = true;
    for (HWND other : wm.AllWindows())
        if (TWnd* o = wm.Find(other); o && o->Owner == hwnd)
            o->Owner = nullptr;
    if (TWnd* parent = wm.Find(w->Parent))
        std::erase(parent->Children, hwnd);
    --w->Class->Windows;
    if (wm.IsTopLevel(*w))
        PublishWindowsLocked();
    if (w->Surface != 0) {
        wm.Backend().DestroySurface(w->Surface);
        w->Surface = 0;
    }
    wm.ForgetWindowState(hwnd);
    wm.Free(hwnd);
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parentArg, HMENU menu, HINSTANCE instance, LPVOID param) {
    const bool overlapped = !(style & (WS_POPUP | WS_CHILD));
    if (overlapped) {
        // Overlapped windows always have a caption; top-level windows always clip siblings.
        style |= WS_CAPTION | WS_CLIPSIBLINGS;
    } else if (style & WS_POPUP) {
        style |= WS_CLIPSIBLINGS;
    }
    RECT rect{x, y, x + width, y + height};
    if (overlapped && (x == CW_USEDEFAULT || width == CW_USEDEFAULT)) {
        rect = DefaultPlacement(x, y, width, height);
    } else {
        if (x == CW_USEDEFAULT)
            rect.left = rect.top = 0;
        if (width == CW_USEDEFAULT)
            width = height = 0;
        rect = {rect.left, rect.top, rect.left + std::max(width, 0), rect.top + std::max(height, 0)};
    }
    HWND hwnd = nullptr;
    {
        TWindowManager& wm = Wm();
        auto lock = wm.Lock();
        auto cls = wm.FindClass(className);
        if (!cls) {
            SetUserError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        HWND parent = nullptr;
        HWND owner = nullptr;
        if (!ResolveParent(style, parentArg, parent, owner))
            return nullptr;
        (void)wm.CurrentQueue();
        hwnd = InsertNewWindow(cls, exStyle, style, rect, parent, owner, menu, instance);
        if (!hwnd) {
            SetUserError(ERROR_NO_SYSTEM_RESOURCES);
            return nullptr;
        }
    }

    // Resizable and overlapped windows are held to their tracking limits.
    if ((style & WS_THICKFRAME) || overlapped) {
        MINMAXINFO mmi{};
        QueryMinMaxInfo(hwnd, &mmi);
        auto lock = Wm().Lock();
        if (TWnd* w = Wm().FindLive(hwnd)) {
            const LONG cx = std::clamp(rect.right - rect.left, mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x);
            const LONG cy = std::clamp(rect.bottom - rect.top, mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y);
            w->Window = w->Client = w->NormalRect = {rect.left, rect.top, rect.left + cx, rect.top + cy};
            rect = w->Window;
        }
    }

    CREATESTRUCTW cs{param,
                     instance,
                     menu,
                     parentArg,
                     rect.bottom - rect.top,
                     rect.right - rect.left,
                     rect.top,
                     rect.left,
                     static_cast<LONG>(style),
                     windowName,
                     className,
                     exStyle};
    if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        SendNcDestroy(hwnd);
        return nullptr;
    }
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return nullptr;
        w->Created = true;
    }
    RECT client = rect;
    SendMessageW(hwnd, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&client));
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return nullptr;
        w->Client = client;
    }
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!Alive(hwnd))
        return nullptr;
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(client.right - client.left, client.bottom - client.top));
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
    NotifyParent(hwnd, WM_CREATE);
    if (Alive(hwnd))
        ApplyInitialState(hwnd, style);
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w)
        return nullptr;
    if (Wm().IsTopLevel(*w))
        PublishWindowsLocked();
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
    std::vector<HWND> owned;
    bool visible = false;
    {
        TWindowManager& wm = Wm();
        auto lock = wm.Lock();
        TWnd* w = wm.FindLive(hwnd);
        if (!w) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (hwnd == wm.Desktop() || hwnd == wm.MessageRoot() || w->ThreadId != CurrentThreadId()) {
            SetUserError(kErrorAccessDenied);
            return 0;
        }
        if (w->Destroying && w->Created)
            return 1;
        w->Destroying = true;
        visible = (w->Style & WS_VISIBLE) != 0;
        for (HWND other : wm.AllWindows())
            if (TWnd* o = wm.FindLive(other); o && o->Owner == hwnd && !o->Destroying)
                owned.push_back(other);
    }
    NotifyParent(hwnd, WM_DESTROY);
    // Owned windows go first, completely.
    for (HWND o : owned)
        DestroyWindow(o);
    if (visible && Alive(hwnd))
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND capture = nullptr;
    {
        auto lock = Wm().Lock();
        if (Wm().Capture == hwnd || Wm().IsDescendant(hwnd, Wm().Capture))
            capture = Wm().Capture;
    }
    if (capture)
        ReleaseCapture();
    MoveFocusFrom(hwnd, nullptr);
    {
        auto lock = Wm().Lock();
        if (Wm().Active == hwnd) {
            lock.unlock();
            ActivateOtherWindow(hwnd);
        }
    }
    if (Alive(hwnd))
        SendDestroy(hwnd);
    SendNcDestroy(hwnd);
    return 1;
}

// --- window data

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->Proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->Instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>((w->Style & WS_CHILD) ? w->Parent : w->Owner);
    case GWLP_ID:
        return w->Id;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(w->Style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(w->ExStyle);
    case GWLP_USERDATA:
        return w->UserData;
    default: {
        LONG_PTR v = 0;
        if (ReadWindowExtra(*w, index, sizeof(LONG_PTR), v))
            return v;
        SetUserError(ERROR_INVALID_INDEX);
        return 0;
    }
    }
}

namespace {

// Style changes go through WM_STYLECHANGING (which may amend them) and
// WM_STYLECHANGED; the window is not redrawn, as on Windows.
LONG_PTR ChangeStyle(HWND hwnd, int index, DWORD value) {
    DWORD old = 0;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return 0;
        old = index == GWL_STYLE ? w->Style : w->ExStyle;
    }
    STYLESTRUCT ss{old, value};
    SendMessageW(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        if (!w)
            return 0;
        if (index == GWL_STYLE) {
            w->Style = ss.styleNew;
        } else {
            // Topmost is a place in the z-order, changed only by SetWindowPos.
            w->ExStyle = (ss.styleNew & ~WS_EX_TOPMOST) | (w->ExStyle & WS_EX_TOPMOST);
            if (!(w->ExStyle & WS_EX_LAYERED)) {
                w->LayeredAttributesSet = false;
                w->LayeredImageSet = false;
            }
        }
        SyncSurfaceLocked(*w);
    }
    SendMessageW(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
    return static_cast<LONG_PTR>(old);
}

LONG_PTR SetWindowData(HWND hwnd, int index, LONG_PTR value, std::size_t extraWidth) {
    if (index == GWL_STYLE || index == GWL_EXSTYLE) {
        if (!IsWindow(hwnd)) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        return ChangeStyle(hwnd, index, static_cast<DWORD>(value));
    }
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = 0;
    switch (index) {
    case GWLP_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(w->Proc);
        w->Proc = reinterpret_cast<WNDPROC>(value);
        return old;
    case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(w->Instance);
        w->Instance = reinterpret_cast<HINSTANCE>(value);
        return old;
    case GWLP_HWNDPARENT: {
        // Changes the owner of a top-level window; a child keeps its parent.
        old = reinterpret_cast<LONG_PTR>((w->Style & WS_CHILD) ? w->Parent : w->Owner);
        if (!(w->Style & WS_CHILD) && Wm().IsTopLevel(*w)) {
            const HWND owner = reinterpret_cast<HWND>(value);
            w->Owner = owner && Wm().FindLive(owner) ? Wm().RootOf(owner) : nullptr;
            if (w->Owner == hwnd)
                w->Owner = nullptr;
            SyncSurfaceLocked(*w);
        }
        return old;
    }
    case GWLP_ID:
        old = w->Id;
        w->Id = value;
        return old;
    case GWLP_USERDATA:
        old = w->UserData;
        w->UserData = value;
        return old;
    default:
        if (WriteWindowExtra(*w, index, extraWidth, value, old))
            return old;
        SetUserError(ERROR_INVALID_INDEX);
        return 0;
    }
}

} // namespace

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    return SetWindowData(hwnd, index, value, sizeof(LONG_PTR));
}

LONG GetWindowLongW(HWND hwnd, int index) {
    if (index >= 0) {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(hwnd);
        LONG_PTR v = 0;
        if (w && ReadWindowExtra(*w, index, sizeof(LONG), v))
            return static_cast<LONG>(v);
        SetUserError(w ? ERROR_INVALID_INDEX : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<LONG>(GetWindowLongPtrW(hwnd, index));
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
    return static_cast<LONG>(SetWindowData(hwnd, index, value, sizeof(LONG)));
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

// --- properties

namespace {

bool PropMatches(const TProp& p, LPCWSTR name) {
    return IsAtomArg(name) ? p.Name.empty() && p.Atom == AtomOf(name)
                           : !p.Name.empty() && SameName(p.Name, name);
}

} // namespace

BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) {
    if (!name || (!IsAtomArg(name) && !*name)) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    for (TProp& p : w->Props) {
        if (PropMatches(p, name)) {
            p.Data = data;
            return 1;
        }
    }
    w->Props.push_back(IsAtomArg(name) ? TProp{{}, AtomOf(name), data} : TProp{name, 0, data});
    return 1;
}

HANDLE GetPropW(HWND hwnd, LPCWSTR name) {
    if (!name)
        return nullptr;
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w)
        return nullptr;
    for (const TProp& p : w->Props)
        if (PropMatches(p, name))
            return p.Data;
    return nullptr;
}

HANDLE RemovePropW(HWND hwnd, LPCWSTR name) {
    if (!name)
        return nullptr;
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w)
        return nullptr;
    auto it = std::find_if(w->Props.begin(), w->Props.end(),
                           [name](const TProp& p) { return PropMatches(p, name); });
    if (it == w->Props.end())
        return nullptr;
    HANDLE data = it->Data;
    w->Props.erase(it);
    return data;
}

// --- text

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
    if (!buffer || maxCount <= 0)
        return 0;
    buffer[0] = 0;
    if (!IsWindow(hwnd)) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(
        SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!IsWindow(hwnd)) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<BOOL>(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

// --- finding and walking

namespace {

bool WindowMatches(const TWnd& w, LPCWSTR className, LPCWSTR windowName) {
    if (className) {
        if (IsAtomArg(className) ? w.Class->Atom != AtomOf(className) : !SameName(w.Class->Name, className))
            return false;
    }
    return !windowName || SameName(w.Text, windowName);
}

HWND FindAmong(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName) {
    TWindowManager& wm = Wm();
    TWnd* p = wm.FindLive(parent);
    if (!p)
        return nullptr;
    auto it = p->Children.begin();
    if (childAfter) {
        it = std::find(p->Children.begin(), p->Children.end(), childAfter);
        if (it == p->Children.end())
            return nullptr;
        ++it;
    }
    for (; it != p->Children.end(); ++it)
        if (TWnd* c = wm.FindLive(*it); c && WindowMatches(*c, className, windowName))
            return *it;
    return nullptr;
}

} // namespace

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    {
        auto lock = Wm().Lock();
        if (HWND local = FindAmong(Wm().Desktop(), nullptr, className, windowName))
            return local;
    }
    return FindForeignWindow(className, windowName);
}

HWND FindWindowExW(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName) {
    auto lock = Wm().Lock();
    if (!parent)
        parent = Wm().Desktop();
    else if (parent == HWND_MESSAGE)
        parent = Wm().MessageRoot();
    if (!Wm().FindLive(parent)) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return FindAmong(parent, childAfter, className, windowName);
}

HWND GetDesktopWindow() {
    auto lock = Wm().Lock();
    return Wm().Desktop();
}

HWND GetWindow(HWND hwnd, UINT cmd) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TWnd* w = wm.FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (cmd == GW_CHILD)
        return w->Children.empty() ? nullptr : w->Children.front();
    if (cmd == GW_OWNER)
        return w->Owner;
    if (cmd == GW_ENABLEDPOPUP) {
        for (HWND top : wm.Find(wm.Desktop())->Children)
            if (TWnd* t = wm.FindLive(top);
                t && t->Owner == hwnd && (t->Style & WS_VISIBLE) && !(t->Style & WS_DISABLED))
                return top;
        return nullptr;
    }
    TWnd* parent = wm.Find(w->Parent);
    if (!parent)
        return nullptr;
    const auto& siblings = parent->Children;
    const auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    switch (cmd) {
    case GW_HWNDFIRST:
        return siblings.front();
    case GW_HWNDLAST:
        return siblings.back();
    case GW_HWNDNEXT:
        return it + 1 < siblings.end() ? *(it + 1) : nullptr;
    case GW_HWNDPREV:
        return it != siblings.begin() ? *(it - 1) : nullptr;
    default:
        SetUserError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd) {
    return GetWindow(hwnd ? hwnd : GetDesktopWindow(), GW_CHILD);
}

HWND GetParent(HWND hwnd) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (w->Style & WS_CHILD)
        return w->Parent;
    return (w->Style & WS_POPUP) ? w->Owner : nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TWnd* w = wm.FindLive(hwnd);
    if (!w || hwnd == wm.Desktop())
        return nullptr;
    switch (flags) {
    case GA_PARENT:
        return w->Parent;
    case GA_ROOT:
        return wm.RootOf(hwnd);
    case GA_ROOTOWNER: {
        HWND root = wm.RootOf(hwnd);
        for (TWnd* r = wm.Find(root); r && r->Owner; r = wm.Find(r->Owner))
            root = r->Owner;
        return root;
    }
    default:
        return nullptr;
    }
}

BOOL IsChild(HWND parent, HWND hwnd) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    for (TWnd* w = wm.FindLive(hwnd); w && (w->Style & WS_CHILD); w = wm.FindLive(w->Parent))
        if (w->Parent == parent)
            return 1;
    return 0;
}

HWND SetParent(HWND child, HWND newParent) {
    TWindowManager& wm = Wm();
    HWND oldParent = nullptr;
    bool visible = false;
    {
        auto lock = wm.Lock();
        TWnd* w = wm.FindLive(child);
        if (!w || child == wm.Desktop()) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if (!newParent)
            newParent = wm.Desktop();
        else if (newParent == HWND_MESSAGE)
            newParent = wm.MessageRoot();
        // A window cannot become its own ancestor.
        if (!wm.FindLive(newParent) || newParent == child || wm.IsDescendant(child, newParent)) {
            SetUserError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        oldParent = w->Parent;
        visible = (w->Style & WS_VISIBLE) != 0;
    }
    if (visible)
        ShowWindow(child, SW_HIDE);
    {
        auto lock = wm.Lock();
        TWnd* w = wm.FindLive(child);
        if (!w)
            return nullptr;
        if (TWnd* old = wm.Find(w->Parent))
            std::erase(old->Children, child);
        // The window keeps its coordinates, now read in the new parent.
        w->Parent = newParent;
        LinkWindowLocked(*w, HWND_TOP, true);
        SyncSurfaceLocked(*w);
        if (oldParent == wm.Desktop() || newParent == wm.Desktop())
            PublishWindowsLocked();
    }
    if (visible)
        SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    return oldParent;
}

namespace {

BOOL EnumList(const std::vector<HWND>& list, WNDENUMPROC proc, LPARAM data) {
    if (!proc)
        return 0;
    for (HWND hwnd : list)
        if (IsWindow(hwnd) && !proc(hwnd, data))
            break;
    return 1;
}

} // namespace

BOOL EnumWindows(WNDENUMPROC proc, LPARAM data) {
    std::vector<HWND> list;
    {
        auto lock = Wm().Lock();
        list = Wm().Find(Wm().Desktop())->Children;
    }
    return EnumList(list, proc, data);
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM data) {
    std::vector<HWND> list;
    {
        auto lock = Wm().Lock();
        Wm().CollectDescendants(parent ? parent : Wm().Desktop(), list);
    }
    return EnumList(list, proc, data);
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM data) {
    std::vector<HWND> list;
    {
        auto lock = Wm().Lock();
        for (HWND top : Wm().Find(Wm().Desktop())->Children)
            if (TWnd* t = Wm().FindLive(top); t && t->ThreadId == threadId)
                list.push_back(top);
    }
    return EnumList(list, proc, data);
}

// --- state

BOOL IsWindow(HWND hwnd) {
    if (IsForeignHwnd(hwnd))
        return ForeignWindowInfo(hwnd, nullptr, nullptr);
    auto lock = Wm().Lock();
    return Wm().FindLive(hwnd) != nullptr;
}

BOOL IsWindowVisible(HWND hwnd) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    return w && Wm().IsVisibleOnScreen(*w);
}

BOOL IsWindowEnabled(HWND hwnd) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    return w && !(w->Style & WS_DISABLED);
}

BOOL IsIconic(HWND hwnd) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    return w && (w->Style & WS_MINIMIZE);
}

BOOL IsZoomed(HWND hwnd) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    return w && (w->Style & WS_MAXIMIZE);
}

BOOL IsWindowUnicode(HWND hwnd) {
    return IsWindow(hwnd);
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
    if (IsForeignHwnd(hwnd)) {
        DWORD thread = 0;
        if (!ForeignWindowInfo(hwnd, processId, &thread))
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return thread;
    }
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (processId)
        *processId = GetCurrentProcessId();
    return w->ThreadId;
}

} // namespace win

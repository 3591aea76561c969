#include "platform/win/user/Message_p.h"
#include "platform/win/user/UserErrors.h"
#include "platform/win/user/Window.h"
#include "platform/win/user/Window_p.h"

#include <algorithm>

namespace win {

namespace {

// Class and window extra bytes are capped as Windows caps them (40 KB).
constexpr int kMaxExtraBytes = 40000;

rtl::String NameArg(LPCWSTR name) {
    return name && !IsAtomArg(name) ? rtl::String(name) : rtl::String();
}

ATOM RegisterClassCore(const WNDCLASSEXW& wc) {
    if (!wc.lpszClassName || IsAtomArg(wc.lpszClassName) || !*wc.lpszClassName || wc.cbClsExtra < 0 ||
        wc.cbWndExtra < 0 || wc.cbClsExtra > kMaxExtraBytes || wc.cbWndExtra > kMaxExtraBytes) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    if (wm.FindClass(wc.lpszClassName)) {
        SetUserError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto cls = std::make_shared<TWndClass>();
    cls->Name = wc.lpszClassName;
    cls->Style = wc.style;
    cls->Proc = wc.lpfnWndProc;
    cls->ClsExtra = wc.cbClsExtra;
    cls->WndExtra = wc.cbWndExtra;
    cls->Instance = wc.hInstance;
    cls->Icon = wc.hIcon;
    cls->IconSm = wc.hIconSm;
    cls->Cursor = wc.hCursor;
    cls->Background = wc.hbrBackground;
    cls->MenuName = NameArg(wc.lpszMenuName);
    cls->Extra.assign(static_cast<std::size_t>(wc.cbClsExtra), 0);
    const ATOM atom = wm.AddClass(std::move(cls));
    if (atom == 0)
        SetUserError(ERROR_NO_SYSTEM_RESOURCES);
    return atom;
}

bool ExtraIndexValid(int index, std::size_t size, std::size_t width) {
    return index >= 0 && static_cast<std::size_t>(index) + width <= size;
}

// Extra bytes hold little-endian values of 4 or 8 bytes at any offset.
LONG_PTR ReadExtra(const std::vector<BYTE>& extra, int index, std::size_t width = sizeof(LONG_PTR)) {
    if (width == sizeof(LONG)) {
        LONG v = 0;
        std::copy_n(extra.begin() + index, width, reinterpret_cast<BYTE*>(&v));
        return v;
    }
    LONG_PTR v = 0;
    std::copy_n(extra.begin() + index, width, reinterpret_cast<BYTE*>(&v));
    return v;
}

void WriteExtra(std::vector<BYTE>& extra, int index, LONG_PTR v, std::size_t width = sizeof(LONG_PTR)) {
    std::copy_n(reinterpret_cast<const BYTE*>(&v), width, extra.begin() + index);
}

} // namespace

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXW)) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return RegisterClassCore(*wc);
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
    if (!wc) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const WNDCLASSEXW ex{sizeof(WNDCLASSEXW), wc->style,        wc->lpfnWndProc,   wc->cbClsExtra,
                         wc->cbWndExtra,      wc->hInstance,    wc->hIcon,         wc->hCursor,
                         wc->hbrBackground,   wc->lpszMenuName, wc->lpszClassName, nullptr};
    return RegisterClassCore(ex);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE /*instance*/) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    auto cls = wm.FindClass(className);
    if (!cls) {
        SetUserError(ERROR_CLASS_DOES_NOT_EXIST);
        return 0;
    }
    if (cls->Windows > 0) {
        SetUserError(ERROR_CLASS_HAS_WINDOWS);
        return 0;
    }
    wm.RemoveClass(className);
    return 1;
}

BOOL GetClassInfoExW(HINSTANCE /*instance*/, LPCWSTR className, WNDCLASSEXW* wc) {
    if (!wc) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto lock = Wm().Lock();
    auto cls = Wm().FindClass(className);
    if (!cls) {
        SetUserError(ERROR_CLASS_DOES_NOT_EXIST);
        return 0;
    }
    // The name points into the class, which lives while it is registered.
    *wc = {sizeof(WNDCLASSEXW), cls->Style,  cls->Proc,       cls->ClsExtra, cls->WndExtra,     cls->Instance,
           cls->Icon,           cls->Cursor, cls->Background, nullptr,       cls->Name.c_str(), cls->IconSm};
    return cls->Atom;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!buffer || maxCount <= 0) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const rtl::String& name = w->Class->Name;
    const int n = std::min(static_cast<int>(name.size()), maxCount - 1);
    std::copy_n(name.begin(), n, buffer);
    buffer[n] = 0;
    return n;
}

ULONG_PTR GetClassLongPtrW(HWND hwnd, int index) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const TWndClass& c = *w->Class;
    switch (index) {
    case GCL_STYLE:
        return c.Style;
    case GCLP_WNDPROC:
        return reinterpret_cast<ULONG_PTR>(c.Proc);
    case GCLP_HCURSOR:
        return reinterpret_cast<ULONG_PTR>(c.Cursor);
    case GCLP_HBRBACKGROUND:
        return reinterpret_cast<ULONG_PTR>(c.Background);
    case GCLP_HICON:
        return reinterpret_cast<ULONG_PTR>(c.Icon);
    case GCLP_HICONSM:
        return reinterpret_cast<ULONG_PTR>(c.IconSm);
    case GCLP_HMODULE:
        return reinterpret_cast<ULONG_PTR>(c.Instance);
    case GCL_CBWNDEXTRA:
        return static_cast<ULONG_PTR>(c.WndExtra);
    case GCL_CBCLSEXTRA:
        return static_cast<ULONG_PTR>(c.ClsExtra);
    case GCW_ATOM:
        return c.Atom;
    default:
        if (ExtraIndexValid(index, c.Extra.size(), sizeof(LONG_PTR)))
            return static_cast<ULONG_PTR>(ReadExtra(c.Extra, index));
        SetUserError(ERROR_INVALID_INDEX);
        return 0;
    }
}

ULONG_PTR SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    TWndClass& c = *w->Class;
    auto swap = [](auto& field, auto v) {
        const ULONG_PTR old = (ULONG_PTR)(field);
        field = v;
        return old;
    };
    switch (index) {
    case GCL_STYLE:
        return swap(c.Style, static_cast<UINT>(value));
    case GCLP_WNDPROC:
        return swap(c.Proc, reinterpret_cast<WNDPROC>(value));
    case GCLP_HCURSOR:
        return swap(c.Cursor, reinterpret_cast<HCURSOR>(value));
    case GCLP_HBRBACKGROUND:
        return swap(c.Background, reinterpret_cast<HBRUSH>(value));
    case GCLP_HICON:
        return swap(c.Icon, reinterpret_cast<HICON>(value));
    case GCLP_HICONSM:
        return swap(c.IconSm, reinterpret_cast<HICON>(value));
    case GCLP_HMODULE:
        return swap(c.Instance, reinterpret_cast<HINSTANCE>(value));
    default:
        if (ExtraIndexValid(index, c.Extra.size(), sizeof(LONG_PTR))) {
            const LONG_PTR old = ReadExtra(c.Extra, index);
            WriteExtra(c.Extra, index, value);
            return static_cast<ULONG_PTR>(old);
        }
        SetUserError(ERROR_INVALID_INDEX);
        return 0;
    }
}

bool ReadWindowExtra(const TWnd& w, int index, std::size_t width, LONG_PTR& value) {
    if (!ExtraIndexValid(index, w.Extra.size(), width))
        return false;
    value = ReadExtra(w.Extra, index, width);
    return true;
}

bool WriteWindowExtra(TWnd& w, int index, std::size_t width, LONG_PTR value, LONG_PTR& old) {
    if (!ExtraIndexValid(index, w.Extra.size(), width))
        return false;
    old = ReadExtra(w.Extra, index, width);
    WriteExtra(w.Extra, index, value, width);
    return true;
}

} // namespace win

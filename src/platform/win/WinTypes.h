#pragma once

// The basic types of the Windows API, as the system's code spells them.
// Sizes follow 64-bit Windows (LONG and DWORD are 32 bits; WPARAM, LPARAM
// and handles are pointer-sized). WCHAR is UTF-16, never wchar_t.
//
// No TRUE/FALSE/NULL macros: GLib defines its own, and the GTK backend sees
// both. Use 1/0 and nullptr.

#include <cstdint>

namespace win {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using BOOL = std::int32_t;
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPVOID = void*;
using LPCVOID = const void*;
using CHAR = char;
using LPSTR = CHAR*;
using LPCSTR = const CHAR*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using PBOOL = BOOL*;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using HRESULT = std::int32_t;
using COLORREF = DWORD;
using ATOM = WORD;

// Handles are opaque: their values index handle tables with a generation
// count, so a stale handle is refused instead of touching freed memory.
#define WIN_DECLARE_HANDLE(name)                                                                             \
    struct name##__;                                                                                         \
    using name = name##__*

using HANDLE = void*;
WIN_DECLARE_HANDLE(HINSTANCE);
using HMODULE = HINSTANCE;
WIN_DECLARE_HANDLE(HWND);
WIN_DECLARE_HANDLE(HDC);
using HGDIOBJ = void*;
WIN_DECLARE_HANDLE(HBITMAP);
WIN_DECLARE_HANDLE(HBRUSH);
WIN_DECLARE_HANDLE(HPEN);
WIN_DECLARE_HANDLE(HFONT);
WIN_DECLARE_HANDLE(HRGN);
WIN_DECLARE_HANDLE(HPALETTE);
WIN_DECLARE_HANDLE(HICON);
using HCURSOR = HICON;
WIN_DECLARE_HANDLE(HMENU);
WIN_DECLARE_HANDLE(HMONITOR);
WIN_DECLARE_HANDLE(HKEY);
WIN_DECLARE_HANDLE(HHOOK);
WIN_DECLARE_HANDLE(HIMAGELIST);

using FARPROC = void (*)();

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

using LPRECT = RECT*;
using LPCRECT = const RECT*;
using LPPOINT = POINT*;

constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>(c >> 16); }
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

} // namespace win

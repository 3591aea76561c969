#pragma once

// Layered windows: a picture with per-pixel alpha handed over whole
// (UpdateLayeredWindow), or normal painting seen through a constant alpha or
// a colour key (SetLayeredWindowAttributes).

#include "platform/win/gdi/GdiTypes.h"
#include "platform/win/user/UserConstants.h"
#include "platform/win/user/UserTypes.h"

namespace win {

BOOL UpdateLayeredWindow(HWND hwnd, HDC dcDst, POINT* ptDst, SIZE* size, HDC dcSrc, POINT* ptSrc,
                         COLORREF key, BLENDFUNCTION* blend, DWORD flags);
BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags);
BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags);

} // namespace win

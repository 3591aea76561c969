#pragma once

// Window record internals shared by the window functions.

#include "platform/win/user/WindowManager_p.h"

namespace win {

// Window extra bytes (cbWndExtra), read and written as 4- or 8-byte values.
bool ReadWindowExtra(const TWnd& w, int index, std::size_t width, LONG_PTR& value);
bool WriteWindowExtra(TWnd& w, int index, std::size_t width, LONG_PTR value, LONG_PTR& old);

// Frees the record of a window whose WM_NCDESTROY has been sent (lock held).
void ReleaseWindowLocked(HWND hwnd);

} // namespace win

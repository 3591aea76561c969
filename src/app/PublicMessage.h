#pragma once

// Window messages of the shell's own.

#include "platform/win/user/UserConstants.h"

namespace app {

// Posted (wParam 0, lParam 0) by a second start of the program to the
// running main window, which then comes to the foreground.
constexpr win::UINT WM_INSTANCE_ACTIVATE = win::WM_USER + 101;
static_assert(WM_INSTANCE_ACTIVATE == 1125);

} // namespace app

#pragma once

// Which desktop surface shows a window, for views that the desktop places
// inside a top-level window (the browser engine's native view).

#include "platform/display/DisplayTypes.h"
#include "platform/win/user/UserTypes.h"

namespace win {

// The surface of the top-level window that contains hwnd; 0 when the window
// does not exist or its top-level window has no surface.
[[nodiscard]] display::TSurfaceId GetWindowSurface(HWND hwnd);

} // namespace win

#pragma once

// Controls of the window manager for tests.

#include "platform/display/HeadlessDisplay.h"

#include <string>

namespace win {

// Forgets every window, class, timer, hook and posted message without a
// message, and starts again on a fresh headless desktop. The windows are no
// longer listed in the session's window directory.
void ResetWindowManager();

// Lists this process's windows in the given directory and finds other
// processes' windows there ("" lists nothing); the session's directory is
// $XDG_RUNTIME_DIR/lumora-windows.
void SetSessionWindowDirectory(const std::string& path);

// The headless desktop in use (the backend must be the headless one).
display::THeadlessDisplay& HeadlessDisplay();

// Switches desktop composition, as DwmIsCompositionEnabled reports it, and
// tells the top-level windows (WM_DWMCOMPOSITIONCHANGED).
void SetCompositionEnabled(bool enabled);

} // namespace win

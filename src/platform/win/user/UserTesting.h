#pragma once

// Controls of the window manager for tests.

#include "platform/display/HeadlessDisplay.h"

namespace win {

// Forgets every window, class, timer, hook and posted message without a
// message, and starts again on a fresh headless desktop.
void ResetWindowManager();

// The headless desktop in use (the backend must be the headless one).
display::THeadlessDisplay& HeadlessDisplay();

// Switches desktop composition, as DwmIsCompositionEnabled reports it, and
// tells the top-level windows (WM_DWMCOMPOSITIONCHANGED).
void SetCompositionEnabled(bool enabled);

} // namespace win

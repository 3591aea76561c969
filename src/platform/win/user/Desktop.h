#pragma once

// The desktop the window manager shows its windows on.

#include "platform/display/DisplayBackend.h"

#include <memory>

namespace win {

// Replaces the display backend (the headless one is used until then). Call
// it from the GUI thread before the first window is created.
void SetDisplayBackend(std::unique_ptr<display::TDisplayBackend> backend);

// Monitors or work areas changed: re-reads them and tells the top-level
// windows (WM_DISPLAYCHANGE).
void ApplyDisplayChange();

} // namespace win

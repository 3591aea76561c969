#pragma once

// Activation and focus internals (Focus.cpp). No lock held by the caller.

#include "platform/win/user/WindowManager_p.h"

namespace win {

// Makes a top-level window the active one with the message sequence of
// Windows; `how` is WA_ACTIVE or WA_CLICKACTIVE. False when it cannot be active.
bool ActivateWindow(HWND hwnd, WORD how);

// Called when the active window is hidden, minimised or destroyed: the next
// suitable top-level window becomes active, or none.
void ActivateOtherWindow(HWND leaving);

// Another application took the foreground: our active window is deactivated.
void DeactivateApp();

// The focus window is going away or hidden: focus moves to `fallback` (may be nullptr).
void MoveFocusFrom(HWND leavingRoot, HWND fallback);

} // namespace win

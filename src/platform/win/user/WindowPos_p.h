#pragma once

// Placement internals shared by window creation, the default window
// procedure, input and painting.

#include "platform/win/user/WindowManager_p.h"

namespace win {

// How far the frame reaches in on each side of a window with these styles
// (left, top, right, bottom widths).
[[nodiscard]] RECT FrameInsets(DWORD style, DWORD exStyle);

// Asks the window (WM_GETMINMAXINFO) for its limits; no lock held.
void QueryMinMaxInfo(HWND hwnd, MINMAXINFO* info);

// Places a window in its parent's z-order without messages (lock held);
// insertAfter may be HWND_TOP, HWND_BOTTOM, HWND_TOPMOST, HWND_NOTOPMOST or a
// sibling. Owned top-level windows follow their owner unless noOwnerZOrder.
void LinkWindowLocked(TWnd& w, HWND insertAfter, bool noOwnerZOrder);

// Tells the desktop the stacking order of the top-level windows (lock held).
void RestackSurfacesLocked();

// Creates, updates or destroys the desktop surface of a window to match its
// place in the tree (lock held).
void SyncSurfaceLocked(TWnd& w);

// Minimised windows sit far outside every monitor, as on Windows.
constexpr LONG kIconicPos = -32000;

} // namespace win

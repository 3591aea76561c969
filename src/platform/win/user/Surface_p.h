#pragma once

// Window surfaces and the DCs over them (lock held for all of these).

#include "platform/win/user/WindowManager_p.h"

namespace win {

// A DC over the top-level surface that contains the window, placed at its
// client area (or its window rectangle with DCX_WINDOW) and limited to its
// visible region: the ancestors' client areas, window regions, and the
// children and siblings its clipping flags (or styles, with DCX_USESTYLE)
// exclude. `intersect` and `exclude` are in the DC's own coordinates.
HDC CreateWindowDcLocked(TWnd& w, DWORD flags, const Region* intersect, const Region* exclude);

// Deletes a window DC and shows what was drawn through it; false for a DC
// that is not a window DC.
bool ReleaseWindowDcLocked(HDC dc);

// The screen DC of GetDC(nullptr).
HDC ScreenDc();
HDC ScreenDcLocked();

// Hands the pixels of a top-level window in `box` (surface coordinates) to the desktop.
void PresentLocked(TWnd& top, const RECT& box);

} // namespace win

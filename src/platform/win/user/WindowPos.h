#pragma once

// Placement, showing, z-order, coordinates and hit-testing of windows.

#include "platform/win/user/UserConstants.h"
#include "platform/win/user/UserTypes.h"

namespace win {

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL BringWindowToTop(HWND hwnd);
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* placement);

BOOL GetWindowRect(HWND hwnd, LPRECT rect);
BOOL GetClientRect(HWND hwnd, LPRECT rect);
BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL ClientToScreen(HWND hwnd, LPPOINT point);
BOOL ScreenToClient(HWND hwnd, LPPOINT point);
// Returns the offset (low word x, high word y) added to the points.
int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count);

HWND WindowFromPoint(POINT point);
HWND ChildWindowFromPoint(HWND parent, POINT point);
HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags);

// The window region is in window coordinates; the system owns it afterwards.
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw);
// Copies the window region into an existing region; ERROR without one.
int GetWindowRgn(HWND hwnd, HRGN region);
int GetWindowRgnBox(HWND hwnd, LPRECT rect);

} // namespace win

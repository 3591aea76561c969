#pragma once

// Mouse capture and tracking, keyboard focus, activation, enabling, key
// state, synthesised input and cursors.

#include "platform/win/user/UserConstants.h"
#include "platform/win/user/UserTypes.h"

namespace win {

HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);

HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
BOOL AllowSetForegroundWindow(DWORD processId);
// All threads of the process share one input state, so attaching always succeeds.
BOOL AttachThreadInput(DWORD attachFrom, DWORD attachTo, BOOL attach);
BOOL EnableWindow(HWND hwnd, BOOL enable);

SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);
BOOL GetKeyboardState(BYTE* keyState);
UINT SendInput(UINT count, const INPUT* inputs, int size);
BOOL GetCursorPos(LPPOINT point);
BOOL SetCursorPos(int x, int y);
UINT GetDoubleClickTime();

// System cursors only (instance nullptr, an IDC_ id).
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

} // namespace win

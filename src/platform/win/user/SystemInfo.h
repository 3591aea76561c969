#pragma once

// Metrics, system parameters, monitors and message boxes.

#include "platform/win/user/UserConstants.h"
#include "platform/win/user/UserTypes.h"

namespace win {

int GetSystemMetrics(int index);
BOOL SystemParametersInfoW(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni);

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
HMONITOR MonitorFromPoint(POINT point, DWORD flags);
HMONITOR MonitorFromRect(LPCRECT rect, DWORD flags);
// Takes MONITORINFO or MONITORINFOEXW, told apart by cbSize.
BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info);
BOOL EnumDisplayMonitors(HDC dc, LPCRECT clip, MONITORENUMPROC proc, LPARAM data);

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

} // namespace win

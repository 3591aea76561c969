#pragma once

// The session's window directory: the top-level windows of every process of
// the user's session, so that FindWindowW finds windows of other processes
// and PostMessageW reaches them. Each process keeps a file listing its
// top-level windows (class, caption, handle, thread) and listens on a local
// socket that takes posted messages from processes of the same user only.
// Entries of processes that have died are ignored.
//
// Handles of other processes' windows are values above 32 bits: the process
// id in the high half and the window's own handle in the low half.

#include "platform/win/user/WindowManager_p.h"

#include <string>

namespace win {

[[nodiscard]] inline bool IsForeignHwnd(HWND hwnd) {
    return (reinterpret_cast<ULONG_PTR>(hwnd) >> 32) != 0;
}

// Rewrites this process's entry after its top-level windows changed (lock held).
void PublishWindowsLocked();

// A window of another process of the session, or nullptr (no lock held).
HWND FindForeignWindow(LPCWSTR className, LPCWSTR windowName);

// Posts to a window of another process; false when it is gone or refuses.
bool PostToForeignWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Is the foreign window still listed by a live process? Tells its ids.
bool ForeignWindowInfo(HWND hwnd, DWORD* processId, DWORD* threadId);

// Where the directory lives; empty turns publishing and foreign lookups off.
void SetWindowDirectoryPath(std::string path);

} // namespace win

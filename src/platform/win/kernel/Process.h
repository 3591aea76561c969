#pragma once

// The current process: its pseudo handle, ending it, and the WOW64 query.

#include "platform/win/WinTypes.h"

#include <functional>

namespace win {

// The pseudo handle (-1) that always names the calling process.
[[nodiscard]] HANDLE GetCurrentProcess() noexcept;
[[nodiscard]] DWORD GetCurrentProcessId() noexcept;

// Ends the current process at once with the given exit code: no static
// destructors, no atexit handlers, no stdio flush. Other processes cannot be
// named by a handle here and fail with ERROR_INVALID_HANDLE.
BOOL TerminateProcess(HANDLE process, UINT exitCode);

// The point where ending the current process happens. Tests install a hook
// that records the code (and may throw to unwind) instead of dying; when the
// hook returns, TerminateProcess returns TRUE. An empty hook restores the
// real exit. Returns the previous hook.
using TProcessExitHook = std::function<void(UINT exitCode)>;
TProcessExitHook SetProcessExitHook(TProcessExitHook hook);

// A 64-bit process never runs under WOW64: *wow64Process becomes FALSE.
BOOL IsWow64Process(HANDLE process, PBOOL wow64Process);

} // namespace win

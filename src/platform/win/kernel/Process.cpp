#include "platform/win/kernel/Process.h"

#include "platform/win/WinError.h"
#include "platform/win/kernel/LastError.h"

#include <mutex>
#include <unistd.h>
#include <utility>

namespace win {

namespace {

std::mutex& ExitHookLock() {
    static std::mutex lock;
    return lock;
}

TProcessExitHook& ExitHook() {
    static TProcessExitHook hook;
    return hook;
}

} // namespace

HANDLE GetCurrentProcess() noexcept {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
}

DWORD GetCurrentProcessId() noexcept {
    return static_cast<DWORD>(::getpid());
}

TProcessExitHook SetProcessExitHook(TProcessExitHook hook) {
    std::lock_guard lock(ExitHookLock());
    return std::exchange(ExitHook(), std::move(hook));
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
    if (process != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    TProcessExitHook hook;
    {
        std::lock_guard lock(ExitHookLock());
        hook = ExitHook();
    }
    if (hook) {
        hook(exitCode);
        return 1;
    }
    // The exit status keeps the low 8 bits, as the POSIX wait status does.
    ::_exit(static_cast<int>(exitCode & 0xFF));
}

BOOL IsWow64Process(HANDLE process, PBOOL wow64Process) {
    if (process != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!wow64Process) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    *wow64Process = 0;
    return 1;
}

} // namespace win

#pragma once

// Kernel object handles: every object the kernel stand-in hands out as a
// HANDLE (mutexes today) lives in one table and is released by CloseHandle.

#include "platform/win/WinTypes.h"

namespace win {

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Standard and object-specific access rights.
constexpr DWORD READ_CONTROL = 0x00020000;
constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD MUTEX_MODIFY_STATE = 0x0001;
constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;

// Fails with ERROR_INVALID_HANDLE for a closed or unknown handle. The
// current-process pseudo handle closes successfully and stays valid.
BOOL CloseHandle(HANDLE object);

} // namespace win

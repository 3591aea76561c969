#pragma once

// Named mutexes, visible to every process of the user's session.
//
// A named mutex is a lock file in the session's object folder
// ($XDG_RUNTIME_DIR/lumora-objects, or a private /tmp/lumora-objects-UID when
// that is unusable). Each open handle holds a shared open-file-description
// lock on it, so the mutex exists exactly while some handle is open, and
// the kernel drops the locks of a process that dies, however it dies. The
// creator tests for existence by taking the lock exclusively and then
// converts it to shared in one atomic step, so of two processes creating
// at the same moment exactly one sees no ERROR_ALREADY_EXISTS.
//
// Nothing waits on these mutexes, so initial ownership is granted at once
// and not tracked.

#include "platform/win/WinTypes.h"
#include "platform/win/kernel/KernelObject.h"

namespace win {

// Returns a handle on success. The last error is ERROR_ALREADY_EXISTS when
// the named mutex existed (the handle then opens it), 0 when this call
// created it. A "Local\" prefix names the same session namespace.
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);

// nullptr with ERROR_FILE_NOT_FOUND when no handle of the mutex is open.
HANDLE OpenMutexW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name);

} // namespace win

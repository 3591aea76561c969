#include "platform/win/kernel/LastError.h"

namespace win {

namespace {
thread_local DWORD lastError = 0;
} // namespace

DWORD GetLastError() noexcept {
    return lastError;
}

void SetLastError(DWORD errorCode) noexcept {
    lastError = errorCode;
}

} // namespace win

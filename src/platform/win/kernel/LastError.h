#pragma once

// The calling thread's last-error code, as every Windows-shaped call of the
// stand-in reports its failures. Each thread has its own value, starting at 0.

#include "platform/win/WinTypes.h"

namespace win {

[[nodiscard]] DWORD GetLastError() noexcept;
void SetLastError(DWORD errorCode) noexcept;

} // namespace win

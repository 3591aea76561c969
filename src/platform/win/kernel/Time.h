#pragma once

// The kernel's clock calls over the process's one clock (rtl::TClock): real
// by default; tests switch to a virtual clock that only Sleep and
// AdvanceVirtualClock move, so time-driven behaviour is tested without
// waiting.

#include "platform/win/WinTypes.h"

namespace win {

constexpr DWORD INFINITE = 0xFFFFFFFF;

// Milliseconds since the system started; the 32-bit count wraps after 49.7
// days, as on Windows.
[[nodiscard]] DWORD GetTickCount() noexcept;
[[nodiscard]] ULONGLONG GetTickCount64() noexcept;

// Real clock: suspends the calling thread (INFINITE never returns).
// Virtual clock: advances the clock by the interval and returns at once.
void Sleep(DWORD milliseconds);

void UseVirtualClock(ULONGLONG startTicks) noexcept;
void UseRealClock() noexcept;
void AdvanceVirtualClock(ULONGLONG milliseconds) noexcept;

} // namespace win

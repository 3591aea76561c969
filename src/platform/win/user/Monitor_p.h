#pragma once

// Monitor lookups shared by placement and system information (lock held).

#include "platform/win/user/WindowManager_p.h"

namespace win {

// Index of the monitor a rectangle lies on most (nearest when on none).
[[nodiscard]] std::size_t MonitorIndexOfRectLocked(const RECT& rect);
[[nodiscard]] RECT MonitorRectLocked(std::size_t index);
// The work area, with a SPI_SETWORKAREA override for the primary monitor.
[[nodiscard]] RECT MonitorWorkAreaLocked(std::size_t index);
[[nodiscard]] RECT WorkAreaOfRectLocked(const RECT& rect);

} // namespace win

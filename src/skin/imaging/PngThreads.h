#pragma once

// Threads as the imaging unit tells them apart: a 32-bit id per thread, and
// the thread that started the unit (the program's main thread), which alone
// uses the scratch-image cache.

#include <cstdint>

namespace skin {

[[nodiscard]] std::uint32_t PngCurrentThreadId() noexcept;
[[nodiscard]] std::uint32_t PngMainThreadId() noexcept;
[[nodiscard]] inline bool PngIsMainThread() noexcept {
    return PngCurrentThreadId() == PngMainThreadId();
}

// Waits a little (2 ms) for another thread to finish filling shared data.
void PngWaitForOtherThread() noexcept;

} // namespace skin

#pragma once

// The millisecond clock of the whole process. It is real by default: a
// monotonic count since boot, as GetTickCount64 counts. Tests switch it to a
// virtual clock that stands still until advanced, so that timers and Sleep,
// which read and advance this clock, run without waiting.

#include <cstdint>

namespace rtl {

class TClock {
public:
    // Milliseconds, never decreasing while the clock is not switched.
    [[nodiscard]] static std::uint64_t Now() noexcept;

    // Switches to a virtual clock that reads `start` until advanced.
    static void UseVirtual(std::uint64_t start = 0) noexcept;
    // Switches back to the monotonic clock.
    static void UseReal() noexcept;
    [[nodiscard]] static bool IsVirtual() noexcept;
    // Moves the virtual clock forward; the real clock ignores it.
    static void Advance(std::uint64_t milliseconds) noexcept;
};

// Makes the clock virtual for a scope (a test), real again afterwards.
class TVirtualClockScope {
public:
    explicit TVirtualClockScope(std::uint64_t start = 0) noexcept { TClock::UseVirtual(start); }
    ~TVirtualClockScope() { TClock::UseReal(); }
    TVirtualClockScope(const TVirtualClockScope&) = delete;
    TVirtualClockScope& operator=(const TVirtualClockScope&) = delete;
};

[[nodiscard]] inline std::uint64_t GetTickCount64() noexcept {
    return TClock::Now();
}
// The low 32 bits, wrapping after 49.7 days as GetTickCount does.
[[nodiscard]] inline std::uint32_t TickCount() noexcept {
    return static_cast<std::uint32_t>(TClock::Now());
}

} // namespace rtl

#include "platform/win/kernel/Time.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace win {

namespace {

std::atomic<bool> virtualClock{false};
std::atomic<ULONGLONG> virtualTicks{0};

ULONGLONG RealTicks() noexcept {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000 + static_cast<ULONGLONG>(now.tv_nsec) / 1000000;
}

void SleepReal(DWORD milliseconds) {
    if (milliseconds == INFINITE) {
        while (true)
            SleepReal(0x7FFFFFFF);
    }
    timespec remaining{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000};
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

} // namespace

ULONGLONG GetTickCount64() noexcept {
    return virtualClock ? virtualTicks.load() : RealTicks();
}

DWORD GetTickCount() noexcept {
    return static_cast<DWORD>(GetTickCount64());
}

void Sleep(DWORD milliseconds) {
    if (virtualClock)
        AdvanceVirtualClock(milliseconds);
    else
        SleepReal(milliseconds);
}

void UseVirtualClock(ULONGLONG startTicks) noexcept {
    virtualTicks = startTicks;
    virtualClock = true;
}

void UseRealClock() noexcept {
    virtualClock = false;
}

void AdvanceVirtualClock(ULONGLONG milliseconds) noexcept {
    virtualTicks += milliseconds;
}

} // namespace win

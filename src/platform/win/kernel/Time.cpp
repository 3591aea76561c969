#include "platform/win/kernel/Time.h"

#include "platform/rtl/Clock.h"

#include <cerrno>
#include <ctime>

namespace win {

namespace {

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
    return rtl::TClock::Now();
}

DWORD GetTickCount() noexcept {
    return static_cast<DWORD>(GetTickCount64());
}

void Sleep(DWORD milliseconds) {
    if (rtl::TClock::IsVirtual())
        rtl::TClock::Advance(milliseconds);
    else
        SleepReal(milliseconds);
}

void UseVirtualClock(ULONGLONG startTicks) noexcept {
    rtl::TClock::UseVirtual(startTicks);
}

void UseRealClock() noexcept {
    rtl::TClock::UseReal();
}

void AdvanceVirtualClock(ULONGLONG milliseconds) noexcept {
    rtl::TClock::Advance(milliseconds);
}

} // namespace win

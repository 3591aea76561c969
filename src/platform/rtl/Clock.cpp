#include "platform/rtl/Clock.h"

#include <atomic>
#include <chrono>

namespace rtl {

namespace {

std::atomic<bool> gVirtual{false};
std::atomic<std::uint64_t> gVirtualNow{0};

std::uint64_t RealNow() noexcept {
    // steady_clock is CLOCK_MONOTONIC here: it counts from boot, like GetTickCount64.
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

} // namespace

std::uint64_t TClock::Now() noexcept {
    return gVirtual.load(std::memory_order_acquire) ? gVirtualNow.load(std::memory_order_acquire) : RealNow();
}

void TClock::UseVirtual(std::uint64_t start) noexcept {
    gVirtualNow.store(start, std::memory_order_release);
    gVirtual.store(true, std::memory_order_release);
}

void TClock::UseReal() noexcept {
    gVirtual.store(false, std::memory_order_release);
}

bool TClock::IsVirtual() noexcept {
    return gVirtual.load(std::memory_order_acquire);
}

void TClock::Advance(std::uint64_t milliseconds) noexcept {
    gVirtualNow.fetch_add(milliseconds, std::memory_order_acq_rel);
}

} // namespace rtl

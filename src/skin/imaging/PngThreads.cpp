#include "skin/imaging/PngThreads.h"

#include <chrono>
#include <thread>
#include <unistd.h>

namespace skin {

std::uint32_t PngCurrentThreadId() noexcept {
    thread_local const auto id = static_cast<std::uint32_t>(gettid());
    return id;
}

namespace {

// Static initialisation runs on the thread that starts the program.
const std::uint32_t MainThreadId = PngCurrentThreadId();

} // namespace

std::uint32_t PngMainThreadId() noexcept {
    return MainThreadId;
}

void PngWaitForOtherThread() noexcept {
    // Real time, not the controllable clock: another thread is working.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

} // namespace skin

#include "skin/imaging/PngStrictMode.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace skin {

namespace {

std::atomic<bool>& StrictFlag() noexcept {
    static std::atomic<bool> flag = [] {
        const char* value = std::getenv("LUMORA_PNG_STRICT");
        return value && std::strcmp(value, "1") == 0;
    }();
    return flag;
}

} // namespace

bool PngStrictChecks() noexcept {
    return StrictFlag().load(std::memory_order_relaxed);
}

void SetPngStrictChecks(bool strict) noexcept {
    StrictFlag().store(strict, std::memory_order_relaxed);
}

} // namespace skin

#include "platform/win/shell/CoTaskMem.h"

#include <cstdlib>

namespace win {

LPVOID CoTaskMemAlloc(SIZE_T size) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}

void CoTaskMemFree(LPVOID block) noexcept {
    std::free(block);
}

} // namespace win

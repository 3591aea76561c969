#pragma once

// The COM task allocator: memory that one module allocates and another
// frees, such as strings handed out by a loaded library. Both ends share the
// process's C heap.

#include "platform/win/WinTypes.h"

namespace win {

// A zero size still returns a block that CoTaskMemFree accepts.
[[nodiscard]] LPVOID CoTaskMemAlloc(SIZE_T size) noexcept;

// Accepts nullptr.
void CoTaskMemFree(LPVOID block) noexcept;

} // namespace win

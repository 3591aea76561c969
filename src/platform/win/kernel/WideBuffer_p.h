#pragma once

// Moving text between the stand-in's strings and the caller-supplied
// zero-terminated UTF-16 buffers of the Windows-shaped calls.

#include "platform/rtl/String.h"
#include "platform/win/WinTypes.h"

namespace win::detail {

// A null pointer reads as the empty text.
[[nodiscard]] inline rtl::String WideToString(LPCWSTR text) {
    return text ? rtl::String(text) : rtl::String();
}

// Copies text and its terminating zero when the buffer of `size` characters
// holds both; otherwise writes nothing and returns false.
[[nodiscard]] inline bool CopyToWideBuffer(rtl::StringView text, LPWSTR buffer, DWORD size) {
    if (!buffer || text.size() >= size)
        return false;
    text.copy(buffer, text.size());
    buffer[text.size()] = 0;
    return true;
}

} // namespace win::detail

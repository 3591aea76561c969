#pragma once

// A stream over an open file descriptor of the operating system.

#include "platform/rtl/Stream.h"

#include <cstdint>

namespace rtl {

// A file descriptor; -1 is "invalid handle".
using THandle = int;
inline constexpr THandle INVALID_HANDLE_VALUE = -1;

class THandleStream : public TStream {
    RTL_CLASS(THandleStream, TStream)
public:
    explicit THandleStream(THandle handle) : FHandle(handle) {}

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // Truncates or extends the file; raises EOSError when the system refuses.
    void SetSize(std::int64_t newSize) override;

    [[nodiscard]] THandle Handle() const noexcept { return FHandle; }

protected:
    THandle FHandle;
};

} // namespace rtl

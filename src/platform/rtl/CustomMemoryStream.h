#pragma once

// A stream over one contiguous block of memory that a descendant provides.

#include "platform/rtl/Stream.h"
#include "platform/rtl/String.h"

#include <cstdint>

namespace rtl {

class TCustomMemoryStream : public TStream {
    RTL_CLASS(TCustomMemoryStream, TStream)
public:
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    [[nodiscard]] std::int64_t Size() override { return FSize; }

    // The block; valid until the next write or size change.
    [[nodiscard]] void* Memory() const noexcept { return FMemory; }

    void SaveToStream(TStream* stream);
    void SaveToFile(const String& fileName);

protected:
    void SetPointer(void* memory, std::int64_t size) noexcept {
        FMemory = memory;
        FSize = size;
    }
    // The position may lie beyond the end (reads there return nothing).
    [[nodiscard]] std::int64_t CurrentPosition() const noexcept { return FPosition; }
    void SetCurrentPosition(std::int64_t position) noexcept { FPosition = position; }
    [[nodiscard]] std::int64_t CurrentSize() const noexcept { return FSize; }

private:
    void* FMemory = nullptr;
    std::int64_t FSize = 0;
    std::int64_t FPosition = 0;
};

} // namespace rtl

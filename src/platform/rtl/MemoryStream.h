#pragma once

// A growable in-memory stream. Capacity grows geometrically, so a run of
// small writes costs amortised linear time; bytes between the old end and a
// write past it read as zero.

#include "platform/rtl/CustomMemoryStream.h"
#include "platform/rtl/Encoding.h"

#include <cstdint>

namespace rtl {

class TMemoryStream : public TCustomMemoryStream {
    RTL_CLASS(TMemoryStream, TCustomMemoryStream)
public:
    TMemoryStream() = default;

    std::int64_t Write(const void* buffer, std::int64_t count) override;
    // Growing zero-fills; shrinking moves a position beyond the end to the end.
    void SetSize(std::int64_t newSize) override;

    [[nodiscard]] std::int64_t Capacity() const noexcept { return static_cast<std::int64_t>(FBuffer.size()); }
    void SetCapacity(std::int64_t newCapacity);

    void Clear();
    // Replaces the content with the whole of `stream`, read from its start.
    void LoadFromStream(TStream* stream);
    void LoadFromFile(const String& fileName);

protected:
    // The storage; its length is the capacity, not the size.
    TBytes FBuffer;

private:
    void Grow(std::int64_t minCapacity);
};

} // namespace rtl

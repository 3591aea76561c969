#pragma once

// A memory stream over a byte array that the caller hands in and takes back.

#include "platform/rtl/MemoryStream.h"

namespace rtl {

class TBytesStream : public TMemoryStream {
    RTL_CLASS(TBytesStream, TMemoryStream)
public:
    TBytesStream() = default;
    explicit TBytesStream(TBytes bytes);

    // The storage: at least Size() bytes long (it may be longer after writes).
    [[nodiscard]] const TBytes& Bytes() const noexcept { return FBuffer; }
};

} // namespace rtl

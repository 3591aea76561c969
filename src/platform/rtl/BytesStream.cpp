#include "platform/rtl/BytesStream.h"

namespace rtl {

RTL_IMPLEMENT_CLASS(TBytesStream)

TBytesStream::TBytesStream(TBytes bytes) {
    FBuffer = std::move(bytes);
    SetPointer(FBuffer.data(), static_cast<std::int64_t>(FBuffer.size()));
}

} // namespace rtl

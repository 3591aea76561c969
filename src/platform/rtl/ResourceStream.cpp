#include "platform/rtl/ResourceStream.h"

#include "platform/rtl/Exception.h"

namespace rtl {

RTL_IMPLEMENT_ABSTRACT_CLASS(TResourceStream)

TResourceStream::TResourceStream(HINST instance, TResourceId resName, TResourceId resType) {
    const TResourceInfo* info = FindResource(instance, resName, resType);
    if (!info)
        throw EResNotFound(u"Resource " + resName.ToString() + u" not found");
    // The block is static data; Write refuses, so it is never modified.
    SetPointer(const_cast<std::uint8_t*>(info->Data), static_cast<std::int64_t>(info->Size));
}

std::int64_t TResourceStream::Write(const void* /*buffer*/, std::int64_t /*count*/) {
    throw EStreamError(u"Can't write to a read-only resource stream");
}

} // namespace rtl

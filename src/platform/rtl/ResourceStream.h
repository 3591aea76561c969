#pragma once

// A read-only memory stream over a resource embedded in the program.

#include "platform/rtl/CustomMemoryStream.h"
#include "platform/rtl/Resources.h"

namespace rtl {

class TResourceStream : public TCustomMemoryStream {
    RTL_CLASS(TResourceStream, TCustomMemoryStream)
public:
    // Raises EResNotFound "Resource %s not found" when the module has no
    // such resource. A number as the name is the class library's CreateFromID.
    TResourceStream(HINST instance, TResourceId resName, TResourceId resType);

    // Raises EStreamError "Can't write to a read-only resource stream".
    std::int64_t Write(const void* buffer, std::int64_t count) override;
};

} // namespace rtl

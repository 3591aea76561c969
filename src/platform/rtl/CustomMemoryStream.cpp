#include "platform/rtl/CustomMemoryStream.h"

#include "platform/rtl/FileStream.h"

#include <algorithm>
#include <cstring>

namespace rtl {

RTL_IMPLEMENT_ABSTRACT_CLASS(TCustomMemoryStream)

std::int64_t TCustomMemoryStream::Read(void* buffer, std::int64_t count) {
    if (FPosition < 0 || count <= 0 || FPosition >= FSize)
        return 0;
    std::int64_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, static_cast<const std::uint8_t*>(FMemory) + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    switch (origin) {
    case soBeginning:
        FPosition = offset;
        break;
    case soCurrent:
        FPosition += offset;
        break;
    case soEnd:
        FPosition = FSize + offset;
        break;
    }
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) {
    stream->WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const String& fileName) {
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

} // namespace rtl

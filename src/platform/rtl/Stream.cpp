#include "platform/rtl/Stream.h"

#include "platform/rtl/Exception.h"

#include <algorithm>
#include <vector>

namespace rtl {

RTL_IMPLEMENT_ABSTRACT_CLASS(TStream)

std::int64_t TStream::Size() {
    std::int64_t position = Seek(0, soCurrent);
    std::int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::SetSize(std::int64_t /*newSize*/) {}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(u"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(u"Stream write error");
}

std::int64_t TStream::CopyFrom(TStream* source, std::int64_t count) {
    if (count <= 0) {
        source->SetPosition(0);
        count = source->Size();
    }
    constexpr std::int64_t kChunk = 0xF000;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(count, kChunk)));
    std::int64_t left = count;
    while (left > 0) {
        std::int64_t n = std::min(left, kChunk);
        source->ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

} // namespace rtl

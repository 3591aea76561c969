#include "platform/rtl/MemoryStream.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/FileStream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace rtl {

RTL_IMPLEMENT_CLASS(TMemoryStream)

namespace {

[[noreturn]] void OutOfMemory() {
    throw EOutOfMemory(u"Out of memory");
}

} // namespace

void TMemoryStream::SetCapacity(std::int64_t newCapacity) {
    if (newCapacity < 0 || static_cast<std::uint64_t>(newCapacity) > FBuffer.max_size())
        OutOfMemory();
    try {
        if (newCapacity < Capacity()) {
            // Shrinking gives the memory back.
            TBytes smaller(FBuffer.begin(), FBuffer.begin() + newCapacity);
            FBuffer.swap(smaller);
        } else {
            FBuffer.resize(static_cast<std::size_t>(newCapacity));
        }
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    }
    SetPointer(FBuffer.data(), std::min(CurrentSize(), newCapacity));
}

void TMemoryStream::Grow(std::int64_t minCapacity) {
    if (minCapacity <= Capacity())
        return;
    // Half as much again, so that n small writes copy O(n) bytes in total.
    std::int64_t capacity = std::max<std::int64_t>(Capacity() + Capacity() / 2, 256);
    SetCapacity(std::max(capacity, minCapacity));
}

void TMemoryStream::SetSize(std::int64_t newSize) {
    if (newSize < 0)
        OutOfMemory();
    const std::int64_t oldSize = CurrentSize();
    if (newSize > Capacity())
        SetCapacity(newSize);
    if (newSize > oldSize)
        std::fill(FBuffer.begin() + oldSize, FBuffer.begin() + newSize, 0);
    SetPointer(FBuffer.data(), newSize);
    if (CurrentPosition() > newSize)
        SetCurrentPosition(newSize);
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
    const std::int64_t position = CurrentPosition();
    if (position < 0 || count <= 0)
        return 0;
    if (count > std::numeric_limits<std::int64_t>::max() - position)
        return 0;
    const std::int64_t end = position + count;
    const std::int64_t oldSize = CurrentSize();
    if (end > oldSize) {
        if (end > Capacity())
            Grow(end);
        // A write past the end leaves zeros in the gap, not stale bytes.
        if (position > oldSize)
            std::fill(FBuffer.begin() + oldSize, FBuffer.begin() + position, 0);
        SetPointer(FBuffer.data(), end);
    }
    std::memcpy(FBuffer.data() + position, buffer, static_cast<std::size_t>(count));
    SetCurrentPosition(end);
    return count;
}

void TMemoryStream::Clear() {
    SetCapacity(0);
    SetPointer(FBuffer.data(), 0);
    SetCurrentPosition(0);
}

void TMemoryStream::LoadFromStream(TStream* stream) {
    stream->SetPosition(0);
    std::int64_t count = stream->Size();
    SetSize(count);
    if (count != 0)
        stream->ReadBuffer(FBuffer.data(), count);
}

void TMemoryStream::LoadFromFile(const String& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

} // namespace rtl

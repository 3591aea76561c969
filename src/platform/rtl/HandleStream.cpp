#include "platform/rtl/HandleStream.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <unistd.h>

namespace rtl {

RTL_IMPLEMENT_ABSTRACT_CLASS(THandleStream)

namespace {

// One system call moves at most this much; the loops below continue.
constexpr std::int64_t kMaxTransfer = INT_MAX;

} // namespace

std::int64_t THandleStream::Read(void* buffer, std::int64_t count) {
    std::int64_t done = 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (done < count) {
        ssize_t n =
            ::read(FHandle, out + done, static_cast<std::size_t>(std::min(count - done, kMaxTransfer)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t THandleStream::Write(const void* buffer, std::int64_t count) {
    std::int64_t done = 0;
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    while (done < count) {
        ssize_t n =
            ::write(FHandle, in + done, static_cast<std::size_t>(std::min(count - done, kMaxTransfer)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t THandleStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : (origin == soCurrent ? SEEK_CUR : SEEK_END);
    off_t position = ::lseek(FHandle, static_cast<off_t>(offset), whence);
    return position < 0 ? -1 : static_cast<std::int64_t>(position);
}

void THandleStream::SetSize(std::int64_t newSize) {
    std::int64_t position = Position();
    if (newSize < 0 || ::ftruncate(FHandle, static_cast<off_t>(newSize)) != 0) {
        int error = newSize < 0 ? EINVAL : errno;
        throw EOSError(u"System Error.  Code: " + IntToStr(error) + u".\r\n" + SysErrorMessage(error));
    }
    if (position > newSize)
        Seek(newSize, soBeginning);
}

} // namespace rtl

#include "platform/rtl/FileStream.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/StringUtils.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rtl {

RTL_IMPLEMENT_ABSTRACT_CLASS(TFileStream)

namespace {

int OpenFlags(std::uint16_t mode) {
    if ((mode & fmCreate) == fmCreate)
        return O_RDWR | O_CREAT | O_TRUNC;
    switch (mode & 3) {
    case fmOpenWrite:
        return O_WRONLY;
    case fmOpenReadWrite:
        return O_RDWR;
    default:
        return O_RDONLY;
    }
}

// Opens the file; a folder is refused as Windows refuses it, instead of
// yielding a descriptor that fails every read.
THandle OpenFile(const String& fileName, int flags, std::uint32_t rights) {
    std::string path = StringToUtf8(fileName);
    if (path.empty()) {
        errno = ENOENT;
        return INVALID_HANDLE_VALUE;
    }
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(rights));
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return INVALID_HANDLE_VALUE;
    }
    return fd;
}

} // namespace

TFileStream::TFileStream(const String& fileName, std::uint16_t mode, std::uint32_t rights)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(fileName) {
    const bool create = (mode & fmCreate) == fmCreate;
    FHandle = OpenFile(fileName, OpenFlags(mode), rights);
    if (FHandle == INVALID_HANDLE_VALUE) {
        String reason = SysErrorMessage(errno);
        String name = ExpandFileName(fileName);
        if (create)
            throw EFCreateError(u"Cannot create file \"" + name + u"\". " + reason);
        throw EFOpenError(u"Cannot open file \"" + name + u"\". " + reason);
    }
}

TFileStream::~TFileStream() {
    if (FHandle != INVALID_HANDLE_VALUE)
        ::close(FHandle);
}

} // namespace rtl

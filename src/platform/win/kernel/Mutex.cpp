#include "platform/win/kernel/Mutex.h"

#include "platform/rtl/String.h"
#include "platform/win/WinError.h"
#include "platform/win/kernel/KernelObject_p.h"
#include "platform/win/kernel/LastError.h"
#include "platform/win/kernel/WideBuffer_p.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

namespace {

class TMutexObject final : public detail::TKernelObject {
public:
    explicit TMutexObject(int lockFile) : FLockFile(lockFile) {}
    ~TMutexObject() override {
        if (FLockFile >= 0)
            ::close(FLockFile); // releases this handle's lock
    }

private:
    int FLockFile;
};

// Accepts a folder only when it is a real directory of this user that
// nobody else can write: the object names of a session are private.
bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & 022) == 0;
}

bool EnsurePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return IsPrivateFolder(path);
}

std::optional<std::string> ObjectFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && IsPrivateFolder(runtime)) {
        const std::string folder = std::string(runtime) + "/lumora-objects";
        if (EnsurePrivateFolder(folder))
            return folder;
    }
    const std::string fallback = "/tmp/lumora-objects-" + std::to_string(::getuid());
    if (EnsurePrivateFolder(fallback))
        return fallback;
    return std::nullopt;
}

// Object names are case-sensitive and may hold any character: bytes outside
// a safe set become %XX so that every name is one file name.
std::string EncodeObjectName(rtl::StringView name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : rtl::StringToUtf8(name)) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_' || c == '.';
        if (safe) {
            encoded.push_back(static_cast<char>(c));
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[c >> 4]);
            encoded.push_back(kHex[c & 15]);
        }
    }
    return encoded;
}

// The lock file of a named object; nullopt with the last error set.
std::optional<std::string> ObjectFile(rtl::StringView name) {
    constexpr rtl::StringView kLocalPrefix = u"Local\\";
    if (name.starts_with(kLocalPrefix))
        name.remove_prefix(kLocalPrefix.size());
    if (name.empty() || name.size() > 260) {
        SetLastError(name.empty() ? ERROR_INVALID_NAME : ERROR_FILENAME_EXCED_RANGE);
        return std::nullopt;
    }
    const std::string file = EncodeObjectName(name);
    if (file.size() > 250) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::nullopt;
    }
    const auto folder = ObjectFolder();
    if (!folder) {
        SetLastError(ERROR_ACCESS_DENIED);
        return std::nullopt;
    }
    return *folder + "/" + file + ".lock";
}

bool LockWholeFile(int fd, short type, bool wait) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    int result;
    do
        result = ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

// Whether any handle (of any process) holds the object's lock.
bool IsLockHeld(int fd) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

HANDLE Insert(int fd) {
    return detail::InsertKernelObject(std::make_shared<TMutexObject>(fd));
}

} // namespace

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR name) {
    if (!name) {
        HANDLE handle = Insert(-1);
        if (handle)
            SetLastError(ERROR_SUCCESS);
        return handle;
    }
    const auto path = ObjectFile(name);
    if (!path)
        return nullptr;
    const int fd = ::open(path->c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    // Exclusive succeeds only when no handle exists anywhere; the downgrade
    // to shared is atomic, so no other creator slips in between.
    const bool created = LockWholeFile(fd, F_WRLCK, false);
    if (!LockWholeFile(fd, F_RDLCK, !created)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    HANDLE handle = Insert(fd);
    if (handle)
        SetLastError(created ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return handle;
}

HANDLE OpenMutexW(DWORD, BOOL, LPCWSTR name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const auto path = ObjectFile(name);
    if (!path)
        return nullptr;
    const int fd = ::open(path->c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    // Testing without locking: a trial lock here could make a creator
    // starting at this moment believe the mutex already exists.
    if (fd < 0 || !IsLockHeld(fd)) {
        if (fd >= 0)
            ::close(fd);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    // Waits only while a creator is between its test and its downgrade.
    if (!LockWholeFile(fd, F_RDLCK, true)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    HANDLE handle = Insert(fd);
    if (handle)
        SetLastError(ERROR_SUCCESS);
    return handle;
}

} // namespace win

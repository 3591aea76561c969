#include "RdimgFiles.h"

#include "RdimgError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace rdimg {

namespace {

struct TFileClose {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileClose>;

[[noreturn]] void FileError(const std::string& what, const std::string& path, int error) {
    throw TRdimgError(ecFile, "cannot " + what + " '" + path + "': " + std::strerror(error));
}

} // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    TFilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        FileError("open", path, errno);
    // The size comes from the file system, so a device or a pipe, whose
    // end is not known, is refused rather than read without bound.
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0)
        FileError("read", path, errno);
    if (!S_ISREG(info.st_mode))
        throw TRdimgError(ecFile, "cannot read '" + path + "': not a regular file");
    if (static_cast<std::uint64_t>(info.st_size) > MaxInputBytes)
        throw TRdimgError(ecFile, "cannot read '" + path + "': larger than the 2 GiB rdimg reads");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        FileError("read", path, std::ferror(file.get()) ? errno : EIO);
    return bytes;
}

void WriteWholeFile(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> parts) {
    TFilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file)
        FileError("create", path, errno);
    int error = 0;
    for (std::span<const std::uint8_t> part : parts)
        if (!error && std::fwrite(part.data(), 1, part.size(), file.get()) != part.size())
            error = errno ? errno : EIO;
    if (std::fclose(file.release()) != 0 && !error)
        error = errno ? errno : EIO;
    if (error) {
        std::remove(path.c_str());
        FileError("write", path, error);
    }
}

} // namespace rdimg

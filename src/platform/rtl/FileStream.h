#pragma once

// A stream over a named file. Names are UTF-16 and go to the system as UTF-8.
// Share flags are accepted for compatibility; files are not locked.

#include "platform/rtl/HandleStream.h"
#include "platform/rtl/String.h"

#include <cstdint>

namespace rtl {

inline constexpr std::uint16_t fmCreate = 0xFF00;
inline constexpr std::uint16_t fmOpenRead = 0x0000;
inline constexpr std::uint16_t fmOpenWrite = 0x0001;
inline constexpr std::uint16_t fmOpenReadWrite = 0x0002;
inline constexpr std::uint16_t fmExclusive = 0x0004;
inline constexpr std::uint16_t fmShareCompat = 0x0000;
inline constexpr std::uint16_t fmShareExclusive = 0x0010;
inline constexpr std::uint16_t fmShareDenyWrite = 0x0020;
inline constexpr std::uint16_t fmShareDenyRead = 0x0030;
inline constexpr std::uint16_t fmShareDenyNone = 0x0040;

class TFileStream : public THandleStream {
    RTL_CLASS(TFileStream, THandleStream)
public:
    // fmCreate creates or truncates the file (read and write access); the
    // other modes open an existing file. Failure raises EFCreateError
    // "Cannot create file \"%s\". %s" or EFOpenError "Cannot open file
    // \"%s\". %s" with the expanded name and the system's reason.
    TFileStream(const String& fileName, std::uint16_t mode, std::uint32_t rights = 0666);
    ~TFileStream() override;

    [[nodiscard]] const String& FileName() const noexcept { return FFileName; }

private:
    String FFileName;
};

} // namespace rtl

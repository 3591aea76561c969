#pragma once

// The class library's abstract byte stream: positioned reads and writes,
// seeking, size, and the raising helpers that form and picture readers use.

#include "platform/rtl/Object.h"

#include <cstdint>

namespace rtl {

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
// The older spellings of the origins.
inline constexpr TSeekOrigin soFromBeginning = soBeginning;
inline constexpr TSeekOrigin soFromCurrent = soCurrent;
inline constexpr TSeekOrigin soFromEnd = soEnd;

class TStream : public TObject {
    RTL_CLASS(TStream, TObject)
public:
    // Read and Write move up to `count` bytes and return how many they moved
    // (0 at the end, on error, or for a negative count).
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    // Returns the new position.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    [[nodiscard]] std::int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, soBeginning); }
    [[nodiscard]] virtual std::int64_t Size();
    virtual void SetSize(std::int64_t newSize);

    // Exactly `count` bytes or EReadError "Stream read error" /
    // EWriteError "Stream write error".
    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);

    // Copies `count` bytes from source's position; a count of 0 or less copies
    // the whole source from its start. Returns the number of bytes copied.
    std::int64_t CopyFrom(TStream* source, std::int64_t count);

    // Fixed-size values in the machine's (little-endian) byte order.
    template <typename T>
    void ReadData(T& value) {
        ReadBuffer(&value, sizeof(T));
    }
    template <typename T>
    void WriteData(const T& value) {
        WriteBuffer(&value, sizeof(T));
    }
};

} // namespace rtl

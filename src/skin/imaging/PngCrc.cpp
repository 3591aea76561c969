#include "skin/imaging/PngCrc.h"

#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <zlib.h>

namespace skin {

std::uint32_t PngCrc32(std::uint32_t crc, const void* data, std::size_t size) noexcept {
    // zlib's table-driven CRC takes 32-bit lengths; feed larger blocks in pieces.
    const auto* bytes = static_cast<const Bytef*>(data);
    uLong value = crc;
    while (size > 0) {
        const auto piece = static_cast<uInt>(size < UINT_MAX ? size : UINT_MAX);
        value = crc32(value, bytes, piece);
        bytes += piece;
        size -= piece;
    }
    return static_cast<std::uint32_t>(value);
}

namespace {

constexpr std::uint64_t Crc64Polynomial = 0xC96C5795D7870F42ull;

// Slicing-by-8: table k holds the CRC of a byte followed by k zero bytes.
using TCrc64Tables = std::array<std::array<std::uint64_t, 256>, 8>;

constexpr TCrc64Tables MakeCrc64Tables() {
    TCrc64Tables tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint64_t crc = n;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ Crc64Polynomial : crc >> 1;
        tables[0][n] = crc;
    }
    for (std::uint32_t n = 0; n < 256; ++n)
        for (std::size_t k = 1; k < 8; ++k)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
    return tables;
}

constexpr TCrc64Tables Crc64Tables = MakeCrc64Tables();

std::uint64_t LoadLittleEndian64(const unsigned char* p) noexcept {
    std::uint64_t value = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&value, p, sizeof value);
    } else {
        for (int i = 7; i >= 0; --i)
            value = (value << 8) | p[i];
    }
    return value;
}

} // namespace

std::uint64_t PngCrc64(std::uint64_t crc, const void* data, std::size_t size) noexcept {
    const auto* p = static_cast<const unsigned char*>(data);
    const auto& t = Crc64Tables;
    crc = ~crc;
    while (size >= 8) {
        const std::uint64_t v = crc ^ LoadLittleEndian64(p);
        crc = t[7][v & 0xFF] ^ t[6][(v >> 8) & 0xFF] ^ t[5][(v >> 16) & 0xFF] ^ t[4][(v >> 24) & 0xFF] ^
              t[3][(v >> 32) & 0xFF] ^ t[2][(v >> 40) & 0xFF] ^ t[1][(v >> 48) & 0xFF] ^ t[0][v >> 56];
        p += 8;
        size -= 8;
    }
    while (size-- > 0)
        crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

} // namespace skin

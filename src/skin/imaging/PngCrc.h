#pragma once

// Checksums of the PNG codec: CRC-32 over chunk type and data, and CRC-64
// (reflected ECMA-182 polynomial, all-ones start, final inversion: the
// CRC-64/XZ parameters) for the keys of shared pixel data.

#include <cstddef>
#include <cstdint>

namespace skin {

// Continues a CRC-32; start with 0.
[[nodiscard]] std::uint32_t PngCrc32(std::uint32_t crc, const void* data, std::size_t size) noexcept;

// Continues a CRC-64/XZ; start with 0. The result of one call is the finished
// value, so a sequence of calls over consecutive pieces equals one call.
[[nodiscard]] std::uint64_t PngCrc64(std::uint64_t crc, const void* data, std::size_t size) noexcept;

} // namespace skin

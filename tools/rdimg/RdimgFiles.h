#pragma once

// Whole-file reading and writing for rdimg, with errors that name the file
// and the system's reason (TRdimgError, ecFile).

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace rdimg {

// A regular file of at most MaxInputBytes.
[[nodiscard]] std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// Writes the parts one after the other; a file that could not be written
// completely is removed.
void WriteWholeFile(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> parts);

inline constexpr std::uint64_t MaxInputBytes = std::uint64_t{2} << 30;

} // namespace rdimg

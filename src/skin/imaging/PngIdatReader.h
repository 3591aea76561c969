#pragma once

// Walks the image data as deferred decoding keeps it: the data of the first
// IDAT chunk (its length known from outside) and its CRC, then each following
// chunk whole (length, type, data, CRC). Each chunk's data is handed out only
// after its CRC matched; data cut short at the end is handed out unchecked.

#include <cstddef>
#include <cstdint>

namespace skin {

enum TPngIdatStep { pisData, pisEnd, pisCrcError, pisNotIdat };

class TPngIdatReader {
public:
    TPngIdatReader(const std::uint8_t* bytes, std::size_t size, std::uint32_t firstIdatSize) noexcept;

    // The next piece of compressed data (possibly empty), or why there is none.
    [[nodiscard]] TPngIdatStep Next(const std::uint8_t*& piece, std::size_t& pieceSize) noexcept;

    // Bytes still unread: an upper bound of the compressed data left.
    [[nodiscard]] std::size_t Remaining() const noexcept { return static_cast<std::size_t>(FEnd - FPos); }

private:
    const std::uint8_t* FPos;
    const std::uint8_t* FEnd;
    std::uint32_t FFirstSize;
    bool FFirst = true;
    bool FEnded = false;
};

} // namespace skin

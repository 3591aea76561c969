#include "skin/imaging/PngIdatReader.h"

#include "skin/imaging/PngCrc.h"

#include <cstring>

namespace skin {

namespace {

std::uint32_t LoadBigEndian32(const std::uint8_t* p) noexcept {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

constexpr std::uint8_t IdatType[4] = {'I', 'D', 'A', 'T'};

} // namespace

TPngIdatReader::TPngIdatReader(const std::uint8_t* bytes, std::size_t size,
                               std::uint32_t firstIdatSize) noexcept
    : FPos(bytes), FEnd(bytes ? bytes + size : bytes), FFirstSize(firstIdatSize) {}

TPngIdatStep TPngIdatReader::Next(const std::uint8_t*& piece, std::size_t& pieceSize) noexcept {
    piece = nullptr;
    pieceSize = 0;
    if (FEnded)
        return pisEnd;
    std::uint32_t length = FFirstSize;
    if (!FFirst) {
        if (Remaining() < 8) {
            FEnded = true;
            return pisEnd;
        }
        length = LoadBigEndian32(FPos);
        if (std::memcmp(FPos + 4, IdatType, 4) != 0) {
            FEnded = true;
            return pisNotIdat;
        }
        FPos += 8;
    }
    FFirst = false;
    const std::size_t available = Remaining();
    if (available < std::size_t{length} + 4) {
        // The data ends inside this chunk or its CRC: what is there is all there is.
        piece = FPos;
        pieceSize = available < length ? available : length;
        FPos = FEnd;
        FEnded = true;
        return pisData;
    }
    const std::uint32_t crc = PngCrc32(PngCrc32(0, IdatType, 4), FPos, length);
    if (crc != LoadBigEndian32(FPos + length)) {
        FEnded = true;
        return pisCrcError;
    }
    piece = FPos;
    pieceSize = length;
    FPos += std::size_t{length} + 4;
    return pisData;
}

} // namespace skin

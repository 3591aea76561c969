#pragma once

// Encodes a pixel store as PNG image data: each row converted back to PNG
// samples, filtered by the chosen filter, deflated, and written as IDAT
// chunks of exactly maxIdatSize bytes each, the last one shorter.

#include "skin/imaging/PngFilters.h"
#include "skin/imaging/PngPixelStore.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

// Where encoded bytes go.
class TPngByteSink {
public:
    virtual ~TPngByteSink() = default;
    virtual void Write(const void* data, std::size_t size) = 0;
};

class TPngVectorSink final : public TPngByteSink {
public:
    explicit TPngVectorSink(std::vector<std::uint8_t>& bytes) noexcept : FBytes(bytes) {}
    void Write(const void* data, std::size_t size) override;

private:
    std::vector<std::uint8_t>& FBytes;
};

// Writes big-endian length, type, data and big-endian CRC of type and data.
void PngWriteChunk(TPngByteSink& sink, const char type[4], const void* data, std::uint32_t size);

enum TPngEncodeResult { perOk, perNoBuffer, perZlibError, perOutOfMemory };

// header describes the store (its BitDepth as decoded; the image data is
// written with PngSavedBitDepth) and whether to interlace. level is zlib's
// 0..9; a maxIdatSize of 0 means 65,535.
[[nodiscard]] TPngEncodeResult PngEncodeImageData(const TPngPixelStore& store, const TPngImageHeader& header,
                                                  TFilters filters, int level, std::uint32_t maxIdatSize,
                                                  TPngByteSink& sink);

} // namespace skin

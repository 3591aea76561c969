#pragma once

// A whole PNG file in memory, for tools and tests: a minimal walk over the
// chunks the pixel codec needs (IHDR, PLTE, tRNS, gAMA, the first run of IDAT
// chunks, IEND), the pixels decoded into an owned store, conversion of the
// store to straight 8-bit RGBA, and writing the store back as a file.
// The image class keeps its own chunk objects; this is not it.

#include "skin/imaging/PngDecoder.h"
#include "skin/imaging/PngFilters.h"
#include "skin/imaging/PngStoreBuffers.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

struct TPngSaveOptions {
    TFilters Filters{pfSub};
    int CompressionLevel = 1;
    std::uint32_t MaxIdatSize = 65535;
    std::uint8_t InterlaceMethod = 0;
};

class TPngQuickFile {
public:
    // pdrInvalidHeader also covers a missing signature, a first chunk other
    // than IHDR and an unknown critical chunk; pdrMissingIdat a file without
    // image data. A chunk whose CRC fails ends the walk with what was read.
    [[nodiscard]] TPngDecodeResult Load(const std::uint8_t* data, std::size_t size,
                                        TPngStoreDepth depth = psdDefault, TPngCheckMode mode = pcmLenient);

    // Width x height x 4 bytes: the stored colours (gamma applied, 16-bit
    // samples by their high byte) with alpha from the alpha channel or tRNS.
    [[nodiscard]] std::vector<std::uint8_t> ToRgba() const;

    // The image as a PNG file: IHDR, gAMA, PLTE, tRNS, IDAT, IEND.
    [[nodiscard]] std::vector<std::uint8_t> Save(const TPngSaveOptions& options = {});

    TPngImageHeader Header;
    int PaletteCount = 0;
    std::array<std::uint8_t, 256> PaletteAlpha{};      // tRNS entries of a palette image, 255 beyond
    std::array<std::uint16_t, 3> TransparentSamples{}; // tRNS of grey (first) and RGB images
    bool HasTransparency = false;
    int TransparencySize = 0;
    std::uint32_t Gamma = 0;
    bool HasGamma = false;
    TPngStoreBuffers Buffers;

private:
    [[nodiscard]] bool ReadChunk(const char* type, const std::uint8_t* data, std::uint32_t size);
    [[nodiscard]] bool IsTransparentSample(const TPngPixelStore& store, std::uint32_t x,
                                           std::uint32_t y) const;

    std::array<std::uint8_t, 3 * 256> FRawPalette{};
};

} // namespace skin

#pragma once

// Conversion of one row between PNG samples and the pixel store: colour
// through the gamma table (inverse table on the way back), alpha unchanged
// into the alpha plane or the fourth byte, the low bytes of 16-bit samples
// into the extra buffer, 2-bit samples widened to 4-bit nibbles, RGB as BGR.
// Grey samples and palette indices are stored as they are: their gamma lives
// in the colour table (grey ramp or palette). One routine per format, picked
// once per image.

#include "skin/imaging/PngPixelStore.h"

#include <cstdint>

namespace skin {

// One row of the store: pixel buffer, alpha plane and low-byte buffer.
struct TPngStoreRow {
    std::uint8_t* Image;
    std::uint8_t* Alpha;
    std::uint8_t* Extra;
};

struct TPngConstStoreRow {
    const std::uint8_t* Image;
    const std::uint8_t* Alpha;
    const std::uint8_t* Extra;
};

// PNG samples of width pixels into the store row; gamma is never null.
using TPngStoreRowProc = void (*)(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                                  const std::uint8_t* gamma);

// Store row of width pixels back into PNG samples; inverseGamma is never null.
using TPngPackRowProc = void (*)(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width,
                                 const std::uint8_t* inverseGamma);

// The routine for a valid header and its stored bit count, or null when the
// pair does not belong together. identityGamma picks routines without lookups.
[[nodiscard]] TPngStoreRowProc PngSelectStoreRow(const TPngImageHeader& header, int bitCount,
                                                 bool identityGamma) noexcept;
[[nodiscard]] TPngPackRowProc PngSelectPackRow(const TPngImageHeader& header, int bitCount,
                                               bool identityGamma) noexcept;

// The bit depth the encoder writes: 2-bit stores are kept as 4-bit nibbles
// and written as 4-bit samples (grey levels scaled so they look the same).
[[nodiscard]] std::uint8_t PngSavedBitDepth(const TPngImageHeader& header) noexcept;

// Interlaced rows: pixel i of the packed row goes to column x0 + i x dx of the
// full row, and back. bitCount is 1, 4, 8, 24 or 32.
void PngScatterPixels(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t count, std::uint32_t x0,
                      std::uint32_t dx, int bitCount) noexcept;
void PngGatherPixels(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t count, std::uint32_t x0,
                     std::uint32_t dx, int bitCount) noexcept;

} // namespace skin

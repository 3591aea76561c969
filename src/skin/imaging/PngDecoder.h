#pragma once

// Decodes the image data of a PNG image (non-interlaced or Adam7) into a
// pixel store. The store's buffers arrive zero-filled, as they are allocated;
// rows the data does not reach stay zero. A failed decode zeroes the pixel
// buffer, the alpha plane and the low-byte buffer.

#include "skin/imaging/PngIdatReader.h"
#include "skin/imaging/PngPixelStore.h"

namespace skin {

enum TPngDecodeResult {
    pdrOk,            // every row decoded
    pdrDataEnded,     // the data ended early; the rows it reached are decoded (still a success)
    pdrNoBuffer,      // the store has no pixel buffer, or buffers that do not fit the header
    pdrInvalidHeader, // size, format, compression or interlace method cannot be decoded
    pdrCrcError,      // an image data chunk failed its CRC
    pdrZlibError,     // the compressed data is damaged
    pdrMissingIdat,   // the image data continues in a chunk that is not IDAT
    pdrOutOfMemory,   // the store would be too large, or memory ran out
};

[[nodiscard]] constexpr bool PngDecodeSucceeded(TPngDecodeResult r) noexcept {
    return r == pdrOk || r == pdrDataEnded;
}

// Strict checking raises EPngInvalidCRC and EPNGZLIBError instead of
// returning the failure (after zeroing the store). EPNGMissingMultipleIDAT is
// raised in either mode.
enum TPngCheckMode { pcmLenient, pcmStrict };

// Decodes from reader into store. For grey images the store's colour table
// (when present) receives the grey ramp built from store.GammaTable.
[[nodiscard]] TPngDecodeResult PngDecodeImageData(TPngIdatReader& reader, const TPngImageHeader& header,
                                                  const TPngPixelStore& store,
                                                  TPngCheckMode mode = pcmLenient);

// Zeroes the pixel buffer, alpha plane and low-byte buffer of a store laid out for header.
void PngZeroStore(const TPngImageHeader& header, const TPngPixelStore& store) noexcept;

} // namespace skin

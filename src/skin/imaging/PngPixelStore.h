#pragma once

// The pixel store the codec decodes into and encodes from: a device-
// independent-bitmap layout (top-down rows padded to 4 bytes) with, beside
// it, an unpadded alpha plane and a buffer of the low bytes of 16-bit
// samples. The store does not own its buffers; TPngStoreBuffers can.

#include <cstddef>
#include <cstdint>

namespace skin {

// PNG colour types, plus the private type of an image kept in a device bitmap.
inline constexpr std::uint8_t COLOR_GRAYSCALE = 0;
inline constexpr std::uint8_t COLOR_RGB = 2;
inline constexpr std::uint8_t COLOR_PALETTE = 3;
inline constexpr std::uint8_t COLOR_GRAYSCALEALPHA = 4;
inline constexpr std::uint8_t COLOR_RGBALPHA = 6;
inline constexpr std::uint8_t COLOR_DEVICE = 240;

// The largest width and height an image may have.
inline constexpr std::uint32_t PngMaxImageSide = 65535;

// The most bytes one store (pixel buffer, alpha plane and low-byte buffer
// together) may take. Headers claim up to 65,535 pixels a side, which is far
// more than any picture of a skin; larger stores are refused as out of memory.
inline constexpr std::size_t PngMaxStoreBytes = std::size_t{1} << 30;

// The image header as the IHDR chunk carries it.
struct TPngImageHeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 0;
    std::uint8_t ColorType = 0;
    std::uint8_t CompressionMethod = 0;
    std::uint8_t FilterMethod = 0;
    std::uint8_t InterlaceMethod = 0;
};

// A colour-table entry of a bitmap header.
struct TPngRgbQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};
static_assert(sizeof(TPngRgbQuad) == 4);

// Colour type 6 may be stored as 24-bit BGR with an alpha plane or as 32-bit BGRA.
enum TPngStoreDepth { psdDefault, psd32Bit };

// Where everything of one store lies, as derived from the header.
struct TPngStoreLayout {
    int BitCount = 0;            // 1, 4, 8, 24 or 32
    std::size_t BytesPerRow = 0; // of the pixel buffer and the low-byte buffer
    std::size_t ImageBytes = 0;  // BytesPerRow x height
    std::size_t AlphaBytes = 0;  // width x height, or 0 without an alpha plane
    std::size_t ExtraBytes = 0;  // ImageBytes for 16-bit images, else 0
    int PaletteCount = 0;        // colour-table entries (grey ramp or palette), 0 for none
};

// The view the codec works on. Tables left null mean identity.
struct TPngPixelStore {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    int BitCount = 0;
    std::size_t BytesPerRow = 0;
    std::uint8_t* ImageData = nullptr;
    std::uint8_t* ImageAlpha = nullptr;     // width bytes per row; absent for 32-bit storage
    std::uint8_t* ExtraImageData = nullptr; // low bytes of 16-bit samples, same layout as ImageData
    TPngRgbQuad* Palette = nullptr;         // 256 entries: the palette or the grey ramp
    const std::uint8_t* GammaTable = nullptr;
    const std::uint8_t* InverseGamma = nullptr;
};

// True for the colour type and bit depth pairs PNG allows.
[[nodiscard]] bool PngIsValidFormat(std::uint8_t colorType, std::uint8_t bitDepth) noexcept;

// True when width, height, format, compression and interlace method can be decoded.
[[nodiscard]] bool PngIsValidHeader(const TPngImageHeader& header) noexcept;

// Samples per pixel of a colour type (0 for an unknown type).
[[nodiscard]] int PngChannels(std::uint8_t colorType) noexcept;

// Bytes of one PNG row of the given width, without the filter-type byte.
[[nodiscard]] std::size_t PngRowBytes(const TPngImageHeader& header, std::uint32_t width) noexcept;

// Bytes per complete pixel for filtering, at least 1.
[[nodiscard]] unsigned PngFilterOffset(const TPngImageHeader& header) noexcept;

// Bytes of the filtered image data (every pass, filter bytes included): what
// the compressed stream must expand to.
[[nodiscard]] std::uint64_t PngFilteredSize(const TPngImageHeader& header) noexcept;

// ((bit count x width + 31) and not 31) div 8.
[[nodiscard]] std::size_t PngBytesPerRow(int bitCount, std::uint32_t width) noexcept;

// The stored layout of a valid header.
[[nodiscard]] TPngStoreLayout PngStoreLayout(const TPngImageHeader& header, TPngStoreDepth depth) noexcept;

// Total bytes a layout's buffers take.
[[nodiscard]] std::uint64_t PngStoreBytes(const TPngStoreLayout& layout) noexcept;

// True when the store has every buffer the header needs, laid out for it
// (colour type 6 in 24 or 32 bits).
[[nodiscard]] bool PngStoreFits(const TPngImageHeader& header, const TPngPixelStore& store) noexcept;

// True when compressed data of this size could expand to the whole image.
// Deflate cannot expand beyond 1,032:1, so a header that claims a large image
// over a few bytes of data is refused before anything is allocated for it.
[[nodiscard]] bool PngIsPlausibleDataSize(const TPngImageHeader& header,
                                          std::uint64_t compressedBytes) noexcept;

} // namespace skin

#include "skin/imaging/PngPixelStore.h"

#include "skin/imaging/PngAdam7.h"

namespace skin {

bool PngIsValidFormat(std::uint8_t colorType, std::uint8_t bitDepth) noexcept {
    switch (colorType) {
    case COLOR_GRAYSCALE:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case COLOR_PALETTE:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case COLOR_RGB:
    case COLOR_GRAYSCALEALPHA:
    case COLOR_RGBALPHA:
        return bitDepth == 8 || bitDepth == 16;
    default:
        return false;
    }
}

bool PngIsValidHeader(const TPngImageHeader& header) noexcept {
    return header.Width > 0 && header.Height > 0 && header.Width <= PngMaxImageSide &&
           header.Height <= PngMaxImageSide && header.CompressionMethod == 0 && header.InterlaceMethod <= 1 &&
           PngIsValidFormat(header.ColorType, header.BitDepth);
}

int PngChannels(std::uint8_t colorType) noexcept {
    switch (colorType) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE:
        return 1;
    case COLOR_GRAYSCALEALPHA:
        return 2;
    case COLOR_RGB:
        return 3;
    case COLOR_RGBALPHA:
        return 4;
    default:
        return 0;
    }
}

std::size_t PngRowBytes(const TPngImageHeader& header, std::uint32_t width) noexcept {
    const std::uint64_t bits = std::uint64_t{width} * PngChannels(header.ColorType) * header.BitDepth;
    return static_cast<std::size_t>((bits + 7) / 8);
}

unsigned PngFilterOffset(const TPngImageHeader& header) noexcept {
    const unsigned bits = static_cast<unsigned>(PngChannels(header.ColorType)) * header.BitDepth;
    return bits < 8 ? 1 : bits / 8;
}

std::uint64_t PngFilteredSize(const TPngImageHeader& header) noexcept {
    if (header.InterlaceMethod == 0)
        return std::uint64_t{header.Height} * (PngRowBytes(header, header.Width) + 1);
    std::uint64_t total = 0;
    for (int pass = 0; pass < PngAdam7PassCount; ++pass) {
        const TPngAdam7Pass p = PngAdam7PassSize(pass, header.Width, header.Height);
        if (p.Width > 0 && p.Height > 0)
            total += std::uint64_t{p.Height} * (PngRowBytes(header, p.Width) + 1);
    }
    return total;
}

std::size_t PngBytesPerRow(int bitCount, std::uint32_t width) noexcept {
    const std::uint64_t bits = std::uint64_t(bitCount) * width;
    return static_cast<std::size_t>(((bits + 31) & ~std::uint64_t{31}) / 8);
}

namespace {

int StoredBitCount(const TPngImageHeader& header, TPngStoreDepth depth) noexcept {
    switch (header.ColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE:
        return header.BitDepth == 2 ? 4 : (header.BitDepth == 16 ? 8 : header.BitDepth);
    case COLOR_GRAYSCALEALPHA:
        return 8;
    case COLOR_RGB:
        return 24;
    case COLOR_RGBALPHA:
        return depth == psd32Bit ? 32 : 24;
    default:
        return 0;
    }
}

} // namespace

TPngStoreLayout PngStoreLayout(const TPngImageHeader& header, TPngStoreDepth depth) noexcept {
    TPngStoreLayout layout;
    layout.BitCount = StoredBitCount(header, depth);
    layout.BytesPerRow = PngBytesPerRow(layout.BitCount, header.Width);
    layout.ImageBytes = layout.BytesPerRow * header.Height;
    const bool alphaPlane = header.ColorType == COLOR_GRAYSCALEALPHA ||
                            (header.ColorType == COLOR_RGBALPHA && layout.BitCount != 32);
    layout.AlphaBytes = alphaPlane ? std::size_t{header.Width} * header.Height : 0;
    layout.ExtraBytes = header.BitDepth == 16 ? layout.ImageBytes : 0;
    if (header.ColorType == COLOR_GRAYSCALE || header.ColorType == COLOR_PALETTE ||
        header.ColorType == COLOR_GRAYSCALEALPHA)
        layout.PaletteCount = header.BitDepth >= 8 ? 256 : 1 << header.BitDepth;
    return layout;
}

std::uint64_t PngStoreBytes(const TPngStoreLayout& layout) noexcept {
    return std::uint64_t{layout.ImageBytes} + layout.AlphaBytes + layout.ExtraBytes;
}

bool PngStoreFits(const TPngImageHeader& header, const TPngPixelStore& store) noexcept {
    if (!PngIsValidHeader(header) || !store.ImageData || store.Width != header.Width ||
        store.Height != header.Height)
        return false;
    const TPngStoreLayout layout = PngStoreLayout(header, store.BitCount == 32 ? psd32Bit : psdDefault);
    if (store.BitCount != layout.BitCount || store.BytesPerRow < layout.BytesPerRow)
        return false;
    if (layout.AlphaBytes > 0 && !store.ImageAlpha)
        return false;
    return layout.ExtraBytes == 0 || store.ExtraImageData;
}

bool PngIsPlausibleDataSize(const TPngImageHeader& header, std::uint64_t compressedBytes) noexcept {
    constexpr std::uint64_t MaxDeflateRatio = 1032;
    // The zlib header, block headers and checksum cost bytes that expand to nothing.
    constexpr std::uint64_t Slack = 64;
    return PngFilteredSize(header) <= (compressedBytes + Slack) * MaxDeflateRatio;
}

} // namespace skin

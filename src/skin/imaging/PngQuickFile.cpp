#include "skin/imaging/PngQuickFile.h"

#include "skin/imaging/PngCrc.h"
#include "skin/imaging/PngEncoder.h"
#include "skin/imaging/PngRows.h"

#include <algorithm>
#include <cstring>

namespace skin {

namespace {

constexpr std::uint8_t Signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

std::uint32_t BigEndian32(const std::uint8_t* p) noexcept {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void PutBigEndian32(std::uint8_t* p, std::uint32_t v) noexcept {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

bool IsType(const char* type, const char* name) noexcept {
    return std::memcmp(type, name, 4) == 0;
}

unsigned PackedSample(const std::uint8_t* row, std::uint32_t x, int bitCount) noexcept {
    if (bitCount == 8)
        return row[x];
    const unsigned perByte = 8 / static_cast<unsigned>(bitCount);
    const unsigned shift = 8 - static_cast<unsigned>(bitCount) * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1u << bitCount) - 1);
}

} // namespace

bool TPngQuickFile::ReadChunk(const char* type, const std::uint8_t* data, std::uint32_t size) {
    if (IsType(type, "IHDR")) {
        if (size < 13)
            return false;
        Header = {BigEndian32(data), BigEndian32(data + 4), data[8], data[9], data[10], data[11], data[12]};
        return PngIsValidHeader(Header);
    }
    if (IsType(type, "PLTE")) {
        PaletteCount = static_cast<int>(std::min<std::uint32_t>(size / 3, 256));
        std::memcpy(FRawPalette.data(), data, static_cast<std::size_t>(PaletteCount) * 3);
    } else if (IsType(type, "tRNS")) {
        TransparencySize = static_cast<int>(std::min<std::uint32_t>(size, 256));
        HasTransparency = true;
        PaletteAlpha.fill(255);
        std::memcpy(PaletteAlpha.data(), data, static_cast<std::size_t>(TransparencySize));
        for (int i = 0; i < 3 && 2 * i + 1 < TransparencySize; ++i)
            TransparentSamples[i] = static_cast<std::uint16_t>(data[2 * i] << 8 | data[2 * i + 1]);
    } else if (IsType(type, "gAMA") && size >= 4) {
        Gamma = BigEndian32(data);
        HasGamma = true;
    } else if (type[0] >= 'A' && type[0] <= 'Z' && !IsType(type, "IEND")) {
        return false; // an unknown critical chunk
    }
    return true;
}

TPngDecodeResult TPngQuickFile::Load(const std::uint8_t* data, std::size_t size, TPngStoreDepth depth,
                                     TPngCheckMode mode) {
    Header = {};
    PaletteCount = 0;
    PaletteAlpha.fill(255);
    TransparentSamples = {};
    HasTransparency = HasGamma = false;
    TransparencySize = 0;
    Gamma = 0;
    Buffers.Release();
    Buffers.Palette = {};
    if (size < 8 || std::memcmp(data, Signature, 8) != 0)
        return pdrInvalidHeader;
    std::size_t pos = 8;
    const std::uint8_t* idat = nullptr;
    std::size_t idatSize = 0;
    std::uint32_t firstIdatSize = 0;
    bool first = true;
    while (size - pos >= 8) {
        const std::uint32_t length = BigEndian32(data + pos);
        const char* type = reinterpret_cast<const char*>(data + pos + 4);
        if (first != IsType(type, "IHDR"))
            return pdrInvalidHeader;
        first = false;
        pos += 8;
        if (IsType(type, "IDAT")) {
            if (idat) { // image data after the first run of IDAT chunks is ignored
                pos += std::min<std::size_t>(size - pos, std::size_t{length} + 4);
                continue;
            }
            // The first run of IDAT chunks, data of the first through the last CRC, is decoded as it lies.
            idat = data + pos;
            firstIdatSize = length;
            std::size_t end = pos + std::min<std::size_t>(size - pos, std::size_t{length} + 4);
            while (size - end >= 8 && std::memcmp(data + end + 4, "IDAT", 4) == 0)
                end += 8 + std::min<std::size_t>(size - end - 8, std::size_t{BigEndian32(data + end)} + 4);
            idatSize = end - pos;
            pos = end;
            continue;
        }
        if (size - pos < std::size_t{length} + 4 ||
            PngCrc32(PngCrc32(0, type, 4), data + pos, length) != BigEndian32(data + pos + length))
            break; // damaged or cut: keep what was read
        if (!ReadChunk(type, data + pos, length))
            return pdrInvalidHeader;
        pos += std::size_t{length} + 4;
        if (IsType(type, "IEND"))
            break;
    }
    if (first)
        return pdrInvalidHeader;
    if (!idat)
        return pdrMissingIdat;
    if (!PngIsPlausibleDataSize(Header, idatSize) || !Buffers.Allocate(Header, depth))
        return pdrOutOfMemory;
    Buffers.SetGamma(HasGamma ? Gamma : 0);
    for (int i = 0; i < PaletteCount; ++i) {
        const std::uint8_t* rgb = &FRawPalette[3 * static_cast<std::size_t>(i)];
        Buffers.Palette[i] = {Buffers.GammaTable[rgb[2]], Buffers.GammaTable[rgb[1]],
                              Buffers.GammaTable[rgb[0]], 0};
    }
    TPngIdatReader reader(idat, idatSize, firstIdatSize);
    return PngDecodeImageData(reader, Header, Buffers.Store(), mode);
}

bool TPngQuickFile::IsTransparentSample(const TPngPixelStore& store, std::uint32_t x, std::uint32_t y) const {
    const std::uint8_t* image = store.ImageData + y * store.BytesPerRow;
    const std::uint8_t* extra = store.ExtraImageData ? store.ExtraImageData + y * store.BytesPerRow : nullptr;
    const auto& g = Buffers.GammaTable;
    if (Header.ColorType == COLOR_GRAYSCALE) {
        if (Header.BitDepth == 16)
            return (image[x] << 8 | extra[x]) == TransparentSamples[0];
        return PackedSample(image, x, store.BitCount) == TransparentSamples[0];
    }
    // Stored colour went through the gamma table, so the key colour does too.
    for (int c = 0; c < 3; ++c) {
        const std::uint16_t key = TransparentSamples[c];
        const std::size_t at = 3 * std::size_t{x} + 2 - c;
        const bool same = Header.BitDepth == 16 ? image[at] == g[key >> 8] && extra[at] == (key & 0xFF)
                                                : key <= 0xFF && image[at] == g[key];
        if (!same)
            return false;
    }
    return true;
}

std::vector<std::uint8_t> TPngQuickFile::ToRgba() const {
    TPngPixelStore store = const_cast<TPngStoreBuffers&>(Buffers).Store();
    std::vector<std::uint8_t> rgba(std::size_t{store.Width} * store.Height * 4);
    const bool keyed =
        HasTransparency && (Header.ColorType == COLOR_GRAYSCALE || Header.ColorType == COLOR_RGB);
    std::uint8_t* out = rgba.data();
    for (std::uint32_t y = 0; y < store.Height; ++y) {
        const std::uint8_t* image = store.ImageData + y * store.BytesPerRow;
        const std::uint8_t* alpha =
            store.ImageAlpha ? store.ImageAlpha + std::size_t{y} * store.Width : nullptr;
        for (std::uint32_t x = 0; x < store.Width; ++x, out += 4) {
            if (store.BitCount >= 24) {
                const std::size_t at = std::size_t{x} * (store.BitCount / 8);
                out[0] = image[at + 2];
                out[1] = image[at + 1];
                out[2] = image[at];
                out[3] = store.BitCount == 32 ? image[at + 3] : (alpha ? alpha[x] : 255);
            } else {
                const unsigned v = PackedSample(image, x, store.BitCount);
                const bool known = Header.ColorType != COLOR_PALETTE || static_cast<int>(v) < PaletteCount;
                const TPngRgbQuad q = known ? Buffers.Palette[v] : TPngRgbQuad{};
                out[0] = q.rgbRed;
                out[1] = q.rgbGreen;
                out[2] = q.rgbBlue;
                out[3] = Header.ColorType == COLOR_PALETTE ? PaletteAlpha[v] : (alpha ? alpha[x] : 255);
            }
            if (keyed && IsTransparentSample(store, x, y))
                out[3] = 0;
        }
    }
    return rgba;
}

std::vector<std::uint8_t> TPngQuickFile::Save(const TPngSaveOptions& options) {
    std::vector<std::uint8_t> bytes(Signature, Signature + 8);
    TPngVectorSink sink(bytes);
    TPngImageHeader header = Header;
    header.InterlaceMethod = options.InterlaceMethod;
    std::uint8_t ihdr[13];
    PutBigEndian32(ihdr, header.Width);
    PutBigEndian32(ihdr + 4, header.Height);
    ihdr[8] = PngSavedBitDepth(header);
    ihdr[9] = header.ColorType;
    ihdr[10] = header.CompressionMethod;
    ihdr[11] = header.FilterMethod;
    ihdr[12] = header.InterlaceMethod;
    PngWriteChunk(sink, "IHDR", ihdr, sizeof ihdr);
    if (HasGamma) {
        std::uint8_t gama[4];
        PutBigEndian32(gama, Gamma);
        PngWriteChunk(sink, "gAMA", gama, 4);
    }
    if (Header.ColorType == COLOR_PALETTE && PaletteCount > 0) {
        std::vector<std::uint8_t> plte;
        for (int i = 0; i < PaletteCount; ++i)
            for (std::uint8_t c :
                 {Buffers.Palette[i].rgbRed, Buffers.Palette[i].rgbGreen, Buffers.Palette[i].rgbBlue})
                plte.push_back(Buffers.InverseGamma[c]);
        PngWriteChunk(sink, "PLTE", plte.data(), static_cast<std::uint32_t>(plte.size()));
    }
    if (HasTransparency) {
        std::array<std::uint8_t, 256> trns = PaletteAlpha;
        // A 2-bit grey key is written for the 4-bit samples the image data gets.
        if (Header.ColorType == COLOR_GRAYSCALE && Header.BitDepth == 2 && TransparencySize >= 2)
            trns[1] = static_cast<std::uint8_t>((TransparentSamples[0] & 3) * 5);
        PngWriteChunk(sink, "tRNS", trns.data(), static_cast<std::uint32_t>(TransparencySize));
    }
    if (PngEncodeImageData(Buffers.Store(), header, options.Filters, options.CompressionLevel,
                           options.MaxIdatSize, sink) != perOk)
        return {};
    PngWriteChunk(sink, "IEND", nullptr, 0);
    return bytes;
}

} // namespace skin

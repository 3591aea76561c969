#include "skin/imaging/PngImageRgba.h"

#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunktRNS.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngList.h"

namespace skin {

namespace {

unsigned Sample(const std::uint8_t* row, std::uint32_t x, int bitCount) {
    if (bitCount == 8)
        return row[x];
    const unsigned perByte = 8 / static_cast<unsigned>(bitCount);
    return (row[x / perByte] >> (8 - bitCount * (x % perByte + 1))) & ((1u << bitCount) - 1);
}

// The tRNS key of a grey or RGB image, as 16-bit samples.
struct TKey {
    bool Present = false;
    std::uint16_t Samples[3] = {0, 0, 0};
};

TKey KeyOf(TPngImage* image, const TChunkIHDR* header) {
    TKey key;
    const auto* trns = image->Chunks()->Find<TChunktRNS>();
    const std::uint8_t ct = header->ColorType();
    if (!trns || (ct != COLOR_GRAYSCALE && ct != COLOR_RGB))
        return key;
    const int samples = ct == COLOR_GRAYSCALE ? 1 : 3;
    if (static_cast<int>(trns->DataSize()) < 2 * samples)
        return key;
    key.Present = true;
    for (int i = 0; i < samples; ++i)
        key.Samples[i] =
            static_cast<std::uint16_t>(trns->PaletteValues[2 * i] << 8 | trns->PaletteValues[2 * i + 1]);
    return key;
}

// Whether the stored pixel is the key colour; stored colour went through
// the gamma table, so the key does too.
bool MatchesKey(const TKey& key, TPngImage* image, const TChunkIHDR* header, const std::uint8_t* row,
                const std::uint8_t* extra, std::uint32_t x) {
    const bool wide = header->BitDepth() == 16;
    if (header->ColorType() == COLOR_GRAYSCALE) {
        const unsigned v = wide ? (row[x] << 8 | extra[x]) : Sample(row, x, header->BitCount());
        return v == key.Samples[0];
    }
    const auto& g = image->GammaTable;
    for (int c = 0; c < 3; ++c) {
        const std::size_t at = 3 * std::size_t{x} + 2 - c;
        const std::uint16_t k = key.Samples[c];
        const bool same =
            wide ? row[at] == g[k >> 8] && extra[at] == (k & 0xFF) : k <= 0xFF && row[at] == g[k];
        if (!same)
            return false;
    }
    return true;
}

} // namespace

std::vector<std::uint8_t> ConvertRgba8FromPngImage(TPngImage* Image) {
    if (!Image || Image->Empty())
        return {};
    TChunkIHDR* header = Image->Header();
    const std::uint32_t w = header->Width();
    const std::uint32_t h = header->Height();
    std::vector<std::uint8_t> rgba(std::size_t{w} * h * 4);
    if (!Image->Scanline(0))
        return rgba;
    const int bits = header->BitCount();
    const bool palette = header->ColorType() == COLOR_PALETTE;
    const auto* trns = Image->Chunks()->Find<TChunktRNS>();
    const TKey key = KeyOf(Image, header);
    const win::RGBQUAD* colors = header->BitmapInfo.bmiColors;
    std::uint8_t* out = rgba.data();
    for (std::uint32_t y = 0; y < h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(Image->Scanline(static_cast<int>(y)));
        const std::uint8_t* alpha = Image->AlphaScanline(static_cast<int>(y));
        const std::uint8_t* extra = Image->ExtraScanline(static_cast<int>(y));
        for (std::uint32_t x = 0; x < w; ++x, out += 4) {
            if (bits >= 24) {
                const std::uint8_t* p = row + std::size_t{x} * (bits / 8);
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
                out[3] = bits == 32 ? p[3] : (alpha ? alpha[x] : 255);
            } else {
                const unsigned v = Sample(row, x, bits);
                out[0] = colors[v].rgbRed;
                out[1] = colors[v].rgbGreen;
                out[2] = colors[v].rgbBlue;
                out[3] = alpha ? alpha[x] : (palette && trns ? trns->PaletteValues[v] : 255);
            }
            if (key.Present && MatchesKey(key, Image, header, row, extra, x))
                out[3] = 0;
        }
    }
    return rgba;
}

void ConvertPngImageFromRgba8(TPngImage* Image, int Width, int Height, const std::uint8_t* Rgba) {
    Image->MakeBlank(COLOR_RGBALPHA, 8, Width, Height, false, false);
    for (int y = 0; y < Height; ++y) {
        auto* row = static_cast<std::uint8_t*>(Image->Scanline(y));
        std::uint8_t* alpha = Image->AlphaScanline(y);
        const std::uint8_t* in = Rgba + std::size_t(y) * std::size_t(Width) * 4;
        for (int x = 0; x < Width; ++x, in += 4) {
            row[3 * x] = in[2];
            row[3 * x + 1] = in[1];
            row[3 * x + 2] = in[0];
            alpha[x] = in[3];
        }
    }
}

} // namespace skin

#include "skin/imaging/PngRows.h"

#include <array>
#include <cstring>

namespace skin {

namespace {

template <bool Gamma>
inline std::uint8_t Map(const std::uint8_t* table, std::uint8_t v) noexcept {
    if constexpr (Gamma)
        return table[v];
    else
        return v;
}

// --- PNG samples into the store

// Grey and palette rows of 1, 4 and 8 bits have the store's own packing.
template <int Bits>
void StorePacked(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                 const std::uint8_t*) noexcept {
    std::memcpy(dst.Image, src, (std::size_t{width} * Bits + 7) / 8);
}

// Each 2-bit sample becomes one nibble of a 4-bit row, keeping its value.
constexpr std::array<std::uint16_t, 256> MakeWidenTable() {
    std::array<std::uint16_t, 256> t{};
    for (unsigned s = 0; s < 256; ++s) {
        const unsigned hi = ((s >> 6) & 3) << 4 | ((s >> 4) & 3);
        const unsigned lo = ((s >> 2) & 3) << 4 | (s & 3);
        t[s] = static_cast<std::uint16_t>(hi | lo << 8); // little-endian: first byte is hi
    }
    return t;
}
constexpr auto WidenTable = MakeWidenTable();

void StoreWiden2To4(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                    const std::uint8_t*) noexcept {
    std::uint8_t* d = dst.Image;
    const std::uint32_t whole = width / 4;
    for (std::uint32_t i = 0; i < whole; ++i) {
        const std::uint16_t w = WidenTable[src[i]];
        d[2 * i] = static_cast<std::uint8_t>(w);
        d[2 * i + 1] = static_cast<std::uint8_t>(w >> 8);
    }
    for (std::uint32_t x = whole * 4; x < width; ++x) {
        const unsigned v = (src[x / 4] >> (6 - 2 * (x % 4))) & 3;
        std::uint8_t& b = d[x / 2];
        b = static_cast<std::uint8_t>((x % 2) ? (b & 0xF0) | v : (b & 0x0F) | v << 4);
    }
}

void StoreGrey16(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                 const std::uint8_t*) noexcept {
    for (std::uint32_t x = 0; x < width; ++x) {
        dst.Image[x] = src[2 * x];
        dst.Extra[x] = src[2 * x + 1];
    }
}

void StoreGreyAlpha8(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                     const std::uint8_t*) noexcept {
    for (std::uint32_t x = 0; x < width; ++x) {
        dst.Image[x] = src[2 * x];
        dst.Alpha[x] = src[2 * x + 1];
    }
}

void StoreGreyAlpha16(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                      const std::uint8_t*) noexcept {
    for (std::uint32_t x = 0; x < width; ++x) {
        dst.Image[x] = src[4 * x];
        dst.Extra[x] = src[4 * x + 1];
        dst.Alpha[x] = src[4 * x + 2];
    }
}

// RGB to BGR is a byte swap of the pixel read as a little-endian word,
// shifted down by one byte. Words are moved 4 bytes at a time; the byte past
// each pixel is rewritten by the next pixel, and the last pixel moves exactly.
inline std::uint32_t BgrFromRgbWord(std::uint32_t v) noexcept {
    return __builtin_bswap32(v) >> 8;
}

inline std::uint32_t LoadWord(const std::uint8_t* p) noexcept {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void StoreWord(std::uint8_t* p, std::uint32_t v) noexcept {
    std::memcpy(p, &v, 4);
}

template <bool Gamma>
void StoreRgb8(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
               const std::uint8_t* g) noexcept {
    std::uint8_t* d = dst.Image;
    std::uint32_t x = 0;
    if constexpr (!Gamma) {
        for (; x + 1 < width; ++x)
            StoreWord(d + 3 * x, BgrFromRgbWord(LoadWord(src + 3 * x)));
    }
    for (; x < width; ++x) {
        const std::uint8_t r = src[3 * x], gr = src[3 * x + 1], b = src[3 * x + 2];
        d[3 * x] = Map<Gamma>(g, b);
        d[3 * x + 1] = Map<Gamma>(g, gr);
        d[3 * x + 2] = Map<Gamma>(g, r);
    }
}

template <bool Gamma>
void StoreRgb16(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                const std::uint8_t* g) noexcept {
    for (std::uint32_t x = 0; x < width; ++x, src += 6) {
        for (int c = 0; c < 3; ++c) {
            dst.Image[3 * x + 2 - c] = Map<Gamma>(g, src[2 * c]);
            dst.Extra[3 * x + 2 - c] = src[2 * c + 1];
        }
    }
}

template <bool Gamma>
void StoreRgba8To24(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                    const std::uint8_t* g) noexcept {
    std::uint8_t* d = dst.Image;
    std::uint32_t x = 0;
    if constexpr (!Gamma) {
        for (; x + 1 < width; ++x) {
            const std::uint32_t v = LoadWord(src + 4 * x);
            StoreWord(d + 3 * x, BgrFromRgbWord(v));
            dst.Alpha[x] = static_cast<std::uint8_t>(v >> 24);
        }
    }
    for (; x < width; ++x) {
        const std::uint8_t r = src[4 * x], gr = src[4 * x + 1], b = src[4 * x + 2];
        d[3 * x] = Map<Gamma>(g, b);
        d[3 * x + 1] = Map<Gamma>(g, gr);
        d[3 * x + 2] = Map<Gamma>(g, r);
        dst.Alpha[x] = src[4 * x + 3];
    }
}

template <bool Gamma>
void StoreRgba8To32(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                    const std::uint8_t* g) noexcept {
    if constexpr (!Gamma) {
        // Swapping the first and third byte of each 32-bit pixel turns RGBA into BGRA.
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint32_t v;
            std::memcpy(&v, src + 4 * x, 4);
            v = (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
            std::memcpy(dst.Image + 4 * x, &v, 4);
        }
    } else {
        std::uint8_t* d = dst.Image;
        for (std::uint32_t x = 0; x < width; ++x, src += 4, d += 4) {
            const std::uint8_t r = src[0], gr = src[1], b = src[2], a = src[3];
            d[0] = g[b];
            d[1] = g[gr];
            d[2] = g[r];
            d[3] = a;
        }
    }
}

template <bool Gamma>
void StoreRgba16To24(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                     const std::uint8_t* g) noexcept {
    // The low byte of alpha has no place beside a 24-bit store.
    for (std::uint32_t x = 0; x < width; ++x, src += 8) {
        for (int c = 0; c < 3; ++c) {
            dst.Image[3 * x + 2 - c] = Map<Gamma>(g, src[2 * c]);
            dst.Extra[3 * x + 2 - c] = src[2 * c + 1];
        }
        dst.Alpha[x] = src[6];
    }
}

template <bool Gamma>
void StoreRgba16To32(TPngStoreRow dst, const std::uint8_t* src, std::uint32_t width,
                     const std::uint8_t* g) noexcept {
    for (std::uint32_t x = 0; x < width; ++x, src += 8) {
        for (int c = 0; c < 3; ++c) {
            dst.Image[4 * x + 2 - c] = Map<Gamma>(g, src[2 * c]);
            dst.Extra[4 * x + 2 - c] = src[2 * c + 1];
        }
        dst.Image[4 * x + 3] = src[6];
        dst.Extra[4 * x + 3] = src[7];
    }
}

// --- the store back into PNG samples

template <int Bits>
void PackPacked(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width, const std::uint8_t*) noexcept {
    std::memcpy(dst, src.Image, (std::size_t{width} * Bits + 7) / 8);
}

// 2-bit grey kept as nibbles 0..3 is written as 4-bit grey 0, 5, 10, 15: the
// same levels on a 16-step ramp.
void PackGrey2As4(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width,
                  const std::uint8_t*) noexcept {
    const std::size_t bytes = (std::size_t{width} + 1) / 2;
    for (std::size_t i = 0; i < bytes; ++i) {
        const unsigned hi = (src.Image[i] >> 4) & 3, lo = src.Image[i] & 3;
        dst[i] = static_cast<std::uint8_t>((hi * 5) << 4 | lo * 5);
    }
    if (width % 2)
        dst[bytes - 1] &= 0xF0;
}

void PackGrey16(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width, const std::uint8_t*) noexcept {
    for (std::uint32_t x = 0; x < width; ++x) {
        dst[2 * x] = src.Image[x];
        dst[2 * x + 1] = src.Extra[x];
    }
}

void PackGreyAlpha8(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width,
                    const std::uint8_t*) noexcept {
    for (std::uint32_t x = 0; x < width; ++x) {
        dst[2 * x] = src.Image[x];
        dst[2 * x + 1] = src.Alpha[x];
    }
}

// The alpha plane keeps the high byte only; the low byte repeats it, so that
// 255 stays fully opaque.
void PackGreyAlpha16(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width,
                     const std::uint8_t*) noexcept {
    for (std::uint32_t x = 0; x < width; ++x) {
        dst[4 * x] = src.Image[x];
        dst[4 * x + 1] = src.Extra[x];
        dst[4 * x + 2] = src.Alpha[x];
        dst[4 * x + 3] = src.Alpha[x];
    }
}

template <bool Gamma>
void PackRgb8(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width,
              const std::uint8_t* ig) noexcept {
    const std::uint8_t* s = src.Image;
    for (std::uint32_t x = 0; x < width; ++x, s += 3, dst += 3) {
        dst[0] = Map<Gamma>(ig, s[2]);
        dst[1] = Map<Gamma>(ig, s[1]);
        dst[2] = Map<Gamma>(ig, s[0]);
    }
}

template <bool Gamma>
void PackRgb16(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width,
               const std::uint8_t* ig) noexcept {
    for (std::uint32_t x = 0; x < width; ++x, dst += 6) {
        for (int c = 0; c < 3; ++c) {
            dst[2 * c] = Map<Gamma>(ig, src.Image[3 * x + 2 - c]);
            dst[2 * c + 1] = src.Extra[3 * x + 2 - c];
        }
    }
}

template <bool Gamma>
void PackRgba8From24(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width,
                     const std::uint8_t* ig) noexcept {
    const std::uint8_t* s = src.Image;
    for (std::uint32_t x = 0; x < width; ++x, s += 3, dst += 4) {
        dst[0] = Map<Gamma>(ig, s[2]);
        dst[1] = Map<Gamma>(ig, s[1]);
        dst[2] = Map<Gamma>(ig, s[0]);
        dst[3] = src.Alpha[x];
    }
}

template <bool Gamma>
void PackRgba8From32(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width,
                     const std::uint8_t* ig) noexcept {
    const std::uint8_t* s = src.Image;
    for (std::uint32_t x = 0; x < width; ++x, s += 4, dst += 4) {
        dst[0] = Map<Gamma>(ig, s[2]);
        dst[1] = Map<Gamma>(ig, s[1]);
        dst[2] = Map<Gamma>(ig, s[0]);
        dst[3] = s[3];
    }
}

template <bool Gamma>
void PackRgba16From24(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width,
                      const std::uint8_t* ig) noexcept {
    for (std::uint32_t x = 0; x < width; ++x, dst += 8) {
        for (int c = 0; c < 3; ++c) {
            dst[2 * c] = Map<Gamma>(ig, src.Image[3 * x + 2 - c]);
            dst[2 * c + 1] = src.Extra[3 * x + 2 - c];
        }
        dst[6] = src.Alpha[x];
        dst[7] = src.Alpha[x];
    }
}

template <bool Gamma>
void PackRgba16From32(std::uint8_t* dst, TPngConstStoreRow src, std::uint32_t width,
                      const std::uint8_t* ig) noexcept {
    for (std::uint32_t x = 0; x < width; ++x, dst += 8) {
        for (int c = 0; c < 3; ++c) {
            dst[2 * c] = Map<Gamma>(ig, src.Image[4 * x + 2 - c]);
            dst[2 * c + 1] = src.Extra[4 * x + 2 - c];
        }
        dst[6] = src.Image[4 * x + 3];
        dst[7] = src.Extra[4 * x + 3];
    }
}

// One routine of each direction per colour type, depth and storage.
struct TRowProcs {
    std::uint8_t ColorType;
    std::uint8_t BitDepth;
    int BitCount;
    TPngStoreRowProc Store;
    TPngStoreRowProc StoreGamma;
    TPngPackRowProc Pack;
    TPngPackRowProc PackGamma;
};

constexpr TRowProcs RowProcs[] = {
    {COLOR_GRAYSCALE, 1, 1, StorePacked<1>, StorePacked<1>, PackPacked<1>, PackPacked<1>},
    {COLOR_GRAYSCALE, 2, 4, StoreWiden2To4, StoreWiden2To4, PackGrey2As4, PackGrey2As4},
    {COLOR_GRAYSCALE, 4, 4, StorePacked<4>, StorePacked<4>, PackPacked<4>, PackPacked<4>},
    {COLOR_GRAYSCALE, 8, 8, StorePacked<8>, StorePacked<8>, PackPacked<8>, PackPacked<8>},
    {COLOR_GRAYSCALE, 16, 8, StoreGrey16, StoreGrey16, PackGrey16, PackGrey16},
    {COLOR_PALETTE, 1, 1, StorePacked<1>, StorePacked<1>, PackPacked<1>, PackPacked<1>},
    {COLOR_PALETTE, 2, 4, StoreWiden2To4, StoreWiden2To4, PackPacked<4>, PackPacked<4>},
    {COLOR_PALETTE, 4, 4, StorePacked<4>, StorePacked<4>, PackPacked<4>, PackPacked<4>},
    {COLOR_PALETTE, 8, 8, StorePacked<8>, StorePacked<8>, PackPacked<8>, PackPacked<8>},
    {COLOR_GRAYSCALEALPHA, 8, 8, StoreGreyAlpha8, StoreGreyAlpha8, PackGreyAlpha8, PackGreyAlpha8},
    {COLOR_GRAYSCALEALPHA, 16, 8, StoreGreyAlpha16, StoreGreyAlpha16, PackGreyAlpha16, PackGreyAlpha16},
    {COLOR_RGB, 8, 24, StoreRgb8<false>, StoreRgb8<true>, PackRgb8<false>, PackRgb8<true>},
    {COLOR_RGB, 16, 24, StoreRgb16<false>, StoreRgb16<true>, PackRgb16<false>, PackRgb16<true>},
    {COLOR_RGBALPHA, 8, 24, StoreRgba8To24<false>, StoreRgba8To24<true>, PackRgba8From24<false>,
     PackRgba8From24<true>},
    {COLOR_RGBALPHA, 8, 32, StoreRgba8To32<false>, StoreRgba8To32<true>, PackRgba8From32<false>,
     PackRgba8From32<true>},
    {COLOR_RGBALPHA, 16, 24, StoreRgba16To24<false>, StoreRgba16To24<true>, PackRgba16From24<false>,
     PackRgba16From24<true>},
    {COLOR_RGBALPHA, 16, 32, StoreRgba16To32<false>, StoreRgba16To32<true>, PackRgba16From32<false>,
     PackRgba16From32<true>},
};

const TRowProcs* FindRowProcs(const TPngImageHeader& header, int bitCount) noexcept {
    for (const TRowProcs& p : RowProcs)
        if (p.ColorType == header.ColorType && p.BitDepth == header.BitDepth && p.BitCount == bitCount)
            return &p;
    return nullptr;
}

} // namespace

TPngStoreRowProc PngSelectStoreRow(const TPngImageHeader& header, int bitCount, bool identityGamma) noexcept {
    const TRowProcs* p = FindRowProcs(header, bitCount);
    return p ? (identityGamma ? p->Store : p->StoreGamma) : nullptr;
}

TPngPackRowProc PngSelectPackRow(const TPngImageHeader& header, int bitCount, bool identityGamma) noexcept {
    const TRowProcs* p = FindRowProcs(header, bitCount);
    return p ? (identityGamma ? p->Pack : p->PackGamma) : nullptr;
}

std::uint8_t PngSavedBitDepth(const TPngImageHeader& header) noexcept {
    return header.BitDepth == 2 ? 4 : header.BitDepth;
}

namespace {

inline unsigned GetBits(const std::uint8_t* row, std::uint32_t x, int bits) noexcept {
    const unsigned perByte = 8 / static_cast<unsigned>(bits);
    const unsigned shift = 8 - static_cast<unsigned>(bits) * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1u << bits) - 1);
}

inline void SetBits(std::uint8_t* row, std::uint32_t x, int bits, unsigned v) noexcept {
    const unsigned perByte = 8 / static_cast<unsigned>(bits);
    const unsigned shift = 8 - static_cast<unsigned>(bits) * (x % perByte + 1);
    const unsigned mask = ((1u << bits) - 1) << shift;
    std::uint8_t& b = row[x / perByte];
    b = static_cast<std::uint8_t>((b & ~mask) | ((v << shift) & mask));
}

} // namespace

void PngScatterPixels(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t count, std::uint32_t x0,
                      std::uint32_t dx, int bitCount) noexcept {
    if (bitCount < 8) {
        for (std::uint32_t i = 0; i < count; ++i)
            SetBits(dst, x0 + i * dx, bitCount, GetBits(src, i, bitCount));
        return;
    }
    const std::size_t size = static_cast<std::size_t>(bitCount) / 8;
    for (std::uint32_t i = 0; i < count; ++i)
        std::memcpy(dst + (x0 + std::size_t{i} * dx) * size, src + i * size, size);
}

void PngGatherPixels(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t count, std::uint32_t x0,
                     std::uint32_t dx, int bitCount) noexcept {
    if (bitCount < 8) {
        for (std::uint32_t i = 0; i < count; ++i)
            SetBits(dst, i, bitCount, GetBits(src, x0 + i * dx, bitCount));
        return;
    }
    const std::size_t size = static_cast<std::size_t>(bitCount) / 8;
    for (std::uint32_t i = 0; i < count; ++i)
        std::memcpy(dst + i * size, src + (x0 + std::size_t{i} * dx) * size, size);
}

} // namespace skin

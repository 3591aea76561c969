#include "skin/imaging/PngFilters.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace skin {

namespace {

// Paeth's predictor without branches: the compares become conditional moves.
inline int PaethPredictor(int a, int b, int c) noexcept {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    const int bc = pb <= pc ? b : c;
    const int pbc = pb <= pc ? pb : pc;
    return pa <= pbc ? a : bc;
}

void UnfilterUp(std::uint8_t* row, const std::uint8_t* prior, std::size_t n) noexcept {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prior + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
    }
#endif
    for (; i < n; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
}

// Byte-wise loops: one or two bytes a pixel leave nothing to gain from vectors.
template <unsigned Bpp>
void UnfilterSubBytes(std::uint8_t* row, std::size_t n) noexcept {
    for (std::size_t i = Bpp; i < n; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + row[i - Bpp]);
}

template <unsigned Bpp>
void UnfilterAverageBytes(std::uint8_t* row, const std::uint8_t* prior, std::size_t n) noexcept {
    const std::size_t first = n < Bpp ? n : Bpp;
    for (std::size_t i = 0; i < first; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + (prior[i] >> 1));
    for (std::size_t i = Bpp; i < n; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - Bpp] + prior[i]) >> 1));
}

template <unsigned Bpp>
void UnfilterPaethBytes(std::uint8_t* row, const std::uint8_t* prior, std::size_t n) noexcept {
    const std::size_t first = n < Bpp ? n : Bpp;
    for (std::size_t i = 0; i < first; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
    for (std::size_t i = Bpp; i < n; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + PaethPredictor(row[i - Bpp], prior[i], prior[i - Bpp]));
}

#if defined(__SSE2__)
// Pixels of 3 to 8 bytes are handled one pixel per vector: the dependency on
// the pixel to the left is inherent, but each step does all channels at once.
// Pixels are moved 4 or 8 bytes at a time; for 3- and 6-byte pixels the bytes
// beyond the pixel belong to the next one and are written back unchanged
// (their addend is masked to zero). The last pixels, where that would run
// past the row, move exactly.
template <unsigned Bpp>
constexpr unsigned WideBytes = Bpp <= 4 ? 4 : 8;

template <unsigned Bpp>
inline __m128i LoadWide(const std::uint8_t* p) noexcept {
    if constexpr (WideBytes<Bpp> == 4) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return _mm_cvtsi32_si128(static_cast<int>(v));
    } else {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    }
}

template <unsigned Bpp>
inline void StoreWide(std::uint8_t* p, __m128i v) noexcept {
    if constexpr (WideBytes<Bpp> == 4) {
        const auto x = static_cast<std::uint32_t>(_mm_cvtsi128_si32(v));
        std::memcpy(p, &x, 4);
    } else {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
    }
}

template <unsigned Bpp>
inline __m128i LoadExact(const std::uint8_t* p) noexcept {
    std::uint64_t v = 0;
    std::memcpy(&v, p, Bpp);
    return _mm_cvtsi64_si128(static_cast<long long>(v));
}

template <unsigned Bpp>
inline void StoreExact(std::uint8_t* p, __m128i v) noexcept {
    const auto x = static_cast<std::uint64_t>(_mm_cvtsi128_si64(v));
    std::memcpy(p, &x, Bpp);
}

// All-ones in the bytes of one pixel, zero beyond.
template <unsigned Bpp>
inline __m128i PixelMask8() noexcept {
    return _mm_cvtsi64_si128(static_cast<long long>(Bpp >= 8 ? ~0ull : (1ull << (8 * Bpp)) - 1));
}

// Runs step(load, store, i) over every pixel: wide moves first, exact ones at the end.
template <unsigned Bpp, typename TStep>
inline void ForEachPixel(std::size_t n, TStep step) noexcept {
    std::size_t i = 0;
    for (; i + WideBytes<Bpp> <= n; i += Bpp)
        step(LoadWide<Bpp>, StoreWide<Bpp>, i);
    for (; i + Bpp <= n; i += Bpp)
        step(LoadExact<Bpp>, StoreExact<Bpp>, i);
}

template <unsigned Bpp>
void UnfilterSubPixels(std::uint8_t* row, std::size_t n) noexcept {
    const __m128i mask = PixelMask8<Bpp>();
    __m128i a = _mm_setzero_si128();
    ForEachPixel<Bpp>(n, [&](auto load, auto store, std::size_t i) {
        const __m128i x = _mm_add_epi8(load(row + i), _mm_and_si128(a, mask));
        store(row + i, x);
        a = x;
    });
}

template <unsigned Bpp>
void UnfilterAveragePixels(std::uint8_t* row, const std::uint8_t* prior, std::size_t n) noexcept {
    const __m128i mask = PixelMask8<Bpp>();
    const __m128i one = _mm_set1_epi8(1);
    __m128i a = _mm_setzero_si128();
    ForEachPixel<Bpp>(n, [&](auto load, auto store, std::size_t i) {
        const __m128i b = load(prior + i);
        // floor((a + b) / 2) = rounded-up average minus the dropped low bit.
        const __m128i avg = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
        const __m128i x = _mm_add_epi8(load(row + i), _mm_and_si128(avg, mask));
        store(row + i, x);
        a = x;
    });
}

inline __m128i Abs16(__m128i x) noexcept {
    return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

inline __m128i Select(__m128i mask, __m128i ifTrue, __m128i ifFalse) noexcept {
    return _mm_or_si128(_mm_and_si128(mask, ifTrue), _mm_andnot_si128(mask, ifFalse));
}

// Channels in 16-bit lanes; the left pixel stays unpacked from one step to
// the next, so packing is only on the way to memory.
template <unsigned Bpp>
void UnfilterPaethPixels(std::uint8_t* row, const std::uint8_t* prior, std::size_t n) noexcept {
    const __m128i zero = _mm_setzero_si128();
    const __m128i mask = _mm_unpacklo_epi8(PixelMask8<Bpp>(), PixelMask8<Bpp>());
    const __m128i lowByte = _mm_set1_epi16(0xFF);
    __m128i a = zero; // left
    __m128i c = zero; // upper left
    ForEachPixel<Bpp>(n, [&](auto load, auto store, std::size_t i) {
        const __m128i b = _mm_unpacklo_epi8(load(prior + i), zero);
        const __m128i x = _mm_unpacklo_epi8(load(row + i), zero);
        const __m128i pa0 = _mm_sub_epi16(b, c);
        const __m128i pb0 = _mm_sub_epi16(a, c);
        const __m128i pc = Abs16(_mm_add_epi16(pa0, pb0));
        const __m128i pa = Abs16(pa0);
        const __m128i pb = Abs16(pb0);
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        const __m128i nearest =
            Select(_mm_cmpeq_epi16(smallest, pa), a, Select(_mm_cmpeq_epi16(smallest, pb), b, c));
        a = _mm_and_si128(_mm_add_epi16(x, _mm_and_si128(nearest, mask)), lowByte);
        store(row + i, _mm_packus_epi16(a, zero));
        c = b;
    });
}
#else
template <unsigned Bpp>
void UnfilterSubPixels(std::uint8_t* row, std::size_t n) noexcept {
    UnfilterSubBytes<Bpp>(row, n);
}
template <unsigned Bpp>
void UnfilterAveragePixels(std::uint8_t* row, const std::uint8_t* prior, std::size_t n) noexcept {
    UnfilterAverageBytes<Bpp>(row, prior, n);
}
template <unsigned Bpp>
void UnfilterPaethPixels(std::uint8_t* row, const std::uint8_t* prior, std::size_t n) noexcept {
    UnfilterPaethBytes<Bpp>(row, prior, n);
}
#endif

template <unsigned Bpp>
void UnfilterWith(std::uint8_t filterType, std::uint8_t* row, const std::uint8_t* prior,
                  std::size_t n) noexcept {
    constexpr bool Vector = Bpp >= 3;
    switch (filterType) {
    case pfSub:
        if constexpr (Vector)
            UnfilterSubPixels<Bpp>(row, n);
        else
            UnfilterSubBytes<Bpp>(row, n);
        break;
    case pfUp:
        UnfilterUp(row, prior, n);
        break;
    case pfAverage:
        if constexpr (Vector)
            UnfilterAveragePixels<Bpp>(row, prior, n);
        else
            UnfilterAverageBytes<Bpp>(row, prior, n);
        break;
    case pfPaeth:
        if constexpr (Vector)
            UnfilterPaethPixels<Bpp>(row, prior, n);
        else
            UnfilterPaethBytes<Bpp>(row, prior, n);
        break;
    default:
        break;
    }
}

} // namespace

void PngUnfilterRow(std::uint8_t filterType, std::uint8_t* row, const std::uint8_t* prior,
                    std::size_t rowBytes, unsigned offset) noexcept {
    switch (offset) {
    case 1:
        UnfilterWith<1>(filterType, row, prior, rowBytes);
        break;
    case 2:
        UnfilterWith<2>(filterType, row, prior, rowBytes);
        break;
    case 3:
        UnfilterWith<3>(filterType, row, prior, rowBytes);
        break;
    case 4:
        UnfilterWith<4>(filterType, row, prior, rowBytes);
        break;
    case 6:
        UnfilterWith<6>(filterType, row, prior, rowBytes);
        break;
    case 8:
        UnfilterWith<8>(filterType, row, prior, rowBytes);
        break;
    default:
        break;
    }
}

void PngFilterRow(TFilter filter, std::uint8_t* out, const std::uint8_t* raw, const std::uint8_t* prior,
                  std::size_t rowBytes, unsigned offset) noexcept {
    const std::size_t first = rowBytes < offset ? rowBytes : offset;
    switch (filter) {
    case pfNone:
        std::memcpy(out, raw, rowBytes);
        break;
    case pfSub:
        std::memcpy(out, raw, first);
        for (std::size_t i = first; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(raw[i] - raw[i - offset]);
        break;
    case pfUp:
        for (std::size_t i = 0; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(raw[i] - prior[i]);
        break;
    case pfAverage:
        for (std::size_t i = 0; i < first; ++i)
            out[i] = static_cast<std::uint8_t>(raw[i] - (prior[i] >> 1));
        for (std::size_t i = first; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(raw[i] - ((raw[i - offset] + prior[i]) >> 1));
        break;
    case pfPaeth:
        for (std::size_t i = 0; i < first; ++i)
            out[i] = static_cast<std::uint8_t>(raw[i] - prior[i]);
        for (std::size_t i = first; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(raw[i] -
                                               PaethPredictor(raw[i - offset], prior[i], prior[i - offset]));
        break;
    }
}

namespace {

std::size_t RepeatScore(const std::uint8_t* f, std::size_t rowBytes) noexcept {
    std::size_t score = 0;
    for (std::size_t k = 2; k < rowBytes; ++k)
        score += (f[k] == f[k - 1]) | (f[k] == f[k - 2]);
    return score;
}

} // namespace

TFilter PngChooseFilter(TFilters filters, const std::uint8_t* const candidates[PngFilterCount],
                        std::size_t rowBytes) noexcept {
    if (filters.Empty() || filters == TFilters{pfNone})
        return pfNone;
    TFilter best = pfNone;
    std::size_t bestScore = 0;
    for (int i = 0; i < PngFilterCount; ++i) {
        const auto f = static_cast<TFilter>(i);
        if (!filters.Contains(f))
            continue;
        if (filters == TFilters{f})
            return f;
        const std::size_t score = RepeatScore(candidates[i], rowBytes);
        if (score > bestScore) {
            best = f;
            bestScore = score;
        }
    }
    return best;
}

} // namespace skin

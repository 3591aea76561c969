#include "platform/win/gdi/PixelFormat.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace win {

namespace {

[[maybe_unused]] bool InBounds(const DibView& dib, LONG x, LONG y) {
    return x >= 0 && y >= 0 && x < dib.width && y < dib.height;
}

[[maybe_unused]] bool RectInBounds(const DibView& dib, const RECT& r) {
    return r.left >= 0 && r.top >= 0 && r.right <= dib.width && r.bottom <= dib.height && r.left < r.right &&
           r.top < r.bottom;
}

// Rows in an order that never reads a row already overwritten, when source
// and destination share pixels.
template <typename RowFn>
void ForEachRowSafe(const DibView& dst, const RECT& rect, const DibView& src, POINT srcOrigin, RowFn fn) {
    const LONG h = rect.bottom - rect.top;
    const bool backwards = dst.bits == src.bits && srcOrigin.y < rect.top;
    for (LONG i = 0; i < h; ++i) {
        const LONG row = backwards ? h - 1 - i : i;
        fn(rect.top + row, srcOrigin.y + row);
    }
}

// --- packed indexed formats (1, 4, 8 bits), most significant bits first

template <int Bits>
DWORD GetPacked(const DibView& dib, LONG x, LONG y) {
    assert(InBounds(dib, x, y));
    const std::uint8_t* row = dib.Row(y);
    if constexpr (Bits == 8) {
        return row[x];
    } else {
        const LONG bit = x * Bits;
        const int shift = 8 - Bits - static_cast<int>(bit % 8);
        return (row[bit / 8] >> shift) & ((1u << Bits) - 1);
    }
}

template <int Bits>
void PutPacked(const DibView& dib, LONG x, LONG y, DWORD value) {
    std::uint8_t* row = dib.Row(y);
    if constexpr (Bits == 8) {
        row[x] = static_cast<std::uint8_t>(value);
    } else {
        const LONG bit = x * Bits;
        const int shift = 8 - Bits - static_cast<int>(bit % 8);
        const std::uint8_t mask = static_cast<std::uint8_t>(((1u << Bits) - 1) << shift);
        row[bit / 8] = static_cast<std::uint8_t>((row[bit / 8] & ~mask) | ((value << shift) & mask));
    }
}

template <int Bits>
void MaskPacked(const DibView& dib, LONG x, LONG y, DWORD andMask, DWORD xorMask) {
    assert(InBounds(dib, x, y));
    PutPacked<Bits>(dib, x, y, (GetPacked<Bits>(dib, x, y) & andMask) ^ xorMask);
}

template <int Bits>
void SolidRectPacked(const DibView& dib, const RECT& r, DWORD andMask, DWORD xorMask) {
    assert(RectInBounds(dib, r));
    constexpr DWORD mask = (1u << Bits) - 1;
    if ((andMask & mask) == 0) {
        // A plain fill: whole bytes of the repeated value where possible.
        std::uint8_t pattern = 0;
        for (int i = 0; i < 8; i += Bits) {
            pattern = static_cast<std::uint8_t>((pattern << Bits) | (xorMask & mask));
        }
        constexpr LONG perByte = 8 / Bits;
        for (LONG y = r.top; y < r.bottom; ++y) {
            LONG x = r.left;
            for (; x < r.right && x % perByte != 0; ++x) {
                PutPacked<Bits>(dib, x, y, xorMask);
            }
            const LONG wholeEnd = x + ((r.right - x) / perByte) * perByte;
            if (wholeEnd > x) {
                std::memset(dib.Row(y) + x / perByte, pattern, static_cast<size_t>((wholeEnd - x) / perByte));
                x = wholeEnd;
            }
            for (; x < r.right; ++x) {
                PutPacked<Bits>(dib, x, y, xorMask);
            }
        }
        return;
    }
    for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) {
            PutPacked<Bits>(dib, x, y, (GetPacked<Bits>(dib, x, y) & andMask) ^ xorMask);
        }
    }
}

template <int Bits>
void ReadRowPacked(const DibView& dib, LONG x, LONG y, LONG count, DWORD* out) {
    assert(count > 0 && InBounds(dib, x, y) && x + count <= dib.width);
    for (LONG i = 0; i < count; ++i) {
        out[i] = GetPacked<Bits>(dib, x + i, y);
    }
}

template <int Bits>
void WriteRowPacked(const DibView& dib, LONG x, LONG y, LONG count, const DWORD* in) {
    assert(count > 0 && InBounds(dib, x, y) && x + count <= dib.width);
    for (LONG i = 0; i < count; ++i) {
        PutPacked<Bits>(dib, x + i, y, in[i]);
    }
}

template <int Bits>
void CopyRectPacked(const DibView& dst, const RECT& rect, const DibView& src, POINT so) {
    assert(RectInBounds(dst, rect));
    const LONG w = rect.right - rect.left;
    const bool sameRow = dst.bits == src.bits;
    ForEachRowSafe(dst, rect, src, so, [&](LONG dy, LONG sy) {
        if (Bits == 8 || ((rect.left * Bits) % 8 == 0 && (so.x * Bits) % 8 == 0 && (w * Bits) % 8 == 0)) {
            std::memmove(dst.Row(dy) + rect.left * Bits / 8, src.Row(sy) + so.x * Bits / 8,
                         static_cast<size_t>(w * Bits / 8));
            return;
        }
        const bool leftwards = sameRow && dy == sy && so.x < rect.left;
        for (LONG i = 0; i < w; ++i) {
            const LONG k = leftwards ? w - 1 - i : i;
            PutPacked<Bits>(dst, rect.left + k, dy, GetPacked<Bits>(src, so.x + k, sy));
        }
    });
}

// --- 16 bits (5-5-5, whose top bit stays 0, or 5-6-5)

DWORD Get16(const DibView& dib, LONG x, LONG y) {
    assert(InBounds(dib, x, y));
    std::uint16_t v;
    std::memcpy(&v, dib.Row(y) + x * 2, 2);
    return v;
}

void Put16(const DibView& dib, LONG x, LONG y, DWORD value) {
    const DWORD mask = dib.rgb16 == Rgb16Layout::rl565 ? 0xFFFFu : 0x7FFFu;
    const std::uint16_t v = static_cast<std::uint16_t>(value & mask);
    std::memcpy(dib.Row(y) + x * 2, &v, 2);
}

void Mask16(const DibView& dib, LONG x, LONG y, DWORD andMask, DWORD xorMask) {
    assert(InBounds(dib, x, y));
    Put16(dib, x, y, (Get16(dib, x, y) & andMask) ^ xorMask);
}

void SolidRect16(const DibView& dib, const RECT& r, DWORD andMask, DWORD xorMask) {
    assert(RectInBounds(dib, r));
    for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) {
            Put16(dib, x, y, (Get16(dib, x, y) & andMask) ^ xorMask);
        }
    }
}

void ReadRow16(const DibView& dib, LONG x, LONG y, LONG count, DWORD* out) {
    assert(count > 0 && InBounds(dib, x, y) && x + count <= dib.width);
    const std::uint8_t* p = dib.Row(y) + x * 2;
    for (LONG i = 0; i < count; ++i, p += 2) {
        out[i] = DWORD{p[0]} | (DWORD{p[1]} << 8);
    }
}

void WriteRow16(const DibView& dib, LONG x, LONG y, LONG count, const DWORD* in) {
    assert(count > 0 && InBounds(dib, x, y) && x + count <= dib.width);
    const DWORD mask = dib.rgb16 == Rgb16Layout::rl565 ? 0xFFFFu : 0x7FFFu;
    std::uint8_t* p = dib.Row(y) + x * 2;
    for (LONG i = 0; i < count; ++i, p += 2) {
        const DWORD v = in[i] & mask;
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
    }
}

// --- byte-aligned formats share one copy routine

template <int BytesPerPixel>
void CopyRectBytes(const DibView& dst, const RECT& rect, const DibView& src, POINT so) {
    assert(RectInBounds(dst, rect));
    const size_t bytes = static_cast<size_t>(rect.right - rect.left) * BytesPerPixel;
    ForEachRowSafe(dst, rect, src, so, [&](LONG dy, LONG sy) {
        std::memmove(dst.Row(dy) + rect.left * BytesPerPixel, src.Row(sy) + so.x * BytesPerPixel, bytes);
    });
}

// --- 24 bits (B, G, R bytes)

DWORD Get24(const DibView& dib, LONG x, LONG y) {
    assert(InBounds(dib, x, y));
    const std::uint8_t* p = dib.Row(y) + x * 3;
    return DWORD{p[0]} | (DWORD{p[1]} << 8) | (DWORD{p[2]} << 16);
}

void Put24(std::uint8_t* p, DWORD value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
}

void Mask24(const DibView& dib, LONG x, LONG y, DWORD andMask, DWORD xorMask) {
    Put24(dib.Row(y) + x * 3, (Get24(dib, x, y) & andMask) ^ xorMask);
}

void SolidRect24(const DibView& dib, const RECT& r, DWORD andMask, DWORD xorMask) {
    assert(RectInBounds(dib, r));
    for (LONG y = r.top; y < r.bottom; ++y) {
        std::uint8_t* p = dib.Row(y) + r.left * 3;
        for (LONG x = r.left; x < r.right; ++x, p += 3) {
            const DWORD v = DWORD{p[0]} | (DWORD{p[1]} << 8) | (DWORD{p[2]} << 16);
            Put24(p, (v & andMask) ^ xorMask);
        }
    }
}

void ReadRow24(const DibView& dib, LONG x, LONG y, LONG count, DWORD* out) {
    assert(count > 0 && InBounds(dib, x, y) && x + count <= dib.width);
    const std::uint8_t* p = dib.Row(y) + x * 3;
    for (LONG i = 0; i < count; ++i, p += 3) {
        out[i] = DWORD{p[0]} | (DWORD{p[1]} << 8) | (DWORD{p[2]} << 16);
    }
}

void WriteRow24(const DibView& dib, LONG x, LONG y, LONG count, const DWORD* in) {
    assert(count > 0 && InBounds(dib, x, y) && x + count <= dib.width);
    std::uint8_t* p = dib.Row(y) + x * 3;
    for (LONG i = 0; i < count; ++i, p += 3) {
        Put24(p, in[i]);
    }
}

// --- 32 bits (B, G, R, A bytes: the pixel value read as a little-endian word)

DWORD Get32(const DibView& dib, LONG x, LONG y) {
    assert(InBounds(dib, x, y));
    return dib.Row32(y)[x];
}

void Mask32(const DibView& dib, LONG x, LONG y, DWORD andMask, DWORD xorMask) {
    assert(InBounds(dib, x, y));
    DWORD& p = dib.Row32(y)[x];
    p = (p & andMask) ^ xorMask;
}

// Fills `count` words with one value, 16 bytes at a time.
void Fill32(DWORD* p, LONG count, DWORD value) {
    LONG i = 0;
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(static_cast<int>(value));
    for (; i < count && (reinterpret_cast<std::uintptr_t>(p + i) & 15) != 0; ++i) {
        p[i] = value;
    }
    for (; i + 16 <= count; i += 16) {
        auto* q = reinterpret_cast<__m128i*>(p + i);
        _mm_store_si128(q, v);
        _mm_store_si128(q + 1, v);
        _mm_store_si128(q + 2, v);
        _mm_store_si128(q + 3, v);
    }
    for (; i + 4 <= count; i += 4) {
        _mm_store_si128(reinterpret_cast<__m128i*>(p + i), v);
    }
#endif
    for (; i < count; ++i) {
        p[i] = value;
    }
}

void SolidRect32(const DibView& dib, const RECT& r, DWORD andMask, DWORD xorMask) {
    assert(RectInBounds(dib, r));
    const LONG w = r.right - r.left;
    for (LONG y = r.top; y < r.bottom; ++y) {
        DWORD* p = dib.Row32(y) + r.left;
        if (andMask == 0) {
            Fill32(p, w, xorMask);
        } else if (andMask == 0xFFFFFFFFu) {
            for (LONG i = 0; i < w; ++i) {
                p[i] ^= xorMask;
            }
        } else {
            for (LONG i = 0; i < w; ++i) {
                p[i] = (p[i] & andMask) ^ xorMask;
            }
        }
    }
}

void ReadRow32(const DibView& dib, LONG x, LONG y, LONG count, DWORD* out) {
    assert(count > 0 && InBounds(dib, x, y) && x + count <= dib.width);
    std::memcpy(out, dib.Row32(y) + x, static_cast<size_t>(count) * 4);
}

void WriteRow32(const DibView& dib, LONG x, LONG y, LONG count, const DWORD* in) {
    assert(count > 0 && InBounds(dib, x, y) && x + count <= dib.width);
    std::memcpy(dib.Row32(y) + x, in, static_cast<size_t>(count) * 4);
}

template <int Bits>
constexpr PixelFormatOps FormatPacked{
    .bitsPerPixel = Bits,
    .GetPixel = GetPacked<Bits>,
    .MaskPixel = MaskPacked<Bits>,
    .SolidRect = SolidRectPacked<Bits>,
    .ReadRow = ReadRowPacked<Bits>,
    .WriteRow = WriteRowPacked<Bits>,
    .CopyRect = CopyRectPacked<Bits>,
};

constexpr PixelFormatOps Format16{
    .bitsPerPixel = 16,
    .GetPixel = Get16,
    .MaskPixel = Mask16,
    .SolidRect = SolidRect16,
    .ReadRow = ReadRow16,
    .WriteRow = WriteRow16,
    .CopyRect = CopyRectBytes<2>,
};

constexpr PixelFormatOps Format24{
    .bitsPerPixel = 24,
    .GetPixel = Get24,
    .MaskPixel = Mask24,
    .SolidRect = SolidRect24,
    .ReadRow = ReadRow24,
    .WriteRow = WriteRow24,
    .CopyRect = CopyRectBytes<3>,
};

constexpr PixelFormatOps Format32{
    .bitsPerPixel = 32,
    .GetPixel = Get32,
    .MaskPixel = Mask32,
    .SolidRect = SolidRect32,
    .ReadRow = ReadRow32,
    .WriteRow = WriteRow32,
    .CopyRect = CopyRectBytes<4>,
};

} // namespace

const PixelFormatOps* PixelFormatFor(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
        return &FormatPacked<1>;
    case 4:
        return &FormatPacked<4>;
    case 8:
        return &FormatPacked<8>;
    case 16:
        return &Format16;
    case 24:
        return &Format24;
    case 32:
        return &Format32;
    default:
        return nullptr;
    }
}

} // namespace win

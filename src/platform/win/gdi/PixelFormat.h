#pragma once

// The raster primitives of one pixel format, in one table per format. A DC
// picks the table of its bitmap's format when the bitmap is selected, and the
// drawing code above works on pixel values through it. Pixel values are the
// format's own: the index for 1, 4 and 8 bits, 0RRRRRGGGGGBBBBB for 16 bits,
// 0x00RRGGBB for 24 bits and 0xAARRGGBB (the memory bytes B, G, R, A) for 32
// bits. Entry points clip before they call a primitive; primitives only
// assert that their input lies inside the bitmap.
//
// 16-bit pixels come in two layouts: 0RRRRRGGGGGBBBBB (BI_RGB, or
// BI_BITFIELDS with the masks 0x7C00, 0x03E0, 0x001F) and RRRRRGGGGGGBBBBB
// (BI_BITFIELDS with 0xF800, 0x07E0, 0x001F).

#include "platform/win/gdi/GdiTypes.h"

#include <cstddef>
#include <cstdint>

namespace win {

struct PixelFormatOps;

enum class Rgb16Layout : std::uint8_t { rl555, rl565 };

// The pixels of a bitmap as the primitives see them: `bits` points at the top
// row, and `stride` is negative for a bottom-up DIB.
struct DibView {
    std::uint8_t* bits = nullptr;
    std::ptrdiff_t stride = 0;
    LONG width = 0;
    LONG height = 0;
    int bitsPerPixel = 0;
    const RGBQUAD* colors = nullptr;
    int colorCount = 0;
    const PixelFormatOps* ops = nullptr;
    Rgb16Layout rgb16 = Rgb16Layout::rl555; // 16 bits only

    std::uint8_t* Row(LONG y) const { return bits + y * stride; }
    // The row as pixel values when the format stores them as 32-bit words.
    DWORD* Row32(LONG y) const { return reinterpret_cast<DWORD*>(Row(y)); }
    RECT Bounds() const { return RECT{0, 0, width, height}; }
};

struct PixelFormatOps {
    int bitsPerPixel;
    DWORD (*GetPixel)(const DibView& dib, LONG x, LONG y);
    // dst = (dst & andMask) ^ xorMask for one pixel or a rectangle.
    void (*MaskPixel)(const DibView& dib, LONG x, LONG y, DWORD andMask, DWORD xorMask);
    void (*SolidRect)(const DibView& dib, const RECT& rect, DWORD andMask, DWORD xorMask);
    void (*ReadRow)(const DibView& dib, LONG x, LONG y, LONG count, DWORD* out);
    void (*WriteRow)(const DibView& dib, LONG x, LONG y, LONG count, const DWORD* in);
    // Copies a rectangle within or between bitmaps of this format; overlapping
    // areas are handled.
    void (*CopyRect)(const DibView& dst, const RECT& rect, const DibView& src, POINT srcOrigin);
};

// The table for 1, 4, 8, 16, 24 or 32 bits per pixel; nullptr otherwise.
const PixelFormatOps* PixelFormatFor(int bitsPerPixel);

// Bytes per row of a DIB (rows padded to 32 bits).
constexpr LONGLONG DibStride(LONGLONG width, int bitsPerPixel) {
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

// Mask of the meaningful bits of a pixel value of the format.
constexpr DWORD PixelMask(int bitsPerPixel) {
    return bitsPerPixel >= 32 ? 0xFFFFFFFFu : (DWORD{1} << bitsPerPixel) - 1;
}

} // namespace win

#pragma once

// What the bitmap's files and images share: bits per pixel of a format and
// the colour table a new palette bitmap starts with.

#include "platform/vcl/GraphicsTypes.h"
#include "platform/win/gdi/GdiTypes.h"

#include <vector>

namespace vcl::bitmap_p {

// A BITMAPINFOHEADER followed by room for a full colour table.
struct TBitmapInfo256 {
    win::BITMAPINFOHEADER bmiHeader;
    win::RGBQUAD bmiColors[256];
};
static_assert(sizeof(TBitmapInfo256) == 1064);

[[nodiscard]] int BitsOf(TPixelFormat format);
[[nodiscard]] TPixelFormat FormatOfBits(int bits);
[[nodiscard]] int StrideOf(int width, int bits);

// The colours of a palette, or the standard table for the depth (black and
// white; the 16 VGA colours; a 6 x 6 x 6 cube with greys).
[[nodiscard]] std::vector<win::RGBQUAD> ColorTableFor(int bits, win::HPALETTE palette);

} // namespace vcl::bitmap_p

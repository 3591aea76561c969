#pragma once

// Reading a caller's BITMAPINFO: the DIB formats we accept (BI_RGB at 1, 4,
// 8, 16, 24 and 32 bits; BI_BITFIELDS with the standard 5-5-5 and 8-8-8
// masks), its colour table, and a pixel view over the caller's bits. Sizes
// are checked before anything touches memory, so a header cannot make us
// allocate or read without bound.

#include "platform/win/gdi/DeviceContext.h"

#include <optional>
#include <vector>

namespace win::gdi_p {

struct DibFormat {
    LONG width = 0;
    LONG height = 0; // rows, positive
    bool topDown = false;
    int bitsPerPixel = 0;
    LONGLONG stride = 0;
    LONGLONG imageBytes = 0;
    std::vector<RGBQUAD> colors;
};

// nullopt when the header describes nothing we can read or write; `dc`
// supplies the palette for DIB_PAL_COLORS.
std::optional<DibFormat> ReadDibFormat(const BITMAPINFO* info, UINT usage, const DeviceContext* dc);

// A view over `rows` rows of caller memory laid out as `format` says.
DibView ViewOverBits(const DibFormat& format, const void* bits, LONG rows);

// The colour table GetDIBits reports for a depth the bitmap does not have.
std::vector<RGBQUAD> DefaultColorTable(int bitsPerPixel);

} // namespace win::gdi_p

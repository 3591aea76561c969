#pragma once

// Reading a caller's BITMAPINFO: the DIB formats we accept (BI_RGB at 1, 4,
// 8, 16, 24 and 32 bits; BI_BITFIELDS with the 5-5-5 or 5-6-5 masks at 16
// bits and the 8-8-8 masks at 32), its colour table, and a pixel view over
// the caller's bits. Bit-field masks follow a BITMAPINFOHEADER and sit at
// the same offset inside the larger headers (BITMAPV4HEADER, V5). Sizes
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
    Rgb16Layout rgb16 = Rgb16Layout::rl555;
};

// The three bit-field masks of a header with BI_BITFIELDS.
DWORD* BitfieldMasks(BITMAPINFO* info);
const DWORD* BitfieldMasks(const BITMAPINFO* info);

// Writes the masks of a 16-bit layout, or the 8-8-8 masks for 32 bits.
void WriteBitfieldMasks(BITMAPINFO* info, int bitsPerPixel, Rgb16Layout layout);

// The layout that bit-field masks describe; nullopt for masks we do not
// support.
std::optional<Rgb16Layout> LayoutOfMasks(const DWORD* masks, int bitsPerPixel);

// nullopt when the header describes nothing we can read or write; `dc`
// supplies the palette for DIB_PAL_COLORS.
std::optional<DibFormat> ReadDibFormat(const BITMAPINFO* info, UINT usage, const DeviceContext* dc);

// A view over `rows` rows of caller memory laid out as `format` says.
DibView ViewOverBits(const DibFormat& format, const void* bits, LONG rows);

// The colour table GetDIBits reports for a depth the bitmap does not have.
std::vector<RGBQUAD> DefaultColorTable(int bitsPerPixel);

} // namespace win::gdi_p

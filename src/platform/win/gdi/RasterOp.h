#pragma once

// Raster operations on pixel values. A binary raster operation (ROP2) with a
// fixed pen value, and a ternary one (ROP3) with a fixed pattern value and no
// source, reduce to dst = (dst & andMask) ^ xorMask; any ROP3 on rows of
// pattern, source and destination values is evaluated from its truth table,
// with the common codes done directly. All 32 bits take part, so on a 32-bit
// DIB the alpha byte is combined like the colour bytes.

#include "platform/win/gdi/GdiTypes.h"

namespace win {

struct RopMasks {
    DWORD andMask;
    DWORD xorMask;
};

// The truth-table byte of a ternary raster operation code: bit P*4 + S*2 + D.
constexpr BYTE Rop3Index(DWORD rop) {
    return static_cast<BYTE>(rop >> 16);
}
constexpr bool Rop3UsesSource(BYTE rop) {
    return (((rop >> 2) ^ rop) & 0x33) != 0;
}
constexpr bool Rop3UsesPattern(BYTE rop) {
    return (((rop >> 4) ^ rop) & 0x0F) != 0;
}
constexpr bool Rop3UsesDest(BYTE rop) {
    return (((rop >> 1) ^ rop) & 0x55) != 0;
}

// The ROP3 that applies a ROP2 with the pen as the pattern.
BYTE Rop2ToRop3(int rop2);
RopMasks Rop2Masks(int rop2, DWORD pen);
// For a ROP3 that does not use the source.
RopMasks Rop3PatternMasks(BYTE rop3, DWORD pattern);
DWORD Rop3Pixel(BYTE rop3, DWORD pattern, DWORD source, DWORD dest);
// dst[i] = rop(pat[i], src[i], dst[i]); `src` and `pat` may be null when the
// operation does not use them.
void ApplyRop3(BYTE rop3, DWORD* dst, const DWORD* src, const DWORD* pat, long count);

} // namespace win

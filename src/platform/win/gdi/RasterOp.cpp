#include "platform/win/gdi/RasterOp.h"

namespace win {

BYTE Rop2ToRop3(int rop2) {
    // ROP2 truth bits: index P*2 + D of (code - 1). Spread them over S.
    const int t = (rop2 - 1) & 15;
    BYTE out = 0;
    for (int p = 0; p < 2; ++p) {
        for (int s = 0; s < 2; ++s) {
            for (int d = 0; d < 2; ++d) {
                if ((t >> (p * 2 + d)) & 1) {
                    out = static_cast<BYTE>(out | (1 << (p * 4 + s * 2 + d)));
                }
            }
        }
    }
    return out;
}

namespace {

// Masks for a two-input function of P and D given by truth bits t[P*2 + D].
RopMasks MasksFromTruth(int t, DWORD p) {
    const DWORD ones = 0xFFFFFFFFu;
    auto bit = [t](int i) { return ((t >> i) & 1) ? 0xFFFFFFFFu : 0u; };
    const DWORD andMask = (p & (bit(2) ^ bit(3))) | (~p & (bit(0) ^ bit(1)) & ones);
    const DWORD xorMask = (p & bit(2)) | (~p & bit(0));
    return RopMasks{andMask, xorMask};
}

} // namespace

RopMasks Rop2Masks(int rop2, DWORD pen) {
    return MasksFromTruth((rop2 - 1) & 15, pen);
}

RopMasks Rop3PatternMasks(BYTE rop3, DWORD pattern) {
    // With S = 0: t[P*2 + D] = bit P*4 + D.
    const int t = (rop3 & 1) | (((rop3 >> 1) & 1) << 1) | (((rop3 >> 4) & 1) << 2) | (((rop3 >> 5) & 1) << 3);
    return MasksFromTruth(t, pattern);
}

DWORD Rop3Pixel(BYTE rop3, DWORD p, DWORD s, DWORD d) {
    DWORD result = 0;
    for (int k = 0; k < 8; ++k) {
        if ((rop3 >> k) & 1) {
            result |= ((k & 4) ? p : ~p) & ((k & 2) ? s : ~s) & ((k & 1) ? d : ~d);
        }
    }
    return result;
}

void ApplyRop3(BYTE rop3, DWORD* dst, const DWORD* src, const DWORD* pat, long n) {
    switch (rop3) {
    case 0xCC: // SRCCOPY
        for (long i = 0; i < n; ++i) {
            dst[i] = src[i];
        }
        return;
    case 0x33: // NOTSRCCOPY
        for (long i = 0; i < n; ++i) {
            dst[i] = ~src[i];
        }
        return;
    case 0xEE: // SRCPAINT
        for (long i = 0; i < n; ++i) {
            dst[i] |= src[i];
        }
        return;
    case 0x88: // SRCAND
        for (long i = 0; i < n; ++i) {
            dst[i] &= src[i];
        }
        return;
    case 0x66: // SRCINVERT
        for (long i = 0; i < n; ++i) {
            dst[i] ^= src[i];
        }
        return;
    case 0x44: // SRCERASE
        for (long i = 0; i < n; ++i) {
            dst[i] = src[i] & ~dst[i];
        }
        return;
    case 0x11: // NOTSRCERASE
        for (long i = 0; i < n; ++i) {
            dst[i] = ~(src[i] | dst[i]);
        }
        return;
    case 0xC0: // MERGECOPY
        for (long i = 0; i < n; ++i) {
            dst[i] = src[i] & pat[i];
        }
        return;
    case 0xBB: // MERGEPAINT
        for (long i = 0; i < n; ++i) {
            dst[i] |= ~src[i];
        }
        return;
    case 0xF0: // PATCOPY
        for (long i = 0; i < n; ++i) {
            dst[i] = pat[i];
        }
        return;
    case 0x5A: // PATINVERT
        for (long i = 0; i < n; ++i) {
            dst[i] ^= pat[i];
        }
        return;
    case 0x55: // DSTINVERT
        for (long i = 0; i < n; ++i) {
            dst[i] = ~dst[i];
        }
        return;
    case 0x00: // BLACKNESS
        for (long i = 0; i < n; ++i) {
            dst[i] = 0;
        }
        return;
    case 0xFF: // WHITENESS
        for (long i = 0; i < n; ++i) {
            dst[i] = 0xFFFFFFFFu;
        }
        return;
    case 0xAA: // destination unchanged
        return;
    default:
        break;
    }
    for (long i = 0; i < n; ++i) {
        dst[i] = Rop3Pixel(rop3, pat ? pat[i] : 0, src ? src[i] : 0, dst[i]);
    }
}

} // namespace win

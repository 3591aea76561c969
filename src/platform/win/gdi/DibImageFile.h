#pragma once

// Looking at pixels without PNG: a bitmap saved as a PAM file (the netpbm
// format with a header of plain text lines: 32-bit bitmaps as RGB_ALPHA,
// others as RGB), and a pixel-by-pixel comparison of two bitmaps that writes
// both and a difference image when they differ.

#include "platform/win/WinTypes.h"

#include <string>

namespace win {

// False when the handle is not a bitmap or the file cannot be written.
bool SaveBitmapAsPam(HBITMAP bitmap, const std::string& path);

struct BitmapDifference {
    bool comparable = false; // same size, both valid bitmaps
    long differing = 0;      // pixels whose colour (and alpha on 32 bits) differ
    POINT first{-1, -1};     // first differing pixel, row by row
};

BitmapDifference CompareBitmaps(HBITMAP actual, HBITMAP expected);

// Compares and, on a difference, writes <directory>/<name>.actual.pam,
// .expected.pam and .diff.pam (differing pixels red, others dimmed grey).
BitmapDifference CompareBitmapsAndReport(HBITMAP actual, HBITMAP expected, const std::string& directory,
                                         const std::string& name);

} // namespace win

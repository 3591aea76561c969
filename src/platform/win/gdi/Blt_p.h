#pragma once

// The block-transfer core shared by BitBlt, StretchBlt, StretchDIBits,
// SetDIBitsToDevice, TransparentBlt and the icon and image-list drawing.
// Coordinates are surface coordinates of the destination DC and of the
// source view; extents may be negative (mirroring, as StretchBlt defines).

#include "platform/win/gdi/DeviceContext.h"

namespace win::gdi_p {

struct BltSource {
    DibView view;
    bool isMonoDdb = false;
    // Source pixels outside this rectangle do not exist (the bitmap bounds).
    RECT bounds{0, 0, 0, 0};
};

BltSource SourceOf(DeviceContext& dc);

// A private copy of `area` of a source, for transfers whose source and
// destination share pixels and could overwrite what they still read. The
// copy is empty (no bitmap) when memory is short or the area is empty.
struct SourceCopy {
    std::shared_ptr<GdiBitmap> bitmap;
    BltSource source;
};
SourceCopy CopyOfArea(const BltSource& src, const RECT& area);

// Unstretched transfer of w x h pixels (both positive).
void BltCore(DeviceContext& dst, LONG x, LONG y, LONG w, LONG h, const BltSource& src, LONG sx, LONG sy,
             BYTE rop3);
// Stretched transfer; equal sizes without mirroring take BltCore.
void StretchCore(DeviceContext& dst, LONG x, LONG y, LONG w, LONG h, const BltSource& src, LONG sx, LONG sy,
                 LONG sw, LONG sh, BYTE rop3, int stretchMode);

// AlphaBlend on surface coordinates (sizes positive, source inside its bounds).
void AlphaBlendCore(DeviceContext& dst, LONG x, LONG y, LONG w, LONG h, const BltSource& src, LONG sx,
                    LONG sy, LONG sw, LONG sh, const BLENDFUNCTION& blend);

} // namespace win::gdi_p

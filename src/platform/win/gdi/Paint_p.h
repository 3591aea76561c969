#pragma once

// Painting in plain colours on a locked DC, in surface coordinates, for the
// user32 drawing of edges and frame controls. Paint replaces pixels (no
// ROP2), clipped to the DC; on 32 bits the alpha byte becomes 0.

#include "platform/win/gdi/Raster.h"
#include "platform/win/gdi/SysColors.h"

namespace win::gdi_p {

inline BrushPattern SolidPattern(const DeviceContext& dc, COLORREF color) {
    BrushPattern pattern;
    pattern.isSolid = true;
    pattern.solid =
        dc.PixelOf(color & 0xFFFFFF) & (dc.Surface().bitsPerPixel == 32 ? 0x00FFFFFFu : 0xFFFFFFFFu);
    return pattern;
}

inline void PaintRect(DeviceContext& dc, const RECT& rect, COLORREF color) {
    if (!RectIsEmpty(rect)) {
        raster::FillArea(dc, rect, SolidPattern(dc, color), 0xF0);
    }
}

inline void PaintRegion(DeviceContext& dc, const Region& region, COLORREF color) {
    if (!region.IsEmpty()) {
        raster::FillRegion(dc, region, SolidPattern(dc, color), 0xF0);
    }
}

// A two-colour checkerboard: `even` where x + y (surface coordinates) is even.
inline void PaintChecker(DeviceContext& dc, const RECT& rect, COLORREF even, COLORREF odd) {
    if (RectIsEmpty(rect)) {
        return;
    }
    const DWORD a = SolidPattern(dc, even).solid;
    const DWORD b = SolidPattern(dc, odd).solid;
    BrushPattern checker;
    checker.width = 2;
    checker.height = 2;
    checker.pixels = {a, b, b, a};
    raster::FillArea(dc, rect, checker, 0xF0);
}

inline COLORREF Sys(int index) {
    return SysColorValue(index);
}

} // namespace win::gdi_p

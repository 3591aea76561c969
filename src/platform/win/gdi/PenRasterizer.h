#pragma once

// Drawing with a DC's pen, in surface coordinates.
//   - Cosmetic pens (one pixel wide) step along a line with Bresenham's
//     rule and leave out the last pixel; dashed styles continue their
//     pattern from one segment to the next of a polyline, and their gaps take
//     the background colour when the background mode is OPAQUE.
//   - Geometric pens (wider) cover a region: each segment widened to the pen
//     width, with round, square or flat caps and round joins, drawn once, so
//     that XOR-like raster operations touch every pixel exactly once.
// Every pixel goes through the DC's ROP2 as AND/XOR masks.

#include "platform/win/gdi/DeviceContext.h"
#include "platform/win/gdi/RasterOp.h"

#include <vector>

namespace win {

class PenRasterizer {
public:
    explicit PenRasterizer(DeviceContext& dc);

    bool IsNull() const { return FNull; }
    bool IsWide() const { return FWidth > 1; }
    DWORD Width() const { return FWidth; }

    // A connected path; `closed` joins the last point to the first.
    void DrawPath(const std::vector<POINT>& points, bool closed);

private:
    void CosmeticLine(POINT from, POINT to);
    void PlotRun(const POINT& from, LONG adx, LONG ady, int sx, int sy, bool xMajor, LONGLONG first,
                 LONGLONG last);
    bool DashDraws(LONGLONG index, bool& isGap) const;
    void WidePath(const std::vector<POINT>& points, bool closed);

    DeviceContext& FDc;
    bool FNull = false;
    DWORD FWidth = 1;
    DWORD FEndCap = PS_ENDCAP_ROUND;
    DWORD FJoin = PS_JOIN_ROUND;
    RopMasks FPenMasks{};
    RopMasks FGapMasks{};
    bool FOpaqueGaps = false;
    std::vector<DWORD> FDashes; // empty: solid
    DWORD FDashTotal = 0;
    LONGLONG FDashOffset = 0;
};

} // namespace win

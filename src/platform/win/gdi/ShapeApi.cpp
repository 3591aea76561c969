// Exports of gdi32 for pixels, lines and filled shapes. Shapes follow GDI's
// pixel rules: the outline runs through the pixels of the bounding box's
// first and last columns and rows, so a 1-pixel pen covers [left, right) x
// [top, bottom); a wider pen is centred on that outline (or kept inside it
// with PS_INSIDEFRAME); without a pen the filled interior is one pixel
// smaller on the right and at the bottom. Interiors are painted with the
// brush and the outline with the pen, both through the DC's ROP2.

#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/PenRasterizer.h"
#include "platform/win/gdi/Raster.h"
#include "platform/win/gdi/RegionShapes.h"

#include <algorithm>

namespace win::direct {

using namespace gdi_p;

namespace {

enum class ShapeKind { skRectangle, skEllipse, skRoundRect };

Region ShapeRegion(ShapeKind kind, const RECT& box, LONG ew, LONG eh, const RECT& limit) {
    switch (kind) {
    case ShapeKind::skRectangle:
        return Region(box).Intersected(limit);
    case ShapeKind::skEllipse:
        return EllipseRegion(box, limit);
    case ShapeKind::skRoundRect:
        return RoundRectRegion(box, ew, eh, limit);
    }
    return Region();
}

struct ShapeParts {
    Region interior;
    Region outline;
};

ShapeParts SplitShape(ShapeKind kind, RECT box, LONG ew, LONG eh, LONG penWidth, bool insideFrame,
                      const RECT& limit) {
    ShapeParts parts;
    if (penWidth == 0) {
        parts.interior =
            ShapeRegion(kind, RECT{box.left, box.top, box.right - 1, box.bottom - 1}, ew, eh, limit);
        return parts;
    }
    const LONG w = penWidth;
    if (insideFrame && w > 1) {
        // Move the outline inwards so that the pen's outer edge is the box.
        box = RECT{box.left + w / 2, box.top + w / 2, box.right - (w - w / 2) + 1,
                   box.bottom - (w - w / 2) + 1};
    }
    const RECT outer{box.left - w / 2, box.top - w / 2, box.right - 1 - w / 2 + w,
                     box.bottom - 1 - w / 2 + w};
    const Region outerShape = ShapeRegion(kind, outer, ew + w - 1, eh + w - 1, limit);
    if (w == 1) {
        parts.interior = Eroded(outerShape);
    } else {
        const RECT inner{box.left - w / 2 + w, box.top - w / 2 + w, box.right - 1 - w / 2,
                         box.bottom - 1 - w / 2};
        parts.interior =
            ShapeRegion(kind, inner, std::max(ew - w + 1, LONG{0}), std::max(eh - w + 1, LONG{0}), limit);
    }
    parts.outline = Region::Combine(outerShape, parts.interior, RGN_DIFF);
    return parts;
}

// Limits for scan conversion: the clip box, widened by a pixel so that
// erosion at the clip edge sees the shape's true outside.
RECT WorkLimit(DeviceContext& dc) {
    RECT box = dc.TotalClip().Box();
    return RECT{box.left - 1, box.top - 1, box.right + 1, box.bottom + 1};
}

void FillInterior(DeviceContext& dc, const Region& interior) {
    if (interior.IsEmpty() || dc.State().brush->Style() == BS_NULL) {
        return;
    }
    raster::FillRegion(dc, interior, dc.RealizeCurrentBrush(), Rop2ToRop3(dc.State().rop2));
}

BOOL DrawShape(HDC dcHandle, ShapeKind kind, int left, int top, int right, int bottom, int ew, int eh) {
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    if (dc->State().rop2 == R2_NOP) {
        return 1;
    }
    const RECT box = RectNormalized(dc->LogicalToSurface(MakeRect(left, top, right, bottom)));
    if (RectIsEmpty(box) || dc->TotalClip().IsEmpty()) {
        return 1;
    }
    const GdiPen& pen = *dc->State().pen;
    PenRasterizer rasterizer(*dc);
    const bool nullPen = rasterizer.IsNull();
    const LONG width = nullPen ? 0 : static_cast<LONG>(rasterizer.Width());
    const bool dashed = !nullPen && width == 1 && pen.Style() != PS_SOLID && pen.Style() != PS_INSIDEFRAME;
    const LONG ewAbs = ew < 0 ? ClampCoord(-LONGLONG{ew}) : ew;
    const LONG ehAbs = eh < 0 ? ClampCoord(-LONGLONG{eh}) : eh;
    ShapeParts parts =
        SplitShape(kind, box, ewAbs, ehAbs, width, pen.Style() == PS_INSIDEFRAME, WorkLimit(*dc));
    FillInterior(*dc, parts.interior);
    if (nullPen) {
        return 1;
    }
    if (dashed && kind == ShapeKind::skRectangle) {
        // Dashes run along the outline path, clockwise from the top-left.
        const std::vector<POINT> path{{box.left, box.top},
                                      {box.right - 1, box.top},
                                      {box.right - 1, box.bottom - 1},
                                      {box.left, box.bottom - 1}};
        rasterizer.DrawPath(path, true);
        return 1;
    }
    raster::MaskRegion(*dc, parts.outline, Rop2Masks(dc->State().rop2, dc->PixelOf(dc->PenColor())));
    return 1;
}

std::vector<POINT> ToSurface(const DeviceContext& dc, const POINT* points, size_t count) {
    std::vector<POINT> out(count);
    for (size_t i = 0; i < count; ++i) {
        out[i] = dc.LogicalToSurface(points[i].x, points[i].y);
    }
    return out;
}

} // namespace

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    return DrawShape(dc, ShapeKind::skRectangle, left, top, right, bottom, 0, 0);
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    // The corner sizes of an ellipse come from its box.
    return DrawShape(dc, ShapeKind::skEllipse, left, top, right, bottom, 0, 0);
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
    return DrawShape(dc, ShapeKind::skRoundRect, left, top, right, bottom, ellipseWidth, ellipseHeight);
}

namespace {

// Runs `fn(dc, surfacePoint)` for a logical pixel that the clip lets
// through; CLR_INVALID for a dead DC or a clipped pixel.
template <typename Fn>
COLORREF OnVisiblePixel(HDC dcHandle, int x, int y, Fn fn) {
    return OnDc(dcHandle, CLR_INVALID, [&](DeviceContext& dc) {
        const POINT p = dc.LogicalToSurface(x, y);
        return dc.TotalClip().Contains(p.x, p.y) ? fn(dc, p) : CLR_INVALID;
    });
}

} // namespace

COLORREF SetPixel(HDC dcHandle, int x, int y, COLORREF color) {
    return OnVisiblePixel(dcHandle, x, y, [&](DeviceContext& dc, POINT p) {
        // SetPixel copies the colour whatever the ROP2; on 32 bits alpha becomes 0.
        const DibView& dst = dc.Surface();
        const DWORD pixel = dc.PixelOf(color & 0xFFFFFF);
        dst.ops->MaskPixel(dst, p.x, p.y, 0, pixel);
        return PixelToColor(dst, pixel);
    });
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color) {
    return SetPixel(dc, x, y, color) != CLR_INVALID ? 1 : 0;
}

COLORREF GetPixel(HDC dcHandle, int x, int y) {
    return OnVisiblePixel(dcHandle, x, y, [](DeviceContext& dc, POINT p) {
        const DibView& src = dc.Surface();
        return PixelToColor(src, src.ops->GetPixel(src, p.x, p.y));
    });
}

BOOL MoveToEx(HDC dcHandle, int x, int y, LPPOINT previous) {
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    if (previous) {
        *previous = dc->State().position;
    }
    dc->State().position = POINT{ClampCoord(x), ClampCoord(y)};
    return 1;
}

BOOL LineTo(HDC dcHandle, int x, int y) {
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    const POINT from = dc->State().position;
    const POINT to{ClampCoord(x), ClampCoord(y)};
    PenRasterizer(*dc).DrawPath({dc->LogicalToSurface(from.x, from.y), dc->LogicalToSurface(to.x, to.y)},
                                false);
    dc->State().position = to;
    return 1;
}

BOOL Polyline(HDC dcHandle, const POINT* points, int count) {
    if (!points || count < 2) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    PenRasterizer(*dc).DrawPath(ToSurface(*dc, points, static_cast<size_t>(count)), false);
    return 1;
}

BOOL PolylineTo(HDC dcHandle, const POINT* points, DWORD count) {
    if (!points || count == 0) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    std::vector<POINT> logical(points, points + count);
    logical.insert(logical.begin(), dc->State().position);
    PenRasterizer(*dc).DrawPath(ToSurface(*dc, logical.data(), logical.size()), false);
    dc->State().position = logical.back();
    return 1;
}

BOOL PolyPolygon(HDC dcHandle, const POINT* points, const INT* counts, int polygonCount) {
    if (!points || !counts || polygonCount <= 0) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    size_t total = 0;
    for (int i = 0; i < polygonCount; ++i) {
        if (counts[i] < 2) {
            return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
        }
        total += static_cast<size_t>(counts[i]);
    }
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    if (dc->State().rop2 == R2_NOP || dc->TotalClip().IsEmpty()) {
        return 1;
    }
    const std::vector<POINT> surface = ToSurface(*dc, points, total);
    auto interior =
        PolyPolygonRegion(surface.data(), counts, polygonCount, dc->State().polyFillMode, WorkLimit(*dc));
    if (!interior) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    FillInterior(*dc, *interior);
    PenRasterizer pen(*dc);
    size_t start = 0;
    for (int i = 0; i < polygonCount; ++i) {
        const size_t n = static_cast<size_t>(counts[i]);
        pen.DrawPath(std::vector<POINT>(surface.begin() + static_cast<std::ptrdiff_t>(start),
                                        surface.begin() + static_cast<std::ptrdiff_t>(start + n)),
                     true);
        start += n;
    }
    return 1;
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    const INT counts[1] = {count};
    return PolyPolygon(dc, points, counts, 1);
}

} // namespace win::direct

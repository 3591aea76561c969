// Exports of gdi32 for regions: construction, combination, queries, and
// painting regions on a DC.

#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/GdiRegion.h"
#include "platform/win/gdi/Raster.h"
#include "platform/win/gdi/RegionShapes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace win::direct {

using namespace gdi_p;

namespace {

HRGN NewRegion(Region region) {
    return Register<HRGN>(std::make_shared<GdiRegion>(std::move(region)));
}

bool InRange(LONGLONG v) {
    return v >= GDI_COORD_MIN && v <= GDI_COORD_MAX + 1LL;
}

bool ValidRect(LONGLONG l, LONGLONG t, LONGLONG r, LONGLONG b) {
    return InRange(l) && InRange(t) && InRange(r) && InRange(b);
}

// Region constructors with rounded corners exclude the right and bottom
// edges: (l, t, r, b) covers the pixels of (l, t, r - 1, b - 1).
RECT RoundedBox(int left, int top, int right, int bottom) {
    const RECT n = RectNormalized(RECT{left, top, right, bottom});
    return RECT{n.left, n.top, n.right - 1, n.bottom - 1};
}

// The region in the DC's surface coordinates for a region in logical ones.
Region ToSurface(const DeviceContext& dc, Region region) {
    const POINT o = dc.LogicalToSurface(0, 0);
    if (!region.Offset(o.x, o.y)) {
        return Region();
    }
    return region;
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    if (!ValidRect(left, top, right, bottom)) {
        return Fail(ERROR_INVALID_PARAMETER, HRGN{});
    }
    return NewRegion(Region(RectNormalized(RECT{left, top, right, bottom})));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    if (!rect) {
        return Fail(ERROR_INVALID_PARAMETER, HRGN{});
    }
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
    if (!ValidRect(left, top, right, bottom)) {
        return Fail(ERROR_INVALID_PARAMETER, HRGN{});
    }
    const RECT box = RoundedBox(left, top, right, bottom);
    if (LONGLONG{box.bottom} - box.top > MAX_SHAPE_ROWS) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY, HRGN{});
    }
    const LONG ew = static_cast<LONG>(std::min<LONGLONG>(std::abs(LONGLONG{ellipseWidth}), GDI_COORD_MAX));
    const LONG eh = static_cast<LONG>(std::min<LONGLONG>(std::abs(LONGLONG{ellipseHeight}), GDI_COORD_MAX));
    return NewRegion(RoundRectRegion(box, ew, eh, UnlimitedRect()));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    if (!ValidRect(left, top, right, bottom)) {
        return Fail(ERROR_INVALID_PARAMETER, HRGN{});
    }
    const RECT n = RectNormalized(RECT{left, top, right, bottom});
    return CreateRoundRectRgn(n.left, n.top, n.right, n.bottom, n.right - n.left, n.bottom - n.top);
}

HRGN CreateEllipticRgnIndirect(const RECT* rect) {
    if (!rect) {
        return Fail(ERROR_INVALID_PARAMETER, HRGN{});
    }
    return CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygonCount, int fillMode) {
    if (!points || !counts || polygonCount <= 0 || (fillMode != ALTERNATE && fillMode != WINDING)) {
        return Fail(ERROR_INVALID_PARAMETER, HRGN{});
    }
    for (int i = 0; i < polygonCount; ++i) {
        if (counts[i] < 2) {
            return Fail(ERROR_INVALID_PARAMETER, HRGN{});
        }
    }
    auto region = PolyPolygonRegion(points, counts, polygonCount, fillMode, UnlimitedRect());
    if (!region) {
        return Fail(ERROR_INVALID_PARAMETER, HRGN{});
    }
    return NewRegion(std::move(*region));
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
    if (count < 2) {
        return Fail(ERROR_INVALID_PARAMETER, HRGN{});
    }
    const INT counts[1] = {count};
    return CreatePolyPolygonRgn(points, counts, 1, fillMode);
}

HRGN ExtCreateRegion(const void* transform, DWORD count, const RGNDATA* data) {
    // Transformations are not supported; the rectangles may come in any order.
    if (transform || !data || count < sizeof(RGNDATAHEADER) || data->rdh.dwSize < sizeof(RGNDATAHEADER) ||
        data->rdh.iType != RDH_RECTANGLES) {
        return Fail(ERROR_INVALID_PARAMETER, HRGN{});
    }
    const DWORD n = data->rdh.nCount;
    if (n > (count - data->rdh.dwSize) / sizeof(RECT) || n > (1u << 20)) {
        return Fail(ERROR_INVALID_PARAMETER, HRGN{});
    }
    std::vector<RECT> rects(n);
    std::memcpy(rects.data(), reinterpret_cast<const std::uint8_t*>(data) + data->rdh.dwSize,
                n * sizeof(RECT));
    std::vector<LONG> ys;
    for (const RECT& r : rects) {
        if (!ValidRect(r.left, r.top, r.right, r.bottom)) {
            return Fail(ERROR_INVALID_PARAMETER, HRGN{});
        }
        if (!RectIsEmpty(r)) {
            ys.push_back(r.top);
            ys.push_back(r.bottom);
        }
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::erase_if(rects, [](const RECT& r) { return RectIsEmpty(r); });
    std::sort(rects.begin(), rects.end(), [](const RECT& a, const RECT& b) { return a.top < b.top; });
    // Sweep the bands, keeping only the rectangles that cover the current one.
    Region region;
    std::vector<const RECT*> active;
    std::vector<Span> spans;
    std::vector<Span> merged;
    size_t next = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        while (next < rects.size() && rects[next].top <= ys[i]) {
            active.push_back(&rects[next++]);
        }
        std::erase_if(active, [&](const RECT* r) { return r->bottom <= ys[i]; });
        spans.clear();
        for (const RECT* r : active) {
            spans.push_back(Span{r->left, r->right});
        }
        std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.left < b.left; });
        merged.clear();
        for (const Span& sp : spans) {
            if (!merged.empty() && merged.back().right >= sp.left) {
                merged.back().right = std::max(merged.back().right, sp.right);
            } else {
                merged.push_back(sp);
            }
        }
        region.AppendBand(ys[i], ys[i + 1], merged);
    }
    return NewRegion(std::move(region));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
    if (mode < RGN_AND || mode > RGN_COPY) {
        return Fail(ERROR_INVALID_PARAMETER, ERROR);
    }
    auto d = Lookup<GdiRegion>(dest, GdiKind::gkRegion);
    auto a = Lookup<GdiRegion>(src1, GdiKind::gkRegion);
    std::shared_ptr<GdiRegion> b;
    if (mode != RGN_COPY) {
        b = Lookup<GdiRegion>(src2, GdiKind::gkRegion);
        if (!b) {
            return ERROR;
        }
    }
    if (!d || !a) {
        return ERROR;
    }
    Region result = Region::Combine(a->Get(), b ? b->Get() : Region(), mode);
    const int complexity = result.Complexity();
    d->Set(std::move(result));
    return complexity;
}

int OffsetRgn(HRGN handle, int dx, int dy) {
    auto region = Lookup<GdiRegion>(handle, GdiKind::gkRegion);
    if (!region) {
        return ERROR;
    }
    return region->Update([&](Region& r) {
        if (!r.Offset(dx, dy)) {
            return Fail(ERROR_INVALID_PARAMETER, ERROR);
        }
        return r.Complexity();
    });
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
    auto region = Lookup<GdiRegion>(handle, GdiKind::gkRegion);
    if (!region || !ValidRect(left, top, right, bottom)) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    region->Set(Region(RectNormalized(RECT{left, top, right, bottom})));
    return 1;
}

BOOL PtInRegion(HRGN handle, int x, int y) {
    auto region = Lookup<GdiRegion>(handle, GdiKind::gkRegion);
    return region && region->Update([&](Region& r) { return r.Contains(x, y); }) ? 1 : 0;
}

BOOL RectInRegion(HRGN handle, const RECT* rect) {
    auto region = Lookup<GdiRegion>(handle, GdiKind::gkRegion);
    if (!region || !rect) {
        return 0;
    }
    return region->Update([&](Region& r) { return r.Intersects(RectNormalized(*rect)); }) ? 1 : 0;
}

int GetRgnBox(HRGN handle, LPRECT rect) {
    auto region = Lookup<GdiRegion>(handle, GdiKind::gkRegion);
    if (!region || !rect) {
        return ERROR;
    }
    return region->Update([&](Region& r) {
        *rect = r.IsEmpty() ? RECT{0, 0, 0, 0} : r.Box();
        return r.Complexity();
    });
}

BOOL EqualRgn(HRGN region1, HRGN region2) {
    auto a = Lookup<GdiRegion>(region1, GdiKind::gkRegion);
    auto b = Lookup<GdiRegion>(region2, GdiKind::gkRegion);
    if (!a || !b) {
        return ERROR;
    }
    return a->Get() == b->Get() ? 1 : 0;
}

DWORD GetRegionData(HRGN handle, DWORD count, RGNDATA* data) {
    auto region = Lookup<GdiRegion>(handle, GdiKind::gkRegion);
    if (!region) {
        return 0;
    }
    const Region r = region->Get();
    const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + r.Rects().size() * sizeof(RECT));
    if (!data) {
        return needed;
    }
    if (count < needed) {
        return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
    }
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(r.Rects().size());
    data->rdh.nRgnSize = static_cast<DWORD>(r.Rects().size() * sizeof(RECT));
    data->rdh.rcBound = r.IsEmpty() ? RECT{0, 0, 0, 0} : r.Box();
    std::memcpy(reinterpret_cast<std::uint8_t*>(data) + sizeof(RGNDATAHEADER), r.Rects().data(),
                r.Rects().size() * sizeof(RECT));
    return count;
}

namespace {

BOOL PaintRegion(HDC dcHandle, HRGN regionHandle, HBRUSH brushHandle, BYTE rop3) {
    auto region = Lookup<GdiRegion>(regionHandle, GdiKind::gkRegion);
    std::shared_ptr<GdiBrush> brush;
    if (brushHandle) {
        brush = Lookup<GdiBrush>(brushHandle, GdiKind::gkBrush);
        if (!brush) {
            return 0;
        }
    }
    DcLock dc(dcHandle);
    if (!dc || !region) {
        return 0;
    }
    const BrushPattern pattern = brush ? dc->RealizeBrush(*brush) : dc->RealizeCurrentBrush();
    raster::FillRegion(*dc, ToSurface(*dc, region->Get()), pattern, rop3);
    return 1;
}

} // namespace

BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush) {
    if (!brush) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    return PaintRegion(dc, region, brush, 0xF0);
}

BOOL PaintRgn(HDC dcHandle, HRGN region) {
    int rop2;
    {
        DcLock dc(dcHandle);
        if (!dc) {
            return 0;
        }
        rop2 = dc->State().rop2;
    }
    return PaintRegion(dcHandle, region, nullptr, Rop2ToRop3(rop2));
}

BOOL InvertRgn(HDC dc, HRGN region) {
    return PaintRegion(dc, region, nullptr, 0x55);
}

BOOL FrameRgn(HDC dcHandle, HRGN regionHandle, HBRUSH brushHandle, int width, int height) {
    auto region = Lookup<GdiRegion>(regionHandle, GdiKind::gkRegion);
    auto brush = Lookup<GdiBrush>(brushHandle, GdiKind::gkBrush);
    DcLock dc(dcHandle);
    if (!dc || !region || !brush || width <= 0 || height <= 0) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    // The frame: the pixels of the region that lie within `width` columns
    // or `height` rows of its outside.
    const Region shape = region->Get();
    Region inner = shape;
    const POINT shifts[4] = {{width, 0}, {-width, 0}, {0, height}, {0, -height}};
    for (const POINT& s : shifts) {
        Region moved = shape;
        if (!moved.Offset(s.x, s.y)) {
            return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
        }
        inner = Region::Combine(inner, moved, RGN_AND);
    }
    const Region frame = Region::Combine(shape, inner, RGN_DIFF);
    raster::FillRegion(*dc, ToSurface(*dc, frame), dc->RealizeBrush(*brush), 0xF0);
    return 1;
}

} // namespace win::direct

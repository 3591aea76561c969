// Exports of gdi32 for clipping: the clip region of a DC (device
// coordinates) and the visibility queries (logical coordinates).

#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/GdiRegion.h"

namespace win::direct {

using namespace gdi_p;

namespace {

RECT LogicalToDeviceRect(const DeviceContext& dc, LONGLONG l, LONGLONG t, LONGLONG r, LONGLONG b) {
    const POINT a = dc.LogicalToDevice(ClampCoord(l), ClampCoord(t));
    const POINT c = dc.LogicalToDevice(ClampCoord(r), ClampCoord(b));
    return RectNormalized(RECT{a.x, a.y, c.x, c.y});
}

int Complexity(DeviceContext& dc) {
    return dc.TotalClip().Complexity();
}

} // namespace

int ExtSelectClipRgn(HDC dcHandle, HRGN regionHandle, int mode) {
    if (mode < RGN_AND || mode > RGN_COPY) {
        return Fail(ERROR_INVALID_PARAMETER, ERROR);
    }
    std::shared_ptr<GdiRegion> region;
    if (regionHandle) {
        region = Lookup<GdiRegion>(regionHandle, GdiKind::gkRegion);
        if (!region) {
            return ERROR;
        }
    } else if (mode != RGN_COPY) {
        return Fail(ERROR_INVALID_PARAMETER, ERROR);
    }
    DcLock dc(dcHandle);
    if (!dc) {
        return ERROR;
    }
    if (!region) {
        dc->SetClip(std::nullopt);
    } else if (mode == RGN_COPY) {
        dc->SetClip(region->Get());
    } else {
        dc->SetClip(Region::Combine(dc->ClipOrSurface(), region->Get(), mode));
    }
    return Complexity(*dc);
}

int SelectClipRgn(HDC dc, HRGN region) {
    return ExtSelectClipRgn(dc, region, RGN_COPY);
}

namespace {

// The clip region combined with a logical rectangle; the new complexity.
int CombineClipRect(HDC dcHandle, int left, int top, int right, int bottom, int mode) {
    return OnDc(dcHandle, int{ERROR}, [&](DeviceContext& dc) {
        const Region rect(LogicalToDeviceRect(dc, left, top, right, bottom));
        dc.SetClip(Region::Combine(dc.ClipOrSurface(), rect, mode));
        return Complexity(dc);
    });
}

} // namespace

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    return CombineClipRect(dc, left, top, right, bottom, RGN_AND);
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
    return CombineClipRect(dc, left, top, right, bottom, RGN_DIFF);
}

int OffsetClipRgn(HDC dcHandle, int dx, int dy) {
    DcLock dc(dcHandle);
    if (!dc) {
        return ERROR;
    }
    if (dc->State().clip) {
        Region moved = *dc->State().clip;
        if (!moved.Offset(dx, dy)) {
            return Fail(ERROR_INVALID_PARAMETER, ERROR);
        }
        dc->SetClip(std::move(moved));
    }
    return Complexity(*dc);
}

int GetClipBox(HDC dcHandle, LPRECT rect) {
    DcLock dc(dcHandle);
    if (!dc || !rect) {
        return Fail(ERROR_INVALID_PARAMETER, ERROR);
    }
    const Region& clip = dc->TotalClip();
    *rect = clip.IsEmpty() ? RECT{0, 0, 0, 0} : dc->SurfaceToLogical(clip.Box());
    return clip.Complexity();
}

int GetClipRgn(HDC dcHandle, HRGN regionHandle) {
    auto region = Lookup<GdiRegion>(regionHandle, GdiKind::gkRegion);
    DcLock dc(dcHandle);
    if (!dc || !region) {
        return -1;
    }
    if (!dc->State().clip) {
        return 0;
    }
    region->Set(*dc->State().clip);
    return 1;
}

BOOL RectVisible(HDC dcHandle, const RECT* rect) {
    DcLock dc(dcHandle);
    if (!dc || !rect) {
        return 0;
    }
    return dc->TotalClip().Intersects(RectNormalized(dc->LogicalToSurface(*rect))) ? 1 : 0;
}

BOOL PtVisible(HDC dcHandle, int x, int y) {
    DcLock dc(dcHandle);
    if (!dc) {
        return -1;
    }
    const POINT p = dc->LogicalToSurface(x, y);
    return dc->TotalClip().Contains(p.x, p.y) ? 1 : 0;
}

} // namespace win::direct

// Exports of user32's rectangle drawing: FillRect, FrameRect, InvertRect and
// DrawFocusRect. They paint with a brush (PATCOPY) or invert, whatever the
// DC's ROP2, and do not normalise their rectangle: right and bottom are
// exclusive, and an empty rectangle draws nothing.

#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/GdiStock.h"
#include "platform/win/gdi/Raster.h"

namespace win::direct {

using namespace gdi_p;

namespace {

// A brush handle, or a system colour index + 1 in its place.
std::shared_ptr<GdiBrush> ResolveBrush(HBRUSH handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value >= 1 && value <= COLOR_COUNT) {
        handle = GdiStock::Instance().SysColorBrush(static_cast<int>(value - 1));
    }
    return Lookup<GdiBrush>(handle, GdiKind::gkBrush);
}

void FillSurfaceRect(DeviceContext& dc, const RECT& rect, const BrushPattern& pattern, BYTE rop3) {
    if (!RectIsEmpty(rect)) {
        raster::FillArea(dc, rect, pattern, rop3);
    }
}

// The one-pixel border of `r` as four strips that never overlap, so an
// inverting operation touches each pixel once.
void FillFrame(DeviceContext& dc, const RECT& r, const BrushPattern& pattern, BYTE rop3) {
    if (RectIsEmpty(r)) {
        return;
    }
    FillSurfaceRect(dc, RECT{r.left, r.top, r.right, r.top + 1}, pattern, rop3);
    if (r.bottom - r.top > 1) {
        FillSurfaceRect(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, pattern, rop3);
    }
    FillSurfaceRect(dc, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, pattern, rop3);
    if (r.right - r.left > 1) {
        FillSurfaceRect(dc, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, pattern, rop3);
    }
}

// Paints `paint(dc, rect, pattern, PATCOPY)` with a brush or a system colour.
template <typename Paint>
int PaintWithBrush(HDC dcHandle, const RECT* rect, HBRUSH brushHandle, Paint paint) {
    return OnDcRect(dcHandle, rect, [&](DeviceContext& dc, const RECT& r) {
        const auto brush = ResolveBrush(brushHandle);
        if (!brush) {
            return BOOL{0};
        }
        paint(dc, r, dc.RealizeBrush(*brush), BYTE{0xF0});
        return BOOL{1};
    });
}

} // namespace

int FillRect(HDC dcHandle, const RECT* rect, HBRUSH brushHandle) {
    return PaintWithBrush(dcHandle, rect, brushHandle, FillSurfaceRect);
}

int FrameRect(HDC dcHandle, const RECT* rect, HBRUSH brushHandle) {
    return PaintWithBrush(dcHandle, rect, brushHandle, FillFrame);
}

BOOL InvertRect(HDC dcHandle, const RECT* rect) {
    return OnDcRect(dcHandle, rect, [](DeviceContext& dc, const RECT& r) {
        FillSurfaceRect(dc, r, BrushPattern{}, 0x55);
        return BOOL{1};
    });
}

BOOL DrawFocusRect(HDC dcHandle, const RECT* rect) {
    return OnDcRect(dcHandle, rect, [](DeviceContext& dc, const RECT& r) {
        // Every other pixel of a one-pixel border is inverted (XOR with a
        // white-and-black checker), so drawing it twice removes it.
        BrushPattern checker;
        checker.width = 2;
        checker.height = 2;
        const DWORD white = ColorToPixel(dc.Surface(), RGB(255, 255, 255)) & 0x00FFFFFFu;
        checker.pixels = {white, 0, 0, white};
        checker.origin = dc.DeviceToSurface(dc.State().brushOrg);
        FillFrame(dc, r, checker, 0x5A);
        return BOOL{1};
    });
}

} // namespace win::direct

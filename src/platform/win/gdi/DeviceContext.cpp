#include "platform/win/gdi/DeviceContext.h"

#include "platform/win/gdi/GdiStock.h"

#include <algorithm>
#include <new>

namespace win {

namespace {

LONG ClampCoord(LONGLONG v) {
    return static_cast<LONG>(std::clamp<LONGLONG>(v, -COORD_CLAMP, COORD_CLAMP));
}

} // namespace

std::shared_ptr<DeviceContext> DeviceContext::CreateMemory() {
    std::shared_ptr<DeviceContext> dc(new (std::nothrow) DeviceContext());
    if (dc) {
        dc->FMemory = true;
        dc->InitDefaults();
        dc->SelectBitmap(DcRef<GdiBitmap>(GdiStock::Instance().DefaultBitmap()));
    }
    return dc;
}

std::shared_ptr<DeviceContext> DeviceContext::CreateOverSurface(std::shared_ptr<GdiBitmap> surface) {
    std::shared_ptr<DeviceContext> dc(new (std::nothrow) DeviceContext());
    if (dc && surface) {
        dc->FMemory = false;
        dc->InitDefaults();
        dc->FSurfaceBitmap = std::move(surface);
        dc->FSurface = dc->FSurfaceBitmap->View();
    }
    return dc;
}

void DeviceContext::InitDefaults() {
    const GdiStock& stock = GdiStock::Instance();
    FState.pen = DcRef<GdiPen>(stock.ObjectAs<GdiPen>(BLACK_PEN));
    FState.brush = DcRef<GdiBrush>(stock.ObjectAs<GdiBrush>(WHITE_BRUSH));
    FState.font = DcRef<GdiFont>(stock.ObjectAs<GdiFont>(SYSTEM_FONT));
    FState.palette = DcRef<GdiPalette>(stock.ObjectAs<GdiPalette>(DEFAULT_PALETTE));
}

void DeviceContext::SelectBitmap(DcRef<GdiBitmap> bitmap) {
    FState.bitmap = std::move(bitmap);
    FSurfaceBitmap = FState.bitmap.Shared();
    FSurface = FSurfaceBitmap->View();
    InvalidateClip();
}

void DeviceContext::SetDeviceOrigin(POINT origin) {
    FDeviceOrigin = origin;
    InvalidateClip();
}

void DeviceContext::SetVisibleRegion(std::optional<Region> region) {
    FVisible = std::move(region);
    InvalidateClip();
}

int DeviceContext::Save() {
    try {
        FSaved.push_back(FState);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return static_cast<int>(FSaved.size());
}

bool DeviceContext::Restore(int level) {
    const int depth = static_cast<int>(FSaved.size());
    if (level < 0) {
        level = depth + 1 + level;
    }
    if (level <= 0 || level > depth) {
        return false;
    }
    FState = std::move(FSaved[static_cast<size_t>(level - 1)]);
    FSaved.resize(static_cast<size_t>(level - 1));
    if (FMemory && FState.bitmap) {
        FSurfaceBitmap = FState.bitmap.Shared();
        FSurface = FSurfaceBitmap->View();
    }
    InvalidateClip();
    return true;
}

POINT DeviceContext::LogicalToDevice(LONG x, LONG y) const {
    return POINT{ClampCoord(LONGLONG{x} - FState.windowOrg.x + FState.viewportOrg.x),
                 ClampCoord(LONGLONG{y} - FState.windowOrg.y + FState.viewportOrg.y)};
}

POINT DeviceContext::DeviceToSurface(POINT p) const {
    return POINT{ClampCoord(LONGLONG{p.x} + FDeviceOrigin.x), ClampCoord(LONGLONG{p.y} + FDeviceOrigin.y)};
}

POINT DeviceContext::LogicalToSurface(LONG x, LONG y) const {
    return DeviceToSurface(LogicalToDevice(x, y));
}

RECT DeviceContext::LogicalToSurface(const RECT& rect) const {
    const POINT a = LogicalToSurface(rect.left, rect.top);
    const POINT b = LogicalToSurface(rect.right, rect.bottom);
    return RECT{a.x, a.y, b.x, b.y};
}

RECT DeviceContext::SurfaceToLogical(const RECT& rect) const {
    const LONGLONG dx = LONGLONG{FState.windowOrg.x} - FState.viewportOrg.x - FDeviceOrigin.x;
    const LONGLONG dy = LONGLONG{FState.windowOrg.y} - FState.viewportOrg.y - FDeviceOrigin.y;
    return RECT{ClampCoord(rect.left + dx), ClampCoord(rect.top + dy), ClampCoord(rect.right + dx),
                ClampCoord(rect.bottom + dy)};
}

void DeviceContext::SetClip(std::optional<Region> clip) {
    FState.clip = std::move(clip);
    InvalidateClip();
}

const Region& DeviceContext::TotalClip() {
    if (FClipValid) {
        return FTotalClip;
    }
    Region total(FSurface.Bounds());
    if (FVisible) {
        total = Region::Combine(total, *FVisible, RGN_AND);
    }
    if (FState.clip) {
        Region clip = *FState.clip;
        if (clip.Offset(FDeviceOrigin.x, FDeviceOrigin.y)) {
            total = Region::Combine(total, clip, RGN_AND);
        } else {
            total = Region();
        }
    }
    FTotalClip = std::move(total);
    FClipValid = true;
    return FTotalClip;
}

Region DeviceContext::ClipOrSurface() const {
    if (FState.clip) {
        return *FState.clip;
    }
    RECT bounds = FSurface.Bounds();
    bounds.left -= FDeviceOrigin.x;
    bounds.right -= FDeviceOrigin.x;
    bounds.top -= FDeviceOrigin.y;
    bounds.bottom -= FDeviceOrigin.y;
    return Region(bounds);
}

BrushContext DeviceContext::MakeBrushContext() const {
    BrushContext context;
    context.textColor = FState.textColor;
    context.bkColor = FState.bkColor;
    context.bkMode = FState.bkMode;
    context.dcBrushColor = FState.dcBrushColor;
    context.destIsMonoDdb = SurfaceIsMonoDdb();
    context.origin = DeviceToSurface(FState.brushOrg);
    return context;
}

TranslateContext DeviceContext::MakeTranslateContext(bool sourceIsMonoDdb) const {
    return TranslateContext{FState.textColor, FState.bkColor, sourceIsMonoDdb, SurfaceIsMonoDdb()};
}

BrushPattern DeviceContext::RealizeBrush(const GdiBrush& brush) const {
    return brush.Realize(FSurface, MakeBrushContext());
}

COLORREF DeviceContext::PenColor() const {
    return (FState.pen->IsDcPen() ? FState.dcPenColor : FState.pen->Color()) & 0xFFFFFF;
}

DWORD DeviceContext::PixelOf(COLORREF color) const {
    return ColorToPixel(FSurface, color);
}

} // namespace win

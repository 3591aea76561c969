// Exports of gdi32 for block transfers: BitBlt, PatBlt, StretchBlt,
// StretchDIBits and SetDIBitsToDevice, over one transfer core.

#include "platform/win/gdi/Blt_p.h"
#include "platform/win/gdi/DibFormat_p.h"
#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/Raster.h"
#include "platform/win/gdi/SourceSampler.h"

#include <algorithm>

namespace win::gdi_p {

BltSource SourceOf(DeviceContext& dc) {
    BltSource src;
    src.view = dc.Surface();
    src.isMonoDdb = dc.SurfaceIsMonoDdb();
    src.bounds = src.view.Bounds();
    return src;
}

namespace {

bool SharesPixels(const DibView& a, const DibView& b) {
    return a.bits == b.bits;
}

} // namespace

SourceCopy CopyOfArea(const BltSource& src, const RECT& area) {
    SourceCopy copy;
    DWORD error;
    const RECT a = RectIntersection(area, src.bounds);
    if (RectIsEmpty(a)) {
        return copy;
    }
    copy.bitmap =
        GdiBitmap::Create(BitmapKind::bkDibSection, src.view.width, src.view.height, src.view.bitsPerPixel,
                          true, src.view.colors, src.view.colorCount, error, src.view.rgb16);
    if (!copy.bitmap) {
        return copy;
    }
    copy.source = src;
    copy.source.view = copy.bitmap->View();
    copy.source.view.ops->CopyRect(copy.source.view, a, src.view, POINT{a.left, a.top});
    return copy;
}

void BltCore(DeviceContext& dst, LONG x, LONG y, LONG w, LONG h, const BltSource& srcIn, LONG sx, LONG sy,
             BYTE rop3) {
    RECT target{x, y, x + w, y + h};
    // Source pixels that do not exist leave their destination alone.
    const RECT srcArea = RectIntersection(RECT{sx, sy, sx + w, sy + h}, srcIn.bounds);
    if (RectIsEmpty(srcArea)) {
        return;
    }
    target = RECT{x + (srcArea.left - sx), y + (srcArea.top - sy), x + (srcArea.right - sx),
                  y + (srcArea.bottom - sy)};
    const std::vector<RECT> rects = dst.TotalClip().ClipRects(target);
    if (rects.empty()) {
        return;
    }
    SourceCopy copy;
    const BltSource* src = &srcIn;
    if (SharesPixels(dst.Surface(), srcIn.view) && rects.size() > 1) {
        copy = CopyOfArea(srcIn, srcArea);
        if (!copy.bitmap) {
            return;
        }
        src = &copy.source;
    }
    const ColorTranslator translator(src->view, dst.Surface(), dst.MakeTranslateContext(src->isMonoDdb));
    BrushPattern pattern;
    if (Rop3UsesPattern(rop3)) {
        pattern = dst.RealizeCurrentBrush();
    }
    for (const RECT& r : rects) {
        raster::BltRect(dst.Surface(), r, src->view, POINT{sx + (r.left - x), sy + (r.top - y)}, translator,
                        &pattern, rop3);
    }
}

namespace {

// A negative extent covers [origin + extent, origin).
template <typename T>
void NormalizeExtent(T& origin, T& extent) {
    if (extent < 0) {
        origin += extent;
        extent = -extent;
    }
}

} // namespace

void StretchCore(DeviceContext& dst, LONG x, LONG y, LONG w, LONG h, const BltSource& srcIn, LONG sx, LONG sy,
                 LONG sw, LONG sh, BYTE rop3, int stretchMode) {
    if (w == 0 || h == 0 || sw == 0 || sh == 0) {
        return;
    }
    const bool mirrorX = (w < 0) != (sw < 0);
    const bool mirrorY = (h < 0) != (sh < 0);
    NormalizeExtent(x, w);
    NormalizeExtent(y, h);
    NormalizeExtent(sx, sw);
    NormalizeExtent(sy, sh);
    if (w == sw && h == sh && !mirrorX && !mirrorY) {
        BltCore(dst, x, y, w, h, srcIn, sx, sy, rop3);
        return;
    }
    const RECT target{x, y, x + w, y + h};
    const Region visible = dst.TotalClip().Intersected(target);
    if (visible.IsEmpty()) {
        return;
    }
    SourceCopy copy;
    const BltSource* src = &srcIn;
    if (SharesPixels(dst.Surface(), srcIn.view)) {
        copy = CopyOfArea(srcIn, RECT{sx, sy, sx + sw, sy + sh});
        if (!copy.bitmap) {
            return;
        }
        src = &copy.source;
    }
    const RECT box = visible.Box();
    const RECT needed{box.left - x, box.top - y, box.right - x, box.bottom - y};
    SourceSampler sampler(src->view, dst.MakeTranslateContext(src->isMonoDdb), RECT{sx, sy, sx + sw, sy + sh},
                          w, h, mirrorX, mirrorY, stretchMode, needed);
    const RECT valid = sampler.ValidArea();
    const RECT validAbs{valid.left + x, valid.top + y, valid.right + x, valid.bottom + y};
    const ColorTranslator translator(raster::Argb32View(), dst.Surface(), dst.MakeTranslateContext(false));
    BrushPattern pattern;
    if (Rop3UsesPattern(rop3)) {
        pattern = dst.RealizeCurrentBrush();
    }
    for (const RECT& r : visible.ClipRects(validAbs)) {
        raster::SampledRect(dst.Surface(), r, sampler, POINT{x, y}, translator, &pattern, rop3);
    }
}

} // namespace win::gdi_p

namespace win::direct {

using namespace gdi_p;

BOOL PatBlt(HDC dcHandle, int x, int y, int width, int height, DWORD rop) {
    const BYTE rop3 = Rop3Index(rop);
    if (Rop3UsesSource(rop3)) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    const RECT logical = MakeRect(x, y, LONGLONG{x} + width, LONGLONG{y} + height);
    BrushPattern pattern;
    if (Rop3UsesPattern(rop3)) {
        pattern = dc->RealizeCurrentBrush();
    }
    raster::FillArea(*dc, dc->LogicalToSurface(logical), pattern, rop3);
    return 1;
}

namespace {

// A transfer from a source DC: operations without a source are PatBlt's;
// otherwise `fn(lock, rop3)` runs with both DCs locked.
template <typename Fn>
BOOL OnSourceBlt(HDC dest, int x, int y, int width, int height, HDC src, DWORD rop, Fn fn) {
    const BYTE rop3 = Rop3Index(rop);
    if (!Rop3UsesSource(rop3)) {
        return PatBlt(dest, x, y, width, height, rop);
    }
    BltLock lock(dest, src, true);
    return lock ? fn(lock, rop3) : BOOL{0};
}

} // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
    return OnSourceBlt(dest, x, y, width, height, src, rop, [&](const BltLock& lock, BYTE rop3) {
        LONGLONG w = width;
        LONGLONG h = height;
        LONGLONG sx = xSrc;
        LONGLONG sy = ySrc;
        LONGLONG dx = x;
        LONGLONG dy = y;
        // Without mirroring: the source moves with the destination.
        if (w < 0) {
            sx += w;
        }
        if (h < 0) {
            sy += h;
        }
        NormalizeExtent(dx, w);
        NormalizeExtent(dy, h);
        const RECT d = lock.Dest().LogicalToSurface(MakeRect(dx, dy, dx + w, dy + h));
        const POINT s = lock.Source()->LogicalToSurface(ClampCoord(sx), ClampCoord(sy));
        BltCore(lock.Dest(), d.left, d.top, d.right - d.left, d.bottom - d.top, SourceOf(*lock.Source()), s.x,
                s.y, rop3);
        return BOOL{1};
    });
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop) {
    return OnSourceBlt(dest, x, y, width, height, src, rop, [&](const BltLock& lock, BYTE rop3) {
        if (srcWidth == 0 || srcHeight == 0) {
            return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
        }
        const RECT d =
            lock.Dest().LogicalToSurface(MakeRect(x, y, LONGLONG{x} + width, LONGLONG{y} + height));
        const RECT s = lock.Source()->LogicalToSurface(
            MakeRect(xSrc, ySrc, LONGLONG{xSrc} + srcWidth, LONGLONG{ySrc} + srcHeight));
        StretchCore(lock.Dest(), d.left, d.top, d.right - d.left, d.bottom - d.top, SourceOf(*lock.Source()),
                    s.left, s.top, s.right - s.left, s.bottom - s.top, rop3, lock.Dest().State().stretchMode);
        return BOOL{1};
    });
}

int StretchDIBits(HDC dcHandle, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                  DWORD rop) {
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    const BYTE rop3 = Rop3Index(rop);
    if (!Rop3UsesSource(rop3)) {
        const RECT logical =
            MakeRect(xDest, yDest, LONGLONG{xDest} + destWidth, LONGLONG{yDest} + destHeight);
        BrushPattern pattern = dc->RealizeCurrentBrush();
        raster::FillArea(*dc, dc->LogicalToSurface(logical), pattern, rop3);
        return srcHeight < 0 ? -srcHeight : srcHeight;
    }
    const auto format = ReadDibFormat(info, usage, &*dc);
    if (!format || !bits || srcWidth == 0 || srcHeight == 0) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    BltSource src;
    src.view = ViewOverBits(*format, bits, format->height);
    src.bounds = src.view.Bounds();
    // The source origin of a bottom-up DIB is its lower-left corner.
    const LONGLONG top = format->topDown ? LONGLONG{ySrc} : LONGLONG{format->height} - ySrc - srcHeight;
    const RECT d = dc->LogicalToSurface(
        MakeRect(xDest, yDest, LONGLONG{xDest} + destWidth, LONGLONG{yDest} + destHeight));
    const RECT s = MakeRect(xSrc, top, LONGLONG{xSrc} + srcWidth, top + srcHeight);
    StretchCore(*dc, d.left, d.top, d.right - d.left, d.bottom - d.top, src, s.left, s.top, s.right - s.left,
                s.bottom - s.top, rop3, dc->State().stretchMode);
    return srcHeight < 0 ? -srcHeight : srcHeight;
}

int SetDIBitsToDevice(HDC dcHandle, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
    DcLock dc(dcHandle);
    if (!dc) {
        return 0;
    }
    const auto format = ReadDibFormat(info, usage, &*dc);
    if (!format || !bits || lines == 0 || startScan >= static_cast<UINT>(format->height) ||
        width > static_cast<DWORD>(GDI_COORD_MAX) || height > static_cast<DWORD>(GDI_COORD_MAX)) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    const LONG rows = static_cast<LONG>(std::min<UINT>(lines, static_cast<UINT>(format->height) - startScan));
    BltSource src;
    src.view = ViewOverBits(*format, bits, rows);
    src.bounds = src.view.Bounds();
    // Rows of the whole DIB, top-down, that the given scan lines hold.
    const LONGLONG firstRow =
        format->topDown ? LONGLONG{startScan} : LONGLONG{format->height} - startScan - rows;
    const LONGLONG top = format->topDown ? LONGLONG{ySrc} : LONGLONG{format->height} - ySrc - height;
    const RECT d =
        dc->LogicalToSurface(MakeRect(xDest, yDest, LONGLONG{xDest} + width, LONGLONG{yDest} + height));
    BltCore(*dc, d.left, d.top, d.right - d.left, d.bottom - d.top, src, xSrc, ClampCoord(top - firstRow),
            0xCC);
    return rows;
}

} // namespace win::direct

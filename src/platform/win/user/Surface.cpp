#include "platform/win/gdi/GdiExports.h"
#include "platform/win/gdi/SurfaceDc.h"
#include "platform/win/user/Paint_p.h"
#include "platform/win/user/Surface_p.h"

#include <algorithm>

namespace win {

namespace {

RECT OffsetBy(const RECT& r, LONG dx, LONG dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

Region Shifted(Region r, LONG dx, LONG dy) {
    if (!r.Offset(dx, dy))
        return Region();
    return r;
}

// The area a window covers, in the coordinates of its top-level surface.
Region ShapeInSurfaceLocked(const TWnd& w, POINT surfaceOrigin) {
    const RECT r = OffsetBy(Wm().ScreenWindowRect(w), -surfaceOrigin.x, -surfaceOrigin.y);
    Region shape(r);
    if (w.HasWindowRgn)
        shape = Region::Combine(shape, Shifted(w.WindowRgn, r.left, r.top), RGN_AND);
    return shape;
}

Region SubtractSiblingsAboveLocked(Region visible, const TWnd& w, POINT origin) {
    TWnd* parent = Wm().Find(w.Parent);
    if (!parent)
        return visible;
    for (HWND sibling : parent->Children) {
        if (sibling == w.Handle)
            break;
        if (TWnd* s = Wm().FindLive(sibling); s && (s->Style & WS_VISIBLE))
            visible = Region::Combine(visible, ShapeInSurfaceLocked(*s, origin), RGN_DIFF);
    }
    return visible;
}

Region VisibleRegionLocked(TWnd& w, TWnd& top, DWORD flags, const RECT& area) {
    TWindowManager& wm = Wm();
    const RECT topRect = wm.ScreenWindowRect(top);
    const POINT origin{topRect.left, topRect.top};
    if (!wm.IsVisibleOnScreen(w) || (w.Style & WS_MINIMIZE))
        return Region();
    const HWND locked = wm.LockedWindow;
    if (locked && !(flags & DCX_LOCKWINDOWUPDATE) &&
        (w.Handle == locked || wm.IsDescendant(locked, w.Handle)))
        return Region();
    RECT vis = OffsetBy(area, -origin.x, -origin.y);
    for (TWnd* p = wm.Find(w.Parent); p && p->Handle != wm.Desktop(); p = wm.Find(p->Parent))
        vis = RectIntersection(vis, OffsetBy(wm.ScreenClientRect(*p), -origin.x, -origin.y));
    vis = RectIntersection(vis, {0, 0, top.Pixels->Width, top.Pixels->Height});
    Region visible(RectNormalized(vis));
    for (TWnd* p = &w; p; p = p == &top ? nullptr : wm.Find(p->Parent))
        if (p->HasWindowRgn)
            visible = Region::Combine(visible, ShapeInSurfaceLocked(*p, origin), RGN_AND);
    const bool useStyle = (flags & DCX_USESTYLE) != 0;
    const bool clipChildren = (flags & DCX_CLIPCHILDREN) || (useStyle && (w.Style & WS_CLIPCHILDREN));
    const bool clipSiblings = (flags & DCX_CLIPSIBLINGS) || (useStyle && (w.Style & WS_CLIPSIBLINGS));
    if (clipChildren)
        for (HWND child : w.Children)
            if (TWnd* c = wm.FindLive(child); c && (c->Style & WS_VISIBLE))
                visible = Region::Combine(visible, ShapeInSurfaceLocked(*c, origin), RGN_DIFF);
    if (&w != &top && clipSiblings)
        visible = SubtractSiblingsAboveLocked(visible, w, origin);
    // Ancestors that clip their siblings keep those siblings out as well.
    for (TWnd* p = wm.Find(w.Parent); p && p != &top; p = wm.Find(p->Parent))
        if (p->Style & WS_CLIPSIBLINGS)
            visible = SubtractSiblingsAboveLocked(visible, *p, origin);
    return visible;
}

// The pixels GetDC(nullptr) draws into: one pixel that shows nowhere.
std::uint32_t gScreenPixel = 0;

} // namespace

void ResizeSurfaceLocked(TWnd& w) {
    if (w.Style & WS_MINIMIZE)
        return;
    const int width = std::max<int>(w.Window.right - w.Window.left, 1);
    const int height = std::max<int>(w.Window.bottom - w.Window.top, 1);
    if (w.Pixels && w.Pixels->Width == width && w.Pixels->Height == height)
        return;
    auto pixels = std::make_shared<TSurfacePixels>();
    pixels->Width = width;
    pixels->Height = height;
    pixels->Bits.assign(static_cast<std::size_t>(width) * height, 0);
    // What still fits stays, as the top-left corner of a resized window does.
    if (w.Pixels) {
        const int cw = std::min(width, w.Pixels->Width);
        const int ch = std::min(height, w.Pixels->Height);
        for (int y = 0; y < ch; ++y)
            std::copy_n(w.Pixels->Bits.begin() + static_cast<std::ptrdiff_t>(y) * w.Pixels->Width, cw,
                        pixels->Bits.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    w.Pixels = std::move(pixels);
}

HDC CreateWindowDcLocked(TWnd& w, DWORD flags, const Region* intersect, const Region* exclude) {
    TWindowManager& wm = Wm();
    TWnd* top = wm.FindLive(wm.RootOf(w.Handle));
    if (!top || top->Handle == wm.MessageRoot() || top->Parent != wm.Desktop())
        return nullptr;
    if (!top->Pixels)
        ResizeSurfaceLocked(*top);
    if (!top->Pixels)
        return nullptr;
    const RECT topRect = wm.ScreenWindowRect(*top);
    const RECT area = (flags & DCX_WINDOW) ? wm.ScreenWindowRect(w) : wm.ScreenClientRect(w);
    const POINT origin{area.left - topRect.left, area.top - topRect.top};
    Region visible = VisibleRegionLocked(w, *top, flags, area);
    if (intersect)
        visible = Region::Combine(visible, Shifted(*intersect, origin.x, origin.y), RGN_AND);
    if (exclude)
        visible = Region::Combine(visible, Shifted(*exclude, origin.x, origin.y), RGN_DIFF);
    TSurfacePixels& px = *top->Pixels;
    HDC dc = CreateSurfaceDC(reinterpret_cast<std::uint8_t*>(px.Bits.data()),
                             static_cast<std::ptrdiff_t>(px.Width) * 4, px.Width, px.Height);
    if (!dc)
        return nullptr;
    SetSurfaceDCOrigin(dc, origin);
    const RECT box = visible.IsEmpty() ? RECT{0, 0, 0, 0} : visible.Box();
    SetSurfaceDCVisibleRegion(dc, std::move(visible));
    wm.Dcs.push_back({dc, w.Handle, top->Pixels, box});
    return dc;
}

bool ReleaseWindowDcLocked(HDC dc) {
    TWindowManager& wm = Wm();
    auto it = std::find_if(wm.Dcs.begin(), wm.Dcs.end(), [dc](const TWindowDc& d) { return d.Dc == dc; });
    if (it == wm.Dcs.end())
        return false;
    const TWindowDc record = *it;
    wm.Dcs.erase(it);
    direct::DeleteDC(dc);
    if (!record.Hwnd)
        return true;
    TWnd* top = wm.FindLive(wm.RootOf(record.Hwnd));
    // Drawing into pixels a resize has replaced shows nowhere.
    if (top && top->Pixels == record.Pixels)
        PresentLocked(*top, record.VisibleBox);
    return true;
}

HDC ScreenDcLocked() {
    HDC dc = CreateSurfaceDC(reinterpret_cast<std::uint8_t*>(&gScreenPixel), 4, 1, 1);
    if (dc) {
        SetSurfaceDCVisibleRegion(dc, Region());
        Wm().Dcs.push_back({dc, nullptr, nullptr, {}});
    }
    return dc;
}

HDC ScreenDc() {
    auto lock = Wm().Lock();
    return ScreenDcLocked();
}

void PresentLocked(TWnd& top, const RECT& box) {
    if (!top.Surface || !top.Pixels || box.right <= box.left || box.bottom <= box.top)
        return;
    if ((top.ExStyle & WS_EX_LAYERED) && top.LayeredImageSet)
        return; // the UpdateLayeredWindow picture stays
    const TSurfacePixels& px = *top.Pixels;
    const display::TRect dirty{box.left, box.top, box.right, box.bottom};
    display::TPixelView view{px.Bits.data(), px.Width, px.Height, px.Width};
    if ((top.ExStyle & WS_EX_LAYERED) && top.LayeredAttributesSet && (top.LayeredFlags & LWA_COLORKEY)) {
        // Pixels of the colour key are holes; the rest is opaque.
        std::vector<std::uint32_t> keyed(px.Bits.size());
        const COLORREF key = top.LayeredKey;
        const std::uint32_t keyBgr = (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key);
        std::transform(px.Bits.begin(), px.Bits.end(), keyed.begin(), [keyBgr](std::uint32_t p) {
            return (p & 0xFFFFFF) == keyBgr ? 0u : (p | 0xFF000000u);
        });
        view.Bits = keyed.data();
        Wm().Backend().PresentSurface(top.Surface, view, display::amPremultiplied, {&dirty, 1});
        return;
    }
    Wm().Backend().PresentSurface(top.Surface, view, display::amOpaque, {&dirty, 1});
}

bool LayeredPixelTransparentLocked(const TWnd& w, POINT p) {
    if (!(w.ExStyle & WS_EX_LAYERED) || !w.LayeredImageSet || !w.Pixels)
        return false;
    if (w.LayeredConstantAlpha == 0)
        return true;
    if (!w.LayeredPerPixel || p.x < 0 || p.y < 0 || p.x >= w.Pixels->Width || p.y >= w.Pixels->Height)
        return false;
    return (w.Pixels->Bits[static_cast<std::size_t>(p.y) * w.Pixels->Width + p.x] >> 24) == 0;
}

} // namespace win

// Exports of gdi32 for device contexts: creation, saved states, origins,
// modes, colours and device queries; and the surface DCs of the window
// system.

#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/SurfaceDc.h"

#include <atomic>
#include <utility>

namespace win {

namespace {

std::atomic<LONG> screenWidth{1920};
std::atomic<LONG> screenHeight{1080};

} // namespace

HDC CreateSurfaceDC(std::uint8_t* topRow, std::ptrdiff_t stride, LONG width, LONG height) {
    auto surface = GdiBitmap::CreateExternal(topRow, stride, width, height);
    if (!surface) {
        return gdi_p::Fail(ERROR_INVALID_PARAMETER, HDC{});
    }
    return gdi_p::Register<HDC>(DeviceContext::CreateOverSurface(std::move(surface)));
}

BOOL SetSurfaceDCOrigin(HDC dcHandle, POINT origin) {
    return gdi_p::OnDc(dcHandle, BOOL{0}, [&](DeviceContext& dc) {
        if (dc.IsMemoryDC()) {
            return BOOL{0};
        }
        dc.SetDeviceOrigin(origin);
        return BOOL{1};
    });
}

BOOL SetSurfaceDCVisibleRegion(HDC dcHandle, std::optional<Region> visible) {
    return gdi_p::OnDc(dcHandle, BOOL{0}, [&](DeviceContext& dc) {
        if (dc.IsMemoryDC()) {
            return BOOL{0};
        }
        dc.SetVisibleRegion(std::move(visible));
        return BOOL{1};
    });
}

void SetScreenSize(LONG width, LONG height) {
    screenWidth = width;
    screenHeight = height;
}

} // namespace win

namespace win::direct {

using namespace gdi_p;

HDC CreateCompatibleDC(HDC dcHandle) {
    if (dcHandle && !Lookup<DeviceContext>(dcHandle, GdiKind::gkDC)) {
        return nullptr;
    }
    return Register<HDC>(DeviceContext::CreateMemory());
}

BOOL DeleteDC(HDC dcHandle) {
    if (!Lookup<DeviceContext>(dcHandle, GdiKind::gkDC)) {
        return 0;
    }
    return GdiHandleTable::Instance().Remove(dcHandle) ? 1 : 0;
}

int SaveDC(HDC dcHandle) {
    return OnDc(dcHandle, 0, [](DeviceContext& dc) {
        const int depth = dc.Save();
        return depth ? depth : Fail(ERROR_NOT_ENOUGH_MEMORY, 0);
    });
}

BOOL RestoreDC(HDC dcHandle, int savedDC) {
    return OnDc(dcHandle, BOOL{0}, [&](DeviceContext& dc) {
        return dc.Restore(savedDC) ? BOOL{1} : Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    });
}

namespace {

// Calls that report only success.
template <typename Fn>
BOOL WithDc(HDC dcHandle, Fn fn) {
    return OnDc(dcHandle, BOOL{0}, [&](DeviceContext& dc) {
        fn(dc);
        return BOOL{1};
    });
}

void Report(LPPOINT out, POINT value) {
    if (out) {
        *out = value;
    }
}

// Sets a DC mode within [low, high]; 0 (and no change) for other values.
template <typename T>
T SetMode(HDC dcHandle, T DcState::*field, T value, T low, T high) {
    return OnDc(dcHandle, T{}, [&](DeviceContext& dc) {
        if (value < low || value > high) {
            return Fail(ERROR_INVALID_PARAMETER, T{});
        }
        return std::exchange(dc.State().*field, value);
    });
}

template <typename T>
T GetField(HDC dcHandle, T DcState::*field, T failure) {
    return OnDc(dcHandle, failure, [&](DeviceContext& dc) { return dc.State().*field; });
}

template <typename T>
T SetField(HDC dcHandle, T DcState::*field, T value, T failure) {
    return OnDc(dcHandle, failure,
                [&](DeviceContext& dc) { return std::exchange(dc.State().*field, value); });
}

// Origins change what a logical clip rectangle means, but not the clip
// region (kept in device coordinates); only brush and clip caches care.
BOOL SetOrigin(HDC dcHandle, POINT DcState::*field, LONGLONG x, LONGLONG y, LPPOINT previous, bool relative) {
    return WithDc(dcHandle, [&](DeviceContext& dc) {
        POINT& origin = dc.State().*field;
        Report(previous, origin);
        origin = relative ? POINT{ClampCoord(origin.x + x), ClampCoord(origin.y + y)}
                          : POINT{ClampCoord(x), ClampCoord(y)};
    });
}

} // namespace

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return SetOrigin(dc, &DcState::viewportOrg, x, y, previous, false);
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous) {
    return SetOrigin(dc, &DcState::viewportOrg, dx, dy, previous, true);
}
BOOL GetViewportOrgEx(HDC dc, LPPOINT point) {
    return WithDc(dc, [&](DeviceContext& d) { Report(point, d.State().viewportOrg); });
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return SetOrigin(dc, &DcState::windowOrg, x, y, previous, false);
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT previous) {
    return SetOrigin(dc, &DcState::windowOrg, dx, dy, previous, true);
}
BOOL GetWindowOrgEx(HDC dc, LPPOINT point) {
    return WithDc(dc, [&](DeviceContext& d) { Report(point, d.State().windowOrg); });
}
BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return SetOrigin(dc, &DcState::brushOrg, x, y, previous, false);
}
BOOL GetBrushOrgEx(HDC dc, LPPOINT point) {
    return WithDc(dc, [&](DeviceContext& d) { Report(point, d.State().brushOrg); });
}

BOOL LPtoDP(HDC dcHandle, LPPOINT points, int count) {
    if (count < 0 || (count > 0 && !points)) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    return WithDc(dcHandle, [&](DeviceContext& dc) {
        for (int i = 0; i < count; ++i) {
            points[i] = dc.LogicalToDevice(points[i].x, points[i].y);
        }
    });
}

BOOL DPtoLP(HDC dcHandle, LPPOINT points, int count) {
    if (count < 0 || (count > 0 && !points)) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    return WithDc(dcHandle, [&](DeviceContext& dc) {
        const DcState& s = dc.State();
        for (int i = 0; i < count; ++i) {
            points[i] = POINT{ClampCoord(LONGLONG{points[i].x} - s.viewportOrg.x + s.windowOrg.x),
                              ClampCoord(LONGLONG{points[i].y} - s.viewportOrg.y + s.windowOrg.y)};
        }
    });
}

int SetROP2(HDC dc, int rop2) {
    return SetMode(dc, &DcState::rop2, rop2, R2_BLACK, R2_WHITE);
}
int GetROP2(HDC dc) {
    return GetField(dc, &DcState::rop2, 0);
}
int SetBkMode(HDC dc, int mode) {
    return SetMode(dc, &DcState::bkMode, mode, TRANSPARENT, OPAQUE);
}
int GetBkMode(HDC dc) {
    return GetField(dc, &DcState::bkMode, 0);
}
COLORREF SetBkColor(HDC dc, COLORREF color) {
    return SetField(dc, &DcState::bkColor, color, CLR_INVALID);
}
COLORREF GetBkColor(HDC dc) {
    return GetField(dc, &DcState::bkColor, CLR_INVALID);
}
COLORREF SetTextColor(HDC dc, COLORREF color) {
    return SetField(dc, &DcState::textColor, color, CLR_INVALID);
}
COLORREF GetTextColor(HDC dc) {
    return GetField(dc, &DcState::textColor, CLR_INVALID);
}
UINT SetTextAlign(HDC dc, UINT align) {
    return SetField(dc, &DcState::textAlign, align, GDI_ERROR);
}
UINT GetTextAlign(HDC dc) {
    return GetField(dc, &DcState::textAlign, GDI_ERROR);
}
int SetTextCharacterExtra(HDC dc, int extra) {
    return SetField(dc, &DcState::textCharacterExtra, extra, static_cast<int>(0x80000000u));
}
int GetTextCharacterExtra(HDC dc) {
    return GetField(dc, &DcState::textCharacterExtra, static_cast<int>(0x80000000u));
}
int SetStretchBltMode(HDC dc, int mode) {
    return SetMode(dc, &DcState::stretchMode, mode, BLACKONWHITE, HALFTONE);
}
int GetStretchBltMode(HDC dc) {
    return GetField(dc, &DcState::stretchMode, 0);
}
int SetPolyFillMode(HDC dc, int mode) {
    return SetMode(dc, &DcState::polyFillMode, mode, ALTERNATE, WINDING);
}
int GetPolyFillMode(HDC dc) {
    return GetField(dc, &DcState::polyFillMode, 0);
}
// Only the text mapping mode exists: one logical unit is one pixel.
int SetMapMode(HDC dc, int mode) {
    return SetMode(dc, &DcState::mapMode, mode, MM_TEXT, MM_TEXT);
}
int GetMapMode(HDC dc) {
    return GetField(dc, &DcState::mapMode, 0);
}
int SetGraphicsMode(HDC dc, int mode) {
    return SetMode(dc, &DcState::graphicsMode, mode, GM_COMPATIBLE, GM_ADVANCED);
}
int GetGraphicsMode(HDC dc) {
    return GetField(dc, &DcState::graphicsMode, 0);
}
COLORREF SetDCBrushColor(HDC dc, COLORREF color) {
    return SetField(dc, &DcState::dcBrushColor, color, CLR_INVALID);
}
COLORREF GetDCBrushColor(HDC dc) {
    return GetField(dc, &DcState::dcBrushColor, CLR_INVALID);
}
COLORREF SetDCPenColor(HDC dc, COLORREF color) {
    return SetField(dc, &DcState::dcPenColor, color, CLR_INVALID);
}
COLORREF GetDCPenColor(HDC dc) {
    return GetField(dc, &DcState::dcPenColor, CLR_INVALID);
}

BOOL GetCurrentPositionEx(HDC dc, LPPOINT point) {
    return WithDc(dc, [&](DeviceContext& d) { Report(point, d.State().position); });
}

namespace {

// Every DC reports the screen's capabilities.
int DeviceCaps(int index) {
    const int width = screenWidth.load();
    const int height = screenHeight.load();
    const int dpi = DeviceContext::SCREEN_DPI;
    switch (index) {
    case DRIVERVERSION:
        return 0x4000;
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZSIZE:
        return width * 254 / (dpi * 10);
    case VERTSIZE:
        return height * 254 / (dpi * 10);
    case HORZRES:
    case DESKTOPHORZRES:
        return width;
    case VERTRES:
    case DESKTOPVERTRES:
        return height;
    // The device's depth, whatever bitmap a memory DC holds: code that
    // needs the bitmap's depth asks the bitmap (GetObject).
    case BITSPIXEL:
        return DeviceContext::SCREEN_BITS_PER_PIXEL;
    case PLANES:
        return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS:
        return -1;
    case NUMFONTS:
    case NUMMARKERS:
        return 0;
    case CURVECAPS:
        return 511;
    case LINECAPS:
        return 254;
    case POLYGONALCAPS:
        return 255;
    case TEXTCAPS:
        return 0x7E0F;
    case CLIPCAPS:
        return 1;
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case ASPECTX:
    case ASPECTY:
        return 36;
    case ASPECTXY:
        return 51;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return dpi;
    case SIZEPALETTE:
        return 0;
    case NUMRESERVED:
        return 20;
    case COLORRES:
        return 24;
    case VREFRESH:
        return 60;
    case BLTALIGNMENT:
        return 0;
    case SHADEBLENDCAPS:
        return SB_CONST_ALPHA | SB_PIXEL_ALPHA | SB_PREMULT_ALPHA | SB_GRAD_RECT | SB_GRAD_TRI;
    default:
        return 0;
    }
}

} // namespace

int GetDeviceCaps(HDC dc, int index) {
    return OnDc(dc, 0, [&](DeviceContext&) { return DeviceCaps(index); });
}

BOOL GdiFlush() {
    // Every call draws before it returns; there is no batch to flush.
    return 1;
}

} // namespace win::direct

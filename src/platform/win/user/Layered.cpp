#include "platform/win/user/Layered.h"

#include "platform/win/gdi/GdiExports.h"
#include "platform/win/gdi/SurfaceDc.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/Paint_p.h"
#include "platform/win/user/UserErrors.h"
#include "platform/win/user/WindowPos.h"
#include "platform/win/user/WindowPos_p.h"

#include <algorithm>

namespace win {

namespace {

bool LayeredWindowLocked(HWND hwnd, TWnd*& w) {
    w = Wm().FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (!(w->ExStyle & WS_EX_LAYERED) || !Wm().IsTopLevel(*w)) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

void PresentLayeredImageLocked(TWnd& w) {
    if (!w.Surface || !w.Pixels)
        return;
    const TSurfacePixels& px = *w.Pixels;
    display::TDisplayBackend& backend = Wm().Backend();
    backend.SetSurfaceOpacity(w.Surface, w.LayeredConstantAlpha);
    backend.PresentSurface(w.Surface, {px.Bits.data(), px.Width, px.Height, px.Width},
                           w.LayeredPerPixel ? display::amPremultiplied : display::amOpaque, {});
}

} // namespace

BOOL UpdateLayeredWindow(HWND hwnd, HDC /*dcDst*/, POINT* ptDst, SIZE* size, HDC dcSrc, POINT* ptSrc,
                         COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    if ((flags & ~(ULW_COLORKEY | ULW_ALPHA | ULW_OPAQUE | ULW_EX_NORESIZE)) != 0 ||
        (size && (size->cx < 0 || size->cy < 0))) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    RECT rect{};
    {
        auto lock = Wm().Lock();
        TWnd* w = nullptr;
        if (!LayeredWindowLocked(hwnd, w))
            return 0;
        // A window switched to layered attributes cannot take pictures.
        if (w->LayeredAttributesSet) {
            SetUserError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        rect = Wm().ScreenWindowRect(*w);
    }
    const bool move = ptDst && (ptDst->x != rect.left || ptDst->y != rect.top);
    const bool resize = size && (size->cx != rect.right - rect.left || size->cy != rect.bottom - rect.top);
    if (move || resize) {
        const POINT at = ptDst ? *ptDst : POINT{rect.left, rect.top};
        const SIZE sz = size ? *size : SIZE{rect.right - rect.left, rect.bottom - rect.top};
        SetWindowPos(hwnd, nullptr, at.x, at.y, sz.cx, sz.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE | (move ? 0 : SWP_NOMOVE) | (resize ? 0 : SWP_NOSIZE));
    }
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TWnd* w = nullptr;
    if (!LayeredWindowLocked(hwnd, w))
        return 0;
    ResizeSurfaceLocked(*w);
    if (!w->Pixels)
        return 0;
    if (dcSrc) {
        // The picture is copied whole, all 32 bits of every pixel.
        TSurfacePixels& px = *w->Pixels;
        HDC target = CreateSurfaceDC(reinterpret_cast<std::uint8_t*>(px.Bits.data()),
                                     static_cast<std::ptrdiff_t>(px.Width) * 4, px.Width, px.Height);
        if (!target)
            return 0;
        const POINT src = ptSrc ? *ptSrc : POINT{0, 0};
        const BOOL copied = direct::BitBlt(target, 0, 0, px.Width, px.Height, dcSrc, src.x, src.y, SRCCOPY);
        direct::DeleteDC(target);
        if (!copied)
            return 0;
        w->LayeredImageSet = true;
    }
    if (blend) {
        w->LayeredConstantAlpha = blend->SourceConstantAlpha;
        w->LayeredPerPixel =
            (flags & ULW_ALPHA) && (blend->AlphaFormat & AC_SRC_ALPHA) && !(flags & ULW_OPAQUE);
    }
    if (flags & ULW_COLORKEY)
        w->LayeredKey = key;
    if (!w->LayeredImageSet)
        return 1; // nothing to show yet: only the blend was given
    SyncSurfaceLocked(*w);
    PresentLayeredImageLocked(*w);
    return 1;
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TWnd* w = nullptr;
    if (!LayeredWindowLocked(hwnd, w))
        return 0;
    const bool wasPicture = w->LayeredImageSet;
    w->LayeredAttributesSet = true;
    w->LayeredImageSet = false;
    w->LayeredAlpha = alpha;
    w->LayeredKey = key;
    w->LayeredFlags = flags & (LWA_ALPHA | LWA_COLORKEY);
    SyncSurfaceLocked(*w);
    // From now on the window paints itself; a picture it showed is replaced.
    if (wasPicture)
        InvalidateWholeLocked(*w, kInvalidateErase | kInvalidateAllChildren | kInvalidateFrame);
    return 1;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags) {
    auto lock = Wm().Lock();
    TWnd* w = nullptr;
    if (!LayeredWindowLocked(hwnd, w))
        return 0;
    if (!w->LayeredAttributesSet) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (key)
        *key = w->LayeredKey;
    if (alpha)
        *alpha = w->LayeredAlpha;
    if (flags)
        *flags = w->LayeredFlags;
    return 1;
}

} // namespace win

// Icons of user32: creation, description, destruction and DrawIconEx.
//   - DI_MASK alone copies the mask, DI_IMAGE alone copies the image;
//     DI_NORMAL ANDs the mask and then XORs the image onto the destination.
//   - An icon whose 32-bit image carries alpha is blended by its alpha
//     (DI_NORMAL), the mask being ignored.
//   - The mask's 0 bits are black and 1 bits white, whatever the DC's text
//     and background colours.

#include "platform/win/gdi/Blt_p.h"
#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/Icon_p.h"
#include "platform/win/gdi/Raster.h"

namespace win::gdi_p {

std::shared_ptr<GdiBitmap> Premultiplied(const GdiBitmap& color) {
    const DibView& v = color.View();
    DWORD error;
    auto copy = GdiBitmap::Create(BitmapKind::bkDibSection, v.width, v.height, 32, true, nullptr, 0, error);
    if (!copy) {
        return nullptr;
    }
    const DibView& c = copy->View();
    for (LONG y = 0; y < v.height; ++y) {
        for (LONG x = 0; x < v.width; ++x) {
            const DWORD p = v.Row32(y)[x];
            const DWORD a = p >> 24;
            auto mul = [a](DWORD ch) { return (ch * a + 127) / 255; };
            c.Row32(y)[x] =
                mul(p & 0xFF) | (mul((p >> 8) & 0xFF) << 8) | (mul((p >> 16) & 0xFF) << 16) | (a << 24);
        }
    }
    return copy;
}

namespace {

// A premultiplied copy of a 32-bit image whose alpha is not all zero.
std::shared_ptr<GdiBitmap> PremultipliedCopy(const GdiBitmap& color) {
    const DibView& v = color.View();
    if (v.bitsPerPixel != 32) {
        return nullptr;
    }
    bool anyAlpha = false;
    for (LONG y = 0; y < v.height && !anyAlpha; ++y) {
        for (LONG x = 0; x < v.width && !anyAlpha; ++x) {
            anyAlpha = (v.Row32(y)[x] >> 24) != 0;
        }
    }
    return anyAlpha ? Premultiplied(color) : nullptr;
}

BltSource SourceOfBitmap(const GdiBitmap& bitmap, LONG top, LONG rows) {
    BltSource src;
    src.view = bitmap.View();
    src.isMonoDdb = bitmap.IsMonoDdb();
    src.bounds = RECT{0, top, src.view.width, top + rows};
    return src;
}

} // namespace

std::shared_ptr<GdiIcon> MakeIcon(bool isIcon, DWORD hotspotX, DWORD hotspotY, const GdiBitmap* mask,
                                  const GdiBitmap* color) {
    if (!mask) {
        return nullptr;
    }
    auto icon = std::make_shared<GdiIcon>();
    icon->isIcon = isIcon;
    icon->hotspotX = hotspotX;
    icon->hotspotY = hotspotY;
    icon->mask = mask->Copy();
    if (!icon->mask) {
        return nullptr;
    }
    if (color) {
        icon->color = color->Copy();
        if (!icon->color) {
            return nullptr;
        }
        icon->width = color->Width();
        icon->height = color->Height();
        icon->premultiplied = PremultipliedCopy(*color);
    } else {
        icon->width = mask->Width();
        icon->height = mask->Height() / 2;
        if (icon->height == 0) {
            return nullptr;
        }
    }
    return icon;
}

void DrawIconOn(DeviceContext& dc, const GdiIcon& icon, LONG x, LONG y, LONG w, LONG h, UINT flags) {
    DcState& state = dc.State();
    const COLORREF savedText = state.textColor;
    const COLORREF savedBk = state.bkColor;
    state.textColor = RGB(0, 0, 0);
    state.bkColor = RGB(255, 255, 255);
    const bool both = (flags & DI_NORMAL) == DI_NORMAL;
    const LONG iw = icon.width;
    const LONG ih = icon.height;
    if (both && icon.premultiplied) {
        AlphaBlendCore(dc, x, y, w, h, SourceOfBitmap(*icon.premultiplied, 0, ih), 0, 0, iw, ih,
                       BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
    } else {
        if (flags & DI_MASK) {
            StretchCore(dc, x, y, w, h, SourceOfBitmap(*icon.mask, 0, ih), 0, 0, iw, ih, both ? 0x88 : 0xCC,
                        COLORONCOLOR);
        }
        if (flags & DI_IMAGE) {
            const BYTE rop = both ? 0x66 : 0xCC;
            if (icon.color) {
                StretchCore(dc, x, y, w, h, SourceOfBitmap(*icon.color, 0, ih), 0, 0, iw, ih, rop,
                            COLORONCOLOR);
            } else {
                StretchCore(dc, x, y, w, h, SourceOfBitmap(*icon.mask, ih, ih), 0, ih, iw, ih, rop,
                            COLORONCOLOR);
            }
        }
    }
    state.textColor = savedText;
    state.bkColor = savedBk;
}

} // namespace win::gdi_p

namespace win::direct {

using namespace gdi_p;

namespace {

constexpr LONG DEFAULT_ICON_SIZE = 32; // SM_CXICON, SM_CYICON at 96 dpi

std::shared_ptr<GdiIcon> LookupIcon(HICON handle) {
    auto icon = GdiHandleTable::Instance().LookupAs<GdiIcon>(handle, GdiKind::gkIcon);
    if (!icon) {
        // What user32 reports for a bad icon or cursor.
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    }
    return icon;
}

} // namespace

HICON CreateIconIndirect(const ICONINFO* info) {
    if (!info) {
        return Fail(ERROR_INVALID_PARAMETER, HICON{});
    }
    auto mask = Lookup<GdiBitmap>(info->hbmMask, GdiKind::gkBitmap);
    std::shared_ptr<GdiBitmap> color;
    if (info->hbmColor) {
        color = Lookup<GdiBitmap>(info->hbmColor, GdiKind::gkBitmap);
        if (!color) {
            return nullptr;
        }
    }
    if (!mask) {
        return Fail(ERROR_INVALID_PARAMETER, HICON{});
    }
    auto icon = MakeIcon(info->fIcon != 0, info->xHotspot, info->yHotspot, mask.get(), color.get());
    if (!icon) {
        return Fail(ERROR_INVALID_PARAMETER, HICON{});
    }
    return Register<HICON>(std::move(icon));
}

BOOL DestroyIcon(HICON handle) {
    if (!LookupIcon(handle)) {
        return 0;
    }
    return GdiHandleTable::Instance().Remove(handle) ? 1 : 0;
}

BOOL GetIconInfo(HICON handle, ICONINFO* info) {
    auto icon = LookupIcon(handle);
    if (!icon || !info) {
        return 0;
    }
    // The caller owns (and deletes) new copies of the bitmaps.
    HBITMAP mask = Register<HBITMAP>(icon->mask->Copy());
    HBITMAP color = icon->color ? Register<HBITMAP>(icon->color->Copy()) : nullptr;
    if (!mask || (icon->color && !color)) {
        DeleteObject(mask);
        DeleteObject(color);
        return 0;
    }
    info->fIcon = icon->isIcon ? 1 : 0;
    info->xHotspot = icon->isIcon ? static_cast<DWORD>(icon->width / 2) : icon->hotspotX;
    info->yHotspot = icon->isIcon ? static_cast<DWORD>(icon->height / 2) : icon->hotspotY;
    info->hbmMask = mask;
    info->hbmColor = color;
    return 1;
}

HICON CopyIcon(HICON handle) {
    auto icon = LookupIcon(handle);
    if (!icon) {
        return nullptr;
    }
    auto copy = std::make_shared<GdiIcon>();
    copy->isIcon = icon->isIcon;
    copy->hotspotX = icon->hotspotX;
    copy->hotspotY = icon->hotspotY;
    copy->mask = icon->mask;
    copy->color = icon->color;
    copy->premultiplied = icon->premultiplied;
    copy->width = icon->width;
    copy->height = icon->height;
    return Register<HICON>(std::move(copy));
}

BOOL DrawIconEx(HDC dcHandle, int x, int y, HICON iconHandle, int width, int height, UINT,
                HBRUSH flickerFreeBrush, UINT flags) {
    auto icon = LookupIcon(iconHandle);
    std::shared_ptr<GdiBrush> brush;
    if (flickerFreeBrush) {
        brush = Lookup<GdiBrush>(flickerFreeBrush, GdiKind::gkBrush);
    }
    DcLock dc(dcHandle);
    if (!dc || !icon) {
        return 0;
    }
    if (width < 0 || height < 0) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    if (width == 0) {
        width = (flags & DI_DEFAULTSIZE) ? DEFAULT_ICON_SIZE : icon->width;
    }
    if (height == 0) {
        height = (flags & DI_DEFAULTSIZE) ? DEFAULT_ICON_SIZE : icon->height;
    }
    const RECT d = dc->LogicalToSurface(MakeRect(x, y, LONGLONG{x} + width, LONGLONG{y} + height));
    if (brush) {
        // Drawing over the brush's background in one step.
        raster::FillArea(*dc, d, dc->RealizeBrush(*brush), 0xF0);
    }
    if (flags & DI_NORMAL) {
        DrawIconOn(*dc, *icon, d.left, d.top, d.right - d.left, d.bottom - d.top, flags);
    }
    return 1;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

} // namespace win::direct

#include "platform/win/gdi/GdiBitmap.h"

#include <algorithm>
#include <new>

namespace win {

std::shared_ptr<GdiBitmap> GdiBitmap::Create(BitmapKind kind, LONG width, LONG height, int bitsPerPixel,
                                             bool topDown, const RGBQUAD* colors, int colorCount,
                                             DWORD& error, Rgb16Layout rgb16) {
    error = ERROR_SUCCESS;
    if (width <= 0 || height <= 0 || width > MAX_SIDE || height > MAX_SIDE || !PixelFormatFor(bitsPerPixel)) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    const LONGLONG widthBytes = kind == BitmapKind::bkDibSection
                                    ? DibStride(width, bitsPerPixel)
                                    : ((LONGLONG{width} * bitsPerPixel + 15) / 16) * 2;
    const LONGLONG bytes = widthBytes * height;
    if (bytes > MAX_BYTES) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    std::shared_ptr<GdiBitmap> bitmap(new (std::nothrow) GdiBitmap());
    if (!bitmap) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    // Device rows need 32-bit alignment for the 32-bit primitives as well.
    const LONGLONG storedStride = std::max(widthBytes, DibStride(width, bitsPerPixel));
    bitmap->FStorage.reset(new (std::nothrow) std::uint8_t[static_cast<size_t>(storedStride * height)]());
    if (!bitmap->FStorage) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    bitmap->FKind = kind;
    bitmap->FBufferSize = static_cast<size_t>(storedStride * height);
    bitmap->FWidthBytes = static_cast<LONG>(widthBytes);
    bitmap->FCreatedHeight = topDown ? -height : height;
    bitmap->FView.width = width;
    bitmap->FView.height = height;
    bitmap->FView.bitsPerPixel = bitsPerPixel;
    bitmap->FView.ops = PixelFormatFor(bitsPerPixel);
    bitmap->FView.rgb16 = rgb16;
    bitmap->FView.stride = topDown ? storedStride : -storedStride;
    bitmap->FView.bits =
        topDown ? bitmap->FStorage.get() : bitmap->FStorage.get() + storedStride * (height - 1);
    if (bitsPerPixel <= 8) {
        const int entries = 1 << bitsPerPixel;
        bitmap->FColors.assign(static_cast<size_t>(entries), RGBQUAD{0, 0, 0, 0});
        if (colors && colorCount > 0) {
            std::copy_n(colors, std::min(colorCount, entries), bitmap->FColors.begin());
        } else if (bitsPerPixel == 1) {
            bitmap->FColors[1] = RGBQUAD{255, 255, 255, 0};
        }
    }
    bitmap->BindView();
    return bitmap;
}

std::shared_ptr<GdiBitmap> GdiBitmap::CreateExternal(std::uint8_t* topRow, std::ptrdiff_t stride, LONG width,
                                                     LONG height) {
    std::shared_ptr<GdiBitmap> bitmap(new (std::nothrow) GdiBitmap());
    if (!bitmap || !topRow || width <= 0 || height <= 0) {
        return nullptr;
    }
    bitmap->FKind = BitmapKind::bkExternal;
    bitmap->FWidthBytes = width * 4;
    bitmap->FCreatedHeight = -height;
    bitmap->FView.bits = topRow;
    bitmap->FView.stride = stride;
    bitmap->FView.width = width;
    bitmap->FView.height = height;
    bitmap->FView.bitsPerPixel = 32;
    bitmap->FView.ops = PixelFormatFor(32);
    return bitmap;
}

std::shared_ptr<GdiBitmap> GdiBitmap::Copy() const {
    DWORD error;
    const auto kind = IsMonoDdb() ? BitmapKind::bkDeviceDependent : BitmapKind::bkDibSection;
    auto copy = Create(kind, FView.width, FView.height, FView.bitsPerPixel, true, FView.colors,
                       FView.colorCount, error, FView.rgb16);
    if (copy) {
        const DibView& c = copy->View();
        c.ops->CopyRect(c, c.Bounds(), FView, POINT{0, 0});
    }
    return copy;
}

void GdiBitmap::BindView() {
    FView.colors = FColors.empty() ? nullptr : FColors.data();
    FView.colorCount = static_cast<int>(FColors.size());
}

void GdiBitmap::SetColors(UINT start, UINT count, const RGBQUAD* colors) {
    for (UINT i = 0; i < count && start + i < FColors.size(); ++i) {
        FColors[start + i] = colors[i];
    }
}

std::uint8_t* GdiBitmap::BufferStart() const {
    return FView.stride >= 0 ? FView.bits : FView.bits + FView.stride * (FView.height - 1);
}

void GdiBitmap::FillBitmapInfo(BITMAP& out) const {
    out = BITMAP{};
    out.bmWidth = FView.width;
    out.bmHeight = FView.height;
    out.bmWidthBytes = FWidthBytes;
    out.bmPlanes = 1;
    out.bmBitsPixel = static_cast<WORD>(FView.bitsPerPixel);
    out.bmBits = FKind == BitmapKind::bkDeviceDependent ? nullptr : BufferStart();
}

void GdiBitmap::FillDibSection(DIBSECTION& out) const {
    out = DIBSECTION{};
    FillBitmapInfo(out.dsBm);
    BITMAPINFOHEADER& h = out.dsBmih;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = FView.width;
    h.biHeight = FCreatedHeight;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(FView.bitsPerPixel);
    h.biCompression = Is565() ? BI_BITFIELDS : BI_RGB;
    h.biSizeImage = static_cast<DWORD>(FWidthBytes) * static_cast<DWORD>(FView.height);
    h.biClrUsed = static_cast<DWORD>(FColors.size());
    if (FView.bitsPerPixel == 16) {
        out.dsBitfields[0] = Is565() ? 0xF800 : 0x7C00;
        out.dsBitfields[1] = Is565() ? 0x07E0 : 0x03E0;
        out.dsBitfields[2] = 0x001F;
    } else if (FView.bitsPerPixel == 32) {
        out.dsBitfields[0] = 0x00FF0000;
        out.dsBitfields[1] = 0x0000FF00;
        out.dsBitfields[2] = 0x000000FF;
    }
}

} // namespace win

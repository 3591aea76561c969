// Exports of gdi32 for bitmaps: device-dependent bitmaps, DIB sections and
// the transfer of pixels between bitmaps and caller memory.

#include "platform/win/gdi/DibFormat_p.h"
#include "platform/win/gdi/GdiApi_p.h"
#include "platform/win/gdi/GdiStock.h"
#include "platform/win/gdi/Raster.h"

#include <algorithm>
#include <cstring>

namespace win::direct {

using namespace gdi_p;

namespace {

HBITMAP RegisterBitmap(std::shared_ptr<GdiBitmap> bitmap, DWORD error) {
    if (!bitmap) {
        return Fail(error, HBITMAP{});
    }
    return Register<HBITMAP>(std::move(bitmap));
}

// Copies rows between two views of equal width range with format conversion.
void CopyRows(const DibView& dst, LONG dstY, const DibView& src, LONG srcY, LONG rows, LONG width,
              const TranslateContext& context) {
    ColorTranslator translator(src, dst, context);
    for (LONG i = 0; i < rows; ++i) {
        raster::BltRect(dst, RECT{0, dstY + i, width, dstY + i + 1}, src, POINT{0, srcY + i}, translator,
                        nullptr, 0xCC);
    }
}

} // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (width < 0 || height < 0 || planes != 1 || bitsPerPixel > 32) {
        return Fail(ERROR_INVALID_PARAMETER, HBITMAP{});
    }
    if (width == 0 || height == 0) {
        return GdiStock::Instance().DefaultBitmapHandle();
    }
    const int depth = bitsPerPixel == 1 ? 1 : 32;
    DWORD error;
    auto bitmap =
        GdiBitmap::Create(BitmapKind::bkDeviceDependent, width, height, depth, true, nullptr, 0, error);
    if (bitmap && bits && (bitsPerPixel == 1 || bitsPerPixel == 32)) {
        // Device bitmap rows are padded to 16 bits.
        const DibView& v = bitmap->View();
        const size_t rowBytes = static_cast<size_t>(bitmap->WidthBytes());
        for (LONG y = 0; y < height; ++y) {
            std::memcpy(v.Row(y), static_cast<const std::uint8_t*>(bits) + rowBytes * y, rowBytes);
        }
    }
    return RegisterBitmap(std::move(bitmap), error);
}

HBITMAP CreateCompatibleBitmap(HDC dcHandle, int width, int height) {
    DcLock dc(dcHandle);
    if (!dc) {
        return nullptr;
    }
    if (width < 0 || height < 0) {
        return Fail(ERROR_INVALID_PARAMETER, HBITMAP{});
    }
    if (width == 0 || height == 0) {
        return GdiStock::Instance().DefaultBitmapHandle();
    }
    DWORD error;
    std::shared_ptr<GdiBitmap> bitmap;
    const GdiBitmap* current = dc->IsMemoryDC() ? dc->SurfaceBitmap() : nullptr;
    if (current && current->IsMonoDdb()) {
        // A memory DC that still holds its stock bitmap is monochrome.
        bitmap = GdiBitmap::Create(BitmapKind::bkDeviceDependent, width, height, 1, true, nullptr, 0, error);
    } else if (current && current->IsDibSection()) {
        const DibView& v = current->View();
        bitmap = GdiBitmap::Create(BitmapKind::bkDibSection, width, height, v.bitsPerPixel,
                                   current->TopDown(), v.colors, v.colorCount, error, v.rgb16);
    } else {
        bitmap = GdiBitmap::Create(BitmapKind::bkDeviceDependent, width, height, 32, true, nullptr, 0, error);
    }
    return RegisterBitmap(std::move(bitmap), error);
}

HBITMAP CreateDIBSection(HDC dcHandle, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD) {
    if (bits) {
        *bits = nullptr;
    }
    std::shared_ptr<DeviceContext> dc;
    if (dcHandle) {
        dc = Lookup<DeviceContext>(dcHandle, GdiKind::gkDC);
    }
    std::optional<DibFormat> format;
    if (dc) {
        std::lock_guard lock(dc->Mutex());
        format = ReadDibFormat(info, usage, dc.get());
    } else {
        format = ReadDibFormat(info, usage, nullptr);
    }
    // File-mapping sections are not supported: memory is always our own.
    if (!format || section) {
        return Fail(ERROR_INVALID_PARAMETER, HBITMAP{});
    }
    DWORD error;
    auto bitmap = GdiBitmap::Create(BitmapKind::bkDibSection, format->width, format->height,
                                    format->bitsPerPixel, format->topDown, format->colors.data(),
                                    static_cast<int>(format->colors.size()), error, format->rgb16);
    if (!bitmap) {
        return Fail(error, HBITMAP{});
    }
    void* start = bitmap->BufferStart();
    HBITMAP handle = RegisterBitmap(std::move(bitmap), error);
    if (handle && bits) {
        *bits = start;
    }
    return handle;
}

int SetDIBits(HDC dcHandle, HBITMAP bitmapHandle, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage) {
    auto bitmap = Lookup<GdiBitmap>(bitmapHandle, GdiKind::gkBitmap);
    if (!bitmap) {
        return 0;
    }
    std::shared_ptr<DeviceContext> dc = dcHandle ? Lookup<DeviceContext>(dcHandle, GdiKind::gkDC) : nullptr;
    TranslateContext context;
    std::optional<DibFormat> format;
    if (dc) {
        std::lock_guard lock(dc->Mutex());
        format = ReadDibFormat(info, usage, dc.get());
        context.textColor = dc->State().textColor;
        context.bkColor = dc->State().bkColor;
    } else {
        format = ReadDibFormat(info, usage, nullptr);
    }
    if (!format || !bits || start >= static_cast<UINT>(format->height) || lines == 0) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    const LONG rows = static_cast<LONG>(std::min<UINT>(lines, static_cast<UINT>(format->height) - start));
    const DibView& dst = bitmap->View();
    const DibView src = ViewOverBits(*format, bits, rows);
    context.destIsMonoDdb = bitmap->IsMonoDdb();
    const LONG width = std::min(dst.width, src.width);
    // Scan line `start` counts from the bottom of a bottom-up DIB.
    for (LONG r = 0; r < rows; ++r) {
        const LONG scan = static_cast<LONG>(start) + r;
        const LONG bitmapY = format->topDown ? scan : format->height - 1 - scan;
        const LONG viewY = format->topDown ? r : rows - 1 - r;
        if (bitmapY >= 0 && bitmapY < dst.height) {
            CopyRows(dst, bitmapY, src, viewY, 1, width, context);
        }
    }
    return rows;
}

int GetDIBits(HDC dcHandle, HBITMAP bitmapHandle, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info,
              UINT usage) {
    auto bitmap = Lookup<GdiBitmap>(bitmapHandle, GdiKind::gkBitmap);
    if (!bitmap || !info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    const DibView& src = bitmap->View();
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount == 0) {
        // Describe the bitmap.
        h.biWidth = src.width;
        h.biHeight = bitmap->IsDibSection() && bitmap->TopDown() ? -src.height : src.height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(src.bitsPerPixel);
        h.biCompression = bitmap->Is565() ? BI_BITFIELDS : BI_RGB;
        h.biSizeImage = static_cast<DWORD>(DibStride(src.width, src.bitsPerPixel) * src.height);
        h.biClrUsed = 0;
        h.biClrImportant = 0;
        return src.height;
    }
    std::shared_ptr<DeviceContext> dc = dcHandle ? Lookup<DeviceContext>(dcHandle, GdiKind::gkDC) : nullptr;
    // Fill in the colour table the caller will get, then read the format back.
    if (h.biBitCount <= 8 && usage == DIB_RGB_COLORS && PixelFormatFor(h.biBitCount)) {
        auto table = h.biBitCount == src.bitsPerPixel && src.colors
                         ? std::vector<RGBQUAD>(src.colors, src.colors + src.colorCount)
                         : DefaultColorTable(h.biBitCount);
        std::memcpy(info->bmiColors, table.data(), table.size() * sizeof(RGBQUAD));
        h.biClrUsed = 0;
    }
    if (h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32) &&
        !LayoutOfMasks(BitfieldMasks(info), h.biBitCount)) {
        // Masks we cannot write are replaced by the bitmap's own layout, or
        // by 5-6-5, the usual 16-bit display format.
        WriteBitfieldMasks(info, h.biBitCount, src.bitsPerPixel == 16 ? src.rgb16 : Rgb16Layout::rl565);
    }
    std::optional<DibFormat> format = ReadDibFormat(info, usage, nullptr);
    if (!format) {
        return Fail(ERROR_INVALID_PARAMETER, 0);
    }
    h.biSizeImage = static_cast<DWORD>(format->imageBytes);
    if (!bits) {
        return src.height;
    }
    if (start >= static_cast<UINT>(src.height) || lines == 0) {
        return 0;
    }
    const LONG rows = static_cast<LONG>(std::min<UINT>(lines, static_cast<UINT>(src.height) - start));
    const DibView dst = ViewOverBits(*format, bits, rows);
    TranslateContext context;
    if (dc) {
        std::lock_guard lock(dc->Mutex());
        context.textColor = dc->State().textColor;
        context.bkColor = dc->State().bkColor;
    }
    context.sourceIsMonoDdb = false; // the bitmap's own colours: black and white
    const LONG width = std::min(dst.width, src.width);
    for (LONG r = 0; r < rows; ++r) {
        const LONG scan = static_cast<LONG>(start) + r;
        const LONG bitmapY = format->topDown ? scan : src.height - 1 - scan;
        const LONG viewY = format->topDown ? r : rows - 1 - r;
        CopyRows(dst, viewY, src, bitmapY, 1, width, context);
    }
    return rows;
}

HBITMAP CreateDIBitmap(HDC dcHandle, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
    if (!header) {
        return Fail(ERROR_INVALID_PARAMETER, HBITMAP{});
    }
    const LONG width = header->biWidth;
    const LONG height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    HBITMAP bitmap = dcHandle ? CreateCompatibleBitmap(dcHandle, width, height)
                              : CreateBitmap(width, height, 1, 32, nullptr);
    if (bitmap && (init & CBM_INIT) && bits && info) {
        SetDIBits(dcHandle, bitmap, 0, static_cast<UINT>(height), bits, info, usage);
    }
    return bitmap;
}

UINT GetDIBColorTable(HDC dcHandle, UINT start, UINT count, RGBQUAD* colors) {
    DcLock dc(dcHandle);
    if (!dc || !colors) {
        return 0;
    }
    GdiBitmap* bitmap = dc->SurfaceBitmap();
    if (!bitmap || !bitmap->IsDibSection()) {
        return 0;
    }
    const auto& table = bitmap->Colors();
    UINT copied = 0;
    for (; copied < count && start + copied < table.size(); ++copied) {
        colors[copied] = table[start + copied];
    }
    return copied;
}

UINT SetDIBColorTable(HDC dcHandle, UINT start, UINT count, const RGBQUAD* colors) {
    DcLock dc(dcHandle);
    if (!dc || !colors) {
        return 0;
    }
    GdiBitmap* bitmap = dc->SurfaceBitmap();
    if (!bitmap || !bitmap->IsDibSection() || start >= bitmap->Colors().size()) {
        return 0;
    }
    const UINT copied = std::min<UINT>(count, static_cast<UINT>(bitmap->Colors().size()) - start);
    bitmap->SetColors(start, copied, colors);
    return copied;
}

} // namespace win::direct

namespace win::direct {

using namespace gdi_p;

HBRUSH CreateDIBPatternBrushPt(const void* packedDib, UINT usage) {
    const auto* info = static_cast<const BITMAPINFO*>(packedDib);
    const auto format = ReadDibFormat(info, usage == DIB_PAL_COLORS ? DIB_RGB_COLORS : usage, nullptr);
    if (!format || LONGLONG{format->width} * format->height > MAX_PATTERN_PIXELS) {
        return Fail(ERROR_INVALID_PARAMETER, HBRUSH{});
    }
    // The bits follow the header, the colour masks (inside the larger
    // headers) and the colour table.
    size_t offset = info->bmiHeader.biSize;
    if (info->bmiHeader.biCompression == BI_BITFIELDS && offset == sizeof(BITMAPINFOHEADER)) {
        offset += 3 * sizeof(DWORD);
    }
    offset += format->colors.size() * (usage == DIB_PAL_COLORS ? sizeof(WORD) : sizeof(RGBQUAD));
    const void* bits = static_cast<const std::uint8_t*>(packedDib) + offset;
    DWORD error;
    auto bitmap = GdiBitmap::Create(BitmapKind::bkDibSection, format->width, format->height,
                                    format->bitsPerPixel, true, format->colors.data(),
                                    static_cast<int>(format->colors.size()), error, format->rgb16);
    if (!bitmap) {
        return Fail(error, HBRUSH{});
    }
    const DibView src = ViewOverBits(*format, bits, format->height);
    const DibView& dst = bitmap->View();
    dst.ops->CopyRect(dst, dst.Bounds(), src, POINT{0, 0});
    return Register<HBRUSH>(GdiBrush::Pattern(std::move(bitmap), true));
}

} // namespace win::direct

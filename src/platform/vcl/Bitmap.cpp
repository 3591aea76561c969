#include "platform/vcl/Bitmap.h"

#include "platform/vcl/Bitmap_p.h"
#include "platform/vcl/Canvas.h"
#include "platform/vcl/Colors.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/user/Paint.h"

#include <algorithm>
#include <cstring>

namespace vcl {

RTL_IMPLEMENT_CLASS(TBitmap)

namespace bitmap_p {

int BitsOf(TPixelFormat format) {
    switch (format) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf15bit:
    case pf16bit:
        return 16;
    case pf24bit:
        return 24;
    case pf32bit:
    case pfCustom:
        return 32;
    case pfDevice: {
        win::HDC screen = win::GetDC(nullptr);
        const int bits = win::GetDeviceCaps(screen, win::BITSPIXEL);
        win::ReleaseDC(nullptr, screen);
        return bits > 0 ? bits : 32;
    }
    }
    return 32;
}

TPixelFormat FormatOfBits(int bits) {
    switch (bits) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    case 8:
        return pf8bit;
    case 16:
        return pf15bit;
    case 24:
        return pf24bit;
    case 32:
        return pf32bit;
    default:
        return pfCustom;
    }
}

int StrideOf(int width, int bits) {
    return static_cast<int>(((std::int64_t{width} * bits + 31) & ~std::int64_t{31}) / 8);
}

std::vector<win::RGBQUAD> ColorTableFor(int bits, win::HPALETTE palette) {
    if (bits > 8)
        return {};
    const int count = 1 << bits;
    std::vector<win::RGBQUAD> table(static_cast<std::size_t>(count), win::RGBQUAD{0, 0, 0, 0});
    if (palette) {
        win::PALETTEENTRY entries[256]{};
        const auto got =
            static_cast<int>(win::GetPaletteEntries(palette, 0, static_cast<win::UINT>(count), entries));
        for (int i = 0; i < got; ++i)
            table[static_cast<std::size_t>(i)] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
        return table;
    }
    if (bits == 1) {
        table[1] = {255, 255, 255, 0};
    } else if (bits == 4) {
        static constexpr win::COLORREF Vga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                                  0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                                  0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
        for (int i = 0; i < 16; ++i)
            table[static_cast<std::size_t>(i)] = {win::GetBValue(Vga[i]), win::GetGValue(Vga[i]),
                                                  win::GetRValue(Vga[i]), 0};
    } else {
        int i = 0;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    table[static_cast<std::size_t>(i++)] = {static_cast<win::BYTE>(b * 51),
                                                            static_cast<win::BYTE>(g * 51),
                                                            static_cast<win::BYTE>(r * 51), 0};
        for (int k = 0; i < 256; ++i, ++k) {
            const auto grey = static_cast<win::BYTE>(k * 255 / 39);
            table[static_cast<std::size_t>(i)] = {grey, grey, grey, 0};
        }
    }
    return table;
}

} // namespace bitmap_p

using namespace bitmap_p;

// The canvas of a bitmap: a memory DC made when drawing needs one, with the
// bitmap (and its palette) selected into it.
class TBitmapCanvas : public TCanvas {
    RTL_CLASS(TBitmapCanvas, TCanvas)
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }

    void FreeContext() {
        win::HDC dc = HandleValue();
        if (!dc)
            return;
        SetHandle(nullptr);
        if (FOldBitmap)
            win::SelectObject(dc, FOldBitmap);
        if (FOldPalette)
            win::SelectPalette(dc, FOldPalette, 1);
        win::DeleteDC(dc);
        FOldBitmap = nullptr;
        FOldPalette = nullptr;
    }

protected:
    void CreateHandle() override {
        win::HDC dc = win::CreateCompatibleDC(nullptr);
        if (!dc)
            return;
        if (win::HBITMAP bitmap = FBitmap->Handle())
            FOldBitmap = static_cast<win::HBITMAP>(win::SelectObject(dc, bitmap));
        if (FBitmap->FPalette) {
            FOldPalette = win::SelectPalette(dc, FBitmap->FPalette, 1);
            win::RealizePalette(dc);
        }
        SetHandle(dc);
    }

private:
    TBitmap* FBitmap;
    win::HBITMAP FOldBitmap = nullptr;
    win::HPALETTE FOldPalette = nullptr;
};

RTL_IMPLEMENT_CLASS(TBitmapCanvas)

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) {
    SetSize(width, height);
}

TBitmap::~TBitmap() {
    FreeImage();
    delete FCanvas;
    if (FPalette)
        win::DeleteObject(FPalette);
}

win::HBITMAP TBitmap::NewBitmap(int width, int height, TPixelFormat format, void** bits) const {
    *bits = nullptr;
    if (width <= 0 || height <= 0)
        return nullptr;
    if (format == pfDevice) {
        win::HDC screen = win::GetDC(nullptr);
        win::HBITMAP bitmap = win::CreateCompatibleBitmap(screen, width, height);
        win::ReleaseDC(nullptr, screen);
        return bitmap;
    }
    TBitmapInfo256 info{};
    const int bitCount = BitsOf(format);
    info.bmiHeader.biSize = sizeof(win::BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<win::WORD>(bitCount);
    info.bmiHeader.biCompression = win::BI_RGB;
    const std::vector<win::RGBQUAD> colors = ColorTableFor(bitCount, FPalette);
    info.bmiHeader.biClrUsed = static_cast<win::DWORD>(colors.size());
    std::copy(colors.begin(), colors.end(), info.bmiColors);
    return win::CreateDIBSection(nullptr, reinterpret_cast<const win::BITMAPINFO*>(&info),
                                 win::DIB_RGB_COLORS, bits, nullptr, 0);
}

void TBitmap::ReleaseCanvasDC() {
    if (FCanvas)
        FCanvas->FreeContext();
}

void TBitmap::FreeImage() {
    ReleaseCanvasDC();
    if (FHandle)
        win::DeleteObject(FHandle);
    FHandle = nullptr;
    FBits = nullptr;
    FTopDown = false;
}

void TBitmap::ReplaceImage(int width, int height, TPixelFormat format) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    void* bits = nullptr;
    win::HBITMAP image = NewBitmap(width, height, format, &bits);
    ReleaseCanvasDC();
    if (image && FHandle) {
        win::HDC from = win::CreateCompatibleDC(nullptr);
        win::HDC to = win::CreateCompatibleDC(nullptr);
        win::HGDIOBJ oldFrom = win::SelectObject(from, FHandle);
        win::HGDIOBJ oldTo = win::SelectObject(to, image);
        win::BitBlt(to, 0, 0, std::min(width, FWidth), std::min(height, FHeight), from, 0, 0, win::SRCCOPY);
        win::SelectObject(from, oldFrom);
        win::SelectObject(to, oldTo);
        win::DeleteDC(from);
        win::DeleteDC(to);
    }
    FreeImage();
    FHandle = image;
    FBits = bits;
    FWidth = image ? width : 0;
    FHeight = image ? height : 0;
    FPixelFormat = format;
}

void TBitmap::SetSize(int width, int height) {
    if (width == FWidth && height == FHeight)
        return;
    ReplaceImage(width, height, FPixelFormat);
    Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
    if (value == FPixelFormat)
        return;
    if (Empty())
        FPixelFormat = value;
    else
        ReplaceImage(FWidth, FHeight, value);
    Changed(this);
}

int TBitmap::BitCount() const noexcept {
    return FPixelFormat == pfDevice ? 0 : BitsOf(FPixelFormat);
}

int TBitmap::BytesPerScanLine() const noexcept {
    return StrideOf(FWidth, BitsOf(FPixelFormat));
}

void* TBitmap::ScanLine(int row) {
    if (!FBits || row < 0 || row >= FHeight)
        throw EInvalidGraphicOperation(u"Scan line index out of range");
    win::GdiFlush();
    const int stored = FTopDown ? row : FHeight - 1 - row;
    return static_cast<std::uint8_t*>(FBits) + std::size_t(stored) * std::size_t(BytesPerScanLine());
}

void TBitmap::ConvertAlpha(TAlphaFormat from, TAlphaFormat to) {
    if (FPixelFormat != pf32bit || !FBits)
        return;
    const bool premultiply = from == afDefined && to == afPremultiplied;
    const bool unpremultiply = from == afPremultiplied && to == afDefined;
    if (!premultiply && !unpremultiply)
        return;
    for (int y = 0; y < FHeight; ++y) {
        auto* p = static_cast<std::uint8_t*>(ScanLine(y));
        for (int x = 0; x < FWidth; ++x, p += 4) {
            const unsigned a = p[3];
            for (int c = 0; c < 3; ++c) {
                if (premultiply)
                    p[c] = static_cast<std::uint8_t>((p[c] * a + 127) / 255);
                else if (a != 0)
                    p[c] = static_cast<std::uint8_t>(std::min(255u, (p[c] * 255 + a / 2) / a));
            }
        }
    }
}

void TBitmap::SetAlphaFormat(TAlphaFormat value) {
    if (value == FAlphaFormat)
        return;
    ConvertAlpha(FAlphaFormat, value);
    FAlphaFormat = value;
    Changed(this);
}

TColor TBitmap::TransparentColor() {
    if (Empty())
        return clDefault;
    if (FTransparentMode == tmFixed)
        return FTransparentColor;
    return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor value) {
    if (value == FTransparentColor && FTransparentMode == (value == clDefault ? tmAuto : tmFixed))
        return;
    FTransparentMode = value == clDefault ? tmAuto : tmFixed;
    FTransparentColor = value;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
    if (value == FTransparentMode)
        return;
    SetTransparentColor(value == tmAuto ? clDefault : TransparentColor());
}

bool TBitmap::GetSupportsPartialTransparency() {
    return FPixelFormat == pf32bit && FAlphaFormat != afIgnored;
}

void TBitmap::SetPaletteValue(win::HPALETTE value) {
    if (value == FPalette)
        return;
    ReleaseCanvasDC();
    if (FPalette)
        win::DeleteObject(FPalette);
    FPalette = value;
    const int bitCount = BitCount();
    if (FBits && bitCount > 0 && bitCount <= 8) {
        const std::vector<win::RGBQUAD> colors = ColorTableFor(bitCount, FPalette);
        win::HDC dc = win::CreateCompatibleDC(nullptr);
        win::HGDIOBJ old = win::SelectObject(dc, FHandle);
        win::SetDIBColorTable(dc, 0, static_cast<win::UINT>(colors.size()), colors.data());
        win::SelectObject(dc, old);
        win::DeleteDC(dc);
    }
    SetPaletteModified(true);
    Changed(this);
}

win::HBITMAP TBitmap::Handle() {
    if (!FHandle && !Empty())
        ReplaceImage(FWidth, FHeight, FPixelFormat);
    return FHandle;
}

void TBitmap::SetHandle(win::HBITMAP value) {
    if (value == FHandle)
        return;
    FreeImage();
    FWidth = FHeight = 0;
    if (value) {
        win::DIBSECTION ds{};
        const int size = win::GetObjectW(value, sizeof ds, &ds);
        if (size == static_cast<int>(sizeof(win::DIBSECTION))) {
            FBits = ds.dsBm.bmBits;
            FTopDown = ds.dsBmih.biHeight < 0;
            FPixelFormat = FormatOfBits(ds.dsBmih.biBitCount);
        } else if (size >= static_cast<int>(sizeof(win::BITMAP))) {
            FPixelFormat = pfDevice;
        } else {
            throw EInvalidGraphic(u"Bitmap image is not valid");
        }
        FHandle = value;
        FWidth = ds.dsBm.bmWidth;
        FHeight = ds.dsBm.bmHeight;
    }
    Changed(this);
}

win::HBITMAP TBitmap::ReleaseHandle() {
    ReleaseCanvasDC();
    win::HBITMAP handle = FHandle;
    FHandle = nullptr;
    FBits = nullptr;
    FWidth = FHeight = 0;
    return handle;
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) {
        FCanvas = new TBitmapCanvas(this);
        FCanvas->OnChange = rtl::TNotifyEvent(this, &TBitmap::CanvasChanged);
    }
    return FCanvas;
}

void TBitmap::CanvasChanged(rtl::TObject*) {
    Changed(this);
}

win::HDC TBitmap::SourceDC() {
    TCanvas* canvas = Canvas();
    canvas->RequiredState({csHandleValid});
    return canvas->Handle();
}

void TBitmap::Assign(rtl::TPersistent* source) {
    auto* bitmap = rtl::ObjectCast<TBitmap>(source);
    if (!bitmap) {
        inherited::Assign(source);
        return;
    }
    if (bitmap == this)
        return;
    FreeImage();
    if (FPalette)
        win::DeleteObject(FPalette);
    FPalette = nullptr;
    if (bitmap->FPalette) {
        const std::vector<win::RGBQUAD> colors = ColorTableFor(8, bitmap->FPalette);
        struct {
            win::WORD version;
            win::WORD count;
            win::PALETTEENTRY entries[256];
        } lp{0x300, 256, {}};
        for (std::size_t i = 0; i < colors.size(); ++i)
            lp.entries[i] = {colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
        FPalette = win::CreatePalette(reinterpret_cast<const win::LOGPALETTE*>(&lp));
    }
    FPixelFormat = bitmap->FPixelFormat;
    FWidth = FHeight = 0;
    if (!bitmap->Empty()) {
        void* bits = nullptr;
        win::HBITMAP image = NewBitmap(bitmap->FWidth, bitmap->FHeight, FPixelFormat, &bits);
        if (image) {
            FHandle = image;
            FBits = bits;
            FWidth = bitmap->FWidth;
            FHeight = bitmap->FHeight;
            win::HDC to = win::CreateCompatibleDC(nullptr);
            win::HGDIOBJ old = win::SelectObject(to, image);
            win::BitBlt(to, 0, 0, FWidth, FHeight, bitmap->SourceDC(), 0, 0, win::SRCCOPY);
            win::SelectObject(to, old);
            win::DeleteDC(to);
        }
    }
    FAlphaFormat = bitmap->FAlphaFormat;
    FTransparentMode = bitmap->FTransparentMode;
    FTransparentColor = bitmap->FTransparentColor;
    SetTransparentValue(bitmap->Transparent());
    Changed(this);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) {
    if (Empty() || !canvas)
        return;
    if (FPixelFormat == pf32bit && FAlphaFormat == afDefined) {
        // AlphaBlend wants premultiplied colours: draw a converted copy.
        TBitmap premultiplied;
        premultiplied.Assign(this);
        premultiplied.SetAlphaFormat(afPremultiplied);
        premultiplied.Draw(canvas, rect);
        return;
    }
    win::HDC dst = canvas->Handle();
    win::HDC src = SourceDC();
    if (FPalette) {
        win::SelectPalette(dst, FPalette, 1);
        win::RealizePalette(dst);
    }
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (FPixelFormat == pf32bit && FAlphaFormat == afPremultiplied) {
        const win::BLENDFUNCTION blend{win::AC_SRC_OVER, 0, 255, win::AC_SRC_ALPHA};
        win::AlphaBlend(dst, rect.left, rect.top, w, h, src, 0, 0, FWidth, FHeight, blend);
    } else if (Transparent()) {
        win::TransparentBlt(dst, rect.left, rect.top, w, h, src, 0, 0, FWidth, FHeight,
                            ColorToColorRef(TransparentColor()));
    } else {
        win::StretchBlt(dst, rect.left, rect.top, w, h, src, 0, 0, FWidth, FHeight, canvas->CopyMode());
    }
}

void TBitmap::DrawTransparent(TCanvas* canvas, const TRect& rect, std::uint8_t opacity) {
    if (opacity == 255) {
        Draw(canvas, rect);
        return;
    }
    if (Empty() || !canvas || opacity == 0)
        return;
    if (FPixelFormat == pf32bit && FAlphaFormat == afDefined) {
        TBitmap premultiplied;
        premultiplied.Assign(this);
        premultiplied.SetAlphaFormat(afPremultiplied);
        premultiplied.DrawTransparent(canvas, rect, opacity);
        return;
    }
    win::HDC dst = canvas->Handle();
    const bool perPixel = FPixelFormat == pf32bit && FAlphaFormat == afPremultiplied;
    const win::BLENDFUNCTION blend{win::AC_SRC_OVER, 0, opacity, perPixel ? win::AC_SRC_ALPHA : win::BYTE{0}};
    win::AlphaBlend(dst, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, SourceDC(), 0,
                    0, FWidth, FHeight, blend);
}

} // namespace vcl

#pragma once

// The class library's bitmap: a DIB section (bottom-up, as the class
// library makes them) of a pixel format, or a device bitmap of the screen's
// format for pfDevice; a canvas over a memory DC with the bitmap selected;
// a palette; an alpha format for 32-bit pixels; transparency by one colour.
// Files are Windows bitmaps (BI_RGB).

#include "platform/vcl/Graphic.h"
#include "platform/win/gdi/GdiTypes.h"

#include <vector>

namespace vcl {

class TCanvas;
class TBitmapCanvas;

class TBitmap : public TGraphic {
    RTL_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;

    void Assign(rtl::TPersistent* source) override;
    void Draw(TCanvas* canvas, const TRect& rect) override;
    void DrawTransparent(TCanvas* canvas, const TRect& rect, std::uint8_t opacity) override;
    void SetSize(int width, int height) override;

    void LoadFromStream(rtl::TStream* stream) override;
    void SaveToStream(rtl::TStream* stream) override;

    // The bitmap, created (empty-sized ones included) on request.
    [[nodiscard]] win::HBITMAP Handle();
    // Adopts a bitmap; its size and format become this bitmap's.
    void SetHandle(win::HBITMAP value);
    // Hands the bitmap to the caller, who deletes it.
    [[nodiscard]] win::HBITMAP ReleaseHandle();
    [[nodiscard]] bool HandleAllocated() const noexcept { return FHandle != nullptr; }
    [[nodiscard]] TBitmapHandleType HandleType() const noexcept {
        return FPixelFormat == pfDevice ? bmDDB : bmDIB;
    }

    [[nodiscard]] TCanvas* Canvas();

    [[nodiscard]] TPixelFormat PixelFormat() const noexcept { return FPixelFormat; }
    // Converts the pixels when the bitmap has any.
    void SetPixelFormat(TPixelFormat value);
    [[nodiscard]] TAlphaFormat AlphaFormat() const noexcept { return FAlphaFormat; }
    // Between afDefined and afPremultiplied the 32-bit pixels are converted.
    void SetAlphaFormat(TAlphaFormat value);

    // Automatic: the bottom-left pixel; fixed: the colour set.
    [[nodiscard]] TColor TransparentColor();
    void SetTransparentColor(TColor value);
    [[nodiscard]] TTransparentMode TransparentMode() const noexcept { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode value);

    // Row y (0 = top) of a DIB; raises EInvalidGraphicOperation for a device
    // bitmap or a row out of range.
    [[nodiscard]] void* ScanLine(int row);
    [[nodiscard]] int BytesPerScanLine() const noexcept;
    [[nodiscard]] int BitCount() const noexcept;

protected:
    [[nodiscard]] bool GetEmpty() override { return FWidth == 0 || FHeight == 0; }
    [[nodiscard]] int GetWidth() override { return FWidth; }
    [[nodiscard]] int GetHeight() override { return FHeight; }
    void SetWidthValue(int value) override { SetSize(value, FHeight); }
    void SetHeightValue(int value) override { SetSize(FWidth, value); }
    [[nodiscard]] bool GetSupportsPartialTransparency() override;
    [[nodiscard]] win::HPALETTE GetPalette() override { return FPalette; }
    void SetPaletteValue(win::HPALETTE value) override;

private:
    friend class TBitmapCanvas;

    void CanvasChanged(rtl::TObject* sender);
    // Makes a bitmap of the size and format; zero-filled.
    [[nodiscard]] win::HBITMAP NewBitmap(int width, int height, TPixelFormat format, void** bits) const;
    // Replaces the image, copying what overlaps of the old one.
    void ReplaceImage(int width, int height, TPixelFormat format);
    void FreeImage();
    void ReleaseCanvasDC();
    void ConvertAlpha(TAlphaFormat from, TAlphaFormat to);
    [[nodiscard]] win::HDC SourceDC();

    win::HBITMAP FHandle = nullptr;
    void* FBits = nullptr;
    bool FTopDown = false;
    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FPixelFormat = pfDevice;
    TAlphaFormat FAlphaFormat = afIgnored;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
    win::HPALETTE FPalette = nullptr;
    TBitmapCanvas* FCanvas = nullptr;
};

} // namespace vcl

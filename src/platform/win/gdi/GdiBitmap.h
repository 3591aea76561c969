#pragma once

// A bitmap: a DIB section (any supported depth, top-down or bottom-up, with
// its colour table) or a device-dependent bitmap, which is either monochrome
// or 32 bits per pixel (the format of our screen). A bitmap can also wrap
// pixels owned by someone else, such as a window's surface.

#include "platform/win/gdi/GdiObject.h"
#include "platform/win/gdi/PixelFormat.h"

#include <memory>
#include <vector>

namespace win {

enum class BitmapKind : std::uint8_t { bkDibSection, bkDeviceDependent, bkExternal };

class GdiBitmap : public GdiObject {
public:
    // Largest pixel buffer we allocate for one bitmap; larger requests fail
    // like an allocation failure instead of exhausting memory.
    static constexpr LONGLONG MAX_BYTES = LONGLONG{1} << 30;
    static constexpr LONG MAX_SIDE = 1 << 16;

    // nullptr when the size or depth is refused or memory is short; the
    // reason is in `error` (a last-error code). `rgb16` is the layout of
    // 16-bit pixels.
    static std::shared_ptr<GdiBitmap> Create(BitmapKind kind, LONG width, LONG height, int bitsPerPixel,
                                             bool topDown, const RGBQUAD* colors, int colorCount,
                                             DWORD& error, Rgb16Layout rgb16 = Rgb16Layout::rl555);
    static std::shared_ptr<GdiBitmap> CreateExternal(std::uint8_t* topRow, std::ptrdiff_t stride, LONG width,
                                                     LONG height);

    // A private copy (same format; DIB sections and device bitmaps alike
    // become top-down), or nullptr when memory is short.
    std::shared_ptr<GdiBitmap> Copy() const;

    BitmapKind BitmapType() const { return FKind; }
    bool IsDibSection() const { return FKind == BitmapKind::bkDibSection; }
    // A monochrome device bitmap, whose pixels mean text colour (0) and
    // background colour (1) when copied to a colour device.
    bool IsMonoDdb() const { return FKind == BitmapKind::bkDeviceDependent && FView.bitsPerPixel == 1; }
    LONG Width() const { return FView.width; }
    LONG Height() const { return FView.height; }
    int BitsPerPixel() const { return FView.bitsPerPixel; }
    // 16 bits per pixel in the 5-6-5 layout (made with BI_BITFIELDS).
    bool Is565() const { return FView.bitsPerPixel == 16 && FView.rgb16 == Rgb16Layout::rl565; }
    bool TopDown() const { return FView.stride > 0 || FView.height <= 1; }
    const DibView& View() const { return FView; }
    const std::vector<RGBQUAD>& Colors() const { return FColors; }
    void SetColors(UINT start, UINT count, const RGBQUAD* colors);
    // Bytes of one stored row, as GDI reports it (DIBs pad to 32 bits,
    // device bitmaps to 16 bits).
    LONG WidthBytes() const { return FWidthBytes; }
    // The first byte of the pixel buffer in memory order (the bottom row of
    // a bottom-up DIB).
    std::uint8_t* BufferStart() const;
    size_t BufferSize() const { return FBufferSize; }

    void FillBitmapInfo(BITMAP& out) const;
    void FillDibSection(DIBSECTION& out) const;

private:
    GdiBitmap() : GdiObject(GdiKind::gkBitmap) {}
    void BindView();

    BitmapKind FKind = BitmapKind::bkDeviceDependent;
    std::unique_ptr<std::uint8_t[]> FStorage;
    size_t FBufferSize = 0;
    LONG FWidthBytes = 0;
    LONG FCreatedHeight = 0;
    std::vector<RGBQUAD> FColors;
    DibView FView;
};

} // namespace win

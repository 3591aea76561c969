// Drawing a PNG image onto a DC or into another image by the compositing
// rule: a = Opacity x alpha / 255; colour = f x C + (255 - a) x D (f = a for
// straight alpha, Opacity for premultiplied colours); alpha = union.
//
// FIXME: this is the general path only, with nearest-neighbour sampling:
// the fast paths for opaque unscaled copies and the smoothing filters
// (psfFastSmooth, psfSmooth) are still to come with the image transforms.

#include "platform/vcl/Canvas.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/user/Rect.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunktRNS.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngList.h"

#include <algorithm>
#include <vector>

namespace skin {

namespace {

constexpr unsigned Mul(unsigned a, unsigned b) noexcept {
    return a * b / 255;
}

constexpr unsigned Union(unsigned a, unsigned b) noexcept {
    return 255 - ((255 - a) * (255 - b) + 127) / 255;
}

constexpr std::uint8_t Grey(const std::uint8_t* bgr) noexcept {
    return static_cast<std::uint8_t>((bgr[2] * 77 + bgr[1] * 151 + bgr[0] * 28) >> 8);
}

unsigned Sample(const std::uint8_t* row, int x, int bitCount) {
    if (bitCount == 8)
        return row[x];
    const int perByte = 8 / bitCount;
    return (row[x / perByte] >> (8 - bitCount * (x % perByte + 1))) & ((1u << bitCount) - 1);
}

// One source row as BGRA: colour as stored, alpha from the alpha channel,
// the palette's tRNS values or the key colour (0 where the key matches).
class TRowReader {
public:
    TRowReader(TPngImage* image, TChunkIHDR* header) : FImage(image), FHeader(header) {
        FWidth = static_cast<int>(header->Width());
        FRow.resize(std::size_t(FWidth) * 4);
        if (const auto* trns = image->Chunks()->Find<TChunktRNS>()) {
            FPaletteAlpha = trns->PaletteValues.data();
            FBitKey = image->TransparencyMode() == ptmBit && header->ColorType() != COLOR_PALETTE;
            FKey = static_cast<std::uint32_t>(image->TransparentColor()) & 0xFFFFFF;
        }
    }

    const std::uint8_t* Read(int y) {
        const std::uint8_t* row = static_cast<const std::uint8_t*>(FImage->Scanline(y));
        const std::uint8_t* alpha =
            FHeader->ImageAlpha ? FHeader->ImageAlpha + std::size_t(y) * FWidth : nullptr;
        const int bits = FHeader->BitCount();
        const win::RGBQUAD* colors = FHeader->BitmapInfo.bmiColors;
        const bool palette = FHeader->ColorType() == COLOR_PALETTE;
        for (int x = 0; x < FWidth; ++x) {
            std::uint8_t* out = &FRow[std::size_t(x) * 4];
            if (bits >= 24) {
                const std::uint8_t* p = row + std::size_t(x) * (bits / 8);
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
                out[3] = bits == 32 ? p[3] : (alpha ? alpha[x] : 255);
            } else {
                const unsigned index = Sample(row, x, bits);
                out[0] = colors[index].rgbBlue;
                out[1] = colors[index].rgbGreen;
                out[2] = colors[index].rgbRed;
                out[3] = alpha ? alpha[x] : (palette && FPaletteAlpha ? FPaletteAlpha[index] : 255);
            }
            if (FBitKey && win::RGB(out[2], out[1], out[0]) == FKey)
                out[3] = 0;
        }
        return FRow.data();
    }

private:
    TPngImage* FImage;
    TChunkIHDR* FHeader;
    int FWidth = 0;
    std::vector<std::uint8_t> FRow;
    const std::uint8_t* FPaletteAlpha = nullptr;
    bool FBitKey = false;
    std::uint32_t FKey = 0;
};

struct TTarget {
    std::uint8_t* Bits; // 32-bit BGRA rows
    std::size_t Stride;
    int Width;
    int Height;
};

struct TPlacement {
    int DstX, DstY, DstW, DstH, SrcX, SrcY, SrcW, SrcH;
};

void Composite(TRowReader& reader, const TTarget& target, const TPlacement& p, const vcl::TRect& clip,
               std::uint8_t opacity, bool gray, bool premultiplied) {
    int lastRow = -1;
    const std::uint8_t* src = nullptr;
    for (int y = clip.top; y < clip.bottom; ++y) {
        const int sy = p.SrcY + static_cast<int>(std::int64_t{p.SrcH} * (y - p.DstY) / p.DstH);
        if (sy != lastRow) {
            src = reader.Read(sy);
            lastRow = sy;
        }
        std::uint8_t* d = target.Bits + std::size_t(y) * target.Stride;
        for (int x = clip.left; x < clip.right; ++x) {
            const int sx = p.SrcX + static_cast<int>(std::int64_t{p.SrcW} * (x - p.DstX) / p.DstW);
            const std::uint8_t* s = src + std::size_t(sx) * 4;
            std::uint8_t* o = d + std::size_t(x) * 4;
            const unsigned a = Mul(opacity, s[3]);
            if (a == 0)
                continue;
            std::uint8_t c[3] = {s[0], s[1], s[2]};
            if (gray)
                c[0] = c[1] = c[2] = Grey(s);
            if (a == 255 && s[3] == 255) {
                o[0] = c[0];
                o[1] = c[1];
                o[2] = c[2];
                o[3] = 255;
                continue;
            }
            const unsigned f = premultiplied ? opacity : a;
            for (int k = 0; k < 3; ++k)
                o[k] = static_cast<std::uint8_t>(Mul(f, c[k]) + Mul(255 - a, o[k]));
            o[3] = static_cast<std::uint8_t>(Union(o[3], a));
        }
    }
}

} // namespace

void TPngImage::Draw(vcl::TCanvas* ACanvas, const vcl::TRect& Rect) {
    if (Empty())
        return;
    DrawRect(ACanvas, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, 0, 0, Width(),
             Height(), FAlphaBlendValue, FGrayMode, psfDefault, nullptr);
}

void TPngImage::DrawTransparent(vcl::TCanvas* ACanvas, const vcl::TRect& Rect, std::uint8_t Opacity) {
    if (Empty())
        return;
    DrawRect(ACanvas, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, 0, 0, Width(),
             Height(), static_cast<int>(Mul(Opacity, FAlphaBlendValue)), FGrayMode, psfDefault, nullptr);
}

void TPngImage::DrawRect(vcl::TCanvas* DstCanvas, int DstX, int DstY, int DstW, int DstH, int SrcX, int SrcY,
                         int SrcW, int SrcH, int Alpha, bool Gray, TPngSmoothFilter Smooth,
                         TPngImage* DstPng) {
    win::HDC dc = DstCanvas ? DstCanvas->Handle() : nullptr;
    DrawRect(dc, DstX, DstY, DstW, DstH, SrcX, SrcY, SrcW, SrcH,
             static_cast<std::uint8_t>(std::clamp(Alpha, 0, 255)), Gray, Smooth, DstPng);
    if (DstCanvas)
        DstCanvas->Changed();
}

void TPngImage::DrawRect(win::HDC DstDC, int DstX, int DstY, int DstW, int DstH, int SrcX, int SrcY, int SrcW,
                         int SrcH, std::uint8_t Alpha, bool Gray, TPngSmoothFilter, TPngImage* DstPng) {
    if (Empty() || Alpha == 0 || DstW <= 0 || DstH <= 0 || SrcW <= 0 || SrcH <= 0)
        return;
    FHeader->CheckExpand();
    if (!FHeader->ImageData)
        return;
    // The source rectangle must lie inside the image.
    if (SrcX < 0 || SrcY < 0 || SrcX + SrcW > Width() || SrcY + SrcH > Height())
        return;
    const TPlacement placement{DstX, DstY, DstW, DstH, SrcX, SrcY, SrcW, SrcH};
    const bool premultiplied = AlphaMode.load(std::memory_order_acquire) == pamPremultiplied;
    TRowReader reader(this, FHeader);
    const vcl::TRect wanted = vcl::Rect(DstX, DstY, DstX + DstW, DstY + DstH);
    if (DstPng) {
        DstPng->UniquePng();
        TChunkIHDR* dst = DstPng->FHeader;
        if (!dst || dst->BitCount() != 32 || !dst->ImageData || DstPng == this)
            return;
        vcl::TRect clip{};
        const vcl::TRect bounds = vcl::Rect(0, 0, DstPng->Width(), DstPng->Height());
        if (!win::IntersectRect(&clip, &wanted, &bounds))
            return;
        Composite(reader,
                  {dst->ImageData, std::size_t(DstPng->FBytesPerRow), DstPng->Width(), DstPng->Height()},
                  placement, clip, Alpha, Gray, premultiplied);
        return;
    }
    if (!DstDC || !win::RectVisible(DstDC, &wanted))
        return;
    vcl::TRect box{};
    vcl::TRect clip{};
    if (win::GetClipBox(DstDC, &box) == win::ERROR || !win::IntersectRect(&clip, &wanted, &box))
        return;
    const int cw = clip.right - clip.left;
    const int ch = clip.bottom - clip.top;
    TPngImage* scratch = CreateBlank(COLOR_RGBALPHA, 8, cw, ch, true, true, true);
    try {
        win::HDC scratchDC = scratch->FHeader->ImageDC;
        win::BitBlt(scratchDC, 0, 0, cw, ch, DstDC, clip.left, clip.top, win::SRCCOPY);
        TPlacement shifted = placement;
        shifted.DstX -= clip.left;
        shifted.DstY -= clip.top;
        Composite(reader, {scratch->FHeader->ImageData, std::size_t(scratch->FBytesPerRow), cw, ch}, shifted,
                  vcl::Rect(0, 0, cw, ch), Alpha, Gray, premultiplied);
        win::BitBlt(DstDC, clip.left, clip.top, cw, ch, scratchDC, 0, 0, win::SRCCOPY);
    } catch (...) {
        scratch->Free();
        throw;
    }
    scratch->Free();
}

} // namespace skin

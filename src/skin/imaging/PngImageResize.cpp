// Changing an image's size without scaling, which also gives an image its
// own copy of shared pixels.

#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngImageDataList.h"

#include <algorithm>
#include <cstring>

namespace skin {

namespace {

// Copies width pixels of bitCount bits from column sx of src to column dx of dst.
void CopyPixels(std::uint8_t* dst, int dx, const std::uint8_t* src, int sx, int width, int bitCount) {
    if (bitCount >= 8) {
        const int bytes = bitCount / 8;
        std::memcpy(dst + std::size_t(dx) * bytes, src + std::size_t(sx) * bytes, std::size_t(width) * bytes);
        return;
    }
    const int perByte = 8 / bitCount;
    const unsigned mask = (1u << bitCount) - 1;
    for (int i = 0; i < width; ++i) {
        const int from = sx + i;
        const int to = dx + i;
        const unsigned v = (src[from / perByte] >> (8 - bitCount * (from % perByte + 1))) & mask;
        const int shift = 8 - bitCount * (to % perByte + 1);
        std::uint8_t& b = dst[to / perByte];
        b = static_cast<std::uint8_t>((b & ~(mask << shift)) | (v << shift));
    }
}

} // namespace

void TPngImage::Resize(int CX, int CY, std::uint8_t newAlpha, bool forceMemImage, int offX, int offY) {
    if (CX < 0 || CY < 0)
        RaiseError<EPNGInvalidNewSize>(u"The new size provided for image resizing is invalid.");
    TChunkIHDR* header = FHeader;
    if (!header)
        return;
    header->CheckExpand();
    if (CX == 0 || CY == 0)
        CX = CY = 0;
    (void)TPngImageDataList::Instance().TryUnLink(header);
    TChunkIHDR::TStore old = header->DetachStore();
    const int bitCount = old.BitCount ? old.BitCount : header->BitCount();
    header->IHDRData.Width = static_cast<std::uint32_t>(CX);
    header->IHDRData.Height = static_cast<std::uint32_t>(CY);
    header->BitmapInfo.bmiHeader.biWidth = CX;
    header->BitmapInfo.bmiHeader.biHeight = -CY;
    header->BitmapInfo.bmiHeader.biBitCount = static_cast<win::WORD>(bitCount);
    FBytesPerRow = static_cast<std::int32_t>(PngBytesPerRow(bitCount, static_cast<std::uint32_t>(CX)));
    if (CX > 0) {
        header->AttachBuffers();
        if (!(old.ImageDC && !forceMemImage && header->AttachDC(nullptr)))
            header->AttachMemory();
    }
    if (header->ImageAlpha)
        std::memset(header->ImageAlpha, newAlpha, std::size_t(CX) * std::size_t(CY));
    // New (x, y) shows old (x + offX, y + offY) where that exists.
    const int x0 = std::max(0, -offX);
    const int x1 = std::min(CX, static_cast<int>(old.Width) - offX);
    if (header->ImageData && old.ImageData && x1 > x0) {
        for (int y = std::max(0, -offY); y < CY && y + offY < static_cast<int>(old.Height); ++y) {
            const std::size_t sy = std::size_t(y + offY);
            CopyPixels(header->ImageData + std::size_t(y) * FBytesPerRow, x0,
                       old.ImageData + sy * std::size_t(old.BytesPerRow), x0 + offX, x1 - x0, bitCount);
            if (header->ImageAlpha && old.ImageAlpha)
                std::memcpy(header->ImageAlpha + std::size_t(y) * CX + x0,
                            old.ImageAlpha + sy * old.Width + x0 + offX, std::size_t(x1 - x0));
            if (header->ExtraImageData && old.ExtraImageData)
                CopyPixels(header->ExtraImageData + std::size_t(y) * FBytesPerRow, x0,
                           old.ExtraImageData + sy * std::size_t(old.BytesPerRow), x0 + offX, x1 - x0,
                           bitCount);
        }
    }
    header->ReleaseStore(old);
    Changed(this);
}

} // namespace skin

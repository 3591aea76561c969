#include "skin/imaging/PngChunkPLTE.h"

#include "platform/win/gdi/Gdi.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngImage.h"

#include <algorithm>

namespace skin {

RTL_IMPLEMENT_CLASS(TChunkPLTE)

void TChunkPLTE::Assign(TChunk* Source) {
    auto* source = rtl::ObjectCast<TChunkPLTE>(Source);
    if (!source)
        TPngImage::RaiseError<EPngError>(u"The chunks must be compatible to be assigned.");
    TChunk::Assign(Source);
    fCount = source->fCount;
}

bool TChunkPLTE::LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) {
    if (!TChunk::LoadFromStream(Stream, ChunkName, Size))
        return false;
    fCount = static_cast<int>(std::min<std::uint32_t>(fDataSize / 3, 256));
    ApplyToHeader();
    return true;
}

void TChunkPLTE::ApplyToHeader() const {
    TChunkIHDR* header = Header();
    // Only a palette image reads its colours from the bitmap header; a grey
    // image keeps its ramp there, which a stray PLTE chunk must not replace.
    if (!header || header->ColorType() != COLOR_PALETTE)
        return;
    const auto& gamma = fOwner->GammaTable;
    for (int i = 0; i < fCount; ++i) {
        const std::uint8_t* rgb = fData.data() + 3 * i;
        header->BitmapInfo.bmiColors[i] = {gamma[rgb[2]], gamma[rgb[1]], gamma[rgb[0]], 0};
    }
}

win::RGBQUAD TChunkPLTE::GetPaletteItem(int Index) const {
    TChunkIHDR* header = Header();
    if (Index < 0 || Index >= fCount || !header)
        TPngImage::RaiseError<EPngError>(u"There is no such palette entry.");
    return header->BitmapInfo.bmiColors[Index];
}

bool TChunkPLTE::SaveToStream(rtl::TStream* Stream) {
    TChunkIHDR* header = Header();
    if (!header)
        return SaveData(Stream);
    int count = fCount > 0 ? fCount : static_cast<int>(header->BitmapInfo.bmiHeader.biClrUsed);
    count = std::clamp(count, 0, 256);
    win::RGBQUAD colors[256]{};
    std::copy_n(header->BitmapInfo.bmiColors, count, colors);
    if (header->ImagePalette) {
        win::PALETTEENTRY entries[256]{};
        const auto got = static_cast<int>(
            win::GetPaletteEntries(header->ImagePalette, 0, static_cast<win::UINT>(count), entries));
        for (int i = 0; i < got; ++i)
            colors[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    }
    const auto& inverse = fOwner->InverseGamma;
    ResizeData(static_cast<std::uint32_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        fData[3 * i] = inverse[colors[i].rgbRed];
        fData[3 * i + 1] = inverse[colors[i].rgbGreen];
        fData[3 * i + 2] = inverse[colors[i].rgbBlue];
    }
    fCount = count;
    return SaveData(Stream);
}

} // namespace skin

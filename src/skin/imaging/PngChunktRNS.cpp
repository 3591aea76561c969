#include "skin/imaging/PngChunktRNS.h"

#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunkPLTE.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngList.h"

#include <algorithm>
#include <cstring>

namespace skin {

RTL_IMPLEMENT_CLASS(TChunktRNS)

namespace {

constexpr vcl::TColor NoTransparentColor = vcl::TColorOf(0xFF000000);

vcl::TColor ColorOf(const win::RGBQUAD& q) {
    return static_cast<vcl::TColor>(win::RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
}

} // namespace

TChunktRNS::TChunktRNS(TPngImage* Owner) : TChunk(Owner) {
    PaletteValues.fill(255);
    if (TChunkIHDR* header = Header(); header && !header->ChunkTRNS)
        header->ChunkTRNS = this;
}

TChunktRNS::~TChunktRNS() {
    if (TChunkIHDR* header = Header(); header && header->ChunkTRNS == this)
        header->ChunkTRNS = nullptr;
}

void TChunktRNS::Assign(TChunk* Source) {
    auto* source = rtl::ObjectCast<TChunktRNS>(Source);
    if (!source)
        return;
    TChunk::Assign(Source);
    PaletteValues = source->PaletteValues;
    fBitTransparency = source->fBitTransparency;
}

void TChunktRNS::UpdateBitTransparency() {
    TChunkIHDR* header = Header();
    if (header && header->ColorType() == COLOR_PALETTE)
        fBitTransparency = std::count_if(PaletteValues.begin(), PaletteValues.begin() + fDataSize,
                                         [](std::uint8_t v) { return v != 255; }) == 1;
    else
        fBitTransparency = true;
}

bool TChunktRNS::LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) {
    if (!TChunk::LoadFromStream(Stream, ChunkName, Size))
        return false;
    if (fDataSize > 256) {
        fData.resize(257);
        fData[256] = 0;
        fDataSize = 256;
    }
    PaletteValues.fill(255);
    std::memcpy(PaletteValues.data(), fData.data(), fDataSize);
    UpdateBitTransparency();
    return true;
}

vcl::TColor TChunktRNS::TransparentColor() const {
    TChunkIHDR* header = Header();
    if (!header)
        return NoTransparentColor;
    const auto& gamma = fOwner->GammaTable;
    switch (header->ColorType()) {
    case COLOR_GRAYSCALE: {
        const int count = header->BitDepth() >= 8 ? 256 : 1 << header->BitDepth();
        return fDataSize >= 2
                   ? ColorOf(header->BitmapInfo.bmiColors[std::min<int>(PaletteValues[1], count - 1)])
                   : NoTransparentColor;
    }
    case COLOR_RGB:
        return fDataSize >= 6
                   ? static_cast<vcl::TColor>(
                         win::RGB(gamma[PaletteValues[1]], gamma[PaletteValues[3]], gamma[PaletteValues[5]]))
                   : NoTransparentColor;
    case COLOR_PALETTE:
        for (std::uint32_t i = 0; i < fDataSize; ++i)
            if (PaletteValues[i] == 0)
                return ColorOf(header->BitmapInfo.bmiColors[i]);
        return NoTransparentColor;
    default:
        return NoTransparentColor;
    }
}

void TChunktRNS::SetTransparentColor(vcl::TColor Value) {
    TChunkIHDR* header = Header();
    if (!header)
        return;
    PaletteValues.fill(0);
    fBitTransparency = true;
    const auto color = static_cast<win::COLORREF>(Value);
    switch (header->ColorType()) {
    case COLOR_GRAYSCALE:
        ResizeData(2);
        PaletteValues[1] = win::GetRValue(color);
        break;
    case COLOR_RGB:
        ResizeData(6);
        PaletteValues[1] = win::GetRValue(color);
        PaletteValues[3] = win::GetGValue(color);
        PaletteValues[5] = win::GetBValue(color);
        break;
    case COLOR_PALETTE: {
        const auto* plte = fOwner->Chunks()->Find<TChunkPLTE>();
        const int count = plte && plte->Count() > 0
                              ? plte->Count()
                              : static_cast<int>(header->BitmapInfo.bmiHeader.biClrUsed);
        ResizeData(static_cast<std::uint32_t>(count));
        for (int i = 0; i < count; ++i)
            PaletteValues[i] =
                (ColorOf(header->BitmapInfo.bmiColors[i]) & 0xFFFFFF) == (Value & 0xFFFFFF) ? 0 : 255;
        break;
    }
    default:
        return;
    }
    std::memcpy(fData.data(), PaletteValues.data(), fDataSize);
}

bool TChunktRNS::SaveToStream(rtl::TStream* Stream) {
    std::memcpy(fData.data(), PaletteValues.data(), std::min<std::uint32_t>(fDataSize, 256));
    // A 2-bit grey key is written for the 4-bit samples the image data gets.
    TChunkIHDR* header = Header();
    if (header && header->ColorType() == COLOR_GRAYSCALE && header->BitDepth() == 2 && fDataSize >= 2)
        fData[1] = static_cast<std::uint8_t>((PaletteValues[1] & 3) * 5);
    return SaveData(Stream);
}

} // namespace skin

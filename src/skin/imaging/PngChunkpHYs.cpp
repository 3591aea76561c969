#include "skin/imaging/PngChunkpHYs.h"

namespace skin {

RTL_IMPLEMENT_CLASS(TChunkpHYs)

void TChunkpHYs::Assign(TChunk* Source) {
    auto* source = rtl::ObjectCast<TChunkpHYs>(Source);
    if (!source)
        return;
    TChunk::Assign(Source);
    fPPUnitX = source->fPPUnitX;
    fPPUnitY = source->fPPUnitY;
    fUnit = source->fUnit;
}

bool TChunkpHYs::LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) {
    if (!TChunk::LoadFromStream(Stream, ChunkName, Size))
        return false;
    if (fDataSize == 9) {
        fPPUnitX = PngLoadBE32(fData.data());
        fPPUnitY = PngLoadBE32(fData.data() + 4);
        fUnit = fData[8] == 1 ? utMeter : utUnknown;
    }
    return true;
}

bool TChunkpHYs::SaveToStream(rtl::TStream* Stream) {
    ResizeData(9);
    PngStoreBE32(fData.data(), fPPUnitX);
    PngStoreBE32(fData.data() + 4, fPPUnitY);
    fData[8] = static_cast<std::uint8_t>(fUnit);
    return SaveData(Stream);
}

} // namespace skin

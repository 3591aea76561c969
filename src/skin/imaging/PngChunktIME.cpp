#include "skin/imaging/PngChunktIME.h"

namespace skin {

RTL_IMPLEMENT_CLASS(TChunktIME)

void TChunktIME::Assign(TChunk* Source) {
    auto* source = rtl::ObjectCast<TChunktIME>(Source);
    if (!source)
        return;
    TChunk::Assign(Source);
    fYear = source->fYear;
    fMonth = source->fMonth;
    fDay = source->fDay;
    fHour = source->fHour;
    fMinute = source->fMinute;
    fSecond = source->fSecond;
}

bool TChunktIME::LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) {
    if (!TChunk::LoadFromStream(Stream, ChunkName, Size))
        return false;
    fYear = 0;
    fMonth = fDay = fHour = fMinute = fSecond = 0;
    if (fDataSize == 7) {
        fYear = static_cast<std::uint16_t>(fData[0] << 8 | fData[1]);
        fMonth = fData[2];
        fDay = fData[3];
        fHour = fData[4];
        fMinute = fData[5];
        fSecond = fData[6];
    }
    return true;
}

bool TChunktIME::SaveToStream(rtl::TStream* Stream) {
    ResizeData(7);
    fData[0] = static_cast<std::uint8_t>(fYear >> 8);
    fData[1] = static_cast<std::uint8_t>(fYear);
    fData[2] = fMonth;
    fData[3] = fDay;
    fData[4] = fHour;
    fData[5] = fMinute;
    fData[6] = fSecond;
    return SaveData(Stream);
}

} // namespace skin

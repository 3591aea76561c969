#include "skin/imaging/PngChunkgAMA.h"

#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunkPLTE.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngList.h"

namespace skin {

RTL_IMPLEMENT_CLASS(TChunkgAMA)

TChunkgAMA::TChunkgAMA(TPngImage* Owner) : TChunk(Owner) {
    ResizeData(4);
    PngStoreBE32(fData.data(), 1);
}

std::uint32_t TChunkgAMA::Gamma() const noexcept {
    return fDataSize >= 4 ? PngLoadBE32(fData.data()) : 0;
}

void TChunkgAMA::SetGamma(std::uint32_t Value) {
    ResizeData(4);
    PngStoreBE32(fData.data(), Value);
    ApplyGamma();
}

void TChunkgAMA::ApplyGamma() const {
    if (!fOwner)
        return;
    fOwner->SetGammaTables(Gamma());
    if (TChunkIHDR* header = Header()) {
        header->UpdateGreyRamp();
        if (auto* plte = fOwner->Chunks()->Find<TChunkPLTE>())
            plte->ApplyToHeader();
    }
}

void TChunkgAMA::Assign(TChunk* Source) {
    if (!rtl::ObjectCast<TChunkgAMA>(Source))
        TPngImage::RaiseError<EPngError>(u"The chunks must be compatible to be assigned.");
    TChunk::Assign(Source);
    ApplyGamma();
}

bool TChunkgAMA::LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) {
    if (!TChunk::LoadFromStream(Stream, ChunkName, Size))
        return false;
    ApplyGamma();
    return true;
}

} // namespace skin

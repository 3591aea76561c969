#pragma once

// The image data chunk. Loading from a file defers decoding: the bytes of
// the first IDAT chunk through the CRC of the last one that directly follows
// are kept in the shared pixel-data list, equal data once, and decoded when
// the pixels are first needed. Saving an image whose data were never decoded
// writes those bytes unchanged; otherwise the pixels are encoded.

#include "platform/rtl/MemoryStream.h"
#include "skin/imaging/PngChunk.h"

namespace skin {

class TChunkIDAT : public TChunk {
    RTL_CLASS(TChunkIDAT, TChunk)
public:
    explicit TChunkIDAT(TPngImage* Owner);
    ~TChunkIDAT() override;

    void Assign(TChunk* Source) override;
    // From the file (a non-zero type): keeps the data for later. With a
    // zero type: decodes Stream (the kept data) into the header's store.
    bool LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) override;
    bool SaveToStream(rtl::TStream* Stream) override;

    // Decodes kept data (as stored by loading) into the header's store;
    // false when the store has no pixel buffer or decoding failed.
    bool DecodeStream(rtl::TMemoryStream* Stream, std::uint32_t FirstSize);

    TChunkIHDR* HeaderLink = nullptr;
    // Data length of the first IDAT chunk.
    std::uint32_t FirstIDATSize = 0;

private:
    [[nodiscard]] bool SaveKeptData(rtl::TStream* Stream);
    [[nodiscard]] bool SaveEncoded(rtl::TStream* Stream);
};

} // namespace skin

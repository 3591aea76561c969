#pragma once

// The last-modification time chunk.

#include "skin/imaging/PngChunk.h"

namespace skin {

class TChunktIME : public TChunk {
    RTL_CLASS(TChunktIME, TChunk)
public:
    using TChunk::TChunk;

    void Assign(TChunk* Source) override;
    // The fields are read only from exactly 7 bytes; zero otherwise.
    bool LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) override;
    bool SaveToStream(rtl::TStream* Stream) override;

    std::uint16_t fYear = 0;
    std::uint8_t fMonth = 0;
    std::uint8_t fDay = 0;
    std::uint8_t fHour = 0;
    std::uint8_t fMinute = 0;
    std::uint8_t fSecond = 0;
};

} // namespace skin

#pragma once

// The gamma chunk: its value (times 100,000) builds the image's gamma
// tables, and the grey ramp or palette is refreshed through them.

#include "skin/imaging/PngChunk.h"

namespace skin {

class TChunkgAMA : public TChunk {
    RTL_CLASS(TChunkgAMA, TChunk)
public:
    // A new chunk holds the value 1.
    explicit TChunkgAMA(TPngImage* Owner);

    void Assign(TChunk* Source) override;
    bool LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) override;

    [[nodiscard]] std::uint32_t Gamma() const noexcept;
    // Stores the value and rebuilds the tables.
    void SetGamma(std::uint32_t Value);
    // Rebuilds the owner's gamma tables and refreshes its colour table.
    void ApplyGamma() const;
};

} // namespace skin

#pragma once

// The physical pixel dimensions chunk.

#include "skin/imaging/PngChunk.h"

namespace skin {

class TChunkpHYs : public TChunk {
    RTL_CLASS(TChunkpHYs, TChunk)
public:
    using TChunk::TChunk;

    void Assign(TChunk* Source) override;
    // The fields are read only from exactly 9 bytes.
    bool LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) override;
    // Always 9 bytes.
    bool SaveToStream(rtl::TStream* Stream) override;

    [[nodiscard]] std::uint32_t PPUnitX() const noexcept { return fPPUnitX; }
    [[nodiscard]] std::uint32_t PPUnitY() const noexcept { return fPPUnitY; }
    [[nodiscard]] TUnitType Unit() const noexcept { return fUnit; }
    void SetPPUnitX(std::uint32_t Value) noexcept { fPPUnitX = Value; }
    void SetPPUnitY(std::uint32_t Value) noexcept { fPPUnitY = Value; }
    void SetUnit(TUnitType Value) noexcept { fUnit = Value; }

private:
    std::uint32_t fPPUnitX = 0;
    std::uint32_t fPPUnitY = 0;
    TUnitType fUnit = utUnknown;
};

} // namespace skin

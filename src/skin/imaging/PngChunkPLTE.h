#pragma once

// The palette chunk: its entries (at most 256) go through the gamma table
// into the colour table of the image's bitmap header.

#include "skin/imaging/PngChunk.h"

namespace skin {

class TChunkPLTE : public TChunk {
    RTL_CLASS(TChunkPLTE, TChunk)
public:
    using TChunk::TChunk;

    void Assign(TChunk* Source) override;
    bool LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) override;
    bool SaveToStream(rtl::TStream* Stream) override;

    [[nodiscard]] int Count() const noexcept { return fCount; }
    // The number of entries written (from the bitmap header) on saving.
    void SetCount(int Value) noexcept { fCount = Value; }
    // Raises EPngError "There is no such palette entry." beyond the count.
    [[nodiscard]] win::RGBQUAD GetPaletteItem(int Index) const;
    // Copies the entries through the gamma table into the bitmap header.
    void ApplyToHeader() const;

private:
    int fCount = 0;
};

} // namespace skin

#pragma once

// The transparency chunk: one alpha value per palette entry, or the key
// colour of a grey or RGB image.

#include "platform/vcl/GraphicsTypes.h"
#include "skin/imaging/PngChunk.h"

#include <array>

namespace skin {

class TChunktRNS : public TChunk {
    RTL_CLASS(TChunktRNS, TChunk)
public:
    explicit TChunktRNS(TPngImage* Owner);
    ~TChunktRNS() override;

    void Assign(TChunk* Source) override;
    bool LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) override;
    bool SaveToStream(rtl::TStream* Stream) override;

    [[nodiscard]] bool BitTransparency() const noexcept { return fBitTransparency; }
    // The key colour ($FF000000 when there is none).
    [[nodiscard]] vcl::TColor TransparentColor() const;
    // Takes an already resolved colour.
    void SetTransparentColor(vcl::TColor Value);

    std::array<std::uint8_t, 256> PaletteValues{};

private:
    void UpdateBitTransparency();

    bool fBitTransparency = false;
};

} // namespace skin

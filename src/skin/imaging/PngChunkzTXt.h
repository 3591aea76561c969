#pragma once

// The compressed text chunk: as tEXt, with the text deflated in the file
// and kept inflated in memory.

#include "skin/imaging/PngChunktEXt.h"

namespace skin {

class TChunkzTXt : public TChunktEXt {
    RTL_CLASS(TChunkzTXt, TChunktEXt)
public:
    using TChunktEXt::TChunktEXt;

    // Inflated text beyond this many bytes is refused (the text stays empty).
    static constexpr std::size_t MaxTextBytes = 8u << 20;

    bool LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) override;
    // An empty text is saved as a single space.
    bool SaveToStream(rtl::TStream* Stream) override;
};

} // namespace skin

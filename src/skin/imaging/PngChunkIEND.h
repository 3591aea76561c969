#pragma once

// The end chunk: no data.

#include "skin/imaging/PngChunk.h"

namespace skin {

class TChunkIEND : public TChunk {
    RTL_CLASS(TChunkIEND, TChunk)
public:
    using TChunk::TChunk;
};

} // namespace skin

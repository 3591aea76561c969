#pragma once

// The process-wide list of shared pixel data, sorted by key (CRC-64/XZ of
// the undecoded image data, or of the bitmap information block and the
// pixels). Every operation takes the list's monitor lock; counts change
// atomically.

#include "platform/rtl/List.h"
#include "platform/rtl/MemoryStream.h"
#include "skin/imaging/PngImageData.h"

#include <cstdint>

namespace skin {

class TChunkIHDR;

class TPngImageDataList : public rtl::TList {
    RTL_CLASS(TPngImageDataList, rtl::TList)
public:
    [[nodiscard]] static TPngImageDataList& Instance();

    // The item for undecoded data (key over the stream) decoded for Layout:
    // an existing one (PngStream is then freed) or a new one that takes the
    // stream. Its count goes up by one.
    [[nodiscard]] TPngImageData* Add(rtl::TMemoryStream* PngStream, std::uint64_t Layout);
    // Sharing on assignment: the header's item (count + 1), or the item of
    // its pixels, found or made from its buffers (count + 2: the header and
    // the destination). None when the header has no pixels.
    [[nodiscard]] TPngImageData* Use(TChunkIHDR* Header);
    [[nodiscard]] TPngImageData* Use(TPngImageData*& Item);
    // Takes the item out of the variable and drops one count; the last one
    // frees it. Raises EPNGOutMemory for an item whose count is already 0.
    void Release(TPngImageData*& Item);
    // A holder wants to change its pixels: true when it held them alone (it
    // keeps the buffers, the item goes) or shared nothing.
    [[nodiscard]] bool TryUnLink(TChunkIHDR* Header);
    // The sum of all counts.
    [[nodiscard]] int UsedCounter() const;

    // The stream key and the pixel key.
    [[nodiscard]] static std::uint64_t StreamKey(const rtl::TMemoryStream* PngStream);
    [[nodiscard]] static std::uint64_t PixelKey(TChunkIHDR* Header);
    // What the pixels of a deferred stream depend on besides its bytes.
    [[nodiscard]] static std::uint64_t StreamLayout(TChunkIHDR* Header);

private:
    TPngImageDataList() = default;

    [[nodiscard]] TPngImageData* Find(std::uint64_t CRC, std::uint64_t Layout) const;
    void Insert(TPngImageData* Item);
    [[nodiscard]] TPngImageData* Item(int Index) const { return static_cast<TPngImageData*>(Items(Index)); }
};

} // namespace skin

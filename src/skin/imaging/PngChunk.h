#pragma once

// The chunks of a PNG image: one object per chunk, in file order, each
// loading and saving its own data. A chunk type without a class of its own
// is kept as a plain TChunk whose data are written back unchanged.

#include "platform/rtl/Object.h"
#include "platform/rtl/Stream.h"
#include "skin/imaging/PngImageTypes.h"

#include <cstdint>
#include <vector>

namespace skin {

class TPngImage;
class TChunkIHDR;

class TChunk : public rtl::TObject {
    RTL_CLASS(TChunk, rtl::TObject)
public:
    explicit TChunk(TPngImage* Owner);
    ~TChunk() override;

    // The chunk type of a class: the four characters that follow "TChunk"
    // in its name; zero bytes for a name shorter than seven characters.
    [[nodiscard]] static TChunkName GetName(rtl::TClass ChunkClass);

    // Copies the name and the data.
    virtual void Assign(TChunk* Source);
    // Called with the stream at the chunk data, after length and type were
    // read: reads the data and the CRC; true when the CRC matches.
    virtual bool LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size);
    // Writes the whole chunk.
    virtual bool SaveToStream(rtl::TStream* Stream);

    void ResizeData(std::uint32_t NewSize);
    // Big-endian length, type, data and big-endian CRC.
    bool SaveData(rtl::TStream* Stream);

    // Position in the owner's list, -1 when absent.
    [[nodiscard]] int Index() const;
    [[nodiscard]] TChunkIHDR* Header() const;
    [[nodiscard]] std::uint8_t* Data() noexcept { return fData.data(); }
    [[nodiscard]] const std::uint8_t* Data() const noexcept { return fData.data(); }
    [[nodiscard]] std::uint32_t DataSize() const noexcept { return fDataSize; }
    [[nodiscard]] TPngImage* Owner() const noexcept { return fOwner; }
    [[nodiscard]] rtl::String Name() const;
    [[nodiscard]] const TChunkName& ChunkName() const noexcept { return fName; }
    void SetChunkName(const TChunkName& Name) noexcept { fName = Name; }

protected:
    // Always one byte longer than fDataSize.
    std::vector<std::uint8_t> fData = std::vector<std::uint8_t>(1);
    std::uint32_t fDataSize = 0;
    TPngImage* fOwner;
    TChunkName fName;
};

using TChunkClass = rtl::TClass;

// The registered class of a chunk type (plain TChunk when unknown).
[[nodiscard]] TChunkClass FindChunkClass(const TChunkName& Name);
// A chunk of a class, owned by the image, named after its class; the class
// must be TChunk or one of the ten chunk classes.
[[nodiscard]] TChunk* CreateChunk(TChunkClass ChunkClass, TPngImage* Owner);

// Big-endian helpers of the chunk codec.
[[nodiscard]] inline std::uint32_t PngLoadBE32(const std::uint8_t* p) noexcept {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
inline void PngStoreBE32(std::uint8_t* p, std::uint32_t v) noexcept {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

} // namespace skin

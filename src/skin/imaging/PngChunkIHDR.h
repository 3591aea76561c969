#pragma once

// The header chunk, which also owns the image's pixel store: a DIB-shaped
// pixel buffer (top-down rows padded to 4 bytes) in plain memory or as the
// bits of a DIB section selected into a memory DC, an unpadded alpha plane,
// the low bytes of 16-bit samples, and the bitmap information block that
// describes them. Buffers may be shared with equal images through the
// shared pixel-data list; a shared buffer is never written.

#include "skin/imaging/PngChunk.h"

namespace skin {

class TChunkIDAT;
class TChunktRNS;
class TPngImageData;

// How PrepareImageData lays out and allocates the store.
enum TPngPrepareFlag { ppfReset, ppfAllocate, ppfNeedDC, ppfNeed32Bit };
using TPngPrepareFlags = rtl::TSet<TPngPrepareFlag>;

class TChunkIHDR : public TChunk {
    RTL_CLASS(TChunkIHDR, TChunk)
public:
    // Becomes the owner's header; the owner's bytes per row become 0.
    explicit TChunkIHDR(TPngImage* Owner);
    // Releases the store, detaches the IDAT chunk and, when it is the
    // owner's header, clears the owner's header and bytes per row.
    ~TChunkIHDR() override;

    // Copies the header and shares or copies the pixels (see TPngImage::Assign).
    void Assign(TChunk* Source) override;
    bool LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) override;
    bool SaveToStream(rtl::TStream* Stream) override;

    // --- the store
    // Reset: release the store and lay it out anew from IHDRData (colour
    // table included). Allocate: attach the alpha plane, low-byte buffer and
    // pixel buffer (shared, adopted or new and zeroed); NeedDC puts the
    // pixels into a DIB section selected into a memory DC; Need32Bit stores
    // colour type 6 as BGRA.
    void PrepareImageData(TPngPrepareFlags Flags);
    // Releases everything the store holds (shared parts are dropped, not freed).
    void FreeImageData();
    // Decodes deferred pixels, once for every image that shares them.
    void CheckExpand();
    // Gives the image's canvas a DC over a DIB of the pixels; false when the
    // DIB cannot be made.
    bool CreateCanvasDC();
    // The codec's view of the store.
    [[nodiscard]] TPngPixelStore PixelStore();
    [[nodiscard]] TPngImageHeader ImageHeader() const noexcept;
    // True when the pixels are (or will be, once decoded) shared.
    [[nodiscard]] bool IsShared() const noexcept { return ShareImageData != nullptr; }
    // Deferred pixels that nobody decoded yet.
    [[nodiscard]] bool IsDeferred() const noexcept;

    [[nodiscard]] win::HPALETTE GetPalette();
    void SetPalette(win::HPALETTE Palette);
    // Refreshes the grey ramp of grey images from the owner's gamma table.
    void UpdateGreyRamp();

    [[nodiscard]] int BytesPerRow() const noexcept;
    [[nodiscard]] int BitCount() const noexcept { return BitmapInfo.bmiHeader.biBitCount; }
    [[nodiscard]] win::HBITMAP ImageHandleValue() const noexcept { return ImageHandle; }
    [[nodiscard]] std::uint32_t Width() const noexcept { return IHDRData.Width; }
    [[nodiscard]] std::uint32_t Height() const noexcept { return IHDRData.Height; }
    [[nodiscard]] std::uint8_t BitDepth() const noexcept { return IHDRData.BitDepth; }
    [[nodiscard]] std::uint8_t ColorType() const noexcept { return IHDRData.ColorType; }
    [[nodiscard]] std::uint8_t CompressionMethod() const noexcept { return IHDRData.CompressionMethod; }
    [[nodiscard]] std::uint8_t FilterMethod() const noexcept { return IHDRData.FilterMethod; }
    [[nodiscard]] std::uint8_t InterlaceMethod() const noexcept { return IHDRData.InterlaceMethod; }

    // The storage, in declaration order of the design.
    win::HBITMAP ImageHandle_free = nullptr; // selected into the DC before ours
    win::HBITMAP ImageHandle = nullptr;      // the DIB section or device bitmap
    win::HDC ImageDC = nullptr;
    std::uint32_t ImageDC_ThreadID = 0;
    win::HPALETTE ImagePalette = nullptr;
    bool HasPalette = false;
    TMaxBitmapInfo BitmapInfo{};
    std::uint8_t* ExtraImageData = nullptr; // low bytes of 16-bit samples
    bool MemImageData = true;               // false: the pixels are the DIB's bits
    std::uint8_t* ImageData = nullptr;
    std::int64_t ImageData_Size = -1;
    std::uint8_t* ImageData_Cache = nullptr; // a released memory buffer kept for reuse
    std::int64_t ImageData_CacheSize = -1;
    std::uint8_t* ImageAlpha = nullptr;
    std::uint8_t* AssignImageAlpha = nullptr; // handed over, adopted at the next preparation
    TPngImageData* ShareImageData = nullptr;
    TIHDRData IHDRData;
    bool DCHashed = false;                // the DC is in the alpha-DC registry
    bool ContinueLoadStream32Bit = false; // decode straight into 32-bit storage
    TChunkIDAT* ChunkIDAT = nullptr;
    TChunktRNS* ChunkTRNS = nullptr;

private:
    friend class TPngImage;

    // A store taken out of the header, released when done with.
    struct TStore {
        win::HBITMAP ImageHandle_free = nullptr;
        win::HBITMAP ImageHandle = nullptr;
        win::HDC ImageDC = nullptr;
        bool DCHashed = false;
        bool MemImageData = true;
        std::uint8_t* ImageData = nullptr;
        std::uint8_t* ImageAlpha = nullptr;
        std::uint8_t* ExtraImageData = nullptr;
        std::uint8_t* AssignImageAlpha = nullptr;
        TPngImageData* ShareImageData = nullptr;
        int BitCount = 0;
        int BytesPerRow = 0;
        std::uint32_t Width = 0;
        std::uint32_t Height = 0;
    };

    [[nodiscard]] TStore DetachStore();
    void ReleaseStore(TStore& Store);
    void ValidateHeader() const;
    void LayOut(bool Need32Bit);
    void AttachBuffers();
    [[nodiscard]] bool AttachDC(const TStore* CopyFrom);
    void CopySharedPixels(std::uint8_t* Bits, bool Promoted) const;
    void AttachMemory();
    void SetCanvasHandle(win::HDC DC);
    [[nodiscard]] TPngImageData* UseSharedFrom(TChunkIHDR* Source);
    void CopyPixelsFrom(TChunkIHDR* Source);
};

// A zero-filled block for pixel data; raises EOutOfMemory with ", Size=%d,
// W=%d, H=%d" appended when it is too large or memory runs out.
[[nodiscard]] std::uint8_t* PngAllocPixels(std::int64_t Size, std::uint32_t Width, std::uint32_t Height);
void PngFreePixels(std::uint8_t* Block) noexcept;

} // namespace skin

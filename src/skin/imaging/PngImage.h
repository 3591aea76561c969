#pragma once

// The system's PNG picture. Pixels are stored DIB-shaped (top-down rows
// padded to 4 bytes; 24-bit BGR with a separate alpha plane, or 32-bit BGRA;
// 16-bit samples split into a high-byte and a low-byte buffer; gamma
// applied), optionally behind a memory DC so that GDI can draw into them.
// Images loaded from streams keep their image data undecoded until the
// pixels are first needed, and equal data is decoded once and shared.
// The object is reference counted: AddRef adds an owner, and every Free
// drops one; the last Free destroys it. Free it, never delete it.

#include "platform/rtl/Resources.h"
#include "skin/imaging/PngExceptions.h"
#include "skin/imaging/RdGraphic.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace skin {

class TChunk;
class TChunkIHDR;
class TChunkpHYs;
class TChunktEXt;
class TChunkzTXt;
class TPNGList;
class TPngImageCanvas;

class TPngImage : public TRdGraphic {
    RTL_CLASS(TPngImage, TRdGraphic)
public:
    TPngImage();
    ~TPngImage() override;

    // --- reference counting
    // Drops one owner; the last one destroys the image.
    void Free() override;
    // Only for images of exactly this class (EPngError otherwise). With
    // SaveDCByFirst, the first such call on an image whose canvas has a DC
    // saves the DC's state, which comes back when the count returns.
    int AddRef(bool SaveDCByFirst = false);
    // Drops one owner without ever destroying.
    int ReleaseRef();
    [[nodiscard]] int RefCount() const noexcept;

    // --- graphic
    void Assign(rtl::TPersistent* Source) override;
    void AssignTo(rtl::TPersistent* Dest) override;
    void Draw(vcl::TCanvas* ACanvas, const vcl::TRect& Rect) override;
    void DrawTransparent(vcl::TCanvas* ACanvas, const vcl::TRect& Rect, std::uint8_t Opacity) override;
    void SetSize(int AWidth, int AHeight) override;
    void LoadFromStream(rtl::TStream* Stream) override;
    void SaveToStream(rtl::TStream* Stream) override;
    void LoadFromResourceName(rtl::HINST Instance, const rtl::String& Name);
    void LoadFromResourceID(rtl::HINST Instance, int ResID);

    // --- pixels
    [[nodiscard]] std::uint8_t* GetAlphaScanline(int LineIndex) override;
    [[nodiscard]] void* GetScanline(int LineIndex) override;
    [[nodiscard]] std::uint8_t* GetExtraScanline(int LineIndex);
    [[nodiscard]] void* Scanline(int Index) { return GetScanline(Index); }
    [[nodiscard]] std::uint8_t* AlphaScanline(int Index) { return GetAlphaScanline(Index); }
    [[nodiscard]] std::uint8_t* ExtraScanline(int Index) { return GetExtraScanline(Index); }
    [[nodiscard]] vcl::TColor GetPixels(int X, int Y) override;
    void SetPixels(int X, int Y, vcl::TColor Value) override;
    [[nodiscard]] vcl::TColor Pixels(int X, int Y) { return GetPixels(X, Y); }

    void DrawRect(vcl::TCanvas* DstCanvas, int DstX, int DstY, int DstW, int DstH, int SrcX, int SrcY,
                  int SrcW, int SrcH, int Alpha, bool Gray, TPngSmoothFilter Smooth,
                  TPngImage* DstPng) override;
    void DrawRect(win::HDC DstDC, int DstX, int DstY, int DstW, int DstH, int SrcX, int SrcY, int SrcW,
                  int SrcH, std::uint8_t Alpha, bool Gray, TPngSmoothFilter Smooth, TPngImage* DstPng);

    // --- properties
    // Raises EPNGHeaderNotPresent when there is none.
    [[nodiscard]] TChunkIHDR* Header() const;
    [[nodiscard]] TChunkIHDR* HeaderOrNull() const noexcept { return FHeader; }
    [[nodiscard]] int BytesPerRow() const noexcept { return FBytesPerRow; }
    [[nodiscard]] TPNGTransparencyMode TransparencyMode() const;
    [[nodiscard]] vcl::TColor TransparentColor() const;
    void SetTransparentColor(vcl::TColor Value);
    // True stores pamPremultiplied, False pamDefined; the pixels stay.
    void SetAlphaPreMultiplied(bool Value) noexcept;
    [[nodiscard]] std::uint8_t AlphaBlendValue() const noexcept { return FAlphaBlendValue; }
    void SetAlphaBlendValue(std::uint8_t Value);
    [[nodiscard]] bool GrayMode() const noexcept { return FGrayMode; }
    void SetGrayMode(bool Value);
    [[nodiscard]] TPngSmoothFilter SmoothFilter() const noexcept { return FSmoothFilter; }
    void SetSmoothFilter(TPngSmoothFilter Value);
    [[nodiscard]] TInterlaceMethod InterlaceMethod() const noexcept { return fInterlaceMethod; }
    void SetInterlaceMethod(TInterlaceMethod Value) noexcept { fInterlaceMethod = Value; }
    [[nodiscard]] TFilters Filters() const noexcept { return fFilters; }
    void SetFilters(TFilters Value) noexcept { fFilters = Value; }
    [[nodiscard]] std::int32_t MaxIdatSize() const noexcept { return fMaxIdatSize; }
    // Values below 65,535 become 65,535.
    void SetMaxIdatSize(std::int32_t Value) noexcept;
    [[nodiscard]] TCompressionLevel CompressionLevel() const noexcept { return fCompressionLevel; }
    void SetCompressionLevel(TCompressionLevel Value) noexcept;
    [[nodiscard]] TPNGList* Chunks() const noexcept { return fChunkList; }
    // The pHYs chunk, created on first read with unit utMeter.
    [[nodiscard]] TChunkpHYs* PixelInformation();
    [[nodiscard]] bool HasPixelInformation() const;
    // Made on first use: most images of a form are only ever drawn from,
    // never into. A DC the pixels already live in becomes its handle.
    [[nodiscard]] TPngImageCanvas* Canvas() const;
    [[nodiscard]] static rtl::String Version() { return rtl::String(PngVersion); }
    [[nodiscard]] const rtl::String& DataStr() const noexcept { return FDataStr; }
    void SetDataStr(const rtl::String& Value) { FDataStr = Value; }
    [[nodiscard]] void* DataPtr() const noexcept { return FDataPtr; }
    void SetDataPtr(void* Value) noexcept { FDataPtr = Value; }
    [[nodiscard]] std::int64_t DataInt() const noexcept { return FDataInt; }
    void SetDataInt(std::int64_t Value) noexcept { FDataInt = Value; }

    // --- text chunks
    TChunktEXt* AddtEXt(const rtl::String& Keyword, const rtl::String& Text, bool JumpExists);
    TChunkzTXt* AddzTXt(const rtl::String& Keyword, const rtl::String& Text, bool JumpExists);

    // --- building and copying
    // Builds the image from a GDI bitmap; Alpha is an alpha format (2 = premultiplied).
    void AssignHandle(win::HBITMAP Handle, bool Transparent, vcl::TColor TransparentColor,
                      win::HPALETTE Palette, int Alpha, int ForceBit);
    // Assigns Src with its pixels copied, never shared.
    void ClonePng(TPngImage* Src);
    // Gives the image its own copy of shared pixels.
    void UniquePng();
    // Changes the size without scaling: new (0, 0) shows old (offX, offY);
    // uncovered pixels are zero and uncovered alpha-plane entries newAlpha.
    void Resize(int CX, int CY, std::uint8_t newAlpha, bool forceMemImage, int offX, int offY);
    // Empties the image, then builds an image of zero pixels (see CreateBlank).
    void MakeBlank(std::uint8_t ColorType, std::uint8_t Bitdepth, int cx, int cy, bool NeedDC, bool NeedIf32);
    // A blank image; on the main thread with UseCache, one of the eight
    // cached scratch images (larger than asked) or a new one put there.
    [[nodiscard]] static TPngImage* CreateBlank(std::uint8_t ColorType, std::uint8_t Bitdepth, int cx, int cy,
                                                bool NeedDC, bool UseCache, bool NeedIf32);
    // Empties the scratch slots (unit shutdown; main thread only). Images
    // still lent out stay alive with their borrowers.
    static void FreeScratchCache();
    // Enters dc in the registry of DCs declared 32-bit.
    static void MakeDC32(win::HDC dc, void* obj);
    [[nodiscard]] static bool IsDC32(win::HDC dc);

    // Raises E with the version, a space and the text.
    template <typename E>
    [[noreturn]] static void RaiseError(std::u16string_view Text) {
        PngRaiseError<E>(Text);
    }

    // Drops every chunk, resets both gamma tables and the header.
    void ClearChunks();
    // Builds both gamma tables from a gAMA value (0: identity).
    void SetGammaTables(std::uint32_t Gamma) noexcept;

    std::array<std::uint8_t, 256> InverseGamma{};
    std::array<std::uint8_t, 256> GammaTable{};
    std::atomic<TPngAlphaMode> AlphaMode{pamDefined};
    bool AllowShareSelf = true;
    // Set while MakeBlank builds the image: the chunk-order rules are lifted.
    bool BeingCreated = false;

protected:
    [[nodiscard]] bool GetEmpty() override;
    [[nodiscard]] int GetWidth() override;
    [[nodiscard]] int GetHeight() override;
    void SetWidthValue(int Value) override;
    void SetHeightValue(int Value) override;
    [[nodiscard]] bool GetTransparent() override;
    [[nodiscard]] bool GetSupportsPartialTransparency() override;
    [[nodiscard]] win::HPALETTE GetPalette() override;
    void SetPaletteValue(win::HPALETTE Value) override;

private:
    friend class TChunkIHDR;
    friend class TPngImageCanvas;
    friend class TChunktEXt;

    void RestoreSavedDC();
    [[nodiscard]] win::HDC CanvasDC() const noexcept;
    void EnsureRdPngChunk();
    void AssignPng(TPngImage* Source);
    void AssignBitmapTo(rtl::TPersistent* Dest);
    void CanvasDestroyed(TPngImageCanvas* Canvas);
    void ResetScratchState();
    [[nodiscard]] bool EnsurePixels() const;
    [[nodiscard]] static TPngImage* TakeFromScratchCache(std::uint8_t ColorType, std::uint8_t Bitdepth,
                                                         int cx, int cy);

    mutable TPngImageCanvas* fCanvas = nullptr;
    TFilters fFilters{pfSub};
    TCompressionLevel fCompressionLevel = 1;
    std::int32_t fMaxIdatSize = 65535;
    TInterlaceMethod fInterlaceMethod = imNone;
    TPNGList* fChunkList = nullptr;
    std::uint8_t FAlphaBlendValue = 255;
    TPngSmoothFilter FSmoothFilter = psfDefault;
    std::int32_t FRefCount = 1;
    std::int64_t FDataInt = 0;
    rtl::String FDataStr;
    void* FDataPtr = nullptr;
    bool FGrayMode = false;
    std::int32_t FBytesPerRow = 0;
    std::int32_t RefSaveDC = 0;
    std::int32_t RefSaveDC_Index = 0;
    TChunkIHDR* FHeader = nullptr;
    bool FDestroying = false;
};

} // namespace skin

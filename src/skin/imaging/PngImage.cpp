#include "skin/imaging/PngImage.h"

#include "platform/rtl/Atomic.h"
#include "platform/rtl/StringUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Brush.h"
#include "platform/vcl/Canvas.h"
#include "platform/vcl/Colors.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/kernel/LastError.h"
#include "skin/imaging/PngChunkIDAT.h"
#include "skin/imaging/PngChunkIEND.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunkPLTE.h"
#include "skin/imaging/PngChunkpHYs.h"
#include "skin/imaging/PngChunktEXt.h"
#include "skin/imaging/PngChunktRNS.h"
#include "skin/imaging/PngChunkzTXt.h"
#include "skin/imaging/PngDCRegistry.h"
#include "skin/imaging/PngGamma.h"
#include "skin/imaging/PngImageCanvas.h"
#include "skin/imaging/PngImageDataList.h"
#include "skin/imaging/PngList.h"

#include <cstring>
#include <memory>

namespace skin {

RTL_IMPLEMENT_CLASS(TPngImage)

namespace {

constexpr vcl::TColor NoTransparentColor = vcl::TColorOf(0xFF000000);

unsigned PackedSample(const std::uint8_t* row, int x, int bitCount) {
    if (bitCount == 8)
        return row[x];
    const int perByte = 8 / bitCount;
    const int shift = 8 - bitCount * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1u << bitCount) - 1);
}

void PutPackedSample(std::uint8_t* row, int x, int bitCount, unsigned value) {
    if (bitCount == 8) {
        row[x] = static_cast<std::uint8_t>(value);
        return;
    }
    const int perByte = 8 / bitCount;
    const int shift = 8 - bitCount * (x % perByte + 1);
    const unsigned mask = ((1u << bitCount) - 1) << shift;
    std::uint8_t& b = row[x / perByte];
    b = static_cast<std::uint8_t>((b & ~mask) | ((value << shift) & mask));
}

vcl::TColor RgbOf(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<vcl::TColor>(win::RGB(r, g, b));
}

} // namespace

TPngImage::TPngImage() {
    SetGammaTables(0);
    fChunkList = new TPNGList(this);
    // Room for the chunks of a plain image, so that loading one does not regrow the list.
    fChunkList->SetCapacity(8);
}

TPngImageCanvas* TPngImage::Canvas() const {
    if (!fCanvas) {
        auto* self = const_cast<TPngImage*>(this);
        fCanvas = new TPngImageCanvas(self);
        if (FHeader && FHeader->ImageDC && !FHeader->MemImageData)
            fCanvas->SetHandle(FHeader->ImageDC);
    }
    return fCanvas;
}

TPngImage::~TPngImage() {
    FDestroying = true;
    try {
        fChunkList->FreeAll();
    } catch (...) {
        // Releasing shared data cannot fail here in a way a destructor could report.
    }
    delete fCanvas;
    fCanvas = nullptr;
    delete fChunkList;
}

// --- reference counting

int TPngImage::RefCount() const noexcept {
    return std::atomic_ref(const_cast<std::int32_t&>(FRefCount)).load();
}

// The canvas's handle; a canvas not made yet would take the DC the pixels live in.
win::HDC TPngImage::CanvasDC() const noexcept {
    if (fCanvas && fCanvas->HandleAllocated())
        return fCanvas->HandleValue();
    return FHeader && !FHeader->MemImageData ? FHeader->ImageDC : nullptr;
}

void TPngImage::RestoreSavedDC() {
    if (RefSaveDC == 0)
        return;
    const int saved = RefSaveDC;
    RefSaveDC = 0;
    win::HDC dc = CanvasDC();
    if (!dc && FHeader)
        dc = FHeader->ImageDC;
    if (!dc)
        return;
    win::RestoreDC(dc, saved);
    if (fCanvas)
        fCanvas->HandleStateChanged();
}

void TPngImage::Free() {
    const std::int32_t count = rtl::AtomicDecrement(FRefCount);
    if (count > 0) {
        if (RefSaveDC != 0 && count == RefSaveDC_Index)
            RestoreSavedDC();
        return;
    }
    RestoreSavedDC();
    inherited::Free();
}

int TPngImage::AddRef(bool SaveDCByFirst) {
    if (ClassType() != TPngImage::StaticClass())
        RaiseError<EPngError>(u"only support TPngimage! ");
    const std::int32_t count = rtl::AtomicIncrement(FRefCount);
    if (win::HDC dc = SaveDCByFirst && RefSaveDC == 0 ? CanvasDC() : nullptr) {
        const int saved = win::SaveDC(dc);
        if (saved != 0) {
            RefSaveDC = saved;
            RefSaveDC_Index = count - 1;
        } else if (const win::DWORD type = win::GetObjectType(dc); type != win::OBJ_MEMDC) {
            RaiseError<EPngError>(u"Invalid DC(" + rtl::IntToStr(type) + u"): " +
                                  rtl::SysErrorMessage(static_cast<int>(win::GetLastError())));
        }
    }
    return count;
}

int TPngImage::ReleaseRef() {
    if (ClassType() != TPngImage::StaticClass())
        RaiseError<EPngError>(u"only support TPngimage! ");
    return rtl::AtomicDecrement(FRefCount);
}

// --- chunks and header

TChunkIHDR* TPngImage::Header() const {
    if (!FHeader)
        RaiseError<EPNGHeaderNotPresent>(
            u"This operation is not valid because the current image contains no valid header.");
    return FHeader;
}

void TPngImage::SetGammaTables(std::uint32_t Gamma) noexcept {
    PngBuildGammaTables(Gamma, GammaTable.data(), InverseGamma.data());
}

void TPngImage::ClearChunks() {
    fChunkList->FreeAll();
    SetGammaTables(0);
    FHeader = nullptr;
    FBytesPerRow = 0;
}

bool TPngImage::EnsurePixels() const {
    if (!FHeader)
        return false;
    FHeader->CheckExpand();
    return true;
}

// --- size and transparency

bool TPngImage::GetEmpty() {
    return !FHeader || FHeader->Width() == 0 || FHeader->Height() == 0;
}

int TPngImage::GetWidth() {
    return FHeader ? static_cast<int>(FHeader->Width()) : 0;
}

int TPngImage::GetHeight() {
    return FHeader ? static_cast<int>(FHeader->Height()) : 0;
}

void TPngImage::SetWidthValue(int Value) {
    SetSize(Value, Height());
}

void TPngImage::SetHeightValue(int Value) {
    SetSize(Width(), Value);
}

void TPngImage::SetSize(int AWidth, int AHeight) {
    if (AWidth != Width() || AHeight != Height())
        Resize(AWidth, AHeight, 255, false, 0, 0);
}

TPNGTransparencyMode TPngImage::TransparencyMode() const {
    if (!FHeader)
        return ptmNone;
    const TChunktRNS* trns = FHeader->ChunkTRNS ? FHeader->ChunkTRNS : fChunkList->Find<TChunktRNS>();
    switch (FHeader->ColorType()) {
    case COLOR_GRAYSCALE:
    case COLOR_RGB:
        return trns ? ptmBit : ptmNone;
    case COLOR_GRAYSCALEALPHA:
    case COLOR_RGBALPHA:
        return ptmPartial;
    case COLOR_DEVICE:
        if (AlphaMode.load() == pamPremultiplied)
            return ptmPartial;
        [[fallthrough]];
    default:
        if (!trns)
            return ptmNone;
        return trns->BitTransparency() ? ptmBit : ptmPartial;
    }
}

bool TPngImage::GetTransparent() {
    return Empty() || TransparencyMode() != ptmNone || FAlphaBlendValue < 255;
}

bool TPngImage::GetSupportsPartialTransparency() {
    return TransparencyMode() == ptmPartial;
}

vcl::TColor TPngImage::TransparentColor() const {
    const TChunktRNS* trns = fChunkList->Find<TChunktRNS>();
    return trns ? trns->TransparentColor() : NoTransparentColor;
}

void TPngImage::SetTransparentColor(vcl::TColor Value) {
    TChunkIHDR* header = Header();
    switch (header->ColorType()) {
    case COLOR_GRAYSCALE:
    case COLOR_RGB:
    case COLOR_PALETTE: {
        auto* trns = fChunkList->Find<TChunktRNS>();
        if (!trns)
            trns = fChunkList->Add<TChunktRNS>();
        trns->SetTransparentColor(vcl::ColorToRGB(Value));
        Changed(this);
        break;
    }
    case COLOR_GRAYSCALEALPHA:
    case COLOR_RGBALPHA:
        RaiseError<EPNGCannotChangeTransparent>(
            u"Setting bit transparency color is not allowed for png images containing alpha value for each "
            u"pixel (COLOR_RGBALPHA and COLOR_GRAYSCALEALPHA)");
    default:
        break;
    }
}

void TPngImage::SetAlphaPreMultiplied(bool Value) noexcept {
    AlphaMode.store(Value ? pamPremultiplied : pamDefined, std::memory_order_release);
}

// --- presentation properties

void TPngImage::SetAlphaBlendValue(std::uint8_t Value) {
    if (Value == FAlphaBlendValue)
        return;
    FAlphaBlendValue = Value;
    EnsureRdPngChunk();
    Changed(this);
}

void TPngImage::SetGrayMode(bool Value) {
    if (Value == FGrayMode)
        return;
    FGrayMode = Value;
    EnsureRdPngChunk();
    Changed(this);
}

void TPngImage::SetSmoothFilter(TPngSmoothFilter Value) {
    if (Value == FSmoothFilter)
        return;
    FSmoothFilter = Value;
    EnsureRdPngChunk();
    Changed(this);
}

// The presentation properties are saved in the RDPNG text chunk. A text
// chunk under another keyword is the user's: it is never taken over.
void TPngImage::EnsureRdPngChunk() {
    for (int i = 0; i < fChunkList->Count(); ++i)
        if (auto* text = rtl::ObjectCast<TChunktEXt>(fChunkList->GetItem(i)); text && text->IsRdPng())
            return;
    fChunkList->Add<TChunktEXt>()->SetKeyword(rtl::String(RdPngKeyword));
}

void TPngImage::SetMaxIdatSize(std::int32_t Value) noexcept {
    fMaxIdatSize = Value < 65535 ? 65535 : Value;
}

void TPngImage::SetCompressionLevel(TCompressionLevel Value) noexcept {
    fCompressionLevel = Value < 0 ? 0 : (Value > 9 ? 9 : Value);
}

TChunkpHYs* TPngImage::PixelInformation() {
    auto* phys = fChunkList->Find<TChunkpHYs>();
    if (!phys) {
        phys = fChunkList->Add<TChunkpHYs>();
        phys->SetUnit(utMeter);
    }
    return phys;
}

bool TPngImage::HasPixelInformation() const {
    return fChunkList->Find<TChunkpHYs>() != nullptr;
}

win::HPALETTE TPngImage::GetPalette() {
    if (!EnsurePixels())
        return nullptr;
    return FHeader->GetPalette();
}

void TPngImage::SetPaletteValue(win::HPALETTE Value) {
    if (!FHeader)
        return;
    FHeader->SetPalette(Value);
    SetPaletteModified(true);
    Changed(this);
}

// --- pixels

void* TPngImage::GetScanline(int LineIndex) {
    if (!EnsurePixels() || LineIndex < 0 || LineIndex >= static_cast<int>(FHeader->Height()) ||
        !FHeader->ImageData)
        return nullptr;
    return FHeader->ImageData + std::size_t(LineIndex) * std::size_t(FBytesPerRow);
}

std::uint8_t* TPngImage::GetAlphaScanline(int LineIndex) {
    if (!EnsurePixels() || LineIndex < 0 || LineIndex >= static_cast<int>(FHeader->Height()))
        return nullptr;
    const std::uint8_t ct = FHeader->ColorType();
    if ((ct != COLOR_GRAYSCALEALPHA && ct != COLOR_RGBALPHA) || !FHeader->ImageAlpha)
        return nullptr;
    return FHeader->ImageAlpha + std::size_t(LineIndex) * FHeader->Width();
}

std::uint8_t* TPngImage::GetExtraScanline(int LineIndex) {
    if (!EnsurePixels() || LineIndex < 0 || LineIndex >= static_cast<int>(FHeader->Height()) ||
        !FHeader->ExtraImageData)
        return nullptr;
    return FHeader->ExtraImageData + std::size_t(LineIndex) * std::size_t(FBytesPerRow);
}

vcl::TColor TPngImage::GetPixels(int X, int Y) {
    if (!FHeader || X < 0 || Y < 0 || X >= static_cast<int>(FHeader->Width()) ||
        Y >= static_cast<int>(FHeader->Height()))
        return 0;
    FHeader->CheckExpand();
    if (FHeader->ColorType() == COLOR_DEVICE)
        return FHeader->ImageDC ? static_cast<vcl::TColor>(win::GetPixel(FHeader->ImageDC, X, Y)) : 0;
    if (!FHeader->ImageData)
        return 0;
    const std::uint8_t* row = FHeader->ImageData + std::size_t(Y) * std::size_t(FBytesPerRow);
    const int bits = FHeader->BitCount();
    const win::RGBQUAD* colors = FHeader->BitmapInfo.bmiColors;
    switch (FHeader->ColorType()) {
    case COLOR_PALETTE: {
        const win::RGBQUAD& q = colors[PackedSample(row, X, bits)];
        return RgbOf(GammaTable[q.rgbRed], GammaTable[q.rgbGreen], GammaTable[q.rgbBlue]);
    }
    case COLOR_GRAYSCALE: {
        const unsigned sample = PackedSample(row, X, bits);
        if (FHeader->BitDepth() == 1)
            return sample ? vcl::clWhite : vcl::clBlack;
        const win::RGBQUAD& q = colors[sample];
        return RgbOf(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    case COLOR_GRAYSCALEALPHA:
        return RgbOf(row[X], row[X], row[X]);
    default:
        break;
    }
    if (bits == 24) {
        const std::uint8_t* p = row + 3 * std::size_t(X);
        return RgbOf(p[2], p[1], p[0]);
    }
    const std::uint8_t* p = row + 4 * std::size_t(X);
    return static_cast<vcl::TColor>(win::RGB(p[2], p[1], p[0]) | std::uint32_t{p[3]} << 24);
}

void TPngImage::SetPixels(int X, int Y, vcl::TColor Value) {
    if (!FHeader || X < 0 || Y < 0 || X >= static_cast<int>(FHeader->Width()) ||
        Y >= static_cast<int>(FHeader->Height()))
        return;
    const auto color = static_cast<std::uint32_t>(vcl::ColorToRGB(Value));
    UniquePng();
    if (FHeader->ColorType() == COLOR_DEVICE) {
        if (FHeader->ImageDC)
            win::SetPixelV(FHeader->ImageDC, X, Y, color & 0xFFFFFF);
        return;
    }
    if (!FHeader->ImageData)
        return;
    std::uint8_t* row = FHeader->ImageData + std::size_t(Y) * std::size_t(FBytesPerRow);
    const int bits = FHeader->BitCount();
    switch (FHeader->ColorType()) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE:
        PutPackedSample(row, X, bits, win::GetNearestPaletteIndex(FHeader->GetPalette(), color & 0xFFFFFF));
        return;
    case COLOR_GRAYSCALEALPHA:
        row[X] = static_cast<std::uint8_t>(color);
        return;
    default:
        break;
    }
    std::uint8_t* p = row + std::size_t(bits / 8) * std::size_t(X);
    p[0] = win::GetBValue(color);
    p[1] = win::GetGValue(color);
    p[2] = win::GetRValue(color);
    if (bits == 32)
        p[3] = color < 0x1000000 ? 255 : static_cast<std::uint8_t>(color >> 24);
}

// --- assignment

void TPngImage::AssignPng(TPngImage* Source) {
    fInterlaceMethod = Source->fInterlaceMethod;
    fMaxIdatSize = Source->fMaxIdatSize;
    fCompressionLevel = Source->fCompressionLevel;
    fFilters = Source->fFilters;
    ClearChunks();
    for (int i = 0; i < Source->fChunkList->Count(); ++i) {
        TChunk* from = Source->fChunkList->GetItem(i);
        TChunk* chunk = CreateChunk(from->ClassType(), this);
        fChunkList->Append(chunk);
        chunk->Assign(from);
    }
    GammaTable = Source->GammaTable;
    InverseGamma = Source->InverseGamma;
    FAlphaBlendValue = Source->FAlphaBlendValue;
    FGrayMode = Source->FGrayMode;
    FSmoothFilter = Source->FSmoothFilter;
    AlphaMode.store(Source->AlphaMode.load(), std::memory_order_release);
    FDataStr = Source->FDataStr;
    FDataPtr = Source->FDataPtr;
    FDataInt = Source->FDataInt;
    NotifyChanged(nmClear, nullptr);
}

void TPngImage::Assign(rtl::TPersistent* Source) {
    if (Source == this)
        return;
    if (!Source) {
        ClearChunks();
        Changed(this);
    } else if (auto* png = rtl::ObjectCast<TPngImage>(Source)) {
        AssignPng(png);
    } else if (auto* bitmap = rtl::ObjectCast<vcl::TBitmap>(Source)) {
        AssignHandle(bitmap->Handle(), bitmap->Transparent(), vcl::ColorToRGB(bitmap->TransparentColor()),
                     bitmap->Palette(), bitmap->AlphaFormat(), 0);
    } else if (auto* rdg = rtl::ObjectCast<TRdGraphic>(Source); rdg && rdg->AssignToPng(this)) {
        Changed(this);
    } else if (auto* graphic = rtl::ObjectCast<vcl::TGraphic>(Source)) {
        // FIXME: icons are to be read with AssignIcon; until then they come
        // through a bitmap like any other graphic.
        vcl::TBitmap bitmap;
        bitmap.Assign(graphic);
        Assign(&bitmap);
    } else {
        inherited::Assign(Source);
    }
}

void TPngImage::ClonePng(TPngImage* Src) {
    if (!Src || Src == this)
        return;
    const bool allow = Src->AllowShareSelf;
    Src->AllowShareSelf = false;
    try {
        Assign(Src);
    } catch (...) {
        Src->AllowShareSelf = allow;
        throw;
    }
    Src->AllowShareSelf = allow;
}

void TPngImage::UniquePng() {
    if (!FHeader || !FHeader->ShareImageData)
        return;
    FHeader->CheckExpand();
    if (FHeader->ShareImageData)
        Resize(Width(), Height(), 255, false, 0, 0);
}

void TPngImage::AssignTo(rtl::TPersistent* Dest) {
    if (auto* png = rtl::ObjectCast<TPngImage>(Dest)) {
        png->Assign(this);
    } else if (auto* bitmap = rtl::ObjectCast<vcl::TBitmap>(Dest)) {
        AssignBitmapTo(bitmap);
    } else if (Dest) {
        vcl::TBitmap bitmap;
        AssignBitmapTo(&bitmap);
        Dest->Assign(&bitmap);
    } else {
        inherited::AssignTo(Dest);
    }
}

void TPngImage::AssignBitmapTo(rtl::TPersistent* Dest) {
    auto* bitmap = static_cast<vcl::TBitmap*>(Dest);
    if (Empty()) {
        bitmap->SetSize(0, 0);
        return;
    }
    const TPNGTransparencyMode mode = TransparencyMode();
    const int w = Width();
    const int h = Height();
    if (mode == ptmPartial) {
        bitmap->SetPixelFormat(vcl::pf32bit);
        bitmap->SetAlphaFormat(vcl::afDefined);
        bitmap->SetSize(w, h);
        bitmap->Canvas()->Brush()->SetColor(vcl::clBlack);
        bitmap->Canvas()->FillRect(vcl::Rect(0, 0, w, h));
    } else {
        const std::uint8_t depth = FHeader->BitDepth();
        const std::uint8_t ct = FHeader->ColorType();
        vcl::TPixelFormat format = vcl::pf24bit;
        if (depth == 1)
            format = vcl::pf1bit;
        else if (depth == 2 || depth == 4)
            format = vcl::pf4bit;
        else if (depth == 8 || depth == 16) {
            if (ct == COLOR_PALETTE)
                format = vcl::pf8bit;
            else if (ct == COLOR_DEVICE)
                format = vcl::pfDevice;
            else if (ct != COLOR_GRAYSCALE && ct != COLOR_RGB && ct != COLOR_GRAYSCALEALPHA &&
                     ct != COLOR_RGBALPHA)
                throw rtl::Exception(u"unknown ColorType:" + rtl::IntToStr(ct));
        } else {
            throw rtl::Exception(u"unknown BitDepth:" + rtl::IntToStr(depth));
        }
        bitmap->SetAlphaFormat(vcl::afIgnored);
        bitmap->SetPixelFormat(format);
        bitmap->SetSize(w, h);
    }
    if (win::HPALETTE palette = GetPalette()) {
        win::PALETTEENTRY entries[256]{};
        const auto count = win::GetPaletteEntries(palette, 0, 256, entries);
        struct {
            win::WORD Version;
            win::WORD Count;
            win::PALETTEENTRY Entries[256];
        } copy{0x300, static_cast<win::WORD>(count), {}};
        std::memcpy(copy.Entries, entries, sizeof(win::PALETTEENTRY) * count);
        bitmap->SetPalette(win::CreatePalette(reinterpret_cast<const win::LOGPALETTE*>(&copy)));
    }
    if (mode != ptmBit) {
        Draw(bitmap->Canvas(), vcl::Rect(0, 0, w, h));
        return;
    }
    bitmap->SetTransparent(true);
    bitmap->SetTransparentColor(TransparentColor());
    if (!EnsurePixels() || !FHeader->ImageData)
        return;
    win::HDC dc = bitmap->Canvas()->Handle();
    win::SetStretchBltMode(dc, win::HALFTONE);
    win::StretchDIBits(dc, 0, 0, w, h, 0, 0, w, h, FHeader->ImageData,
                       reinterpret_cast<const win::BITMAPINFO*>(&FHeader->BitmapInfo), win::DIB_RGB_COLORS,
                       win::SRCCOPY);
}

void TPngImage::AssignHandle(win::HBITMAP Handle, bool Transparent, vcl::TColor TransparentColor,
                             win::HPALETTE Palette, int Alpha, int ForceBit) {
    win::DIBSECTION ds{};
    const int described = win::GetObjectW(Handle, sizeof ds, &ds);
    if (described < static_cast<int>(sizeof(win::BITMAP)))
        return;
    const bool isDib = described == static_cast<int>(sizeof(win::DIBSECTION)) && ds.dsBm.bmBits;
    const int w = ds.dsBm.bmWidth;
    const int h = ds.dsBm.bmHeight < 0 ? -ds.dsBm.bmHeight : ds.dsBm.bmHeight;
    ClearChunks();
    const int bitCount = ForceBit > 0 ? ForceBit : (ds.dsBm.bmBitsPixel ? ds.dsBm.bmBitsPixel : 24);
    const bool alpha = bitCount == 32 && (ForceBit == 32 || Alpha != 0 || isDib);
    AlphaMode.store(Alpha == vcl::afPremultiplied ? pamPremultiplied : pamDefined, std::memory_order_release);
    BeingCreated = true;
    try {
        auto* header = fChunkList->Add<TChunkIHDR>();
        std::uint8_t depth = 8;
        std::uint8_t ct = COLOR_RGB;
        if (bitCount < 16) {
            depth = static_cast<std::uint8_t>(bitCount == 2 ? 4 : bitCount);
            ct = COLOR_PALETTE;
        } else if (alpha) {
            ct = COLOR_RGBALPHA;
        }
        header->IHDRData = {static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), depth, ct, 0, 0, 0};
        TPngPrepareFlags flags{ppfReset, ppfAllocate};
        if (ct == COLOR_RGBALPHA)
            flags += TPngPrepareFlags{ppfNeedDC, ppfNeed32Bit};
        header->PrepareImageData(flags);
        if (header->ImageData) {
            win::HDC dc = win::CreateCompatibleDC(nullptr);
            win::GetDIBits(dc, Handle, 0, static_cast<win::UINT>(h), header->ImageData,
                           reinterpret_cast<win::BITMAPINFO*>(&header->BitmapInfo), win::DIB_RGB_COLORS);
            win::DeleteDC(dc);
        }
        if (ct == COLOR_RGBALPHA && header->ImageData) {
            const bool fromSource = isDib && ds.dsBm.bmBitsPixel == 32;
            const bool bottomUp = ds.dsBmih.biHeight > 0;
            std::uint8_t* plane = header->ImageAlpha;
            for (int y = 0; y < h; ++y) {
                const auto* src = fromSource
                                      ? static_cast<const std::uint8_t*>(ds.dsBm.bmBits) +
                                            std::size_t(bottomUp ? h - 1 - y : y) * ds.dsBm.bmWidthBytes
                                      : nullptr;
                std::uint8_t* dst = header->ImageData + std::size_t(y) * std::size_t(FBytesPerRow);
                for (int x = 0; x < w; ++x) {
                    const std::uint8_t a = src ? src[4 * x + 3] : 255;
                    if (plane)
                        plane[std::size_t(y) * w + x] = a;
                    if (header->BitCount() == 32)
                        dst[4 * x + 3] = a;
                }
            }
        }
        if (ct == COLOR_PALETTE) {
            auto* plte = fChunkList->Add<TChunkPLTE>();
            plte->SetCount(1 << depth);
            if (Palette) {
                win::PALETTEENTRY entries[256]{};
                const auto got = win::GetPaletteEntries(Palette, 0, 1u << depth, entries);
                for (win::UINT i = 0; i < got; ++i)
                    header->BitmapInfo.bmiColors[i] = {entries[i].peBlue, entries[i].peGreen,
                                                       entries[i].peRed, 0};
            }
        }
        if (Transparent && ct != COLOR_RGBALPHA)
            fChunkList->Add<TChunktRNS>()->SetTransparentColor(vcl::ColorToRGB(TransparentColor));
        fChunkList->Add<TChunkIDAT>();
        fChunkList->Add<TChunkIEND>();
    } catch (...) {
        BeingCreated = false;
        throw;
    }
    BeingCreated = false;
    NotifyChanged(nmClear, nullptr);
}

// --- text chunks

TChunktEXt* TPngImage::AddtEXt(const rtl::String& Keyword, const rtl::String& Text, bool JumpExists) {
    auto* chunk = fChunkList->Find<TChunktEXt>();
    if (!chunk) {
        chunk = fChunkList->Add<TChunktEXt>();
    } else if (JumpExists && (Keyword.empty() || Keyword == chunk->Keyword()) &&
               (Text.empty() || Text == chunk->Text())) {
        return chunk;
    }
    chunk->SetKeyword(Keyword);
    chunk->SetText(Text);
    return chunk;
}

TChunkzTXt* TPngImage::AddzTXt(const rtl::String& Keyword, const rtl::String& Text, bool JumpExists) {
    auto* chunk = fChunkList->Find<TChunkzTXt>();
    if (!chunk)
        chunk = fChunkList->Add<TChunkzTXt>();
    else if (JumpExists)
        return chunk;
    chunk->SetKeyword(Keyword);
    chunk->SetText(Text);
    return chunk;
}

// --- the DC registries

void TPngImage::MakeDC32(win::HDC dc, void* obj) {
    if (dc)
        PngDC32Registry().Add(dc, obj);
}

bool TPngImage::IsDC32(win::HDC dc) {
    return PngDC32Registry().Contains(dc);
}

} // namespace skin

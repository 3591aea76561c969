#include "skin/imaging/PngChunkIHDR.h"

#include "platform/rtl/StringUtils.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/user/Paint.h"
#include "skin/imaging/PngChunkIDAT.h"
#include "skin/imaging/PngChunkPLTE.h"
#include "skin/imaging/PngChunktRNS.h"
#include "skin/imaging/PngDCRegistry.h"
#include "skin/imaging/PngGamma.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngImageCanvas.h"
#include "skin/imaging/PngImageData.h"
#include "skin/imaging/PngImageDataList.h"
#include "skin/imaging/PngList.h"
#include "skin/imaging/PngThreads.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace skin {

RTL_IMPLEMENT_CLASS(TChunkIHDR)

std::uint8_t* PngAllocPixels(std::int64_t Size, std::uint32_t Width, std::uint32_t Height) {
    void* block = nullptr;
    if (Size >= 0 && static_cast<std::uint64_t>(Size) <= PngMaxStoreBytes)
        block = std::calloc(static_cast<std::size_t>(Size > 0 ? Size : 1), 1);
    if (!block)
        throw rtl::EOutOfMemory(u"Out of memory, Size=" + rtl::IntToStr(Size) + u", W=" +
                                rtl::IntToStr(Width) + u", H=" + rtl::IntToStr(Height));
    return static_cast<std::uint8_t*>(block);
}

void PngFreePixels(std::uint8_t* Block) noexcept {
    std::free(Block);
}

namespace {

TPngImageDataList& SharedList() {
    return TPngImageDataList::Instance();
}

// The colours a palette image starts with before its PLTE chunk fills them:
// a 6 x 6 x 6 colour cube, as the halftone palette begins.
void FillHalftone(win::RGBQUAD* colors, int count) {
    for (int i = 0; i < count; ++i) {
        const int n = i % 216;
        colors[i] = {static_cast<win::BYTE>(n % 6 * 51), static_cast<win::BYTE>(n / 6 % 6 * 51),
                     static_cast<win::BYTE>(n / 36 * 51), 0};
    }
}

// BGR + alpha plane rows into BGRA rows, and back.
void MergeAlpha(std::uint8_t* dst, const std::uint8_t* src, const std::uint8_t* alpha, std::uint32_t width,
                std::uint32_t height, std::size_t srcRow) {
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* s = src + y * srcRow;
        const std::uint8_t* a = alpha ? alpha + std::size_t{y} * width : nullptr;
        std::uint8_t* d = dst + std::size_t{y} * width * 4;
        for (std::uint32_t x = 0; x < width; ++x, s += 3, d += 4) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = a ? a[x] : 255;
        }
    }
}

void SplitAlpha(std::uint8_t* dst, std::size_t dstRow, const std::uint8_t* src, std::uint32_t width,
                std::uint32_t height) {
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* s = src + std::size_t{y} * width * 4;
        std::uint8_t* d = dst + y * dstRow;
        for (std::uint32_t x = 0; x < width; ++x, s += 4, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
}

// 24-bit rows of low bytes laid out as 32-bit rows (the fourth byte 0).
std::uint8_t* WidenExtra(const std::uint8_t* extra, std::uint32_t width, std::uint32_t height,
                         std::size_t srcRow) {
    std::uint8_t* wide = PngAllocPixels(std::int64_t{width} * 4 * height, width, height);
    MergeAlpha(wide, extra, nullptr, width, height, srcRow);
    for (std::size_t i = 3; i < std::size_t{width} * 4 * height; i += 4)
        wide[i] = 0;
    return wide;
}

std::uint8_t* CopyBlock(const std::uint8_t* block, std::int64_t size, std::uint32_t width,
                        std::uint32_t height) {
    std::uint8_t* copy = PngAllocPixels(size, width, height);
    std::memcpy(copy, block, static_cast<std::size_t>(size));
    return copy;
}

} // namespace

TChunkIHDR::TChunkIHDR(TPngImage* Owner) : TChunk(Owner) {
    if (Owner) {
        Owner->FHeader = this;
        Owner->FBytesPerRow = 0;
    }
}

TChunkIHDR::~TChunkIHDR() {
    try {
        FreeImageData();
    } catch (...) {
        // A count already at 0 is a bookkeeping fault elsewhere; a destructor
        // cannot report it.
    }
    if (ChunkIDAT && ChunkIDAT->HeaderLink == this)
        ChunkIDAT->HeaderLink = nullptr;
    ChunkIDAT = nullptr;
    ChunkTRNS = nullptr;
    if (fOwner && fOwner->FHeader == this) {
        fOwner->FHeader = nullptr;
        fOwner->FBytesPerRow = 0;
    }
}

int TChunkIHDR::BytesPerRow() const noexcept {
    return fOwner ? fOwner->FBytesPerRow : 0;
}

TPngImageHeader TChunkIHDR::ImageHeader() const noexcept {
    return {IHDRData.Width,
            IHDRData.Height,
            IHDRData.BitDepth,
            IHDRData.ColorType,
            IHDRData.CompressionMethod,
            IHDRData.FilterMethod,
            IHDRData.InterlaceMethod};
}

bool TChunkIHDR::IsDeferred() const noexcept {
    return ShareImageData && !std::atomic_ref(const_cast<std::uint8_t*&>(ImageData)).load() && ChunkIDAT;
}

TPngPixelStore TChunkIHDR::PixelStore() {
    TPngPixelStore store;
    store.Width = IHDRData.Width;
    store.Height = IHDRData.Height;
    store.BitCount = BitCount();
    store.BytesPerRow = static_cast<std::size_t>(BytesPerRow());
    store.ImageData = ImageData;
    store.ImageAlpha = ImageAlpha;
    store.ExtraImageData = ExtraImageData;
    store.Palette = reinterpret_cast<TPngRgbQuad*>(BitmapInfo.bmiColors);
    store.GammaTable = fOwner->GammaTable.data();
    store.InverseGamma = fOwner->InverseGamma.data();
    return store;
}

// --- file format

void TChunkIHDR::ValidateHeader() const {
    if (IHDRData.Width > PngMaxImageSide || IHDRData.Height > PngMaxImageSide)
        TPngImage::RaiseError<EPNGSizeExceeds>(
            u"This \"Portable Network Graphics\" image is not supported because either its width or height "
            u"exceeds the maximum size of 65535 pixels.");
    if (IHDRData.CompressionMethod != 0)
        TPngImage::RaiseError<EPNGUnknownCompression>(
            u"This \"Portable Network Graphics\" image is encoded with an unknown compression scheme which "
            u"could not be decoded.");
    if (IHDRData.InterlaceMethod > 1)
        TPngImage::RaiseError<EPNGUnknownInterlace>(
            u"This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not be "
            u"decoded.");
    // A size of 0 or a colour type and bit depth that PNG does not define
    // cannot be laid out: the header is as good as corrupt.
    if (IHDRData.Width == 0 || IHDRData.Height == 0 ||
        !PngIsValidFormat(IHDRData.ColorType, IHDRData.BitDepth))
        TPngImage::RaiseError<EPngInvalidIHDR>(PngTextInvalidIhdr);
}

bool TChunkIHDR::LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) {
    if (!TChunk::LoadFromStream(Stream, ChunkName, Size))
        return false;
    if (fDataSize < 13)
        TPngImage::RaiseError<EPngInvalidIHDR>(PngTextInvalidIhdr);
    const std::uint8_t* d = fData.data();
    IHDRData = {PngLoadBE32(d), PngLoadBE32(d + 4), d[8], d[9], d[10], d[11], d[12]};
    ValidateHeader();
    fOwner->SetInterlaceMethod(static_cast<TInterlaceMethod>(IHDRData.InterlaceMethod));
    PrepareImageData({ppfReset});
    return true;
}

bool TChunkIHDR::SaveToStream(rtl::TStream* Stream) {
    // 2-bit samples are kept as 4-bit nibbles and written as 4-bit samples,
    // which the encoder writes row by row only.
    if (IHDRData.BitDepth == 2)
        fOwner->SetInterlaceMethod(imNone);
    ResizeData(13);
    std::uint8_t* d = fData.data();
    PngStoreBE32(d, IHDRData.Width);
    PngStoreBE32(d + 4, IHDRData.Height);
    d[8] = IHDRData.BitDepth == 2 ? 4 : IHDRData.BitDepth;
    d[9] = IHDRData.ColorType;
    d[10] = IHDRData.CompressionMethod;
    d[11] = IHDRData.FilterMethod;
    d[12] = static_cast<std::uint8_t>(fOwner->InterlaceMethod());
    return SaveData(Stream);
}

// --- laying out

void TChunkIHDR::UpdateGreyRamp() {
    const std::uint8_t ct = IHDRData.ColorType;
    if (ct != COLOR_GRAYSCALE && ct != COLOR_GRAYSCALEALPHA)
        return;
    const int count = IHDRData.BitDepth >= 8 ? 256 : 1 << IHDRData.BitDepth;
    PngFillGreyRamp(reinterpret_cast<TPngRgbQuad*>(BitmapInfo.bmiColors), count, fOwner->GammaTable.data());
}

void TChunkIHDR::LayOut(bool Need32Bit) {
    BitmapInfo = {};
    const TPngImageHeader header = ImageHeader();
    int bitCount = 32;
    int paletteCount = 0;
    if (IHDRData.ColorType != COLOR_DEVICE) {
        const TPngStoreLayout layout = PngStoreLayout(header, Need32Bit ? psd32Bit : psdDefault);
        bitCount = layout.BitCount;
        paletteCount = layout.PaletteCount;
    }
    win::BITMAPINFOHEADER& bmi = BitmapInfo.bmiHeader;
    bmi.biSize = sizeof(win::BITMAPINFOHEADER);
    bmi.biWidth = static_cast<win::LONG>(IHDRData.Width);
    bmi.biHeight = -static_cast<win::LONG>(IHDRData.Height);
    bmi.biPlanes = 1;
    bmi.biBitCount = static_cast<win::WORD>(bitCount);
    bmi.biCompression = win::BI_RGB;
    bmi.biClrUsed = static_cast<win::DWORD>(paletteCount);
    HasPalette = bitCount <= 8 && paletteCount > 0;
    fOwner->FBytesPerRow = static_cast<std::int32_t>(PngBytesPerRow(bitCount, IHDRData.Width));
    if (IHDRData.ColorType == COLOR_PALETTE) {
        FillHalftone(BitmapInfo.bmiColors, paletteCount);
        if (auto* plte = fOwner->Chunks()->Find<TChunkPLTE>())
            plte->ApplyToHeader();
    }
    UpdateGreyRamp();
}

void TChunkIHDR::PrepareImageData(TPngPrepareFlags Flags) {
    if (Flags.Contains(ppfReset)) {
        FreeImageData();
        LayOut(Flags.Contains(ppfNeed32Bit) && IHDRData.ColorType == COLOR_RGBALPHA);
    }
    if (!Flags.Contains(ppfAllocate) || IHDRData.Width == 0 || IHDRData.Height == 0)
        return;
    AttachBuffers();
    const bool needDC = Flags.Contains(ppfNeedDC) || IHDRData.ColorType == COLOR_DEVICE;
    if (!needDC || !AttachDC(nullptr))
        AttachMemory();
}

void TChunkIHDR::AttachBuffers() {
    TPngImageData* item = ShareImageData;
    const std::uint32_t w = IHDRData.Width;
    const std::uint32_t h = IHDRData.Height;
    const std::int64_t imageBytes = std::int64_t{BytesPerRow()} * h;
    // Shared buffers must have been made for this very layout; anything
    // else is not shared but made anew.
    if (item && item->BitPixel != 0 &&
        (item->BitPixel != BitCount() || (item->RGBData_Size >= 0 && item->RGBData_Size != imageBytes)))
        SharedList().Release(ShareImageData), item = nullptr;
    const std::uint8_t ct = IHDRData.ColorType;
    const bool needAlpha = (ct == COLOR_GRAYSCALEALPHA || ct == COLOR_RGBALPHA) && BitCount() != 32;
    if (needAlpha && !ImageAlpha) {
        if (AssignImageAlpha) {
            ImageAlpha = AssignImageAlpha;
            AssignImageAlpha = nullptr;
        } else if (item) {
            ImageAlpha = TPngImageData::AcquireBuffer(item->AlphaData, std::int64_t{w} * h, w, h);
        } else {
            ImageAlpha = PngAllocPixels(std::int64_t{w} * h, w, h);
        }
    }
    if (IHDRData.BitDepth == 16 && !ExtraImageData)
        ExtraImageData = item ? TPngImageData::AcquireBuffer(item->RGBDataEx, imageBytes, w, h)
                              : PngAllocPixels(imageBytes, w, h);
}

void TChunkIHDR::AttachMemory() {
    const std::uint32_t w = IHDRData.Width;
    const std::uint32_t h = IHDRData.Height;
    const std::int64_t size = std::int64_t{BytesPerRow()} * h;
    std::uint8_t* pixels = nullptr;
    if (TPngImageData* item = ShareImageData) {
        if (item->DibData) {
            pixels = static_cast<std::uint8_t*>(item->DibData);
        } else {
            pixels = TPngImageData::AcquireBuffer(item->RGBData, size, w, h);
            std::int32_t none = 0;
            std::atomic_ref(item->BitPixel).compare_exchange_strong(none, BitCount());
            std::int32_t unset = -1;
            std::atomic_ref(item->RGBData_Size)
                .compare_exchange_strong(unset, static_cast<std::int32_t>(size));
        }
    } else {
        pixels = PngAllocPixels(size, w, h);
    }
    ImageData_Size = size;
    MemImageData = true;
    SetCanvasHandle(nullptr);
    std::atomic_ref(ImageData).store(pixels, std::memory_order_release);
}

void TChunkIHDR::CopySharedPixels(std::uint8_t* Bits, bool Promoted) const {
    const TPngImageData* item = ShareImageData;
    if (!item || !Bits)
        return;
    const auto* source = static_cast<const std::uint8_t*>(item->RGBData ? item->RGBData : item->DibData);
    if (!source || TPngImageData::IsMarker(source))
        return;
    const std::uint32_t w = IHDRData.Width;
    const std::uint32_t h = IHDRData.Height;
    const int sourceBits = item->BitPixel ? item->BitPixel : (Promoted ? 24 : BitCount());
    if (sourceBits == BitCount()) {
        std::memcpy(Bits, source, std::size_t(BytesPerRow()) * h);
    } else if (sourceBits == 24 && BitCount() == 32) {
        const std::uint8_t* alpha = TPngImageData::IsMarker(item->AlphaData) ? nullptr : item->AlphaData;
        MergeAlpha(Bits, source, alpha, w, h, PngBytesPerRow(24, w));
    } else if (sourceBits == 32 && BitCount() == 24) {
        SplitAlpha(Bits, std::size_t(BytesPerRow()), source, w, h);
    }
}

bool TChunkIHDR::AttachDC(const TStore*) {
    win::HDC dc = win::CreateCompatibleDC(nullptr);
    if (!dc)
        return false;
    ImageDC_ThreadID = PngCurrentThreadId();
    if (HasPalette) {
        win::SelectPalette(dc, GetPalette(), 0);
        win::RealizePalette(dc);
    }
    const std::int32_t oldBytesPerRow = fOwner->FBytesPerRow;
    const bool promoted = IHDRData.ColorType == COLOR_RGBALPHA && BitCount() == 24;
    if (promoted) {
        BitmapInfo.bmiHeader.biBitCount = 32;
        fOwner->FBytesPerRow = static_cast<std::int32_t>(IHDRData.Width * 4);
    }
    void* bits = nullptr;
    win::HBITMAP bitmap = nullptr;
    if (IHDRData.ColorType == COLOR_DEVICE) {
        win::HDC screen = win::GetDC(nullptr);
        bitmap = win::CreateCompatibleBitmap(screen, static_cast<int>(IHDRData.Width),
                                             static_cast<int>(IHDRData.Height));
        win::ReleaseDC(nullptr, screen);
    } else {
        bitmap = win::CreateDIBSection(dc, reinterpret_cast<const win::BITMAPINFO*>(&BitmapInfo),
                                       win::DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    if (!bitmap) {
        if (promoted) {
            BitmapInfo.bmiHeader.biBitCount = 24;
            fOwner->FBytesPerRow = oldBytesPerRow;
        }
        win::DeleteDC(dc);
        return false;
    }
    if (promoted && ExtraImageData) {
        // The low bytes follow the pixels to 32 bits, like the pixels themselves.
        std::uint8_t* wide = WidenExtra(ExtraImageData, IHDRData.Width, IHDRData.Height,
                                        static_cast<std::size_t>(oldBytesPerRow));
        if (!(ShareImageData && ExtraImageData == ShareImageData->RGBDataEx))
            PngFreePixels(ExtraImageData);
        ExtraImageData = wide;
    }
    ImageHandle_free = static_cast<win::HBITMAP>(win::SelectObject(dc, bitmap));
    ImageHandle = bitmap;
    ImageDC = dc;
    MemImageData = false;
    ImageData_Size = -1;
    CopySharedPixels(static_cast<std::uint8_t*>(bits), promoted);
    if (BitCount() == 32 && IHDRData.ColorType != COLOR_DEVICE) {
        PngAlphaDCRegistry().Add(dc, this);
        DCHashed = true;
    }
    std::atomic_ref(ImageData).store(static_cast<std::uint8_t*>(bits), std::memory_order_release);
    SetCanvasHandle(dc);
    return true;
}

void TChunkIHDR::SetCanvasHandle(win::HDC DC) {
    if (fOwner && fOwner->fCanvas)
        fOwner->fCanvas->SetHandle(DC);
}

// --- releasing

TChunkIHDR::TStore TChunkIHDR::DetachStore() {
    TStore store;
    store.ImageHandle_free = ImageHandle_free;
    store.ImageHandle = ImageHandle;
    store.ImageDC = ImageDC;
    store.DCHashed = DCHashed;
    store.MemImageData = MemImageData;
    store.ImageData = ImageData;
    store.ImageAlpha = ImageAlpha;
    store.ExtraImageData = ExtraImageData;
    store.AssignImageAlpha = AssignImageAlpha;
    store.ShareImageData = ShareImageData;
    store.BitCount = BitCount();
    store.BytesPerRow = BytesPerRow();
    store.Width = IHDRData.Width;
    store.Height = IHDRData.Height;
    ImageHandle_free = nullptr;
    ImageHandle = nullptr;
    ImageDC = nullptr;
    DCHashed = false;
    MemImageData = true;
    ImageData = nullptr;
    ImageData_Size = -1;
    ImageAlpha = nullptr;
    ExtraImageData = nullptr;
    AssignImageAlpha = nullptr;
    ShareImageData = nullptr;
    return store;
}

void TChunkIHDR::ReleaseStore(TStore& Store) {
    TPngImageData* item = Store.ShareImageData;
    if (Store.ImageDC) {
        if (fOwner->RefSaveDC != 0) {
            win::RestoreDC(Store.ImageDC, fOwner->RefSaveDC);
            fOwner->RefSaveDC = 0;
        }
        if (fOwner->fCanvas && fOwner->fCanvas->HandleValue() == Store.ImageDC)
            SetCanvasHandle(nullptr);
        if (Store.ImageHandle_free)
            win::SelectObject(Store.ImageDC, Store.ImageHandle_free);
        win::SelectPalette(Store.ImageDC,
                           static_cast<win::HPALETTE>(win::GetStockObject(win::DEFAULT_PALETTE)), 0);
        if (Store.DCHashed)
            PngAlphaDCRegistry().Remove(Store.ImageDC, this);
        win::DeleteDC(Store.ImageDC);
    }
    if (Store.ImageHandle && !(item && item->DibObj == Store.ImageHandle))
        win::DeleteObject(Store.ImageHandle);
    const auto owned = [item](std::uint8_t* buffer, std::uint8_t* shared) {
        return buffer && !(item && buffer == shared);
    };
    if (Store.MemImageData && owned(Store.ImageData, item ? item->RGBData : nullptr) &&
        !(item && static_cast<void*>(Store.ImageData) == item->DibData))
        PngFreePixels(Store.ImageData);
    if (owned(Store.ImageAlpha, item ? item->AlphaData : nullptr))
        PngFreePixels(Store.ImageAlpha);
    if (owned(Store.ExtraImageData, item ? item->RGBDataEx : nullptr))
        PngFreePixels(Store.ExtraImageData);
    PngFreePixels(Store.AssignImageAlpha);
    Store = {};
    if (item)
        SharedList().Release(item);
}

void TChunkIHDR::FreeImageData() {
    TStore store = DetachStore();
    if (ImagePalette) {
        if (store.ImageDC)
            win::SelectPalette(store.ImageDC,
                               static_cast<win::HPALETTE>(win::GetStockObject(win::DEFAULT_PALETTE)), 0);
        win::DeleteObject(ImagePalette);
        ImagePalette = nullptr;
    }
    PngFreePixels(ImageData_Cache);
    ImageData_Cache = nullptr;
    ImageData_CacheSize = -1;
    ReleaseStore(store);
}

// --- deferred pixels and the canvas DC

void TChunkIHDR::CheckExpand() {
    TPngImageData* shared = ShareImageData;
    if (!shared || !ChunkIDAT || IHDRData.ColorType == COLOR_DEVICE)
        return;
    // The buffer is attached before it is decoded into: while the stream is
    // taken, a buffer is no sign of finished pixels.
    if (std::atomic_ref(ImageData).load(std::memory_order_acquire) &&
        !TPngImageData::IsMarker(std::atomic_ref(shared->PngStream).load(std::memory_order_acquire)))
        return;
    // One thread at a time per image; other images sharing the data wait
    // in WaitExpand while one of them decodes.
    fOwner->Lock();
    struct TUnlock {
        TPngImage* Owner;
        ~TUnlock() { Owner->UnLock(); }
    } unlock{fOwner};
    TPngImageData* item = ShareImageData;
    if (!item || ImageData)
        return;
    rtl::TMemoryStream* stream = item->WaitExpand();
    try {
        PrepareImageData({ppfAllocate});
        if (stream)
            (void)ChunkIDAT->DecodeStream(stream, ChunkIDAT->FirstIDATSize);
    } catch (...) {
        ContinueLoadStream32Bit = false;
        if (stream) {
            item->EndExpand(nullptr);
            delete stream;
        }
        throw;
    }
    ContinueLoadStream32Bit = false;
    if (stream) {
        item->EndExpand(nullptr);
        delete stream;
    }
}

bool TChunkIHDR::CreateCanvasDC() {
    CheckExpand();
    TPngImageCanvas* canvas = fOwner->fCanvas;
    if (canvas && canvas->HandleAllocated())
        return true;
    if (ImageDC && !MemImageData) {
        SetCanvasHandle(ImageDC);
        return true;
    }
    if (IHDRData.Width == 0 || IHDRData.Height == 0)
        return false;
    if (!ImageData) {
        PrepareImageData({ppfAllocate, ppfNeedDC});
        return ImageDC != nullptr;
    }
    (void)SharedList().TryUnLink(this);
    TStore old = DetachStore();
    // The pixels are copied into a DIB of their own below; the old store
    // (shared or not) is then let go, apart from what the DIB keeps.
    ShareImageData = nullptr;
    if (!AttachDC(nullptr)) {
        // No DIB: put everything back as it was.
        ImageHandle_free = old.ImageHandle_free;
        ImageHandle = old.ImageHandle;
        ImageDC = old.ImageDC;
        DCHashed = old.DCHashed;
        MemImageData = old.MemImageData;
        ImageData = old.ImageData;
        ImageAlpha = old.ImageAlpha;
        ExtraImageData = old.ExtraImageData;
        AssignImageAlpha = old.AssignImageAlpha;
        ShareImageData = old.ShareImageData;
        ImageData_Size = std::int64_t{old.BytesPerRow} * old.Height;
        return false;
    }
    const std::uint32_t w = IHDRData.Width;
    const std::uint32_t h = IHDRData.Height;
    const bool promoted = old.BitCount == 24 && BitCount() == 32;
    TPngImageData* item = old.ShareImageData;
    if (promoted)
        MergeAlpha(ImageData, old.ImageData, old.ImageAlpha, w, h, std::size_t(old.BytesPerRow));
    else
        std::memcpy(ImageData, old.ImageData, std::size_t(old.BytesPerRow) * h);
    // The alpha plane and the low bytes stay beside the pixels; shared ones
    // become private copies, and low bytes follow the pixels to 32 bits.
    const auto isShared = [item](const std::uint8_t* buffer, std::uint8_t* TPngImageData::*slot) {
        return item && buffer && buffer == item->*slot;
    };
    if (old.ImageAlpha) {
        ImageAlpha = isShared(old.ImageAlpha, &TPngImageData::AlphaData)
                         ? CopyBlock(old.ImageAlpha, std::int64_t{w} * h, w, h)
                         : std::exchange(old.ImageAlpha, nullptr);
    }
    if (old.ExtraImageData) {
        if (promoted)
            ExtraImageData = WidenExtra(old.ExtraImageData, w, h, std::size_t(old.BytesPerRow));
        else
            ExtraImageData = isShared(old.ExtraImageData, &TPngImageData::RGBDataEx)
                                 ? CopyBlock(old.ExtraImageData, std::int64_t{old.BytesPerRow} * h, w, h)
                                 : std::exchange(old.ExtraImageData, nullptr);
    }
    // The old memory buffer is kept for reuse when it was ours.
    if (old.MemImageData && old.ImageData && !isShared(old.ImageData, &TPngImageData::RGBData) &&
        !(item && static_cast<void*>(old.ImageData) == item->DibData)) {
        PngFreePixels(ImageData_Cache);
        ImageData_Cache = std::exchange(old.ImageData, nullptr);
        ImageData_CacheSize = std::int64_t{old.BytesPerRow} * h;
    }
    ReleaseStore(old);
    return true;
}

// --- palette

win::HPALETTE TChunkIHDR::GetPalette() {
    if (!HasPalette)
        return nullptr;
    if (!ImagePalette) {
        const int count = BitmapInfo.bmiHeader.biClrUsed ? static_cast<int>(BitmapInfo.bmiHeader.biClrUsed)
                                                         : 1 << BitCount();
        struct {
            win::WORD Version;
            win::WORD Count;
            win::PALETTEENTRY Entries[256];
        } logPalette{0x300, static_cast<win::WORD>(count), {}};
        for (int i = 0; i < count && i < 256; ++i) {
            const win::RGBQUAD& c = BitmapInfo.bmiColors[i];
            logPalette.Entries[i] = {c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
        }
        ImagePalette = win::CreatePalette(reinterpret_cast<const win::LOGPALETTE*>(&logPalette));
    }
    return ImagePalette;
}

void TChunkIHDR::SetPalette(win::HPALETTE Palette) {
    if (!HasPalette || !Palette || Palette == ImagePalette)
        return;
    win::PALETTEENTRY entries[256]{};
    const int count = BitmapInfo.bmiHeader.biClrUsed ? static_cast<int>(BitmapInfo.bmiHeader.biClrUsed) : 256;
    const auto got =
        static_cast<int>(win::GetPaletteEntries(Palette, 0, static_cast<win::UINT>(count), entries));
    for (int i = 0; i < got; ++i)
        BitmapInfo.bmiColors[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    if (ImageDC) {
        win::SelectPalette(ImageDC, Palette, 0);
        win::RealizePalette(ImageDC);
        win::SetDIBColorTable(ImageDC, 0, static_cast<win::UINT>(got), BitmapInfo.bmiColors);
    }
    if (ImagePalette)
        win::DeleteObject(ImagePalette);
    ImagePalette = Palette;
}

// --- assignment

TPngImageData* TChunkIHDR::UseSharedFrom(TChunkIHDR* Source) {
    TPngImageData* item = SharedList().Use(Source);
    if (!item)
        return nullptr;
    ShareImageData = item;
    if (Source->ImageData) {
        const std::uint32_t w = IHDRData.Width;
        const std::uint32_t h = IHDRData.Height;
        // The source's pixels as the item holds them (a 32-bit DIB stays 32-bit).
        BitmapInfo.bmiHeader.biBitCount =
            static_cast<win::WORD>(item->BitPixel ? item->BitPixel : BitCount());
        fOwner->FBytesPerRow = static_cast<std::int32_t>(PngBytesPerRow(BitCount(), w));
        ImageAlpha = item->AlphaData;
        ExtraImageData = item->RGBDataEx;
        ImageData_Size = std::int64_t{BytesPerRow()} * h;
        MemImageData = true;
        ImageData = item->RGBData ? item->RGBData : static_cast<std::uint8_t*>(item->DibData);
    }
    return item;
}

void TChunkIHDR::CopyPixelsFrom(TChunkIHDR* Source) {
    Source->CheckExpand();
    if (!Source->ImageData || IHDRData.ColorType == COLOR_DEVICE)
        return;
    PrepareImageData({ppfAllocate});
    const std::uint32_t w = IHDRData.Width;
    const std::uint32_t h = IHDRData.Height;
    std::memcpy(ImageData, Source->ImageData, std::size_t(BytesPerRow()) * h);
    if (ImageAlpha && Source->ImageAlpha)
        std::memcpy(ImageAlpha, Source->ImageAlpha, std::size_t{w} * h);
    if (ExtraImageData && Source->ExtraImageData)
        std::memcpy(ExtraImageData, Source->ExtraImageData, std::size_t(BytesPerRow()) * h);
}

void TChunkIHDR::Assign(TChunk* Source) {
    auto* source = rtl::ObjectCast<TChunkIHDR>(Source);
    if (!source)
        TPngImage::RaiseError<EPngError>(u"The chunks must be compatible to be assigned.");
    if (source == this)
        return;
    TChunk::Assign(Source);
    FreeImageData();
    IHDRData = source->IHDRData;
    BitmapInfo = source->BitmapInfo;
    HasPalette = source->HasPalette;
    fOwner->FBytesPerRow = source->BytesPerRow();
    if (!source->ImageData && !source->ShareImageData)
        return;
    if (fOwner->AllowShareSelf && source->fOwner->AllowShareSelf && UseSharedFrom(source))
        return;
    CopyPixelsFrom(source);
}

} // namespace skin

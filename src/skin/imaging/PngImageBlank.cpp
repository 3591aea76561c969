// Blank images, and the eight scratch images the main thread lends to
// drawing code.

#include "skin/imaging/PngChunkIDAT.h"
#include "skin/imaging/PngChunkIEND.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunkPLTE.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngList.h"
#include "skin/imaging/PngThreads.h"

#include <algorithm>
#include <array>

namespace skin {

namespace {

// Only the main thread touches the slots, so they need no lock.
std::array<TPngImage*, 8>& ScratchSlots() {
    static std::array<TPngImage*, 8> slots{};
    return slots;
}

std::uint8_t RecordedBitDepth(std::uint8_t colorType, std::uint8_t bitDepth) {
    if (colorType == COLOR_DEVICE)
        return 8;
    return bitDepth == 2 ? 4 : bitDepth;
}

bool IsValidBlankSpec(std::uint8_t ct, std::uint8_t bd) {
    const bool depthKnown = bd == 1 || bd == 2 || bd == 4 || bd == 8 || bd == 16;
    switch (ct) {
    case COLOR_GRAYSCALE:
    case COLOR_DEVICE:
        return depthKnown;
    case COLOR_PALETTE:
        return depthKnown && bd != 16;
    case COLOR_RGB:
    case COLOR_GRAYSCALEALPHA:
    case COLOR_RGBALPHA:
        // Below 8 bits these types have no PNG form to save them in.
        return bd == 8 || bd == 16;
    default:
        return false;
    }
}

int Area(TPngImage* image) {
    return image->Width() * image->Height();
}

} // namespace

void TPngImage::MakeBlank(std::uint8_t ColorType, std::uint8_t Bitdepth, int cx, int cy, bool NeedDC,
                          bool NeedIf32) {
    ClearChunks();
    if (!IsValidBlankSpec(ColorType, Bitdepth))
        RaiseError<EPNGInvalidSpec>(u"The \"Portable Network Graphics\" could not be created because invalid "
                                    u"image type parameters have being provided.");
    if (cx < 0 || cy < 0)
        RaiseError<EPNGInvalidNewSize>(u"The new size provided for image resizing is invalid.");
    BeingCreated = true;
    try {
        fChunkList->Add<TChunkIEND>();
        auto* header = fChunkList->Add<TChunkIHDR>();
        header->IHDRData = {static_cast<std::uint32_t>(cx),
                            static_cast<std::uint32_t>(cy),
                            RecordedBitDepth(ColorType, Bitdepth),
                            ColorType,
                            0,
                            0,
                            0};
        TPngPrepareFlags flags{ppfReset, ppfAllocate};
        if (NeedDC || ColorType == COLOR_DEVICE)
            flags.Include(ppfNeedDC);
        if (ColorType == COLOR_RGBALPHA && NeedIf32)
            flags.Include(ppfNeed32Bit);
        header->PrepareImageData(flags);
        // Grey images keep their ramp in the bitmap header; only palette
        // images get a PLTE chunk, which PNG forbids for grey ones.
        if (header->HasPalette && ColorType == COLOR_PALETTE)
            fChunkList->Add<TChunkPLTE>()->SetCount(1 << header->BitDepth());
        fChunkList->Add<TChunkIDAT>();
    } catch (...) {
        BeingCreated = false;
        throw;
    }
    BeingCreated = false;
}

void TPngImage::ResetScratchState() {
    AlphaMode.store(pamDefined, std::memory_order_release);
    AllowShareSelf = false;
    FGrayMode = false;
    FDataPtr = nullptr;
    FDataStr.clear();
    FDataInt = 0;
    FAlphaBlendValue = 255;
    FSmoothFilter = psfDefault;
    fFilters = TFilters{pfSub};
    fCompressionLevel = 1;
    fInterlaceMethod = imNone;
}

TPngImage* TPngImage::TakeFromScratchCache(std::uint8_t ColorType, std::uint8_t Bitdepth, int cx, int cy) {
    const std::uint8_t depth = RecordedBitDepth(ColorType, Bitdepth);
    for (TPngImage* image : ScratchSlots()) {
        if (!image || !image->FHeader || image->FHeader->ColorType() != ColorType ||
            image->FHeader->BitDepth() != depth || image->Width() < cx || image->Height() < cy ||
            image->RefCount() != 1)
            continue;
        if (image->AddRef(true) == 2) {
            image->ResetScratchState();
            return image;
        }
        image->ReleaseRef();
    }
    return nullptr;
}

TPngImage* TPngImage::CreateBlank(std::uint8_t ColorType, std::uint8_t Bitdepth, int cx, int cy, bool NeedDC,
                                  bool UseCache, bool NeedIf32) {
    if (!UseCache || !PngIsMainThread()) {
        auto* image = new TPngImage;
        try {
            image->MakeBlank(ColorType, Bitdepth, cx, cy, NeedDC, NeedIf32);
        } catch (...) {
            image->Free();
            throw;
        }
        return image;
    }
    if (TPngImage* cached = TakeFromScratchCache(ColorType, Bitdepth, cx, cy))
        return cached;
    auto* image = new TPngImage;
    try {
        // Larger than asked, so that one image serves many similar requests.
        image->MakeBlank(ColorType, Bitdepth, cx + std::max(cx / 3, 100), cy + std::max(cy / 3, 100), NeedDC,
                         NeedIf32);
    } catch (...) {
        image->Free();
        throw;
    }
    image->AllowShareSelf = false;
    image->AddRef(true);
    auto& slots = ScratchSlots();
    const auto empty = std::find(slots.begin(), slots.end(), nullptr);
    if (empty != slots.end()) {
        *empty = image;
        return image;
    }
    // The smallest idle image goes; when all are in use, the smallest busy one.
    std::size_t victim = 0;
    for (std::size_t i = 1; i < slots.size(); ++i)
        if (slots[i]->RefCount() == 1 &&
            (slots[victim]->RefCount() > 1 || Area(slots[i]) < Area(slots[victim])))
            victim = i;
    if (slots[victim]->RefCount() > 1) {
        victim = 0;
        for (std::size_t i = 1; i < slots.size(); ++i)
            if (slots[i]->RefCount() > 1 && Area(slots[i]) < Area(slots[victim]))
                victim = i;
    }
    TPngImage* old = slots[victim];
    slots[victim] = image;
    // An image still in use keeps its saved DC state for its borrower.
    if (old->RefCount() > 1 && old->RefSaveDC != 0)
        --old->RefSaveDC_Index;
    old->Free();
    return image;
}

void TPngImage::FreeScratchCache() {
    if (!PngIsMainThread())
        return;
    for (TPngImage*& image : ScratchSlots()) {
        if (image) {
            if (image->RefCount() > 1 && image->RefSaveDC != 0)
                --image->RefSaveDC_Index;
            image->Free();
            image = nullptr;
        }
    }
}

} // namespace skin

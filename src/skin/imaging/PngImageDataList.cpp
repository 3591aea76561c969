#include "skin/imaging/PngImageDataList.h"

#include "platform/rtl/Atomic.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngCrc.h"
#include "skin/imaging/PngExceptions.h"
#include "skin/imaging/PngGamma.h"
#include "skin/imaging/PngImage.h"

#include <atomic>

namespace skin {

RTL_IMPLEMENT_CLASS(TPngImageDataList)

namespace {

constexpr std::u16string_view TextRefCount = u"PNG, ShareImageData.RefCount <= 0";

// Tags that keep stream keys and pixel keys apart in the one list.
constexpr std::uint8_t StreamTag = 'S';
constexpr std::uint8_t PixelTag = 'P';

// Adds n to a count that is still positive; false when it reached 0 (the
// item is being destroyed by its last holder).
bool AddIfAlive(TPngImageData* item, std::int32_t n) {
    std::atomic_ref count(item->RefCount);
    std::int32_t current = count.load();
    while (current > 0)
        if (count.compare_exchange_weak(current, current + n))
            return true;
    return false;
}

class TListLock {
public:
    explicit TListLock(const rtl::TObject& list) : FList(list) { FList.Lock(); }
    ~TListLock() { FList.UnLock(); }
    TListLock(const TListLock&) = delete;
    TListLock& operator=(const TListLock&) = delete;

private:
    const rtl::TObject& FList;
};

} // namespace

TPngImageDataList& TPngImageDataList::Instance() {
    // Made at unit start and kept: images may outlive static destruction.
    static TPngImageDataList* list = new TPngImageDataList;
    return *list;
}

std::uint64_t TPngImageDataList::StreamKey(const rtl::TMemoryStream* PngStream) {
    auto* stream = const_cast<rtl::TMemoryStream*>(PngStream);
    return PngCrc64(0, stream->Memory(), static_cast<std::size_t>(stream->Size()));
}

std::uint64_t TPngImageDataList::StreamLayout(TChunkIHDR* Header) {
    const TIHDRData& d = Header->IHDRData;
    std::uint8_t bytes[15] = {StreamTag,
                              static_cast<std::uint8_t>(Header->BitCount()),
                              0,
                              0,
                              0,
                              0,
                              0,
                              0,
                              0,
                              0,
                              d.BitDepth,
                              d.ColorType,
                              d.CompressionMethod,
                              d.FilterMethod,
                              d.InterlaceMethod};
    PngStoreBE32(bytes + 2, d.Width);
    PngStoreBE32(bytes + 6, d.Height);
    const std::uint64_t key = PngCrc64(0, bytes, sizeof bytes);
    // Nearly every image decodes without gamma: its layout is the header alone.
    const auto& gamma = Header->Owner()->GammaTable;
    return PngIsIdentityTable(gamma.data()) ? key : PngCrc64(key, gamma.data(), gamma.size());
}

std::uint64_t TPngImageDataList::PixelKey(TChunkIHDR* Header) {
    std::uint64_t key = PngCrc64(0, &Header->BitmapInfo, sizeof(TMaxBitmapInfo));
    const std::size_t rows = Header->Height();
    key = PngCrc64(key, Header->ImageData, std::size_t(Header->BytesPerRow()) * rows);
    // Images that differ only in alpha or in the low bytes are not equal.
    if (Header->ImageAlpha)
        key = PngCrc64(key, Header->ImageAlpha, std::size_t{Header->Width()} * rows);
    if (Header->ExtraImageData)
        key = PngCrc64(key, Header->ExtraImageData, std::size_t(Header->BytesPerRow()) * rows);
    return key;
}

TPngImageData* TPngImageDataList::Find(std::uint64_t CRC, std::uint64_t Layout) const {
    // The list is sorted by key; equal keys sit together.
    int lo = 0;
    int hi = Count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (Item(mid)->CRC < CRC)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (int i = lo; i < Count() && Item(i)->CRC == CRC; ++i)
        if (Item(i)->Layout == Layout && Item(i)->RefCount > 0)
            return Item(i);
    return nullptr;
}

void TPngImageDataList::Insert(TPngImageData* NewItem) {
    int lo = 0;
    int hi = Count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (Item(mid)->CRC <= NewItem->CRC)
            lo = mid + 1;
        else
            hi = mid;
    }
    TList::Insert(lo, NewItem);
}

TPngImageData* TPngImageDataList::Add(rtl::TMemoryStream* PngStream, std::uint64_t Layout) {
    const std::uint64_t key = StreamKey(PngStream);
    TListLock lock(*this);
    TPngImageData* item = Find(key, Layout);
    if (item && AddIfAlive(item, 1)) {
        delete PngStream;
        return item;
    }
    item = new TPngImageData;
    item->CRC = key;
    item->Layout = Layout;
    item->PngStream = PngStream;
    item->RefCount = 1;
    Insert(item);
    return item;
}

TPngImageData* TPngImageDataList::Use(TPngImageData*& Item) {
    TPngImageData* item = std::atomic_ref(Item).load();
    if (item && AddIfAlive(item, 1))
        return item;
    return nullptr;
}

TPngImageData* TPngImageDataList::Use(TChunkIHDR* Header) {
    if (Header->ShareImageData)
        return Use(Header->ShareImageData);
    if (!Header->ImageData)
        return nullptr;
    const std::uint64_t key = PixelKey(Header);
    std::uint64_t layout = PngCrc64(0, &PixelTag, 1);
    TListLock lock(*this);
    if (Header->ShareImageData)
        return Use(Header->ShareImageData);
    TPngImageData* item = Find(key, layout);
    const bool existed = item && AddIfAlive(item, 2);
    if (!existed) {
        item = new TPngImageData;
        item->CRC = key;
        item->Layout = layout;
        if (Header->MemImageData) {
            item->RGBData = Header->ImageData;
        } else {
            item->DibData = Header->ImageData;
            item->DibObj = Header->ImageHandle;
        }
        item->RGBData_Size =
            static_cast<std::int32_t>(std::int64_t(Header->BytesPerRow()) * Header->Height());
        item->RGBDataEx = Header->ExtraImageData;
        item->AlphaData = Header->ImageAlpha;
        item->BitPixel = Header->BitCount();
        item->RefCount = 2;
        Insert(item);
    } else if (Header->MemImageData) {
        // Equal pixels already shared: drop ours and take those.
        if (Header->ImageData != item->RGBData && !TPngImageData::IsMarker(item->RGBData) && item->RGBData) {
            PngFreePixels(Header->ImageData);
            Header->ImageData = item->RGBData;
        }
        if (Header->ImageAlpha && item->AlphaData && Header->ImageAlpha != item->AlphaData) {
            PngFreePixels(Header->ImageAlpha);
            Header->ImageAlpha = item->AlphaData;
        }
        if (Header->ExtraImageData && item->RGBDataEx && Header->ExtraImageData != item->RGBDataEx) {
            PngFreePixels(Header->ExtraImageData);
            Header->ExtraImageData = item->RGBDataEx;
        }
    }
    Header->ShareImageData = item;
    return item;
}

void TPngImageDataList::Release(TPngImageData*& Item) {
    TPngImageData* item = std::atomic_ref(Item).exchange(nullptr);
    if (!item)
        return;
    TPngImageData* victim = nullptr;
    {
        TListLock lock(*this);
        if (item->RefCount <= 0)
            TPngImage::RaiseError<EPNGOutMemory>(TextRefCount);
        if (rtl::AtomicDecrement(item->RefCount) < 1) {
            Remove(item);
            victim = item;
        }
    }
    delete victim;
}

bool TPngImageDataList::TryUnLink(TChunkIHDR* Header) {
    TPngImageData* item = Header->ShareImageData;
    if (!item)
        return true;
    const std::int32_t old = rtl::AtomicCmpExchange(item->RefCount, 0, 1);
    if (old < 1)
        TPngImage::RaiseError<EPNGOutMemory>(TextRefCount);
    if (old != 1)
        return false;
    {
        TListLock lock(*this);
        Remove(item);
    }
    Header->ShareImageData = nullptr;
    // The header keeps every buffer it uses; the item frees only the rest.
    if (item->RGBData == Header->ImageData)
        item->RGBData = nullptr;
    if (item->DibData == Header->ImageData)
        item->DibData = nullptr;
    if (item->DibObj == Header->ImageHandle)
        item->DibObj = nullptr;
    if (item->AlphaData == Header->ImageAlpha)
        item->AlphaData = nullptr;
    if (item->RGBDataEx == Header->ExtraImageData)
        item->RGBDataEx = nullptr;
    delete item;
    return true;
}

int TPngImageDataList::UsedCounter() const {
    TListLock lock(*this);
    int total = 0;
    for (int i = 0; i < Count(); ++i)
        total += Item(i)->RefCount;
    return total;
}

} // namespace skin

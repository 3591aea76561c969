#include "skin/imaging/PngImageData.h"

#include "platform/rtl/Atomic.h"
#include "platform/win/gdi/Gdi.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngThreads.h"

#include <atomic>

namespace skin {

RTL_IMPLEMENT_CLASS(TPngImageData)

namespace {

template <typename T>
bool IsReal(T* p) {
    return p && !TPngImageData::IsMarker(p);
}

} // namespace

TPngImageData::~TPngImageData() {
    if (IsReal(AlphaData))
        PngFreePixels(AlphaData);
    if (IsReal(RGBData) && static_cast<void*>(RGBData) != DibData)
        PngFreePixels(RGBData);
    if (IsReal(RGBDataEx))
        PngFreePixels(RGBDataEx);
    if (DibObj)
        win::DeleteObject(DibObj);
    if (IsReal(PngStream))
        delete PngStream;
}

rtl::TMemoryStream* TPngImageData::WaitExpand() {
    const std::uint32_t self = PngCurrentThreadId();
    std::atomic_ref field(PngStream);
    for (;;) {
        rtl::TMemoryStream* stream = field.load(std::memory_order_acquire);
        if (!stream)
            return nullptr;
        if (!IsMarker(stream)) {
            // A holder that only borrowed the stream (saving) puts it back
            // instead of clearing it: whoever waited takes it then.
            if (field.compare_exchange_strong(stream, Marker<rtl::TMemoryStream>(),
                                              std::memory_order_acq_rel)) {
                std::atomic_ref(CurrentExpandThd).store(self, std::memory_order_release);
                return stream;
            }
            continue;
        }
        if (std::atomic_ref(CurrentExpandThd).load(std::memory_order_acquire) == self)
            return nullptr;
        PngWaitForOtherThread();
    }
}

void TPngImageData::EndExpand(rtl::TMemoryStream* NewVal) {
    std::atomic_ref(CurrentExpandThd).store(0, std::memory_order_release);
    std::atomic_ref(PngStream).store(NewVal, std::memory_order_release);
}

std::uint8_t* TPngImageData::AcquireBuffer(std::uint8_t*& Slot, std::int64_t Size, std::uint32_t Width,
                                           std::uint32_t Height) {
    std::atomic_ref slot(Slot);
    for (;;) {
        std::uint8_t* current = slot.load(std::memory_order_acquire);
        if (IsReal(current))
            return current;
        if (IsMarker(current)) {
            PngWaitForOtherThread();
            continue;
        }
        if (!slot.compare_exchange_strong(current, Marker<std::uint8_t>(), std::memory_order_acq_rel))
            continue;
        std::uint8_t* block = nullptr;
        try {
            block = PngAllocPixels(Size, Width, Height);
        } catch (...) {
            slot.store(nullptr, std::memory_order_release);
            throw;
        }
        slot.store(block, std::memory_order_release);
        return block;
    }
}

} // namespace skin

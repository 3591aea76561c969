#pragma once

// One shared pixel set: the undecoded image data of equal PNG streams, or
// the buffers of equal decoded images. A pointer field holding the marker
// value 1 is being filled by another thread.

#include "platform/rtl/MemoryStream.h"
#include "platform/rtl/Object.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

namespace skin {

class TPngImageData : public rtl::TObject {
    RTL_CLASS(TPngImageData, rtl::TObject)
public:
    // The value of a pointer field that another thread is filling.
    template <typename T>
    [[nodiscard]] static T* Marker() noexcept {
        return reinterpret_cast<T*>(std::uintptr_t{1});
    }
    template <typename T>
    [[nodiscard]] static bool IsMarker(T* p) noexcept {
        return reinterpret_cast<std::uintptr_t>(p) == 1;
    }

    TPngImageData() = default;
    // Frees what the item holds (marker values excepted).
    ~TPngImageData() override;

    // When the stream is still there: the calling thread takes it and
    // decodes (the result), or waits while another thread holds it; none
    // once it is decoded, the stream when it was only borrowed and put back.
    [[nodiscard]] rtl::TMemoryStream* WaitExpand();
    // The decoding thread is done: the stream field becomes NewVal (none).
    void EndExpand(rtl::TMemoryStream* NewVal);

    // A shared buffer, allocated zero-filled by the first caller only;
    // others wait while it is being allocated.
    [[nodiscard]] static std::uint8_t* AcquireBuffer(std::uint8_t*& Slot, std::int64_t Size,
                                                     std::uint32_t Width, std::uint32_t Height);

    std::uint8_t* RGBData = nullptr;
    std::int32_t RGBData_Size = -1;
    std::uint8_t* RGBDataEx = nullptr;
    std::uint8_t* AlphaData = nullptr;
    std::int32_t BitPixel = 0;
    void* DibData = nullptr;
    win::HBITMAP DibObj = nullptr;
    std::int32_t RefCount = 0;
    std::uint64_t CRC = 0;
    rtl::TMemoryStream* PngStream = nullptr;
    std::uint32_t CurrentExpandThd = 0;
    // Besides the key: what the pixels were decoded for (header and gamma),
    // or the pixel-key marker; items match only when this is equal too.
    std::uint64_t Layout = 0;
};

} // namespace skin

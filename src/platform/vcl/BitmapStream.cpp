// Windows bitmap files for TBitmap: a file header, a BITMAPINFOHEADER (or a
// later, longer version of it), the colour table and the rows.

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Bitmap_p.h"
#include "platform/win/gdi/Gdi.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vcl {

using namespace bitmap_p;

namespace {

constexpr win::WORD BitmapSignature = 0x4D42; // "BM"
constexpr int FileHeaderSize = 14;
// Bitmaps larger than this are refused before anything is allocated for them.
constexpr std::int64_t MaxBitmapBytes = std::int64_t{1} << 28;

[[noreturn]] void InvalidBitmap() {
    throw EInvalidGraphic(u"Bitmap image is not valid");
}

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool IsStandardMasks(rtl::TStream* stream, int bits) {
    std::uint8_t masks[12];
    if (stream->Read(masks, 12) != 12)
        return false;
    if (bits == 32)
        return Le32(masks) == 0xFF0000 && Le32(masks + 4) == 0xFF00 && Le32(masks + 8) == 0xFF;
    return bits == 16 && Le32(masks) == 0x7C00 && Le32(masks + 4) == 0x3E0 && Le32(masks + 8) == 0x1F;
}

} // namespace

void TBitmap::LoadFromStream(rtl::TStream* stream) {
    const std::int64_t start = stream->Position();
    std::uint8_t fileHeader[FileHeaderSize];
    std::uint8_t headerSize[4];
    if (stream->Read(fileHeader, FileHeaderSize) != FileHeaderSize || fileHeader[0] != 'B' ||
        fileHeader[1] != 'M' || stream->Read(headerSize, 4) != 4)
        InvalidBitmap();
    const std::uint32_t infoSize = Le32(headerSize);
    if (infoSize < sizeof(win::BITMAPINFOHEADER) || infoSize > 124)
        InvalidBitmap();
    TBitmapInfo256 info{};
    std::memcpy(&info.bmiHeader, headerSize, 4);
    if (stream->Read(reinterpret_cast<std::uint8_t*>(&info.bmiHeader) + 4, 36) != 36)
        InvalidBitmap();
    const win::BITMAPINFOHEADER& h = info.bmiHeader;
    const int bits = h.biBitCount;
    const bool bitfields = h.biCompression == win::BI_BITFIELDS;
    if (h.biPlanes != 1 || (h.biCompression != win::BI_RGB && !bitfields) ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        InvalidBitmap();
    const std::int64_t width = h.biWidth;
    const std::int64_t height = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;
    const std::int64_t stride = StrideOf(static_cast<int>(std::min<std::int64_t>(width, 1 << 24)), bits);
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || stride * height > MaxBitmapBytes)
        InvalidBitmap();
    stream->Seek(start + FileHeaderSize + infoSize, rtl::soBeginning);
    if (bitfields && (infoSize != sizeof(win::BITMAPINFOHEADER) || !IsStandardMasks(stream, bits)))
        InvalidBitmap();
    int colors = 0;
    if (bits <= 8) {
        colors =
            h.biClrUsed == 0 ? 1 << bits : static_cast<int>(std::min<win::DWORD>(h.biClrUsed, 1u << bits));
        const auto bytes = static_cast<std::int64_t>(colors) * 4;
        if (stream->Read(info.bmiColors, bytes) != bytes)
            InvalidBitmap();
    }
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride * height));
    stream->Seek(start + Le32(fileHeader + 10), rtl::soBeginning);
    if (stream->Read(rows.data(), static_cast<std::int64_t>(rows.size())) !=
        static_cast<std::int64_t>(rows.size()))
        InvalidBitmap();

    TBitmapInfo256 dib = info;
    dib.bmiHeader.biSize = sizeof(win::BITMAPINFOHEADER);
    dib.bmiHeader.biHeight = static_cast<win::LONG>(height);
    dib.bmiHeader.biCompression = win::BI_RGB;
    dib.bmiHeader.biClrUsed = static_cast<win::DWORD>(colors);
    void* target = nullptr;
    win::HBITMAP image = win::CreateDIBSection(nullptr, reinterpret_cast<const win::BITMAPINFO*>(&dib),
                                               win::DIB_RGB_COLORS, &target, nullptr, 0);
    if (!image)
        throw rtl::EOutOfResources(u"Out of system resources");
    const bool fileTopDown = h.biHeight < 0;
    for (std::int64_t y = 0; y < height; ++y) {
        // The new image is bottom-up; a top-down file is turned over.
        const std::int64_t from = fileTopDown ? height - 1 - y : y;
        std::memcpy(static_cast<std::uint8_t*>(target) + y * stride, rows.data() + from * stride,
                    static_cast<std::size_t>(stride));
    }
    FreeImage();
    FHandle = image;
    FBits = target;
    FTopDown = false;
    FWidth = static_cast<int>(width);
    FHeight = static_cast<int>(height);
    FPixelFormat = FormatOfBits(bits);
    Changed(this);
}

void TBitmap::SaveToStream(rtl::TStream* stream) {
    if (Empty())
        return;
    const int bits = FPixelFormat == pfDevice ? 32 : BitsOf(FPixelFormat);
    const int stride = StrideOf(FWidth, bits);
    TBitmapInfo256 info{};
    info.bmiHeader.biSize = sizeof(win::BITMAPINFOHEADER);
    info.bmiHeader.biWidth = FWidth;
    info.bmiHeader.biHeight = FHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<win::WORD>(bits);
    info.bmiHeader.biCompression = win::BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<win::DWORD>(stride * FHeight);
    const int colors = bits <= 8 ? 1 << bits : 0;
    info.bmiHeader.biClrUsed = static_cast<win::DWORD>(colors);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * static_cast<std::size_t>(FHeight));
    win::HDC dc = win::CreateCompatibleDC(nullptr);
    win::GetDIBits(dc, Handle(), 0, static_cast<win::UINT>(FHeight), rows.data(),
                   reinterpret_cast<win::BITMAPINFO*>(&info), win::DIB_RGB_COLORS);
    win::DeleteDC(dc);
    info.bmiHeader.biHeight = FHeight;
    info.bmiHeader.biClrUsed = static_cast<win::DWORD>(colors);

    std::uint8_t fileHeader[FileHeaderSize]{};
    const std::uint32_t offBits =
        FileHeaderSize + sizeof(win::BITMAPINFOHEADER) + 4 * static_cast<std::uint32_t>(colors);
    fileHeader[0] = BitmapSignature & 0xFF;
    fileHeader[1] = BitmapSignature >> 8;
    PutLe32(fileHeader + 2, offBits + static_cast<std::uint32_t>(rows.size()));
    PutLe32(fileHeader + 10, offBits);
    stream->WriteBuffer(fileHeader, FileHeaderSize);
    stream->WriteBuffer(&info.bmiHeader, sizeof(win::BITMAPINFOHEADER));
    stream->WriteBuffer(info.bmiColors, 4 * colors);
    stream->WriteBuffer(rows.data(), static_cast<std::int64_t>(rows.size()));
}

} // namespace vcl

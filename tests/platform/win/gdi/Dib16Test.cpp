// 16-bit DIBs in both layouts: 5-5-5 (BI_RGB, or BI_BITFIELDS with its
// masks) and 5-6-5 (BI_BITFIELDS), through DIB sections, GetDIBits,
// SetDIBits, StretchDIBits and BitBlt.

#include "GdiTestSupport.h"

#include <cstring>

using namespace gdi_test;

namespace {

constexpr DWORD Masks565[3] = {0xF800, 0x07E0, 0x001F};
constexpr DWORD Masks555[3] = {0x7C00, 0x03E0, 0x001F};

// A BITMAPINFO for a top-down 16-bit DIB; `masks` null means BI_RGB.
BITMAPINFO* Info16(std::vector<std::uint8_t>& storage, int width, int height, const DWORD* masks) {
    BITMAPINFO* info = MakeInfo(storage, width, -height, 16, {});
    if (masks) {
        info->bmiHeader.biCompression = BI_BITFIELDS;
        std::memcpy(info->bmiColors, masks, 3 * sizeof(DWORD));
    }
    return info;
}

// A top-down 16-bit 5-6-5 header of `headerSize` bytes (40, or 124 for a V5
// header) at the start of `storage`, which keeps `extra` bytes after it.
BITMAPINFO* Header565(std::vector<std::uint8_t>& storage, DWORD headerSize, int width, int height,
                      size_t extra) {
    storage.assign(headerSize + extra, 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(storage.data());
    header->biSize = headerSize;
    header->biWidth = width;
    header->biHeight = -height;
    header->biPlanes = 1;
    header->biBitCount = 16;
    header->biCompression = BI_BITFIELDS;
    std::memcpy(storage.data() + sizeof(BITMAPINFOHEADER), Masks565, sizeof(Masks565));
    return reinterpret_cast<BITMAPINFO*>(storage.data());
}

// A 16-bit DIB section selected into a memory DC.
struct Dib16 {
    Dib16(int width, int height, const DWORD* masks) : width(width) {
        std::vector<std::uint8_t> storage;
        void* raw = nullptr;
        bitmap = CreateDIBSection(nullptr, Info16(storage, width, height, masks), DIB_RGB_COLORS, &raw,
                                  nullptr, 0);
        bits = static_cast<std::uint16_t*>(raw);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
    }
    ~Dib16() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Dib16(const Dib16&) = delete;
    Dib16& operator=(const Dib16&) = delete;

    std::uint16_t& At(int x, int y) const { return bits[y * ((width * 2 + 3) / 4 * 2) + x]; }

    int width;
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
    std::uint16_t* bits = nullptr;
};

// A channel of `bits` bits widened to 8 by repeating its top bits below it:
// 0 stays 0, the largest value becomes 255, and the top bits are the value.
std::uint32_t Scaled(std::uint32_t value, int bits) {
    return (value << (8 - bits)) | (value >> (2 * bits - 8));
}

struct Layout {
    const char* name;
    const DWORD* masks; // null: BI_RGB
    int redShift;
    int greenBits;
};

const Layout Layouts[] = {
    {"5-5-5 (BI_RGB)", nullptr, 10, 5}, {"5-5-5 (bit fields)", Masks555, 10, 5}, {"5-6-5", Masks565, 11, 6}};

// The 32-bit pixel (alpha 0) that a 16-bit value stands for.
std::uint32_t Expanded(const Layout& layout, std::uint32_t v) {
    const std::uint32_t greenMax = (1u << layout.greenBits) - 1;
    return (Scaled((v >> layout.redShift) & 31, 5) << 16) |
           (Scaled((v >> 5) & greenMax, layout.greenBits) << 8) | Scaled(v & 31, 5);
}

} // namespace

TEST(Dib16, EveryValueExpandsExactlyAndComesBack) {
    for (const Layout& layout : Layouts) {
        SCOPED_TRACE(layout.name);
        const std::uint32_t limit = layout.greenBits == 6 ? 0x10000 : 0x8000;
        Dib16 source(256, 256, layout.masks);
        ASSERT_TRUE(source.bitmap);
        for (std::uint32_t v = 0; v < 0x10000; ++v) {
            source.At(static_cast<int>(v % 256), static_cast<int>(v / 256)) =
                static_cast<std::uint16_t>(v % limit);
        }
        Canvas wide(256, 256);
        wide.Fill(0xFFFFFFFF);
        ASSERT_TRUE(BitBlt(wide.dc, 0, 0, 256, 256, source.dc, 0, 0, SRCCOPY));
        int wrong = 0;
        for (std::uint32_t v = 0; v < 0x10000; ++v) {
            const std::uint32_t got = wide.At(static_cast<int>(v % 256), static_cast<int>(v / 256));
            wrong += got != Expanded(layout, v % limit) ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0);

        // Reduced again, every value is the one it came from.
        Dib16 back(256, 256, layout.masks);
        ASSERT_TRUE(BitBlt(back.dc, 0, 0, 256, 256, wide.dc, 0, 0, SRCCOPY));
        EXPECT_EQ(std::memcmp(back.bits, source.bits, 256 * 256 * 2), 0);
    }
}

TEST(Dib16, ColoursLandInTheLayoutsBits) {
    struct Row {
        COLORREF colour;
        std::uint16_t as565;
        std::uint16_t as555;
    } rows[] = {
        {RGB(255, 0, 0), 0xF800, 0x7C00},
        {RGB(0, 255, 0), 0x07E0, 0x03E0},
        {RGB(0, 0, 255), 0x001F, 0x001F},
        {RGB(255, 255, 255), 0xFFFF, 0x7FFF},
        // The low bits are dropped: 8 -> 1 of 5 bits; 4 -> 1 of 6 bits, 0 of 5.
        {RGB(8, 4, 15), 0x0821, 0x0401},
    };
    Dib16 wide(2, 1, Masks565);
    Dib16 narrow(2, 1, nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.colour);
        SetPixel(wide.dc, 1, 0, row.colour);
        SetPixel(narrow.dc, 1, 0, row.colour);
        EXPECT_EQ(wide.At(1, 0), row.as565);
        EXPECT_EQ(narrow.At(1, 0), row.as555);
    }
    // GetPixel reads the expanded colour back.
    wide.At(0, 0) = 0x0821;
    EXPECT_EQ(GetPixel(wide.dc, 0, 0), RGB(8, 4, 8));
    narrow.At(0, 0) = 0x0401;
    EXPECT_EQ(GetPixel(narrow.dc, 0, 0), RGB(8, 0, 8));
    // A destination invert on 5-6-5 reaches all sixteen bits; 5-5-5 keeps its top bit 0.
    ASSERT_TRUE(PatBlt(wide.dc, 0, 0, 1, 1, DSTINVERT));
    ASSERT_TRUE(PatBlt(narrow.dc, 0, 0, 1, 1, DSTINVERT));
    EXPECT_EQ(wide.At(0, 0), 0xF7DE);
    EXPECT_EQ(narrow.At(0, 0), 0x7BFE);
}

TEST(Dib16, DibSectionsDescribeTheirLayout) {
    for (const Layout& layout : Layouts) {
        SCOPED_TRACE(layout.name);
        Dib16 dib(3, 2, layout.masks);
        ASSERT_TRUE(dib.bitmap);
        DIBSECTION ds{};
        ASSERT_EQ(GetObject(dib.bitmap, sizeof(ds), &ds), int{sizeof(ds)});
        const bool wide = layout.greenBits == 6;
        EXPECT_EQ(ds.dsBmih.biCompression, wide ? BI_BITFIELDS : BI_RGB);
        EXPECT_EQ(ds.dsBitfields[0], wide ? 0xF800u : 0x7C00u);
        EXPECT_EQ(ds.dsBitfields[1], wide ? 0x07E0u : 0x03E0u);
        EXPECT_EQ(ds.dsBitfields[2], 0x001Fu);
        BITMAPINFO query{};
        query.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        ASSERT_NE(GetDIBits(dib.dc, dib.bitmap, 0, 0, nullptr, &query, DIB_RGB_COLORS), 0);
        EXPECT_EQ(query.bmiHeader.biBitCount, 16);
        EXPECT_EQ(query.bmiHeader.biCompression, wide ? BI_BITFIELDS : BI_RGB);
    }
    // A compatible bitmap of a 5-6-5 DC is 5-6-5 as well.
    Dib16 wide(1, 1, Masks565);
    HBITMAP compatible = CreateCompatibleBitmap(wide.dc, 2, 2);
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(compatible, sizeof(ds), &ds), int{sizeof(ds)});
    EXPECT_EQ(ds.dsBitfields[0], 0xF800u);
    DeleteObject(compatible);
}

TEST(Dib16, TransfersThroughCallerMemoryConvert) {
    Canvas c(2, 1);
    c.At(0, 0) = 0x7FFF0000; // red with alpha
    c.At(1, 0) = 0x00080408;
    std::vector<std::uint8_t> storage;
    BITMAPINFO* info = Info16(storage, 2, 1, Masks565);
    std::uint16_t bits[2] = {};
    ASSERT_EQ(GetDIBits(c.dc, c.bitmap, 0, 1, bits, info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(bits[0], 0xF800);
    EXPECT_EQ(bits[1], 0x0821);

    // Masks we cannot read are replaced by 5-6-5 and say so.
    std::memset(info->bmiColors, 0, 3 * sizeof(DWORD));
    ASSERT_EQ(GetDIBits(c.dc, c.bitmap, 0, 1, bits, info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(std::memcmp(info->bmiColors, Masks565, sizeof(Masks565)), 0);
    EXPECT_EQ(bits[0], 0xF800);

    // SetDIBits and StretchDIBits expand exactly; 5-5-5 bits read as 5-5-5.
    const std::uint16_t source[2] = {0x07E0, 0x0821};
    c.Fill(0xFFFFFFFF);
    ASSERT_EQ(SetDIBits(c.dc, c.bitmap, 0, 1, source, info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(c.At(0, 0), 0x0000FF00u);
    EXPECT_EQ(c.At(1, 0), 0x00080408u);
    BITMAPINFO* narrow = Info16(storage, 2, 1, Masks555);
    c.Fill(0xFFFFFFFF);
    ASSERT_EQ(StretchDIBits(c.dc, 0, 0, 2, 1, 0, 0, 2, 1, source, narrow, DIB_RGB_COLORS, SRCCOPY), 1);
    EXPECT_EQ(c.At(0, 0), 0x0008FF00u); // 0x07E0 read as 5-5-5: red 1, green 31
}

TEST(Dib16, BlitsBetweenLayoutsConvertAndUnknownMasksAreRefused) {
    Dib16 narrow(2, 1, Masks555);
    Dib16 wide(2, 1, Masks565);
    narrow.At(0, 0) = 0x7C00;
    narrow.At(1, 0) = 0x03E0;
    ASSERT_TRUE(BitBlt(wide.dc, 0, 0, 2, 1, narrow.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(wide.At(0, 0), 0xF800);
    EXPECT_EQ(wide.At(1, 0), 0x07E0);
    ASSERT_TRUE(BitBlt(narrow.dc, 0, 0, 2, 1, wide.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(narrow.At(0, 0), 0x7C00);
    EXPECT_EQ(narrow.At(1, 0), 0x03E0);

    const DWORD odd[3] = {0xF000, 0x0FF0, 0x000F};
    std::vector<std::uint8_t> storage;
    void* bits = nullptr;
    EXPECT_EQ(CreateDIBSection(nullptr, Info16(storage, 2, 1, odd), DIB_RGB_COLORS, &bits, nullptr, 0),
              nullptr);
    EXPECT_EQ(bits, nullptr);

    // In the larger headers the masks sit inside the header.
    std::vector<std::uint8_t> v5;
    HBITMAP fromV5 =
        CreateDIBSection(nullptr, Header565(v5, 124, 2, 1, 0), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(fromV5);
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(fromV5, sizeof(ds), &ds), int{sizeof(ds)});
    EXPECT_EQ(ds.dsBitfields[0], 0xF800u);
    DeleteObject(fromV5);
}

TEST(Dib16, PatternBrushesFindTheirBitsAfterTheMasks) {
    // A packed 5-6-5 DIB: after a BITMAPINFOHEADER the masks follow it; after
    // a V5 header they are inside it and the bits follow the header.
    struct Row {
        const char* name;
        DWORD headerSize;
    } rows[] = {{"info header", 40}, {"V5 header", 124}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const size_t bitsOffset = row.headerSize == 40 ? 52 : row.headerSize;
        std::vector<std::uint8_t> packed;
        Header565(packed, row.headerSize, 2, 2, bitsOffset - row.headerSize + 8);
        const std::uint16_t bits[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
        std::memcpy(packed.data() + bitsOffset, bits, sizeof(bits));
        HBRUSH brush = CreateDIBPatternBrushPt(packed.data(), DIB_RGB_COLORS);
        ASSERT_TRUE(brush);
        Canvas c(2, 2);
        const RECT r{0, 0, 2, 2};
        ASSERT_TRUE(FillRect(c.dc, &r, brush));
        EXPECT_EQ(c.At(0, 0), 0x00FF0000u);
        EXPECT_EQ(c.At(1, 0), 0x0000FF00u);
        EXPECT_EQ(c.At(0, 1), 0x000000FFu);
        EXPECT_EQ(c.At(1, 1), 0x00FFFFFFu);
        DeleteObject(brush);
    }
}

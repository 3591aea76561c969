// Handles, objects, DIB sections and memory DCs; bad arguments.

#include "GdiTestSupport.h"

#include <cstring>
#include <functional>

using namespace gdi_test;

TEST(Handles, DeletedHandlesAreRefusedAndNotReused) {
    HBRUSH first = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_TRUE(first);
    ASSERT_TRUE(DeleteObject(first));
    HBRUSH second = CreateSolidBrush(RGB(4, 5, 6));
    EXPECT_NE(first, second); // same slot, new generation
    SetLastError(0);
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    LOGBRUSH lb{};
    EXPECT_EQ(GetObject(first, sizeof(lb), &lb), 0);
    EXPECT_FALSE(DeleteObject(first));
    EXPECT_EQ(GetObject(second, sizeof(lb), &lb), int(sizeof(lb)));
    EXPECT_EQ(lb.lbColor, RGB(4, 5, 6));
    DeleteObject(second);
}

TEST(Handles, ObjectTypesAndDescriptions) {
    HDC memory = CreateCompatibleDC(nullptr);
    std::vector<std::uint32_t> pixels(4);
    HDC surface = CreateSurfaceDC(reinterpret_cast<std::uint8_t*>(pixels.data()), 8, 2, 2);
    HPEN pen = CreatePen(PS_DASH, 1, RGB(9, 8, 7));
    LOGFONTW lf{};
    lf.lfHeight = -13;
    lf.lfFaceName[0] = u'A';
    HFONT font = CreateFontIndirect(&lf);
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    struct Row {
        HGDIOBJ object;
        DWORD type;
    } rows[] = {{memory, OBJ_MEMDC},
                {surface, OBJ_DC},
                {pen, OBJ_PEN},
                {font, OBJ_FONT},
                {region, OBJ_REGION},
                {GetStockObject(WHITE_BRUSH), OBJ_BRUSH},
                {GetStockObject(DEFAULT_PALETTE), OBJ_PAL}};
    for (const Row& row : rows) {
        EXPECT_EQ(GetObjectType(row.object), row.type);
    }
    LOGPEN lp{};
    ASSERT_EQ(GetObject(pen, sizeof(lp), &lp), int(sizeof(lp)));
    EXPECT_EQ(lp.lopnStyle, PS_DASH);
    EXPECT_EQ(lp.lopnColor, RGB(9, 8, 7));
    LOGFONTW back{};
    ASSERT_EQ(GetObject(font, sizeof(back), &back), int(sizeof(back)));
    EXPECT_EQ(std::memcmp(&back, &lf, sizeof(lf)), 0);
    EXPECT_EQ(GetObject(font, 0, nullptr), int(sizeof(LOGFONTW)));
    for (HGDIOBJ o : {HGDIOBJ(pen), HGDIOBJ(font), HGDIOBJ(region)}) {
        DeleteObject(o);
    }
    DeleteDC(memory);
    DeleteDC(surface);
}

TEST(MemoryDC, StartsWithTheStockMonochromeBitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ stock = GetCurrentObject(dc, OBJ_BITMAP);
    BITMAP bm{};
    ASSERT_EQ(GetObject(stock, sizeof(bm), &bm), int(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    // A second DC holds the same stock bitmap; any other bitmap can be told apart.
    HDC other = CreateCompatibleDC(dc);
    EXPECT_EQ(GetCurrentObject(other, OBJ_BITMAP), stock);
    // A compatible bitmap of a DC that still holds it is monochrome.
    HBITMAP mono = CreateCompatibleBitmap(dc, 8, 8);
    ASSERT_EQ(GetObject(mono, sizeof(bm), &bm), int(sizeof(bm)));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_TRUE(DeleteObject(stock)); // stock objects ignore deletion
    EXPECT_EQ(GetObjectType(stock), OBJ_BITMAP);
    // The device reports 32 bits per pixel whatever the DC holds.
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    DeleteObject(mono);
    DeleteDC(other);
    DeleteDC(dc);
}

TEST(MemoryDC, ABitmapLivesInOneDcAndDeletionWaitsForDeselection) {
    Canvas a(2, 2);
    HDC b = CreateCompatibleDC(nullptr);
    SetLastError(0);
    EXPECT_EQ(SelectObject(b, a.bitmap), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    HGDIOBJ old = SelectObject(a.dc, brush);
    EXPECT_TRUE(DeleteObject(brush));
    // Still selected: still usable.
    EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);
    EXPECT_TRUE(PatBlt(a.dc, 0, 0, 1, 1, PATCOPY));
    EXPECT_EQ(a.At(0, 0), Drawn(RGB(10, 20, 30)));
    SelectObject(a.dc, old);
    EXPECT_EQ(GetObjectType(brush), 0u);
    DeleteDC(b);
}

TEST(DibSection, DepthsLayoutsAndColourTables) {
    const std::vector<RGBQUAD> table{{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
    struct Row {
        int bpp;
        bool bottomUp;
    } rows[] = {{1, false}, {4, true}, {8, false}, {24, true}, {32, false}, {32, true}, {16, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bpp);
        Canvas c(5, 3, row.bpp, row.bpp <= 8 ? table : std::vector<RGBQUAD>{}, row.bottomUp);
        ASSERT_TRUE(c.bitmap);
        DIBSECTION ds{};
        ASSERT_EQ(GetObject(c.bitmap, sizeof(ds), &ds), int(sizeof(ds)));
        EXPECT_EQ(ds.dsBm.bmWidthBytes, c.stride);
        EXPECT_EQ(ds.dsBmih.biHeight, row.bottomUp ? 3 : -3);
        EXPECT_EQ(ds.dsBm.bmBits, c.bits);
        const COLORREF colour = row.bpp == 1 ? RGB(0, 0, 255) : RGB(0, 255, 0);
        const COLORREF set = SetPixel(c.dc, 3, 2, colour);
        EXPECT_EQ(GetPixel(c.dc, 3, 2), set);
        EXPECT_EQ(GetPixel(c.dc, 2, 2), row.bpp <= 8 ? RGB(0, 0, 0) : COLORREF{0});
        // The pixel landed in the row the layout says, in memory.
        const std::uint8_t* line = c.Row(2);
        bool nonZero = false;
        for (int i = 0; i < c.stride; ++i) {
            nonZero |= line[i] != 0;
        }
        EXPECT_TRUE(nonZero);
    }
}

TEST(DibSection, GetDIBitsAndSetDIBitsConvert) {
    Canvas c(3, 2);
    c.At(0, 0) = 0x7F0000FF;
    c.At(2, 1) = 0x0000FF00;
    std::vector<std::uint8_t> storage;
    BITMAPINFO* info = MakeInfo(storage, 3, 2, 24, {}); // bottom-up 24-bit
    std::vector<std::uint8_t> bits(2 * 12);
    ASSERT_EQ(GetDIBits(c.dc, c.bitmap, 0, 2, bits.data(), info, DIB_RGB_COLORS), 2);
    // Bottom-up: the first row in memory is the bottom row.
    EXPECT_EQ(bits[6], 0);
    EXPECT_EQ(bits[7], 0xFF);
    EXPECT_EQ(bits[12 + 0], 0xFF);
    // And back, into a bitmap with alpha: 24-bit pixels land with alpha 0.
    Canvas d(3, 2);
    d.Fill(0xFFFFFFFF);
    ASSERT_EQ(SetDIBits(d.dc, d.bitmap, 0, 2, bits.data(), info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(d.At(0, 0), 0x000000FFu);
    EXPECT_EQ(d.At(2, 1), 0x0000FF00u);
    // Describing a bitmap.
    BITMAPINFO query{};
    query.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_NE(GetDIBits(c.dc, c.bitmap, 0, 0, nullptr, &query, DIB_RGB_COLORS), 0);
    EXPECT_EQ(query.bmiHeader.biWidth, 3);
    EXPECT_EQ(query.bmiHeader.biBitCount, 32);
}

TEST(BadArguments, FailTheWayGdiReports) {
    Canvas c(2, 2);
    HBRUSH deleted = CreateSolidBrush(0);
    DeleteObject(deleted);
    HDC deletedDc = CreateCompatibleDC(nullptr);
    DeleteDC(deletedDc);
    std::vector<std::uint8_t> storage;
    const BITMAPINFO* huge = MakeInfo(storage, 1 << 20, 1 << 20, 32, {});
    std::vector<std::uint8_t> storage2;
    BITMAPINFO* zeroWidth = MakeInfo(storage2, 0, 4, 32, {});
    std::vector<std::uint8_t> storage3;
    BITMAPINFO* badDepth = MakeInfo(storage3, 4, 4, 7, {});
    void* bits = reinterpret_cast<void*>(1);
    struct Row {
        const char* name;
        std::function<bool()> call;
        DWORD error;
    } rows[] = {
        {"BitBlt from a deleted DC", [&] { return BitBlt(c.dc, 0, 0, 1, 1, deletedDc, 0, 0, SRCCOPY) != 0; },
         ERROR_INVALID_HANDLE},
        {"FillRect with a deleted brush",
         [&] {
             RECT r{0, 0, 1, 1};
             return FillRect(c.dc, &r, deleted) != 0;
         },
         ERROR_INVALID_HANDLE},
        {"SelectObject into a null DC",
         [&] { return SelectObject(nullptr, GetStockObject(BLACK_PEN)) != nullptr; }, ERROR_INVALID_HANDLE},
        {"absurd DIB",
         [&] { return CreateDIBSection(c.dc, huge, DIB_RGB_COLORS, &bits, nullptr, 0) != nullptr; },
         ERROR_INVALID_PARAMETER},
        {"zero-width DIB", [&] { return CreateDIBSection(c.dc, zeroWidth, 0, &bits, nullptr, 0) != nullptr; },
         ERROR_INVALID_PARAMETER},
        {"7-bit DIB", [&] { return CreateDIBSection(c.dc, badDepth, 0, &bits, nullptr, 0) != nullptr; },
         ERROR_INVALID_PARAMETER},
        {"negative bitmap size", [&] { return CreateBitmap(-1, 4, 1, 32, nullptr) != nullptr; },
         ERROR_INVALID_PARAMETER},
        {"region beyond the coordinate range", [&] { return CreateRectRgn(0, 0, 0x7FFFFFFF, 10) != nullptr; },
         ERROR_INVALID_PARAMETER},
        {"round region of absurd height",
         [&] { return CreateRoundRectRgn(0, -(1 << 26), 10, 1 << 26, 4, 4) != nullptr; },
         ERROR_NOT_ENOUGH_MEMORY},
        {"RestoreDC without a saved state", [&] { return RestoreDC(c.dc, -1) != 0; },
         ERROR_INVALID_PARAMETER},
        {"SetROP2 out of range", [&] { return SetROP2(c.dc, 17) != 0; }, ERROR_INVALID_PARAMETER},
        {"Polyline with one point",
         [&] {
             POINT p{0, 0};
             return Polyline(c.dc, &p, 1) != 0;
         },
         ERROR_INVALID_PARAMETER},
    };
    for (const Row& row : rows) {
        SetLastError(0);
        EXPECT_FALSE(row.call()) << row.name;
        EXPECT_EQ(GetLastError(), row.error) << row.name;
    }
    EXPECT_EQ(bits, nullptr);
}

TEST(BadArguments, HugeCoordinatesDrawOnlyWhatIsVisible) {
    Canvas c(8, 8);
    c.FillPattern();
    RECT r{-0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};
    EXPECT_TRUE(FillRect(c.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    EXPECT_EQ(c.At(0, 0), 0u);
    EXPECT_EQ(c.At(7, 7), 0u);
    c.FillPattern();
    EXPECT_TRUE(MoveToEx(c.dc, -2000000000, -2000000000, nullptr));
    EXPECT_TRUE(LineTo(c.dc, 2000000000, 2000000000));
    EXPECT_EQ(c.At(3, 3), Drawn(0));
    EXPECT_TRUE(Ellipse(c.dc, -2000000000, -2000000000, 2000000000, 2000000000));
    EXPECT_TRUE(StretchBlt(c.dc, -2000000000, 0, 2100000000, 8, c.dc, 0, 0, 8, 8, SRCCOPY));
    // Averaging a huge source into a few pixels must not visit all of it.
    for (int mode : {HALFTONE, BLACKONWHITE}) {
        SetStretchBltMode(c.dc, mode);
        EXPECT_TRUE(
            StretchBlt(c.dc, 0, 0, 8, 8, c.dc, -1000000000, -1000000000, 2000000000, 2000000000, SRCCOPY));
    }
    HPEN wide = CreatePen(PS_SOLID, 0x7FFFFFFF, RGB(1, 1, 1));
    SelectObject(c.dc, wide);
    EXPECT_TRUE(LineTo(c.dc, 3, 3));
    EXPECT_EQ(c.At(7, 7), Drawn(RGB(1, 1, 1)));
    SelectObject(c.dc, GetStockObject(BLACK_PEN));
    DeleteObject(wide);
}

TEST(Palettes, NearestIndexAndDefaultPalette) {
    PALETTEENTRY entries[3] = {{0, 0, 0, 0}, {200, 10, 10, 0}, {10, 10, 200, 0}};
    std::vector<std::uint8_t> storage(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 3;
    std::memcpy(lp->palPalEntry, entries, sizeof(entries));
    HPALETTE palette = CreatePalette(lp);
    ASSERT_TRUE(palette);
    EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(250, 0, 0)), 1u);
    EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(0, 0, 180)), 2u);
    EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(5, 5, 5)), 0u);
    WORD count = 0;
    ASSERT_EQ(GetObject(GetStockObject(DEFAULT_PALETTE), sizeof(count), &count), int(sizeof(count)));
    EXPECT_EQ(count, 20);
    EXPECT_TRUE(ResizePalette(palette, 5));
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 5u);
    EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(250, 0, 0)), 1u);
    DeleteObject(palette);
    HPALETTE halftone = CreateHalftonePalette(nullptr);
    ASSERT_EQ(GetPaletteEntries(halftone, 0, 0, nullptr), 256u);
    PALETTEENTRY e{};
    GetPaletteEntries(halftone, GetNearestPaletteIndex(halftone, RGB(255, 255, 255)), 1, &e);
    EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), RGB(255, 255, 255));
    DeleteObject(halftone);
}

TEST(SystemColours, ClassicSchemeAndBrushes) {
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    LOGBRUSH lb{};
    ASSERT_EQ(GetObject(face, sizeof(lb), &lb), int(sizeof(lb)));
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
    EXPECT_TRUE(DeleteObject(face));
    EXPECT_EQ(GetObjectType(face), OBJ_BRUSH);
    // FillRect takes COLOR_xxx + 1 in place of a brush.
    Canvas c(1, 1);
    RECT r{0, 0, 1, 1};
    EXPECT_TRUE(
        FillRect(c.dc, &r, reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_HIGHLIGHT + 1))));
    EXPECT_EQ(c.At(0, 0), Drawn(GetSysColor(COLOR_HIGHLIGHT)));
}

// The bitmap: pixel formats, bottom-up scan lines, alpha formats,
// transparent colour, canvas drawing, handles and bitmap files.

#include "platform/vcl/Bitmap.h"

#include "platform/rtl/MemoryStream.h"
#include "platform/vcl/Brush.h"
#include "platform/vcl/Canvas.h"
#include "platform/vcl/Icon.h"
#include "platform/win/gdi/Gdi.h"

#include <cstring>

#include <gtest/gtest.h>

namespace vcl {
namespace {

std::uint8_t* Pixel32(TBitmap& bitmap, int x, int y) {
    return static_cast<std::uint8_t*>(bitmap.ScanLine(y)) + 4 * x;
}

TEST(Bitmap, PixelFormatsGiveBitCountsAndRowSizes) {
    struct Row {
        TPixelFormat format;
        int bits;
        int bytesPerRow; // for 5 pixels
    };
    const Row rows[] = {{pf1bit, 1, 4},    {pf4bit, 4, 4},    {pf8bit, 8, 8},
                        {pf15bit, 16, 12}, {pf24bit, 24, 16}, {pf32bit, 32, 20}};
    for (const Row& row : rows) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(row.format);
        bitmap.SetSize(5, 3);
        EXPECT_EQ(bitmap.BitCount(), row.bits);
        EXPECT_EQ(bitmap.BytesPerScanLine(), row.bytesPerRow);
        win::DIBSECTION ds{};
        ASSERT_EQ(win::GetObjectW(bitmap.Handle(), sizeof ds, &ds), static_cast<int>(sizeof ds));
        EXPECT_EQ(ds.dsBmih.biBitCount, row.bits);
        EXPECT_GT(ds.dsBmih.biHeight, 0) << "bottom-up, as the class library makes them";
    }
}

TEST(Bitmap, ScanLineZeroIsTheTopRowDrawnByTheCanvas) {
    TBitmap bitmap(3, 2);
    bitmap.SetPixelFormat(pf32bit);
    bitmap.Canvas()->SetPixels(1, 0, clRed);
    EXPECT_EQ(Pixel32(bitmap, 1, 0)[2], 255);
    EXPECT_EQ(Pixel32(bitmap, 1, 1)[2], 0);
    EXPECT_EQ(static_cast<std::uint8_t*>(bitmap.ScanLine(0)) - static_cast<std::uint8_t*>(bitmap.ScanLine(1)),
              bitmap.BytesPerScanLine());
    EXPECT_THROW((void)bitmap.ScanLine(2), EInvalidGraphicOperation);
}

TEST(Bitmap, ChangingAlphaFormatConvertsThePixels) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(1, 1);
    std::uint8_t* p = Pixel32(bitmap, 0, 0);
    const std::uint8_t straight[4] = {200, 100, 50, 128};
    std::memcpy(p, straight, 4);
    bitmap.SetAlphaFormat(afDefined); // from afIgnored: pixels untouched
    EXPECT_EQ(p[0], 200);
    bitmap.SetAlphaFormat(afPremultiplied);
    EXPECT_EQ(p[0], 100); // round(200 x 128 / 255)
    EXPECT_EQ(p[1], 50);
    EXPECT_EQ(p[2], 25);
    EXPECT_EQ(p[3], 128);
    bitmap.SetAlphaFormat(afDefined);
    EXPECT_EQ(p[0], 199);
    EXPECT_EQ(p[2], 50);
}

TEST(Bitmap, TransparentColourIsTheBottomLeftPixelUntilFixed) {
    TBitmap bitmap(4, 4);
    bitmap.SetPixelFormat(pf24bit);
    bitmap.Canvas()->SetPixels(0, 3, clLime);
    EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), clLime);
    bitmap.SetTransparentColor(clRed);
    EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
    EXPECT_EQ(bitmap.TransparentColor(), clRed);
    bitmap.SetTransparentMode(tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), clLime);
}

TEST(Bitmap, SizeChangeKeepsTheOverlap) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(2, 2);
    bitmap.Canvas()->SetPixels(1, 1, clBlue);
    bitmap.SetSize(3, 3);
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 1), clBlue);
    EXPECT_EQ(bitmap.Canvas()->Pixels(2, 2), clBlack);
}

TEST(Bitmap, DrawOntoAnotherBitmapByFormat) {
    TBitmap target(2, 1);
    target.SetPixelFormat(pf32bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(Rect(0, 0, 2, 1));

    TBitmap source(2, 1);
    source.SetPixelFormat(pf32bit);
    const std::uint8_t pixels[8] = {0, 0, 128, 128, 0, 0, 0, 0}; // premultiplied half red, transparent
    std::memcpy(source.ScanLine(0), pixels, 8);
    source.SetAlphaFormat(afPremultiplied);
    target.Canvas()->Draw(0, 0, &source);
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), 0x7F7FFF);
    EXPECT_EQ(target.Canvas()->Pixels(1, 0), clWhite);
}

TEST(Bitmap, AdoptsAndReleasesHandles) {
    TBitmap source(3, 2);
    source.SetPixelFormat(pf24bit);
    TBitmap bitmap;
    bitmap.SetHandle(source.ReleaseHandle());
    EXPECT_TRUE(source.Empty());
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
}

TEST(Bitmap, FileRoundTripKeepsFormatAndPixels) {
    for (TPixelFormat format : {pf1bit, pf8bit, pf24bit, pf32bit}) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(5, 3);
        bitmap.Canvas()->SetPixels(4, 0, clWhite);
        rtl::TMemoryStream stream;
        bitmap.SaveToStream(&stream);
        stream.SetPosition(0);
        TBitmap loaded;
        loaded.LoadFromStream(&stream);
        EXPECT_EQ(loaded.PixelFormat(), format);
        EXPECT_EQ(loaded.Width(), 5);
        EXPECT_EQ(loaded.Canvas()->Pixels(4, 0), clWhite);
        EXPECT_EQ(loaded.Canvas()->Pixels(3, 0), clBlack);
        EXPECT_TRUE(loaded.Equals(&bitmap));
    }
}

TEST(Bitmap, DamagedFilesAreRefused) {
    TBitmap good(2, 2);
    good.SetPixelFormat(pf24bit);
    rtl::TMemoryStream stream;
    good.SaveToStream(&stream);
    const auto* bytes = static_cast<const std::uint8_t*>(stream.Memory());
    const std::vector<std::uint8_t> file(bytes, bytes + stream.Size());
    struct Damage {
        const char* name;
        std::size_t offset;
        std::uint8_t value;
        std::size_t cut; // bytes kept, 0 = all
    };
    const Damage damages[] = {{"signature", 0, 'X', 0},
                              {"huge width", 21, 0x7F, 0},
                              {"bit depth 7", 28, 7, 0},
                              {"cut rows", 0, 'B', 60}};
    for (const Damage& d : damages) {
        std::vector<std::uint8_t> broken = file;
        broken[d.offset] = d.value;
        if (d.cut)
            broken.resize(d.cut);
        rtl::TMemoryStream in;
        in.WriteBuffer(broken.data(), static_cast<std::int64_t>(broken.size()));
        in.SetPosition(0);
        TBitmap bitmap;
        EXPECT_THROW(bitmap.LoadFromStream(&in), EInvalidGraphic) << d.name;
    }
}

TEST(Icon, AssignedToABitmapGivesItsPremultipliedPixels) {
    TBitmap colour(2, 2);
    colour.SetPixelFormat(pf32bit);
    std::uint8_t* p = Pixel32(colour, 0, 0);
    p[0] = 0;
    p[1] = 0;
    p[2] = 200;
    p[3] = 255;
    TBitmap mask(2, 2);
    mask.SetPixelFormat(pf1bit);
    win::ICONINFO info{1, 0, 0, mask.Handle(), colour.Handle()};
    TIcon icon;
    icon.SetHandle(win::CreateIconIndirect(&info));
    EXPECT_EQ(icon.Width(), 2);
    EXPECT_EQ(icon.Height(), 2);
    TBitmap bitmap;
    bitmap.Assign(&icon);
    EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
    EXPECT_EQ(bitmap.AlphaFormat(), afPremultiplied);
    EXPECT_EQ(Pixel32(bitmap, 0, 0)[2], 200);
    EXPECT_EQ(Pixel32(bitmap, 0, 0)[3], 255);
    EXPECT_EQ(Pixel32(bitmap, 1, 1)[3], 0);
}

} // namespace
} // namespace vcl

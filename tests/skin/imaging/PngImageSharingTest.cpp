// Deferred decoding and shared pixel data between images, across threads;
// blank images and the main thread's scratch-image cache.

#include "PngImageTestSupport.h"
#include "platform/vcl/Brush.h"
#include "platform/win/gdi/Gdi.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngImageCanvas.h"
#include "skin/imaging/PngImageData.h"
#include "skin/imaging/PngImageDataList.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace skin {
namespace {

using namespace pngtest;

// A w x h RGB image whose pixel (x, y) is (x + seed, y, x ^ y), so that
// every row differs and late rows can be told from zeros.
TBytes PatternPng(int w, int h, std::uint8_t seed) {
    TBytes raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x)
            raw.insert(raw.end(), {static_cast<std::uint8_t>(x + seed), static_cast<std::uint8_t>(y),
                                   static_cast<std::uint8_t>(x ^ y)});
    }
    return TPngBuilder()
        .Ihdr(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), 8, 2)
        .Idat(raw)
        .Iend()
        .Bytes();
}

vcl::TColor PatternPixel(int x, int y, std::uint8_t seed) {
    return static_cast<vcl::TColor>(win::RGB(static_cast<std::uint8_t>(x + seed),
                                             static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x ^ y)));
}

TEST(PngImageSharing, EqualStreamsShareOneItemDecodedOnce) {
    const TBytes bytes = PatternPng(8, 8, 1);
    TPngPtr a = LoadPng(bytes);
    TPngPtr b = LoadPng(bytes);
    TPngImageData* item = a->Header()->ShareImageData;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(b->Header()->ShareImageData, item);
    EXPECT_EQ(item->RefCount, 2);
    EXPECT_TRUE(a->Header()->IsDeferred()) << "loading decodes nothing";
    EXPECT_EQ(a->Pixels(7, 7), PatternPixel(7, 7, 1));
    EXPECT_EQ(item->PngStream, nullptr) << "decoded";
    EXPECT_EQ(b->Scanline(0), a->Scanline(0)) << "one buffer for both";
    EXPECT_EQ(b->Pixels(3, 5), PatternPixel(3, 5, 1));
}

TEST(PngImageSharing, WritingUnsharesOnlyTheWriter) {
    const TBytes bytes = PatternPng(8, 8, 2);
    TPngPtr a = LoadPng(bytes);
    TPngPtr b = LoadPng(bytes);
    b->SetPixels(4, 4, vcl::clWhite);
    EXPECT_EQ(b->Pixels(4, 4), vcl::clWhite);
    EXPECT_EQ(a->Pixels(4, 4), PatternPixel(4, 4, 2));
    EXPECT_NE(a->Scanline(0), b->Scanline(0));
    EXPECT_EQ(b->Pixels(5, 4), PatternPixel(5, 4, 2)) << "the rest was copied";
    EXPECT_FALSE(b->Header()->IsShared());
    EXPECT_EQ(a->Header()->ShareImageData->RefCount, 1);
}

TEST(PngImageSharing, WritingThroughOneOfTwoEqualFilesLeavesTheOther) {
    struct Row {
        const char* file;
        bool canvas; // draw through the canvas instead of setting a pixel
    };
    const Row rows[] = {{"basn2c08", false}, {"g10n2c08", false}, {"g10n2c08", true},
                        {"basn6a08", true},  {"basn3p04", true},  {"basn0g16", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.file << (row.canvas ? " canvas" : " pixel"));
        const TBytes bytes = ReadFileBytes(PngPath(row.file));
        TPngPtr image = LoadPng(bytes);
        TPngPtr copy = LoadPng(bytes);
        const vcl::TColor before = image->Pixels(1, 1);
        const vcl::TColor corner = image->Pixels(0, 0);
        if (row.canvas) {
            copy->Canvas()->Brush()->SetColor(vcl::clRed);
            copy->Canvas()->FillRect(vcl::Rect(0, 0, 3, 3));
        } else {
            copy->SetPixels(1, 1, vcl::clRed);
        }
        EXPECT_EQ(image->Pixels(1, 1), before);
        EXPECT_EQ(image->Pixels(0, 0), corner);
        if (copy->Header()->ColorType() != 3) { // a palette may hold nothing nearer to red
            EXPECT_NE(copy->Pixels(1, 1), before);
        }
    }
}

TEST(PngImageSharing, LowBytesFollowThePixelsTo32BitsWhenACanvasIsMade) {
    const TBytes bytes = ReadFileBytes(PngPath("basn6a16"));
    TPngPtr memory = LoadPng(bytes);
    ASSERT_EQ(memory->Header()->BitCount(), 24);
    for (bool shared : {true, false}) {
        SCOPED_TRACE(shared ? "undecoded, sharing its data" : "alone");
        TPngPtr drawn = LoadPng(bytes);
        if (!shared)
            drawn->UniquePng();
        ASSERT_NE(drawn->Canvas()->Handle(), nullptr);
        ASSERT_EQ(drawn->Header()->BitCount(), 32);
        for (auto [x, y] : {std::pair{5, 5}, {31, 31}}) {
            const std::uint8_t* low24 = memory->ExtraScanline(y) + 3 * x;
            const std::uint8_t* low32 = drawn->ExtraScanline(y) + 4 * x;
            EXPECT_EQ(TBytes(low32, low32 + 3), TBytes(low24, low24 + 3)) << x << "," << y;
        }
        TPngPtr back = LoadPng(SavePng(drawn.get()));
        EXPECT_EQ(0, std::memcmp(back->ExtraScanline(31), memory->ExtraScanline(31), 32 * 3));
    }
    // Without image data the store is made with the DC at once.
    TPngPtr empty = LoadPng(TPngBuilder().Ihdr(3, 2, 16, 6).Iend().Bytes());
    ASSERT_NE(empty->Canvas()->Handle(), nullptr);
    ASSERT_EQ(empty->BytesPerRow(), 12);
    ASSERT_NE(empty->ExtraScanline(1), nullptr);
    std::memset(empty->ExtraScanline(1), 0x5A, 12); // the whole row is there (ASan)
}

TEST(PngImageSharing, ImageSharingDecodedDataSeesWhatTheDecoderSaw) {
    // A stray PLTE chunk in a grey image: the image that decodes and the one
    // that only shares the result must read the same greys.
    const TBytes bytes = TPngBuilder()
                             .Ihdr(2, 1, 8, 0)
                             .Chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255})
                             .Idat({0, 1, 2})
                             .Iend()
                             .Bytes();
    TPngPtr decoder = LoadPng(bytes);
    TPngPtr sharer = LoadPng(bytes);
    EXPECT_EQ(decoder->Pixels(1, 0), static_cast<vcl::TColor>(win::RGB(2, 2, 2)));
    EXPECT_EQ(sharer->Pixels(1, 0), static_cast<vcl::TColor>(win::RGB(2, 2, 2)));
    EXPECT_EQ(sharer->Pixels(0, 0), static_cast<vcl::TColor>(win::RGB(1, 1, 1)));
}

TEST(PngImageSharing, SavingAnUndrawnImageCopiesItsImageData) {
    const TBytes bytes = PatternPng(8, 8, 3);
    TPngPtr image = LoadPng(bytes);
    EXPECT_EQ(IdatRun(SavePng(image.get())), IdatRun(bytes));
    EXPECT_TRUE(image->Header()->IsDeferred());
    EXPECT_EQ(image->Pixels(2, 2), PatternPixel(2, 2, 3)) << "still decodable after saving";
}

TEST(PngImageSharing, SoleHolderKeepsItsBuffersWhenUnlinking) {
    TPngPtr image = LoadPng(PatternPng(8, 8, 4));
    auto* line = image->Scanline(0);
    ASSERT_NE(line, nullptr);
    const int before = TPngImageDataList::Instance().UsedCounter();
    EXPECT_TRUE(TPngImageDataList::Instance().TryUnLink(image->Header()));
    EXPECT_EQ(image->Header()->ShareImageData, nullptr);
    EXPECT_EQ(image->Scanline(0), line);
    EXPECT_EQ(image->Pixels(7, 7), PatternPixel(7, 7, 4));
    EXPECT_EQ(TPngImageDataList::Instance().UsedCounter(), before - 1);
}

// --- threads

TEST(PngImageSharingThreads, OneThreadDecodesWhileTheOtherWaits) {
    TPngPtr image = LoadPng(PatternPng(8, 8, 5));
    TPngImageData* item = image->Header()->ShareImageData;
    rtl::TMemoryStream* stream = item->WaitExpand();
    ASSERT_NE(stream, nullptr) << "this thread decodes";
    std::atomic<bool> returned{false};
    rtl::TMemoryStream* otherGot = stream;
    std::thread other([&] {
        otherGot = item->WaitExpand();
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load()) << "waits while the stream is taken";
    item->EndExpand(nullptr);
    other.join();
    EXPECT_EQ(otherGot, nullptr) << "nothing left to decode";
    delete stream;
}

TEST(PngImageSharingThreads, WaiterIsNotStuckWhenTheStreamIsPutBack) {
    // Saving holds the stream the way decoding does and then puts it back.
    TPngPtr image = LoadPng(PatternPng(8, 8, 6));
    TPngImageData* item = image->Header()->ShareImageData;
    rtl::TMemoryStream* held = item->WaitExpand();
    ASSERT_NE(held, nullptr);
    std::atomic<bool> returned{false};
    rtl::TMemoryStream* otherGot = nullptr;
    std::thread other([&] {
        otherGot = item->WaitExpand();
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    item->EndExpand(held);
    for (int i = 0; i < 500 && !returned; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(returned.load()) << "the waiter must take the stream that came back";
    other.join();
    EXPECT_EQ(otherGot, held);
    item->EndExpand(otherGot);
    EXPECT_EQ(image->Pixels(7, 7), PatternPixel(7, 7, 6));
}

TEST(PngImageSharingThreads, ReadersDuringTheDecodeSeeDecodedPixels) {
    // The pixel buffer is attached before the decode fills it: a reader that
    // comes while the decode runs must wait for it, not read the zeros.
    constexpr int side = 1024;
    for (int round = 0; round < 3; ++round) {
        const auto seed = static_cast<std::uint8_t>(round + 10);
        const TBytes bytes = PatternPng(side, side, seed);
        TPngPtr a = LoadPng(bytes);
        TPngPtr b = LoadPng(bytes);
        vcl::TColor seen[3]{};
        std::thread decoder([&] { seen[0] = a->Pixels(side - 1, side - 1); });
        std::thread late([&] {
            while (!std::atomic_ref(a->Header()->ImageData).load()) {
            }
            seen[1] = a->Pixels(side - 1, side - 1);
        });
        std::thread other([&] { seen[2] = b->Pixels(side - 1, side - 1); });
        decoder.join();
        late.join();
        other.join();
        for (int reader = 0; reader < 3; ++reader)
            EXPECT_EQ(seen[reader], PatternPixel(side - 1, side - 1, seed))
                << "round " << round << ", reader " << reader;
        EXPECT_EQ(a->Scanline(0), b->Scanline(0));
    }
}

// --- blank images and the scratch cache

TEST(PngImageBlank, InvalidParametersAreRefused) {
    struct Row {
        std::uint8_t colorType;
        std::uint8_t bitDepth;
        int cx;
        int cy;
        bool badType; // EPNGInvalidSpec, else EPNGInvalidNewSize
    };
    const Row rows[] = {
        {2, 4, 5, 5, true}, {3, 16, 5, 5, true},  {7, 8, 5, 5, true},   {0, 3, 5, 5, true},
        {2, 1, 5, 5, true}, {6, 8, -1, 5, false}, {0, 8, 5, -1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.colorType) << "/" << int(row.bitDepth));
        TPngPtr image = NewPng();
        if (row.badType)
            ExpectPngError<EPNGInvalidSpec>(
                [&] { image->MakeBlank(row.colorType, row.bitDepth, row.cx, row.cy, false, false); },
                u"The \"Portable Network Graphics\" could not be created because invalid image type "
                u"parameters "
                u"have being provided.");
        else
            ExpectPngError<EPNGInvalidNewSize>(
                [&] { image->MakeBlank(row.colorType, row.bitDepth, row.cx, row.cy, false, false); },
                u"The new size provided for image resizing is invalid.");
        EXPECT_TRUE(image->Empty());
    }
}

TEST(PngImageBlank, BlankImagesAreZeroAndSaveable) {
    struct Row {
        std::uint8_t colorType;
        std::uint8_t bitDepth;
        bool needDC;
        const char* chunks;
        std::uint8_t headerDepth;
    };
    const Row rows[] = {
        {0, 2, false, "IHDR IDAT IEND", 4},     {3, 2, false, "IHDR PLTE IDAT IEND", 4},
        {3, 8, true, "IHDR PLTE IDAT IEND", 8}, {2, 16, false, "IHDR IDAT IEND", 16},
        {4, 8, false, "IHDR IDAT IEND", 8},     {6, 8, true, "IHDR IDAT IEND", 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.colorType) << "/" << int(row.bitDepth));
        TPngPtr image = NewPng();
        image->MakeBlank(row.colorType, row.bitDepth, 5, 3, row.needDC, false);
        EXPECT_EQ(ChunkNames(image.get()), row.chunks);
        EXPECT_EQ(image->Header()->BitDepth(), row.headerDepth);
        EXPECT_EQ(image->Canvas()->HandleAllocated(), row.needDC);
        for (int y = 0; y < 3; ++y) {
            const auto* line = static_cast<const std::uint8_t*>(image->Scanline(y));
            EXPECT_TRUE(
                std::all_of(line, line + image->BytesPerRow(), [](std::uint8_t v) { return v == 0; }));
        }
        TPngPtr back = LoadPng(SavePng(image.get()));
        EXPECT_EQ(back->Width(), 5);
        EXPECT_EQ(back->Height(), 3);
        EXPECT_EQ(back->Pixels(4, 2), image->Pixels(4, 2));
    }
}

class PngImageScratch : public testing::Test {
protected:
    void SetUp() override { TPngImage::FreeScratchCache(); }
    void TearDown() override { TPngImage::FreeScratchCache(); }

    static TPngImage* Borrow(int cx, int cy) {
        return TPngImage::CreateBlank(6, 8, cx, cy, true, true, false);
    }
};

TEST_F(PngImageScratch, CachedImagesAreLargerAndReused) {
    TPngImage* first = Borrow(10, 10);
    EXPECT_EQ(first->Width(), 110);
    EXPECT_EQ(first->Height(), 110);
    EXPECT_EQ(first->RefCount(), 2) << "the cache and the borrower";
    TPngImage* second = Borrow(50, 50);
    EXPECT_NE(second, first) << "the first is still lent out";
    EXPECT_EQ(second->Width(), 150);
    TPngImage* big = Borrow(600, 300);
    EXPECT_EQ(big->Width(), 800);
    EXPECT_EQ(big->Height(), 400);
    first->SetAlphaBlendValue(10);
    first->SetDataInt(5);
    first->SetFilters({pfPaeth});
    first->Free();
    second->Free();
    big->Free();
    EXPECT_EQ(first->RefCount(), 1) << "back in the cache";
    TPngImage* again = Borrow(100, 100);
    EXPECT_EQ(again, first);
    EXPECT_EQ(again->AlphaBlendValue(), 255) << "reset when lent again";
    EXPECT_EQ(again->DataInt(), 0);
    EXPECT_EQ(again->Filters(), TFilters{pfSub});
    EXPECT_FALSE(again->AllowShareSelf);
    again->Free();
    TPngImage* other = TPngImage::CreateBlank(2, 8, 10, 10, false, true, false);
    EXPECT_NE(other, first) << "another colour type";
    other->Free();
}

TEST_F(PngImageScratch, FullCacheEvictsTheSmallestImage) {
    struct Row {
        const char* name;
        bool lentOut; // the eight are still held when the ninth comes
    };
    for (const Row row : {Row{"idle", false}, Row{"all lent out", true}}) {
        SCOPED_TRACE(row.name);
        TPngImage::FreeScratchCache();
        std::vector<TPngImage*> images;
        std::vector<int> widths;
        for (int i = 0; i < 8; ++i) {
            images.push_back(Borrow(10 + 100 * i, 10));
            widths.push_back(images.back()->Width());
        }
        if (!row.lentOut)
            for (TPngImage* image : images)
                image->Free();
        // Another colour type, so that it never answers the requests below.
        TPngImage* ninth = TPngImage::CreateBlank(2, 8, 2000, 10, true, true, false);
        EXPECT_EQ(ninth->Width(), 2666);
        if (row.lentOut) {
            EXPECT_EQ(images[0]->RefCount(), 1) << "only its borrower holds it now";
            images[0]->SetPixels(1, 1, vcl::clRed);
            EXPECT_EQ(images[0]->Pixels(1, 1) & 0xFFFFFF, vcl::clRed);
            for (TPngImage* image : images)
                image->Free();
        }
        ninth->Free();
        for (int i = 1; i < 8; ++i) {
            // The first fitting slot for exactly this width is image i's.
            TPngImage* again = Borrow(widths[i], 10);
            EXPECT_EQ(again, images[i]) << "image " << i << " survived";
            again->Free();
        }
    }
}

TEST_F(PngImageScratch, OtherThreadsNeverTouchTheCache) {
    TPngImage* fromThread = nullptr;
    std::thread([&] { fromThread = TPngImage::CreateBlank(6, 8, 10, 10, false, true, false); }).join();
    ASSERT_NE(fromThread, nullptr);
    EXPECT_EQ(fromThread->Width(), 10) << "exactly the size asked";
    EXPECT_EQ(fromThread->RefCount(), 1);
    TPngImage* mine = Borrow(10, 10);
    EXPECT_NE(mine, fromThread);
    mine->Free();
    fromThread->Free();
}

TEST_F(PngImageScratch, BorrowersDCStateIsRestoredOnReturn) {
    TPngImage* image = Borrow(10, 10);
    // Handle() would select the canvas's own objects after the state was saved.
    const win::HDC dc = image->Canvas()->HandleValue();
    ASSERT_NE(dc, nullptr);
    const win::HGDIOBJ fontBefore = win::GetCurrentObject(dc, win::OBJ_FONT);
    win::LOGFONTW lf{};
    lf.lfHeight = -30;
    const win::HFONT font = win::CreateFontIndirectW(&lf);
    win::SelectObject(dc, font);
    image->Free();
    EXPECT_EQ(win::GetCurrentObject(dc, win::OBJ_FONT), fontBefore);
    win::DeleteObject(font);
}

} // namespace
} // namespace skin

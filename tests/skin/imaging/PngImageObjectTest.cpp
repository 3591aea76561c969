// The image object: header and layout properties, reference counting,
// assignment and copies, the exceptions and their texts.

#include "PngImageTestSupport.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Brush.h"
#include "platform/win/gdi/Gdi.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunktEXt.h"
#include "skin/imaging/PngImageCanvas.h"
#include "skin/imaging/PngImageData.h"
#include "skin/imaging/PngImageDataList.h"

#include <functional>

#include <gtest/gtest.h>

namespace skin {
namespace {

using namespace pngtest;

TEST(PngImageObject, HeaderOfANewImageRaisesWithTheVersionInFront) {
    TPngPtr image = NewPng();
    ExpectPngError<EPNGHeaderNotPresent>(
        [&] { (void)image->Header(); },
        u"This operation is not valid because the current image contains no valid header.");
    EXPECT_TRUE(image->Empty());
    EXPECT_EQ(image->Scanline(0), nullptr);
    EXPECT_EQ(image->Pixels(0, 0), 0);
    EXPECT_EQ(image->TransparencyMode(), ptmNone);
    EXPECT_EQ(TPngImage::Version(), u"2.671");
}

TEST(PngImageObject, BytesPerRowAndScanlinesOfA3x2Image) {
    struct Row {
        std::uint8_t colorType;
        std::uint8_t bitDepth;
        bool need32;
        int bytesPerRow;
    };
    const Row rows[] = {
        {2, 8, false, 12}, // 9 bytes of BGR padded to 4
        {6, 8, false, 12}, // BGR plus a separate alpha plane
        {6, 8, true, 12},  // BGRA
        {2, 16, false, 12}, {0, 1, false, 4},  {0, 2, false, 4},
        {3, 4, false, 4},   {0, 16, false, 4}, {4, 8, false, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.colorType) << "/" << int(row.bitDepth));
        TPngPtr image = NewPng();
        image->MakeBlank(row.colorType, row.bitDepth, 3, 2, false, row.need32);
        EXPECT_EQ(image->BytesPerRow(), row.bytesPerRow);
        auto* line0 = static_cast<std::uint8_t*>(image->Scanline(0));
        ASSERT_NE(line0, nullptr);
        EXPECT_EQ(static_cast<std::uint8_t*>(image->Scanline(1)), line0 + row.bytesPerRow);
        EXPECT_EQ(image->Scanline(2), nullptr);
        EXPECT_EQ(image->Scanline(-1), nullptr);
        const bool alphaPlane = (row.colorType == 4 || row.colorType == 6) && !row.need32;
        EXPECT_EQ(image->AlphaScanline(1) != nullptr, alphaPlane);
        if (alphaPlane) {
            EXPECT_EQ(image->AlphaScanline(1), image->AlphaScanline(0) + 3) << "unpadded, width bytes a row";
        }
        EXPECT_EQ(image->ExtraScanline(0) != nullptr, row.bitDepth == 16);
    }
}

TEST(PngImageObject, PixelsOutsideTheImageReadZeroAndIgnoreWrites) {
    TPngPtr image = LoadPng(SmallRgbPng());
    const auto* row = static_cast<const std::uint8_t*>(image->Scanline(0));
    const TBytes before(row, row + image->BytesPerRow());
    for (auto [x, y] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 1}, {INT32_MIN, INT32_MAX}}) {
        EXPECT_EQ(image->Pixels(x, y), 0);
        image->SetPixels(x, y, vcl::clWhite);
    }
    EXPECT_EQ(TBytes(row, row + image->BytesPerRow()), before);
    EXPECT_EQ(image->Pixels(1, 0), static_cast<vcl::TColor>(win::RGB(40, 50, 60)));
}

TEST(PngImageObject, PixelsByStorage) {
    struct Row {
        const char* name;
        std::uint8_t colorType;
        std::uint8_t bitDepth;
        bool need32;
        vcl::TColor write;
        vcl::TColor read;
    };
    const Row rows[] = {
        {"rgb", 2, 8, false, 0x00112233, 0x00112233},
        {"rgba 32-bit keeps alpha", 6, 8, true, vcl::TColorOf(0x40112233), vcl::TColorOf(0x40112233)},
        {"rgba 32-bit: no alpha byte is opaque", 6, 8, true, 0x00112233, vcl::TColorOf(0xFF112233)},
        {"grey 1-bit", 0, 1, false, vcl::clWhite, vcl::clWhite},
        {"grey 8-bit nearest", 0, 8, false, 0x00404040, 0x00404040},
        {"grey alpha stores the low byte", 4, 8, false, 0x00000077, 0x00777777},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TPngPtr image = NewPng();
        image->MakeBlank(row.colorType, row.bitDepth, 2, 2, false, row.need32);
        image->SetPixels(1, 1, row.write);
        EXPECT_EQ(image->Pixels(1, 1), row.read);
        EXPECT_EQ(image->Pixels(0, 1) & 0xFFFFFF, 0) << "the neighbour stays";
    }
}

// --- reference counting

TEST(PngImageRefCount, EachFreeDropsOneOwnerAndTheLastDestroys) {
    const TBytes bytes = TPngBuilder().Ihdr(3, 1, 8, 2).Idat({0, 9, 8, 7, 6, 5, 4, 3, 2, 1}).Iend().Bytes();
    TPngImageDataList& list = TPngImageDataList::Instance();
    const int before = list.UsedCounter();
    auto* image = new TPngImage;
    EXPECT_EQ(image->RefCount(), 1);
    LoadInto(image, bytes);
    EXPECT_EQ(list.UsedCounter(), before + 1);
    EXPECT_EQ(image->AddRef(false), 2);
    EXPECT_EQ(image->AddRef(false), 3);
    EXPECT_EQ(image->ReleaseRef(), 2);
    image->Free();
    EXPECT_EQ(image->RefCount(), 1);
    EXPECT_EQ(image->Pixels(0, 0), static_cast<vcl::TColor>(win::RGB(9, 8, 7))) << "still usable";
    image->Free();
    EXPECT_EQ(list.UsedCounter(), before) << "destroyed: its shared data let go";
}

class TDerivedPng : public TPngImage {
    RTL_CLASS(TDerivedPng, TPngImage)
};
RTL_IMPLEMENT_CLASS(TDerivedPng)

TEST(PngImageRefCount, OnlyThePlainClassCounts) {
    auto* derived = new TDerivedPng;
    ExpectPngError<EPngError>([&] { derived->AddRef(false); }, u"only support TPngimage! ");
    ExpectPngError<EPngError>([&] { derived->ReleaseRef(); }, u"only support TPngimage! ");
    EXPECT_EQ(derived->RefCount(), 1);
    derived->Free();
}

TEST(PngImageRefCount, SavedDCStateComesBackWithTheOwnersFree) {
    TPngPtr image = NewPng();
    image->MakeBlank(6, 8, 4, 4, true, true);
    ASSERT_TRUE(image->Canvas()->HandleAllocated());
    const win::HDC dc = image->Canvas()->Handle();
    const win::HGDIOBJ fontBefore = win::GetCurrentObject(dc, win::OBJ_FONT);
    image->AddRef(true);
    win::LOGFONTW lf{};
    lf.lfHeight = -20;
    const win::HFONT font = win::CreateFontIndirectW(&lf);
    win::SelectObject(dc, font);
    ASSERT_EQ(win::GetCurrentObject(dc, win::OBJ_FONT), font);
    image->Free();
    EXPECT_EQ(image->RefCount(), 1);
    EXPECT_EQ(win::GetCurrentObject(dc, win::OBJ_FONT), fontBefore);
    win::DeleteObject(font);
}

// --- assignment and copies

TBytes Rgb4x4Png(std::uint8_t seed) {
    TBytes raw;
    for (int y = 0; y < 4; ++y) {
        raw.push_back(0);
        for (int i = 0; i < 12; ++i)
            raw.push_back(static_cast<std::uint8_t>(seed + y * 12 + i));
    }
    return TPngBuilder().Ihdr(4, 4, 8, 2).Idat(raw).Iend().Bytes();
}

TEST(PngImageAssign, CopiesChunksPropertiesAndPixels) {
    TPngPtr source = LoadPng(Rgb4x4Png(1));
    source->SetAlphaBlendValue(90);
    source->SetGrayMode(true);
    source->SetSmoothFilter(psfSmooth);
    source->SetDataStr(u"data");
    source->SetDataInt(77);
    source->SetFilters({pfPaeth});
    source->SetMaxIdatSize(80000);
    source->SetCompressionLevel(9);
    source->SetInterlaceMethod(imAdam7);
    source->SetAlphaPreMultiplied(true);
    for (bool viaAssignTo : {false, true}) {
        SCOPED_TRACE(viaAssignTo ? "AssignTo" : "Assign");
        TPngPtr dest = NewPng();
        if (viaAssignTo)
            source->AssignTo(dest.get());
        else
            dest->Assign(source.get());
        EXPECT_EQ(ChunkNames(dest.get()), ChunkNames(source.get()));
        EXPECT_EQ(dest->AlphaBlendValue(), 90);
        EXPECT_TRUE(dest->GrayMode());
        EXPECT_EQ(dest->SmoothFilter(), psfSmooth);
        EXPECT_EQ(dest->DataStr(), u"data");
        EXPECT_EQ(dest->DataInt(), 77);
        EXPECT_EQ(dest->Filters(), TFilters{pfPaeth});
        EXPECT_EQ(dest->MaxIdatSize(), 80000);
        EXPECT_EQ(dest->CompressionLevel(), 9);
        EXPECT_EQ(dest->InterlaceMethod(), imAdam7);
        EXPECT_EQ(dest->AlphaMode.load(), pamPremultiplied);
        EXPECT_FALSE(dest->Modified());
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(dest->Pixels(x, y), source->Pixels(x, y)) << x << "," << y;
    }
    TPngPtr dest = NewPng();
    dest->Assign(source.get());
    dest->Assign(nullptr);
    EXPECT_TRUE(dest->Empty());
    EXPECT_EQ(dest->Chunks()->Count(), 0);
}

TEST(PngImageAssign, SharesPixelsUntilOneSideWrites) {
    TPngPtr a = LoadPng(Rgb4x4Png(2));
    ASSERT_NE(a->Scanline(0), nullptr);
    TPngPtr b = NewPng();
    b->Assign(a.get());
    EXPECT_EQ(b->Scanline(0), a->Scanline(0)) << "shared after assignment";
    const vcl::TColor original = a->Pixels(0, 0);
    b->SetPixels(0, 0, vcl::clRed);
    EXPECT_NE(b->Scanline(0), a->Scanline(0));
    EXPECT_EQ(b->Pixels(0, 0), vcl::clRed);
    EXPECT_EQ(a->Pixels(0, 0), original);
    EXPECT_EQ(b->Pixels(3, 3), a->Pixels(3, 3));
}

TEST(PngImageAssign, DrawingIntoTheCopysCanvasLeavesTheSource) {
    TPngPtr a = LoadPng(Rgb4x4Png(3));
    const vcl::TColor original = a->Pixels(2, 2);
    TPngPtr b = NewPng();
    b->Assign(a.get());
    b->Canvas()->Brush()->SetColor(vcl::clBlue);
    b->Canvas()->FillRect(vcl::Rect(0, 0, 4, 4));
    EXPECT_EQ(b->Pixels(2, 2) & 0xFFFFFF, vcl::clBlue);
    EXPECT_EQ(a->Pixels(2, 2), original);
}

TEST(PngImageAssign, CloneCopiesAndUniqueUnshares) {
    TPngPtr a = LoadPng(Rgb4x4Png(4));
    ASSERT_NE(a->Scanline(0), nullptr);
    TPngPtr clone = NewPng();
    clone->ClonePng(a.get());
    EXPECT_NE(clone->Scanline(0), a->Scanline(0));
    EXPECT_EQ(0, std::memcmp(clone->Scanline(0), a->Scanline(0), std::size_t(a->BytesPerRow()) * 4));
    EXPECT_TRUE(a->AllowShareSelf) << "restored after the clone";

    TPngPtr shared = NewPng();
    shared->Assign(a.get());
    ASSERT_EQ(shared->Scanline(0), a->Scanline(0));
    shared->UniquePng();
    EXPECT_FALSE(shared->Header()->IsShared());
    EXPECT_NE(shared->Scanline(0), a->Scanline(0));
    EXPECT_EQ(0, std::memcmp(shared->Scanline(0), a->Scanline(0), std::size_t(a->BytesPerRow()) * 4));
}

TEST(PngImageAssign, ToABitmapAndBack) {
    TPngPtr a = LoadPng(Rgb4x4Png(5));
    vcl::TBitmap bitmap;
    a->AssignTo(&bitmap);
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_EQ(bitmap.Height(), 4);
    TPngPtr back = NewPng();
    back->Assign(&bitmap);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(back->Pixels(x, y) & 0xFFFFFF, a->Pixels(x, y)) << x << "," << y;
}

// --- the exceptions

TEST(PngImageExceptions, AllDeriveDirectlyFromTheBaseException) {
    const rtl::TClass classes[] = {
        EPNGOutMemory::StaticClass(),
        EPngError::StaticClass(),
        EPngInvalidCRC::StaticClass(),
        EPngInvalidIHDR::StaticClass(),
        EPNGMissingMultipleIDAT::StaticClass(),
        EPNGZLIBError::StaticClass(),
        EPNGInvalidFileHeader::StaticClass(),
        EPNGIHDRNotFirst::StaticClass(),
        EPNGSizeExceeds::StaticClass(),
        EPNGUnknownCriticalChunk::StaticClass(),
        EPNGUnknownCompression::StaticClass(),
        EPNGUnknownInterlace::StaticClass(),
        EPNGCouldNotLoadResource::StaticClass(),
        EPNGCannotChangeTransparent::StaticClass(),
        EPNGHeaderNotPresent::StaticClass(),
        EPNGInvalidNewSize::StaticClass(),
        EPNGInvalidSpec::StaticClass(),
    };
    for (rtl::TClass cls : classes)
        EXPECT_EQ(cls->Parent, rtl::Exception::StaticClass()) << cls->Name;
}

TBytes IhdrData(std::uint32_t w, std::uint32_t h, TBytes rest) {
    TBytes d;
    detail::PutBigEndian32(d, w);
    detail::PutBigEndian32(d, h);
    d.insert(d.end(), rest.begin(), rest.end());
    return d;
}

TEST(PngImageExceptions, LoadingFailuresAndTheirTexts) {
    struct Row {
        const char* name;
        std::function<void()> check;
    };
    const auto load = [](TBytes bytes) {
        return [bytes] {
            TPngPtr image = LoadPng(bytes);
            (void)image->Scanline(0);
        };
    };
    TBytes badSignature = SmallRgbPng();
    badSignature[1] = 'Q';
    const Row rows[] = {
        {"signature",
         [&] {
             ExpectPngError<EPNGInvalidFileHeader>(
                 load(badSignature), u"The file being read is not a valid \"Portable Network Graphics\" "
                                     u"image because it contains an "
                                     u"invalid header. This file may be corrupted, try obtaining it again");
         }},
        {"IHDR not first",
         [&] {
             ExpectPngError<EPNGIHDRNotFirst>(
                 load(TPngBuilder().Chunk("gAMA", {0, 0, 0, 1}).Ihdr(1, 1, 8, 0).Iend().Bytes()),
                 u"This \"Portable Network Graphics\" image is not supported or it might be "
                 u"invalid.\r\n(IHDR "
                 u"chunk is not the first)");
         }},
        {"unknown critical",
         [&] {
             ExpectPngError<EPNGUnknownCriticalChunk>(
                 load(TPngBuilder().Ihdr(1, 1, 8, 0).Chunk("ABCD", {}).Iend().Bytes()),
                 u"This \"Portable Network Graphics\" image contains an unknown critical part which could "
                 u"not "
                 u"be decoded.:ABCD");
         }},
        {"short IHDR",
         [&] {
             ExpectPngError<EPngInvalidIHDR>(
                 load(TPngBuilder().Chunk("IHDR", IhdrData(1, 1, {8, 0, 0, 0})).Iend().Bytes()),
                 u"The \"Portable Network Graphics\" image could not be loaded because one of its main piece "
                 u"of "
                 u"data (ihdr) might be corrupted");
         }},
        {"too wide",
         [&] {
             ExpectPngError<EPNGSizeExceeds>(
                 load(TPngBuilder().Ihdr(65536, 1, 8, 0).Iend().Bytes()),
                 u"This \"Portable Network Graphics\" image is not supported because either its width or "
                 u"height exceeds the maximum size of 65535 pixels.");
         }},
        {"compression",
         [&] {
             ExpectPngError<EPNGUnknownCompression>(
                 load(TPngBuilder().Chunk("IHDR", IhdrData(1, 1, {8, 0, 1, 0, 0})).Iend().Bytes()),
                 u"This \"Portable Network Graphics\" image is encoded with an unknown compression scheme "
                 u"which could not be decoded.");
         }},
        {"interlace",
         [&] {
             ExpectPngError<EPNGUnknownInterlace>(
                 load(TPngBuilder().Ihdr(1, 1, 8, 0, 2).Iend().Bytes()),
                 u"This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not "
                 u"be decoded.");
         }},
        {"zlib, strict",
         [&] {
             TStrictChecks strict;
             ExpectPngError<EPNGZLIBError>(
                 load(TPngBuilder()
                          .Ihdr(1, 1, 8, 0)
                          .Chunk("IDAT", {0x78, 0x9C, 0xFF, 0xFF, 0xFF})
                          .Iend()
                          .Bytes()),
                 u"Could not decompress the image because it contains invalid compressed data.\r\n "
                 u"Description: data error");
         }},
        {"image data CRC, strict",
         [&] {
             TStrictChecks strict;
             ExpectPngError<EPngInvalidCRC>(
                 load(TPngBuilder().Ihdr(1, 1, 8, 0).Idat({0, 1}).BreakLastCrc().Iend().Bytes()),
                 u"This \"Portable Network Graphics\" image is not valid because it contains invalid pieces "
                 u"of "
                 u"data (crc error)");
         }},
        {"resource",
         [&] {
             ExpectPngError<EPNGCouldNotLoadResource>(
                 [] { NewPng()->LoadFromResourceName(rtl::HInstance, u"NO_SUCH_PICTURE"); },
                 u"The png image could not be loaded from the resource ID.");
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.check();
    }
}

TEST(PngImageExceptions, LenientLoadingLeavesDamagedImageDataBlank) {
    const TBytes bytes =
        TPngBuilder().Ihdr(2, 1, 8, 0).Chunk("IDAT", {0x78, 0x9C, 0xFF, 0xFF, 0xFF}).Iend().Bytes();
    TPngPtr image = LoadPng(bytes);
    const auto* row = static_cast<const std::uint8_t*>(image->Scanline(0));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row[0] | row[1], 0);
}

TEST(PngImageExceptions, TransparentColorOfAlphaImagesCannotBeSet) {
    for (std::uint8_t ct : {4, 6}) {
        TPngPtr image = NewPng();
        image->MakeBlank(ct, 8, 1, 1, false, false);
        ExpectPngError<EPNGCannotChangeTransparent>(
            [&] { image->SetTransparentColor(vcl::clRed); },
            u"Setting bit transparency color is not allowed for png images containing alpha value for each "
            u"pixel (COLOR_RGBALPHA and COLOR_GRAYSCALEALPHA)");
    }
    TPngPtr rgb = LoadPng(SmallRgbPng());
    rgb->SetTransparentColor(static_cast<vcl::TColor>(win::RGB(40, 50, 60)));
    EXPECT_EQ(rgb->TransparencyMode(), ptmBit);
    EXPECT_EQ(rgb->TransparentColor(), static_cast<vcl::TColor>(win::RGB(40, 50, 60)));
    EXPECT_EQ(ChunkNames(rgb.get()), "IHDR tRNS IDAT IEND");
}

TEST(PngImageExceptions, SharedCountAtZeroIsReported) {
    TPngPtr image = NewPng();
    image->MakeBlank(2, 8, 1, 1, false, false);
    TChunkIHDR* header = image->Header();
    TPngImageData item;
    item.RefCount = 0;
    header->ShareImageData = &item;
    ExpectPngError<EPNGOutMemory>([&] { (void)TPngImageDataList::Instance().TryUnLink(header); },
                                  u"PNG, ShareImageData.RefCount <= 0");
    header->ShareImageData = nullptr;
}

} // namespace
} // namespace skin

// The chunk codec through the image class: damaged and unusual streams,
// the presentation text chunk, compressed text, the encoder's filter choice
// and the rules by which chunks join the list.

#include "PngImageTestSupport.h"
#include "skin/imaging/PngChunkIDAT.h"
#include "skin/imaging/PngChunkIEND.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngChunkPLTE.h"
#include "skin/imaging/PngChunkgAMA.h"
#include "skin/imaging/PngChunkpHYs.h"
#include "skin/imaging/PngChunktEXt.h"
#include "skin/imaging/PngChunktIME.h"
#include "skin/imaging/PngChunktRNS.h"
#include "skin/imaging/PngChunkzTXt.h"

#include <gtest/gtest.h>

namespace skin {
namespace {

using namespace pngtest;

TEST(PngImageLoad, DamagedSecondChunkEndsLoadingQuietlyWithThatChunkLast) {
    struct Row {
        const char* type;
        TBytes data;
    };
    const Row rows[] = {
        {"gAMA", {0, 0, 0xB1, 0x8F}},
        {"tEXt", TextData("Title", "x")},
        {"sBIT", {8, 8, 8}},
        {"pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        TPngBuilder png;
        png.Ihdr(2, 1, 8, 2).Chunk(row.type, row.data).BreakLastCrc().Idat({0, 1, 2, 3, 4, 5, 6}).Iend();
        TPngPtr image = NewPng();
        EXPECT_NO_THROW(LoadInto(image.get(), png.Bytes()));
        EXPECT_EQ(ChunkNames(image.get()), std::string("IHDR ") + row.type);
        EXPECT_EQ(image->Width(), 2);
        TStrictChecks strict;
        EXPECT_THROW(LoadInto(image.get(), png.Bytes()), EPngInvalidCRC);
        EXPECT_EQ(ChunkNames(image.get()), std::string("IHDR ") + row.type) << "chunks read so far are kept";
    }
}

TEST(PngImageLoad, StreamWithoutIendLoadsTheImage) {
    const TBytes rows = {0, 10, 20, 30, 40, 50, 60, 0, 70, 80, 90, 100, 110, 120};
    TPngPtr image = LoadPng(TPngBuilder().Ihdr(2, 2, 8, 2).Idat(rows).Bytes());
    EXPECT_EQ(ChunkNames(image.get()), "IHDR IDAT");
    EXPECT_EQ(image->Pixels(1, 0), static_cast<vcl::TColor>(win::RGB(40, 50, 60)));
    EXPECT_EQ(image->Pixels(0, 1), static_cast<vcl::TColor>(win::RGB(70, 80, 90)));
    // Without IEND the list is not a whole image: nothing may join it.
    ExpectPngError<EPngError>([&] { image->AddtEXt(u"Title", u"x", false); },
                              u"It's not allowed to add a new chunk because the current image is invalid.");
}

TEST(PngImageLoad, LongPaletteIsCutTo256Entries) {
    TBytes palette(800);
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<std::uint8_t>(i * 7);
    TPngPtr image =
        LoadPng(TPngBuilder().Ihdr(2, 1, 8, 3).Chunk("PLTE", palette).Idat({0, 255, 1}).Iend().Bytes());
    auto* plte = image->Chunks()->Find<TChunkPLTE>();
    ASSERT_NE(plte, nullptr);
    EXPECT_EQ(plte->Count(), 256);
    EXPECT_EQ(image->Pixels(0, 0),
              static_cast<vcl::TColor>(win::RGB(palette[765], palette[766], palette[767])));
    EXPECT_EQ(image->Pixels(1, 0), static_cast<vcl::TColor>(win::RGB(palette[3], palette[4], palette[5])));
    ExpectPngError<EPngError>([&] { (void)plte->GetPaletteItem(256); }, u"There is no such palette entry.");
    const auto saved = ChunksOf(SavePng(image.get()));
    ASSERT_NE(FindFileChunk(saved, "PLTE"), nullptr);
    EXPECT_EQ(FindFileChunk(saved, "PLTE")->Data, TBytes(palette.begin(), palette.begin() + 768));
}

TEST(PngImageLoad, LongTransparencyChunkKeeps256Values) {
    TBytes palette(256 * 3, 0x40);
    TBytes alpha(300);
    for (std::size_t i = 0; i < alpha.size(); ++i)
        alpha[i] = static_cast<std::uint8_t>(i);
    TPngPtr image = LoadPng(TPngBuilder()
                                .Ihdr(1, 1, 8, 3)
                                .Chunk("PLTE", palette)
                                .Chunk("tRNS", alpha)
                                .Idat({0, 0})
                                .Iend()
                                .Bytes());
    auto* trns = image->Chunks()->Find<TChunktRNS>();
    ASSERT_NE(trns, nullptr);
    EXPECT_EQ(trns->DataSize(), 256u);
    EXPECT_EQ(trns->PaletteValues[255], 255);
    EXPECT_EQ(trns->PaletteValues[200], 200);
    const auto saved = ChunksOf(SavePng(image.get()));
    ASSERT_NE(FindFileChunk(saved, "tRNS"), nullptr);
    EXPECT_EQ(FindFileChunk(saved, "tRNS")->Data, TBytes(alpha.begin(), alpha.begin() + 256));
}

TEST(PngImageLoad, PaletteTransparencyModeFollowsTheValues) {
    struct Row {
        TBytes values;
        TPNGTransparencyMode mode;
        bool bit;
    };
    const Row rows[] = {
        {{255, 0, 255}, ptmBit, true},
        {{0, 0, 255}, ptmPartial, false},
        {{255, 128}, ptmBit, true}, // one entry below 255 counts as a key colour
        {{255, 255}, ptmPartial, false},
    };
    for (const Row& row : rows) {
        TPngPtr image = LoadPng(TPngBuilder()
                                    .Ihdr(1, 1, 8, 3)
                                    .Chunk("PLTE", TBytes(9, 0x20))
                                    .Chunk("tRNS", row.values)
                                    .Idat({0, 0})
                                    .Iend()
                                    .Bytes());
        EXPECT_EQ(image->TransparencyMode(), row.mode);
        EXPECT_EQ(image->Chunks()->Find<TChunktRNS>()->BitTransparency(), row.bit);
    }
    EXPECT_EQ(LoadPng(SmallRgbPng())->TransparentColor(), vcl::TColorOf(0xFF000000)) << "no tRNS chunk";
}

TEST(PngImageLoad, ChrmIsDroppedAndOtherAncillaryChunksKeptByteForByte) {
    const TBytes sbit = {5, 6, 7};
    const TBytes bytes = TPngBuilder()
                             .Ihdr(2, 1, 8, 2)
                             .Chunk("cHRM", TBytes(32, 1))
                             .Chunk("sBIT", sbit)
                             .Idat({0, 1, 2, 3, 4, 5, 6})
                             .Iend()
                             .Bytes();
    TPngPtr image = LoadPng(bytes);
    const TBytes saved = SavePng(image.get());
    EXPECT_EQ(ChunkTypes(saved), "IHDR sBIT IDAT IEND");
    EXPECT_EQ(FindFileChunk(ChunksOf(saved), "sBIT")->Data, sbit);
}

TEST(PngImageLoad, OddChunkOrdersLoadSaveAndReloadAlike) {
    struct Row {
        const char* name;
        TBytes file;
    };
    const TBytes pixels = {0, 1, 2, 3, 4, 5, 6};
    const Row rows[] = {
        {"second IHDR", TPngBuilder().Ihdr(2, 1, 8, 2).Ihdr(1, 3, 16, 6).Idat(pixels).Iend().Bytes()},
        {"PLTE after IDAT",
         TPngBuilder().Ihdr(2, 1, 8, 3).Idat({0, 1, 0}).Chunk("PLTE", {1, 2, 3, 4, 5, 6}).Iend().Bytes()},
        {"gAMA after IDAT",
         TPngBuilder().Ihdr(2, 1, 8, 2).Idat(pixels).Chunk("gAMA", {0, 0, 0x3A, 0x98}).Iend().Bytes()},
        {"tRNS twice", TPngBuilder()
                           .Ihdr(2, 1, 8, 2)
                           .Chunk("tRNS", {0, 1, 0, 2, 0, 3})
                           .Chunk("tRNS", {0, 4, 0, 5, 0, 6})
                           .Idat(pixels)
                           .Iend()
                           .Bytes()},
        {"IDAT split by a chunk", TPngBuilder()
                                      .Ihdr(2, 1, 8, 2)
                                      .Idat(pixels)
                                      .Chunk("tEXt", TextData("a", "b"))
                                      .Idat(pixels)
                                      .Iend()
                                      .Bytes()},
        {"no IDAT", TPngBuilder().Ihdr(2, 1, 8, 2).Iend().Bytes()},
        {"empty IDAT", TPngBuilder().Ihdr(2, 1, 8, 2).Chunk("IDAT", {}).Iend().Bytes()},
        {"chunk after IEND",
         TPngBuilder().Ihdr(2, 1, 8, 2).Idat(pixels).Iend().Chunk("tEXt", TextData("a", "b")).Bytes()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TPngPtr image = LoadPng(row.file);
        std::vector<vcl::TColor> colors;
        for (int y = 0; y < image->Height(); ++y)
            for (int x = 0; x < image->Width(); ++x)
                colors.push_back(image->Pixels(x, y));
        TPngPtr back = LoadPng(SavePng(image.get()));
        EXPECT_EQ(back->Width(), image->Width());
        EXPECT_EQ(back->Height(), image->Height());
        std::vector<vcl::TColor> reloaded;
        for (int y = 0; y < back->Height(); ++y)
            for (int x = 0; x < back->Width(); ++x)
                reloaded.push_back(back->Pixels(x, y));
        EXPECT_EQ(reloaded, colors);
        TPngPtr copy = NewPng();
        copy->Assign(image.get());
        EXPECT_EQ(ChunkNames(copy.get()), ChunkNames(image.get()));
    }
}

// --- the presentation text chunk

std::string TextOf(const TBytes& file, const char* type) {
    const auto chunks = ChunksOf(file);
    const TFileChunk* chunk = FindFileChunk(chunks, type);
    return chunk ? std::string(chunk->Data.begin(), chunk->Data.end()) : std::string("(none)");
}

TEST(PngImageRdPng, PropertiesAreWrittenAsSortedLinesAndReadBack) {
    struct Row {
        const char* name;
        std::uint8_t alpha;
        bool gray;
        TPngSmoothFilter smooth;
        std::string text;
    };
    const Row rows[] = {
        {"alpha", 128, false, psfDefault, "AlphaBlendValue=128\r\n"},
        {"gray", 255, true, psfDefault, "GrayMode=1\r\n"},
        {"smooth", 255, false, psfSmooth, "SmoothFilter=2\r\n"},
        {"all three", 7, true, psfFastSmooth, "AlphaBlendValue=7\r\nGrayMode=1\r\nSmoothFilter=1\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TPngPtr image = LoadPng(SmallRgbPng());
        image->SetSmoothFilter(row.smooth);
        image->SetGrayMode(row.gray);
        image->SetAlphaBlendValue(row.alpha);
        const TBytes saved = SavePng(image.get());
        EXPECT_EQ(ChunkTypes(saved), "IHDR IDAT tEXt IEND");
        EXPECT_EQ(TextOf(saved, "tEXt"), std::string("RDPNG", 6) + row.text);
        TPngPtr back = LoadPng(saved);
        EXPECT_EQ(back->AlphaBlendValue(), row.alpha);
        EXPECT_EQ(back->GrayMode(), row.gray);
        EXPECT_EQ(back->SmoothFilter(), row.smooth);
    }
}

TEST(PngImageRdPng, PropertyBackAtItsDefaultLeavesAnEmptyText) {
    TPngPtr image = LoadPng(SmallRgbPng());
    image->SetAlphaBlendValue(128);
    TPngPtr back = LoadPng(SavePng(image.get()));
    ASSERT_EQ(back->AlphaBlendValue(), 128);
    back->SetAlphaBlendValue(255);
    EXPECT_EQ(TextOf(SavePng(back.get()), "tEXt"), std::string("RDPNG", 6));
}

TEST(PngImageRdPng, OtherLinesStayAndAreSortedWithTheProperties) {
    TPngPtr image = LoadPng(TPngBuilder()
                                .Ihdr(2, 1, 8, 2)
                                .Idat({0, 1, 2, 3, 4, 5, 6})
                                .Chunk("tEXt", TextData("rdpng", "Zeta=1\r\nBeta=2\r\nSmoothFilter=1"))
                                .Iend()
                                .Bytes());
    EXPECT_EQ(image->SmoothFilter(), psfFastSmooth) << "keyword compared without case";
    image->SetGrayMode(true);
    EXPECT_EQ(TextOf(SavePng(image.get()), "tEXt"),
              std::string("RDPNG", 6) + "Beta=2\r\nGrayMode=1\r\nSmoothFilter=1\r\nZeta=1\r\n");
}

TEST(PngImageRdPng, TextUnderAnotherKeywordIsNeverTakenOver) {
    TPngPtr image = LoadPng(TPngBuilder()
                                .Ihdr(2, 1, 8, 2)
                                .Idat({0, 1, 2, 3, 4, 5, 6})
                                .Chunk("tEXt", TextData("Title", "hello"))
                                .Iend()
                                .Bytes());
    image->SetAlphaBlendValue(128);
    image->SetGrayMode(true);
    const TBytes saved = SavePng(image.get());
    EXPECT_EQ(ChunkTypes(saved), "IHDR IDAT tEXt tEXt IEND");
    const auto chunks = ChunksOf(saved);
    EXPECT_EQ(std::string(chunks[2].Data.begin(), chunks[2].Data.end()), std::string("Title", 6) + "hello");
    EXPECT_EQ(std::string(chunks[3].Data.begin(), chunks[3].Data.end()),
              std::string("RDPNG", 6) + "AlphaBlendValue=128\r\nGrayMode=1\r\n");
}

TEST(PngImageRdPng, ValuesOutOfRangeOrUnreadable) {
    struct Row {
        std::string text;
        TPngSmoothFilter smooth;
        std::uint8_t alpha;
        bool gray;
    };
    const Row rows[] = {
        {"SmoothFilter=7", psfDefault, 255, false},
        {"SmoothFilter=-1", psfDefault, 255, false},
        {"SmoothFilter=2", psfSmooth, 255, false},
        {"SmoothFilter=x\r\nAlphaBlendValue=\r\nGrayMode=yes", psfDefault, 255, false},
        {"AlphaBlendValue=300\r\nGrayMode=5", psfDefault, 44, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        TPngPtr image = LoadPng(TPngBuilder()
                                    .Ihdr(2, 1, 8, 2)
                                    .Chunk("tEXt", TextData("RDPNG", row.text))
                                    .Idat({0, 1, 2, 3, 4, 5, 6})
                                    .Iend()
                                    .Bytes());
        EXPECT_EQ(image->SmoothFilter(), row.smooth);
        EXPECT_EQ(image->AlphaBlendValue(), row.alpha);
        EXPECT_EQ(image->GrayMode(), row.gray);
    }
}

// --- compressed text

TEST(PngImageText, EmptyCompressedTextIsSavedAsOneSpace) {
    TPngPtr image = LoadPng(SmallRgbPng());
    image->AddzTXt(u"Comment", u"", false);
    const TBytes saved = SavePng(image.get());
    const auto chunks = ChunksOf(saved);
    const TFileChunk* ztxt = FindFileChunk(chunks, "zTXt");
    ASSERT_NE(ztxt, nullptr);
    ASSERT_GT(ztxt->Data.size(), 9u);
    EXPECT_EQ(TBytes(ztxt->Data.begin(), ztxt->Data.begin() + 9), TextData("Comment", std::string(1, '\0')));
    EXPECT_EQ(Inflate(TBytes(ztxt->Data.begin() + 9, ztxt->Data.end())), AsBytes(" "));
    TPngPtr back = LoadPng(saved);
    auto* chunk = back->Chunks()->Find<TChunkzTXt>();
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(chunk->Keyword(), u"Comment");
    EXPECT_EQ(chunk->Text(), u" ");
}

TEST(PngImageText, CompressedTextRoundTripAndDamage) {
    struct Row {
        const char* name;
        TBytes afterKeyword; // compression method and data
        rtl::String text;
    };
    const std::string longText(5000, 'a');
    TBytes good = {0};
    const TBytes packed = Deflate(AsBytes("h\xC3\xA9llo"));
    good.insert(good.end(), packed.begin(), packed.end());
    TBytes large = {0};
    const TBytes packedLarge = Deflate(AsBytes(longText));
    large.insert(large.end(), packedLarge.begin(), packedLarge.end());
    TBytes cut(good.begin(), good.end() - 4); // without the Adler-32
    const Row rows[] = {
        {"utf-8", good, u"h\u00e9llo"},
        {"larger than one step", large, rtl::String(longText.begin(), longText.end())},
        {"not zlib", {0, 1, 2, 3, 4}, u""},
        {"unknown method", {1, 0x78, 0x9C}, u""},
        {"cut short", cut, u"h\u00e9llo"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TBytes data = TextData("Comment", "");
        data.insert(data.end(), row.afterKeyword.begin(), row.afterKeyword.end());
        TPngPtr image = LoadPng(
            TPngBuilder().Ihdr(2, 1, 8, 2).Chunk("zTXt", data).Idat({0, 1, 2, 3, 4, 5, 6}).Iend().Bytes());
        auto* chunk = image->Chunks()->Find<TChunkzTXt>();
        ASSERT_NE(chunk, nullptr);
        EXPECT_EQ(chunk->Text(), row.text);
    }
}

TEST(PngImageText, AddingTextFollowsTheJumpRules) {
    TPngPtr image = LoadPng(SmallRgbPng());
    auto* first = image->AddtEXt(u"Title", u"one", false);
    EXPECT_EQ(image->AddtEXt(u"Title", u"", true), first);
    EXPECT_EQ(first->Text(), u"one") << "empty text with JumpExists leaves the chunk";
    image->AddtEXt(u"Other", u"two", true);
    EXPECT_EQ(first->Keyword(), u"Other") << "another keyword is written over";
    EXPECT_EQ(first->Text(), u"two");
    auto* z = image->AddzTXt(u"Z", u"zz", false);
    image->AddzTXt(u"Y", u"yy", true);
    EXPECT_EQ(z->Keyword(), u"Z") << "an existing zTXt chunk is always left with JumpExists";
    EXPECT_EQ(ChunkNames(image.get()), "IHDR IDAT tEXt zTXt IEND");
}

// --- saving the image data

TEST(PngImageSave, TwoBitGreyIsWrittenAsFourBitWithoutInterlacing) {
    // 2-bit samples 0, 1, 2, 3 across a 4 x 2 image, Adam7-interlaced.
    TBytes passes;
    // Adam7 on 4 x 2: pass 1 (0,0); pass 4 (2,0); pass 6 (1,0),(3,0); pass 7 row 1.
    passes.insert(passes.end(), {0, 0x00}); // pass 1: sample 0
    passes.insert(passes.end(), {0, 0x80}); // pass 4: sample 2
    passes.insert(passes.end(), {0, 0x70}); // pass 6: samples 1, 3
    passes.insert(passes.end(), {0, 0xE4}); // pass 7: row 1 = 3, 2, 1, 0
    TPngPtr image = LoadPng(TPngBuilder().Ihdr(4, 2, 2, 0, 1).Idat(passes).Iend().Bytes());
    ASSERT_EQ(image->InterlaceMethod(), imAdam7);
    std::vector<vcl::TColor> before;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            before.push_back(image->Pixels(x, y));
    ASSERT_EQ(before[1], static_cast<vcl::TColor>(win::RGB(85, 85, 85)));
    const TBytes saved = SavePng(image.get());
    const TBytes ihdr = FindFileChunk(ChunksOf(saved), "IHDR")->Data;
    EXPECT_EQ(ihdr[8], 4) << "bit depth";
    EXPECT_EQ(ihdr[12], 0) << "interlace";
    EXPECT_EQ(image->InterlaceMethod(), imNone);
    TPngPtr back = LoadPng(saved);
    EXPECT_EQ(back->Header()->BitDepth(), 4);
    std::vector<vcl::TColor> after;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            after.push_back(back->Pixels(x, y));
    EXPECT_EQ(after, before) << "the greys look the same at 4 bits";
}

TEST(PngImageSave, UndecodedImageDataIsKeptOnlyWhereItFitsTheHeader) {
    struct Row {
        const char* file;
        TInterlaceMethod interlace;
        bool kept; // the IDAT bytes are written as they were read
    };
    const Row rows[] = {
        {"basn2c08", imNone, true},   {"basi2c08", imAdam7, true}, {"basn0g02", imNone, false},
        {"basn2c08", imAdam7, false}, {"basi0g08", imNone, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.file << " saved as " << row.interlace);
        const TBytes bytes = ReadFileBytes(PngPath(row.file));
        TPngPtr image = LoadPng(bytes);
        image->SetInterlaceMethod(row.interlace);
        const TBytes saved = SavePng(image.get());
        EXPECT_EQ(IdatRun(saved) == IdatRun(bytes), row.kept);
        TPngPtr reference = LoadPng(bytes);
        std::vector<vcl::TColor> pixels;
        for (int y = 0; y < reference->Height(); ++y)
            for (int x = 0; x < reference->Width(); ++x)
                pixels.push_back(reference->Pixels(x, y));
        TPngPtr back = LoadPng(saved);
        std::vector<vcl::TColor> reloaded;
        for (int y = 0; y < back->Height(); ++y)
            for (int x = 0; x < back->Width(); ++x)
                reloaded.push_back(back->Pixels(x, y));
        EXPECT_EQ(reloaded, pixels);
    }
}

TEST(PngImageSave, FilterChoicePerRow) {
    struct Row {
        const char* name;
        TFilters filters;
        TBytes pixels;
        std::uint8_t filter;
    };
    const TBytes ramp = {0, 3, 6, 9, 12, 15, 18, 21};
    const TBytes noise = {1, 50, 7, 200, 33, 90, 150, 11};
    const Row rows[] = {
        {"Sub repeats, Up does not", {pfSub, pfUp}, ramp, 1},
        {"neither repeats", {pfSub, pfUp}, noise, 0},
        {"only Up allowed", {pfUp}, noise, 2},
        {"no filters", {}, ramp, 0},
        {"only None", {pfNone}, ramp, 0},
        {"all filters, ramp", {pfNone, pfSub, pfUp, pfAverage, pfPaeth}, ramp, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TPngPtr image = NewPng();
        image->MakeBlank(0, 8, 8, 1, false, false);
        std::memcpy(image->Scanline(0), row.pixels.data(), row.pixels.size());
        image->SetFilters(row.filters);
        const TBytes raw = Inflate(CollectIdat(SavePng(image.get()), nullptr));
        ASSERT_EQ(raw.size(), 9u);
        EXPECT_EQ(raw[0], row.filter);
        TPngPtr back = LoadPng(SavePng(image.get()));
        EXPECT_EQ(0, std::memcmp(back->Scanline(0), row.pixels.data(), row.pixels.size()));
    }
}

TEST(PngImageSave, ImageDataIsSplitAtMaxIdatSize) {
    struct Row {
        std::int32_t set;
        std::int32_t reads;
    };
    const Row rows[] = {{100, 65535}, {-5, 65535}, {65535, 65535}, {65536, 65536}, {100000, 100000}};
    for (const Row& row : rows) {
        TPngPtr image = NewPng();
        image->SetMaxIdatSize(row.set);
        EXPECT_EQ(image->MaxIdatSize(), row.reads) << row.set;
    }
    // Noise does not compress: well over one chunk of image data.
    TPngPtr image = NewPng();
    image->MakeBlank(2, 8, 200, 200, false, false);
    std::uint32_t seed = 12345;
    for (int y = 0; y < 200; ++y) {
        auto* row = static_cast<std::uint8_t*>(image->Scanline(y));
        for (int i = 0; i < 600; ++i, seed = seed * 1664525u + 1013904223u)
            row[i] = static_cast<std::uint8_t>(seed >> 24);
    }
    image->SetMaxIdatSize(70000);
    std::vector<std::size_t> sizes;
    for (const TFileChunk& c : ChunksOf(SavePng(image.get())))
        if (c.Type == "IDAT")
            sizes.push_back(c.Data.size());
    ASSERT_GE(sizes.size(), 2u);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i)
        EXPECT_EQ(sizes[i], 70000u) << "chunk " << i;
    EXPECT_LE(sizes.back(), 70000u);
}

// --- the chunk list

TEST(PngImageChunkList, EachClassJoinsAtItsPlace) {
    struct Row {
        const char* name;
        TBytes file;
        TChunkClass add;
        const char* order;
    };
    const TBytes rgb = SmallRgbPng();
    const TBytes palette =
        TPngBuilder().Ihdr(1, 1, 8, 3).Chunk("PLTE", TBytes(3, 9)).Idat({0, 0}).Iend().Bytes();
    const TBytes headerOnly = TPngBuilder().Ihdr(1, 1, 8, 2).Iend().Bytes();
    const Row rows[] = {
        {"gAMA after IHDR", rgb, TChunkgAMA::StaticClass(), "IHDR gAMA IDAT IEND"},
        {"pHYs after IHDR", rgb, TChunkpHYs::StaticClass(), "IHDR pHYs IDAT IEND"},
        {"tRNS before IDAT", rgb, TChunktRNS::StaticClass(), "IHDR tRNS IDAT IEND"},
        {"tRNS after PLTE", palette, TChunktRNS::StaticClass(), "IHDR PLTE tRNS IDAT IEND"},
        {"tRNS after IHDR", headerOnly, TChunktRNS::StaticClass(), "IHDR tRNS IEND"},
        {"tEXt before IEND", rgb, TChunktEXt::StaticClass(), "IHDR IDAT tEXt IEND"},
        {"tIME before IEND", palette, TChunktIME::StaticClass(), "IHDR PLTE IDAT tIME IEND"},
        {"zTXt before IEND", rgb, TChunkzTXt::StaticClass(), "IHDR IDAT zTXt IEND"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TPngPtr image = LoadPng(row.file);
        TChunk* chunk = image->Chunks()->Add(row.add);
        EXPECT_EQ(chunk->ClassType(), row.add);
        EXPECT_EQ(ChunkNames(image.get()), row.order);
    }
}

TEST(PngImageChunkList, CriticalDuplicateAndOrphanAdditionsAreRefused) {
    constexpr std::u16string_view critical =
        u"The program tried to add a existent critical chunk to the current image which is not allowed.";
    constexpr std::u16string_view invalid =
        u"It's not allowed to add a new chunk because the current image is invalid.";
    struct Row {
        const char* name;
        TBytes file; // empty: a new image
        TChunkClass add;
        std::u16string_view message;
    };
    const TBytes withGamma =
        TPngBuilder().Ihdr(1, 1, 8, 2).Chunk("gAMA", {0, 0, 0xB1, 0x8F}).Idat({0, 1, 2, 3}).Iend().Bytes();
    const Row rows[] = {
        {"IHDR", SmallRgbPng(), TChunkIHDR::StaticClass(), critical},
        {"IDAT", SmallRgbPng(), TChunkIDAT::StaticClass(), critical},
        {"PLTE", SmallRgbPng(), TChunkPLTE::StaticClass(), critical},
        {"IEND", SmallRgbPng(), TChunkIEND::StaticClass(), critical},
        {"second gAMA", withGamma, TChunkgAMA::StaticClass(), critical},
        {"tEXt to a new image", {}, TChunktEXt::StaticClass(), invalid},
        {"gAMA to a new image", {}, TChunkgAMA::StaticClass(), invalid},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TPngPtr image = row.file.empty() ? NewPng() : LoadPng(row.file);
        const std::string before = ChunkNames(image.get());
        ExpectPngError<EPngError>([&] { image->Chunks()->Add(row.add); }, row.message);
        EXPECT_EQ(ChunkNames(image.get()), before);
    }
    TPngPtr image = LoadPng(SmallRgbPng());
    image->Chunks()->Add<TChunktRNS>();
    ExpectPngError<EPngError>([&] { image->Chunks()->Add<TChunktRNS>(); }, critical);
    image->Chunks()->Add<TChunkpHYs>();
    ExpectPngError<EPngError>([&] { image->Chunks()->Add<TChunkpHYs>(); }, critical);
    image->Chunks()->Add<TChunktEXt>();
    EXPECT_NO_THROW(image->Chunks()->Add<TChunktEXt>()) << "text chunks may repeat";
}

TEST(PngImageChunkList, IncompatibleAssignmentRaisesOrIsIgnored) {
    TPngPtr image = LoadPng(SmallRgbPng());
    auto* text = image->AddtEXt(u"Title", u"t", false);
    auto* phys = image->PixelInformation();
    for (TChunk* strict :
         {static_cast<TChunk*>(image->Header()), static_cast<TChunk*>(image->Chunks()->Find<TChunkIDAT>())}) {
        ExpectPngError<EPngError>([&] { strict->Assign(text); },
                                  u"The chunks must be compatible to be assigned.");
    }
    EXPECT_NO_THROW(phys->Assign(text));
    EXPECT_EQ(phys->Unit(), utMeter) << "ignored";
}

} // namespace
} // namespace skin

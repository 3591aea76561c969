// The pixel codec's parts: checksums, filters and their choice, gamma
// tables, multi-chunk image data, failure handling and memory limits.

#include "PngTestSupport.h"
#include "skin/imaging/PngCrc.h"
#include "skin/imaging/PngDecoder.h"
#include "skin/imaging/PngEncoder.h"
#include "skin/imaging/PngExceptions.h"
#include "skin/imaging/PngFilters.h"
#include "skin/imaging/PngGamma.h"
#include "skin/imaging/PngQuickFile.h"
#include "skin/imaging/PngStoreBuffers.h"

#include <cstring>

#include <gtest/gtest.h>

namespace skin {
namespace {

using namespace pngtest;

// Deterministic bytes (a linear congruential generator).
std::vector<std::uint8_t> Noise(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(seed >> 24);
    }
    return bytes;
}

TEST(PngChecksums, MatchPublishedCheckValues) {
    const char* text = "123456789";
    EXPECT_EQ(PngCrc32(0, text, 9), 0xCBF43926u);
    EXPECT_EQ(PngCrc64(0, text, 9), 0x995DC9BBDF1939FAull);
}

TEST(PngChecksums, PiecesGiveTheWholeValue) {
    const std::vector<std::uint8_t> data = Noise(53, 7);
    const std::uint32_t crc32 = PngCrc32(0, data.data(), data.size());
    const std::uint64_t crc64 = PngCrc64(0, data.data(), data.size());
    for (std::size_t cut = 0; cut <= data.size(); ++cut) {
        EXPECT_EQ(PngCrc32(PngCrc32(0, data.data(), cut), data.data() + cut, data.size() - cut), crc32);
        EXPECT_EQ(PngCrc64(PngCrc64(0, data.data(), cut), data.data() + cut, data.size() - cut), crc64)
            << cut;
    }
}

// Every filter undone restores the row, for every pixel size and for rows
// shorter and longer than a vector.
TEST(PngFilters, UnfilterRestoresEveryFilteredRow) {
    for (unsigned offset : {1u, 2u, 3u, 4u, 6u, 8u}) {
        for (std::size_t pixels : {1u, 2u, 5u, 37u}) {
            const std::size_t n = pixels * offset;
            const std::vector<std::uint8_t> raw = Noise(n, static_cast<std::uint32_t>(n + offset));
            const std::vector<std::uint8_t> prior = Noise(n, static_cast<std::uint32_t>(n * 3 + 1));
            for (TFilter f : {pfNone, pfSub, pfUp, pfAverage, pfPaeth}) {
                std::vector<std::uint8_t> row(n);
                PngFilterRow(f, row.data(), raw.data(), prior.data(), n, offset);
                PngUnfilterRow(f, row.data(), prior.data(), n, offset);
                EXPECT_TRUE(row == raw)
                    << "filter " << int(f) << " offset " << offset << " pixels " << pixels;
            }
        }
    }
}

TEST(PngFilters, UnknownFilterTypeLeavesRowAsRead) {
    const std::vector<std::uint8_t> raw = Noise(12, 3), prior = Noise(12, 4);
    for (std::uint8_t type : {5, 200}) {
        std::vector<std::uint8_t> row = raw;
        PngUnfilterRow(type, row.data(), prior.data(), row.size(), 3);
        EXPECT_TRUE(row == raw);
    }
}

struct TChoiceCase {
    const char* Name;
    TFilters Filters;
    std::vector<std::uint8_t> Sub, Up;
    TFilter Expected;
};

TEST(PngFilters, ChoosesByRepeatedBytes) {
    const std::vector<std::uint8_t> plain{1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<std::uint8_t> repeats{1, 2, 2, 2, 2, 2, 9, 9};
    const std::vector<std::uint8_t> repeatsBefore2{7, 7, 1, 2, 3, 4, 5, 6}; // only k = 1 repeats
    const std::vector<std::uint8_t> everyOther{1, 2, 1, 2, 1, 2, 1, 2};     // repeats at distance 2
    const TChoiceCase cases[] = {
        {"empty set", {}, repeats, repeats, pfNone},
        {"only none", {pfNone}, repeats, repeats, pfNone},
        {"single filter is used as it is", {pfUp}, plain, plain, pfUp},
        {"sub repeats more", {pfSub, pfUp}, repeats, plain, pfSub},
        {"up repeats more", {pfSub, pfUp}, plain, repeats, pfUp},
        {"distance two counts", {pfSub, pfUp}, plain, everyOther, pfUp},
        {"neither repeats", {pfSub, pfUp}, plain, plain, pfNone},
        {"a tie keeps the earlier filter", {pfSub, pfUp}, repeats, repeats, pfSub},
        {"positions start at two", {pfSub, pfUp}, repeatsBefore2, plain, pfNone},
    };
    for (const TChoiceCase& c : cases) {
        const std::uint8_t* candidates[PngFilterCount] = {plain.data(), c.Sub.data(), c.Up.data(), nullptr,
                                                          nullptr};
        EXPECT_EQ(PngChooseFilter(c.Filters, candidates, plain.size()), c.Expected) << c.Name;
    }
}

TEST(PngGamma, ZeroIsIdentityAndInverseUndoesTheTable) {
    std::uint8_t g[256], ig[256];
    PngBuildGammaTables(0, g, ig);
    EXPECT_TRUE(PngIsIdentityTable(g));
    EXPECT_TRUE(PngIsIdentityTable(ig));
    for (std::uint32_t gamma : {25000u, 45455u, 100000u, 250000u}) {
        PngBuildGammaTables(gamma, g, ig);
        EXPECT_EQ(g[0], 0);
        EXPECT_EQ(g[255], 255);
        for (int i = 1; i < 256; ++i) {
            EXPECT_LE(g[i - 1], g[i]) << gamma;
            EXPECT_EQ(g[ig[g[i]]], g[i]) << gamma; // saving and loading again keeps stored colours
        }
    }
    PngBuildGammaTables(100000, g, ig); // gamma 1.0 brightens mid tones (exponent 1 / 2.2)
    EXPECT_GT(g[128], 128);
}

// An image of 8-bit RGBA pixels with known samples, as a deferred stream.
struct TTestImage {
    TPngImageHeader Header;
    std::vector<std::uint8_t> Samples; // PNG samples, row after row
    std::vector<std::uint8_t> Compressed;

    TTestImage(std::uint32_t width, std::uint32_t height, std::uint8_t colorType = COLOR_RGBALPHA)
        : Header{width, height, 8, colorType, 0, 0, 0} {
        const std::size_t rowBytes = PngRowBytes(Header, width);
        Samples = Noise(rowBytes * height, width * 31 + height);
        std::vector<std::uint8_t> filtered;
        for (std::uint32_t y = 0; y < height; ++y) {
            filtered.push_back(pfNone);
            filtered.insert(filtered.end(), Samples.begin() + static_cast<std::ptrdiff_t>(y * rowBytes),
                            Samples.begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes));
        }
        Compressed = Deflate(filtered);
    }
};

struct TDecodeTarget {
    TPngStoreBuffers Buffers;
    TPngPixelStore Store;
    explicit TDecodeTarget(const TPngImageHeader& header, TPngStoreDepth depth = psd32Bit) {
        EXPECT_TRUE(Buffers.Allocate(header, depth));
        Store = Buffers.Store();
    }
    void Poison() { std::memset(Store.ImageData, 0xAA, Buffers.Layout().ImageBytes); }
    [[nodiscard]] bool AllZero() const {
        const std::uint8_t* p = Store.ImageData;
        return std::all_of(p, p + Buffers.Layout().ImageBytes, [](std::uint8_t b) { return b == 0; });
    }
    [[nodiscard]] bool RowMatches(const TTestImage& image, std::uint32_t y) const {
        const std::size_t rowBytes = std::size_t{Store.Width} * 4;
        const std::uint8_t* p = Store.ImageData + y * Store.BytesPerRow;
        const std::uint8_t* s = image.Samples.data() + y * rowBytes;
        for (std::size_t x = 0; x < Store.Width; ++x)
            if (p[4 * x] != s[4 * x + 2] || p[4 * x + 1] != s[4 * x + 1] || p[4 * x + 2] != s[4 * x] ||
                p[4 * x + 3] != s[4 * x + 3])
                return false;
        return true;
    }
};

TEST(PngDecoder, ImageDataSplitAcrossChunksDecodesTheSame) {
    const TTestImage image(23, 9);
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
        std::uint32_t firstSize = 0;
        const std::vector<std::uint8_t> idat = SplitIntoIdat(image.Compressed, piece, firstSize);
        TDecodeTarget target(image.Header);
        TPngIdatReader reader(idat.data(), idat.size(), firstSize);
        ASSERT_EQ(PngDecodeImageData(reader, image.Header, target.Store), pdrOk) << piece;
        for (std::uint32_t y = 0; y < image.Header.Height; ++y)
            EXPECT_TRUE(target.RowMatches(image, y)) << "piece " << piece << " row " << y;
    }
}

TEST(PngDecoder, DataEndingEarlyKeepsDecodedRowsAndLeavesTheRestZero) {
    const TTestImage image(40, 30);
    std::uint32_t firstSize = 0;
    std::vector<std::uint8_t> idat = SplitIntoIdat(image.Compressed, 1 << 20, firstSize);
    idat.resize(idat.size() / 2); // cut inside the only chunk, CRC lost with it
    TDecodeTarget target(image.Header);
    TPngIdatReader reader(idat.data(), idat.size(), firstSize);
    ASSERT_EQ(PngDecodeImageData(reader, image.Header, target.Store), pdrDataEnded);
    EXPECT_TRUE(target.RowMatches(image, 0));
    const std::uint8_t* last = target.Store.ImageData + 29 * target.Store.BytesPerRow;
    EXPECT_TRUE(std::all_of(last, last + target.Store.BytesPerRow, [](std::uint8_t b) { return b == 0; }));
}

// Damaged data in either mode leaves the whole store zeroed; strict checking
// raises the matching exception with the image class's message.
struct TDamageCase {
    const char* Name;
    void (*DamageData)(std::vector<std::uint8_t>& compressed); // before it is cut into chunks
    void (*DamageChunks)(std::vector<std::uint8_t>& idat);
    TPngDecodeResult Lenient;
    const char16_t* StrictMessageStart;
    const char16_t* StrictMessageEnd;
};

TEST(PngDecoder, DamagedDataZeroesTheStore) {
    const TDamageCase cases[] = {
        {"CRC of the second chunk", nullptr, [](std::vector<std::uint8_t>& d) { d[d.size() - 1] ^= 1; },
         pdrCrcError,
         u"2.671 This \"Portable Network Graphics\" image is not valid because it contains invalid pieces",
         u"(crc error)"},
        {"zlib header", [](std::vector<std::uint8_t>& d) { d[0] ^= 0x40; }, nullptr, pdrZlibError,
         u"2.671 Could not decompress the image because it contains invalid compressed data.\r\n "
         u"Description: ",
         u"data error"},
    };
    const TTestImage image(16, 16);
    for (const TDamageCase& c : cases) {
        for (TPngCheckMode mode : {pcmLenient, pcmStrict}) {
            std::vector<std::uint8_t> compressed = image.Compressed;
            if (c.DamageData)
                c.DamageData(compressed);
            std::uint32_t firstSize = 0;
            std::vector<std::uint8_t> idat = SplitIntoIdat(compressed, compressed.size() - 5, firstSize);
            if (c.DamageChunks)
                c.DamageChunks(idat);
            TDecodeTarget target(image.Header);
            target.Poison();
            TPngIdatReader reader(idat.data(), idat.size(), firstSize);
            if (mode == pcmLenient) {
                EXPECT_EQ(PngDecodeImageData(reader, image.Header, target.Store, mode), c.Lenient) << c.Name;
            } else {
                try {
                    (void)PngDecodeImageData(reader, image.Header, target.Store, mode);
                    ADD_FAILURE() << c.Name << ": nothing raised";
                } catch (const rtl::Exception& e) {
                    const rtl::String& m = e.Message();
                    EXPECT_EQ(m.rfind(c.StrictMessageStart, 0), 0u) << c.Name;
                    EXPECT_TRUE(m.ends_with(c.StrictMessageEnd)) << c.Name;
                }
            }
            EXPECT_TRUE(target.AllZero()) << c.Name;
        }
    }
}

TEST(PngDecoder, ImageDataContinuingInAnotherChunkRaises) {
    const TTestImage image(16, 16);
    std::uint32_t firstSize = 0;
    std::vector<std::uint8_t> idat = SplitIntoIdat(image.Compressed, 20, firstSize);
    std::memcpy(&idat[firstSize + 4 + 4], "IEND", 4); // the second chunk's type
    TDecodeTarget target(image.Header);
    target.Poison();
    TPngIdatReader reader(idat.data(), idat.size(), firstSize);
    EXPECT_THROW((void)PngDecodeImageData(reader, image.Header, target.Store), EPNGMissingMultipleIDAT);
    EXPECT_TRUE(target.AllZero());
}

TEST(PngDecoder, RefusesStoresThatDoNotFitTheHeader) {
    const TTestImage image(8, 8);
    std::uint32_t firstSize = 0;
    const std::vector<std::uint8_t> idat = SplitIntoIdat(image.Compressed, 1 << 20, firstSize);
    TDecodeTarget target(image.Header);
    const struct {
        const char* Name;
        void (*Break)(TPngPixelStore&, TPngImageHeader&);
        TPngDecodeResult Expected;
    } cases[] = {
        {"no pixel buffer", [](TPngPixelStore& s, TPngImageHeader&) { s.ImageData = nullptr; }, pdrNoBuffer},
        {"rows too short", [](TPngPixelStore& s, TPngImageHeader&) { s.BytesPerRow -= 4; }, pdrNoBuffer},
        {"other bit count", [](TPngPixelStore& s, TPngImageHeader&) { s.BitCount = 24; }, pdrNoBuffer},
        {"taller than the store", [](TPngPixelStore&, TPngImageHeader& h) { h.Height += 1; }, pdrNoBuffer},
        {"RGB of 4 bits", [](TPngPixelStore&, TPngImageHeader& h) { h.BitDepth = 4; }, pdrInvalidHeader},
        {"interlace method 2", [](TPngPixelStore&, TPngImageHeader& h) { h.InterlaceMethod = 2; },
         pdrInvalidHeader},
    };
    for (const auto& c : cases) {
        TPngPixelStore store = target.Store;
        TPngImageHeader header = image.Header;
        c.Break(store, header);
        TPngIdatReader reader(idat.data(), idat.size(), firstSize);
        EXPECT_EQ(PngDecodeImageData(reader, header, store), c.Expected) << c.Name;
    }
}

// A file whose header claims a huge image over a few bytes of data is refused
// before anything is allocated for it; a store beyond the fixed limit is
// refused whatever the data.
TEST(PngSafety, HugeHeadersAreRefusedAsOutOfMemory) {
    const TTestImage tiny(4, 4);
    TPngQuickFile source;
    TPngImageHeader small = tiny.Header;
    ASSERT_TRUE(source.Buffers.Allocate(small, psdDefault));
    source.Header = small;
    std::vector<std::uint8_t> file = source.Save();
    ASSERT_FALSE(file.empty());
    // IHDR data starts at byte 16: raise width and height to the largest allowed, then fix its CRC.
    for (int i = 0; i < 8; ++i)
        file[16 + i] = i % 4 < 2 ? 0 : 0xFF;
    const std::uint32_t crc = PngCrc32(0, &file[12], 17);
    for (int i = 0; i < 4; ++i)
        file[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    TPngQuickFile huge;
    EXPECT_EQ(huge.Load(file.data(), file.size()), pdrOutOfMemory);
    EXPECT_EQ(huge.Header.Width, 65535u);
    EXPECT_EQ(huge.Buffers.Store().ImageData, nullptr);

    TPngStoreBuffers buffers;
    EXPECT_FALSE(buffers.Allocate({65535, 65535, 8, COLOR_GRAYSCALE, 0, 0, 0}, psdDefault));
    EXPECT_EQ(buffers.Store().ImageData, nullptr);
}

TEST(PngSafety, PlausibleSizeFollowsTheDeflateRatio) {
    const TPngImageHeader header{1000, 1000, 8, COLOR_RGBALPHA, 0, 0, 0}; // 4,001,000 filtered bytes
    EXPECT_TRUE(PngIsPlausibleDataSize(header, 4000));
    EXPECT_FALSE(PngIsPlausibleDataSize(header, 3000));
}

TEST(PngEncoder, WritesChunksOfExactlyMaxIdatSize) {
    TPngQuickFile file;
    const TTestImage image(50, 20);
    std::vector<std::uint8_t> original(8);
    // Build a real file first so that its store holds noise.
    {
        std::vector<std::uint8_t> bytes = {137, 80, 78, 71, 13, 10, 26, 10};
        TPngVectorSink sink(bytes);
        const std::uint8_t ihdr[13] = {0, 0, 0, 50, 0, 0, 0, 20, 8, COLOR_RGBALPHA, 0, 0, 0};
        PngWriteChunk(sink, "IHDR", ihdr, 13);
        PngWriteChunk(sink, "IDAT", image.Compressed.data(),
                      static_cast<std::uint32_t>(image.Compressed.size()));
        PngWriteChunk(sink, "IEND", nullptr, 0);
        ASSERT_EQ(file.Load(bytes.data(), bytes.size()), pdrOk);
    }
    for (std::uint32_t maxSize : {100u, 1000u}) {
        TPngSaveOptions options;
        options.CompressionLevel = 0; // stored: the data is larger than one chunk
        options.MaxIdatSize = maxSize;
        std::vector<std::uint32_t> lengths;
        CollectIdat(file.Save(options), &lengths);
        ASSERT_GE(lengths.size(), 2u);
        for (std::size_t i = 0; i + 1 < lengths.size(); ++i)
            EXPECT_EQ(lengths[i], maxSize);
        EXPECT_GT(lengths.back(), 0u);
        EXPECT_LE(lengths.back(), maxSize);
    }
}

// The filter bytes of the written rows: the default uses Sub for every row;
// with [Sub, Up] a row equal to the one above is written with Up.
TEST(PngEncoder, WritesTheChosenFilterPerRow) {
    TPngQuickFile file;
    const TPngImageHeader header{30, 3, 8, COLOR_RGB, 0, 0, 0};
    ASSERT_TRUE(file.Buffers.Allocate(header, psdDefault));
    file.Header = header;
    const TPngPixelStore store = file.Buffers.Store();
    const std::vector<std::uint8_t> row = Noise(store.BytesPerRow, 99);
    for (std::uint32_t y = 0; y < 3; ++y)
        std::memcpy(store.ImageData + y * store.BytesPerRow, row.data(), row.size());
    const std::size_t rowLen = PngRowBytes(header, 30) + 1;

    std::vector<std::uint8_t> rows = Inflate(CollectIdat(file.Save(), nullptr));
    ASSERT_EQ(rows.size(), 3 * rowLen);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(rows[y * rowLen], pfSub);

    TPngSaveOptions options;
    options.Filters = {pfSub, pfUp};
    rows = Inflate(CollectIdat(file.Save(options), nullptr));
    ASSERT_EQ(rows.size(), 3 * rowLen);
    EXPECT_EQ(rows[1 * rowLen], pfUp);
    EXPECT_EQ(rows[2 * rowLen], pfUp);
}

} // namespace
} // namespace skin

// rdimg on PngSuite, run as the program it is: decode gives the reference
// pixels, decode -> encode -> decode loses nothing whatever the encoder's
// options, copy keeps the image data, info lists the file's chunks.

#include "RdimgRun.h"
#include "skin/imaging/PngImageTestSupport.h"
#include "skin/imaging/PngTestSupport.h"

#include <gtest/gtest.h>

namespace rdimg_test {
namespace {

using namespace skin::pngtest;

// Decodes a PngSuite image to a PAM in the scratch folder and returns its bytes.
TBytes DecodeToPam(const std::string& png, const std::string& pam) {
    const TRdimgRun run = RunRdimg({"decode", png, pam});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    return ReadBytes(pam);
}

TEST(RdimgSuite, DecodeGivesTheReferencePixels) {
    for (const std::string& name : SuiteImages(false)) {
        SCOPED_TRACE(name);
        const TBytes bytes = ReadFileBytes(PngPath(name));
        skin::TPngQuickFile file; // the gamma table and key colour the reference is seen through
        ASSERT_EQ(file.Load(bytes.data(), bytes.size()), skin::pdrOk);
        const TBytes expected =
            ExpectedRgba(file, ReadJsonNumbers(PngSuiteDir() + "/json/" + name + ".json"));
        const TBytes pam = DecodeToPam(PngPath(name), ScratchPath("decoded.pam"));
        const std::string header = RgbaPamHeader(file.Header.Width, file.Header.Height);
        ASSERT_GE(pam.size(), header.size());
        EXPECT_EQ(std::string(pam.begin(), pam.begin() + static_cast<std::ptrdiff_t>(header.size())), header);
        const TBytes actual(pam.begin() + static_cast<std::ptrdiff_t>(header.size()), pam.end());
        ASSERT_EQ(actual.size(), expected.size());
        EXPECT_TRUE(actual == expected) << FirstDifference(actual, expected, file.Header.Width);
    }
}

// The filter bytes of a non-interlaced 8-bit RGBA PNG, one per row.
TBytes RowFilters(const TBytes& png) {
    const TBytes ihdr = IhdrOf(png);
    if (ihdr.empty())
        return {};
    const std::size_t stride = 1 + 4 * std::size_t{detail::BigEndian32(ihdr.data())};
    const TBytes raw = Inflate(CollectIdat(png, nullptr));
    TBytes filters;
    for (std::size_t at = 0; at < raw.size(); at += stride)
        filters.push_back(raw[at]);
    return filters;
}

TEST(RdimgSuite, DecodeEncodeDecodeIsLossless) {
    struct Options {
        std::vector<std::string> args;
        std::uint8_t interlace;
        int everyRowFilter; // -1: the encoder chooses
        bool stored;        // level 0: deflate stores, so nothing gets smaller
    };
    const Options table[] = {
        {{}, 0, 1, false}, // the image class's default: Sub only
        {{"--level", "9", "--filters", "none,sub,up,average,paeth"}, 0, -1, false},
        {{"--level=0", "--filters=paeth"}, 0, 4, true},
        {{"--interlace", "--filters", "up,average"}, 1, -1, false},
    };
    const std::vector<std::string> names = SuiteImages(false);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Options& options = table[i % std::size(table)];
        SCOPED_TRACE(names[i] + " with option set " + std::to_string(i % std::size(table)));
        const TBytes first = DecodeToPam(PngPath(names[i]), ScratchPath("first.pam"));
        std::vector<std::string> encode{"encode", ScratchPath("first.pam"), ScratchPath("again.png")};
        encode.insert(encode.end(), options.args.begin(), options.args.end());
        const TRdimgRun run = RunRdimg(encode);
        ASSERT_EQ(run.ExitCode, 0) << run.Err;
        const TBytes png = ReadBytes(ScratchPath("again.png"));
        const TBytes ihdr = IhdrOf(png);
        ASSERT_EQ(ihdr.size(), 13u);
        EXPECT_EQ(ihdr[9], 6) << "colour type";
        EXPECT_EQ(ihdr[12], options.interlace);
        if (options.everyRowFilter >= 0) {
            const TBytes filters = RowFilters(png);
            EXPECT_TRUE(std::all_of(filters.begin(), filters.end(),
                                    [&](std::uint8_t f) { return f == options.everyRowFilter; }));
        }
        if (options.stored) {
            const std::size_t pixelBytes =
                std::size_t{detail::BigEndian32(&ihdr[0])} * detail::BigEndian32(&ihdr[4]) * 4;
            EXPECT_GT(CollectIdat(png, nullptr).size(), pixelBytes);
        }
        EXPECT_TRUE(DecodeToPam(ScratchPath("again.png"), ScratchPath("second.pam")) == first);
    }
}

// 2-bit images are held with 4-bit samples and saved that way, so their image
// data is encoded anew under the new header; every other copy keeps it.
TEST(RdimgSuite, CopyKeepsTheImageDataByteForByte) {
    for (const std::string& name : SuiteImages(false)) {
        SCOPED_TRACE(name);
        const TRdimgRun run = RunRdimg({"copy", PngPath(name), ScratchPath("copy.png")});
        ASSERT_EQ(run.ExitCode, 0) << run.Err;
        const TBytes original = ReadFileBytes(PngPath(name));
        const TBytes copy = ReadBytes(ScratchPath("copy.png"));
        EXPECT_EQ(ChunksOf(copy).back().Type, "IEND");
        if (IhdrOf(original).at(8) != 2) {
            EXPECT_EQ(IdatRun(copy), IdatRun(original));
            continue;
        }
        EXPECT_EQ(IhdrOf(copy).at(8), 4) << "bit depth";
        EXPECT_TRUE(DecodeToPam(ScratchPath("copy.png"), ScratchPath("copy.pam")) ==
                    DecodeToPam(PngPath(name), ScratchPath("original.pam")));
    }
}

// The lines of info's chunk list, as "TYPE LENGTH".
std::vector<std::string> ListedChunks(const std::string& info) {
    std::vector<std::string> chunks;
    const std::size_t start = info.find("chunks:\n");
    if (start == std::string::npos)
        return chunks;
    for (std::size_t at = start + 8; info.compare(at, 2, "  ") == 0;) {
        const std::size_t end = info.find('\n', at);
        chunks.push_back(info.substr(at + 2, end - at - 2));
        at = end + 1;
    }
    return chunks;
}

TEST(RdimgSuite, InfoDescribesTheHeaderAndListsTheChunksInFileOrder) {
    for (const std::string& name : SuiteImages(false)) {
        SCOPED_TRACE(name);
        const TBytes bytes = ReadFileBytes(PngPath(name));
        const TRdimgRun run = RunRdimg({"info", PngPath(name)});
        ASSERT_EQ(run.ExitCode, 0) << run.Err;
        std::vector<std::string> expected;
        for (const TFileChunk& chunk : ChunksOf(bytes))
            expected.push_back(chunk.Type + " " + std::to_string(chunk.Data.size()));
        EXPECT_EQ(ListedChunks(run.Out), expected);
        const TBytes ihdr = IhdrOf(bytes);
        ASSERT_EQ(ihdr.size(), 13u);
        const std::string header = "size: " + std::to_string(detail::BigEndian32(&ihdr[0])) + " x " +
                                   std::to_string(detail::BigEndian32(&ihdr[4])) +
                                   "\ncolour type: " + std::to_string(ihdr[9]) + " (";
        EXPECT_NE(run.Out.find(header), std::string::npos) << run.Out;
        EXPECT_NE(run.Out.find("bit depth: " + std::to_string(ihdr[8]) +
                               "\ninterlace: " + std::to_string(ihdr[12])),
                  std::string::npos)
            << run.Out;
    }
}

} // namespace
} // namespace rdimg_test

// Conformance on PngSuite: every valid image decodes to its reference, every
// corrupt one fails cleanly, and decode -> encode -> decode loses nothing.

#include "PngTestSupport.h"
#include "skin/imaging/PngQuickFile.h"

#include <map>

#include <gtest/gtest.h>

namespace skin {
namespace {

using namespace pngtest;

TPngDecodeResult LoadSuiteImage(TPngQuickFile& file, const std::string& name, TPngStoreDepth depth) {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(PngPath(name));
    return file.Load(bytes.data(), bytes.size(), depth);
}

class PngSuiteValid : public testing::TestWithParam<std::string> {};

TEST_P(PngSuiteValid, DecodesToReferenceInBothStorages) {
    const std::vector<std::uint32_t> reference =
        ReadJsonNumbers(PngSuiteDir() + "/json/" + GetParam() + ".json");
    ASSERT_FALSE(reference.empty());
    for (TPngStoreDepth depth : {psdDefault, psd32Bit}) {
        TPngQuickFile file;
        ASSERT_EQ(LoadSuiteImage(file, GetParam(), depth), pdrOk);
        const std::vector<std::uint8_t> actual = file.ToRgba();
        const std::vector<std::uint8_t> expected = ExpectedRgba(file, reference);
        ASSERT_EQ(actual.size(), expected.size());
        EXPECT_TRUE(actual == expected)
            << FirstDifference(actual, expected, file.Header.Width) << (depth == psd32Bit ? " (32-bit)" : "");
    }
}

struct TRoundTrip {
    const char* Name;
    TPngStoreDepth Depth;
    TPngSaveOptions Options;
};

const TRoundTrip RoundTrips[] = {
    {"default", psdDefault, {}},
    {"every filter, Adam7", psdDefault, {{pfNone, pfSub, pfUp, pfAverage, pfPaeth}, 6, 65535, 1}},
    {"Paeth, 32-bit, tiny chunks", psd32Bit, {{pfPaeth}, 9, 7, 0}},
    {"no filter, stored", psdDefault, {{}, 0, 65535, 1}},
};

bool SameBuffer(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
    return (a == nullptr) == (b == nullptr) && (!a || std::equal(a, a + size, b));
}

TEST_P(PngSuiteValid, RoundTripIsLossless) {
    for (const TRoundTrip& trip : RoundTrips) {
        SCOPED_TRACE(trip.Name);
        TPngQuickFile first;
        ASSERT_EQ(LoadSuiteImage(first, GetParam(), trip.Depth), pdrOk);
        const std::vector<std::uint8_t> saved = first.Save(trip.Options);
        ASSERT_FALSE(saved.empty());
        TPngQuickFile second;
        ASSERT_EQ(second.Load(saved.data(), saved.size(), trip.Depth), pdrOk);
        EXPECT_EQ(second.Header.InterlaceMethod, trip.Options.InterlaceMethod);
        EXPECT_TRUE(first.ToRgba() == second.ToRgba());
        // The low bytes of 16-bit samples survive too.
        const TPngStoreLayout& layout = first.Buffers.Layout();
        EXPECT_TRUE(SameBuffer(first.Buffers.Store().ExtraImageData, second.Buffers.Store().ExtraImageData,
                               layout.ExtraBytes));
    }
}

INSTANTIATE_TEST_SUITE_P(PngSuite, PngSuiteValid, testing::ValuesIn(SuiteImages(false)),
                         [](const auto& info) { return info.param; });

// Each corrupt image ends in a clean refusal, or, for damaged image data, in
// the lenient result: a zeroed store.
const std::map<std::string, TPngDecodeResult> CorruptOutcomes = {
    {"xc1n0g08", pdrInvalidHeader}, {"xc9n2c08", pdrInvalidHeader}, {"xcrn0g04", pdrInvalidHeader},
    {"xcsn0g01", pdrCrcError},      {"xd0n2c08", pdrInvalidHeader}, {"xd3n2c08", pdrInvalidHeader},
    {"xd9n2c08", pdrInvalidHeader}, {"xdtn0g01", pdrMissingIdat},   {"xhdn0g08", pdrMissingIdat},
    {"xlfn0g04", pdrInvalidHeader}, {"xs1n0g01", pdrInvalidHeader}, {"xs2n0g01", pdrInvalidHeader},
    {"xs4n0g01", pdrInvalidHeader}, {"xs7n0g01", pdrInvalidHeader},
};

class PngSuiteCorrupt : public testing::TestWithParam<std::string> {};

TEST_P(PngSuiteCorrupt, FailsCleanly) {
    const auto expected = CorruptOutcomes.find(GetParam());
    ASSERT_NE(expected, CorruptOutcomes.end()) << "no expectation for this image";
    TPngQuickFile file;
    EXPECT_EQ(LoadSuiteImage(file, GetParam(), psdDefault), expected->second);
    const TPngPixelStore store = file.Buffers.Store();
    if (store.ImageData) {
        EXPECT_TRUE(std::all_of(store.ImageData, store.ImageData + file.Buffers.Layout().ImageBytes,
                                [](std::uint8_t b) { return b == 0; }));
    }
}

INSTANTIATE_TEST_SUITE_P(PngSuite, PngSuiteCorrupt, testing::ValuesIn(SuiteImages(true)),
                         [](const auto& info) { return info.param; });

TEST(PngSuite, HasTheWholeSuite) {
    EXPECT_EQ(SuiteImages(false).size(), 161u);
    EXPECT_EQ(SuiteImages(true).size(), CorruptOutcomes.size());
}

} // namespace
} // namespace skin

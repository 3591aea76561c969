// PngSuite through the image class: every valid image decodes to its
// reference, survives decode -> encode -> decode, and keeps its IDAT bytes
// when saved untouched; every corrupt one gives its exception or its quiet
// result.

#include "PngImageTestSupport.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngImageRgba.h"
#include "skin/imaging/PngStrictMode.h"

#include <map>
#include <typeinfo>

#include <gtest/gtest.h>

namespace skin {
namespace {

using namespace pngtest;

class PngImageSuiteValid : public testing::TestWithParam<std::string> {};

TEST_P(PngImageSuiteValid, DecodesToTheReference) {
    const TBytes bytes = ReadFileBytes(PngPath(GetParam()));
    const std::vector<std::uint32_t> reference =
        ReadJsonNumbers(PngSuiteDir() + "/json/" + GetParam() + ".json");
    TPngQuickFile file; // gives the gamma table and key colour the reference is seen through
    ASSERT_EQ(file.Load(bytes.data(), bytes.size()), pdrOk);
    TPngPtr image = LoadPng(bytes);
    const TBytes actual = ConvertRgba8FromPngImage(image.get());
    const TBytes expected = ExpectedRgba(file, reference);
    ASSERT_EQ(actual.size(), expected.size());
    EXPECT_TRUE(actual == expected) << FirstDifference(actual, expected, file.Header.Width);
}

TEST_P(PngImageSuiteValid, DecodeEncodeDecodeIsLossless) {
    TPngPtr first = LoadPng(ReadFileBytes(PngPath(GetParam())));
    const TBytes pixels = ConvertRgba8FromPngImage(first.get()); // decodes: saving encodes anew
    first->SetFilters({pfNone, pfSub, pfUp, pfAverage, pfPaeth});
    TPngPtr second = LoadPng(SavePng(first.get()));
    EXPECT_TRUE(ConvertRgba8FromPngImage(second.get()) == pixels);
    if (first->ExtraScanline(0)) {
        const std::size_t bytes = std::size_t(first->BytesPerRow()) * first->Height();
        ASSERT_NE(second->ExtraScanline(0), nullptr);
        EXPECT_EQ(std::memcmp(first->ExtraScanline(0), second->ExtraScanline(0), bytes), 0) << "low bytes";
    }
}

TEST_P(PngImageSuiteValid, SavedUntouchedKeepsItsImageData) {
    const TBytes bytes = ReadFileBytes(PngPath(GetParam()));
    TPngPtr image = LoadPng(bytes);
    const TBytes saved = SavePng(image.get());
    // 2-bit images are written with 4-bit samples, so their data is encoded anew.
    if (image->Header()->BitDepth() != 2) {
        EXPECT_EQ(IdatRun(saved), IdatRun(bytes));
    }
    TPngPtr reference = LoadPng(bytes);
    EXPECT_TRUE(ConvertRgba8FromPngImage(LoadPng(saved).get()) == ConvertRgba8FromPngImage(reference.get()));
}

INSTANTIATE_TEST_SUITE_P(PngSuite, PngImageSuiteValid, testing::ValuesIn(SuiteImages(false)),
                         [](const auto& info) { return info.param; });

// The exception a corrupt image raises, or none for a quiet result.
const std::map<std::string, const std::type_info*> CorruptExceptions = {
    {"xc1n0g08", &typeid(EPngInvalidIHDR)},
    {"xc9n2c08", &typeid(EPngInvalidIHDR)},
    {"xcrn0g04", &typeid(EPNGInvalidFileHeader)},
    {"xcsn0g01", nullptr},
    {"xd0n2c08", &typeid(EPngInvalidIHDR)},
    {"xd3n2c08", &typeid(EPngInvalidIHDR)},
    {"xd9n2c08", &typeid(EPngInvalidIHDR)},
    {"xdtn0g01", nullptr},
    {"xhdn0g08", nullptr},
    {"xlfn0g04", &typeid(EPNGInvalidFileHeader)},
    {"xs1n0g01", &typeid(EPNGInvalidFileHeader)},
    {"xs2n0g01", &typeid(EPNGInvalidFileHeader)},
    {"xs4n0g01", &typeid(EPNGInvalidFileHeader)},
    {"xs7n0g01", &typeid(EPNGInvalidFileHeader)},
};

class PngImageSuiteCorrupt : public testing::TestWithParam<std::string> {};

TEST_P(PngImageSuiteCorrupt, RaisesOrStaysQuiet) {
    const auto expected = CorruptExceptions.find(GetParam());
    ASSERT_NE(expected, CorruptExceptions.end()) << "no expectation for this image";
    TPngPtr image = NewPng();
    const std::type_info* raised = nullptr;
    try {
        LoadInto(image.get(), ReadFileBytes(PngPath(GetParam())));
    } catch (const rtl::Exception& e) {
        raised = &typeid(e);
        EXPECT_EQ(e.Message().substr(0, 6), u"2.671 ");
    }
    ASSERT_EQ(raised == nullptr, expected->second == nullptr) << (raised ? raised->name() : "nothing raised");
    if (raised) {
        EXPECT_EQ(*raised, *expected->second);
        return;
    }
    // Quiet: whatever pixels there are, are zero.
    for (int y = 0; y < image->Height(); ++y) {
        const auto* row = static_cast<const std::uint8_t*>(image->Scanline(y));
        if (row) {
            EXPECT_TRUE(std::all_of(row, row + image->BytesPerRow(), [](std::uint8_t b) { return b == 0; }))
                << "row " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PngSuite, PngImageSuiteCorrupt, testing::ValuesIn(SuiteImages(true)),
                         [](const auto& info) { return info.param; });

TEST(PngImageSuiteStrict, DamagedChecksumsRaiseInTheStrictMode) {
    struct Row {
        const char* name;
        bool atLoad; // the damage is found while loading, not while decoding
    };
    const Row rows[] = {{"xhdn0g08", true}, {"xcsn0g01", false}};
    SetPngStrictChecks(true);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TPngPtr image = NewPng();
        const TBytes bytes = ReadFileBytes(PngPath(row.name));
        if (row.atLoad) {
            EXPECT_THROW(LoadInto(image.get(), bytes), EPngInvalidCRC);
        } else {
            LoadInto(image.get(), bytes);
            EXPECT_THROW((void)image->Scanline(0), EPngInvalidCRC);
        }
    }
    SetPngStrictChecks(false);
}

} // namespace
} // namespace skin

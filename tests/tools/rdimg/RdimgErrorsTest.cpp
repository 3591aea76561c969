// rdimg's command line and its failures: help, bad options, missing and
// unwritable files, broken PNG and PAM input — each with its exit code and a
// message naming the file and the problem — and the PAM tuple types and
// RDPNG properties it reads.

#include "RdimgRun.h"
#include "skin/imaging/PngImageRgba.h"
#include "skin/imaging/PngImageTestSupport.h"
#include "skin/imaging/PngTestSupport.h"

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

namespace rdimg_test {
namespace {

using namespace skin::pngtest;

constexpr int ExitUsage = 2;
constexpr int ExitFile = 3;
constexpr int ExitBadInput = 4;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(RdimgCommandLine, HelpDescribesTheCommandsAndExitCodes) {
    struct Row {
        std::vector<std::string> args;
        std::vector<std::string> mentions;
    };
    const Row table[] = {
        {{"--help"},
         {"rdimg info FILE", "rdimg decode FILE OUT.pam", "rdimg encode IN.pam", "rdimg copy", "Exit codes"}},
        {{"encode", "--help"},
         {"--level N", "--filters LIST", "--interlace", "GRAYSCALE_ALPHA", "Exit codes"}},
        {{"info", "-h"}, {"RDPNG", "Exit codes"}},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.args[0] + " " + row.args.back());
        const TRdimgRun run = RunRdimg(row.args);
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_EQ(run.Err, "");
        for (const std::string& mention : row.mentions)
            EXPECT_TRUE(Contains(run.Out, mention)) << mention;
    }
}

TEST(RdimgCommandLine, BadCommandLinesExitWithTheUsageCode) {
    const std::string png = PngPath("basn0g08");
    const std::string out = ScratchPath("unused.png");
    struct Row {
        std::vector<std::string> args;
        std::string message;
    };
    const Row table[] = {
        {{}, "no command given"},
        {{"convert", png, out}, "unknown command 'convert'"},
        {{"copy", png, out, "--bogus"}, "unknown option '--bogus'"},
        {{"encode", png, out, "--level", "10"}, "--level needs a number from 0 to 9, not '10'"},
        {{"encode", png, out, "--level=x"}, "not 'x'"},
        {{"encode", png, out, "--level"}, "option --level needs a value"},
        {{"encode", png, out, "--filters", "sub,median"}, "unknown filter 'median'"},
        {{"encode", png, out, "--filters", "sub,"}, "unknown filter ''"},
        {{"encode", png, out, "--interlace=1"}, "--interlace takes no value"},
        {{"decode", png, out, "--interlace"}, "applies only to 'encode'"},
        {{"decode", png}, "'decode' takes two files"},
        {{"info", png, out}, "'info' takes one file"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.message);
        const TRdimgRun run = RunRdimg(row.args);
        EXPECT_EQ(run.ExitCode, ExitUsage);
        EXPECT_EQ(run.Out, "");
        EXPECT_TRUE(run.Err.starts_with("rdimg: ")) << run.Err;
        EXPECT_TRUE(Contains(run.Err, row.message)) << run.Err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(RdimgFiles, UnreadableAndUnwritableFilesExitWithTheFileCode) {
    const std::string missing = ScratchPath("missing.png");
    const std::string png = PngPath("basn0g08");
    const std::string noFolder = ScratchPath("no-such-folder/out.png");
    struct Row {
        std::vector<std::string> args;
        std::string message;
    };
    const Row table[] = {
        {{"info", missing}, "cannot open '" + missing + "': No such file or directory"},
        {{"decode", missing, ScratchPath("out.pam")}, "cannot open '" + missing + "'"},
        {{"encode", missing, ScratchPath("out.png")}, "cannot open '" + missing + "'"},
        {{"copy", missing, ScratchPath("out.png")}, "cannot open '" + missing + "'"},
        {{"info", ScratchDir()}, "cannot read '" + ScratchDir() + "': not a regular file"},
        {{"copy", png, noFolder}, "cannot create '" + noFolder + "': No such file or directory"},
        {{"decode", png, noFolder}, "cannot create '" + noFolder + "'"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.message);
        const TRdimgRun run = RunRdimg(row.args);
        EXPECT_EQ(run.ExitCode, ExitFile);
        EXPECT_TRUE(Contains(run.Err, "rdimg: " + row.message)) << run.Err;
    }
}

TEST(RdimgFiles, BrokenPngImagesAreRefusedWithTheirReason) {
    // What each broken PngSuite image is refused for; the codec's messages
    // are those of the image class, the last one is rdimg's own.
    const std::map<std::string, std::string> reasons = {
        {"xc1n0g08", "(ihdr) might be corrupted"},
        {"xc9n2c08", "(ihdr) might be corrupted"},
        {"xcrn0g04", "invalid header"},
        {"xcsn0g01", "(crc error)"},
        {"xd0n2c08", "(ihdr) might be corrupted"},
        {"xd3n2c08", "(ihdr) might be corrupted"},
        {"xd9n2c08", "(ihdr) might be corrupted"},
        {"xdtn0g01", "it has no image data (IDAT chunk)"},
        {"xhdn0g08", "(crc error)"},
        {"xlfn0g04", "invalid header"},
        {"xs1n0g01", "invalid header"},
        {"xs2n0g01", "invalid header"},
        {"xs4n0g01", "invalid header"},
        {"xs7n0g01", "invalid header"},
    };
    const std::string out = ScratchPath("broken.pam");
    for (const std::string& name : SuiteImages(true)) {
        SCOPED_TRACE(name);
        const auto reason = reasons.find(name);
        ASSERT_NE(reason, reasons.end()) << "no expectation for this image";
        const TRdimgRun run = RunRdimg({"decode", PngPath(name), out});
        EXPECT_EQ(run.ExitCode, ExitBadInput);
        EXPECT_TRUE(Contains(run.Err, "rdimg: '" + PngPath(name) + "' is not a valid PNG image: "))
            << run.Err;
        EXPECT_TRUE(Contains(run.Err, reason->second)) << run.Err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(RdimgFiles, HandMadePngStreamsFailCleanly) {
    struct Row {
        const char* name;
        TBytes bytes;
        int exitCode;
        std::string message;
    };
    const Row table[] = {
        {"empty file",
         {},
         ExitBadInput,
         "is not a valid PNG image: 2.671 The file being read is not a valid"},
        {"signature only", TPngBuilder().Bytes(), ExitBadInput, "it has no header (IHDR chunk)"},
        // The pixel store is refused before anything is allocated for it.
        {"huge header", TPngBuilder().Ihdr(65535, 65535, 8, 6).Idat({0}).Iend().Bytes(), 1,
         "the image is too large to hold in memory"},
    };
    const std::string png = ScratchPath("hand-made.png");
    for (const Row& row : table) {
        SCOPED_TRACE(row.name);
        WriteBytes(png, row.bytes);
        const TRdimgRun run = RunRdimg({"decode", png, ScratchPath("hand-made.pam")});
        EXPECT_EQ(run.ExitCode, row.exitCode);
        EXPECT_TRUE(Contains(run.Err, "rdimg: '" + png + "'")) << run.Err;
        EXPECT_TRUE(Contains(run.Err, row.message)) << run.Err;
    }
}

TEST(RdimgPam, BrokenPamInputIsRefusedWithItsReason) {
    const std::string head = "P7\nWIDTH 2\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n";
    struct Row {
        std::string text;
        std::string message;
    };
    const Row table[] = {
        {"P6\n2 1\n255\n", "it does not start with P7"},
        {"P7\nWIDTH 2\nHEIGHT 1\n", "the header has no ENDHDR line"},
        {"P7\nWIDTH 2\nDEPTH 3\nMAXVAL 255\nENDHDR\n", "lacks WIDTH, HEIGHT, DEPTH or MAXVAL"},
        {"P7\nWIDTH 0\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nENDHDR\n",
         "WIDTH must be a number from 1 to 65535, not '0'"},
        {"P7\nWIDTH 70000\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nENDHDR\n", "not '70000'"},
        {"P7\nWIDTH -2\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nENDHDR\n", "not '-2'"},
        {"P7\nWIDTH 2\nHEIGHT 1\nDEPTH 3\nMAXVAL 65535\nTUPLTYPE RGB\nENDHDR\n", "only 8-bit samples"},
        {"P7\nWIDTH 2\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n",
         "DEPTH 4 does not fit TUPLTYPE RGB"},
        {"P7\nWIDTH 2\nHEIGHT 1\nDEPTH 1\nMAXVAL 255\nTUPLTYPE BLACKANDWHITE\nENDHDR\n",
         "TUPLTYPE 'BLACKANDWHITE'"},
        {"P7\nWIDTH 2\nHEIGHT 1\nCOLOURS 3\nENDHDR\n", "unknown header line 'COLOURS 3'"},
        {head + "12345", "cut short (6 bytes expected, 5 present)"},
        // The header's size is believed only as far as the file backs it.
        {"P7\nWIDTH 65535\nHEIGHT 65535\nDEPTH 4\nMAXVAL 255\nENDHDR\n",
         "cut short (17179344900 bytes expected"},
    };
    const std::string pam = ScratchPath("broken.pam");
    const std::string out = ScratchPath("from-broken.png");
    for (const Row& row : table) {
        SCOPED_TRACE(row.message);
        WriteText(pam, row.text);
        const TRdimgRun run = RunRdimg({"encode", pam, out});
        EXPECT_EQ(run.ExitCode, ExitBadInput);
        EXPECT_TRUE(run.Err.starts_with("rdimg: '" + pam + "' is not a valid PAM image: ")) << run.Err;
        EXPECT_TRUE(Contains(run.Err, row.message)) << run.Err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(RdimgPam, EachTupleTypeKeepsItsColourTypeAndDecodesToRgba) {
    struct Row {
        std::string header;
        std::string samples;
        std::uint8_t colorType;
        std::string rgba; // of the two pixels, decoded
    };
    const Row table[] = {
        {"DEPTH 1\nMAXVAL 255\nTUPLTYPE GRAYSCALE", "\x0A\xC8", 0, "\x0A\x0A\x0A\xFF\xC8\xC8\xC8\xFF"},
        {"DEPTH 2\nMAXVAL 255\nTUPLTYPE GRAYSCALE_ALPHA", std::string("\x0A\x14\xC8\x00", 4), 4,
         std::string("\x0A\x0A\x0A\x14\xC8\xC8\xC8\x00", 8)},
        {"DEPTH 3\nMAXVAL 255\nTUPLTYPE RGB", "\x01\x02\x03\x04\x05\x06", 2,
         "\x01\x02\x03\xFF\x04\x05\x06\xFF"},
        {"DEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA", "\x01\x02\x03\x80\x04\x05\x06\x07", 6,
         "\x01\x02\x03\x80\x04\x05\x06\x07"},
        // Comments, blank lines and no TUPLTYPE: the depth says which it is.
        {"# made by hand\n\nDEPTH 3\nMAXVAL 255", "\x01\x02\x03\x04\x05\x06", 2,
         "\x01\x02\x03\xFF\x04\x05\x06\xFF"},
    };
    const std::string pam = ScratchPath("tuple.pam");
    const std::string png = ScratchPath("tuple.png");
    const std::string decoded = ScratchPath("tuple-decoded.pam");
    for (const Row& row : table) {
        SCOPED_TRACE(row.header);
        WriteText(pam, "P7\nWIDTH 2\nHEIGHT 1\n" + row.header + "\nENDHDR\n" + row.samples);
        const TRdimgRun encode = RunRdimg({"encode", pam, png});
        ASSERT_EQ(encode.ExitCode, 0) << encode.Err;
        const TBytes ihdr = IhdrOf(ReadBytes(png));
        ASSERT_EQ(ihdr.size(), 13u);
        EXPECT_EQ(ihdr[8], 8) << "bit depth";
        EXPECT_EQ(ihdr[9], row.colorType);
        ASSERT_EQ(RunRdimg({"decode", png, decoded}).ExitCode, 0);
        const TBytes bytes = ReadBytes(decoded);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), RgbaPamHeader(2, 1) + row.rgba);
    }
}

TEST(RdimgInfo, ShowsTheRdPngPropertiesWhichCopyKeeps) {
    const std::uint8_t rgba[4] = {1, 2, 3, 4};
    TPngPtr image = NewPng();
    skin::ConvertPngImageFromRgba8(image.get(), 1, 1, rgba);
    WriteBytes(ScratchPath("plain.png"), SavePng(image.get()));
    image->SetAlphaBlendValue(128);
    image->SetGrayMode(true);
    image->SetSmoothFilter(skin::psfSmooth);
    WriteBytes(ScratchPath("rdpng.png"), SavePng(image.get()));
    const std::string properties = "RDPNG: AlphaBlendValue=128 GrayMode=1 SmoothFilter=2\n";
    EXPECT_TRUE(Contains(RunRdimg({"info", ScratchPath("plain.png")}).Out, "RDPNG: none\n"));
    EXPECT_TRUE(Contains(RunRdimg({"info", ScratchPath("rdpng.png")}).Out, properties));
    ASSERT_EQ(RunRdimg({"copy", ScratchPath("rdpng.png"), ScratchPath("rdpng-copy.png")}).ExitCode, 0);
    const TRdimgRun copied = RunRdimg({"info", ScratchPath("rdpng-copy.png")});
    EXPECT_TRUE(Contains(copied.Out, properties)) << copied.Out;
    EXPECT_TRUE(Contains(copied.Out, "  tEXt ")) << copied.Out;
}

} // namespace
} // namespace rdimg_test

// Golden pictures of text as the program's labels draw it, compared with
// committed references under golden/ with a small tolerance (glyph edges may
// shift by a shade between FreeType builds). On a mismatch the actual
// picture, the reference and a difference image are written to the build
// folder. LUMORA_UPDATE_GOLDEN=1 writes the references instead.

#include "TextTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace gdi_test;

namespace {

// Per-channel difference a pixel may show, and how many pixels may exceed it.
constexpr int CHANNEL_TOLERANCE = 12;
constexpr int PIXELS_BEYOND_TOLERANCE = 8;

std::string GoldenPath(const std::string& name) {
    return std::string(LUMORA_SOURCE_DIR) + "/tests/platform/win/gdi/golden/" + name + ".pam";
}

// Reads a 32-bit PAM (RGB_ALPHA) into 0xAARRGGBB values; empty on failure.
std::vector<std::uint32_t> ReadPam(const std::string& path, int& width, int& height) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    int depth = 0;
    width = height = 0;
    while (std::getline(in, line) && line != "ENDHDR") {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "WIDTH") {
            fields >> width;
        } else if (key == "HEIGHT") {
            fields >> height;
        } else if (key == "DEPTH") {
            fields >> depth;
        }
    }
    if (depth != 4 || width <= 0 || height <= 0 || width > 4096 || height > 4096) {
        return {};
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(width) * height * 4);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        return {};
    }
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const unsigned char* p = &bytes[i * 4];
        pixels[i] =
            (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
    }
    return pixels;
}

void ExpectMatchesGolden(Canvas& canvas, const std::string& name) {
    const std::string path = GoldenPath(name);
    if (const char* update = std::getenv("LUMORA_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        ASSERT_TRUE(SaveBitmapAsPam(canvas.bitmap, path));
        return;
    }
    int width = 0;
    int height = 0;
    const auto expected = ReadPam(path, width, height);
    ASSERT_FALSE(expected.empty()) << "missing or unreadable reference " << path;
    ASSERT_EQ(width, canvas.width);
    ASSERT_EQ(height, canvas.height);
    int beyond = 0;
    int worst = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t a = canvas.At(x, y);
            const std::uint32_t e = expected[static_cast<size_t>(y) * width + x];
            int difference = 0;
            for (int shift : {0, 8, 16, 24}) {
                difference =
                    std::max(difference, std::abs(int((a >> shift) & 0xFF) - int((e >> shift) & 0xFF)));
            }
            worst = std::max(worst, difference);
            beyond += difference > CHANNEL_TOLERANCE ? 1 : 0;
        }
    }
    if (beyond > PIXELS_BEYOND_TOLERANCE) {
        // Writes <name>.actual.pam, .expected.pam and .diff.pam.
        Canvas reference(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                reference.At(x, y) = expected[static_cast<size_t>(y) * width + x];
            }
        }
        std::filesystem::create_directories(OutputDir());
        CompareBitmapsAndReport(canvas.bitmap, reference.bitmap, OutputDir(), name);
        ADD_FAILURE() << name << ": " << beyond << " pixels differ by more than " << CHANNEL_TOLERANCE
                      << " (worst " << worst << "); see " << OutputDir() << "/" << name << ".*.pam";
    }
}

} // namespace

TEST(TextGolden, ErrorLabelWrapsWithEndEllipsisCentred) {
    PinnedFonts pinned;
    Canvas canvas(600, 41);
    canvas.Fill(0xFFFFFFFFu);
    SelectedFont font(canvas.dc, FontRequest{-16, u"Segoe UI", ANTIALIASED_QUALITY});
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, RGB(0, 0, 0));
    RECT rect{0, 0, 600, 41};
    const std::u16string caption =
        u"Cannot connect to server. Please check your internet connection and try again.";
    ASSERT_GT(DrawTextW(canvas.dc, caption.c_str(), -1, &rect, DT_WORDBREAK | DT_END_ELLIPSIS | DT_CENTER),
              0);
    ExpectMatchesGolden(canvas, "ErrorLabel");
}

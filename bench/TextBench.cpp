// Measuring and drawing a 40-character caption, 10,000 times, through the
// GDI text functions (shaping, glyph cache, blending into a 32-bit DIB),
// against FreeType's own rendering of the same string in the same run: each
// glyph loaded, rendered and blended, as a program without a glyph cache
// would do it. Both use the same font file and pixel size.

#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/text/FontLibrary.h"

#include <cstring>
#include <ft2build.h>
#include <vector>

#include <benchmark/benchmark.h>
#include FT_FREETYPE_H

namespace {

constexpr const char* FONT_FILE = "/usr/share/fonts/truetype/lato/Lato-Regular.ttf";
constexpr char16_t CAPTION[] = u"Cannot connect to server. Please retry.."; // 40 units
constexpr int CAPTION_LENGTH = 40;
constexpr int WIDTH = 400;
constexpr int HEIGHT = 32;
constexpr int ITERATIONS = 10000;

static_assert(sizeof(CAPTION) / sizeof(CAPTION[0]) == CAPTION_LENGTH + 1);

void BM_GdiMeasureAndDraw(benchmark::State& state) {
    using namespace win;
    text::FontLibrary::Instance().Pin({FONT_FILE, ""});
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = WIDTH;
    info.bmiHeader.biHeight = -HEIGHT;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    LOGFONTW lf{};
    lf.lfHeight = -16;
    lf.lfWeight = FW_NORMAL;
    lf.lfQuality = ANTIALIASED_QUALITY;
    std::memcpy(lf.lfFaceName, u"Segoe UI", sizeof(u"Segoe UI"));
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    std::memset(bits, 0xFF, static_cast<size_t>(WIDTH) * HEIGHT * 4);
    for (auto _ : state) {
        SIZE size{};
        GetTextExtentPoint32W(dc, CAPTION, CAPTION_LENGTH, &size);
        TextOutW(dc, (WIDTH - size.cx) / 2, 4, CAPTION, CAPTION_LENGTH);
        benchmark::DoNotOptimize(bits);
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteDC(dc);
    DeleteObject(bitmap);
    text::FontLibrary::Instance().Pin({});
}
BENCHMARK(BM_GdiMeasureAndDraw)->Iterations(ITERATIONS)->Unit(benchmark::kMicrosecond);

void BM_FreeTypeRender(benchmark::State& state) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, FONT_FILE, 0, &face) != 0) {
        state.SkipWithError("cannot open the font");
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, 16);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(WIDTH) * HEIGHT, 0xFFFFFFFFu);
    for (auto _ : state) {
        // Measure, then render and blend each glyph.
        long width = 0;
        for (int i = 0; i < CAPTION_LENGTH; ++i) {
            FT_Load_Char(face, CAPTION[i], FT_LOAD_TARGET_LIGHT);
            width += face->glyph->advance.x;
        }
        long pen = ((WIDTH << 6) - width) / 2;
        const int baseline = 20;
        for (int i = 0; i < CAPTION_LENGTH; ++i) {
            FT_Load_Char(face, CAPTION[i], FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT);
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& b = slot->bitmap;
            const int left = static_cast<int>(pen >> 6) + slot->bitmap_left;
            const int top = baseline - slot->bitmap_top;
            for (unsigned int y = 0; y < b.rows; ++y) {
                const int py = top + static_cast<int>(y);
                if (py < 0 || py >= HEIGHT) {
                    continue;
                }
                for (unsigned int x = 0; x < b.width; ++x) {
                    const int px = left + static_cast<int>(x);
                    const unsigned c = b.buffer[y * b.pitch + x];
                    if (c != 0 && px >= 0 && px < WIDTH) {
                        std::uint32_t& d = pixels[static_cast<size_t>(py) * WIDTH + px];
                        const std::uint32_t g = ((d & 0xFF) * (255 - c) + 127) / 255;
                        d = (g << 16) | (g << 8) | g;
                    }
                }
            }
            pen += slot->advance.x;
        }
        benchmark::DoNotOptimize(pixels.data());
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
BENCHMARK(BM_FreeTypeRender)->Iterations(ITERATIONS)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

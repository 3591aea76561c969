// The GDI raster engine on 1440 x 960 32-bit DIB sections against pixman's
// equivalent operation on the same pixels, measured in the same run:
//   BitBlt SRCCOPY          - pixman SRC composite
//   FillRect (solid brush)  - pixman_fill
//   AlphaBlend (per pixel)  - pixman OVER composite (premultiplied a8r8g8b8)
//   StretchBlt HALFTONE     - pixman SRC composite scaled with the GOOD filter
//                             (1440 x 960 shrunk to 960 x 640)
//   BitBlt 5-6-5 -> 32 bits - pixman SRC composite from r5g6b5
// The ratio of each pair is what counts.

#include "platform/win/gdi/Gdi.h"

#include <cstdint>
#include <pixman.h>

#include <benchmark/benchmark.h>

namespace {

using namespace win;

constexpr int W = 1440;
constexpr int H = 960;

struct Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    std::uint32_t* bits = nullptr;
    pixman_image_t* image = nullptr;

    Surface() {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = W;
        info.bmiHeader.biHeight = -H;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* raw = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
        bits = static_cast<std::uint32_t*>(raw);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
        image = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, bits, W * 4);
    }
    ~Surface() {
        pixman_image_unref(image);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    // Premultiplied pixels with varied alpha (about a third opaque, some clear).
    void FillPremultiplied(std::uint32_t seed) {
        for (int i = 0; i < W * H; ++i) {
            seed = seed * 1664525u + 1013904223u;
            std::uint32_t a = (seed >> 24) % 3 == 0 ? 255 : (seed >> 16) & 0xFF;
            auto c = [&](int shift) { return (((seed >> shift) & 0xFF) * a / 255) << shift; };
            bits[i] = (a << 24) | c(16) | c(8) | c(0);
        }
    }
};

struct Fixture {
    Surface src;
    Surface dst;
    Fixture() {
        src.FillPremultiplied(1);
        dst.FillPremultiplied(2);
    }
};

// A 16-bit 5-6-5 DIB section of the same size, every value present.
struct Surface565 {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    pixman_image_t* image = nullptr;

    Surface565() {
        struct {
            BITMAPINFOHEADER header;
            DWORD masks[3];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = W;
        info.header.biHeight = -H;
        info.header.biPlanes = 1;
        info.header.biBitCount = 16;
        info.header.biCompression = BI_BITFIELDS;
        info.masks[0] = 0xF800;
        info.masks[1] = 0x07E0;
        info.masks[2] = 0x001F;
        void* raw = nullptr;
        bitmap =
            CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &raw, nullptr, 0);
        auto* bits = static_cast<std::uint16_t*>(raw);
        for (int i = 0; i < W * H; ++i) {
            bits[i] = static_cast<std::uint16_t>(i * 40503u);
        }
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
        image = pixman_image_create_bits(PIXMAN_r5g6b5, W, H, static_cast<std::uint32_t*>(raw), W * 2);
    }
    ~Surface565() {
        pixman_image_unref(image);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

Fixture& Shared() {
    static Fixture* fixture = new Fixture();
    return *fixture;
}

void SetPixels(benchmark::State& state, int pixels) {
    state.SetItemsProcessed(state.iterations() * pixels);
    state.SetBytesProcessed(state.iterations() * pixels * 4);
}

void Gdi_BitBlt_SrcCopy(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        BitBlt(f.dst.dc, 0, 0, W, H, f.src.dc, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    SetPixels(state, W * H);
}

void Pixman_Composite_Src(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, f.src.image, nullptr, f.dst.image, 0, 0, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    SetPixels(state, W * H);
}

void Gdi_FillRect_Solid(benchmark::State& state) {
    Fixture& f = Shared();
    HBRUSH brush = CreateSolidBrush(RGB(0x20, 0x40, 0x80));
    const RECT r{0, 0, W, H};
    for (auto _ : state) {
        FillRect(f.dst.dc, &r, brush);
        benchmark::ClobberMemory();
    }
    DeleteObject(brush);
    SetPixels(state, W * H);
}

void Pixman_Fill(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        pixman_fill(f.dst.bits, W, 32, 0, 0, W, H, 0x00804020);
        benchmark::ClobberMemory();
    }
    SetPixels(state, W * H);
}

void Gdi_AlphaBlend_PerPixel(benchmark::State& state) {
    Fixture& f = Shared();
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    for (auto _ : state) {
        AlphaBlend(f.dst.dc, 0, 0, W, H, f.src.dc, 0, 0, W, H, blend);
        benchmark::ClobberMemory();
    }
    SetPixels(state, W * H);
}

void Pixman_Composite_Over(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, f.src.image, nullptr, f.dst.image, 0, 0, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    SetPixels(state, W * H);
}

constexpr int SW = 960;
constexpr int SH = 640;

void Gdi_StretchBlt_Halftone(benchmark::State& state) {
    Fixture& f = Shared();
    SetStretchBltMode(f.dst.dc, HALFTONE);
    for (auto _ : state) {
        StretchBlt(f.dst.dc, 0, 0, SW, SH, f.src.dc, 0, 0, W, H, SRCCOPY);
        benchmark::ClobberMemory();
    }
    SetPixels(state, SW * SH);
}

void Pixman_Composite_ScaledGood(benchmark::State& state) {
    Fixture& f = Shared();
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(double(W) / SW),
                                pixman_double_to_fixed(double(H) / SH));
    pixman_image_set_transform(f.src.image, &scale);
    pixman_image_set_filter(f.src.image, PIXMAN_FILTER_GOOD, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, f.src.image, nullptr, f.dst.image, 0, 0, 0, 0, 0, 0, SW, SH);
        benchmark::ClobberMemory();
    }
    pixman_image_set_transform(f.src.image, nullptr);
    pixman_image_set_filter(f.src.image, PIXMAN_FILTER_NEAREST, nullptr, 0);
    SetPixels(state, SW * SH);
}

Surface565& Shared565() {
    static Surface565* surface = new Surface565();
    return *surface;
}

void Gdi_BitBlt_Rgb565ToArgb(benchmark::State& state) {
    Fixture& f = Shared();
    Surface565& s = Shared565();
    for (auto _ : state) {
        BitBlt(f.dst.dc, 0, 0, W, H, s.dc, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    SetPixels(state, W * H);
}

void Pixman_Composite_Src_Rgb565(benchmark::State& state) {
    Fixture& f = Shared();
    Surface565& s = Shared565();
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, s.image, nullptr, f.dst.image, 0, 0, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    SetPixels(state, W * H);
}

} // namespace

BENCHMARK(Gdi_BitBlt_SrcCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(Pixman_Composite_Src)->Unit(benchmark::kMicrosecond);
BENCHMARK(Gdi_FillRect_Solid)->Unit(benchmark::kMicrosecond);
BENCHMARK(Pixman_Fill)->Unit(benchmark::kMicrosecond);
BENCHMARK(Gdi_AlphaBlend_PerPixel)->Unit(benchmark::kMicrosecond);
BENCHMARK(Pixman_Composite_Over)->Unit(benchmark::kMicrosecond);
BENCHMARK(Gdi_StretchBlt_Halftone)->Unit(benchmark::kMicrosecond);
BENCHMARK(Pixman_Composite_ScaledGood)->Unit(benchmark::kMicrosecond);
BENCHMARK(Gdi_BitBlt_Rgb565ToArgb)->Unit(benchmark::kMicrosecond);
BENCHMARK(Pixman_Composite_Src_Rgb565)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

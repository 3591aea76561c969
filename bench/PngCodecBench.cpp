// The PNG pixel codec against libpng, spng and stb_image: decoding a photo-
// like RGBA image, a screenshot-like RGB image and a palette image (each made
// here and encoded once by libpng with its default settings), and encoding at
// the codec's default settings (level 1, Sub filter) against libpng at the same.
// The codec's time includes the walk over the chunks, the store's allocation
// and its conversion to BGR; the others decode to their native layout.

#include "skin/imaging/PngCrc.h"
#include "skin/imaging/PngEncoder.h"
#include "skin/imaging/PngQuickFile.h"

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <png.h>
#include <spng.h>
#include <stb/stb_image.h>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct TRawImage {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    int Channels = 0; // 1 (palette index), 3 or 4
    Bytes Pixels;
    Bytes Palette; // RGB triples for palette images
};

std::uint32_t NextRandom(std::uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 16;
}

// Smooth colour fields with sensor-like noise and a soft alpha vignette.
TRawImage MakePhoto(std::uint32_t size) {
    TRawImage image{size, size, 4, Bytes(std::size_t{size} * size * 4), {}};
    std::vector<double> waveX(size), waveY(size);
    for (std::uint32_t i = 0; i < size; ++i) {
        waveX[i] = std::sin(i * 0.0031) + 0.4 * std::sin(i * 0.017);
        waveY[i] = std::cos(i * 0.0023) + 0.3 * std::sin(i * 0.029);
    }
    std::uint32_t seed = 12345;
    std::uint8_t* p = image.Pixels.data();
    const double centre = size / 2.0;
    for (std::uint32_t y = 0; y < size; ++y) {
        for (std::uint32_t x = 0; x < size; ++x, p += 4) {
            const int noise = static_cast<int>(NextRandom(seed) % 9) - 4;
            const double base = waveX[x] * 50 + waveY[y] * 40;
            p[0] = static_cast<std::uint8_t>(std::clamp(128 + static_cast<int>(base) + noise, 0, 255));
            p[1] = static_cast<std::uint8_t>(
                std::clamp(110 + static_cast<int>(base * 0.8 + waveY[x] * 20) + noise, 0, 255));
            p[2] = static_cast<std::uint8_t>(
                std::clamp(90 + static_cast<int>(waveX[y] * 60) + noise / 2, 0, 255));
            const double d = std::hypot(x - centre, y - centre) / centre;
            p[3] = static_cast<std::uint8_t>(d < 0.8 ? 255
                                                     : std::clamp(static_cast<int>((1.2 - d) * 637), 0, 255));
        }
    }
    return image;
}

// Flat backgrounds, window frames, bars, glyph-like text runs and a picture.
TRawImage MakeScreenshot() {
    const std::uint32_t w = 1440, h = 960;
    TRawImage image{w, h, 3, Bytes(std::size_t{w} * h * 3), {}};
    auto fill = [&](std::uint32_t x0, std::uint32_t y0, std::uint32_t x1, std::uint32_t y1,
                    std::uint32_t rgb) {
        for (std::uint32_t y = y0; y < y1 && y < h; ++y)
            for (std::uint32_t x = x0; x < x1 && x < w; ++x) {
                std::uint8_t* p = &image.Pixels[(std::size_t{y} * w + x) * 3];
                p[0] = static_cast<std::uint8_t>(rgb >> 16);
                p[1] = static_cast<std::uint8_t>(rgb >> 8);
                p[2] = static_cast<std::uint8_t>(rgb);
            }
    };
    fill(0, 0, w, h, 0x2B5797);
    fill(0, h - 40, w, h, 0x1F1F1F);
    std::uint32_t seed = 777;
    const std::uint32_t windows[][4] = {{60, 50, 900, 700}, {500, 200, 1380, 900}, {120, 600, 700, 930}};
    for (const auto& win : windows) {
        fill(win[0], win[1], win[2], win[3], 0xFFFFFF);
        fill(win[0], win[1], win[2], win[1] + 30, 0xE8E8E8);
        fill(win[0], win[1] + 30, win[2], win[1] + 31, 0xC0C0C0);
        for (std::uint32_t line = win[1] + 45; line + 12 < win[3]; line += 18) {
            std::uint32_t x = win[0] + 16;
            const std::uint32_t end = win[2] - 16 - NextRandom(seed) % 200;
            while (x + 8 < end) {
                const std::uint32_t glyph = NextRandom(seed);
                for (std::uint32_t gy = 0; gy < 11; ++gy)
                    for (std::uint32_t gx = 0; gx < 6; ++gx)
                        if ((glyph >> ((gx + gy * 3) % 16)) & 1)
                            fill(x + gx, line + gy, x + gx + 1, line + gy + 1, 0x202020);
                x += (glyph % 9 == 0) ? 12 : 7;
            }
        }
    }
    for (std::uint32_t y = 260; y < 560; ++y) // a photo inside the page
        for (std::uint32_t x = 560; x < 1000; ++x)
            fill(x, y, x + 1, y + 1,
                 ((x * 3 + NextRandom(seed) % 7) & 0xFF) << 16 | ((y * 2) & 0xFF) << 8 | ((x + y) & 0xFF));
    return image;
}

// An 8-bit palette picture: bands of colour with ordered dithering between them.
TRawImage MakePaletteImage() {
    const std::uint32_t w = 1024, h = 768;
    TRawImage image{w, h, 1, Bytes(std::size_t{w} * h), Bytes(256 * 3)};
    for (int i = 0; i < 256; ++i) {
        image.Palette[3 * i] = static_cast<std::uint8_t>(i);
        image.Palette[3 * i + 1] = static_cast<std::uint8_t>((i * 7) & 0xFF);
        image.Palette[3 * i + 2] = static_cast<std::uint8_t>(255 - i);
    }
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const int band = static_cast<int>((x + y / 3) / 16) % 64;
            const int level = static_cast<int>(x % 16) > bayer[y % 4][x % 4] ? 1 : 0;
            image.Pixels[std::size_t{y} * w + x] =
                static_cast<std::uint8_t>(band * 4 + level + ((y / 64) % 2) * 2);
        }
    return image;
}

// --- libpng through memory

struct TMemoryReader {
    const Bytes* Data;
    std::size_t Pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t size) {
    auto* r = static_cast<TMemoryReader*>(png_get_io_ptr(png));
    if (r->Pos + size > r->Data->size())
        png_error(png, "read past end");
    std::memcpy(out, r->Data->data() + r->Pos, size);
    r->Pos += size;
}

void WriteToMemory(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void FlushMemory(png_structp) {}

// level < 0 and filters 0 keep libpng's defaults.
Bytes EncodeWithLibpng(const TRawImage& image, int level, int filters) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, WriteToMemory, FlushMemory);
    const int colorType = image.Channels == 4   ? PNG_COLOR_TYPE_RGB_ALPHA
                          : image.Channels == 3 ? PNG_COLOR_TYPE_RGB
                                                : PNG_COLOR_TYPE_PALETTE;
    png_set_IHDR(png, info, image.Width, image.Height, 8, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, reinterpret_cast<const png_color*>(image.Palette.data()),
                     static_cast<int>(image.Palette.size() / 3));
    if (level >= 0)
        png_set_compression_level(png, level);
    if (filters != 0)
        png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
    png_write_info(png, info);
    const std::size_t stride = std::size_t{image.Width} * image.Channels;
    for (std::uint32_t y = 0; y < image.Height; ++y)
        png_write_row(png, image.Pixels.data() + y * stride);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool DecodeWithLibpng(const Bytes& file, std::unique_ptr<std::uint8_t[]>& pixels) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    TMemoryReader reader{&file, 0};
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    const std::size_t stride = png_get_rowbytes(png, info);
    const std::uint32_t height = png_get_image_height(png, info);
    pixels.reset(new std::uint8_t[stride * height]);
    rows.resize(height);
    for (std::uint32_t y = 0; y < height; ++y)
        rows[y] = pixels.get() + y * stride;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// --- the images, made and encoded once

struct TFixture {
    TRawImage Raw; // empty for a variant of another fixture's file
    Bytes File;
    std::size_t RawBytes = 0;
};

TFixture MakeFixture(TRawImage raw) {
    TFixture f{std::move(raw), {}, 0};
    f.File = EncodeWithLibpng(f.Raw, -1, 0);
    f.RawBytes = f.Raw.Pixels.size();
    return f;
}

// The same file with a gAMA chunk of gamma 1.0 after IHDR: the codec then
// maps every colour sample through its gamma table.
TFixture WithGamma(const TFixture& source) {
    TFixture f{{}, source.File, source.RawBytes};
    std::uint8_t chunk[16] = {0, 0, 0, 4, 'g', 'A', 'M', 'A', 0, 0x01, 0x86, 0xA0};
    const std::uint32_t crc = skin::PngCrc32(0, chunk + 4, 8);
    for (int i = 0; i < 4; ++i)
        chunk[12 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    f.File.insert(f.File.begin() + 33, chunk, chunk + 16); // signature and IHDR take 33 bytes
    return f;
}

// Each image is made on first use, so that a filtered run makes only its own.
const TFixture& Fixture(int which) {
    switch (which) {
    case 0: {
        static const TFixture photo = MakeFixture(MakePhoto(4096));
        return photo;
    }
    case 1: {
        static const TFixture screenshot = MakeFixture(MakeScreenshot());
        return screenshot;
    }
    case 2: {
        static const TFixture palette = MakeFixture(MakePaletteImage());
        return palette;
    }
    default: {
        static const TFixture gamma = WithGamma(Fixture(0));
        return gamma;
    }
    }
}

const char* const FixtureNames[] = {"photo_rgba_4096", "screenshot_rgb_1440x960", "palette_1024x768",
                                    "photo_rgba_4096_gamma"};

void SetProcessed(benchmark::State& state, const TFixture& f) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(f.RawBytes));
    state.counters["file_kB"] = static_cast<double>(f.File.size()) / 1024.0;
}

void DecodeLumora(benchmark::State& state, int which, skin::TPngStoreDepth depth) {
    const TFixture& f = Fixture(which);
    for (auto _ : state) {
        skin::TPngQuickFile file;
        if (file.Load(f.File.data(), f.File.size(), depth) != skin::pdrOk)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(file.Buffers.Store().ImageData);
    }
    SetProcessed(state, f);
}

void DecodeLibpng(benchmark::State& state, int which) {
    const TFixture& f = Fixture(which);
    for (auto _ : state) {
        std::unique_ptr<std::uint8_t[]> pixels;
        if (!DecodeWithLibpng(f.File, pixels))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pixels.get());
    }
    SetProcessed(state, f);
}

void DecodeSpng(benchmark::State& state, int which) {
    const TFixture& f = Fixture(which);
    for (auto _ : state) {
        spng_ctx* ctx = spng_ctx_new(0);
        spng_set_png_buffer(ctx, f.File.data(), f.File.size());
        std::size_t size = 0;
        spng_decoded_image_size(ctx, SPNG_FMT_PNG, &size);
        std::unique_ptr<std::uint8_t[]> pixels(new std::uint8_t[size]);
        if (spng_decode_image(ctx, pixels.get(), size, SPNG_FMT_PNG, 0) != 0)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pixels.get());
        spng_ctx_free(ctx);
    }
    SetProcessed(state, f);
}

void DecodeStb(benchmark::State& state, int which) {
    const TFixture& f = Fixture(which);
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        stbi_uc* pixels =
            stbi_load_from_memory(f.File.data(), static_cast<int>(f.File.size()), &w, &h, &n, 0);
        if (!pixels)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    SetProcessed(state, f);
}

void EncodeLumora(benchmark::State& state, int which) {
    const TFixture& f = Fixture(which);
    skin::TPngQuickFile file;
    if (file.Load(f.File.data(), f.File.size()) != skin::pdrOk) {
        state.SkipWithError("decode failed");
        return;
    }
    std::size_t size = 0;
    for (auto _ : state) {
        Bytes out;
        skin::TPngVectorSink sink(out);
        if (skin::PngEncodeImageData(file.Buffers.Store(), file.Header, {skin::pfSub}, 1, 65535, sink) !=
            skin::perOk)
            state.SkipWithError("encode failed");
        size = out.size();
    }
    SetProcessed(state, f);
    state.counters["out_kB"] = static_cast<double>(size) / 1024.0;
}

void EncodeLibpng(benchmark::State& state, int which) {
    const TFixture& f = Fixture(which);
    std::size_t size = 0;
    for (auto _ : state)
        size = EncodeWithLibpng(f.Raw, 1, PNG_FILTER_SUB).size();
    SetProcessed(state, f);
    state.counters["out_kB"] = static_cast<double>(size) / 1024.0;
}

void RegisterAll() {
    for (int i = 0; i < 3; ++i) {
        const std::string name = FixtureNames[i];
        benchmark::RegisterBenchmark(("decode/" + name + "/lumora").c_str(), DecodeLumora, i,
                                     skin::psdDefault)
            ->Unit(benchmark::kMillisecond);
        if (i == 0)
            benchmark::RegisterBenchmark(("decode/" + name + "/lumora_bgra32").c_str(), DecodeLumora, i,
                                         skin::psd32Bit)
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("decode/" + name + "/libpng").c_str(), DecodeLibpng, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("decode/" + name + "/spng").c_str(), DecodeSpng, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("decode/" + name + "/stb_image").c_str(), DecodeStb, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("encode/" + name + "/lumora").c_str(), EncodeLumora, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("encode/" + name + "/libpng").c_str(), EncodeLibpng, i)
            ->Unit(benchmark::kMillisecond);
    }
    for (skin::TPngStoreDepth depth : {skin::psdDefault, skin::psd32Bit})
        benchmark::RegisterBenchmark((std::string("decode/") + FixtureNames[3] +
                                      (depth == skin::psd32Bit ? "/lumora_bgra32" : "/lumora"))
                                         .c_str(),
                                     DecodeLumora, 3, depth)
            ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Loading a form's worth of pictures through the PNG image class: thirty
// distinct RGBA icons of 16 to 64 pixels (made here, saved by the class at
// the highest compression with every filter, as icon files usually are).
// Loading defers the decoding, so a form that shows few of its pictures
// pays little; the goal is that deferred loading costs under a tenth of
// decoding the same pictures.
//
//   FormLoadDeferred      create, load and free the thirty images
//   FormLoadAndDecode     the same, touching each image's pixels
//   FormDecodeOnly        only the decoding: images loaded outside the timing
//
// The counters give the time per image.

#include "platform/rtl/MemoryStream.h"
#include "skin/imaging/PngImage.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

using namespace skin;
using Bytes = std::vector<std::uint8_t>;

constexpr int FormPictures = 30;

struct TPngFree {
    void operator()(TPngImage* image) const { image->Free(); }
};
using TPngPtr = std::unique_ptr<TPngImage, TPngFree>;

// An icon: a soft disc of one hue on a transparent ground, with a lighter
// rim and a little shading, in the style of a toolbar glyph.
Bytes MakeIcon(int index) {
    const int side = 16 + (index * 48) / (FormPictures - 1);
    TPngPtr image(new TPngImage);
    image->MakeBlank(6, 8, side, side, false, false);
    const double centre = (side - 1) / 2.0;
    const double radius = side * 0.42;
    const double hue = index * 0.7;
    for (int y = 0; y < side; ++y) {
        auto* bgr = static_cast<std::uint8_t*>(image->Scanline(y));
        std::uint8_t* alpha = image->AlphaScanline(y);
        for (int x = 0; x < side; ++x) {
            const double d = std::hypot(x - centre, y - centre);
            const double edge = std::clamp(radius - d + 0.5, 0.0, 1.0);
            const double shade = 0.6 + 0.4 * (1.0 - (x + y) / (2.0 * side));
            const double rim = d > radius - 1.5 ? 1.25 : 1.0;
            const auto channel = [&](double phase) {
                return static_cast<std::uint8_t>(
                    std::clamp((128 + 100 * std::sin(hue + phase)) * shade * rim, 0.0, 255.0));
            };
            bgr[3 * x] = channel(4.2);
            bgr[3 * x + 1] = channel(2.1);
            bgr[3 * x + 2] = channel(0.0);
            alpha[x] = static_cast<std::uint8_t>(255 * edge);
        }
    }
    image->SetCompressionLevel(9);
    image->SetFilters({pfNone, pfSub, pfUp, pfAverage, pfPaeth});
    rtl::TMemoryStream stream;
    image->SaveToStream(&stream);
    const auto* p = static_cast<const std::uint8_t*>(stream.Memory());
    return Bytes(p, p + stream.Size());
}

const std::vector<Bytes>& FormPicturesBytes() {
    static const std::vector<Bytes> icons = [] {
        std::vector<Bytes> all;
        for (int i = 0; i < FormPictures; ++i)
            all.push_back(MakeIcon(i));
        return all;
    }();
    return icons;
}

// The form's resource streams, read again for every load.
std::vector<std::unique_ptr<rtl::TMemoryStream>>& FormStreams() {
    static std::vector<std::unique_ptr<rtl::TMemoryStream>> streams = [] {
        std::vector<std::unique_ptr<rtl::TMemoryStream>> all;
        for (const Bytes& bytes : FormPicturesBytes()) {
            auto& stream = all.emplace_back(std::make_unique<rtl::TMemoryStream>());
            stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
        }
        return all;
    }();
    return streams;
}

std::vector<TPngPtr> LoadForm() {
    std::vector<TPngPtr> images;
    images.reserve(FormPictures);
    for (const auto& stream : FormStreams()) {
        stream->SetPosition(0);
        images.emplace_back(new TPngImage)->LoadFromStream(stream.get());
    }
    return images;
}

void Decode(const std::vector<TPngPtr>& images) {
    for (const TPngPtr& image : images)
        benchmark::DoNotOptimize(image->Scanline(0));
}

void PerPicture(benchmark::State& state) {
    state.counters["per_picture"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * FormPictures,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void FormLoadDeferred(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<TPngPtr> images = LoadForm();
        benchmark::DoNotOptimize(images.data());
    }
    PerPicture(state);
}
BENCHMARK(FormLoadDeferred);

void FormLoadAndDecode(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<TPngPtr> images = LoadForm();
        Decode(images);
    }
    PerPicture(state);
}
BENCHMARK(FormLoadAndDecode);

void FormDecodeOnly(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<TPngPtr> images = LoadForm();
        state.ResumeTiming();
        Decode(images);
        state.PauseTiming();
        images.clear();
        state.ResumeTiming();
    }
    PerPicture(state);
}
BENCHMARK(FormDecodeOnly);

} // namespace

BENCHMARK_MAIN();

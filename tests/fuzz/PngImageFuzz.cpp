// libFuzzer target for the PNG image class: load a stream into two images
// (deferred, sharing one undecoded item), save one before its pixels are
// decoded, read pixels, scan lines and alpha, write through the other, save
// and load again. Besides crashes, leaks and undefined behaviour it traps
// when a write through one image shows in the other, when an undecoded save
// differs from a decoded one, or when a saved image reloads differently.

#include "platform/rtl/Exception.h"
#include "platform/rtl/MemoryStream.h"
#include "skin/imaging/PngChunkIEND.h"
#include "skin/imaging/PngChunkIHDR.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngImageCanvas.h"
#include "skin/imaging/PngList.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using namespace skin;

using TBytes = std::vector<std::uint8_t>;

struct TPngFree {
    void operator()(TPngImage* image) const { image->Free(); }
};
using TPngPtr = std::unique_ptr<TPngImage, TPngFree>;

// The input's length picks the encoder settings and what is done to the
// copy, so that the corpus covers them without spending input bytes.
struct TFuzzSetup {
    TFilters Filters;
    TInterlaceMethod Interlace;
    bool WriteCopy;
    bool CanvasCopy;
};

const TFuzzSetup Setups[] = {
    {{pfSub}, imNone, false, false},
    {{pfNone, pfSub, pfUp, pfAverage, pfPaeth}, imAdam7, true, false},
    {{pfSub, pfUp}, imNone, true, true},
    {{pfPaeth}, imAdam7, false, true},
};

TPngPtr Load(const std::uint8_t* data, std::size_t size) {
    TPngPtr image(new TPngImage);
    rtl::TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<std::int64_t>(size));
    stream.SetPosition(0);
    image->LoadFromStream(&stream);
    return image;
}

TBytes Save(TPngImage* image) {
    rtl::TMemoryStream stream;
    image->SaveToStream(&stream);
    const auto* p = static_cast<const std::uint8_t*>(stream.Memory());
    return TBytes(p, p + stream.Size());
}

// Every colour of a sample grid, no more than 48 x 48 points.
std::vector<vcl::TColor> Sample(TPngImage* image) {
    std::vector<vcl::TColor> colors;
    const int w = image->Width();
    const int h = image->Height();
    const int sx = std::max(1, w / 48);
    const int sy = std::max(1, h / 48);
    for (int y = 0; y < h; y += sy)
        for (int x = 0; x < w; x += sx)
            colors.push_back(image->Pixels(x, y));
    return colors;
}

// Reads whole rows of the three buffers, which makes ASan check their
// extent, for the first and last few rows.
unsigned TouchRows(TPngImage* image) {
    unsigned sum = 0;
    const int h = image->Height();
    const auto bytesPerRow = static_cast<std::size_t>(image->BytesPerRow());
    for (int y = 0; y < h; y = (y == 3 && h > 8) ? h - 4 : y + 1) {
        if (const auto* row = static_cast<const std::uint8_t*>(image->Scanline(y)))
            for (std::size_t i = 0; i < bytesPerRow; ++i)
                sum += row[i];
        if (const std::uint8_t* alpha = image->AlphaScanline(y))
            for (int x = 0; x < image->Width(); ++x)
                sum += alpha[x];
        if (const std::uint8_t* extra = image->ExtraScanline(y))
            for (std::size_t i = 0; i < bytesPerRow; ++i)
                sum += extra[i];
    }
    return sum;
}

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

void Exercise(const std::uint8_t* data, std::size_t size, const TFuzzSetup& setup) {
    TPngPtr image = Load(data, size);
    TPngPtr copy = Load(data, size);
    if (image->Empty())
        return;
    const TBytes undecoded = Save(image.get()); // the kept image data, copied
    const std::vector<vcl::TColor> colors = Sample(image.get());
    Check(Sample(copy.get()) == colors); // decoded by the first, shared by the second
    (void)TouchRows(image.get());
    (void)image->TransparencyMode();
    (void)image->TransparentColor();
    // A damaged chunk ends loading but stays in the list, and saving writes
    // it with a sound checksum: reloading then reads what was refused (a
    // different gamma, say). Only whole streams must come back the same.
    const bool whole = image->Chunks()->Count() > 0 &&
                       rtl::ObjectCast<TChunkIEND>(image->Chunks()->GetItem(image->Chunks()->Count() - 1));
    TPngPtr fromUndecoded = Load(undecoded.data(), undecoded.size());
    Check(!whole || Sample(fromUndecoded.get()) == colors);

    if (setup.WriteCopy) {
        copy->SetPixels(0, 0, vcl::clRed);
        copy->SetPixels(copy->Width() - 1, copy->Height() - 1, vcl::TColorOf(0x40102030));
    }
    if (setup.CanvasCopy && copy->Canvas()->Handle())
        copy->Canvas()->FillRect(vcl::Rect(0, 0, 3, 3));
    Check(Sample(image.get()) == colors);
    (void)TouchRows(copy.get());

    try {
        image->SetAlphaBlendValue(static_cast<std::uint8_t>(size));
    } catch (const EPngError&) {
        // An image without IEND takes no new chunk.
    }
    image->SetFilters(setup.Filters);
    image->SetInterlaceMethod(setup.Interlace);
    const TBytes saved = Save(image.get());
    TPngPtr back = Load(saved.data(), saved.size());
    Check(back->Width() == image->Width() && back->Height() == image->Height());
    Check(!whole || Sample(back.get()) == colors);

    TPngPtr clone(new TPngImage);
    clone->ClonePng(back.get());
    Check(Sample(clone.get()) == Sample(back.get()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        Exercise(data, size, Setups[size % (sizeof Setups / sizeof Setups[0])]);
    } catch (const rtl::Exception&) {
        // A refusal by exception is a clean failure.
    }
    return 0;
}

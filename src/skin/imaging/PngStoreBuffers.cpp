#include "skin/imaging/PngStoreBuffers.h"

#include "skin/imaging/PngGamma.h"

#include <cstdlib>

namespace skin {

TPngStoreBuffers::TPngStoreBuffers() noexcept {
    SetGamma(0);
}

TPngStoreBuffers::~TPngStoreBuffers() {
    Release();
}

void TPngStoreBuffers::Release() noexcept {
    std::free(FImage);
    std::free(FAlpha);
    std::free(FExtra);
    FImage = FAlpha = FExtra = nullptr;
    FLayout = {};
    FWidth = FHeight = 0;
}

bool TPngStoreBuffers::Allocate(const TPngImageHeader& header, TPngStoreDepth depth) {
    Release();
    if (!PngIsValidHeader(header))
        return false;
    const TPngStoreLayout layout = PngStoreLayout(header, depth);
    if (PngStoreBytes(layout) > PngMaxStoreBytes)
        return false;
    // calloc hands out large blocks as untouched zero pages: no cost until written.
    FImage = static_cast<std::uint8_t*>(std::calloc(layout.ImageBytes, 1));
    FAlpha = layout.AlphaBytes ? static_cast<std::uint8_t*>(std::calloc(layout.AlphaBytes, 1)) : nullptr;
    FExtra = layout.ExtraBytes ? static_cast<std::uint8_t*>(std::calloc(layout.ExtraBytes, 1)) : nullptr;
    if (!FImage || (layout.AlphaBytes && !FAlpha) || (layout.ExtraBytes && !FExtra)) {
        Release();
        return false;
    }
    FLayout = layout;
    FWidth = header.Width;
    FHeight = header.Height;
    return true;
}

TPngPixelStore TPngStoreBuffers::Store() noexcept {
    TPngPixelStore store;
    store.Width = FWidth;
    store.Height = FHeight;
    store.BitCount = FLayout.BitCount;
    store.BytesPerRow = FLayout.BytesPerRow;
    store.ImageData = FImage;
    store.ImageAlpha = FAlpha;
    store.ExtraImageData = FExtra;
    store.Palette = Palette.data();
    store.GammaTable = GammaTable.data();
    store.InverseGamma = InverseGamma.data();
    return store;
}

void TPngStoreBuffers::SetGamma(std::uint32_t gamma) noexcept {
    PngBuildGammaTables(gamma, GammaTable.data(), InverseGamma.data());
}

} // namespace skin

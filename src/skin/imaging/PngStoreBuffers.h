#pragma once

// Buffers of a pixel store owned in plain memory: zero-filled pixel buffer,
// alpha plane and low-byte buffer, a 256-entry colour table and the two gamma
// tables. Allocation refuses stores above PngMaxStoreBytes.

#include "skin/imaging/PngPixelStore.h"

#include <array>
#include <cstdint>

namespace skin {

class TPngStoreBuffers {
public:
    TPngStoreBuffers() noexcept;
    TPngStoreBuffers(const TPngStoreBuffers&) = delete;
    TPngStoreBuffers& operator=(const TPngStoreBuffers&) = delete;
    ~TPngStoreBuffers();

    // Lays out and allocates the store for a valid header; false when the
    // store is too large or memory runs out (nothing is then held).
    [[nodiscard]] bool Allocate(const TPngImageHeader& header, TPngStoreDepth depth);
    void Release() noexcept;

    // The view the codec works on; its tables point into this object.
    [[nodiscard]] TPngPixelStore Store() noexcept;
    [[nodiscard]] const TPngStoreLayout& Layout() const noexcept { return FLayout; }

    // Builds both gamma tables from a gAMA value (0: identity).
    void SetGamma(std::uint32_t gamma) noexcept;

    std::array<TPngRgbQuad, 256> Palette{};
    std::array<std::uint8_t, 256> GammaTable{};
    std::array<std::uint8_t, 256> InverseGamma{};

private:
    TPngStoreLayout FLayout;
    std::uint32_t FWidth = 0;
    std::uint32_t FHeight = 0;
    std::uint8_t* FImage = nullptr;
    std::uint8_t* FAlpha = nullptr;
    std::uint8_t* FExtra = nullptr;
};

} // namespace skin

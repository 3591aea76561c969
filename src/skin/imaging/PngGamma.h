#pragma once

// Gamma tables of an image and the grey ramp built from them.

#include "skin/imaging/PngPixelStore.h"

#include <cstdint>

namespace skin {

// For the gAMA value g (0 resets both tables to identity) and i = 0..255:
// gammaTable[i] = Round(255 x (i / 255)^(1 / (g / 100,000 x 2.2))) and
// inverseGamma[gammaTable[i]] = i, over an identity start.
void PngBuildGammaTables(std::uint32_t gamma, std::uint8_t* gammaTable, std::uint8_t* inverseGamma) noexcept;

// True when the table maps every value to itself (or is absent).
[[nodiscard]] bool PngIsIdentityTable(const std::uint8_t* table) noexcept;

// Fills count entries (2, 4, 16 or 256) of the grey ramp: entry n is, in all
// three channels, gammaTable[MulDiv(n, 255, count - 1)].
void PngFillGreyRamp(TPngRgbQuad* palette, int count, const std::uint8_t* gammaTable) noexcept;

} // namespace skin

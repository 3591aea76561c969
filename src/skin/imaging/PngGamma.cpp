#include "skin/imaging/PngGamma.h"

#include <array>
#include <cmath>
#include <cstring>

namespace skin {

namespace {

constexpr std::array<std::uint8_t, 256> IdentityTable = [] {
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<std::uint8_t>(i);
    return table;
}();

} // namespace

void PngBuildGammaTables(std::uint32_t gamma, std::uint8_t* gammaTable, std::uint8_t* inverseGamma) noexcept {
    // Every image starts with identity tables: copied, not computed.
    std::memcpy(gammaTable, IdentityTable.data(), IdentityTable.size());
    std::memcpy(inverseGamma, IdentityTable.data(), IdentityTable.size());
    if (gamma == 0)
        return;
    const double exponent = 1.0 / (gamma / 100000.0 * 2.2);
    for (int i = 0; i < 256; ++i) {
        // Round to nearest, ties to even, as the default floating-point mode rounds.
        const double value = std::nearbyint(255.0 * std::pow(i / 255.0, exponent));
        gammaTable[i] = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
        inverseGamma[gammaTable[i]] = static_cast<std::uint8_t>(i);
    }
}

bool PngIsIdentityTable(const std::uint8_t* table) noexcept {
    return !table || std::memcmp(table, IdentityTable.data(), IdentityTable.size()) == 0;
}

void PngFillGreyRamp(TPngRgbQuad* palette, int count, const std::uint8_t* gammaTable) noexcept {
    if (count < 2)
        return;
    for (int n = 0; n < count; ++n) {
        // MulDiv rounds half away from zero; every ramp step here divides exactly.
        const int index = (n * 255 + (count - 1) / 2) / (count - 1);
        const std::uint8_t v = gammaTable ? gammaTable[index] : static_cast<std::uint8_t>(index);
        palette[n] = {v, v, v, 0};
    }
}

} // namespace skin

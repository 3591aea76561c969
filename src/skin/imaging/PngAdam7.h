#pragma once

// Adam7 interlacing: seven passes over 8 x 8 blocks.

#include <cstdint>

namespace skin {

inline constexpr int PngAdam7PassCount = 7;

struct TPngAdam7Origin {
    std::uint8_t X, Y, StepX, StepY;
};

inline constexpr TPngAdam7Origin PngAdam7Origins[PngAdam7PassCount] = {
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
};

// The size of one pass's reduced image; either side may be 0 (the pass is empty).
struct TPngAdam7Pass {
    std::uint32_t Width;
    std::uint32_t Height;
};

[[nodiscard]] constexpr TPngAdam7Pass PngAdam7PassSize(int pass, std::uint32_t width,
                                                       std::uint32_t height) noexcept {
    const TPngAdam7Origin& o = PngAdam7Origins[pass];
    const auto along = [](std::uint32_t size, unsigned start, unsigned step) -> std::uint32_t {
        return size > start ? (size - start + step - 1) / step : 0;
    };
    return {along(width, o.X, o.StepX), along(height, o.Y, o.StepY)};
}

} // namespace skin

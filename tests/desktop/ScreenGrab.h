#pragma once

// The X screen's pixels as the user would see them (a compositor's result
// included), read back for checks and kept as artifacts under the build tree.

#include <cstdint>
#include <string>
#include <vector>

namespace desktop_test {

// A point of the screen and the colour (0xRRGGBB) a check expects there.
struct TScreenSpot {
    const char* Name;
    int X;
    int Y;
    std::uint32_t Color;
};

struct TScreenShot {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels; // 0xRRGGBB

    // 0xFFFFFFFF outside the shot.
    [[nodiscard]] std::uint32_t At(int x, int y) const noexcept;
};

// The whole root window; empty when the display cannot be read.
[[nodiscard]] TScreenShot GrabScreen();
// One pixel of the screen (0xRRGGBB), 0xFFFFFFFF when it cannot be read.
[[nodiscard]] std::uint32_t ScreenPixel(int x, int y);
// Writes shot as LUMORA_BINARY_DIR/artifacts/desktop/<name>.png; returns the path ("" on failure).
std::string SaveArtifact(const TScreenShot& shot, const std::string& name);

// "#RRGGBB" for messages.
[[nodiscard]] std::string ColorText(std::uint32_t rgb);
// Each channel within tolerance.
[[nodiscard]] bool ColorNear(std::uint32_t a, std::uint32_t b, int tolerance);

} // namespace desktop_test

#pragma once

// A PNG image's pixels as plain straight 8-bit RGBA rows, and back: for
// tools and for comparing decoders. Colour is taken as the image holds it
// (gamma applied, the high byte of 16-bit samples); alpha comes from the
// alpha channel, the palette's tRNS values or the tRNS key colour.

#include <cstdint>
#include <vector>

namespace skin {

class TPngImage;

// Width x height x 4 bytes, rows top-down; empty for an empty image.
[[nodiscard]] std::vector<std::uint8_t> ConvertRgba8FromPngImage(TPngImage* Image);

// Makes Image an 8-bit RGBA image (colour type 6) of the given pixels.
void ConvertPngImageFromRgba8(TPngImage* Image, int Width, int Height, const std::uint8_t* Rgba);

} // namespace skin

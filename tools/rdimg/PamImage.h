#pragma once

// PAM (the netpbm "P7" format) with 8-bit samples: reading the four tuple
// types rdimg encodes from, and the header rdimg decodes to.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace rdimg {

enum TPamTupleType { pttGrayscale, pttGrayscaleAlpha, pttRgb, pttRgbAlpha };

struct TPamImage {
    int Width = 0;
    int Height = 0;
    TPamTupleType TupleType = pttRgbAlpha;
    // Width x height x depth samples, rows top-down; a view into the bytes
    // the image was read from.
    std::span<const std::uint8_t> Samples;

    [[nodiscard]] int Depth() const noexcept { return static_cast<int>(TupleType) + 1; }
};

// Reads a PAM image from file bytes; raises TRdimgError (ecBadInput) naming
// fileName and what is wrong. Nothing is allocated from the header's values.
[[nodiscard]] TPamImage ReadPam(std::span<const std::uint8_t> bytes, const std::string& fileName);

// The header of a PAM image; the samples follow it directly.
[[nodiscard]] std::string PamHeader(int width, int height, TPamTupleType tupleType);

} // namespace rdimg

#pragma once

// Runs the built rdimg as a child process and collects what it printed, and
// the scratch files the tests hand it.

#include <cstdint>
#include <string>
#include <vector>

namespace rdimg_test {

struct TRdimgRun {
    // The exit code, or -1 when the tool did not exit normally (a signal,
    // or killed after the time limit).
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

[[nodiscard]] TRdimgRun RunRdimg(const std::vector<std::string>& args);

// A folder of this test program's own, removed when it ends.
[[nodiscard]] const std::string& ScratchDir();
[[nodiscard]] std::string ScratchPath(const std::string& name);

[[nodiscard]] std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);

// The data of a PNG file's IHDR chunk (width, height, bit depth, colour
// type, compression, filter, interlace), or empty when it has none.
[[nodiscard]] std::vector<std::uint8_t> IhdrOf(const std::vector<std::uint8_t>& png);

// The header rdimg writes before straight 8-bit RGBA samples.
[[nodiscard]] std::string RgbaPamHeader(std::uint32_t width, std::uint32_t height);

} // namespace rdimg_test

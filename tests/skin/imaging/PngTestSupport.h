#pragma once

// Helpers shared by the PNG codec tests: files, reference decodings, and
// small hand-made streams (header only: every source file here is a test).

#include "skin/imaging/PngCrc.h"
#include "skin/imaging/PngQuickFile.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <zlib.h>

namespace skin::pngtest {

inline std::string PngSuiteDir() {
    return std::string(LUMORA_TESTDATA_DIR) + "/pngsuite";
}

inline std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::uint32_t> ReadJsonNumbers(const std::string& path) {
    std::vector<std::uint32_t> numbers;
    std::ifstream in(path);
    std::uint32_t value = 0;
    bool inNumber = false;
    for (char c; in.get(c);) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(c - '0');
            inNumber = true;
        } else if (inNumber) {
            numbers.push_back(value);
            value = 0;
            inNumber = false;
        }
    }
    return numbers;
}

inline std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& raw, int level = 6) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level);
    out.resize(size);
    return out;
}

namespace detail {

inline void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (24 - 8 * i)));
}

inline std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

} // namespace detail

inline std::vector<std::uint8_t> SplitIntoIdat(const std::vector<std::uint8_t>& compressed,
                                               std::size_t pieceSize, std::uint32_t& firstSize) {
    std::vector<std::uint8_t> out;
    for (std::size_t pos = 0; pos < compressed.size(); pos += pieceSize) {
        const std::size_t n = std::min(pieceSize, compressed.size() - pos);
        if (pos == 0) {
            firstSize = static_cast<std::uint32_t>(n);
        } else {
            detail::PutBigEndian32(out, static_cast<std::uint32_t>(n));
            out.insert(out.end(), {'I', 'D', 'A', 'T'});
        }
        out.insert(out.end(), compressed.begin() + static_cast<std::ptrdiff_t>(pos),
                   compressed.begin() + static_cast<std::ptrdiff_t>(pos + n));
        detail::PutBigEndian32(out, PngCrc32(PngCrc32(0, "IDAT", 4), compressed.data() + pos, n));
    }
    return out;
}

inline std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& compressed) {
    z_stream zs{};
    inflateInit(&zs);
    std::vector<std::uint8_t> out;
    std::uint8_t buffer[4096];
    zs.next_in = const_cast<Bytef*>(compressed.data());
    zs.avail_in = static_cast<uInt>(compressed.size());
    int ret = Z_OK;
    while (ret == Z_OK) {
        zs.next_out = buffer;
        zs.avail_out = sizeof buffer;
        ret = inflate(&zs, Z_NO_FLUSH);
        out.insert(out.end(), buffer, buffer + (sizeof buffer - zs.avail_out));
    }
    inflateEnd(&zs);
    return out;
}

inline std::vector<std::uint8_t> CollectIdat(const std::vector<std::uint8_t>& file,
                                             std::vector<std::uint32_t>* lengths) {
    std::vector<std::uint8_t> data;
    for (std::size_t pos = 8; pos + 12 <= file.size();) {
        const std::uint32_t length = detail::BigEndian32(&file[pos]);
        if (std::equal(file.begin() + static_cast<std::ptrdiff_t>(pos + 4),
                       file.begin() + static_cast<std::ptrdiff_t>(pos + 8), "IDAT")) {
            data.insert(data.end(), file.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                        file.begin() + static_cast<std::ptrdiff_t>(pos + 8 + length));
            if (lengths)
                lengths->push_back(length);
        }
        pos += 12 + std::size_t{length};
    }
    return data;
}

// --- PngSuite

inline std::vector<std::string> SuiteImages(bool corrupt) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(PngSuiteDir() + "/png", ec)) {
        const std::string name = entry.path().stem().string();
        if ((name[0] == 'x') == corrupt)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string PngPath(const std::string& name) {
    return PngSuiteDir() + "/png/" + name + ".png";
}

// An RGB key colour is matched against the stored colour, which went through
// the gamma table: two samples that the table maps together both match.
inline bool MatchesStoredKey(const TPngQuickFile& file, const std::uint32_t* rgb) {
    const auto& g = file.Buffers.GammaTable;
    for (int c = 0; c < 3; ++c) {
        const std::uint32_t key = file.TransparentSamples[c];
        const bool same = file.Header.BitDepth == 16
                              ? g[rgb[c] >> 8] == g[key >> 8] && (rgb[c] & 0xFF) == (key & 0xFF)
                              : key <= 0xFF && g[rgb[c]] == g[key];
        if (!same)
            return false;
    }
    return true;
}

// The reference is straight RGBA without gamma; the codec stores colour
// through the gamma table and keeps the high byte of 16-bit samples.
inline std::vector<std::uint8_t> ExpectedRgba(const TPngQuickFile& file,
                                              const std::vector<std::uint32_t>& reference) {
    const int shift = file.Header.BitDepth == 16 ? 8 : 0;
    const bool keyed = file.HasTransparency && file.Header.ColorType == COLOR_RGB;
    std::vector<std::uint8_t> expected(reference.size());
    for (std::size_t i = 0; i < reference.size(); ++i) {
        const auto value = static_cast<std::uint8_t>(reference[i] >> shift);
        expected[i] = i % 4 == 3 ? value : file.Buffers.GammaTable[value];
        if (i % 4 == 3 && keyed && MatchesStoredKey(file, &reference[i - 3]))
            expected[i] = 0;
    }
    return expected;
}

// First differing pixel, for a readable failure.
inline std::string FirstDifference(const std::vector<std::uint8_t>& actual,
                                   const std::vector<std::uint8_t>& expected, std::uint32_t width) {
    for (std::size_t i = 0; i < actual.size() && i < expected.size(); i += 4)
        if (!std::equal(&actual[i], &actual[i] + 4, &expected[i]))
            return "pixel (" + std::to_string(i / 4 % width) + ", " + std::to_string(i / 4 / width) +
                   "): got " + std::to_string(actual[i]) + "," + std::to_string(actual[i + 1]) + "," +
                   std::to_string(actual[i + 2]) + "," + std::to_string(actual[i + 3]) + " want " +
                   std::to_string(expected[i]) + "," + std::to_string(expected[i + 1]) + "," +
                   std::to_string(expected[i + 2]) + "," + std::to_string(expected[i + 3]);
    return "sizes " + std::to_string(actual.size()) + " / " + std::to_string(expected.size());
}

} // namespace skin::pngtest

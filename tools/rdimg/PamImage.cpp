#include "PamImage.h"

#include "RdimgError.h"

#include <array>
#include <optional>
#include <string_view>

namespace rdimg {

namespace {

constexpr std::array<std::string_view, 4> TupleTypeNames = {"GRAYSCALE", "GRAYSCALE_ALPHA", "RGB",
                                                            "RGB_ALPHA"};
// The codec's limit for either side of an image.
constexpr unsigned MaxSide = 65535;

class TPamHeaderReader {
public:
    TPamHeaderReader(std::span<const std::uint8_t> bytes, const std::string& fileName)
        : FBytes(bytes), FFileName(fileName) {}

    TPamImage Read();

private:
    [[noreturn]] void Fail(const std::string& reason) const {
        throw TRdimgError(ecBadInput, "'" + FFileName + "' is not a valid PAM image: " + reason);
    }
    // The next line of the header without its newline; nullopt at the end of the file.
    std::optional<std::string_view> NextLine();
    unsigned Number(std::string_view key, std::string_view value, unsigned min, unsigned max) const;

    std::span<const std::uint8_t> FBytes;
    const std::string& FFileName;
    std::size_t FPos = 0;
};

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::optional<std::string_view> TPamHeaderReader::NextLine() {
    if (FPos >= FBytes.size())
        return std::nullopt;
    const auto* begin = reinterpret_cast<const char*>(FBytes.data());
    const std::string_view rest(begin + FPos, FBytes.size() - FPos);
    const std::size_t newline = rest.find('\n');
    if (newline == std::string_view::npos)
        return std::nullopt;
    FPos += newline + 1;
    return rest.substr(0, newline);
}

unsigned TPamHeaderReader::Number(std::string_view key, std::string_view value, unsigned min,
                                  unsigned max) const {
    unsigned n = 0;
    bool valid = !value.empty() && value.size() <= 9;
    for (char c : value) {
        valid = valid && c >= '0' && c <= '9';
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    if (!valid || n < min || n > max)
        Fail(std::string(key) + " must be a number from " + std::to_string(min) + " to " +
             std::to_string(max) + ", not '" + std::string(value) + "'");
    return n;
}

TPamImage TPamHeaderReader::Read() {
    const std::optional<std::string_view> magic = NextLine();
    if (!magic || Trim(*magic) != "P7")
        Fail("it does not start with P7");
    unsigned width = 0, height = 0, depth = 0, maxval = 0;
    std::optional<TPamTupleType> tupleType;
    for (;;) {
        const std::optional<std::string_view> line = NextLine();
        if (!line)
            Fail("the header has no ENDHDR line");
        const std::string_view text = Trim(*line);
        if (text.empty() || text[0] == '#')
            continue;
        if (text == "ENDHDR")
            break;
        const std::size_t space = text.find_first_of(" \t");
        const std::string_view key = text.substr(0, space);
        const std::string_view value =
            space == std::string_view::npos ? std::string_view{} : Trim(text.substr(space));
        if (key == "WIDTH")
            width = Number(key, value, 1, MaxSide);
        else if (key == "HEIGHT")
            height = Number(key, value, 1, MaxSide);
        else if (key == "DEPTH")
            depth = Number(key, value, 1, 4);
        else if (key == "MAXVAL")
            maxval = Number(key, value, 1, 65535);
        else if (key == "TUPLTYPE") {
            std::size_t i = 0;
            while (i < TupleTypeNames.size() && TupleTypeNames[i] != value)
                ++i;
            if (i == TupleTypeNames.size())
                Fail("TUPLTYPE '" + std::string(value) +
                     "' is not one of RGB, RGB_ALPHA, GRAYSCALE, GRAYSCALE_ALPHA");
            tupleType = static_cast<TPamTupleType>(i);
        } else
            Fail("unknown header line '" + std::string(text) + "'");
    }
    if (width == 0 || height == 0 || depth == 0 || maxval == 0)
        Fail("the header lacks WIDTH, HEIGHT, DEPTH or MAXVAL");
    if (maxval != 255)
        Fail("MAXVAL is " + std::to_string(maxval) + "; only 8-bit samples (MAXVAL 255) are read");
    // Without TUPLTYPE the depth says which of the four it is.
    const TPamTupleType type = tupleType.value_or(static_cast<TPamTupleType>(depth - 1));
    if (static_cast<unsigned>(type) + 1 != depth)
        Fail("DEPTH " + std::to_string(depth) + " does not fit TUPLTYPE " +
             std::string(TupleTypeNames[static_cast<std::size_t>(type)]));
    const std::size_t size = std::size_t{width} * height * depth;
    const std::size_t present = FBytes.size() - FPos;
    if (present < size)
        Fail("the pixel data is cut short (" + std::to_string(size) + " bytes expected, " +
             std::to_string(present) + " present)");
    return {static_cast<int>(width), static_cast<int>(height), type, FBytes.subspan(FPos, size)};
}

} // namespace

TPamImage ReadPam(std::span<const std::uint8_t> bytes, const std::string& fileName) {
    return TPamHeaderReader(bytes, fileName).Read();
}

std::string PamHeader(int width, int height, TPamTupleType tupleType) {
    return "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) + "\nDEPTH " +
           std::to_string(static_cast<int>(tupleType) + 1) + "\nMAXVAL 255\nTUPLTYPE " +
           std::string(TupleTypeNames[static_cast<std::size_t>(tupleType)]) + "\nENDHDR\n";
}

} // namespace rdimg

#include "RdimgOptions.h"

#include "RdimgError.h"

#include <array>
#include <charconv>
#include <string_view>

namespace rdimg {

namespace {

struct TCommandInfo {
    TCommand Command;
    std::string_view Name;
    std::string_view Synopsis;
    std::size_t FileCount;
    std::string_view Help;
};

constexpr std::array<TCommandInfo, 4> Commands = {{
    {cmdInfo, "info", "rdimg info FILE", 1,
     "Prints the size, colour type, bit depth and interlacing of the PNG image FILE,\n"
     "its chunks in file order (type and data length) and its RDPNG properties\n"
     "(AlphaBlendValue, GrayMode, SmoothFilter).\n"},
    {cmdDecode, "decode", "rdimg decode FILE OUT.pam", 2,
     "Writes the pixels of the PNG image FILE to OUT.pam as straight (not\n"
     "premultiplied) 8-bit RGBA: PAM P7, TUPLTYPE RGB_ALPHA. Colour samples are\n"
     "those the image holds, after its gamma; 16-bit samples give their high byte.\n"
     "Alpha comes from the alpha channel or tRNS, else it is 255.\n"},
    {cmdEncode, "encode", "rdimg encode IN.pam OUT.png [--level N] [--filters LIST] [--interlace]", 2,
     "Writes the 8-bit PAM image IN.pam (TUPLTYPE RGB, RGB_ALPHA, GRAYSCALE or\n"
     "GRAYSCALE_ALPHA, MAXVAL 255) as the PNG image OUT.png of the same colour type.\n"
     "  --level N       zlib compression level, 0 to 9 (default 1)\n"
     "  --filters LIST  row filters the encoder may choose from, a comma-separated\n"
     "                  list of none, sub, up, average, paeth (default sub)\n"
     "  --interlace     Adam7 interlacing (default none)\n"},
    {cmdCopy, "copy", "rdimg copy IN.png OUT.png", 2,
     "Loads the PNG image IN.png and saves it as OUT.png without touching its\n"
     "pixels: the image data (IDAT) is written back byte for byte, except for\n"
     "2-bit images, which are saved with 4-bit samples and so encoded anew. Chunks\n"
     "the image class does not keep (cHRM, IDAT chunks after the first run) are left out.\n"},
}};

constexpr std::string_view ExitCodesHelp =
    "Exit codes: 0 success, 1 out of memory or internal error, 2 wrong command line,\n"
    "3 a file cannot be read or written, 4 the input is not a valid PNG or PAM image.\n";

const TCommandInfo* FindCommand(std::string_view name) {
    for (const TCommandInfo& info : Commands)
        if (info.Name == name)
            return &info;
    return nullptr;
}

const TCommandInfo& InfoOf(TCommand command) {
    for (const TCommandInfo& info : Commands)
        if (info.Command == command)
            return info;
    return Commands[0];
}

[[noreturn]] void UsageError(const std::string& message) {
    throw TRdimgError(ecUsage, message + " (see rdimg --help)");
}

int ParseLevel(const std::string& value) {
    int level = -1;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, level);
    if (value.empty() || ec != std::errc() || ptr != end || level < 0 || level > 9)
        UsageError("--level needs a number from 0 to 9, not '" + value + "'");
    return level;
}

skin::TFilters ParseFilters(const std::string& value) {
    static constexpr std::array<std::string_view, skin::PngFilterCount> names = {"none", "sub", "up",
                                                                                 "average", "paeth"};
    skin::TFilters filters;
    std::string_view rest = value;
    for (;;) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        std::size_t index = 0;
        while (index < names.size() && names[index] != item)
            ++index;
        if (index == names.size())
            UsageError("unknown filter '" + std::string(item) +
                       "' in --filters (use none, sub, up, average, paeth)");
        filters.Include(static_cast<skin::TFilter>(index));
        if (comma == std::string_view::npos)
            return filters;
        rest.remove_prefix(comma + 1);
    }
}

// Takes the option at args[i] ("--name value" or "--name=value"), moving i
// past its value.
void ParseOption(const std::vector<std::string>& args, std::size_t& i, TRdimgOptions& options) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const bool hasValue = equals != std::string::npos;
    auto value = [&]() -> std::string {
        if (hasValue)
            return arg.substr(equals + 1);
        if (i + 1 >= args.size())
            UsageError("option " + name + " needs a value");
        return args[++i];
    };
    if (name == "--help" || name == "-h") {
        options.Help = true;
        return;
    }
    const bool known = name == "--level" || name == "--filters" || name == "--interlace";
    if (!known)
        UsageError("unknown option '" + name + "'");
    if (options.Command != cmdEncode)
        UsageError("option " + name + " applies only to 'encode'");
    if (name == "--level")
        options.Level = ParseLevel(value());
    else if (name == "--filters")
        options.Filters = ParseFilters(value());
    else if (hasValue)
        UsageError("option --interlace takes no value");
    else
        options.Interlace = true;
}

} // namespace

TRdimgOptions ParseRdimgArgs(const std::vector<std::string>& args) {
    TRdimgOptions options;
    if (args.empty())
        UsageError("no command given");
    if (args[0] == "--help" || args[0] == "-h") {
        options.Help = true;
        return options;
    }
    const TCommandInfo* command = FindCommand(args[0]);
    if (!command)
        UsageError("unknown command '" + args[0] + "'");
    options.Command = command->Command;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (!optionsEnded && args[i] == "--")
            optionsEnded = true;
        else if (!optionsEnded && args[i].size() > 1 && args[i][0] == '-')
            ParseOption(args, i, options);
        else
            options.Files.push_back(args[i]);
    }
    if (!options.Help && options.Files.size() != command->FileCount)
        UsageError("'" + std::string(command->Name) + "' takes " +
                   (command->FileCount == 1 ? "one file" : "two files") + ": " +
                   std::string(command->Synopsis));
    return options;
}

std::string RdimgHelp(TCommand command) {
    if (command != cmdNone) {
        const TCommandInfo& info = InfoOf(command);
        return "Usage: " + std::string(info.Synopsis) + "\n\n" + std::string(info.Help) + "\n" +
               std::string(ExitCodesHelp);
    }
    std::string text = "rdimg: the PNG tool for skin authors. It reads and writes PNG images with the\n"
                       "skin library's own codec.\n\nUsage:\n";
    for (const TCommandInfo& info : Commands)
        text += "  " + std::string(info.Synopsis) + "\n";
    text += "  rdimg --help | rdimg COMMAND --help\n\n";
    for (const TCommandInfo& info : Commands)
        text += std::string(info.Name) + ":\n" + std::string(info.Help) + "\n";
    return text + "A damaged checksum or compressed stream is an error, not a blank picture.\n" +
           "Errors are reported on stderr with the file name and the reason.\n" + std::string(ExitCodesHelp);
}

} // namespace rdimg

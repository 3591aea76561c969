#pragma once

// The command line of rdimg: one command, its files and the encoder's
// options, or a request for help.

#include "skin/imaging/PngFilters.h"

#include <string>
#include <vector>

namespace rdimg {

enum TCommand { cmdNone, cmdInfo, cmdDecode, cmdEncode, cmdCopy };

struct TRdimgOptions {
    TCommand Command = cmdNone;
    bool Help = false;
    std::vector<std::string> Files;
    // The image class's own defaults: fast saving, as the skins use it.
    int Level = 1;
    skin::TFilters Filters{skin::pfSub};
    bool Interlace = false;
};

// Raises TRdimgError with ecUsage for a command line it cannot accept.
[[nodiscard]] TRdimgOptions ParseRdimgArgs(const std::vector<std::string>& args);

// The help of one command, or of the whole tool for cmdNone.
[[nodiscard]] std::string RdimgHelp(TCommand command);

} // namespace rdimg

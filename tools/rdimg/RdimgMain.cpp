// rdimg: the PNG command-line tool for skin authors and tests.

#include "RdimgCommands.h"
#include "RdimgError.h"
#include "RdimgOptions.h"
#include "skin/imaging/PngStrictMode.h"

#include <iostream>
#include <new>

namespace {

int Run(const std::vector<std::string>& args) {
    const rdimg::TRdimgOptions options = rdimg::ParseRdimgArgs(args);
    if (options.Help) {
        std::cout << rdimg::RdimgHelp(options.Command);
        return rdimg::ecOk;
    }
    // A damaged checksum or compressed stream is an error here, not the
    // quietly blank picture a running skin would show.
    skin::SetPngStrictChecks(true);
    switch (options.Command) {
    case rdimg::cmdInfo:
        rdimg::RunInfo(options, std::cout);
        break;
    case rdimg::cmdDecode:
        rdimg::RunDecode(options);
        break;
    case rdimg::cmdEncode:
        rdimg::RunEncode(options);
        break;
    case rdimg::cmdCopy:
        rdimg::RunCopy(options);
        break;
    case rdimg::cmdNone:
        break;
    }
    std::cout.flush();
    return std::cout ? rdimg::ecOk : rdimg::ecFile;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const rdimg::TRdimgError& e) {
        std::cerr << "rdimg: " << e.what() << '\n';
        return e.Code();
    } catch (const std::bad_alloc&) {
        std::cerr << "rdimg: out of memory\n";
        return rdimg::ecInternal;
    } catch (const std::exception& e) {
        std::cerr << "rdimg: " << e.what() << '\n';
        return rdimg::ecInternal;
    }
}

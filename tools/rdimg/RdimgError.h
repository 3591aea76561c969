#pragma once

// How rdimg fails: every error ends the program with one message on stderr
// and an exit code that tells scripts what kind of failure it was.

#include <stdexcept>
#include <string>

namespace rdimg {

enum TExitCode {
    ecOk = 0,
    ecInternal = 1, // out of memory or an unexpected fault
    ecUsage = 2,    // the command line is wrong
    ecFile = 3,     // a file cannot be read or written
    ecBadInput = 4, // the input is not a valid PNG or PAM image
};

class TRdimgError : public std::runtime_error {
public:
    TRdimgError(TExitCode code, const std::string& message) : std::runtime_error(message), FCode(code) {}
    [[nodiscard]] TExitCode Code() const noexcept { return FCode; }

private:
    TExitCode FCode;
};

} // namespace rdimg

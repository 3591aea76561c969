#pragma once

// The process environment and command line.

#include "platform/rtl/String.h"
#include "platform/win/WinTypes.h"

#include <vector>

namespace win {

// Returns the length without the terminating zero when the value fits in
// `size` characters; otherwise the size needed including the zero (nothing
// written). A missing variable returns 0 with ERROR_ENVVAR_NOT_FOUND.
DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);

// The command line, quoted so that SplitCommandLine gives back every item.
// The first item is the full path of the program's executable; the others
// are the process's arguments.
[[nodiscard]] LPCWSTR GetCommandLineW();

// Splits a command line by the Windows rules: the first item ends at the
// next blank, or at the closing quote when it starts with one; the others
// honour quotes and backslash escapes before quotes.
[[nodiscard]] std::vector<rtl::String> SplitCommandLine(rtl::StringView commandLine);

// The inverse of SplitCommandLine for one argument after the first.
[[nodiscard]] rtl::String QuoteCommandLineArgument(rtl::StringView argument);

} // namespace win

#pragma once

// The system's string is UTF-16, as the class library's: positions, lengths
// and hashes count UTF-16 code units. UTF-8 appears only at the OS boundary.

#include <string>
#include <string_view>

namespace rtl {

using String = std::u16string;
using StringView = std::u16string_view;

// Invalid input (overlong forms, surrogate code points, truncated sequences,
// stray continuation bytes) becomes U+FFFD, one per maximal invalid subpart.
String Utf8ToString(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string StringToUtf8(StringView text);

// Latin-1 (the ASCII subset in practice) widening, for literals built at run time.
String AsciiToString(std::string_view ascii);

} // namespace rtl

#pragma once

// Identifiers of the object model (class, property, method, enumeration value
// and component names) compare ignoring ASCII case only, as the class
// library's SameText does for them.

#include "platform/rtl/String.h"

#include <string_view>

namespace rtl::detail {

[[nodiscard]] constexpr char16_t AsciiUpper(char16_t c) noexcept {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

[[nodiscard]] constexpr bool SameAsciiName(StringView a, StringView b) noexcept {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    }
    return true;
}

[[nodiscard]] constexpr bool SameAsciiName(std::string_view a, StringView b) noexcept {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(static_cast<unsigned char>(a[i])) != AsciiUpper(b[i]))
            return false;
    }
    return true;
}

} // namespace rtl::detail

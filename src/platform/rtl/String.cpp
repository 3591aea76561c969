#include "platform/rtl/String.h"

#include <cstdint>

namespace rtl {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(String& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
        return;
    }
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

String Utf8ToString(std::string_view utf8) {
    String out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        std::uint8_t b = *p;
        if (b < 0x80) {
            out.push_back(b);
            ++p;
            continue;
        }
        // Table 3-7 of the Unicode standard: the valid ranges of the second
        // byte depend on the lead byte, which rules out overlong forms and
        // surrogates without decoding first.
        int need = 0;
        std::uint8_t lo = 0x80, hi = 0xBF;
        char32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            cp = b & 0x0F;
            if (b == 0xE0)
                lo = 0xA0;
            else if (b == 0xED)
                hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            cp = b & 0x07;
            if (b == 0xF0)
                lo = 0x90;
            else if (b == 0xF4)
                hi = 0x8F;
        } else {
            out.push_back(kReplacement);
            ++p;
            continue;
        }
        ++p;
        bool ok = true;
        for (int i = 0; i < need; ++i) {
            if (p >= end || *p < lo || *p > hi) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (*p & 0x3F);
            ++p;
            lo = 0x80;
            hi = 0xBF;
        }
        if (ok)
            AppendCodePoint(out, cp);
        else
            out.push_back(kReplacement);
    }
    return out;
}

std::string StringToUtf8(StringView text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

String AsciiToString(std::string_view ascii) {
    String out;
    out.reserve(ascii.size());
    for (char c : ascii)
        out.push_back(static_cast<unsigned char>(c));
    return out;
}

} // namespace rtl

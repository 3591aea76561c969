#include "platform/rtl/StringUtils.h"

#include "platform/rtl/CaseTables_p.h"
#include "platform/rtl/Exception.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace rtl {

namespace {

constexpr bool IsBlank(char16_t c) {
    return c <= u' ';
}
constexpr char16_t AsciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? c - 32 : c;
}
constexpr char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + 32 : c;
}

constexpr bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
constexpr bool IsSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// Reads the code point at s[i] and advances i; unpaired surrogates stand for
// themselves, so every string maps and compares without loss.
char32_t NextCodePoint(StringView s, std::size_t& i) {
    char32_t c = s[i++];
    if (IsHighSurrogate(static_cast<char16_t>(c)) && i < s.size() && IsLowSurrogate(s[i]))
        c = 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
    return c;
}

void AppendCodePoint(String& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

char32_t MapThrough(std::span<const detail::CaseRange> table, char32_t c) noexcept {
    auto it = std::upper_bound(table.begin(), table.end(), c,
                               [](char32_t v, const detail::CaseRange& r) { return v < r.First; });
    if (it == table.begin())
        return c;
    const auto& r = *(it - 1);
    if (c > r.Last || (c - r.First) % r.Stride != 0)
        return c;
    return static_cast<char32_t>(static_cast<std::int64_t>(c) + r.Delta);
}

// The BMP part of a mapping as a two-stage table (256 blocks of 256 deltas,
// identical blocks shared): one indexed load per character instead of a
// binary search over the ranges. Built on first use.
class TBmpCaseTable {
public:
    explicit TBmpCaseTable(std::span<const detail::CaseRange> ranges) {
        std::vector<std::int32_t> delta(0x10000, 0);
        for (const auto& r : ranges)
            for (char32_t c = r.First; c <= r.Last && c <= 0xFFFF; c += r.Stride)
                delta[c] = r.Delta;
        for (std::size_t block = 0; block < 256; ++block) {
            auto first = delta.begin() + static_cast<std::ptrdiff_t>(block * 256);
            std::size_t found = 0;
            while (
                found < FBlocks.size() / 256 &&
                !std::equal(first, first + 256, FBlocks.begin() + static_cast<std::ptrdiff_t>(found * 256)))
                ++found;
            if (found == FBlocks.size() / 256)
                FBlocks.insert(FBlocks.end(), first, first + 256);
            FIndex[block] = static_cast<std::uint16_t>(found);
        }
    }

    [[nodiscard]] char32_t Map(char32_t c) const noexcept {
        return static_cast<char32_t>(static_cast<std::int32_t>(c) +
                                     FBlocks[FIndex[c >> 8] * 256u + (c & 0xFF)]);
    }

private:
    std::array<std::uint16_t, 256> FIndex{};
    std::vector<std::int32_t> FBlocks;
};

template <std::span<const detail::CaseRange> (*Ranges)() noexcept>
char32_t MapCase(char32_t c) noexcept {
    static const TBmpCaseTable table(Ranges());
    return c <= 0xFFFF ? table.Map(c) : MapThrough(Ranges(), c);
}

char32_t FoldCodePoint(char32_t c) noexcept {
    return c < 0x80 ? AsciiLower(static_cast<char16_t>(c)) : MapCase<detail::FoldCaseRanges>(c);
}

template <typename Mapper>
String MapCodePoints(StringView s, Mapper map) {
    String out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        AppendCodePoint(out, map(NextCodePoint(s, i)));
    return out;
}

// Code-point order, after simple case folding when Fold is set.
template <bool Fold>
int CompareCodePoints(StringView s1, StringView s2) noexcept {
    std::size_t i = 0, j = 0;
    while (i < s1.size() && j < s2.size()) {
        char16_t u1 = s1[i], u2 = s2[j];
        // ASCII, the common case, without the tables.
        if (u1 < 0x80 && u2 < 0x80) {
            if (Fold) {
                u1 = AsciiLower(u1);
                u2 = AsciiLower(u2);
            }
            if (u1 != u2)
                return u1 < u2 ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        // Equal units outside the surrogate range map equally: skip the lookup.
        if (u1 == u2 && !IsSurrogate(u1)) {
            ++i;
            ++j;
            continue;
        }
        const bool single = !IsSurrogate(u1) && !IsSurrogate(u2);
        char32_t a = single ? s1[i++] : NextCodePoint(s1, i);
        char32_t b = single ? s2[j++] : NextCodePoint(s2, j);
        if (Fold) {
            a = FoldCodePoint(a);
            b = FoldCodePoint(b);
        }
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (i < s1.size())
        return 1;
    return j < s2.size() ? -1 : 0;
}

// --- Integer parsing

struct ParsedInteger {
    bool ok = false;
    bool negative = false;
    bool hex = false;
    std::uint64_t magnitude = 0;
};

// Digits up to `limit`; fails on overflow of the limit, an empty number or
// anything after the digits.
ParsedInteger ParseInteger(StringView s, std::uint64_t decimalLimit, std::uint64_t hexLimit) {
    ParsedInteger r;
    std::size_t i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        r.negative = s[i++] == u'-';
    if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
        r.hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        r.hex = true;
        i += 2;
    }
    const std::uint64_t base = r.hex ? 16 : 10;
    const std::uint64_t limit = r.hex ? hexLimit : decimalLimit;
    std::size_t digits = 0;
    for (; i < s.size(); ++i, ++digits) {
        char16_t c = s[i];
        unsigned d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (r.hex && c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (r.hex && c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else
            return r;
        if (r.magnitude > (limit - d) / base)
            return r;
        r.magnitude = r.magnitude * base + d;
    }
    r.ok = digits > 0;
    return r;
}

template <typename T>
bool TryParse(StringView s, T& value) {
    using U = std::make_unsigned_t<T>;
    constexpr std::uint64_t maxPositive = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
    // A decimal may reach max + 1 only when negative; checked below.
    ParsedInteger p = ParseInteger(s, maxPositive + 1, std::numeric_limits<U>::max());
    if (!p.ok)
        return false;
    if (!p.hex && p.magnitude > maxPositive + (p.negative ? 1 : 0))
        return false;
    // Hexadecimal fills the bits of the type: $FFFFFFFF is -1.
    U bits = static_cast<U>(p.magnitude);
    if (p.negative)
        bits = static_cast<U>(U(0) - bits);
    value = static_cast<T>(bits);
    return true;
}

[[noreturn]] void InvalidInteger(StringView s) {
    throw EConvertError(u"'" + String(s) + u"' is not a valid integer value");
}

// --- Floating point

// Checks [sign] digits [. digits] [(E|e) [sign] digits] with at least one
// mantissa digit, and reports the decimal exponent of the leading digit.
bool ScanFloat(StringView s, std::string& ascii, long& leadExponent) {
    std::size_t i = 0;
    auto digitsAt = [&](std::size_t& k) {
        std::size_t start = k;
        while (k < s.size() && s[k] >= u'0' && s[k] <= u'9')
            ++k;
        return k - start;
    };
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    std::size_t intStart = i;
    std::size_t intDigits = digitsAt(i);
    std::size_t fracStart = i, fracDigits = 0;
    if (i < s.size() && s[i] == u'.') {
        fracStart = ++i;
        fracDigits = digitsAt(i);
    }
    if (intDigits + fracDigits == 0)
        return false;
    long exponent = 0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        bool negative = false;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
            negative = s[i++] == u'-';
        std::size_t expStart = i;
        if (digitsAt(i) == 0)
            return false;
        for (std::size_t k = expStart; k < i && exponent < 100000; ++k)
            exponent = exponent * 10 + (s[k] - u'0');
        if (negative)
            exponent = -exponent;
    }
    if (i != s.size())
        return false;
    // Position of the first non-zero digit relative to the decimal point.
    leadExponent = exponent;
    std::size_t k = intStart;
    while (k < intStart + intDigits && s[k] == u'0')
        ++k;
    if (k < intStart + intDigits) {
        leadExponent += static_cast<long>(intStart + intDigits - k) - 1;
    } else {
        std::size_t f = fracStart;
        while (f < fracStart + fracDigits && s[f] == u'0')
            ++f;
        leadExponent += -static_cast<long>(f - fracStart) - 1;
    }
    ascii.assign(s.begin(), s.end());
    return true;
}

} // namespace

// --- Numbers

String IntToStr(std::int64_t value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return AsciiToString(std::string_view(buf, res.ptr - buf));
}

String IntToHex(std::uint64_t value, int digits) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    String out;
    do {
        out.push_back(kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    digits = std::min(digits, 64);
    if (static_cast<int>(out.size()) < digits)
        out.append(digits - out.size(), u'0');
    std::reverse(out.begin(), out.end());
    return out;
}

String IntToHex(int value, int digits) {
    return IntToHex(static_cast<std::uint64_t>(static_cast<unsigned>(value)), digits);
}
String IntToHex(unsigned value, int digits) {
    return IntToHex(static_cast<std::uint64_t>(value), digits);
}
String IntToHex(std::int64_t value, int digits) {
    return IntToHex(static_cast<std::uint64_t>(value), digits);
}

bool TryStrToInt(StringView s, int& value) {
    return TryParse(s, value);
}

int StrToInt(StringView s) {
    int value = 0;
    if (!TryStrToInt(s, value))
        InvalidInteger(s);
    return value;
}

int StrToIntDef(StringView s, int defaultValue) {
    int value = 0;
    return TryStrToInt(s, value) ? value : defaultValue;
}

bool TryStrToInt64(StringView s, std::int64_t& value) {
    return TryParse(s, value);
}

std::int64_t StrToInt64(StringView s) {
    std::int64_t value = 0;
    if (!TryStrToInt64(s, value))
        InvalidInteger(s);
    return value;
}

std::int64_t StrToInt64Def(StringView s, std::int64_t defaultValue) {
    std::int64_t value = 0;
    return TryStrToInt64(s, value) ? value : defaultValue;
}

String FloatToStr(double value) {
    if (std::isnan(value))
        return u"NAN";
    if (std::isinf(value))
        return value < 0 ? u"-INF" : u"INF";
    if (value == 0)
        return u"0";
    // 15 significant digits, then the general format: fixed while the integer
    // part has at most 15 digits and the value is at least 0.00001.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string mantissa;
    mantissa.push_back(buf[0]);
    mantissa.append(buf + 2, buf + 16);
    int exponent = std::atoi(buf + 17);
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();
    std::string out = value < 0 ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += mantissa[0];
        if (mantissa.size() > 1)
            out += "." + mantissa.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0." + std::string(-exponent - 1, '0') + mantissa;
    } else {
        std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
        if (mantissa.size() <= intDigits) {
            out += mantissa + std::string(intDigits - mantissa.size(), '0');
        } else {
            out += mantissa.substr(0, intDigits) + "." + mantissa.substr(intDigits);
        }
    }
    return AsciiToString(out);
}

bool TryStrToFloat(StringView s, double& value) {
    std::size_t first = 0, last = s.size();
    while (first < last && s[first] == u' ')
        ++first;
    while (last > first && s[last - 1] == u' ')
        --last;
    std::string ascii;
    long leadExponent = 0;
    if (!ScanFloat(s.substr(first, last - first), ascii, leadExponent))
        return false;
    const char* begin = ascii.data();
    bool negative = *begin == '-';
    if (*begin == '+' || *begin == '-')
        ++begin;
    double result = 0;
    auto res = std::from_chars(begin, ascii.data() + ascii.size(), result);
    if (res.ec == std::errc::result_out_of_range) {
        // Too small to represent is zero; too large is an error.
        if (leadExponent > 0)
            return false;
        result = 0;
    } else if (res.ec != std::errc()) {
        return false;
    }
    value = negative ? -result : result;
    return true;
}

double StrToFloat(StringView s) {
    double value = 0;
    if (!TryStrToFloat(s, value))
        throw EConvertError(u"'" + String(s) + u"' is not a valid floating point value");
    return value;
}

double StrToFloatDef(StringView s, double defaultValue) {
    double value = 0;
    return TryStrToFloat(s, value) ? value : defaultValue;
}

// --- Trimming and case

String Trim(StringView s) {
    std::size_t first = 0, last = s.size();
    while (first < last && IsBlank(s[first]))
        ++first;
    while (last > first && IsBlank(s[last - 1]))
        --last;
    return String(s.substr(first, last - first));
}

String TrimLeft(StringView s) {
    std::size_t first = 0;
    while (first < s.size() && IsBlank(s[first]))
        ++first;
    return String(s.substr(first));
}

String TrimRight(StringView s) {
    std::size_t last = s.size();
    while (last > 0 && IsBlank(s[last - 1]))
        --last;
    return String(s.substr(0, last));
}

String UpperCase(StringView s) {
    String out(s);
    for (auto& c : out)
        c = AsciiUpper(c);
    return out;
}

String LowerCase(StringView s) {
    String out(s);
    for (auto& c : out)
        c = AsciiLower(c);
    return out;
}

char32_t UnicodeUpper(char32_t c) noexcept {
    if (c < 0x80)
        return AsciiUpper(static_cast<char16_t>(c));
    return MapCase<detail::UpperCaseRanges>(c);
}

char32_t UnicodeLower(char32_t c) noexcept {
    if (c < 0x80)
        return AsciiLower(static_cast<char16_t>(c));
    return MapCase<detail::LowerCaseRanges>(c);
}

char32_t UnicodeFold(char32_t c) noexcept {
    if (c < 0x80)
        return AsciiLower(static_cast<char16_t>(c));
    return MapCase<detail::FoldCaseRanges>(c);
}

String AnsiUpperCase(StringView s) {
    return MapCodePoints(s, [](char32_t c) { return UnicodeUpper(c); });
}
String AnsiLowerCase(StringView s) {
    return MapCodePoints(s, [](char32_t c) { return UnicodeLower(c); });
}

// --- Comparison

int CompareStr(StringView s1, StringView s2) noexcept {
    int c = s1.compare(s2);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool SameStr(StringView s1, StringView s2) noexcept {
    return s1 == s2;
}

int CompareText(StringView s1, StringView s2) noexcept {
    std::size_t n = std::min(s1.size(), s2.size());
    for (std::size_t i = 0; i < n; ++i) {
        char16_t a = AsciiUpper(s1[i]), b = AsciiUpper(s2[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return s1.size() < s2.size() ? -1 : (s1.size() > s2.size() ? 1 : 0);
}

bool SameText(StringView s1, StringView s2) noexcept {
    return s1.size() == s2.size() && CompareText(s1, s2) == 0;
}

int AnsiCompareStr(StringView s1, StringView s2) noexcept {
    return CompareCodePoints<false>(s1, s2);
}
bool AnsiSameStr(StringView s1, StringView s2) noexcept {
    return s1 == s2;
}
int AnsiCompareText(StringView s1, StringView s2) noexcept {
    return CompareCodePoints<true>(s1, s2);
}
bool AnsiSameText(StringView s1, StringView s2) noexcept {
    return AnsiCompareText(s1, s2) == 0;
}

// --- Searching and slicing

int Pos(StringView subStr, StringView s) noexcept {
    return PosEx(subStr, s, 1);
}

int PosEx(StringView subStr, StringView s, int offset) noexcept {
    if (subStr.empty() || offset < 1 || static_cast<std::size_t>(offset) > s.size())
        return 0;
    std::size_t at = s.find(subStr, static_cast<std::size_t>(offset - 1));
    return at == StringView::npos ? 0 : static_cast<int>(at) + 1;
}

String Copy(StringView s, int index, int count) {
    std::size_t start = index < 1 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(index) - 1, s.size());
    if (count <= 0)
        return {};
    return String(s.substr(start, static_cast<std::size_t>(count)));
}

int LastDelimiter(StringView delimiters, StringView s) noexcept {
    std::size_t at = s.find_last_of(delimiters);
    return at == StringView::npos ? 0 : static_cast<int>(at) + 1;
}

String StringReplace(StringView s, StringView oldPattern, StringView newPattern, TReplaceFlags flags) {
    if (oldPattern.empty())
        return String(s);
    // Simple case folding keeps every code point in its plane, so the folded
    // texts have the same code-unit positions as the originals.
    const bool ignoreCase = (flags & rfIgnoreCase) != 0;
    const String foldedText = ignoreCase ? MapCodePoints(s, UnicodeFold) : String();
    const String foldedPattern = ignoreCase ? MapCodePoints(oldPattern, UnicodeFold) : String();
    const StringView haystack = ignoreCase ? StringView(foldedText) : s;
    const StringView needle = ignoreCase ? StringView(foldedPattern) : oldPattern;
    String out;
    std::size_t from = 0;
    while (from <= s.size()) {
        std::size_t at = haystack.find(needle, from);
        if (at == StringView::npos)
            break;
        out.append(s.substr(from, at - from));
        out.append(newPattern);
        from = at + needle.size();
        if (!(flags & rfReplaceAll))
            break;
    }
    out.append(s.substr(std::min(from, s.size())));
    return out;
}

std::vector<String> SplitString(StringView s, StringView delimiters) {
    std::vector<String> parts;
    if (s.empty())
        return parts;
    std::size_t from = 0;
    for (;;) {
        std::size_t at = s.find_first_of(delimiters, from);
        parts.emplace_back(s.substr(from, at == StringView::npos ? StringView::npos : at - from));
        if (at == StringView::npos)
            break;
        from = at + 1;
    }
    return parts;
}

bool StartsStr(StringView subText, StringView text) noexcept {
    return text.starts_with(subText);
}
bool EndsStr(StringView subText, StringView text) noexcept {
    return text.ends_with(subText);
}

bool StartsText(StringView subText, StringView text) noexcept {
    return subText.size() <= text.size() && AnsiSameText(subText, text.substr(0, subText.size()));
}

bool EndsText(StringView subText, StringView text) noexcept {
    return subText.size() <= text.size() && AnsiSameText(subText, text.substr(text.size() - subText.size()));
}

bool ContainsText(StringView text, StringView subText) noexcept {
    return subText.empty() ||
           MapCodePoints(text, UnicodeFold).find(MapCodePoints(subText, UnicodeFold)) != String::npos;
}

// --- Quoting

String QuotedStr(StringView s) {
    return AnsiQuotedStr(s, u'\'');
}

String AnsiQuotedStr(StringView s, char16_t quote) {
    String out;
    out.reserve(s.size() + 2);
    out.push_back(quote);
    for (char16_t c : s) {
        if (c == quote)
            out.push_back(quote);
        out.push_back(c);
    }
    out.push_back(quote);
    return out;
}

String AnsiExtractQuotedStr(StringView text, std::size_t& pos, char16_t quote) {
    if (pos >= text.size() || text[pos] != quote)
        return {};
    String out;
    std::size_t i = pos + 1;
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                out.push_back(quote);
                i += 2;
                continue;
            }
            ++i; // the closing quote
            pos = i;
            return out;
        }
        out.push_back(text[i++]);
    }
    // No closing quote: the rest of the text is the value.
    pos = text.size();
    return out;
}

String AnsiDequotedStr(StringView s, char16_t quote) {
    std::size_t pos = 0;
    String out = AnsiExtractQuotedStr(s, pos, quote);
    // Text that is not quoted, or an unterminated quote, stays as it is.
    if ((out.empty() || pos == s.size()) && !s.empty() && (s.front() != quote || s.back() != quote))
        return String(s);
    return out;
}

// --- File names

String IncludeTrailingPathDelimiter(StringView s) {
    String out(s);
    if (out.empty() || out.back() != PathDelim)
        out.push_back(PathDelim);
    return out;
}

String ExcludeTrailingPathDelimiter(StringView s) {
    String out(s);
    if (!out.empty() && out.back() == PathDelim)
        out.pop_back();
    return out;
}

String ExtractFilePath(StringView fileName) {
    return String(fileName.substr(0, static_cast<std::size_t>(LastDelimiter(u"/", fileName))));
}

String ExtractFileDir(StringView fileName) {
    std::size_t at = static_cast<std::size_t>(LastDelimiter(u"/", fileName));
    if (at > 1)
        --at;
    return String(fileName.substr(0, at));
}

String ExtractFileName(StringView fileName) {
    return String(fileName.substr(static_cast<std::size_t>(LastDelimiter(u"/", fileName))));
}

String ExtractFileExt(StringView fileName) {
    int at = LastDelimiter(u"./", fileName);
    if (at > 0 && fileName[at - 1] == u'.')
        return String(fileName.substr(static_cast<std::size_t>(at - 1)));
    return {};
}

String ChangeFileExt(StringView fileName, StringView extension) {
    int at = LastDelimiter(u"./", fileName);
    std::size_t keep =
        at > 0 && fileName[at - 1] == u'.' ? static_cast<std::size_t>(at - 1) : fileName.size();
    String out(fileName.substr(0, keep));
    out.append(extension);
    return out;
}

String ExpandFileName(StringView fileName) {
    String path(fileName);
    if (path.empty() || path.front() != PathDelim) {
        std::string cwd(4096, '\0');
        if (::getcwd(cwd.data(), cwd.size()))
            path = IncludeTrailingPathDelimiter(Utf8ToString(cwd.c_str())) + path;
    }
    std::vector<String> parts;
    for (auto& part : SplitString(path, u"/")) {
        if (part.empty() || part == u".")
            continue;
        if (part == u"..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(std::move(part));
    }
    String out;
    for (const auto& part : parts)
        out += u"/" + part;
    if (out.empty() || (!path.empty() && path.back() == PathDelim))
        out.push_back(PathDelim);
    return out;
}

bool FileExists(StringView fileName) {
    struct stat st {};
    return !fileName.empty() && ::stat(StringToUtf8(fileName).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(StringView directory) {
    struct stat st {};
    return !directory.empty() && ::stat(StringToUtf8(directory).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(StringView directory) {
    if (directory.empty())
        throw EInOutError(u"Unable to create directory");
    String dir = ExcludeTrailingPathDelimiter(directory);
    if (dir.empty() || DirectoryExists(dir))
        return true;
    String parent = ExtractFileDir(dir);
    if (!parent.empty() && parent != dir && !ForceDirectories(parent))
        return false;
    // Another process may have created it meanwhile; that counts as success.
    return ::mkdir(StringToUtf8(dir).c_str(), 0777) == 0 || (errno == EEXIST && DirectoryExists(dir));
}

bool DeleteFile(StringView fileName) {
    return ::unlink(StringToUtf8(fileName).c_str()) == 0;
}

String SysErrorMessage(int errorCode) {
    return Utf8ToString(std::strerror(errorCode));
}

} // namespace rtl

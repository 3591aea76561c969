#include "platform/rtl/Encoding.h"

#include <algorithm>
#include <initializer_list>

namespace rtl {

RTL_IMPLEMENT_ABSTRACT_CLASS(TEncoding)
RTL_IMPLEMENT_CLASS(TUTF8Encoding)
RTL_IMPLEMENT_CLASS(TUnicodeEncoding)

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool StartsWith(std::span<const std::uint8_t> buffer, std::initializer_list<std::uint8_t> mark) {
    return buffer.size() >= mark.size() && std::equal(mark.begin(), mark.end(), buffer.begin());
}

TUTF8Encoding gUtf8{true};
TUTF8Encoding gDefault{false};
TUnicodeEncoding gUnicode{false, true};
TUnicodeEncoding gBigEndianUnicode{true, true};

} // namespace

TEncoding* TEncoding::UTF8() {
    return &gUtf8;
}
TEncoding* TEncoding::Unicode() {
    return &gUnicode;
}
TEncoding* TEncoding::BigEndianUnicode() {
    return &gBigEndianUnicode;
}
TEncoding* TEncoding::Default() {
    return &gDefault;
}

bool TEncoding::IsStandardEncoding(const TEncoding* encoding) noexcept {
    return encoding == &gUtf8 || encoding == &gDefault || encoding == &gUnicode ||
           encoding == &gBigEndianUnicode;
}

void TEncoding::Free() {
    if (!IsStandardEncoding(this))
        TObject::Free();
}

std::size_t TEncoding::GetBufferEncoding(std::span<const std::uint8_t> buffer, TEncoding*& encoding,
                                         TEncoding* defaultEncoding) {
    if (StartsWith(buffer, {0xEF, 0xBB, 0xBF})) {
        encoding = UTF8();
        return 3;
    }
    if (StartsWith(buffer, {0xFF, 0xFE})) {
        encoding = Unicode();
        return 2;
    }
    if (StartsWith(buffer, {0xFE, 0xFF})) {
        encoding = BigEndianUnicode();
        return 2;
    }
    if (!encoding)
        encoding = defaultEncoding ? defaultEncoding : Default();
    return 0;
}

TBytes TUTF8Encoding::GetPreamble() const {
    return FEmitPreamble ? TBytes{0xEF, 0xBB, 0xBF} : TBytes{};
}

TBytes TUTF8Encoding::GetBytes(StringView s) const {
    std::string utf8 = StringToUtf8(s);
    return TBytes(utf8.begin(), utf8.end());
}

String TUTF8Encoding::GetString(std::span<const std::uint8_t> bytes) const {
    return Utf8ToString(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

String TUTF8Encoding::EncodingName() const {
    return u"Unicode (UTF-8)";
}

TBytes TUnicodeEncoding::GetPreamble() const {
    if (!FEmitPreamble)
        return {};
    return FBigEndian ? TBytes{0xFE, 0xFF} : TBytes{0xFF, 0xFE};
}

TBytes TUnicodeEncoding::GetBytes(StringView s) const {
    TBytes out;
    out.reserve(s.size() * 2);
    for (char16_t c : s) {
        auto lo = static_cast<std::uint8_t>(c & 0xFF);
        auto hi = static_cast<std::uint8_t>(c >> 8);
        out.push_back(FBigEndian ? hi : lo);
        out.push_back(FBigEndian ? lo : hi);
    }
    return out;
}

String TUnicodeEncoding::GetString(std::span<const std::uint8_t> bytes) const {
    String out;
    out.reserve(bytes.size() / 2 + 1);
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&](std::size_t i) -> char16_t {
        std::uint8_t a = bytes[2 * i], b = bytes[2 * i + 1];
        return FBigEndian ? static_cast<char16_t>((a << 8) | b) : static_cast<char16_t>((b << 8) | a);
    };
    for (std::size_t i = 0; i < units; ++i) {
        char16_t c = unitAt(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
            char16_t next = unitAt(i + 1);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                out.push_back(c);
                out.push_back(next);
                ++i;
                continue;
            }
        }
        out.push_back(c >= 0xD800 && c <= 0xDFFF ? kReplacement : c);
    }
    // A dangling byte cannot form a code unit.
    if (bytes.size() % 2 != 0)
        out.push_back(kReplacement);
    return out;
}

String TUnicodeEncoding::EncodingName() const {
    return FBigEndian ? u"Unicode (UTF-16 big-endian)" : u"Unicode (UTF-16)";
}

} // namespace rtl

#include "platform/rtl/String.h"

#include <gtest/gtest.h>

using namespace rtl;

namespace {

struct Utf8Case {
    const char* name;
    std::string utf8;
    String utf16;
};

} // namespace

TEST(Utf8ToString, DecodesValidAndReplacesInvalidInput) {
    const Utf8Case cases[] = {
        {"ascii", "abc", u"abc"},
        {"two byte", "\xC3\xA9", u"\u00E9"},
        {"three byte", "\xE2\x82\xAC", u"\u20AC"},
        {"astral becomes a surrogate pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"overlong three byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"truncated at end", "a\xE2\x82", u"a\uFFFD"},
        {"truncated before ascii", "\xE2\x82z", u"\uFFFDz"},
        {"stray continuation", "\x80x", u"\uFFFDx"},
        {"embedded nul", std::string("a\0b", 3), String(u"a\0b", 3)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToString(c.utf8), c.utf16) << c.name;
}

TEST(StringToUtf8, EncodesPairsAndReplacesLoneSurrogates) {
    EXPECT_EQ(StringToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(StringToUtf8(u"\u00E9\u20AC"), "\xC3\xA9\xE2\x82\xAC");
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
    EXPECT_EQ(StringToUtf8(lone), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    const char16_t reversed[] = {0xDC00, 0xD800, 0};
    EXPECT_EQ(StringToUtf8(reversed), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(StringToUtf8, RoundTripsEveryScalarValueClass) {
    String all;
    for (char32_t cp : {U'\u0001', U'\u007F', U'\u0080', U'\u07FF', U'\u0800', U'\uD7FF', U'\uE000', U'\uFFFF',
                        U'\U00010000', U'\U0010FFFF'}) {
        if (cp < 0x10000) {
            all.push_back(static_cast<char16_t>(cp));
        } else {
            all.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            all.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        }
    }
    EXPECT_EQ(Utf8ToString(StringToUtf8(all)), all);
}

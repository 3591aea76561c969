#include "platform/rtl/Format.h"

#include "platform/rtl/Exception.h"

#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

using namespace rtl;

namespace {

struct FormatCase {
    const char16_t* format;
    std::vector<TVarRec> args;
    const char16_t* expected;
};

String FormatRow(const FormatCase& c) {
    return Format(c.format, std::span<const TVarRec>(c.args));
}

} // namespace

TEST(Format, AppliesWidthsPrecisionsAndIndexes) {
    const String named = u"named";
    const FormatCase cases[] = {
        {u"%d", {42}, u"42"},
        {u"[%5d]", {42}, u"[   42]"},
        {u"[%-5d]", {42}, u"[42   ]"},
        {u"[%1d]", {12345}, u"[12345]"},
        {u"%.4d", {-42}, u"-0042"},
        {u"[%6.3d]", {7}, u"[   007]"},
        {u"[%*d]", {4, 7}, u"[   7]"},
        {u"[%*d]", {-4, 7}, u"[7   ]"},
        {u"[%-*d]", {3, 1}, u"[1  ]"},
        {u"%.*d", {3, 5}, u"005"},
        {u"%d", {std::numeric_limits<std::int64_t>::min()}, u"-9223372036854775808"},
        {u"%x", {255}, u"FF"},
        {u"%X", {-1}, u"FFFFFFFF"},
        {u"%x", {std::int64_t{-1}}, u"FFFFFFFFFFFFFFFF"},
        {u"%.4x", {10}, u"000A"},
        {u"%u", {-1}, u"4294967295"},
        {u"%u", {std::numeric_limits<std::uint64_t>::max()}, u"18446744073709551615"},
        {u"%s|%s|%s", {u"a", u'b', named}, u"a|b|named"},
        {u"%.2s", {u"abcdef"}, u"ab"},
        {u"[%8.2s]", {u"abcdef"}, u"[      ab]"},
        {u"[%-4s]", {u"ab"}, u"[ab  ]"},
        {u"100%%", {}, u"100%"},
        {u"%1:s %0:s %s", {u"a", u"b", u"c"}, u"b a b"},
        {u"%f", {1.5}, u"1.50"},
        {u"%.1f", {2.26}, u"2.3"},
        {u"%.0f", {-3.7}, u"-4"},
        {u"\u00E9%s\u00E9", {u"\U0001F600"}, u"\u00E9\U0001F600\u00E9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatRow(c), c.expected) << StringToUtf8(c.format);
}

TEST(Format, VariadicAndListFormsAgree) {
    EXPECT_EQ(Format(u"%s=%d", u"x", 3), u"x=3");
    EXPECT_EQ(Format(u"%s=%d", {u"x", 3}), u"x=3");
    EXPECT_EQ(Format(u"plain"), u"plain");
}

TEST(Format, RejectsBadSpecifiersAndArgumentsWithTheClassLibraryMessages) {
    const FormatCase invalid[] = {
        {u"%d", {u"x"}, nullptr},      {u"%d", {1.5}, nullptr},      {u"%d", {true}, nullptr},
        {u"%s", {5}, nullptr},         {u"%f", {5}, nullptr},        {u"%x", {u'c'}, nullptr},
        {u"%", {1}, nullptr},          {u"%5", {1}, nullptr},        {u"%q", {1}, nullptr},
        {u"%99999999d", {1}, nullptr}, {u"%*d", {u"w", 1}, nullptr},
    };
    for (const auto& c : invalid) {
        try {
            (void)FormatRow(c);
            ADD_FAILURE() << "no exception for " << StringToUtf8(c.format);
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(),
                      u"Format '" + String(c.format) + u"' invalid or incompatible with argument");
        }
    }
    for (const char16_t* format : {u"%d %d", u"%2:d", u"%*d"}) {
        try {
            (void)Format(format, 1);
            ADD_FAILURE() << "no exception for " << StringToUtf8(format);
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), u"No argument for format '" + String(format) + u"'");
        }
    }
}

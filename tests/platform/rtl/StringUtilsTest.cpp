#include "platform/rtl/StringUtils.h"

#include "platform/rtl/Exception.h"

#include <cstdlib>
#include <limits>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace rtl;

namespace {

struct IntCase {
    const char16_t* text;
    bool ok;
    std::int64_t value;
};

} // namespace

TEST(StrToInt, ParsesDecimalAndHexWithTheClassLibraryRules) {
    const IntCase cases[] = {
        {u"0", true, 0},
        {u"123", true, 123},
        {u"-123", true, -123},
        {u"+7", true, 7},
        {u"  42", true, 42},
        {u"00012", true, 12},
        {u"42 ", false, 0},
        {u"\t1", false, 0},
        {u"", false, 0},
        {u" ", false, 0},
        {u"-", false, 0},
        {u"- 5", false, 0},
        {u"12a", false, 0},
        {u"1.0", false, 0},
        {u"2147483647", true, 2147483647},
        {u"2147483648", false, 0},
        {u"-2147483648", true, std::numeric_limits<int>::min()},
        {u"-2147483649", false, 0},
        {u"99999999999999999999", false, 0},
        {u"$FF", true, 255},
        {u"0x1f", true, 31},
        {u"0X1F", true, 31},
        {u"x10", true, 16},
        {u"-$10", true, -16},
        {u"$FFFFFFFF", true, -1},
        {u"$80000000", true, std::numeric_limits<int>::min()},
        {u"$100000000", false, 0},
        {u"$", false, 0},
        {u"0x", false, 0},
        {u"$G", false, 0},
    };
    for (const auto& c : cases) {
        int value = -999;
        EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << StringToUtf8(c.text);
        if (c.ok) {
            EXPECT_EQ(value, c.value) << StringToUtf8(c.text);
            EXPECT_EQ(StrToInt(c.text), c.value);
        } else {
            EXPECT_EQ(StrToIntDef(c.text, -7), -7) << StringToUtf8(c.text);
        }
    }
}

TEST(StrToInt, RaisesConvertErrorNamingTheText) {
    try {
        (void)StrToInt(u"12a");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"'12a' is not a valid integer value");
    }
    EXPECT_THROW((void)StrToInt64(u"9223372036854775808"), EConvertError);
}

TEST(StrToInt64, CoversTheFullRange) {
    const IntCase cases[] = {
        {u"9223372036854775807", true, std::numeric_limits<std::int64_t>::max()},
        {u"-9223372036854775808", true, std::numeric_limits<std::int64_t>::min()},
        {u"9223372036854775808", false, 0},
        {u"-9223372036854775809", false, 0},
        {u"$FFFFFFFFFFFFFFFF", true, -1},
        {u"$10000000000000000", false, 0},
        {u"  $7fffffff", true, 0x7FFFFFFF},
        {u"4294967296", true, 4294967296LL},
    };
    for (const auto& c : cases) {
        std::int64_t value = -999;
        EXPECT_EQ(TryStrToInt64(c.text, value), c.ok) << StringToUtf8(c.text);
        if (c.ok)
            EXPECT_EQ(value, c.value) << StringToUtf8(c.text);
        else
            EXPECT_EQ(StrToInt64Def(c.text, 5), 5);
    }
}

TEST(IntToStr, FormatsBothWidths) {
    EXPECT_EQ(IntToStr(0), u"0");
    EXPECT_EQ(IntToStr(-2147483647 - 1), u"-2147483648");
    EXPECT_EQ(IntToStr(std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
}

TEST(IntToHex, PadsAndShowsTwosComplementOfTheArgumentWidth) {
    EXPECT_EQ(IntToHex(255, 4), u"00FF");
    EXPECT_EQ(IntToHex(0x1234, 2), u"1234");
    EXPECT_EQ(IntToHex(0, 0), u"0");
    EXPECT_EQ(IntToHex(-1, 2), u"FFFFFFFF");
    EXPECT_EQ(IntToHex(std::int64_t{-1}, 1), u"FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(0xABCDu, 8), u"0000ABCD");
}

TEST(FloatConversion, ParsesLocaleIndependently) {
    struct Case {
        const char16_t* text;
        bool ok;
        double value;
    } cases[] = {
        {u"1.5", true, 1.5},  {u" -2.25 ", true, -2.25}, {u"1e3", true, 1000}, {u"1E-2", true, 0.01},
        {u".5", true, 0.5},   {u"5.", true, 5},          {u"+3", true, 3},     {u"1e-999", true, 0},
        {u"1,5", false, 0},   {u"", false, 0},           {u"e5", false, 0},    {u"1e", false, 0},
        {u"1e999", false, 0}, {u"0x10", false, 0},       {u"nan", false, 0},   {u".", false, 0},
        {u"1.5x", false, 0},  {u"--1", false, 0},
    };
    for (const auto& c : cases) {
        double value = -999;
        EXPECT_EQ(TryStrToFloat(c.text, value), c.ok) << StringToUtf8(c.text);
        if (c.ok)
            EXPECT_DOUBLE_EQ(value, c.value) << StringToUtf8(c.text);
        else
            EXPECT_DOUBLE_EQ(StrToFloatDef(c.text, 7.5), 7.5);
    }
    EXPECT_THROW((void)StrToFloat(u"abc"), EConvertError);
}

TEST(FloatConversion, FloatToStrUsesGeneralFormatWithFifteenDigits) {
    struct Case {
        double value;
        const char16_t* text;
    } cases[] = {
        {0.0, u"0"},
        {1.5, u"1.5"},
        {-0.25, u"-0.25"},
        {100, u"100"},
        {0.1, u"0.1"},
        {1.0 / 3, u"0.333333333333333"},
        {123456789012345.0, u"123456789012345"},
        {1e15, u"1E15"},
        {1.5e20, u"1.5E20"},
        {0.00001, u"0.00001"},
        {2.5e-7, u"2.5E-7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.value), c.text) << c.value;
    for (double v : {3.25, -1e-3, 6.02e23, 12345.678})
        EXPECT_DOUBLE_EQ(StrToFloat(FloatToStr(v)), v);
}

TEST(Trim, RemovesBlanksAndControlCharacters) {
    const String padded = String(u" \t a b \r\n") + char16_t(0);
    EXPECT_EQ(Trim(padded), u"a b");
    EXPECT_EQ(TrimLeft(u" \ta "), u"a ");
    EXPECT_EQ(TrimRight(u" a\t "), u" a");
    EXPECT_EQ(Trim(u" \u00A0 "), u"\u00A0"); // no-break space is not a blank
    EXPECT_EQ(Trim(u"   "), u"");
}

TEST(CaseMapping, AsciiRoutinesLeaveOtherLettersAlone) {
    EXPECT_EQ(UpperCase(u"abz\u00E4"), u"ABZ\u00E4");
    EXPECT_EQ(LowerCase(u"ABZ\u00C4"), u"abz\u00C4");
}

TEST(CaseMapping, AnsiRoutinesUseUnicodeSimpleMappings) {
    struct Case {
        const char* name;
        const char16_t* text;
        const char16_t* upper;
        const char16_t* lower;
    } cases[] = {
        {"latin-1", u"\u00E9\u00FF", u"\u00C9\u0178", u"\u00E9\u00FF"},
        {"sharp s has no simple upper", u"stra\u00DFe", u"STRA\u00DFE", u"stra\u00DFe"},
        {"latin extended pairs", u"\u0101\u0148\u01C6", u"\u0100\u0147\u01C4", u"\u0101\u0148\u01C6"},
        {"greek with final sigma", u"\u03B1\u03B2\u03C2", u"\u0391\u0392\u03A3", u"\u03B1\u03B2\u03C3"},
        {"cyrillic", u"\u043F\u0440\u0438\u0432\u0435\u0442", u"\u041F\u0420\u0418\u0412\u0415\u0422",
         u"\u043F\u0440\u0438\u0432\u0435\u0442"},
        {"armenian", u"\u0562\u0561", u"\u0532\u0531", u"\u0562\u0561"},
        {"dotted capital I", u"\u0130", u"\u0130", u"i"},
        {"kelvin sign", u"\u212A", u"\u212A", u"k"},
        {"deseret (surrogate pair)", u"\U00010428", u"\U00010400", u"\U00010428"},
        {"cjk unchanged", u"\u4E2D", u"\u4E2D", u"\u4E2D"},
        {"fullwidth", u"\uFF41", u"\uFF21", u"\uFF41"},
        {"cherokee (large delta)", u"\uAB70\u13F8", u"\u13A0\u13F0", u"\uAB70\u13F8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnsiUpperCase(c.text), c.upper) << c.name;
        EXPECT_EQ(AnsiLowerCase(c.upper), c.lower) << c.name;
    }
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    const char16_t loneUpper[] = {u'A', 0xD800, u'B', 0};
    EXPECT_EQ(AnsiUpperCase(lone), loneUpper);
}

TEST(Comparison, OrdersByTheRightRule) {
    struct Case {
        const char* name;
        int (*compare)(StringView, StringView) noexcept;
        const char16_t* a;
        const char16_t* b;
        int sign;
    } cases[] = {
        {"CompareStr is case-sensitive", CompareStr, u"a", u"B", 1},
        {"CompareStr by length", CompareStr, u"ab", u"abc", -1},
        {"CompareStr equal", CompareStr, u"x", u"x", 0},
        {"CompareStr by code unit", CompareStr, u"\uFF00", u"\U00010000", 1},
        {"CompareText ignores ASCII case", CompareText, u"HeLLo", u"hello", 0},
        {"CompareText upper-cases before comparing", CompareText, u"_", u"a", 1},
        {"CompareText leaves non-ASCII", CompareText, u"\u00C4", u"\u00E4", -1},
        {"AnsiCompareStr by code point", AnsiCompareStr, u"\uFF00", u"\U00010000", -1},
        {"AnsiCompareText folds", AnsiCompareText, u"\u00C4BC", u"\u00E4bc", 0},
        {"AnsiCompareText folds final sigma", AnsiCompareText, u"\u03C2", u"\u03A3", 0},
        {"AnsiCompareText folds to lower", AnsiCompareText, u"_", u"A", -1},
        {"AnsiCompareText prefix", AnsiCompareText, u"ABC", u"abcd", -1},
        {"AnsiCompareText astral", AnsiCompareText, u"\U00010400", u"\U00010428", 0},
    };
    for (const auto& c : cases) {
        int r = c.compare(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.name;
        int back = c.compare(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.name << " (swapped)";
    }
    EXPECT_TRUE(SameText(u"abc", u"ABC"));
    EXPECT_FALSE(SameText(u"\u00E4", u"\u00C4"));
    EXPECT_TRUE(AnsiSameText(u"\u00E4", u"\u00C4"));
    EXPECT_FALSE(SameStr(u"a", u"A"));
}

TEST(Searching, PosCopyAndLastDelimiterAreOneBasedAndClamped) {
    EXPECT_EQ(Pos(u"b", u"abcb"), 2);
    EXPECT_EQ(Pos(u"", u"abc"), 0);
    EXPECT_EQ(Pos(u"x", u"abc"), 0);
    EXPECT_EQ(PosEx(u"b", u"abcb", 3), 4);
    EXPECT_EQ(PosEx(u"b", u"abcb", 0), 0);
    EXPECT_EQ(PosEx(u"b", u"abcb", 5), 0);
    struct Case {
        int index;
        int count;
        const char16_t* expected;
    } copies[] = {{1, 2, u"ab"}, {0, 2, u"ab"}, {-5, 2, u"ab"}, {2, 100, u"bcd"}, {4, 1, u"d"},
                  {5, 1, u""},   {99, 1, u""},  {2, 0, u""},    {2, -1, u""}};
    for (const auto& c : copies)
        EXPECT_EQ(Copy(u"abcd", c.index, c.count), c.expected) << c.index << "," << c.count;
    EXPECT_EQ(Copy(u"abcd", 3), u"cd");
    EXPECT_EQ(LastDelimiter(u"./", u"a/b.c/d"), 6);
    EXPECT_EQ(LastDelimiter(u"./", u"abc"), 0);
}

TEST(StringReplace, HonoursReplaceAllAndIgnoreCase) {
    struct Case {
        const char16_t* text;
        const char16_t* from;
        const char16_t* to;
        TReplaceFlags flags;
        const char16_t* expected;
    } cases[] = {
        {u"aXbxc", u"x", u"-", 0, u"aXb-c"},
        {u"aXbxc", u"x", u"-", rfIgnoreCase, u"a-bxc"},
        {u"aXbxc", u"x", u"-", rfReplaceAll | rfIgnoreCase, u"a-b-c"},
        {u"aXbxc", u"x", u"-", rfReplaceAll, u"aXb-c"},
        {u"aaa", u"a", u"aa", rfReplaceAll, u"aaaaaa"},
        {u"abc", u"", u"x", rfReplaceAll, u"abc"},
        {u"abab", u"ab", u"", rfReplaceAll, u""},
        {u"\u00C4\u00D6\u00E4", u"\u00E4", u"a", rfReplaceAll | rfIgnoreCase, u"a\u00D6a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StringReplace(c.text, c.from, c.to, c.flags), c.expected) << StringToUtf8(c.text);
}

TEST(SplitString, KeepsEmptyPartsBetweenDelimiters) {
    EXPECT_EQ(SplitString(u"a,b;;c", u",;"), (std::vector<String>{u"a", u"b", u"", u"c"}));
    EXPECT_EQ(SplitString(u",", u","), (std::vector<String>{u"", u""}));
    EXPECT_TRUE(SplitString(u"", u",").empty());
    EXPECT_EQ(SplitString(u"abc", u""), (std::vector<String>{u"abc"}));
}

TEST(StartsAndEnds, CompareTheRightPart) {
    EXPECT_TRUE(StartsText(u"AB", u"abc"));
    EXPECT_FALSE(StartsStr(u"AB", u"abc"));
    EXPECT_TRUE(StartsStr(u"ab", u"abc"));
    EXPECT_TRUE(EndsText(u"BC", u"abc"));
    EXPECT_FALSE(EndsText(u"abcd", u"bcd"));
    EXPECT_TRUE(StartsText(u"", u"abc"));
    EXPECT_TRUE(ContainsText(u"Hello World", u"WORLD"));
    EXPECT_FALSE(ContainsText(u"Hello", u"world"));
}

TEST(Quoting, QuotesAndDequotesAsTheClassLibrary) {
    EXPECT_EQ(QuotedStr(u"it's"), u"'it''s'");
    EXPECT_EQ(AnsiQuotedStr(u"a\"b", u'"'), u"\"a\"\"b\"");
    struct Case {
        const char16_t* text;
        const char16_t* expected;
    } cases[] = {
        {u"'it''s'", u"it's"}, {u"abc", u"abc"}, {u"'abc", u"'abc"}, {u"''", u""},
        {u"'ab'c", u"ab"},     {u"", u""},       {u"a'b'", u"a'b'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnsiDequotedStr(c.text, u'\''), c.expected) << StringToUtf8(c.text);
    for (const char16_t* s : {u"", u"x", u"'", u"''''", u"a'b"})
        EXPECT_EQ(AnsiDequotedStr(QuotedStr(s), u'\''), s);
}

TEST(FileNames, SplitAtTheLastSeparator) {
    struct Case {
        const char16_t* name;
        const char16_t* path;
        const char16_t* dir;
        const char16_t* file;
        const char16_t* ext;
        const char16_t* changed;
    } cases[] = {
        {u"/a/b/c.txt", u"/a/b/", u"/a/b", u"c.txt", u".txt", u"/a/b/c.png"},
        {u"/a.b/c", u"/a.b/", u"/a.b", u"c", u"", u"/a.b/c.png"},
        {u"c.tar.gz", u"", u"", u"c.tar.gz", u".gz", u"c.tar.png"},
        {u"/x/.bashrc", u"/x/", u"/x", u".bashrc", u".bashrc", u"/x/.png"},
        {u"/a", u"/", u"/", u"a", u"", u"/a.png"},
        {u"dir/", u"dir/", u"dir", u"", u"", u"dir/.png"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.name), c.path) << StringToUtf8(c.name);
        EXPECT_EQ(ExtractFileDir(c.name), c.dir) << StringToUtf8(c.name);
        EXPECT_EQ(ExtractFileName(c.name), c.file) << StringToUtf8(c.name);
        EXPECT_EQ(ExtractFileExt(c.name), c.ext) << StringToUtf8(c.name);
        EXPECT_EQ(ChangeFileExt(c.name, u".png"), c.changed) << StringToUtf8(c.name);
    }
    EXPECT_EQ(IncludeTrailingPathDelimiter(u"a"), u"a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter(u"a/"), u"a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter(u"a/"), u"a");
    EXPECT_EQ(ExpandFileName(u"/a/./b/../c"), u"/a/c");
    EXPECT_EQ(ExpandFileName(u"/a/b/"), u"/a/b/");
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(ExpandFileName(u"x"), IncludeTrailingPathDelimiter(Utf8ToString(cwd)) + u"x");
}

TEST(FileSystem, CreatesNestedFoldersWithUnicodeNames) {
    char tmpl[] = "/tmp/rtl-fs-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const String root = Utf8ToString(tmpl);
    const String deep = root + u"/\u00DCn\u00EF/\u65E5\u672C/deep/";
    EXPECT_FALSE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep)); // existing is fine
    EXPECT_FALSE(FileExists(deep));

    const String file = deep + u"f.txt";
    EXPECT_FALSE(FileExists(file));
    FILE* f = std::fopen(StringToUtf8(file).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(ForceDirectories(file + u"/below")); // a file is in the way
    EXPECT_THROW(ForceDirectories(u""), EInOutError);
    EXPECT_TRUE(DeleteFile(file));
    EXPECT_FALSE(FileExists(file));
    std::system(("rm -rf " + std::string(tmpl)).c_str());
}

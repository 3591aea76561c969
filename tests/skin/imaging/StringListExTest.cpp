#include "skin/imaging/StringListEx.h"

#include "platform/rtl/Exception.h"
#include "skin/imaging/StringValueList.h"

#include <vector>

#include <gtest/gtest.h>

using namespace skin;
using rtl::String;

namespace {

std::vector<String> Lines(const rtl::TStrings& list) {
    std::vector<String> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Strings(i));
    return out;
}

void Fill(rtl::TStrings& list, const std::vector<String>& lines) {
    for (const String& line : lines)
        list.Add(line);
}

// Knows when it is freed, to follow objects through owning lists.
class TTracked : public rtl::TObject {
public:
    explicit TTracked(int& frees) : FFrees(frees) {}
    ~TTracked() override { ++FFrees; }

private:
    int& FFrees;
};

} // namespace

TEST(StringListEx, SortsOrdinallyIgnoringOnlyAsciiCase) {
    // Expected order of (first, second) in a sorted list: -1 first before
    // second, 0 equal (the second is dropped as a duplicate), 1 after.
    const struct {
        String first, second;
        bool caseSensitive;
        int order;
    } rows[] = {
        {u"a", u"B", false, -1},    {u"a", u"B", true, 1},
        {u"_", u"a", false, 1}, // '_' sorts after upper-cased 'A'
        {u"_", u"a", true, -1},     {u"abc", u"ABC", false, 0},
        {u"abc", u"ABC", true, 1},  {u"\u00E9", u"\u00C9", false, 1},    // only ASCII letters fold
        {u"ab", u"abc", false, -1}, {u"\uFF01", u"\U0001F600", true, 1}, // code units, not code points
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(rtl::StringToUtf8(row.first + u" / " + row.second));
        TStringListEx list;
        list.SetCaseSensitive(row.caseSensitive);
        list.SetSorted(true);
        list.Add(row.first);
        list.Add(row.second);
        if (row.order == 0) {
            EXPECT_EQ(Lines(list), (std::vector<String>{row.first}));
        } else {
            std::vector<String> sorted{row.first, row.second};
            if (row.order > 0)
                std::swap(sorted[0], sorted[1]);
            EXPECT_EQ(Lines(list), sorted);
        }
        EXPECT_EQ(list.IndexOf(row.second), row.order < 0 ? 1 : 0);
    }
}

TEST(StringListEx, SetValueForceKeepsEmptyValuesAndReplacesInPlaceOrSorted) {
    const struct {
        const char* name;
        std::vector<String> lines;
        bool sorted;
        String key, value;
        std::vector<String> expected;
    } rows[] = {
        {"empty value replaces", {u"a=1", u"k=2"}, false, u"k", u"", {u"a=1", u"k="}},
        {"empty value appends", {u"a=1"}, false, u"k", u"", {u"a=1", u"k="}},
        {"name ignores case", {u"K=1", u"b=2"}, false, u"k", u"3", {u"k=3", u"b=2"}},
        {"sorted insert", {u"a=1", u"m=2"}, true, u"b", u"x", {u"a=1", u"b=x", u"m=2"}},
        {"sorted replace", {u"a=1", u"m=2"}, true, u"m", u"", {u"a=1", u"m="}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TStringListEx list;
        list.SetSorted(row.sorted);
        Fill(list, row.lines);
        list.SetValueForce(row.key, row.value);
        EXPECT_EQ(Lines(list), row.expected);
    }
}

TEST(StringListEx, SetValueForceOnOwningSortedListKeepsTheObject) {
    int frees = 0;
    {
        TStringListEx list(true);
        list.SetSorted(true);
        auto* object = new TTracked(frees);
        list.AddObject(u"c=1", object);
        list.Add(u"b=0");
        list.SetValueForce(u"c", u"2");
        EXPECT_EQ(frees, 0);
        EXPECT_EQ(list.Objects(list.IndexOf(u"c=2")), object);
    }
    EXPECT_EQ(frees, 1);
}

TEST(StringListEx, RemoveReturnsTheFormerIndex) {
    TStringListEx list;
    Fill(list, {u"x", u"y", u"z"});
    EXPECT_EQ(list.Remove(u"z"), 2);
    EXPECT_EQ(list.Remove(u"Y"), 1);
    EXPECT_EQ(list.Remove(u"q"), -1);
    EXPECT_EQ(Lines(list), (std::vector<String>{u"x"}));
}

TEST(StringValueList, LooksUpByNamePartIgnoringCase) {
    TStringValueList list;
    Fill(list, {u"beta=2", u"Alpha=1"});
    EXPECT_EQ(Lines(list), (std::vector<String>{u"Alpha=1", u"beta=2"}));
    const struct {
        String text;
        int index;
    } rows[] = {{u"BETA", 1},  {u"beta=999", 1}, {u"alpha", 0},
                {u"alph", -1}, {u"alphaa", -1},  {u"gamma", -1}};
    for (const auto& row : rows) {
        EXPECT_EQ(list.IndexOfName(row.text), row.index) << rtl::StringToUtf8(row.text);
        EXPECT_EQ(list.IndexOf(row.text), row.index) << rtl::StringToUtf8(row.text);
    }
    EXPECT_EQ(list.Values(u"ALPHA"), u"1");
    EXPECT_EQ(list.Values(u"Beta"), u"2");

    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOfName(u"BETA"), -1);
    EXPECT_EQ(list.IndexOfName(u"beta"), 1);
}

TEST(StringValueList, AnEqualNameFollowsTheDuplicatesPolicy) {
    for (rtl::TDuplicates dup : {rtl::dupIgnore, rtl::dupAccept}) {
        SCOPED_TRACE(dup);
        TStringValueList list;
        list.SetDuplicates(dup);
        Fill(list, {u"Alpha=1", u"beta=2"});
        int at = list.Add(u"alpha=3");
        EXPECT_LE(at, 1);
        EXPECT_EQ(list.Strings(list.Count() - 1), u"beta=2");
        if (dup == rtl::dupIgnore) {
            EXPECT_EQ(Lines(list), (std::vector<String>{u"Alpha=1", u"beta=2"}));
        } else {
            EXPECT_EQ(list.Count(), 3);
            EXPECT_EQ(list.Strings(at), u"alpha=3");
        }
    }
    TStringValueList strict;
    strict.SetDuplicates(rtl::dupError);
    strict.Add(u"Alpha=1");
    EXPECT_THROW(strict.Add(u"ALPHA=2"), rtl::EStringListError);
}

TEST(StringValueList, PutAndSetValuesKeepTheListSorted) {
    int frees = 0;
    {
        TStringValueList list(true);
        auto* object = new TTracked(frees);
        list.AddObject(u"a=1", object);
        list.Add(u"m=2");
        list.Put(0, u"z=9");
        EXPECT_EQ(Lines(list), (std::vector<String>{u"m=2", u"z=9"}));
        EXPECT_EQ(list.Objects(1), object);
        EXPECT_EQ(frees, 0);

        list.SetValues(u"G", u"7");
        list.SetValues(u"m", u"");
        EXPECT_EQ(Lines(list), (std::vector<String>{u"G=7", u"z=9"}));
        try {
            list.Put(5, u"x=1");
            ADD_FAILURE() << "no exception";
        } catch (const rtl::EStringListError& e) {
            EXPECT_EQ(e.Message(), u"List index out of bounds (5)");
        }
    }
    EXPECT_EQ(frees, 1);
}

TEST(StringValueList, PutOntoAnotherLinesNameDoesNotLeakItsObject) {
    int frees = 0;
    {
        TStringValueList list(true);
        list.AddObject(u"a=1", new TTracked(frees));
        list.AddObject(u"b=2", new TTracked(frees));
        list.Put(0, u"B=3"); // b exists: the line is dropped with its object
        EXPECT_EQ(Lines(list), (std::vector<String>{u"b=2"}));
        EXPECT_EQ(frees, 1);
    }
    EXPECT_EQ(frees, 2);
}

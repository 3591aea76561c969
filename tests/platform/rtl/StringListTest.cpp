#include "platform/rtl/StringList.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/StringUtils.h"

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include <gtest/gtest.h>

using namespace rtl;

namespace {

using Lines = std::vector<String>;

Lines LinesOf(const TStrings& list) {
    Lines lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list[i]);
    return lines;
}

void Fill(TStrings& list, const Lines& lines) {
    list.Clear();
    for (const auto& line : lines)
        list.Add(line);
}

template <typename F>
String ErrorMessage(F&& action) {
    try {
        action();
    } catch (const EStringListError& e) {
        return e.Message();
    }
    return u"<no EStringListError>";
}

// Counts the change events of a list.
class TChangeCounter : public TObject {
public:
    void Changed(TObject* sender) {
        ++changed;
        lastSender = sender;
    }
    void Changing(TObject* /*sender*/) { ++changing; }
    void Watch(TStringList& list) {
        list.SetOnChange(TNotifyEvent(this, &TChangeCounter::Changed));
        list.SetOnChanging(TNotifyEvent(this, &TChangeCounter::Changing));
    }
    int changed = 0;
    int changing = 0;
    TObject* lastSender = nullptr;
};

// Reports its destruction, to check object ownership.
class TTracked : public TObject {
public:
    explicit TTracked(int& destroyed) : FDestroyed(destroyed) {}
    ~TTracked() override { ++FDestroyed; }

private:
    int& FDestroyed;
};

} // namespace

// --- Sorted lists: duplicates and case rules

TEST(SortedStringList, DuplicatesPolicyDecidesWhatAddDoes) {
    struct Case {
        TDuplicates policy;
        Lines expected;
    } cases[] = {
        {dupIgnore, {u"a", u"b", u"c"}}, {dupAccept, {u"a", u"B", u"b", u"c"}}, // before the equal entries
    };
    for (const auto& c : cases) {
        TStringList list;
        list.SetSorted(true);
        list.SetDuplicates(c.policy);
        for (const char16_t* s : {u"c", u"b", u"a"})
            list.Add(s);
        int index = list.Add(u"B");
        EXPECT_EQ(index, 1) << c.policy;
        EXPECT_EQ(LinesOf(list), c.expected) << c.policy;
    }
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupError);
    list.Add(u"x");
    EXPECT_EQ(ErrorMessage([&] { list.Add(u"X"); }), u"String list does not allow duplicates");
    EXPECT_EQ(list.Count(), 1);
}

TEST(SortedStringList, CaseSensitivityChangesEqualityAndOrder) {
    TStringList list;
    list.SetDuplicates(dupAccept);
    for (const char16_t* s : {u"b", u"B", u"a", u"\u00C4", u"\u00E4"})
        list.Add(s);
    list.SetSorted(true);
    int index = -1;
    EXPECT_TRUE(list.Find(u"A", index));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(list.IndexOf(u"\u00E4"), 3); // folded: both umlauts equal, first found

    list.SetCaseSensitive(true); // re-sorts by code point
    EXPECT_EQ(LinesOf(list), (Lines{u"B", u"a", u"b", u"\u00C4", u"\u00E4"}));
    EXPECT_FALSE(list.Find(u"C", index));
    EXPECT_EQ(index, 1); // insertion point between "B" and "a"
    EXPECT_EQ(list.IndexOf(u"\u00E4"), 4);
    EXPECT_EQ(list.IndexOf(u"A"), -1);
}

TEST(SortedStringList, FindReturnsFirstEqualOrInsertionPoint) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    for (const char16_t* s : {u"m", u"a", u"M", u"z", u"m", u"b", u"M", u"y"})
        list.Add(s);
    struct Case {
        const char16_t* key;
        bool found;
        int index;
    } cases[] = {{u"m", true, 2},  {u"A", true, 0},   {u"c", false, 2},
                 {u"n", false, 6}, {u"zz", false, 8}, {u"", false, 0}};
    for (const auto& c : cases) {
        int index = -1;
        EXPECT_EQ(list.Find(c.key, index), c.found) << StringToUtf8(c.key);
        EXPECT_EQ(index, c.index) << StringToUtf8(c.key);
    }
}

TEST(SortedStringList, AddInsertsAtSortedPositionWithItsObject) {
    TStringList list;
    list.SetSorted(true);
    TObject marker;
    list.Add(u"d");
    list.Add(u"b");
    EXPECT_EQ(list.AddObject(u"c", &marker), 1);
    EXPECT_EQ(LinesOf(list), (Lines{u"b", u"c", u"d"}));
    EXPECT_EQ(list.Objects(1), &marker);
}

TEST(SortedStringList, RefusesPositionalChangesAndLeavesTheList) {
    TStringList list;
    list.SetSorted(true);
    Fill(list, {u"a", u"b", u"c"});
    const String sortedError = u"Operation not allowed on sorted list";
    EXPECT_EQ(ErrorMessage([&] { list.Insert(0, u"z"); }), sortedError);
    EXPECT_EQ(ErrorMessage([&] { list.Put(0, u"z"); }), sortedError);
    EXPECT_EQ(ErrorMessage([&] { list.Exchange(0, 2); }), sortedError);
    EXPECT_EQ(ErrorMessage([&] { list.Move(0, 2); }), sortedError);
    EXPECT_EQ(LinesOf(list), (Lines{u"a", u"b", u"c"}));
}

TEST(StringList, IndexErrorsNameTheIndex) {
    TStringList list;
    Fill(list, {u"a", u"b"});
    struct Case {
        const char* name;
        std::function<void()> action;
        int index;
    } cases[] = {
        {"Get(-1)", [&] { (void)list.Get(-1); }, -1},          {"Get(Count)", [&] { (void)list.Get(2); }, 2},
        {"Objects", [&] { (void)list.Objects(5); }, 5},        {"Delete", [&] { list.Delete(2); }, 2},
        {"Insert past end", [&] { list.Insert(3, u"x"); }, 3}, {"Put", [&] { list.Put(-4, u"x"); }, -4},
        {"Exchange", [&] { list.Exchange(0, 9); }, 9},         {"Names", [&] { (void)list.Names(7); }, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorMessage(c.action), u"List index out of bounds (" + IntToStr(c.index) + u")") << c.name;
    EXPECT_EQ(LinesOf(list), (Lines{u"a", u"b"}));
    list.Insert(2, u"end"); // Count itself is a valid insertion index
    EXPECT_EQ(list[2], u"end");
}

TEST(StringList, SortOrdersLargeListsAndSurvivesInconsistentComparisons) {
    std::mt19937 random(7);
    TStringList list;
    Lines expected;
    for (int i = 0; i < 3000; ++i) {
        String s = IntToStr(random() % 500);
        expected.push_back(s);
        list.Add(s);
    }
    list.Sort();
    Lines sorted = LinesOf(list);
    std::sort(expected.begin(), expected.end(),
              [](const String& a, const String& b) { return AnsiCompareText(a, b) < 0; });
    EXPECT_EQ(sorted, expected);

    // A comparison that contradicts itself must neither crash nor lose lines.
    list.CustomSort([](TStringList*, int i, int j) { return (i * 7 + j * 3) % 5 - 2; });
    Lines shuffled = LinesOf(list);
    std::sort(shuffled.begin(), shuffled.end(),
              [](const String& a, const String& b) { return AnsiCompareText(a, b) < 0; });
    EXPECT_EQ(shuffled, expected);
}

TEST(StringList, CustomSortUsesTheGivenOrder) {
    TStringList list;
    Fill(list, {u"ccc", u"a", u"bb", u"dddd"});
    list.CustomSort([](TStringList* l, int i, int j) {
        return static_cast<int>(l->Get(j).size()) - static_cast<int>(l->Get(i).size());
    });
    EXPECT_EQ(LinesOf(list), (Lines{u"dddd", u"ccc", u"bb", u"a"}));
}

// --- Names and values

TEST(StringList, NamesValuesAndValueFromIndex) {
    TStringList list;
    Fill(list, {u"a=1", u"b=", u"c", u"=d", u"e=f=g"});
    const char16_t* names[] = {u"a", u"b", u"", u"", u"e"};
    const char16_t* values[] = {u"1", u"", u"", u"d", u"f=g"};
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.Names(i), names[i]) << i;
        EXPECT_EQ(list.ValueFromIndex(i), values[i]) << i;
    }
    EXPECT_EQ(list.Values(u"E"), u"f=g");  // names compare ignoring case
    EXPECT_EQ(list.IndexOfName(u"c"), -1); // a line without separator has no name
    EXPECT_EQ(list.IndexOfName(u""), 3);
    EXPECT_EQ(list.Values(u"missing"), u"");
    EXPECT_EQ(list.ValueFromIndex(-1), u"");
}

TEST(StringList, SetValuesReplacesAppendsAndDeletes) {
    TStringList list;
    Fill(list, {u"a=1", u"b=2", u"c=3"});
    list.SetValues(u"B", u"20");
    list.SetValues(u"new", u"x");
    list.SetValues(u"a", u"");       // empty value deletes the line
    list.SetValues(u"missing", u""); // nothing to delete
    EXPECT_EQ(LinesOf(list), (Lines{u"B=20", u"c=3", u"new=x"}));

    list.SetValueFromIndex(1, u"30");
    list.SetValueFromIndex(-1, u"v"); // appended without a name
    list.SetValueFromIndex(0, u"");
    EXPECT_EQ(LinesOf(list), (Lines{u"c=30", u"new=x", u"=v"}));

    // A sorted list takes a new line at its place and refuses to rewrite one.
    TStringList sorted;
    sorted.SetSorted(true);
    Fill(sorted, {u"a=1", u"c=3"});
    sorted.SetValues(u"b", u"2");
    EXPECT_EQ(LinesOf(sorted), (Lines{u"a=1", u"b=2", u"c=3"}));
    EXPECT_EQ(ErrorMessage([&] { sorted.SetValues(u"a", u"9"); }), u"Operation not allowed on sorted list");
    EXPECT_EQ(LinesOf(sorted), (Lines{u"a=1", u"b=2", u"c=3"}));

    list.SetNameValueSeparator(u':');
    Fill(list, {u"k:v=w"});
    EXPECT_EQ(list.Names(0), u"k");
    EXPECT_EQ(list.Values(u"k"), u"v=w");
    list.SetValues(u"k", u"1");
    EXPECT_EQ(list[0], u"k:1");
}

// --- Delimited and comma text

TEST(StringList, CommaTextQuotesWhatNeedsItAndRoundTrips) {
    struct Case {
        Lines lines;
        const char16_t* text;
    } cases[] = {
        {{}, u""},
        {{u""}, u"\"\""},
        {{u"a", u"b"}, u"a,b"},
        {{u"a b", u"c"}, u"\"a b\",c"},
        {{u"say \"hi\""}, u"\"say \"\"hi\"\"\""},
        {{u"a,b"}, u"\"a,b\""},
        {{u"", u""}, u","},
        {{u"a", u""}, u"a,"},
        {{u"", u"a"}, u",a"},
        {{u"tab\there", u"\u00E9"}, u"\"tab\there\",\u00E9"},
    };
    for (const auto& c : cases) {
        TStringList list;
        Fill(list, c.lines);
        EXPECT_EQ(list.CommaText(), c.text) << StringToUtf8(c.text);
        TStringList back;
        back.SetCommaText(c.text);
        EXPECT_EQ(LinesOf(back), c.lines) << StringToUtf8(c.text);
    }
}

TEST(StringList, SetCommaTextParsesLikeTheClassLibrary) {
    struct Case {
        const char16_t* text;
        Lines lines;
    } cases[] = {
        {u"a b", {u"a", u"b"}},
        {u"  a , b  ", {u"a", u"b"}},
        {u"\"a\"b,c", {u"a", u"b", u"c"}},
        {u"a,,b", {u"a", u"", u"b"}},
        {u"a, ,b", {u"a", u"", u"b"}},
        {u"a,", {u"a", u""}},
        {u"\"x\"\"y\"", {u"x\"y"}},
        {u"\"unterminated", {u"unterminated"}},
        {u"\"", {u""}},
        {u"   ", {}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add(u"old");
        list.SetCommaText(c.text);
        EXPECT_EQ(LinesOf(list), c.lines) << StringToUtf8(c.text);
    }
}

TEST(StringList, DelimitedTextFollowsDelimiterQuoteAndStrictness) {
    TStringList list;
    list.SetDelimiter(u';');
    list.SetQuoteChar(u'\'');
    list.SetStrictDelimiter(true);
    const Lines lines{u"a b", u"c;d", u"it's", u" lead"};
    Fill(list, lines);
    EXPECT_EQ(list.DelimitedText(), u"a b;'c;d';'it''s'; lead");
    list.SetDelimitedText(list.DelimitedText());
    EXPECT_EQ(LinesOf(list), lines);
    EXPECT_EQ(list.CommaText(), u"\"a b\",c;d,it's,\" lead\""); // comma text keeps its own rules

    list.SetStrictDelimiter(false);
    list.SetDelimitedText(u"a b;c");
    EXPECT_EQ(LinesOf(list), (Lines{u"a", u"b", u"c"}));
    list.SetStrictDelimiter(true);
    list.SetDelimitedText(u"a b;c");
    EXPECT_EQ(LinesOf(list), (Lines{u"a b", u"c"}));
}

TEST(StringList, TextSplitsAtAnyLineBreakAndJoinsWithCrLf) {
    struct Case {
        const char16_t* text;
        Lines lines;
    } cases[] = {
        {u"a\r\nb\nc\rd\r\n\r\ne", {u"a", u"b", u"c", u"d", u"", u"e"}},
        {u"a\r\n", {u"a"}},
        {u"\r\n", {u""}},
        {u"", {}},
        {u"\n\r", {u"", u""}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.SetText(c.text);
        EXPECT_EQ(LinesOf(list), c.lines) << StringToUtf8(c.text);
    }
    TStringList list;
    Fill(list, {u"a", u"", u"b"});
    EXPECT_EQ(list.Text(), u"a\r\n\r\nb\r\n");

    list.SetLineBreak(u"|");
    list.SetText(u"x|y\r\nz||");
    EXPECT_EQ(LinesOf(list), (Lines{u"x", u"y\r\nz", u""}));
    EXPECT_EQ(list.Text(), u"x|y\r\nz||");
}

// --- Change notifications

TEST(StringList, UpdateBracketsFoldChangesIntoOneNotification) {
    TStringList list;
    TChangeCounter counter;
    counter.Watch(list);

    list.Add(u"a");
    EXPECT_EQ(counter.changing, 1);
    EXPECT_EQ(counter.changed, 1);
    EXPECT_EQ(counter.lastSender, &list);

    list.BeginUpdate();
    list.Add(u"b");
    list.Insert(0, u"c");
    list.BeginUpdate();
    list.Delete(0);
    list.EndUpdate();
    list.Put(0, u"d");
    EXPECT_EQ(counter.changed, 1); // nothing while the bracket is open
    EXPECT_EQ(list.UpdateCount(), 1);
    list.EndUpdate();
    EXPECT_EQ(counter.changing, 2);
    EXPECT_EQ(counter.changed, 2);

    list.SetText(u"x\ny\nz"); // clear and three adds, one notification
    EXPECT_EQ(counter.changed, 3);
    list.EndUpdate(); // unbalanced: ignored
    EXPECT_EQ(counter.changed, 3);
    EXPECT_EQ(list.UpdateCount(), 0);

    TStringList empty;
    TChangeCounter quiet;
    quiet.Watch(empty);
    empty.Clear();
    EXPECT_EQ(quiet.changed, 0);
}

// --- Objects

TEST(StringList, OwnedObjectsAreFreedWithTheirLines) {
    int destroyed = 0;
    {
        TStringList owning(true);
        for (const char16_t* s : {u"a", u"b", u"c", u"d"})
            owning.AddObject(s, new TTracked(destroyed));
        owning.Delete(0);
        EXPECT_EQ(destroyed, 1);
        owning.Move(0, 2);
        owning.Exchange(0, 1);
        EXPECT_EQ(destroyed, 1);
        owning.Clear();
        EXPECT_EQ(destroyed, 4);
        owning.AddObject(u"e", new TTracked(destroyed));
    }
    EXPECT_EQ(destroyed, 5);

    TTracked kept(destroyed);
    {
        TStringList borrowing;
        borrowing.AddObject(u"x", &kept);
        borrowing.Delete(0);
        borrowing.AddObject(u"y", &kept);
    }
    EXPECT_EQ(destroyed, 5);
}

TEST(StringList, MoveAndExchangeCarryObjects) {
    TStringList list;
    TObject a, b, c;
    list.AddObject(u"a", &a);
    list.AddObject(u"b", &b);
    list.AddObject(u"c", &c);
    list.Move(0, 2);
    EXPECT_EQ(LinesOf(list), (Lines{u"b", u"c", u"a"}));
    EXPECT_EQ(list.Objects(2), &a);
    list.Exchange(0, 1);
    EXPECT_EQ(LinesOf(list), (Lines{u"c", u"b", u"a"}));
    EXPECT_EQ(list.Objects(0), &c);
    EXPECT_EQ(list.IndexOfObject(&b), 1);
    EXPECT_EQ(list.IndexOfObject(nullptr), -1);
}

TEST(StringList, AssignCopiesLinesObjectsAndSettings) {
    TStringList source;
    TObject marker;
    source.AddObject(u"k=v", &marker);
    source.Add(u"x");
    source.SetNameValueSeparator(u':');
    source.SetDelimiter(u';');
    source.SetStrictDelimiter(true);

    TStringList dest;
    dest.Add(u"old");
    dest.Assign(&source);
    EXPECT_EQ(LinesOf(dest), LinesOf(source));
    EXPECT_EQ(dest.Objects(0), &marker);
    EXPECT_EQ(dest.NameValueSeparator(), u':');
    EXPECT_EQ(dest.Delimiter(), u';');
    EXPECT_TRUE(dest.StrictDelimiter());
    EXPECT_TRUE(dest.Equals(&source));
    dest.Assign(&dest);
    EXPECT_TRUE(dest.Equals(&source));

    dest.Put(1, u"y");
    EXPECT_FALSE(dest.Equals(&source));
    EXPECT_FALSE(dest.Equals(nullptr));
    TPersistent other;
    EXPECT_THROW(dest.Assign(&other), EConvertError);
    EXPECT_THROW(dest.Assign(nullptr), EConvertError);

    dest.AddStrings(&dest); // the count is taken once
    EXPECT_EQ(LinesOf(dest), (Lines{u"k=v", u"y", u"k=v", u"y"}));
}

TEST(StringList, ClassMetadataAllowsCreationByReference) {
    TObject* created = TStringList::StaticClass()->Create();
    auto* list = ObjectCast<TStringList>(created);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->OwnsObjects());
    EXPECT_TRUE(list->InheritsFrom(TStrings::StaticClass()));
    created->Free();
}

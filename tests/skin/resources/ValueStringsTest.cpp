#include "skin/resources/ValueStrings.h"

#include "platform/rtl/Exception.h"
#include "skin/imaging/StringValueList.h"

#include <functional>
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

} // namespace

TEST(RdValueStrings, NameLookupFollowsTheCaseRule) {
    const struct {
        String name;
        int insensitive, sensitive;
    } rows[] = {
        {u"Color", 0, 0}, {u"COLOR", 0, -1},   {u"color", 0, -1}, {u"Size", 1, 1},
        {u"size", 1, -1}, {u"Colour", -1, -1}, {u"Flag", 2, 2},   {u"FLAG", 2, -1},
    };
    for (bool caseSensitive : {false, true}) {
        TRdValueStrings list;
        list.SetCaseSensitive(caseSensitive);
        Fill(list, {u"Color=1", u"Size=2", u"Flag"});
        for (const auto& row : rows) {
            int expected = caseSensitive ? row.sensitive : row.insensitive;
            EXPECT_EQ(list.IndexOfName(row.name), expected) << rtl::StringToUtf8(row.name) << caseSensitive;
        }
    }
}

TEST(RdValueStrings, IndexOfGoesByNameAndFindsTheFirstLine) {
    TRdValueStrings list;
    Fill(list, {u"Color=1", u"b=2", u"COLOR=3"});
    EXPECT_EQ(list.IndexOf(u"Color=2"), 0);
    EXPECT_EQ(list.IndexOf(u"color"), 0);
    EXPECT_EQ(list.IndexOf(u"b=anything"), 1);
    EXPECT_EQ(list.IndexOf(u"c=2"), -1);
    EXPECT_EQ(list.Values(u"color"), u"1");
}

TEST(RdValueStrings, LookupsSeeEveryChangeOfTheLines) {
    const struct {
        const char* name;
        std::function<void(TRdValueStrings&)> edit;
        String probe;
        int index;
    } rows[] = {
        {"add", [](TRdValueStrings& l) { l.Add(u"d=4"); }, u"d", 3},
        {"insert", [](TRdValueStrings& l) { l.Insert(0, u"z=0"); }, u"a", 1},
        {"delete", [](TRdValueStrings& l) { l.Delete(0); }, u"c", 1},
        {"put", [](TRdValueStrings& l) { l.Put(1, u"x=9"); }, u"x", 1},
        {"put removes old", [](TRdValueStrings& l) { l.Put(1, u"x=9"); }, u"b", -1},
        {"exchange", [](TRdValueStrings& l) { l.Exchange(0, 2); }, u"a", 2},
        {"clear", [](TRdValueStrings& l) { l.Clear(); }, u"a", -1},
        {"set value", [](TRdValueStrings& l) { l.SetValue(u"e", u"5"); }, u"E", 3},
        {"set empty value", [](TRdValueStrings& l) { l.SetValue(u"B", u""); }, u"c", 1},
        {"inside update",
         [](TRdValueStrings& l) {
             l.BeginUpdate();
             l.Delete(0);
             EXPECT_EQ(l.IndexOfName(u"b"), 0);
             l.EndUpdate();
         },
         u"c", 1},
        {"case rule", [](TRdValueStrings& l) { l.SetCaseSensitive(true); }, u"A", -1},
        {"separator", [](TRdValueStrings& l) { l.SetNameValueSeparator(u'2'); }, u"b=", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TRdValueStrings list;
        Fill(list, {u"a=1", u"b=2", u"c=3"});
        ASSERT_EQ(list.IndexOfName(u"a"), 0); // builds the hash
        row.edit(list);
        EXPECT_EQ(list.IndexOfName(row.probe), row.index);
    }
}

TEST(RdValueStrings, GetValueWalksUpTheParents) {
    TRdValueStrings grand, parent, child;
    Fill(grand, {u"Font=Arial", u"Size=9"});
    Fill(parent, {u"Color=red"});
    parent.Parent = &grand;
    child.Parent = &parent;
    EXPECT_EQ(child.GetValue(u"Font"), u"Arial");
    EXPECT_EQ(child.GetValue(u"color"), u"red");
    EXPECT_EQ(child.GetValue(u"Missing"), u"");
    child.Add(u"Font=Tahoma");
    EXPECT_EQ(child.GetValue(u"Font"), u"Tahoma");
    EXPECT_EQ(parent.GetValue(u"Font"), u"Arial");
}

TEST(RdValueStrings, AssignToFlattensTheInheritance) {
    TRdValueStrings grand, parent, child;
    Fill(grand, {u"c=3", u"a=grand"});
    Fill(parent, {u"a=0", u"b=2"});
    Fill(child, {u"a=1"});
    child.Parent = &parent;

    rtl::TStringList plain;
    plain.Add(u"old");
    child.AssignTo(&plain);
    EXPECT_EQ(Lines(plain), (std::vector<String>{u"b=2", u"a=1"}));

    parent.Parent = &grand;
    child.AssignTo(&plain);
    EXPECT_EQ(Lines(plain), (std::vector<String>{u"c=3", u"b=2", u"a=1"}));

    TStringValueList sorted;
    child.AssignTo(&sorted);
    EXPECT_EQ(Lines(sorted), (std::vector<String>{u"a=1", u"b=2", u"c=3"}));

    TRdValueStrings flat;
    ASSERT_EQ(flat.IndexOfName(u"C"), -1);
    child.AssignTo(&flat);
    EXPECT_EQ(flat.IndexOfName(u"C"), 0);

    TRdValueStrings copy; // a plain assignment copies the lines only
    copy.Assign(&child);
    EXPECT_EQ(Lines(copy), Lines(child));
}

TEST(RdValueStrings, AssignCopiesLinesAndObjectsAndRefusesOtherClasses) {
    rtl::TObject tag;
    rtl::TStringList source;
    source.AddObject(u"k=v", &tag);
    TRdValueStrings list;
    list.Add(u"x=1");
    ASSERT_EQ(list.IndexOfName(u"x"), 0);
    list.Assign(&source);
    EXPECT_EQ(list.IndexOfName(u"x"), -1);
    EXPECT_EQ(list.Objects(list.IndexOfName(u"K")), &tag);

    rtl::TPersistent other;
    EXPECT_THROW(list.AssignTo(&other), rtl::EConvertError);
}

// A parent cycle ends the walk at the first list seen twice, so lookups stop
// after visiting each list once and flattening adds each ancestor once.
TEST(RdValueStrings, ParentCyclesStop) {
    TRdValueStrings a, b, c;
    Fill(a, {u"x=a"});
    Fill(b, {u"y=b"});
    Fill(c, {u"z=c", u"x=c"});
    const struct {
        const char* name;
        TRdValueStrings* aParent;
        TRdValueStrings* bParent;
        TRdValueStrings* cParent;
        std::vector<String> flattened; // a assigned to a plain list
    } rows[] = {
        {"own parent", &a, nullptr, nullptr, {u"x=a"}},
        {"two lists", &b, &a, nullptr, {u"y=b", u"x=a"}},
        {"loop below", &b, &c, &b, {u"z=c", u"y=b", u"x=a"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        a.Parent = row.aParent;
        b.Parent = row.bParent;
        c.Parent = row.cParent;
        EXPECT_EQ(a.GetValue(u"missing"), u"");
        EXPECT_EQ(a.GetValue(u"x"), u"a");
        rtl::TStringList plain;
        a.AssignTo(&plain);
        EXPECT_EQ(Lines(plain), row.flattened);
    }
    EXPECT_EQ(a.GetValue(u"z"), u"c");
    EXPECT_EQ(b.GetValue(u"x"), u"c");
}

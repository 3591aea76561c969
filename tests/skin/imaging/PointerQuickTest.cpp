#include "skin/imaging/PointerQuick.h"

#include "platform/rtl/Exception.h"

#include <vector>

#include <gtest/gtest.h>

using namespace skin;
using rtl::dupAccept;
using rtl::dupError;
using rtl::dupIgnore;

namespace {

void* P(intptr_t n) {
    return reinterpret_cast<void*>(n);
}
intptr_t N(void* p) {
    return reinterpret_cast<intptr_t>(p);
}

std::vector<intptr_t> Objs(const TPointerQuick& list) {
    std::vector<intptr_t> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(N(list.Items(i)));
    return out;
}

std::vector<intptr_t> ValuesOf(const TPointerQuick& list) {
    std::vector<intptr_t> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(N(list.ValueFromIndex(i)));
    return out;
}

// Records (Obj, Value) of every node handed to DisposeEvent.
class TDisposeLog : public rtl::TObject {
public:
    std::vector<std::pair<intptr_t, intptr_t>> Seen;
    rtl::TObject* Sender = nullptr;
    void Dispose(rtl::TObject* sender, TBaseQuickListItem* item) {
        Sender = sender;
        Seen.emplace_back(N(item->Obj), N(item->Value));
    }
};

// Orders by object only, descending, ignoring values.
class TReverse : public rtl::TObject {
public:
    int Compare(TBaseQuickListItem* item, void* obj, void* const* /*value*/) {
        return static_cast<int>(N(obj) - N(item->Obj));
    }
};

} // namespace

TEST(PointerQuick, AddingAnEqualEntryFollowsTheDuplicatesPolicy) {
    struct Row {
        rtl::TDuplicates dup;
        int count;
    };
    for (Row row : {Row{dupIgnore, 1}, Row{dupAccept, 2}}) {
        SCOPED_TRACE(row.dup);
        TPointerQuick list;
        list.SetDuplicates(row.dup);
        list.Add(P(50));
        int first = list.Add(P(70));
        int second = list.Add(P(70));
        EXPECT_EQ(list.Count(), row.count + 1);
        if (row.dup == dupIgnore) {
            EXPECT_EQ(second, first);
        }
        EXPECT_EQ(list.Add(P(70), P(1)), row.count + 1) << "a different value is a different entry";
    }
}

TEST(PointerQuick, DuplicateErrorNamesTheObjectInHex) {
    TPointerQuick list;
    list.SetDuplicates(dupError);
    list.Add(P(0xBEEF), P(2));
    try {
        list.Add(P(0xBEEF), P(2));
        FAIL() << "no exception";
    } catch (const rtl::EListError& e) {
        EXPECT_EQ(e.Message(), u"List does not allow duplicates ($0BEEF)");
    }
    EXPECT_EQ(list.Count(), 1);
}

TEST(PointerQuick, KeepsEntriesSortedByObjectThenValue) {
    TPointerQuick list;
    list.SetDuplicates(dupAccept);
    for (auto [obj, value] : {std::pair{30, 2}, {10, 0}, {30, 1}, {20, 0}, {30, 0}})
        list.Add(P(obj), P(value));
    EXPECT_EQ(Objs(list), (std::vector<intptr_t>{10, 20, 30, 30, 30}));
    EXPECT_EQ(ValuesOf(list), (std::vector<intptr_t>{0, 0, 0, 1, 2}));
}

TEST(PointerQuick, BinarySearchFindsTheFirstOfEqualEntries) {
    TPointerQuick list;
    list.SetDuplicates(dupAccept);
    list.Add(P(1));
    for (int v = 0; v < 6; ++v)
        list.Add(P(5), P(v));
    list.Add(P(9));

    int index = -1;
    EXPECT_TRUE(list.Find(P(5), index));
    EXPECT_EQ(index, 1);
    void* value = P(4);
    EXPECT_EQ(list.IndexOf(P(5), &value), 5);
    EXPECT_FALSE(list.Find(P(7), index));
    EXPECT_EQ(index, 7) << "insertion point";
    EXPECT_EQ(list.IndexOf(P(7)), -1);
    EXPECT_EQ(list.Remove(P(5), &value), 5);
    EXPECT_EQ(list.IndexOf(P(5), &value), -1);
}

TEST(PointerQuick, UnsortedListAppendsAndSearchesLinearly) {
    TPointerQuick list;
    list.SetSorted(false);
    for (int n : {30, 10, 20, 10})
        list.Add(P(n));
    EXPECT_EQ(Objs(list), (std::vector<intptr_t>{30, 10, 20, 10}));
    EXPECT_EQ(list.IndexOf(P(20)), 2);
    list.SetSorted(true);
    EXPECT_EQ(Objs(list), (std::vector<intptr_t>{10, 10, 20, 30}));
    EXPECT_EQ(list.IndexOf(P(20)), 2);
}

TEST(PointerQuick, CustomComparisonDecidesOrderAndEquality) {
    TReverse reverse;
    TPointerQuick list;
    list.OnCompareItem = {&reverse, &TReverse::Compare};
    for (int n : {2, 9, 5})
        list.Add(P(n), P(n));
    EXPECT_EQ(Objs(list), (std::vector<intptr_t>{9, 5, 2}));
    EXPECT_EQ(list.Add(P(5), P(77)), 1) << "values do not take part, so this is a duplicate";
    EXPECT_EQ(list.Count(), 3);
}

TEST(PointerQuick, ValuesByObjectAndByIndex) {
    TPointerQuick list;
    EXPECT_EQ(list.GetValue(P(4)), nullptr);
    list.SetValue(P(4), P(40));
    list.SetValue(P(2), P(20));
    list.SetValue(P(4), P(41));
    EXPECT_EQ(Objs(list), (std::vector<intptr_t>{2, 4}));
    EXPECT_EQ(list.Values(P(4)), P(41));
    list.SetValueFromIndex(0, P(21));
    EXPECT_EQ(list.GetValue(P(2)), P(21));
    EXPECT_THROW(list.SetValueFromIndex(2, nullptr), rtl::EListError);
    EXPECT_THROW((void)list.Items(-1), rtl::EListError);
}

TEST(PointerQuick, ChangingAValueKeepsEntriesOfOneObjectInValueOrder) {
    TPointerQuick list;
    list.SetDuplicates(dupAccept);
    for (int v : {1, 2, 3})
        list.Add(P(8), P(v));
    list.SetValueFromIndex(0, P(9));
    EXPECT_EQ(ValuesOf(list), (std::vector<intptr_t>{2, 3, 9}));
    void* nine = P(9);
    EXPECT_EQ(list.IndexOf(P(8), &nine), 2);
}

TEST(PointerQuick, EveryWayOutGoesThroughDisposeEvent) {
    TDisposeLog log;
    {
        TPointerQuick list;
        list.DisposeEvent = {&log, &TDisposeLog::Dispose};
        for (int n = 1; n <= 5; ++n)
            list.Add(P(n), P(n * 10));
        list.Delete(0);
        void* value = P(20);
        list.Remove(P(2), &value);
        list.Remove(P(2)); // absent: nothing disposed
        list.Clear();
        EXPECT_EQ(log.Sender, &list);
        list.Add(P(6), P(60));
    }
    using Pair = std::pair<intptr_t, intptr_t>;
    EXPECT_EQ(log.Seen, (std::vector<Pair>{{1, 10}, {2, 20}, {5, 50}, {4, 40}, {3, 30}, {6, 60}}));
}

TEST(PointerQuick, DeletedNodesArePooledUpToSixteenAndReused) {
    TPointerQuick list;
    for (int n = 0; n < 20; ++n)
        list.Add(P(n));
    EXPECT_EQ(list.FreeCacheCount(), 0);
    for (int n = 0; n < 5; ++n)
        list.Remove(P(n));
    EXPECT_EQ(list.FreeCacheCount(), 5);
    list.Clear();
    EXPECT_EQ(list.FreeCacheCount(), TPointerQuick::MaxFreeCache);
    EXPECT_EQ(TPointerQuick::MaxFreeCache, 16);

    list.Add(P(1), P(2));
    list.Node(0)->Str = u"label";
    EXPECT_EQ(list.FreeCacheCount(), 15);
    list.Delete(0);
    list.Add(P(3));
    EXPECT_TRUE(list.Node(0)->Str.empty()) << "a reused node starts blank";
    EXPECT_EQ(list.GetValueFromIndex(0), nullptr);
}

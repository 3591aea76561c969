#include "platform/rtl/List.h"

#include "platform/rtl/Exception.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rtl;

namespace {

// Entries are small integers disguised as pointers; 0 is nil.
void* P(intptr_t n) {
    return reinterpret_cast<void*>(n);
}
intptr_t N(void* p) {
    return reinterpret_cast<intptr_t>(p);
}

// Records every notification as "+n", "-n" (deleted) or "~n" (extracted).
class TLoggingList : public TList {
public:
    std::vector<std::string> Log;
    std::vector<int> CountSeen; // Count() at the time of each notification

    std::vector<intptr_t> Contents() {
        std::vector<intptr_t> out;
        for (int i = 0; i < Count(); ++i)
            out.push_back(N(Items(i)));
        return out;
    }

protected:
    void Notify(void* Ptr, TListNotification Action) override {
        const char* sign = Action == lnAdded ? "+" : Action == lnDeleted ? "-" : "~";
        Log.push_back(sign + std::to_string(N(Ptr)));
        CountSeen.push_back(Count());
    }
};

TLoggingList* Filled(TLoggingList& list, std::initializer_list<intptr_t> items) {
    for (intptr_t n : items)
        list.Add(P(n));
    list.Log.clear();
    list.CountSeen.clear();
    return &list;
}

int CompareNumbers(void* a, void* b) {
    return static_cast<int>(N(a) - N(b));
}
int CompareTens(void* a, void* b) {
    return static_cast<int>(N(a) / 10 - N(b) / 10);
}

} // namespace

TEST(List, EditsKeepOrderAndNotifyOnlyNonNilEntriesAfterTheChange) {
    struct Row {
        const char* name;
        void (*edit)(TLoggingList&);
        std::vector<intptr_t> contents;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {"add", [](TLoggingList& l) { EXPECT_EQ(l.Add(P(9)), 3); }, {1, 2, 3, 9}, {"+9"}},
        {"add nil", [](TLoggingList& l) { l.Add(nullptr); }, {1, 2, 3, 0}, {}},
        {"insert", [](TLoggingList& l) { l.Insert(1, P(7)); }, {1, 7, 2, 3}, {"+7"}},
        {"insert at end", [](TLoggingList& l) { l.Insert(3, P(7)); }, {1, 2, 3, 7}, {"+7"}},
        {"delete", [](TLoggingList& l) { l.Delete(0); }, {2, 3}, {"-1"}},
        {"remove", [](TLoggingList& l) { EXPECT_EQ(l.Remove(P(3)), 2); }, {1, 2}, {"-3"}},
        {"remove absent", [](TLoggingList& l) { EXPECT_EQ(l.Remove(P(8)), -1); }, {1, 2, 3}, {}},
        {"extract", [](TLoggingList& l) { EXPECT_EQ(l.Extract(P(2)), P(2)); }, {1, 3}, {"~2"}},
        {"extract absent", [](TLoggingList& l) { EXPECT_EQ(l.Extract(P(8)), nullptr); }, {1, 2, 3}, {}},
        {"put", [](TLoggingList& l) { l.Put(1, P(5)); }, {1, 5, 3}, {"-2", "+5"}},
        {"put same", [](TLoggingList& l) { l.Put(1, P(2)); }, {1, 2, 3}, {}},
        {"clear", [](TLoggingList& l) { l.Clear(); }, {}, {"-3", "-2", "-1"}},
        {"shrink count", [](TLoggingList& l) { l.SetCount(1); }, {1}, {"-3", "-2"}},
        {"grow count", [](TLoggingList& l) { l.SetCount(5); }, {1, 2, 3, 0, 0}, {}},
        {"exchange", [](TLoggingList& l) { l.Exchange(0, 2); }, {3, 2, 1}, {}},
        {"move forward", [](TLoggingList& l) { l.Move(0, 2); }, {2, 3, 1}, {}},
        {"move back", [](TLoggingList& l) { l.Move(2, 0); }, {3, 1, 2}, {}},
        {"pack",
         [](TLoggingList& l) {
             l.Put(1, nullptr);
             l.Add(nullptr);
             l.Log.clear();
             l.Pack();
         },
         {1, 3},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TLoggingList list;
        row.edit(*Filled(list, {1, 2, 3}));
        EXPECT_EQ(list.Contents(), row.contents);
        EXPECT_EQ(list.Log, row.log);
    }
}

TEST(List, NotifyRunsAfterTheEntryHasLeftOrEntered) {
    TLoggingList list;
    Filled(list, {1, 2});
    list.Delete(0);
    list.Add(P(4));
    EXPECT_EQ(list.CountSeen, (std::vector<int>{1, 2}));
}

TEST(List, BadIndexesRaiseListErrorWithTheIndex) {
    struct Row {
        const char* name;
        void (*call)(TList&);
        const char16_t* message;
    };
    const Row rows[] = {
        {"items -1", [](TList& l) { (void)l.Items(-1); }, u"List index out of bounds (-1)"},
        {"items count", [](TList& l) { (void)l.Items(2); }, u"List index out of bounds (2)"},
        {"put", [](TList& l) { l.Put(2, nullptr); }, u"List index out of bounds (2)"},
        {"insert past end", [](TList& l) { l.Insert(3, nullptr); }, u"List index out of bounds (3)"},
        {"delete", [](TList& l) { l.Delete(5); }, u"List index out of bounds (5)"},
        {"exchange", [](TList& l) { l.Exchange(0, 7); }, u"List index out of bounds (7)"},
        {"move", [](TList& l) { l.Move(-3, 0); }, u"List index out of bounds (-3)"},
        {"count", [](TList& l) { l.SetCount(-1); }, u"List count out of bounds (-1)"},
        {"capacity", [](TList& l) { l.SetCapacity(1); }, u"List capacity out of bounds (1)"},
        {"huge capacity", [](TList& l) { l.SetCapacity(0x7FFFFFFF); },
         u"List capacity out of bounds (2147483647)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TList list;
        list.Add(P(1));
        list.Add(P(2));
        try {
            row.call(list);
            ADD_FAILURE() << "no exception";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), row.message);
        }
        EXPECT_EQ(list.Count(), 2);
    }
}

TEST(List, FirstLastAndEmptyList) {
    TList list;
    EXPECT_THROW((void)list.First(), EListError);
    EXPECT_THROW((void)list.Last(), EListError);
    list.Add(P(4));
    list.Add(P(5));
    EXPECT_EQ(list.First(), P(4));
    EXPECT_EQ(list.Last(), P(5));
    EXPECT_EQ(list.List()[1], P(5));
}

TEST(List, SortIsStableAndCapacityFollowsRequests) {
    TLoggingList list;
    Filled(list, {31, 12, 35, 11, 20});
    list.Sort(CompareTens);
    EXPECT_EQ(list.Contents(), (std::vector<intptr_t>{12, 11, 20, 31, 35}));
    list.Sort(CompareNumbers);
    EXPECT_EQ(list.Contents(), (std::vector<intptr_t>{11, 12, 20, 31, 35}));
    EXPECT_TRUE(list.Log.empty());

    list.SetCapacity(100);
    EXPECT_GE(list.Capacity(), 100);
    list.Clear();
    EXPECT_EQ(list.Capacity(), 0);
}

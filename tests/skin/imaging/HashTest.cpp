#include "skin/imaging/PointerHash.h"
#include "skin/imaging/StringHash.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

using namespace skin;

namespace {

void* P(intptr_t n) {
    return reinterpret_cast<void*>(n);
}
intptr_t N(void* p) {
    return reinterpret_cast<intptr_t>(p);
}

// Counts disposed items and reads the user's parameter from the table.
class TDisposeLog : public rtl::TObject {
public:
    std::vector<intptr_t> Values;
    std::vector<void*> Params;
    void Dispose(rtl::TObject* sender, THashItem* item) {
        Values.push_back(N(item->Value));
        Params.push_back(static_cast<TBaseHash*>(sender)->DisposeEventParams);
    }
};

// The items of a one-bucket table must be chained through Next in
// (hash, key, value) order, ending in nullptr.
void ExpectChainedInOrder(std::vector<THashItem*> items) {
    std::sort(items.begin(), items.end(), [](THashItem* a, THashItem* b) {
        return std::tuple(a->Hash, a->Key, N(a->Value)) < std::tuple(b->Hash, b->Key, N(b->Value));
    });
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i]->Next, i + 1 < items.size() ? items[i + 1] : nullptr) << "item " << i;
}

} // namespace

TEST(StringHash, RotatesLeftByTwoAndXorsEachUtf16Unit) {
    const struct {
        const char* name;
        rtl::String key;
        uint32_t hash;
    } rows[] = {
        {"empty", u"", 0},
        {"two letters", u"ab", (97u << 2) ^ 98u},
        {"full turn", u"a" + rtl::String(16, u'\0'), 97u},
        {"wraps high bits", u"\xFFFF" + rtl::String(15, u'\0'), (0xFFFFu >> 2) | (0x3u << 30)},
        {"beyond Latin-1", u"\x4E2D", 0x4E2Du},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TStringHash::HashOf(row.key), row.hash) << row.name;
    EXPECT_EQ(TStringHash::HashOf(u"ab"), 486u);
}

TEST(StringHash, KeysAreCaseSensitive) {
    TStringHash hash;
    hash.Add(u"a", P(1));
    hash.Add(u"A", P(2));
    EXPECT_EQ(hash.ValueOf(u"a"), P(1));
    EXPECT_EQ(hash.ValueOf(u"A"), P(2));
    EXPECT_TRUE(hash.Remove(u"A"));
    EXPECT_EQ(hash.ValueOf(u"A", P(-1)), P(-1));
    EXPECT_EQ(hash.ValueOf(u"a"), P(1));

    void* got = P(99);
    EXPECT_FALSE(hash.Find(u"b", nullptr, &got));
    EXPECT_EQ(got, nullptr);
}

TEST(StringHash, FindModifyAndRemoveHonourTheCheckValue) {
    TStringHash hash(4);
    hash.Add(u"key", P(7));
    hash.Add(u"key", P(3));
    void* seven = P(7);
    void* five = P(5);
    void* got = nullptr;
    EXPECT_TRUE(hash.Find(u"key", &seven, &got));
    EXPECT_EQ(got, P(7));
    EXPECT_FALSE(hash.Find(u"key", &five));
    EXPECT_FALSE(hash.Modify(u"key", P(1), &five));
    EXPECT_TRUE(hash.Modify(u"key", P(9), &seven));
    EXPECT_TRUE(hash.Find(u"key", nullptr, &got));
    EXPECT_EQ(got, P(3)) << "the first item of the key is the smallest value";
    EXPECT_FALSE(hash.Remove(u"key", &seven));
    EXPECT_TRUE(hash.Remove(u"key"));
    EXPECT_EQ(hash.ValueOf(u"key"), P(9));
    EXPECT_EQ(hash.Counter(), 1);
}

TEST(StringHash, BucketStaysOrderedAndChainedThroughInsertsRemovesAndModifies) {
    TStringHash hash(1);
    std::vector<THashItem*> items;
    for (const char16_t* key : {u"pear", u"apple", u"fig", u"apple", u"kiwi", u"Fig", u"plum"})
        items.push_back(hash.Add(key, P(static_cast<intptr_t>(items.size()))));
    ExpectChainedInOrder(items);

    // Forget the items about to be removed while their fields are intact.
    auto forget = [&items](const char16_t* key, intptr_t value) {
        std::erase_if(items, [&](THashItem* item) { return item->Key == key && N(item->Value) == value; });
    };
    forget(u"kiwi", 4);
    forget(u"pear", 0);
    void* first = P(1);
    ASSERT_TRUE(hash.Remove(u"kiwi"));
    ASSERT_TRUE(hash.Remove(u"pear"));
    ASSERT_TRUE(hash.Modify(u"apple", P(50), &first)); // now sorts after the other apple
    ASSERT_EQ(items.size(), 5u);
    for (THashItem* item : items)
        ASSERT_TRUE(hash.Find(item->Key, &item->Value)) << rtl::StringToUtf8(item->Key);
    ExpectChainedInOrder(items);
}

TEST(PointerHash, EqualKeysKeepBucketOrderByValue) {
    struct Row {
        intptr_t v1, v2;
    };
    for (Row row : {Row{0x10, 0x20}, Row{0x20, 0x10}}) {
        SCOPED_TRACE(row.v1);
        TPointerHash hash;
        void* key = P(0x4000);
        PHashItem a = hash.Add(key, P(row.v1));
        PHashItem b = hash.Add(key, P(row.v2));
        EXPECT_EQ((row.v1 < row.v2 ? a : b)->Next, row.v1 < row.v2 ? b : a);

        void* second = P(row.v2);
        void* got = nullptr;
        EXPECT_TRUE(hash.Find(key, &second, &got));
        EXPECT_EQ(got, second);

        ASSERT_TRUE(hash.Remove(key));
        EXPECT_EQ(hash.GetValue(key), P(std::max(row.v1, row.v2)));
        EXPECT_EQ(hash.Counter(), 1);
    }
}

TEST(PointerHash, KeysSharingABucketStayApart) {
    TPointerHash hash(16);
    for (intptr_t k : {1, 17, 33, 2})
        hash.SetValue(P(k), P(k * 10));
    hash.SetValue(P(17), P(171));
    EXPECT_EQ(hash.Counter(), 4);
    EXPECT_EQ(hash.Values(P(1)), P(10));
    EXPECT_EQ(hash.Values(P(17)), P(171));
    EXPECT_EQ(hash.Values(P(33)), P(330));
    EXPECT_EQ(hash.Values(P(49)), nullptr);
    EXPECT_TRUE(hash.Modify(P(33), P(0)));
    EXPECT_TRUE(hash.Find(P(33)));
    EXPECT_FALSE(hash.Remove(P(49)));
}

TEST(BaseHash, RemovalAndClearDisposeAndRecycleAtMostTwoItems) {
    TDisposeLog log;
    int params = 0;
    {
        TPointerHash hash(0); // clamped to one bucket
        EXPECT_EQ(hash.BucketCount(), 1);
        hash.DisposeEvent = {&log, &TDisposeLog::Dispose};
        hash.DisposeEventParams = &params;
        for (intptr_t k = 1; k <= 6; ++k)
            hash.Add(P(k), P(k * 10));
        EXPECT_EQ(hash.Counter(), 6);
        hash.Remove(P(2));
        hash.Remove(P(4));
        hash.Remove(P(6));
        EXPECT_EQ(hash.FreeUseCount(), TBaseHash::MaxFreeUse);
        EXPECT_EQ(TBaseHash::MaxFreeUse, 2);
        EXPECT_EQ(hash.Counter(), 3);

        hash.Add(P(8), P(80));
        EXPECT_EQ(hash.FreeUseCount(), 1) << "an add reuses a pooled item";
        hash.Clear();
        EXPECT_EQ(hash.Counter(), 0);
        EXPECT_FALSE(hash.Find(P(1)));
        hash.Add(P(9), P(90)); // left for the destructor
    }
    EXPECT_EQ(log.Values, (std::vector<intptr_t>{20, 40, 60, 10, 30, 50, 80, 90}));
    EXPECT_EQ(log.Params, std::vector<void*>(8, &params));
}

#pragma once

// The class library's concrete string list: optional sorting with a
// duplicates policy, binary search, owned objects and change events.

#include "platform/rtl/Event.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Types.h"

#include <vector>

namespace rtl {

class TStringList;

// Orders two entries of the list by index: negative, zero or positive.
using TStringListSortCompare = int (*)(TStringList* list, int index1, int index2);

class TStringList : public TStrings {
    RTL_CLASS(TStringList, TStrings)
public:
    explicit TStringList(bool ownsObjects = false);
    // A pointer would silently become the Boolean: refuse it.
    template <typename T>
    TStringList(T*) = delete;
    ~TStringList() override;

    [[nodiscard]] String Get(int index) const override;
    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] TObject* GetObject(int index) const override;
    // Not allowed on a sorted list.
    void Put(int index, const String& s) override;
    void PutObject(int index, TObject* object) override;
    // A sorted list inserts at the sorted position and applies Duplicates.
    int Add(const String& s) override;
    int AddObject(const String& s, TObject* object) override;
    // Not allowed on a sorted list.
    void Insert(int index, const String& s) override;
    void InsertObject(int index, const String& s, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;
    // Not allowed on a sorted list.
    void Exchange(int index1, int index2) override;
    void Move(int curIndex, int newIndex) override;
    // A binary search (Find) when sorted, else a linear one.
    [[nodiscard]] int IndexOf(const String& s) const override;

    // Binary search over a sorted list: true with the first equal entry's
    // index, or false with the index where s would be inserted.
    virtual bool Find(const String& s, int& index) const;
    // Sorts an unsorted list (the order of equal entries is unspecified).
    virtual void Sort();
    virtual void CustomSort(TStringListSortCompare compare);

    [[nodiscard]] bool Sorted() const noexcept { return FSorted; }
    // Switching sorting on sorts the list.
    void SetSorted(bool value);
    [[nodiscard]] TDuplicates Duplicates() const noexcept { return FDuplicates; }
    void SetDuplicates(TDuplicates value) noexcept { FDuplicates = value; }
    // Off (the default): AnsiCompareText; on: AnsiCompareStr. A sorted list re-sorts.
    [[nodiscard]] bool CaseSensitive() const noexcept { return FCaseSensitive; }
    void SetCaseSensitive(bool value);
    // An owning list frees the objects of deleted lines and on destruction.
    [[nodiscard]] bool OwnsObjects() const noexcept { return FOwnsObjects; }
    void SetOwnsObjects(bool value) noexcept { FOwnsObjects = value; }

    [[nodiscard]] const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
    void SetOnChange(TNotifyEvent event) noexcept { FOnChange = event; }
    [[nodiscard]] const TNotifyEvent& OnChanging() const noexcept { return FOnChanging; }
    void SetOnChanging(TNotifyEvent event) noexcept { FOnChanging = event; }

    // CompareStrings of the entries at two indexes (the default sort order).
    [[nodiscard]] int CompareStringsOf(int index1, int index2) const;

protected:
    // Fire OnChange / OnChanging unless an update bracket is open.
    virtual void Changed();
    virtual void Changing();
    void SetUpdateState(bool updating) override;
    [[nodiscard]] int CompareStrings(const String& s1, const String& s2) const override;
    // Inserts without checks, between Changing and Changed.
    virtual void InsertItem(int index, const String& s, TObject* object);
    // Swaps two entries without checks or notifications.
    void ExchangeItems(int index1, int index2);

private:
    // Trivially copyable, so inserting into a long sorted list and sorting
    // move 16-byte entries with memmove instead of strings one by one. The
    // list owns FString.
    struct TStringItem {
        String* FString;
        TObject* FObject;
    };

    void CheckIndex(int index) const;
    // Empties the list and returns the objects it held.
    std::vector<TObject*> ReleaseAll();
    void QuickSort(int lo, int hi, TStringListSortCompare compare, int depthLimit);
    void HeapSort(int lo, int hi, TStringListSortCompare compare);
    void SiftDown(int lo, int root, int count, TStringListSortCompare compare);

    std::vector<TStringItem> FList;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    bool FOwnsObjects;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnChanging;
};

} // namespace rtl

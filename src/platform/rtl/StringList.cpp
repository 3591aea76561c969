#include "platform/rtl/StringList.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/StringUtils.h"

#include <memory>
#include <utility>

namespace rtl {

RTL_IMPLEMENT_CLASS(TStringList)

TStringList::TStringList(bool ownsObjects) : FOwnsObjects(ownsObjects) {}

TStringList::~TStringList() {
    FOnChange.Clear();
    FOnChanging.Clear();
    std::vector<TStringItem> items;
    items.swap(FList);
    for (auto& item : items) {
        delete item.FString;
        if (FOwnsObjects)
            FreeAndNil(item.FObject);
    }
}

std::vector<TObject*> TStringList::ReleaseAll() {
    std::vector<TObject*> objects;
    objects.reserve(FList.size()); // the only step that can fail, before any change
    for (auto& item : FList) {
        delete item.FString;
        objects.push_back(item.FObject);
    }
    std::vector<TStringItem>().swap(FList);
    return objects;
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= static_cast<int>(FList.size()))
        Error(SListIndexError, index);
}

String TStringList::Get(int index) const {
    CheckIndex(index);
    return *FList[static_cast<std::size_t>(index)].FString;
}

int TStringList::GetCount() const {
    return static_cast<int>(FList.size());
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index);
    return FList[static_cast<std::size_t>(index)].FObject;
}

void TStringList::Put(int index, const String& s) {
    if (FSorted)
        Error(SSortedListError, 0);
    CheckIndex(index);
    Changing();
    *FList[static_cast<std::size_t>(index)].FString = s;
    Changed();
}

void TStringList::PutObject(int index, TObject* object) {
    CheckIndex(index);
    Changing();
    FList[static_cast<std::size_t>(index)].FObject = object;
    Changed();
}

int TStringList::Add(const String& s) {
    return AddObject(s, nullptr);
}

int TStringList::AddObject(const String& s, TObject* object) {
    int index = GetCount();
    if (FSorted && Find(s, index)) {
        switch (FDuplicates) {
        case dupIgnore:
            return index;
        case dupError:
            Error(SDuplicateString, 0);
        case dupAccept:
            break;
        }
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::Insert(int index, const String& s) {
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int index, const String& s, TObject* object) {
    if (FSorted)
        Error(SSortedListError, 0);
    if (index < 0 || index > GetCount())
        Error(SListIndexError, index);
    InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const String& s, TObject* object) {
    Changing();
    auto text = std::make_unique<String>(s);
    FList.insert(FList.begin() + index, TStringItem{text.get(), object});
    text.release();
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    Changing();
    TStringItem item = FList[static_cast<std::size_t>(index)];
    FList.erase(FList.begin() + index);
    delete item.FString;
    TObject* object = FOwnsObjects ? item.FObject : nullptr;
    // Freed after removal, so that its destructor sees a consistent list.
    FreeAndNil(object);
    Changed();
}

void TStringList::Clear() {
    if (FList.empty())
        return;
    Changing();
    std::vector<TObject*> objects = ReleaseAll();
    if (FOwnsObjects)
        for (TObject* object : objects)
            FreeAndNil(object);
    Changed();
}

void TStringList::ExchangeItems(int index1, int index2) {
    std::swap(FList[static_cast<std::size_t>(index1)], FList[static_cast<std::size_t>(index2)]);
}

void TStringList::Exchange(int index1, int index2) {
    if (FSorted)
        Error(SSortedListError, 0);
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    ExchangeItems(index1, index2);
    Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex)
        return;
    // Checked before anything changes: the generic delete-and-insert would
    // lose the line on a sorted list.
    if (FSorted)
        Error(SSortedListError, 0);
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    Changing();
    TStringItem item = FList[static_cast<std::size_t>(curIndex)];
    FList.erase(FList.begin() + curIndex);
    FList.insert(FList.begin() + newIndex, item);
    Changed();
}

int TStringList::IndexOf(const String& s) const {
    if (!FSorted)
        return TStrings::IndexOf(s);
    int index = -1;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const String& s, int& index) const {
    // Lower bound: on equality keep searching to the left, so the first equal
    // entry is found whatever the duplicates policy.
    int lo = 0, hi = GetCount() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = lo + (hi - lo) / 2;
        int c = CompareStrings(*FList[static_cast<std::size_t>(mid)].FString, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    index = lo;
    return found;
}

namespace {

int CompareByList(TStringList* list, int index1, int index2) {
    return list->CompareStringsOf(index1, index2);
}

} // namespace

int TStringList::CompareStringsOf(int index1, int index2) const {
    return CompareStrings(*FList[static_cast<std::size_t>(index1)].FString,
                          *FList[static_cast<std::size_t>(index2)].FString);
}

void TStringList::Sort() {
    CustomSort(CompareByList);
}

void TStringList::CustomSort(TStringListSortCompare compare) {
    if (FSorted || FList.size() < 2)
        return;
    Changing();
    int depthLimit = 2;
    for (std::size_t n = FList.size(); n > 1; n >>= 1)
        depthLimit += 2;
    QuickSort(0, GetCount() - 1, compare, depthLimit);
    Changed();
}

// The comparison takes indexes into the list, so the sort works in place by
// exchanging entries: a quicksort on the middle element that falls back to a
// heapsort when partitions keep degenerating (bounded O(n log n)).
void TStringList::QuickSort(int lo, int hi, TStringListSortCompare compare, int depthLimit) {
    while (lo < hi) {
        if (depthLimit-- == 0) {
            HeapSort(lo, hi, compare);
            return;
        }
        int i = lo, j = hi, pivot = lo + (hi - lo) / 2;
        while (i <= j) {
            // The bounds keep an inconsistent comparison inside the range.
            while (i < hi && compare(this, i, pivot) < 0)
                ++i;
            while (j > lo && compare(this, j, pivot) > 0)
                --j;
            if (i <= j) {
                if (i != j) {
                    ExchangeItems(i, j);
                    if (pivot == i)
                        pivot = j;
                    else if (pivot == j)
                        pivot = i;
                }
                ++i;
                --j;
            }
        }
        // Recurse into the smaller part, loop over the larger one.
        if (j - lo < hi - i) {
            QuickSort(lo, j, compare, depthLimit);
            lo = i;
        } else {
            QuickSort(i, hi, compare, depthLimit);
            hi = j;
        }
    }
}

void TStringList::SiftDown(int lo, int root, int count, TStringListSortCompare compare) {
    for (;;) {
        int child = 2 * root + 1;
        if (child >= count)
            return;
        if (child + 1 < count && compare(this, lo + child, lo + child + 1) < 0)
            ++child;
        if (compare(this, lo + root, lo + child) >= 0)
            return;
        ExchangeItems(lo + root, lo + child);
        root = child;
    }
}

void TStringList::HeapSort(int lo, int hi, TStringListSortCompare compare) {
    int count = hi - lo + 1;
    for (int root = count / 2 - 1; root >= 0; --root)
        SiftDown(lo, root, count, compare);
    for (int end = count - 1; end > 0; --end) {
        ExchangeItems(lo, lo + end);
        SiftDown(lo, 0, end, compare);
    }
}

void TStringList::SetSorted(bool value) {
    if (FSorted == value)
        return;
    if (value)
        Sort();
    FSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
    if (FCaseSensitive == value)
        return;
    FCaseSensitive = value;
    if (FSorted) {
        // The order depends on the comparison: sort again.
        FSorted = false;
        SetSorted(true);
    }
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && FOnChange)
        FOnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && FOnChanging)
        FOnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
    if (updating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(const String& s1, const String& s2) const {
    return FCaseSensitive ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

} // namespace rtl

#include "platform/rtl/List.h"

#include "platform/rtl/Exception.h"

#include <algorithm>
#include <string>

namespace rtl {

namespace {

// The class library's ceiling on list sizes; a request above it is an error
// rather than an attempt to allocate gigabytes.
constexpr int MaxListSize = 0x7FFFFFFF / 16;

} // namespace

RTL_IMPLEMENT_CLASS(TList)

TList::~TList() {
    // A descendant's Notify is gone by now; descendants that own their
    // entries clear themselves in their own destructor.
    Clear();
}

int TList::Add(void* Item) {
    int index = Count();
    Insert(index, Item);
    return index;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > Count())
        Error(u"List index out of bounds (%d)", Index);
    if (Count() >= MaxListSize)
        Error(u"List count out of bounds (%d)", Count() + 1);
    FList.insert(FList.begin() + Index, Item);
    if (Item)
        Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
    CheckIndex(Index);
    void* item = FList[Index];
    FList.erase(FList.begin() + Index);
    if (item)
        Notify(item, lnDeleted);
}

int TList::Remove(void* Item) {
    int index = IndexOf(Item);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TList::Extract(void* Item) {
    int index = IndexOf(Item);
    if (index < 0)
        return nullptr;
    FList.erase(FList.begin() + index);
    Notify(Item, lnExtracted);
    return Item;
}

void TList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

int TList::IndexOf(void* Item) const {
    auto found = std::find(FList.begin(), FList.end(), Item);
    return found == FList.end() ? -1 : static_cast<int>(found - FList.begin());
}

void* TList::Items(int Index) const {
    CheckIndex(Index);
    return FList[Index];
}

void TList::Put(int Index, void* Item) {
    CheckIndex(Index);
    void* old = FList[Index];
    if (old == Item)
        return;
    FList[Index] = Item;
    if (old)
        Notify(old, lnDeleted);
    if (Item)
        Notify(Item, lnAdded);
}

void TList::SetCount(int NewCount) {
    if (NewCount < 0 || NewCount > MaxListSize)
        Error(u"List count out of bounds (%d)", NewCount);
    if (NewCount > Count()) {
        FList.resize(NewCount, nullptr);
        return;
    }
    // One at a time from the end, so Notify sees a consistent list.
    while (Count() > NewCount)
        Delete(Count() - 1);
}

void TList::SetCapacity(int NewCapacity) {
    if (NewCapacity < Count() || NewCapacity > MaxListSize)
        Error(u"List capacity out of bounds (%d)", NewCapacity);
    if (NewCapacity > Capacity())
        FList.reserve(NewCapacity);
    else if (NewCapacity < Capacity())
        FList.shrink_to_fit();
}

void TList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FList[Index1], FList[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex)
        return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    auto first = FList.begin();
    if (CurIndex < NewIndex)
        std::rotate(first + CurIndex, first + CurIndex + 1, first + NewIndex + 1);
    else
        std::rotate(first + NewIndex, first + CurIndex, first + CurIndex + 1);
}

void* TList::First() const {
    return Items(0);
}

void* TList::Last() const {
    return Items(Count() - 1);
}

void TList::Pack() {
    std::erase(FList, nullptr);
}

void TList::Sort(TListSortCompare Compare) {
    if (!Compare)
        return;
    std::stable_sort(FList.begin(), FList.end(), [Compare](void* a, void* b) { return Compare(a, b) < 0; });
}

void TList::Notify(void* /*Ptr*/, TListNotification /*Action*/) {}

void TList::Error(const char16_t* Message, int Data) {
    String text(Message);
    if (auto at = text.find(u"%d"); at != String::npos)
        text.replace(at, 2, AsciiToString(std::to_string(Data)));
    throw EListError(text);
}

void TList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count())
        Error(u"List index out of bounds (%d)", Index);
}

} // namespace rtl

#include "skin/imaging/PointerQuick.h"

#include "platform/rtl/Exception.h"

#include <algorithm>

namespace skin {

namespace {

int CompareAddresses(const void* a, const void* b) {
    auto x = reinterpret_cast<uintptr_t>(a);
    auto y = reinterpret_cast<uintptr_t>(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

} // namespace

RTL_IMPLEMENT_CLASS(TPointerQuick)

TPointerQuick::~TPointerQuick() {
    // The base destructor can no longer reach this class's Notify.
    Clear();
    while (FFreeCache) {
        TBaseQuickListItem* node = FFreeCache;
        FFreeCache = node->UnNext;
        delete node;
    }
}

void TPointerQuick::SetSorted(bool Value) {
    if (Value && !FSorted) {
        void** first = List();
        std::stable_sort(first, first + Count(), [this](void* a, void* b) {
            auto* right = static_cast<TBaseQuickListItem*>(b);
            return Compare(static_cast<TBaseQuickListItem*>(a), right->Obj, &right->Value) < 0;
        });
    }
    FSorted = Value;
}

int TPointerQuick::Add(void* Obj, void* Value) {
    int index = Count();
    if (FSorted && Find(Obj, index, &Value)) {
        if (FDuplicates == rtl::dupIgnore)
            return index;
        if (FDuplicates == rtl::dupError)
            DuplicateError(Obj);
    }
    TBaseQuickListItem* node = NewNode(Obj, Value);
    try {
        TList::Insert(index, node);
    } catch (...) {
        Recycle(node);
        throw;
    }
    return index;
}

bool TPointerQuick::Find(void* Obj, int& Index, void* const* PValue) const {
    if (!FSorted) {
        for (int i = 0; i < Count(); ++i) {
            if (Compare(Node(i), Obj, PValue) == 0) {
                Index = i;
                return true;
            }
        }
        Index = Count();
        return false;
    }
    // On equality keep searching to the left, so the first equal entry wins.
    int low = 0;
    int high = Count() - 1;
    bool found = false;
    while (low <= high) {
        int mid = low + (high - low) / 2;
        int c = Compare(Node(mid), Obj, PValue);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            found = found || c == 0;
        }
    }
    Index = low;
    return found;
}

int TPointerQuick::IndexOf(void* Obj, void* const* PValue) const {
    int index = -1;
    return Find(Obj, index, PValue) ? index : -1;
}

int TPointerQuick::Remove(void* Obj, void* const* PValue) {
    int index = IndexOf(Obj, PValue);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TPointerQuick::GetValue(void* Obj) const {
    int index = IndexOf(Obj);
    return index >= 0 ? Node(index)->Value : nullptr;
}

void TPointerQuick::SetValue(void* Obj, void* Value) {
    int index = IndexOf(Obj);
    if (index < 0)
        Add(Obj, Value);
    else
        SetValueFromIndex(index, Value);
}

void TPointerQuick::SetValueFromIndex(int Index, void* Value) {
    Node(Index)->Value = Value;
    // Entries of one object are ordered by value; keep that true.
    Reposition(Index);
}

void TPointerQuick::Notify(void* Ptr, rtl::TListNotification Action) {
    if (Action != rtl::lnDeleted)
        return;
    auto* node = static_cast<TBaseQuickListItem*>(Ptr);
    try {
        if (DisposeEvent)
            DisposeEvent(this, node);
    } catch (...) {
        Recycle(node);
        throw;
    }
    Recycle(node);
}

int TPointerQuick::Compare(TBaseQuickListItem* Item, void* PObj, void* const* PValue) const {
    if (OnCompareItem)
        return OnCompareItem(Item, PObj, PValue);
    int c = CompareAddresses(Item->Obj, PObj);
    if (c == 0 && PValue)
        c = CompareAddresses(Item->Value, *PValue);
    return c;
}

TBaseQuickListItem* TPointerQuick::NewNode(void* Obj, void* Value) {
    TBaseQuickListItem* node = FFreeCache;
    if (node) {
        FFreeCache = node->UnNext;
        --FFreeCacheCount;
        node->UnNext = nullptr;
    } else {
        node = new TBaseQuickListItem;
    }
    node->Obj = Obj;
    node->Value = Value;
    return node;
}

void TPointerQuick::Recycle(TBaseQuickListItem* Node) {
    if (FFreeCacheCount >= MaxFreeCache) {
        delete Node;
        return;
    }
    *Node = TBaseQuickListItem{};
    Node->UnNext = FFreeCache;
    FFreeCache = Node;
    ++FFreeCacheCount;
}

void TPointerQuick::Reposition(int Index) {
    if (!FSorted)
        return;
    TBaseQuickListItem* node = Node(Index);
    bool afterPrevious = Index == 0 || Compare(Node(Index - 1), node->Obj, &node->Value) <= 0;
    bool beforeNext = Index == Count() - 1 || Compare(Node(Index + 1), node->Obj, &node->Value) >= 0;
    if (afterPrevious && beforeNext)
        return;
    // Extracting and inserting a node notifies nothing that would recycle it.
    TList::Extract(node);
    int target = Count();
    Find(node->Obj, target, &node->Value);
    TList::Insert(target, node);
}

void TPointerQuick::DuplicateError(void* Obj) {
    static const char16_t digits[] = u"0123456789ABCDEF";
    rtl::String hex;
    auto n = reinterpret_cast<uintptr_t>(Obj);
    do {
        hex.insert(hex.begin(), digits[n & 15]);
        n >>= 4;
    } while (n);
    throw rtl::EListError(u"List does not allow duplicates ($0" + hex + u")");
}

} // namespace skin

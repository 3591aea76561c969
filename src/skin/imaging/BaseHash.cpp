#include "skin/imaging/BaseHash.h"

#include <algorithm>

namespace skin {

RTL_IMPLEMENT_ABSTRACT_CLASS(TBaseHash)

TBaseHash::TBaseHash(int Size)
    : FBuckets(std::make_unique<rtl::TList[]>(std::max(Size, 1))), FBucketCount(std::max(Size, 1)) {}

TBaseHash::~TBaseHash() {
    Clear();
    while (FFreeUse) {
        THashItem* item = FFreeUse;
        FFreeUse = item->UnNext;
        delete item;
    }
}

void TBaseHash::Clear() {
    for (int b = 0; b < FBucketCount; ++b) {
        rtl::TList& bucket = FBuckets[b];
        // Take the items out first, so a throwing dispose handler cannot
        // leave recycled items behind in the bucket.
        while (bucket.Count() > 0) {
            auto* item = static_cast<THashItem*>(bucket.Items(0));
            bucket.Delete(0);
            Dispose(item);
        }
        bucket.Clear();
    }
}

TBaseHash::TProbe TBaseHash::MakeProbe(uintptr_t Hash, rtl::StringView Key, void* const* CheckValue) {
    TProbe probe;
    probe.Hash = Hash;
    probe.Key = Key;
    if (CheckValue) {
        probe.Value = *CheckValue;
        probe.CheckValue = true;
    }
    return probe;
}

PHashItem TBaseHash::InsertItem(uintptr_t Hash, rtl::StringView Key, void* Value) {
    THashItem* item = FFreeUse;
    if (item) {
        FFreeUse = item->UnNext;
        --FFreeUseCount;
        item->UnNext = nullptr;
    } else {
        item = new THashItem;
    }
    item->Hash = Hash;
    item->Key.assign(Key);
    item->Value = Value;
    ++FCounter;
    try {
        Link(Lookup(MakeProbe(Hash, Key, &Value)), item);
    } catch (...) {
        Recycle(item);
        throw;
    }
    return item;
}

bool TBaseHash::FindItem(const TProbe& Probe, void** GetValue) const {
    THashItem* found = Lookup(Probe).Found;
    if (GetValue)
        *GetValue = found ? found->Value : nullptr;
    return found != nullptr;
}

bool TBaseHash::ModifyItem(const TProbe& Probe, void* NewValue) {
    TPosition pos = Lookup(Probe);
    THashItem* item = pos.Found;
    if (!item)
        return false;
    // Items of one key are ordered by value, so a new value may move the item.
    Unlink(pos);
    item->Value = NewValue;
    Link(Lookup(MakeProbe(item->Hash, item->Key, &NewValue)), item);
    return true;
}

bool TBaseHash::RemoveItem(const TProbe& Probe) {
    TPosition pos = Lookup(Probe);
    if (!pos.Found)
        return false;
    Unlink(pos);
    Dispose(pos.Found);
    return true;
}

TBaseHash::TPosition TBaseHash::Lookup(const TProbe& Probe) const {
    TPosition pos;
    pos.Bucket = &FBuckets[Probe.Hash % static_cast<uintptr_t>(FBucketCount)];
    // On equality keep searching to the left, so the first equal item wins.
    int low = 0;
    int high = pos.Bucket->Count() - 1;
    while (low <= high) {
        int mid = low + (high - low) / 2;
        auto* item = static_cast<THashItem*>(pos.Bucket->Items(mid));
        int c = CompareItem(*item, Probe);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0)
                pos.Found = item;
        }
    }
    pos.Index = low;
    return pos;
}

void TBaseHash::Link(const TPosition& Pos, THashItem* Item) {
    rtl::TList& bucket = *Pos.Bucket;
    bucket.Insert(Pos.Index, Item);
    Item->Next =
        Pos.Index + 1 < bucket.Count() ? static_cast<THashItem*>(bucket.Items(Pos.Index + 1)) : nullptr;
    if (Pos.Index > 0)
        static_cast<THashItem*>(bucket.Items(Pos.Index - 1))->Next = Item;
}

void TBaseHash::Unlink(const TPosition& Pos) {
    rtl::TList& bucket = *Pos.Bucket;
    auto* item = static_cast<THashItem*>(bucket.Items(Pos.Index));
    if (Pos.Index > 0)
        static_cast<THashItem*>(bucket.Items(Pos.Index - 1))->Next = item->Next;
    item->Next = nullptr;
    bucket.Delete(Pos.Index);
}

void TBaseHash::Dispose(THashItem* Item) {
    try {
        if (DisposeEvent)
            DisposeEvent(this, Item);
    } catch (...) {
        Recycle(Item);
        throw;
    }
    Recycle(Item);
}

void TBaseHash::Recycle(THashItem* Item) {
    --FCounter;
    if (FFreeUseCount >= MaxFreeUse) {
        delete Item;
        return;
    }
    *Item = THashItem{};
    Item->UnNext = FFreeUse;
    FFreeUse = Item;
    ++FFreeUseCount;
}

} // namespace skin

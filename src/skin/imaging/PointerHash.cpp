#include "skin/imaging/PointerHash.h"

namespace skin {

RTL_IMPLEMENT_CLASS(TPointerHash)

PHashItem TPointerHash::Add(const void* Key, void* Value) {
    return InsertItem(HashOf(Key), {}, Value);
}

bool TPointerHash::Find(const void* Key, void* const* CheckValue, void** GetValue) const {
    return FindItem(MakeProbe(HashOf(Key), {}, CheckValue), GetValue);
}

void* TPointerHash::GetValue(const void* Key) const {
    void* value = nullptr;
    Find(Key, nullptr, &value);
    return value;
}

void TPointerHash::SetValue(const void* Key, void* Value) {
    if (!Modify(Key, Value))
        Add(Key, Value);
}

bool TPointerHash::Modify(const void* Key, void* NewValue, void* const* CheckValue) {
    return ModifyItem(MakeProbe(HashOf(Key), {}, CheckValue), NewValue);
}

bool TPointerHash::Remove(const void* Key, void* const* CheckValue) {
    return RemoveItem(MakeProbe(HashOf(Key), {}, CheckValue));
}

int TPointerHash::CompareItem(const THashItem& Item, const TProbe& Probe) const {
    int c = CompareNumbers(Item.Hash, Probe.Hash);
    if (c == 0 && Probe.CheckValue)
        c = CompareNumbers(reinterpret_cast<uintptr_t>(Item.Value), reinterpret_cast<uintptr_t>(Probe.Value));
    return c;
}

} // namespace skin

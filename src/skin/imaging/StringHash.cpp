#include "skin/imaging/StringHash.h"

namespace skin {

RTL_IMPLEMENT_CLASS(TStringHash)

uint32_t TStringHash::HashOf(rtl::StringView Key) noexcept {
    uint32_t hash = 0;
    for (char16_t unit : Key)
        hash = ((hash << 2) | (hash >> 30)) ^ unit;
    return hash;
}

PHashItem TStringHash::Add(rtl::StringView Key, void* Value) {
    return InsertItem(HashOf(Key), Key, Value);
}

bool TStringHash::Find(rtl::StringView Key, void* const* CheckValue, void** GetValue) const {
    return FindItem(MakeProbe(HashOf(Key), Key, CheckValue), GetValue);
}

bool TStringHash::Modify(rtl::StringView Key, void* NewValue, void* const* CheckValue) {
    return ModifyItem(MakeProbe(HashOf(Key), Key, CheckValue), NewValue);
}

bool TStringHash::Remove(rtl::StringView Key, void* const* CheckValue) {
    return RemoveItem(MakeProbe(HashOf(Key), Key, CheckValue));
}

void* TStringHash::ValueOf(rtl::StringView Key, void* DefValue) const {
    void* value = nullptr;
    return Find(Key, nullptr, &value) ? value : DefValue;
}

int TStringHash::CompareItem(const THashItem& Item, const TProbe& Probe) const {
    int c = CompareNumbers(Item.Hash, Probe.Hash);
    if (c == 0)
        c = rtl::StringView(Item.Key).compare(Probe.Key);
    if (c == 0 && Probe.CheckValue)
        c = CompareNumbers(reinterpret_cast<uintptr_t>(Item.Value), reinterpret_cast<uintptr_t>(Probe.Value));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace skin

#pragma once

// A hash table keyed by string, case-sensitively. Items of one bucket are
// ordered by hash, then by key (ordinal), then by value.

#include "skin/imaging/BaseHash.h"

namespace skin {

class TStringHash : public TBaseHash {
    RTL_CLASS(TStringHash, TBaseHash)
public:
    explicit TStringHash(int Size = 256) : TBaseHash(Size) {}

    // Per UTF-16 unit: rotate the 32-bit hash left by 2, then xor the unit.
    [[nodiscard]] static uint32_t HashOf(rtl::StringView Key) noexcept;

    // Always inserts, even when the key is already there.
    PHashItem Add(rtl::StringView Key, void* Value);
    // With CheckValue, only an item holding *CheckValue matches. GetValue
    // receives the value found, or nullptr.
    bool Find(rtl::StringView Key, void* const* CheckValue = nullptr, void** GetValue = nullptr) const;
    bool Modify(rtl::StringView Key, void* NewValue, void* const* CheckValue = nullptr);
    // Removes the first matching item in bucket order.
    bool Remove(rtl::StringView Key, void* const* CheckValue = nullptr);
    [[nodiscard]] void* ValueOf(rtl::StringView Key, void* DefValue = nullptr) const;

protected:
    [[nodiscard]] int CompareItem(const THashItem& Item, const TProbe& Probe) const override;
};

} // namespace skin

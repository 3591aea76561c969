#pragma once

// A hash table keyed by pointer: the key itself is the hash. Items of one
// bucket are ordered by key, then by value.

#include "skin/imaging/BaseHash.h"

namespace skin {

class TPointerHash : public TBaseHash {
    RTL_CLASS(TPointerHash, TBaseHash)
public:
    explicit TPointerHash(int Size = 256) : TBaseHash(Size) {}

    // Always inserts, even when the key is already there.
    PHashItem Add(const void* Key, void* Value);
    // With CheckValue, only an item holding *CheckValue matches. GetValue
    // receives the value found, or nullptr.
    bool Find(const void* Key, void* const* CheckValue = nullptr, void** GetValue = nullptr) const;
    [[nodiscard]] void* GetValue(const void* Key) const;
    // Changes the first item of Key, or adds one.
    void SetValue(const void* Key, void* Value);
    [[nodiscard]] void* Values(const void* Key) const { return GetValue(Key); }
    bool Modify(const void* Key, void* NewValue, void* const* CheckValue = nullptr);
    // Removes the first matching item in bucket order.
    bool Remove(const void* Key, void* const* CheckValue = nullptr);

protected:
    [[nodiscard]] int CompareItem(const THashItem& Item, const TProbe& Probe) const override;

private:
    static uintptr_t HashOf(const void* Key) { return reinterpret_cast<uintptr_t>(Key); }
};

} // namespace skin

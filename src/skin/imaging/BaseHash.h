#pragma once

// Fixed-size hash tables. Each bucket is a pointer list kept sorted, so a
// lookup is a binary search inside one bucket; the items of a bucket are also
// chained through Next in that order. Removed items are recycled through a
// tiny pool, since the registries built on these tables churn.

#include "platform/rtl/Event.h"
#include "platform/rtl/List.h"

#include <cstdint>
#include <memory>

namespace skin {

struct THashItem {
    THashItem* UnNext = nullptr; // next item of the free pool
    THashItem* Next = nullptr;   // next item of the same bucket
    rtl::String Key;
    uintptr_t Hash = 0;
    void* Value = nullptr;
};
using PHashItem = THashItem*;

// Hears of every item that leaves the table, before the item is recycled.
using THashDisposeEvent = rtl::TEvent<void(rtl::TObject* Sender, THashItem* FreeItem)>;

class TBaseHash : public rtl::TObject {
    RTL_CLASS(TBaseHash, rtl::TObject)
public:
    // Free items kept for reuse; further ones are freed.
    static constexpr int32_t MaxFreeUse = 2;

    // The bucket count stays as created (at least one); tables never grow.
    explicit TBaseHash(int Size);
    ~TBaseHash() override;

    // Every item goes through DisposeEvent and is recycled.
    void Clear();

    [[nodiscard]] int32_t Counter() const noexcept { return FCounter; }
    [[nodiscard]] int BucketCount() const noexcept { return FBucketCount; }
    [[nodiscard]] int32_t FreeUseCount() const noexcept { return FFreeUseCount; }

    THashDisposeEvent DisposeEvent;
    void* DisposeEventParams = nullptr; // free for the user

protected:
    // What a lookup searches for; the value takes part only when checked.
    struct TProbe {
        uintptr_t Hash = 0;
        rtl::StringView Key;
        void* Value = nullptr;
        bool CheckValue = false;
    };

    // < 0 when Item sorts before the probe.
    [[nodiscard]] virtual int CompareItem(const THashItem& Item, const TProbe& Probe) const = 0;

    static TProbe MakeProbe(uintptr_t Hash, rtl::StringView Key, void* const* CheckValue);
    PHashItem InsertItem(uintptr_t Hash, rtl::StringView Key, void* Value);
    bool FindItem(const TProbe& Probe, void** GetValue) const;
    bool ModifyItem(const TProbe& Probe, void* NewValue);
    bool RemoveItem(const TProbe& Probe);

    static int CompareNumbers(uintptr_t a, uintptr_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

private:
    struct TPosition {
        rtl::TList* Bucket = nullptr;
        int Index = 0;
        THashItem* Found = nullptr; // the first equal item, or none
    };

    [[nodiscard]] TPosition Lookup(const TProbe& Probe) const;
    static void Link(const TPosition& Pos, THashItem* Item);
    static void Unlink(const TPosition& Pos);
    void Dispose(THashItem* Item);
    void Recycle(THashItem* Item);

    std::unique_ptr<rtl::TList[]> FBuckets;
    int FBucketCount = 0;
    THashItem* FFreeUse = nullptr;
    int32_t FFreeUseCount = 0;
    int32_t FCounter = 0;
};

} // namespace skin

#pragma once

// A sorted pointer list with a value attached to each entry. Entries live in
// nodes that are recycled through a small pool, because the imaging
// registries add and drop entries at a high rate.

#include "platform/rtl/Event.h"
#include "platform/rtl/List.h"
#include "platform/rtl/Types.h"

#include <cstdint>

namespace skin {

struct TBaseQuickListItem {
    void* Obj = nullptr;
    void* Value = nullptr;
    rtl::String Str;
    TBaseQuickListItem* UnNext = nullptr; // next node of the free pool
};
using PBaseQuickListItem = TBaseQuickListItem*;

// Orders Item against the searched (PObj, *PValue): < 0 when Item sorts
// before it. PValue is null when only the object takes part.
using TQuickCompareItem = rtl::TEvent<int(TBaseQuickListItem* Item, void* PObj, void* const* PValue)>;
// Hears of every node that leaves the list, before the node is recycled.
using TPointerQuickDisposeEvent = rtl::TEvent<void(rtl::TObject* Sender, TBaseQuickListItem* FreeItem)>;

class TPointerQuick : public rtl::TList {
    RTL_CLASS(TPointerQuick, rtl::TList)
public:
    // Free nodes kept for reuse; further ones are freed.
    static constexpr int32_t MaxFreeCache = 16;

    TPointerQuick() = default;
    ~TPointerQuick() override;

    TQuickCompareItem OnCompareItem;
    TPointerQuickDisposeEvent DisposeEvent;

    [[nodiscard]] rtl::TDuplicates Duplicates() const noexcept { return FDuplicates; }
    void SetDuplicates(rtl::TDuplicates Value) noexcept { FDuplicates = Value; }
    [[nodiscard]] bool Sorted() const noexcept { return FSorted; }
    // Switching sorting on sorts the entries (stably) by the comparison.
    void SetSorted(bool Value);
    [[nodiscard]] int32_t FreeCacheCount() const noexcept { return FFreeCacheCount; }

    int Add(void* Obj, void* Value = nullptr);
    // Index receives the first equal entry, or where (Obj, *PValue) would go.
    bool Find(void* Obj, int& Index, void* const* PValue = nullptr) const;
    [[nodiscard]] int IndexOf(void* Obj, void* const* PValue = nullptr) const;
    int Remove(void* Obj, void* const* PValue = nullptr);

    [[nodiscard]] TBaseQuickListItem* Node(int Index) const {
        return static_cast<TBaseQuickListItem*>(TList::Items(Index));
    }
    [[nodiscard]] void* Get(int Index) const { return Node(Index)->Obj; }
    [[nodiscard]] void* Items(int Index) const { return Get(Index); }

    [[nodiscard]] void* GetValue(void* Obj) const; // nullptr when absent
    void SetValue(void* Obj, void* Value);         // replaces the first entry of Obj, or adds
    [[nodiscard]] void* Values(void* Obj) const { return GetValue(Obj); }
    [[nodiscard]] void* GetValueFromIndex(int Index) const { return Node(Index)->Value; }
    void SetValueFromIndex(int Index, void* Value);
    [[nodiscard]] void* ValueFromIndex(int Index) const { return GetValueFromIndex(Index); }

protected:
    void Notify(void* Ptr, rtl::TListNotification Action) override;
    [[nodiscard]] int Compare(TBaseQuickListItem* Item, void* PObj, void* const* PValue) const;

private:
    // Raw pointer edits would put foreign pointers where nodes belong.
    using TList::Extract;
    using TList::First;
    using TList::Insert;
    using TList::Last;
    using TList::Put;
    using TList::SetCount;
    using TList::Sort;

    TBaseQuickListItem* NewNode(void* Obj, void* Value);
    void Recycle(TBaseQuickListItem* Node);
    void Reposition(int Index);
    [[noreturn]] static void DuplicateError(void* Obj);

    TBaseQuickListItem* FFreeCache = nullptr;
    int32_t FFreeCacheCount = 0;
    rtl::TDuplicates FDuplicates = rtl::dupIgnore;
    bool FSorted = true;
};

} // namespace skin

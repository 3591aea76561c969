#pragma once

// The class library's list of untyped pointers. Descendants that own what they
// hold override Notify, which hears of every non-nil pointer that enters or
// leaves the list.

#include "platform/rtl/Object.h"

#include <vector>

namespace rtl {

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Returns < 0, 0 or > 0 as Item1 sorts before, with or after Item2.
using TListSortCompare = int (*)(void* Item1, void* Item2);

class TList : public TObject {
    RTL_CLASS(TList, TObject)
public:
    TList() = default;
    ~TList() override;

    int Add(void* Item);
    void Insert(int Index, void* Item);
    void Delete(int Index);
    int Remove(void* Item);
    void* Extract(void* Item);
    virtual void Clear();

    [[nodiscard]] int IndexOf(void* Item) const;
    [[nodiscard]] void* Items(int Index) const;
    void Put(int Index, void* Item);

    [[nodiscard]] int Count() const noexcept { return static_cast<int>(FList.size()); }
    void SetCount(int NewCount);
    [[nodiscard]] int Capacity() const noexcept { return static_cast<int>(FList.capacity()); }
    void SetCapacity(int NewCapacity);

    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    [[nodiscard]] void* First() const;
    [[nodiscard]] void* Last() const;
    // Removes every nil entry.
    void Pack();
    // Stable, so entries that compare equal keep their order.
    void Sort(TListSortCompare Compare);

    // The raw storage; valid until the next change of the list.
    [[nodiscard]] void** List() noexcept { return FList.data(); }

protected:
    virtual void Notify(void* Ptr, TListNotification Action);
    [[noreturn]] static void Error(const char16_t* Message, int Data);
    void CheckIndex(int Index) const;

private:
    std::vector<void*> FList;
};

} // namespace rtl

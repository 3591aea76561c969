#pragma once

// Collections: ordered, owned lists of items of one item class, streamed as
// the value of a published property ("Items = <item ... end>").
//
// An item made with its collection joins it in its constructor, as the
// class library's TCollectionItem.Create(Collection) does; TCollection::Add
// tells the collection (Notify cnAdded, Update) once the item is fully
// constructed, while an item constructed directly is announced from the
// base constructor, before the descendant's part exists.

#include "platform/rtl/Persistent.h"
#include "platform/rtl/TypeInfo.h"

#include <vector>

namespace rtl {

RTL_ENUM(TCollectionNotification, cnAdded, cnExtracting, cnDeleting)

class TCollectionItem : public TPersistent {
    RTL_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* collection = nullptr);
    ~TCollectionItem() override;

    [[nodiscard]] TCollection* Collection() const noexcept { return FCollection; }
    // Moves the item to another collection (or out of any with nullptr).
    virtual void SetCollection(TCollection* value);

    // Unique within the collection for its life, never reused.
    [[nodiscard]] int ID() const noexcept { return FID; }
    // Position in the collection, -1 outside one.
    [[nodiscard]] int Index() const;
    // Moves the item; raises EListError "List index out of bounds (%d)".
    virtual void SetIndex(int value);

    [[nodiscard]] String DisplayName() const { return GetDisplayName(); }
    virtual void SetDisplayName(const String& value);

    [[nodiscard]] TPersistent* GetOwner() const override;
    // "Owner.Property[Index]".
    [[nodiscard]] String GetNamePath() const override;

protected:
    [[nodiscard]] virtual String GetDisplayName() const { return ClassName(); }
    // Reports a change of this item, or of all items, to the collection's Update.
    void Changed(bool allItems);

private:
    friend class TCollection;

    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
    RTL_CLASS(TCollection, TPersistent)
public:
    // itemClass must be TCollectionItem or a descendant (EInvalidCast otherwise).
    explicit TCollection(TClass itemClass);
    ~TCollection() override;

    [[nodiscard]] TClass ItemClass() const noexcept { return FItemClass; }
    [[nodiscard]] int Count() const noexcept { return static_cast<int>(FItems.size()); }
    // Raises EListError "List index out of bounds (%d)".
    [[nodiscard]] TCollectionItem* Items(int index) const;
    // Copies value into the item at index.
    void SetItem(int index, TCollectionItem* value);
    [[nodiscard]] TCollectionItem* FindItemID(int id) const;

    // A new item of the item class at the end.
    TCollectionItem* Add();
    // A new item at index (0..Count).
    TCollectionItem* Insert(int index);
    // Frees the item at index (Notify cnDeleting first).
    void Delete(int index);
    void Clear();
    // Clears and starts the item IDs again at 0.
    void ClearAndResetID();

    // Replaces the items by copies of a collection's items, item by item.
    void Assign(TPersistent* source) override;

    // Collect changes; the last EndUpdate reports them with one Update(nullptr).
    virtual void BeginUpdate();
    virtual void EndUpdate();
    [[nodiscard]] int UpdateCount() const noexcept { return FUpdateCount; }

    [[nodiscard]] TPersistent* Owner() const { return GetOwner(); }
    // "OwnerPath.PropertyName" when the owner publishes this collection, else the class name.
    [[nodiscard]] String GetNamePath() const override;
    // The name of the owner's published property that holds this collection; empty if none.
    [[nodiscard]] String PropName() const;

protected:
    // An item changed (nullptr: the collection as a whole), outside updates only.
    virtual void Update(TCollectionItem* item);
    // An item was added, is being extracted or is being deleted.
    virtual void Notify(TCollectionItem* item, TCollectionNotification action);
    // Gives a new item a name where items have one.
    virtual void SetItemName(TCollectionItem* item);
    // Reports a change of the whole collection unless updating.
    void Changed();

private:
    friend class TCollectionItem;

    void InsertItem(TCollectionItem* item);
    void AnnounceItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);

    TClass FItemClass;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
    int FAdding = 0; // Add is constructing an item: announce it after construction
};

// A collection whose owner is given at creation (a control's item list).
class TOwnedCollection : public TCollection {
    RTL_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* owner, TClass itemClass) : TCollection(itemClass), FOwner(owner) {}

    [[nodiscard]] TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};

} // namespace rtl

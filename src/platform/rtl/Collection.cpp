#include "platform/rtl/Collection.h"

#include "platform/rtl/Exception.h"
#include "platform/rtl/Published.h"

#include <algorithm>
#include <string>

namespace rtl {

RTL_IMPLEMENT_CLASS(TCollectionItem)
RTL_IMPLEMENT_CLASS(TCollection)
RTL_IMPLEMENT_CLASS(TOwnedCollection)

namespace {

[[noreturn]] void IndexError(int index) {
    throw EListError(u"List index out of bounds (" + AsciiToString(std::to_string(index)) + u")");
}

String IntToStr(int value) {
    return AsciiToString(std::to_string(value));
}

// Restores the update count on every path out of a bracketed change.
class TUpdateScope {
public:
    explicit TUpdateScope(TCollection& collection) : FCollection(collection) { FCollection.BeginUpdate(); }
    ~TUpdateScope() { FCollection.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TCollection& FCollection;
};

} // namespace

// --- TCollectionItem

TCollectionItem::TCollectionItem(TCollection* collection) {
    if (collection)
        collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
    if (FCollection)
        FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* value) {
    if (FCollection == value)
        return;
    if (value && !InheritsFrom(value->ItemClass()))
        throw EListError(u"Invalid property value");
    if (FCollection)
        FCollection->RemoveItem(this);
    if (value)
        value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!FCollection)
        return -1;
    auto& items = FCollection->FItems;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
    int current = Index();
    if (current < 0 || current == value)
        return;
    auto& items = FCollection->FItems;
    if (value < 0 || value >= static_cast<int>(items.size()))
        IndexError(value);
    items.erase(items.begin() + current);
    items.insert(items.begin() + value, this);
    Changed(true);
}

void TCollectionItem::SetDisplayName(const String& /*value*/) {
    Changed(false);
}

TPersistent* TCollectionItem::GetOwner() const {
    return FCollection;
}

String TCollectionItem::GetNamePath() const {
    if (!FCollection)
        return ClassName();
    return FCollection->GetNamePath() + u"[" + IntToStr(Index()) + u"]";
}

void TCollectionItem::Changed(bool allItems) {
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(allItems ? nullptr : this);
}

// --- TCollection

TCollection::TCollection(TClass itemClass) : FItemClass(itemClass) {
    if (!itemClass || !itemClass->InheritsFrom(TCollectionItem::StaticClass()))
        throw EInvalidCast(u"Invalid class typecast");
}

TCollection::~TCollection() {
    FUpdateCount = 1; // no Update while the items go
    Clear();
}

TCollectionItem* TCollection::Items(int index) const {
    if (index < 0 || index >= Count())
        IndexError(index);
    return FItems[static_cast<std::size_t>(index)];
}

void TCollection::SetItem(int index, TCollectionItem* value) {
    Items(index)->Assign(value);
}

TCollectionItem* TCollection::FindItemID(int id) const {
    auto it = std::find_if(FItems.begin(), FItems.end(),
                           [id](const TCollectionItem* item) { return item->FID == id; });
    return it == FItems.end() ? nullptr : *it;
}

TCollectionItem* TCollection::Add() {
    TCollectionItem* item = nullptr;
    ++FAdding;
    try {
        item = static_cast<TCollectionItem*>(FItemClass->CreateItem(this));
    } catch (...) {
        --FAdding;
        throw;
    }
    --FAdding;
    AnnounceItem(item);
    return item;
}

TCollectionItem* TCollection::Insert(int index) {
    if (index < 0 || index > Count())
        IndexError(index);
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index) {
    TCollectionItem* item = Items(index);
    Notify(item, cnDeleting);
    item->Free();
}

void TCollection::Clear() {
    if (FItems.empty())
        return;
    TUpdateScope update(*this);
    while (!FItems.empty())
        FItems.back()->Free();
}

void TCollection::ClearAndResetID() {
    Clear();
    FNextID = 0;
}

void TCollection::Assign(TPersistent* source) {
    auto* other = ObjectCast<TCollection>(source);
    if (!other) {
        inherited::Assign(source);
        return;
    }
    if (other == this)
        return;
    TUpdateScope update(*this);
    Clear();
    for (TCollectionItem* item : other->FItems)
        Add()->Assign(item);
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0)
        --FUpdateCount;
    Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::Update(TCollectionItem* /*item*/) {}

void TCollection::Notify(TCollectionItem* /*item*/, TCollectionNotification /*action*/) {}

void TCollection::SetItemName(TCollectionItem* /*item*/) {}

void TCollection::InsertItem(TCollectionItem* item) {
    FItems.push_back(item);
    item->FCollection = this;
    item->FID = FNextID++;
    // Announced now unless Add constructs the item: its descendant part does not exist yet.
    if (FAdding == 0)
        AnnounceItem(item);
}

void TCollection::AnnounceItem(TCollectionItem* item) {
    SetItemName(item);
    Notify(item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
    Notify(item, cnExtracting);
    std::erase(FItems, item);
    item->FCollection = nullptr;
    Changed();
}

String TCollection::PropName() const {
    TPersistent* owner = GetOwner();
    if (!owner)
        return {};
    for (const TPropInfo* prop : GetPropList(owner)) {
        if (prop->Kind() == tkClass && GetObjectProp(owner, prop) == this)
            return String(prop->Name);
    }
    return {};
}

String TCollection::GetNamePath() const {
    TPersistent* owner = GetOwner();
    if (!owner)
        return ClassName();
    String ownerPath = owner->GetNamePath();
    if (ownerPath.empty())
        return ClassName();
    String propName = PropName();
    if (propName.empty())
        return ClassName();
    return ownerPath + u"." + propName;
}

} // namespace rtl

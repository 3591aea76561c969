#include "platform/rtl/Collection.h"

#include "platform/rtl/Component.h"
#include "platform/rtl/Published.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rtl;

namespace {

class TLinkItem : public TCollectionItem {
    RTL_CLASS(TLinkItem, TCollectionItem)
public:
    explicit TLinkItem(TCollection* collection) : TCollectionItem(collection) {
        // The collection is known while the item is constructed.
        MadeFor = Collection();
    }

    void Assign(TPersistent* source) override {
        if (auto* link = ObjectCast<TLinkItem>(source)) {
            Caption = link->Caption;
            return;
        }
        inherited::Assign(source);
    }

    String Caption;
    TCollection* MadeFor = nullptr;

protected:
    String GetDisplayName() const override { return Caption; }
};
RTL_IMPLEMENT_CLASS(TLinkItem)

// Records what the collection reports: updates ('U' whole, 'u' one item)
// and notifications; an added item's class shows it is fully built.
class TLinks : public TOwnedCollection {
    RTL_CLASS(TLinks, TOwnedCollection)
public:
    explicit TLinks(TPersistent* owner) : TOwnedCollection(owner, TLinkItem::StaticClass()) {}

    TLinkItem* Link(int index) const { return static_cast<TLinkItem*>(Items(index)); }
    std::vector<std::string> Log;

protected:
    void Update(TCollectionItem* item) override { Log.push_back(item ? "u" : "U"); }
    void Notify(TCollectionItem* item, TCollectionNotification action) override {
        std::string entry = StringToUtf8(GetEnumName(TypeInfoOf<TCollectionNotification>(), action));
        if (action == cnAdded)
            entry += " " + StringToUtf8(item->ClassName());
        Log.push_back(entry);
    }
};
RTL_IMPLEMENT_CLASS(TLinks)

class TLinkLabel : public TComponent {
    RTL_CLASS(TLinkLabel, TComponent)
public:
    explicit TLinkLabel(TComponent* owner) : TComponent(owner), FLinks(new TLinks(this)) {}
    ~TLinkLabel() override { delete FLinks; }
    TLinks& Links() { return *FLinks; }

private:
    void SetLinks(TLinks* value) { FLinks->Assign(value); }
    TLinks* FLinks;
};
RTL_IMPLEMENT_CLASS(TLinkLabel)

RTL_PUBLISHED(TLinkLabel) {
    Property(u"LinkItems", &TLinkLabel::FLinks, &TLinkLabel::SetLinks);
}

std::vector<String> Captions(const TLinks& links) {
    std::vector<String> captions;
    for (int i = 0; i < links.Count(); ++i)
        captions.push_back(links.Link(i)->Caption);
    return captions;
}

void Fill(TLinks& links, std::initializer_list<const char16_t*> captions) {
    for (const char16_t* caption : captions)
        static_cast<TLinkItem*>(links.Add())->Caption = caption;
}

} // namespace

TEST(Collection, AddAnnouncesFullyBuiltItemsWithUniqueIDs) {
    TLinkLabel label(nullptr);
    TLinks& links = label.Links();
    auto* first = static_cast<TLinkItem*>(links.Add());
    EXPECT_EQ(first->MadeFor, &links);
    EXPECT_EQ(links.Log, (std::vector<std::string>{"cnAdded TLinkItem", "U"}));

    Fill(links, {u"b", u"c"});
    links.Delete(0);
    auto* last = static_cast<TLinkItem*>(links.Add());
    EXPECT_EQ(last->ID(), 3) << "IDs are never reused";
    EXPECT_EQ(links.FindItemID(1), links.Items(0));
    EXPECT_EQ(links.FindItemID(0), nullptr);
    links.ClearAndResetID();
    EXPECT_EQ(links.Count(), 0);
    EXPECT_EQ(links.Add()->ID(), 0);

    links.Log.clear();
    links.Delete(0);
    EXPECT_EQ(links.Log, (std::vector<std::string>{"cnDeleting", "cnExtracting", "U"}));
    EXPECT_THROW(links.Delete(0), EListError);
}

TEST(Collection, IndexMovesItemsAndReportsTheChange) {
    TLinkLabel label(nullptr);
    TLinks& links = label.Links();
    Fill(links, {u"a", u"b", u"c", u"d"});
    TLinkItem* c = links.Link(2);
    int id = c->ID();
    links.Log.clear();

    c->SetIndex(0);
    EXPECT_EQ(Captions(links), (std::vector<String>{u"c", u"a", u"b", u"d"}));
    EXPECT_EQ(links.Log, (std::vector<std::string>{"U"}));
    EXPECT_EQ(c->Index(), 0);
    EXPECT_EQ(c->ID(), id) << "moving keeps the ID";
    c->SetIndex(3);
    EXPECT_EQ(Captions(links), (std::vector<String>{u"a", u"b", u"d", u"c"}));
    try {
        c->SetIndex(4);
        FAIL() << "an index past the end was accepted";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), u"List index out of bounds (4)");
    }
    EXPECT_EQ(c->Index(), 3);

    auto* inserted = static_cast<TLinkItem*>(links.Insert(1));
    inserted->Caption = u"new";
    EXPECT_EQ(Captions(links), (std::vector<String>{u"a", u"new", u"b", u"d", u"c"}));
    EXPECT_THROW(links.Insert(9), EListError);

    // Changes inside an update are reported once, at its end.
    links.Log.clear();
    links.BeginUpdate();
    links.Link(0)->SetIndex(4);
    links.Link(0)->SetDisplayName(u"x");
    EXPECT_TRUE(links.Log.empty());
    links.EndUpdate();
    EXPECT_EQ(links.Log, (std::vector<std::string>{"U"}));
    links.Log.clear();
    links.Link(0)->SetDisplayName(u"x");
    EXPECT_EQ(links.Log, (std::vector<std::string>{"u"}));
}

TEST(Collection, AssignCopiesItemByItem) {
    TLinkLabel source(nullptr);
    TLinkLabel target(nullptr);
    Fill(source.Links(), {u"one", u"two", u"three"});
    Fill(target.Links(), {u"old"});
    target.Links().Log.clear();

    SetObjectProp(&target, u"LinkItems", &source.Links()); // the property's setter assigns
    EXPECT_EQ(Captions(target.Links()), Captions(source.Links()));
    EXPECT_NE(target.Links().Link(0), source.Links().Link(0));
    EXPECT_EQ(std::count(target.Links().Log.begin(), target.Links().Log.end(), "U"), 1)
        << "one update for the whole assignment";

    target.Links().Assign(&target.Links());
    EXPECT_EQ(target.Links().Count(), 3) << "assigning a collection to itself keeps it";

    TComponent unrelated(nullptr);
    EXPECT_THROW(target.Links().Assign(&unrelated), EConvertError);
    EXPECT_EQ(target.Links().Count(), 3);
}

TEST(Collection, ItemsKnowTheirOwnerAndNamePath) {
    TComponent form(nullptr);
    auto* label = new TLinkLabel(&form);
    label->SetName(u"lbl_Links");
    Fill(label->Links(), {u"a", u"b"});
    EXPECT_EQ(label->Links().Owner(), label);
    EXPECT_EQ(label->Links().PropName(), u"LinkItems");
    EXPECT_EQ(label->Links().GetNamePath(), u"lbl_Links.LinkItems");
    EXPECT_EQ(label->Links().Items(1)->GetNamePath(), u"lbl_Links.LinkItems[1]");
    EXPECT_EQ(label->Links().Items(1)->GetOwner(), &label->Links());
    EXPECT_EQ(label->Links().Items(1)->DisplayName(), u"b");

    TCollection loose(TLinkItem::StaticClass());
    loose.Add();
    EXPECT_EQ(loose.Items(0)->GetNamePath(), u"TCollection[0]");
    EXPECT_EQ(TCollectionItem().GetNamePath(), u"TCollectionItem");
}

TEST(Collection, ItemClassIsEnforced) {
    EXPECT_THROW((void)TCollection(TComponent::StaticClass()), EInvalidCast);
    TCollection plain(TCollectionItem::StaticClass());
    TCollection links(TLinkItem::StaticClass());
    auto* item = plain.Add();
    EXPECT_THROW(item->SetCollection(&links), EListError);
    EXPECT_EQ(item->Collection(), &plain);

    auto* link = links.Add();
    link->SetCollection(&plain); // a link item is a collection item
    EXPECT_EQ(plain.Count(), 2);
    EXPECT_EQ(links.Count(), 0);
    link->SetCollection(nullptr);
    EXPECT_EQ(plain.Count(), 1);
    EXPECT_EQ(link->Index(), -1);
    link->Free();
}

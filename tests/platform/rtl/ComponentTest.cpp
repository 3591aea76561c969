#include "platform/rtl/Component.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace rtl;

namespace {

using TLog = std::vector<std::string>;

std::string Utf8(const String& text) {
    return StringToUtf8(text);
}

// Logs the notifications it hears and, when freed, whether it was marked
// destroying and whether it still holds a reference to another probe. With
// AddressSanitizer a reference to a freed probe fails right there.
class TProbe : public TComponent {
    RTL_CLASS(TProbe, TComponent)
public:
    TProbe(TComponent* owner, const char16_t* name, TLog& log) : TComponent(owner), FLog(log) {
        SetName(name);
    }
    ~TProbe() override {
        FLog.push_back("free " + Utf8(Name()) +
                       (ComponentState().Contains(csDestroying) ? " destroying" : ""));
        if (Watched)
            FLog.push_back(Utf8(Name()) + " still sees " + Utf8(Watched->Name()));
    }

    TComponent* Watched = nullptr;

    void MarkLoading() { IncludeState(csLoading); }
    void CallLoaded() { Loaded(); }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        inherited::Notification(component, operation);
        FLog.push_back(Utf8(Name()) + (operation == opInsert ? " +" : " -") + Utf8(component->Name()));
        if (operation == opRemove && component == Watched)
            Watched = nullptr;
    }

private:
    TLog& FLog;
};
RTL_IMPLEMENT_CLASS(TProbe)

} // namespace

TEST(ComponentLifetime, OwnerFreesOwnedComponentsLastFirstAfterMarkingThemDestroying) {
    TLog log;
    auto* owner = new TProbe(nullptr, u"Owner", log);
    new TProbe(owner, u"A", log);
    auto* b = new TProbe(owner, u"B", log);
    new TProbe(owner, u"C", log);
    EXPECT_EQ(owner->ComponentCount(), 3);
    log.clear();

    b->Free(); // leaves its owner; the siblings and the owner hear of it
    EXPECT_EQ(log, (TLog{"free B destroying", "C -B", "A -B", "Owner -B"}));
    EXPECT_EQ(owner->ComponentCount(), 2);
    log.clear();

    owner->Free();
    EXPECT_EQ(log, (TLog{"free Owner destroying", "free C destroying", "free A destroying"}));
}

TEST(ComponentLifetime, InsertAndRemoveNotifyTheOwnerAndItsComponents) {
    TLog log;
    TProbe owner(nullptr, u"Owner", log);
    new TProbe(&owner, u"A", log);
    log.clear();
    auto* b = new TProbe(nullptr, u"B", log);
    owner.InsertComponent(b);
    EXPECT_EQ(log, (TLog{"B +B", "A +B", "Owner +B"}));
    EXPECT_EQ(b->Owner(), &owner);
    EXPECT_EQ(b->GetOwner(), &owner);
    log.clear();

    owner.RemoveComponent(b);
    EXPECT_EQ(log, (TLog{"B -B", "A -B", "Owner -B"}));
    EXPECT_EQ(b->Owner(), nullptr);
    EXPECT_EQ(owner.ComponentCount(), 1);
    b->Free();
}

TEST(FreeNotification, WorksBothWaysAndLeavesNothingDangling) {
    TLog log;
    TProbe ownerX(nullptr, u"OwnerX", log);
    TProbe ownerY(nullptr, u"OwnerY", log);
    auto* x = new TProbe(&ownerX, u"X", log);
    auto* y = new TProbe(&ownerY, u"Y", log);
    x->Watched = y;
    y->Watched = x;
    x->FreeNotification(y);
    log.clear();

    y->Free(); // x hears it although they have different owners
    EXPECT_EQ(log, (TLog{"free Y destroying", "Y still sees X", "X -Y", "OwnerY -Y"}));
    EXPECT_EQ(x->Watched, nullptr);
    log.clear();
    x->Free(); // y is gone and must not be told
    EXPECT_EQ(log, (TLog{"free X destroying", "OwnerX -X"}));

    // The other direction, with components that have no owner.
    auto* p = new TProbe(nullptr, u"P", log);
    auto* q = new TProbe(nullptr, u"Q", log);
    q->Watched = p;
    p->FreeNotification(q);
    log.clear();
    p->Free();
    EXPECT_EQ(log, (TLog{"free P destroying", "Q -P"}));
    log.clear();
    q->Free();
    EXPECT_EQ(log, (TLog{"free Q destroying"}));
}

TEST(FreeNotification, RemovedSubscriptionsAreForgottenInBothDirections) {
    TLog log;
    auto* p = new TProbe(nullptr, u"P", log);
    auto* q = new TProbe(nullptr, u"Q", log);
    p->FreeNotification(q);
    p->RemoveFreeNotification(q);
    log.clear();
    q->Free();
    p->Free();
    EXPECT_EQ(log, (TLog{"free Q destroying", "free P destroying"}));
}

TEST(FreeNotification, SiblingsHearThroughTheOwnerWhileItFreesThem) {
    TLog log;
    auto* owner = new TProbe(nullptr, u"Owner", log);
    auto* d = new TProbe(owner, u"D", log);
    auto* c = new TProbe(owner, u"C", log);
    auto* e = new TProbe(owner, u"E", log);
    d->Watched = c;
    e->Watched = d;
    c->FreeNotification(d); // D asks to hear when C goes
    log.clear();

    owner->Free();
    // E goes first, silently: nobody asked about it. C goes next with a
    // notice to the owner's components (the owner itself is past its own
    // destructor); D goes last and no longer points at C.
    EXPECT_EQ(log, (TLog{"free Owner destroying", "free E destroying", "E still sees D", "C -C", "D -C",
                         "free C destroying", "free D destroying"}));
}

TEST(ComponentName, MustBeAnIdentifier) {
    TComponent component(nullptr);
    for (const char16_t* valid : {u"Button1", u"_x", u"a", u"btn_Close", u"A1_b2", u""}) {
        component.SetName(valid);
        EXPECT_EQ(component.Name(), valid);
    }
    component.SetName(u"Kept");
    for (const char16_t* invalid : {u"1abc", u"my name", u"a-b", u"a.b", u"\u00e4bc", u" x"}) {
        try {
            component.SetName(invalid);
            ADD_FAILURE() << Utf8(invalid) << " was accepted";
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), u"'" + String(invalid) + u"' is not a valid component name");
        }
        EXPECT_EQ(component.Name(), u"Kept");
    }
}

TEST(ComponentName, IsUniqueAmongSiblingsIgnoringCase) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    auto* unnamed = new TComponent(&owner);
    a->SetName(u"Button1");
    try {
        b->SetName(u"BUTTON1");
        FAIL() << "a sibling's name was accepted";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), u"A component named BUTTON1 already exists");
    }
    EXPECT_EQ(b->Name(), u"");
    a->SetName(u"button1"); // only the case changes
    EXPECT_EQ(owner.FindComponent(u"BUTTON1"), a);
    EXPECT_EQ(owner.FindComponent(u""), nullptr) << "unnamed components are not found";
    EXPECT_EQ(unnamed->Name(), u"");

    // Components of other owners may carry the same name, but not join.
    TComponent other(nullptr);
    auto* namesake = new TComponent(&other);
    namesake->SetName(u"Button1");
    EXPECT_THROW(owner.InsertComponent(namesake), EComponentError);
    EXPECT_EQ(namesake->Owner(), &other) << "a refused component stays with its owner";
}

TEST(ComponentList, IndexesMoveAndBoundsAreChecked) {
    TComponent owner(nullptr);
    TComponent* parts[3];
    for (auto*& part : parts)
        part = new TComponent(&owner);
    EXPECT_EQ(parts[2]->ComponentIndex(), 2);
    parts[2]->SetComponentIndex(0);
    EXPECT_EQ(owner.Components(0), parts[2]);
    EXPECT_EQ(owner.Components(1), parts[0]);
    parts[2]->SetComponentIndex(99); // clamped to the last place
    EXPECT_EQ(owner.Components(2), parts[2]);
    try {
        (void)owner.Components(3);
        FAIL() << "an index past the end was accepted";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), u"List index out of bounds (3)");
    }
    EXPECT_THROW((void)owner.Components(-1), EListError);
    EXPECT_EQ(TComponent(nullptr).ComponentIndex(), -1);
}

TEST(ComponentState, FlagsFollowDesigningLoadingAndStyle) {
    TLog log;
    TProbe owner(nullptr, u"Owner", log);
    auto* child = new TProbe(&owner, u"Child", log);
    EXPECT_TRUE(owner.ComponentState().Empty());
    EXPECT_EQ(owner.ComponentStyle(), TComponentStyle{csInheritable});

    owner.SetDesigning(true);
    EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
    auto* late = new TProbe(&owner, u"Late", log);
    EXPECT_TRUE(late->ComponentState().Contains(csDesigning)) << "joining a designed owner";
    owner.SetDesigning(false, false);
    EXPECT_FALSE(owner.ComponentState().Contains(csDesigning));
    EXPECT_TRUE(child->ComponentState().Contains(csDesigning));

    owner.SetAncestor(true);
    EXPECT_TRUE(late->ComponentState().Contains(csAncestor));
    owner.Updating();
    EXPECT_TRUE(owner.ComponentState().Contains(csUpdating));
    owner.Updated();
    EXPECT_FALSE(owner.ComponentState().Contains(csUpdating));

    child->MarkLoading();
    EXPECT_TRUE(child->ComponentState().Contains(csLoading));
    child->CallLoaded();
    EXPECT_FALSE(child->ComponentState().Contains(csLoading));

    child->SetSubComponent(true);
    EXPECT_EQ(child->ComponentStyle(), (TComponentStyle{csInheritable, csSubComponent}));
    child->SetSubComponent(false);
    EXPECT_FALSE(child->ComponentStyle().Contains(csSubComponent));
    EXPECT_EQ(child->GetNamePath(), u"Child");
}

TEST(ComponentClass, VirtualConstructorGivesTheOwner) {
    TComponent owner(nullptr);
    TObject* made = TComponent::StaticClass()->Create(&owner);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), made);
    // A class whose constructor needs more than an owner cannot be made by reference.
    EXPECT_THROW((void)TProbe::StaticClass()->Create(&owner), EAbstractError);
    EXPECT_EQ(owner.ComponentCount(), 1);
}

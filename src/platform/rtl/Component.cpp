#include "platform/rtl/Component.h"

#include "platform/rtl/AsciiName_p.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Published.h"

#include <algorithm>
#include <string>

namespace rtl {

RTL_IMPLEMENT_CLASS(TComponent)

RTL_PUBLISHED(TComponent) {
    Property(u"Name", &TComponent::FName, &TComponent::SetName).Stored(false);
    Property(u"Tag", &TComponent::FTag, &TComponent::FTag).Default(0);
}

namespace {

bool IsIdentStart(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

bool IsIdentPart(char16_t c) {
    return IsIdentStart(c) || (c >= u'0' && c <= u'9');
}

} // namespace

bool IsValidIdent(StringView ident) {
    if (ident.empty() || !IsIdentStart(ident.front()))
        return false;
    return std::all_of(ident.begin() + 1, ident.end(), IsIdentPart);
}

TComponent::TComponent(TComponent* owner) {
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    RemoveFreeNotifications();
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError(u"List index out of bounds (" + AsciiToString(std::to_string(index)) + u")");
    return FComponents[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(StringView name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* component : FComponents) {
        if (detail::SameAsciiName(component->FName, name))
            return component;
    }
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    component->ValidateContainer(this);
    // Checked before the component leaves its old owner; ValidateRename
    // only guards renames among components already owned.
    TComponent* namesake = FindComponent(component->FName);
    if (namesake && namesake != component)
        throw EComponentError(u"A component named " + component->FName + u" already exists");
    component->CheckReference(this, component->FName);
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    ValidateRename(component, String(), component->FName);
    Insert(component);
    component->SetReference(true);
    if (FComponentState.Contains(csDesigning))
        component->SetDesigning(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    ValidateRename(component, component->FName, String());
    Notification(component, opRemove);
    component->SetReference(false);
    Remove(component);
}

void TComponent::Insert(TComponent* component) {
    FComponents.push_back(component);
    component->FOwner = this;
}

void TComponent::Remove(TComponent* component) {
    std::erase(FComponents, component);
    component->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* instance = FComponents.back();
        // A component that others asked to hear about leaves with a notice to
        // its siblings; the rest leave silently, as all of them are going.
        bool designedInline = FComponentState.Contains(csDesigning) && FComponentState.Contains(csInline);
        if (instance->FComponentState.Contains(csFreeNotification) || designedInline)
            RemoveComponent(instance);
        else
            Remove(instance);
        instance->Free();
    }
}

int TComponent::ComponentIndex() const {
    if (!FOwner)
        return -1;
    auto& siblings = FOwner->FComponents;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    return it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
}

void TComponent::SetComponentIndex(int index) {
    int current = ComponentIndex();
    if (current < 0)
        return;
    auto& siblings = FOwner->FComponents;
    index = std::clamp(index, 0, static_cast<int>(siblings.size()) - 1);
    if (index == current)
        return;
    siblings.erase(siblings.begin() + current);
    siblings.insert(siblings.begin() + index, this);
}

void TComponent::SetName(const String& newName) {
    if (FName == newName)
        return;
    if (!newName.empty() && !IsValidIdent(newName))
        throw EComponentError(u"'" + newName + u"' is not a valid component name");
    if (FOwner)
        FOwner->ValidateRename(this, FName, newName);
    else
        ValidateRename(nullptr, FName, newName);
    CheckReference(FOwner, newName);
    SetReference(false);
    ChangeName(newName);
    SetReference(true);
}

void TComponent::ValidateRename(TComponent* component, const String& curName, const String& newName) {
    if (component && !detail::SameAsciiName(curName, newName) && component->FOwner == this &&
        FindComponent(newName))
        throw EComponentError(u"A component named " + newName + u" already exists");
}

void TComponent::ValidateContainer(TComponent* container) {
    container->ValidateInsert(this);
}

void TComponent::ValidateInsert(TComponent* /*component*/) {}

void TComponent::SetReference(bool enable) {
    if (!FOwner || FName.empty())
        return;
    const TFieldInfo* field = FindFieldInfo(FOwner->ClassType(), FName);
    if (!field)
        return;
    if (!enable) {
        if (field->Get(FOwner) == this)
            field->Set(FOwner, nullptr);
        return;
    }
    if (InheritsFrom(field->FieldClass))
        field->Set(FOwner, this);
}

void TComponent::CheckReference(TComponent* owner, const String& name) const {
    if (!owner || name.empty())
        return;
    // A field of another class would hand this object out under a wrong type.
    const TFieldInfo* field = FindFieldInfo(owner->ClassType(), name);
    if (field && !InheritsFrom(field->FieldClass))
        throw EComponentError(u"Field " + owner->ClassName() + u"." + name + u" cannot hold a " +
                              ClassName());
}

void TComponent::SetSubComponent(bool isSubComponent) {
    if (isSubComponent)
        FComponentStyle.Include(csSubComponent);
    else
        FComponentStyle.Exclude(csSubComponent);
}

void TComponent::SetDesigning(bool value, bool setChildren) {
    if (value)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    if (setChildren) {
        for (TComponent* component : FComponents)
            component->SetDesigning(value);
    }
}

void TComponent::SetDesignInstance(bool value) {
    if (value)
        FComponentState.Include(csDesignInstance);
    else
        FComponentState.Exclude(csDesignInstance);
}

void TComponent::SetInline(bool value) {
    if (value)
        FComponentState.Include(csInline);
    else
        FComponentState.Exclude(csInline);
}

void TComponent::SetAncestor(bool value) {
    if (value)
        FComponentState.Include(csAncestor);
    else
        FComponentState.Exclude(csAncestor);
    for (TComponent* component : FComponents)
        component->SetAncestor(value);
}

void TComponent::Updating() {
    FComponentState.Include(csUpdating);
}

void TComponent::Updated() {
    FComponentState.Exclude(csUpdating);
}

void TComponent::Loaded() {
    FComponentState.Exclude(csLoading);
}

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying))
        return;
    FComponentState.Include(csDestroying);
    for (TComponent* component : FComponents)
        component->Destroying();
}

void TComponent::BeforeDestruction() {
    if (!FComponentState.Contains(csDestroying))
        Destroying();
}

void TComponent::GetChildren(const TGetChildProc& /*proc*/, TComponent* /*root*/) {}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this)
        return;
    // Siblings hear of each other through their owner's notifications.
    if (!FOwner || component->FOwner != FOwner) {
        if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
            FFreeNotifies.push_back(component);
            component->FreeNotification(this);
        }
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (!component)
        return;
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component) {
    std::erase(FFreeNotifies, component);
}

void TComponent::RemoveFreeNotifications() {
    while (!FFreeNotifies.empty()) {
        TComponent* subscriber = FFreeNotifies.back();
        // Unlinked before the notice, so an override of Notification that
        // skips the inherited step cannot keep this loop going.
        RemoveFreeNotification(subscriber);
        subscriber->Notification(this, opRemove);
    }
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component)
        RemoveFreeNotification(component);
    // Walks down from the end and re-clamps, because a notified component
    // may free others of the list.
    int i = ComponentCount() - 1;
    while (i >= 0) {
        FComponents[static_cast<std::size_t>(i)]->Notification(component, operation);
        --i;
        if (i >= ComponentCount())
            i = ComponentCount() - 1;
    }
}

} // namespace rtl

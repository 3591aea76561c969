#pragma once

// Components: persistent objects with an owner that frees them, a name that
// is unique among the owner's components, a state set, free notifications
// between components, and the Loaded step after streaming.
//
// Destroy components with Free (or FreeAndNil): it marks the component and
// everything it owns as destroying before any destructor runs. The owned
// components are freed by ~TComponent, after the descendants' destructors;
// a descendant that must see them go through its own Notification frees
// them earlier with DestroyComponents.

#include "platform/rtl/Persistent.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/TypeInfo.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace rtl {

RTL_ENUM(TComponentStateFlag, csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor,
         csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = TSet<TComponentStateFlag>;

RTL_ENUM(TComponentStyleFlag, csInheritable, csCheckPropAvail, csSubComponent, csTransient)
using TComponentStyle = TSet<TComponentStyleFlag>;

RTL_ENUM(TOperation, opInsert, opRemove)

using NativeInt = std::intptr_t;

class TReader;
class TWriter;

// Receives each child component that a form writer is to store.
using TGetChildProc = std::function<void(TComponent* child)>;

class TComponent : public TPersistent {
    RTL_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    [[nodiscard]] TComponent* Owner() const noexcept { return FOwner; }
    [[nodiscard]] TPersistent* GetOwner() const override { return FOwner; }

    // --- owned components, in insertion order
    [[nodiscard]] int ComponentCount() const noexcept { return static_cast<int>(FComponents.size()); }
    // Raises EListError "List index out of bounds (%d)" outside 0..ComponentCount-1.
    [[nodiscard]] TComponent* Components(int index) const;
    // The owned component of that name, ignoring ASCII case; nullptr for none or "".
    [[nodiscard]] TComponent* FindComponent(StringView name) const;
    // Takes over a component (from its previous owner) and notifies opInsert.
    void InsertComponent(TComponent* component);
    // Notifies opRemove and lets the component go without freeing it.
    void RemoveComponent(TComponent* component);
    // Frees the owned components, the last inserted first.
    void DestroyComponents();
    // The position among the owner's components; setting it moves the component.
    [[nodiscard]] int ComponentIndex() const;
    void SetComponentIndex(int index);

    // --- name
    [[nodiscard]] const String& Name() const noexcept { return FName; }
    // Raises EComponentError for a name that is not an identifier or that a
    // sibling already has (ignoring ASCII case).
    virtual void SetName(const String& newName);
    [[nodiscard]] String GetNamePath() const override { return FName; }

    [[nodiscard]] NativeInt Tag() const noexcept { return FTag; }
    void SetTag(NativeInt tag) noexcept { FTag = tag; }

    // Left and top of a non-visual component on its form, as one value
    // (low word left, high word top).
    [[nodiscard]] std::int32_t DesignInfo() const noexcept { return FDesignInfo; }
    void SetDesignInfo(std::int32_t value) noexcept { FDesignInfo = value; }

    // --- state
    [[nodiscard]] TComponentState ComponentState() const noexcept { return FComponentState; }
    [[nodiscard]] TComponentStyle ComponentStyle() const noexcept { return FComponentStyle; }
    // Marks a component that another one creates and publishes (stored inline).
    void SetSubComponent(bool isSubComponent);
    // Switches the design-time state, of the owned components too unless told otherwise.
    void SetDesigning(bool value, bool setChildren = true);
    void SetDesignInstance(bool value);
    void SetInline(bool value);
    void SetAncestor(bool value);
    // Brackets changes made by a stream or a designer (csUpdating).
    virtual void Updating();
    virtual void Updated();
    // Marks the component and all it owns as destroying (once).
    void Destroying();
    void BeforeDestruction() override;

    // --- notifications
    // Asks to hear (through Notification) when `component` is freed, and
    // tells it the same about this one; siblings hear it through the owner.
    void FreeNotification(TComponent* component);
    // Undoes FreeNotification in both directions.
    void RemoveFreeNotification(TComponent* component);

    // --- streaming hooks
    [[nodiscard]] virtual bool HasParent() const { return false; }
    [[nodiscard]] virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* /*value*/) {}
    // Reports the children a writer stores with this component.
    virtual void GetChildren(const TGetChildProc& proc, TComponent* root);

protected:
    // Hears of components inserted into or removed from the owner (and of
    // free-notified components being freed). The base forgets a removed
    // component's free notification and passes the news to every owned component.
    virtual void Notification(TComponent* component, TOperation operation);
    // Runs after the component was read from a stream; clears csLoading.
    virtual void Loaded();
    // Lets a component refuse being owned by `container`.
    virtual void ValidateContainer(TComponent* container);
    // Lets a container refuse taking `component`.
    virtual void ValidateInsert(TComponent* component);
    virtual void ValidateRename(TComponent* component, const String& curName, const String& newName);
    virtual void ChangeName(const String& newName) { FName = newName; }
    // Points the owner's published field of this component's name at it (or clears it).
    virtual void SetReference(bool enable);

    void IncludeState(TComponentStateFlag flag) noexcept { FComponentState.Include(flag); }
    void ExcludeState(TComponentStateFlag flag) noexcept { FComponentState.Exclude(flag); }
    void IncludeStyle(TComponentStyleFlag flag) noexcept { FComponentStyle.Include(flag); }
    void ExcludeStyle(TComponentStyleFlag flag) noexcept { FComponentStyle.Exclude(flag); }

private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void RemoveNotification(TComponent* component);
    void RemoveFreeNotifications();
    void CheckReference(TComponent* owner, const String& name) const;

    friend class TReader;
    friend class TWriter;

    TComponent* FOwner = nullptr;
    String FName;
    NativeInt FTag = 0;
    std::int32_t FDesignInfo = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
    TComponentStyle FComponentStyle{csInheritable};
};

// Identifier rules of component names: a letter or "_", then letters, digits or "_".
[[nodiscard]] bool IsValidIdent(StringView ident);

} // namespace rtl

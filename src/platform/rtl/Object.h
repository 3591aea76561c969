#pragma once

// The root of the object model: class metadata with a parent chain and a
// virtual constructor, a by-name class registry, and a monitor lock that
// every object carries (created on first use). Published properties,
// methods and fields hang off the class metadata (see Published.h).

#include "platform/rtl/String.h"

#include <atomic>
#include <mutex>
#include <string_view>

namespace rtl {

class TObject;
class TComponent;
class TCollection;
struct TClassInfo;
struct TPublishedInfo;
struct TPublishedCache;

// A class reference ("class of TObject").
using TClass = const TClassInfo*;

// Creates an instance for a class reference. Component classes receive the
// owner; other classes ignore it.
using TObjectFactory = TObject* (*)(TComponent* owner);
// Creates a collection item for the collection that will hold it.
using TItemFactory = TObject* (*)(TCollection* collection);

struct TClassInfo {
    std::string_view Name;              // ASCII, as declared
    TClass Parent = nullptr;            // nullptr only for TObject
    TObjectFactory Factory = nullptr;   // nullptr for abstract classes
    TItemFactory ItemFactory = nullptr; // collection item classes only

    // The class's own published members, set once at start-up by RTL_PUBLISHED.
    mutable const TPublishedInfo* Published = nullptr;
    // The merged list with inherited members, built on first use.
    mutable std::atomic<const TPublishedCache*> Cache{nullptr};

    [[nodiscard]] bool InheritsFrom(TClass ancestor) const noexcept;
    [[nodiscard]] String ClassName() const;
    // The virtual constructor; raises EAbstractError for abstract classes.
    [[nodiscard]] TObject* Create(TComponent* owner = nullptr) const;
    // The virtual constructor of collection items; raises EAbstractError
    // when the class cannot be created for a collection.
    [[nodiscard]] TObject* CreateItem(TCollection* collection) const;
};

template <typename T>
TObject* DefaultFactory(TComponent* owner) {
    if constexpr (requires { new T(owner); })
        return new T(owner);
    else if constexpr (requires { new T(); })
        return new T();
    else
        return new T(static_cast<TCollection*>(nullptr));
}

// The factory of classes that have a constructor it can call, else none
// (the class then cannot be created through its class reference).
template <typename T>
constexpr TObjectFactory FactoryOf() noexcept {
    if constexpr (
        requires(TComponent * owner) { new T(owner); } || requires { new T(); } ||
        requires(TCollection * collection) { new T(collection); })
        return &DefaultFactory<T>;
    else
        return nullptr;
}

template <typename T>
TObject* DefaultItemFactory(TCollection* collection) {
    return new T(collection);
}

// The item factory of classes constructible for a collection, else none.
template <typename T>
constexpr TItemFactory ItemFactoryOf() noexcept {
    if constexpr (requires(TCollection * c) { new T(c); })
        return &DefaultItemFactory<T>;
    else
        return nullptr;
}

// Declares the metadata members; put it first in the class body. The
// published-member block of the class (RTL_PUBLISHED, Published.h) is a
// friend, so published properties may read and write private members.
#define RTL_CLASS(ClassName, ParentName)                                                                     \
public:                                                                                                      \
    using inherited = ParentName;                                                                            \
    static ::rtl::TClass StaticClass() noexcept;                                                             \
    ::rtl::TClass ClassType() const noexcept override {                                                      \
        return StaticClass();                                                                                \
    }                                                                                                        \
    friend struct RtlPublished_##ClassName;                                                                  \
                                                                                                             \
private:

// Defines the metadata in one .cpp file. The factory is the class's virtual
// constructor; abstract classes use RTL_IMPLEMENT_ABSTRACT_CLASS, and classes
// without a constructor the factory can call get none.
#define RTL_IMPLEMENT_CLASS(ClassName)                                                                       \
    ::rtl::TClass ClassName::StaticClass() noexcept {                                                        \
        static const ::rtl::TClassInfo info{#ClassName, ClassName::inherited::StaticClass(),                 \
                                            ::rtl::FactoryOf<ClassName>(),                                   \
                                            ::rtl::ItemFactoryOf<ClassName>()};                              \
        return &info;                                                                                        \
    }

#define RTL_IMPLEMENT_ABSTRACT_CLASS(ClassName)                                                              \
    ::rtl::TClass ClassName::StaticClass() noexcept {                                                        \
        static const ::rtl::TClassInfo info{#ClassName, ClassName::inherited::StaticClass(), nullptr};       \
        return &info;                                                                                        \
    }

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject();

    static TClass StaticClass() noexcept;
    [[nodiscard]] virtual TClass ClassType() const noexcept { return StaticClass(); }
    [[nodiscard]] String ClassName() const { return ClassType()->ClassName(); }
    [[nodiscard]] TClass ClassParent() const noexcept { return ClassType()->Parent; }
    [[nodiscard]] bool InheritsFrom(TClass ancestor) const noexcept {
        return ClassType()->InheritsFrom(ancestor);
    }

    // Destroys the object. Classes with shared ownership override it and
    // call the inherited Free when the last reference goes.
    virtual void Free() {
        BeforeDestruction();
        delete this;
    }

    // Runs before any destructor of the object, while it is still whole
    // (components mark themselves as destroying here). Only Free calls it.
    virtual void BeforeDestruction() {}

    // Re-entrant monitor lock; callers bracket multi-step use with it.
    void Lock() const;
    void UnLock() const;

private:
    std::recursive_mutex& Monitor() const;
    mutable std::atomic<std::recursive_mutex*> FMonitor{nullptr};
};

// Frees the object and clears the pointer ("FreeAndNil").
template <typename T>
void FreeAndNil(T*& object) {
    T* victim = object;
    object = nullptr;
    if (victim)
        victim->Free();
}

// Safe down-cast ("is"/"as" without the exception).
template <typename T>
T* ObjectCast(TObject* object) noexcept {
    return object && object->InheritsFrom(T::StaticClass()) ? static_cast<T*>(object) : nullptr;
}
template <typename T>
const T* ObjectCast(const TObject* object) noexcept {
    return object && object->InheritsFrom(T::StaticClass()) ? static_cast<const T*>(object) : nullptr;
}

// The class registry that form streams use to find classes by name.
// Names compare ignoring ASCII case, as the class library's.
void RegisterClass(TClass cls);
void UnRegisterClass(TClass cls);
[[nodiscard]] TClass GetClass(StringView name);  // nullptr when unknown
[[nodiscard]] TClass FindClass(StringView name); // raises EClassNotFound when unknown

} // namespace rtl

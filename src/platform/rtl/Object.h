#pragma once

// The root of the object model: class metadata with a parent chain and a
// virtual constructor, a by-name class registry, and a monitor lock that
// every object carries (created on first use).

#include "platform/rtl/String.h"

#include <atomic>
#include <mutex>
#include <string_view>

namespace rtl {

class TObject;
class TComponent;
struct TClassInfo;

// A class reference ("class of TObject").
using TClass = const TClassInfo*;

// Creates an instance for a class reference. Component classes receive the
// owner; other classes ignore it.
using TObjectFactory = TObject* (*)(TComponent* owner);

struct TClassInfo {
    std::string_view Name;   // ASCII, as declared
    TClass Parent = nullptr; // nullptr only for TObject
    TObjectFactory Factory = nullptr; // nullptr for abstract classes

    [[nodiscard]] bool InheritsFrom(TClass ancestor) const noexcept;
    [[nodiscard]] String ClassName() const;
    // The virtual constructor; raises EAbstractError for abstract classes.
    [[nodiscard]] TObject* Create(TComponent* owner = nullptr) const;
};

template <typename T>
TObject* DefaultFactory(TComponent* owner) {
    if constexpr (requires { new T(owner); })
        return new T(owner);
    else
        return new T();
}

// Declares the metadata members; put it first in the class body.
#define RTL_CLASS(ClassName, ParentName)                                                                     \
public:                                                                                                      \
    using inherited = ParentName;                                                                            \
    static ::rtl::TClass StaticClass() noexcept;                                                             \
    ::rtl::TClass ClassType() const noexcept override { return StaticClass(); }                              \
                                                                                                             \
private:

// Defines the metadata in one .cpp file. The factory is the class's virtual
// constructor; abstract classes use RTL_IMPLEMENT_ABSTRACT_CLASS.
#define RTL_IMPLEMENT_CLASS(ClassName)                                                                       \
    ::rtl::TClass ClassName::StaticClass() noexcept {                                                        \
        static const ::rtl::TClassInfo info{#ClassName, ClassName::inherited::StaticClass(),                 \
                                            &::rtl::DefaultFactory<ClassName>};                              \
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
    [[nodiscard]] bool InheritsFrom(TClass ancestor) const noexcept { return ClassType()->InheritsFrom(ancestor); }

    // Destroys the object. Classes with shared ownership override it.
    virtual void Free() { delete this; }

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

#pragma once

// Published members: the properties, methods and fields that form streams,
// skin values and picture streaming find by name. Each class lists its own
// members in a block beside its implementation:
//
//   RTL_PUBLISHED(TDesignRect) {
//       Property(u"StretchMode", &TDesignRect::FStretchMode,
//       &TDesignRect::SetStretchMode).Default(sdmDefault); Property(u"Empty", &TDesignRect::GetEmpty,
//       &TDesignRect::SetEmpty).Default(true).Stored(false); Property(u"Left", Index(0), &TDesignRect::FLeft,
//       &TDesignRect::SetValue).Default(0); Method(u"Button1Click", &TDesignRect::Button1Click);
//   }
//
// Read and write access is a field or a member function (taking the index
// for indexed properties); the value type comes from the getter and the
// setter must take exactly that type, so a mismatch does not compile.
// Lists put inherited properties first, in declaration order; a class that
// declares an inherited name again replaces it in place, as a descendant
// that republishes a property with another default or stored test.
// Names compare ignoring ASCII case.

#include "platform/rtl/TypeInfo.h"

#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <variant>
#include <vector>

namespace rtl {

// A method reference whose signature is known only at run time ("TMethod").
using TMethodCode = void (TObject::*)();

struct TMethod {
    TObject* Data = nullptr;
    TMethodCode Code = nullptr;
    const void* Signature = nullptr; // MethodSignatureOf<...>() of the code's real type

    [[nodiscard]] bool Assigned() const noexcept { return Code != nullptr; }
    bool operator==(const TMethod&) const = default;
};

namespace detail {

// Member function pointers of TObject's single-inheritance hierarchy share
// one representation, so erasing the signature is a copy of the bits; the
// signature identity travels beside it and guards the way back.
template <typename Code>
TMethodCode EraseMethodCode(Code code) noexcept {
    static_assert(sizeof(Code) == sizeof(TMethodCode));
    return std::bit_cast<TMethodCode>(code);
}
template <typename Code>
Code RestoreMethodCode(TMethodCode code) noexcept {
    static_assert(sizeof(Code) == sizeof(TMethodCode));
    return std::bit_cast<Code>(code);
}

} // namespace detail

template <typename R, typename... Args>
[[nodiscard]] TMethod ToMethod(const TEvent<R(Args...)>& event) {
    if (!event.CodeAddress())
        return {event.Data(), nullptr, nullptr};
    return {event.Data(), detail::EraseMethodCode(event.CodeAddress()), MethodSignatureOf<R(Args...)>()};
}

// The event for a method of the same signature; an empty method gives an
// empty event and any other signature raises EPropertyConvertError.
template <typename Signature>
[[nodiscard]] TEvent<Signature> ToEvent(const TMethod& method);

// The generic value of a property: ordinals (integers, characters,
// enumerations, sets as bit masks, 64-bit integers) as int64, floating point
// as double, strings, objects and methods.
using TPropValue = std::variant<std::monostate, std::int64_t, double, String, TObject*, TMethod>;

// The class library's markers for "no default" and "no index".
inline constexpr std::int32_t NoDefault = INT32_MIN;
inline constexpr std::int32_t NoIndex = INT32_MIN;

struct TPropInfo;

class TPropAccess {
public:
    virtual ~TPropAccess() = default;
    [[nodiscard]] virtual TPropValue Get(const TPropInfo& prop, TObject* instance) const = 0;
    virtual void Set(const TPropInfo& prop, TObject* instance, const TPropValue& value) const = 0;
    [[nodiscard]] virtual bool Writable() const noexcept = 0;
};

class TStoredTest {
public:
    virtual ~TStoredTest() = default;
    [[nodiscard]] virtual bool IsStored(const TPropInfo& prop, TObject* instance) const = 0;
};

struct TPropInfo {
    StringView Name;
    const TTypeInfo* PropType = nullptr;
    TClass Owner = nullptr; // the class whose block declared the property
    std::int32_t Index = NoIndex;
    std::int32_t Default = NoDefault;
    bool StoredConstant = true; // the answer when there is no stored test
    std::unique_ptr<const TPropAccess> Access;
    std::unique_ptr<const TStoredTest> Stored;

    [[nodiscard]] bool Writable() const noexcept { return Access && Access->Writable(); }
    [[nodiscard]] TTypeKind Kind() const noexcept { return PropType->Kind; }
};

struct TMethodInfo {
    StringView Name;
    TMethodCode Code = nullptr;
    const void* Signature = nullptr;
    TClass Owner = nullptr;
};

// A published field holding a component reference (a form's "Button1:
// TButton"); the owner's field is set when a component of that name joins it.
struct TFieldInfo {
    StringView Name;
    TClass FieldClass = nullptr; // class of the referenced objects
    TClass Owner = nullptr;
    std::function<TObject*(TObject* instance)> Get;
    std::function<void(TObject* instance, TObject* value)> Set;
};

// The members a class declares itself, in declaration order.
struct TPublishedInfo {
    std::vector<TPropInfo> Properties;
    std::vector<TMethodInfo> Methods;
    std::vector<TFieldInfo> Fields;
};

using TPropList = std::vector<const TPropInfo*>;

// --- looking up

// Published properties of a class, inherited ones first. The list lives as
// long as the program.
[[nodiscard]] const TPropList& GetPropList(TClass cls);
[[nodiscard]] const TPropList& GetPropList(const TObject* instance);
// nullptr when the class has no published property of that name.
[[nodiscard]] const TPropInfo* GetPropInfo(TClass cls, StringView name);
[[nodiscard]] const TPropInfo* GetPropInfo(const TObject* instance, StringView name);
// Raises EPropertyError "Property %s does not exist" when there is none.
[[nodiscard]] const TPropInfo* FindPropInfo(const TObject* instance, StringView name);
[[nodiscard]] bool IsPublishedProp(const TObject* instance, StringView name);

[[nodiscard]] const TMethodInfo* FindMethodInfo(TClass cls, StringView name);
[[nodiscard]] const TFieldInfo* FindFieldInfo(TClass cls, StringView name);

// --- stored and default

// The property's stored test: constant, a Boolean field or a member function.
[[nodiscard]] bool IsStoredProp(TObject* instance, const TPropInfo* prop);
[[nodiscard]] bool IsStoredProp(TObject* instance, StringView name);
// Whether a writer may leave the value out: an ordinal equal to its default
// (never for "nodefault"), a 64-bit integer equal to its default or 0, a
// float equal to 0, an empty string, a nil object or an unassigned method.
[[nodiscard]] bool IsDefaultPropertyValue(TObject* instance, const TPropInfo* prop);

// --- reading and writing
//
// The instance must be of the property's class or a descendant. A property
// of another kind raises EPropertyConvertError "Invalid property type: %s";
// writing a read-only property raises EPropertyError "Property %s is read-only".

[[nodiscard]] TPropValue GetPropValue(TObject* instance, const TPropInfo* prop);
void SetPropValue(TObject* instance, const TPropInfo* prop, const TPropValue& value);

[[nodiscard]] std::int64_t GetOrdProp(TObject* instance, const TPropInfo* prop);
[[nodiscard]] std::int64_t GetOrdProp(TObject* instance, StringView name);
void SetOrdProp(TObject* instance, const TPropInfo* prop, std::int64_t value);
void SetOrdProp(TObject* instance, StringView name, std::int64_t value);

[[nodiscard]] std::int64_t GetInt64Prop(TObject* instance, const TPropInfo* prop);
[[nodiscard]] std::int64_t GetInt64Prop(TObject* instance, StringView name);
void SetInt64Prop(TObject* instance, const TPropInfo* prop, std::int64_t value);
void SetInt64Prop(TObject* instance, StringView name, std::int64_t value);

// Enumerations by value name; an unknown name raises EPropertyConvertError
// "Invalid property element: %s".
[[nodiscard]] String GetEnumProp(TObject* instance, const TPropInfo* prop);
[[nodiscard]] String GetEnumProp(TObject* instance, StringView name);
void SetEnumProp(TObject* instance, const TPropInfo* prop, StringView value);
void SetEnumProp(TObject* instance, StringView name, StringView value);

// Sets as element names ("fsBold,fsItalic").
[[nodiscard]] String GetSetProp(TObject* instance, const TPropInfo* prop, bool brackets = false);
[[nodiscard]] String GetSetProp(TObject* instance, StringView name, bool brackets = false);
void SetSetProp(TObject* instance, const TPropInfo* prop, StringView value);
void SetSetProp(TObject* instance, StringView name, StringView value);

[[nodiscard]] double GetFloatProp(TObject* instance, const TPropInfo* prop);
[[nodiscard]] double GetFloatProp(TObject* instance, StringView name);
void SetFloatProp(TObject* instance, const TPropInfo* prop, double value);
void SetFloatProp(TObject* instance, StringView name, double value);

[[nodiscard]] String GetStrProp(TObject* instance, const TPropInfo* prop);
[[nodiscard]] String GetStrProp(TObject* instance, StringView name);
void SetStrProp(TObject* instance, const TPropInfo* prop, StringView value);
void SetStrProp(TObject* instance, StringView name, StringView value);

// An object of another class than the property's raises EInvalidCast.
[[nodiscard]] TObject* GetObjectProp(TObject* instance, const TPropInfo* prop);
[[nodiscard]] TObject* GetObjectProp(TObject* instance, StringView name);
void SetObjectProp(TObject* instance, const TPropInfo* prop, TObject* value);
void SetObjectProp(TObject* instance, StringView name, TObject* value);

// A method of another signature raises EPropertyConvertError "Invalid property value".
[[nodiscard]] TMethod GetMethodProp(TObject* instance, const TPropInfo* prop);
[[nodiscard]] TMethod GetMethodProp(TObject* instance, StringView name);
void SetMethodProp(TObject* instance, const TPropInfo* prop, const TMethod& value);
void SetMethodProp(TObject* instance, StringView name, const TMethod& value);

// --- published methods

// The published method of the instance's class (or an ancestor) bound to
// the instance; unassigned when there is none ("MethodAddress").
[[nodiscard]] TMethod MethodAddress(TObject* instance, StringView name);
// The published name of a bound method; empty when its code is not
// published by the class of its object.
[[nodiscard]] String MethodName(const TMethod& method);
template <typename Signature>
[[nodiscard]] String MethodName(const TEvent<Signature>& event) {
    return MethodName(ToMethod(event));
}

// --- registration

// The index of an indexed property, handed to its getter, setter and stored test.
struct TPropIndex {
    std::int32_t Value;
};

namespace detail {

template <typename T>
inline constexpr bool IsEvent = false;
template <typename Signature>
inline constexpr bool IsEvent<TEvent<Signature>> = true;

template <typename T>
constexpr bool IsOrdinalType() {
    return std::is_integral_v<T> || std::is_enum_v<T> || IsSetType<T>;
}

template <typename T>
constexpr bool IsObjectPointer() {
    if constexpr (std::is_pointer_v<T>)
        return std::is_base_of_v<TObject, std::remove_pointer_t<T>>;
    else
        return false;
}

[[noreturn]] void RaiseInvalidPropType(const TPropInfo& prop);
[[noreturn]] void RaiseInvalidCast();
[[noreturn]] void RaiseInvalidMethod();
[[noreturn]] void RaiseRangeError();

template <typename T>
TPropValue ToPropValue(const T& value) {
    if constexpr (IsSetType<T>)
        return static_cast<std::int64_t>(value.Bits());
    else if constexpr (IsOrdinalType<T>())
        return static_cast<std::int64_t>(value);
    else if constexpr (std::is_floating_point_v<T>)
        return static_cast<double>(value);
    else if constexpr (std::is_same_v<T, String>)
        return value;
    else if constexpr (IsObjectPointer<T>())
        return static_cast<TObject*>(value);
    else if constexpr (IsEvent<T>)
        return ToMethod(value);
    else
        static_assert(sizeof(T) == 0, "type cannot be a published property");
}

template <typename T>
T FromPropValue(const TPropInfo& prop, const TPropValue& value) {
    if constexpr (IsOrdinalType<T>()) {
        const auto* ordinal = std::get_if<std::int64_t>(&value);
        if (!ordinal)
            RaiseInvalidPropType(prop);
        if constexpr (IsSetType<T>) {
            std::size_t count = prop.PropType->CompType->EnumNames.size();
            std::uint64_t mask = count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
            return T::FromBits(static_cast<std::uint64_t>(*ordinal) & mask);
        } else if constexpr (std::is_enum_v<T> || std::is_same_v<T, bool>) {
            // An out-of-range value would be undefined in the enumeration.
            if (*ordinal < prop.PropType->MinValue || *ordinal > prop.PropType->MaxValue)
                RaiseRangeError();
            return static_cast<T>(*ordinal);
        } else {
            // Integers are truncated to the property's size, as the class library's SetOrdProp does.
            return static_cast<T>(*ordinal);
        }
    } else if constexpr (std::is_floating_point_v<T>) {
        if (const auto* real = std::get_if<double>(&value))
            return static_cast<T>(*real);
        if (const auto* ordinal = std::get_if<std::int64_t>(&value))
            return static_cast<T>(*ordinal);
        RaiseInvalidPropType(prop);
    } else if constexpr (std::is_same_v<T, String>) {
        const auto* text = std::get_if<String>(&value);
        if (!text)
            RaiseInvalidPropType(prop);
        return *text;
    } else if constexpr (IsObjectPointer<T>()) {
        if (std::holds_alternative<std::monostate>(value))
            return nullptr;
        const auto* object = std::get_if<TObject*>(&value);
        if (!object)
            RaiseInvalidPropType(prop);
        if (*object && !(*object)->InheritsFrom(std::remove_pointer_t<T>::StaticClass()))
            RaiseInvalidCast();
        return static_cast<T>(*object);
    } else if constexpr (IsEvent<T>) {
        if (std::holds_alternative<std::monostate>(value))
            return T();
        const auto* method = std::get_if<TMethod>(&value);
        if (!method)
            RaiseInvalidPropType(prop);
        return ToEvent<typename T::SignatureType>(*method);
    } else {
        static_assert(sizeof(T) == 0, "type cannot be a published property");
    }
}

// Parts of a member function pointer type.
template <typename M>
struct TMemberFn {
    static constexpr bool IsFunction = false;
};
#define RTL_MEMBER_FN_TRAITS(Qualifiers)                                                                     \
    template <typename R, typename K, typename... A>                                                         \
    struct TMemberFn<R (K::*)(A...) Qualifiers> {                                                            \
        static constexpr bool IsFunction = true;                                                             \
        using Result = R;                                                                                    \
        using Class = K;                                                                                     \
        using Args = std::tuple<A...>;                                                                       \
        static constexpr std::size_t Arity = sizeof...(A);                                                   \
    };
RTL_MEMBER_FN_TRAITS()
RTL_MEMBER_FN_TRAITS(const)
RTL_MEMBER_FN_TRAITS(noexcept)
RTL_MEMBER_FN_TRAITS(const noexcept)
#undef RTL_MEMBER_FN_TRAITS

template <typename M>
struct TMemberField {
    static constexpr bool IsField = false;
};
template <typename T, typename K>
struct TMemberField<T K::*> {
    static constexpr bool IsField = !std::is_function_v<T>;
    using Type = T;
    using Class = K;
};

// The value type a getter yields: a field's type or a function's result.
template <typename C, typename G, bool Indexed>
struct TGetterValue;
template <typename C, typename G, bool Indexed>
requires TMemberField<G>::IsField struct TGetterValue<C, G, Indexed> {
    using Type = std::remove_cv_t<typename TMemberField<G>::Type>;
};
template <typename C, typename G, bool Indexed>
requires TMemberFn<G>::IsFunction struct TGetterValue<C, G, Indexed> {
    static_assert(TMemberFn<G>::Arity == (Indexed ? 1 : 0),
                  "a getter takes no argument, or the index (int) for an indexed property");
    using Type = std::remove_cvref_t<typename TMemberFn<G>::Result>;
};

template <typename C, typename M>
constexpr bool IsMemberOf() {
    if constexpr (TMemberField<M>::IsField)
        return std::is_base_of_v<typename TMemberField<M>::Class, C>;
    else if constexpr (TMemberFn<M>::IsFunction)
        return std::is_base_of_v<typename TMemberFn<M>::Class, C>;
    else
        return false;
}

template <typename C, typename T, bool Indexed, typename S>
constexpr void CheckSetter() {
    if constexpr (!std::is_null_pointer_v<S>) {
        static_assert(IsMemberOf<C, S>(), "the setter is a field or member function of the class");
        if constexpr (TMemberField<S>::IsField) {
            static_assert(std::is_same_v<typename TMemberField<S>::Type, T>,
                          "the setter field has the getter's type");
        } else {
            using Fn = TMemberFn<S>;
            static_assert(
                Fn::Arity == (Indexed ? 2 : 1),
                "a setter takes the value, or the index (int) and the value for an indexed property");
            static_assert(
                std::is_same_v<std::remove_cvref_t<std::tuple_element_t<Fn::Arity - 1, typename Fn::Args>>,
                               T>,
                "the setter takes the getter's type");
        }
    }
}

template <typename C, typename T, bool Indexed, typename G, typename S>
class TTypedPropAccess final : public TPropAccess {
public:
    TTypedPropAccess(G getter, S setter) : FGetter(getter), FSetter(setter) {}

    TPropValue Get(const TPropInfo& prop, TObject* instance) const override {
        C& self = *static_cast<C*>(instance);
        if constexpr (TMemberField<G>::IsField)
            return ToPropValue<T>(self.*FGetter);
        else if constexpr (Indexed)
            return ToPropValue<T>((self.*FGetter)(prop.Index));
        else
            return ToPropValue<T>((self.*FGetter)());
    }

    void Set(const TPropInfo& prop, TObject* instance, const TPropValue& value) const override {
        if constexpr (std::is_null_pointer_v<S>) {
            (void)prop, (void)instance, (void)value;
        } else {
            C& self = *static_cast<C*>(instance);
            T converted = FromPropValue<T>(prop, value);
            if constexpr (TMemberField<S>::IsField)
                self.*FSetter = std::move(converted);
            else if constexpr (Indexed)
                (self.*FSetter)(prop.Index, std::move(converted));
            else
                (self.*FSetter)(std::move(converted));
        }
    }

    bool Writable() const noexcept override { return !std::is_null_pointer_v<S>; }

private:
    G FGetter;
    S FSetter;
};

template <typename C, bool Indexed, typename St>
class TTypedStoredTest final : public TStoredTest {
public:
    explicit TTypedStoredTest(St test) : FTest(test) {}
    bool IsStored(const TPropInfo& prop, TObject* instance) const override {
        C& self = *static_cast<C*>(instance);
        if constexpr (TMemberField<St>::IsField)
            return self.*FTest;
        else if constexpr (Indexed)
            return (self.*FTest)(prop.Index);
        else
            return (self.*FTest)();
    }

private:
    St FTest;
};

// Thrown at start-up for a published block that contradicts itself.
[[noreturn]] void RaiseRegistrationError(TClass cls, StringView name, const char* problem);
std::int32_t CheckedDefault(TClass cls, StringView name, std::int64_t ordinal);
void CheckTypeOverride(TClass cls, StringView name, const TTypeInfo* declared, const TTypeInfo* given);
void CheckNewName(const TPublishedInfo& info, TClass cls, StringView name);

} // namespace detail

template <typename Signature>
TEvent<Signature> ToEvent(const TMethod& method) {
    if (!method.Code)
        return TEvent<Signature>();
    if (method.Signature != MethodSignatureOf<Signature>())
        detail::RaiseInvalidMethod();
    using Code = typename TEvent<Signature>::Code;
    return TEvent<Signature>(method.Data, detail::RestoreMethodCode<Code>(method.Code));
}

// Refines the property just declared: default, stored test, type.
template <typename C, typename T, bool Indexed>
class TPropertyBuilder {
public:
    TPropertyBuilder(TPropInfo& prop) : FProp(prop) {}

    // The ordinal default that writers leave out.
    TPropertyBuilder& Default(T value) requires(detail::IsOrdinalType<T>()) {
        FProp.Default = detail::CheckedDefault(C::StaticClass(), FProp.Name,
                                               std::get<std::int64_t>(detail::ToPropValue<T>(value)));
        return *this;
    }
    // Documents that the property has no default (always written when stored).
    TPropertyBuilder& NoDefault() {
        FProp.Default = rtl::NoDefault;
        return *this;
    }

    TPropertyBuilder& Stored(bool stored) {
        FProp.Stored.reset();
        FProp.StoredConstant = stored;
        return *this;
    }
    // A Boolean field or a member function (taking the index when indexed).
    template <typename St>
    requires(!std::is_same_v<St, bool>) TPropertyBuilder& Stored(St test) {
        static_assert(detail::IsMemberOf<C, St>(),
                      "the stored test is a field or member function of the class");
        if constexpr (detail::TMemberField<St>::IsField) {
            static_assert(std::is_same_v<typename detail::TMemberField<St>::Type, bool>,
                          "a stored field is Boolean");
        } else {
            using Fn = detail::TMemberFn<St>;
            static_assert(std::is_same_v<typename Fn::Result, bool>, "a stored test returns bool");
            static_assert(Fn::Arity == (Indexed ? 1 : 0),
                          "a stored test takes no argument, or the index (int) for an indexed property");
        }
        FProp.Stored = std::make_unique<detail::TTypedStoredTest<C, Indexed, St>>(test);
        return *this;
    }

    // Names the property's type where the C++ type is shared (TColor is an Integer).
    TPropertyBuilder& Type(const TTypeInfo* type) {
        detail::CheckTypeOverride(C::StaticClass(), FProp.Name, FProp.PropType, type);
        FProp.PropType = type;
        return *this;
    }

private:
    TPropInfo& FProp;
};

// The base of a published block; its members are the block's vocabulary.
template <typename C>
class TPublisher {
public:
    using Class = C;
    explicit TPublisher(TPublishedInfo& info) : FInfo(info) {}

protected:
    static constexpr TPropIndex Index(std::int32_t value) noexcept { return {value}; }

    template <std::size_t N, typename G, typename S = std::nullptr_t>
    auto Property(const char16_t (&name)[N], G getter, S setter = nullptr) {
        return Declare<false>(name, NoIndex, getter, setter);
    }

    template <std::size_t N, typename G, typename S = std::nullptr_t>
    auto Property(const char16_t (&name)[N], TPropIndex index, G getter, S setter = nullptr) {
        return Declare<true>(name, index.Value, getter, setter);
    }

    // A published method, found by name when a stream binds an event to it.
    template <std::size_t N, typename M>
    void Method(const char16_t (&name)[N], M method) {
        using Fn = detail::TMemberFn<M>;
        static_assert(Fn::IsFunction && detail::IsMemberOf<C, M>(),
                      "a published method is a member function");
        FInfo.Methods.push_back(
            {StringView(name, N - 1), EraseCode(method), SignatureOf(method), C::StaticClass()});
    }

    // A published component reference field.
    template <std::size_t N, typename T, typename K>
    void Field(const char16_t (&name)[N], T* K::*field) {
        static_assert(std::is_base_of_v<K, C> && std::is_base_of_v<TObject, T>,
                      "a published field is an object reference of the class");
        FInfo.Fields.push_back({
            StringView(name, N - 1),
            T::StaticClass(),
            C::StaticClass(),
            [field](TObject* instance) -> TObject* { return static_cast<C*>(instance)->*field; },
            [field](TObject* instance, TObject* value) {
                static_cast<C*>(instance)->*field = static_cast<T*>(value);
            },
        });
    }

private:
    template <bool Indexed, std::size_t N, typename G, typename S>
    auto Declare(const char16_t (&name)[N], std::int32_t index, G getter, S setter) {
        static_assert(detail::IsMemberOf<C, G>(), "the getter is a field or member function of the class");
        using T = typename detail::TGetterValue<C, G, Indexed>::Type;
        detail::CheckSetter<C, T, Indexed, S>();
        StringView propName(name, N - 1);
        detail::CheckNewName(FInfo, C::StaticClass(), propName);
        TPropInfo& prop = FInfo.Properties.emplace_back();
        prop.Name = propName;
        prop.PropType = TypeInfoOf<T>();
        prop.Owner = C::StaticClass();
        prop.Index = index;
        prop.Access = std::make_unique<detail::TTypedPropAccess<C, T, Indexed, G, S>>(getter, setter);
        return TPropertyBuilder<C, T, Indexed>(prop);
    }

    template <typename R, typename K, typename... A>
    static TMethodCode EraseCode(R (K::*code)(A...)) {
        return detail::EraseMethodCode(static_cast<R (TObject::*)(A...)>(code));
    }
    template <typename R, typename K, typename... A>
    static const void* SignatureOf(R (K::*)(A...)) {
        return MethodSignatureOf<R(A...)>();
    }

    TPublishedInfo& FInfo;
};

namespace detail {

void RegisterPublished(TClass cls, const TPublishedInfo* info);

template <typename P>
struct TPublishedRegistrar {
    TPublishedRegistrar() {
        // Lives as long as the program: property lists hand out pointers into it.
        auto* info = new TPublishedInfo;
        P publisher(*info);
        publisher.Declare();
        RegisterPublished(P::Class::StaticClass(), info);
    }
};

} // namespace detail

// Opens the published block of a class; put it beside RTL_IMPLEMENT_CLASS,
// in the class's namespace.
#define RTL_PUBLISHED(ClassName)                                                                             \
    struct RtlPublished_##ClassName : ::rtl::TPublisher<ClassName> {                                         \
        using TPublisher::TPublisher;                                                                        \
        void Declare();                                                                                      \
    };                                                                                                       \
    static const ::rtl::detail::TPublishedRegistrar<RtlPublished_##ClassName>                                \
        rtlPublishedRegistrar_##ClassName;                                                                   \
    void RtlPublished_##ClassName::Declare()

} // namespace rtl

#pragma once

// Run-time type information for the types that published properties use:
// ordinals (integers, characters, enumerations, sets, 64-bit integers),
// floating point, strings, object references and method references. Each
// supported C++ type maps to one static TTypeInfo through TypeInfoOf<T>().
//
// Enumerations carry their value names. Declare an enumeration with
// RTL_ENUM(TAlign, alNone, alTop, ...) so that its names cannot drift from
// its values, or name an existing one with RTL_ENUM_INFO in its namespace.
// Values are consecutive from 0, as in the class library.

#include "platform/rtl/Event.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/String.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <span>
#include <string_view>
#include <type_traits>

namespace rtl {

RTL_EXCEPTION(EPropertyError, Exception)
RTL_EXCEPTION(EPropertyConvertError, Exception)

enum TTypeKind : std::uint8_t {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString,
    tkVariant,
    tkArray,
    tkRecord,
    tkInterface,
    tkInt64,
    tkDynArray,
    tkUString,
    tkClassRef,
    tkPointer,
    tkProcedure
};

enum TOrdType : std::uint8_t { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType : std::uint8_t { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

struct TTypeInfo {
    TTypeKind Kind = tkUnknown;
    std::string_view Name; // ASCII, as the class library names the type
    TOrdType OrdType = otSLong;
    std::int64_t MinValue = 0; // ordinals, enumerations and 64-bit integers
    std::int64_t MaxValue = 0;
    std::span<const std::string_view> EnumNames; // enumerations: the name of value i
    const TTypeInfo* CompType = nullptr;         // sets: the element enumeration
    TFloatType FloatType = ftDouble;
    TClass ClassType = nullptr;            // object references
    const void* MethodSignature = nullptr; // method references: identity of the signature
};

// A copy of `base` under another name (TColor is an Integer that the form
// streams translate through its own identifier table).
[[nodiscard]] TTypeInfo NamedTypeInfo(const TTypeInfo* base, std::string_view name);

// The identity of a method signature: equal for equal signatures only.
template <typename Signature>
struct TMethodSignature {
    static constexpr char Tag = 0;
};
template <typename Signature>
[[nodiscard]] constexpr const void* MethodSignatureOf() noexcept {
    return &TMethodSignature<Signature>::Tag;
}

// --- enumeration and set names

// The name of an enumeration value; empty when out of range.
[[nodiscard]] String GetEnumName(const TTypeInfo* enumType, std::int64_t value);
// The value of an enumeration name, ignoring ASCII case; -1 when unknown.
[[nodiscard]] std::int64_t GetEnumValue(const TTypeInfo* enumType, StringView name);

// "fsBold,fsItalic", in brackets on request. Bits beyond the enumeration are ignored.
[[nodiscard]] String SetToString(const TTypeInfo* setType, std::int64_t value, bool brackets = false);
// The inverse; brackets and blanks are optional. An unknown element raises
// EPropertyConvertError "Invalid property element: %s".
[[nodiscard]] std::int64_t StringToSet(const TTypeInfo* setType, StringView text);

// --- identifier tables of integer types (colour and cursor names)

using TIdentToInt = bool (*)(StringView ident, std::int32_t& value);
using TIntToIdent = bool (*)(std::int32_t value, String& ident);

void RegisterIntegerConsts(const TTypeInfo* integerType, TIdentToInt identToInt, TIntToIdent intToIdent);
[[nodiscard]] TIdentToInt FindIdentToInt(const TTypeInfo* integerType);
[[nodiscard]] TIntToIdent FindIntToIdent(const TTypeInfo* integerType);

// --- TypeInfoOf<T>()

template <typename T>
struct TTypeInfoOf; // no definition: a type without run-time type information does not compile

template <typename T>
[[nodiscard]] const TTypeInfo* TypeInfoOf() {
    return TTypeInfoOf<std::remove_cvref_t<T>>::Get();
}

namespace detail {

template <typename T>
constexpr TOrdType OrdTypeOf() {
    if constexpr (sizeof(T) == 1)
        return std::is_signed_v<T> ? otSByte : otUByte;
    else if constexpr (sizeof(T) == 2)
        return std::is_signed_v<T> ? otSWord : otUWord;
    else
        return std::is_signed_v<T> ? otSLong : otULong;
}

template <typename T>
constexpr std::string_view IntegerTypeName() {
    constexpr bool s = std::is_signed_v<T>;
    if constexpr (sizeof(T) == 1)
        return s ? "ShortInt" : "Byte";
    else if constexpr (sizeof(T) == 2)
        return s ? "SmallInt" : "Word";
    else if constexpr (sizeof(T) == 4)
        return s ? "Integer" : "Cardinal";
    else
        return s ? "Int64" : "UInt64";
}

template <typename T>
const TTypeInfo* IntegerTypeInfo() {
    static const TTypeInfo info{
        .Kind = sizeof(T) == 8 ? tkInt64 : tkInteger,
        .Name = IntegerTypeName<T>(),
        .OrdType = OrdTypeOf<T>(),
        .MinValue = static_cast<std::int64_t>(std::numeric_limits<T>::min()),
        // UInt64's upper half is not representable; its range is used as 64 bits.
        .MaxValue = sizeof(T) == 8 && !std::is_signed_v<T>
                        ? std::numeric_limits<std::int64_t>::max()
                        : static_cast<std::int64_t>(std::numeric_limits<T>::max()),
    };
    return &info;
}

template <std::size_t N>
constexpr std::array<std::string_view, N> SplitEnumNames(std::string_view list) {
    std::array<std::string_view, N> names{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < N; ++i) {
        std::size_t comma = list.find(',', pos);
        std::string_view part =
            list.substr(pos, comma == std::string_view::npos ? list.size() - pos : comma - pos);
        while (!part.empty() && (part.front() == ' ' || part.front() == '\n' || part.front() == '\t'))
            part.remove_prefix(1);
        while (!part.empty() && (part.back() == ' ' || part.back() == '\n' || part.back() == '\t'))
            part.remove_suffix(1);
        names[i] = part;
        pos = comma == std::string_view::npos ? list.size() : comma + 1;
    }
    return names;
}

template <typename E, std::size_t N>
constexpr bool EnumeratorsAreOrdinals(const E (&values)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::int64_t>(values[i]) != static_cast<std::int64_t>(i))
            return false;
    }
    return true;
}

TTypeInfo MakeEnumTypeInfo(std::string_view name, std::span<const std::string_view> names);

} // namespace detail

// Type information for an existing enumeration; list every value in order.
#define RTL_ENUM_INFO(TypeName, ...)                                                                         \
    [[maybe_unused]] inline const ::rtl::TTypeInfo* RtlTypeInfo(const TypeName*) {                           \
        static constexpr TypeName values[] = {__VA_ARGS__};                                                  \
        static_assert(::rtl::detail::EnumeratorsAreOrdinals(values),                                         \
                      "list the values of " #TypeName " in order, starting at 0");                           \
        static constexpr auto names = ::rtl::detail::SplitEnumNames<std::size(values)>(#__VA_ARGS__);        \
        static const ::rtl::TTypeInfo info = ::rtl::detail::MakeEnumTypeInfo(#TypeName, names);              \
        return &info;                                                                                        \
    }

// Declares an enumeration together with its value names.
#define RTL_ENUM(TypeName, ...)                                                                              \
    enum TypeName { __VA_ARGS__ };                                                                           \
    RTL_ENUM_INFO(TypeName, __VA_ARGS__)

template <typename T>
requires std::is_integral_v<T> &&
    (!std::is_same_v<T, bool>)&&(!std::is_same_v<T, char>)&&(!std::is_same_v<T, char16_t>)&&(
        !std::is_same_v<
            T, char8_t>)&&(!std::is_same_v<T, char32_t>)&&(!std::is_same_v<T, wchar_t>)struct TTypeInfoOf<T> {
    static const TTypeInfo* Get() { return detail::IntegerTypeInfo<T>(); }
};

template <>
struct TTypeInfoOf<bool> {
    static const TTypeInfo* Get();
};
template <>
struct TTypeInfoOf<char> {
    static const TTypeInfo* Get();
};
template <>
struct TTypeInfoOf<char16_t> {
    static const TTypeInfo* Get();
};
template <>
struct TTypeInfoOf<float> {
    static const TTypeInfo* Get();
};
template <>
struct TTypeInfoOf<double> {
    static const TTypeInfo* Get();
};
template <>
struct TTypeInfoOf<String> {
    static const TTypeInfo* Get();
};

template <typename E>
requires std::is_enum_v<E>
struct TTypeInfoOf<E> {
    // Found by argument-dependent lookup in the enumeration's namespace.
    static const TTypeInfo* Get() { return RtlTypeInfo(static_cast<const E*>(nullptr)); }
};

template <typename E>
struct TTypeInfoOf<TSet<E>> {
    static const TTypeInfo* Get() {
        static const TTypeInfo info{
            .Kind = tkSet, .Name = "Set", .OrdType = otULong, .CompType = TypeInfoOf<E>()};
        return &info;
    }
};

template <typename T>
requires std::is_base_of_v<TObject, T>
struct TTypeInfoOf<T*> {
    static const TTypeInfo* Get() {
        static const TTypeInfo info{
            .Kind = tkClass, .Name = T::StaticClass()->Name, .ClassType = T::StaticClass()};
        return &info;
    }
};

template <typename Signature>
struct TTypeInfoOf<TEvent<Signature>> {
    static const TTypeInfo* Get() {
        static const TTypeInfo info{
            .Kind = tkMethod, .Name = "TMethod", .MethodSignature = MethodSignatureOf<Signature>()};
        return &info;
    }
};

// Kinds whose value is an ordinal (read and written as an integer).
[[nodiscard]] constexpr bool IsOrdinalKind(TTypeKind kind) noexcept {
    return kind == tkInteger || kind == tkChar || kind == tkWChar || kind == tkEnumeration || kind == tkSet ||
           kind == tkInt64;
}

} // namespace rtl

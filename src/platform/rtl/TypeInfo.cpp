#include "platform/rtl/TypeInfo.h"

#include "platform/rtl/AsciiName_p.h"

#include <algorithm>
#include <shared_mutex>
#include <vector>

namespace rtl {

RTL_IMPLEMENT_CLASS(EPropertyError)
RTL_IMPLEMENT_CLASS(EPropertyConvertError)

TTypeInfo NamedTypeInfo(const TTypeInfo* base, std::string_view name) {
    TTypeInfo info = *base;
    info.Name = name;
    return info;
}

namespace detail {

TTypeInfo MakeEnumTypeInfo(std::string_view name, std::span<const std::string_view> names) {
    return TTypeInfo{
        .Kind = tkEnumeration,
        .Name = name,
        .OrdType = names.size() <= 256 ? otUByte : otUWord,
        .MinValue = 0,
        .MaxValue = static_cast<std::int64_t>(names.size()) - 1,
        .EnumNames = names,
    };
}

} // namespace detail

const TTypeInfo* TTypeInfoOf<bool>::Get() {
    static constexpr std::string_view names[] = {"False", "True"};
    static const TTypeInfo info = detail::MakeEnumTypeInfo("Boolean", names);
    return &info;
}

const TTypeInfo* TTypeInfoOf<char>::Get() {
    static const TTypeInfo info{.Kind = tkChar, .Name = "AnsiChar", .OrdType = otUByte, .MaxValue = 0xFF};
    return &info;
}

const TTypeInfo* TTypeInfoOf<char16_t>::Get() {
    static const TTypeInfo info{.Kind = tkWChar, .Name = "Char", .OrdType = otUWord, .MaxValue = 0xFFFF};
    return &info;
}

const TTypeInfo* TTypeInfoOf<float>::Get() {
    static const TTypeInfo info{.Kind = tkFloat, .Name = "Single", .FloatType = ftSingle};
    return &info;
}

const TTypeInfo* TTypeInfoOf<double>::Get() {
    static const TTypeInfo info{.Kind = tkFloat, .Name = "Double", .FloatType = ftDouble};
    return &info;
}

const TTypeInfo* TTypeInfoOf<String>::Get() {
    static const TTypeInfo info{.Kind = tkUString, .Name = "string"};
    return &info;
}

String GetEnumName(const TTypeInfo* enumType, std::int64_t value) {
    if (!enumType || enumType->Kind != tkEnumeration || value < 0 ||
        value >= static_cast<std::int64_t>(enumType->EnumNames.size()))
        return {};
    return AsciiToString(enumType->EnumNames[static_cast<std::size_t>(value)]);
}

std::int64_t GetEnumValue(const TTypeInfo* enumType, StringView name) {
    if (!enumType || enumType->Kind != tkEnumeration)
        return -1;
    for (std::size_t i = 0; i < enumType->EnumNames.size(); ++i) {
        if (detail::SameAsciiName(enumType->EnumNames[i], name))
            return static_cast<std::int64_t>(i);
    }
    return -1;
}

namespace {

const TTypeInfo* ElementType(const TTypeInfo* setType) {
    if (!setType || setType->Kind != tkSet || !setType->CompType || setType->CompType->Kind != tkEnumeration)
        throw EPropertyConvertError(u"Invalid property type: " +
                                    (setType ? AsciiToString(setType->Name) : String(u"nil")));
    return setType->CompType;
}

bool IsSetSeparator(char16_t c) {
    return c == u',' || c == u' ' || c == u'\t' || c == u']';
}

} // namespace

String SetToString(const TTypeInfo* setType, std::int64_t value, bool brackets) {
    const TTypeInfo* element = ElementType(setType);
    auto bits = static_cast<std::uint64_t>(value);
    String result;
    std::size_t count = std::min<std::size_t>(element->EnumNames.size(), 64);
    for (std::size_t i = 0; i < count; ++i) {
        if ((bits >> i) & 1) {
            if (!result.empty())
                result += u',';
            result += AsciiToString(element->EnumNames[i]);
        }
    }
    return brackets ? u"[" + result + u"]" : result;
}

std::int64_t StringToSet(const TTypeInfo* setType, StringView text) {
    const TTypeInfo* element = ElementType(setType);
    std::uint64_t bits = 0;
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == u'[' || text[pos] == u' ' || text[pos] == u'\t'))
        ++pos;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && !IsSetSeparator(text[end]))
            ++end;
        StringView name = text.substr(pos, end - pos);
        if (name.empty())
            break;
        std::int64_t ordinal = GetEnumValue(element, name);
        if (ordinal < 0 || ordinal >= 64)
            throw EPropertyConvertError(u"Invalid property element: " + String(name));
        bits |= std::uint64_t{1} << ordinal;
        pos = end;
        while (pos < text.size() && IsSetSeparator(text[pos]))
            ++pos;
    }
    return static_cast<std::int64_t>(bits);
}

namespace {

struct TIntConstEntry {
    const TTypeInfo* Type;
    TIdentToInt IdentToInt;
    TIntToIdent IntToIdent;
};

struct TIntConstRegistry {
    std::shared_mutex Lock;
    std::vector<TIntConstEntry> Entries;
};

TIntConstRegistry& IntConsts() {
    static TIntConstRegistry registry;
    return registry;
}

template <typename Pick>
auto FindIntConst(const TTypeInfo* type, Pick pick) -> decltype(pick(std::declval<const TIntConstEntry&>())) {
    auto& reg = IntConsts();
    std::shared_lock guard(reg.Lock);
    // The latest registration for a type wins, as in the class library.
    for (auto it = reg.Entries.rbegin(); it != reg.Entries.rend(); ++it) {
        if (it->Type == type)
            return pick(*it);
    }
    return nullptr;
}

} // namespace

void RegisterIntegerConsts(const TTypeInfo* integerType, TIdentToInt identToInt, TIntToIdent intToIdent) {
    auto& reg = IntConsts();
    std::unique_lock guard(reg.Lock);
    reg.Entries.push_back({integerType, identToInt, intToIdent});
}

TIdentToInt FindIdentToInt(const TTypeInfo* integerType) {
    return FindIntConst(integerType, [](const TIntConstEntry& e) { return e.IdentToInt; });
}

TIntToIdent FindIntToIdent(const TTypeInfo* integerType) {
    return FindIntConst(integerType, [](const TIntConstEntry& e) { return e.IntToIdent; });
}

} // namespace rtl

#include "platform/rtl/Published.h"

#include "platform/rtl/AsciiName_p.h"

#include <algorithm>
#include <string>

namespace rtl {

// The merged property list of a class, hung off its class metadata.
struct TPublishedCache {
    TPropList Properties;
};

namespace detail {

void RaiseInvalidPropType(const TPropInfo& prop) {
    throw EPropertyConvertError(u"Invalid property type: " + AsciiToString(prop.PropType->Name));
}

void RaiseInvalidCast() {
    throw EInvalidCast(u"Invalid class typecast");
}

void RaiseInvalidMethod() {
    throw EPropertyConvertError(u"Invalid property value");
}

void RaiseRangeError() {
    throw ERangeError(u"Range check error");
}

void RaiseRegistrationError(TClass cls, StringView name, const char* problem) {
    throw std::logic_error(std::string(cls->Name) + "." + StringToUtf8(name) + ": " + problem);
}

std::int32_t CheckedDefault(TClass cls, StringView name, std::int64_t ordinal) {
    if (ordinal < INT32_MIN || ordinal > INT32_MAX || ordinal == NoDefault)
        RaiseRegistrationError(cls, name,
                               "a default must be a 32-bit ordinal other than the no-default marker");
    return static_cast<std::int32_t>(ordinal);
}

void CheckTypeOverride(TClass cls, StringView name, const TTypeInfo* declared, const TTypeInfo* given) {
    if (!given || given->Kind != declared->Kind ||
        (IsOrdinalKind(declared->Kind) && given->OrdType != declared->OrdType) ||
        (declared->Kind == tkEnumeration && given->EnumNames.size() != declared->EnumNames.size()))
        RaiseRegistrationError(cls, name, "the named type does not match the property's C++ type");
}

void CheckNewName(const TPublishedInfo& info, TClass cls, StringView name) {
    for (const TPropInfo& prop : info.Properties) {
        if (SameAsciiName(prop.Name, name))
            RaiseRegistrationError(cls, name, "property declared twice");
    }
}

void RegisterPublished(TClass cls, const TPublishedInfo* info) {
    if (cls->Published)
        RaiseRegistrationError(cls, u"", "published block declared twice");
    cls->Published = info;
}

} // namespace detail

namespace {

using detail::SameAsciiName;

const TPublishedCache& CacheOf(TClass cls) {
    if (const TPublishedCache* cache = cls->Cache.load(std::memory_order_acquire))
        return *cache;
    std::vector<TClass> chain;
    for (TClass c = cls; c; c = c->Parent)
        chain.push_back(c);
    auto fresh = std::make_unique<TPublishedCache>();
    TPropList& list = fresh->Properties;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!(*it)->Published)
            continue;
        for (const TPropInfo& prop : (*it)->Published->Properties) {
            auto same = std::find_if(list.begin(), list.end(),
                                     [&](const TPropInfo* p) { return SameAsciiName(p->Name, prop.Name); });
            if (same != list.end())
                *same = &prop; // redeclared: keeps the inherited place
            else
                list.push_back(&prop);
        }
    }
    const TPublishedCache* expected = nullptr;
    if (cls->Cache.compare_exchange_strong(expected, fresh.get(), std::memory_order_acq_rel))
        return *fresh.release(); // owned by the class metadata from now on
    return *expected;            // another thread built it first
}

void CheckInstance(TObject* instance, const TPropInfo* prop) {
    if (!instance || !prop)
        throw EPropertyError(u"Invalid property access");
    if (!instance->InheritsFrom(prop->Owner))
        throw EPropertyError(u"Property " + String(prop->Name) + u" does not exist");
}

void CheckKind(const TPropInfo* prop, bool accepted) {
    if (!accepted)
        detail::RaiseInvalidPropType(*prop);
}

bool IsStringKind(TTypeKind kind) {
    return kind == tkString || kind == tkLString || kind == tkWString || kind == tkUString;
}

} // namespace

const TPropList& GetPropList(TClass cls) {
    return CacheOf(cls).Properties;
}

const TPropList& GetPropList(const TObject* instance) {
    return GetPropList(instance->ClassType());
}

const TPropInfo* GetPropInfo(TClass cls, StringView name) {
    for (const TPropInfo* prop : CacheOf(cls).Properties) {
        if (SameAsciiName(prop->Name, name))
            return prop;
    }
    return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* instance, StringView name) {
    return instance ? GetPropInfo(instance->ClassType(), name) : nullptr;
}

const TPropInfo* FindPropInfo(const TObject* instance, StringView name) {
    if (const TPropInfo* prop = GetPropInfo(instance, name))
        return prop;
    throw EPropertyError(u"Property " + String(name) + u" does not exist");
}

bool IsPublishedProp(const TObject* instance, StringView name) {
    return GetPropInfo(instance, name) != nullptr;
}

const TMethodInfo* FindMethodInfo(TClass cls, StringView name) {
    for (TClass c = cls; c; c = c->Parent) {
        if (!c->Published)
            continue;
        for (const TMethodInfo& method : c->Published->Methods) {
            if (SameAsciiName(method.Name, name))
                return &method;
        }
    }
    return nullptr;
}

const TFieldInfo* FindFieldInfo(TClass cls, StringView name) {
    for (TClass c = cls; c; c = c->Parent) {
        if (!c->Published)
            continue;
        for (const TFieldInfo& field : c->Published->Fields) {
            if (SameAsciiName(field.Name, name))
                return &field;
        }
    }
    return nullptr;
}

// --- stored and default

bool IsStoredProp(TObject* instance, const TPropInfo* prop) {
    CheckInstance(instance, prop);
    return prop->Stored ? prop->Stored->IsStored(*prop, instance) : prop->StoredConstant;
}

bool IsStoredProp(TObject* instance, StringView name) {
    return IsStoredProp(instance, FindPropInfo(instance, name));
}

bool IsDefaultPropertyValue(TObject* instance, const TPropInfo* prop) {
    TPropValue value = GetPropValue(instance, prop);
    switch (prop->Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet:
        return prop->Default != NoDefault && std::get<std::int64_t>(value) == prop->Default;
    case tkInt64:
        return std::get<std::int64_t>(value) == (prop->Default != NoDefault ? prop->Default : 0);
    case tkFloat:
        return std::get<double>(value) == 0.0;
    case tkClass:
        return std::get<TObject*>(value) == nullptr;
    case tkMethod:
        return !std::get<TMethod>(value).Assigned();
    default:
        if (IsStringKind(prop->Kind()))
            return std::get<String>(value).empty();
        return false;
    }
}

// --- generic access

TPropValue GetPropValue(TObject* instance, const TPropInfo* prop) {
    CheckInstance(instance, prop);
    return prop->Access->Get(*prop, instance);
}

void SetPropValue(TObject* instance, const TPropInfo* prop, const TPropValue& value) {
    CheckInstance(instance, prop);
    if (!prop->Writable())
        throw EPropertyError(u"Property " + String(prop->Name) + u" is read-only");
    prop->Access->Set(*prop, instance, value);
}

// --- ordinals

std::int64_t GetOrdProp(TObject* instance, const TPropInfo* prop) {
    CheckInstance(instance, prop);
    CheckKind(prop, IsOrdinalKind(prop->Kind()));
    return std::get<std::int64_t>(GetPropValue(instance, prop));
}

std::int64_t GetOrdProp(TObject* instance, StringView name) {
    return GetOrdProp(instance, FindPropInfo(instance, name));
}

void SetOrdProp(TObject* instance, const TPropInfo* prop, std::int64_t value) {
    CheckInstance(instance, prop);
    CheckKind(prop, IsOrdinalKind(prop->Kind()));
    SetPropValue(instance, prop, value);
}

void SetOrdProp(TObject* instance, StringView name, std::int64_t value) {
    SetOrdProp(instance, FindPropInfo(instance, name), value);
}

std::int64_t GetInt64Prop(TObject* instance, const TPropInfo* prop) {
    return GetOrdProp(instance, prop);
}

std::int64_t GetInt64Prop(TObject* instance, StringView name) {
    return GetOrdProp(instance, name);
}

void SetInt64Prop(TObject* instance, const TPropInfo* prop, std::int64_t value) {
    SetOrdProp(instance, prop, value);
}

void SetInt64Prop(TObject* instance, StringView name, std::int64_t value) {
    SetOrdProp(instance, name, value);
}

String GetEnumProp(TObject* instance, const TPropInfo* prop) {
    CheckInstance(instance, prop);
    CheckKind(prop, prop->Kind() == tkEnumeration);
    return GetEnumName(prop->PropType, GetOrdProp(instance, prop));
}

String GetEnumProp(TObject* instance, StringView name) {
    return GetEnumProp(instance, FindPropInfo(instance, name));
}

void SetEnumProp(TObject* instance, const TPropInfo* prop, StringView value) {
    CheckInstance(instance, prop);
    CheckKind(prop, prop->Kind() == tkEnumeration);
    std::int64_t ordinal = GetEnumValue(prop->PropType, value);
    if (ordinal < 0)
        throw EPropertyConvertError(u"Invalid property element: " + String(value));
    SetOrdProp(instance, prop, ordinal);
}

void SetEnumProp(TObject* instance, StringView name, StringView value) {
    SetEnumProp(instance, FindPropInfo(instance, name), value);
}

String GetSetProp(TObject* instance, const TPropInfo* prop, bool brackets) {
    CheckInstance(instance, prop);
    CheckKind(prop, prop->Kind() == tkSet);
    return SetToString(prop->PropType, GetOrdProp(instance, prop), brackets);
}

String GetSetProp(TObject* instance, StringView name, bool brackets) {
    return GetSetProp(instance, FindPropInfo(instance, name), brackets);
}

void SetSetProp(TObject* instance, const TPropInfo* prop, StringView value) {
    CheckInstance(instance, prop);
    CheckKind(prop, prop->Kind() == tkSet);
    SetOrdProp(instance, prop, StringToSet(prop->PropType, value));
}

void SetSetProp(TObject* instance, StringView name, StringView value) {
    SetSetProp(instance, FindPropInfo(instance, name), value);
}

// --- floats, strings, objects, methods

double GetFloatProp(TObject* instance, const TPropInfo* prop) {
    CheckInstance(instance, prop);
    CheckKind(prop, prop->Kind() == tkFloat);
    return std::get<double>(GetPropValue(instance, prop));
}

double GetFloatProp(TObject* instance, StringView name) {
    return GetFloatProp(instance, FindPropInfo(instance, name));
}

void SetFloatProp(TObject* instance, const TPropInfo* prop, double value) {
    CheckInstance(instance, prop);
    CheckKind(prop, prop->Kind() == tkFloat);
    SetPropValue(instance, prop, value);
}

void SetFloatProp(TObject* instance, StringView name, double value) {
    SetFloatProp(instance, FindPropInfo(instance, name), value);
}

String GetStrProp(TObject* instance, const TPropInfo* prop) {
    CheckInstance(instance, prop);
    CheckKind(prop, IsStringKind(prop->Kind()));
    return std::get<String>(GetPropValue(instance, prop));
}

String GetStrProp(TObject* instance, StringView name) {
    return GetStrProp(instance, FindPropInfo(instance, name));
}

void SetStrProp(TObject* instance, const TPropInfo* prop, StringView value) {
    CheckInstance(instance, prop);
    CheckKind(prop, IsStringKind(prop->Kind()));
    SetPropValue(instance, prop, String(value));
}

void SetStrProp(TObject* instance, StringView name, StringView value) {
    SetStrProp(instance, FindPropInfo(instance, name), value);
}

TObject* GetObjectProp(TObject* instance, const TPropInfo* prop) {
    CheckInstance(instance, prop);
    CheckKind(prop, prop->Kind() == tkClass);
    return std::get<TObject*>(GetPropValue(instance, prop));
}

TObject* GetObjectProp(TObject* instance, StringView name) {
    return GetObjectProp(instance, FindPropInfo(instance, name));
}

void SetObjectProp(TObject* instance, const TPropInfo* prop, TObject* value) {
    CheckInstance(instance, prop);
    CheckKind(prop, prop->Kind() == tkClass);
    SetPropValue(instance, prop, value);
}

void SetObjectProp(TObject* instance, StringView name, TObject* value) {
    SetObjectProp(instance, FindPropInfo(instance, name), value);
}

TMethod GetMethodProp(TObject* instance, const TPropInfo* prop) {
    CheckInstance(instance, prop);
    CheckKind(prop, prop->Kind() == tkMethod);
    return std::get<TMethod>(GetPropValue(instance, prop));
}

TMethod GetMethodProp(TObject* instance, StringView name) {
    return GetMethodProp(instance, FindPropInfo(instance, name));
}

void SetMethodProp(TObject* instance, const TPropInfo* prop, const TMethod& value) {
    CheckInstance(instance, prop);
    CheckKind(prop, prop->Kind() == tkMethod);
    SetPropValue(instance, prop, value);
}

void SetMethodProp(TObject* instance, StringView name, const TMethod& value) {
    SetMethodProp(instance, FindPropInfo(instance, name), value);
}

// --- published methods

TMethod MethodAddress(TObject* instance, StringView name) {
    if (!instance)
        return {};
    const TMethodInfo* method = FindMethodInfo(instance->ClassType(), name);
    if (!method)
        return {};
    return {instance, method->Code, method->Signature};
}

String MethodName(const TMethod& method) {
    if (!method.Data || !method.Code)
        return {};
    for (TClass c = method.Data->ClassType(); c; c = c->Parent) {
        if (!c->Published)
            continue;
        for (const TMethodInfo& info : c->Published->Methods) {
            if (info.Code == method.Code && info.Signature == method.Signature)
                return String(info.Name);
        }
    }
    return {};
}

} // namespace rtl

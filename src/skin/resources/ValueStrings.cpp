#include "skin/resources/ValueStrings.h"

#include "platform/rtl/StringUtils.h"
#include "skin/imaging/StringHash.h"

#include <algorithm>

namespace skin {

namespace {

constexpr int NameHashBuckets = 256;

rtl::StringView NamePart(const rtl::String& line, char16_t separator) {
    return rtl::StringView(line).substr(0, line.find(separator));
}

} // namespace

RTL_IMPLEMENT_CLASS(TRdValueStrings)

TRdValueStrings::TRdValueStrings(bool ownsObjects) : TStringListEx(ownsObjects) {}

TRdValueStrings::~TRdValueStrings() {
    delete FNameHash;
}

void TRdValueStrings::Assign(rtl::TPersistent* source) {
    inherited::Assign(source);
    FNameHashValid = false;
}

int TRdValueStrings::IndexOf(const rtl::String& s) const {
    return IndexOfName(rtl::String(NamePart(s, NameValueSeparator())));
}

int TRdValueStrings::IndexOfName(const rtl::String& name) const {
    BuildNameHash();
    void* index = nullptr;
    return FNameHash->Find(HashKey(name), nullptr, &index)
               ? static_cast<int>(reinterpret_cast<intptr_t>(index))
               : -1;
}

rtl::String TRdValueStrings::GetValue(const rtl::String& name) const {
    int index = IndexOfName(name);
    if (index >= 0)
        return ValueFromIndex(index);
    for (TRdValueStrings* ancestor : Ancestors()) {
        index = ancestor->IndexOfName(name);
        if (index >= 0)
            return ancestor->ValueFromIndex(index);
    }
    return {};
}

void TRdValueStrings::AssignTo(rtl::TPersistent* dest) {
    auto* strings = rtl::ObjectCast<rtl::TStrings>(dest);
    if (!strings) {
        inherited::AssignTo(dest);
        return;
    }
    strings->Assign(this);
    for (TRdValueStrings* ancestor : Ancestors()) {
        // Merging a list into itself would add nothing.
        if (ancestor != strings)
            MergeInto(*strings, *ancestor);
    }
}

void TRdValueStrings::Changed() {
    inherited::Changed();
    FNameHashValid = false;
}

void TRdValueStrings::BuildNameHash() const {
    if (FNameHashValid && FHashCaseSensitive == CaseSensitive() && FHashSeparator == NameValueSeparator())
        return;
    if (FNameHash)
        FNameHash->Clear();
    else
        FNameHash = new TStringHash(NameHashBuckets);
    FHashCaseSensitive = CaseSensitive();
    FHashSeparator = NameValueSeparator();
    // Equal names keep every index; the bucket order puts the lowest first,
    // so a lookup finds the first line, as a linear search would.
    for (int i = 0; i < GetCount(); ++i)
        FNameHash->Add(HashKey(NamePart(Get(i), FHashSeparator)),
                       reinterpret_cast<void*>(static_cast<intptr_t>(i)));
    FNameHashValid = true;
}

rtl::String TRdValueStrings::HashKey(rtl::StringView name) const {
    // Upper-casing ASCII matches the ordinal comparison of the list. Lines
    // without a separator are keyed the same way, so a case-insensitive
    // lookup finds them too.
    return CaseSensitive() ? rtl::String(name) : rtl::UpperCase(name);
}

// Each list counts once: the walk up the parents ends at the first list
// already seen (this one included), as if the chain ended there. A cycle
// therefore costs one visit per list and never loops.
std::vector<TRdValueStrings*> TRdValueStrings::Ancestors() const {
    std::vector<TRdValueStrings*> chain;
    for (TRdValueStrings* p = Parent; p && p != this; p = p->Parent) {
        if (std::find(chain.begin(), chain.end(), p) != chain.end())
            break;
        chain.push_back(p);
    }
    return chain;
}

void TRdValueStrings::MergeInto(rtl::TStrings& dest, TRdValueStrings& ancestor) const {
    auto* list = rtl::ObjectCast<rtl::TStringList>(&dest);
    if (list && list->Sorted()) {
        // The destination's sorting and duplicates rules decide what stays.
        dest.AddStrings(&ancestor);
        return;
    }
    // Inserting at the top, last line first, keeps the ancestor's order and
    // puts farther ancestors above nearer ones.
    dest.BeginUpdate();
    try {
        for (int i = ancestor.GetCount() - 1; i >= 0; --i) {
            rtl::String line = ancestor.Get(i);
            if (dest.IndexOfName(rtl::String(NamePart(line, ancestor.NameValueSeparator()))) < 0)
                dest.InsertObject(0, line, ancestor.GetObject(i));
        }
    } catch (...) {
        dest.EndUpdate();
        throw;
    }
    dest.EndUpdate();
}

} // namespace skin

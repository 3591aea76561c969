#include "skin/imaging/StringValueList.h"

#include "platform/rtl/StringUtils.h"

namespace skin {

namespace {

rtl::StringView NamePart(const rtl::String& line, char16_t separator) {
    return rtl::StringView(line).substr(0, line.find(separator));
}

} // namespace

RTL_IMPLEMENT_CLASS(TStringValueList)

TStringValueList::TStringValueList(bool ownsObjects) : TStringListEx(ownsObjects) {
    SetSorted(true);
}

int TStringValueList::IndexOfName(const rtl::String& name) const {
    return IndexOf(name);
}

void TStringValueList::Put(int index, const rtl::String& s) {
    if (!Sorted()) {
        inherited::Put(index, s);
        return;
    }
    if (index < 0 || index >= GetCount())
        Error(rtl::SListIndexError, index);
    ReplaceSorted(index, s);
}

int TStringValueList::CompareStrings(const rtl::String& s1, const rtl::String& s2) const {
    rtl::StringView name1 = NamePart(s1, NameValueSeparator());
    rtl::StringView name2 = NamePart(s2, NameValueSeparator());
    return CaseSensitive() ? rtl::CompareStr(name1, name2) : rtl::CompareText(name1, name2);
}

} // namespace skin

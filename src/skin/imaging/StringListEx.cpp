#include "skin/imaging/StringListEx.h"

#include "platform/rtl/StringUtils.h"

namespace skin {

RTL_IMPLEMENT_CLASS(TStringListEx)

void TStringListEx::SetValueForce(const rtl::String& name, const rtl::String& value) {
    rtl::String line = name + NameValueSeparator() + value;
    int index = IndexOfName(name);
    if (index < 0)
        Add(line);
    else if (Sorted())
        ReplaceSorted(index, line);
    else
        Put(index, line);
}

int TStringListEx::Remove(const rtl::String& s) {
    int index = IndexOf(s);
    if (index >= 0)
        Delete(index);
    return index;
}

int TStringListEx::CompareStrings(const rtl::String& s1, const rtl::String& s2) const {
    return CaseSensitive() ? rtl::CompareStr(s1, s2) : rtl::CompareText(s1, s2);
}

void TStringListEx::ReplaceSorted(int index, const rtl::String& s) {
    rtl::TObject* object = GetObject(index);
    int count = GetCount();
    BeginUpdate();
    try {
        // Detached first: an owning list would free it with the line.
        PutObject(index, nullptr);
        Delete(index);
        AddObject(s, object);
    } catch (...) {
        EndUpdate();
        if (OwnsObjects() && object && GetCount() < count)
            object->Free();
        throw;
    }
    EndUpdate();
    // A duplicate that the list ignored leaves the object without a line.
    if (OwnsObjects() && object && GetCount() < count)
        object->Free();
}

} // namespace skin

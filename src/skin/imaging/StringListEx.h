#pragma once

// A string list that compares ordinally: code unit by code unit, or with
// ASCII letters upper-cased when not case-sensitive. Lookups then behave the
// same on every machine, whatever the locale.

#include "platform/rtl/StringList.h"

namespace skin {

class TStringListEx : public rtl::TStringList {
    RTL_CLASS(TStringListEx, rtl::TStringList)
public:
    explicit TStringListEx(bool ownsObjects = false) : TStringList(ownsObjects) {}
    template <typename T>
    TStringListEx(T*) = delete;

    // Sets the line Name=Value, appending it (or inserting it at its sorted
    // place) when missing. Unlike SetValues, an empty value keeps the line.
    void SetValueForce(const rtl::String& name, const rtl::String& value);
    // Deletes the first line equal to s; returns its former index, or -1.
    int Remove(const rtl::String& s);

protected:
    [[nodiscard]] int CompareStrings(const rtl::String& s1, const rtl::String& s2) const override;
    // Replaces a line of a sorted list by deleting it and adding s with the
    // line's object, so the order stays sorted.
    void ReplaceSorted(int index, const rtl::String& s);
};

} // namespace skin

#pragma once

// A sorted list of name=value lines that compares lines by their name parts
// only, so a bare name finds its line by binary search.

#include "skin/imaging/StringListEx.h"

namespace skin {

class TStringValueList : public TStringListEx {
    RTL_CLASS(TStringValueList, TStringListEx)
public:
    explicit TStringValueList(bool ownsObjects = false);
    template <typename T>
    TStringValueList(T*) = delete;

    // The line whose name part equals name (a binary search).
    [[nodiscard]] int IndexOfName(const rtl::String& name) const override;
    // Deletes the line and adds s again with the line's object.
    void Put(int index, const rtl::String& s) override;

protected:
    // Orders by name part: the text before the first separator, or the whole line.
    [[nodiscard]] int CompareStrings(const rtl::String& s1, const rtl::String& s2) const override;
};

} // namespace skin

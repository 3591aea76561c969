#pragma once

// The name=value list that holds one skin class's values. Lookups by name go
// through a hash that is rebuilt lazily after changes, and values missing
// here are inherited from the parent list.

#include "skin/imaging/StringListEx.h"

namespace skin {

class TStringHash;

class TRdValueStrings : public TStringListEx {
    RTL_CLASS(TRdValueStrings, TStringListEx)
public:
    explicit TRdValueStrings(bool ownsObjects = false);
    template <typename T>
    TRdValueStrings(T*) = delete;
    ~TRdValueStrings() override;

    // Copies the lines and their objects.
    void Assign(rtl::TPersistent* source) override;
    // By name: the name part of s decides.
    [[nodiscard]] int IndexOf(const rtl::String& s) const override;
    // A hash lookup; names ignore ASCII case unless the list is case-sensitive.
    [[nodiscard]] int IndexOfName(const rtl::String& name) const override;

    // This list's value for name, else the nearest ancestor's, else empty.
    [[nodiscard]] rtl::String GetValue(const rtl::String& name) const;
    // An empty value deletes the line.
    void SetValue(const rtl::String& name, const rtl::String& value) { SetValues(name, value); }

    // Flattens the inheritance into dest: this list's lines, then whatever
    // each ancestor (nearest first) defines that dest still lacks. Public,
    // because a string list's Assign copies only the lines it sees.
    void AssignTo(rtl::TPersistent* dest) override;

    // Inherits values; not owned.
    TRdValueStrings* Parent = nullptr;

protected:
    void Changed() override;

private:
    void BuildNameHash() const;
    [[nodiscard]] rtl::String HashKey(rtl::StringView name) const;
    [[nodiscard]] std::vector<TRdValueStrings*> Ancestors() const;
    void MergeInto(rtl::TStrings& dest, TRdValueStrings& ancestor) const;

    // A lookup cache, so const lookups may rebuild it.
    mutable TStringHash* FNameHash = nullptr;
    mutable bool FNameHashValid = false;
    // The rules the hash was built under; a change of either makes it stale
    // even when no line changed.
    mutable bool FHashCaseSensitive = false;
    mutable char16_t FHashSeparator = u'=';
};

} // namespace skin

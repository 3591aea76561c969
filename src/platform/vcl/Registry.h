#pragma once

// The class library's registry object: a root key, at most one open key,
// and reads from it. Only the read-only part the system uses is here.

#include "platform/rtl/Exception.h"
#include "platform/rtl/Object.h"
#include "platform/win/registry/Registry.h"

namespace vcl {

using rtl::String;

RTL_EXCEPTION(ERegistryException, rtl::Exception)

class TRegistry : public rtl::TObject {
    RTL_CLASS(TRegistry, rtl::TObject)
public:
    // The root key starts as HKEY_CURRENT_USER.
    TRegistry();
    explicit TRegistry(win::REGSAM access);
    ~TRegistry() override;

    [[nodiscard]] win::HKEY RootKey() const noexcept { return FRootKey; }
    // Closes the open key.
    void SetRootKey(win::HKEY rootKey);
    [[nodiscard]] win::HKEY CurrentKey() const noexcept { return FCurrentKey; }
    [[nodiscard]] const String& CurrentPath() const noexcept { return FCurrentPath; }
    [[nodiscard]] win::REGSAM Access() const noexcept { return FAccess; }
    void SetAccess(win::REGSAM access) noexcept { FAccess = access; }

    // A key starting with "\" is taken from the root key; any other is
    // relative to the open key (or the root key when none is open). On
    // success the opened key replaces the open one.
    bool OpenKeyReadOnly(const String& key);
    void CloseKey();

    [[nodiscard]] bool ValueExists(const String& name) const;
    // "" names the default value. A missing or empty value reads as "";
    // a value that is not a string raises ERegistryException.
    [[nodiscard]] String ReadString(const String& name) const;

private:
    win::HKEY FRootKey;
    win::HKEY FCurrentKey = nullptr;
    String FCurrentPath;
    win::REGSAM FAccess;
};

} // namespace vcl

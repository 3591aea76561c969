#include "platform/vcl/Registry.h"

#include "platform/win/WinError.h"

#include <vector>

namespace vcl {

RTL_IMPLEMENT_CLASS(TRegistry)
RTL_IMPLEMENT_CLASS(ERegistryException)

TRegistry::TRegistry() : TRegistry(win::KEY_ALL_ACCESS) {}

TRegistry::TRegistry(win::REGSAM access) : FRootKey(win::HKEY_CURRENT_USER), FAccess(access) {}

TRegistry::~TRegistry() {
    CloseKey();
}

void TRegistry::SetRootKey(win::HKEY rootKey) {
    if (rootKey == FRootKey)
        return;
    CloseKey();
    FRootKey = rootKey;
}

bool TRegistry::OpenKeyReadOnly(const String& key) {
    const bool relative = key.empty() || key.front() != u'\\';
    const String subKey = relative ? key : key.substr(1);
    const win::HKEY base = relative && FCurrentKey ? FCurrentKey : FRootKey;
    win::HKEY opened = nullptr;
    if (win::RegOpenKeyExW(base, subKey.c_str(), 0, win::KEY_READ, &opened) != win::ERROR_SUCCESS)
        return false;
    const String path = relative && FCurrentKey ? FCurrentPath + u"\\" + subKey : subKey;
    CloseKey();
    FCurrentKey = opened;
    FCurrentPath = path;
    return true;
}

void TRegistry::CloseKey() {
    if (FCurrentKey)
        win::RegCloseKey(FCurrentKey);
    FCurrentKey = nullptr;
    FCurrentPath.clear();
}

bool TRegistry::ValueExists(const String& name) const {
    return win::RegQueryValueExW(FCurrentKey ? FCurrentKey : FRootKey, name.c_str(), nullptr, nullptr,
                                 nullptr, nullptr) == win::ERROR_SUCCESS;
}

String TRegistry::ReadString(const String& name) const {
    const win::HKEY key = FCurrentKey ? FCurrentKey : FRootKey;
    win::DWORD type = win::REG_NONE;
    win::DWORD size = 0;
    if (win::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != win::ERROR_SUCCESS ||
        size == 0)
        return {};
    if (type != win::REG_SZ && type != win::REG_EXPAND_SZ)
        throw ERegistryException(u"Invalid data type for '" + name + u"'");
    std::vector<char16_t> text(size / sizeof(char16_t) + 1, 0);
    if (win::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<win::LPBYTE>(text.data()),
                              &size) != win::ERROR_SUCCESS)
        return {};
    // Up to the first zero, as the stored text may or may not carry its own.
    return String(text.data());
}

} // namespace vcl

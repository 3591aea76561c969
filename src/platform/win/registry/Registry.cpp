#include "platform/win/registry/Registry.h"

#include "platform/rtl/String.h"
#include "platform/win/WinError.h"
#include "platform/win/kernel/HandleTable.h"
#include "platform/win/kernel/WideBuffer_p.h"
#include "platform/win/registry/RegistrySeed.h"

#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace win {

namespace {

struct TRegValue {
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
};

struct TRegKey {
    std::map<rtl::String, std::shared_ptr<TRegKey>> Children; // by upper-cased name
    std::map<rtl::String, TRegValue> Values;                  // by upper-cased name
};

constexpr std::uint8_t kKeyTag = 0x52;

struct TRegistryStore {
    std::mutex Lock;
    std::map<ULONG_PTR, std::shared_ptr<TRegKey>> Roots;
    THandleTable<std::weak_ptr<TRegKey>> Handles{kKeyTag};
    std::atomic<std::uint64_t> Opens{0};
};

TRegistryStore& Store() {
    static auto* store = new TRegistryStore; // outlives every static destructor that may close a key
    return *store;
}

bool IsRootKey(HKEY key) {
    const auto value = reinterpret_cast<ULONG_PTR>(key);
    return value >= 0x80000000 && value <= 0x80000006;
}

rtl::String Folded(rtl::StringView name) {
    rtl::String folded(name);
    for (char16_t& c : folded)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return folded;
}

std::vector<rtl::String> Segments(rtl::StringView path) {
    std::vector<rtl::String> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == rtl::StringView::npos)
            end = path.size();
        if (end > start)
            segments.push_back(Folded(path.substr(start, end - start)));
        start = end + 1;
    }
    return segments;
}

// Call with the store locked.
std::shared_ptr<TRegKey> KeyOf(TRegistryStore& store, HKEY key) {
    if (IsRootKey(key)) {
        auto& root = store.Roots[reinterpret_cast<ULONG_PTR>(key)];
        if (!root)
            root = std::make_shared<TRegKey>();
        return root;
    }
    return store.Handles.Get(reinterpret_cast<std::uintptr_t>(key)).value_or(std::weak_ptr<TRegKey>()).lock();
}

// Call with the store locked.
std::shared_ptr<TRegKey> SeedPath(TRegistryStore& store, HKEY root, rtl::StringView path) {
    std::shared_ptr<TRegKey> key = KeyOf(store, root);
    for (const rtl::String& segment : Segments(path)) {
        if (!key)
            return nullptr;
        auto& child = key->Children[segment];
        if (!child)
            child = std::make_shared<TRegKey>();
        key = child;
    }
    return key;
}

} // namespace

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
    TRegistryStore& store = Store();
    ++store.Opens;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const rtl::String path = detail::WideToString(subKey);
    if (!path.empty() && path.front() == u'\\')
        return ERROR_BAD_PATHNAME;
    std::lock_guard lock(store.Lock);
    std::shared_ptr<TRegKey> node = KeyOf(store, key);
    if (!node)
        return IsRootKey(key) ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_HANDLE;
    for (const rtl::String& segment : Segments(path)) {
        const auto it = node->Children.find(segment);
        if (it == node->Children.end())
            return ERROR_FILE_NOT_FOUND;
        node = it->second;
    }
    const std::uintptr_t handle = store.Handles.Insert(node);
    if (!handle)
        return ERROR_NOT_ENOUGH_MEMORY;
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    TRegistryStore& store = Store();
    std::lock_guard lock(store.Lock);
    const bool known = IsRootKey(key) || store.Handles.Get(reinterpret_cast<std::uintptr_t>(key)).has_value();
    const std::shared_ptr<TRegKey> node = KeyOf(store, key);
    if (!node)
        return known ? ERROR_KEY_DELETED : ERROR_INVALID_HANDLE;
    const auto it = node->Values.find(Folded(detail::WideToString(valueName)));
    if (it == node->Values.end())
        return ERROR_FILE_NOT_FOUND;
    const TRegValue& value = it->second;
    if (type)
        *type = value.Type;
    const auto size = static_cast<DWORD>(value.Data.size());
    if (data) {
        if (!dataSize)
            return ERROR_INVALID_PARAMETER;
        if (*dataSize < size) {
            *dataSize = size;
            return ERROR_MORE_DATA;
        }
        if (size > 0)
            std::memcpy(data, value.Data.data(), size);
    }
    if (dataSize)
        *dataSize = size;
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
    if (IsRootKey(key))
        return ERROR_SUCCESS;
    return Store().Handles.Remove(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS
                                                                         : ERROR_INVALID_HANDLE;
}

void RegSeedKey(HKEY root, rtl::StringView path) {
    TRegistryStore& store = Store();
    std::lock_guard lock(store.Lock);
    SeedPath(store, root, path);
}

void RegSeedValue(HKEY root, rtl::StringView path, rtl::StringView valueName, DWORD type,
                  const std::vector<BYTE>& data) {
    TRegistryStore& store = Store();
    std::lock_guard lock(store.Lock);
    if (const auto key = SeedPath(store, root, path))
        key->Values[Folded(valueName)] = TRegValue{type, data};
}

void RegSeedStringValue(HKEY root, rtl::StringView path, rtl::StringView valueName, rtl::StringView value) {
    std::vector<BYTE> data((value.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(data.data(), value.data(), value.size() * sizeof(char16_t));
    RegSeedValue(root, path, valueName, REG_SZ, data);
}

void RegClearSeeds() {
    TRegistryStore& store = Store();
    std::lock_guard lock(store.Lock);
    store.Roots.clear();
}

std::uint64_t RegOpenCount() {
    return Store().Opens;
}

} // namespace win

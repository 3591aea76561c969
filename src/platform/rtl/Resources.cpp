#include "platform/rtl/Resources.h"

#include "platform/rtl/StringUtils.h"

#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace rtl {

namespace {

// Numbers and names keyed apart: a number as itself with an empty name, a
// name upper-cased (the resource compiler stores names that way) with -1.
using TKey = std::tuple<HINST, int, String, int, String>;

struct TRegistry {
    std::mutex Lock;
    // Nodes never move, so returned pointers stay valid.
    std::map<TKey, std::unique_ptr<TResourceInfo>> Entries;
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}

HINST NormalModule(HINST module) {
    return module == 0 ? HInstance : module;
}

TKey MakeKey(HINST module, TResourceId name, TResourceId type) {
    return {NormalModule(module), type.Number(), type.IsNumber() ? String() : UpperCase(type.Name()),
            name.Number(), name.IsNumber() ? String() : UpperCase(name.Name())};
}

int ParseNumberName(StringView name) {
    if (name.size() < 2 || name.size() > 6 || name[0] != u'#')
        return -1;
    int value = 0;
    for (char16_t c : name.substr(1)) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value <= 0xFFFF ? value : -1;
}

} // namespace

TResourceId::TResourceId(const char16_t* name) noexcept {
    auto value = reinterpret_cast<std::uintptr_t>(name);
    if (value < 0x10000) {
        FNumber = static_cast<int>(value);
        return;
    }
    FName = StringView(name);
    FNumber = ParseNumberName(FName);
}

TResourceId::TResourceId(StringView name) noexcept : FNumber(ParseNumberName(name)), FName(name) {}

String TResourceId::ToString() const {
    return IsNumber() ? IntToStr(FNumber) : String(FName);
}

void RegisterResource(HINST module, TResourceId name, TResourceId type, const void* data, std::size_t size) {
    auto& registry = Registry();
    std::lock_guard guard(registry.Lock);
    auto& slot = registry.Entries[MakeKey(module, name, type)];
    slot = std::make_unique<TResourceInfo>(
        TResourceInfo{NormalModule(module), static_cast<const std::uint8_t*>(data), size});
}

const TResourceInfo* FindResource(HINST module, TResourceId name, TResourceId type) {
    auto& registry = Registry();
    std::lock_guard guard(registry.Lock);
    auto it = registry.Entries.find(MakeKey(module, name, type));
    return it == registry.Entries.end() ? nullptr : it->second.get();
}

} // namespace rtl

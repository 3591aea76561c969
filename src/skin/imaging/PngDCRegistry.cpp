#include "skin/imaging/PngDCRegistry.h"

#include "platform/rtl/Clock.h"

namespace skin {

TPngDCRegistry::TPngDCRegistry(std::uint64_t flushIntervalMs)
    : FFlushInterval(flushIntervalMs), FLastFlush(rtl::GetTickCount64()) {}

void TPngDCRegistry::Add(win::HDC dc, void* value) {
    if (!dc)
        return;
    std::lock_guard lock(FLock);
    if (FFlushInterval > 0) {
        const std::uint64_t now = rtl::GetTickCount64();
        if (now - FLastFlush > FFlushInterval) {
            FHash.Clear();
            FLastFlush = now;
        }
    }
    FHash.SetValue(dc, value);
}

bool TPngDCRegistry::Remove(win::HDC dc) {
    std::lock_guard lock(FLock);
    return FHash.Remove(dc);
}

bool TPngDCRegistry::Remove(win::HDC dc, void* value) {
    std::lock_guard lock(FLock);
    return FHash.Remove(dc, &value);
}

bool TPngDCRegistry::Contains(win::HDC dc) const {
    std::lock_guard lock(FLock);
    return dc && FHash.Find(dc);
}

void* TPngDCRegistry::Find(win::HDC dc) const {
    std::lock_guard lock(FLock);
    return dc ? FHash.GetValue(dc) : nullptr;
}

int TPngDCRegistry::Count() const {
    std::lock_guard lock(FLock);
    return FHash.Counter();
}

void TPngDCRegistry::Clear() {
    std::lock_guard lock(FLock);
    FHash.Clear();
}

// Both live as long as the process: images may be released during static
// destruction, after a registry object would be gone.
TPngDCRegistry& PngAlphaDCRegistry() {
    static TPngDCRegistry* registry = new TPngDCRegistry;
    return *registry;
}

TPngDCRegistry& PngDC32Registry() {
    static TPngDCRegistry* registry = new TPngDCRegistry(5000);
    return *registry;
}

} // namespace skin

#include "platform/win/gdi/GdiHandleTable.h"

namespace win {

namespace {

// Handle values start well above the small integers that some calls accept
// in place of a handle (system colour brushes are COLOR_xxx + 1).
constexpr std::uintptr_t HANDLE_BASE = 0x10000;
constexpr int GENERATION_SHIFT = 32;

} // namespace

void GdiObject::ReleaseDcReference() {
    if (FDcReferences.fetch_sub(1, std::memory_order_acq_rel) == 1 && FDeletePending.load()) {
        GdiHandleTable::Instance().Remove(FHandle);
    }
}

void GdiObject::RequestDelete() {
    if (FStock) {
        return;
    }
    FDeletePending.store(true);
    if (!HasDcReferences()) {
        GdiHandleTable::Instance().Remove(FHandle);
    }
}

GdiHandleTable& GdiHandleTable::Instance() {
    // Never destroyed: objects may be released by other static destructors.
    static auto* table = new GdiHandleTable();
    return *table;
}

HGDIOBJ GdiHandleTable::Insert(std::shared_ptr<GdiObject> object) {
    std::lock_guard lock(FLock);
    size_t index;
    if (!FFree.empty()) {
        index = FFree.back();
        FFree.pop_back();
    } else {
        if (FSlots.size() >= MAX_OBJECTS) {
            return nullptr;
        }
        index = FSlots.size();
        FSlots.emplace_back();
    }
    Slot& slot = FSlots[index];
    const std::uintptr_t value =
        (std::uintptr_t{slot.generation} << GENERATION_SHIFT) | (HANDLE_BASE + index);
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(value);
    object->SetHandle(handle);
    slot.object = std::move(object);
    ++FCount;
    return handle;
}

bool GdiHandleTable::Decode(HGDIOBJ handle, size_t& index, std::uint32_t& generation) const {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    const std::uintptr_t low = value & 0xFFFFFFFFu;
    if (low < HANDLE_BASE) {
        return false;
    }
    index = low - HANDLE_BASE;
    generation = static_cast<std::uint32_t>(value >> GENERATION_SHIFT);
    return true;
}

std::shared_ptr<GdiObject> GdiHandleTable::Lookup(HGDIOBJ handle) const {
    size_t index;
    std::uint32_t generation;
    if (!Decode(handle, index, generation)) {
        return nullptr;
    }
    std::lock_guard lock(FLock);
    if (index >= FSlots.size() || FSlots[index].generation != generation) {
        return nullptr;
    }
    return FSlots[index].object;
}

bool GdiHandleTable::Remove(HGDIOBJ handle) {
    size_t index;
    std::uint32_t generation;
    if (!Decode(handle, index, generation)) {
        return false;
    }
    std::shared_ptr<GdiObject> doomed;
    {
        std::lock_guard lock(FLock);
        if (index >= FSlots.size() || FSlots[index].generation != generation || !FSlots[index].object) {
            return false;
        }
        Slot& slot = FSlots[index];
        doomed = std::move(slot.object);
        // Generation 0 never appears in a handle; skip it when wrapping.
        slot.generation = slot.generation == 0xFFFFFFFFu ? 1 : slot.generation + 1;
        FFree.push_back(index);
        --FCount;
    }
    // The object (and whatever it holds) goes outside the lock: a DC's
    // destructor releases the objects selected into it.
    doomed.reset();
    return true;
}

size_t GdiHandleTable::Count() const {
    std::lock_guard lock(FLock);
    return FCount;
}

} // namespace win

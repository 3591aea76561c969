#pragma once

// The process-wide table behind every GDI handle. A handle's value carries a
// slot index and the slot's generation, so a deleted (or reused) handle is
// refused instead of reaching another object. Thread-safe: pictures decode
// and draw off the GUI thread.

#include "platform/win/gdi/GdiObject.h"

#include <mutex>
#include <vector>

namespace win {

class GdiHandleTable {
public:
    // Most objects the table holds at once; more fail like GDI's quota.
    static constexpr size_t MAX_OBJECTS = 1 << 18;

    static GdiHandleTable& Instance();

    // The new handle, or nullptr when the table is full.
    HGDIOBJ Insert(std::shared_ptr<GdiObject> object);
    std::shared_ptr<GdiObject> Lookup(HGDIOBJ handle) const;
    // Removes the handle; the object goes when its last user lets go.
    bool Remove(HGDIOBJ handle);
    size_t Count() const;

    template <typename T>
    std::shared_ptr<T> LookupAs(HGDIOBJ handle, GdiKind kind) const {
        auto object = Lookup(handle);
        if (!object || object->Kind() != kind) {
            return nullptr;
        }
        return std::static_pointer_cast<T>(object);
    }

private:
    struct Slot {
        std::uint32_t generation = 1;
        std::shared_ptr<GdiObject> object;
    };

    bool Decode(HGDIOBJ handle, size_t& index, std::uint32_t& generation) const;

    mutable std::mutex FLock;
    std::vector<Slot> FSlots;
    std::vector<size_t> FFree;
    size_t FCount = 0;
};

} // namespace win

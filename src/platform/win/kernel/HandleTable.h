#pragma once

// A thread-safe table behind opaque handle values. A handle carries its
// slot and the slot's generation, so a closed or forged handle is refused
// instead of reaching another object that reuses the slot (Wine's scheme).

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace win {

template <typename T>
class THandleTable {
public:
    // Tag keeps handles of different tables apart (0 to 255).
    explicit THandleTable(std::uint8_t tag) : FTag(tag) {}

    // Returns 0 when the table is full.
    [[nodiscard]] std::uintptr_t Insert(T value) {
        std::lock_guard lock(FLock);
        std::uint32_t index;
        if (!FFree.empty()) {
            index = FFree.back();
            FFree.pop_back();
        } else {
            if (FSlots.size() >= kMaxSlots)
                return 0;
            index = static_cast<std::uint32_t>(FSlots.size());
            FSlots.emplace_back();
        }
        FSlots[index].Value = std::move(value);
        return Encode(index, FSlots[index].Generation);
    }

    [[nodiscard]] std::optional<T> Get(std::uintptr_t handle) const {
        std::lock_guard lock(FLock);
        const Slot* slot = Find(handle);
        return slot ? slot->Value : std::nullopt;
    }

    // Removes the entry and hands it back; nullopt for an unknown handle.
    std::optional<T> Remove(std::uintptr_t handle) {
        std::lock_guard lock(FLock);
        Slot* slot = const_cast<Slot*>(Find(handle));
        if (!slot)
            return std::nullopt;
        std::optional<T> value = std::move(slot->Value);
        slot->Value.reset();
        slot->Generation = slot->Generation == kMaxGeneration ? 1 : slot->Generation + 1;
        FFree.push_back(static_cast<std::uint32_t>(slot - FSlots.data()));
        return value;
    }

    // Visits every live entry under the table's lock; stops when f returns true
    // and hands back that entry's handle (0 when none matched).
    template <typename F>
    std::uintptr_t FindIf(F&& f) const {
        std::lock_guard lock(FLock);
        for (std::size_t i = 0; i < FSlots.size(); ++i)
            if (FSlots[i].Value && f(*FSlots[i].Value))
                return Encode(static_cast<std::uint32_t>(i), FSlots[i].Generation);
        return 0;
    }

private:
    struct Slot {
        std::uint32_t Generation = 1;
        std::optional<T> Value;
    };

    // Layout: generation in the high 32 bits, the tag in bits 24 to 31 and
    // the slot number plus one in bits 2 to 23, so values are multiples of
    // 4 as Windows handles are, and never 0 or -1.
    static constexpr std::uint32_t kMaxSlots = (1u << 22) - 1;
    static constexpr std::uint32_t kMaxGeneration = 0x7FFFFFFF;

    [[nodiscard]] std::uintptr_t Encode(std::uint32_t index, std::uint32_t generation) const {
        return (static_cast<std::uintptr_t>(generation) << 32) | (static_cast<std::uintptr_t>(FTag) << 24) |
               (static_cast<std::uintptr_t>(index + 1) << 2);
    }

    [[nodiscard]] const Slot* Find(std::uintptr_t handle) const {
        if ((handle & 3) != 0 || ((handle >> 24) & 0xFF) != FTag)
            return nullptr;
        const std::uint32_t index = static_cast<std::uint32_t>((handle >> 2) & 0x3FFFFF);
        const std::uint32_t generation = static_cast<std::uint32_t>(handle >> 32);
        if (index == 0 || index > FSlots.size())
            return nullptr;
        const Slot& slot = FSlots[index - 1];
        return slot.Value && slot.Generation == generation ? &slot : nullptr;
    }

    std::uint8_t FTag;
    mutable std::mutex FLock;
    std::vector<Slot> FSlots;
    std::vector<std::uint32_t> FFree;
};

} // namespace win

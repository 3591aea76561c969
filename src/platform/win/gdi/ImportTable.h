#pragma once

// A module's import table: one named entry per imported function, through
// which the module's own calls go, as a Windows executable calls through its
// import address table. The redirection services replace entries by DLL
// and function name and put the saved ones back; the exports (the "direct"
// entry points) stay reachable by name. Nothing is written into code: an
// entry is a function pointer.

#include "platform/win/WinTypes.h"

#include <atomic>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

namespace win {

using ImportProc = void (*)();

// The untyped part of an entry: its DLL, its name, where calls go now and
// the export it started with. An entry that was never replaced holds no
// pointer and calls the export, so entries need no start-up code.
class ImportSlotBase {
public:
    using DirectOf = ImportProc (*)(const ImportSlotBase&);

    constexpr ImportSlotBase(const char* dll, const char* name, DirectOf directOf)
        : FDll(dll), FName(name), FDirectOf(directOf) {}
    ImportSlotBase(const ImportSlotBase&) = delete;
    ImportSlotBase& operator=(const ImportSlotBase&) = delete;

    const char* Dll() const { return FDll; }
    const char* Name() const { return FName; }
    ImportProc Direct() const { return FDirectOf(*this); }
    ImportProc Current() const {
        const ImportProc proc = FCurrent.load(std::memory_order_acquire);
        return proc ? proc : Direct();
    }
    // Stores `proc` and returns the entry it replaces.
    ImportProc Exchange(ImportProc proc) {
        const ImportProc previous = FCurrent.exchange(proc, std::memory_order_acq_rel);
        return previous ? previous : Direct();
    }

protected:
    std::atomic<ImportProc> FCurrent{nullptr};

private:
    const char* FDll;
    const char* FName;
    DirectOf FDirectOf;
};

template <typename F>
class ImportSlot;

// A typed entry: calling it calls whatever the entry holds.
template <typename R, typename... A>
class ImportSlot<R(A...)> : public ImportSlotBase {
public:
    using Function = R (*)(A...);

    constexpr ImportSlot(const char* dll, const char* name, Function direct)
        : ImportSlotBase(dll, name, &ErasedDirect), FDirect(direct) {}

    R operator()(A... args) const {
        const ImportProc proc = FCurrent.load(std::memory_order_acquire);
        return proc ? reinterpret_cast<Function>(proc)(args...) : FDirect(args...);
    }
    Function Typed() const { return reinterpret_cast<Function>(Current()); }
    Function TypedDirect() const { return FDirect; }

private:
    static ImportProc ErasedDirect(const ImportSlotBase& self) {
        return reinterpret_cast<ImportProc>(static_cast<const ImportSlot&>(self).FDirect);
    }

    Function FDirect;
};

class ImportTable {
public:
    // The table of the program's own module.
    static ImportTable& Program();

    // Adds entries (each area registers its imports once).
    void Add(std::span<ImportSlotBase* const> slots);

    // The entry for `name` imported from `dll` (DLL names compare without
    // case), or nullptr.
    ImportSlotBase* Find(std::string_view dll, std::string_view name) const;
    bool ImportsFrom(std::string_view dll) const;

    // Replaces the entry's function; the previous one goes to `saved` (when
    // given). False when the module does not import the name.
    bool Patch(std::string_view dll, std::string_view name, ImportProc replacement, ImportProc* saved);

    template <typename F>
    static bool Patch(ImportSlot<F>& slot, typename ImportSlot<F>::Function replacement,
                      typename ImportSlot<F>::Function* saved) {
        const ImportProc previous = slot.Exchange(reinterpret_cast<ImportProc>(replacement));
        if (saved) {
            *saved = reinterpret_cast<typename ImportSlot<F>::Function>(previous);
        }
        return true;
    }

private:
    mutable std::mutex FLock;
    std::vector<ImportSlotBase*> FSlots;
};

// The function a DLL exports under `name` (DLL names compare without case),
// or nullptr: the entry point before any redirection.
ImportProc FindExport(std::string_view dll, std::string_view name);

} // namespace win

#include "platform/win/gdi/ImportTable.h"

#include <algorithm>
#include <cctype>

namespace win {

namespace {

bool SameDll(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

// Registers the drawing functions' entries (GdiImports.cpp).
void RegisterGdiImports(ImportTable& table);

ImportTable& ImportTable::Program() {
    static ImportTable* table = [] {
        auto* t = new ImportTable();
        RegisterGdiImports(*t);
        return t;
    }();
    return *table;
}

void ImportTable::Add(std::span<ImportSlotBase* const> slots) {
    std::lock_guard lock(FLock);
    FSlots.insert(FSlots.end(), slots.begin(), slots.end());
}

ImportSlotBase* ImportTable::Find(std::string_view dll, std::string_view name) const {
    std::lock_guard lock(FLock);
    for (ImportSlotBase* slot : FSlots) {
        if (name == slot->Name() && SameDll(dll, slot->Dll())) {
            return slot;
        }
    }
    return nullptr;
}

bool ImportTable::ImportsFrom(std::string_view dll) const {
    std::lock_guard lock(FLock);
    return std::any_of(FSlots.begin(), FSlots.end(),
                       [&](const ImportSlotBase* s) { return SameDll(dll, s->Dll()); });
}

bool ImportTable::Patch(std::string_view dll, std::string_view name, ImportProc replacement,
                        ImportProc* saved) {
    ImportSlotBase* slot = Find(dll, name);
    if (!slot) {
        return false;
    }
    const ImportProc previous = slot->Exchange(replacement);
    if (saved) {
        *saved = previous;
    }
    return true;
}

ImportProc FindExport(std::string_view dll, std::string_view name) {
    const ImportSlotBase* slot = ImportTable::Program().Find(dll, name);
    return slot ? slot->Direct() : nullptr;
}

} // namespace win

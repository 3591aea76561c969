#pragma once

// A logical palette. The default palette holds the twenty static colours.

#include "platform/win/gdi/GdiObject.h"

#include <vector>

namespace win {

class GdiPalette : public GdiObject {
public:
    explicit GdiPalette(std::vector<PALETTEENTRY> entries)
        : GdiObject(GdiKind::gkPalette), FEntries(std::move(entries)) {}

    const std::vector<PALETTEENTRY>& Entries() const { return FEntries; }
    std::vector<PALETTEENTRY>& MutableEntries() { return FEntries; }
    // The entry nearest to `color` (smallest squared RGB distance, first wins).
    UINT NearestIndex(COLORREF color) const;

    static std::vector<PALETTEENTRY> DefaultEntries();

private:
    std::vector<PALETTEENTRY> FEntries;
};

} // namespace win

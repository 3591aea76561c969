#include "platform/win/gdi/GdiPalette.h"

#include "platform/win/gdi/ColorMatch.h"

namespace win {

UINT GdiPalette::NearestIndex(COLORREF color) const {
    if (FEntries.empty()) {
        return CLR_INVALID;
    }
    UINT best = 0;
    DWORD bestDistance = 0xFFFFFFFFu;
    for (UINT i = 0; i < FEntries.size(); ++i) {
        const PALETTEENTRY& e = FEntries[i];
        const DWORD d = ColorDistance(color, RGB(e.peRed, e.peGreen, e.peBlue));
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

std::vector<PALETTEENTRY> GdiPalette::DefaultEntries() {
    // The twenty static colours: ten at the start, ten at the end of a
    // 256-entry system palette.
    static const BYTE rgb[20][3] = {
        {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
        {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
    };
    std::vector<PALETTEENTRY> entries;
    for (const auto& c : rgb) {
        entries.push_back(PALETTEENTRY{c[0], c[1], c[2], 0});
    }
    return entries;
}

} // namespace win

#pragma once

// The parts of DrawFrameControl shared by its button, caption, menu and
// scroll-bar drawing, for callers that hold the DC's lock. Everything is in
// surface coordinates.

#include "platform/win/gdi/DeviceContext.h"

#include <cstdint>

namespace win::gdi_p {

// The largest square that fits in `r`, centred.
RECT CentredSquare(const RECT& r);

// Paints a glyph of `rows` (bit 0 of each row at the left) centred in `area`.
void PaintGlyph(DeviceContext& dc, const RECT& area, const std::uint16_t* rows, int width, int height,
                COLORREF color);

// The classic check mark: a V of three-pixel strokes, 7 x 7.
inline constexpr std::uint16_t CheckMark[7] = {0x40, 0x60, 0x71, 0x3B, 0x1F, 0x0E, 0x04};

// DFC_MENU and DFC_POPUPMENU; false for a glyph we do not know.
[[nodiscard]] bool DrawMenuGlyph(DeviceContext& dc, const RECT& r, UINT state);

// DFC_SCROLL; false for a part we do not know.
[[nodiscard]] bool DrawScrollPart(DeviceContext& dc, RECT& r, UINT state);

} // namespace win::gdi_p

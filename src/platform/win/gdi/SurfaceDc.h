#pragma once

// What the window system needs from GDI: DCs over a window's 32-bit surface
// (owned by the window system), placed by a device origin and limited by a
// visible region, and the screen size that device queries report.

#include "platform/win/gdi/Region.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace win {

// A DC (GetObjectType: OBJ_DC) drawing into `height` rows of `width` 32-bit
// pixels from `topRow`, `stride` bytes apart. The pixels must outlive the DC.
HDC CreateSurfaceDC(std::uint8_t* topRow, std::ptrdiff_t stride, LONG width, LONG height);
// Device (0, 0) of the DC lies at `origin` of the surface.
BOOL SetSurfaceDCOrigin(HDC dc, POINT origin);
// The visible part of the surface for the DC (surface coordinates);
// nullopt makes the whole surface visible.
BOOL SetSurfaceDCVisibleRegion(HDC dc, std::optional<Region> visible);
// The size GetDeviceCaps reports for the screen (HORZRES, VERTRES, ...).
void SetScreenSize(LONG width, LONG height);

} // namespace win

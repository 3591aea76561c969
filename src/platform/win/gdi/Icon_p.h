#pragma once

// Icon drawing for callers that hold the DC's lock (DrawIconEx, image lists).

#include "platform/win/gdi/DeviceContext.h"
#include "platform/win/gdi/GdiIcon.h"

namespace win::gdi_p {

// Draws `icon` stretched into (x, y, w, h) of the surface with DI_* flags.
void DrawIconOn(DeviceContext& dc, const GdiIcon& icon, LONG x, LONG y, LONG w, LONG h, UINT flags);

// A copy of a 32-bit bitmap with its colours multiplied by its alpha
// (x/255 rounded to nearest); nullptr when memory is short.
std::shared_ptr<GdiBitmap> Premultiplied(const GdiBitmap& color);

// Builds an icon from its parts (copies are made); nullptr when the parts do
// not fit together or memory is short.
std::shared_ptr<GdiIcon> MakeIcon(bool isIcon, DWORD hotspotX, DWORD hotspotY, const GdiBitmap* mask,
                                  const GdiBitmap* color);

} // namespace win::gdi_p

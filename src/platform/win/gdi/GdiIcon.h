#pragma once

// An icon or cursor (user32): a mask and an optional colour bitmap, copied
// when the icon is made. A monochrome icon has no colour bitmap and a mask
// twice as high (AND mask above, XOR mask below). A 32-bit colour bitmap
// with any non-zero alpha is drawn by its alpha; its premultiplied copy is
// kept for that.

#include "platform/win/gdi/GdiBitmap.h"

namespace win {

class GdiIcon : public GdiObject {
public:
    GdiIcon() : GdiObject(GdiKind::gkIcon) {}

    bool isIcon = true;
    DWORD hotspotX = 0;
    DWORD hotspotY = 0;
    std::shared_ptr<GdiBitmap> mask;
    std::shared_ptr<GdiBitmap> color;
    std::shared_ptr<GdiBitmap> premultiplied; // 32-bit colour with alpha only
    LONG width = 0;
    LONG height = 0;
};

} // namespace win

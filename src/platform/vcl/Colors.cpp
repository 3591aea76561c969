#include "platform/vcl/Colors.h"

#include "platform/win/gdi/Gdi.h"

namespace vcl {

RTL_IMPLEMENT_CLASS(EInvalidGraphic)
RTL_IMPLEMENT_CLASS(EInvalidGraphicOperation)

TColor OriginalColorToRGB(TColor color) {
    if (color < 0)
        return static_cast<TColor>(win::GetSysColor(color & 0xFF));
    return color;
}

} // namespace vcl

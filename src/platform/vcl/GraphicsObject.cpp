#include "platform/vcl/GraphicsObject.h"

namespace vcl {

RTL_IMPLEMENT_ABSTRACT_CLASS(TGraphicsObject)

void TGraphicsObject::Changed() {
    if (OnChange)
        OnChange(this);
}

} // namespace vcl

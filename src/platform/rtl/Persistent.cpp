#include "platform/rtl/Persistent.h"

#include "platform/rtl/Exception.h"

namespace rtl {

RTL_IMPLEMENT_CLASS(TPersistent)

void TPersistent::Assign(TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) {
    dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* source) {
    String sourceName = source ? source->ClassName() : String(u"nil");
    throw EConvertError(u"Cannot assign a " + sourceName + u" to a " + ClassName());
}

// "Owner.Path.ClassName" when the owner has a path, else the class name.
String TPersistent::GetNamePath() const {
    String result = ClassName();
    if (TPersistent* owner = GetOwner()) {
        String ownerPath = owner->GetNamePath();
        if (!ownerPath.empty())
            result = ownerPath + u"." + result;
    }
    return result;
}

void TPersistent::DefineProperties(TFiler* /*filer*/) {}

} // namespace rtl

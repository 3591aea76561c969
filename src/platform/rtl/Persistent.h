#pragma once

// Objects that can be assigned to one another and streamed.

#include "platform/rtl/Object.h"

namespace rtl {

class TFiler;

class TPersistent : public TObject {
    RTL_CLASS(TPersistent, TObject)
public:
    // Copies Source into this object. The base asks Source to AssignTo this
    // object and raises "Cannot assign a %s to a %s" when neither knows how.
    virtual void Assign(TPersistent* source);

    [[nodiscard]] virtual String GetNamePath() const;
    [[nodiscard]] virtual TPersistent* GetOwner() const { return nullptr; }

    // Lets a class store data that are not published properties.
    virtual void DefineProperties(TFiler* filer);

protected:
    virtual void AssignTo(TPersistent* dest);

private:
    [[noreturn]] void AssignError(TPersistent* source);

    friend class TPersistentAccess;
};

} // namespace rtl

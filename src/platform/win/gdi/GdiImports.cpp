// The program module's import entries for the drawing functions.

#include "platform/win/gdi/Gdi.h"

namespace win {

void RegisterGdiImports(ImportTable& table) {
#define WIN_GDI_SLOT(function, dll) &function,
    static ImportSlotBase* const slots[] = {WIN_GDI_IMPORTS(WIN_GDI_SLOT)};
#undef WIN_GDI_SLOT
    table.Add(slots);
}

} // namespace win

#pragma once

// The fixed colour scheme of our desktop: the classic (Windows 2000
// standard) colours. GetSysColor reports them; the edge and frame-control
// drawing uses them.

#include "platform/win/gdi/GdiTypes.h"

namespace win {

// The colour of a COLOR_xxx index; 0 for an index outside the table.
COLORREF SysColorValue(int index);

} // namespace win

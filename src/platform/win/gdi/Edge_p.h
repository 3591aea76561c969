#pragma once

// The edge drawing behind DrawEdge, for callers that hold the DC's lock.

#include "platform/win/gdi/DeviceContext.h"

namespace win::gdi_p {

// Draws the edge in surface coordinates; `rect` becomes the area inside it.
void DrawEdgeOn(DeviceContext& dc, RECT& rect, UINT edge, UINT flags);

} // namespace win::gdi_p

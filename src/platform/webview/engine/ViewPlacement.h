#pragma once

// Where a view over a host window belongs on the host's desktop surface.

#include "platform/webview/engine/EngineTypes.h"

namespace webview {

// bounds: in the host's client coordinates, or nullptr for the whole client
// area. The view shows when asked to and the host is visible on screen (its
// top-level window shown and not minimised).
[[nodiscard]] TViewPlacement PlacementOverHost(win::HWND host, const win::RECT* bounds, bool visible);

} // namespace webview

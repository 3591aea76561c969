#pragma once

// Choosing the desktop at start-up: the GTK desktop when a display can be
// opened, the headless one otherwise or when asked for.

#include "platform/display/DisplayBackend.h"

#include <memory>

namespace display {

enum TDisplayChoice {
    dcAuto,    // GTK on X11 when a display opens; headless otherwise
    dcHeadless // always the in-memory desktop (tests)
};

// dcAuto also picks the headless desktop when LUMORA_HEADLESS is set to
// anything but "" or "0". Under Wayland the X11 side (Xwayland) is used,
// because exact window positions exist only there. The first call that picks
// GTK initialises it; call from the thread that will run the message loop.
[[nodiscard]] std::unique_ptr<TDisplayBackend> CreateDesktopDisplay(TDisplayChoice choice = dcAuto);

} // namespace display

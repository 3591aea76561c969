#pragma once

// MessageBoxW on the GTK desktop: a modal GTK message dialog.

#include "platform/display/DisplayTypes.h"

#include <gtk/gtk.h>

namespace display {

// Runs the dialog until it is answered; a closed dialog answers mbaNone.
[[nodiscard]] TMessageBoxAnswer RunGtkMessageBox(const TMessageBoxRequest& request, GtkWindow* owner);

} // namespace display

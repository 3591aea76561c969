#include "platform/display/gtk/DesktopDisplay.h"

#include "platform/display/HeadlessDisplay.h"
#include "platform/display/gtk/GtkDisplay.h"

#include <cstdlib>
#include <cstring>

namespace display {

namespace {

bool HeadlessRequested() {
    const char* value = std::getenv("LUMORA_HEADLESS");
    return value && *value && std::strcmp(value, "0") != 0;
}

bool DisplayNamed() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

} // namespace

std::unique_ptr<TDisplayBackend> CreateDesktopDisplay(TDisplayChoice choice) {
    if (choice == dcHeadless || HeadlessRequested() || !DisplayNamed())
        return std::make_unique<THeadlessDisplay>();
    if (TGtkDisplay::Current() == nullptr) {
        gdk_set_allowed_backends("x11");
        if (!gtk_init_check(nullptr, nullptr))
            return std::make_unique<THeadlessDisplay>();
    }
    return std::make_unique<TGtkDisplay>();
}

} // namespace display

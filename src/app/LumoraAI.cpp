// Program entry: the start-up checks, then the main window. The main window
// is not built yet; until it is, the program says so after the checks and
// names what can be run instead.

#include "app/StartupChecks.h"
#include "platform/display/gtk/DesktopDisplay.h"
#include "platform/win/user/Desktop.h"

#include <cstdio>

int main() {
    // Platform start-up: the desktop the message box and the windows appear on.
    win::SetDisplayBackend(display::CreateDesktopDisplay());
    app::CheckSingleInstance();
    app::CheckWebView2Runtime();
    std::puts("Lumora AI: the main window is not built yet.\n"
              "What runs today: `make test` (every test) and `make bench` (benchmarks).");
    return 0;
}

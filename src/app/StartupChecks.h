#pragma once

// The checks the program entry runs before any window exists. Each ends the
// process (exit code 0, through TerminateProcess) instead of returning when
// the program must not go on. Main thread only.

namespace app {

// Returns only in the first instance of the user's session. A later start
// posts WM_INSTANCE_ACTIVATE to the running main window, if it has one yet,
// and ends.
void CheckSingleInstance();

// Returns only when the browser runtime is installed. Otherwise explains so
// in a message box, opens the runtime's download page if the user chooses
// OK, and ends.
void CheckWebView2Runtime();

} // namespace app

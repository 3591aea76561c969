#pragma once

// The browser runtime helper: the per-user program folder, and the test
// whether the browser runtime is installed, asked of the runtime's loader
// library in the program's own folder. Main thread only.

#include "platform/rtl/String.h"

namespace app {

// The local application data folder followed by "/Lumora AI/".
[[nodiscard]] rtl::String GetAppDataFolder();

// Loads "WebView2Loader.dll" from the program's folder once per process and
// keeps it; after a failed load the next call tries again.
bool LoadWebView2LoaderLibrary();

// Empty when the library, its version call or the runtime is missing.
[[nodiscard]] rtl::String GetWebView2RuntimeVersion();

[[nodiscard]] bool IsWebView2RuntimeInstalled();

} // namespace app

#pragma once

// Which engine the browser component gets: the program installs the real
// one at start-up when a display is in use; tests install the scripted one.

#include "platform/webview/engine/BrowserEngine.h"

#include <functional>
#include <memory>

namespace webview {

using TEngineFactory = std::function<std::unique_ptr<TBrowserEngine>()>;

// An empty factory leaves no engine installed.
void SetEngineFactory(TEngineFactory factory);
[[nodiscard]] bool HasEngineFactory();
// A new engine; nullptr when none is installed or it cannot make one.
[[nodiscard]] std::unique_ptr<TBrowserEngine> CreateBrowserEngine();

} // namespace webview

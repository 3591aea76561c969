#pragma once

// The browser profiles of the process: one WebKit context per user-data
// folder, whose website-data manager keeps everything below that folder.

#include "platform/rtl/String.h"

#include <webkit2/webkit2.h>

namespace webview {

// The context for folder (created on first use, kept for the process); an
// empty folder gives a profile kept in memory only. Never nullptr.
[[nodiscard]] WebKitWebContext* WebContextForFolder(const rtl::String& folder);

} // namespace webview

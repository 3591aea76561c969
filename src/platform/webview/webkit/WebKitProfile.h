#pragma once

// The browser profiles of the process: one WebKit context per user-data
// folder, whose website-data manager keeps everything below that folder.

#include "platform/rtl/String.h"
#include "platform/webview/webkit/WebKitLibrary.h"

namespace webview {

// The context for folder (created on first use, kept for the process); an
// empty folder gives a profile kept in memory only. Never nullptr.
[[nodiscard]] WebKitWebContext* WebContextForFolder(const TWebKitApi& api, const rtl::String& folder);

} // namespace webview

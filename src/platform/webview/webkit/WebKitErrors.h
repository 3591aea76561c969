#pragma once

// What WebKitGTK's load errors mean to the browser component.

#include "platform/webview/engine/EngineTypes.h"

#include <gio/gio.h>

namespace webview {

// The error kind of a failed load; errors come from WebKit's own domains and
// from GIO's: I/O, name resolution and TLS.
[[nodiscard]] TWebErrorStatus WebErrorStatusOf(const GError* error);
// A certificate the engine refused, by what was wrong with it.
[[nodiscard]] TWebErrorStatus WebErrorStatusOfCertificate(GTlsCertificateFlags flags);
// A load ended on purpose (a newer load, a stop): no error page for it.
[[nodiscard]] bool IsCancellation(const GError* error);

} // namespace webview

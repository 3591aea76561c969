#pragma once

// Values shared by the browser engines and the browser component over them.

#include "platform/rtl/String.h"
#include "platform/win/WinTypes.h"
#include "platform/win/user/UserTypes.h"

#include <cstdint>

namespace webview {

// Why a navigation failed, numbered as the browser component reports it.
enum TWebErrorStatus {
    wesUnknown = 0,
    wesCertificateCommonNameIsIncorrect = 1,
    wesCertificateExpired = 2,
    wesClientCertificateContainsErrors = 3,
    wesCertificateRevoked = 4,
    wesCertificateIsInvalid = 5,
    wesServerUnreachable = 6,
    wesTimeout = 7,
    wesErrorHttpInvalidServerResponse = 8,
    wesConnectionAborted = 9,
    wesConnectionReset = 10,
    wesDisconnected = 11,
    wesCannotConnect = 12,
    wesHostNameNotResolved = 13,
    wesOperationCanceled = 14,
    wesRedirectFailed = 15,
    wesUnexpectedError = 16,
    wesValidAuthenticationCredentialsRequired = 17,
    wesValidProxyAuthenticationRequired = 18
};

// The browser's own user interface, all on by default. Off is enforced by
// the engine: the input that would reach the feature does nothing.
struct TEngineSettings {
    bool DevToolsEnabled = true;
    bool DefaultContextMenusEnabled = true;
    bool ZoomControlEnabled = true;
    bool AreBrowserAcceleratorKeysEnabled = true;
    bool StatusBarEnabled = true;
    bool IsSwipeNavigationEnabled = true;
    bool AllowExternalDrop = true;
    bool operator==(const TEngineSettings&) const = default;
};

struct TEngineOptions {
    // Where the browser keeps its profile (cookies, storage, caches); empty
    // for a profile that lives only as long as the process.
    rtl::String UserDataFolder;
    // Navigated to as soon as the browser exists, when not empty.
    rtl::String DefaultURL;
};

// Every top-level navigation gets an id, in increasing order.
using TNavigationId = std::uint64_t;

struct TEngineEvent {
    enum TKind {
        eeCreated,             // Result
        eeNavigationStarting,  // Navigation, Uri
        eeContentLoading,      // Navigation, IsErrorPage
        eeNavigationCompleted, // Navigation, IsSuccess, Status, HttpStatusCode
    } Kind = eeCreated;
    win::HRESULT Result = win::S_OK;
    TNavigationId Navigation = 0;
    rtl::String Uri;
    bool IsErrorPage = false;
    bool IsSuccess = false;
    TWebErrorStatus Status = wesUnknown;
    int HttpStatusCode = 0; // 0 when no HTTP answer came
};

// Where the engine's view is: a rectangle of a desktop surface (surface
// coordinates), and whether it shows.
struct TViewPlacement {
    std::uint32_t Surface = 0;
    win::RECT Rect{};
    bool Visible = false;
    bool operator==(const TViewPlacement& o) const {
        return Surface == o.Surface && Visible == o.Visible && Rect.left == o.Rect.left &&
               Rect.top == o.Rect.top && Rect.right == o.Rect.right && Rect.bottom == o.Rect.bottom;
    }
};

} // namespace webview

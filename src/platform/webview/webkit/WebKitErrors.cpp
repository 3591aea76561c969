#include "platform/webview/webkit/WebKitErrors.h"

#include <webkit2/webkit2.h>

namespace webview {

namespace {

// WebKit's error domains by their names: a domain's quark is its name, so
// telling them apart needs no call into the engine's library.
GQuark NetworkErrorDomain() {
    return g_quark_from_static_string("WebKitNetworkError");
}

GQuark PolicyErrorDomain() {
    return g_quark_from_static_string("WebKitPolicyError");
}

TWebErrorStatus IoErrorStatus(int code) {
    switch (code) {
    case G_IO_ERROR_CONNECTION_REFUSED:
        return wesCannotConnect;
    case G_IO_ERROR_TIMED_OUT:
        return wesTimeout;
    case G_IO_ERROR_HOST_NOT_FOUND:
        return wesHostNameNotResolved;
    case G_IO_ERROR_HOST_UNREACHABLE:
    case G_IO_ERROR_PROXY_FAILED:
        return wesServerUnreachable;
    case G_IO_ERROR_NETWORK_UNREACHABLE:
    case G_IO_ERROR_NOT_CONNECTED:
        return wesDisconnected;
    case G_IO_ERROR_CONNECTION_CLOSED: // also G_IO_ERROR_BROKEN_PIPE, its alias
        return wesConnectionAborted;
    case G_IO_ERROR_CANCELLED:
        return wesOperationCanceled;
    case G_IO_ERROR_PROXY_AUTH_FAILED:
    case G_IO_ERROR_PROXY_NEED_AUTH:
        return wesValidProxyAuthenticationRequired;
    case G_IO_ERROR_INVALID_DATA:
        return wesErrorHttpInvalidServerResponse;
    default:
        return wesUnexpectedError;
    }
}

TWebErrorStatus TlsErrorStatus(int code) {
    switch (code) {
    case G_TLS_ERROR_BAD_CERTIFICATE:
        return wesCertificateIsInvalid;
    case G_TLS_ERROR_CERTIFICATE_REQUIRED:
        return wesClientCertificateContainsErrors;
    case G_TLS_ERROR_NOT_TLS:
        return wesErrorHttpInvalidServerResponse;
    case G_TLS_ERROR_EOF:
        return wesConnectionAborted;
    default:
        return wesUnexpectedError;
    }
}

TWebErrorStatus NetworkErrorStatus(int code) {
    switch (code) {
    case WEBKIT_NETWORK_ERROR_CANCELLED:
        return wesOperationCanceled;
    case WEBKIT_NETWORK_ERROR_TRANSPORT:
        return wesServerUnreachable;
    case WEBKIT_NETWORK_ERROR_FILE_DOES_NOT_EXIST:
        return wesCannotConnect;
    default:
        return wesUnexpectedError;
    }
}

} // namespace

TWebErrorStatus WebErrorStatusOf(const GError* error) {
    if (!error)
        return wesUnknown;
    if (error->domain == G_IO_ERROR)
        return IoErrorStatus(error->code);
    if (error->domain == G_RESOLVER_ERROR)
        return error->code == G_RESOLVER_ERROR_INTERNAL ? wesUnexpectedError : wesHostNameNotResolved;
    if (error->domain == G_TLS_ERROR)
        return TlsErrorStatus(error->code);
    if (error->domain == NetworkErrorDomain())
        return NetworkErrorStatus(error->code);
    if (error->domain == PolicyErrorDomain())
        return error->code == WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE
                   ? wesOperationCanceled
                   : wesUnexpectedError;
    return wesUnknown;
}

TWebErrorStatus WebErrorStatusOfCertificate(GTlsCertificateFlags flags) {
    if (flags & G_TLS_CERTIFICATE_REVOKED)
        return wesCertificateRevoked;
    if (flags & G_TLS_CERTIFICATE_EXPIRED)
        return wesCertificateExpired;
    if (flags & G_TLS_CERTIFICATE_BAD_IDENTITY)
        return wesCertificateCommonNameIsIncorrect;
    return wesCertificateIsInvalid;
}

bool IsCancellation(const GError* error) {
    return error &&
           ((error->domain == NetworkErrorDomain() && error->code == WEBKIT_NETWORK_ERROR_CANCELLED) ||
            (error->domain == G_IO_ERROR && error->code == G_IO_ERROR_CANCELLED) ||
            (error->domain == PolicyErrorDomain() &&
             error->code == WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE));
}

} // namespace webview

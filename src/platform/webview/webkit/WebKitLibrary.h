#pragma once

// WebKitGTK's entry points, resolved at run time. The program is not linked
// against the engine: its library and the 100-odd libraries under it would
// be mapped and relocated before main, in front of the window's first frame. They are loaded when
// the first browser is created instead, and every call into the engine goes
// through this table.
//
// The load stays on the GUI thread. Loading on another thread while GTK
// runs deadlocks: a constructor of the engine's libraries opens a GModule
// under the dynamic loader's lock, while GTK looks up a GModule symbol under
// GModule's lock.

#include <string>
#include <webkit2/webkit2.h>

namespace webview {

// The engine's shared object, as the dynamic linker finds it.
inline constexpr const char* kWebKitLibrary = "libwebkit2gtk-4.1.so.0";

struct TWebKitApi {
    decltype(&webkit_web_view_get_type) WebViewGetType;
    decltype(&webkit_web_view_load_uri) WebViewLoadUri;
    decltype(&webkit_web_view_load_alternate_html) WebViewLoadAlternateHtml;
    decltype(&webkit_web_view_get_uri) WebViewGetUri;
    decltype(&webkit_web_view_get_main_resource) WebViewGetMainResource;
    decltype(&webkit_web_view_reload) WebViewReload;
    decltype(&webkit_web_view_reload_bypass_cache) WebViewReloadBypassCache;
    decltype(&webkit_web_view_go_back) WebViewGoBack;
    decltype(&webkit_web_view_go_forward) WebViewGoForward;
    decltype(&webkit_web_view_get_zoom_level) WebViewGetZoomLevel;
    decltype(&webkit_web_view_set_zoom_level) WebViewSetZoomLevel;
    decltype(&webkit_web_view_get_inspector) WebViewGetInspector;
    decltype(&webkit_web_inspector_show) WebInspectorShow;
    decltype(&webkit_web_inspector_close) WebInspectorClose;
    decltype(&webkit_web_resource_get_response) WebResourceGetResponse;
    decltype(&webkit_uri_response_get_status_code) UriResponseGetStatusCode;
    decltype(&webkit_settings_new) SettingsNew;
    decltype(&webkit_settings_set_enable_developer_extras) SettingsSetEnableDeveloperExtras;
    decltype(&webkit_settings_set_enable_back_forward_navigation_gestures)
        SettingsSetEnableBackForwardNavigationGestures;
    decltype(&webkit_website_data_manager_new) WebsiteDataManagerNew;
    decltype(&webkit_website_data_manager_new_ephemeral) WebsiteDataManagerNewEphemeral;
    decltype(&webkit_web_context_new_with_website_data_manager) WebContextNewWithWebsiteDataManager;
};

// The entry points, loading the engine on the first call; nullptr when it
// cannot be loaded or lacks one of them, with the reason in
// WebKitLoadError().
[[nodiscard]] const TWebKitApi* WebKit();
[[nodiscard]] std::string WebKitLoadError();

} // namespace webview

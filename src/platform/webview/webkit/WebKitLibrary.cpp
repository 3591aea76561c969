#include "platform/webview/webkit/WebKitLibrary.h"

#include <dlfcn.h>

namespace webview {

namespace {

struct TLoaded {
    TWebKitApi Api{};
    bool Complete = false;
    std::string Error;
};

template <typename F>
void Resolve(void* library, const char* symbol, F& slot, std::string& missing) {
    slot = reinterpret_cast<F>(::dlsym(library, symbol));
    if (!slot)
        missing += missing.empty() ? symbol : std::string(", ") + symbol;
}

// The slot's type is the declared function's, and the name looked up is
// that function's: a slot cannot be filled from another entry point.
#define LUMORA_RESOLVE(slot, symbol) Resolve<decltype(&symbol)>(library, #symbol, loaded.Api.slot, missing)

TLoaded Load() {
    TLoaded loaded;
    // Stays loaded for the process: the engine does not support unloading.
    void* library = ::dlopen(kWebKitLibrary, RTLD_LAZY | RTLD_LOCAL);
    if (!library) {
        const char* reason = ::dlerror();
        loaded.Error = reason ? reason : std::string(kWebKitLibrary) + " does not load";
        return loaded;
    }
    std::string missing;
    LUMORA_RESOLVE(WebViewGetType, webkit_web_view_get_type);
    LUMORA_RESOLVE(WebViewLoadUri, webkit_web_view_load_uri);
    LUMORA_RESOLVE(WebViewLoadAlternateHtml, webkit_web_view_load_alternate_html);
    LUMORA_RESOLVE(WebViewGetUri, webkit_web_view_get_uri);
    LUMORA_RESOLVE(WebViewGetMainResource, webkit_web_view_get_main_resource);
    LUMORA_RESOLVE(WebViewReload, webkit_web_view_reload);
    LUMORA_RESOLVE(WebViewReloadBypassCache, webkit_web_view_reload_bypass_cache);
    LUMORA_RESOLVE(WebViewGoBack, webkit_web_view_go_back);
    LUMORA_RESOLVE(WebViewGoForward, webkit_web_view_go_forward);
    LUMORA_RESOLVE(WebViewGetZoomLevel, webkit_web_view_get_zoom_level);
    LUMORA_RESOLVE(WebViewSetZoomLevel, webkit_web_view_set_zoom_level);
    LUMORA_RESOLVE(WebViewGetInspector, webkit_web_view_get_inspector);
    LUMORA_RESOLVE(WebInspectorShow, webkit_web_inspector_show);
    LUMORA_RESOLVE(WebInspectorClose, webkit_web_inspector_close);
    LUMORA_RESOLVE(WebResourceGetResponse, webkit_web_resource_get_response);
    LUMORA_RESOLVE(UriResponseGetStatusCode, webkit_uri_response_get_status_code);
    LUMORA_RESOLVE(SettingsNew, webkit_settings_new);
    LUMORA_RESOLVE(SettingsSetEnableDeveloperExtras, webkit_settings_set_enable_developer_extras);
    LUMORA_RESOLVE(SettingsSetEnableBackForwardNavigationGestures,
                   webkit_settings_set_enable_back_forward_navigation_gestures);
    LUMORA_RESOLVE(WebsiteDataManagerNew, webkit_website_data_manager_new);
    LUMORA_RESOLVE(WebsiteDataManagerNewEphemeral, webkit_website_data_manager_new_ephemeral);
    LUMORA_RESOLVE(WebContextNewWithWebsiteDataManager, webkit_web_context_new_with_website_data_manager);
    if (!missing.empty()) {
        loaded.Error = std::string(kWebKitLibrary) + " lacks " + missing;
        return loaded;
    }
    loaded.Complete = true;
    return loaded;
}

#undef LUMORA_RESOLVE

const TLoaded& Loaded() {
    static const TLoaded loaded = Load();
    return loaded;
}

} // namespace

const TWebKitApi* WebKit() {
    const TLoaded& loaded = Loaded();
    return loaded.Complete ? &loaded.Api : nullptr;
}

std::string WebKitLoadError() {
    return Loaded().Error;
}

} // namespace webview

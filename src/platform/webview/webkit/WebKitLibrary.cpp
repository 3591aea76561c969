#include "platform/webview/webkit/WebKitLibrary.h"

#include <cstdlib>
#include <dlfcn.h>
#include <sys/stat.h>

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

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

bool SomethingPreloaded() {
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload && *preload)
        return true;
    struct stat st {};
    return ::stat("/etc/ld.so.preload", &st) == 0 && st.st_size > 0;
}

// Binding the engine's libraries to each other first (RTLD_DEEPBIND) takes a
// third off the load: otherwise each of their symbols is looked for first in
// the 70-odd libraries GTK brought in. It would bypass what the program's
// scope interposes, so it is left out when a library is preloaded into the
// process (an allocator, a profiler) and under the sanitizers, which refuse
// it. Lazy binding defers the functions to their first call.
int OpenFlags() {
    const int flags = RTLD_LAZY | RTLD_LOCAL;
    return kSanitized || SomethingPreloaded() ? flags : flags | RTLD_DEEPBIND;
}

TLoaded Load() {
    TLoaded loaded;
    // Stays loaded for the process: the engine does not support unloading.
    void* library = ::dlopen(kWebKitLibrary, OpenFlags());
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

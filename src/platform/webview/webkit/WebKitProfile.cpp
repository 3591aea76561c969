#include "platform/webview/webkit/WebKitProfile.h"

#include <map>
#include <string>

namespace webview {

namespace {

WebKitWebContext* NewContext(const TWebKitApi& api, const std::string& folder) {
    WebKitWebsiteDataManager* manager = nullptr;
    if (folder.empty()) {
        manager = api.WebsiteDataManagerNewEphemeral();
    } else {
        // The folder name as given may end with a separator; the caches go
        // into a folder of their own below it.
        std::string base = folder;
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        const std::string cache = base + "/Cache";
        manager = api.WebsiteDataManagerNew("base-data-directory", base.c_str(), "base-cache-directory",
                                            cache.c_str(), nullptr);
    }
    WebKitWebContext* context = api.WebContextNewWithWebsiteDataManager(manager);
    g_object_unref(manager);
    return context;
}

} // namespace

WebKitWebContext* WebContextForFolder(const TWebKitApi& api, const rtl::String& folder) {
    // GUI thread only, like everything of GTK.
    static std::map<std::string, WebKitWebContext*> contexts;
    const std::string key = rtl::StringToUtf8(folder);
    auto it = contexts.find(key);
    if (it == contexts.end())
        it = contexts.emplace(key, NewContext(api, key)).first;
    return it->second;
}

} // namespace webview

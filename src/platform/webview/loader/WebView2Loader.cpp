// The browser-engine loader library. The engine the program embeds is
// WebKitGTK 4.1; it counts as installed when its library really loads and
// answers its version calls. The engine is opened at run time and never
// linked, and nothing here initialises GTK: the version calls need neither.

#include "platform/webview/loader/WebView2Loader.h"

#include "platform/rtl/String.h"
#include "platform/webview/webkit/WebKitLibrary.h"
#include "platform/win/WinError.h"
#include "platform/win/shell/CoTaskMem.h"

#include <cstring>
#include <dlfcn.h>
#include <string>

namespace {

using TVersionPart = unsigned (*)();

// The engine's version as "major.minor.micro"; empty when the library does
// not load. `missingExports` tells a loaded library without the calls apart.
std::string EngineVersion(const std::string& library, bool& missingExports) {
    missingExports = false;
    // Stays loaded: the engine's libraries do not support being unloaded.
    void* engine = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!engine)
        return {};
    const auto major = reinterpret_cast<TVersionPart>(::dlsym(engine, "webkit_get_major_version"));
    const auto minor = reinterpret_cast<TVersionPart>(::dlsym(engine, "webkit_get_minor_version"));
    const auto micro = reinterpret_cast<TVersionPart>(::dlsym(engine, "webkit_get_micro_version"));
    if (!major || !minor || !micro) {
        missingExports = true;
        return {};
    }
    return std::to_string(major()) + "." + std::to_string(minor()) + "." + std::to_string(micro());
}

std::string EngineLibraryIn(win::LPCWSTR folder) {
    if (!folder)
        return webview::kWebKitLibrary; // the dynamic linker's search: the installed engine
    std::string path = rtl::StringToUtf8(folder);
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
    return path + webview::kWebKitLibrary;
}

} // namespace

extern "C" __attribute__((visibility("default"))) win::HRESULT
GetAvailableCoreWebView2BrowserVersionString(win::LPCWSTR browserExecutableFolder, win::LPWSTR* versionInfo) {
    if (!versionInfo)
        return win::E_POINTER;
    *versionInfo = nullptr;
    try {
        bool missingExports = false;
        const std::string version = EngineVersion(EngineLibraryIn(browserExecutableFolder), missingExports);
        if (version.empty())
            return win::HRESULT_FROM_WIN32(missingExports ? win::ERROR_PROC_NOT_FOUND
                                                          : win::ERROR_FILE_NOT_FOUND);
        const rtl::String text = rtl::Utf8ToString(version);
        auto* copy = static_cast<win::LPWSTR>(win::CoTaskMemAlloc((text.size() + 1) * sizeof(char16_t)));
        if (!copy)
            return win::E_OUTOFMEMORY;
        std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(char16_t));
        *versionInfo = copy;
        return win::S_OK;
    } catch (...) {
        // Nothing may cross the library boundary.
        return win::E_OUTOFMEMORY;
    }
}

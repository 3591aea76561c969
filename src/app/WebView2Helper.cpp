#include "app/WebView2Helper.h"

#include "app/SystemRoutines.h"
#include "platform/rtl/StringUtils.h"
#include "platform/webview/loader/WebView2Loader.h"
#include "platform/win/kernel/Environment.h"
#include "platform/win/kernel/Module.h"
#include "platform/win/shell/CoTaskMem.h"
#include "platform/win/shell/SpecialFolders.h"

namespace app {

using rtl::String;

namespace {

win::HMODULE webView2LoaderLibrary = nullptr;
TGetAvailableCoreWebView2BrowserVersionString getBrowserVersion = nullptr;

String ProgramFolder() {
    const auto items = win::SplitCommandLine(win::GetCommandLineW());
    return rtl::ExtractFilePath(items.front());
}

} // namespace

String GetAppDataFolder() {
    return GetSpecialFolder(nullptr, win::CSIDL_LOCAL_APPDATA) + u"/Lumora AI/";
}

bool LoadWebView2LoaderLibrary() {
    if (webView2LoaderLibrary)
        return true;
    const String path = ProgramFolder() + u"WebView2Loader.dll";
    webView2LoaderLibrary = win::LoadLibraryW(path.c_str());
    if (!webView2LoaderLibrary)
        return false;
    getBrowserVersion = reinterpret_cast<TGetAvailableCoreWebView2BrowserVersionString>(
        win::GetProcAddress(webView2LoaderLibrary, kGetAvailableCoreWebView2BrowserVersionString));
    return true;
}

String GetWebView2RuntimeVersion() {
    String result;
    if (!LoadWebView2LoaderLibrary() || !getBrowserVersion)
        return result;
    win::LPWSTR version = nullptr;
    const win::HRESULT hr = getBrowserVersion(nullptr, &version);
    if (win::SUCCEEDED(hr) && version)
        result = version;
    win::CoTaskMemFree(version);
    return result;
}

bool IsWebView2RuntimeInstalled() {
    return !GetWebView2RuntimeVersion().empty();
}

} // namespace app

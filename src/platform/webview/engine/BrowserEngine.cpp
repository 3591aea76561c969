#include "platform/webview/engine/BrowserEngine.h"

#include "platform/webview/engine/ViewPlacement.h"
#include "platform/win/user/WinUser.h"

namespace webview {

TBrowserEngine::TBrowserEngine()
    : FQueue([this](const TEngineEvent& e) { Deliver(e); }),
      FTracker([this](const TEngineEvent& e) { FQueue.Post(e); }) {}

TBrowserEngine::~TBrowserEngine() = default;

bool TBrowserEngine::Create(win::HWND host, const TEngineOptions& options) {
    if (FCreating || FCreated || !win::IsWindow(host) || !FQueue.IsValid())
        return false;
    FHost = host;
    FOptions = options;
    FCreating = true;
    const win::HRESULT hr = DoCreate(host, options);
    if (hr != win::S_FALSE)
        ReportCreated(hr);
    return true;
}

void TBrowserEngine::ReportCreated(win::HRESULT result) {
    if (!FCreating)
        return;
    FCreating = false;
    FCreated = win::SUCCEEDED(result);
    if (!FCreated)
        FHost = nullptr;
    TEngineEvent e;
    e.Kind = TEngineEvent::eeCreated;
    e.Result = result;
    FQueue.Post(e);
    if (!FCreated)
        return;
    DoApplySettings(FSettings);
    UpdatePlacement();
    if (!FOptions.DefaultURL.empty())
        (void)Navigate(FOptions.DefaultURL);
}

void TBrowserEngine::SetSettings(const TEngineSettings& settings) {
    FSettings = settings;
    if (FCreated)
        DoApplySettings(FSettings);
}

bool TBrowserEngine::Navigate(const rtl::String& uri) {
    if (!FCreated || uri.empty())
        return false;
    DoFlushEvents();
    FTracker.Request(uri);
    return DoNavigate(uri);
}

void TBrowserEngine::SetBounds(const win::RECT& bounds) {
    FBounds = bounds;
    FBoundsSet = true;
    UpdatePlacement();
}

void TBrowserEngine::SetVisible(bool visible) {
    FVisible = visible;
    UpdatePlacement();
}

void TBrowserEngine::UpdatePlacement() {
    if (!FCreated)
        return;
    const TViewPlacement p = PlacementOverHost(FHost, FBoundsSet ? &FBounds : nullptr, FVisible);
    if (p == FPlacement)
        return;
    FPlacement = p;
    DoPlace(p);
}

void TBrowserEngine::Deliver(const TEngineEvent& e) {
    switch (e.Kind) {
    case TEngineEvent::eeCreated:
        if (FHandlers.OnCreated)
            FHandlers.OnCreated(e.Result);
        break;
    case TEngineEvent::eeNavigationStarting:
        if (FHandlers.OnNavigationStarting)
            FHandlers.OnNavigationStarting(e.Navigation, e.Uri);
        break;
    case TEngineEvent::eeContentLoading:
        if (FHandlers.OnContentLoading)
            FHandlers.OnContentLoading(e.Navigation, e.IsErrorPage);
        break;
    case TEngineEvent::eeNavigationCompleted:
        if (FHandlers.OnNavigationCompleted)
            FHandlers.OnNavigationCompleted(e.Navigation, e.IsSuccess, e.Status, e.HttpStatusCode);
        break;
    }
}

} // namespace webview

#pragma once

// An engine without a display for tests: no pages are loaded; each
// navigation ends as the test scripted it for its address, with the same
// events, in the same order and through the same message loop as the real
// engine.

#include "platform/webview/engine/BrowserEngine.h"

#include <map>
#include <vector>

namespace webview {

enum TScriptedResult {
    srComplete,  // the content loads and the navigation succeeds
    srErrorPage, // the navigation fails and an error page shows
    srNever      // the navigation starts and nothing more happens
};

struct TScriptedNavigation {
    TScriptedResult Result = srComplete;
    TWebErrorStatus Status = wesCannotConnect; // for srErrorPage
    unsigned DelayMs = 0;                      // from starting to the content loading
};

class TScriptedEngine final : public TBrowserEngine {
public:
    // The outcome for one address (exact match) and for all others.
    void Script(const rtl::String& uri, const TScriptedNavigation& navigation) { FScripts[uri] = navigation; }
    void SetDefault(const TScriptedNavigation& navigation) { FDefault = navigation; }
    // Creation ends with this result (S_OK unless set), after delayMs.
    void ScriptCreation(win::HRESULT result, unsigned delayMs = 0);

    // What the engine was asked to do.
    [[nodiscard]] const std::vector<rtl::String>& Navigations() const noexcept { return FNavigations; }
    [[nodiscard]] const TEngineOptions& CreateOptions() const noexcept { return FOptions; }
    [[nodiscard]] int SettingsApplied() const noexcept { return FSettingsApplied; }
    [[nodiscard]] int PlacementsApplied() const noexcept { return FPlacementsApplied; }

private:
    [[nodiscard]] win::HRESULT DoCreate(win::HWND host, const TEngineOptions& options) override;
    void DoApplySettings(const TEngineSettings& settings) override;
    [[nodiscard]] bool DoNavigate(const rtl::String& uri) override;
    void DoPlace(const TViewPlacement& placement) override;

    void Finish(TNavigationId id, const TScriptedNavigation& navigation);

    std::map<rtl::String, TScriptedNavigation> FScripts;
    TScriptedNavigation FDefault;
    win::HRESULT FCreateResult = win::S_OK;
    unsigned FCreateDelayMs = 0;
    TEngineOptions FOptions;
    std::vector<rtl::String> FNavigations;
    int FSettingsApplied = 0;
    int FPlacementsApplied = 0;
};

} // namespace webview

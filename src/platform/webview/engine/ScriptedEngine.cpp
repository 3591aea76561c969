#include "platform/webview/engine/ScriptedEngine.h"

namespace webview {

void TScriptedEngine::ScriptCreation(win::HRESULT result, unsigned delayMs) {
    FCreateResult = result;
    FCreateDelayMs = delayMs;
}

// Creation always completes later, from the message loop, as a real
// browser's does.
win::HRESULT TScriptedEngine::DoCreate(win::HWND /*host*/, const TEngineOptions& options) {
    FOptions = options;
    RunLater(FCreateDelayMs, [this] { ReportCreated(FCreateResult); });
    return win::S_FALSE;
}

void TScriptedEngine::DoApplySettings(const TEngineSettings& /*settings*/) {
    ++FSettingsApplied;
}

bool TScriptedEngine::DoNavigate(const rtl::String& uri) {
    FNavigations.push_back(uri);
    const auto it = FScripts.find(uri);
    const TScriptedNavigation navigation = it == FScripts.end() ? FDefault : it->second;
    // The load the engine would begin is what the tracker hears first.
    Tracker().Started(uri);
    if (navigation.Result == srNever)
        return true;
    const TNavigationId id = Tracker().Current();
    RunLater(navigation.DelayMs, [this, id, navigation] { Finish(id, navigation); });
    return true;
}

// The same load signals the real engine gives, so that a superseded or
// finished navigation is judged by the same rules.
void TScriptedEngine::Finish(TNavigationId id, const TScriptedNavigation& navigation) {
    if (Tracker().Current() != id)
        return;
    if (navigation.Result == srErrorPage) {
        Tracker().Failed(navigation.Status, true);
        Tracker().Finished();
        Tracker().Started(Source()); // the error page's own load
        Tracker().Committed();
        Tracker().Finished();
        return;
    }
    Tracker().Committed();
    Tracker().Finished();
}

void TScriptedEngine::DoPlace(const TViewPlacement& /*placement*/) {
    ++FPlacementsApplied;
}

} // namespace webview

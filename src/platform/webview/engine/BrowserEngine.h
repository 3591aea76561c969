#pragma once

// A browser engine as the browser component drives it: created inside a
// host window, its view kept exactly over the host's client area (or the
// bounds given inside it) as the host moves, resizes, hides or is parked
// outside the window; its own user interface switched off by settings; it
// navigates and reports what happens.
//
// Everything is called on one thread, the one that created the engine, and
// every event reaches the program through that thread's message loop, never
// from inside a call. Engines implement the private Do* hooks only.

#include "platform/webview/engine/EngineEventQueue.h"
#include "platform/webview/engine/EngineTypes.h"
#include "platform/webview/engine/NavigationTracker.h"

#include <functional>
#include <memory>

namespace webview {

struct TEngineHandlers {
    // The browser exists (Result S_OK) or could not be made.
    std::function<void(win::HRESULT result)> OnCreated;
    std::function<void(TNavigationId id, const rtl::String& uri)> OnNavigationStarting;
    std::function<void(TNavigationId id, bool isErrorPage)> OnContentLoading;
    std::function<void(TNavigationId id, bool isSuccess, TWebErrorStatus status, int httpStatusCode)>
        OnNavigationCompleted;
};

class TBrowserEngine {
public:
    TBrowserEngine();
    virtual ~TBrowserEngine();
    TBrowserEngine(const TBrowserEngine&) = delete;
    TBrowserEngine& operator=(const TBrowserEngine&) = delete;

    void SetHandlers(TEngineHandlers handlers) { FHandlers = std::move(handlers); }

    // Starts making the browser in host, a child window. False when it cannot
    // start (no host, created already); otherwise OnCreated tells the outcome.
    [[nodiscard]] bool Create(win::HWND host, const TEngineOptions& options);
    [[nodiscard]] bool IsCreated() const noexcept { return FCreated; }
    [[nodiscard]] win::HWND Host() const noexcept { return FHost; }

    // Applied at once to a browser that exists, else when it is created.
    void SetSettings(const TEngineSettings& settings);
    [[nodiscard]] const TEngineSettings& Settings() const noexcept { return FSettings; }

    // False before the browser exists or for an empty address.
    [[nodiscard]] bool Navigate(const rtl::String& uri);
    // The address of the current navigation.
    [[nodiscard]] const rtl::String& Source() const noexcept { return FTracker.Source(); }

    // The view's rectangle in the host's client coordinates. Until set, the
    // view covers the whole client area and follows its size.
    void SetBounds(const win::RECT& bounds);
    void SetVisible(bool visible);
    [[nodiscard]] bool IsVisible() const noexcept { return FVisible; }
    // The host or one of its ancestors moved or changed: place the view again.
    void UpdatePlacement();
    // Where the view is now.
    [[nodiscard]] const TViewPlacement& Placement() const noexcept { return FPlacement; }

protected:
    // For engines: the load signals of the main frame, and the tracker's
    // navigation ids for navigations the engine begins itself.
    [[nodiscard]] TNavigationTracker& Tracker() noexcept { return FTracker; }
    // A creation that finishes later reports here.
    void ReportCreated(win::HRESULT result);
    // Runs action from the message loop after delayMs; dropped with the engine.
    void RunLater(unsigned delayMs, std::function<void()> action) {
        FQueue.After(delayMs, std::move(action));
    }

private:
    // Make the view; S_OK when done at once, a failure, or S_FALSE when the
    // engine will call ReportCreated itself.
    [[nodiscard]] virtual win::HRESULT DoCreate(win::HWND host, const TEngineOptions& options) = 0;
    virtual void DoApplySettings(const TEngineSettings& settings) = 0;
    // Report what the engine has seen but held back, before a navigation
    // the program asks for supersedes it.
    virtual void DoFlushEvents() {}
    // Begin loading uri; the tracker already reported it starting.
    [[nodiscard]] virtual bool DoNavigate(const rtl::String& uri) = 0;
    virtual void DoPlace(const TViewPlacement& placement) = 0;

    void Deliver(const TEngineEvent& event);

    TEngineHandlers FHandlers;
    TEngineEventQueue FQueue;
    TNavigationTracker FTracker;
    win::HWND FHost = nullptr;
    bool FCreating = false;
    bool FCreated = false;
    TEngineOptions FOptions;
    TEngineSettings FSettings;
    bool FBoundsSet = false;
    win::RECT FBounds{};
    bool FVisible = true;
    TViewPlacement FPlacement;
};

} // namespace webview

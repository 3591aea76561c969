#pragma once

// Hands an engine's events to the program through the message loop of the
// thread that created the engine, one dispatched message per batch, as the
// browser component's events arrive on Windows. A hidden message-only window
// receives them; destroying the queue drops what is still waiting.

#include "platform/webview/engine/EngineTypes.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace webview {

class TEngineEventQueue {
public:
    using TSink = std::function<void(const TEngineEvent&)>;

    // Creates the message window on the calling thread.
    explicit TEngineEventQueue(TSink sink);
    ~TEngineEventQueue();
    TEngineEventQueue(const TEngineEventQueue&) = delete;
    TEngineEventQueue& operator=(const TEngineEventQueue&) = delete;

    [[nodiscard]] bool IsValid() const noexcept { return FWindow != nullptr; }
    void Post(const TEngineEvent& event);
    // Runs action from the message loop after delayMs (a window timer).
    void After(unsigned delayMs, std::function<void()> action);
    // Forgets the actions not yet run.
    void CancelActions();

private:
    static win::LRESULT WndProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);
    void Dispatch();
    void RunAction(win::UINT_PTR id);

    TSink FSink;
    win::HWND FWindow = nullptr;
    std::deque<TEngineEvent> FEvents;
    bool FPosted = false;
    std::map<win::UINT_PTR, std::function<void()>> FActions;
    win::UINT_PTR FNextAction = 1;
    // Shared with a running dispatch, which must stop if the queue goes.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

} // namespace webview

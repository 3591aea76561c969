#include "platform/webview/engine/EngineEventQueue.h"

#include "platform/win/user/WinUser.h"

namespace webview {

namespace {

constexpr win::UINT kDispatchMessage = win::WM_APP + 0x2A0;
constexpr win::UINT kRunActionMessage = win::WM_APP + 0x2A1;
constexpr char16_t kClassName[] = u"LumoraBrowserEngineEvents";

bool RegisterQueueClass(win::WNDPROC proc) {
    win::WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (win::GetClassInfoExW(nullptr, kClassName, &existing))
        return true;
    win::WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.lpszClassName = kClassName;
    return win::RegisterClassExW(&wc) != 0;
}

} // namespace

TEngineEventQueue::TEngineEventQueue(TSink sink) : FSink(std::move(sink)) {
    if (!RegisterQueueClass(&WndProc))
        return;
    FWindow =
        win::CreateWindowExW(0, kClassName, u"", 0, 0, 0, 0, 0, win::HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (FWindow)
        win::SetWindowLongPtrW(FWindow, win::GWLP_USERDATA, reinterpret_cast<win::LONG_PTR>(this));
}

TEngineEventQueue::~TEngineEventQueue() {
    *FAlive = false;
    if (FWindow) {
        win::SetWindowLongPtrW(FWindow, win::GWLP_USERDATA, 0);
        win::DestroyWindow(FWindow);
    }
}

void TEngineEventQueue::Post(const TEngineEvent& event) {
    FEvents.push_back(event);
    if (!FPosted && FWindow)
        FPosted = win::PostMessageW(FWindow, kDispatchMessage, 0, 0) != 0;
}

void TEngineEventQueue::After(unsigned delayMs, std::function<void()> action) {
    if (!FWindow)
        return;
    const win::UINT_PTR id = FNextAction++;
    FActions.emplace(id, std::move(action));
    // Timers wait at least their minimum; "at once" is the next message.
    const bool queued = delayMs == 0 ? win::PostMessageW(FWindow, kRunActionMessage, id, 0) != 0
                                     : win::SetTimer(FWindow, id, delayMs, nullptr) != 0;
    if (!queued)
        FActions.erase(id);
}

void TEngineEventQueue::CancelActions() {
    for (const auto& [id, action] : FActions)
        win::KillTimer(FWindow, id);
    FActions.clear();
}

// Events queued while one is handled wait for the next message, so a handler
// never sees the next event before it returns.
void TEngineEventQueue::Dispatch() {
    FPosted = false;
    std::deque<TEngineEvent> batch;
    batch.swap(FEvents);
    const std::shared_ptr<bool> alive = FAlive;
    while (!batch.empty()) {
        const TEngineEvent e = std::move(batch.front());
        batch.pop_front();
        if (FSink)
            FSink(e);
        if (!*alive)
            return;
    }
}

void TEngineEventQueue::RunAction(win::UINT_PTR id) {
    win::KillTimer(FWindow, id);
    const auto it = FActions.find(id);
    if (it == FActions.end())
        return;
    const std::function<void()> action = std::move(it->second);
    FActions.erase(it);
    action();
}

win::LRESULT TEngineEventQueue::WndProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam,
                                        win::LPARAM lParam) {
    auto* self = reinterpret_cast<TEngineEventQueue*>(win::GetWindowLongPtrW(hwnd, win::GWLP_USERDATA));
    if (self && msg == kDispatchMessage) {
        self->Dispatch();
        return 0;
    }
    if (self && (msg == win::WM_TIMER || msg == kRunActionMessage)) {
        self->RunAction(wParam);
        return 0;
    }
    return win::DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace webview

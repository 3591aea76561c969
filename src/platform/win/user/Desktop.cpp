#include "platform/win/user/Desktop.h"

#include "platform/win/user/Message.h"
#include "platform/win/user/SystemInfo.h"
#include "platform/win/user/UserTesting.h"
#include "platform/win/user/WindowDirectory_p.h"
#include "platform/win/user/WindowManager_p.h"

namespace win {

namespace {

void SendToTopLevel(UINT msg, WPARAM wParam, LPARAM lParam) {
    std::vector<HWND> tops;
    {
        auto lock = Wm().Lock();
        tops = Wm().Find(Wm().Desktop())->Children;
    }
    for (HWND top : tops)
        SendMessageW(top, msg, wParam, lParam);
}

} // namespace

void SetDisplayBackend(std::unique_ptr<display::TDisplayBackend> backend) {
    if (!backend)
        return;
    auto lock = Wm().Lock();
    Wm().SetBackend(std::move(backend));
}

void ApplyDisplayChange() {
    {
        auto lock = Wm().Lock();
        Wm().InvalidateMonitors();
        (void)Wm().Monitors();
    }
    SendToTopLevel(WM_DISPLAYCHANGE, 32,
                   MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
}

void ResetWindowManager() {
    // Tests keep their windows to themselves unless they ask otherwise.
    SetWindowDirectoryPath({});
    Wm().Reset();
}

void SetSessionWindowDirectory(const std::string& path) {
    SetWindowDirectoryPath(path);
}

display::THeadlessDisplay& HeadlessDisplay() {
    auto lock = Wm().Lock();
    auto* headless = dynamic_cast<display::THeadlessDisplay*>(&Wm().Backend());
    if (!headless)
        throw std::logic_error("the display backend is not the headless one");
    return *headless;
}

void SetCompositionEnabled(bool enabled) {
    {
        auto lock = Wm().Lock();
        if (Wm().CompositionEnabled == enabled)
            return;
        Wm().CompositionEnabled = enabled;
    }
    SendToTopLevel(WM_DWMCOMPOSITIONCHANGED, 0, 0);
}

} // namespace win

#include "desktop/DesktopSession.h"

#include "platform/display/gtk/DesktopDisplay.h"
#include "platform/display/gtk/GtkDisplay.h"
#include "platform/win/user/WinUser.h"

namespace desktop_test {

TDesktopSession::TDesktopSession() : FXvfb(1920, 1080) {}

TDesktopSession& TDesktopSession::Get() {
    static TDesktopSession session;
    return session;
}

bool TDesktopSession::UseGtkDesktop() {
    if (FGtkState == 0) {
        std::unique_ptr<display::TDisplayBackend> desktop = display::CreateDesktopDisplay();
        FGtkState = dynamic_cast<display::TGtkDisplay*>(desktop.get()) ? 1 : -1;
        if (FGtkState == 1)
            win::SetDisplayBackend(std::move(desktop));
    }
    return FGtkState == 1;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    // A thread timer makes GetMessage return often enough to look at the clock.
    const win::UINT_PTR timer = win::SetTimer(nullptr, 0, 5, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool result = done();
    while (!result && std::chrono::steady_clock::now() < deadline) {
        win::MSG msg{};
        if (win::GetMessageW(&msg, nullptr, 0, 0) <= 0)
            break;
        win::TranslateMessage(&msg);
        win::DispatchMessageW(&msg);
        result = done();
    }
    win::KillTimer(nullptr, timer);
    return result;
}

void PumpFor(std::chrono::milliseconds time) {
    (void)PumpUntil([] { return false; }, time);
}

std::string SmokeProgram() {
    return std::string(LUMORA_BINARY_DIR) + "/bin/desktop-smoke";
}

std::string FixtureProgram(const std::string& name) {
    return std::string(LUMORA_BINARY_DIR) + "/tests/fixtures/desktop/" + name;
}

} // namespace desktop_test

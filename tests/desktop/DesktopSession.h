#pragma once

// The X display the desktop tests of one process share (started on first
// use), the GTK desktop installed into the window manager for the tests that
// drive windows in-process, and a message pump with a time limit.

#include "desktop/XvfbSession.h"

#include <chrono>
#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace desktop_test {

class TDesktopSession {
public:
    static TDesktopSession& Get();
    [[nodiscard]] bool Ready() const noexcept { return FXvfb.Running(); }
    [[nodiscard]] const std::string& Error() const noexcept { return FXvfb.Error(); }
    // Makes the GTK desktop the window manager's backend (once); false when
    // GTK cannot open the display.
    [[nodiscard]] bool UseGtkDesktop();

private:
    TDesktopSession();
    TXvfbSession FXvfb;
    int FGtkState = 0; // 0 not tried, 1 in use, -1 failed
};

// Runs the calling thread's message loop until done() or timeout; returns done().
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
void PumpFor(std::chrono::milliseconds time);

// The programs the tests run.
[[nodiscard]] std::string SmokeProgram();
[[nodiscard]] std::string FixtureProgram(const std::string& name);

} // namespace desktop_test

// Skips (with the reason) only when no X server could be started.
#define REQUIRE_DESKTOP()                                                                                    \
    do {                                                                                                     \
        if (!::desktop_test::TDesktopSession::Get().Ready())                                                 \
            GTEST_SKIP() << "Xvfb could not start: " << ::desktop_test::TDesktopSession::Get().Error();      \
    } while (0)

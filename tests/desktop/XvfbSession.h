#pragma once

// A private X server for a test process: Xvfb on a display number it picks
// itself, and the helpers some tests need on it (a compositor, a window
// manager). DISPLAY points at it while it runs.

#include "desktop/ChildProcess.h"

#include <memory>
#include <string>

namespace desktop_test {

class TXvfbSession {
public:
    // Starts Xvfb with one screen of width x height; Error() says why not.
    TXvfbSession(int width, int height);
    ~TXvfbSession();
    TXvfbSession(const TXvfbSession&) = delete;
    TXvfbSession& operator=(const TXvfbSession&) = delete;

    [[nodiscard]] bool Running() const noexcept { return !FDisplay.empty(); }
    [[nodiscard]] const std::string& Error() const noexcept { return FError; }
    [[nodiscard]] const std::string& Display() const noexcept { return FDisplay; }

private:
    std::unique_ptr<TChildProcess> FServer;
    std::string FDisplay;
    std::string FError;
};

// A program that runs on the display while it lives (xcompmgr, openbox),
// started once the display manager side is ready for it.
class TDesktopHelper {
public:
    enum TKind { dhCompositor, dhWindowManager };
    explicit TDesktopHelper(TKind kind);
    ~TDesktopHelper();
    TDesktopHelper(const TDesktopHelper&) = delete;
    TDesktopHelper& operator=(const TDesktopHelper&) = delete;

    [[nodiscard]] bool Running() const noexcept { return FRunning; }
    [[nodiscard]] const std::string& Error() const noexcept { return FError; }

private:
    std::unique_ptr<TChildProcess> FProcess;
    bool FRunning = false;
    std::string FError;
};

} // namespace desktop_test

#include "desktop/XvfbSession.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace desktop_test {

namespace {

using namespace std::chrono_literals;

// Xvfb writes the display number it chose to the descriptor given with
// -displayfd once it accepts connections.
std::string ReadDisplayNumber(int fd, std::chrono::milliseconds timeout) {
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    fcntl(fd, F_SETFL, O_NONBLOCK);
    while (std::chrono::steady_clock::now() < deadline) {
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n == 1) {
            if (c == '\n')
                return number;
            number += c;
        } else if (n == 0) {
            return {};
        } else {
            std::this_thread::sleep_for(5ms);
        }
    }
    return {};
}

bool HaveProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = dirs.find(':', start);
        const std::string dir =
            dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

// Whether the screen has a compositing manager (the _NET_WM_CM_S0 selection)
// or a window manager (a supporting-WM-check window).
bool DesktopHas(TDesktopHelper::TKind kind) {
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return false;
    bool found = false;
    if (kind == TDesktopHelper::dhCompositor) {
        found = XGetSelectionOwner(d, XInternAtom(d, "_NET_WM_CM_S0", False)) != None;
    } else {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False), 0,
                               1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success) {
            found = count == 1;
            XFree(data);
        }
    }
    XCloseDisplay(d);
    return found;
}

} // namespace

TXvfbSession::TXvfbSession(int width, int height) {
    if (!HaveProgram("Xvfb")) {
        FError = "Xvfb is not installed (scripts/install-deps.sh installs it)";
        return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        FError = "no pipe for Xvfb's display number";
        return;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    // The write end must survive into Xvfb: no close-on-exec on it.
    FServer = std::make_unique<TChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                                 "-nolisten", "tcp", "-noreset", "-br"},
        std::map<std::string, std::string>{}, true);
    close(fds[1]);
    const std::string number = FServer->Started() ? ReadDisplayNumber(fds[0], 10s) : std::string();
    close(fds[0]);
    if (number.empty()) {
        FError = "Xvfb did not start (no display number within 10 s)";
        FServer.reset();
        return;
    }
    FDisplay = ":" + number;
    setenv("DISPLAY", FDisplay.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
}

TXvfbSession::~TXvfbSession() {
    FServer.reset();
}

TDesktopHelper::TDesktopHelper(TKind kind) {
    const char* program = kind == dhCompositor ? "xcompmgr" : "openbox";
    if (!HaveProgram(program)) {
        FError = std::string(program) + " is not installed (scripts/install-deps.sh installs it)";
        return;
    }
    std::vector<std::string> argv{program};
    if (kind == dhWindowManager)
        argv.push_back("--sm-disable");
    FProcess = std::make_unique<TChildProcess>(argv, std::map<std::string, std::string>{}, true);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (DesktopHas(kind)) {
            // The selection or check window comes early in the program's
            // start; give it the moment it needs to take over the screen.
            std::this_thread::sleep_for(300ms);
            FRunning = true;
            return;
        }
        if (FProcess->Wait(20ms)) {
            FError = std::string(program) + " ended at start";
            return;
        }
    }
    FError = std::string(program) + " did not take over the screen within 10 s";
}

TDesktopHelper::~TDesktopHelper() {
    FProcess.reset();
}

} // namespace desktop_test

#pragma once

// Tests that drive windows of the window manager in this process on the GTK
// desktop of the test's X server, and read back the screen.

#include "desktop/DesktopSession.h"
#include "desktop/ScreenGrab.h"
#include "platform/win/WinTypes.h"
#include "platform/win/user/WinUser.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace desktop_test {

// A message a test window received.
struct TReceived {
    win::HWND Hwnd;
    win::UINT Message;
    win::WPARAM WParam;
    win::LPARAM LParam;
};

class GtkDesktopTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A window of one colour (screen rectangle); a press in its top 40
    // pixels starts the desktop's move drag, as a title bar does.
    win::HWND Window(const win::RECT& r, win::COLORREF color, win::DWORD exStyle = 0,
                     win::DWORD style = win::WS_POPUP | win::WS_VISIBLE);
    // Pumps until the screen shows rgb at (x, y) within tolerance.
    bool WaitForPixel(int x, int y, std::uint32_t rgb, int tolerance = 0,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // The messages the test windows received since the last call.
    std::vector<TReceived> TakeReceived();

private:
    std::vector<win::HWND> FWindows;
};

// 0xRRGGBB of a COLORREF.
[[nodiscard]] constexpr std::uint32_t RgbOf(win::COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

} // namespace desktop_test

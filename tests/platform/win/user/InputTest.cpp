// Mouse routing and hit-testing, capture, tracking, keyboard, focus,
// activation and the foreground.

#include "UserTestSupport.h"

namespace win::test {
namespace {

class InputTest : public UserTest {
protected:
    static display::THeadlessDisplay& Screen() { return HeadlessDisplay(); }
    static void MoveTo(int x, int y) {
        Screen().InjectMouseMove(x, y);
        Pump();
    }
    static void Click(int x, int y, display::TMouseButton button = display::mbLeft) {
        Screen().InjectMouseMove(x, y);
        Screen().InjectMouseButton(button, true);
        Screen().InjectMouseButton(button, false);
        Pump();
    }
    static void Key(WORD vk, bool down) {
        Screen().InjectKey(vk, down);
        Pump();
    }
};

const std::set<UINT> kMouse = {WM_MOUSEMOVE,     WM_LBUTTONDOWN,   WM_LBUTTONUP,
                               WM_LBUTTONDBLCLK, WM_NCLBUTTONDOWN, WM_NCLBUTTONDBLCLK,
                               WM_MOUSELEAVE,    WM_MOUSEHOVER,    WM_CAPTURECHANGED};

TEST_F(InputTest, HitTestingFallsThroughTransparentWindows) {
    HWND lower = Popup({0, 0, 300, 300});
    HWND upper = Popup({0, 0, 300, 300});
    HWND child = Child(upper, {0, 0, 100, 100});
    struct Row {
        const char* Name;
        HWND Transparent1;
        HWND Transparent2;
        HWND Expected;
    };
    const std::vector<Row> rows = {
        {"nothing transparent: the child", nullptr, nullptr, child},
        {"transparent child: its parent", child, nullptr, upper},
        {"transparent child and parent: the window below", child, upper, lower},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        gOverride = [&](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (msg == WM_NCHITTEST && (h == row.Transparent1 || h == row.Transparent2))
                return HTTRANSPARENT;
            return std::nullopt;
        };
        gLog.Clear();
        Click(50, 50);
        EXPECT_EQ(gLog.Count(row.Expected, WM_LBUTTONDOWN), 1u);
        EXPECT_EQ(gLog.Messages(nullptr, {WM_LBUTTONDOWN}).size(), 1u);
        EXPECT_EQ(WindowFromPoint({50, 50}), row.Expected);
    }
}

TEST_F(InputTest, MouseMessagesCarryClientCoordinatesAndKeys) {
    HWND top = Popup({100, 100, 400, 400}, WS_VISIBLE | WS_BORDER);
    HWND child = Child(top, {20, 30, 120, 130});
    Screen().InjectKey(VK_SHIFT, true);
    Click(100 + 1 + 20 + 5, 100 + 1 + 30 + 7);
    auto down = gLog.Last(child, WM_LBUTTONDOWN);
    ASSERT_TRUE(down);
    EXPECT_EQ(GET_X_LPARAM(down->LParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(down->LParam), 7);
    EXPECT_EQ(down->WParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(gLog.Last(child, WM_LBUTTONUP)->WParam, static_cast<WPARAM>(MK_SHIFT));
}

TEST_F(InputTest, ClickActivatesThroughWmMouseActivate) {
    HWND first = Popup({0, 0, 100, 100});
    HWND second = Popup({200, 0, 300, 100});
    ASSERT_EQ(GetActiveWindow(), second);
    gLog.Clear();
    Click(50, 50);
    // The move first, then the press: activation before the cursor and the button.
    const std::vector<UINT> expected = {WM_SETCURSOR,   WM_MOUSEACTIVATE, WM_NCACTIVATE,
                                        WM_ACTIVATE,    WM_SETFOCUS,      WM_SETCURSOR,
                                        WM_LBUTTONDOWN, WM_SETCURSOR,     WM_LBUTTONUP};
    EXPECT_EQ(gLog.Messages(first, {WM_MOUSEACTIVATE, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_SETCURSOR,
                                    WM_LBUTTONDOWN, WM_LBUTTONUP}),
              expected);
    EXPECT_EQ(LOWORD(gLog.Last(first, WM_ACTIVATE)->WParam), WA_CLICKACTIVE);
    EXPECT_EQ(GetActiveWindow(), first);

    // A window may refuse activation and swallow the click.
    gOverride = [&](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (h == second && msg == WM_MOUSEACTIVATE)
            return MA_NOACTIVATEANDEAT;
        return std::nullopt;
    };
    gLog.Clear();
    Click(250, 50);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(gLog.Count(second, WM_LBUTTONDOWN), 0u);
    EXPECT_EQ(gLog.Count(second, WM_LBUTTONUP), 1u);
}

TEST_F(InputTest, DoubleClicksNeedTheClassStyleTimeAndPlace) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &LoggingProc;
    wc.lpszClassName = u"NoDoubleClicks";
    RegisterClassExW(&wc);
    HWND plain = CreateWindowExW(0, u"NoDoubleClicks", u"", WS_POPUP | WS_VISIBLE, 200, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    HWND dbl = Popup({0, 0, 100, 100});
    struct Row {
        const char* Name;
        HWND Window;
        int SecondX;
        ULONGLONG Delay;
        UINT Second;
    };
    const std::vector<Row> rows = {
        {"quick and near", dbl, 51, 100, WM_LBUTTONDBLCLK},
        {"too late", dbl, 50, 600, WM_LBUTTONDOWN},
        {"too far", dbl, 60, 100, WM_LBUTTONDOWN},
        {"class without CS_DBLCLKS", plain, 251, 100, WM_LBUTTONDOWN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        AdvanceVirtualClock(1000);
        Click(row.SecondX < 200 ? 50 : 250, 50);
        AdvanceVirtualClock(row.Delay);
        gLog.Clear();
        Click(row.SecondX, 50);
        EXPECT_EQ(gLog.Messages(row.Window, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
                  (std::vector<UINT>{row.Second}));
    }
}

TEST_F(InputTest, CaptureTakesEveryMouseMessageUntilReleased) {
    HWND a = Popup({0, 0, 100, 100});
    HWND b = Popup({200, 0, 300, 100});
    EXPECT_EQ(SetCapture(a), nullptr);
    gLog.Clear();
    MoveTo(250, 10);
    auto move = gLog.Last(a, WM_MOUSEMOVE);
    ASSERT_TRUE(move);
    EXPECT_EQ(GET_X_LPARAM(move->LParam), 250);
    EXPECT_EQ(gLog.Count(b, WM_MOUSEMOVE), 0u);
    EXPECT_EQ(SetCapture(b), a);
    auto changed = gLog.Last(a, WM_CAPTURECHANGED);
    ASSERT_TRUE(changed);
    EXPECT_EQ(reinterpret_cast<HWND>(changed->LParam), b);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(gLog.Last(b, WM_CAPTURECHANGED)->LParam, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    // A window that dies gives up the capture.
    SetCapture(a);
    DestroyWindow(a);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, TrackMouseEventReportsLeaveAndHoverOnce) {
    HWND a = Popup({0, 0, 100, 100});
    HWND b = Popup({200, 0, 300, 100});
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE | TME_HOVER, a, HOVER_DEFAULT};
    // Not over the window: the leave comes at once.
    MoveTo(250, 50);
    gLog.Clear();
    EXPECT_TRUE(TrackMouseEvent(&tme));
    Pump();
    EXPECT_EQ(gLog.Count(a, WM_MOUSELEAVE), 1u);

    MoveTo(50, 50);
    gLog.Clear();
    EXPECT_TRUE(TrackMouseEvent(&tme));
    TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
    EXPECT_TRUE(TrackMouseEvent(&query));
    EXPECT_EQ(query.hwndTrack, a);
    EXPECT_EQ(query.dwFlags, TME_LEAVE | TME_HOVER);
    AdvanceVirtualClock(399);
    Pump();
    EXPECT_EQ(gLog.Count(a, WM_MOUSEHOVER), 0u);
    AdvanceVirtualClock(1);
    Pump();
    EXPECT_EQ(gLog.Count(a, WM_MOUSEHOVER), 1u);
    MoveTo(250, 50);
    MoveTo(50, 50);
    MoveTo(250, 50);
    EXPECT_EQ(gLog.Count(a, WM_MOUSELEAVE), 1u) << "one leave per TrackMouseEvent";
    EXPECT_EQ(gLog.Count(b, WM_MOUSELEAVE), 0u);

    MoveTo(50, 50);
    TrackMouseEvent(&tme);
    TRACKMOUSEEVENT cancel{sizeof(cancel), TME_CANCEL | TME_LEAVE | TME_HOVER, a, 0};
    EXPECT_TRUE(TrackMouseEvent(&cancel));
    gLog.Clear();
    MoveTo(250, 50);
    EXPECT_EQ(gLog.Count(a, WM_MOUSELEAVE), 0u);
}

TEST_F(InputTest, SetCursorAsksParentFirstThenUsesTheClassCursor) {
    HWND top = Popup({0, 0, 200, 200});
    HWND child = Child(top, {0, 0, 100, 100});
    SetClassLongPtrW(top, GCLP_HCURSOR,
                     reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, MAKEINTATOM(IDC_HAND))));
    MoveTo(10, 10);
    EXPECT_EQ(Screen().Cursor(), display::csHand);
    auto setCursor = gLog.Last(child, WM_SETCURSOR);
    ASSERT_TRUE(setCursor);
    EXPECT_EQ(LOWORD(setCursor->LParam), HTCLIENT);
    EXPECT_EQ(HIWORD(setCursor->LParam), WM_MOUSEMOVE);
    gOverride = [&](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (h == top && msg == WM_SETCURSOR) {
            SetCursor(LoadCursorW(nullptr, MAKEINTATOM(IDC_IBEAM)));
            return 1;
        }
        return std::nullopt;
    };
    MoveTo(11, 11);
    EXPECT_EQ(Screen().Cursor(), display::csIBeam);
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTATOM(1)), nullptr);
}

TEST_F(InputTest, DisabledWindowsOnlyHearOfTheClick) {
    HWND w = Popup({0, 0, 100, 100});
    HWND child = Child(w, {0, 0, 50, 50}, WS_VISIBLE | WS_DISABLED);
    gLog.Clear();
    Click(10, 10);
    EXPECT_EQ(gLog.Count(w, WM_LBUTTONDOWN), 1u) << "a disabled child leaves the click to its parent";
    EXPECT_EQ(gLog.Count(child, WM_LBUTTONDOWN), 0u);
    EnableWindow(w, 0);
    gLog.Clear();
    Click(70, 70);
    EXPECT_EQ(gLog.Count(w, WM_LBUTTONDOWN), 0u);
    std::vector<std::pair<LRESULT, UINT>> cursorQueries;
    for (const TLogged& e : gLog.Entries())
        if (e.Hwnd == w && e.Msg == WM_SETCURSOR)
            cursorQueries.emplace_back(static_cast<SHORT>(LOWORD(e.LParam)), HIWORD(e.LParam));
    const std::vector<std::pair<LRESULT, UINT>> expected = {
        {HTERROR, WM_MOUSEMOVE}, {HTERROR, WM_LBUTTONDOWN}, {HTERROR, WM_LBUTTONUP}};
    EXPECT_EQ(cursorQueries, expected);
}

TEST_F(InputTest, CaptionDragMovesTheWindowThroughTheDesktop) {
    HWND w = Popup({100, 100, 400, 300}, WS_VISIBLE | WS_CAPTION);
    Screen().InjectMouseMove(200, 110);
    Screen().InjectMouseButton(display::mbLeft, true);
    Pump();
    EXPECT_EQ(gLog.Last(w, WM_NCLBUTTONDOWN)->WParam, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(gLog.Last(w, WM_SYSCOMMAND)->WParam, SC_MOVE + HTCAPTION);
    ASSERT_TRUE(Screen().MoveDragActive());
    Screen().InjectMouseMove(250, 150);
    Screen().InjectMouseButton(display::mbLeft, false);
    Pump();
    RECT r{};
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 140);
    EXPECT_TRUE(gLog.Last(w, WM_MOVE));
    EXPECT_EQ(GetKeyState(VK_LBUTTON) & 0x8000, 0);
}

TEST_F(InputTest, WheelGoesToTheWindowUnderThePointerAndUpToItsParent) {
    HWND top = Popup({0, 0, 200, 200});
    HWND child = Child(top, {0, 0, 100, 100});
    Screen().InjectMouseMove(10, 10);
    Screen().InjectMouseWheel(-120);
    Screen().InjectMouseWheel(240, true);
    Pump();
    auto wheel = gLog.Last(child, WM_MOUSEWHEEL);
    ASSERT_TRUE(wheel);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel->WParam), -120);
    EXPECT_EQ(GET_X_LPARAM(wheel->LParam), 10) << "wheel points are in screen coordinates";
    EXPECT_EQ(gLog.Count(top, WM_MOUSEWHEEL), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(gLog.Last(top, WM_MOUSEHWHEEL)->WParam), 240);
}

TEST_F(InputTest, KeysGoToTheFocusWindowAndKeyStateFollowsTheMessagesRead) {
    HWND top = Popup({0, 0, 200, 200});
    HWND edit = Child(top, {0, 0, 100, 20});
    SetFocus(edit);
    gLog.Clear();
    Screen().InjectKey(VK_SHIFT, true);
    Screen().InjectKey('A', true);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_SHIFT));
    DispatchMessageW(&msg);
    EXPECT_TRUE(GetKeyState(VK_SHIFT) & 0x8000);
    EXPECT_FALSE(GetKeyState('A') & 0x8000) << "A has not been read yet";
    EXPECT_TRUE(GetAsyncKeyState('A') & 0x8000);
    Pump();
    Key('A', false);
    Key(VK_SHIFT, false);
    EXPECT_EQ(gLog.Messages(edit, {WM_KEYDOWN, WM_KEYUP, WM_CHAR}),
              (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYUP}));
    EXPECT_EQ(gLog.Last(edit, WM_CHAR)->WParam, static_cast<WPARAM>(u'A'));
    EXPECT_EQ(gLog.Last(edit, WM_KEYUP)->LParam & (LPARAM(3) << 30), LPARAM(3) << 30);
    // Alt makes system keys.
    Key(VK_MENU, true);
    Key('F', true);
    Key('F', false);
    Key(VK_MENU, false);
    EXPECT_EQ(gLog.Count(edit, WM_SYSCHAR), 1u);
    EXPECT_EQ(gLog.Count(edit, WM_SYSKEYDOWN), 2u);
}

TEST_F(InputTest, SendInputTypesUnicodeAndMovesThePointer) {
    HWND w = Popup({0, 0, 1920, 1080});
    SetFocus(w);
    INPUT in[3]{};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wScan = u'\u00E9';
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1] = in[0];
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    in[2].type = INPUT_MOUSE;
    in[2].mi.dx = 32768;
    in[2].mi.dy = 32768;
    in[2].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    EXPECT_EQ(SendInput(3, in, sizeof(INPUT)), 3u);
    EXPECT_EQ(SendInput(1, in, 20), 0u);
    Pump();
    EXPECT_EQ(gLog.Last(w, WM_CHAR)->WParam, static_cast<WPARAM>(u'\u00E9'));
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 960);
    EXPECT_EQ(p.y, 540);
}

TEST_F(InputTest, FocusChangesTellBothWindows) {
    HWND top = Popup({0, 0, 200, 200});
    HWND a = Child(top, {0, 0, 10, 10});
    HWND b = Child(top, {0, 0, 10, 10});
    SetFocus(a);
    gLog.Clear();
    EXPECT_EQ(SetFocus(b), a);
    const std::vector<std::pair<HWND, UINT>> expected = {{a, WM_KILLFOCUS}, {b, WM_SETFOCUS}};
    EXPECT_EQ(gLog.Pairs({WM_KILLFOCUS, WM_SETFOCUS}), expected);
    EXPECT_EQ(reinterpret_cast<HWND>(gLog.Last(a, WM_KILLFOCUS)->WParam), b);
    EXPECT_EQ(reinterpret_cast<HWND>(gLog.Last(b, WM_SETFOCUS)->WParam), a);
    // Disabling the focus window takes the focus away.
    gLog.Clear();
    EnableWindow(b, 0);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(gLog.Messages(b, {WM_KILLFOCUS, WM_ENABLE}), (std::vector<UINT>{WM_KILLFOCUS, WM_ENABLE}));
    EXPECT_TRUE(EnableWindow(b, 1)) << "it was disabled";
}

TEST_F(InputTest, ActivationMovesBetweenWindowsInWindowsOrder) {
    HWND a = Popup({0, 0, 100, 100});
    HWND b = Popup({0, 0, 100, 100}, 0);
    gLog.Clear();
    ShowWindow(b, SW_SHOW);
    const std::set<UINT> kActivation = {WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_SETFOCUS,
                                        WM_KILLFOCUS};
    const std::vector<std::pair<HWND, UINT>> expected = {{a, WM_NCACTIVATE}, {a, WM_ACTIVATE},
                                                         {b, WM_NCACTIVATE}, {b, WM_ACTIVATE},
                                                         {a, WM_KILLFOCUS},  {b, WM_SETFOCUS}};
    EXPECT_EQ(gLog.Pairs(kActivation), expected);
    EXPECT_EQ(reinterpret_cast<HWND>(gLog.Last(a, WM_ACTIVATE)->LParam), b);
    // Hiding the active window hands activation to the next one.
    ShowWindow(b, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), a);
    // Windows that never activate stay out of it.
    HWND tool = Popup({0, 0, 10, 10}, WS_VISIBLE, WS_EX_NOACTIVATE);
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_TRUE(IsWindowVisible(tool));
}

TEST_F(InputTest, ForegroundIsLockedWhileAnotherApplicationHasIt) {
    HWND w = Popup({0, 0, 100, 100});
    ASSERT_EQ(GetForegroundWindow(), w);
    gLog.Clear();
    Screen().SimulateActivation(0);
    Pump();
    EXPECT_EQ(gLog.Messages(w, {WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS}),
              (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS}));
    EXPECT_EQ(gLog.Last(w, WM_ACTIVATEAPP)->WParam, 0u);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_FALSE(SetForegroundWindow(w));
    // Having sent the last input lets the process take the foreground.
    INPUT empty{};
    empty.type = INPUT_MOUSE;
    SendInput(1, &empty, sizeof(INPUT));
    EXPECT_TRUE(SetForegroundWindow(w));
    EXPECT_EQ(GetForegroundWindow(), w);
    EXPECT_EQ(Screen().ActiveSurface(), Screen().StackingOrder().front());
    // With the lock time-out at 0 the lock is off.
    Screen().SimulateActivation(0);
    Pump();
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    EXPECT_TRUE(SetForegroundWindow(w));
}

} // namespace
} // namespace win::test

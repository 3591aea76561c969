// Metrics, system parameters, monitors and message boxes.

#include "UserTestSupport.h"
#include "platform/rtl/String.h"

namespace win::test {
namespace {

class SystemInfoTest : public UserTest {
protected:
    // A primary monitor with a taskbar at the bottom and a second one to its right.
    static void TwoMonitors() {
        HeadlessDisplay().SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true, u"A"},
                                       {{1920, -100, 3200, 924}, {1920, -100, 3200, 924}, false, u"B"}});
        ApplyDisplayChange();
    }
    static RECT Bounds(HMONITOR m) {
        MONITORINFO info{sizeof(info)};
        GetMonitorInfoW(m, &info);
        return info.rcMonitor;
    }
};

TEST_F(SystemInfoTest, MetricsFollowTheMonitors) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    HWND w = Popup({0, 0, 10, 10}, 0);
    TwoMonitors();
    EXPECT_EQ(gLog.Count(w, WM_DISPLAYCHANGE), 1u);
    struct Row {
        int Index;
        int Value;
    };
    for (const Row& row : {Row{SM_CXSCREEN, 1920}, Row{SM_XVIRTUALSCREEN, 0}, Row{SM_YVIRTUALSCREEN, -100},
                           Row{SM_CXVIRTUALSCREEN, 3200}, Row{SM_CYVIRTUALSCREEN, 1180}, Row{SM_CMONITORS, 2},
                           Row{SM_CXFULLSCREEN, 1920}, Row{SM_CXMAXIMIZED, 1936}})
        EXPECT_EQ(GetSystemMetrics(row.Index), row.Value) << row.Index;
}

TEST_F(SystemInfoTest, MonitorsFromPointsRectsAndWindows) {
    TwoMonitors();
    const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTONULL);
    const HMONITOR second = MonitorFromPoint({2000, 0}, MONITOR_DEFAULTTONULL);
    ASSERT_NE(primary, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(primary, second);
    struct Row {
        POINT Point;
        DWORD Flags;
        HMONITOR Expected;
    };
    for (const Row& row :
         {Row{{100, 1070}, MONITOR_DEFAULTTONULL, primary}, Row{{3300, 0}, MONITOR_DEFAULTTONULL, nullptr},
          Row{{3300, 0}, MONITOR_DEFAULTTONEAREST, second}, Row{{3300, 0}, MONITOR_DEFAULTTOPRIMARY, primary},
          Row{{100, -50}, MONITOR_DEFAULTTONEAREST, primary}})
        EXPECT_EQ(MonitorFromPoint(row.Point, row.Flags), row.Expected) << row.Point.x << "," << row.Point.y;
    RECT mostlySecond{1800, 0, 2100, 100};
    EXPECT_EQ(MonitorFromRect(&mostlySecond, MONITOR_DEFAULTTONULL), second);
    HWND w = Popup({1700, 0, 2300, 100});
    EXPECT_EQ(MonitorFromWindow(w, MONITOR_DEFAULTTONULL), second);
    ShowWindow(w, SW_MINIMIZE);
    EXPECT_EQ(MonitorFromWindow(w, MONITOR_DEFAULTTONULL), second) << "a minimised window keeps its monitor";

    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(second, reinterpret_cast<MONITORINFO*>(&info)));
    EXPECT_EQ(info.rcWork.top, -100);
    EXPECT_EQ(info.dwFlags, 0u);
    EXPECT_EQ(rtl::String(info.szDevice), u"\\\\.\\DISPLAY2");
    MONITORINFO bad{3};
    EXPECT_FALSE(GetMonitorInfoW(primary, &bad));

    std::vector<RECT> seen;
    RECT clip{1900, 0, 2000, 10};
    EnumDisplayMonitors(
        nullptr, &clip,
        [](HMONITOR, HDC, LPRECT r, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<RECT>*>(data)->push_back(*r);
            return 1;
        },
        reinterpret_cast<LPARAM>(&seen));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].right, 1920);
    EXPECT_EQ(seen[1].left, 1920);

    // Monitor handles go stale when the monitors change.
    ApplyDisplayChange();
    MONITORINFO stale{sizeof(stale)};
    EXPECT_FALSE(GetMonitorInfoW(second, &stale));
    EXPECT_EQ(Bounds(MonitorFromPoint({2000, 0}, MONITOR_DEFAULTTONULL)).left, 1920);
}

TEST_F(SystemInfoTest, WorkAreaAndForegroundLockTimeOut) {
    HWND w = Popup({0, 0, 10, 10}, 0);
    RECT work{};
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.bottom, 1080);
    RECT smaller{0, 0, 1920, 1040};
    EXPECT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &smaller, SPIF_SENDCHANGE));
    auto change = gLog.Last(w, WM_SETTINGCHANGE);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->WParam, SPI_SETWORKAREA);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.bottom, 1040);
    RECT outside{3000, 0, 4000, 10};
    EXPECT_FALSE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &outside, 0));
    DWORD timeout = 0;
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0));
    EXPECT_EQ(timeout, 200000u);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<LPVOID>(ULONG_PTR{0}),
                          SPIF_SENDCHANGE);
    SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    EXPECT_EQ(timeout, 0u);
    EXPECT_EQ(gLog.Last(w, WM_SETTINGCHANGE)->WParam, SPI_SETFOREGROUNDLOCKTIMEOUT);
    EXPECT_FALSE(SystemParametersInfoW(0xFFFF, 0, &timeout, 0));
}

TEST_F(SystemInfoTest, MessageBoxesAreAnsweredAndRecorded) {
    display::THeadlessDisplay& screen = HeadlessDisplay();
    HWND owner = Popup({0, 0, 100, 100});
    struct Row {
        UINT Type;
        display::TMessageBoxAnswer Chosen;
        int Expected;
    };
    const std::vector<Row> rows = {
        {MB_OKCANCEL | MB_ICONWARNING, display::mbaNone, IDOK},
        {MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2, display::mbaNone, IDCANCEL},
        {MB_OKCANCEL, display::mbaCancel, IDCANCEL},
        {MB_YESNO, display::mbaNo, IDNO},
        {MB_OKCANCEL, display::mbaYes, IDCANCEL}, // not one of its buttons: closed
    };
    for (const Row& row : rows) {
        screen.SetMessageBoxAnswer(row.Chosen);
        EXPECT_EQ(MessageBoxW(owner, u"Line one\r\nLine two", u"Caption", row.Type), row.Expected)
            << row.Type;
    }
    const display::TMessageBoxRequest& first = screen.MessageBoxes().front();
    EXPECT_EQ(first.Text, u"Line one\r\nLine two");
    EXPECT_EQ(first.Caption, u"Caption");
    EXPECT_EQ(first.Buttons, display::mbbOkCancel);
    EXPECT_EQ(first.Icon, display::mbiWarning);
    EXPECT_NE(first.Owner, 0u);
    // The owner is disabled while the box shows.
    EXPECT_EQ(gLog.Messages(owner, {WM_ENABLE}).size(), 2 * rows.size());
    EXPECT_TRUE(IsWindowEnabled(owner));
    screen.SetMessageBoxAnswer(display::mbaNone);
    EXPECT_EQ(MessageBoxW(nullptr, nullptr, nullptr, MB_OK), IDOK);
    EXPECT_EQ(screen.MessageBoxes().back().Caption, u"Error");
    EXPECT_EQ(MessageBoxW(nullptr, u"", u"", 0xF), 0);
}

TEST_F(SystemInfoTest, RectangleHelpers) {
    RECT a{0, 0, 10, 10};
    RECT b{5, 5, 20, 20};
    RECT r{};
    EXPECT_TRUE(IntersectRect(&r, &a, &b));
    RECT expected{5, 5, 10, 10};
    EXPECT_TRUE(EqualRect(&r, &expected));
    RECT apart{30, 30, 40, 40};
    EXPECT_FALSE(IntersectRect(&r, &a, &apart));
    EXPECT_TRUE(IsRectEmpty(&r));
    EXPECT_TRUE(UnionRect(&r, &a, &apart));
    RECT both{0, 0, 40, 40};
    EXPECT_TRUE(EqualRect(&r, &both));
    EXPECT_TRUE(PtInRect(&a, {0, 0}));
    EXPECT_FALSE(PtInRect(&a, {10, 5})) << "right edges are outside";
    RECT cut{0, 0, 10, 4};
    EXPECT_TRUE(SubtractRect(&r, &a, &cut));
    RECT rest{0, 4, 10, 10};
    EXPECT_TRUE(EqualRect(&r, &rest));
    RECT middle{2, 2, 8, 8};
    EXPECT_TRUE(SubtractRect(&r, &a, &middle));
    EXPECT_TRUE(EqualRect(&r, &a)) << "a hole cannot be taken out of a rectangle";
    EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
}

} // namespace
} // namespace win::test

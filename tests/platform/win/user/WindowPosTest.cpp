// Placement, showing, z-order, coordinates and hit-testing.

#include "UserTestSupport.h"
#include "platform/win/gdi/GdiExports.h"

namespace win::test {
namespace {

using WindowPosTest = UserTest;

const std::set<UINT> kPlacement = {
    WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE,
    WM_SIZE,       WM_GETMINMAXINFO};

RECT WindowRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::vector<HWND> TopLevelOrder(std::initializer_list<HWND> among) {
    std::vector<HWND> order;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (std::find(among.begin(), among.end(), h) != among.end())
            order.push_back(h);
    return order;
}

TEST_F(WindowPosTest, SetWindowPosMessageSequences) {
    struct Row {
        const char* Name;
        int X, Y, Cx, Cy;
        UINT Flags;
        std::vector<UINT> Expected;
    };
    const std::vector<Row> rows = {
        {"move",
         50,
         60,
         0,
         0,
         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE,
         {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}},
        {"resize",
         0,
         0,
         120,
         90,
         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE,
         {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_SIZE}},
        {"move and resize",
         5,
         5,
         70,
         70,
         SWP_NOZORDER | SWP_NOACTIVATE,
         {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}},
        {"no change at all", 5, 5, 70, 70, SWP_NOZORDER | SWP_NOACTIVATE, {WM_WINDOWPOSCHANGING}},
        {"without WM_WINDOWPOSCHANGING",
         9,
         9,
         0,
         0,
         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING,
         {WM_WINDOWPOSCHANGED, WM_MOVE}},
        {"frame changed",
         0,
         0,
         0,
         0,
         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED,
         {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED}},
        {"hide",
         0,
         0,
         0,
         0,
         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW,
         {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}},
    };
    HWND w = Popup({0, 0, 100, 100});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        gLog.Clear();
        EXPECT_TRUE(SetWindowPos(w, nullptr, row.X, row.Y, row.Cx, row.Cy, row.Flags));
        EXPECT_EQ(gLog.Messages(w, kPlacement), row.Expected);
    }
}

TEST_F(WindowPosTest, WindowPosChangedReportsWhatActuallyChanged) {
    HWND w = Popup({10, 10, 110, 110});
    UINT seen = 0;
    gOverride = [&](HWND h, UINT msg, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
        if (h == w && msg == WM_WINDOWPOSCHANGED)
            seen = reinterpret_cast<const WINDOWPOS*>(lp)->flags;
        return std::nullopt;
    };
    SetWindowPos(w, nullptr, 10, 10, 100, 100, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    const UINT unchanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE | SWP_NOZORDER;
    EXPECT_EQ(seen & unchanged, unchanged);
    EXPECT_TRUE(seen & SWP_FRAMECHANGED);
}

TEST_F(WindowPosTest, WindowPosChangingMayAmendThePlacement) {
    HWND w = Popup({0, 0, 100, 100});
    gOverride = [&](HWND h, UINT msg, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
        if (h == w && msg == WM_WINDOWPOSCHANGING) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
            pos->cx = std::min(pos->cx, 150);
            pos->flags |= SWP_NOMOVE;
        }
        return std::nullopt;
    };
    SetWindowPos(w, nullptr, 40, 40, 400, 90, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(SameRect(WindowRect(w), {0, 0, 150, 90}));
}

TEST_F(WindowPosTest, FrameStylesShapeTheClientArea) {
    struct Row {
        DWORD Style;
        DWORD ExStyle;
        RECT Client; // client rectangle in screen coordinates for a window at (100, 100, 400, 300)
    };
    const std::vector<Row> rows = {
        {WS_POPUP, 0, {100, 100, 400, 300}},
        {WS_POPUP | WS_BORDER, 0, {101, 101, 399, 299}},
        {WS_POPUP | WS_THICKFRAME, 0, {108, 108, 392, 292}},
        {WS_POPUP | WS_CAPTION, 0, {103, 126, 397, 297}},
        {WS_POPUP, WS_EX_CLIENTEDGE, {102, 102, 398, 298}},
    };
    for (const Row& row : rows) {
        HWND w = CreateWindowExW(row.ExStyle, kTestClass, u"", row.Style, 100, 100, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        RECT client{};
        GetClientRect(w, &client);
        POINT origin{0, 0};
        ClientToScreen(w, &origin);
        const RECT screenClient{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
        EXPECT_TRUE(SameRect(screenClient, row.Client)) << "style " << std::hex << row.Style;
        RECT adjusted = row.Client;
        AdjustWindowRectEx(&adjusted, row.Style, 0, row.ExStyle);
        EXPECT_TRUE(SameRect(adjusted, {100, 100, 400, 300}));
        DestroyWindow(w);
    }
}

TEST_F(WindowPosTest, CoordinatesMapThroughTheTree) {
    HWND top = Popup({100, 50, 500, 450}, WS_VISIBLE | WS_BORDER);
    HWND child = Child(top, {10, 20, 110, 120});
    HWND inner = Child(child, {5, 5, 50, 50});
    POINT p{1, 2};
    ClientToScreen(inner, &p);
    EXPECT_EQ(p.x, 100 + 1 + 10 + 5 + 1);
    EXPECT_EQ(p.y, 50 + 1 + 20 + 5 + 2);
    ScreenToClient(inner, &p);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 2);
    POINT pts[2] = {{0, 0}, {3, 4}};
    MapWindowPoints(inner, top, pts, 2);
    EXPECT_EQ(pts[0].x, 15);
    EXPECT_EQ(pts[1].y, 29);
    EXPECT_TRUE(SameRect(WindowRect(inner), {116, 76, 161, 121}));
}

TEST_F(WindowPosTest, ShowWindowCommands) {
    struct Row {
        const char* Name;
        int Cmd;
        bool VisibleAfter;
        bool IconicAfter;
        bool ZoomedAfter;
        bool ActiveAfter;
    };
    const std::vector<Row> rows = {
        {"show", SW_SHOW, true, false, false, true},
        {"show without activating", SW_SHOWNOACTIVATE, true, false, false, false},
        {"show as it is", SW_SHOWNA, true, false, false, false},
        {"minimise", SW_MINIMIZE, true, true, false, false},
        {"show minimised", SW_SHOWMINIMIZED, true, true, false, true},
        {"maximise", SW_SHOWMAXIMIZED, true, false, true, true},
        {"hide", SW_HIDE, false, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        HWND other = Popup({0, 0, 50, 50});
        HWND w = Popup({100, 100, 300, 300}, 0);
        ASSERT_EQ(GetActiveWindow(), other);
        if (row.Cmd == SW_HIDE)
            ShowWindow(w, SW_SHOW);
        ShowWindow(w, row.Cmd);
        EXPECT_EQ(IsWindowVisible(w) != 0, row.VisibleAfter);
        EXPECT_EQ(IsIconic(w) != 0, row.IconicAfter);
        EXPECT_EQ(IsZoomed(w) != 0, row.ZoomedAfter);
        EXPECT_EQ(GetActiveWindow() == w, row.ActiveAfter);
        DestroyWindow(w);
        DestroyWindow(other);
    }
}

TEST_F(WindowPosTest, ShowWindowSendsWmShowWindowOnlyWhenVisibilityChanges) {
    HWND w = Popup({0, 0, 100, 100}, 0);
    gLog.Clear();
    EXPECT_FALSE(ShowWindow(w, SW_SHOWNA));
    EXPECT_TRUE(ShowWindow(w, SW_SHOWNA));
    EXPECT_TRUE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(ShowWindow(w, SW_HIDE));
    EXPECT_EQ(gLog.Count(w, WM_SHOWWINDOW), 2u);
    EXPECT_EQ(gLog.Messages(w, {WM_SHOWWINDOW, WM_WINDOWPOSCHANGED}).front(),
              static_cast<UINT>(WM_SHOWWINDOW));
}

TEST_F(WindowPosTest, MinimiseAndRestoreCarryTheStateChangedFlag) {
    HWND w = Popup({100, 100, 400, 300}, WS_VISIBLE | WS_MINIMIZEBOX);
    std::vector<std::pair<UINT, bool>> changes; // flags of WM_WINDOWPOSCHANGED and whether iconic then
    std::vector<WPARAM> sizes;
    gOverride = [&](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> std::optional<LRESULT> {
        if (h != w)
            return std::nullopt;
        if (msg == WM_WINDOWPOSCHANGED)
            changes.emplace_back(reinterpret_cast<const WINDOWPOS*>(lp)->flags, IsIconic(h) != 0);
        if (msg == WM_SIZE)
            sizes.push_back(wp);
        return std::nullopt;
    };
    ShowWindow(w, SW_MINIMIZE);
    ASSERT_FALSE(changes.empty());
    EXPECT_TRUE(changes.back().first & SWP_STATECHANGED);
    EXPECT_TRUE(changes.back().second) << "the window is iconic while it hears of the change";
    RECT iconic = WindowRect(w);
    EXPECT_EQ(iconic.left, -32000);
    changes.clear();
    ShowWindow(w, SW_RESTORE);
    ASSERT_FALSE(changes.empty());
    EXPECT_TRUE(changes.back().first & SWP_STATECHANGED);
    EXPECT_FALSE(changes.back().second);
    EXPECT_TRUE(SameRect(WindowRect(w), {100, 100, 400, 300}));
    EXPECT_EQ(sizes, (std::vector<WPARAM>{SIZE_MINIMIZED, SIZE_RESTORED}));
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    EXPECT_TRUE(GetWindowPlacement(w, &wp));
    EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
}

TEST_F(WindowPosTest, MaximiseFillsTheWorkAreaAsWmGetMinMaxInfoSays) {
    RECT work{0, 0, 1920, 1040};
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    HWND plain = Popup({100, 100, 400, 300}, WS_VISIBLE);
    ShowWindow(plain, SW_MAXIMIZE);
    EXPECT_TRUE(SameRect(WindowRect(plain), work));
    HWND framed = Popup({100, 100, 400, 300}, WS_VISIBLE | WS_THICKFRAME);
    ShowWindow(framed, SW_MAXIMIZE);
    // The frame lies outside the work area.
    EXPECT_TRUE(SameRect(WindowRect(framed), {-8, -8, 1928, 1048}));
    HWND custom = Popup({100, 100, 400, 300}, WS_VISIBLE);
    gOverride = [&](HWND h, UINT msg, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
        if (h == custom && msg == WM_GETMINMAXINFO) {
            auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
            mmi->ptMaxPosition = {10, 20};
            mmi->ptMaxSize = {800, 600};
            return 0;
        }
        return std::nullopt;
    };
    ShowWindow(custom, SW_MAXIMIZE);
    EXPECT_TRUE(SameRect(WindowRect(custom), {10, 20, 810, 620}));
    ShowWindow(custom, SW_RESTORE);
    EXPECT_TRUE(SameRect(WindowRect(custom), {100, 100, 400, 300}));
}

TEST_F(WindowPosTest, ResizableWindowsKeepToTheirTrackingLimits) {
    HWND w = Popup({0, 0, 300, 300}, WS_VISIBLE | WS_THICKFRAME);
    SetWindowPos(w, nullptr, 0, 0, 20, 10, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(
        SameRect(WindowRect(w), {0, 0, GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)}));
    HWND popup = Popup({0, 0, 300, 300}, WS_VISIBLE);
    SetWindowPos(popup, nullptr, 0, 0, 20, 10, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(SameRect(WindowRect(popup), {0, 0, 20, 10}));
}

TEST_F(WindowPosTest, ZOrderBandsAndOwnedWindows) {
    HWND a = Popup({0, 0, 10, 10});
    HWND b = Popup({0, 0, 10, 10});
    HWND top = Popup({0, 0, 10, 10}, WS_VISIBLE, WS_EX_TOPMOST);
    EXPECT_EQ(TopLevelOrder({a, b, top}), (std::vector<HWND>{top, b, a}));
    // A normal window brought to the top stays below the topmost band.
    BringWindowToTop(a);
    EXPECT_EQ(TopLevelOrder({a, b, top}), (std::vector<HWND>{top, a, b}));
    SetWindowPos(b, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    EXPECT_EQ(TopLevelOrder({a, b, top}), (std::vector<HWND>{b, top, a}));
    EXPECT_TRUE(GetWindowLongPtrW(b, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(b, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    EXPECT_EQ(TopLevelOrder({a, b, top}), (std::vector<HWND>{top, b, a}));
    SetWindowPos(top, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    EXPECT_FALSE(GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(TopLevelOrder({a, b, top}), (std::vector<HWND>{b, a, top}));

    HWND owned = Popup({0, 0, 10, 10}, WS_VISIBLE, 0, a);
    BringWindowToTop(top);
    SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    EXPECT_EQ(TopLevelOrder({a, b, top, owned}), (std::vector<HWND>{owned, a, top, b}));
    // An owned window never goes below its owner.
    SetWindowPos(owned, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    EXPECT_EQ(TopLevelOrder({a, owned}), (std::vector<HWND>{owned, a}));
}

TEST_F(WindowPosTest, ChildZOrderFollowsInsertAfter) {
    HWND parent = Popup({0, 0, 100, 100});
    HWND c1 = Child(parent, {0, 0, 10, 10});
    HWND c2 = Child(parent, {0, 0, 10, 10});
    HWND c3 = Child(parent, {0, 0, 10, 10});
    SetWindowPos(c3, c1, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), c2);
    EXPECT_EQ(GetWindow(c2, GW_HWNDNEXT), c1);
    EXPECT_EQ(GetWindow(c1, GW_HWNDNEXT), c3);
    // Topmost means nothing to a child: it goes to the top of its siblings.
    SetWindowPos(c3, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), c3);
    EXPECT_FALSE(GetWindowLongPtrW(c3, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(WindowPosTest, ChildWindowFromPointExSkipsWhatItIsToldTo) {
    HWND parent = Popup({0, 0, 200, 200});
    HWND hidden = Child(parent, {0, 0, 50, 50}, 0);
    HWND disabled = Child(parent, {0, 0, 50, 50}, WS_VISIBLE | WS_DISABLED);
    HWND transparent = Child(parent, {0, 0, 50, 50}, WS_VISIBLE, WS_EX_TRANSPARENT);
    HWND plain = Child(parent, {0, 0, 50, 50});
    SetWindowPos(plain, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    SetWindowPos(hidden, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    struct Row {
        UINT Flags;
        HWND Expected;
    };
    const std::vector<Row> rows = {
        {CWP_ALL, hidden},
        {CWP_SKIPINVISIBLE, transparent},
        {CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT, disabled},
        {CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT | CWP_SKIPDISABLED, plain},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ChildWindowFromPointEx(parent, {10, 10}, row.Flags), row.Expected) << row.Flags;
    EXPECT_EQ(ChildWindowFromPointEx(parent, {150, 150}, CWP_ALL), parent);
    EXPECT_EQ(ChildWindowFromPointEx(parent, {250, 10}, CWP_ALL), nullptr);
}

TEST_F(WindowPosTest, WindowRegionShapesHitTestingAndHasABox) {
    HWND w = Popup({100, 100, 300, 300});
    RECT box{};
    EXPECT_EQ(GetWindowRgnBox(w, &box), ERROR);
    EXPECT_TRUE(SetWindowRgn(w, direct::CreateRectRgn(50, 50, 150, 150), 1));
    EXPECT_EQ(GetWindowRgnBox(w, &box), SIMPLEREGION);
    EXPECT_TRUE(SameRect(box, {50, 50, 150, 150}));
    EXPECT_EQ(WindowFromPoint({110, 110}), nullptr);
    EXPECT_EQ(WindowFromPoint({160, 160}), w);
    HRGN copy = direct::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(w, copy), SIMPLEREGION);
    EXPECT_TRUE(direct::PtInRegion(copy, 60, 60));
    direct::DeleteObject(copy);
    SetWindowRgn(w, nullptr, 1);
    EXPECT_EQ(WindowFromPoint({110, 110}), w);
}

} // namespace
} // namespace win::test

// Classes, creation and destruction order, window data, subclassing, the tree.

#include "UserTestSupport.h"
#include "platform/rtl/String.h"
#include "platform/win/kernel/LastError.h"
#include "platform/win/user/UserErrors.h"

namespace win::test {
namespace {

using WindowTest = UserTest;

const std::set<UINT> kLifecycle = {
    WM_GETMINMAXINFO, WM_NCCREATE,          WM_NCCALCSIZE,       WM_CREATE,      WM_SIZE,        WM_MOVE,
    WM_SHOWWINDOW,    WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_ACTIVATEAPP, WM_NCACTIVATE,  WM_ACTIVATE,
    WM_SETFOCUS,      WM_KILLFOCUS,         WM_DESTROY,          WM_NCDESTROY,   WM_PARENTNOTIFY};

TEST_F(WindowTest, CreationSendsTheMessagesInWindowsOrder) {
    struct Row {
        const char* Name;
        DWORD Style;
        std::vector<UINT> Expected;
    };
    const std::vector<Row> rows = {
        {"hidden popup", WS_POPUP, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}},
        {"overlapped window asks for its limits first",
         WS_OVERLAPPEDWINDOW,
         {WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}},
        {"visible popup is shown and activated after WM_MOVE",
         WS_POPUP | WS_VISIBLE,
         {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_WINDOWPOSCHANGING,
          WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS,
          WM_WINDOWPOSCHANGED}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        gLog.Clear();
        HWND w = CreateWindowExW(0, kTestClass, u"", row.Style, 10, 20, 300, 200, nullptr, nullptr, nullptr,
                                 nullptr);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(gLog.Messages(w, kLifecycle), row.Expected);
        DestroyWindow(w);
    }
}

TEST_F(WindowTest, ChildCreationNotifiesItsParentAfterWmCreate) {
    HWND parent = Popup({0, 0, 200, 200}, 0);
    gLog.Clear();
    HWND child = Child(parent, {5, 5, 50, 50}, WS_VISIBLE, 0, 7);
    const auto pairs = gLog.Pairs({WM_CREATE, WM_PARENTNOTIFY, WM_SHOWWINDOW});
    const std::vector<std::pair<HWND, UINT>> expected = {
        {child, WM_CREATE}, {parent, WM_PARENTNOTIFY}, {child, WM_SHOWWINDOW}};
    EXPECT_EQ(pairs, expected);
    auto notify = gLog.Last(parent, WM_PARENTNOTIFY);
    ASSERT_TRUE(notify);
    EXPECT_EQ(LOWORD(notify->WParam), WM_CREATE);
    EXPECT_EQ(HIWORD(notify->WParam), 7);
    EXPECT_EQ(reinterpret_cast<HWND>(notify->LParam), child);
}

TEST_F(WindowTest, CreationCanBeRefusedByTheWindow) {
    struct Row {
        UINT Refuses;
        LRESULT Answer;
        std::vector<UINT> Expected;
    };
    const std::vector<Row> rows = {
        {WM_NCCREATE, 0, {WM_NCCREATE, WM_NCDESTROY}},
        {WM_CREATE, -1, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}},
    };
    for (const Row& row : rows) {
        gLog.Clear();
        gOverride = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (msg == row.Refuses)
                return row.Answer;
            return std::nullopt;
        };
        EXPECT_EQ(Popup({0, 0, 10, 10}, 0), nullptr);
        EXPECT_EQ(gLog.Messages(nullptr, kLifecycle), row.Expected);
        const HWND refused = gLog.Entries().front().Hwnd;
        EXPECT_FALSE(IsWindow(refused));
    }
}

TEST_F(WindowTest, DestroySendsWmDestroyTopDownAndWmNcDestroyBottomUp) {
    HWND parent = Popup({0, 0, 200, 200}, 0);
    HWND child = Child(parent, {0, 0, 100, 100});
    HWND grandchild = Child(child, {0, 0, 50, 50});
    HWND owned = Popup({0, 0, 20, 20}, 0, 0, parent);
    gLog.Clear();
    ASSERT_TRUE(DestroyWindow(parent));
    const std::vector<std::pair<HWND, UINT>> expected = {
        {owned, WM_DESTROY},      {owned, WM_NCDESTROY},      {parent, WM_DESTROY},  {child, WM_DESTROY},
        {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
    EXPECT_EQ(gLog.Pairs({WM_DESTROY, WM_NCDESTROY}), expected);
    for (HWND w : {parent, child, grandchild, owned})
        EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowTest, ChildrenStillExistDuringTheirParentsWmDestroy) {
    HWND parent = Popup({0, 0, 200, 200}, 0);
    HWND child = Child(parent, {0, 0, 10, 10});
    bool childAliveInParentDestroy = false;
    gOverride = [&](HWND h, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (h == parent && msg == WM_DESTROY)
            childAliveInParentDestroy = IsWindow(child) && GetParent(child) == parent;
        return std::nullopt;
    };
    DestroyWindow(parent);
    EXPECT_TRUE(childAliveInParentDestroy);
}

TEST_F(WindowTest, StaleAndForgedHandlesFailCleanly) {
    HWND w = Popup({0, 0, 10, 10}, 0);
    DestroyWindow(w);
    HWND reused = Popup({0, 0, 10, 10}, 0);
    ASSERT_NE(reused, w) << "a new window must not inherit a dead handle";
    const HWND bad[] = {w, reinterpret_cast<HWND>(0x12345678), reinterpret_cast<HWND>(-7),
                        reinterpret_cast<HWND>(0x7FFF0001)};
    for (HWND h : bad) {
        SetLastError(0);
        EXPECT_FALSE(IsWindow(h));
        EXPECT_FALSE(DestroyWindow(h));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        RECT r{1, 2, 3, 4};
        EXPECT_FALSE(GetWindowRect(h, &r));
        EXPECT_FALSE(SetWindowPos(h, nullptr, 0, 0, 1, 1, 0));
        EXPECT_FALSE(ShowWindow(h, SW_SHOW));
        EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE), 0);
        EXPECT_EQ(SendMessageW(h, WM_USER, 0, 0), 0);
        EXPECT_EQ(GetParent(h), nullptr);
    }
}

TEST_F(WindowTest, ClassRegistrationRules) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &LoggingProc;
    wc.lpszClassName = u"TESTWINDOW"; // names compare without case
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    wc.cbSize = 3;
    wc.lpszClassName = u"Other";
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    EXPECT_EQ(CreateWindowExW(0, u"Missing", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    EXPECT_EQ(CreateWindowExW(0, kTestClass, u"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);

    HWND w = Popup({0, 0, 10, 10}, 0);
    EXPECT_FALSE(UnregisterClassW(kTestClass, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
    DestroyWindow(w);
    EXPECT_TRUE(UnregisterClassW(kTestClass, nullptr));
}

TEST_F(WindowTest, ClassDataIsSharedAndChangeable) {
    HWND a = Popup({0, 0, 10, 10}, 0);
    HWND b = Popup({0, 0, 10, 10}, 0);
    const ULONG_PTR old = SetClassLongPtrW(a, GCL_STYLE, CS_DBLCLKS | CS_DROPSHADOW);
    EXPECT_EQ(old, CS_DBLCLKS);
    EXPECT_EQ(GetClassLongPtrW(b, GCL_STYLE), CS_DBLCLKS | CS_DROPSHADOW);
    WCHAR name[4];
    EXPECT_EQ(GetClassNameW(a, name, 4), 3);
    EXPECT_EQ(rtl::String(name), u"Tes");
}

TEST_F(WindowTest, WindowDataIndexes) {
    HWND w = Popup({0, 0, 10, 10}, 0);
    EXPECT_EQ(SetWindowLongPtrW(w, GWLP_USERDATA, 42), 0);
    EXPECT_EQ(GetWindowLongPtrW(w, GWLP_USERDATA), 42);
    EXPECT_EQ(SetWindowLongPtrW(w, 8, 0x1122334455667788), 0);
    EXPECT_EQ(GetWindowLongPtrW(w, 8), 0x1122334455667788);
    EXPECT_EQ(GetWindowLongW(w, 8), 0x55667788);
    // Extra bytes end at 16: an 8-byte value at 9 does not fit.
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrW(w, 9), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
    EXPECT_EQ(GetWindowLongPtrW(w, -100), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
}

TEST_F(WindowTest, StyleChangesAreAnnouncedAndMayBeAmended) {
    HWND w = Popup({0, 0, 10, 10}, 0);
    gOverride = [](HWND, UINT msg, WPARAM index, LPARAM lp) -> std::optional<LRESULT> {
        if (msg == WM_STYLECHANGING && index == static_cast<WPARAM>(GWL_EXSTYLE))
            reinterpret_cast<STYLESTRUCT*>(lp)->styleNew |= WS_EX_TOOLWINDOW;
        return std::nullopt;
    };
    gLog.Clear();
    SetWindowLongPtrW(w, GWL_EXSTYLE, WS_EX_LAYERED | WS_EX_TOPMOST);
    EXPECT_EQ(gLog.Messages(w, {WM_STYLECHANGING, WM_STYLECHANGED}),
              (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
    // Topmost is a place in the z-order and cannot be set this way.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(w, GWL_EXSTYLE)), WS_EX_LAYERED | WS_EX_TOOLWINDOW);
}

// Subclassing: each procedure passes on to the one it replaced.
LRESULT SubclassA(HWND, UINT, WPARAM, LPARAM);
LRESULT SubclassB(HWND, UINT, WPARAM, LPARAM);
WNDPROC gPrevA = nullptr;
WNDPROC gPrevB = nullptr;
std::vector<char> gChain;

LRESULT SubclassA(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_USER)
        gChain.push_back('A');
    return CallWindowProcW(gPrevA, h, m, w, l);
}
LRESULT SubclassB(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_USER)
        gChain.push_back('B');
    return CallWindowProcW(gPrevB, h, m, w, l);
}

TEST_F(WindowTest, SubclassingAndRestoringInAnyOrder) {
    struct Row {
        const char* Name;
        bool RestoreAFirst;
    };
    for (const Row row : {Row{"restore in reverse order", false}, Row{"restore the first one first", true}}) {
        SCOPED_TRACE(row.Name);
        HWND w = Popup({0, 0, 10, 10}, 0);
        const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w, GWLP_WNDPROC));
        gPrevA = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassA)));
        gPrevB = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassB)));
        EXPECT_EQ(gPrevA, original);
        gChain.clear();
        gLog.Clear();
        SendMessageW(w, WM_USER, 0, 0);
        EXPECT_EQ(gChain, (std::vector<char>{'B', 'A'}));
        EXPECT_EQ(gLog.Count(w, WM_USER), 1u);
        if (row.RestoreAFirst) {
            // A leaves the chain while B still calls it: B must now call A's
            // predecessor, which is what unhooking from the middle means.
            gPrevB = gPrevA;
            SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassB));
            gChain.clear();
            SendMessageW(w, WM_USER, 0, 0);
            EXPECT_EQ(gChain, (std::vector<char>{'B'}));
            SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gPrevB));
        } else {
            SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gPrevB));
            SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gPrevA));
        }
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w, GWLP_WNDPROC)), original);
        gChain.clear();
        SendMessageW(w, WM_USER, 0, 0);
        EXPECT_TRUE(gChain.empty());
        DestroyWindow(w);
    }
}

TEST_F(WindowTest, TreeNavigation) {
    HWND parent = Popup({0, 0, 200, 200}, 0);
    HWND first = Child(parent, {0, 0, 10, 10}, WS_VISIBLE, 0, 1);
    HWND second = Child(parent, {0, 0, 10, 10}, WS_VISIBLE, 0, 2);
    HWND owned = Popup({0, 0, 10, 10}, 0, 0, first); // owners are top-level windows
    // New children go on top of their siblings.
    EXPECT_EQ(GetWindow(parent, GW_CHILD), second);
    EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), first);
    EXPECT_EQ(GetWindow(first, GW_HWNDPREV), second);
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(owned, GW_OWNER), parent);
    EXPECT_EQ(GetParent(first), parent);
    EXPECT_EQ(GetParent(owned), parent); // a popup's "parent" is its owner
    EXPECT_EQ(GetAncestor(first, GA_PARENT), parent);
    EXPECT_EQ(GetAncestor(parent, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetAncestor(owned, GA_ROOT), owned);
    EXPECT_EQ(GetAncestor(owned, GA_ROOTOWNER), parent);
    EXPECT_TRUE(IsChild(parent, first));
    EXPECT_FALSE(IsChild(parent, owned));
    EXPECT_EQ(GetWindowLongPtrW(second, GWLP_ID), 2);
}

TEST_F(WindowTest, SetParentMovesTheWindowAndRefusesCycles) {
    HWND a = Popup({0, 0, 200, 200}, 0);
    HWND b = Popup({0, 0, 200, 200}, 0);
    HWND child = Child(a, {10, 10, 20, 20});
    HWND grandchild = Child(child, {0, 0, 5, 5});
    EXPECT_EQ(SetParent(child, b), a);
    EXPECT_EQ(GetParent(child), b);
    EXPECT_EQ(GetWindow(a, GW_CHILD), nullptr);
    EXPECT_EQ(SetParent(child, grandchild), nullptr);
    EXPECT_EQ(SetParent(child, child), nullptr);
    EXPECT_EQ(GetParent(child), b);
}

TEST_F(WindowTest, FindWindowMatchesClassAndCaptionWithoutCase) {
    HWND one = Popup({0, 0, 10, 10}, 0, 0, nullptr, u"Lumora AI");
    HWND two = Popup({0, 0, 10, 10}, 0, 0, nullptr, u"Other");
    HWND child = Child(one, {0, 0, 1, 1});
    SetWindowTextW(child, u"Inner");
    EXPECT_EQ(FindWindowW(kTestClass, u"lumora ai"), one);
    EXPECT_EQ(FindWindowW(nullptr, u"Other"), two);
    EXPECT_EQ(FindWindowW(u"NoSuchClass", u"Lumora AI"), nullptr);
    EXPECT_EQ(FindWindowW(nullptr, u"Inner"), nullptr); // top-level windows only
    EXPECT_EQ(FindWindowExW(one, nullptr, nullptr, u"Inner"), child);
    HWND message =
        CreateWindowExW(0, kTestClass, u"Hidden", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(FindWindowW(nullptr, u"Hidden"), nullptr);
    EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, nullptr, u"Hidden"), message);
}

TEST_F(WindowTest, TextGoesThroughWmSetTextAndWmGetText) {
    HWND w = Popup({0, 0, 10, 10}, 0, 0, nullptr, u"Start");
    gOverride = [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> std::optional<LRESULT> {
        if (msg == WM_GETTEXT) {
            const LRESULT n = DefWindowProcW(h, msg, wp, lp);
            if (n > 0)
                reinterpret_cast<WCHAR*>(lp)[0] = u'#';
            return n;
        }
        return std::nullopt;
    };
    EXPECT_TRUE(SetWindowTextW(w, u"Lumora"));
    WCHAR buffer[4];
    EXPECT_EQ(GetWindowTextW(w, buffer, 4), 3);
    EXPECT_EQ(rtl::String(buffer), u"#um");
    EXPECT_EQ(GetWindowTextLengthW(w), 6);
    EXPECT_EQ(GetWindowTextW(w, buffer, 0), 0);
}

TEST_F(WindowTest, PropertiesByNameAndAtom) {
    HWND w = Popup({0, 0, 10, 10}, 0);
    int a = 0;
    int b = 0;
    EXPECT_TRUE(SetPropW(w, u"Delphi", &a));
    EXPECT_TRUE(SetPropW(w, MAKEINTATOM(0xC123), &b));
    EXPECT_EQ(GetPropW(w, u"DELPHI"), &a);
    EXPECT_EQ(GetPropW(w, MAKEINTATOM(0xC123)), &b);
    EXPECT_EQ(RemovePropW(w, u"delphi"), &a);
    EXPECT_EQ(GetPropW(w, u"Delphi"), nullptr);
    EXPECT_FALSE(SetPropW(w, u"", &a));
}

TEST_F(WindowTest, EnumerationVisitsWindowsUntilTheCallbackStops) {
    HWND parent = Popup({0, 0, 10, 10}, 0);
    HWND c1 = Child(parent, {0, 0, 1, 1});
    HWND c2 = Child(c1, {0, 0, 1, 1});
    std::vector<HWND> seen;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(h);
            return 1;
        },
        reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ(seen, (std::vector<HWND>{c1, c2}));
    seen.clear();
    Popup({0, 0, 10, 10}, 0);
    EnumWindows(
        [](HWND h, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(h);
            return 0;
        },
        reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ(seen.size(), 1u);
}

} // namespace
} // namespace win::test

#include "platform/webview/engine/ScriptedEngine.h"

#include "platform/webview/engine/EngineFactory.h"
#include "platform/win/kernel/Time.h"
#include "platform/win/user/UserTesting.h"
#include "platform/win/user/WinUser.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace webview {
namespace {

using namespace win;

constexpr char16_t kClass[] = u"ScriptedEngineTestWindow";

class ScriptedEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWindowManager();
        UseVirtualClock(1000000);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &DefWindowProcW;
        wc.lpszClassName = kClass;
        ASSERT_NE(RegisterClassExW(&wc), 0);
        FTop = CreateWindowExW(0, kClass, u"", WS_POPUP | WS_VISIBLE, 100, 100, 1000, 800, nullptr, nullptr,
                               nullptr, nullptr);
        FHost = CreateWindowExW(0, kClass, u"", WS_CHILD | WS_VISIBLE, 1, 47, 998, 700, FTop, nullptr,
                                nullptr, nullptr);
        ASSERT_TRUE(FTop && FHost);
        FEngine = std::make_unique<TScriptedEngine>();
        FEngine->SetHandlers(Logging());
    }
    void TearDown() override {
        FEngine.reset();
        ResetWindowManager();
        UseRealClock();
    }

    TEngineHandlers Logging() {
        TEngineHandlers h;
        h.OnCreated = [this](HRESULT hr) { FLog.push_back("created " + std::to_string(hr)); };
        h.OnNavigationStarting = [this](TNavigationId id, const rtl::String& uri) {
            FLog.push_back("start " + std::to_string(id) + " " + rtl::StringToUtf8(uri));
        };
        h.OnContentLoading = [this](TNavigationId id, bool error) {
            FLog.push_back("content " + std::to_string(id) + (error ? " error-page" : " page"));
        };
        h.OnNavigationCompleted = [this](TNavigationId id, bool ok, TWebErrorStatus status, int) {
            FLog.push_back("done " + std::to_string(id) + (ok ? " ok" : " failed ") +
                           (ok ? "" : std::to_string(static_cast<int>(status))));
        };
        return h;
    }

    // Runs the message loop, timers included, for ms of virtual time.
    static void Pump(unsigned ms = 0) {
        const ULONGLONG until = GetTickCount64() + ms;
        MSG msg{};
        for (;;) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (GetTickCount64() >= until)
                break;
            AdvanceVirtualClock(1);
        }
    }

    void CreateAndPump() {
        ASSERT_TRUE(FEngine->Create(FHost, {}));
        Pump();
        ASSERT_TRUE(FEngine->IsCreated());
        FLog.clear();
    }

    HWND FTop = nullptr;
    HWND FHost = nullptr;
    std::unique_ptr<TScriptedEngine> FEngine;
    std::vector<std::string> FLog;
};

TEST_F(ScriptedEngineTest, EventsArriveThroughTheMessageLoopInTheEnginesOrder) {
    struct TCase {
        const char* Name;
        TScriptedNavigation Script;
        std::vector<std::string> Events;
    };
    const TCase cases[] = {
        {"complete", {srComplete, wesUnknown, 30}, {"start 1 http://a/", "content 1 page", "done 1 ok"}},
        {"error page",
         {srErrorPage, wesHostNameNotResolved, 30},
         {"start 1 http://a/", "content 1 error-page", "done 1 failed 13"}},
        {"never", {srNever, wesUnknown, 30}, {"start 1 http://a/"}},
    };
    for (const TCase& c : cases) {
        FEngine = std::make_unique<TScriptedEngine>();
        FEngine->SetHandlers(Logging());
        FEngine->Script(u"http://a/", c.Script);
        FLog.clear();
        ASSERT_TRUE(FEngine->Create(FHost, {}));
        EXPECT_TRUE(FLog.empty()) << c.Name << ": an event came from inside Create";
        Pump();
        EXPECT_EQ(FLog, std::vector<std::string>{"created 0"}) << c.Name;
        FLog.clear();
        ASSERT_TRUE(FEngine->Navigate(u"http://a/"));
        EXPECT_TRUE(FLog.empty()) << c.Name << ": an event came from inside Navigate";
        Pump(10);
        EXPECT_EQ(FLog, std::vector<std::string>{"start 1 http://a/"}) << c.Name << ": before the delay";
        Pump(100);
        EXPECT_EQ(FLog, c.Events) << c.Name;
    }
}

TEST_F(ScriptedEngineTest, ANewNavigationCancelsTheRunningOne) {
    CreateAndPump();
    FEngine->SetDefault({srComplete, wesUnknown, 50});
    ASSERT_TRUE(FEngine->Navigate(u"http://a/"));
    Pump(10);
    ASSERT_TRUE(FEngine->Navigate(u"http://b/"));
    Pump(200);
    EXPECT_EQ(FLog, (std::vector<std::string>{"start 1 http://a/", "done 1 failed 14", "start 2 http://b/",
                                              "content 2 page", "done 2 ok"}));
    EXPECT_EQ(FEngine->Source(), u"http://b/");
    EXPECT_EQ(FEngine->Navigations(), (std::vector<rtl::String>{u"http://a/", u"http://b/"}));
}

TEST_F(ScriptedEngineTest, CreationFailureIsReportedAndLeavesNoBrowser) {
    FEngine->ScriptCreation(E_FAIL);
    ASSERT_TRUE(FEngine->Create(FHost, {}));
    Pump();
    EXPECT_EQ(FLog, std::vector<std::string>{"created " + std::to_string(E_FAIL)});
    EXPECT_FALSE(FEngine->IsCreated());
    EXPECT_FALSE(FEngine->Navigate(u"http://a/"));
}

TEST_F(ScriptedEngineTest, RefusesWhatCannotBeDone) {
    EXPECT_FALSE(FEngine->Navigate(u"http://a/")) << "before creation";
    EXPECT_FALSE(FEngine->Create(reinterpret_cast<HWND>(0x1234), {})) << "no such host";
    ASSERT_TRUE(FEngine->Create(FHost, {}));
    EXPECT_FALSE(FEngine->Create(FHost, {})) << "a second creation";
    Pump();
    EXPECT_FALSE(FEngine->Navigate(u"")) << "an empty address";
    EXPECT_EQ(FLog, std::vector<std::string>{"created 0"});
}

TEST_F(ScriptedEngineTest, TheDefaultAddressIsNavigatedOnceCreated) {
    TEngineOptions options;
    options.DefaultURL = u"http://start/";
    options.UserDataFolder = u"/tmp/profile";
    ASSERT_TRUE(FEngine->Create(FHost, options));
    Pump(10);
    EXPECT_EQ(FLog, (std::vector<std::string>{"created 0", "start 1 http://start/", "content 1 page",
                                              "done 1 ok"}));
    EXPECT_EQ(FEngine->CreateOptions().UserDataFolder, u"/tmp/profile");
}

TEST_F(ScriptedEngineTest, SettingsApplyOnCreationAndAtOnceAfterwards) {
    TEngineSettings locked;
    locked.DevToolsEnabled = false;
    locked.AllowExternalDrop = false;
    FEngine->SetSettings(locked);
    EXPECT_EQ(FEngine->SettingsApplied(), 0) << "no browser yet";
    CreateAndPump();
    EXPECT_EQ(FEngine->SettingsApplied(), 1);
    locked.ZoomControlEnabled = false;
    FEngine->SetSettings(locked);
    EXPECT_EQ(FEngine->SettingsApplied(), 2);
    EXPECT_EQ(FEngine->Settings(), locked);
}

TEST_F(ScriptedEngineTest, TheViewFollowsItsHost) {
    CreateAndPump();
    struct TCase {
        const char* Name;
        std::function<void()> Change;
        RECT Rect;
        bool Visible;
    };
    const TCase cases[] = {
        {"over the host's client area", [] {}, {1, 47, 999, 747}, true},
        {"host parked far right",
         [this] { SetWindowPos(FHost, nullptr, 10001, 47, 0, 0, SWP_NOSIZE | SWP_NOZORDER); },
         {10001, 47, 10999, 747},
         true},
        {"host resized",
         [this] { SetWindowPos(FHost, nullptr, 1, 47, 500, 300, SWP_NOZORDER); },
         {1, 47, 501, 347},
         true},
        {"bounds inside the host",
         [this] {
             FEngine->SetBounds({10, 20, 110, 70});
         },
         {11, 67, 111, 117},
         true},
        {"host hidden", [this] { ShowWindow(FHost, SW_HIDE); }, {11, 67, 111, 117}, false},
        {"host shown, view hidden",
         [this] {
             ShowWindow(FHost, SW_SHOWNA);
             FEngine->SetVisible(false);
         },
         {11, 67, 111, 117},
         false},
        {"view shown, window minimised",
         [this] {
             FEngine->SetVisible(true);
             ShowWindow(FTop, SW_MINIMIZE);
         },
         {11, 67, 111, 117},
         false},
        {"window restored and moved: the view stays put on the window",
         [this] {
             ShowWindow(FTop, SW_RESTORE);
             SetWindowPos(FTop, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
         },
         {11, 67, 111, 117},
         true},
    };
    for (const TCase& c : cases) {
        c.Change();
        FEngine->UpdatePlacement();
        const TViewPlacement& p = FEngine->Placement();
        EXPECT_NE(p.Surface, 0u) << c.Name;
        EXPECT_EQ((std::vector<LONG>{p.Rect.left, p.Rect.top, p.Rect.right, p.Rect.bottom}),
                  (std::vector<LONG>{c.Rect.left, c.Rect.top, c.Rect.right, c.Rect.bottom}))
            << c.Name;
        EXPECT_EQ(p.Visible, c.Visible) << c.Name;
    }
}

TEST_F(ScriptedEngineTest, AHandlerMayDestroyTheEngine) {
    CreateAndPump();
    TEngineHandlers h = Logging();
    h.OnContentLoading = [this](TNavigationId, bool) {
        FLog.push_back("content, engine freed");
        FEngine.reset();
    };
    FEngine->SetHandlers(h);
    ASSERT_TRUE(FEngine->Navigate(u"http://a/"));
    Pump(10);
    EXPECT_EQ(FLog, (std::vector<std::string>{"start 1 http://a/", "content, engine freed"}));
}

TEST(EngineFactory, GivesTheInstalledEngine) {
    SetEngineFactory({});
    EXPECT_FALSE(HasEngineFactory());
    EXPECT_EQ(CreateBrowserEngine(), nullptr);
    SetEngineFactory([] { return std::make_unique<TScriptedEngine>(); });
    EXPECT_NE(dynamic_cast<TScriptedEngine*>(CreateBrowserEngine().get()), nullptr);
    SetEngineFactory({});
}

} // namespace
} // namespace webview

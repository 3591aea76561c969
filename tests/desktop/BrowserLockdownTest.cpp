// The browser's own user interface switched off, checked the way a user
// would try it: real keys, clicks, wheel turns and a file dropped from
// another program reach the smoke program's browser through the X server,
// and nothing of the browser's own happens. Every case runs once with the
// lock-down and once without it, where the same input must have its effect;
// that proves the input arrived and the observation would see it.
//
// What happened is read from outside: the X window list (inspector windows,
// menus), the test server (page loads), and the page itself, which reports
// its viewport width (it shrinks when the page is zoomed) and the keys it
// receives to the server with synchronous requests, so they arrive in order.

#include "desktop/ChildProcess.h"
#include "desktop/DesktopSession.h"
#include "desktop/FileDragSource.h"
#include "desktop/ScreenGrab.h"
#include "desktop/TestHttpServer.h"
#include "desktop/XInput.h"
#include "desktop/XWindowList.h"

#include <X11/keysym.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <thread>

#include <gtest/gtest.h>

namespace desktop_test {
namespace {

using namespace std::chrono_literals;

constexpr int kLeft = 300;
constexpr int kTop = 100;
// A spot inside the page, clear of the title bar.
constexpr int kPageX = kLeft + 720;
constexpr int kPageY = kTop + 500;
// Where the page is looked at: away from the pointer and a drag's icon.
constexpr int kLookX = kPageX - 200;
constexpr std::uint32_t kPageColor = 0x2060C0;
constexpr std::uint32_t kDroppedColor = 0xC02060;
constexpr auto kPatience = 20s; // generous: two cores shared with compilers

const char* const kPage = R"(<!DOCTYPE html><html><head><style>html,body{margin:0;height:100%;
background:#2060c0}</style><script>
function report(what) {
  var x = new XMLHttpRequest();
  x.open('GET', '/report?' + what + '&w=' + innerWidth + '&h=' + innerHeight, false);
  try { x.send(); } catch (e) {}
}
addEventListener('load', function () { report('event=load'); });
addEventListener('keydown', function (e) { report('event=key&key=' + encodeURIComponent(e.key)); });
addEventListener('contextmenu', function () { report('event=contextmenu'); });
</script></head><body></body></html>)";

enum TMode { mLocked, mOpen };

const char* NameOf(TMode mode) {
    return mode == mLocked ? "locked down" : "not locked down";
}

// A value of a report ("/report?event=key&key=x&w=1438&h=912").
std::optional<long long> ReportValue(std::string report, const std::string& key) {
    std::replace(report.begin(), report.end(), '&', ' ');
    std::replace(report.begin(), report.end(), '?', ' ');
    return FieldOf(report, key);
}

using TViewport = std::pair<long long, long long>;

TViewport ViewportOf(const std::string& report) {
    return {ReportValue(report, "w").value_or(-1), ReportValue(report, "h").value_or(-1)};
}

// One smoke program with its browser on the test page, ready for input.
class TBrowserRun {
public:
    explicit TBrowserRun(TMode mode) {
        FServer.AddPage("/", kPage);
        std::vector<std::string> args{SmokeProgram(), "--at",
                                      std::to_string(kLeft) + "," + std::to_string(kTop)};
        if (mode == mLocked)
            args.push_back("--lockdown");
        args.push_back(FServer.Url("/"));
        FSmoke = std::make_unique<TChildProcess>(args);
    }

    // The page has loaded and has the keyboard focus; false with the reason.
    [[nodiscard]] testing::AssertionResult Ready() {
        if (!FServer.Running() || !FInput.Ready())
            return testing::AssertionFailure() << "no test server or no XTEST";
        const auto load = FServer.WaitForRequests("/report?event=load", 1, kPatience);
        if (!load)
            return testing::AssertionFailure()
                   << "the page did not load; smoke program: " << testing::PrintToString(FSmoke->Lines());
        FLoadSize = ViewportOf(*load);
        // A click gives the view the keyboard focus.
        FInput.MoveTo(kPageX, kPageY);
        FInput.Click(1);
        if (!Settle())
            return testing::AssertionFailure() << "keys typed into the page never reached it";
        FBaseline = ViewableTopLevels();
        return testing::AssertionSuccess();
    }

    // Types a harmless key twice, each time waiting until the page has
    // reported it. Input is handled in order, and the browser sends the
    // page a key only after the page has answered the one before, so by
    // then everything sent earlier has been acted on, by the page and by
    // the browser around it.
    [[nodiscard]] bool Settle() {
        for (int i = 0; i < 2; ++i) {
            FInput.Chord({}, XK_x);
            FLastSentinel = FServer.WaitForRequests("/report?event=key&key=x", ++FSentinels, kPatience);
            if (!FLastSentinel)
                return false;
        }
        return true;
    }

    // The page's viewport width as of the last Settle (it shrinks when the
    // page is zoomed), and its size.
    [[nodiscard]] long long Width() const { return Size().first; }
    [[nodiscard]] TViewport Size() const {
        return FLastSentinel ? ViewportOf(*FLastSentinel) : TViewport{-1, -1};
    }
    [[nodiscard]] long long LoadWidth() const noexcept { return FLoadSize.first; }
    [[nodiscard]] TViewport LoadSize() const noexcept { return FLoadSize; }
    [[nodiscard]] std::set<::Window> NewWindowsNow() const {
        return NewWindows(FBaseline, ViewableTopLevels());
    }
    // Requests for the page itself (its loads).
    [[nodiscard]] int PageLoads() const {
        const std::vector<std::string> all = FServer.Requests();
        return static_cast<int>(std::count(all.begin(), all.end(), "/"));
    }

    TTestHttpServer& Server() noexcept { return FServer; }
    TChildProcess& Smoke() noexcept { return *FSmoke; }
    TXInput& Input() noexcept { return FInput; }

private:
    TTestHttpServer FServer;
    std::unique_ptr<TChildProcess> FSmoke;
    TXInput FInput;
    TViewport FLoadSize{-1, -1};
    int FSentinels = 0;
    std::optional<std::string> FLastSentinel;
    std::set<::Window> FBaseline;
};

// Waits for a change that only the unlocked browser makes.
bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = kPatience) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class BrowserLockdownTest : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_DESKTOP(); }
};

TEST_F(BrowserLockdownTest, DeveloperToolKeysOpenNoInspector) {
    struct TKey {
        const char* Name;
        std::initializer_list<KeySym> Modifiers;
        KeySym Key;
    };
    const TKey keys[] = {{"F12", {}, XK_F12}, {"Ctrl+Shift+I", {XK_Control_L, XK_Shift_L}, XK_I}};
    for (const TKey& key : keys) {
        for (TMode mode : {mLocked, mOpen}) {
            SCOPED_TRACE(std::string(key.Name) + ", " + NameOf(mode));
            TBrowserRun run(mode);
            ASSERT_TRUE(run.Ready());
            run.Input().Chord(key.Modifiers, key.Key);
            if (mode == mOpen) {
                // Detached in a window of its own, or docked into the view,
                // which leaves the page less room.
                EXPECT_TRUE(Eventually([&] {
                    return !run.NewWindowsNow().empty() || (run.Settle() && run.Size() != run.LoadSize());
                })) << "no inspector appeared: the input or the observation is broken";
                continue;
            }
            ASSERT_TRUE(run.Settle());
            EXPECT_TRUE(run.NewWindowsNow().empty()) << "a window appeared";
            EXPECT_EQ(run.Size(), run.LoadSize()) << "the page has less room: a docked inspector";
        }
    }
}

TEST_F(BrowserLockdownTest, ARightClickShowsNoMenuButReachesThePage) {
    for (TMode mode : {mLocked, mOpen}) {
        SCOPED_TRACE(NameOf(mode));
        TBrowserRun run(mode);
        ASSERT_TRUE(run.Ready());
        run.Input().Click(3);
        EXPECT_TRUE(run.Server().WaitForRequests("/report?event=contextmenu", 1, kPatience))
            << "the page did not get its contextmenu event";
        if (mode == mOpen) {
            EXPECT_TRUE(Eventually([&] { return !run.NewWindowsNow().empty(); }))
                << "no menu appeared: the input or the observation is broken";
            continue;
        }
        ASSERT_TRUE(run.Settle()) << "keys no longer reach the page (a menu holding the keyboard?)";
        EXPECT_TRUE(run.NewWindowsNow().empty()) << "a menu appeared";
    }
}

TEST_F(BrowserLockdownTest, ZoomKeysAndTheControlWheelLeaveTheZoomAlone) {
    struct TAction {
        const char* Name;
        std::function<void(TXInput&)> Act;
    };
    const TAction actions[] = {
        {"Ctrl+plus",
         [](TXInput& in) {
             in.Chord({XK_Control_L, XK_Shift_L}, XK_plus);
         }},
        {"Ctrl+=", [](TXInput& in) { in.Chord({XK_Control_L}, XK_equal); }},
        {"Ctrl+keypad plus", [](TXInput& in) { in.Chord({XK_Control_L}, XK_KP_Add); }},
        {"Ctrl+wheel up", [](TXInput& in) { in.Wheel(true, {XK_Control_L}); }},
        {"Ctrl+minus", [](TXInput& in) { in.Chord({XK_Control_L}, XK_minus); }},
        {"Ctrl+wheel down", [](TXInput& in) { in.Wheel(false, {XK_Control_L}); }},
    };
    for (TMode mode : {mLocked, mOpen}) {
        TBrowserRun run(mode);
        ASSERT_TRUE(run.Ready()) << NameOf(mode);
        ASSERT_GT(run.LoadWidth(), 0);
        for (const TAction& a : actions) {
            SCOPED_TRACE(std::string(a.Name) + ", " + NameOf(mode));
            const long long before = run.Width();
            a.Act(run.Input());
            ASSERT_TRUE(run.Settle());
            if (mode == mOpen)
                EXPECT_NE(run.Width(), before) << "the zoom did not change: the input did not arrive";
            else
                EXPECT_EQ(run.Width(), run.LoadWidth()) << "the page was zoomed";
        }
    }
}

TEST_F(BrowserLockdownTest, ReloadKeysDoNotReloadThePage) {
    struct TKey {
        const char* Name;
        std::initializer_list<KeySym> Modifiers;
        KeySym Key;
    };
    const TKey keys[] = {
        {"F5", {}, XK_F5}, {"Ctrl+R", {XK_Control_L}, XK_r}, {"Shift+F5", {XK_Shift_L}, XK_F5}};
    for (TMode mode : {mLocked, mOpen}) {
        TBrowserRun run(mode);
        ASSERT_TRUE(run.Ready()) << NameOf(mode);
        int loads = 1;
        for (const TKey& key : keys) {
            SCOPED_TRACE(std::string(key.Name) + ", " + NameOf(mode));
            run.Input().Chord(key.Modifiers, key.Key);
            if (mode == mOpen) {
                ++loads;
                EXPECT_TRUE(run.Server().WaitForRequests("/report?event=load", loads, kPatience))
                    << "no reload: the input did not arrive";
                continue;
            }
            ASSERT_TRUE(run.Settle());
            EXPECT_EQ(run.PageLoads(), 1) << testing::PrintToString(run.Server().Requests());
            EXPECT_EQ(run.Server().CountRequests("/report?event=load"), 1);
        }
    }
}

enum TDropOutcome { doNoDrag, doRefused, doDropped };

// Drags uri from a window of this process onto the page and lets go.
TDropOutcome DragOntoPage(TXInput& in, const std::string& uri, bool waitForAcceptance,
                          std::unique_ptr<TFileDragSource>& source) {
    source = std::make_unique<TFileDragSource>(40, 500, 120, uri);
    PumpFor(200ms); // the source window maps
    in.MoveTo(100, 560);
    in.Button(1, true);
    // Past the drag threshold, then over the page in steps, letting the two
    // programs exchange their position and status messages.
    for (int step = 1; step <= 20 && !source->Began(); ++step) {
        in.MoveTo(100 + 2 * step, 560);
        PumpFor(30ms);
    }
    if (!source->Began()) {
        in.Button(1, false);
        return doNoDrag;
    }
    for (int step = 1; step <= 10; ++step) {
        in.MoveTo(100 + (kPageX - 100) * step / 10, 560 + (kPageY - 560) * step / 10);
        PumpFor(50ms);
    }
    // Wiggle over the page until it has answered (or, locked, for a while),
    // then hold still so the last answer is the one the drop goes by.
    int wiggle = 0;
    (void)PumpUntil(
        [&] {
            in.MoveTo(kPageX + (++wiggle % 2), kPageY);
            return waitForAcceptance ? source->TargetAccepts() : wiggle > 40;
        },
        kPatience);
    in.MoveTo(kPageX, kPageY);
    PumpFor(300ms);
    const bool reached = source->ReachedTarget();
    const bool accepted = source->TargetAccepts();
    in.Button(1, false);
    (void)PumpUntil([&] { return source->Ended(); }, kPatience);
    if (!reached)
        return doNoDrag;
    return accepted ? doDropped : doRefused;
}

// A real XDND drop from another X client (this test process) onto the page.
TEST_F(BrowserLockdownTest, AFileDroppedFromAnotherProgramIsNotOpened) {
    ASSERT_TRUE(TDesktopSession::Get().UseGtkDesktop()) << "GTK could not open the X display";
    const std::string folder = std::string(LUMORA_BINARY_DIR) + "/artifacts/desktop";
    std::filesystem::create_directories(folder);
    const std::string file = folder + "/dropped.html";
    std::ofstream(file) << "<!DOCTYPE html><title>dropped</title><body style=\"background:#c02060\">";
    const std::string uri = "file://" + file;

    {
        SCOPED_TRACE(NameOf(mLocked));
        TBrowserRun run(mLocked);
        ASSERT_TRUE(run.Ready());
        std::unique_ptr<TFileDragSource> source;
        EXPECT_EQ(DragOntoPage(run.Input(), uri, false, source), doRefused)
            << "the drag did not reach the page, or the browser offered to take the drop";
        run.Input().MoveTo(kPageX, kPageY);
        run.Input().Click(1);
        ASSERT_TRUE(run.Settle());
        EXPECT_FALSE(source->DataTaken()) << "the browser read the dropped data";
        for (const std::string& line : run.Smoke().Lines())
            EXPECT_EQ(line.find("navigation-starting id=2"), std::string::npos) << line;
        EXPECT_EQ(run.PageLoads(), 1);
        EXPECT_EQ(ColorText(ScreenPixel(kLookX, kPageY)), ColorText(kPageColor))
            << SaveArtifact(GrabScreen(), "lockdown-drop-locked");
    }

    // Unlocked, the same drop opens the file. A loaded machine now and then
    // loses an accepted drop between the two programs: a few tries are
    // allowed, since this run only proves the drop can arrive.
    SCOPED_TRACE(NameOf(mOpen));
    TBrowserRun run(mOpen);
    ASSERT_TRUE(run.Ready());
    bool opened = false;
    std::string tries;
    for (int attempt = 1; attempt <= 3 && !opened; ++attempt) {
        std::unique_ptr<TFileDragSource> source;
        const TDropOutcome outcome = DragOntoPage(run.Input(), uri, true, source);
        tries += " try " + std::to_string(attempt) + ": " +
                 (outcome == doDropped   ? "dropped"
                  : outcome == doRefused ? "refused"
                                         : "no drag") +
                 (source->DataTaken() ? ", data read;" : ";");
        // This process hands over the data when asked: keep pumping.
        opened =
            outcome == doDropped &&
            PumpUntil([&] { return run.Smoke().WaitForLine("navigation-starting id=2", 0ms).has_value(); },
                      5s);
    }
    ASSERT_TRUE(opened) << "the dropped file was never opened:" << tries << " "
                        << testing::PrintToString(run.Smoke().Lines());
    EXPECT_TRUE(PumpUntil([] { return ScreenPixel(kLookX, kPageY) == kDroppedColor; }, kPatience))
        << "the dropped file is not shown: " << SaveArtifact(GrabScreen(), "lockdown-drop-open");
}

} // namespace
} // namespace desktop_test

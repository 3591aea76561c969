// Sent and posted messages, the message loop, timers and message hooks.

#include "UserTestSupport.h"
#include "platform/win/kernel/LastError.h"
#include "platform/win/user/UserErrors.h"

#include <future>
#include <thread>

namespace win::test {
namespace {

using MessageTest = UserTest;

constexpr UINT WM_A = WM_USER + 1;
constexpr UINT WM_B = WM_USER + 2;

// What a message loop reads, in order, until nothing is left.
std::vector<UINT> Drain(HWND filter = nullptr) {
    std::vector<UINT> seen;
    MSG msg{};
    while (PeekMessageW(&msg, filter, 0, 0, PM_REMOVE) && seen.size() < 100) {
        seen.push_back(msg.message);
        DispatchMessageW(&msg);
    }
    return seen;
}

TEST_F(MessageTest, PaintAndTimersComeOnlyWhenNothingElseWaits) {
    HWND w = Popup({0, 0, 100, 100});
    Pump();
    SetTimer(w, 1, 10, nullptr);
    AdvanceVirtualClock(20);
    InvalidateRect(w, nullptr, 1);
    PostMessageW(w, WM_A, 0, 0);
    PostMessageW(w, WM_B, 0, 0);
    EXPECT_EQ(Drain(), (std::vector<UINT>{WM_A, WM_B, WM_PAINT, WM_TIMER}));
    // The timer restarted when its message was read; painting validated the window.
    EXPECT_TRUE(Drain().empty());
}

TEST_F(MessageTest, TimersFireThroughDispatchMessage) {
    HWND w = Popup({0, 0, 100, 100}, 0);
    static std::vector<std::pair<UINT_PTR, HWND>> procCalls;
    static std::vector<std::pair<void*, UINT_PTR>> contextCalls;
    procCalls.clear();
    contextCalls.clear();
    int context = 0;
    const UINT_PTR windowTimer = SetTimer(w, 5, 100, nullptr);
    const UINT_PTR threadTimer =
        SetTimer(nullptr, 0, 100, [](HWND h, UINT, UINT_PTR id, DWORD) { procCalls.emplace_back(id, h); });
    const UINT_PTR contextTimer = SetTimerWithContext(
        nullptr, 0, 100, [](void* c, UINT, UINT_PTR id, DWORD) { contextCalls.emplace_back(c, id); },
        &context);
    EXPECT_EQ(windowTimer, 5u);
    ASSERT_NE(threadTimer, 0u);
    ASSERT_NE(contextTimer, 0u);
    EXPECT_NE(threadTimer, contextTimer);
    AdvanceVirtualClock(99);
    EXPECT_TRUE(Drain().empty()) << "nothing is due before its interval";
    AdvanceVirtualClock(1);
    EXPECT_EQ(Drain(), (std::vector<UINT>{WM_TIMER, WM_TIMER, WM_TIMER}));
    EXPECT_EQ(gLog.Count(w, WM_TIMER), 1u);
    EXPECT_EQ(gLog.Last(w, WM_TIMER)->WParam, 5u);
    EXPECT_EQ(procCalls, (std::vector<std::pair<UINT_PTR, HWND>>{{threadTimer, nullptr}}));
    EXPECT_EQ(contextCalls, (std::vector<std::pair<void*, UINT_PTR>>{{&context, contextTimer}}));

    EXPECT_TRUE(KillTimer(nullptr, threadTimer));
    EXPECT_FALSE(KillTimer(nullptr, threadTimer));
    AdvanceVirtualClock(100);
    EXPECT_EQ(Drain().size(), 2u);
    EXPECT_EQ(procCalls.size(), 1u);
}

TEST_F(MessageTest, SettingATimerAgainRestartsItsInterval) {
    HWND w = Popup({0, 0, 100, 100}, 0);
    SetTimer(w, 1, 100, nullptr);
    AdvanceVirtualClock(60);
    SetTimer(w, 1, 100, nullptr);
    AdvanceVirtualClock(60);
    EXPECT_TRUE(Drain().empty());
    AdvanceVirtualClock(40);
    EXPECT_EQ(Drain(), (std::vector<UINT>{WM_TIMER}));
    // Intervals below the minimum are raised to it.
    SetTimer(w, 2, 1, nullptr);
    AdvanceVirtualClock(USER_TIMER_MINIMUM - 1);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(MessageTest, GetMessageMovesTheVirtualClockToTheNextTimer) {
    HWND w = Popup({0, 0, 100, 100}, 0);
    SetTimer(w, 1, 1000, nullptr);
    const ULONGLONG before = GetTickCount64();
    MSG msg{};
    ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(GetTickCount64() - before, 1000u);
}

TEST_F(MessageTest, QuitComesAfterPostedMessagesWithItsCode) {
    HWND w = Popup({0, 0, 100, 100}, 0);
    PostQuitMessage(3);
    PostMessageW(w, WM_A, 0, 0);
    MSG msg{};
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, WM_A);
    EXPECT_EQ(GetMessageW(&msg, nullptr, WM_B, WM_B), 0) << "WM_QUIT passes every filter";
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, FiltersByWindowAndRange) {
    HWND parent = Popup({0, 0, 100, 100}, 0);
    HWND child = Child(parent, {0, 0, 10, 10});
    HWND other = Popup({0, 0, 100, 100}, 0);
    PostMessageW(other, WM_A, 0, 0);
    PostMessageW(child, WM_B, 0, 0);
    PostMessageW(nullptr, WM_A, 1, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, parent, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, child) << "a window's filter takes its children's messages";
    ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_B, WM_B + 10, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_A, WM_A, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_A, WM_A, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, other);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, MessagesOfADestroyedWindowAreDropped) {
    HWND w = Popup({0, 0, 100, 100}, 0);
    HWND keep = Popup({0, 0, 100, 100}, 0);
    PostMessageW(w, WM_A, 0, 0);
    PostMessageW(keep, WM_B, 0, 0);
    DestroyWindow(w);
    gLog.Clear();
    EXPECT_EQ(Drain(), (std::vector<UINT>{WM_B}));
}

TEST_F(MessageTest, PostedMessagesAreBoundedByTheQueueQuota) {
    HWND w = Popup({0, 0, 100, 100}, 0);
    int posted = 0;
    while (PostMessageW(w, WM_A, 0, 0) && posted < 20000)
        ++posted;
    EXPECT_EQ(posted, 10000);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
}

TEST_F(MessageTest, TranslatedCharacterIsReadNext) {
    HWND w = Popup({0, 0, 100, 100});
    SetFocus(w);
    PostMessageW(w, WM_A, 0, 0);
    MSG key{w, WM_KEYDOWN, 'Q', 0x00100001, 0, {}, 0};
    EXPECT_TRUE(TranslateMessage(&key));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(u'q'));
    key.message = WM_KEYUP;
    EXPECT_FALSE(TranslateMessage(&key));
}

LRESULT gHookSeen = 0;
HHOOK gFirstHook = nullptr;

TEST_F(MessageTest, GetMessageHooksSeeAndMayChangeEveryMessage) {
    HWND w = Popup({0, 0, 100, 100}, 0);
    gHookSeen = 0;
    HHOOK first = SetWindowsHookExW(
        WH_GETMESSAGE,
        [](int code, WPARAM wp, LPARAM lp) -> LRESULT {
            auto* msg = reinterpret_cast<MSG*>(lp);
            if (msg->message == WM_A)
                msg->message = WM_B;
            return CallNextHookEx(gFirstHook, code, wp, lp);
        },
        nullptr, 0);
    gFirstHook = first;
    HHOOK second = SetWindowsHookExW(
        WH_GETMESSAGE,
        [](int code, WPARAM wp, LPARAM lp) -> LRESULT {
            // Installed last, called first: it still sees the original message.
            gHookSeen = reinterpret_cast<MSG*>(lp)->message;
            return CallNextHookEx(nullptr, code, wp, lp);
        },
        nullptr, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    PostMessageW(w, WM_A, 0, 0);
    EXPECT_EQ(Drain(), (std::vector<UINT>{WM_B}));
    EXPECT_EQ(gHookSeen, static_cast<LRESULT>(WM_A));
    EXPECT_TRUE(UnhookWindowsHookEx(first));
    EXPECT_TRUE(UnhookWindowsHookEx(second));
    EXPECT_FALSE(UnhookWindowsHookEx(second));
    PostMessageW(w, WM_A, 0, 0);
    EXPECT_EQ(Drain(), (std::vector<UINT>{WM_A}));
    EXPECT_EQ(SetWindowsHookExW(WH_GETMESSAGE, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(SetWindowsHookExW(
                  WH_GETMESSAGE, [](int, WPARAM, LPARAM) -> LRESULT { return 0; }, nullptr, 12345),
              nullptr);
}

// A thread with a window and a message loop, for messages across threads.
class TWorker {
public:
    TWorker() {
        FThread = std::thread([this] {
            FHwnd = CreateWindowExW(0, kTestClass, u"worker", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
            FThreadId = GetWindowThreadProcessId(FHwnd, nullptr);
            FReady.set_value();
            MSG msg{};
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (!msg.hwnd)
                    FThreadMessages.push_back(msg.message);
                DispatchMessageW(&msg);
            }
            DestroyWindow(FHwnd);
        });
        FReady.get_future().wait();
    }
    ~TWorker() { Stop(); }
    void Stop() {
        if (FThread.joinable()) {
            PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
            FThread.join();
        }
    }
    HWND Hwnd() const { return FHwnd; }
    DWORD ThreadId() const { return FThreadId; }
    std::vector<UINT> FThreadMessages;

private:
    std::thread FThread;
    std::promise<void> FReady;
    HWND FHwnd = nullptr;
    DWORD FThreadId = 0;
};

TEST_F(MessageTest, SendMessageAcrossThreadsRunsOnTheWindowsThread) {
    HWND mine = Popup({0, 0, 10, 10}, 0);
    std::thread::id ranOn;
    gOverride = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg == WM_A) {
            ranOn = std::this_thread::get_id();
            // The worker sends back to us while we wait: no deadlock.
            return SendMessageW(mine, WM_B, 0, 0) + 1;
        }
        if (msg == WM_B)
            return 41;
        return std::nullopt;
    };
    TWorker worker;
    EXPECT_EQ(SendMessageW(worker.Hwnd(), WM_A, 0, 0), 42);
    EXPECT_NE(ranOn, std::thread::id());
    EXPECT_NE(ranOn, std::this_thread::get_id());
    // Placement of another thread's window runs on that thread too.
    EXPECT_TRUE(SetWindowPos(worker.Hwnd(), nullptr, 5, 6, 7, 8, SWP_NOZORDER | SWP_NOACTIVATE));
    RECT r{};
    GetWindowRect(worker.Hwnd(), &r);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.bottom, 14);
    EXPECT_FALSE(DestroyWindow(worker.Hwnd())) << "only the owning thread destroys a window";
}

TEST_F(MessageTest, PostThreadMessageReachesTheThreadsQueue) {
    TWorker worker;
    EXPECT_TRUE(PostThreadMessageW(worker.ThreadId(), WM_A, 0, 0));
    EXPECT_TRUE(PostThreadMessageW(worker.ThreadId(), WM_B, 0, 0));
    worker.Stop();
    EXPECT_EQ(worker.FThreadMessages, (std::vector<UINT>{WM_A, WM_B}));
    EXPECT_FALSE(PostThreadMessageW(worker.ThreadId(), WM_A, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST_F(MessageTest, AThreadsWindowsEndWithIt) {
    HWND orphan = nullptr;
    std::thread([&] {
        orphan = Popup({0, 0, 10, 10}, 0);
        PostMessageW(orphan, WM_A, 0, 0);
    }).join();
    ASSERT_NE(orphan, nullptr);
    EXPECT_FALSE(IsWindow(orphan));
    EXPECT_EQ(SendMessageW(orphan, WM_A, 0, 0), 0);
}

} // namespace
} // namespace win::test

#pragma once

// Shared fixture of the window manager tests: a clean desktop per test, a
// window class whose procedure logs every message it sees, and per-test
// overrides of what the procedure answers.

#include "platform/win/kernel/Time.h"
#include "platform/win/user/UserTesting.h"
#include "platform/win/user/WinUser.h"

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include <gtest/gtest.h>

namespace win::test {

struct TLogged {
    HWND Hwnd;
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
};

// Every message the logging procedure sees, in order (any thread).
class TMessageLog {
public:
    void Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        std::lock_guard lock(FLock);
        FEntries.push_back({hwnd, msg, wParam, lParam});
    }
    void Clear() {
        std::lock_guard lock(FLock);
        FEntries.clear();
    }
    std::vector<TLogged> Entries() const {
        std::lock_guard lock(FLock);
        return FEntries;
    }
    // The messages of one window (nullptr: all), keeping only those in `only` when given.
    std::vector<UINT> Messages(HWND hwnd = nullptr, const std::set<UINT>& only = {}) const {
        std::vector<UINT> out;
        for (const TLogged& e : Entries())
            if ((!hwnd || e.Hwnd == hwnd) && (only.empty() || only.count(e.Msg)))
                out.push_back(e.Msg);
        return out;
    }
    // (window, message) pairs, for sequences that span several windows.
    std::vector<std::pair<HWND, UINT>> Pairs(const std::set<UINT>& only) const {
        std::vector<std::pair<HWND, UINT>> out;
        for (const TLogged& e : Entries())
            if (only.count(e.Msg))
                out.emplace_back(e.Hwnd, e.Msg);
        return out;
    }
    std::size_t Count(HWND hwnd, UINT msg) const {
        std::size_t n = 0;
        for (const TLogged& e : Entries())
            n += e.Hwnd == hwnd && e.Msg == msg;
        return n;
    }
    std::optional<TLogged> Last(HWND hwnd, UINT msg) const {
        std::optional<TLogged> last;
        for (const TLogged& e : Entries())
            if (e.Hwnd == hwnd && e.Msg == msg)
                last = e;
        return last;
    }

private:
    mutable std::mutex FLock;
    std::vector<TLogged> FEntries;
};

inline TMessageLog gLog;
// Answers a message instead of the default procedure when it returns a value.
inline std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> gOverride;

inline LRESULT LoggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    gLog.Record(hwnd, msg, wParam, lParam);
    if (gOverride)
        if (std::optional<LRESULT> r = gOverride(hwnd, msg, wParam, lParam))
            return *r;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline constexpr const char16_t* kTestClass = u"TestWindow";

class UserTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWindowManager();
        UseVirtualClock(1000000);
        gLog.Clear();
        gOverride = nullptr;
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &LoggingProc;
        wc.cbWndExtra = 16;
        wc.lpszClassName = kTestClass;
        ASSERT_NE(RegisterClassExW(&wc), 0);
    }
    void TearDown() override {
        gOverride = nullptr;
        ResetWindowManager();
        UseRealClock();
    }

    static HWND Popup(RECT r, DWORD style = WS_VISIBLE, DWORD exStyle = 0, HWND owner = nullptr,
                      const char16_t* title = u"") {
        return CreateWindowExW(exStyle, kTestClass, title, WS_POPUP | style, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, owner, nullptr, nullptr, nullptr);
    }
    static HWND Child(HWND parent, RECT r, DWORD style = WS_VISIBLE, DWORD exStyle = 0, int id = 0) {
        return CreateWindowExW(exStyle, kTestClass, u"", WS_CHILD | style, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               nullptr, nullptr);
    }

    // Reads and dispatches what is waiting, WM_PAINT and due timers included.
    static int Pump() {
        MSG msg{};
        int n = 0;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && n < 10000) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            ++n;
        }
        return n;
    }
};

} // namespace win::test

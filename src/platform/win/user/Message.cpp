#include "platform/win/user/Message.h"

#include "platform/win/kernel/LastError.h"
#include "platform/win/kernel/Time.h"
#include "platform/win/user/Input_p.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/Paint_p.h"
#include "platform/win/user/UserErrors.h"
#include "platform/win/user/Window.h"
#include "platform/win/user/WindowDirectory_p.h"

#include <algorithm>
#include <chrono>

namespace win {

namespace {

// A queue holds at most this many posted messages, as Windows' default quota.
constexpr std::size_t kPostedQuota = 10000;

thread_local int tInSendMessage = 0;

POINT CursorPosLocked() {
    return Wm().CursorPos;
}

MSG MakeMsg(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return {hwnd, message, wParam, lParam, GetTickCount(), CursorPosLocked(), 0};
}

// Takes the first message of the list that passes the filter.
bool TakeFrom(std::deque<MSG>& list, MSG* out, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const MSG& m) { return MessageMatches(m, filter, filterMin, filterMax); });
    if (it == list.end())
        return false;
    *out = *it;
    if (remove && it == list.begin())
        list.pop_front();
    else if (remove)
        list.erase(it);
    return true;
}

bool InRange(UINT msg, UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (msg >= filterMin && msg <= filterMax);
}

// One pass over the sources of a queue in the order Windows reads them: sent
// messages, posted messages, the quit request, input, then painting and
// timers only when nothing else is waiting.
bool PeekCore(TWindowManager::TLock& lock, TMessageQueue& q, MSG* out, HWND filter, UINT filterMin,
              UINT filterMax, UINT flags) {
    const bool remove = (flags & PM_REMOVE) != 0;
    for (;;) {
        ProcessIncomingSent(lock, q);
        if (TakeFrom(q.Posted, out, filter, filterMin, filterMax, remove))
            return true;
        if (q.QuitPosted) {
            // WM_QUIT passes every filter.
            *out = MakeMsg(nullptr, WM_QUIT, static_cast<WPARAM>(q.QuitCode), 0);
            if (remove)
                q.QuitPosted = false;
            return true;
        }
        // Hardware input is routed one event at a time, as it is read, so
        // that what routing sends (WM_SETCURSOR and the like) comes in step.
        if (TakeFrom(q.Input, out, filter, filterMin, filterMax, remove)) {
            if (remove)
                OnInputMessageRemovedLocked(*out);
            return true;
        }
        if (RouteRawInputLocked(lock, q))
            continue;
        const ULONGLONG now = GetTickCount64();
        if (CheckHoverLocked(q, now))
            continue;
        if (InRange(WM_PAINT, filterMin, filterMax)) {
            if (HWND hwnd = PaintPendingWindowLocked(q.ThreadId, filter)) {
                *out = MakeMsg(hwnd, WM_PAINT, 0, 0);
                return true;
            }
        }
        if (InRange(WM_TIMER, filterMin, filterMax)) {
            if (TTimer* t = DueTimerLocked(q, filter, now)) {
                const LPARAM proc = t->ContextProc ? reinterpret_cast<LPARAM>(t->ContextProc)
                                                   : reinterpret_cast<LPARAM>(t->Proc);
                *out = MakeMsg(t->Hwnd, WM_TIMER, t->Id, proc);
                if (remove)
                    t->Due = now + t->Elapse;
                return true;
            }
        }
        return false;
    }
}

// Blocks until something may have arrived for the queue. With the virtual
// clock a wait that only a timer can end moves the clock to that timer
// instead of sleeping, so tests run timers without real delays.
void WaitForWork(TWindowManager::TLock& lock, TMessageQueue& q) {
    if (q.WakePending) {
        q.WakePending = false;
        return;
    }
    ULONGLONG next = NextTimerDueLocked(q);
    const ULONGLONG hover = NextHoverDueLocked(q);
    if (hover != 0 && (next == 0 || hover < next))
        next = hover;
    const ULONGLONG now = GetTickCount64();
    if (next != 0 && next <= now)
        return;
    TWindowManager& wm = Wm();
    auto woken = [&q] { return q.WakePending; };
    if (q.ThreadId == wm.DisplayThread() && wm.Backend().NeedsPumping()) {
        display::TDisplayBackend& backend = wm.Backend();
        lock.unlock();
        backend.PumpEvents(next == 0 ? -1 : static_cast<int>(std::min<ULONGLONG>(next - now, 0x7FFFFFFF)));
        lock.lock();
    } else if (next == 0) {
        q.Wake.wait(lock, woken);
    } else {
        // A short probe tells the clocks apart: the real clock moves while
        // we wait, the virtual one does not.
        const ULONGLONG wait = next - now;
        if (!q.Wake.wait_for(lock, std::chrono::milliseconds(std::min<ULONGLONG>(wait, 2)), woken)) {
            const ULONGLONG after = GetTickCount64();
            if (after == now)
                AdvanceVirtualClock(wait);
            else if (after < next)
                q.Wake.wait_for(lock, std::chrono::milliseconds(next - after), woken);
        }
    }
    q.WakePending = false;
}

bool ValidFilterWindow(HWND filter) {
    if (!filter || filter == reinterpret_cast<HWND>(-1))
        return true;
    TWnd* w = Wm().FindLive(filter);
    return w && w->ThreadId == CurrentThreadId();
}

} // namespace

void SetUserError(DWORD code) noexcept {
    SetLastError(code);
}

bool MessageMatches(const MSG& m, HWND filter, UINT filterMin, UINT filterMax) {
    if (!InRange(m.message, filterMin, filterMax))
        return false;
    if (!filter)
        return true;
    if (filter == reinterpret_cast<HWND>(-1))
        return m.hwnd == nullptr;
    return m.hwnd == filter || Wm().IsDescendant(filter, m.hwnd);
}

LRESULT CallCurrentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = nullptr;
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().Find(hwnd);
        if (!w || w->Dead)
            return 0;
        proc = w->Proc;
    }
    if (msg >= WMI_SETWINDOWPOS && msg <= WMI_SHOWWINDOW)
        return HandleInternalMessage(hwnd, msg, wParam, lParam);
    return proc ? proc(hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

void ProcessIncomingSent(TWindowManager::TLock& lock, TMessageQueue& q) {
    while (!q.Incoming.empty()) {
        TSentMessage* sent = q.Incoming.front();
        q.Incoming.pop_front();
        // The sender waits until Done, also when the procedure throws.
        struct TFinish {
            TWindowManager::TLock& Lock;
            TSentMessage* Sent;
            ~TFinish() {
                if (!Lock.owns_lock())
                    Lock.lock();
                Sent->Done = true;
                --tInSendMessage;
                if (Sent->Sender)
                    Wm().WakeQueue(*Sent->Sender);
            }
        } finish{lock, sent};
        ++tInSendMessage;
        lock.unlock();
        sent->Result = CallCurrentProc(sent->Hwnd, sent->Message, sent->WParam, sent->LParam);
    }
}

bool PostLocked(TMessageQueue& q, const MSG& msg, bool atFront) {
    if (!q.Alive || q.Posted.size() >= kPostedQuota)
        return false;
    if (atFront)
        q.Posted.push_front(msg);
    else
        q.Posted.push_back(msg);
    Wm().WakeQueue(q);
    return true;
}

bool PostToWindowLocked(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWnd* w = Wm().FindLive(hwnd);
    if (!w)
        return false;
    TMessageQueue* q = Wm().QueueOf(w->ThreadId);
    return q && PostLocked(*q, MakeMsg(hwnd, msg, wParam, lParam));
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    if (hwnd == HWND_BROADCAST) {
        const std::vector<HWND> tops = wm.Find(wm.Desktop())->Children;
        lock.unlock();
        for (HWND top : tops)
            SendMessageW(top, msg, wParam, lParam);
        return 1;
    }
    TWnd* w = wm.Find(hwnd);
    if (!w || w->Dead) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const DWORD owner = w->ThreadId;
    if (owner == 0 || owner == CurrentThreadId()) {
        lock.unlock();
        return CallCurrentProc(hwnd, msg, wParam, lParam);
    }
    TMessageQueue* target = wm.QueueOf(owner);
    if (!target || !target->Alive)
        return 0;
    TMessageQueue& self = wm.CurrentQueue();
    TSentMessage sent{hwnd, msg, wParam, lParam, 0, false, &self};
    target->Incoming.push_back(&sent);
    wm.WakeQueue(*target);
    // While waiting, run what other threads send to us, so that two threads
    // sending to each other never deadlock.
    while (!sent.Done) {
        ProcessIncomingSent(lock, self);
        if (sent.Done)
            break;
        self.Wake.wait(lock, [&] { return sent.Done || !self.Incoming.empty(); });
    }
    return sent.Result;
}

BOOL InSendMessage() {
    return tInSendMessage > 0;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsForeignHwnd(hwnd)) {
        if (PostToForeignWindow(hwnd, msg, wParam, lParam))
            return 1;
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    if (!hwnd)
        return PostLocked(wm.CurrentQueue(), MakeMsg(nullptr, msg, wParam, lParam));
    if (hwnd == HWND_BROADCAST) {
        for (HWND top : wm.Find(wm.Desktop())->Children)
            if (TWnd* w = wm.Find(top); w && !w->Owner)
                PostToWindowLocked(top, msg, wParam, lParam);
        return 1;
    }
    TWnd* w = wm.FindLive(hwnd);
    if (!w) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (w->ThreadId == 0)
        return 1; // the desktop takes posted messages and ignores them
    if (!PostToWindowLocked(hwnd, msg, wParam, lParam)) {
        SetUserError(ERROR_NOT_ENOUGH_QUOTA);
        return 0;
    }
    return 1;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TMessageQueue* q = threadId == CurrentThreadId() ? &wm.CurrentQueue() : wm.QueueOf(threadId);
    if (!q || !q->Alive) {
        SetUserError(ERROR_INVALID_THREAD_ID);
        return 0;
    }
    if (!PostLocked(*q, MakeMsg(nullptr, msg, wParam, lParam))) {
        SetUserError(ERROR_NOT_ENOUGH_QUOTA);
        return 0;
    }
    return 1;
}

void PostQuitMessage(int exitCode) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TMessageQueue& q = wm.CurrentQueue();
    q.QuitPosted = true;
    q.QuitCode = exitCode;
    wm.WakeQueue(q);
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (!msg)
        return 0;
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    if (!ValidFilterWindow(hwnd)) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    TMessageQueue& q = wm.CurrentQueue();
    if (!PeekCore(lock, q, msg, hwnd, filterMin, filterMax, removeMsg))
        return 0;
    q.LastMessageTime = msg->time;
    q.LastMessagePos = msg->pt;
    lock.unlock();
    CallGetMessageHooks(removeMsg & PM_REMOVE, msg);
    return 1;
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!msg)
        return -1;
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    if (!ValidFilterWindow(hwnd)) {
        SetUserError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    TMessageQueue& q = wm.CurrentQueue();
    for (;;) {
        q.WakePending = false;
        if (PeekCore(lock, q, msg, hwnd, filterMin, filterMax, PM_REMOVE))
            break;
        WaitForWork(lock, q);
    }
    q.LastMessageTime = msg->time;
    q.LastMessagePos = msg->pt;
    lock.unlock();
    CallGetMessageHooks(PM_REMOVE, msg);
    return msg->message == WM_QUIT ? 0 : 1;
}

BOOL WaitMessage() {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TMessageQueue& q = wm.CurrentQueue();
    MSG msg{};
    for (;;) {
        q.WakePending = false;
        if (PeekCore(lock, q, &msg, nullptr, 0, 0, PM_NOREMOVE))
            return 1;
        WaitForWork(lock, q);
    }
}

LONG GetMessageTime() {
    auto lock = Wm().Lock();
    return static_cast<LONG>(Wm().CurrentQueue().LastMessageTime);
}

DWORD GetMessagePos() {
    auto lock = Wm().Lock();
    const POINT p = Wm().CurrentQueue().LastMessagePos;
    return static_cast<DWORD>(MAKELPARAM(p.x, p.y));
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg)
        return 0;
    auto lock = Wm().Lock();
    MSG charMsg{};
    if (!TranslateKeyLocked(*msg, charMsg))
        return 0;
    TWnd* w = Wm().FindLive(msg->hwnd);
    TMessageQueue* q = w ? Wm().QueueOf(w->ThreadId) : nullptr;
    // The character is the next message the thread reads.
    return q && PostLocked(*q, charMsg, true);
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        // Only a live timer's procedure is called: lParam is never trusted as code.
        TIMERPROC proc = nullptr;
        CONTEXTTIMERPROC contextProc = nullptr;
        void* context = nullptr;
        {
            auto lock = Wm().Lock();
            TMessageQueue& q = Wm().CurrentQueue();
            auto it = std::find_if(q.Timers.begin(), q.Timers.end(), [&](const TTimer& t) {
                return t.Hwnd == msg->hwnd && t.Id == msg->wParam;
            });
            if (it == q.Timers.end())
                return 0;
            proc = it->Proc;
            contextProc = it->ContextProc;
            context = it->Context;
        }
        if (contextProc)
            contextProc(context, WM_TIMER, msg->wParam, GetTickCount());
        else if (proc)
            proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd)
        return 0; // thread messages have no procedure
    {
        auto lock = Wm().Lock();
        TWnd* w = Wm().FindLive(msg->hwnd);
        if (!w) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->ThreadId != CurrentThreadId() && w->ThreadId != 0) {
            SetUserError(ERROR_WINDOW_OF_OTHER_THREAD);
            return 0;
        }
    }
    return CallCurrentProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

} // namespace win

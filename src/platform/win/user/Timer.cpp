#include "platform/win/kernel/Time.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/UserErrors.h"

#include <algorithm>

namespace win {

namespace {

// More timers than this per thread fail, as they do against Windows' quota.
constexpr std::size_t kTimerQuota = 10000;

// Thread timers get ids of their own, never 0 and never one the thread
// already uses.
UINT_PTR NewThreadTimerId(TMessageQueue& q) {
    TWindowManager& wm = Wm();
    for (;;) {
        const UINT_PTR id = wm.NextThreadTimerId++;
        if (wm.NextThreadTimerId > 0x7FFF)
            wm.NextThreadTimerId = 1;
        if (std::none_of(q.Timers.begin(), q.Timers.end(),
                         [id](const TTimer& t) { return t.Hwnd == nullptr && t.Id == id; }))
            return id;
    }
}

UINT_PTR AddTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc, CONTEXTTIMERPROC contextProc,
                  void* context) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TMessageQueue* q = &wm.CurrentQueue();
    if (hwnd) {
        TWnd* w = wm.FindLive(hwnd);
        if (!w || w->ThreadId != CurrentThreadId()) {
            SetUserError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
    }
    auto it = std::find_if(q->Timers.begin(), q->Timers.end(), [&](const TTimer& t) {
        return t.Hwnd == hwnd && t.Id == id && (hwnd || id != 0);
    });
    if (it == q->Timers.end()) {
        if (q->Timers.size() >= kTimerQuota) {
            SetUserError(ERROR_NO_SYSTEM_RESOURCES);
            return 0;
        }
        if (!hwnd)
            id = NewThreadTimerId(*q);
        q->Timers.push_back({});
        it = q->Timers.end() - 1;
    }
    elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    *it = {hwnd, id, elapse, GetTickCount64() + elapse, proc, contextProc, context};
    wm.WakeQueue(*q);
    return hwnd && id == 0 ? 1 : id;
}

} // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR idEvent, UINT elapse, TIMERPROC timerProc) {
    return AddTimer(hwnd, idEvent, elapse, timerProc, nullptr, nullptr);
}

UINT_PTR SetTimerWithContext(HWND hwnd, UINT_PTR idEvent, UINT elapse, CONTEXTTIMERPROC timerProc,
                             void* context) {
    return AddTimer(hwnd, idEvent, elapse, nullptr, timerProc, context);
}

BOOL KillTimer(HWND hwnd, UINT_PTR idEvent) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    TMessageQueue* q = &wm.CurrentQueue();
    if (hwnd) {
        TWnd* w = wm.FindLive(hwnd);
        q = w ? wm.QueueOf(w->ThreadId) : nullptr;
    }
    if (q) {
        auto it = std::find_if(q->Timers.begin(), q->Timers.end(),
                               [&](const TTimer& t) { return t.Hwnd == hwnd && t.Id == idEvent; });
        if (it != q->Timers.end()) {
            q->Timers.erase(it);
            return 1;
        }
    }
    SetUserError(ERROR_INVALID_PARAMETER);
    return 0;
}

TTimer* DueTimerLocked(TMessageQueue& q, HWND filter, ULONGLONG now) {
    TTimer* best = nullptr;
    for (TTimer& t : q.Timers) {
        if (t.Due > now || (best && best->Due <= t.Due))
            continue;
        const MSG probe{t.Hwnd, WM_TIMER, 0, 0, 0, {}, 0};
        if (MessageMatches(probe, filter, 0, 0))
            best = &t;
    }
    return best;
}

ULONGLONG NextTimerDueLocked(const TMessageQueue& q) {
    ULONGLONG next = 0;
    for (const TTimer& t : q.Timers)
        if (next == 0 || t.Due < next)
            next = t.Due;
    return next;
}

} // namespace win

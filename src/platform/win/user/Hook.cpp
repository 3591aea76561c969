#include "platform/win/user/Message.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/UserErrors.h"

#include <algorithm>

namespace win {

namespace {

// The hook running on this thread: CallNextHookEx continues after it, whatever
// handle it is given, as on Windows since NT.
thread_local HHOOK tRunningHook = nullptr;
thread_local int tRunningHookId = 0;

// The hook after `after` in the calling thread's chain of the same kind
// (newest first); the first one when `after` is nullptr.
HOOKPROC NextHookProc(int id, HHOOK after, HHOOK* next) {
    auto lock = Wm().Lock();
    const DWORD thread = CurrentThreadId();
    bool passed = after == nullptr;
    for (const THook& h : Wm().Hooks) {
        if (h.Id != id || h.ThreadId != thread)
            continue;
        if (passed) {
            *next = h.Handle;
            return h.Proc;
        }
        passed = h.Handle == after;
    }
    return nullptr;
}

LRESULT RunHook(int id, HHOOK after, int code, WPARAM wParam, LPARAM lParam) {
    HHOOK next = nullptr;
    HOOKPROC proc = NextHookProc(id, after, &next);
    if (!proc)
        return 0;
    struct TRestore {
        HHOOK Hook = tRunningHook;
        int Id = tRunningHookId;
        ~TRestore() {
            tRunningHook = Hook;
            tRunningHookId = Id;
        }
    } restore;
    tRunningHook = next;
    tRunningHookId = id;
    return proc(code, wParam, lParam);
}

} // namespace

HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE /*module*/, DWORD threadId) {
    if (!proc) {
        SetUserError(ERROR_INVALID_FILTER_PROC);
        return nullptr;
    }
    if (idHook != WH_GETMESSAGE) {
        SetUserError(ERROR_INVALID_HOOK_FILTER);
        return nullptr;
    }
    const DWORD self = CurrentThreadId();
    // Hooks on other threads or the whole desktop would need code injected
    // into other processes; only the caller's own thread can be hooked.
    if (threadId != 0 && threadId != self) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    const HHOOK handle = reinterpret_cast<HHOOK>(wm.NextHook++ << 4);
    wm.Hooks.insert(wm.Hooks.begin(), THook{handle, idHook, proc, self});
    return handle;
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
    TWindowManager& wm = Wm();
    auto lock = wm.Lock();
    const auto removed = std::erase_if(wm.Hooks, [hook](const THook& h) { return h.Handle == hook; });
    if (removed == 0) {
        SetUserError(ERROR_INVALID_HOOK_HANDLE);
        return 0;
    }
    return 1;
}

LRESULT CallNextHookEx(HHOOK /*hook*/, int code, WPARAM wParam, LPARAM lParam) {
    if (!tRunningHook)
        return 0;
    return RunHook(tRunningHookId, tRunningHook, code, wParam, lParam);
}

void CallGetMessageHooks(UINT removeFlags, MSG* msg) {
    RunHook(WH_GETMESSAGE, nullptr, HC_ACTION, removeFlags, reinterpret_cast<LPARAM>(msg));
}

} // namespace win

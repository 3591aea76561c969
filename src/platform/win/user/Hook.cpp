#include "platform/win/user/Message.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/UserErrors.h"

#include <algorithm>

namespace win {

namespace {

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

int HookIdOf(HHOOK hook) {
    auto lock = Wm().Lock();
    for (const THook& h : Wm().Hooks)
        if (h.Handle == hook)
            return h.Id;
    return 0;
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

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
    const int id = HookIdOf(hook);
    if (id == 0)
        return 0;
    HHOOK next = nullptr;
    HOOKPROC proc = NextHookProc(id, hook, &next);
    return proc ? proc(code, wParam, lParam) : 0;
}

void CallGetMessageHooks(UINT removeFlags, MSG* msg) {
    HHOOK first = nullptr;
    if (HOOKPROC proc = NextHookProc(WH_GETMESSAGE, nullptr, &first))
        proc(HC_ACTION, removeFlags, reinterpret_cast<LPARAM>(msg));
}

} // namespace win

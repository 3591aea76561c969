#pragma once

// Sending and posting messages, the message loop, timers and message hooks.

#include "platform/win/user/UserConstants.h"
#include "platform/win/user/UserTypes.h"

namespace win {

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL InSendMessage();

// 1 for a message, 0 for WM_QUIT, -1 for an error.
BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
BOOL WaitMessage();
LONG GetMessageTime();
DWORD GetMessagePos();

UINT_PTR SetTimer(HWND hwnd, UINT_PTR idEvent, UINT elapse, TIMERPROC timerProc);
// As SetTimer, with a procedure that receives the context in place of the window.
UINT_PTR SetTimerWithContext(HWND hwnd, UINT_PTR idEvent, UINT elapse, CONTEXTTIMERPROC timerProc,
                             void* context);
BOOL KillTimer(HWND hwnd, UINT_PTR idEvent);

// WH_GETMESSAGE for the calling thread (threadId 0 or the caller's id).
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);
BOOL UnhookWindowsHookEx(HHOOK hook);

} // namespace win

#pragma once

// Message delivery inside the window manager.

#include "platform/win/user/WindowManager_p.h"

namespace win {

// Runs a window's current procedure on the calling thread (no lock held);
// internal messages go to their handlers instead. 0 for a window that is gone.
LRESULT CallCurrentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the messages other threads sent to the queue, one at a time, with the
// lock released around each procedure. Lock held on entry and exit.
void ProcessIncomingSent(TWindowManager::TLock& lock, TMessageQueue& q);

// Appends a posted message; false when the queue is full. Lock held.
bool PostLocked(TMessageQueue& q, const MSG& msg, bool atFront = false);

// Handles an internal message on the window's own thread.
LRESULT HandleInternalMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Posts into the queue of the window's thread. Lock held.
bool PostToWindowLocked(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Sets the calling thread's last error.
void SetUserError(DWORD code) noexcept;

// Timers (Timer.cpp). Lock held.
// The earliest due timer of the queue matching the filter, or nullptr.
TTimer* DueTimerLocked(TMessageQueue& q, HWND filter, ULONGLONG now);
// The next time a timer of the queue falls due (0: none).
ULONGLONG NextTimerDueLocked(const TMessageQueue& q);

// WH_GETMESSAGE hooks of the calling thread (Hook.cpp), no lock held.
void CallGetMessageHooks(UINT removeFlags, MSG* msg);

// Does the message pass the window and range filter of GetMessage? Lock held.
bool MessageMatches(const MSG& m, HWND filter, UINT filterMin, UINT filterMax);

} // namespace win

#pragma once

// Input internals: turning raw input into queued messages, hit-testing.

#include "platform/win/user/WindowManager_p.h"

namespace win {

// The window manager's event sink for the display backend.
void OnDisplayEvent(const display::TDisplayEvent& event);

// Turns the next raw input event into a message in the queue of the window
// it is for (lock held; released while WM_NCHITTEST, WM_SETCURSOR and
// WM_MOUSEACTIVATE are sent). False when there was nothing to route.
bool RouteRawInputLocked(TWindowManager::TLock& lock, TMessageQueue& q);

// Keeps the thread's key state (GetKeyState) in step with the input
// messages it reads (lock held).
void OnInputMessageRemovedLocked(const MSG& msg);

// Posts WM_MOUSEHOVER when the hover time has passed; true when it posted (lock held).
bool CheckHoverLocked(TMessageQueue& q, ULONGLONG now);
// When the next hover notification of the queue falls due (0: none).
ULONGLONG NextHoverDueLocked(const TMessageQueue& q);

// The WM_CHAR (or WM_SYSCHAR) a key-down message produces; false for none (lock held).
bool TranslateKeyLocked(const MSG& key, MSG& charMsg);

// The handle of a system cursor (IDC_ARROW and the like).
HCURSOR SystemCursor(WORD id);

struct THitTest {
    HWND Hwnd = nullptr;
    LRESULT Hit = HTNOWHERE;
};
// The window under a screen point and its WM_NCHITTEST answer, falling
// through windows that answer HTTRANSPARENT (no lock held).
THitTest HitTestScreen(POINT point);

} // namespace win

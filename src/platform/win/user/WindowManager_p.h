#pragma once

// The window manager's state: the window tree, classes, message queues,
// timers, hooks, capture, focus and activation. One lock guards all of it.
// The lock is never held while a window procedure, hook or timer procedure
// runs: callers gather what they need under the lock, release it, then call
// out, and look their window up again afterwards (it may be gone).

#include "platform/display/DisplayBackend.h"
#include "platform/rtl/String.h"
#include "platform/win/gdi/Region.h"
#include "platform/win/user/UserConstants.h"
#include "platform/win/user/UserTypes.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace win {

struct TWndClass {
    ATOM Atom = 0;
    rtl::String Name;
    UINT Style = 0;
    WNDPROC Proc = nullptr;
    int ClsExtra = 0;
    int WndExtra = 0;
    HINSTANCE Instance = nullptr;
    HICON Icon = nullptr;
    HICON IconSm = nullptr;
    HCURSOR Cursor = nullptr;
    HBRUSH Background = nullptr;
    rtl::String MenuName;
    std::vector<BYTE> Extra;
    int Windows = 0; // live windows of the class; a class in use cannot be unregistered
};

// The pixels of a top-level window: 32-bit premultiplied BGRA covering its
// window rectangle. Shared with the DCs drawing into it, so a DC that
// outlives a resize draws into the old pixels instead of freed memory.
struct TSurfacePixels {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Bits;
};

// A DC handed out by GetDC, GetDCEx, GetWindowDC or BeginPaint.
struct TWindowDc {
    HDC Dc = nullptr;
    HWND Hwnd = nullptr;
    std::shared_ptr<TSurfacePixels> Pixels;
    RECT VisibleBox{}; // surface coordinates: what ReleaseDC presents
};

struct TProp {
    rtl::String Name; // empty when named by an atom
    ATOM Atom = 0;
    HANDLE Data = nullptr;
};

struct TWnd {
    HWND Handle = nullptr;
    std::shared_ptr<TWndClass> Class;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    WNDPROC Proc = nullptr;
    HINSTANCE Instance = nullptr;
    LONG_PTR Id = 0;
    LONG_PTR UserData = 0;
    HWND Parent = nullptr; // the desktop for top-level windows
    HWND Owner = nullptr;
    std::vector<HWND> Children; // z-order, topmost first
    RECT Window{};              // in the parent's client coordinates
    RECT Client{};              // in the parent's client coordinates
    rtl::String Text;
    std::vector<BYTE> Extra;
    std::vector<TProp> Props;
    DWORD ThreadId = 0;

    // Life cycle.
    bool Created = false;    // WM_NCCREATE answered
    bool Destroying = false; // DestroyWindow has begun
    bool Dead = false;       // WM_NCDESTROY sent; only the record remains until it is freed

    // Placement kept while minimised or maximised.
    RECT NormalRect{};
    bool RestoreToMaximized = false;

    // Painting.
    Region Update; // in client coordinates
    bool EraseNeeded = false;
    bool EraseUnhandled = false; // erased early, but WM_ERASEBKGND left it to the window
    bool FramePaintNeeded = false;
    bool InternalPaint = false;
    bool HasWindowRgn = false;
    Region WindowRgn; // in window coordinates

    // Layered windows.
    bool LayeredAttributesSet = false;
    bool LayeredImageSet = false;
    BYTE LayeredAlpha = 255;
    COLORREF LayeredKey = 0;
    DWORD LayeredFlags = 0;

    // The desktop's surface of a top-level window (0 for child windows)
    // and the pixels its window tree paints into.
    display::TSurfaceId Surface = 0;
    std::shared_ptr<TSurfacePixels> Pixels;
    bool PresentedOnce = false;
    BYTE LayeredConstantAlpha = 255; // SourceConstantAlpha of UpdateLayeredWindow
    bool LayeredPerPixel = false;    // AC_SRC_ALPHA

    // Icons set with WM_SETICON.
    HICON IconBig = nullptr;
    HICON IconSmall = nullptr;
};

// A message sent from another thread, waiting for the receiver to run it.
struct TSentMessage {
    HWND Hwnd = nullptr;
    UINT Message = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
    bool Done = false;
    struct TMessageQueue* Sender = nullptr;
};

struct TTimer {
    HWND Hwnd = nullptr;
    UINT_PTR Id = 0;
    UINT Elapse = 0;
    ULONGLONG Due = 0;
    TIMERPROC Proc = nullptr;
    CONTEXTTIMERPROC ContextProc = nullptr;
    void* Context = nullptr;
};

struct THook {
    HHOOK Handle = nullptr;
    int Id = 0;
    HOOKPROC Proc = nullptr;
    DWORD ThreadId = 0;
};

// One per thread that uses the window manager.
struct TMessageQueue {
    DWORD ThreadId = 0;
    bool Alive = true;
    std::deque<MSG> Posted;
    std::deque<MSG> Input; // routed hardware input, in arrival order
    std::deque<TSentMessage*> Incoming;
    bool QuitPosted = false;
    int QuitCode = 0;
    std::vector<TTimer> Timers;
    std::condition_variable Wake;
    bool WakePending = false;
    DWORD LastMessageTime = 0;
    POINT LastMessagePos{};
};

// Mouse tracking of TrackMouseEvent.
struct TMouseTracking {
    HWND Hwnd = nullptr;
    DWORD Flags = 0; // TME_LEAVE, TME_HOVER, TME_NONCLIENT
    DWORD HoverTime = 0;
    ULONGLONG HoverDue = 0;
    POINT HoverOrigin{};
};

// A piece of input as the user (or SendInput) produced it, before routing.
struct TRawInput {
    enum TKind {
        rkMouseMove,
        rkMouseButton,
        rkMouseWheel,
        rkKey,
        rkChar,
        // What the desktop did to a surface.
        rkSurfaceMoved,
        rkSurfaceState,
        rkCloseRequest,
        rkActivated
    } Kind = rkMouseMove;
    POINT Pos{};
    int Button = 0; // 0 left, 1 right, 2 middle, 3 X1, 4 X2
    bool Down = false;
    int Delta = 0;
    bool Horizontal = false;
    WORD Vk = 0;
    WORD Scan = 0;
    bool Extended = false;
    WCHAR Char = 0;
    DWORD Time = 0;
    display::TSurfaceId Surface = 0;
    RECT Bounds{};
    int State = 0; // 0 normal, 1 minimised, 2 maximised
    // The key state as the event left it, kept for when it is routed.
    WPARAM MouseKeys = 0;
    bool WasDown = false;
    bool Alt = false;
    bool Ctrl = false;
};

class TWindowManager {
public:
    static TWindowManager& Instance();

    using TLock = std::unique_lock<std::mutex>;
    [[nodiscard]] TLock Lock() { return TLock(FLock); }

    // --- windows (lock held)
    [[nodiscard]] TWnd* Find(HWND hwnd) const;
    // Live windows only (not yet past WM_NCDESTROY).
    [[nodiscard]] TWnd* FindLive(HWND hwnd) const;
    [[nodiscard]] HWND Insert(std::unique_ptr<TWnd> wnd);
    void Free(HWND hwnd);
    // Frees a window and its children without a message (thread exit, reset).
    void FreeWindowTree(HWND hwnd);
    // Drops every reference the manager keeps to a window going away.
    void ForgetWindowState(HWND hwnd);
    [[nodiscard]] HWND Desktop() const { return FDesktop; }
    [[nodiscard]] HWND MessageRoot() const { return FMessageRoot; }
    [[nodiscard]] bool IsTopLevel(const TWnd& w) const { return w.Parent == FDesktop; }
    // The top-level window that contains hwnd (hwnd itself when top-level).
    [[nodiscard]] HWND RootOf(HWND hwnd) const;
    [[nodiscard]] bool IsDescendant(HWND ancestor, HWND hwnd) const;
    // Every window below hwnd, depth first, parents before children.
    void CollectDescendants(HWND hwnd, std::vector<HWND>& out) const;
    [[nodiscard]] std::vector<HWND> AllWindows() const;
    // Client origin in screen coordinates.
    [[nodiscard]] POINT ClientOrigin(const TWnd& w) const;
    [[nodiscard]] RECT ScreenWindowRect(const TWnd& w) const;
    [[nodiscard]] RECT ScreenClientRect(const TWnd& w) const;
    // Visible means WS_VISIBLE on the window and on all its ancestors.
    [[nodiscard]] bool IsVisibleOnScreen(const TWnd& w) const;

    // --- classes (lock held)
    [[nodiscard]] std::shared_ptr<TWndClass> FindClass(LPCWSTR name) const;
    [[nodiscard]] ATOM AddClass(std::shared_ptr<TWndClass> cls);
    bool RemoveClass(LPCWSTR name);

    // --- queues
    // The calling thread's queue, created on first use.
    [[nodiscard]] TMessageQueue& CurrentQueue();
    [[nodiscard]] TMessageQueue* QueueOf(DWORD threadId) const;
    void WakeQueue(TMessageQueue& q);
    void WakeAllQueues();
    void EndQueue(TMessageQueue& q);

    // --- the desktop
    [[nodiscard]] display::TDisplayBackend& Backend();
    void SetBackend(std::unique_ptr<display::TDisplayBackend> backend);
    [[nodiscard]] DWORD DisplayThread() const { return FDisplayThread; }
    // Monitors as the backend reports them, cached until it changes them.
    [[nodiscard]] const std::vector<display::TMonitor>& Monitors();
    void InvalidateMonitors() {
        FMonitorsValid = false;
        MonitorGeneration = static_cast<std::uint16_t>(MonitorGeneration % 0x7FFF + 1);
    }
    // Work area set by SPI_SETWORKAREA for the primary monitor, if any.
    std::optional<RECT> WorkAreaOverride;

    // --- input state
    std::deque<TRawInput> RawInput;
    bool RoutingInput = false;
    POINT CursorPos{};
    BYTE AsyncKeys[256]{};
    BYTE SyncKeys[256]{};
    HWND Capture = nullptr;
    HWND Focus = nullptr;
    HWND Active = nullptr;
    bool AppForeground = true; // our process holds the foreground
    bool AppActivated = false; // WM_ACTIVATEAPP(TRUE) has been sent
    bool LastInputOurs = true; // the last input event came from this process
    ULONGLONG ForeignActivationTime = 0;
    DWORD ForegroundLockTimeout = 200000;
    HWND LastClickHwnd = nullptr;
    UINT LastClickMessage = 0;
    ULONGLONG LastClickTime = 0;
    POINT LastClickPos{};
    bool LastClickWasDouble = false;
    TMouseTracking Tracking;
    HWND MouseWindow = nullptr; // the window the last mouse message went to
    LRESULT MouseHit = HTNOWHERE;
    HCURSOR CursorHandle = nullptr;

    // --- hooks
    std::vector<THook> Hooks; // newest first
    ULONG_PTR NextHook = 1;

    // --- timers
    UINT_PTR NextThreadTimerId = 1;

    // --- painting
    std::vector<TWindowDc> Dcs;
    HWND LockedWindow = nullptr; // LockWindowUpdate
    bool LockedInvalidated = false;

    // --- system state
    bool CompositionEnabled = true;

    // Forgets every window, class, queue content, timer and hook without
    // sending a message; tests start from a clean desktop with it.
    void Reset();

private:
    TWindowManager();
    void CreateSystemWindows();

    struct TSlot {
        std::uint16_t Generation = 1;
        std::unique_ptr<TWnd> Wnd;
    };

    mutable std::mutex FLock;
    std::vector<TSlot> FSlots;
    std::vector<std::uint16_t> FFreeSlots;
    HWND FDesktop = nullptr;
    HWND FMessageRoot = nullptr;
    std::vector<std::shared_ptr<TWndClass>> FClasses;
    ATOM FNextAtom = 0xC000;
    std::unordered_map<DWORD, std::shared_ptr<TMessageQueue>> FQueues;
    std::unique_ptr<display::TDisplayBackend> FBackend;
    DWORD FDisplayThread = 0;
    std::vector<display::TMonitor> FMonitors;
    bool FMonitorsValid = false;

public:
    // Bumped whenever the monitors change, so old HMONITOR values go stale.
    std::uint16_t MonitorGeneration = 1;
};

inline TWindowManager& Wm() {
    return TWindowManager::Instance();
}

// The calling thread's id, as GetWindowThreadProcessId reports it.
[[nodiscard]] DWORD CurrentThreadId() noexcept;

// Internal messages that carry window operations to the thread that owns the
// window; they never reach a window procedure.
constexpr UINT WMI_SETWINDOWPOS = 0x00010001;
constexpr UINT WMI_SHOWWINDOW = 0x00010002;

// Case-insensitive comparison of class and window names, as the window
// manager compares them.
[[nodiscard]] bool SameName(rtl::StringView a, rtl::StringView b) noexcept;

// A string argument that may be an atom (MAKEINTATOM).
[[nodiscard]] inline bool IsAtomArg(LPCWSTR name) {
    return IS_INTRESOURCE(name);
}
[[nodiscard]] inline ATOM AtomOf(LPCWSTR name) {
    return static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
}

} // namespace win

#include "platform/display/HeadlessDisplay.h"
#include "platform/win/gdi/SurfaceDc.h"
#include "platform/win/user/Input_p.h"
#include "platform/win/user/WindowDirectory_p.h"
#include "platform/win/user/WindowManager_p.h"

#include <algorithm>
#include <sys/syscall.h>
#include <unistd.h>

namespace win {

namespace {

// Window handles are 32-bit values like Windows': the slot number plus one in
// the low word and a 15-bit generation above it, so a stale handle is refused
// and values never collide with HWND_BROADCAST or the negative constants.
constexpr std::size_t kMaxWindows = 0xFFFE;

HWND EncodeHwnd(std::size_t index, std::uint16_t generation) {
    return reinterpret_cast<HWND>((static_cast<ULONG_PTR>(generation) << 16) | (index + 1));
}

bool DecodeHwnd(HWND hwnd, std::size_t& index, std::uint16_t& generation) {
    const ULONG_PTR v = reinterpret_cast<ULONG_PTR>(hwnd);
    if (v > 0x7FFFFFFF || (v & 0xFFFF) == 0)
        return false;
    index = (v & 0xFFFF) - 1;
    generation = static_cast<std::uint16_t>(v >> 16);
    return generation != 0;
}

struct TQueueHolder {
    std::shared_ptr<TMessageQueue> Queue;
    ~TQueueHolder() {
        if (Queue)
            Wm().EndQueue(*Queue);
    }
};

thread_local TQueueHolder tQueue;

char16_t FoldCase(char16_t c) noexcept {
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - u'a' + u'A');
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    return c;
}

} // namespace

DWORD CurrentThreadId() noexcept {
    // Asked on every message: the system call is made once per thread.
    thread_local const DWORD id = static_cast<DWORD>(::syscall(SYS_gettid));
    return id;
}

bool SameName(rtl::StringView a, rtl::StringView b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return FoldCase(x) == FoldCase(y);
           });
}

TWindowManager& TWindowManager::Instance() {
    // Never destroyed: window procedures and thread exits may still reach it
    // while static objects are being torn down.
    static TWindowManager* instance = new TWindowManager();
    return *instance;
}

TWindowManager::TWindowManager() {
    CreateSystemWindows();
}

void TWindowManager::CreateSystemWindows() {
    auto desktopClass = std::make_shared<TWndClass>();
    desktopClass->Name = u"#32769";
    desktopClass->Atom = 0x8001;
    auto desktop = std::make_unique<TWnd>();
    desktop->Class = desktopClass;
    desktop->Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    desktop->Created = true;
    FDesktop = Insert(std::move(desktop));

    auto messageClass = std::make_shared<TWndClass>();
    messageClass->Name = u"Message";
    auto root = std::make_unique<TWnd>();
    root->Class = messageClass;
    root->Style = WS_POPUP | WS_CLIPCHILDREN;
    root->Created = true;
    FMessageRoot = Insert(std::move(root));
}

TWnd* TWindowManager::Find(HWND hwnd) const {
    std::size_t index = 0;
    std::uint16_t generation = 0;
    if (!DecodeHwnd(hwnd, index, generation) || index >= FSlots.size())
        return nullptr;
    const TSlot& slot = FSlots[index];
    return slot.Generation == generation ? slot.Wnd.get() : nullptr;
}

TWnd* TWindowManager::FindLive(HWND hwnd) const {
    TWnd* w = Find(hwnd);
    return w && !w->Dead ? w : nullptr;
}

HWND TWindowManager::Insert(std::unique_ptr<TWnd> wnd) {
    std::size_t index;
    if (!FFreeSlots.empty()) {
        index = FFreeSlots.back();
        FFreeSlots.pop_back();
    } else {
        if (FSlots.size() >= kMaxWindows)
            return nullptr;
        index = FSlots.size();
        FSlots.emplace_back();
    }
    TSlot& slot = FSlots[index];
    slot.Wnd = std::move(wnd);
    const HWND hwnd = EncodeHwnd(index, slot.Generation);
    slot.Wnd->Handle = hwnd;
    return hwnd;
}

void TWindowManager::Free(HWND hwnd) {
    std::size_t index = 0;
    std::uint16_t generation = 0;
    if (!DecodeHwnd(hwnd, index, generation) || index >= FSlots.size() ||
        FSlots[index].Generation != generation)
        return;
    TSlot& slot = FSlots[index];
    slot.Wnd.reset();
    slot.Generation = slot.Generation == 0x7FFF ? 1 : static_cast<std::uint16_t>(slot.Generation + 1);
    FFreeSlots.push_back(static_cast<std::uint16_t>(index));
}

HWND TWindowManager::RootOf(HWND hwnd) const {
    for (TWnd* w = Find(hwnd); w; w = Find(w->Parent)) {
        if (w->Parent == FDesktop || w->Parent == FMessageRoot || !w->Parent)
            return w->Handle;
    }
    return nullptr;
}

bool TWindowManager::IsDescendant(HWND ancestor, HWND hwnd) const {
    for (TWnd* w = Find(hwnd); w; w = Find(w->Parent))
        if (w->Parent == ancestor)
            return true;
    return false;
}

void TWindowManager::CollectDescendants(HWND hwnd, std::vector<HWND>& out) const {
    if (TWnd* w = Find(hwnd)) {
        for (HWND child : w->Children) {
            out.push_back(child);
            CollectDescendants(child, out);
        }
    }
}

std::vector<HWND> TWindowManager::AllWindows() const {
    std::vector<HWND> all;
    for (const TSlot& slot : FSlots)
        if (slot.Wnd && slot.Wnd->Handle != FDesktop && slot.Wnd->Handle != FMessageRoot)
            all.push_back(slot.Wnd->Handle);
    return all;
}

POINT TWindowManager::ClientOrigin(const TWnd& w) const {
    POINT p{w.Client.left, w.Client.top};
    for (TWnd* parent = Find(w.Parent); parent; parent = Find(parent->Parent)) {
        p.x += parent->Client.left;
        p.y += parent->Client.top;
    }
    return p;
}

RECT TWindowManager::ScreenWindowRect(const TWnd& w) const {
    POINT o{0, 0};
    if (TWnd* parent = Find(w.Parent))
        o = ClientOrigin(*parent);
    return {w.Window.left + o.x, w.Window.top + o.y, w.Window.right + o.x, w.Window.bottom + o.y};
}

RECT TWindowManager::ScreenClientRect(const TWnd& w) const {
    const POINT o = ClientOrigin(w);
    return {o.x, o.y, o.x + (w.Client.right - w.Client.left), o.y + (w.Client.bottom - w.Client.top)};
}

bool TWindowManager::IsVisibleOnScreen(const TWnd& w) const {
    for (const TWnd* p = &w; p; p = Find(p->Parent)) {
        if (!(p->Style & WS_VISIBLE))
            return false;
        if (p->Handle == FDesktop)
            return true;
    }
    return false;
}

// --- classes

std::shared_ptr<TWndClass> TWindowManager::FindClass(LPCWSTR name) const {
    if (!name)
        return nullptr;
    for (const auto& cls : FClasses) {
        if (IsAtomArg(name) ? cls->Atom == AtomOf(name) : SameName(cls->Name, name))
            return cls;
    }
    return nullptr;
}

ATOM TWindowManager::AddClass(std::shared_ptr<TWndClass> cls) {
    if (FNextAtom == 0xFFFF)
        return 0;
    cls->Atom = FNextAtom++;
    FClasses.push_back(std::move(cls));
    return FClasses.back()->Atom;
}

bool TWindowManager::RemoveClass(LPCWSTR name) {
    auto cls = FindClass(name);
    if (!cls)
        return false;
    std::erase(FClasses, cls);
    return true;
}

// --- queues

TMessageQueue& TWindowManager::CurrentQueue() {
    if (!tQueue.Queue) {
        auto q = std::make_shared<TMessageQueue>();
        q->ThreadId = CurrentThreadId();
        FQueues[q->ThreadId] = q;
        tQueue.Queue = q;
    }
    return *tQueue.Queue;
}

TMessageQueue* TWindowManager::QueueOf(DWORD threadId) const {
    auto it = FQueues.find(threadId);
    return it == FQueues.end() ? nullptr : it->second.get();
}

void TWindowManager::WakeQueue(TMessageQueue& q) {
    q.WakePending = true;
    q.Wake.notify_all();
    if (q.ThreadId == FDisplayThread && FBackend && FBackend->NeedsPumping())
        FBackend->Wake();
}

void TWindowManager::WakeAllQueues() {
    for (auto& [id, q] : FQueues)
        WakeQueue(*q);
}

void TWindowManager::EndQueue(TMessageQueue& q) {
    auto lock = Lock();
    q.Alive = false;
    for (TSentMessage* sent : q.Incoming) {
        sent->Done = true;
        if (sent->Sender)
            WakeQueue(*sent->Sender);
    }
    q.Incoming.clear();
    // A thread's windows die with it; nothing of the thread can run their
    // procedures any more, so they go without messages.
    std::vector<HWND> orphans;
    for (HWND hwnd : AllWindows())
        if (TWnd* w = Find(hwnd); w && w->ThreadId == q.ThreadId)
            orphans.push_back(hwnd);
    bool topLevelGone = false;
    for (HWND hwnd : orphans) {
        if (TWnd* w = Find(hwnd); w && IsTopLevel(*w))
            topLevelGone = true;
        FreeWindowTree(hwnd);
    }
    if (topLevelGone)
        PublishWindowsLocked();
    std::erase_if(Hooks, [&](const THook& h) { return h.ThreadId == q.ThreadId; });
    FQueues.erase(q.ThreadId);
}

void TWindowManager::FreeWindowTree(HWND hwnd) {
    TWnd* w = Find(hwnd);
    if (!w)
        return;
    const std::vector<HWND> children = w->Children;
    for (HWND child : children)
        FreeWindowTree(child);
    for (HWND owned : AllWindows())
        if (TWnd* o = Find(owned); o && o->Owner == hwnd)
            o->Owner = nullptr;
    if (TWnd* parent = Find(w->Parent))
        std::erase(parent->Children, hwnd);
    if (w->Class)
        --w->Class->Windows;
    if (w->Surface != 0 && FBackend)
        FBackend->DestroySurface(w->Surface);
    ForgetWindowState(hwnd);
    Free(hwnd);
}

void TWindowManager::ForgetWindowState(HWND hwnd) {
    if (Capture == hwnd)
        Capture = nullptr;
    if (Focus == hwnd)
        Focus = nullptr;
    if (Active == hwnd)
        Active = nullptr;
    if (Tracking.Hwnd == hwnd)
        Tracking = {};
    if (MouseWindow == hwnd)
        MouseWindow = nullptr;
    if (LastClickHwnd == hwnd)
        LastClickHwnd = nullptr;
    for (auto& [id, q] : FQueues) {
        std::erase_if(q->Posted, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
        std::erase_if(q->Input, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
        std::erase_if(q->Timers, [hwnd](const TTimer& t) { return t.Hwnd == hwnd; });
    }
}

// --- the desktop

display::TDisplayBackend& TWindowManager::Backend() {
    if (!FBackend)
        SetBackend(std::make_unique<display::THeadlessDisplay>());
    return *FBackend;
}

void TWindowManager::SetBackend(std::unique_ptr<display::TDisplayBackend> backend) {
    FBackend = std::move(backend);
    FBackend->SetEventSink([](const display::TDisplayEvent& e) { OnDisplayEvent(e); });
    FDisplayThread = CurrentThreadId();
    FMonitorsValid = false;
}

const std::vector<display::TMonitor>& TWindowManager::Monitors() {
    if (!FMonitorsValid) {
        FMonitors = Backend().Monitors();
        FMonitorsValid = true;
        // The desktop window covers the primary monitor, as GetWindowRect of
        // it reports on Windows; its client origin is the screen's origin.
        if (TWnd* desktop = Find(FDesktop)) {
            const auto primary =
                std::find_if(FMonitors.begin(), FMonitors.end(), [](const auto& m) { return m.Primary; });
            const display::TRect b = primary->Bounds;
            desktop->Window = {0, 0, b.Right - b.Left, b.Bottom - b.Top};
            desktop->Client = desktop->Window;
            SetScreenSize(b.Width(), b.Height());
        }
    }
    return FMonitors;
}

void TWindowManager::Reset() {
    auto lock = Lock();
    for (HWND top : std::vector<HWND>(Find(FDesktop)->Children))
        FreeWindowTree(top);
    for (HWND top : std::vector<HWND>(Find(FMessageRoot)->Children))
        FreeWindowTree(top);
    FClasses.clear();
    for (auto& [id, q] : FQueues) {
        q->Posted.clear();
        q->Input.clear();
        q->Timers.clear();
        q->QuitPosted = false;
        q->QuitCode = 0;
        q->WakePending = false;
    }
    Hooks.clear();
    RawInput.clear();
    RoutingInput = false;
    CursorPos = {};
    std::fill(std::begin(AsyncKeys), std::end(AsyncKeys), 0);
    std::fill(std::begin(SyncKeys), std::end(SyncKeys), 0);
    Capture = Focus = Active = nullptr;
    AppForeground = true;
    AppActivated = false;
    LastInputOurs = true;
    ForeignActivationTime = 0;
    ForegroundLockTimeout = 200000;
    LastClickHwnd = nullptr;
    LastClickMessage = 0;
    LastClickTime = 0;
    LastClickWasDouble = false;
    Tracking = {};
    MouseWindow = nullptr;
    MouseHit = HTNOWHERE;
    CursorHandle = nullptr;
    CompositionEnabled = true;
    WorkAreaOverride.reset();
    SetBackend(std::make_unique<display::THeadlessDisplay>());
}

} // namespace win

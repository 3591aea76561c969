#include "platform/display/gtk/GtkDisplay.h"

#include "platform/display/gtk/GtkMessageBox.h"
#include "platform/rtl/String.h"

#include <algorithm>

namespace display {

namespace {

TGtkDisplay* gCurrent = nullptr;

// Cursor names of the CSS cursor set, which every GDK backend knows.
const char* CursorName(TCursorShape shape) {
    switch (shape) {
    case csNone:
        return "none";
    case csArrow:
        return "default";
    case csIBeam:
        return "text";
    case csWait:
        return "wait";
    case csCross:
        return "crosshair";
    case csUpArrow:
        return "n-resize";
    case csSizeNWSE:
        return "nwse-resize";
    case csSizeNESW:
        return "nesw-resize";
    case csSizeWE:
        return "ew-resize";
    case csSizeNS:
        return "ns-resize";
    case csSizeAll:
        return "move";
    case csNo:
        return "not-allowed";
    case csHand:
        return "pointer";
    case csAppStarting:
        return "progress";
    case csHelp:
        return "help";
    }
    return "default";
}

TRect RectOf(const GdkRectangle& r) {
    return {r.x, r.y, r.x + r.width, r.y + r.height};
}

// How many pending GTK events one pump handles at most before the window
// manager gets its turn.
constexpr int kMaxDispatchPerPump = 64;

// How long the desktop may take to answer an activation request.
constexpr gint64 kActivationSettleUs = 500'000;

} // namespace

TGtkDisplay::TGtkDisplay() {
    gCurrent = this;
}

TGtkDisplay::~TGtkDisplay() {
    if (FActivationCheck)
        g_source_remove(FActivationCheck);
    FSurfaces.clear();
    if (FCursor)
        g_object_unref(FCursor);
    if (gCurrent == this)
        gCurrent = nullptr;
}

TGtkDisplay* TGtkDisplay::Current() noexcept {
    return gCurrent;
}

TGtkSurface* TGtkDisplay::Find(TSurfaceId surface) const {
    const auto it = FSurfaces.find(surface);
    return it == FSurfaces.end() ? nullptr : it->second.get();
}

GtkWindow* TGtkDisplay::SurfaceWindow(TSurfaceId surface) const {
    const TGtkSurface* s = Find(surface);
    return s ? s->Window() : nullptr;
}

GtkLayout* TGtkDisplay::SurfaceLayout(TSurfaceId surface) const {
    const TGtkSurface* s = Find(surface);
    return s ? s->Layout() : nullptr;
}

int TGtkDisplay::AddBeforePaintHook(TSurfaceId surface, TFrameHook hook) {
    const int id = FNextHookId++;
    FBeforePaintHooks.push_back({id, surface, std::move(hook)});
    return id;
}

void TGtkDisplay::RemoveBeforePaintHook(int id) {
    std::erase_if(FBeforePaintHooks, [id](const THookEntry& h) { return h.Id == id; });
}

// --- monitors

std::vector<TMonitor> TGtkDisplay::DoMonitors() const {
    std::vector<TMonitor> monitors;
    GdkDisplay* display = gdk_display_get_default();
    if (!display)
        return monitors;
    GdkMonitor* primary = gdk_display_get_primary_monitor(display);
    const int count = gdk_display_get_n_monitors(display);
    for (int i = 0; i < count; ++i) {
        GdkMonitor* m = gdk_display_get_monitor(display, i);
        GdkRectangle geometry{};
        GdkRectangle work{};
        gdk_monitor_get_geometry(m, &geometry);
        gdk_monitor_get_workarea(m, &work);
        TMonitor monitor;
        monitor.Bounds = RectOf(geometry);
        monitor.WorkArea = RectOf(work);
        // Without a primary monitor set, the first one counts as primary.
        monitor.Primary = primary ? m == primary : i == 0;
        monitor.DeviceName = u"DISPLAY" + rtl::AsciiToString(std::to_string(i + 1));
        monitors.push_back(std::move(monitor));
    }
    return monitors;
}

// --- surfaces

TSurfaceId TGtkDisplay::DoCreateSurface(const TSurfaceParams& params) {
    const TSurfaceId id = FNextId++;
    const TGtkSurface* owner = Find(params.Owner);
    TGtkSurfaceHost& host = *this;
    auto surface = std::make_unique<TGtkSurface>(host, id, params, owner ? owner->Window() : nullptr);
    FSurfaces.emplace(id, std::move(surface));
    return id;
}

void TGtkDisplay::DoDestroySurface(TSurfaceId surface) {
    std::erase_if(FBeforePaintHooks, [surface](const THookEntry& h) { return h.Surface == surface; });
    std::erase(FStacking, surface);
    if (FActive == surface)
        FActive = 0;
    FSurfaces.erase(surface);
}

void TGtkDisplay::DoSetSurfaceBounds(TSurfaceId surface, const TRect& bounds) {
    if (TGtkSurface* s = Find(surface))
        s->SetBounds(bounds);
}

void TGtkDisplay::DoShowSurface(TSurfaceId surface, TShowMode mode) {
    if (TGtkSurface* s = Find(surface))
        s->Show(mode);
}

void TGtkDisplay::DoSetSurfaceState(TSurfaceId surface, TSurfaceState state) {
    if (TGtkSurface* s = Find(surface))
        s->SetState(state);
}

void TGtkDisplay::DoSetSurfaceTopmost(TSurfaceId surface, bool topmost) {
    if (TGtkSurface* s = Find(surface))
        s->SetTopmost(topmost);
}

void TGtkDisplay::DoSetSurfaceInputTransparent(TSurfaceId surface, bool transparent) {
    if (TGtkSurface* s = Find(surface))
        s->SetInputTransparent(transparent);
}

// Each surface goes directly above the one below it, so the order among our
// windows is the window manager's without raising them over other programs.
void TGtkDisplay::DoRestackSurfaces(std::span<const TSurfaceId> topToBottom) {
    std::vector<TSurfaceId> order;
    for (TSurfaceId id : topToBottom)
        if (const TGtkSurface* s = Find(id); s && s->IsVisible())
            order.push_back(id);
    if (order == FStacking)
        return;
    FStacking = order;
    for (std::size_t i = order.size(); i-- > 1;) {
        GdkWindow* below = gtk_widget_get_window(GTK_WIDGET(Find(order[i])->Window()));
        GdkWindow* above = gtk_widget_get_window(GTK_WIDGET(Find(order[i - 1])->Window()));
        if (below && above)
            gdk_window_restack(above, below, TRUE);
    }
}

void TGtkDisplay::DoSetSurfaceTitle(TSurfaceId surface, std::u16string_view title) {
    if (TGtkSurface* s = Find(surface))
        s->SetTitle(rtl::StringToUtf8(title));
}

void TGtkDisplay::DoSetSurfaceShape(TSurfaceId surface, bool hasShape, std::span<const TRect> shape) {
    if (TGtkSurface* s = Find(surface))
        s->SetShape(hasShape, shape);
}

void TGtkDisplay::DoSetSurfaceOpacity(TSurfaceId surface, std::uint8_t opacity) {
    if (TGtkSurface* s = Find(surface))
        s->SetOpacity(opacity);
}

void TGtkDisplay::DoPresentSurface(TSurfaceId surface, const TPixelView& pixels, TAlphaMode alphaMode,
                                   std::span<const TRect> dirty) {
    if (TGtkSurface* s = Find(surface))
        s->Present(pixels, alphaMode, dirty);
}

void TGtkDisplay::DoActivateSurface(TSurfaceId surface) {
    TGtkSurface* s = Find(surface);
    if (!s || !s->IsVisible())
        return;
    FRequestedActive = surface;
    FActivationPendingUntil = g_get_monotonic_time() + kActivationSettleUs;
    s->Activate(GDK_CURRENT_TIME);
}

bool TGtkDisplay::DoBeginMoveDrag(TSurfaceId surface, TPoint screenPoint) {
    TGtkSurface* s = Find(surface);
    return s && s->BeginMoveDrag(screenPoint, FLastButton, FLastInputTime);
}

void TGtkDisplay::DoSetCursor(TCursorShape shape) {
    if (shape == FCursorShape && FCursor)
        return;
    GdkDisplay* display = gdk_display_get_default();
    if (!display)
        return;
    GdkCursor* cursor = gdk_cursor_new_from_name(display, CursorName(shape));
    if (!cursor)
        cursor = gdk_cursor_new_from_name(display, "default");
    if (FCursor)
        g_object_unref(FCursor);
    FCursor = cursor;
    FCursorShape = shape;
    for (auto& [id, s] : FSurfaces)
        s->SetCursor(FCursor);
}

void TGtkDisplay::SurfaceRealized(TSurfaceId surface) {
    if (TGtkSurface* s = Find(surface); s && FCursor)
        s->SetCursor(FCursor);
}

TMessageBoxAnswer TGtkDisplay::DoShowMessageBox(const TMessageBoxRequest& request) {
    const TGtkSurface* owner = Find(request.Owner);
    return RunGtkMessageBox(request, owner ? owner->Window() : nullptr);
}

// --- the event loop

void TGtkDisplay::DoPumpEvents(int timeoutMs) {
    GMainContext* context = g_main_context_default();
    if (timeoutMs != 0 && !DeliverGathered()) {
        bool expired = false;
        guint timer = 0;
        if (timeoutMs > 0)
            timer = g_timeout_add_full(
                G_PRIORITY_HIGH, static_cast<guint>(timeoutMs),
                +[](gpointer flag) {
                    *static_cast<bool*>(flag) = true;
                    return G_SOURCE_REMOVE;
                },
                &expired, nullptr);
        g_main_context_iteration(context, TRUE);
        if (timer && !expired)
            g_source_remove(timer);
    }
    for (int i = 0; i < kMaxDispatchPerPump && g_main_context_pending(context); ++i)
        g_main_context_iteration(context, FALSE);
    DeliverGathered();
}

void TGtkDisplay::DoWake() {
    g_main_context_wakeup(g_main_context_default());
}

bool TGtkDisplay::DeliverGathered() {
    if (FGathered.empty())
        return false;
    std::vector<TDisplayEvent> events;
    events.swap(FGathered);
    for (const TDisplayEvent& e : events)
        Deliver(e);
    return true;
}

// --- what the surfaces report

void TGtkDisplay::SurfaceEvent(const TDisplayEvent& event) {
    FGathered.push_back(event);
}

void TGtkDisplay::SurfaceUserInput(std::uint32_t time, unsigned button) {
    if (time != 0)
        FLastInputTime = time;
    if (button != 0)
        FLastButton = button;
}

// Focus leaving one window may be on its way to another of ours: look once
// the desktop has settled.
void TGtkDisplay::SurfaceFocusChanged() {
    if (!FActivationCheck)
        FActivationCheck = g_idle_add(CheckActivation, this);
}

gboolean TGtkDisplay::CheckActivation(gpointer data) {
    auto* self = static_cast<TGtkDisplay*>(data);
    self->FActivationCheck = 0;
    TSurfaceId active = 0;
    for (const auto& [id, s] : self->FSurfaces)
        if (s->IsActive())
            active = id;
    // The desktop answers activation requests late: a focus change that is
    // not the one asked for last, while that request is fresh, is an answer
    // to an older request and no news.
    const bool pending = g_get_monotonic_time() < self->FActivationPendingUntil;
    if (active == self->FRequestedActive)
        self->FActivationPendingUntil = 0;
    if (pending && active != self->FRequestedActive)
        return G_SOURCE_REMOVE;
    if (active == self->FRequestedActive && pending) {
        self->FActive = active;
        return G_SOURCE_REMOVE;
    }
    if (active != self->FActive) {
        self->FActive = active;
        self->FRequestedActive = active;
        TDisplayEvent e;
        e.Kind = dekActivated;
        e.Surface = active;
        self->FGathered.push_back(e);
    }
    return G_SOURCE_REMOVE;
}

void TGtkDisplay::SurfaceBeforePaint(TSurfaceId surface) {
    // A hook may remove hooks: run a copy.
    std::vector<TFrameHook> hooks;
    for (const THookEntry& h : FBeforePaintHooks)
        if (h.Surface == surface)
            hooks.push_back(h.Hook);
    for (const TFrameHook& hook : hooks)
        hook();
}

void TGtkDisplay::SurfaceAfterPaint(TSurfaceId surface, bool drewPixels) {
    if (drewPixels && FFramePresented)
        FFramePresented(surface);
}

} // namespace display

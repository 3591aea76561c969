#include "platform/display/gtk/GtkSurface.h"

#include "platform/display/gtk/GtkKeyMap.h"
#include "platform/rtl/String.h"

#include <X11/Xutil.h>
#include <algorithm>
#include <cstring>
#include <gdk/gdkx.h>
#include <optional>

namespace display {

namespace {

// A configure event that differs from the last request and arrives this soon
// after it is taken for an older request catching up, not for the desktop
// moving the window on its own.
constexpr gint64 kRequestSettleUs = 400'000;

TDisplayEvent EventFor(TSurfaceId surface, TDisplayEventKind kind) {
    TDisplayEvent e;
    e.Kind = kind;
    e.Surface = surface;
    return e;
}

TPoint RootPoint(double x, double y) {
    return {static_cast<int>(x), static_cast<int>(y)};
}

std::optional<TMouseButton> ButtonOf(guint button) {
    switch (button) {
    case 1:
        return mbLeft;
    case 2:
        return mbMiddle;
    case 3:
        return mbRight;
    case 8:
        return mbX1;
    case 9:
        return mbX2;
    default:
        return std::nullopt; // 4 to 7 are the wheel, reported as scroll events
    }
}

// The key's symbol without modifiers, so that the virtual key does not
// depend on Shift or Caps Lock.
unsigned UnshiftedKeyval(const GdkEventKey* e) {
    guint keyval = 0;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(e->window));
    if (gdk_keymap_translate_keyboard_state(keymap, e->hardware_keycode, static_cast<GdkModifierType>(0),
                                            e->group, &keyval, nullptr, nullptr, nullptr))
        return keyval;
    return e->keyval;
}

cairo_region_t* RegionOf(std::span<const TRect> rects) {
    cairo_region_t* region = cairo_region_create();
    for (const TRect& r : rects)
        if (!r.IsEmpty()) {
            const cairo_rectangle_int_t cr{r.Left, r.Top, r.Width(), r.Height()};
            cairo_region_union_rectangle(region, &cr);
        }
    return region;
}

} // namespace

TGtkSurface::TGtkSurface(TGtkSurfaceHost& host, TSurfaceId id, const TSurfaceParams& params, GtkWindow* owner)
    : FHost(host), FId(id), FClassName(params.ClassName) {
    // Windows that never take the focus and have no taskbar button (hints,
    // shadows, pop-ups) are placed by us alone: the desktop's window manager
    // does not touch them.
    const bool popup = params.NoActivate && !params.TaskbarButton;
    FWindow = gtk_window_new(popup ? GTK_WINDOW_POPUP : GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(FWindow);
    gtk_window_set_decorated(window, FALSE);
    gtk_widget_set_app_paintable(FWindow, TRUE);
    if (GdkVisual* rgba = gdk_screen_get_rgba_visual(gtk_widget_get_screen(FWindow)))
        gtk_widget_set_visual(FWindow, rgba);
    gtk_window_set_skip_taskbar_hint(window, !params.TaskbarButton);
    gtk_window_set_skip_pager_hint(window, !params.TaskbarButton);
    gtk_window_set_accept_focus(window, !params.NoActivate);
    gtk_window_set_focus_on_map(window, FALSE);
    if (owner)
        gtk_window_set_transient_for(window, owner);
    if (!params.TaskbarButton && !popup)
        gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_UTILITY);

    FLayout = gtk_layout_new(nullptr, nullptr);
    gtk_widget_set_app_paintable(FLayout, TRUE);
    gtk_container_add(GTK_CONTAINER(FWindow), FLayout);
    FCanvas = gtk_drawing_area_new();
    gtk_widget_set_can_focus(FCanvas, TRUE);
    gtk_widget_add_events(FCanvas, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                       GDK_SCROLL_MASK | GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK);
    gtk_layout_put(GTK_LAYOUT(FLayout), FCanvas, 0, 0);
    gtk_widget_show(FLayout);
    gtk_widget_show(FCanvas);

    g_signal_connect(FCanvas, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(FCanvas, "button-press-event", G_CALLBACK(OnButton), this);
    g_signal_connect(FCanvas, "button-release-event", G_CALLBACK(OnButton), this);
    g_signal_connect(FCanvas, "motion-notify-event", G_CALLBACK(OnMotion), this);
    g_signal_connect(FCanvas, "enter-notify-event", G_CALLBACK(OnCrossing), this);
    g_signal_connect(FCanvas, "leave-notify-event", G_CALLBACK(OnCrossing), this);
    g_signal_connect(FCanvas, "scroll-event", G_CALLBACK(OnScroll), this);
    g_signal_connect(FCanvas, "realize", G_CALLBACK(OnCanvasRealize), this);
    g_signal_connect(FWindow, "configure-event", G_CALLBACK(OnConfigure), this);
    g_signal_connect(FWindow, "window-state-event", G_CALLBACK(OnWindowState), this);
    g_signal_connect(FWindow, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(FWindow, "focus-in-event", G_CALLBACK(OnFocus), this);
    g_signal_connect(FWindow, "focus-out-event", G_CALLBACK(OnFocus), this);
    g_signal_connect(FWindow, "key-press-event", G_CALLBACK(OnKey), this);
    g_signal_connect(FWindow, "key-release-event", G_CALLBACK(OnKey), this);
    g_signal_connect(FWindow, "realize", G_CALLBACK(OnRealize), this);
    FCompositedChanged = g_signal_connect_swapped(
        gtk_widget_get_screen(FWindow), "composited-changed",
        G_CALLBACK(+[](gpointer self) { static_cast<TGtkSurface*>(self)->CompositingChanged(); }), this);

    SetTopmost(params.Topmost);
    FInputTransparent = params.InputTransparent;
    SetBounds(params.Bounds);
    ApplyOpacity();
}

TGtkSurface::~TGtkSurface() {
    DisconnectFrameClock();
    g_signal_handler_disconnect(gtk_widget_get_screen(FWindow), FCompositedChanged);
    g_signal_handlers_disconnect_by_data(FCanvas, this);
    g_signal_handlers_disconnect_by_data(FWindow, this);
    gtk_widget_destroy(FWindow);
    if (FImage)
        cairo_surface_destroy(FImage);
}

bool TGtkSurface::IsActive() const {
    return gtk_window_is_active(GTK_WINDOW(FWindow));
}

// --- placement

void TGtkSurface::SetBounds(const TRect& bounds) {
    if (bounds == FRequested && FRequested == FReported)
        return;
    const bool moved = bounds.Left != FRequested.Left || bounds.Top != FRequested.Top;
    const bool resized = bounds.Width() != FRequested.Width() || bounds.Height() != FRequested.Height();
    FRequested = bounds;
    if (bounds == FReported)
        return; // the desktop already has it this way
    FPendingUntil = g_get_monotonic_time() + kRequestSettleUs;
    const int width = std::max(bounds.Width(), 1);
    const int height = std::max(bounds.Height(), 1);
    if (resized || !gtk_widget_get_realized(FWindow)) {
        gtk_widget_set_size_request(FCanvas, width, height);
        gtk_layout_set_size(GTK_LAYOUT(FLayout), static_cast<guint>(width), static_cast<guint>(height));
        gtk_window_resize(GTK_WINDOW(FWindow), width, height);
    }
    if (moved || !gtk_widget_get_realized(FWindow))
        gtk_window_move(GTK_WINDOW(FWindow), bounds.Left, bounds.Top);
}

void TGtkSurface::Show(TShowMode mode) {
    const bool visible = mode != smHide;
    if (visible == FVisible)
        return;
    FVisible = visible;
    if (visible)
        gtk_widget_show(FWindow);
    else
        gtk_widget_hide(FWindow);
}

void TGtkSurface::SetState(TSurfaceState state) {
    if (state == FState)
        return;
    const TSurfaceState old = FState;
    // Set first: the desktop's echo of this change is then no news.
    FState = state;
    GtkWindow* window = GTK_WINDOW(FWindow);
    if (state == ssMinimized) {
        gtk_window_iconify(window);
    } else if (old == ssMinimized) {
        gtk_window_deiconify(window);
        if (FVisible)
            gtk_window_present(window);
    }
    // Maximising is the window manager's: it has already given the window
    // its work-area bounds.
}

void TGtkSurface::SetTopmost(bool topmost) {
    if (topmost == FTopmost)
        return;
    FTopmost = topmost;
    gtk_window_set_keep_above(GTK_WINDOW(FWindow), topmost);
}

void TGtkSurface::SetInputTransparent(bool transparent) {
    if (transparent == FInputTransparent)
        return;
    FInputTransparent = transparent;
    ApplyShapes();
}

void TGtkSurface::SetTitle(const std::string& utf8) {
    const char* old = gtk_window_get_title(GTK_WINDOW(FWindow));
    if (old && utf8 == old)
        return;
    gtk_window_set_title(GTK_WINDOW(FWindow), utf8.c_str());
}

void TGtkSurface::SetShape(bool hasShape, std::span<const TRect> shape) {
    if (hasShape == FHasShape && std::equal(shape.begin(), shape.end(), FShape.begin(), FShape.end()))
        return;
    FHasShape = hasShape;
    FShape.assign(shape.begin(), shape.end());
    ApplyShapes();
}

// The window region limits both what shows and where the mouse hits; an
// input-transparent window takes no mouse input anywhere.
void TGtkSurface::ApplyShapes() {
    cairo_region_t* visible = FHasShape ? RegionOf(FShape) : nullptr;
    gtk_widget_shape_combine_region(FWindow, visible);
    if (FInputTransparent) {
        cairo_region_t* none = cairo_region_create();
        gtk_widget_input_shape_combine_region(FWindow, none);
        cairo_region_destroy(none);
    } else {
        gtk_widget_input_shape_combine_region(FWindow, visible);
    }
    if (visible)
        cairo_region_destroy(visible);
}

void TGtkSurface::SetOpacity(std::uint8_t opacity) {
    if (opacity == FOpacity)
        return;
    FOpacity = opacity;
    ApplyOpacity();
}

// With a compositor the whole window, embedded views included, is blended
// by it. Without one nothing can blend with what lies below, so the pixels
// are drawn premultiplied by the opacity: the window darkens instead.
void TGtkSurface::ApplyOpacity() {
    const double opacity = FOpacity / 255.0;
    if (gdk_screen_is_composited(gtk_widget_get_screen(FWindow))) {
        gtk_widget_set_opacity(FWindow, opacity);
        FPaintAlpha = 1.0;
    } else {
        gtk_widget_set_opacity(FWindow, 1.0);
        FPaintAlpha = opacity;
    }
    gtk_widget_queue_draw(FCanvas);
}

void TGtkSurface::CompositingChanged() {
    ApplyOpacity();
}

// --- pixels

bool TGtkSurface::EnsureImage(int width, int height) {
    if (FImage && cairo_image_surface_get_width(FImage) == width &&
        cairo_image_surface_get_height(FImage) == height)
        return true;
    if (FImage)
        cairo_surface_destroy(FImage);
    FImage = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(FImage) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(FImage);
        FImage = nullptr;
        return false;
    }
    return true;
}

void TGtkSurface::Present(const TPixelView& pixels, TAlphaMode alphaMode, std::span<const TRect> dirty) {
    if (pixels.Width <= 0 || pixels.Height <= 0)
        return;
    const bool resized = !FImage || cairo_image_surface_get_width(FImage) != pixels.Width ||
                         cairo_image_surface_get_height(FImage) != pixels.Height;
    if (!EnsureImage(pixels.Width, pixels.Height))
        return;
    // A new image holds nothing yet: all of it comes from the view.
    const TRect whole{0, 0, pixels.Width, pixels.Height};
    const std::span<const TRect> rects = resized ? std::span<const TRect>(&whole, 1) : dirty;
    cairo_surface_flush(FImage);
    auto* base = cairo_image_surface_get_data(FImage);
    const int stride = cairo_image_surface_get_stride(FImage);
    for (const TRect& r : rects) {
        for (int y = r.Top; y < r.Bottom; ++y) {
            const std::uint32_t* src = pixels.Bits + static_cast<std::size_t>(y) * pixels.Stride + r.Left;
            auto* dst =
                reinterpret_cast<std::uint32_t*>(base + static_cast<std::size_t>(y) * stride) + r.Left;
            if (alphaMode == amPremultiplied)
                std::memcpy(dst, src, static_cast<std::size_t>(r.Width()) * 4);
            else
                // GDI leaves alpha 0 on what it draws: opaque windows ignore it.
                std::transform(src, src + r.Width(), dst, [](std::uint32_t p) { return p | 0xFF000000u; });
        }
        cairo_surface_mark_dirty_rectangle(FImage, r.Left, r.Top, r.Width(), r.Height());
        gtk_widget_queue_draw_area(FCanvas, r.Left, r.Top, r.Width(), r.Height());
    }
}

gboolean TGtkSurface::OnDraw(GtkWidget* /*widget*/, cairo_t* cr, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    if (self->FImage)
        cairo_set_source_surface(cr, self->FImage, 0, 0);
    else
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
    if (self->FPaintAlpha < 1.0)
        cairo_paint_with_alpha(cr, self->FPaintAlpha);
    else
        cairo_paint(cr);
    cairo_restore(cr);
    self->FDrewThisFrame = self->FDrewThisFrame || self->FImage != nullptr;
    return TRUE;
}

// --- activation, move drag, cursor

void TGtkSurface::Activate(std::uint32_t time) {
    if (!FVisible)
        return;
    GtkWindow* window = GTK_WINDOW(FWindow);
    GdkWindow* gdkWindow = gtk_widget_get_window(FWindow);
    // Coming to the foreground on the program's own initiative needs a fresh
    // timestamp, or the window manager's focus-stealing prevention refuses it.
    if (time == GDK_CURRENT_TIME && gdkWindow && GDK_IS_X11_WINDOW(gdkWindow))
        time = gdk_x11_get_server_time(gdkWindow);
    gtk_window_present_with_time(window, time);
}

bool TGtkSurface::BeginMoveDrag(TPoint screenPoint, unsigned button, std::uint32_t time) {
    if (!FVisible || FState == ssMinimized)
        return false;
    FDragging = true;
    gtk_window_begin_move_drag(GTK_WINDOW(FWindow), static_cast<gint>(button == 0 ? 1 : button),
                               screenPoint.X, screenPoint.Y, time);
    return true;
}

void TGtkSurface::SetCursor(GdkCursor* cursor) {
    if (GdkWindow* w = gtk_widget_get_window(FCanvas))
        gdk_window_set_cursor(w, cursor);
}

// --- what the desktop does to the window

void TGtkSurface::OnRealize(GtkWidget* /*widget*/, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    self->ApplyClassHint();
    self->ApplyShapes();
    self->ConnectFrameClock();
}

void TGtkSurface::OnCanvasRealize(GtkWidget* /*widget*/, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    self->FHost.SurfaceRealized(self->FId);
}

// The window class becomes the class part of WM_CLASS, by which desktops
// group and match windows; the name part is the program's.
void TGtkSurface::ApplyClassHint() {
    GdkWindow* w = gtk_widget_get_window(FWindow);
    if (!w || !GDK_IS_X11_WINDOW(w) || FClassName.empty())
        return;
    std::string name = g_get_prgname() ? g_get_prgname() : "lumora";
    std::string cls = rtl::StringToUtf8(FClassName);
    XClassHint hint{name.data(), cls.data()};
    XSetClassHint(GDK_WINDOW_XDISPLAY(w), GDK_WINDOW_XID(w), &hint);
}

void TGtkSurface::ConnectFrameClock() {
    DisconnectFrameClock();
    FClock = gtk_widget_get_frame_clock(FWindow);
    if (!FClock)
        return;
    g_object_ref(FClock);
    FBeforePaint = g_signal_connect(FClock, "before-paint", G_CALLBACK(OnBeforePaint), this);
    FAfterPaint = g_signal_connect(FClock, "after-paint", G_CALLBACK(OnAfterPaint), this);
}

void TGtkSurface::DisconnectFrameClock() {
    if (!FClock)
        return;
    g_signal_handler_disconnect(FClock, FBeforePaint);
    g_signal_handler_disconnect(FClock, FAfterPaint);
    g_object_unref(FClock);
    FClock = nullptr;
}

void TGtkSurface::OnBeforePaint(GdkFrameClock* /*clock*/, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    self->FHost.SurfaceBeforePaint(self->FId);
}

void TGtkSurface::OnAfterPaint(GdkFrameClock* /*clock*/, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    const bool drew = self->FDrewThisFrame;
    self->FDrewThisFrame = false;
    self->FHost.SurfaceAfterPaint(self->FId, drew);
}

gboolean TGtkSurface::OnConfigure(GtkWidget* /*widget*/, GdkEventConfigure* event, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    const TRect actual{event->x, event->y, event->x + event->width, event->y + event->height};
    if (actual == self->FReported)
        return FALSE;
    self->FReported = actual;
    if (actual == self->FRequested) {
        self->FPendingUntil = 0;
        return FALSE;
    }
    if (!self->FDragging && g_get_monotonic_time() < self->FPendingUntil)
        return FALSE;
    self->FRequested = actual;
    self->FPendingUntil = 0;
    TDisplayEvent e = EventFor(self->FId, dekSurfaceMoved);
    e.Bounds = actual;
    self->FHost.SurfaceEvent(e);
    return FALSE;
}

gboolean TGtkSurface::OnWindowState(GtkWidget* /*widget*/, GdkEventWindowState* event, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    if (!(event->changed_mask & (GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_MAXIMIZED)))
        return FALSE;
    const GdkWindowState s = event->new_window_state;
    TSurfaceState state = ssNormal;
    if (s & GDK_WINDOW_STATE_ICONIFIED)
        state = ssMinimized;
    else if (s & GDK_WINDOW_STATE_MAXIMIZED)
        state = ssMaximized;
    // The window manager maximises by its own bounds; only minimising and
    // coming back from it are the desktop's to report.
    if (state == ssMaximized && self->FState != ssMinimized)
        return FALSE;
    if (state == self->FState)
        return FALSE;
    self->FState = state;
    TDisplayEvent e = EventFor(self->FId, dekSurfaceState);
    e.State = state;
    self->FHost.SurfaceEvent(e);
    return FALSE;
}

gboolean TGtkSurface::OnDelete(GtkWidget* /*widget*/, GdkEvent* /*event*/, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    self->QueueEvent(dekCloseRequest);
    return TRUE; // the window manager decides whether the window goes
}

gboolean TGtkSurface::OnFocus(GtkWidget* /*widget*/, GdkEventFocus* /*event*/, gpointer data) {
    static_cast<TGtkSurface*>(data)->FHost.SurfaceFocusChanged();
    return FALSE;
}

// --- input

gboolean TGtkSurface::OnKey(GtkWidget* /*widget*/, GdkEventKey* event, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    // An embedded view with the keyboard focus (the browser) takes its keys
    // itself, as a native child window would.
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(self->FWindow));
    if (focus && focus != self->FCanvas)
        return FALSE;
    const bool down = event->type == GDK_KEY_PRESS;
    if (down)
        self->FHost.SurfaceUserInput(event->time, 0);
    const TVirtualKey vk = VirtualKeyOfKeyval(UnshiftedKeyval(event));
    if (vk.Code != 0) {
        TDisplayEvent e = EventFor(self->FId, dekKey);
        e.VirtualKey = vk.Code;
        e.Extended = vk.Extended;
        e.ScanCode =
            static_cast<std::uint16_t>(event->hardware_keycode >= 8 ? event->hardware_keycode - 8 : 0);
        e.Down = down;
        self->FHost.SurfaceEvent(e);
        return TRUE;
    }
    // A character no virtual key stands for (another layout's letters) comes
    // as text.
    const gunichar ch = gdk_keyval_to_unicode(event->keyval);
    if (down && ch != 0 && ch < 0x10000 && !(event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK))) {
        TDisplayEvent e = EventFor(self->FId, dekChar);
        e.Char = static_cast<char16_t>(ch);
        self->FHost.SurfaceEvent(e);
    }
    return TRUE;
}

void TGtkSurface::EndDragIfPointerBack() {
    // During the desktop's move drag the pointer belongs to it; input
    // reaching us again means the drag is over.
    FDragging = false;
}

gboolean TGtkSurface::OnButton(GtkWidget* /*widget*/, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    // Double clicks are the window manager's to recognise from the single ones.
    if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE)
        return TRUE;
    const std::optional<TMouseButton> button = ButtonOf(event->button);
    if (!button)
        return TRUE;
    self->EndDragIfPointerBack();
    const bool down = event->type == GDK_BUTTON_PRESS;
    if (down) {
        gtk_widget_grab_focus(self->FCanvas);
        self->FHost.SurfaceUserInput(event->time, event->button);
    }
    TDisplayEvent e = EventFor(self->FId, dekMouseButton);
    e.Position = RootPoint(event->x_root, event->y_root);
    e.Button = *button;
    e.Down = down;
    self->FHost.SurfaceEvent(e);
    return TRUE;
}

void TGtkSurface::QueueMouseMove(double rootX, double rootY) {
    TDisplayEvent e = EventFor(FId, dekMouseMove);
    e.Position = RootPoint(rootX, rootY);
    FHost.SurfaceEvent(e);
}

gboolean TGtkSurface::OnMotion(GtkWidget* /*widget*/, GdkEventMotion* event, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    self->EndDragIfPointerBack();
    self->QueueMouseMove(event->x_root, event->y_root);
    return TRUE;
}

// Entering and leaving are positions like any other: the window manager
// finds which of its windows (if any) is under the pointer and sends
// WM_MOUSELEAVE and the first WM_MOUSEMOVE itself.
gboolean TGtkSurface::OnCrossing(GtkWidget* /*widget*/, GdkEventCrossing* event, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    if (event->mode != GDK_CROSSING_NORMAL && event->mode != GDK_CROSSING_UNGRAB)
        return FALSE;
    self->QueueMouseMove(event->x_root, event->y_root);
    return FALSE;
}

gboolean TGtkSurface::OnScroll(GtkWidget* /*widget*/, GdkEventScroll* event, gpointer data) {
    auto* self = static_cast<TGtkSurface*>(data);
    TDisplayEvent e = EventFor(self->FId, dekMouseWheel);
    e.Position = RootPoint(event->x_root, event->y_root);
    switch (event->direction) {
    case GDK_SCROLL_UP:
        e.Delta = 120;
        break;
    case GDK_SCROLL_DOWN:
        e.Delta = -120;
        break;
    case GDK_SCROLL_LEFT:
        e.Delta = -120;
        e.Horizontal = true;
        break;
    case GDK_SCROLL_RIGHT:
        e.Delta = 120;
        e.Horizontal = true;
        break;
    default:
        return TRUE;
    }
    self->FHost.SurfaceUserInput(event->time, 0);
    self->FHost.SurfaceEvent(e);
    return TRUE;
}

void TGtkSurface::QueueEvent(TDisplayEventKind kind) {
    FHost.SurfaceEvent(EventFor(FId, kind));
}

} // namespace display

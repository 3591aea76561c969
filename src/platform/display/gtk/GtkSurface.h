#pragma once

// One top-level window of the window manager as a GTK window on X11: an
// undecorated window with an RGBA visual holding a layout; the layout's first
// child paints the window's 32-bit premultiplied pixels with cairo (ARGB32
// has the same memory layout), and embedded native views (the browser) are
// placed above it at exact positions.

#include "platform/display/DisplayTypes.h"

#include <gtk/gtk.h>
#include <span>
#include <string>

namespace display {

// What a surface tells the desktop that owns it. All calls come from the
// GUI thread, inside GTK's event dispatch.
class TGtkSurfaceHost {
public:
    virtual void SurfaceEvent(const TDisplayEvent& event) = 0;
    // A user input event with its server time and button (0 for keys).
    virtual void SurfaceUserInput(std::uint32_t time, unsigned button) = 0;
    virtual void SurfaceFocusChanged() = 0;
    // The frame clock is about to paint the surface / has painted it.
    virtual void SurfaceBeforePaint(TSurfaceId surface) = 0;
    virtual void SurfaceAfterPaint(TSurfaceId surface, bool drewPixels) = 0;
    // The surface's canvas window exists: the desktop applies its cursor.
    virtual void SurfaceRealized(TSurfaceId surface) = 0;

protected:
    ~TGtkSurfaceHost() = default;
};

class TGtkSurface {
public:
    TGtkSurface(TGtkSurfaceHost& host, TSurfaceId id, const TSurfaceParams& params, GtkWindow* owner);
    ~TGtkSurface();
    TGtkSurface(const TGtkSurface&) = delete;
    TGtkSurface& operator=(const TGtkSurface&) = delete;
    TGtkSurface(TGtkSurface&&) = delete;
    TGtkSurface& operator=(TGtkSurface&&) = delete;

    [[nodiscard]] TSurfaceId Id() const noexcept { return FId; }
    [[nodiscard]] GtkWindow* Window() const noexcept { return GTK_WINDOW(FWindow); }
    // The container embedded views are put into; (0, 0) is the surface's
    // top-left corner.
    [[nodiscard]] GtkLayout* Layout() const noexcept { return GTK_LAYOUT(FLayout); }
    [[nodiscard]] GtkWidget* Canvas() const noexcept { return FCanvas; }
    [[nodiscard]] bool IsVisible() const noexcept { return FVisible; }
    [[nodiscard]] bool IsActive() const;

    void SetBounds(const TRect& bounds);
    void Show(TShowMode mode);
    void SetState(TSurfaceState state);
    void SetTopmost(bool topmost);
    void SetInputTransparent(bool transparent);
    void SetTitle(const std::string& utf8);
    void SetShape(bool hasShape, std::span<const TRect> shape);
    void SetOpacity(std::uint8_t opacity);
    void Present(const TPixelView& pixels, TAlphaMode alphaMode, std::span<const TRect> dirty);
    // time: the server time of the user event that asks for it (0: now).
    void Activate(std::uint32_t time);
    [[nodiscard]] bool BeginMoveDrag(TPoint screenPoint, unsigned button, std::uint32_t time);
    void SetCursor(GdkCursor* cursor);
    // The desktop's compositing changed: opacity is shown another way.
    void CompositingChanged();

private:
    static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
    static gboolean OnConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer self);
    static gboolean OnWindowState(GtkWidget* widget, GdkEventWindowState* event, gpointer self);
    static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, gpointer self);
    static gboolean OnFocus(GtkWidget* widget, GdkEventFocus* event, gpointer self);
    static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean OnButton(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, gpointer self);
    static gboolean OnCrossing(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean OnScroll(GtkWidget* widget, GdkEventScroll* event, gpointer self);
    static void OnRealize(GtkWidget* widget, gpointer self);
    static void OnCanvasRealize(GtkWidget* widget, gpointer self);
    static void OnBeforePaint(GdkFrameClock* clock, gpointer self);
    static void OnAfterPaint(GdkFrameClock* clock, gpointer self);

    void ApplyClassHint();
    void ApplyShapes();
    void ApplyOpacity();
    void ConnectFrameClock();
    void DisconnectFrameClock();
    [[nodiscard]] bool EnsureImage(int width, int height);
    void QueueEvent(TDisplayEventKind kind);
    void QueueMouseMove(double rootX, double rootY);
    void EndDragIfPointerBack();

    TGtkSurfaceHost& FHost;
    TSurfaceId FId = 0;
    std::u16string FClassName;
    GtkWidget* FWindow = nullptr;
    GtkWidget* FLayout = nullptr;
    GtkWidget* FCanvas = nullptr;
    GdkFrameClock* FClock = nullptr;
    gulong FBeforePaint = 0;
    gulong FAfterPaint = 0;
    gulong FCompositedChanged = 0;

    cairo_surface_t* FImage = nullptr;
    bool FDrewThisFrame = false;

    TRect FRequested;         // what the window manager asked for last
    TRect FReported;          // what the desktop reported last
    gint64 FPendingUntil = 0; // configures until then may still be about older requests
    bool FDragging = false;
    bool FVisible = false;
    TSurfaceState FState = ssNormal;
    bool FTopmost = false;
    bool FInputTransparent = false;
    bool FHasShape = false;
    std::vector<TRect> FShape;
    std::uint8_t FOpacity = 255;
    double FPaintAlpha = 1.0; // opacity drawn into the pixels when nothing composites
};

} // namespace display

#pragma once

// The desktop as the window manager sees it: top-level surfaces it creates,
// places, stacks and fills with pixels, monitors with work areas, a cursor,
// message boxes, and a stream of input and desktop events coming back.
//
// Public members are non-virtual: they check their arguments once and keep
// the rules every backend shares; backends override the private Do* hooks
// only. The window manager calls a backend from the GUI thread, except Wake,
// which any thread may call.

#include "platform/display/DisplayTypes.h"

#include <functional>
#include <span>
#include <string_view>

namespace display {

class TDisplayBackend {
public:
    using TEventSink = std::function<void(const TDisplayEvent&)>;

    TDisplayBackend() = default;
    TDisplayBackend(const TDisplayBackend&) = delete;
    TDisplayBackend& operator=(const TDisplayBackend&) = delete;
    virtual ~TDisplayBackend() = default;

    // Receives input and desktop events; the window manager installs it.
    void SetEventSink(TEventSink sink) { FSink = std::move(sink); }

    // Never empty; exactly one monitor is primary.
    [[nodiscard]] std::vector<TMonitor> Monitors() const;

    // Returns 0 when the desktop refuses a surface.
    [[nodiscard]] TSurfaceId CreateSurface(const TSurfaceParams& params);
    void DestroySurface(TSurfaceId surface);
    void SetSurfaceBounds(TSurfaceId surface, const TRect& bounds);
    void ShowSurface(TSurfaceId surface, TShowMode mode);
    void SetSurfaceState(TSurfaceId surface, TSurfaceState state);
    void SetSurfaceTopmost(TSurfaceId surface, bool topmost);
    void SetSurfaceInputTransparent(TSurfaceId surface, bool transparent);
    // The stacking order of all surfaces, topmost first.
    void RestackSurfaces(std::span<const TSurfaceId> topToBottom);
    void SetSurfaceTitle(TSurfaceId surface, std::u16string_view title);
    // The visible shape in surface coordinates; an empty span (with hasShape
    // false) makes the surface rectangular again.
    void SetSurfaceShape(TSurfaceId surface, bool hasShape, std::span<const TRect> shape);
    // Constant opacity applied on top of the pixels' own alpha.
    void SetSurfaceOpacity(TSurfaceId surface, std::uint8_t opacity);
    // Shows new pixels. The view covers the whole surface; only the dirty
    // rectangles (surface coordinates, clipped here) need to be read. An
    // empty dirty list means the whole view.
    void PresentSurface(TSurfaceId surface, const TPixelView& pixels, TAlphaMode alphaMode,
                        std::span<const TRect> dirty);
    void ActivateSurface(TSurfaceId surface);
    // Lets the desktop move the surface with the pointer until the button is
    // released; positions come back as dekSurfaceMoved events. False when the
    // desktop cannot do it.
    [[nodiscard]] bool BeginMoveDrag(TSurfaceId surface, TPoint screenPoint);
    void SetCursor(TCursorShape shape);
    [[nodiscard]] TMessageBoxAnswer ShowMessageBox(const TMessageBoxRequest& request);

    // A backend that needs its own event loop run (GTK) is pumped by the GUI
    // thread while it waits for messages; others deliver events as they come.
    [[nodiscard]] bool NeedsPumping() const { return DoNeedsPumping(); }
    // Runs the backend's loop for at most timeoutMs (-1: until woken).
    void PumpEvents(int timeoutMs);
    // Ends a PumpEvents wait early; callable from any thread.
    void Wake() { DoWake(); }

protected:
    // Backends hand their events to the window manager through this.
    void Deliver(const TDisplayEvent& event) const;

private:
    [[nodiscard]] virtual std::vector<TMonitor> DoMonitors() const = 0;
    [[nodiscard]] virtual TSurfaceId DoCreateSurface(const TSurfaceParams& params) = 0;
    virtual void DoDestroySurface(TSurfaceId surface) = 0;
    virtual void DoSetSurfaceBounds(TSurfaceId surface, const TRect& bounds) = 0;
    virtual void DoShowSurface(TSurfaceId surface, TShowMode mode) = 0;
    virtual void DoSetSurfaceState(TSurfaceId surface, TSurfaceState state) = 0;
    virtual void DoSetSurfaceTopmost(TSurfaceId surface, bool topmost) = 0;
    virtual void DoSetSurfaceInputTransparent(TSurfaceId surface, bool transparent) = 0;
    virtual void DoRestackSurfaces(std::span<const TSurfaceId> topToBottom) = 0;
    virtual void DoSetSurfaceTitle(TSurfaceId surface, std::u16string_view title) = 0;
    virtual void DoSetSurfaceShape(TSurfaceId surface, bool hasShape, std::span<const TRect> shape) = 0;
    virtual void DoSetSurfaceOpacity(TSurfaceId surface, std::uint8_t opacity) = 0;
    virtual void DoPresentSurface(TSurfaceId surface, const TPixelView& pixels, TAlphaMode alphaMode,
                                  std::span<const TRect> dirty) = 0;
    virtual void DoActivateSurface(TSurfaceId surface) = 0;
    [[nodiscard]] virtual bool DoBeginMoveDrag(TSurfaceId surface, TPoint screenPoint) = 0;
    virtual void DoSetCursor(TCursorShape shape) = 0;
    [[nodiscard]] virtual TMessageBoxAnswer DoShowMessageBox(const TMessageBoxRequest& request) = 0;
    [[nodiscard]] virtual bool DoNeedsPumping() const = 0;
    virtual void DoPumpEvents(int timeoutMs) = 0;
    virtual void DoWake() = 0;

    TEventSink FSink;
};

} // namespace display

#pragma once

// The real desktop: top-level surfaces as GTK 3 windows on an X11 display.
// GTK must be initialised (see DesktopDisplay.h) and every call but Wake
// made on the thread that initialised it. Events that GTK dispatches are
// gathered and handed to the window manager when the GUI thread pumps, never
// from inside a call the window manager makes (it holds its lock then).

#include "platform/display/DisplayBackend.h"
#include "platform/display/gtk/GtkSurface.h"

#include <functional>
#include <gtk/gtk.h>
#include <map>
#include <memory>
#include <vector>

namespace display {

class TGtkDisplay final : public TDisplayBackend, private TGtkSurfaceHost {
public:
    TGtkDisplay();
    ~TGtkDisplay() override;

    // The GTK desktop in use, if one exists (there is at most one).
    [[nodiscard]] static TGtkDisplay* Current() noexcept;

    // For views embedded into a surface (the browser engine): the surface's
    // window and the layout whose (0, 0) is the surface's top-left corner.
    [[nodiscard]] GtkWindow* SurfaceWindow(TSurfaceId surface) const;
    [[nodiscard]] GtkLayout* SurfaceLayout(TSurfaceId surface) const;

    // Runs before every frame the desktop paints for the surface, so that
    // embedded views follow their host windows; returns an id for removal.
    using TFrameHook = std::function<void()>;
    [[nodiscard]] int AddBeforePaintHook(TSurfaceId surface, TFrameHook hook);
    void RemoveBeforePaintHook(int id);
    // Called after each frame in which a surface showed presented pixels.
    void SetFramePresentedHook(std::function<void(TSurfaceId)> hook) { FFramePresented = std::move(hook); }

    // The server time of the last user input: what asks the desktop for a
    // move drag or activation must carry it.
    [[nodiscard]] std::uint32_t LastInputTime() const noexcept { return FLastInputTime; }

private:
    [[nodiscard]] std::vector<TMonitor> DoMonitors() const override;
    [[nodiscard]] TSurfaceId DoCreateSurface(const TSurfaceParams& params) override;
    void DoDestroySurface(TSurfaceId surface) override;
    void DoSetSurfaceBounds(TSurfaceId surface, const TRect& bounds) override;
    void DoShowSurface(TSurfaceId surface, TShowMode mode) override;
    void DoSetSurfaceState(TSurfaceId surface, TSurfaceState state) override;
    void DoSetSurfaceTopmost(TSurfaceId surface, bool topmost) override;
    void DoSetSurfaceInputTransparent(TSurfaceId surface, bool transparent) override;
    void DoRestackSurfaces(std::span<const TSurfaceId> topToBottom) override;
    void DoSetSurfaceTitle(TSurfaceId surface, std::u16string_view title) override;
    void DoSetSurfaceShape(TSurfaceId surface, bool hasShape, std::span<const TRect> shape) override;
    void DoSetSurfaceOpacity(TSurfaceId surface, std::uint8_t opacity) override;
    void DoPresentSurface(TSurfaceId surface, const TPixelView& pixels, TAlphaMode alphaMode,
                          std::span<const TRect> dirty) override;
    void DoActivateSurface(TSurfaceId surface) override;
    [[nodiscard]] bool DoBeginMoveDrag(TSurfaceId surface, TPoint screenPoint) override;
    void DoSetCursor(TCursorShape shape) override;
    [[nodiscard]] TMessageBoxAnswer DoShowMessageBox(const TMessageBoxRequest& request) override;
    [[nodiscard]] bool DoNeedsPumping() const override { return true; }
    void DoPumpEvents(int timeoutMs) override;
    void DoWake() override;

    // TGtkSurfaceHost
    void SurfaceEvent(const TDisplayEvent& event) override;
    void SurfaceUserInput(std::uint32_t time, unsigned button) override;
    void SurfaceFocusChanged() override;
    void SurfaceBeforePaint(TSurfaceId surface) override;
    void SurfaceAfterPaint(TSurfaceId surface, bool drewPixels) override;
    void SurfaceRealized(TSurfaceId surface) override;

    [[nodiscard]] TGtkSurface* Find(TSurfaceId surface) const;
    // Hands the gathered events to the window manager; true when there were any.
    bool DeliverGathered();
    static gboolean CheckActivation(gpointer self);

    std::map<TSurfaceId, std::unique_ptr<TGtkSurface>> FSurfaces;
    TSurfaceId FNextId = 1;
    std::vector<TSurfaceId> FStacking; // topmost first, as last applied
    std::vector<TDisplayEvent> FGathered;
    GdkCursor* FCursor = nullptr;
    TCursorShape FCursorShape = csArrow;
    std::uint32_t FLastInputTime = 0;
    unsigned FLastButton = 1;
    TSurfaceId FActive = 0;          // active as the desktop last said
    TSurfaceId FRequestedActive = 0; // active as we last asked
    gint64 FActivationPendingUntil = 0;
    guint FActivationCheck = 0;
    struct THookEntry {
        int Id;
        TSurfaceId Surface;
        TFrameHook Hook;
    };
    std::vector<THookEntry> FBeforePaintHooks;
    int FNextHookId = 1;
    std::function<void(TSurfaceId)> FFramePresented;
};

} // namespace display

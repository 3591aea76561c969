#pragma once

// The desktop kept in memory, for tests and for running without a display:
// a virtual screen made of configurable monitors (one 1920 x 1080 monitor by
// default) on which the presented surfaces are composed in stacking order,
// with their shapes, per-pixel alpha and opacity. Tests read or save the
// composed screen, inject mouse and keyboard input, and choose the button
// that message boxes answer with.

#include "platform/display/DisplayBackend.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace display {

// A composed screen: premultiplied BGRA, covering the bounding box of all
// monitors; Origin is the virtual-screen position of pixel (0, 0).
struct TScreenImage {
    TPoint Origin;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;

    // 0 outside the image.
    [[nodiscard]] std::uint32_t PixelAt(int screenX, int screenY) const noexcept;
};

class THeadlessDisplay final : public TDisplayBackend {
public:
    THeadlessDisplay();

    // --- the virtual screen
    void SetMonitors(std::vector<TMonitor> monitors);
    // What shows where no surface covers the screen (opaque BGRA).
    void SetDesktopColor(std::uint32_t bgra) { FDesktopColor = bgra | 0xFF000000u; }
    [[nodiscard]] TScreenImage ComposeScreen() const;
    // Writes the composed screen as a PNG file; false when it cannot be written.
    [[nodiscard]] bool SaveScreen(const std::string& path) const;

    // --- what the window manager asked for
    struct TSurfaceInfo {
        TSurfaceParams Params;
        bool Visible = false;
        TSurfaceState State = ssNormal;
        std::uint8_t Opacity = 255;
        bool HasShape = false;
        std::vector<TRect> Shape;
        TAlphaMode AlphaMode = amOpaque;
        int PresentCount = 0;
        std::u16string Title;
    };
    [[nodiscard]] std::optional<TSurfaceInfo> SurfaceInfo(TSurfaceId surface) const;
    [[nodiscard]] std::vector<TSurfaceId> StackingOrder() const; // topmost first
    [[nodiscard]] TSurfaceId ActiveSurface() const { return FActive; }
    [[nodiscard]] TCursorShape Cursor() const { return FCursor; }

    // --- input, as if from the user; delivered at once to the event sink
    void InjectMouseMove(int screenX, int screenY);
    void InjectMouseButton(TMouseButton button, bool down);
    void InjectMouseWheel(int delta, bool horizontal = false);
    void InjectKey(std::uint16_t virtualKey, bool down, std::uint16_t scanCode = 0, bool extended = false);
    void InjectChar(char16_t ch);
    [[nodiscard]] TPoint PointerPosition() const { return FPointer; }
    [[nodiscard]] bool MoveDragActive() const { return FDrag.Surface != 0; }

    // --- the desktop acting on its own
    // Another application (surface 0) or one of ours becomes active.
    void SimulateActivation(TSurfaceId surface);
    void SimulateCloseRequest(TSurfaceId surface);

    // --- message boxes
    void SetMessageBoxAnswer(TMessageBoxAnswer answer) { FAnswer = answer; }
    [[nodiscard]] const std::vector<TMessageBoxRequest>& MessageBoxes() const { return FMessageBoxes; }

private:
    struct TSurface {
        TSurfaceInfo Info;
        int Width = 0;
        int Height = 0;
        std::vector<std::uint32_t> Pixels;
    };
    struct TMoveDrag {
        TSurfaceId Surface = 0;
        TPoint Start;
        TRect StartBounds;
    };

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
    [[nodiscard]] bool DoNeedsPumping() const override { return false; }
    void DoPumpEvents(int timeoutMs) override;
    void DoWake() override;

    [[nodiscard]] TSurface* Find(TSurfaceId surface);
    void ComposeSurface(const TSurface& s, TScreenImage& screen) const;
    void MoveDragTo(TPoint p);

    std::vector<TMonitor> FMonitors;
    std::map<TSurfaceId, TSurface> FSurfaces;
    std::vector<TSurfaceId> FOrder; // topmost first
    TSurfaceId FNextId = 1;
    TSurfaceId FActive = 0;
    std::uint32_t FDesktopColor = 0xFF000000u;
    TCursorShape FCursor = csArrow;
    TPoint FPointer;
    TMoveDrag FDrag;
    TMessageBoxAnswer FAnswer = mbaNone;
    std::vector<TMessageBoxRequest> FMessageBoxes;

    // PumpEvents only waits for Wake: there is no event source of its own.
    std::mutex FWakeLock;
    std::condition_variable FWakeCond;
    bool FWoken = false;
};

} // namespace display

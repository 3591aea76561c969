#include "platform/display/DisplayBackend.h"

#include <algorithm>

namespace display {

std::vector<TMessageBoxAnswer> MessageBoxAnswers(TMessageBoxButtons buttons) {
    switch (buttons) {
    case mbbOk:
        return {mbaOk};
    case mbbOkCancel:
        return {mbaOk, mbaCancel};
    case mbbAbortRetryIgnore:
        return {mbaAbort, mbaRetry, mbaIgnore};
    case mbbYesNoCancel:
        return {mbaYes, mbaNo, mbaCancel};
    case mbbYesNo:
        return {mbaYes, mbaNo};
    case mbbRetryCancel:
        return {mbaRetry, mbaCancel};
    case mbbCancelTryContinue:
        return {mbaCancel, mbaTryAgain, mbaContinue};
    }
    return {mbaOk};
}

namespace {

// A monitor list the window manager can rely on: never empty, one primary,
// work areas inside their monitors.
std::vector<TMonitor> NormalisedMonitors(std::vector<TMonitor> monitors) {
    std::erase_if(monitors, [](const TMonitor& m) { return m.Bounds.IsEmpty(); });
    if (monitors.empty())
        monitors.push_back({{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, true, u"DISPLAY1"});
    bool seenPrimary = false;
    for (TMonitor& m : monitors) {
        m.Primary = m.Primary && !seenPrimary;
        seenPrimary = seenPrimary || m.Primary;
        TRect& w = m.WorkArea;
        w.Left = std::clamp(w.Left, m.Bounds.Left, m.Bounds.Right);
        w.Right = std::clamp(w.Right, w.Left, m.Bounds.Right);
        w.Top = std::clamp(w.Top, m.Bounds.Top, m.Bounds.Bottom);
        w.Bottom = std::clamp(w.Bottom, w.Top, m.Bounds.Bottom);
        if (w.IsEmpty())
            w = m.Bounds;
    }
    if (!seenPrimary)
        monitors.front().Primary = true;
    return monitors;
}

TRect ClippedRect(const TRect& r, int width, int height) {
    return {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, width), std::min(r.Bottom, height)};
}

} // namespace

std::vector<TMonitor> TDisplayBackend::Monitors() const {
    return NormalisedMonitors(DoMonitors());
}

TSurfaceId TDisplayBackend::CreateSurface(const TSurfaceParams& params) {
    TSurfaceParams p = params;
    p.Bounds.Right = std::max(p.Bounds.Right, p.Bounds.Left);
    p.Bounds.Bottom = std::max(p.Bounds.Bottom, p.Bounds.Top);
    return DoCreateSurface(p);
}

void TDisplayBackend::DestroySurface(TSurfaceId surface) {
    if (surface != 0)
        DoDestroySurface(surface);
}

void TDisplayBackend::SetSurfaceBounds(TSurfaceId surface, const TRect& bounds) {
    if (surface == 0)
        return;
    TRect b = bounds;
    b.Right = std::max(b.Right, b.Left);
    b.Bottom = std::max(b.Bottom, b.Top);
    DoSetSurfaceBounds(surface, b);
}

void TDisplayBackend::ShowSurface(TSurfaceId surface, TShowMode mode) {
    if (surface != 0)
        DoShowSurface(surface, mode);
}

void TDisplayBackend::SetSurfaceState(TSurfaceId surface, TSurfaceState state) {
    if (surface != 0)
        DoSetSurfaceState(surface, state);
}

void TDisplayBackend::SetSurfaceTopmost(TSurfaceId surface, bool topmost) {
    if (surface != 0)
        DoSetSurfaceTopmost(surface, topmost);
}

void TDisplayBackend::SetSurfaceInputTransparent(TSurfaceId surface, bool transparent) {
    if (surface != 0)
        DoSetSurfaceInputTransparent(surface, transparent);
}

void TDisplayBackend::RestackSurfaces(std::span<const TSurfaceId> topToBottom) {
    DoRestackSurfaces(topToBottom);
}

void TDisplayBackend::SetSurfaceTitle(TSurfaceId surface, std::u16string_view title) {
    if (surface != 0)
        DoSetSurfaceTitle(surface, title);
}

void TDisplayBackend::SetSurfaceShape(TSurfaceId surface, bool hasShape, std::span<const TRect> shape) {
    if (surface != 0)
        DoSetSurfaceShape(surface, hasShape, hasShape ? shape : std::span<const TRect>{});
}

void TDisplayBackend::SetSurfaceOpacity(TSurfaceId surface, std::uint8_t opacity) {
    if (surface != 0)
        DoSetSurfaceOpacity(surface, opacity);
}

void TDisplayBackend::PresentSurface(TSurfaceId surface, const TPixelView& pixels, TAlphaMode alphaMode,
                                     std::span<const TRect> dirty) {
    if (surface == 0 || pixels.Width < 0 || pixels.Height < 0 || pixels.Stride < pixels.Width)
        return;
    if (pixels.Bits == nullptr && pixels.Width > 0 && pixels.Height > 0)
        return;
    std::vector<TRect> clipped;
    clipped.reserve(dirty.size());
    for (const TRect& r : dirty) {
        const TRect c = ClippedRect(r, pixels.Width, pixels.Height);
        if (!c.IsEmpty())
            clipped.push_back(c);
    }
    if (clipped.empty()) {
        if (!dirty.empty())
            return; // every dirty rectangle lay outside the surface
        clipped.push_back({0, 0, pixels.Width, pixels.Height});
    }
    DoPresentSurface(surface, pixels, alphaMode, clipped);
}

void TDisplayBackend::ActivateSurface(TSurfaceId surface) {
    DoActivateSurface(surface);
}

bool TDisplayBackend::BeginMoveDrag(TSurfaceId surface, TPoint screenPoint) {
    return surface != 0 && DoBeginMoveDrag(surface, screenPoint);
}

void TDisplayBackend::SetCursor(TCursorShape shape) {
    DoSetCursor(shape);
}

TMessageBoxAnswer TDisplayBackend::ShowMessageBox(const TMessageBoxRequest& request) {
    const std::vector<TMessageBoxAnswer> answers = MessageBoxAnswers(request.Buttons);
    TMessageBoxRequest r = request;
    if (r.DefaultButton < 0 || r.DefaultButton >= static_cast<int>(answers.size()))
        r.DefaultButton = 0;
    const TMessageBoxAnswer answer = DoShowMessageBox(r);
    // A box can only answer with one of its own buttons; closing it counts as
    // Cancel where there is one, else as its only button.
    if (std::find(answers.begin(), answers.end(), answer) != answers.end())
        return answer;
    if (std::find(answers.begin(), answers.end(), mbaCancel) != answers.end())
        return mbaCancel;
    return answers.size() == 1 ? answers.front() : mbaNone;
}

void TDisplayBackend::PumpEvents(int timeoutMs) {
    DoPumpEvents(std::max(timeoutMs, -1));
}

void TDisplayBackend::Deliver(const TDisplayEvent& event) const {
    if (FSink)
        FSink(event);
}

} // namespace display

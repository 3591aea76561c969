#include "platform/display/HeadlessDisplay.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <zlib.h>

namespace display {

namespace {

// x * y / 255, rounded, for bytes.
inline std::uint32_t MulDiv255(std::uint32_t x, std::uint32_t y) {
    const std::uint32_t t = x * y + 128;
    return (t + (t >> 8)) >> 8;
}

// Premultiplied source over destination: d = s + d * (255 - sa) / 255, per channel.
inline std::uint32_t BlendOver(std::uint32_t s, std::uint32_t d) {
    const std::uint32_t inv = 255 - (s >> 24);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t c = ((s >> shift) & 0xFF) + MulDiv255((d >> shift) & 0xFF, inv);
        out |= std::min<std::uint32_t>(c, 255) << shift;
    }
    return out;
}

inline std::uint32_t ScaleAll(std::uint32_t p, std::uint32_t opacity) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= MulDiv255((p >> shift) & 0xFF, opacity) << shift;
    return out;
}

TRect Intersect(const TRect& a, const TRect& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
}

TRect BoundingBox(const std::vector<TMonitor>& monitors) {
    TRect box = monitors.front().Bounds;
    for (const TMonitor& m : monitors) {
        box.Left = std::min(box.Left, m.Bounds.Left);
        box.Top = std::min(box.Top, m.Bounds.Top);
        box.Right = std::max(box.Right, m.Bounds.Right);
        box.Bottom = std::max(box.Bottom, m.Bounds.Bottom);
    }
    return box;
}

void AppendBigEndian(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

void AppendChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
    AppendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0, out.data() + typeAt, static_cast<uInt>(data.size() + 4));
    AppendBigEndian(out, static_cast<std::uint32_t>(crc));
}

// An RGBA PNG of a premultiplied BGRA image (colour channels restored to straight alpha).
bool WritePng(const std::string& path, const TScreenImage& image) {
    if (image.Width <= 0 || image.Height <= 0)
        return false;
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<std::size_t>(image.Height) * (image.Width * 4 + 1));
    for (int y = 0; y < image.Height; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < image.Width; ++x) {
            const std::uint32_t p = image.Pixels[static_cast<std::size_t>(y) * image.Width + x];
            const std::uint32_t a = p >> 24;
            auto straight = [a](std::uint32_t c) {
                return static_cast<unsigned char>(
                    a == 0 ? 0 : std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
            };
            raw.push_back(straight((p >> 16) & 0xFF));
            raw.push_back(straight((p >> 8) & 0xFF));
            raw.push_back(straight(p & 0xFF));
            raw.push_back(static_cast<unsigned char>(a));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    AppendBigEndian(header, static_cast<std::uint32_t>(image.Width));
    AppendBigEndian(header, static_cast<std::uint32_t>(image.Height));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter set, no interlace
    AppendChunk(file, "IHDR", header);
    AppendChunk(file, "IDAT", packed);
    AppendChunk(file, "IEND", {});

    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!f)
        return false;
    return std::fwrite(file.data(), 1, file.size(), f.get()) == file.size();
}

} // namespace

std::uint32_t TScreenImage::PixelAt(int screenX, int screenY) const noexcept {
    const int x = screenX - Origin.X;
    const int y = screenY - Origin.Y;
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return 0;
    return Pixels[static_cast<std::size_t>(y) * Width + x];
}

THeadlessDisplay::THeadlessDisplay() {
    FMonitors.push_back({{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, true, u"DISPLAY1"});
}

void THeadlessDisplay::SetMonitors(std::vector<TMonitor> monitors) {
    FMonitors = std::move(monitors);
}

std::vector<TMonitor> THeadlessDisplay::DoMonitors() const {
    return FMonitors;
}

THeadlessDisplay::TSurface* THeadlessDisplay::Find(TSurfaceId surface) {
    auto it = FSurfaces.find(surface);
    return it == FSurfaces.end() ? nullptr : &it->second;
}

std::optional<THeadlessDisplay::TSurfaceInfo> THeadlessDisplay::SurfaceInfo(TSurfaceId surface) const {
    auto it = FSurfaces.find(surface);
    if (it == FSurfaces.end())
        return std::nullopt;
    return it->second.Info;
}

std::vector<TSurfaceId> THeadlessDisplay::StackingOrder() const {
    return FOrder;
}

TSurfaceId THeadlessDisplay::DoCreateSurface(const TSurfaceParams& params) {
    const TSurfaceId id = FNextId++;
    TSurface& s = FSurfaces[id];
    s.Info.Params = params;
    FOrder.insert(FOrder.begin(), id);
    return id;
}

void THeadlessDisplay::DoDestroySurface(TSurfaceId surface) {
    FSurfaces.erase(surface);
    std::erase(FOrder, surface);
    if (FActive == surface)
        FActive = 0;
    if (FDrag.Surface == surface)
        FDrag = {};
}

void THeadlessDisplay::DoSetSurfaceBounds(TSurfaceId surface, const TRect& bounds) {
    if (TSurface* s = Find(surface))
        s->Info.Params.Bounds = bounds;
}

void THeadlessDisplay::DoShowSurface(TSurfaceId surface, TShowMode mode) {
    if (TSurface* s = Find(surface)) {
        s->Info.Visible = mode != smHide;
        if (mode == smShow && !s->Info.Params.NoActivate)
            FActive = surface;
        if (mode == smHide && FActive == surface)
            FActive = 0;
    }
}

void THeadlessDisplay::DoSetSurfaceState(TSurfaceId surface, TSurfaceState state) {
    if (TSurface* s = Find(surface))
        s->Info.State = state;
}

void THeadlessDisplay::DoSetSurfaceTopmost(TSurfaceId surface, bool topmost) {
    if (TSurface* s = Find(surface))
        s->Info.Params.Topmost = topmost;
}

void THeadlessDisplay::DoSetSurfaceInputTransparent(TSurfaceId surface, bool transparent) {
    if (TSurface* s = Find(surface))
        s->Info.Params.InputTransparent = transparent;
}

void THeadlessDisplay::DoRestackSurfaces(std::span<const TSurfaceId> topToBottom) {
    // Surfaces the list does not name keep their relative order below it.
    std::vector<TSurfaceId> order;
    for (TSurfaceId id : topToBottom)
        if (FSurfaces.contains(id) && std::find(order.begin(), order.end(), id) == order.end())
            order.push_back(id);
    for (TSurfaceId id : FOrder)
        if (std::find(order.begin(), order.end(), id) == order.end())
            order.push_back(id);
    FOrder = std::move(order);
}

void THeadlessDisplay::DoSetSurfaceTitle(TSurfaceId surface, std::u16string_view title) {
    if (TSurface* s = Find(surface))
        s->Info.Title = std::u16string(title);
}

void THeadlessDisplay::DoSetSurfaceShape(TSurfaceId surface, bool hasShape, std::span<const TRect> shape) {
    if (TSurface* s = Find(surface)) {
        s->Info.HasShape = hasShape;
        s->Info.Shape.assign(shape.begin(), shape.end());
    }
}

void THeadlessDisplay::DoSetSurfaceOpacity(TSurfaceId surface, std::uint8_t opacity) {
    if (TSurface* s = Find(surface))
        s->Info.Opacity = opacity;
}

void THeadlessDisplay::DoPresentSurface(TSurfaceId surface, const TPixelView& pixels, TAlphaMode alphaMode,
                                        std::span<const TRect> dirty) {
    TSurface* s = Find(surface);
    if (!s)
        return;
    const bool resized = s->Width != pixels.Width || s->Height != pixels.Height;
    if (resized) {
        s->Width = pixels.Width;
        s->Height = pixels.Height;
        s->Pixels.assign(static_cast<std::size_t>(pixels.Width) * pixels.Height, 0);
    }
    const TRect whole{0, 0, pixels.Width, pixels.Height};
    const std::span<const TRect> rects = resized ? std::span<const TRect>(&whole, 1) : dirty;
    for (const TRect& r : rects)
        for (int y = r.Top; y < r.Bottom; ++y)
            std::copy_n(pixels.Bits + static_cast<std::size_t>(y) * pixels.Stride + r.Left, r.Width(),
                        s->Pixels.begin() + static_cast<std::ptrdiff_t>(y) * s->Width + r.Left);
    s->Info.AlphaMode = alphaMode;
    ++s->Info.PresentCount;
}

void THeadlessDisplay::DoActivateSurface(TSurfaceId surface) {
    if (surface == 0 || FSurfaces.contains(surface))
        FActive = surface;
}

bool THeadlessDisplay::DoBeginMoveDrag(TSurfaceId surface, TPoint screenPoint) {
    TSurface* s = Find(surface);
    if (!s)
        return false;
    FDrag = {surface, screenPoint, s->Info.Params.Bounds};
    return true;
}

void THeadlessDisplay::DoSetCursor(TCursorShape shape) {
    FCursor = shape;
}

TMessageBoxAnswer THeadlessDisplay::DoShowMessageBox(const TMessageBoxRequest& request) {
    FMessageBoxes.push_back(request);
    if (FAnswer != mbaNone)
        return FAnswer;
    return MessageBoxAnswers(request.Buttons)[static_cast<std::size_t>(request.DefaultButton)];
}

void THeadlessDisplay::DoPumpEvents(int timeoutMs) {
    std::unique_lock lock(FWakeLock);
    if (timeoutMs < 0)
        FWakeCond.wait(lock, [this] { return FWoken; });
    else
        FWakeCond.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return FWoken; });
    FWoken = false;
}

void THeadlessDisplay::DoWake() {
    {
        std::lock_guard lock(FWakeLock);
        FWoken = true;
    }
    FWakeCond.notify_all();
}

// --- input

void THeadlessDisplay::MoveDragTo(TPoint p) {
    TSurface* s = Find(FDrag.Surface);
    if (!s)
        return;
    TRect b = FDrag.StartBounds;
    const int dx = p.X - FDrag.Start.X;
    const int dy = p.Y - FDrag.Start.Y;
    b = {b.Left + dx, b.Top + dy, b.Right + dx, b.Bottom + dy};
    s->Info.Params.Bounds = b;
    TDisplayEvent e;
    e.Kind = dekSurfaceMoved;
    e.Surface = FDrag.Surface;
    e.Bounds = b;
    Deliver(e);
}

void THeadlessDisplay::InjectMouseMove(int screenX, int screenY) {
    FPointer = {screenX, screenY};
    // While the desktop drags a surface the pointer belongs to the drag.
    if (FDrag.Surface != 0) {
        MoveDragTo(FPointer);
        return;
    }
    TDisplayEvent e;
    e.Kind = dekMouseMove;
    e.Position = FPointer;
    Deliver(e);
}

void THeadlessDisplay::InjectMouseButton(TMouseButton button, bool down) {
    if (FDrag.Surface != 0) {
        if (!down && button == mbLeft)
            FDrag = {};
        return;
    }
    TDisplayEvent e;
    e.Kind = dekMouseButton;
    e.Position = FPointer;
    e.Button = button;
    e.Down = down;
    Deliver(e);
}

void THeadlessDisplay::InjectMouseWheel(int delta, bool horizontal) {
    TDisplayEvent e;
    e.Kind = dekMouseWheel;
    e.Position = FPointer;
    e.Delta = delta;
    e.Horizontal = horizontal;
    Deliver(e);
}

void THeadlessDisplay::InjectKey(std::uint16_t virtualKey, bool down, std::uint16_t scanCode, bool extended) {
    TDisplayEvent e;
    e.Kind = dekKey;
    e.VirtualKey = virtualKey;
    e.ScanCode = scanCode;
    e.Down = down;
    e.Extended = extended;
    Deliver(e);
}

void THeadlessDisplay::InjectChar(char16_t ch) {
    TDisplayEvent e;
    e.Kind = dekChar;
    e.Char = ch;
    Deliver(e);
}

void THeadlessDisplay::SimulateActivation(TSurfaceId surface) {
    if (surface != 0 && !FSurfaces.contains(surface))
        return;
    FActive = surface;
    TDisplayEvent e;
    e.Kind = dekActivated;
    e.Surface = surface;
    Deliver(e);
}

void THeadlessDisplay::SimulateCloseRequest(TSurfaceId surface) {
    if (!FSurfaces.contains(surface))
        return;
    TDisplayEvent e;
    e.Kind = dekCloseRequest;
    e.Surface = surface;
    Deliver(e);
}

// --- composition

void THeadlessDisplay::ComposeSurface(const TSurface& s, TScreenImage& screen) const {
    const TSurfaceInfo& info = s.Info;
    const TRect bounds = info.Params.Bounds;
    const TRect presented{bounds.Left, bounds.Top, bounds.Left + std::min(s.Width, bounds.Width()),
                          bounds.Top + std::min(s.Height, bounds.Height())};
    const TRect screenRect{screen.Origin.X, screen.Origin.Y, screen.Origin.X + screen.Width,
                           screen.Origin.Y + screen.Height};
    const TRect area = Intersect(presented, screenRect);
    if (area.IsEmpty())
        return;
    // The shape as a mask, so that overlapping shape rectangles count once.
    std::vector<std::uint8_t> mask;
    if (info.HasShape) {
        mask.assign(static_cast<std::size_t>(s.Width) * s.Height, 0);
        for (const TRect& r : info.Shape) {
            const TRect c = Intersect(r, {0, 0, s.Width, s.Height});
            for (int y = c.Top; y < c.Bottom; ++y)
                std::fill_n(mask.begin() + static_cast<std::ptrdiff_t>(y) * s.Width + c.Left,
                            std::max(c.Width(), 0), 1);
        }
    }
    const std::uint32_t opacity = info.Opacity;
    for (int y = area.Top; y < area.Bottom; ++y) {
        const int sy = y - bounds.Top;
        const std::uint32_t* src = s.Pixels.data() + static_cast<std::size_t>(sy) * s.Width;
        std::uint32_t* dst =
            screen.Pixels.data() + static_cast<std::size_t>(y - screen.Origin.Y) * screen.Width;
        for (int x = area.Left; x < area.Right; ++x) {
            const int sx = x - bounds.Left;
            if (!mask.empty() && !mask[static_cast<std::size_t>(sy) * s.Width + sx])
                continue;
            std::uint32_t p = src[sx];
            if (info.AlphaMode == amOpaque)
                p |= 0xFF000000u;
            if (opacity != 255)
                p = ScaleAll(p, opacity);
            std::uint32_t& d = dst[x - screen.Origin.X];
            d = BlendOver(p, d);
        }
    }
}

TScreenImage THeadlessDisplay::ComposeScreen() const {
    const TRect box = BoundingBox(Monitors());
    TScreenImage screen;
    screen.Origin = {box.Left, box.Top};
    screen.Width = box.Width();
    screen.Height = box.Height();
    screen.Pixels.assign(static_cast<std::size_t>(screen.Width) * screen.Height, FDesktopColor);
    for (auto it = FOrder.rbegin(); it != FOrder.rend(); ++it) {
        const TSurface& s = FSurfaces.at(*it);
        if (s.Info.Visible && s.Info.State != ssMinimized)
            ComposeSurface(s, screen);
    }
    return screen;
}

bool THeadlessDisplay::SaveScreen(const std::string& path) const {
    return WritePng(path, ComposeScreen());
}

} // namespace display

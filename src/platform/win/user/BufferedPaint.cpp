#include "platform/win/user/BufferedPaint.h"

#include "platform/win/gdi/GdiExports.h"
#include "platform/win/user/WindowManager_p.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace win {

namespace {

struct TPaintBuffer {
    HDC Target = nullptr;
    RECT TargetRect{};
    HDC Dc = nullptr;
    HBITMAP Bitmap = nullptr;
    HGDIOBJ OldBitmap = nullptr;
    std::uint32_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    std::optional<BLENDFUNCTION> Blend;
};

// Paint buffers are looked up by handle, so a finished or forged one is refused.
std::mutex gBuffersLock;
std::map<HPAINTBUFFER, std::unique_ptr<TPaintBuffer>> gBuffers;

TPaintBuffer* FindBuffer(HPAINTBUFFER handle) {
    auto it = gBuffers.find(handle);
    return it == gBuffers.end() ? nullptr : it->second.get();
}

// The part of `rect` (target coordinates; nullptr: all) inside the buffer, in buffer pixels.
RECT BufferArea(const TPaintBuffer& b, const RECT* rect) {
    RECT r = rect ? *rect : b.TargetRect;
    r = {r.left - b.TargetRect.left, r.top - b.TargetRect.top, r.right - b.TargetRect.left,
         r.bottom - b.TargetRect.top};
    return {std::clamp<LONG>(r.left, 0, b.Width), std::clamp<LONG>(r.top, 0, b.Height),
            std::clamp<LONG>(r.right, 0, b.Width), std::clamp<LONG>(r.bottom, 0, b.Height)};
}

template <typename F>
HRESULT ForEachPixel(HPAINTBUFFER handle, const RECT* rect, F f) {
    std::lock_guard lock(gBuffersLock);
    TPaintBuffer* b = FindBuffer(handle);
    if (!b)
        return E_INVALIDARG;
    direct::GdiFlush();
    const RECT r = BufferArea(*b, rect);
    for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x)
            f(b->Bits[static_cast<std::size_t>(y) * b->Width + x]);
    return S_OK;
}

} // namespace

HRESULT BufferedPaintInit() {
    return S_OK;
}
HRESULT BufferedPaintUnInit() {
    return S_OK;
}

HPAINTBUFFER BeginBufferedPaint(HDC dcTarget, const RECT* target, BP_BUFFERFORMAT format,
                                BP_PAINTPARAMS* params, HDC* dcPaint) {
    if (dcPaint)
        *dcPaint = nullptr;
    if (!dcTarget || !target || !dcPaint || format == BPBF_TOPDOWNMONODIB)
        return nullptr;
    if (params && params->cbSize != sizeof(BP_PAINTPARAMS))
        return nullptr;
    auto b = std::make_unique<TPaintBuffer>();
    b->Target = dcTarget;
    b->TargetRect = *target;
    b->Width = target->right - target->left;
    b->Height = target->bottom - target->top;
    // Buffers larger than the largest surface GDI draws are refused.
    if (b->Width <= 0 || b->Height <= 0 || b->Width > 32767 || b->Height > 32767)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = b->Width;
    info.bmiHeader.biHeight = -b->Height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    b->Bitmap = direct::CreateDIBSection(dcTarget, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!b->Bitmap)
        return nullptr;
    b->Bits = static_cast<std::uint32_t*>(bits);
    b->Dc = direct::CreateCompatibleDC(dcTarget);
    if (!b->Dc) {
        direct::DeleteObject(b->Bitmap);
        return nullptr;
    }
    b->OldBitmap = direct::SelectObject(b->Dc, b->Bitmap);
    // The buffer draws in the target's coordinates.
    direct::SetWindowOrgEx(b->Dc, target->left, target->top, nullptr);
    std::fill_n(b->Bits, static_cast<std::size_t>(b->Width) * b->Height, 0u);
    if (params && params->pBlendFunction)
        b->Blend = *params->pBlendFunction;
    *dcPaint = b->Dc;
    std::lock_guard lock(gBuffersLock);
    const HPAINTBUFFER handle = reinterpret_cast<HPAINTBUFFER>(b.get());
    gBuffers.emplace(handle, std::move(b));
    return handle;
}

HRESULT EndBufferedPaint(HPAINTBUFFER handle, BOOL updateTarget) {
    std::unique_ptr<TPaintBuffer> b;
    {
        std::lock_guard lock(gBuffersLock);
        auto it = gBuffers.find(handle);
        if (it == gBuffers.end())
            return E_INVALIDARG;
        b = std::move(it->second);
        gBuffers.erase(it);
    }
    const RECT& r = b->TargetRect;
    if (updateTarget) {
        if (b->Blend)
            direct::AlphaBlend(b->Target, r.left, r.top, b->Width, b->Height, b->Dc, r.left, r.top, b->Width,
                               b->Height, *b->Blend);
        else
            direct::BitBlt(b->Target, r.left, r.top, b->Width, b->Height, b->Dc, r.left, r.top, SRCCOPY);
    }
    direct::SelectObject(b->Dc, b->OldBitmap);
    direct::DeleteDC(b->Dc);
    direct::DeleteObject(b->Bitmap);
    return S_OK;
}

HRESULT BufferedPaintSetAlpha(HPAINTBUFFER buffer, const RECT* rect, BYTE alpha) {
    const std::uint32_t a = static_cast<std::uint32_t>(alpha) << 24;
    return ForEachPixel(buffer, rect, [a](std::uint32_t& p) { p = (p & 0x00FFFFFFu) | a; });
}

HRESULT BufferedPaintClear(HPAINTBUFFER buffer, const RECT* rect) {
    return ForEachPixel(buffer, rect, [](std::uint32_t& p) { p = 0; });
}

HRESULT GetBufferedPaintBits(HPAINTBUFFER buffer, RGBQUAD** bits, int* rowWidth) {
    if (!bits || !rowWidth)
        return E_POINTER;
    std::lock_guard lock(gBuffersLock);
    TPaintBuffer* b = FindBuffer(buffer);
    if (!b)
        return E_INVALIDARG;
    direct::GdiFlush();
    *bits = reinterpret_cast<RGBQUAD*>(b->Bits);
    *rowWidth = b->Width;
    return S_OK;
}

HDC GetBufferedPaintDC(HPAINTBUFFER buffer) {
    std::lock_guard lock(gBuffersLock);
    TPaintBuffer* b = FindBuffer(buffer);
    return b ? b->Dc : nullptr;
}

HRESULT GetBufferedPaintTargetRect(HPAINTBUFFER buffer, RECT* rect) {
    if (!rect)
        return E_POINTER;
    std::lock_guard lock(gBuffersLock);
    TPaintBuffer* b = FindBuffer(buffer);
    if (!b)
        return E_INVALIDARG;
    *rect = b->TargetRect;
    return S_OK;
}

HRESULT DwmIsCompositionEnabled(BOOL* enabled) {
    if (!enabled)
        return E_INVALIDARG;
    auto lock = Wm().Lock();
    *enabled = Wm().CompositionEnabled ? 1 : 0;
    return S_OK;
}

} // namespace win

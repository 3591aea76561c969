#pragma once

// Buffered painting of the theme library and the desktop compositor's
// state: painting into an off-screen 32-bit buffer that is copied to its
// target when the paint ends.

#include "platform/win/gdi/GdiTypes.h"
#include "platform/win/user/UserTypes.h"

namespace win {

WIN_DECLARE_HANDLE(HPAINTBUFFER);

enum BP_BUFFERFORMAT {
    BPBF_COMPATIBLEBITMAP = 0,
    BPBF_DIB = 1,
    BPBF_TOPDOWNDIB = 2,
    BPBF_TOPDOWNMONODIB = 3
};

constexpr DWORD BPPF_ERASE = 0x0001;
constexpr DWORD BPPF_NOCLIP = 0x0002;
constexpr DWORD BPPF_NONCLIENT = 0x0004;

struct BP_PAINTPARAMS {
    DWORD cbSize;
    DWORD dwFlags;
    const RECT* prcExclude;
    const BLENDFUNCTION* pBlendFunction;
};

HRESULT BufferedPaintInit();
HRESULT BufferedPaintUnInit();
// The buffer covers `target` (logical coordinates of dcTarget) and draws in
// the same coordinates; *dcPaint receives its DC.
HPAINTBUFFER BeginBufferedPaint(HDC dcTarget, const RECT* target, BP_BUFFERFORMAT format,
                                BP_PAINTPARAMS* params, HDC* dcPaint);
HRESULT EndBufferedPaint(HPAINTBUFFER buffer, BOOL updateTarget);
// Sets the alpha byte of every pixel of `rect` (nullptr: the whole buffer).
HRESULT BufferedPaintSetAlpha(HPAINTBUFFER buffer, const RECT* rect, BYTE alpha);
HRESULT BufferedPaintClear(HPAINTBUFFER buffer, const RECT* rect);
HRESULT GetBufferedPaintBits(HPAINTBUFFER buffer, RGBQUAD** bits, int* rowWidth);
HDC GetBufferedPaintDC(HPAINTBUFFER buffer);
HRESULT GetBufferedPaintTargetRect(HPAINTBUFFER buffer, RECT* rect);

// Desktop composition; tests switch it off.
HRESULT DwmIsCompositionEnabled(BOOL* enabled);

} // namespace win

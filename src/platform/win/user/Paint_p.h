#pragma once

// Painting internals: update regions, window surfaces and presenting them.

#include "platform/win/user/WindowManager_p.h"

namespace win {

// How an invalidation spreads (flags of InvalidateRegionLocked).
constexpr unsigned kInvalidateErase = 1;
constexpr unsigned kInvalidateFrame = 2;
constexpr unsigned kInvalidateAllChildren = 4;
constexpr unsigned kInvalidateNoChildren = 8;
constexpr unsigned kInvalidateInternal = 16;

// Adds an area (client coordinates) to the update region of a window and,
// as RedrawWindow does, of its children (lock held).
void InvalidateRegionLocked(TWnd& w, const Region& area, unsigned flags);
void InvalidateAreaLocked(TWnd& w, const RECT& area, unsigned flags);
void InvalidateWholeLocked(TWnd& w, unsigned flags);

// The first window of the thread that waits for WM_PAINT (lock held).
HWND PaintPendingWindowLocked(DWORD threadId, HWND filter);

// Gives a top-level window pixels of its current size, keeping what fits (lock held).
void ResizeSurfaceLocked(TWnd& w);

// For per-pixel layered windows: is the pixel at a window point fully
// transparent (so the mouse passes through it)? (lock held)
bool LayeredPixelTransparentLocked(const TWnd& w, POINT windowPoint);

// The default handling of WM_ERASEBKGND, WM_PRINT and WM_PAINT (no lock held).
LRESULT DefEraseBackground(HWND hwnd, HDC dc);
LRESULT DefPrint(HWND hwnd, HDC dc, LPARAM flags);
void DefPaint(HWND hwnd);

} // namespace win

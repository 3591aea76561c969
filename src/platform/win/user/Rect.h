#pragma once

// The rectangle and point helpers of the window manager. Right and bottom
// edges are exclusive; a rectangle with no area is empty.

#include "platform/win/WinTypes.h"

namespace win {

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(LPRECT rect);
BOOL CopyRect(LPRECT dst, LPCRECT src);
BOOL InflateRect(LPRECT rect, int dx, int dy);
BOOL OffsetRect(LPRECT rect, int dx, int dy);
BOOL IsRectEmpty(LPCRECT rect);
BOOL EqualRect(LPCRECT a, LPCRECT b);
BOOL PtInRect(LPCRECT rect, POINT point);
// FALSE and an empty result when the rectangles do not meet.
BOOL IntersectRect(LPRECT dst, LPCRECT a, LPCRECT b);
BOOL UnionRect(LPRECT dst, LPCRECT a, LPCRECT b);
BOOL SubtractRect(LPRECT dst, LPCRECT a, LPCRECT b);

} // namespace win

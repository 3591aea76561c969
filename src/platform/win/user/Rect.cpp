#include "platform/win/user/Rect.h"

#include <algorithm>

namespace win {

namespace {

bool Empty(const RECT& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

} // namespace

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect)
        return 0;
    *rect = {left, top, right, bottom};
    return 1;
}

BOOL SetRectEmpty(LPRECT rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT dst, LPCRECT src) {
    if (!dst || !src)
        return 0;
    *dst = *src;
    return 1;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
    if (!rect)
        return 0;
    *rect = {rect->left - dx, rect->top - dy, rect->right + dx, rect->bottom + dy};
    return 1;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect)
        return 0;
    *rect = {rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
    return 1;
}

BOOL IsRectEmpty(LPCRECT rect) {
    return !rect || Empty(*rect);
}

BOOL EqualRect(LPCRECT a, LPCRECT b) {
    if (!a || !b)
        return 0;
    return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL PtInRect(LPCRECT rect, POINT p) {
    return rect && p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom;
}

BOOL IntersectRect(LPRECT dst, LPCRECT a, LPCRECT b) {
    if (!dst || !a || !b)
        return 0;
    const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                 std::min(a->bottom, b->bottom)};
    if (Empty(*a) || Empty(*b) || Empty(r)) {
        *dst = {0, 0, 0, 0};
        return 0;
    }
    *dst = r;
    return 1;
}

BOOL UnionRect(LPRECT dst, LPCRECT a, LPCRECT b) {
    if (!dst || !a || !b)
        return 0;
    if (Empty(*a) && Empty(*b)) {
        *dst = {0, 0, 0, 0};
        return 0;
    }
    if (Empty(*a))
        *dst = *b;
    else if (Empty(*b))
        *dst = *a;
    else
        *dst = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
    return 1;
}

BOOL SubtractRect(LPRECT dst, LPCRECT a, LPCRECT b) {
    if (!dst || !a || !b)
        return 0;
    RECT r = *a;
    RECT cut{};
    // Only a cut across a whole side shrinks the rectangle.
    if (IntersectRect(&cut, a, b)) {
        if (cut.top == r.top && cut.bottom == r.bottom) {
            if (cut.left == r.left)
                r.left = cut.right;
            else if (cut.right == r.right)
                r.right = cut.left;
        } else if (cut.left == r.left && cut.right == r.right) {
            if (cut.top == r.top)
                r.top = cut.bottom;
            else if (cut.bottom == r.bottom)
                r.bottom = cut.top;
        }
    }
    if (Empty(r)) {
        *dst = {0, 0, 0, 0};
        return 0;
    }
    *dst = r;
    return 1;
}

} // namespace win

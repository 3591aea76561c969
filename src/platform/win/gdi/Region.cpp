#include "platform/win/gdi/Region.h"

#include <algorithm>
#include <cassert>

namespace win {

RECT RectNormalized(const RECT& rect) {
    return RECT{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
}

bool RectIsEmpty(const RECT& rect) {
    return rect.left >= rect.right || rect.top >= rect.bottom;
}

RECT RectIntersection(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (RectIsEmpty(r)) {
        return RECT{0, 0, 0, 0};
    }
    return r;
}

Region::Region(const RECT& rect) {
    if (!RectIsEmpty(rect)) {
        FRects.push_back(rect);
        FBox = rect;
    }
}

int Region::Complexity() const {
    if (FRects.empty()) {
        return NULLREGION;
    }
    return FRects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool Region::Contains(LONG x, LONG y) const {
    if (x < FBox.left || x >= FBox.right || y < FBox.top || y >= FBox.bottom) {
        return false;
    }
    // Bands are sorted by top: skip to the first rectangle whose bottom is below y.
    auto it =
        std::partition_point(FRects.begin(), FRects.end(), [y](const RECT& r) { return r.bottom <= y; });
    for (; it != FRects.end() && it->top <= y; ++it) {
        if (x >= it->left && x < it->right) {
            return true;
        }
    }
    return false;
}

bool Region::Intersects(const RECT& rect) const {
    if (RectIsEmpty(RectIntersection(FBox, rect))) {
        return false;
    }
    auto it = std::partition_point(FRects.begin(), FRects.end(),
                                   [&rect](const RECT& r) { return r.bottom <= rect.top; });
    for (; it != FRects.end() && it->top < rect.bottom; ++it) {
        if (it->left < rect.right && it->right > rect.left) {
            return true;
        }
    }
    return false;
}

std::vector<RECT> Region::ClipRects(const RECT& rect) const {
    std::vector<RECT> out;
    if (RectIsEmpty(RectIntersection(FBox, rect))) {
        return out;
    }
    auto it = std::partition_point(FRects.begin(), FRects.end(),
                                   [&rect](const RECT& r) { return r.bottom <= rect.top; });
    for (; it != FRects.end() && it->top < rect.bottom; ++it) {
        RECT r = RectIntersection(*it, rect);
        if (!RectIsEmpty(r)) {
            out.push_back(r);
        }
    }
    return out;
}

bool Region::Offset(LONG dx, LONG dy) {
    if (FRects.empty()) {
        return true;
    }
    auto fits = [](LONGLONG v) { return v >= GDI_COORD_MIN && v <= GDI_COORD_MAX + 1LL; };
    if (!fits(LONGLONG{FBox.left} + dx) || !fits(LONGLONG{FBox.right} + dx) ||
        !fits(LONGLONG{FBox.top} + dy) || !fits(LONGLONG{FBox.bottom} + dy)) {
        return false;
    }
    for (RECT& r : FRects) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
    FBox.left += dx;
    FBox.right += dx;
    FBox.top += dy;
    FBox.bottom += dy;
    return true;
}

void Region::AppendBand(LONG top, LONG bottom, const std::vector<Span>& spans) {
    if (top >= bottom || spans.empty()) {
        return;
    }
    assert(FRects.empty() || top >= FRects.back().bottom);
    // Coalesce with the previous band when it touches this one and has the same spans.
    if (!FRects.empty() && FRects.back().bottom == top && FRects.size() - FLastBand == spans.size()) {
        bool same = true;
        for (size_t i = 0; i < spans.size() && same; ++i) {
            const RECT& r = FRects[FLastBand + i];
            same = r.left == spans[i].left && r.right == spans[i].right;
        }
        if (same) {
            for (size_t i = FLastBand; i < FRects.size(); ++i) {
                FRects[i].bottom = bottom;
            }
            FBox.bottom = bottom;
            return;
        }
    }
    FLastBand = FRects.size();
    for (const Span& s : spans) {
        assert(s.left < s.right);
        FRects.push_back(RECT{s.left, top, s.right, bottom});
    }
    if (FLastBand == 0) {
        FBox = RECT{spans.front().left, top, spans.back().right, bottom};
    } else {
        FBox.left = std::min(FBox.left, spans.front().left);
        FBox.right = std::max(FBox.right, spans.back().right);
        FBox.bottom = bottom;
    }
}

void Region::UpdateBox() {
    if (FRects.empty()) {
        FBox = RECT{0, 0, 0, 0};
        return;
    }
    FBox = FRects.front();
    for (const RECT& r : FRects) {
        FBox.left = std::min(FBox.left, r.left);
        FBox.right = std::max(FBox.right, r.right);
    }
    FBox.bottom = FRects.back().bottom;
}

namespace {

// The spans of the band of `rects` that covers row y, starting the search at
// `index` (advanced past bands above y).
void BandSpansAt(const std::vector<RECT>& rects, size_t& index, LONG y, std::vector<Span>& out) {
    out.clear();
    while (index < rects.size() && rects[index].bottom <= y) {
        ++index;
    }
    for (size_t i = index; i < rects.size() && rects[i].top <= y; ++i) {
        out.push_back(Span{rects[i].left, rects[i].right});
    }
}

bool Inside(int mode, bool a, bool b) {
    switch (mode) {
    case RGN_AND:
        return a && b;
    case RGN_OR:
        return a || b;
    case RGN_XOR:
        return a != b;
    case RGN_DIFF:
        return a && !b;
    default:
        return a;
    }
}

// Combines two sorted span lists by sweeping their edges.
void CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int mode, std::vector<Span>& out) {
    out.clear();
    size_t ia = 0;
    size_t ib = 0;
    bool inA = false;
    bool inB = false;
    bool inside = false;
    LONG start = 0;
    while (ia < a.size() * 2 || ib < b.size() * 2) {
        LONG xa = ia < a.size() * 2 ? (ia % 2 ? a[ia / 2].right : a[ia / 2].left) : LONG{0x7FFFFFFF};
        LONG xb = ib < b.size() * 2 ? (ib % 2 ? b[ib / 2].right : b[ib / 2].left) : LONG{0x7FFFFFFF};
        LONG x = std::min(xa, xb);
        if (xa == x) {
            inA = !inA;
            ++ia;
        }
        if (xb == x) {
            inB = !inB;
            ++ib;
        }
        bool now = Inside(mode, inA, inB);
        if (now && !inside) {
            start = x;
        } else if (!now && inside) {
            if (!out.empty() && out.back().right == start) {
                out.back().right = x;
            } else if (x > start) {
                out.push_back(Span{start, x});
            }
        }
        inside = now;
    }
}

} // namespace

Region Region::Combine(const Region& a, const Region& b, int mode) {
    if (mode == RGN_COPY) {
        return a;
    }
    // Quick answers that keep large regions from being swept needlessly.
    if (mode == RGN_AND && (a.IsEmpty() || b.IsEmpty() || RectIsEmpty(RectIntersection(a.FBox, b.FBox)))) {
        return Region();
    }
    if ((mode == RGN_OR || mode == RGN_XOR) && b.IsEmpty()) {
        return a;
    }
    if ((mode == RGN_OR || mode == RGN_XOR) && a.IsEmpty()) {
        return b;
    }
    if (mode == RGN_DIFF && (a.IsEmpty() || b.IsEmpty() || RectIsEmpty(RectIntersection(a.FBox, b.FBox)))) {
        return a;
    }
    if (mode == RGN_AND && b.Complexity() == SIMPLEREGION) {
        return a.Intersected(b.FBox);
    }
    if (mode == RGN_AND && a.Complexity() == SIMPLEREGION) {
        return b.Intersected(a.FBox);
    }

    std::vector<LONG> ys;
    ys.reserve((a.FRects.size() + b.FRects.size()) * 2);
    for (const RECT& r : a.FRects) {
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    for (const RECT& r : b.FRects) {
        ys.push_back(r.top);
        ys.push_back(r.bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    Region result;
    std::vector<Span> spansA;
    std::vector<Span> spansB;
    std::vector<Span> spansOut;
    size_t ia = 0;
    size_t ib = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        BandSpansAt(a.FRects, ia, ys[i], spansA);
        BandSpansAt(b.FRects, ib, ys[i], spansB);
        CombineSpans(spansA, spansB, mode, spansOut);
        result.AppendBand(ys[i], ys[i + 1], spansOut);
    }
    return result;
}

Region Region::Intersected(const RECT& rect) const {
    Region result;
    if (RectIsEmpty(RectIntersection(FBox, rect))) {
        return result;
    }
    std::vector<Span> spans;
    size_t i = 0;
    while (i < FRects.size()) {
        size_t bandEnd = i;
        while (bandEnd < FRects.size() && FRects[bandEnd].top == FRects[i].top) {
            ++bandEnd;
        }
        LONG top = std::max(FRects[i].top, rect.top);
        LONG bottom = std::min(FRects[i].bottom, rect.bottom);
        if (top < bottom) {
            spans.clear();
            for (size_t k = i; k < bandEnd; ++k) {
                LONG l = std::max(FRects[k].left, rect.left);
                LONG r = std::min(FRects[k].right, rect.right);
                if (l < r) {
                    spans.push_back(Span{l, r});
                }
            }
            result.AppendBand(top, bottom, spans);
        }
        i = bandEnd;
    }
    return result;
}

bool Region::operator==(const Region& other) const {
    if (FRects.size() != other.FRects.size()) {
        return false;
    }
    for (size_t i = 0; i < FRects.size(); ++i) {
        const RECT& a = FRects[i];
        const RECT& b = other.FRects[i];
        if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) {
            return false;
        }
    }
    return true;
}

} // namespace win

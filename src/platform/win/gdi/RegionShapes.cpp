#include "platform/win/gdi/RegionShapes.h"

#include <algorithm>
#include <cmath>

namespace win {

RECT UnlimitedRect() {
    return RECT{GDI_COORD_MIN, GDI_COORD_MIN, GDI_COORD_MAX + 1, GDI_COORD_MAX + 1};
}

namespace {

// Inset of row `row` of an ellipse `w` wide and `h` high: the first column
// whose pixel centre lies inside; the row covers [inset, w - inset).
LONG EllipseRowInset(LONG row, LONG w, LONG h) {
    const double ry = h / 2.0;
    const double dy = (row + 0.5) - ry;
    const double t = 1.0 - (dy * dy) / (ry * ry);
    if (t <= 0.0) {
        return w; // the row is outside
    }
    const double hw = (w / 2.0) * std::sqrt(t);
    return static_cast<LONG>(std::floor(w / 2.0 - hw - 0.5)) + 1;
}

void AppendClippedRow(Region& region, LONG y, LONG left, LONG right, const RECT& limit) {
    left = std::max(left, limit.left);
    right = std::min(right, limit.right);
    if (left < right) {
        region.AppendBand(y, y + 1, {Span{left, right}});
    }
}

} // namespace

Region EllipseRegion(const RECT& box, const RECT& limit) {
    return RoundRectRegion(box, box.right - box.left, box.bottom - box.top, limit);
}

Region RoundRectRegion(const RECT& box, LONG ellipseW, LONG ellipseH, const RECT& limit) {
    Region region;
    const LONG w = box.right - box.left;
    const LONG h = box.bottom - box.top;
    if (w <= 0 || h <= 0) {
        return region;
    }
    ellipseW = std::clamp(ellipseW, LONG{0}, w);
    ellipseH = std::clamp(ellipseH, LONG{0}, h);
    if (ellipseW < 2 || ellipseH < 2) {
        return Region(box).Intersected(limit);
    }
    const LONG cornerRows = ellipseH / 2;
    const LONG top = std::max(box.top, limit.top);
    const LONG bottom = std::min(box.bottom, limit.bottom);
    auto cornerRow = [&](LONG y, LONG ellipseRow) {
        const LONG inset = EllipseRowInset(ellipseRow, ellipseW, ellipseH);
        if (inset < ellipseW - inset) {
            AppendClippedRow(region, y, box.left + inset, box.right - inset, limit);
        }
    };
    const LONG middleTop = box.top + cornerRows;
    const LONG middleBottom = box.bottom - cornerRows;
    for (LONG y = top; y < std::min(bottom, middleTop); ++y) {
        cornerRow(y, y - box.top);
    }
    const LONG l = std::max(box.left, limit.left);
    const LONG r = std::min(box.right, limit.right);
    if (l < r) {
        region.AppendBand(std::max(top, middleTop), std::min(bottom, middleBottom), {Span{l, r}});
    }
    for (LONG y = std::max(top, middleBottom); y < bottom; ++y) {
        cornerRow(y, ellipseH - (box.bottom - y));
    }
    return region;
}

namespace {

struct Edge {
    LONGLONG x0, y0, x1, y1; // sixteenths; y0 < y1
    int direction;           // +1 downwards in the original order, -1 upwards
};

__int128 CeilDiv(__int128 num, __int128 den) {
    // den > 0
    __int128 q = num / den;
    if (num % den != 0 && num > 0) {
        ++q;
    }
    return q;
}

// First pixel column whose centre lies at or right of the edge's crossing of
// the centre line of row y.
LONGLONG CrossingColumn(const Edge& e, LONG y) {
    const __int128 d = e.y1 - e.y0;
    const __int128 n = (__int128{16} * y + 8 - e.y0) * (e.x1 - e.x0);
    return static_cast<LONGLONG>(CeilDiv((__int128{e.x0} - 8) * d + n, 16 * d));
}

struct Crossing {
    LONGLONG column;
    int direction;
};

constexpr LONGLONG FIXED_MIN = LONGLONG{GDI_COORD_MIN} * 16;
constexpr LONGLONG FIXED_MAX = LONGLONG{GDI_COORD_MAX} * 16;

} // namespace

std::optional<Region> FixedPolyPolygonRegion(const FixedPoint* points, const INT* counts, int polygonCount,
                                             int fillMode, const RECT& limit) {
    std::vector<Edge> edges;
    LONGLONG minY = FIXED_MAX;
    LONGLONG maxY = FIXED_MIN;
    size_t base = 0;
    for (int p = 0; p < polygonCount; ++p) {
        const INT n = counts[p];
        for (INT i = 0; i < n; ++i) {
            const FixedPoint a = points[base + i];
            const FixedPoint b = points[base + (i + 1) % n];
            for (const FixedPoint& pt : {a, b}) {
                if (pt.x < FIXED_MIN || pt.x > FIXED_MAX || pt.y < FIXED_MIN || pt.y > FIXED_MAX) {
                    return std::nullopt;
                }
            }
            if (a.y == b.y) {
                continue;
            }
            if (a.y < b.y) {
                edges.push_back(Edge{a.x, a.y, b.x, b.y, 1});
            } else {
                edges.push_back(Edge{b.x, b.y, a.x, a.y, -1});
            }
            minY = std::min({minY, a.y, b.y});
            maxY = std::max({maxY, a.y, b.y});
        }
        base += static_cast<size_t>(n);
    }
    Region region;
    if (edges.empty()) {
        return region;
    }
    // Rows whose centre line 16y + 8 lies in [minY, maxY).
    const LONGLONG firstRow = static_cast<LONGLONG>(CeilDiv(minY - 8, 16));
    const LONGLONG endRow = static_cast<LONGLONG>(CeilDiv(maxY - 8, 16));
    const LONG top = static_cast<LONG>(std::max<LONGLONG>(firstRow, limit.top));
    const LONG bottom = static_cast<LONG>(std::min<LONGLONG>(endRow, limit.bottom));
    // Work grows with rows times edges; refuse what would not end in time.
    if (LONGLONG{bottom} - top > MAX_SHAPE_ROWS ||
        (LONGLONG{bottom} - top) * static_cast<LONGLONG>(edges.size()) > (LONGLONG{1} << 31)) {
        return std::nullopt;
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });

    std::vector<const Edge*> active;
    std::vector<Crossing> crossings;
    std::vector<Span> spans;
    size_t next = 0;
    for (LONG y = top; y < bottom; ++y) {
        const LONGLONG centre = 16LL * y + 8;
        while (next < edges.size() && edges[next].y0 <= centre) {
            active.push_back(&edges[next++]);
        }
        std::erase_if(active, [centre](const Edge* e) { return e->y1 <= centre; });
        crossings.clear();
        for (const Edge* e : active) {
            crossings.push_back(Crossing{CrossingColumn(*e, y), e->direction});
        }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing& a, const Crossing& b) { return a.column < b.column; });
        spans.clear();
        int winding = 0;
        bool odd = false;
        LONGLONG start = 0;
        for (const Crossing& c : crossings) {
            const bool before = fillMode == WINDING ? winding != 0 : odd;
            winding += c.direction;
            odd = !odd;
            const bool after = fillMode == WINDING ? winding != 0 : odd;
            if (!before && after) {
                start = c.column;
            } else if (before && !after) {
                const LONGLONG l = std::max<LONGLONG>(start, limit.left);
                const LONGLONG r = std::min<LONGLONG>(c.column, limit.right);
                if (l >= r) {
                    continue;
                }
                if (!spans.empty() && spans.back().right >= l) {
                    spans.back().right = std::max(spans.back().right, static_cast<LONG>(r));
                } else {
                    spans.push_back(Span{static_cast<LONG>(l), static_cast<LONG>(r)});
                }
            }
        }
        region.AppendBand(y, y + 1, spans);
    }
    return region;
}

std::optional<Region> PolyPolygonRegion(const POINT* points, const INT* counts, int polygonCount,
                                        int fillMode, const RECT& limit) {
    size_t total = 0;
    for (int p = 0; p < polygonCount; ++p) {
        total += static_cast<size_t>(counts[p]);
    }
    std::vector<FixedPoint> fixed(total);
    for (size_t i = 0; i < total; ++i) {
        fixed[i] = FixedPoint{LONGLONG{points[i].x} * 16, LONGLONG{points[i].y} * 16};
    }
    return FixedPolyPolygonRegion(fixed.data(), counts, polygonCount, fillMode, limit);
}

Region Eroded(const Region& shape) {
    Region inner = shape;
    const POINT shifts[4] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const POINT& s : shifts) {
        Region moved = shape;
        if (moved.Offset(s.x, s.y)) {
            inner = Region::Combine(inner, moved, RGN_AND);
        }
    }
    return inner;
}

} // namespace win

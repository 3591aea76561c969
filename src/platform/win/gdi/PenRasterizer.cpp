#include "platform/win/gdi/PenRasterizer.h"

#include "platform/win/gdi/Raster.h"
#include "platform/win/gdi/RegionShapes.h"

#include <algorithm>
#include <cmath>

namespace win {

namespace {

// Dash and gap lengths of the cosmetic styles, in pixels.
const std::vector<DWORD>& DashesOf(DWORD style) {
    static const std::vector<DWORD> none;
    static const std::vector<DWORD> dash{18, 6};
    static const std::vector<DWORD> dot{3, 3};
    static const std::vector<DWORD> dashDot{9, 6, 3, 6};
    static const std::vector<DWORD> dashDotDot{9, 3, 3, 3, 3, 3};
    static const std::vector<DWORD> alternate{1, 1};
    switch (style) {
    case PS_DASH:
        return dash;
    case PS_DOT:
        return dot;
    case PS_DASHDOT:
        return dashDot;
    case PS_DASHDOTDOT:
        return dashDotDot;
    case PS_ALTERNATE:
        return alternate;
    default:
        return none;
    }
}

// Offset along the minor axis of pixel i of a line with the given major and
// minor lengths: the exact offset rounded to nearest, halves rounded down.
LONGLONG MinorOffset(LONGLONG i, LONGLONG major, LONGLONG minor) {
    return (2 * i * minor + major - 1) / (2 * major);
}

} // namespace

PenRasterizer::PenRasterizer(DeviceContext& dc) : FDc(dc) {
    const DcState& state = dc.State();
    const GdiPen& pen = *state.pen;
    FNull = pen.Style() == PS_NULL || state.rop2 == R2_NOP;
    FWidth = pen.Width() == 0 ? 1 : pen.Width();
    if (!pen.IsGeometric()) {
        FWidth = 1;
    }
    FEndCap = pen.EndCap();
    FJoin = pen.Join();
    FPenMasks = Rop2Masks(state.rop2, dc.PixelOf(dc.PenColor()));
    FGapMasks = Rop2Masks(state.rop2, dc.PixelOf(state.bkColor & 0xFFFFFF));
    FOpaqueGaps = state.bkMode == OPAQUE;
    if (FWidth == 1) {
        FDashes = pen.Style() == PS_USERSTYLE ? pen.UserStyle() : DashesOf(pen.Style());
        for (DWORD d : FDashes) {
            FDashTotal += d;
        }
        if (FDashTotal == 0) {
            FDashes.clear();
        }
    }
}

bool PenRasterizer::DashDraws(LONGLONG index, bool& isGap) const {
    isGap = false;
    if (FDashes.empty()) {
        return true;
    }
    LONGLONG pos = (FDashOffset + index) % FDashTotal;
    for (size_t k = 0; k < FDashes.size(); ++k) {
        if (pos < FDashes[k]) {
            isGap = (k % 2) == 1;
            return !isGap || FOpaqueGaps;
        }
        pos -= FDashes[k];
    }
    return true;
}

void PenRasterizer::DrawPath(const std::vector<POINT>& points, bool closed) {
    if (FNull || points.empty()) {
        return;
    }
    if (IsWide()) {
        WidePath(points, closed);
        return;
    }
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        CosmeticLine(points[i], points[i + 1]);
    }
    if (closed && points.size() > 1) {
        CosmeticLine(points.back(), points.front());
    }
}

void PenRasterizer::CosmeticLine(POINT from, POINT to) {
    const LONGLONG dx = LONGLONG{to.x} - from.x;
    const LONGLONG dy = LONGLONG{to.y} - from.y;
    if (dx == 0 && dy == 0) {
        return;
    }
    const LONG adx = static_cast<LONG>(dx < 0 ? -dx : dx);
    const LONG ady = static_cast<LONG>(dy < 0 ? -dy : dy);
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    const bool xMajor = adx >= ady;
    const LONGLONG count = xMajor ? adx : ady;
    PlotRun(from, adx, ady, sx, sy, xMajor, 0, count);
    FDashOffset += count;
}

void PenRasterizer::PlotRun(const POINT& from, LONG adx, LONG ady, int sx, int sy, bool xMajor,
                            LONGLONG first, LONGLONG last) {
    const LONGLONG major = xMajor ? adx : ady;
    const LONGLONG minor = xMajor ? ady : adx;
    const LONG majorStart = xMajor ? from.x : from.y;
    const LONG minorStart = xMajor ? from.y : from.x;
    const int majorSign = xMajor ? sx : sy;
    const int minorSign = xMajor ? sy : sx;
    const DibView& dst = FDc.Surface();
    // Only the clip rectangles the line's bounding box meets are visited,
    // each for the steps that fall inside it.
    const RECT box{std::min<LONG>(from.x, static_cast<LONG>(from.x + sx * (xMajor ? major : minor))),
                   std::min<LONG>(from.y, static_cast<LONG>(from.y + sy * (xMajor ? minor : major))),
                   std::max<LONG>(from.x, static_cast<LONG>(from.x + sx * (xMajor ? major : minor))) + 1,
                   std::max<LONG>(from.y, static_cast<LONG>(from.y + sy * (xMajor ? minor : major))) + 1};
    for (const RECT& r : FDc.TotalClip().ClipRects(box)) {
        const LONG majorLo = xMajor ? r.left : r.top;
        const LONG majorHi = xMajor ? r.right : r.bottom;
        const LONG minorLo = xMajor ? r.top : r.left;
        const LONG minorHi = xMajor ? r.bottom : r.right;
        // Steps whose major coordinate lies in [majorLo, majorHi).
        LONGLONG i0 = majorSign > 0 ? LONGLONG{majorLo} - majorStart : LONGLONG{majorStart} - majorHi + 1;
        LONGLONG i1 = majorSign > 0 ? LONGLONG{majorHi} - majorStart : LONGLONG{majorStart} - majorLo + 1;
        i0 = std::max(i0, first);
        i1 = std::min(i1, last);
        if (i0 >= i1) {
            continue;
        }
        // Steps whose minor offset lies in [mLo, mHi): the offset never
        // decreases along the line, so both ends are found by bisection.
        const LONGLONG mLo =
            minorSign > 0 ? LONGLONG{minorLo} - minorStart : LONGLONG{minorStart} - minorHi + 1;
        const LONGLONG mHi =
            minorSign > 0 ? LONGLONG{minorHi} - minorStart : LONGLONG{minorStart} - minorLo + 1;
        auto firstAtLeast = [&](LONGLONG value) {
            LONGLONG lo = i0;
            LONGLONG hi = i1;
            while (lo < hi) {
                const LONGLONG mid = lo + (hi - lo) / 2;
                if (MinorOffset(mid, major, minor) >= value) {
                    hi = mid;
                } else {
                    lo = mid + 1;
                }
            }
            return lo;
        };
        const LONGLONG j0 = firstAtLeast(mLo);
        const LONGLONG j1 = firstAtLeast(mHi);
        for (LONGLONG i = j0; i < j1; ++i) {
            bool gap;
            if (!DashDraws(i, gap)) {
                continue;
            }
            const LONGLONG m = MinorOffset(i, major, minor);
            const LONG a = static_cast<LONG>(majorStart + majorSign * i);
            const LONG b = static_cast<LONG>(minorStart + minorSign * m);
            const RopMasks& masks = gap ? FGapMasks : FPenMasks;
            if (xMajor) {
                dst.ops->MaskPixel(dst, a, b, masks.andMask, masks.xorMask);
            } else {
                dst.ops->MaskPixel(dst, b, a, masks.andMask, masks.xorMask);
            }
        }
    }
}

void PenRasterizer::WidePath(const std::vector<POINT>& points, bool closed) {
    const RECT limit = FDc.TotalClip().Box();
    if (RectIsEmpty(limit)) {
        return;
    }
    const double half = FWidth / 2.0;
    std::vector<FixedPoint> quads;
    std::vector<INT> counts;
    Region shape;
    auto disc = [&](POINT p) {
        const LONG l = p.x - static_cast<LONG>(FWidth / 2);
        const LONG t = p.y - static_cast<LONG>(FWidth / 2);
        const RECT box{l, t, l + static_cast<LONG>(FWidth), t + static_cast<LONG>(FWidth)};
        shape = Region::Combine(shape, EllipseRegion(box, limit), RGN_OR);
    };
    const size_t n = points.size();
    const size_t segments = closed ? n : n - 1;
    for (size_t s = 0; s < segments; ++s) {
        const POINT a = points[s];
        const POINT b = points[(s + 1) % n];
        const double dx = double(b.x) - a.x;
        const double dy = double(b.y) - a.y;
        const double len = std::sqrt(dx * dx + dy * dy);
        if (len == 0) {
            continue;
        }
        const double ux = dx / len;
        const double uy = dy / len;
        // Pixel centres in sixteenths; square caps extend the open ends.
        double ax = a.x * 16.0 + 8;
        double ay = a.y * 16.0 + 8;
        double bx = b.x * 16.0 + 8;
        double by = b.y * 16.0 + 8;
        if (!closed && FEndCap == PS_ENDCAP_SQUARE) {
            if (s == 0) {
                ax -= ux * half * 16;
                ay -= uy * half * 16;
            }
            if (s + 1 == segments) {
                bx += ux * half * 16;
                by += uy * half * 16;
            }
        }
        const double nx = -uy * half * 16;
        const double ny = ux * half * 16;
        auto fp = [](double x, double y) {
            return FixedPoint{static_cast<LONGLONG>(std::llround(x)), static_cast<LONGLONG>(std::llround(y))};
        };
        // One orientation for every quad, so that WINDING unites them.
        quads.push_back(fp(ax + nx, ay + ny));
        quads.push_back(fp(bx + nx, by + ny));
        quads.push_back(fp(bx - nx, by - ny));
        quads.push_back(fp(ax - nx, ay - ny));
        counts.push_back(4);
    }
    if (!counts.empty()) {
        auto body = FixedPolyPolygonRegion(quads.data(), counts.data(), static_cast<int>(counts.size()),
                                           WINDING, limit);
        if (body) {
            shape = Region::Combine(shape, *body, RGN_OR);
        }
    }
    if (FJoin == PS_JOIN_ROUND) {
        const size_t first = closed ? 0 : 1;
        const size_t last = closed ? n : n - 1;
        for (size_t i = first; i < last; ++i) {
            disc(points[i]);
        }
    }
    if (!closed && FEndCap == PS_ENDCAP_ROUND) {
        disc(points.front());
        disc(points.back());
    }
    raster::MaskRegion(FDc, shape, FPenMasks);
}

} // namespace win

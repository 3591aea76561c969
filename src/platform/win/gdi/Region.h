#pragma once

// A region as GDI keeps it: a list of rectangles in y-x bands. Rectangles are
// sorted by top, then left; rectangles of one band share top and bottom, do
// not touch or overlap, and two vertically adjacent bands never carry the same
// spans (they are coalesced). Right and bottom edges are exclusive. Equal
// areas therefore have equal rectangle lists, which EqualRgn relies on.

#include "platform/win/gdi/GdiTypes.h"

#include <cstddef>
#include <vector>

namespace win {

// Coordinates that GDI accepts for region and drawing geometry (28 bits, as
// the NT kernel's device coordinates); larger values are refused or clipped.
constexpr LONG GDI_COORD_MAX = (1 << 27) - 1;
constexpr LONG GDI_COORD_MIN = -(1 << 27);

// Device and surface coordinates are clamped to this magnitude, so that the
// sum of two of them never overflows a LONG.
constexpr LONG COORD_CLAMP = 1 << 29;

struct Span {
    LONG left;
    LONG right;
};

class Region {
public:
    Region() = default;
    explicit Region(const RECT& rect);

    bool IsEmpty() const { return FRects.empty(); }
    const RECT& Box() const { return FBox; }
    const std::vector<RECT>& Rects() const { return FRects; }
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Complexity() const;

    bool Contains(LONG x, LONG y) const;
    bool Intersects(const RECT& rect) const;
    // Rectangles of the region that meet `rect`, each cut to it.
    std::vector<RECT> ClipRects(const RECT& rect) const;

    // Moves the region; false (and no change) when a coordinate would leave
    // the accepted range.
    [[nodiscard]] bool Offset(LONG dx, LONG dy);

    // RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF or RGN_COPY (which returns a).
    static Region Combine(const Region& a, const Region& b, int mode);
    Region Intersected(const RECT& rect) const;

    bool operator==(const Region& other) const;

    // Appends the spans of rows [top, bottom), which must lie below every row
    // added before. Spans must be sorted, non-empty and must not touch.
    void AppendBand(LONG top, LONG bottom, const std::vector<Span>& spans);

private:
    void UpdateBox();

    std::vector<RECT> FRects;
    RECT FBox{0, 0, 0, 0};
    // Start of the last band in FRects, for coalescing.
    size_t FLastBand = 0;
};

// Normalised copy of a rectangle (left <= right, top <= bottom).
RECT RectNormalized(const RECT& rect);
bool RectIsEmpty(const RECT& rect);
RECT RectIntersection(const RECT& a, const RECT& b);

} // namespace win

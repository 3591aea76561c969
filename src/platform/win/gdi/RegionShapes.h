#pragma once

// Scan conversion of the shapes that regions and filled figures are made of.
// Every shape covers the pixels whose centres lie inside it, so a shape from
// (l, t) to (r, b) never covers column r or row b. Only the rows and columns
// inside `limit` are produced, so drawing a huge shape costs no more than
// its visible part.

#include "platform/win/gdi/Region.h"

#include <optional>

namespace win {

// Largest number of rows the region constructors scan convert; larger shapes
// are refused like an allocation failure.
constexpr LONG MAX_SHAPE_ROWS = 1 << 20;

// The ellipse inscribed in `box`.
Region EllipseRegion(const RECT& box, const RECT& limit);

// `box` with its corners rounded by an ellipse of ellipseW x ellipseH (clamped
// to the box); sizes below 2 give square corners.
Region RoundRectRegion(const RECT& box, LONG ellipseW, LONG ellipseH, const RECT& limit);

// Polygons (counts[i] points each) filled with ALTERNATE or WINDING; the
// polygons are closed implicitly. Coordinates beyond the accepted range give
// no region.
std::optional<Region> PolyPolygonRegion(const POINT* points, const INT* counts, int polygonCount,
                                        int fillMode, const RECT& limit);

// A point in sixteenths of a pixel, for shapes with corners between pixel
// centres (wide lines). Pixel (x, y) has its centre at (16x + 8, 16y + 8).
struct FixedPoint {
    LONGLONG x;
    LONGLONG y;
};

std::optional<Region> FixedPolyPolygonRegion(const FixedPoint* points, const INT* counts, int polygonCount,
                                             int fillMode, const RECT& limit);

// The pixels of `shape` whose four neighbours are in it too: the shape one
// pixel in from its outline.
Region Eroded(const Region& shape);

// The whole accepted coordinate range.
RECT UnlimitedRect();

} // namespace win

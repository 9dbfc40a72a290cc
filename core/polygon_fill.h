// Scan conversion of closed polygons into an 8-bit channel (selections are built with it).
//
// Pixel format: TChannel, one byte per pixel, 0 = empty, 255 = full.
//
// A pixel is filled when its centre (x + 0.5, y + 0.5) lies inside the polygon. Edges are
// half-open in y (an edge from y0 to y1 counts for centres y0 ≤ yc < y1) and a span covers the
// centres xa ≤ xc < xb, so two polygons sharing an edge never both fill a pixel along it and
// a polygon that covers no centre (fewer than 3 points, all points on one line) fills nothing.
// The last point joins the first. Arithmetic is double, and spans are clipped to the image
// before any conversion to integer, so huge coordinates are safe.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"

#include <cstdint>
#include <span>

namespace qm {

// Which enclosed areas count as inside.
enum class TFillRule {
    NonZero, // winding number ≠ 0: self-overlapping loops stay filled (the default)
    EvenOdd, // odd number of crossings: overlaps of two loops become holes
};

// Sets every pixel whose centre is inside to `value`; other pixels are untouched.
// Returns false (and draws nothing) for an invalid image, fewer than 3 points or a non-finite
// coordinate; true otherwise, even when no pixel centre was inside.
bool fillPolygon(TChannel& image, std::span<const TPointF> points, uint8_t value,
                 TFillRule rule = TFillRule::NonZero);
bool fillPolygon(TChannel& image, std::span<const TPoint> points, uint8_t value,
                 TFillRule rule = TFillRule::NonZero);

} // namespace qm

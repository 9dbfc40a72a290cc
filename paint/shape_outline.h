// The shapes of the shape tools as data: which shape each submode of the outline mode (6),
// the filled-shape mode (7) and the selection mode (8) draws, and the points a pen follows to draw an outline. The
// outline is recorded as an ordinary stroke through these points, so a replay needs none of
// this.
#pragma once

#include "core/rect.h"

#include <cstdint>
#include <vector>

namespace qm {

enum class TShapeKind : uint8_t {
    rectangle,
    ellipse,
    polygon,  // closed, vertex by vertex
    line,     // one straight line
    polyline, // open, vertex by vertex
    freeform, // a closed outline dragged by hand
    none,
};

// The shape of (mode, submode) for modes 6, 7 and 8; none for any other.
TShapeKind shapeOfMode(uint8_t mode, int32_t submode);
// Shapes drawn vertex by vertex, finished with a double-click, the right button or Enter.
inline bool isVertexShape(TShapeKind k) { return k == TShapeKind::polygon || k == TShapeKind::polyline; }

// The pen's path around a rectangle with corners a and b: the four corners and back to the
// first.
std::vector<TPointF> rectangleOutline(TPointF a, TPointF b);
// Around the ellipse inscribed in the rectangle a–b, starting at its right-most point, one
// point every two pixels or so of the outline (at least 16), closed.
std::vector<TPointF> ellipseOutline(TPointF a, TPointF b);
// The vertices, back to the first when closed.
std::vector<TPointF> vertexOutline(const std::vector<TPointF>& vertices, bool closed);

} // namespace qm

#include "paint/view_drag.h"

#include <cmath>
#include <numbers>

namespace qm {

float rotationAfterDrag(float startDegrees, TClientPoint centre, TClientPoint start,
                        TClientPoint now)
{
    const double ax = start.x - centre.x, ay = start.y - centre.y;
    const double bx = now.x - centre.x, by = now.y - centre.y;
    const double swept = std::atan2(ax * by - ay * bx, ax * bx + ay * by);
    return startDegrees - float(swept * 180.0 / std::numbers::pi);
}

bool widthAfterDrag(float startWidth, double startX, double nowX, float zoomScale, float& width)
{
    const float next = startWidth + float(nowX - startX) / zoomScale / 2.0f;
    if (next < 0.1f || next > 200.0f)
        return false;
    width = next;
    return true;
}

} // namespace qm

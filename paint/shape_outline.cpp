#include "paint/shape_outline.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qm {

TShapeKind shapeOfMode(uint8_t mode, int32_t submode)
{
    static constexpr TShapeKind outline[] = {TShapeKind::rectangle, TShapeKind::ellipse,
                                             TShapeKind::polygon, TShapeKind::line,
                                             TShapeKind::polyline};
    static constexpr TShapeKind filled[] = {TShapeKind::rectangle, TShapeKind::ellipse,
                                            TShapeKind::polygon, TShapeKind::freeform};
    if (mode == 6 && submode >= 0 && submode < 5)
        return outline[submode];
    if (mode == 7 && submode >= 0 && submode < 4)
        return filled[submode];
    // The selection tools: button 16 stands for submodes 2 and 0, button 17 for 1 and 3.
    static constexpr TShapeKind selection[] = {TShapeKind::ellipse, TShapeKind::freeform,
                                               TShapeKind::rectangle, TShapeKind::polygon};
    if (mode == 8 && submode >= 0 && submode < 4)
        return selection[submode];
    return TShapeKind::none;
}

std::vector<TPointF> rectangleOutline(TPointF a, TPointF b)
{
    return {a, {b.x, a.y}, b, {a.x, b.y}, a};
}

std::vector<TPointF> ellipseOutline(TPointF a, TPointF b)
{
    const float cx = (a.x + b.x) * 0.5f, cy = (a.y + b.y) * 0.5f;
    const float rx = std::fabs(b.x - a.x) * 0.5f, ry = std::fabs(b.y - a.y) * 0.5f;
    // Ramanujan's perimeter, close enough to space the points.
    const float h = (rx - ry) * (rx - ry) / std::max(1e-6f, (rx + ry) * (rx + ry));
    const float perimeter = std::numbers::pi_v<float> * (rx + ry) *
                            (1.0f + 3.0f * h / (10.0f + std::sqrt(4.0f - 3.0f * h)));
    const int count = std::clamp(int(perimeter / 2.0f), 16, 4096);
    std::vector<TPointF> points;
    points.reserve(size_t(count) + 1);
    for (int i = 0; i < count; ++i) {
        const float t = 2.0f * std::numbers::pi_v<float> * float(i) / float(count);
        points.push_back({cx + rx * std::cos(t), cy + ry * std::sin(t)});
    }
    points.push_back(points.front());
    return points;
}

std::vector<TPointF> vertexOutline(const std::vector<TPointF>& vertices, bool closed)
{
    std::vector<TPointF> points = vertices;
    if (closed && vertices.size() > 2)
        points.push_back(vertices.front());
    return points;
}

} // namespace qm

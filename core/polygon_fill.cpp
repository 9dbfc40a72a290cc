// Polygon scan conversion into 8-bit channels; see polygon_fill.h.
#include "core/polygon_fill.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace qm {

namespace {

struct TVertex {
    double x, y;
};

struct TEdge {
    double x0, y0, x1, y1; // as given, so the crossing is computed the same way on every row
    int winding;           // +1 going down, −1 going up
    int32_t firstRow, lastRow;
};

struct TCrossing {
    double x;
    int winding;
};

// ceil(v − 0.5) clamped to 0 .. limit: the first row (or column) whose centre is at or past v.
int32_t firstCentreAtOrAfter(double v, int32_t limit)
{
    const double c = std::ceil(v - 0.5);
    if (!(c > 0.0)) return 0;
    return c >= double(limit) ? limit : int32_t(c);
}

bool fill(TChannel& image, const std::vector<TVertex>& pts, uint8_t value, TFillRule rule)
{
    if (!image.IsValid() || pts.size() < 3) return false;
    for (const TVertex& p : pts)
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    const int32_t width = image.width();
    const int32_t height = image.height();

    std::vector<TEdge> edges;
    edges.reserve(pts.size());
    for (size_t i = 0; i < pts.size(); ++i) {
        const TVertex& a = pts[i];
        const TVertex& b = pts[(i + 1) % pts.size()];
        if (a.y == b.y) continue; // horizontal edges cross no row centre
        const double top = std::min(a.y, b.y);
        const double bottom = std::max(a.y, b.y);
        // Rows whose centre lies in [top, bottom).
        const int32_t first = firstCentreAtOrAfter(top, height);
        const int32_t last = firstCentreAtOrAfter(bottom, height) - 1;
        if (first > last) continue;
        edges.push_back({a.x, a.y, b.x, b.y, b.y > a.y ? 1 : -1, first, last});
    }
    std::sort(edges.begin(), edges.end(),
              [](const TEdge& l, const TEdge& r) { return l.firstRow < r.firstRow; });

    std::vector<const TEdge*> active;
    std::vector<TCrossing> crossings;
    size_t next = 0;
    const int32_t startRow = edges.empty() ? height : edges.front().firstRow;
    for (int32_t y = startRow; y < height && (next < edges.size() || !active.empty()); ++y) {
        while (next < edges.size() && edges[next].firstRow == y)
            active.push_back(&edges[next++]);
        std::erase_if(active, [y](const TEdge* e) { return e->lastRow < y; });
        if (active.empty()) continue;

        const double yc = y + 0.5;
        crossings.clear();
        for (const TEdge* e : active)
            crossings.push_back(
                {e->x0 + (yc - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0), e->winding});
        std::sort(crossings.begin(), crossings.end(),
                  [](const TCrossing& l, const TCrossing& r) { return l.x < r.x; });

        uint8_t* row = image.row(y);
        int count = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            count += rule == TFillRule::NonZero ? crossings[i].winding : 1;
            const bool inside = rule == TFillRule::NonZero ? count != 0 : (count & 1) != 0;
            if (!inside) continue;
            // Centres xa ≤ x + 0.5 < xb.
            const int32_t from = firstCentreAtOrAfter(crossings[i].x, width);
            const int32_t to = firstCentreAtOrAfter(crossings[i + 1].x, width);
            if (from < to) std::memset(row + from, value, size_t(to - from));
        }
    }
    return true;
}

} // namespace

bool fillPolygon(TChannel& image, std::span<const TPointF> points, uint8_t value, TFillRule rule)
{
    std::vector<TVertex> pts;
    pts.reserve(points.size());
    for (const TPointF& p : points)
        pts.push_back({double(p.x), double(p.y)});
    return fill(image, pts, value, rule);
}

bool fillPolygon(TChannel& image, std::span<const TPoint> points, uint8_t value, TFillRule rule)
{
    std::vector<TVertex> pts;
    pts.reserve(points.size());
    for (const TPoint& p : points)
        pts.push_back({double(p.x), double(p.y)});
    return fill(image, pts, value, rule);
}

} // namespace qm

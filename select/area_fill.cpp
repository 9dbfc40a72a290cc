#include "select/area_fill.h"

#include "core/pixel_math.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// Far beyond any image, yet safe to convert to an integer.
constexpr float kCoordinateLimit = 1073741824.0f; // 2^30

float clampCoordinate(float v)
{
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

bool finite(TPointF p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Rectangle and polygon edges are vertical or steep; this slope never gives a ramp.
constexpr float kSteepSlope = 0.01f;

// The coverage of pixel j from the end of a shallow edge (c = 1/|slope| < 1, j·c < 1).
float rampCoverage(int64_t j, float c)
{
    const float f = float(j) * c;
    const float e = f + c;
    float h = f + e;
    if (e > 1.0f) {
        const float over = e - 1.0f;
        h = h - over * over / c;
    }
    return std::min(1.0f, std::max(0.0f, h / 2.0f));
}

// c = 1/|slope|, 1000 for a slope of 0.
float rampStep(float slope)
{
    return slope == 0.0f ? 1000.0f : 1.0f / std::fabs(slope);
}

} // namespace

// ---- the channel sink ----

void TChannelCoverageSink::row(int32_t y, int32_t x, int32_t count, const float* coverage)
{
    uint8_t* o = channel_.row(y) + x;
    for (int32_t i = 0; i < count; ++i) {
        const float c = coverage[i];
        const uint32_t a = c > 0.0f ? std::min(coverageByte(c), 255u) : 0u;
        const uint32_t v = Mul255(a, value_);
        if (v > o[i])
            o[i] = uint8_t(v);
    }
}

// ---- CFillMngr ----

void CFillMngr::SetRect(TPointF p1, TPointF p2)
{
    valid_ = finite(p1) && finite(p2);
    if (!valid_)
        return;
    bounds_ = {std::min(p1.x, p2.x), std::min(p1.y, p2.y), std::max(p1.x, p2.x),
               std::max(p1.y, p2.y)};
    valid_ = bounds_.left < bounds_.right && bounds_.top < bounds_.bottom;
}

TRect CFillMngr::Bounds() const
{
    if (!valid_)
        return {};
    return {int32_t(std::floor(clampCoordinate(bounds_.left))),
            int32_t(std::floor(clampCoordinate(bounds_.top))),
            int32_t(std::ceil(clampCoordinate(bounds_.right))),
            int32_t(std::ceil(clampCoordinate(bounds_.bottom)))};
}

float CFillMngr::rowFraction(int32_t y, float top, float bottom)
{
    const float first = std::floor(top), end = std::ceil(bottom);
    float fraction = 1.0f;
    if (float(y) == first)
        fraction = fraction * ((first + 1.0f) - top);
    if (float(y) == end - 1.0f)
        fraction = fraction * (1.0f - (end - bottom));
    return fraction;
}

bool CFillMngr::clipRows(float first, float last, int32_t height, int32_t& from, int32_t& to)
{
    if (!(first <= last) || height <= 0)
        return false;
    const float lo = std::max(first, 0.0f), hi = std::min(last, float(height - 1));
    if (lo > hi)
        return false;
    from = int32_t(lo);
    to = int32_t(hi);
    return true;
}

bool CFillMngr::drawSpan(int32_t width, int32_t y, float left, float right, float fraction,
                         float leftSlope, float rightSlope, TCoverageSink& sink) const
{
    if (!(left < right) || width <= 0)
        return false;
    const float firstF = std::floor(clampCoordinate(left));
    const float endF = std::ceil(clampCoordinate(right));
    if (endF <= 0.0f || firstF >= float(width))
        return false;
    const int64_t first = int64_t(firstF), end = int64_t(endF); // pixels first .. end − 1
    const int32_t x0 = int32_t(std::max<int64_t>(first, 0));
    const int32_t x1 = int32_t(std::min<int64_t>(end, width));
    if (x0 >= x1)
        return false;

    const float p = opacity_ * fraction;
    const float leftStep = rampStep(leftSlope), rightStep = rampStep(rightSlope);
    const bool leftRamp = leftStep < 1.0f, rightRamp = rightStep < 1.0f;
    const float firstPart = (firstF + 1.0f) - left;
    const float lastPart = 1.0f - (endF - right);
    coverage_.resize(size_t(x1 - x0));
    for (int32_t x = x0; x < x1; ++x) {
        const int64_t j = x - first, k = end - 1 - x;
        float ramp = 1.0f;
        if (leftRamp && float(j) * leftStep < 1.0f)
            ramp = rampCoverage(j, leftStep);
        if (rightRamp && float(k) * rightStep < 1.0f)
            ramp = rampCoverage(k, rightStep);
        float c = p * ramp;
        if (j == 0)
            c = c * firstPart;
        if (k == 0)
            c = c * lastPart;
        coverage_[size_t(x - x0)] = c;
    }
    sink.row(y, x0, x1 - x0, coverage_.data());
    return true;
}

int32_t CFillMngr::Render(int32_t width, int32_t height, TCoverageSink& sink) const
{
    int32_t from = 0, to = 0;
    if (!valid_ ||
        !clipRows(std::floor(clampCoordinate(bounds_.top)),
                  std::ceil(clampCoordinate(bounds_.bottom)) - 1.0f, height, from, to))
        return 0;
    int32_t rows = 0;
    for (int32_t y = from; y <= to; ++y)
        rows += drawSpan(width, y, bounds_.left, bounds_.right,
                         rowFraction(y, bounds_.top, bounds_.bottom), kSteepSlope, kSteepSlope,
                         sink);
    return rows;
}

int32_t CFillMngr::Render(TChannel& target) const
{
    if (!target.IsValid())
        return 0;
    TChannelCoverageSink sink(target, channelValue_);
    return Render(target.width(), target.height(), sink);
}

// ---- CEllipseFiller ----

void CEllipseFiller::SetEllipse(TPointF p1, TPointF p2)
{
    const float left = std::min(p1.x, p2.x), right = std::max(p1.x, p2.x);
    const float top = std::min(p1.y, p2.y), bottom = std::max(p1.y, p2.y);
    const float midX = (left + right) / 2.0f, midY = (top + bottom) / 2.0f;
    SetEllipse({left, midY}, {right, midY}, {midX, top});
}

void CEllipseFiller::SetEllipse(TPointF diameterStart, TPointF diameterEnd, TPointF onCurve)
{
    valid_ = false;
    if (!finite(diameterStart) || !finite(diameterEnd) || !finite(onCurve))
        return;
    cx_ = (diameterStart.x + diameterEnd.x) / 2.0f;
    cy_ = (diameterStart.y + diameterEnd.y) / 2.0f;
    // Conjugate semi-diameters u and v: the ellipse is centre + u·cos t + v·sin t.
    const float ux = diameterEnd.x - cx_, uy = diameterEnd.y - cy_;
    const float vx = onCurve.x - cx_, vy = onCurve.y - cy_;
    qa_ = uy * uy + vy * vy;
    qb_ = -(ux * uy + vx * vy);
    qc_ = ux * ux + vx * vx;
    const float det = ux * vy - uy * vx;
    qd_ = det * det;
    rx_ = std::sqrt(qc_);
    ry_ = std::sqrt(qa_);
    bounds_ = {cx_ - rx_, cy_ - ry_, cx_ + rx_, cy_ + ry_};
    valid_ = qd_ > 0.0f && std::isfinite(qd_) && rx_ > 0.0f && ry_ > 0.0f &&
             std::isfinite(bounds_.left) && std::isfinite(bounds_.right) &&
             std::isfinite(bounds_.top) && std::isfinite(bounds_.bottom);
}

bool CEllipseFiller::RowSpan(int32_t y, float& left, float& right) const
{
    if (!valid_)
        return false;
    const float dy = float(y) - cy_;
    if (qb_ == 0.0f) { // upright
        const float t = dy / ry_;
        const float r = 1.0f - t * t;
        if (r < 0.0f)
            return false;
        const float s = std::sqrt(r);
        left = cx_ - rx_ * s;
        right = cx_ + rx_ * s;
        return true;
    }
    // qa·dx² + 2·qb·dy·dx + (qc·dy² − qd) = 0
    const float disc = qb_ * qb_ * dy * dy - qa_ * (qc_ * dy * dy - qd_);
    if (disc < 0.0f)
        return false;
    const float s = std::sqrt(disc);
    left = cx_ + (-qb_ * dy - s) / qa_;
    right = cx_ + (-qb_ * dy + s) / qa_;
    return true;
}

int32_t CEllipseFiller::Render(int32_t width, int32_t height, TCoverageSink& sink) const
{
    int32_t from = 0, to = 0;
    if (!valid_ || !clipRows(std::floor(clampCoordinate(bounds_.top)),
                             std::ceil(clampCoordinate(bounds_.bottom)), height, from, to))
        return 0;
    const float w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
    const float a = h / 2.0f;
    int32_t rows = 0;
    for (int32_t y = from; y <= to; ++y) {
        float left = 0, right = 0;
        if (!RowSpan(y, left, right))
            continue;
        const float b = (float(y) - bounds_.top) - a;
        const float q = a * a - b * b;
        const float c = q <= 0.0f ? 0.1f : std::sqrt(q);
        float d = c == 0.0f ? 10.0f : (b * (w / 2.0f)) / (a * c);
        if (d == 0.0f)
            d = 0.1f;
        rows += drawSpan(width, y, left, right, rowFraction(y, bounds_.top, bounds_.bottom), -d,
                         d, sink);
    }
    return rows;
}

// ---- CPolygonFiller ----

bool CPolygonFiller::SetPolygon(const TPointF* points, int32_t count)
{
    valid_ = false;
    points_.clear();
    byY_.clear();
    if (!points || count < 3 || !std::all_of(points, points + count, finite))
        return false;
    points_.assign(points, points + count);
    bounds_ = {points[0].x, points[0].y, points[0].x, points[0].y};
    for (const TPointF& p : points_)
        bounds_ = {std::min(bounds_.left, p.x), std::min(bounds_.top, p.y),
                   std::max(bounds_.right, p.x), std::max(bounds_.bottom, p.y)};
    byY_.resize(size_t(count));
    for (int32_t i = 0; i < count; ++i)
        byY_[size_t(i)] = i;
    std::stable_sort(byY_.begin(), byY_.end(), [this](int32_t a, int32_t b) {
        return points_[size_t(a)].y < points_[size_t(b)].y;
    });
    valid_ = true;
    return true;
}

int32_t CPolygonFiller::Render(int32_t width, int32_t height, TCoverageSink& sink) const
{
    int32_t from = 0, to = 0;
    if (!valid_ ||
        !clipRows(std::ceil(clampCoordinate(bounds_.top) - 0.5f),
                  std::floor(clampCoordinate(bounds_.bottom) - 0.5f), height, from, to))
        return 0;
    const int32_t n = int32_t(points_.size());
    std::vector<TEdge> active;
    size_t next = 0; // the next vertex of byY_ to pass
    int32_t rows = 0;
    for (int32_t y = from; y <= to; ++y) {
        const float centre = float(y) + 0.5f, above = float(y) - 0.5f;
        for (; next < byY_.size() && points_[size_t(byY_[next])].y <= centre; ++next) {
            const int32_t v = byY_[next];
            const TPointF q = points_[size_t(v)];
            // Its two edges: from the previous vertex to it, and from it to the next.
            const int32_t edgeFirsts[2] = {(v + n - 1) % n, v};
            const int32_t others[2] = {(v + n - 1) % n, (v + 1) % n};
            for (int k = 0; k < 2; ++k) {
                const TPointF o = points_[size_t(others[k])];
                if (o.y <= above) {
                    const int32_t id = edgeFirsts[k];
                    active.erase(std::remove_if(active.begin(), active.end(),
                                                [id](const TEdge& e) { return e.first == id; }),
                                 active.end());
                } else if (o.y > centre) {
                    const float s = (o.x - q.x) / (o.y - q.y);
                    active.push_back({(centre - q.y) * s + q.x, s, edgeFirsts[k]});
                }
                // Otherwise the other end lies within this row too: the edge never crosses
                // a row's centre line.
            }
        }
        std::stable_sort(active.begin(), active.end(),
                         [](const TEdge& a, const TEdge& b) { return a.x < b.x; });
        bool drawn = false;
        for (size_t i = 0; i + 1 < active.size(); i += 2)
            drawn |= drawSpan(width, y, active[i].x, active[i + 1].x, 1.0f, active[i].slope,
                              active[i + 1].slope, sink);
        rows += drawn;
        for (TEdge& e : active)
            e.x += e.slope;
    }
    return rows;
}

} // namespace qm

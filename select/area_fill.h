// Area fills: a rectangle, an ellipse or a polygon rasterised row by row with anti-aliased
// edges. The shape tools paint the coverage onto the layer; the selection tools write it into
// a channel that becomes a selection.
//
// Coordinates are those of the target image (pixel (x, y) covers x .. x + 1, y .. y + 1), as
// floats. Each row is cut into spans; a span from left to right (floats) covers the pixels
// ⌊left⌋ … ⌈right⌉ − 1 and gets, per pixel, with p = opacity × the row's fraction:
//   first pixel  p × ramp × (⌊left⌋ + 1 − left)
//   inner pixels p × ramp
//   last pixel   p × ramp × (1 − (⌈right⌉ − right))
// (a span of one pixel takes both factors). The ramp is 1 except along a shallow edge: with
// c = 1/|slope| (slope dx/dy of the edge, 1000 for a slope of 0) below 1, pixel j from that
// end gets, with f = j·c, e = f + c, h = f + e, less (e − 1)²/c when e > 1, min(1, max(0, h/2)),
// for every j with f < 1; the right end's ramp is laid after the left end's. Spans with
// left ≥ right draw nothing. All of it in float, in this order of operations (the build has
// no fused multiply-add), so replay reproduces every value.
//
// Rows outside the target and pixels left of it or at or beyond its right edge are skipped;
// a pixel of a span that the target cuts off loses its end factor with it.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qm {

// A rectangle in float target coordinates, right and bottom exclusive.
struct TAreaBounds {
    float left = 0, top = 0, right = 0, bottom = 0;
};

// Where the coverage of a row goes. Called once per span: pixels x .. x + count − 1 of row
// y, all inside the target; coverage[i] (0..1) belongs to pixel x + i and already holds the
// opacity and the row's fraction. A plotter turns it into a byte by truncation:
// coverageByte(coverage[i]).
struct TCoverageSink {
    virtual ~TCoverageSink() = default;
    virtual void row(int32_t y, int32_t x, int32_t count, const float* coverage) = 0;
};

// The byte a coverage stands for: ⌊coverage × 255⌋ (float product, truncated).
inline uint32_t coverageByte(float coverage)
{
    return uint32_t(coverage * 255.0f);
}

// Channel mode: each pixel rises to ⌊coverage × 255⌋ scaled by the value (Mul255), never
// falls, as a coverage plot does; overlapping spans keep the larger coverage.
class TChannelCoverageSink : public TCoverageSink {
public:
    TChannelCoverageSink(TChannel& channel, uint8_t value) : channel_(channel), value_(value) {}
    void row(int32_t y, int32_t x, int32_t count, const float* coverage) override;

private:
    TChannel& channel_;
    uint8_t value_;
};

// The rectangle, and what every area filler shares: the target, the opacity, channel mode
// and the span coverage.
class CFillMngr {
public:
    CFillMngr() = default;
    virtual ~CFillMngr() = default;

    // The rectangle with corners p1 and p2 (in any order).
    void SetRect(TPointF p1, TPointF p2);
    // The stroke's opacity, 0..1 (1 when a shape becomes a selection).
    void SetOpacity(float opacity) { opacity_ = opacity; }
    float opacity() const { return opacity_; }
    // Write coverage × value into an 8-bit channel instead of painting: Render(TChannel&).
    void SetChannelMode(uint8_t value)
    {
        channelMode_ = true;
        channelValue_ = value;
    }
    bool channelMode() const { return channelMode_; }
    uint8_t channelValue() const { return channelValue_; }

    // Hands the coverage of every row inside a width × height target to the sink; returns
    // the number of rows that received any.
    virtual int32_t Render(int32_t width, int32_t height, TCoverageSink& sink) const;
    // Channel mode into the channel (its size is the target), with the channel value (255
    // unless SetChannelMode said otherwise).
    int32_t Render(TChannel& target) const;

    bool IsValid() const { return valid_; }
    // The shape's bounding rectangle: exact, and widened to whole pixels.
    TAreaBounds BoundsF() const { return bounds_; }
    TRect Bounds() const;

protected:
    // One span of row y with its edges' slopes; true when any pixel reached the sink.
    bool drawSpan(int32_t width, int32_t y, float left, float right, float fraction,
                  float leftSlope, float rightSlope, TCoverageSink& sink) const;
    // The fraction of row y inside top .. bottom: ⌊top⌋ + 1 − top on the first row,
    // 1 − (⌈bottom⌉ − bottom) on the last, 1 between (a single row takes both).
    static float rowFraction(int32_t y, float top, float bottom);
    // The integer rows first .. last (inclusive) of float bounds, clipped to 0 .. height − 1;
    // false when none is left.
    static bool clipRows(float first, float last, int32_t height, int32_t& from, int32_t& to);

    bool valid_ = false;
    TAreaBounds bounds_;
    float opacity_ = 1.0f;
    bool channelMode_ = false;
    uint8_t channelValue_ = 255;
    mutable std::vector<float> coverage_;
};

// The ellipse through three points: the two ends of a diameter and the end of its conjugate
// semi-diameter on the curve (for an ellipse in a rectangle: its left-middle, right-middle and
// top-middle points). Row y (integer) is cut at y itself; for an upright ellipse at
// x = cx ± rx·√(1 − ((y − cy)/ry)²). Rows ⌊cy − ry⌋ … ⌈cy + ry⌉, the first and the last
// weighted as for the rectangle. Edge slopes of row y, with w × h the bounding size:
// a = h/2, b = (y − top) − a, c = √(a² − b²) (0.1 when a² − b² ≤ 0),
// d = b·(w/2)/(a·c) (10 when c = 0, 0.1 when that gives 0); left slope −d, right slope d.
class CEllipseFiller : public CFillMngr {
public:
    // The ellipse inscribed in the rectangle of p1 and p2.
    void SetEllipse(TPointF p1, TPointF p2);
    void SetEllipse(TPointF diameterStart, TPointF diameterEnd, TPointF onCurve);

    int32_t Render(int32_t width, int32_t height, TCoverageSink& sink) const override;
    using CFillMngr::Render;

    // The span of row y (false when the row misses the ellipse).
    bool RowSpan(int32_t y, float& left, float& right) const;

private:
    float cx_ = 0, cy_ = 0, rx_ = 0, ry_ = 0;
    // The implicit form qa·dx² + 2·qb·dx·dy + qc·dy² = qd about the centre.
    float qa_ = 0, qb_ = 0, qc_ = 0, qd_ = 0;
};

// A closed polygon filled even-odd by an active edge list. Row y spans the crossings of the
// line y + 0.5; rows ⌈ymin − 0.5⌉ … ⌊ymax − 0.5⌋. A vertex at or above the line is passed:
// each of its edges leaves the list when its other end lies at or above y − 0.5, is ignored
// when that end is also within the row (y − 0.5, y + 0.5], else joins it with slope
// s = Δx/Δy from its upper end q and x = (y + 0.5 − q.y)·s + q.x. Sorted by x, the edges pair
// off into spans; after each row every x advances by its slope.
class CPolygonFiller : public CFillMngr {
public:
    // False (and nothing to draw) with fewer than 3 points or a non-finite coordinate.
    bool SetPolygon(const TPointF* points, int32_t count);
    bool SetPolygon(std::span<const TPointF> points)
    {
        return SetPolygon(points.data(), int32_t(points.size()));
    }

    int32_t Render(int32_t width, int32_t height, TCoverageSink& sink) const override;
    using CFillMngr::Render;

private:
    struct TEdge {
        float x;     // at the current row's centre line
        float slope; // dx/dy
        int32_t first; // the edge runs from vertex `first` to the next one
    };

    std::vector<TPointF> points_;
    std::vector<int32_t> byY_; // vertex indices sorted by y
};

} // namespace qm

#include "select/area_fill.h"

#include "core/image_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace qm;

namespace {

// Keeps every coverage it is given, checking that the spans stay inside the target.
struct TRecordingSink : TCoverageSink {
    TRecordingSink(int32_t w, int32_t h) : width(w), height(h), grid(size_t(w) * h, 0.0f) {}
    void row(int32_t y, int32_t x, int32_t count, const float* coverage) override
    {
        ++calls;
        EXPECT_TRUE(y >= 0 && y < height && x >= 0 && count > 0 && x + count <= width)
            << "span " << x << "+" << count << " on row " << y;
        if (y < 0 || y >= height || x < 0 || x + count > width)
            return;
        for (int32_t i = 0; i < count; ++i)
            grid[size_t(y) * width + x + i] += coverage[i];
    }
    float at(int32_t x, int32_t y) const { return grid[size_t(y) * width + x]; }
    double total() const
    {
        double sum = 0;
        for (float v : grid)
            sum += v;
        return sum;
    }
    int32_t width, height;
    std::vector<float> grid;
    int calls = 0;
};

// The part of each pixel inside a shape, from 16 × 16 samples.
std::vector<float> supersampled(int32_t w, int32_t h, const std::function<bool(double, double)>& in)
{
    std::vector<float> out(size_t(w) * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int inside = 0;
            for (int sy = 0; sy < 16; ++sy)
                for (int sx = 0; sx < 16; ++sx)
                    inside += in(x + (sx + 0.5) / 16, y + (sy + 0.5) / 16);
            out[size_t(y) * w + x] = float(inside) / 256.0f;
        }
    return out;
}

bool insidePolygon(const std::vector<TPointF>& p, double x, double y)
{
    bool inside = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        if ((p[i].y > y) != (p[j].y > y) &&
            x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
            inside = !inside;
    return inside;
}

TEST(AreaFillRect, CoverageIsOpacityTimesTheRowAndColumnFractions)
{
    CFillMngr rect;
    rect.SetRect({6.75f, 4.0f}, {2.25f, 1.5f});
    rect.SetOpacity(0.8f);
    TRecordingSink sink(10, 6);
    EXPECT_EQ(rect.Render(10, 6, sink), 3); // rows 1, 2, 3
    EXPECT_EQ(rect.Bounds(), (TRect{2, 1, 7, 4}));
    const float rowPart[6] = {0, 0.5f, 1, 1, 0, 0};
    const float columnPart[10] = {0, 0, 0.75f, 1, 1, 1, 0.75f, 0, 0, 0};
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 10; ++x)
            EXPECT_FLOAT_EQ(sink.at(x, y), 0.8f * rowPart[y] * columnPart[x]) << x << ", " << y;

    // Channel mode: ⌊coverage × 255⌋ scaled by the value, never lowering a pixel.
    TChannel channel(10, 6);
    channel.setValue(4, 2, 250);
    rect.SetChannelMode(200);
    EXPECT_EQ(rect.Render(channel), 3);
    auto scaled = [](uint32_t a) { return (a * 200u * 32897u) >> 23; };
    uint8_t v = 0;
    EXPECT_TRUE(channel.getValue(2, 1, v) && v == scaled(76)); // 0.3 × 255 = 76.5
    EXPECT_TRUE(channel.getValue(3, 2, v) && v == scaled(204)); // 0.8 × 255 = 204
    EXPECT_TRUE(channel.getValue(4, 2, v) && v == 250);
    EXPECT_TRUE(channel.getValue(7, 2, v) && v == 0);
}

TEST(AreaFillRect, PixelsCutOffByTheTargetLoseTheirEndFactor)
{
    CFillMngr rect;
    rect.SetRect({-3.5f, -2.5f}, {4.5f, 1.25f});
    TRecordingSink sink(4, 3);
    EXPECT_EQ(rect.Render(4, 3, sink), 2); // rows 0 and 1 of −3 … 1
    for (int32_t x = 0; x < 4; ++x) {
        EXPECT_FLOAT_EQ(sink.at(x, 0), 1.0f);
        EXPECT_FLOAT_EQ(sink.at(x, 1), 0.25f);
        EXPECT_FLOAT_EQ(sink.at(x, 2), 0.0f);
    }
    CFillMngr outside;
    outside.SetRect({5.0f, 0.0f}, {9.0f, 2.0f});
    EXPECT_EQ(outside.Render(4, 3, sink), 0);
    CFillMngr empty;
    empty.SetRect({1.0f, 1.0f}, {1.0f, 2.0f});
    EXPECT_EQ(empty.Render(4, 3, sink), 0);
    EXPECT_EQ(sink.calls, 2);
}

TEST(AreaFillEllipse, RowsAreCutAtTheirOwnYWithShallowEdgeRamps)
{
    CEllipseFiller circle;
    circle.SetEllipse({10, 10}, {50, 50});
    TRecordingSink sink(64, 64);
    circle.Render(64, 64, sink);
    // Row 30 runs through the centre: 10 … 50, slope ±0.1 there, no ramp.
    for (int32_t x = 0; x < 64; ++x)
        EXPECT_FLOAT_EQ(sink.at(x, 30), x >= 10 && x < 50 ? 1.0f : 0.0f) << x;
    // Row 15: x = 30 ± 20·√(1 − 0.75²) = 16.771244 … 43.228756; slope ±1.1338934 gives a ramp
    // step c = 0.8819171: pixel 16 gets c/2 × (17 − 16.771244) = 0.1008719, pixel 17
    // (f + e − (e − 1)²/c)/2 = 0.9920948.
    EXPECT_NEAR(sink.at(16, 15), 0.1008719f, 1e-6);
    EXPECT_NEAR(sink.at(17, 15), 0.9920948f, 1e-6);
    EXPECT_NEAR(sink.at(43, 15), 0.1008719f, 1e-6);
    EXPECT_NEAR(sink.at(42, 15), 0.9920948f, 1e-6);
    EXPECT_FLOAT_EQ(sink.at(15, 15), 0.0f);
    EXPECT_FLOAT_EQ(sink.at(30, 15), 1.0f);
    // The top row (y = 10) meets the circle in one point only: nothing.
    for (int32_t x = 0; x < 64; ++x)
        EXPECT_FLOAT_EQ(sink.at(x, 10), 0.0f);

    // Against the true circle: solid well inside, empty well outside, about its area in
    // all (rows cut at their top edge lose at the top what they gain at the bottom).
    const std::vector<float> truth = supersampled(
        64, 64, [](double x, double y) { return (x - 30) * (x - 30) + (y - 30) * (y - 30) < 400; });
    double expectedTotal = 0;
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            const double r = std::hypot(x + 0.5 - 30, y + 0.5 - 30);
            if (r < 17.5) {
                EXPECT_FLOAT_EQ(sink.at(x, y), 1.0f) << x << ", " << y;
            }
            if (r > 21.5) {
                EXPECT_FLOAT_EQ(sink.at(x, y), 0.0f) << x << ", " << y;
            }
            expectedTotal += truth[size_t(y) * 64 + x];
        }
    EXPECT_NEAR(sink.total(), expectedTotal, expectedTotal * 0.02);
}

TEST(AreaFillEllipse, FirstAndLastRowsTakeTheirFraction)
{
    // cy = 30, ry = 19.5: rows 10 … 50; row 10 and row 50 miss the ellipse, row 49 (the last
    // row, fraction 1 − (50 − 49.5) = 0.5) mirrors row 11 at half its coverage.
    CEllipseFiller e;
    e.SetEllipse({10, 10.5f}, {50, 49.5f});
    TRecordingSink sink(64, 64);
    EXPECT_EQ(e.Render(64, 64, sink), 39);
    float left = 0, right = 0;
    EXPECT_FALSE(e.RowSpan(10, left, right));
    ASSERT_TRUE(e.RowSpan(49, left, right));
    EXPECT_NEAR(left, 25.500017f, 1e-5);
    EXPECT_NEAR(right, 34.499985f, 1e-5);
    // Slope 4.4415407, c = 0.2251471: pixel 25 gets 0.5 × c/2 × (26 − 25.500017).
    EXPECT_NEAR(sink.at(25, 49), 0.0281424f, 1e-6);
    for (int32_t x = 20; x < 40; ++x)
        EXPECT_FLOAT_EQ(sink.at(x, 49), sink.at(x, 11) / 2) << x;
}

TEST(AreaFillPolygon, HandWorkedTriangleWithAShallowEdge)
{
    // (2, 1), (10, 5), (2, 5): rows 1 … 4; the left edge is vertical, the right one has
    // slope 2 (ramp step 0.5: 0.25, 0.75 from the right end). At row y the centre line
    // meets the edges at 2 and 2 + 2(y + 0.5 − 1).
    CPolygonFiller triangle;
    const TPointF points[3] = {{2, 1}, {10, 5}, {2, 5}};
    ASSERT_TRUE(triangle.SetPolygon(points, 3));
    TRecordingSink sink(12, 8);
    EXPECT_EQ(triangle.Render(12, 8, sink), 4);
    const std::vector<std::vector<float>> rows = {
        {}, {0.25f}, {1, 0.75f, 0.25f}, {1, 1, 1, 0.75f, 0.25f}, {1, 1, 1, 1, 1, 0.75f, 0.25f}};
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            const std::vector<float>& r = y < 5 ? rows[size_t(y)] : rows[0];
            const float expected = x >= 2 && size_t(x - 2) < r.size() ? r[size_t(x - 2)] : 0.0f;
            EXPECT_FLOAT_EQ(sink.at(x, y), expected) << x << ", " << y;
        }
}

TEST(AreaFillPolygon, SteepPolygonFollowsItsArea)
{
    // Edges no shallower than 45°, the top corner above the target.
    const std::vector<TPointF> quad = {{20.3f, -6.6f}, {35.8f, 9.2f}, {21.1f, 38.7f}, {0.4f, 14.9f}};
    CPolygonFiller polygon;
    ASSERT_TRUE(polygon.SetPolygon(quad));
    TRecordingSink sink(40, 40);
    polygon.Render(40, 40, sink);
    const std::vector<float> truth =
        supersampled(40, 40, [&](double x, double y) { return insidePolygon(quad, x, y); });
    double expectedTotal = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            EXPECT_NEAR(sink.at(x, y), truth[size_t(y) * 40 + x], 0.3) << x << ", " << y;
            expectedTotal += truth[size_t(y) * 40 + x];
        }
    EXPECT_NEAR(sink.total(), expectedTotal, expectedTotal * 0.01);
}

TEST(AreaFillPolygon, DegeneratePolygonsDrawNothing)
{
    CPolygonFiller polygon;
    const TPointF onOneRow[4] = {{1, 3.2f}, {9, 3.2f}, {5, 3.2f}, {2, 3.2f}};
    EXPECT_TRUE(polygon.SetPolygon(onOneRow, 4));
    TRecordingSink sink(12, 8);
    EXPECT_EQ(polygon.Render(12, 8, sink), 0);
    const TPointF two[2] = {{1, 1}, {5, 5}};
    EXPECT_FALSE(polygon.SetPolygon(two, 2));
    EXPECT_EQ(polygon.Render(12, 8, sink), 0);
    const TPointF withNaN[3] = {{1, 1}, {5, NAN}, {1, 6}};
    EXPECT_FALSE(polygon.SetPolygon(withNaN, 3));
    EXPECT_EQ(polygon.Render(12, 8, sink), 0);
    EXPECT_EQ(sink.calls, 0);
}

} // namespace

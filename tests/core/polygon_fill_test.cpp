#include "core/polygon_fill.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace qm;

namespace {

int filledCount(const TChannel& c, uint8_t value)
{
    int n = 0;
    for (int32_t y = 0; y < c.height(); ++y)
        for (int32_t x = 0; x < c.width(); ++x)
            n += c.row(y)[x] == value;
    return n;
}

} // namespace

TEST(PolygonFill, SquareFillsExactlyTheCentresInside)
{
    TChannel c(10, 10);
    const std::vector<TPoint> square = {{2, 3}, {6, 3}, {6, 8}, {2, 8}};
    EXPECT_TRUE(fillPolygon(c, square, 255));
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x)
            EXPECT_EQ(c.row(y)[x], (x >= 2 && x < 6 && y >= 3 && y < 8) ? 255 : 0) << x << "," << y;

    // A square between pixel centres covers nothing; one just across them covers one pixel.
    TChannel small(4, 4);
    const std::vector<TPointF> between = {{1.6f, 1.6f}, {2.4f, 1.6f}, {2.4f, 2.4f}, {1.6f, 2.4f}};
    fillPolygon(small, between, 9);
    EXPECT_EQ(filledCount(small, 9), 0);
    const std::vector<TPointF> across = {{1.4f, 1.4f}, {1.6f, 1.4f}, {1.6f, 1.6f}, {1.4f, 1.6f}};
    fillPolygon(small, across, 9);
    EXPECT_EQ(small.row(1)[1], 9);
    EXPECT_EQ(filledCount(small, 9), 1);
}

TEST(PolygonFill, TriangleRowsFollowTheEdges)
{
    TChannel c(8, 8);
    const std::vector<TPointF> tri = {{0.0f, 0.0f}, {8.0f, 0.0f}, {0.0f, 8.0f}};
    fillPolygon(c, tri, 1);
    // Row y is filled where x + 0.5 < 8 − (y + 0.5), i.e. x < 7 − y.
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(c.row(y)[x], x < 7 - y ? 1 : 0) << x << "," << y;
}

TEST(PolygonFill, SelfIntersectingStarDependsOnTheRule)
{
    // A five-pointed star drawn in one stroke: its centre is wound twice.
    std::vector<TPointF> star;
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 4 * M_PI / 5;
        star.push_back({float(50 + 40 * std::cos(a)), float(50 + 40 * std::sin(a))});
    }
    TChannel nonZero(100, 100), evenOdd(100, 100);
    fillPolygon(nonZero, star, 1, TFillRule::NonZero);
    fillPolygon(evenOdd, star, 1, TFillRule::EvenOdd);
    EXPECT_EQ(nonZero.row(50)[50], 1);
    EXPECT_EQ(evenOdd.row(50)[50], 0);
    EXPECT_EQ(nonZero.row(20)[50], 1); // upper point: wound once, filled by both
    EXPECT_EQ(evenOdd.row(20)[50], 1);
    EXPECT_EQ(nonZero.row(5)[5], 0);
    EXPECT_GT(filledCount(nonZero, 1), filledCount(evenOdd, 1));

    // A bow tie: two triangles meeting at a point, wound oppositely; both rules fill both.
    TChannel bow(10, 10);
    const std::vector<TPoint> tie = {{0, 0}, {10, 10}, {10, 0}, {0, 10}};
    fillPolygon(bow, tie, 1);
    EXPECT_EQ(bow.row(5)[1], 1);
    EXPECT_EQ(bow.row(5)[8], 1);
    EXPECT_EQ(bow.row(1)[5], 0);
}

TEST(PolygonFill, DegenerateAndHugeInput)
{
    TChannel c(6, 6);
    EXPECT_FALSE(fillPolygon(c, std::vector<TPointF>{}, 1));
    EXPECT_FALSE(fillPolygon(c, std::vector<TPointF>{{1, 1}}, 1));
    EXPECT_FALSE(fillPolygon(c, std::vector<TPointF>{{1, 1}, {4, 4}}, 1));
    EXPECT_FALSE(fillPolygon(c, std::vector<TPointF>{{1, 1}, {NAN, 4}, {4, 1}}, 1));
    EXPECT_TRUE(fillPolygon(c, std::vector<TPointF>{{0, 0}, {3, 3}, {6, 6}}, 1)); // collinear
    EXPECT_TRUE(fillPolygon(c, std::vector<TPointF>{{0, 2}, {6, 2}, {3, 2}}, 1)); // flat
    EXPECT_EQ(filledCount(c, 1), 0);

    // Coordinates far beyond the image: the whole picture is inside.
    const std::vector<TPointF> huge = {
        {-1e30f, -1e30f}, {1e30f, -1e30f}, {1e30f, 1e30f}, {-1e30f, 1e30f}};
    EXPECT_TRUE(fillPolygon(c, huge, 7));
    EXPECT_EQ(filledCount(c, 7), 36);
    const std::vector<TPoint> hugeInt = {
        {INT32_MIN, 3}, {INT32_MAX, 3}, {INT32_MAX, 4}, {INT32_MIN, 4}};
    EXPECT_TRUE(fillPolygon(c, hugeInt, 2));
    EXPECT_EQ(filledCount(c, 2), 6);
    EXPECT_EQ(c.row(3)[0], 2);
}

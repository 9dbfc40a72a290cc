#include "select/morphology.h"

#include "core/image_ops.h"

#include <gtest/gtest.h>

#include <random>

using namespace qm;

namespace {

// Max (grow) or min (shrink) over the octagon, pixel by pixel.
uint8_t bruteForce(const TChannel& m, int n, int32_t x, int32_t y, bool grow)
{
    uint8_t r = grow ? 0 : 255;
    for (int dx = -n; dx <= n; ++dx) {
        const int adx = std::abs(dx);
        const int limit = std::min(n, (n + 1) / 2 + n - adx);
        for (int dy = -limit; dy <= limit; ++dy) {
            const int32_t sx = x + dx, sy = y + dy;
            const uint8_t v = (sx >= 0 && sy >= 0 && sx < m.width() && sy < m.height())
                                  ? m.row(sy)[sx]
                                  : uint8_t(0);
            r = grow ? std::max(r, v) : std::min(r, v);
        }
    }
    return r;
}

TChannel randomMask(std::mt19937& random, int32_t w, int32_t h)
{
    TChannel m(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t r = random() % 10;
            m.row(y)[x] = r < 5 ? 0 : r < 8 ? 255 : uint8_t(random());
        }
    return m;
}

} // namespace

TEST(Morphology, OctagonShapes)
{
    EXPECT_EQ(octagonHalfHeight(1, 1), 1); // 3 × 3 square
    EXPECT_EQ(octagonHalfHeight(2, 2), 1); // 5 × 5 without corners
    EXPECT_EQ(octagonHalfHeight(2, 1), 2);
    EXPECT_EQ(octagonHalfHeight(32, 32), 16);
}

TEST(Morphology, GrowOfOnePixel)
{
    TChannel dot(1, 1);
    dot.row(0)[0] = 200;
    TChannel grown;
    ASSERT_TRUE(growChannel(dot, 1, grown));
    ASSERT_EQ(grown.width(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(grown.row(y)[x], 200);
    ASSERT_TRUE(growChannel(dot, 2, grown));
    ASSERT_EQ(grown.width(), 5);
    int selected = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            selected += grown.row(y)[x] == 200;
    EXPECT_EQ(selected, 21);
    EXPECT_EQ(grown.row(0)[0], 0);
    EXPECT_EQ(grown.row(4)[4], 0);
}

TEST(Morphology, ShrinkRecedesFromTheEdges)
{
    TChannel full(6, 4);
    fillAll(full, 255);
    TChannel shrunk;
    ASSERT_TRUE(shrinkChannel(full, 1, shrunk));
    EXPECT_EQ(shrunk.row(0)[2], 0);
    EXPECT_EQ(shrunk.row(1)[0], 0);
    EXPECT_EQ(shrunk.row(1)[1], 255);
    EXPECT_EQ(shrunk.row(2)[4], 255);
    EXPECT_EQ(shrunk.row(2)[5], 0);
    EXPECT_FALSE(shrinkChannel(full, 0, shrunk));
    EXPECT_FALSE(growChannel(full, 33, shrunk));
}

TEST(Morphology, MatchesBruteForceForEveryAmount)
{
    std::mt19937 random(8);
    for (int n = 1; n <= kMaxGrowShrink; ++n) {
        const TChannel m = randomMask(random, 9 + n % 7, 6 + n % 5);
        TChannel grown, shrunk;
        ASSERT_TRUE(growChannel(m, n, grown));
        ASSERT_TRUE(shrinkChannel(m, n, shrunk));
        for (int32_t y = 0; y < grown.height(); ++y)
            for (int32_t x = 0; x < grown.width(); ++x)
                ASSERT_EQ(grown.row(y)[x], bruteForce(m, n, x - n, y - n, true))
                    << "grow n " << n << " at " << x << "," << y;
        for (int32_t y = 0; y < m.height(); ++y)
            for (int32_t x = 0; x < m.width(); ++x)
                ASSERT_EQ(shrunk.row(y)[x], bruteForce(m, n, x, y, false))
                    << "shrink n " << n << " at " << x << "," << y;
    }
}

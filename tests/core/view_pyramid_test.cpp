#include "core/view_pyramid.h"

#include <gtest/gtest.h>

#include <random>

namespace qm {

namespace {

TMTC noise(int32_t width, int32_t height, uint32_t seed)
{
    TMTC image(width, height);
    std::mt19937 random(seed);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.row(y)[x] = uint32_t(random());
    return image;
}

// One level from the one below, straight from the rule: each byte the truncated mean of the
// 2 × 2 block, the edge pixel standing in for pixels past an odd edge.
TMTC halved(const TMTC& below)
{
    TMTC out((below.width() + 1) / 2, (below.height() + 1) / 2);
    for (int32_t y = 0; y < out.height(); ++y)
        for (int32_t x = 0; x < out.width(); ++x) {
            uint32_t p = 0;
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        sum += (below.getPixelClamped(2 * x + dx, 2 * y + dy) >> (8 * c)) & 255;
                p |= uint32_t(sum / 4) << (8 * c);
            }
            out.row(y)[x] = p;
        }
    return out;
}

void expectSame(const TMTC& a, const TMTC& b, int level)
{
    ASSERT_EQ(a.width(), b.width()) << level;
    ASSERT_EQ(a.height(), b.height()) << level;
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x)
            ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << level << ": " << x << "," << y;
}

} // namespace

TEST(ViewPyramid, LevelsHalveDownToOnePixelAveragingTwoByTwo)
{
    for (auto [w, h] : {std::pair{37, 20}, std::pair{1, 9}, std::pair{64, 64}}) {
        const TMTC source = noise(w, h, uint32_t(w * h));
        TViewPyramid pyramid;
        pyramid.rebuild(source);
        TMTC expected = halved(source);
        for (int32_t k = 1; k <= pyramid.levels(); ++k) {
            expectSame(pyramid.level(k), expected, k);
            expected = halved(expected);
        }
        const TMTC& top = pyramid.level(pyramid.levels());
        EXPECT_EQ(top.width() * top.height(), 1);
        EXPECT_TRUE(pyramid.matches(source));
    }
    TViewPyramid empty;
    empty.rebuild(TMTC());
    EXPECT_EQ(empty.levels(), 0);
}

TEST(ViewPyramid, UpdatingADirtyBoxEqualsRebuilding)
{
    TMTC source = noise(75, 50, 3);
    TViewPyramid updated;
    updated.rebuild(source);
    std::mt19937 random(4);
    for (int round = 0; round < 40; ++round) {
        // A box that may reach past the picture; only the picture inside it changes.
        const TBox box{int32_t(random() % 85) - 5, int32_t(random() % 60) - 5,
                       int32_t(random() % 20), int32_t(random() % 20)};
        for (int32_t y = std::max(box.y, 0); y < std::min(box.y + box.height, 50); ++y)
            for (int32_t x = std::max(box.x, 0); x < std::min(box.x + box.width, 75); ++x)
                source.row(y)[x] = uint32_t(random());
        updated.update(source, box);
    }
    TViewPyramid rebuilt;
    rebuilt.rebuild(source);
    ASSERT_EQ(updated.levels(), rebuilt.levels());
    for (int32_t k = 1; k <= rebuilt.levels(); ++k)
        expectSame(updated.level(k), rebuilt.level(k), k);
    // Another size is rebuilt whole.
    const TMTC other = noise(20, 30, 5);
    updated.update(other, {0, 0, 1, 1});
    EXPECT_TRUE(updated.matches(other));
    expectSame(updated.level(1), halved(other), 1);
}

} // namespace qm

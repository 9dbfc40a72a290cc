#include "core/image_scale.h"

#include "core/image_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace qm;

namespace {

std::vector<uint32_t> pixels(const TMTC& img)
{
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < img.height(); ++y)
        v.insert(v.end(), img.row(y), img.row(y) + img.width());
    return v;
}

} // namespace

TEST(DownscaleBox, UniformPictureKeepsItsColourAndTheDestinationAlpha)
{
    TTC source(10, 7);
    fillAll(source, 0xFF336699u);
    TMTC dest(3, 2);
    fillAll(dest, 0x40000000u);
    EXPECT_TRUE(downscaleBox(dest, source));
    EXPECT_EQ(pixels(dest), std::vector<uint32_t>(6, 0x40336699u));
}

TEST(DownscaleBox, SampleCountIsRatioPlusOneWithClampedCoordinates)
{
    // 4 → 2: three samples per pixel from x = 0 and x = 2; the last one clamps to x = 3.
    TTC source(4, 1);
    for (int32_t x = 0; x < 4; ++x)
        source.row(0)[x] = uint32_t(10 * x);
    TMTC dest(2, 1);
    EXPECT_TRUE(downscaleBox(dest, source));
    EXPECT_EQ(pixels(dest), (std::vector<uint32_t>{10, 26})); // (0+10+20)/3, (20+30+30)/3

    // Enlarging takes one sample: nearest pixel.
    TMTC wide(4, 1);
    EXPECT_TRUE(downscaleBox(wide, source, {2, 0, 2, 1}));
    EXPECT_EQ(pixels(wide), (std::vector<uint32_t>{20, 20, 30, 30}));
}

TEST(DownscaleBox, BoxSamplesMayReachPastTheBoxButNotTheSource)
{
    TTC source(8, 8);
    fillAll(source, 0);
    fillRect(source, {4, 0, 4, 8}, 90u);
    TMTC dest(2, 2);
    EXPECT_TRUE(downscaleBox(dest, source, {0, 0, 4, 4}));
    EXPECT_EQ(pixels(dest), (std::vector<uint32_t>{0, 30, 0, 30}));
    EXPECT_FALSE(downscaleBox(dest, source, {8, 8, 4, 4})); // nothing left after clipping
}

TEST(DownscaleSupersample, CheckerAveragesAllFourBytes)
{
    TMTC checker(4, 4);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            checker.row(y)[x] = ((x + y) & 1) ? 0xFFFFFFFFu : 0u;
    TMTC dest(2, 2);
    EXPECT_TRUE(downscaleSupersample(dest, checker));
    EXPECT_EQ(pixels(dest), std::vector<uint32_t>(4, 0x7F7F7F7Fu));

    TMTC one(1, 1);
    TMTC two(2, 2);
    two.row(0)[0] = 0x10203040u;
    two.row(1)[1] = 0x10203040u;
    EXPECT_TRUE(downscaleSupersample(one, two));
    EXPECT_EQ(one.row(0)[0], 0x08101820u);
}

TEST(RotateScale, IdentityHalfTurnQuarterTurnAndScale)
{
    TMTC source(3, 2);
    for (uint32_t i = 0; i < 6; ++i)
        source.row(int32_t(i / 3))[i % 3] = i + 1;

    TTC same(3, 2);
    EXPECT_TRUE(rotateScale(same, source, 0.0, 1.0, 99));
    EXPECT_EQ(pixels(same), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));

    TTC half(3, 2);
    EXPECT_TRUE(rotateScale(half, source, M_PI, 1.0, 99));
    EXPECT_EQ(pixels(half), (std::vector<uint32_t>{6, 5, 4, 3, 2, 1}));

    // A quarter turn clockwise: the left column, read upwards, becomes the top row.
    TTC quarter(2, 3);
    EXPECT_TRUE(rotateScale(quarter, source, M_PI / 2, 1.0, 99));
    EXPECT_EQ(pixels(quarter), (std::vector<uint32_t>{4, 1, 5, 2, 6, 3}));

    TTC doubled(6, 4);
    EXPECT_TRUE(rotateScale(doubled, source, 0.0, 2.0, 99));
    EXPECT_EQ(doubled.row(0)[0], 1u);
    EXPECT_EQ(doubled.row(1)[1], 1u);
    EXPECT_EQ(doubled.row(3)[5], 6u);
    EXPECT_EQ(doubled.row(2)[2], 5u);

    // Outside the source: the background.
    TTC larger(5, 4);
    EXPECT_TRUE(rotateScale(larger, source, 0.0, 1.0, 99));
    EXPECT_EQ(larger.row(0)[0], 99u);
    EXPECT_EQ(larger.row(1)[1], 1u);
    EXPECT_EQ(larger.row(2)[4], 99u);

    EXPECT_FALSE(rotateScale(larger, source, 0.0, 0.0, 99));
    EXPECT_FALSE(rotateScale(larger, source, NAN, 1.0, 99));
}

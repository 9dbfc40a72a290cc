#include "core/image_ops.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {
void numberPixels(TMTC& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.row(y)[x] = uint32_t(y * 100 + x);
}
} // namespace

TEST(CopyClip, NegativeSourceShiftsTheDestination)
{
    TPoint at{10, 10};
    TBox box{-3, -4, 8, 8};
    ASSERT_TRUE(clipCopy(20, 20, 50, 50, at, box));
    EXPECT_EQ(box, (TBox{0, 0, 5, 4}));
    EXPECT_EQ(at, (TPoint{13, 14}));
}

TEST(CopyClip, NegativeDestinationShiftsTheSource)
{
    TPoint at{-2, 45};
    TBox box{5, 5, 10, 10};
    ASSERT_TRUE(clipCopy(20, 20, 50, 50, at, box));
    EXPECT_EQ(box, (TBox{7, 5, 8, 5}));
    EXPECT_EQ(at, (TPoint{0, 45}));
}

TEST(CopyClip, EmptyCases)
{
    TPoint at{0, 0};
    TBox box{20, 0, 5, 5};
    EXPECT_FALSE(clipCopy(20, 20, 50, 50, at, box));
    at = {50, 0};
    box = {0, 0, 5, 5};
    EXPECT_FALSE(clipCopy(20, 20, 50, 50, at, box));
    at = {-5, 0};
    box = {0, 0, 5, 5};
    EXPECT_FALSE(clipCopy(20, 20, 50, 50, at, box));
    at = {0, 0};
    box = {0, 0, 0, 5};
    EXPECT_FALSE(clipCopy(20, 20, 50, 50, at, box));
}

TEST(ImageOps, CopyBetweenBottomUpAndTopDownKeepsThePicture)
{
    TMTC source(6, 5);
    numberPixels(source);
    TTC display(6, 5);
    ASSERT_TRUE(copyRect(display, {-1, 0}, source, TBox{0, 0, 6, 5}));
    EXPECT_EQ(display.pixel(0, 0), 1u);
    EXPECT_EQ(display.pixel(4, 4), 405u);
    TChannel channel(6, 5);
    EXPECT_FALSE(copyRect(channel, {0, 0}, source, source.bounds())); // depths differ
}

TEST(ImageOps, FillsMaskedSetAndXorClipFirst)
{
    TMTC image(4, 4);
    EXPECT_FALSE(fillRect(image, TBox{4, 0, 2, 2}, 1));
    ASSERT_TRUE(fillRect(image, TBox{-1, -1, 3, 3}, 0x11223344u));
    EXPECT_EQ(image.pixel(1, 1), 0x11223344u);
    EXPECT_EQ(image.pixel(2, 2), 0u);
    ASSERT_TRUE(setAlpha(image, image.bounds(), 0x80));
    EXPECT_EQ(image.pixel(1, 1), 0x80223344u);
    EXPECT_EQ(image.pixel(3, 3), 0x80000000u);
    ASSERT_TRUE(xorRect(image, image.bounds(), 0x00FFFFFFu));
    EXPECT_EQ(image.pixel(1, 1), 0x80DDCCBBu);

    TChannel channel(3, 3);
    ASSERT_TRUE(fillAll(channel, 7));
    ASSERT_TRUE(xorRect(channel, TBox{1, 1, 5, 5}, 0xFF));
    EXPECT_EQ(channel.row(0)[0], 7);
    EXPECT_EQ(channel.row(2)[2], 0xF8);
}

TEST(ImageOps, BlendsByAlpha)
{
    TMTC source(2, 1), dest(2, 1);
    fillAll(source, 0x10FFFFFFu);
    fillAll(dest, 0xFF000000u);
    EXPECT_FALSE(blendRect(dest, {0, 0}, source, source.bounds(), 0));
    EXPECT_EQ(dest.pixel(0, 0), 0xFF000000u);
    ASSERT_TRUE(blendRect(dest, {0, 0}, source, source.bounds(), 128));
    EXPECT_EQ(dest.pixel(0, 0), 0xFF808080u);
    ASSERT_TRUE(blendRectHalf(dest, {0, 0}, source, source.bounds(), 255));
    EXPECT_EQ(dest.pixel(0, 0), 0x10FFFFFFu); // alpha 255 copies all four bytes
}

TEST(ImageOps, ColourKeyedCopyAndChannelToColour)
{
    TMTC source(3, 1), dest(3, 1);
    source.row(0)[0] = 0xFF00FF00u;
    source.row(0)[1] = 0x12FF00FFu; // key colour, whatever its alpha
    source.row(0)[2] = 0xFF0000FFu;
    fillAll(dest, 0xFF000000u);
    ASSERT_TRUE(colourKeyedCopy(dest, {0, 0}, source, source.bounds(), 0xFFFF00FFu, 255));
    EXPECT_EQ(dest.pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(dest.pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(dest.pixel(2, 0), 0xFF0000FFu);

    TChannel channel(2, 1);
    channel.row(0)[0] = 0;
    channel.row(0)[1] = 0x40;
    ASSERT_TRUE(channelToColour(dest, {1, 0}, channel, channel.bounds()));
    EXPECT_EQ(dest.pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(dest.pixel(1, 0), 0u);
    EXPECT_EQ(dest.pixel(2, 0), 0xFF404040u);
}

TEST(ImageOps, FlipsAndRotationOfOddSizes)
{
    TMTC image(3, 3);
    numberPixels(image);
    TMTC original(3, 3);
    numberPixels(original);
    ASSERT_TRUE(rotate180(image, image.bounds()));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(image.pixel(x, y), original.pixel(2 - x, 2 - y));
    ASSERT_TRUE(flipVertical(image, image.bounds()));
    ASSERT_TRUE(flipHorizontal(image, image.bounds()));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(image.pixel(x, y), original.pixel(x, y));

    TChannel channel(4, 1);
    for (int x = 0; x < 4; ++x)
        channel.row(0)[x] = uint8_t(x);
    ASSERT_TRUE(flipHorizontal(channel, TBox{1, 0, 3, 1}));
    EXPECT_EQ(channel.row(0)[0], 0);
    EXPECT_EQ(channel.row(0)[1], 3);
    EXPECT_EQ(channel.row(0)[3], 1);
}

TEST(ImageOps, Checkerboards)
{
    TMTC image(8, 4);
    ASSERT_TRUE(checkerboard(image, TBox{2, 0, 6, 4}, 2, 2, 1, 2));
    EXPECT_EQ(image.pixel(2, 0), 1u);
    EXPECT_EQ(image.pixel(4, 0), 2u);
    EXPECT_EQ(image.pixel(4, 2), 1u);
    ASSERT_TRUE(checkerboardAligned(image, TBox{3, 0, 5, 4}, 2, 2, 1, 2));
    EXPECT_EQ(image.pixel(3, 0), 2u); // cell column 1 in image coordinates
    EXPECT_EQ(image.pixel(4, 0), 1u);
    EXPECT_FALSE(checkerboard(image, image.bounds(), 0, 2, 1, 2));
}

TEST(ImageOps, PerPixelFunctions)
{
    TMTC image(3, 3);
    int calls = 0;
    ASSERT_TRUE(applyPixelFn(
        image, TBox{1, 1, 5, 5},
        [&](uint32_t* p, uint32_t v, int user) {
            *p = v + uint32_t(user);
            ++calls;
        },
        10u, 5));
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(image.pixel(2, 2), 15u);
    EXPECT_EQ(image.pixel(0, 0), 0u);
}

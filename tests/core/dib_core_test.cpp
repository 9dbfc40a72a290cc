#include "core/dib_core.h"
#include "core/image_ops.h"
#include "core/view_sink.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(DibCore, RowOrderOfEachKind)
{
    TChannel channel(3, 2);
    ASSERT_TRUE(channel.IsValid());
    EXPECT_EQ(channel.RowStep(), -3);
    EXPECT_EQ(channel.rowOffsets()[0], 3); // bottom-up: the top row is stored last
    EXPECT_EQ(channel.ByteSize(), 6);

    TMTC colour(3, 2);
    EXPECT_EQ(colour.RowStep(), 3);
    EXPECT_EQ(colour.rowOffsets()[1], 12);
    EXPECT_EQ(colour.PixelAddress(2, 1), colour.bits() + 12 + 8);

    TTC display(3, 2);
    EXPECT_EQ(display.RowStep(), -3);
    EXPECT_EQ(display.rowOffsets()[0], 12);
    EXPECT_EQ(display.rowOffsets()[1], 0);
}

TEST(DibCore, NewImagesAreZeroed)
{
    TMTC colour(17, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 17; ++x)
            ASSERT_EQ(colour.pixel(x, y), 0u);
}

TEST(DibCore, TTCIsNeverSmallerThanOnePixel)
{
    TTC display;
    ASSERT_TRUE(display.Resize(0, 0));
    EXPECT_EQ(display.width(), 1);
    EXPECT_EQ(display.height(), 1);
    EXPECT_TRUE(display.IsValid());
}

TEST(DibCore, TMTCOfTheSameByteSizeKeepsItsPixels)
{
    TMTC image(4, 2);
    for (int i = 0; i < 8; ++i)
        image.row(i / 4)[i % 4] = 0xFF000000u + uint32_t(i);
    const uint8_t* before = image.bits();
    ASSERT_TRUE(image.Resize(2, 4));
    EXPECT_EQ(image.bits(), before);
    EXPECT_EQ(image.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(image.pixel(1, 3), 0xFF000007u);
    ASSERT_TRUE(image.Resize(3, 3));
    EXPECT_EQ(image.pixel(2, 2), 0u); // new storage starts clean
}

TEST(DibCore, FailedResizeLeavesAReleasedImage)
{
    TMTC image(2, 2);
    EXPECT_FALSE(image.Resize(100000, 100000)); // over the 2 GiB row-offset limit
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.width(), 0);
    TChannel channel;
    EXPECT_FALSE(channel.Resize(-1, 5));
    EXPECT_FALSE(channel.IsValid());
}

TEST(DibCore, BoundsCheckedPixelAccess)
{
    TMTC image(4, 4);
    uint32_t v = 0;
    EXPECT_FALSE(image.getPixel(4, 0, v));
    EXPECT_FALSE(image.setPixel(-1, 0, 1));
    EXPECT_TRUE(image.setPixel(3, 3, 0xFF102030u));
    EXPECT_EQ(image.getPixelClamped(10, 10), 0xFF102030u);
    EXPECT_EQ(image.getLumaClamped(10, 10), Luma(0xFF102030u));
    EXPECT_TRUE(image.paintNormal(3, 3, 0x00FFFFFFu, 255));
    EXPECT_EQ(image.pixel(3, 3), 0xFFFFFFFFu);
    uint32_t b = 0, g = 0, r = 0;
    EXPECT_TRUE(image.addToSums(3, 3, b, g, r));
    EXPECT_TRUE(image.addToSums(3, 3, b, g, r));
    EXPECT_EQ(b + g + r, 6u * 255);

    TChannel channel(2, 2);
    EXPECT_TRUE(channel.blend(1, 1, 200, 255));
    uint8_t c = 0;
    EXPECT_TRUE(channel.getValue(1, 1, c));
    EXPECT_EQ(c, 200);
    EXPECT_FALSE(channel.blend(2, 1, 200, 255));
}

TEST(DibCore, LoadBitmapMakesEveryPixelOpaque)
{
    const uint8_t data[] = {1, 2, 3, 0, 4, 5, 6, 7, 0xEE, 0xEE, 0xEE, 0xEE, // row 0 + padding
                            8, 9, 10, 0, 11, 12, 13, 0, 0xEE, 0xEE, 0xEE, 0xEE};
    TMTC image;
    ASSERT_TRUE(image.loadBitmap(data, 2, 2, 12));
    EXPECT_EQ(image.pixel(0, 0), 0xFF030201u);
    EXPECT_EQ(image.pixel(1, 1), 0xFF0D0C0Bu);
}

namespace {
struct RecordingSink : ViewSink {
    void present(const TTC&, const TBox& box, TPoint at) override
    {
        boxes.push_back(box);
        points.push_back(at);
    }
    std::vector<TBox> boxes;
    std::vector<TPoint> points;
};
} // namespace

TEST(DibCore, BlittingHandsClippedBoxesToTheSink)
{
    TTC display(10, 10);
    RecordingSink sink;
    blitTo(display, sink, {5, 6});
    EXPECT_TRUE(blitRect(display, sink, TBox{-2, 8, 5, 5}));
    EXPECT_FALSE(blitRect(display, sink, TBox{20, 20, 5, 5}));
    ASSERT_EQ(sink.boxes.size(), 2u);
    EXPECT_EQ(sink.boxes[0], (TBox{0, 0, 10, 10}));
    EXPECT_EQ(sink.points[0], (TPoint{5, 6}));
    EXPECT_EQ(sink.boxes[1], (TBox{0, 8, 3, 2}));
}

TEST(DibCore, MovingHandsOverTheStorage)
{
    TMTC a(3, 2);
    a.row(1)[2] = 0xFF123456u;
    const uint8_t* bits = a.bits();
    TMTC b(std::move(a));
    EXPECT_FALSE(a.IsValid());
    EXPECT_EQ(b.bits(), bits);
    EXPECT_EQ(b.pixel(2, 1), 0xFF123456u);
    TTC c(5, 5);
    c = TTC(2, 2);
    EXPECT_EQ(c.width(), 2);
    EXPECT_EQ(c.RowStep(), -2);
    EXPECT_TRUE(c.setPixel(1, 1, 7));
}

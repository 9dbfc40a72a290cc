#include "filters/filter_frame.h"

#include "filters/blur_filters.h"
#include "filters/table_filters.h"
#include "filter_test_support.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qm::test;

namespace {

// Levels with the output reversed: every channel becomes 255 − its value.
const TLevelsParams kInvert{0, 255, 255, 128, 0};

} // namespace

TEST(FilterWrite, FullWeightCopiesZeroKeepsHalfMovesHalfway)
{
    for (uint32_t n = 0; n < 256; n += 5)
        for (uint32_t p = 0; p < 256; p += 3) {
            EXPECT_EQ(blendChannel(n, p, 255), n);
            EXPECT_EQ(blendChannel(n, p, 0), p);
            // Exactly half-way would be (n + p)/2; 128/255 is a hair more than a half.
            const double exact = p + (double(n) - p) * 128.0 / 255.0;
            EXPECT_NEAR(double(blendChannel(n, p, 128)), exact, 1.0);
        }
    EXPECT_EQ(blendChannel(255, 0, 128), 128u);
}

TEST(FilterWrite, AlphaFadedToNothingKeepsTheOldColour)
{
    // New alpha 0 over alpha 1 at full weight: alpha 0, colour of the old pixel.
    EXPECT_EQ(writeColourAndAlpha(argb(0, 10, 20, 30), argb(1, 200, 100, 50), 255),
              argb(0, 200, 100, 50));
    // Otherwise the colour follows: alpha 255 over 0 at half weight gives 128 and the colour
    // moved half-way.
    EXPECT_EQ(writeColourAndAlpha(argb(255, 255, 0, 255), argb(0, 0, 0, 0), 128),
              argb(128, 128, 0, 128));
    EXPECT_EQ(writeColourKeepAlpha(argb(0, 255, 255, 255), argb(77, 0, 0, 0), 255),
              argb(77, 255, 255, 255));
}

TEST(FilterRows, ReadOutsideIsTransparentAndUnchangedWritesAllocateNothing)
{
    CBlockVMTC image(70, 40);
    image.SetPixel(5, 3, 0x11223344u);
    uint32_t row[80];
    readPixelRow(image, -5, 3, 80, row, 0);
    EXPECT_EQ(row[0], 0u);
    EXPECT_EQ(row[10], 0x11223344u);
    EXPECT_EQ(row[11], CBlockVMTC::kDefaultFill);
    EXPECT_EQ(row[79], 0u);

    const int64_t before = image.MemoryUsed();
    std::vector<uint32_t> fill(70, CBlockVMTC::kDefaultFill);
    ASSERT_TRUE(writeChangedPixelRow(image, 0, 35, 70, fill.data()));
    EXPECT_EQ(image.MemoryUsed(), before);
    fill[66] = 0xFF000000u;
    ASSERT_TRUE(writeChangedPixelRow(image, 0, 35, 70, fill.data()));
    EXPECT_EQ(image.GetPixel(66, 35), 0xFF000000u);
    EXPECT_GT(image.MemoryUsed(), before);
}

TEST(FilterFrame, WorkRectangleIsMaskContentInLayerCoordinatesWithinTheLayer)
{
    auto layer = randomLayer(50, 40, 1);
    layer->offsetX = 7; // the paper's origin lies at (7, 3) in the layer
    layer->offsetY = 3;
    // Coverage at mask-local (10 … 19, 5 … 9); mask-local = paper + (2, 1), so paper
    // (8 … 17, 4 … 8), layer (15 … 24, 7 … 11).
    auto mask = makeMask(30, 30, 2, 1, [](int32_t x, int32_t y) {
        return x >= 10 && x < 20 && y >= 5 && y < 10 ? 200 : 0;
    });
    CBlockVMTC source(*layer->image());
    TFilterFrame frame(source, *layer, mask.get(), nullptr);
    ASSERT_TRUE(frame.valid());
    EXPECT_EQ(frame.workRect(), (TRect{15, 7, 25, 12}));
    uint8_t m[4];
    frame.maskRow(14, 7, 4, m);
    EXPECT_EQ(m[0], 0);
    EXPECT_EQ(m[1], 200);

    const TRect clip{20, 0, 100, 9};
    TFilterFrame clipped(source, *layer, mask.get(), &clip);
    EXPECT_EQ(clipped.workRect(), (TRect{20, 7, 25, 9}));

    TFilterFrame whole(source, *layer, nullptr, nullptr);
    EXPECT_EQ(whole.workRect(), (TRect{0, 0, 50, 40}));

    auto blank = makeMask(30, 30, 0, 0, [](int32_t, int32_t) { return 0; });
    EXPECT_TRUE(TFilterFrame(source, *layer, blank.get(), nullptr).empty());

    CBlockVMTC otherSize(10, 10);
    EXPECT_FALSE(TFilterFrame(otherSize, *layer, nullptr, nullptr).valid());
    EXPECT_FALSE(applyFilter(otherSize, *layer, nullptr, nullptr, kInvert));
}

TEST(FilterFrame, NothingOutsideTheSelectionChangesAndPartialCoverageMovesPart)
{
    auto layer = flatLayer(40, 30, argb(255, 0, 0, 0));
    layer->offsetX = 4;
    // Full coverage on mask x < 10, 128 on 10 … 19, nothing beyond; the mask sits at the
    // paper origin, so layer x = mask x + 4.
    auto mask = makeMask(30, 30, 0, 0, [](int32_t x, int32_t) {
        return x < 10 ? 255 : x < 20 ? 128 : 0;
    });
    CBlockVMTC source(*layer->image());
    ASSERT_TRUE(applyFilter(source, *layer, mask.get(), nullptr, kInvert));
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            const int32_t mx = x - 4;
            const uint32_t expected = mx < 0 || mx >= 20 ? argb(255, 0, 0, 0)
                                      : mx < 10          ? argb(255, 255, 255, 255)
                                                         : argb(255, 128, 128, 128);
            ASSERT_EQ(layer->image()->GetPixel(x, y), expected) << x << ", " << y;
        }
}

TEST(FilterFrame, ProtectedAlphaIsKeptByFiltersThatChangeAlpha)
{
    auto layer = randomLayer(33, 21, 2);
    layer->protectAlpha = 1;
    CBlockVMTC source(*layer->image());
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TStrongBlurParams{}));
    bool colourChanged = false;
    for (int32_t y = 0; y < 21; ++y)
        for (int32_t x = 0; x < 33; ++x) {
            ASSERT_EQ(layer->image()->GetPixel(x, y) >> 24, source.GetPixel(x, y) >> 24);
            colourChanged |= layer->image()->GetPixel(x, y) != source.GetPixel(x, y);
        }
    EXPECT_TRUE(colourChanged);
}

// Sharpen, noise and mosaic.
#include "filters/mosaic_filter.h"
#include "filters/noise_filter.h"
#include "filters/sharpen_filters.h"

#include "filter_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace qm;
using namespace qm::test;

TEST(FixedSharpen, WeighsThePixelsAboveAndBelow)
{
    // A column 100 / 150 / 100 (grey) at rows 1, 2, 3.
    auto layer = flatLayer(3, 5, argb(255, 100, 100, 100));
    for (int32_t x = 0; x < 3; ++x)
        layer->image()->SetPixel(x, 2, argb(200, 150, 150, 150));
    CBlockVMTC source(*layer->image());
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TSharpenParams{}));
    EXPECT_EQ(layer->image()->GetPixel(1, 2), argb(200, 164, 164, 164)); // 1150 / 7
    EXPECT_EQ(layer->image()->GetPixel(1, 1), argb(255, 92, 92, 92));   // (900 − 250) / 7
    // The top row's missing neighbour is the row itself: (−100 + 900 − 100) / 7 = 100.
    EXPECT_EQ(layer->image()->GetPixel(1, 0), argb(255, 100, 100, 100));

    auto strong = flatLayer(3, 5, argb(255, 100, 100, 100));
    for (int32_t x = 0; x < 3; ++x)
        strong->image()->SetPixel(x, 2, argb(200, 150, 150, 150));
    CBlockVMTC strongSource(*strong->image());
    ASSERT_TRUE(applyFilter(strongSource, *strong, nullptr, nullptr, TStrongSharpenParams{}));
    EXPECT_EQ(strong->image()->GetPixel(1, 2), argb(200, 250, 250, 250)); // 250 / 1
    EXPECT_EQ(strong->image()->GetPixel(1, 1), argb(255, 50, 50, 50));
}

TEST(AdjustableSharpen, StrengthZeroDoesNothingAndTheCrossKernelAppliesToAllChannels)
{
    auto layer = randomLayer(23, 19, 20);
    CBlockVMTC source(*layer->image());
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TAdjustableSharpenParams{0.0f}));
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TAdjustableSharpenParams{-1.0f}));
    expectSameImage(*layer->image(), source);
    EXPECT_FALSE(applyFilter(source, *layer, nullptr, nullptr, TAdjustableSharpenParams{2.0f}));

    EXPECT_DOUBLE_EQ(sharpenCentreWeight(0.0), 20.0);
    EXPECT_DOUBLE_EQ(sharpenCentreWeight(1.0), 4.1);

    const float x = 0.45f;
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TAdjustableSharpenParams{x}));
    const double w = 15.9 * std::pow(1.0 - x, 3) + 4.1;
    const auto px = [&](int32_t xx, int32_t yy) {
        return source.GetPixel(std::clamp(xx, 0, 22), std::clamp(yy, 0, 18));
    };
    for (int32_t y = 0; y < 19; ++y)
        for (int32_t xx = 0; xx < 23; ++xx) {
            uint32_t n = 0;
            for (int k = 0; k < 4; ++k) {
                const double v = (w * chan(px(xx, y), k) - chan(px(xx - 1, y), k) -
                                  chan(px(xx + 1, y), k) - chan(px(xx, y - 1), k) -
                                  chan(px(xx, y + 1), k)) /
                                 (w - 4.0);
                n |= uint32_t(std::clamp(std::trunc(v), 0.0, 255.0)) << (8 * k);
            }
            const uint32_t p = source.GetPixel(xx, y);
            const uint32_t expected = (n >> 24) ? n : (p & 0x00FFFFFFu);
            ASSERT_EQ(layer->image()->GetPixel(xx, y), expected) << xx << ", " << y;
        }
}

TEST(Noise, DrawsTheSeededSequenceOnlyForVisiblePixels)
{
    // Row 0: a transparent pixel first, which draws nothing, then two grey ones.
    auto layer = flatLayer(3, 1, argb(255, 128, 128, 128));
    layer->image()->SetPixel(0, 0, argb(0, 128, 128, 128));
    CBlockVMTC source(*layer->image());
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TNoiseParams{100, false}));
    // States 1, 134775814, 3698175007, … give ⌊100·s / 2^32⌋ = 0, 3, 86, 20, 27, 67, each
    // less 50, for red, green, blue in turn.
    EXPECT_EQ(layer->image()->GetPixel(0, 0), argb(0, 128, 128, 128));
    EXPECT_EQ(layer->image()->GetPixel(1, 0), argb(255, 78, 81, 164));
    EXPECT_EQ(layer->image()->GetPixel(2, 0), argb(255, 98, 105, 145));

    auto mono = flatLayer(2, 1, argb(255, 128, 128, 128));
    CBlockVMTC monoSource(*mono->image());
    ASSERT_TRUE(applyFilter(monoSource, *mono, nullptr, nullptr, TNoiseParams{100, true}));
    EXPECT_EQ(mono->image()->GetPixel(0, 0), argb(255, 78, 78, 78));
    EXPECT_EQ(mono->image()->GetPixel(1, 0), argb(255, 81, 81, 81));
}

TEST(Noise, TheSameParametersGiveTheSamePixelsEveryTime)
{
    auto first = randomLayer(50, 40, 21);
    auto second = randomLayer(50, 40, 21);
    CBlockVMTC source(*first->image());
    ASSERT_TRUE(applyFilter(source, *first, nullptr, nullptr, TNoiseParams{300, false}));
    ASSERT_TRUE(applyFilter(source, *second, nullptr, nullptr, TNoiseParams{300, false}));
    expectSameImage(*first->image(), *second->image());
    // Applying again from the same source copy repeats, not accumulates.
    ASSERT_TRUE(applyFilter(source, *first, nullptr, nullptr, TNoiseParams{300, false}));
    expectSameImage(*first->image(), *second->image());
    EXPECT_FALSE(applyFilter(source, *first, nullptr, nullptr, TNoiseParams{-2, false}));
}

TEST(Mosaic, BlocksAreAlignedInLayerCoordinatesNotToTheSelection)
{
    auto layer = randomLayer(26, 22, 22);
    CBlockVMTC source(*layer->image());
    // Selected: layer x 3 … 16, y 5 … 12 (mask at the paper origin, layer offset 0).
    auto mask = makeMask(26, 22, 0, 0, [](int32_t x, int32_t y) {
        return x >= 3 && x < 17 && y >= 5 && y < 13 ? 255 : 0;
    });
    const int32_t n = 4;
    ASSERT_TRUE(applyFilter(source, *layer, mask.get(), nullptr, TMosaicParams{0, n}));
    for (int32_t y = 0; y < 22; ++y)
        for (int32_t x = 0; x < 26; ++x) {
            uint32_t expected = source.GetPixel(x, y);
            if (x >= 3 && x < 17 && y >= 5 && y < 13) {
                // The whole block, selected or not, inside the layer.
                const int32_t bx = x / n * n, by = y / n * n;
                uint64_t a = 0, c[3] = {}, count = 0;
                for (int32_t yy = by; yy < std::min(by + n, 22); ++yy)
                    for (int32_t xx = bx; xx < std::min(bx + n, 26); ++xx) {
                        const uint32_t s = source.GetPixel(xx, yy);
                        a += s >> 24;
                        for (int k = 0; k < 3; ++k)
                            c[k] += (s >> 24) * chan(s, k);
                        ++count;
                    }
                if (a != 0) {
                    const uint32_t v = uint32_t(a / count) << 24 | uint32_t(c[2] / a) << 16 |
                                       uint32_t(c[1] / a) << 8 | uint32_t(c[0] / a);
                    expected = (v >> 24) ? v : (expected & 0x00FFFFFFu);
                }
            }
            ASSERT_EQ(layer->image()->GetPixel(x, y), expected) << x << ", " << y;
        }
    EXPECT_FALSE(applyFilter(source, *layer, nullptr, nullptr, TMosaicParams{0, 1}));
}

#include "filters/distort_filters.h"

#include "filters/filter_sampling.h"
#include "filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using namespace qm::test;

namespace {

// The documented bilinear sample with wrapping, written out for the references.
uint32_t bilinear(const CBlockVMTC& image, int64_t px, int64_t py)
{
    const int64_t w = image.width(), h = image.height();
    const auto wrap = [](int64_t v, int64_t size) { return ((v % size) + size) % size; };
    const int64_t ix = int64_t(std::floor(double(px) / 65536.0));
    const int64_t iy = int64_t(std::floor(double(py) / 65536.0));
    const uint32_t fx = uint32_t((px - ix * 65536) >> 8), fy = uint32_t((py - iy * 65536) >> 8);
    const uint32_t p[4] = {image.GetPixel(int32_t(wrap(ix, w)), int32_t(wrap(iy, h))),
                           image.GetPixel(int32_t(wrap(ix + 1, w)), int32_t(wrap(iy, h))),
                           image.GetPixel(int32_t(wrap(ix, w)), int32_t(wrap(iy + 1, h))),
                           image.GetPixel(int32_t(wrap(ix + 1, w)), int32_t(wrap(iy + 1, h)))};
    const uint32_t wt[4] = {(255 - fy) * (255 - fx), (255 - fy) * fx, fy * (255 - fx), fy * fx};
    uint32_t out = 0;
    for (int k = 0; k < 4; ++k) {
        uint32_t sum = 0;
        for (int j = 0; j < 4; ++j)
            sum += wt[j] * chan(p[j], k);
        out |= (sum >> 16) << (8 * k);
    }
    return out;
}

} // namespace

TEST(BilinearSample, WeightsTheFourNeighboursAndWrapsOrEmpties)
{
    CBlockVMTC image(4, 2);
    image.SetPixel(0, 0, argb(255, 0, 0, 0));
    image.SetPixel(1, 0, argb(255, 200, 200, 200));
    image.SetPixel(3, 1, argb(255, 100, 100, 100));
    // Half-way between x 0 and 1 (fx = 128): (255 · 128 · 200) >> 16 = 99 on row 0 (fy = 0).
    EXPECT_EQ(sampleBilinear(image, 0x8000, 0, false) & 0xFF, 99u);
    // A whole pixel is not quite itself: 255 · 255 · c >> 16.
    EXPECT_EQ(sampleBilinear(image, 65536, 0, false), argb(253, 198, 198, 198));
    // Without wrapping the right-hand neighbour of the last column is missing.
    EXPECT_EQ(sampleBilinear(image, 3 * 65536, 0, false), 0u);
    // With wrapping, −1 is the last column.
    EXPECT_EQ(sampleBilinear(image, -65536, 65536, true), argb(253, 99, 99, 99));
    EXPECT_EQ(wrapCoordinate(-1, 4), 3);
    EXPECT_EQ(wrapCoordinate(8, 4), 0);
    EXPECT_EQ(wrapCoordinate(-8, 4), 0);
}

TEST(Twist, SliderMiddleAndZeroWavesLeaveTheLayerUnchanged)
{
    auto layer = randomLayer(30, 20, 30);
    CBlockVMTC source(*layer->image());
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TTwistParams{0.5f, 0.5f, false, 0.0f}));
    expectSameImage(*layer->image(), source);
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TWaveParams{1.0f, 0.0f, 3.0f, 5.0f, 0.0f}));
    expectSameImage(*layer->image(), source);
    EXPECT_FALSE(applyFilter(source, *layer, nullptr, nullptr, TTwistParams{NAN, 0.5f, false, 1.0f}));
}

TEST(Twist, RotatesOffsetsByAnAngleFadingToTheRadius)
{
    auto layer = randomLayer(27, 21, 31);
    CBlockVMTC source(*layer->image());
    const TTwistParams p{0.4f, 0.7f, true, 0.3f};
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
    // Centre (⌊27·0.7⌋, ⌊21·0.4⌋) = (18, 8); u = 13 + 5, v = 10 + 2; centre only: R = 12.
    const int32_t cx = 18, cy = 8;
    const double R = 12.0;
    for (int32_t y = 0; y < 21; ++y)
        for (int32_t x = 0; x < 27; ++x) {
            const double dx = x - cx, dy = y - cy, rho = std::sqrt(dx * dx + dy * dy);
            uint32_t expected = source.GetPixel(x, y);
            if (std::abs(dx) < R && std::abs(dy) < R && rho < R) {
                const double a = 2.0 * M_PI * double(p.turns) * (1.0 - rho / R);
                const double sx = cx + (dx * std::cos(a) - dy * std::sin(a));
                const double sy = cy + (dx * std::sin(a) + dy * std::cos(a));
                expected = bilinear(source, int64_t(sx * 65536.0), int64_t(sy * 65536.0));
            }
            ASSERT_EQ(layer->image()->GetPixel(x, y), expected) << x << ", " << y;
        }
}

TEST(Wave, ShiftsBySineOffsetsOfColumnAndRow)
{
    auto layer = randomLayer(24, 18, 32);
    layer->protectAlpha = 1;
    CBlockVMTC source(*layer->image());
    const TWaveParams p{0.5f, 2.0f, 1.0f, 3.0f, 4.5f};
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
    const double pi = 3.14159;
    for (int32_t y = 0; y < 18; ++y)
        for (int32_t x = 0; x < 24; ++x) {
            const double a = 1.0 * (0.5 + 2 * pi * x / 24), b = 2.0 * (0.5 + 2 * pi * y / 18);
            const int64_t px = int64_t(x) * 65536 + int64_t(4.5 * std::cos(a) * 65536) +
                               int64_t(3.0 * std::cos(b) * 65536);
            const int64_t py = int64_t(y) * 65536 + int64_t(4.5 * std::sin(a) * 65536) +
                               int64_t(3.0 * std::sin(b) * 65536);
            // Protected alpha: the colour replaces, the alpha stays.
            const uint32_t expected =
                (source.GetPixel(x, y) & 0xFF000000u) | (bilinear(source, px, py) & 0x00FFFFFFu);
            ASSERT_EQ(layer->image()->GetPixel(x, y), expected) << x << ", " << y;
        }
}

TEST(Emboss, FlatAreasBecomeMidGreyAndEdgesLightOrDark)
{
    auto layer = flatLayer(16, 16, argb(255, 60, 60, 60));
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 8; x < 16; ++x)
            layer->image()->SetPixel(x, y, argb(255, 220, 220, 220));
    CBlockVMTC source(*layer->image());
    // Height 1 along the x axis: t is the left neighbour, u the right one.
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TEmbossParams{1.0f, 0.0f}));
    // A sample of a flat area is 255·255·c >> 16; equal samples give 128, alpha 253.
    EXPECT_EQ(layer->image()->GetPixel(3, 5), argb(253, 128, 128, 128));
    // At x = 7: t = 59 (from 60), u = 218 (from 220): 128 + (59 − 218)/2 = 128 − 79 = 49.
    EXPECT_EQ(layer->image()->GetPixel(7, 5), argb(253, 49, 49, 49));
    EXPECT_EQ(layer->image()->GetPixel(8, 5), argb(253, 49, 49, 49));
    // At x = 0 the left neighbour wraps round to the light side: 128 + 79 = 207.
    EXPECT_EQ(layer->image()->GetPixel(0, 5), argb(253, 207, 207, 207));
}

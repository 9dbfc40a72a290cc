#include "core/colour_model.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

namespace qm {
namespace {

constexpr int32_t fx(int32_t v)
{
    return v << 16;
}

using Triple = std::array<int32_t, 3>;

Triple hsvOf(uint32_t rgb)
{
    const THSV hsv = rgbToHSV(rgb);
    return {hsv.H, hsv.S, hsv.V};
}

Triple hlsOf(uint32_t pixel)
{
    const THLS hls = pixelToHLS(pixel);
    return {hls.H, hls.L, hls.S};
}

uint32_t pixelOfBytes(uint32_t b0, uint32_t b1, uint32_t b2)
{
    return (b2 << 16) | (b1 << 8) | b0;
}

TEST(ColourFixedDiv, TruncatesTowardsZeroAndSaturates)
{
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(fixedDiv(fx(1), fx(3)), 21845);
    EXPECT_EQ(fixedDiv(fx(-1), fx(3)), -21845); // towards zero, not -21846
    EXPECT_EQ(fixedDiv(fx(7), fx(-2)), -0x38000);
    EXPECT_EQ(fixedDiv(fx(20000), 1), kMax);
    EXPECT_EQ(fixedDiv(kMax, -fx(1) / 2), kMin);
    EXPECT_EQ(fixedDiv(-1, 0), kMin);
    EXPECT_EQ(fixedDiv(0, 0), 0);
}

TEST(ColourHSV, PrimariesGreysAndExactTruncatedValues)
{
    EXPECT_EQ(hsvOf(0xFF0000), (Triple{0, fx(255), fx(255)}));
    EXPECT_EQ(hsvOf(0x0000FF), (Triple{fx(240), fx(255), fx(255)}));
    EXPECT_EQ(hsvOf(0xFF808080), (Triple{0, 0, fx(128)})); // the top byte is ignored
    EXPECT_EQ(hsvToRGB(rgbToHSV(0x808080)), 0x808080u);
    EXPECT_EQ(hsvOf(0), (Triple{0, 0, 0}));

    EXPECT_EQ(hsvOf(0xC86432), (Triple{0x140028, 0xBF4000, fx(200)})); // S = 191.25 exactly
    EXPECT_EQ(hsvOf(0x1EC878), (Triple{0x97C3E0, 0xD8BF67, fx(200)})); // green is the maximum
    // (255.0 − f·S) × V exceeds the int32_t range on the way back.
    EXPECT_EQ(hsvOf(0x0093FE), (Triple{0xCD4664, fx(255), fx(254)}));
    EXPECT_EQ(hsvToRGB(rgbToHSV(0x0093FE)), 0x0093FEu);
    EXPECT_EQ(hsvToRGB({0xC88000, 0x644000, 0xB40000}), 0x6D9BB4u);
    EXPECT_EQ(hsvToRGB(rgbToHSV(0x012120)), 0x01211Fu); // one the round trip does not keep
}

TEST(ColourHSV, ZeroSaturationHueWrapAndClamping)
{
    for (int32_t hue : {0, fx(77), fx(359), -fx(500)})
        EXPECT_EQ(hsvToRGB({hue, 0, 0x80C000}), 0x808080u) << hue;
    EXPECT_EQ(hsvToRGB({fx(360), 0x644000, 0xB40000}), hsvToRGB({0, 0x644000, 0xB40000}));
    EXPECT_EQ(hsvToRGB({-fx(120), fx(200), fx(90)}), hsvToRGB({fx(240), fx(200), fx(90)}));
    EXPECT_EQ(hsvToRGB({fx(10), fx(900), fx(300)}), hsvToRGB({fx(10), fx(255), fx(255)}));
    EXPECT_EQ(hsvToRGB({fx(10), -fx(3), std::numeric_limits<int32_t>::min()}), 0u);
}

TEST(ColourHLS, EqualBytesAndHueOverBytesInMemoryOrder)
{
    for (uint32_t v : {0u, 1u, 128u, 255u}) {
        const uint32_t pixel = pixelOfBytes(v, v, v);
        EXPECT_EQ(hlsOf(0xFF000000u | pixel), (Triple{0, fx(int32_t(v)), 0}));
        EXPECT_EQ(hlsToPixel(pixelToHLS(pixel)), pixel);
    }
    EXPECT_EQ(hlsOf(pixelOfBytes(255, 0, 0)), (Triple{0, fx(255) / 2, fx(255)}));
    EXPECT_EQ(hlsOf(pixelOfBytes(0, 0, 255))[0], fx(240));

    EXPECT_EQ(hlsOf(pixelOfBytes(200, 100, 50)), (Triple{0x13FFB0, 0x7CFF83, 0x990066}));
    EXPECT_EQ(hlsOf(pixelOfBytes(50, 100, 200)), (Triple{0xDC0050, 0x7CFF83, 0x990066}));
    EXPECT_EQ(hlsToPixel(pixelToHLS(pixelOfBytes(200, 100, 50))), pixelOfBytes(199, 99, 49));
    for (int32_t hue : {fx(300), fx(300 + 3 * 360), -fx(60)})
        EXPECT_EQ(hlsToPixel({hue, fx(200), fx(100)}), pixelOfBytes(221, 178, 221)) << hue;
    // The ramps are a fixed product divided by 60 afterwards, not a product with hue ÷ 60.
    EXPECT_EQ(hlsToPixel({0x78AF85, 0x33C454, 0xF0CA64}), pixelOfBytes(2, 100, 4));
    EXPECT_EQ(hlsToPixel({0x1396AD5, 0x76AC18, 0xEE6CAA}), pixelOfBytes(229, 7, 180));
    EXPECT_EQ(hlsToPixel({fx(300), fx(999), fx(100)}), pixelOfBytes(255, 255, 255));
}

// Every colour of the cube: all but a few come back exactly, those with one channel one level low.
TEST(ColourRoundTrip, HSVOverTheWholeCube)
{
    int inexact = 0;
    for (uint32_t c = 0; c < (1u << 24); ++c) {
        const THSV hsv = rgbToHSV(c);
        ASSERT_TRUE(hsv.H >= 0 && hsv.H < fx(360) && hsv.S >= 0 && hsv.S <= fx(255)) << c;
        const uint32_t loss = c - hsvToRGB(hsv);
        inexact += loss != 0;
        ASSERT_TRUE(loss == 0 || loss == 1 || loss == 0x100 || loss == 0x10000) << c;
    }
    EXPECT_EQ(inexact, 1461);
}

// Every pixel of the cube: few come back exactly, but no byte ever loses more than one level.
TEST(ColourRoundTrip, HLSOverTheWholeCube)
{
    int exact = 0;
    for (uint32_t c = 0; c < (1u << 24); ++c) {
        const uint32_t back = hlsToPixel(pixelToHLS(c));
        exact += back == c;
        for (int shift = 0; shift < 24; shift += 8) {
            const int32_t loss = int32_t((c >> shift) & 0xFF) - int32_t((back >> shift) & 0xFF);
            ASSERT_TRUE(loss == 0 || loss == 1) << c;
        }
    }
    EXPECT_EQ(exact, 148858);
}

TEST(ColourCMYK, WhiteBlackAndRounding)
{
    EXPECT_EQ(cmykToRGB(0, 0, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(cmykToRGB(0, fx(100), fx(255), fx(255)), 0u);
    EXPECT_EQ(cmykToRGB(fx(10), 0x648000, fx(200), fx(30)), 0xD88831u);
    EXPECT_EQ(cmykToRGB(0x7F8000, 0, 0, 0), 0x80FFFFu); // 127.5 rounds up
    EXPECT_EQ(cmykToRGB(-fx(10), 0, 0, -fx(1000)), 0xFFFFFFu);
}

} // namespace
} // namespace qm

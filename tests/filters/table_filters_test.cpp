#include "filters/table_filters.h"

#include "core/colour_model.h"
#include "filters/filter_dispatch.h"
#include "filters/filter_params.h"
#include "filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using namespace qm::test;

TEST(LevelsTable, TruncatesAtTheDocumentedPoints)
{
    const TFilterTable t = levelsTable(TLevelsParams{255, 0, 255, 128, 0});
    EXPECT_EQ(t[64], 63);   // 255 · 0.25 = 63.75
    EXPECT_EQ(t[128], 127); // 255 · 0.5 = 127.5
    EXPECT_EQ(t[255], 255);
    EXPECT_EQ(t[0], 0);
    // Input 50 … 200 stretched onto 10 … 210: below the input minimum everything is the
    // output minimum, above the maximum the output maximum; mid 100 lands half-way (110).
    const TFilterTable s = levelsTable(TLevelsParams{210, 10, 200, 100, 50});
    EXPECT_EQ(s[20], 10);
    EXPECT_EQ(s[100], 110);
    EXPECT_EQ(s[75], 60);  // 200 · 0.25 + 10
    EXPECT_EQ(s[150], 160); // 200 · (0.5 + 0.25) + 10
    EXPECT_EQ(s[230], 210);
    // Degenerate spans do not divide by zero.
    const TFilterTable d = levelsTable(TLevelsParams{255, 0, 90, 90, 90});
    EXPECT_EQ(d[0], 127);
    EXPECT_EQ(d[255], 127);
}

TEST(GammaTable, OneIsIdentityTwoHalvesTheMiddleNegativeCountsAsOneHundredth)
{
    const TFilterTable one = gammaTable(1.0f);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(one[size_t(i)], i);
    EXPECT_EQ(gammaTable(2.0f)[128], 64); // 255 · (128/255)² = 64.25
    EXPECT_EQ(gammaTable(-3.0f), gammaTable(0.01f));
    EXPECT_EQ(gammaTable(0.01f)[1], 241); // 255 · (1/255)^0.01 = 241.4
}

TEST(BrightnessContrastTable, ZeroIsIdentityAndBrighteningRaisesTheMiddle)
{
    const TFilterTable t = brightnessContrastTable(0.0f, 0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(t[size_t(i)], i);
    // Brightness 50: C = 0.65; 128 → 255 · (128/255)^0.65 = 162.6.
    EXPECT_EQ(brightnessContrastTable(50.0f, 0)[128], 162);
    // Contrast 50 bends the lower half down: P = 1/0.65; 64 → 255·(64/255 + (64/127)^P
    // − 64/127) = 255 · (0.25098 + 0.34826 − 0.50394) = 24.3.
    EXPECT_EQ(brightnessContrastTable(0.0f, 50)[64], 24);
    EXPECT_EQ(brightnessContrastTable(0.0f, 50)[255], 255);
}

TEST(PosterizeTable, EachLevelIsOneIndexWiderAtItsTopAndTwoHundredFiftyFiveIsRefused)
{
    TFilterTable two{};
    ASSERT_TRUE(posterizeTable(2, two));
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(two[size_t(i)], i <= 128 ? 0 : 255) << i;
    TFilterTable three{};
    ASSERT_TRUE(posterizeTable(3, three));
    EXPECT_EQ(three[85], 0);
    EXPECT_EQ(three[86], 127);
    EXPECT_EQ(three[170], 127);
    EXPECT_EQ(three[171], 255);
    TFilterTable refused{};
    EXPECT_FALSE(posterizeTable(255, refused));
    EXPECT_FALSE(posterizeTable(1, refused));
    auto layer = flatLayer(4, 4, argb(255, 1, 2, 3));
    CBlockVMTC source(*layer->image());
    EXPECT_FALSE(applyFilter(source, *layer, nullptr, nullptr, TPosterizeParams{255}));
}

TEST(HlsTables, LightnessZeroIsIdentityAndTheKneeMapsTo128)
{
    const TFilterTable l0 = hlsLightnessTable(0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(l0[size_t(i)], i);
    for (int l : {-100, -40, 30, 100}) {
        const TFilterTable t = hlsLightnessTable(l);
        EXPECT_EQ(t[size_t(128 - l)], 128) << l;
        EXPECT_EQ(t[0], 0);
        EXPECT_EQ(t[255], 255);
    }
    // Saturation 0 still scales by 255/256; −100 empties it. For +100, 2.55 · 100 is a hair
    // below 255 in binary floating point, so B = 254, B' = 2: saturated from 2 up.
    const TFilterTable s0 = hlsSaturationTable(0);
    EXPECT_EQ(s0[255], 254);
    EXPECT_EQ(s0[100], 99);
    EXPECT_EQ(hlsSaturationTable(-100)[254], 0);
    EXPECT_EQ(hlsSaturationTable(-100)[255], 1);
    EXPECT_EQ(hlsSaturationTable(100)[1], 127);
    EXPECT_EQ(hlsSaturationTable(100)[2], 255);
    EXPECT_EQ(hlsSaturationTable(100)[0], 0);
}

TEST(ColourFilters, TablesApplyPerChannelToEveryVisiblePixel)
{
    auto layer = randomLayer(45, 37, 3);
    CBlockVMTC source(*layer->image());
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TGammaParams{0.5f, 1.0f, 2.0f}));
    for (int32_t y = 0; y < 37; ++y)
        for (int32_t x = 0; x < 45; ++x) {
            const uint32_t s = source.GetPixel(x, y);
            uint32_t expected = s;
            if (s >> 24) {
                const auto g = [](uint32_t c, double e) {
                    return uint32_t(std::floor(255.0 * std::pow(c / 255.0, e)));
                };
                expected = (s & 0xFF000000u) | g(chan(s, 2), 2.0) << 16 | g(chan(s, 1), 1.0) << 8 |
                           g(chan(s, 0), 0.5);
            }
            ASSERT_EQ(layer->image()->GetPixel(x, y), expected) << x << ", " << y;
        }
}

TEST(ColourFilters, MonochromeIsTheLuminance)
{
    auto layer = flatLayer(3, 3, argb(200, 255, 0, 0));
    layer->image()->SetPixel(1, 1, argb(255, 10, 200, 30));
    CBlockVMTC source(*layer->image());
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TMonochromeParams{}));
    EXPECT_EQ(layer->image()->GetPixel(0, 0), argb(200, 76, 76, 76)); // 19595·255 >> 16
    // (19595·10 + 38469·200 + 7472·30) >> 16 = 123
    EXPECT_EQ(layer->image()->GetPixel(1, 1), argb(255, 123, 123, 123));
}

TEST(ColourFilters, HueSaturationLightnessFollowsTheModelPerPixel)
{
    auto layer = randomLayer(40, 30, 4);
    CBlockVMTC source(*layer->image());
    const THueSaturationParams p{-150, 35, -20};
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
    // Tables from the formulas: B = ⌊2.55·35⌋ = 89, B' = 167; L1, L2 for l = −20.
    const auto ts = [](int32_t i) { return i <= 167 ? 255 * i / 167 : 255; };
    const auto tl = [](int32_t i) {
        const double l1 = 1.0 / (1.0 - 0.14), l2 = 1.0 - 0.14;
        if (i <= 148)
            return int32_t(128.0 * std::pow(i / 148.0, l1));
        return int32_t(127.0 * std::pow((i - 148) / 107.0, l2) + 128.0);
    };
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            const uint32_t s = source.GetPixel(x, y);
            uint32_t expected = s;
            if (s >> 24) {
                THLS hls = pixelToHLS(s);
                hls.H -= 150 * 65536;
                if (hls.H < 0)
                    hls.H += 360 * 65536;
                hls.S = ts(hls.S >> 16) << 16;
                hls.L = tl(hls.L >> 16) << 16;
                expected = (s & 0xFF000000u) | (hlsToPixel(hls) & 0x00FFFFFFu);
            }
            ASSERT_EQ(layer->image()->GetPixel(x, y), expected) << x << ", " << y;
        }
}

TEST(ColourFilters, FullyTransparentPixelIsUnchangedByEveryColourFilter)
{
    const uint32_t hidden = argb(0, 40, 90, 200);
    const TFilterParams all[] = {TLevelsParams{200, 50, 180, 100, 20}, TGammaParams{2, 2, 2},
                                 TBrightnessContrastParams{40, -30}, TPosterizeParams{4},
                                 THueSaturationParams{90, 50, 50}, TMonochromeParams{},
                                 TNoiseParams{600, false}};
    for (const TFilterParams& params : all) {
        auto layer = flatLayer(5, 5, argb(255, 40, 90, 200));
        layer->image()->SetPixel(2, 2, hidden);
        CBlockVMTC source(*layer->image());
        ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, params));
        EXPECT_EQ(layer->image()->GetPixel(2, 2), hidden) << params.index();
        EXPECT_NE(layer->image()->GetPixel(1, 1), argb(255, 40, 90, 200)) << params.index();
    }
}

#include "tone/tone_maker.h"

#include "tone/tone_attr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using namespace qm;

namespace {

int64_t inkPixels(const CToneMaker& maker)
{
    int64_t ink = 0;
    const TChannel& tile = maker.tile();
    for (int32_t y = 0; y < tile.height(); ++y)
        for (int32_t x = 0; x < tile.width(); ++x)
            ink += tile.row(y)[x] == 0 ? 1 : 0;
    return ink;
}

} // namespace

TEST(ToneMaker, AngleZeroWithIntegerPeriodIsOneCell)
{
    CToneMaker maker;
    ASSERT_TRUE(maker.Configure(0, 0, 10.0f, 0.0f, 8.0f));
    EXPECT_EQ(maker.cellsPerSide(), 1);
    EXPECT_EQ(maker.u(), 0);
    EXPECT_EQ(maker.v(), 8);
    EXPECT_EQ(maker.tile().width(), 8);
    EXPECT_EQ(maker.tile().height(), 8);
    EXPECT_DOUBLE_EQ(maker.adjustedPeriod(), 8.0);
    EXPECT_DOUBLE_EQ(maker.adjustedAngle(), 0.0);
    // Square period 8 at angle 0: shifting by 8 in either axis changes nothing.
    for (int32_t y = -20; y < 20; ++y)
        for (int32_t x = -20; x < 20; ++x)
            ASSERT_EQ(maker.ToneAt(x, y), maker.ToneAt(x + 8, y - 16));
}

TEST(ToneMaker, FiftyFiveLinesAtThreeHundredDpiNeedsElevenCells)
{
    SToneAttr attr; // 300 dpi, 55 lines
    CToneMaker maker;
    ASSERT_TRUE(maker.Configure(0, 0, 10.0f, 0.0f, attr.period()));
    EXPECT_EQ(maker.cellsPerSide(), 11);
    EXPECT_EQ(maker.u(), 0);
    EXPECT_EQ(maker.v(), 60);
    EXPECT_EQ(maker.rowShift(), 30);
    EXPECT_EQ(maker.tile().width(), 60);
    EXPECT_EQ(maker.tile().height(), 60);
    EXPECT_DOUBLE_EQ(maker.adjustedPeriod(), 60.0 / 11.0);
}

TEST(ToneMaker, FortyFiveDegreesGivesADiagonalSuperCell)
{
    CToneMaker maker;
    ASSERT_TRUE(maker.Configure(0, 0, 30.0f, 45.0f, 300.0f / 55.0f));
    EXPECT_EQ(maker.u(), maker.v());
    EXPECT_EQ(maker.tile().width(), 2 * maker.u());
    EXPECT_EQ(maker.tile().height(), maker.u());
    EXPECT_DOUBLE_EQ(maker.adjustedAngle(), 45.0);
    EXPECT_NEAR(maker.adjustedPeriod(), 300.0 / 55.0, 0.05 * 300.0 / 55.0);
}

TEST(ToneMaker, InvalidGeometryFailsAndKeepsThePreviousTone)
{
    CToneMaker maker;
    ASSERT_TRUE(maker.Configure(1, 0, 40.0f, 30.0f, 7.0f));
    const uint8_t before = maker.ToneAt(3, 4);
    const int32_t width = maker.tile().width();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(maker.Configure(1, 0, 40.0f, 30.0f, 2.0f));   // below 3 pixels
    EXPECT_FALSE(maker.Configure(1, 0, 40.0f, 0.0f, 130.0f));  // above 128
    EXPECT_FALSE(maker.Configure(1, 0, 40.0f, -30.0f, 7.0f));  // lattice outside the quadrant
    EXPECT_FALSE(maker.Configure(1, 0, 40.0f, 30.0f, nan));
    EXPECT_FALSE(maker.Configure(1, 0, nan, 30.0f, 7.0f));
    EXPECT_FALSE(maker.Configure(1, 0, 40.0f, 30.0f, 0.0f));
    EXPECT_TRUE(maker.isValid());
    EXPECT_EQ(maker.tile().width(), width);
    EXPECT_EQ(maker.ToneAt(3, 4), before);

    CToneMaker fresh;
    EXPECT_EQ(fresh.ToneAt(5, 5), 0); // unconfigured: no ink, no crash
    TChannel channel(4, 4);
    EXPECT_FALSE(fresh.RenderTile(channel, 0, 0));
    EXPECT_TRUE(fresh.Configure(0, 0, 10.0f, 0.0f, 128.0f)); // the upper limit itself
}

TEST(ToneMaker, SquareAtFiftyPercentWithoutBlurIsHardEdged)
{
    CToneMaker maker;
    ASSERT_TRUE(maker.Configure(int32_t(ToneShape::Square), 0, 50.0f, 0.0f, 300.0f / 55.0f));
    EXPECT_EQ(maker.bandWidth(), 0.0f);
    std::set<int> values;
    const TChannel& tile = maker.tile();
    for (int32_t y = 0; y < tile.height(); ++y)
        for (int32_t x = 0; x < tile.width(); ++x)
            values.insert(tile.row(y)[x]);
    EXPECT_EQ(values, (std::set<int>{0, 255}));
    const double ink = double(inkPixels(maker)) / (tile.width() * tile.height());
    EXPECT_NEAR(ink, 0.5, 0.05);
}

TEST(ToneMaker, BlurWidensTheBandButNotBelowZeroPercent)
{
    CToneMaker maker;
    ASSERT_TRUE(maker.Configure(int32_t(ToneShape::Dot), 20, 10.0f, 15.0f, 9.0f));
    EXPECT_EQ(maker.bandLow(), maker.percentile(0).value);
    EXPECT_EQ(maker.bandHigh(), maker.percentile(30).value);
    EXPECT_GT(maker.bandWidth(), 0.0f);
    std::set<int> values;
    const TChannel& tile = maker.tile();
    for (int32_t y = 0; y < tile.height(); ++y)
        for (int32_t x = 0; x < tile.width(); ++x)
            values.insert(tile.row(y)[x]);
    EXPECT_GT(values.size(), 20u); // a soft edge, not two levels

    // The same at the top end: 95 % with blur 20 reaches only 100 %.
    ASSERT_TRUE(maker.Configure(int32_t(ToneShape::Dot), 20, 95.0f, 15.0f, 9.0f));
    EXPECT_EQ(maker.bandLow(), maker.percentile(75).value);
    EXPECT_EQ(maker.bandHigh(), maker.percentile(100).value);
}

TEST(ToneMaker, InkCoverageFollowsThePercentage)
{
    for (int32_t shape : {0, 1, 2, 8}) { // the square's rings of equal values ink in steps
        for (float angle : {0.0f, 22.5f, 45.0f}) {
            for (float percent : {10.0f, 50.0f, 80.0f}) {
                CToneMaker maker;
                ASSERT_TRUE(maker.Configure(shape, 0, percent, angle, 6.5f));
                const TChannel& tile = maker.tile();
                const double ink = double(inkPixels(maker)) / (tile.width() * tile.height());
                EXPECT_NEAR(ink * 100.0, percent, 6.0)
                    << "shape " << shape << " angle " << angle;
            }
        }
    }
}

// The tile with its lattice reduction is the threshold function sampled at every pixel centre:
// no seams anywhere, far from the origin and on negative coordinates too.
TEST(ToneMaker, ToneAtIsTheBandedFieldAtThePixelCentre)
{
    struct Case {
        int32_t shape;
        float angle;
        float period;
        int32_t blur;
    };
    const Case cases[] = {{0, 0.0f, 300.0f / 55.0f, 0}, {0, 45.0f, 300.0f / 55.0f, 3},
                          {1, 15.0f, 7.3f, 0},           {2, 30.0f, 5.0f, 5},
                          {3, 60.0f, 9.7f, 2},           {6, 75.0f, 4.4f, 0},
                          {8, 37.0f, 12.0f, 10},         {9, 90.0f, 6.0f, 0},
                          {7, 5.0f, 20.0f, 4},           {4, 52.0f, 8.0f, 0}};
    for (const Case& c : cases) {
        CToneMaker maker;
        ASSERT_TRUE(maker.Configure(c.shape, c.blur, 37.0f, c.angle, c.period));
        int64_t ambiguous = 0, total = 0;
        for (int32_t y = -150; y < 150; ++y) {
            for (int32_t x = -150; x < 150; x += 1) {
                for (int32_t far : {0, 7919}) {
                    const int32_t px = x + far, py = y + far * 3;
                    const float value = maker.ThresholdAt(px + 0.5, py + 0.5);
                    const int expected = 255 - maker.BandValue(value);
                    const int actual = maker.ToneAt(px, py);
                    ++total;
                    if (actual == expected)
                        continue;
                    // A pixel centre lying exactly on a band edge or on a discontinuity of the
                    // spot function (the round dot at 50 %) may fall either way by rounding.
                    ++ambiguous;
                    bool near = false;
                    for (double dy : {-1e-6, 0.0, 1e-6})
                        for (double dx : {-1e-6, 0.0, 1e-6})
                            for (float dv : {-1e-5f, 0.0f, 1e-5f})
                                near = near || actual == 255 - maker.BandValue(maker.ThresholdAt(
                                                                   px + 0.5 + dx, py + 0.5 + dy) + dv);
                    ASSERT_TRUE(near) << "shape " << c.shape << " angle " << c.angle << " at "
                                      << px << "," << py << ": " << actual << " vs " << expected;
                }
            }
        }
        EXPECT_LT(ambiguous * 50, total) << "shape " << c.shape << " angle " << c.angle;
    }
}

TEST(ToneMaker, PercentOrBlurChangeMatchesAFreshGenerator)
{
    CToneMaker changed;
    ASSERT_TRUE(changed.Configure(0, 0, 10.0f, 30.0f, 6.0f));
    ASSERT_TRUE(changed.Configure(0, 7, 60.0f, 30.0f, 6.0f));   // band only
    ASSERT_TRUE(changed.Configure(6, 7, 60.0f, 30.0f, 6.0f));   // new field
    ASSERT_TRUE(changed.Configure(6, 7, 60.0f, 31.0f, 6.0f));   // new lattice
    CToneMaker fresh;
    ASSERT_TRUE(fresh.Configure(6, 7, 60.0f, 31.0f, 6.0f));
    ASSERT_EQ(changed.tile().width(), fresh.tile().width());
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x)
            ASSERT_EQ(changed.ToneAt(x, y), fresh.ToneAt(x, y));
    EXPECT_EQ(changed.percent(), 60.0f);
    EXPECT_TRUE(changed.Configure(6, 7, 250.0f, 31.0f, 6.0f));
    EXPECT_EQ(changed.percent(), 100.0f); // clamped
}

TEST(ToneMaker, RoundDotsInkTheirCentresFirst)
{
    CToneMaker maker;
    ASSERT_TRUE(maker.Configure(0, 0, 5.0f, 0.0f, 10.0f));
    // Cells of 10 pixels centred on (5, 5).
    EXPECT_EQ(maker.ToneAt(4, 4), 255);
    EXPECT_EQ(maker.ToneAt(15, -6), 255);
    EXPECT_EQ(maker.ToneAt(0, 0), 0);
    EXPECT_EQ(maker.ToneAt(9, 5), 0);
    EXPECT_LE(maker.ThresholdAt(5.0, 5.0), 0.0f); // at or below the sampled minimum
}

TEST(ToneSpot, ShapesGiveTheirFormulaValues)
{
    EXPECT_DOUBLE_EQ(SpotFunction(0, 0.0, 0.0), 1.0);
    EXPECT_DOUBLE_EQ(SpotFunction(0, 1.0, 1.0), -1.0);
    EXPECT_DOUBLE_EQ(SpotFunction(0, 0.75, 0.5), 0.0625 + 0.25 - 1.0);
    EXPECT_DOUBLE_EQ(SpotFunction(2, 0.0, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(SpotFunction(4, 0.3, -0.6), -0.6);
    EXPECT_DOUBLE_EQ(SpotFunction(5, 0.3, -0.6), 0.3);
    EXPECT_DOUBLE_EQ(SpotFunction(6, 0.3, -0.6), -0.6);
    EXPECT_DOUBLE_EQ(SpotFunction(7, 0.3, -0.6), -0.3);
    EXPECT_DOUBLE_EQ(SpotFunction(8, 0.5, 0.25), 1.0 - 0.0625 - 0.25);  // s = 0.75
    EXPECT_DOUBLE_EQ(SpotFunction(8, 0.5, 0.5), 1.0 - (0.5 + 0.85 * 0.5)); // s = 1.0
    EXPECT_DOUBLE_EQ(SpotFunction(9, -0.4, 0.5), (0.9 * 0.5 + 0.4) / 2.0);
    // Out-of-range shapes are the nearest end.
    EXPECT_DOUBLE_EQ(SpotFunction(-3, 0.2, 0.1), SpotFunction(0, 0.2, 0.1));
    EXPECT_DOUBLE_EQ(SpotFunction(42, 0.2, 0.1), SpotFunction(9, 0.2, 0.1));
}

TEST(ToneName, FormatsTruncatedNumbersAndUnknownShapes)
{
    SToneAttr attr;
    attr.shape = 6;
    attr.lines = 42.9f;
    attr.percent = 33.7f;
    attr.angle = 45.5f;
    attr.blur = 4;
    attr.dpi = 350.2f;
    EXPECT_EQ(ToneName(attr), "Square 42L 33% 45D 4, 350dpi");
    attr.shape = 10;
    attr.lines = std::numeric_limits<float>::infinity();
    EXPECT_EQ(ToneName(attr).substr(0, 4), "??? ");
    EXPECT_STREQ(ToneShapeName(-1), "???");
    EXPECT_STREQ(ToneShapeName(2), "Dot(Cos)");
}

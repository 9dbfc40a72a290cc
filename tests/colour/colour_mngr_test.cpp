#include "colour/colour_mngr.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

struct ColorMngr : ::testing::Test {
    TStroke stroke;
    CColorMngr colours{stroke, 0x336699, 0xFFFFFF};
    int notified = 0;
    void SetUp() override
    {
        colours.onChanged = [this](bool, int32_t) { ++notified; };
    }
};

TEST_F(ColorMngr, TheSameColourNotifiesFromAWindowButSourceZeroChangesNothing)
{
    EXPECT_EQ(stroke.color, 0x336699u);
    EXPECT_FALSE(colours.setMainColor(0x336699, kColourSourceNone));
    EXPECT_EQ(notified, 0);
    EXPECT_FALSE(colours.setMainColor(0x336699, kColourSourceWindow));
    EXPECT_EQ(notified, 1) << "windows are told even without a change";
    EXPECT_TRUE(colours.setSecondColor(0x000000, kColourSourceNone));
    EXPECT_EQ(stroke.secondColor, 0u);
}

TEST_F(ColorMngr, HueBarRowsAndMarker)
{
    EXPECT_EQ(CColorMngr::hueBarColour(0, 360), 0xFF0000u);
    EXPECT_EQ(CColorMngr::hueBarColour(120, 360), 0x00FF00u);
    EXPECT_EQ(CColorMngr::hueBarRow(0, 360), 0) << "hue 0 is centred on row 0";
    EXPECT_EQ(CColorMngr::hueBarRow(359 << 16, 360), 359);
    EXPECT_TRUE(colours.pickHue(359, 360));
    EXPECT_EQ(colours.hue(), 359 << 16) << "row 359 of 360 is 359 degrees";
    EXPECT_FALSE(colours.pickHue(359, 360)) << "the same hue again changes nothing";
    EXPECT_TRUE(colours.pickHue(-5, 360)); // clamped to row 0
    EXPECT_EQ(colours.hue(), 0);
    // The main colour took the hue and kept its saturation and value.
    const THSV hsv = rgbToHSV(colours.mainColor());
    EXPECT_EQ(hsv.H, 0);
    EXPECT_EQ(hsv.V, rgbToHSV(0x336699).V);
}

TEST_F(ColorMngr, SquareCornersAndPicking)
{
    colours.setHue(240 << 16);
    const uint32_t pure = colours.pureColour();
    EXPECT_EQ(pure, 0x0000FFu);
    EXPECT_EQ(CColorMngr::squareColour(pure, 0, 0, 100, 80), 0xFFFFFFu);
    EXPECT_EQ(CColorMngr::squareColour(pure, 99, 0, 100, 80), 0x0000FFu);
    for (int x : {0, 50, 99})
        EXPECT_EQ(CColorMngr::squareColour(pure, x, 79, 100, 80), 0u);

    TPoint marker{};
    EXPECT_TRUE(colours.pickInSquare(99, -3, 100, 80, marker));
    EXPECT_EQ(marker, (TPoint{99, 0}));
    EXPECT_EQ(colours.mainColor(), 0x0000FFu);
    EXPECT_FALSE(colours.pickInSquare(99, 0, 100, 80, marker)) << "same place";
    // A grey keeps the window's hue.
    EXPECT_TRUE(colours.pickInSquare(0, 40, 100, 80, marker));
    EXPECT_EQ(rgbToHSV(colours.mainColor()).S, 0);
    EXPECT_EQ(colours.hue(), 240 << 16);
    colours.setMainColor(0x808080, kColourSourceWindow);
    EXPECT_EQ(colours.hue(), 240 << 16);
    colours.setMainColor(0x00FF00, kColourSourceWindow);
    EXPECT_EQ(colours.hue(), 120 << 16) << "a coloured main colour moves the square";
}

TEST_F(ColorMngr, MarkerSearchTakesTheFirstNearestAndStaysWhenNothingIsNear)
{
    colours.setHue(0);
    colours.setMainColor(0xFFFFFF, kColourSourceWindow);
    TPoint marker{5, 5};
    EXPECT_TRUE(colours.findMarker(50, 40, marker));
    EXPECT_EQ(marker, (TPoint{0, 0}));
    colours.setHue(120 << 16);   // a green square
    colours.setMainColor(0xFF00FF, kColourSourceHsvSet); // magenta: nothing within reach
    marker = {7, 7};
    EXPECT_FALSE(colours.findMarker(50, 40, marker));
    EXPECT_EQ(marker, (TPoint{7, 7}));
}

TEST_F(ColorMngr, SwatchClicksFlipTheOrderAndSwap)
{
    ASSERT_TRUE(colours.swatchOrder());
    colours.clickSwatches(true, false);
    EXPECT_FALSE(colours.swatchOrder());
    EXPECT_EQ(colours.mainColor(), 0xFFFFFFu);
    EXPECT_EQ(colours.secondColor(), 0x336699u);
    colours.clickSwatches(true, false); // the first rectangle while the flag is clear: no flip
    EXPECT_FALSE(colours.swatchOrder());
    EXPECT_EQ(colours.mainColor(), 0x336699u);
    colours.clickSwatches(true, true); // the second while clear: flips
    EXPECT_TRUE(colours.swatchOrder());
    EXPECT_EQ(rgbToHSV(colours.mainColor()).H, colours.hsv().H);
}

} // namespace
} // namespace qm

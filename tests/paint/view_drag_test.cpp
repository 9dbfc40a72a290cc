#include "paint/view_drag.h"

#include <gtest/gtest.h>

namespace qm {

TEST(ViewDrag, RotationTakesTheSweptAngleAwayFromTheStartAngle)
{
    const TClientPoint centre{100, 100};
    // From the right of the centre to below it: a quarter turn clockwise on screen (y down),
    // +90 degrees by atan2 of cross and dot.
    EXPECT_NEAR(rotationAfterDrag(30.0f, centre, {150, 100}, {100, 180}), 30.0f - 90.0f, 1e-4);
    EXPECT_NEAR(rotationAfterDrag(30.0f, centre, {150, 100}, {100, 20}), 30.0f + 90.0f, 1e-4);
    // Only the direction counts, not the distance from the centre.
    EXPECT_NEAR(rotationAfterDrag(0.0f, centre, {110, 110}, {300, 300}), 0.0f, 1e-4);
    // 45 degrees: from (1, 0) to (1, 1) around the centre.
    EXPECT_NEAR(rotationAfterDrag(0.0f, centre, {101, 100}, {110, 110}), -45.0f, 1e-4);
}

TEST(ViewDrag, TheBrushWidthChangesByHalfTheDistanceInPaperPixelsWithinItsRange)
{
    float width = -1.0f;
    ASSERT_TRUE(widthAfterDrag(10.0f, 50.0, 70.0, 2.0f, width));
    EXPECT_FLOAT_EQ(width, 15.0f) << "20 window pixels at 200 % are 10 paper pixels, halved";
    ASSERT_TRUE(widthAfterDrag(30.0f, 50.0, 30.0, 0.5f, width));
    EXPECT_FLOAT_EQ(width, 10.0f) << "leftwards narrows: 30 - 20 / 0.5 / 2";
    // The bounds themselves are allowed; beyond them the width stays as it was.
    EXPECT_TRUE(widthAfterDrag(100.0f, 0.0, 200.0, 1.0f, width));
    EXPECT_FLOAT_EQ(width, 200.0f);
    width = 7.0f;
    EXPECT_FALSE(widthAfterDrag(100.0f, 0.0, 202.0, 1.0f, width));
    EXPECT_FLOAT_EQ(width, 7.0f);
    EXPECT_FALSE(widthAfterDrag(1.0f, 10.0, 8.0, 1.0f, width));
    EXPECT_FLOAT_EQ(width, 7.0f);
    EXPECT_TRUE(widthAfterDrag(0.1f, 10.0, 10.0, 1.0f, width));
    EXPECT_FLOAT_EQ(width, 0.1f);
}

} // namespace qm

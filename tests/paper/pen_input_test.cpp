#include "paper/pen_input.h"
#include "paper_fixture.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

struct PenInput : ::testing::Test {
    test::PaperFixture f{200, 100};
    TPenInput pen;
    TPenView view{200, 100, nullptr}; // the window shows the paper 1:1 at its origin

    TPenMove move(float x, float y, bool modifier = false)
    {
        return pen.penMove(*f.paper, f.flow, f.stroke, view, modifier, x, y, 1.0f);
    }
};

TEST_F(PenInput, TheFirstTwoPointsAreTakenThenCloseMovesAreDropped)
{
    EXPECT_EQ(move(10, 10), TPenMove::started);
    EXPECT_EQ(move(10.5f, 10), TPenMove::added) << "the first move is always taken";
    EXPECT_EQ(move(12.5f, 10), TPenMove::dropped) << "exactly 2 px at 100 %";
    EXPECT_EQ(move(12.6f, 10), TPenMove::added);
    EXPECT_EQ(f.window.pointCount, 2);
    EXPECT_TRUE(pen.penUp(*f.paper, f.flow, f.stroke, view, 12.6f, 10));
    EXPECT_FALSE(f.window.strokeInProgress);
    EXPECT_FALSE(pen.penUp(*f.paper, f.flow, f.stroke, view, 12.6f, 10)) << "nothing to end";

    // At zoom level −2 (67 %) points must be 4 paper pixels apart.
    f.paper->zoomLevel = -2;
    auto paperMove = [&](float x) {
        const TPointF w = f.paper->paperToWindow(200, 100, x, 10);
        return move(w.x, w.y);
    };
    EXPECT_EQ(paperMove(10), TPenMove::started);
    EXPECT_EQ(paperMove(11), TPenMove::added);
    EXPECT_EQ(paperMove(14.9f), TPenMove::dropped);
    EXPECT_EQ(paperMove(15.2f), TPenMove::added);
}

TEST_F(PenInput, ModifiersAndPlaybackStartNothing)
{
    EXPECT_EQ(move(10, 10, true), TPenMove::refused);
    f.window.playback = TPlayback::current;
    EXPECT_EQ(move(10, 10), TPenMove::refused);
    EXPECT_FALSE(f.window.strokeInProgress);
    f.window.playback = TPlayback::none;
    EXPECT_EQ(move(10, 10), TPenMove::started) << "pressing again without the key starts it";
}

TEST_F(PenInput, AStrokeOfMoreThan60000PointsEndsByItselfUntilThePenLifts)
{
    f.stroke.width = 1.0f;
    ASSERT_EQ(move(0, 0), TPenMove::started);
    for (int i = 1; i <= TPenInput::kMaxStrokePoints; ++i)
        ASSERT_EQ(move(float(i % 2 ? 190 : 5), float(i % 97)), TPenMove::added) << i;
    EXPECT_EQ(move(50, 50), TPenMove::ended);
    EXPECT_FALSE(f.window.strokeInProgress);
    EXPECT_EQ(move(60, 50), TPenMove::refused) << "no new stroke before the pen lifts";
    EXPECT_FALSE(pen.penUp(*f.paper, f.flow, f.stroke, view, 60, 50));
    EXPECT_EQ(move(60, 50), TPenMove::started);
}

} // namespace
} // namespace qm

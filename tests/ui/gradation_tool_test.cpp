// The gradation tool in a real drawing window: a dragged line fills the layer with the
// gradation window's current gradation, within the selection, recorded so that a replay on
// another paper gives the same layer.
#include "window_fixture.h"

#include "../paper/paper_fixture.h"

namespace qm::ui::test {

using GradationTool = WindowFixture;

TEST_F(GradationTool, ADraggedLineFillsAlongItAndReplays)
{
    TAppContext& app = shell->context();
    ASSERT_NE(app.gradations, nullptr);
    app.gradations->Select(1); // black to white
    ASSERT_TRUE(app.modes.setModeFromTool(19, -1));
    ASSERT_EQ(app.modes.mode, 5);
    ASSERT_EQ(app.modes.submode(), 3);
    paper().selectShape(TFillShape::rectangle, {0, -1, MaskCombine::Replace, {0, 0}, {200, 200}},
                        true);
    press(at(40, 100));
    drag(at(100, 100));
    drag(at(140, 100));
    release(at(140, 100));
    // Dark at the start, light at the end, and nothing beyond the selection.
    EXPECT_LT(layerPixel(40, 50) & 0xFF, 8u);
    EXPECT_GT(layerPixel(140, 50) & 0xFF, 247u);
    const uint32_t middle = layerPixel(90, 50) & 0xFF;
    EXPECT_GT(middle, 100u);
    EXPECT_LT(middle, 156u);
    EXPECT_EQ(layerPixel(250, 50) >> 24, 0u);

    qm::test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(window->document().events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
        << replay.events().missingOperation;
    qm::test::expectSameLayer(*paper().layer(0), *replay.paper->layer(0));
    // Undo takes it back.
    ASSERT_TRUE(window->undo());
    EXPECT_EQ(layerPixel(90, 50) >> 24, 0u);
}

} // namespace qm::ui::test

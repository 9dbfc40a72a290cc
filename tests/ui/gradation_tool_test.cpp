// The gradation tool and the tone window in a real drawing window: a dragged line fills the
// layer with the gradation window's current gradation, within the selection; a tone made in
// the tone window screens the pen. Both are recorded so that a replay on another paper gives
// the same layer.
#include "ui/grad_window.h"
#include "ui/tone_window.h"
#include "ui/tool_docks.h"
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

TEST_F(GradationTool, AToneMadeInTheToneWindowScreensThePenAndReplays)
{
    TAppContext& app = shell->context();
    SToneAttr attr;
    attr.shape = 1; // dots
    attr.dpi = 300.0f;
    attr.lines = 30.0f; // a period of 10 pixels
    attr.percent = 40.0f;
    ASSERT_TRUE(main().docks().tones->createTone(attr));
    const int32_t made = app.tones->currentIndex();
    ASSERT_GE(made, 0);
    stroke().setUseTone(true);
    stroke().width = 30.0f;
    ASSERT_TRUE(app.modes.setModeFromTool(0, -1));
    press(at(30, 100));
    for (int x = 40; x <= 250; x += 10)
        drag(at(float(x), 100));
    release(at(250, 100));
    // Screened: across the stroke's middle some pixels are inked and some are not.
    int inked = 0, clear = 0;
    for (int y = 95; y < 105; ++y)
        for (int x = 60; x < 220; ++x)
            ((layerPixel(x, y) >> 24) > 128 ? inked : clear) += 1;
    EXPECT_GT(inked, 200);
    EXPECT_GT(clear, 200);

    qm::test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(window->document().events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
        << replay.events().missingOperation;
    qm::test::expectSameLayer(*paper().layer(0), *replay.paper->layer(0));
}

TEST_F(GradationTool, AThreeStopGradationMadeInItsWindowFillsAndReplays)
{
    TAppContext& app = shell->context();
    TGradWindow& window_ = *main().docks().gradation;
    window_.actGradCreate();
    const int32_t middle = window_.insertStopAt(32768);
    ASSERT_GE(middle, 0);
    ASSERT_TRUE(window_.setStopColour(middle, 0x0000FF, false, 255)); // red (a COLORREF)
    ASSERT_EQ(app.gradations->working().stops.size(), 3u);
    ASSERT_TRUE(app.modes.setModeFromTool(19, -1));
    press(at(40, 100));
    drag(at(240, 100));
    release(at(240, 100));
    // Red in the middle of the line.
    const uint32_t centre = layerPixel(140, 60);
    EXPECT_GT((centre >> 16) & 0xFF, 200u);
    EXPECT_LT(centre & 0xFF, 60u);

    qm::test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(window->document().events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
        << replay.events().missingOperation;
    qm::test::expectSameLayer(*paper().layer(0), *replay.paper->layer(0));
}

} // namespace qm::ui::test

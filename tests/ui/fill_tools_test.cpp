// The fill and shape tools in a real drawing window: the bucket clicked, each shape dragged or
// clicked out, the keys; every result recorded so that a replay on another paper gives the
// same layers.
#include "render_run.h"
#include "ui/tools_window.h"
#include "window_fixture.h"

#include "../paper/paper_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

namespace qm::ui::test {

namespace {

class FillTools : public WindowFixture {
protected:
    void useTool(int button, int option = -1)
    {
        ASSERT_TRUE(shell->context().modes.setModeFromTool(button, option));
    }
    void dragOut(QPointF from, QPointF to)
    {
        press(from);
        drag((from + to) / 2);
        drag(to);
        release(to);
    }
    void click(QPointF pos)
    {
        press(pos);
        release(pos);
    }
    // The recording replayed on a fresh paper gives the window's layers.
    void expectReplayMatches()
    {
        qm::test::RecordedPaper replay;
        ASSERT_EQ(replay.events().openForReplay(window->document().events().fileData(),
                                                replay.flow),
                  TReplayOpen::success);
        ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
            << replay.events().missingOperation;
        ASSERT_EQ(replay.paper->layerCount(), paper().layerCount());
        for (int32_t i = 0; i < paper().layerCount(); ++i)
            qm::test::expectSameLayer(*paper().layer(i), *replay.paper->layer(i));

        // And the executable's render of the saved recording shows the window's picture.
        const QString recording = dir.filePath(QStringLiteral("fills.qm3"));
        ASSERT_TRUE(main().saveEvents(window, recording, false));
        std::string said;
        ASSERT_EQ(renderRecording(recording, dir.filePath(QStringLiteral("out")),
                                  dir.filePath(QStringLiteral("render.ini")), said),
                  0)
            << said;
        const TBmp24 bmp = readBmp24(dir.filePath(QStringLiteral("out/fills.bmp")));
        ASSERT_EQ(bmp.width, paper().width);
        const TMTC shown = paper().picture();
        int differing = 0;
        for (int y = 0; y < bmp.height; ++y)
            for (int x = 0; x < bmp.width; ++x)
                differing += bmp.at(x, y) != (shown.pixel(x, y) & 0xFFFFFFu);
        EXPECT_EQ(differing, 0);
    }
};

} // namespace

TEST_F(FillTools, BucketShapesOutlinesAndKeysPaintAndReplay)
{
    // A closed outline rectangle with the pen (Draw Along Shape, its first submode).
    useTool(10, 0);
    ASSERT_EQ(shell->context().modes.mode, 6);
    dragOut(at(20, 20), at(120, 90));
    EXPECT_NE(layerPixel(20, 55) >> 24, 0u);  // on its left side
    EXPECT_EQ(layerPixel(70, 55) >> 24, 0u);  // not inside
    const uint32_t afterOutline = eventCount();

    // The bucket inside it, in green.
    stroke().color = 0x00C000;
    useTool(4);
    ASSERT_EQ(shell->context().modes.mode, 4);
    click(at(70, 55));
    EXPECT_EQ(layerPixel(70, 55), 0xFF00C000u);
    EXPECT_EQ(layerPixel(150, 150) >> 24, 0u); // outside the outline
    EXPECT_EQ(eventCount(), afterOutline + 1);

    // A filled ellipse and a filled rectangle dragged out (Fill Shape).
    stroke().color = 0xC00000;
    useTool(11, 1);
    dragOut(at(150, 20), at(250, 80));
    EXPECT_EQ(layerPixel(200, 50), 0xFFC00000u);
    EXPECT_EQ(layerPixel(151, 21) >> 24, 0u); // the corner stays out of an ellipse
    useTool(11, 0);
    dragOut(at(150, 120), at(200, 160));
    EXPECT_EQ(layerPixel(151, 121), 0xFFC00000u);

    // A filled polygon clicked out and closed with a double-click.
    useTool(11, 2);
    click(at(220, 110));
    click(at(290, 110));
    press(at(255, 190));
    release(at(255, 190));
    mouse(QEvent::MouseButtonDblClick, at(255, 190), Qt::LeftButton, Qt::LeftButton);
    release(at(255, 190));
    EXPECT_EQ(layerPixel(255, 130), 0xFFC00000u);
    EXPECT_EQ(layerPixel(222, 185) >> 24, 0u);

    // A free shape dragged by hand (Fill Enclosed Area).
    useTool(13);
    press(at(30, 120));
    for (QPointF p : {at(90, 120), at(90, 190), at(30, 190)})
        drag(p);
    release(at(30, 190));
    EXPECT_EQ(layerPixel(60, 155), 0xFFC00000u);

    // A straight line.
    useTool(12, 3);
    dragOut(at(10, 195), at(290, 195));
    EXPECT_NE(layerPixel(150, 195) >> 24, 0u);

    // Insert fills a new layer with the pen colour.
    window->newLayer();
    stroke().color = 0x123456;
    key(QEvent::KeyPress, Qt::Key_Insert);
    EXPECT_EQ(layerPixel(5, 5, paper().currentLayerIndex()), 0xFF123456u);

    expectReplayMatches();
    // And the Insert key's fill goes with undo and comes back with redo.
    const TMTC all = qm::test::flatLayer(*paper().layer(1));
    ASSERT_TRUE(window->undo());
    EXPECT_EQ(layerPixel(5, 5, 1) >> 24, 0u);
    ASSERT_TRUE(window->redo());
    EXPECT_TRUE(qm::test::sameImage(all, qm::test::flatLayer(*paper().layer(1))));
}

TEST_F(FillTools, TheWandSelectsAndDeleteFillsTheSelectionWithThePaperColour)
{
    useTool(10, 0);
    dragOut(at(20, 20), at(120, 90));
    useTool(18); // Automatic Selection
    ASSERT_EQ(shell->context().modes.mode, 4);
    ASSERT_EQ(shell->context().modes.submode(), 3);
    click(at(70, 55));
    ASSERT_TRUE(paper().hasSelection());
    const CMaskData& mask = *paper().masks->Mask(paper().masks->CurrentIndex());
    EXPECT_EQ(mask.ValueAt(70, 55), 255);
    EXPECT_LE(mask.ValueAt(200, 150), 0);

    key(QEvent::KeyPress, Qt::Key_Delete);
    EXPECT_EQ(layerPixel(70, 55), 0xFF000000u | paper().paperColor);
    EXPECT_EQ(layerPixel(200, 150) >> 24, 0u);
    expectReplayMatches();
}

} // namespace qm::ui::test

namespace qm::ui::test {

// The Options window holds the bucket's and the wand's own colour limit, source and edge.
TEST_F(FillTools, TheOptionsWindowSetsTheBucketsAndTheWandsSettings)
{
    TControlWindow options(shell->context());
    useTool(4);
    options.followMode();
    auto* limit = options.findChild<QSpinBox*>(QStringLiteral("fillLimit"));
    auto* source = options.findChild<QComboBox*>(QStringLiteral("fillTarget"));
    auto* smooth = options.findChild<QCheckBox*>(QStringLiteral("fillAntiAlias"));
    ASSERT_TRUE(limit && source && smooth);
    limit->setValue(55);
    source->setCurrentIndex(1);
    smooth->setChecked(true);
    const TConfigSettings& c = shell->context().profile.config;
    EXPECT_EQ(c.fillLimit, 55);
    EXPECT_EQ(c.fillTarget, 1);
    EXPECT_TRUE(c.fillAntiAlias);
    EXPECT_EQ(c.wandLimit, 20); // the wand keeps its own

    useTool(18);
    options.followMode();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the bucket's controls
    limit = options.findChild<QSpinBox*>(QStringLiteral("fillLimit"));
    ASSERT_NE(limit, nullptr);
    EXPECT_EQ(limit->value(), 20);
    limit->setValue(7);
    EXPECT_EQ(c.wandLimit, 7);
    EXPECT_EQ(c.fillLimit, 55);
}

} // namespace qm::ui::test

namespace qm::ui::test {

// The outline shapes of Draw Along Shape and Straight Line, each stroked with the pen.
TEST_F(FillTools, EveryOutlineShapeIsStrokedWithThePen)
{
    // An ellipse: its left-most point is on the line, its centre and the box's corner are not.
    useTool(10, 1);
    dragOut(at(20, 20), at(120, 90));
    EXPECT_NE(layerPixel(20, 55) >> 24, 0u);
    EXPECT_EQ(layerPixel(70, 55) >> 24, 0u);
    EXPECT_EQ(layerPixel(21, 21) >> 24, 0u);

    // A polygon clicked out and closed with the right button: its closing edge is drawn.
    useTool(10, 2);
    click(at(150, 20));
    click(at(280, 20));
    click(at(280, 90));
    mouse(QEvent::MouseButtonPress, at(280, 90), Qt::RightButton, Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, at(280, 90), Qt::RightButton, Qt::NoButton);
    EXPECT_NE(layerPixel(215, 20) >> 24, 0u);  // first edge
    EXPECT_NE(layerPixel(215, 55) >> 24, 0u);  // the closing diagonal
    EXPECT_EQ(layerPixel(260, 60) >> 24, 0u);  // inside stays empty

    // Connected lines finished with Enter stay open: no closing edge.
    useTool(12, 4);
    ASSERT_EQ(shell->context().modes.submode(), 4);
    click(at(20, 120));
    click(at(120, 120));
    click(at(120, 190));
    key(QEvent::KeyPress, Qt::Key_Return);
    EXPECT_NE(layerPixel(70, 120) >> 24, 0u);
    EXPECT_NE(layerPixel(120, 155) >> 24, 0u);
    EXPECT_EQ(layerPixel(70, 155) >> 24, 0u);

    // Escape drops a polygon in progress.
    const uint32_t events = eventCount();
    useTool(10, 2);
    click(at(150, 120));
    click(at(250, 120));
    key(QEvent::KeyPress, Qt::Key_Escape);
    key(QEvent::KeyPress, Qt::Key_Return);
    EXPECT_EQ(eventCount(), events);
    expectReplayMatches();
}

} // namespace qm::ui::test

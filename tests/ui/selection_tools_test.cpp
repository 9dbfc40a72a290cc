// The selection tools and the Selection menu in a real drawing window: rectangles, ellipses,
// lassos and polygons with each way of combining, every menu command, the layer mask commands
// and the marching ants; each result recorded, so a replay on another paper gives the same
// masks and layers.
#include "ui/tool_docks.h"
#include "ui/tools_window.h"
#include "window_fixture.h"

#include "../paper/paper_fixture.h"

#include <QAction>
#include <QComboBox>

namespace qm::ui::test {

namespace {

// Tool buttons 16 (rectangle or ellipse selection) and 17 (free or polygon selection), and
// the submodes their options stand for.
constexpr int kShapeButton = 16, kLassoButton = 17;
constexpr int kRectangleOption = 2, kEllipseOption = 0, kFreeOption = 1, kPolygonOption = 3;

class SelectionTools : public WindowFixture {
protected:
    void useTool(int button, int option)
    {
        ASSERT_TRUE(shell->context().modes.setModeFromTool(button, option));
    }
    void dragOut(QPointF from, QPointF to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        press(from, modifiers);
        drag((from + to) / 2);
        drag(to);
        release(to);
    }
    void run(const char* action)
    {
        QAction* a = main().action(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        main().refreshActions();
        ASSERT_TRUE(a->isEnabled()) << action;
        a->trigger();
    }
    const CMaskData& mask() { return *paper().masks->CurrentMask(); }
    bool selected(int x, int y) { return mask().ValueAt(x, y) > 0; }
    // The recording replayed on a fresh paper gives the window's masks and layers.
    void expectReplayMatches()
    {
        qm::test::RecordedPaper replay;
        ASSERT_EQ(replay.events().openForReplay(window->document().events().fileData(),
                                                replay.flow),
                  TReplayOpen::success);
        ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
            << replay.events().missingOperation;
        TPaper& again = *replay.paper;
        ASSERT_EQ(again.masks->Count(), paper().masks->Count());
        EXPECT_EQ(again.masks->CurrentIndex(), paper().masks->CurrentIndex());
        for (int32_t i = 0; i < paper().masks->Count(); ++i) {
            const CMaskData& a = *paper().masks->Mask(i);
            const CMaskData& b = *again.masks->Mask(i);
            ASSERT_EQ(a.Bounds(), b.Bounds()) << "mask " << i;
            for (int32_t y = a.Bounds().top; y < a.Bounds().bottom; ++y)
                for (int32_t x = a.Bounds().left; x < a.Bounds().right; ++x)
                    ASSERT_EQ(a.ValueAt(x, y), b.ValueAt(x, y)) << "mask " << i;
        }
        ASSERT_EQ(again.layerCount(), paper().layerCount());
        for (int32_t i = 0; i < paper().layerCount(); ++i)
            qm::test::expectSameLayer(*paper().layer(i), *again.layer(i));
    }
};

} // namespace

TEST_F(SelectionTools, RectanglesCombineByModifiersAndByTheOptionsWindow)
{
    useTool(kShapeButton, kRectangleOption);
    dragOut(at(20, 20), at(80, 60));
    EXPECT_TRUE(selected(20, 20));
    EXPECT_TRUE(selected(79, 59));
    EXPECT_FALSE(selected(80, 60));
    EXPECT_EQ(paper().selectionActive, 1);
    // Shift adds, Ctrl subtracts, both intersect.
    dragOut(at(100, 20), at(120, 40), Qt::ShiftModifier);
    EXPECT_TRUE(selected(30, 30));
    EXPECT_TRUE(selected(110, 30));
    dragOut(at(20, 20), at(40, 40), Qt::ControlModifier);
    EXPECT_FALSE(selected(30, 30));
    EXPECT_TRUE(selected(50, 50));
    dragOut(at(45, 45), at(115, 58), Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(selected(50, 50));
    EXPECT_FALSE(selected(110, 30));
    EXPECT_FALSE(selected(60, 30));
    // Without a modifier the options window's choice counts.
    main().docks().modeChanged();
    auto* combine = main().docks().control->findChild<QComboBox*>(QStringLiteral("selectCombine"));
    ASSERT_NE(combine, nullptr);
    combine->setCurrentIndex(int(MaskCombine::Add));
    dragOut(at(150, 100), at(160, 110));
    EXPECT_TRUE(selected(50, 50));
    EXPECT_TRUE(selected(155, 105));
    combine->setCurrentIndex(int(MaskCombine::Replace));
    // A click without a drag deselects.
    press(at(200, 150));
    release(at(200, 150));
    EXPECT_FALSE(mask().IsValid());
    expectReplayMatches();
}

TEST_F(SelectionTools, LassosCombineInEachMode)
{
    useTool(kShapeButton, kRectangleOption);
    dragOut(at(50, 50), at(150, 150));
    useTool(kLassoButton, kFreeOption);
    // A square lasso from (100, 20) to (200, 100), dragged by hand.
    const auto lasso = [&](Qt::KeyboardModifiers modifiers) {
        press(at(100, 20), modifiers);
        for (int i = 1; i <= 10; ++i)
            drag(at(100 + 10.0f * i, 20));
        for (int i = 1; i <= 8; ++i)
            drag(at(200, 20 + 10.0f * i));
        for (int i = 1; i <= 10; ++i)
            drag(at(200 - 10.0f * i, 100));
        release(at(100, 100));
    };
    struct TCase {
        Qt::KeyboardModifiers modifiers;
        bool inBoth, inSquareOnly, inLassoOnly;
    };
    // The point (120, 80) lies in both, (70, 120) in the square only, (180, 40) in the lasso only.
    for (const TCase& c : {TCase{Qt::ShiftModifier, true, true, true},
                           TCase{Qt::ControlModifier, false, true, false},
                           TCase{Qt::ShiftModifier | Qt::ControlModifier, true, false, false},
                           TCase{Qt::NoModifier, true, false, true}}) {
        // A plain press inside a selection would move it: each case starts from none.
        paper().clearMask(-1, true);
        useTool(kShapeButton, kRectangleOption);
        dragOut(at(50, 50), at(150, 150));
        useTool(kLassoButton, kFreeOption);
        lasso(c.modifiers);
        EXPECT_EQ(selected(120, 80), c.inBoth) << int(c.modifiers);
        EXPECT_EQ(selected(70, 120), c.inSquareOnly) << int(c.modifiers);
        EXPECT_EQ(selected(180, 40), c.inLassoOnly) << int(c.modifiers);
    }
    // Undo shows the ants of the selection before.
    ASSERT_TRUE(window->undo());
    EXPECT_TRUE(selected(70, 120));
    EXPECT_TRUE(paper().masks->HasAnts());
    expectReplayMatches();
}

TEST_F(SelectionTools, EllipsesLassosAndPolygons)
{
    useTool(kShapeButton, kEllipseOption);
    dragOut(at(100, 50), at(200, 150));
    EXPECT_TRUE(selected(150, 100));
    EXPECT_FALSE(selected(102, 52)) << "the rectangle's corner lies outside the ellipse";
    // A free lasso adds a triangle.
    useTool(kLassoButton, kFreeOption);
    press(at(10, 10), Qt::ShiftModifier);
    for (int i = 1; i <= 20; ++i)
        drag(at(10 + 3.0f * i, 10));
    for (int i = 1; i <= 20; ++i)
        drag(at(70 - 3.0f * i, 10 + 3.0f * i));
    release(at(10, 70));
    EXPECT_TRUE(selected(20, 20));
    EXPECT_TRUE(selected(150, 100));
    EXPECT_FALSE(selected(60, 60));
    // A polygon clicked out subtracts; Enter closes it.
    useTool(kLassoButton, kPolygonOption);
    press(at(140, 40), Qt::ControlModifier);
    release(at(140, 40));
    for (QPointF p : {at(210, 40), at(210, 160)}) {
        press(p);
        release(p);
    }
    key(QEvent::KeyPress, Qt::Key_Return);
    EXPECT_FALSE(selected(190, 70));
    EXPECT_TRUE(selected(120, 110));
    expectReplayMatches();
}

TEST_F(SelectionTools, EveryMenuCommandDoesWhatItSaysAndReplays)
{
    run("actSelectAll");
    EXPECT_TRUE(selected(0, 0));
    EXPECT_TRUE(selected(299, 199));
    run("actSelectDelete");
    EXPECT_FALSE(mask().IsValid());
    main().refreshActions();
    EXPECT_FALSE(main().action(QStringLiteral("actSelectInvert"))->isEnabled())
        << "nothing to invert";

    paper().selectShape(TFillShape::rectangle, {0, -1, MaskCombine::Replace, {50, 50}, {100, 80}},
                        true);
    run("actSelectInvert");
    EXPECT_FALSE(selected(60, 60));
    EXPECT_TRUE(selected(10, 10));
    run("actSelectInvert");
    run("actSelectInflate");
    EXPECT_TRUE(selected(49, 49));
    run("actSelectDeflate");
    EXPECT_FALSE(selected(49, 49));
    EXPECT_TRUE(selected(50, 50));

    const uint32_t events = eventCount();
    run("actSelectEnable");
    EXPECT_EQ(paper().selectionActive, 0);
    EXPECT_FALSE(main().action(QStringLiteral("actSelectEnable"))->isChecked());
    run("actSelectEnable");
    EXPECT_EQ(paper().selectionActive, 1);
    run("actSelectVisible");
    EXPECT_EQ(paper().selectionShown, 0);
    run("actSelectVisible");
    EXPECT_EQ(paper().selectionShown, 1);
    EXPECT_EQ(eventCount(), events + 4);

    // Fill and erase the selection, a layer from it, split, the layer mask.
    stroke().color = 0xFF0000;
    run("actSelectImgFill");
    EXPECT_EQ(layerPixel(60, 60) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(layerPixel(10, 10) >> 24, 0u);
    run("actSelectNewLayer");
    ASSERT_EQ(paper().layerCount(), 2);
    EXPECT_EQ(layerPixel(60, 60, 1) >> 24, 255u);
    run("actSelectSplitLayer");
    ASSERT_EQ(paper().layerCount(), 3);
    EXPECT_EQ(layerPixel(60, 60, 1) >> 24, 0u) << "the split took the selected part away";
    run("actSelectImgDelete");
    run("actLayerMaskFill");
    EXPECT_EQ(layerPixel(10, 10, 2) >> 24, 255u);
    run("actLayerMaskNega");
    EXPECT_EQ(layerPixel(10, 10, 2) >> 24, 0u);
    run("actLayerMaskClear");
    run("actSelectCopyLayerMask");
    EXPECT_EQ(layerPixel(60, 60, 2) >> 24, 255u);
    EXPECT_EQ(layerPixel(10, 10, 2) >> 24, 0u);
    run("actProtectLayerMask");
    EXPECT_EQ(paper().currentLayer()->protectAlpha, 1);
    EXPECT_TRUE(main().action(QStringLiteral("actProtectLayerMask"))->isChecked());

    // The mask list.
    run("actSelectFromLayerMask");
    EXPECT_EQ(paper().masks->Count(), 2);
    EXPECT_EQ(paper().masks->CurrentIndex(), 1);
    run("actSelectFromLayerValue");
    EXPECT_EQ(paper().masks->Count(), 3);
    run("actSelectDuplicate");
    run("actSelectInsert");
    EXPECT_EQ(paper().masks->Count(), 5);
    EXPECT_FALSE(mask().IsValid());
    run("actSelectRemove");
    EXPECT_EQ(paper().masks->Count(), 4);
    paper().setMaskPosition(-1, {-20, -10}, true);
    run("actSelectCutOutside");
    EXPECT_EQ(mask().Bounds(), (TRect{0, 0, 300, 200}));
    expectReplayMatches();

    // Undo walks back: the crop, the move, the removal.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(window->undo());
    EXPECT_EQ(paper().masks->Count(), 5);
    EXPECT_FALSE(mask().IsValid()) << "the inserted empty mask is current again";
}

TEST_F(SelectionTools, TheAntsCrawlAlongTheOutlineOnlyWhileShown)
{
    paper().selectShape(TFillShape::rectangle, {0, -1, MaskCombine::Replace, {40, 40}, {120, 90}},
                        true);
    ASSERT_TRUE(paper().masks->HasAnts());
    QCoreApplication::processEvents();
    const QRect area = window->antsArea();
    EXPECT_TRUE(area.contains(at(40, 40).toPoint()));
    EXPECT_FALSE(area.contains(at(150, 150).toPoint()));
    // The outline on the window is black and white; inside, the paper shows.
    const auto edgeColours = [&] {
        const QImage shown = window->grab().toImage();
        QString s;
        for (int x = 60; x < 68; ++x) {
            // The window pixel of the top edge's point, truncated as the outline's rule does.
            const QPointF w = at(float(x), 40.0f);
            const QPoint p(int(w.x() + 0.01), int(w.y() + 0.01));
            s += shown.pixel(p) == 0xFF000000u ? 'b' : shown.pixel(p) == 0xFFFFFFFFu ? 'w' : '?';
        }
        return s;
    };
    const QString first = edgeColours();
    EXPECT_EQ(first.count('?'), 0) << first.toStdString();
    EXPECT_TRUE(first.contains('b') && first.contains('w'));
    const uint8_t pattern = paper().masks->ants().pattern;
    window->stepAnts();
    EXPECT_NE(paper().masks->ants().pattern, pattern);
    EXPECT_NE(edgeColours(), first) << "one step moves the stripes";
    // Hidden, they neither step nor show.
    paper().setSelectionShown(false, true);
    const uint8_t still = paper().masks->ants().pattern;
    window->stepAnts();
    EXPECT_EQ(paper().masks->ants().pattern, still);
    const QImage plain = window->grab().toImage();
    for (int x = 60; x < 68; ++x) {
        const QPointF w = at(float(x), 40.0f);
        EXPECT_NE(plain.pixel(int(w.x() + 0.01), int(w.y() + 0.01)), 0xFF000000u);
    }
}

} // namespace qm::ui::test

#include "window_fixture.h"

namespace qm::ui::test {

using DrawWindow = WindowFixture;

TEST_F(DrawWindow, MouseDragPaintsAlongItsPathAndRecordsOneStroke)
{
    const uint32_t before = eventCount();
    window->takeDirtyArea();
    press(at(20, 100));
    for (int x = 30; x <= 280; x += 10)
        drag(at(float(x), 100));
    release(at(280, 100));
    // Only the stroke's part of the window was asked to repaint.
    const QRect dirty = window->takeDirtyArea();
    EXPECT_TRUE(dirty.contains(at(30, 100).toPoint()) && dirty.contains(at(270, 100).toPoint()));
    EXPECT_FALSE(dirty.contains(at(150, 30).toPoint()));

    for (int x : {30, 100, 200, 270})
        EXPECT_EQ(layerPixel(x, 100) >> 24, 255u) << "x " << x;
    EXPECT_EQ(layerPixel(150, 20) >> 24, 0u);
    EXPECT_EQ(layerPixel(150, 100) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(eventCount(), before + 1);
    EXPECT_TRUE(window->modified);
    EXPECT_FALSE(window->strokeInProgress);
    // Undo takes the whole stroke away.
    EXPECT_TRUE(window->undo());
    EXPECT_EQ(layerPixel(100, 100) >> 24, 0u);
}

TEST_F(DrawWindow, TabletPressureNarrowsTheStrokeAndNoMouseStrokeStartsWhileThePenIsNear)
{
    tablet(QEvent::TabletPress, at(20, 100), 0.2);
    for (int x = 30; x <= 280; x += 5)
        tablet(QEvent::TabletMove, at(float(x), 100), x < 150 ? 0.2 : 1.0);
    tablet(QEvent::TabletRelease, at(280, 100), 0.0);

    const int light = coveredInColumn(80), firm = coveredInColumn(230);
    EXPECT_GT(light, 0);
    EXPECT_LT(light, firm) << "less coverage where the pen pressed lighter";

    // The pen is still in proximity: a mouse press paints nothing.
    const uint32_t events = eventCount();
    press(at(150, 30));
    drag(at(200, 30));
    release(at(200, 30));
    EXPECT_EQ(layerPixel(170, 30) >> 24, 0u);
    EXPECT_EQ(eventCount(), events);
}

TEST_F(DrawWindow, TheEraserEndErasesAndThePenGetsItsKindBackWhenItLeaves)
{
    press(at(20, 100));
    drag(at(150, 100));
    drag(at(280, 100));
    release(at(280, 100));
    ASSERT_EQ(layerPixel(150, 100) >> 24, 255u);

    tablet(QEvent::TabletPress, at(100, 100), 1.0, QPointingDevice::PointerType::Eraser);
    tablet(QEvent::TabletMove, at(150, 100), 1.0, QPointingDevice::PointerType::Eraser);
    tablet(QEvent::TabletMove, at(200, 100), 1.0, QPointingDevice::PointerType::Eraser);
    tablet(QEvent::TabletRelease, at(200, 100), 0.0, QPointingDevice::PointerType::Eraser);
    EXPECT_LT(layerPixel(150, 100) >> 24, 255u);
    EXPECT_EQ(stroke().kind, uint8_t(TBrushKind::eraser));

    QEvent leave(QEvent::TabletLeaveProximity);
    QApplication::sendEvent(QCoreApplication::instance(), &leave);
    EXPECT_EQ(stroke().kind, uint8_t(TBrushKind::pen));
    EXPECT_FALSE(shell->context().tabletInProximity);
}

TEST_F(DrawWindow, ShiftClickPicksTheColourAndPaintsNothing)
{
    paper().setPaperColor(0x336699, true);
    const uint32_t events = eventCount();
    press(at(100, 100), Qt::ShiftModifier);
    drag(at(150, 120));
    release(at(150, 120));
    EXPECT_EQ(stroke().color, 0x336699u);
    EXPECT_EQ(layerPixel(100, 100) >> 24, 0u);
    EXPECT_EQ(layerPixel(125, 110) >> 24, 0u);
    EXPECT_EQ(eventCount(), events);
    // Input was blocked until the release: the next drag paints.
    press(at(100, 100));
    drag(at(150, 100));
    release(at(150, 100));
    EXPECT_EQ(layerPixel(120, 100) >> 24, 255u);
}

TEST_F(DrawWindow, AltCtrlOrSpaceHeldStartNoStroke)
{
    const uint32_t events = eventCount();
    for (Qt::KeyboardModifiers held : {Qt::KeyboardModifiers(Qt::AltModifier),
                                       Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        press(at(50, 50), held);
        mouse(QEvent::MouseMove, at(120, 50), Qt::NoButton, Qt::LeftButton, held);
        mouse(QEvent::MouseButtonRelease, at(120, 50), Qt::LeftButton, Qt::NoButton, held);
        EXPECT_FALSE(window->strokeInProgress);
    }
    key(QEvent::KeyPress, Qt::Key_Space);
    press(at(50, 50));
    drag(at(120, 50));
    release(at(120, 50));
    key(QEvent::KeyRelease, Qt::Key_Space);

    EXPECT_EQ(layerPixel(80, 50) >> 24, 0u);
    EXPECT_EQ(eventCount(), events);
    EXPECT_EQ(shell->context().modes.mode, 0) << "the temporary modes are left at release";
    // With the keys released the same press paints.
    press(at(50, 50));
    drag(at(120, 50));
    release(at(120, 50));
    EXPECT_EQ(layerPixel(80, 50) >> 24, 255u);
}

TEST_F(DrawWindow, ZoomAndRotationKeepThePenOnThePaperPointUnderIt)
{
    window->zoomBy(2, at(150, 100)); // 150 %, around the paper point (150, 100)
    window->setRotation(30.0f);
    QCoreApplication::processEvents();
    const QPointF start = at(100, 100), end = at(200, 100);
    press(start);
    for (int i = 1; i <= 10; ++i)
        drag(start + (end - start) * (i / 10.0));
    release(end);
    EXPECT_EQ(layerPixel(150, 100) >> 24, 255u);
    EXPECT_EQ(layerPixel(150, 60) >> 24, 0u);
    // The rotated view shows the stroke where it was painted.
    const QImage shown = window->grab().toImage();
    const QPoint p = at(150, 100).toPoint();
    EXPECT_EQ(shown.pixel(p) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(DrawWindow, ARecordingReplaysOnTheTimerAndThenRecordsOn)
{
    ASSERT_TRUE(main().openByPath(QStringLiteral(QUILLMERE_TEST_DATA "/recordings/landscape.qm3")));
    TDrawWindowWidget* replay = main().activeDrawWindow();
    ASSERT_NE(replay, window);
    EXPECT_NE(replay->playback, TPlayback::none);
    ASSERT_TRUE(waitFor([&] { return !replay->document().replaying(); }));
    EXPECT_EQ(replay->playback, TPlayback::none);
    EXPECT_EQ(replay->paper().layerCount(), 4);
    EXPECT_TRUE(replay->paper().eventMngr->isRecording()) << "append mode after the end";
    EXPECT_TRUE(replay->parentWidget()->windowTitle().contains(QStringLiteral("追記ﾓｰﾄﾞ")) ||
                replay->parentWidget()->windowTitle().contains(QStringLiteral("append")));
    // Opening the same path again only brings its window forward.
    const int windows = int(main().drawWindows().size());
    replay->modified = false;
    EXPECT_TRUE(main().openByPath(QStringLiteral(QUILLMERE_TEST_DATA "/recordings/landscape.qm3")));
    EXPECT_EQ(int(main().drawWindows().size()), windows);
}

TEST_F(DrawWindow, OpenByPathRefusesMissingAndUnknownFilesWithAWarning)
{
    EXPECT_FALSE(main().openByPath(dir.filePath(QStringLiteral("missing.qmp"))));
    ASSERT_EQ(hook.shown.size(), 1);
    EXPECT_TRUE(hook.shown[0].contains(QStringLiteral("missing.qmp")));
    QFile other(dir.filePath(QStringLiteral("notes.jpeg")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    EXPECT_FALSE(main().openByPath(other.fileName()));
    EXPECT_EQ(hook.shown.size(), 2);
    EXPECT_EQ(main().drawWindows().size(), 1);
}

TEST_F(DrawWindow, CommandsAreAllPresentAndOnlyThoseThatCanRunAreEnabled)
{
    for (const char* name : {"actFileNew", "actFileSave", "actEditUndo", "actViewZoomIn",
                             "actFilterBlur", "actSelectAll", "actShowToolBox", "actLangEnglish",
                             "actEventPlayPause", "actFileSaveEventGuard", "actScanner"})
        EXPECT_NE(main().action(QString::fromLatin1(name)), nullptr) << name;
    main().refreshActions();
    EXPECT_TRUE(main().action(QStringLiteral("actPrintOut"))->isEnabled());
    EXPECT_FALSE(main().action(QStringLiteral("actEditUndo"))->isEnabled()) << "nothing to undo";
    EXPECT_FALSE(main().action(QStringLiteral("actEventPlayPause"))->isEnabled()) << "no replay";
    EXPECT_TRUE(main().action(QStringLiteral("actFileSaveEvent"))->isEnabled());
    press(at(20, 20));
    drag(at(80, 20));
    release(at(80, 20));
    main().refreshActions();
    EXPECT_TRUE(main().action(QStringLiteral("actEditUndo"))->isEnabled());
}

TEST_F(DrawWindow, SavingAPaperAndOpeningItAgainGivesTheSameLayers)
{
    press(at(20, 20));
    drag(at(120, 80));
    release(at(120, 80));
    const QString path = dir.filePath(QStringLiteral("saved.qmp"));
    window->setPath(path);
    ASSERT_TRUE(main().savePaper(window, false));
    EXPECT_FALSE(window->modified);
    const uint32_t painted = layerPixel(70, 50);
    ASSERT_NE(painted, 0u);
    window->parentWidget()->close();
    QCoreApplication::processEvents();
    ASSERT_TRUE(main().openByPath(path));
    EXPECT_EQ(main().activeDrawWindow()->paper().layer(0)->image()->GetPixelOrDefault(70, 50),
              painted);
    EXPECT_EQ(main().recentFiles().value(0), path);
}

TEST_F(DrawWindow, LosingFocusMidStrokeEndsTheStrokeAtItsLastPoint)
{
    const uint32_t before = eventCount();
    press(at(20, 30));
    for (int x = 30; x <= 100; x += 10)
        drag(at(float(x), 30));
    ASSERT_TRUE(window->strokeInProgress);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(window, &out);
    EXPECT_FALSE(window->strokeInProgress);
    EXPECT_EQ(eventCount(), before + 1) << "the stroke is recorded";
    EXPECT_EQ(layerPixel(100, 30) >> 24, 255u);
    EXPECT_EQ(layerPixel(112, 30) >> 24, 0u) << "nothing past the last point";
    // Nothing on the way to the middle of the window (paper point 150, 100).
    EXPECT_EQ(layerPixel(150, 100) >> 24, 0u);
    EXPECT_EQ(layerPixel(125, 65) >> 24, 0u);
    // The release that comes later, somewhere else, adds nothing.
    release(at(200, 150));
    EXPECT_EQ(eventCount(), before + 1);
    EXPECT_EQ(layerPixel(200, 150) >> 24, 0u);
    // The window takes the next stroke as usual.
    press(at(20, 150));
    drag(at(80, 150));
    release(at(80, 150));
    EXPECT_EQ(layerPixel(50, 150) >> 24, 255u);
}

TEST_F(DrawWindow, WithTheTabletIgnoredThePenIsLeftToTheMouse)
{
    shell->context().profile.config.ignoreTablet = true;
    QEvent enter(QEvent::TabletEnterProximity);
    QApplication::sendEvent(QCoreApplication::instance(), &enter);
    EXPECT_FALSE(shell->context().tabletInProximity);
    const uint32_t events = eventCount();
    QTabletEvent down(QEvent::TabletPress, &pen, at(20, 100), window->mapToGlobal(at(20, 100)), 1.0,
                      0.0f, 0.0f, 0.0f, 0.0, 0.0f, Qt::NoModifier, Qt::LeftButton, Qt::LeftButton);
    QApplication::sendEvent(window, &down);
    EXPECT_FALSE(down.isAccepted()) << "unaccepted, Qt makes a mouse event of it";
    tablet(QEvent::TabletMove, at(150, 100), 1.0);
    tablet(QEvent::TabletRelease, at(150, 100), 0.0);
    EXPECT_FALSE(shell->context().tabletInProximity);
    EXPECT_EQ(eventCount(), events);
    EXPECT_EQ(layerPixel(80, 100) >> 24, 0u);
    // The mouse events Qt makes of the pen draw as the mouse does.
    press(at(20, 100));
    drag(at(150, 100));
    release(at(150, 100));
    EXPECT_EQ(layerPixel(80, 100) >> 24, 255u);
    EXPECT_EQ(eventCount(), events + 1);
}

} // namespace qm::ui::test

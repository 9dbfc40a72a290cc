// A whole round trip driven from outside: a session painted in the window with the mouse, saved
// as a recording, rendered by the real executable, replayed in the window, continued in append
// mode, saved again as a recording and as a paper, and replayed or loaded every way the program
// can. Every result must be the paper the window shows, bit for bit, with nothing drawn lost.
#include "../paper/paper_fixture.h"
#include "layers/blend_mode_table.h"
#include "ui/layer_window.h"
#include "ui/tool_docks.h"
#include "render_run.h"
#include "window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace qm::ui::test {

namespace {

// A painted paper point and the layer it was painted on.
struct TPainted {
    int x = 0, y = 0;
    int layer = 0;
};

// Same paper: size, paper colour, current layer, every layer's record and pixels, and the
// composite picture. The layers here carry no blend noise, so the composites agree too.
void expectSamePaper(TPaper& expected, TPaper& actual)
{
    EXPECT_EQ(actual.width, expected.width);
    EXPECT_EQ(actual.height, expected.height);
    EXPECT_EQ(actual.paperColor, expected.paperColor);
    ASSERT_EQ(actual.layerCount(), expected.layerCount());
    EXPECT_EQ(actual.currentLayerIndex(), expected.currentLayerIndex());
    for (int32_t i = 0; i < expected.layerCount(); ++i) {
        SCOPED_TRACE(::testing::Message() << "layer " << i);
        qm::test::expectSameLayer(*expected.layer(i), *actual.layer(i));
    }
    EXPECT_TRUE(qm::test::sameImage(expected.picture(), actual.picture())) << "the composites differ";
}

// Each painted point is covered on its layer and shows on the composite as something other
// than the paper.
void expectPainted(TPaper& paper, std::initializer_list<TPainted> points)
{
    const TMTC shown = paper.picture();
    for (const TPainted& p : points) {
        SCOPED_TRACE(::testing::Message() << "point " << p.x << "," << p.y << " layer " << p.layer);
        ASSERT_LT(p.layer, paper.layerCount());
        const CLayerData& layer = *paper.layer(p.layer);
        EXPECT_NE(layer.image()->GetPixelOrDefault(p.x + layer.offsetX, p.y + layer.offsetY) >> 24, 0u);
        EXPECT_NE(shown.pixel(p.x, p.y) & 0xFFFFFFu, paper.paperColor & 0xFFFFFFu);
    }
}

// The BMP render wrote shows the paper's composite, pixel for pixel, and the painted points.
void expectBmpShows(const QString& path, TPaper& paper, std::initializer_list<TPainted> points)
{
    const TBmp24 bmp = readBmp24(path);
    ASSERT_EQ(bmp.width, paper.width) << path.toStdString() << " is no 24-bit BMP of the paper";
    ASSERT_EQ(bmp.height, paper.height);
    const TMTC shown = paper.picture();
    int differing = 0;
    for (int y = 0; y < bmp.height; ++y)
        for (int x = 0; x < bmp.width; ++x)
            if (bmp.at(x, y) != (shown.pixel(x, y) & 0xFFFFFFu) && differing++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": bmp " << std::hex << bmp.at(x, y)
                              << " paper " << (shown.pixel(x, y) & 0xFFFFFFu);
    EXPECT_EQ(differing, 0);
    for (const TPainted& p : points)
        EXPECT_NE(bmp.at(p.x, p.y), paper.paperColor & 0xFFFFFFu) << "point " << p.x << "," << p.y;
}

} // namespace

class RoundTrip : public WindowFixture {
protected:
    // A mouse drag through paper points, moving a few pixels per event.
    void strokeThrough(std::initializer_list<TPointF> points)
    {
        const TPointF* previous = nullptr;
        for (const TPointF& p : points) {
            if (!previous) {
                press(at(p.x, p.y));
            } else {
                const float dx = p.x - previous->x, dy = p.y - previous->y;
                const int steps = std::max(1, int(std::max(std::abs(dx), std::abs(dy)) / 6));
                for (int i = 1; i <= steps; ++i)
                    drag(at(previous->x + dx * float(i) / float(steps),
                            previous->y + dy * float(i) / float(steps)));
            }
            previous = &p;
        }
        release(at(previous->x, previous->y));
        ASSERT_FALSE(window->strokeInProgress);
    }
    void usePen(TBrushKind kind, uint32_t colour, float width)
    {
        TStroke& pen = stroke();
        pen.kind = uint8_t(kind);
        pen.color = colour;
        pen.width = width;
    }
    // Runs a menu command as the menu does; false when its rule does not let it run now.
    bool command(const char* name)
    {
        main().refreshActions();
        QAction* a = main().action(QString::fromLatin1(name));
        if (!a || !a->isEnabled())
            return false;
        a->trigger();
        return true;
    }
    // The current layer's blend mode and opacity, chosen in the layer window.
    void chooseInLayerWindow(BlendMode mode, int opacity)
    {
        TLayerWindow& layers = *main().docks().layers;
        const int position = listPositionOfMode(uint32_t(mode));
        layers.modeBox()->setCurrentIndex(position);
        emit layers.modeBox()->activated(position);
        layers.opacityBar()->setValue(opacity);
        const CLayerData& layer = *paper().layer(paper().currentLayerIndex());
        ASSERT_EQ(layer.mode & 0x7F, uint8_t(mode)) << "the layer window shows another paper";
        ASSERT_EQ(layer.opacity, opacity);
    }
    // Opens a recording in a window and waits until its replay has ended.
    TDrawWindowWidget* openAndReplay(const QString& path, TReplayEnd& end)
    {
        if (!main().openByPath(path))
            return nullptr;
        TDrawWindowWidget* replay = main().activeDrawWindow();
        bool finished = false;
        const QMetaObject::Connection seen = QObject::connect(
            replay, &TDrawWindowWidget::replayFinished, replay, [&](TReplayEnd e) {
                end = e;
                finished = true;
            });
        const bool ended = waitFor([&] { return finished; }, 60000);
        QObject::disconnect(seen);
        return ended ? replay : nullptr;
    }
    // The executable in render mode; its exit code, or -1 when it did not finish. What it
    // said on standard error is kept for the failure message.
    int render(const QString& recording, const QString& folder)
    {
        return renderRecording(recording, folder, dir.filePath(QStringLiteral("render.ini")),
                               renderSaid);
    }
    std::string renderSaid;
};

TEST_F(RoundTrip, APaintedSessionSurvivesRenderReplayAppendAndPaperFile)
{
    TDrawWindowWidget* live = window;
    const QString session = dir.filePath(QStringLiteral("session.qm3"));
    const QString rendered = dir.filePath(QStringLiteral("rendered"));
    const QString renderedAgain = dir.filePath(QStringLiteral("rendered-again"));
    // Painted in the first session: a pen line on the first layer, a pen line on the second.
    const TPainted first{60, 40, 0};
    const TPainted onSecondLayer{200, 150, 1};
    // Painted after the replay, in append mode, on a third layer.
    const TPainted appended{150, 185, 2};

    // ---- 1. a session in the window: brushes, colours, a layer, undo, redo ----
    usePen(TBrushKind::pen, 0x0000FF, 12.0f);
    strokeThrough({{20, 40}, {150, 40}, {280, 40}});
    usePen(TBrushKind::airbrush, 0xFF0000, 24.0f);
    strokeThrough({{30, 160}, {150, 90}, {270, 160}});
    usePen(TBrushKind::wc, 0x00C000, 16.0f); // picks up the blue where it crosses it
    strokeThrough({{100, 10}, {110, 120}});
    ASSERT_TRUE(command("actCreateLayerStd"));
    ASSERT_EQ(paper().layerCount(), 2);
    ASSERT_EQ(paper().currentLayerIndex(), 1);
    usePen(TBrushKind::pen, 0x008080, 8.0f);
    strokeThrough({{200, 20}, {200, 180}});
    ASSERT_NO_FATAL_FAILURE(chooseInLayerWindow(BlendMode::Multiply, 160));
    usePen(TBrushKind::pen, 0xC0A000, 10.0f);
    strokeThrough({{20, 100}, {280, 130}});
    const uint32_t crossing = layerPixel(150, 115, 1);
    ASSERT_NE(crossing >> 24, 0u);
    ASSERT_TRUE(command("actEditUndo"));
    EXPECT_EQ(layerPixel(150, 115, 1) >> 24, 0u) << "the undo takes the last line away";
    ASSERT_TRUE(command("actEditRedo"));
    EXPECT_EQ(layerPixel(150, 115, 1), crossing) << "the redo brings it back";
    // One more line, undone for good: the replays must not bring it back.
    usePen(TBrushKind::pen, 0x000000, 10.0f);
    strokeThrough({{20, 70}, {280, 70}});
    ASSERT_TRUE(command("actEditUndo"));
    expectPainted(paper(), {first, onSecondLayer});
    const uint32_t undoneSpot = layerPixel(240, 70, 1);
    ASSERT_EQ(undoneSpot >> 24, 0u);
    ASSERT_TRUE(main().saveEvents(live, session, false));
    EXPECT_TRUE(paper().eventMngr->isRecording()) << "saving does not stop the recording";

    // ---- 2. the executable renders the recording: picture and recording written back ----
    ASSERT_EQ(render(session, rendered), 0) << renderSaid;
    const QString renderedSession = rendered + QStringLiteral("/session.qm3");
    ASSERT_TRUE(QFile::exists(renderedSession));
    ASSERT_TRUE(QFile::exists(rendered + QStringLiteral("/session.bmp")));
    {
        SCOPED_TRACE("the first render's picture");
        expectBmpShows(rendered + QStringLiteral("/session.bmp"), live->paper(), {first, onSecondLayer});
    }

    // ---- 3. the written-back recording replays in the window to the live paper ----
    TReplayEnd end = TReplayEnd::failed;
    TDrawWindowWidget* replay = openAndReplay(renderedSession, end);
    ASSERT_NE(replay, nullptr);
    ASSERT_NE(replay, live);
    EXPECT_EQ(end, TReplayEnd::completed);
    {
        SCOPED_TRACE("replayed in the window");
        expectSamePaper(live->paper(), replay->paper());
        expectPainted(replay->paper(), {first, onSecondLayer});
    }
    EXPECT_EQ(replay->paper().layer(1)->image()->GetPixelOrDefault(240, 70), undoneSpot);
    EXPECT_EQ(replay->document().events().eventCount(), live->document().events().eventCount());
    ASSERT_TRUE(replay->paper().eventMngr->isRecording()) << "append mode after the end";

    // ---- 4. drawing on in append mode, saved as a recording and as a paper ----
    window = replay;
    replay->parentWidget()->resize(500, 400);
    replay->zoomCancel();
    QCoreApplication::processEvents();
    usePen(TBrushKind::eraser, 0x000000, 14.0f);
    strokeThrough({{180, 100}, {220, 100}});
    EXPECT_LT(layerPixel(200, 100, 1) >> 24, 255u) << "the eraser took some of the line";
    ASSERT_TRUE(command("actCreateLayerStd"));
    ASSERT_EQ(paper().layerCount(), 3);
    usePen(TBrushKind::pen, 0xFF8000, 10.0f);
    strokeThrough({{20, 185}, {280, 185}});
    ASSERT_NO_FATAL_FAILURE(chooseInLayerWindow(BlendMode::Difference, 200));
    usePen(TBrushKind::airbrush, 0x8000FF, 20.0f);
    strokeThrough({{250, 20}, {150, 60}});
    expectPainted(paper(), {first, onSecondLayer, appended});
    const QString continued = dir.filePath(QStringLiteral("continued.qm3"));
    const QString paperFile = dir.filePath(QStringLiteral("continued.qmp"));
    ASSERT_TRUE(main().saveEvents(replay, continued, false));
    replay->setPath(paperFile);
    ASSERT_TRUE(main().savePaper(replay, false));

    // ---- 5a. the continued recording: rendered by the executable, replayed by the engine ----
    ASSERT_EQ(render(continued, renderedAgain), 0) << renderSaid;
    ASSERT_TRUE(QFile::exists(renderedAgain + QStringLiteral("/continued.qm3")));
    {
        SCOPED_TRACE("the second render's picture");
        expectBmpShows(renderedAgain + QStringLiteral("/continued.bmp"), replay->paper(),
                       {first, onSecondLayer, appended});
    }
    for (const QString& path : {continued, renderedAgain + QStringLiteral("/continued.qm3")}) {
        SCOPED_TRACE(path.toStdString());
        qm::test::RecordedPaper engine;
        ASSERT_EQ(engine.events().openEventFile(path.toStdString(), engine.flow), TReplayOpen::success);
        ASSERT_EQ(engine.events().replayAll(engine.flow), TReplayStep::end)
            << engine.events().missingOperation;
        expectSamePaper(replay->paper(), *engine.paper);
        expectPainted(*engine.paper, {first, onSecondLayer, appended});
        EXPECT_EQ(engine.paper->layer(1)->image()->GetPixelOrDefault(240, 70), undoneSpot);
    }

    // ---- 5b. the paper file, opened in a window (from a copy: the window that saved it has
    // its path, and opening that path again only brings the window forward) ----
    const QString paperCopy = dir.filePath(QStringLiteral("reopened.qmp"));
    ASSERT_TRUE(QFile::copy(paperFile, paperCopy));
    ASSERT_TRUE(main().openByPath(paperCopy));
    TDrawWindowWidget* loaded = main().activeDrawWindow();
    ASSERT_NE(loaded, replay);
    {
        SCOPED_TRACE("the paper file");
        expectSamePaper(replay->paper(), loaded->paper());
        expectPainted(loaded->paper(), {first, onSecondLayer, appended});
    }
    window = live;
}

} // namespace qm::ui::test

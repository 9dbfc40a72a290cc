// The Layer and Edit menus' stack commands and the drag tools in a real main window: each
// command does what its name says to the paper, through its dialog where it has one, and the
// recording replays to the same layers and masks, in this process and in render mode.
#include "replay_check.h"
#include "ui/stack_dialogs.h"
#include "window_fixture.h"

#include "layers/blend_mode_table.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QSpinBox>

namespace qm::ui::test {

namespace {

constexpr int kMoveButton = 8, kCropButton = 20, kRectangleSelectButton = 16;

class StackCommands : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        // A blue bar on the bottom layer, a red one on a second layer.
        strokeThrough({{20, 50}, {280, 50}});
        ASSERT_TRUE(paper().createLayer(window->document().flow(), 1, 300, 200, true, 255,
                                        uint8_t(BlendMode::Normal), true) == 1);
        stroke().color = 0xFF0000;
        strokeThrough({{150, 20}, {150, 180}});
    }
    void strokeThrough(std::initializer_list<QPointF> points)
    {
        bool first = true;
        for (const QPointF& p : points) {
            if (first)
                press(at(float(p.x()), float(p.y())));
            else
                drag(at(float(p.x()), float(p.y())));
            first = false;
        }
        release(at(float(points.end()[-1].x()), float(points.end()[-1].y())));
    }
    void run(const char* action)
    {
        QAction* a = main().action(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        main().refreshActions();
        ASSERT_TRUE(a->isEnabled()) << action;
        a->trigger();
    }
    void dragOut(QPointF from, QPointF to)
    {
        press(from);
        drag((from + to) / 2);
        drag(to);
        release(to);
    }
    void useTool(int button, int option)
    {
        ASSERT_TRUE(shell->context().modes.setModeFromTool(button, option));
    }
    std::vector<uint8_t> visibility()
    {
        std::vector<uint8_t> v;
        for (int32_t i = 0; i < paper().layerCount(); ++i)
            v.push_back(paper().layer(i)->visible);
        return v;
    }
    void selectRectangle(TRect r)
    {
        TSelectShape shape;
        shape.slot = -1;
        shape.first = {r.left, r.top};
        shape.second = {r.right, r.bottom};
        ASSERT_TRUE(paper().selectShape(TFillShape::rectangle, shape, true));
    }
};

} // namespace

TEST_F(StackCommands, LayerMenuCommandsChangeTheStackAndReplay)
{
    const uint32_t red = layerPixel(150, 100, 1);
    run("actCreateLayerMul");
    ASSERT_EQ(paper().layerCount(), 3);
    EXPECT_EQ(paper().layer(2)->mode, uint8_t(BlendMode::Multiply));
    EXPECT_EQ(layerPixel(10, 10, 2), 0x00FFFFFFu); // transparent in the mode's neutral colour

    // The dialog's layer: its name, mode and the neutral fill the mode offers.
    whenOpen<TFormNewLayer>([](TFormNewLayer& d) {
        d.nameField()->setText(QStringLiteral("トーン"));
        d.modeBox()->setCurrentIndex(d.modeBox()->findData(int(BlendMode::Overlay)));
        ASSERT_TRUE(d.neutralBox()->isEnabled());
        d.neutralBox()->setChecked(true);
        d.accept();
    });
    run("actLayerCreate");
    ASSERT_EQ(paper().layerCount(), 4);
    EXPECT_EQ(paper().layer(3)->name, "トーン");
    EXPECT_EQ(layerPixel(10, 10, 3), 0xFF7F7F7Fu);
    run("actDeleteCurLayer");
    run("actDeleteCurLayer");

    paper().setCurrentLayer(window->document().flow(), 1);
    run("actLayerDuplicate");
    ASSERT_EQ(paper().layerCount(), 3);
    EXPECT_EQ(layerPixel(150, 100, 2), red);

    run("actLayerVisOnly");
    EXPECT_EQ(visibility(), (std::vector<uint8_t>{0, 0, 1}));
    run("actLayerVisFlip");
    EXPECT_EQ(visibility(), (std::vector<uint8_t>{1, 1, 0}));
    run("actLayerHideAll");
    EXPECT_EQ(visibility(), (std::vector<uint8_t>{0, 0, 0}));
    run("actLayerVisAll");
    EXPECT_EQ(visibility(), (std::vector<uint8_t>{1, 1, 1}));

    // The copy turned a quarter about the paper's centre: the vertical bar lies across.
    run("actLayerRot90");
    EXPECT_EQ(layerPixel(150, 100, 2), red);
    EXPECT_EQ(layerPixel(120, 100, 2), red);
    EXPECT_EQ(layerPixel(150, 30, 2) >> 24, 0u);
    whenOpen<QInputDialog>([](QInputDialog& d) {
        d.setDoubleValue(-90.0);
        d.accept();
    });
    run("actLayerRotate"); // back by the angle
    EXPECT_EQ(layerPixel(150, 30, 2), red);
    whenOpen<QInputDialog>([](QInputDialog& d) {
        d.setIntValue(50);
        d.accept();
    });
    const int32_t wide = paper().layer(2)->imageWidth();
    run("actLayerZoom");
    EXPECT_EQ(paper().layer(2)->imageWidth(), std::max<int32_t>(300, (wide + 1) / 2));

    run("actLayerBindBelow");
    ASSERT_EQ(paper().layerCount(), 2);
    EXPECT_EQ(paper().currentLayerIndex(), 1);
    run("actCreateLayerAdd");
    run("actLayerBindLower");
    ASSERT_EQ(paper().layerCount(), 2);

    selectRectangle({100, 40, 200, 160});
    run("actLayerCutOutside");
    EXPECT_EQ(layerPixel(150, 100, 1), red);
    EXPECT_EQ(layerPixel(150, 20, 1) >> 24, 0u);
    run("actLayerBindAll");
    ASSERT_EQ(paper().layerCount(), 1);
    EXPECT_EQ(layerPixel(150, 100, 0), 0xFF000000u | (red & 0xFFFFFF));
    EXPECT_EQ(layerPixel(5, 5, 0), 0xFFFFFFFFu); // the paper colour, merged in

    expectReplayMatches(*window);
    expectRenderMatches(main(), *window, dir.path(), QStringLiteral("layers"));
}

TEST_F(StackCommands, ClipboardCommandsCopyCutAndPaste)
{
    selectRectangle({140, 90, 160, 110});
    paper().setCurrentLayer(window->document().flow(), 1);
    run("actEditCopy");
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(20, 20));
    EXPECT_EQ(copied.pixel(10, 10), QColor(Qt::red).rgb());

    run("actEditCut");
    EXPECT_EQ(layerPixel(150, 100, 1) >> 24, 0u);
    EXPECT_GT(layerPixel(150, 120, 1) >> 24, 0u); // outside the selection

    // A picture another program put there, pasted as a new layer centred in the view.
    QImage other(30, 10, QImage::Format_ARGB32);
    other.fill(QColor(0, 200, 0));
    QGuiApplication::clipboard()->setImage(other);
    run("actLayerPasteNew");
    ASSERT_EQ(paper().layerCount(), 3);
    const TPointF centre = paper().windowToPaper(window->width(), window->height(),
                                                 window->width() / 2.0f, window->height() / 2.0f);
    const int cx = int(std::lround(centre.x)), cy = int(std::lround(centre.y));
    EXPECT_EQ(layerPixel(cx, cy, 2), 0xFF00C800u);
    EXPECT_EQ(layerPixel(cx - 16, cy, 2) >> 24, 0u);
    paper().setCurrentLayer(window->document().flow(), 0);
    run("actLayerPaste");
    EXPECT_EQ(layerPixel(cx, cy, 0), 0xFF00C800u);

    run("actEditCopyLayer");
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(300, 200));
    expectReplayMatches(*window);
}

TEST_F(StackCommands, EditMenuCommandsChangeThePaperAndReplay)
{
    const uint32_t blue = layerPixel(100, 50, 0);
    whenOpen<TFormCanvasSize>([](TFormCanvasSize& d) {
        d.widthBox()->setValue(340);
        d.heightBox()->setValue(180);
        d.anchors()->button(8)->click(); // bottom right: the picture moves by (40, −20)
        d.accept();
    });
    run("actEditResizePaper");
    ASSERT_EQ(paper().width, 340);
    EXPECT_EQ(layerPixel(140, 30, 0), blue);

    whenOpen<TFormResolution>([](TFormResolution& d) {
        d.widthBox()->setValue(170); // the height follows: 90
        d.dpiBox()->setValue(144);
        d.accept();
    });
    run("actEditChgResoPaper");
    EXPECT_EQ(paper().width, 170);
    EXPECT_EQ(paper().height, 90);
    EXPECT_EQ(paper().dpi, 144);

    run("actAllRot90");
    EXPECT_EQ(paper().width, 90);
    EXPECT_EQ(paper().height, 170);
    run("actAllRot270");
    EXPECT_EQ(paper().width, 170);
    const uint32_t before = layerPixel(10, 15, 0);
    run("actVisFlipLR");
    EXPECT_EQ(layerPixel(159, 15, 0), before);
    run("actVisFlipTB");
    run("actVisRot180");
    EXPECT_EQ(layerPixel(10, 15, 0), before);
    run("actVisNeg");
    EXPECT_EQ(layerPixel(10, 15, 0) & 0xFFFFFFu, ~before & 0xFFFFFFu);
    run("actFilterNega");
    run("actFilterFlipLR");
    run("actFilterFlipTB");
    run("actFilterRot180");
    expectReplayMatches(*window);
    expectRenderMatches(main(), *window, dir.path(), QStringLiteral("edit"));
}

TEST_F(StackCommands, ACanvasSizeWithoutRoomForUndoAsksAndCancelChangesNothing)
{
    paper().setMemoryBudget(1);
    window->modified = true;
    hook.answer = false;
    const uint32_t events = eventCount();
    whenOpen<TFormCanvasSize>([](TFormCanvasSize& d) {
        d.widthBox()->setValue(400);
        d.accept();
    });
    run("actEditResizePaper");
    EXPECT_EQ(paper().width, 300);
    EXPECT_EQ(eventCount(), events);
    ASSERT_FALSE(hook.shown.isEmpty());
    EXPECT_TRUE(hook.shown.back().startsWith(
        uiText("ﾒﾓﾘ不足のため%sは実行できませんがよろしいですか?", {uiText("ｱﾝﾄﾞｩ")})))
        << hook.shown.back().toStdString();
}

TEST_F(StackCommands, DragToolsMoveLayersAndSelectionsAndCrop)
{
    paper().setCurrentLayer(window->document().flow(), 1);
    const uint32_t red = layerPixel(150, 100, 1);
    useTool(kMoveButton, 0);
    dragOut(at(150, 100), at(170, 90));
    EXPECT_EQ(layerPixel(170, 90, 1), red);
    EXPECT_EQ(layerPixel(150, 100, 1) >> 24, 0u);

    // A plain press on the selection with the selection tool moves the selection.
    selectRectangle({20, 20, 60, 60});
    useTool(kRectangleSelectButton, 2);
    dragOut(at(40, 40), at(50, 45));
    EXPECT_GT(paper().masks->CurrentMask()->ValueAt(65, 62), 0);
    EXPECT_LE(paper().masks->CurrentMask()->ValueAt(25, 22), 0);

    // The layer and the selection together.
    useTool(kMoveButton, 2);
    const int32_t offsetX = paper().layer(1)->offsetX;
    dragOut(at(100, 100), at(90, 100));
    EXPECT_EQ(paper().layer(1)->offsetX, offsetX + 10);
    EXPECT_GT(paper().masks->CurrentMask()->ValueAt(55, 62), 0);

    useTool(kCropButton, 0);
    dragOut(at(100, 40), at(220, 130));
    EXPECT_EQ(paper().width, 120);
    EXPECT_EQ(paper().height, 90);
    EXPECT_EQ(layerPixel(60, 50, 1), red); // was (160, 90)
    expectReplayMatches(*window);
}

} // namespace qm::ui::test

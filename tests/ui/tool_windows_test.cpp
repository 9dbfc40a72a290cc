#include "layers/blend_mode_table.h"
#include "ui/colour_windows.h"
#include "ui/layer_window.h"
#include "ui/pen_window.h"
#include "ui/preview_window.h"
#include "ui/tool_docks.h"
#include "ui/tools_window.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QDockWidget>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>

namespace qm::ui::test {

using ToolWindows = WindowFixture;

namespace {

void click(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), button, button, {});
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), button, {}, {});
    QApplication::sendEvent(widget, &release);
}

} // namespace

TEST_F(ToolWindows, EachToolButtonSetsItsModeAndSubmode)
{
    TToolsWindow& tools = *main().docks().tools;
    const CModeMngr& modes = shell->context().modes;
    for (int b = 0; b < kToolButtonCount; ++b) {
        tools.button(b)->click();
        TModeChoice expected;
        ASSERT_TRUE(CModeMngr::toolButtonMode(b, tools.option(b), expected));
        EXPECT_EQ(modes.mode, expected.mode) << "button " << b;
        EXPECT_EQ(modes.submode(), expected.submode) << "button " << b;
        EXPECT_TRUE(tools.button(CModeMngr::toolButtonOf(modes.mode, modes.submode()))->isChecked());
    }
    // The zoom button's option: zoom out.
    tools.setOption(5, 1);
    tools.button(5)->click();
    EXPECT_EQ(modes.mode, 1);
    EXPECT_EQ(modes.submode(), 1);
    // A temporary mode shows on the buttons and goes back at release.
    tools.button(0)->click();
    key(QEvent::KeyPress, Qt::Key_Space);
    press(at(50, 50));
    EXPECT_TRUE(tools.button(2)->isChecked()) << "the hand while Space is held";
    release(at(50, 50));
    key(QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_TRUE(tools.button(0)->isChecked());
}

TEST_F(ToolWindows, ChoosingAPenKindLoadsItsRecordAndASavedRecordSurvivesARestart)
{
    TPenWindow& pen = *main().docks().pen;
    pen.chooseButton(1); // the airbrush
    EXPECT_EQ(stroke().kind, uint8_t(TBrushKind::airbrush));
    pen.chooseRecord(2);
    stroke().setWidth(42.5f);
    stroke().setOpacity(0.4f);
    pen.saveRecord();
    pen.chooseButton(0);
    EXPECT_EQ(stroke().kind, uint8_t(TBrushKind::pen));
    EXPECT_NE(stroke().width, 42.5f);
    pen.chooseButton(1);
    EXPECT_EQ(stroke().width, 42.5f) << "the kind's current record is loaded again";
    EXPECT_EQ(pen.record(int32_t(TBrushKind::airbrush)), 2);

    // A restart with the same settings file: the button and its record come back.
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    for (TDrawWindowWidget* w : main().drawWindows())
        w->modified = false;
    shell.reset();
    shell = std::make_unique<TApplicationShell>(std::make_unique<TQtSettingsStore>(ini));
    shell->start();
    EXPECT_EQ(main().docks().pen->buttons().current, 1);
    main().docks().pen->chooseRecord(2);
    EXPECT_EQ(stroke().kind, uint8_t(TBrushKind::airbrush));
    EXPECT_EQ(stroke().width, 42.5f);
    EXPECT_FLOAT_EQ(stroke().opacity, 0.4f);
    window = main().newPaper(QStringLiteral("again"), 100, 100); // for TearDown
}

TEST_F(ToolWindows, OpacityAndModeFromTheLayerWindowAreRecordedUndoableAndShown)
{
    TLayerWindow& layers = *main().docks().layers;
    press(at(20, 100));
    drag(at(280, 100));
    release(at(280, 100));
    const uint32_t shown = paper().displayImage.pixel(150, 100) & 0xFFFFFF;
    ASSERT_EQ(shown, 0x0000FFu);
    const uint32_t events = eventCount();

    layers.opacityBar()->setValue(0);
    EXPECT_EQ(paper().layer(0)->opacity, 0);
    EXPECT_EQ(eventCount(), events + 1);
    EXPECT_EQ(paper().displayImage.pixel(150, 100) & 0xFFFFFF, 0xFFFFFFu) << "the paper shows through";
    ASSERT_TRUE(window->undo());
    EXPECT_EQ(paper().layer(0)->opacity, 255);
    EXPECT_EQ(paper().displayImage.pixel(150, 100) & 0xFFFFFF, 0x0000FFu);

    const int multiply = listPositionOfMode(uint32_t(BlendMode::Multiply));
    layers.modeBox()->setCurrentIndex(multiply);
    emit layers.modeBox()->activated(multiply);
    EXPECT_EQ(paper().layer(0)->mode & 0x7F, uint8_t(BlendMode::Multiply));
    EXPECT_TRUE(paper().canUndo(0));
    EXPECT_TRUE(window->undo());
    EXPECT_EQ(paper().layer(0)->mode & 0x7F, uint8_t(BlendMode::Normal));
    EXPECT_TRUE(window->redo());
    EXPECT_EQ(paper().layer(0)->mode & 0x7F, uint8_t(BlendMode::Multiply));
}

TEST_F(ToolWindows, TheLayerListFollowsThePaperAndItsTogglesHideAndMove)
{
    TLayerWindow& layers = *main().docks().layers;
    layers.newLayer();
    layers.newLayer();
    ASSERT_EQ(paper().layerCount(), 3);
    EXPECT_EQ(layers.list()->topLevelItemCount(), 3);
    EXPECT_EQ(layers.rowOf(paper().currentLayerIndex()), 0) << "the new layer is on top and current";
    const int32_t topId = paper().layer(2)->id;
    layers.moveLayer(2, 0);
    EXPECT_EQ(paper().layer(0)->id, topId);
    QTreeWidgetItem* bottom = layers.list()->topLevelItem(2);
    bottom->setCheckState(0, Qt::Unchecked); // hide the moved layer
    EXPECT_EQ(paper().layer(0)->visible, 0);
    layers.duplicateLayer();
    EXPECT_EQ(paper().layerCount(), 4);
}

TEST_F(ToolWindows, TheColourWindowPicksFromTheHueBarAndTheSquare)
{
    TGColWindow& colour = *main().docks().colour;
    main().docks().dockOf(QStringLiteral("actShowColorWindow"))->show();
    colour.resize(300, 200);
    QCoreApplication::processEvents();
    CColorMngr& colours = *shell->context().colours;
    THueBar* bar = colour.hueBar();
    click(bar, QPoint(5, bar->height() - 1));
    EXPECT_EQ(colours.hue(), 359 << 16) << "the last row is 359 degrees";
    click(bar, QPoint(5, 0));
    EXPECT_EQ(colours.hue(), 0);
    TColourSquare* square = colour.square();
    click(square, QPoint(square->width() - 1, 0));
    EXPECT_EQ(colours.mainColor(), 0xFF0000u) << "top right: the pure colour";
    EXPECT_EQ(stroke().color, 0xFF0000u);
    EXPECT_TRUE(colour.labels().startsWith(QStringLiteral("R: 255 G: 000 B: 000")));
    click(square, QPoint(0, square->height() / 2)); // a grey
    EXPECT_EQ(rgbToHSV(colours.mainColor()).S, 0);
    EXPECT_EQ(colours.hue(), 0) << "a grey keeps the hue";
    click(square, QPoint(3, square->height() - 1));
    EXPECT_EQ(colours.mainColor(), 0u) << "the bottom row is black";
    // Picking on the paper goes through the colour manager: the windows follow.
    paper().setPaperColor(0x00FF00, true);
    press(at(10, 10), Qt::ShiftModifier);
    release(at(10, 10));
    EXPECT_EQ(colours.mainColor(), 0x00FF00u);
    EXPECT_TRUE(colour.labels().startsWith(QStringLiteral("R: 000 G: 255 B: 000")));
}

TEST_F(ToolWindows, TheNavigatorShowsThePaperAndMovesTheView)
{
    TPreviewWindow& preview = *main().docks().preview;
    preview.resize(200, 150);
    paper().setPaperColor(0x00FF00, true);
    const TMTC& small = paper().previewImage;
    EXPECT_EQ(small.pixel(small.width() / 2, small.height() / 2) & 0xFFFFFF, 0x00FF00u)
        << "the whole navigator picture follows a change of the whole display";
    QPointF target;
    ASSERT_TRUE(preview.paperPointAt(QPointF(190, 75), target));
    click(&preview, QPoint(190, 75));
    EXPECT_NEAR(window->viewCentre().x(), target.x(), 1.0);
    EXPECT_GT(window->viewCentre().x(), paper().width * 0.8);
}

TEST_F(ToolWindows, TheRgbAndHsvFieldsEditTheMainColourAndFollowEachOther)
{
    TColourFieldsWindow& rgb = *main().docks().rgb;
    TColourFieldsWindow& hsv = *main().docks().hsv;
    rgb.field(0)->setValue(255);
    rgb.field(1)->setValue(0);
    rgb.field(2)->setValue(0);
    EXPECT_EQ(stroke().color, 0xFF0000u);
    EXPECT_EQ(hsv.field(0)->value(), 0);
    EXPECT_EQ(hsv.field(1)->value(), 255);
    hsv.field(0)->setValue(120);
    EXPECT_EQ(stroke().color, 0x00FF00u);
    EXPECT_EQ(rgb.field(1)->value(), 255);
    EXPECT_EQ(shell->context().colours->hue(), 120 << 16);
}

TEST_F(ToolWindows, DockPlacementPersistsAndResetsToTheDefaults)
{
    QDockWidget* layerDock = main().docks().dockOf(QStringLiteral("actShowLayerWindow"));
    ASSERT_NE(layerDock, nullptr);
    main().action(QStringLiteral("actShowLayerWindow"))->trigger();
    EXPECT_TRUE(layerDock->isHidden());
    EXPECT_FALSE(main().action(QStringLiteral("actShowLayerWindow"))->isChecked());
    main().close();
    shell->finish();
    EXPECT_FALSE(shell->context().profile.windowBool("layerWinVis"));
    main().action(QStringLiteral("actWindowInitAllPos"))->trigger();
    EXPECT_FALSE(layerDock->isHidden());
}

} // namespace qm::ui::test

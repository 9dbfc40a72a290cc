// The selection window and the selection dialogs on the real main window: the mask list
// follows the paper, undo and redo; its clicks, buttons and pop-up commands are recorded edits;
// the options, grow and colour range dialogs hand their values to the paper.
#include "ui/select_dialogs.h"
#include "ui/select_window.h"
#include "ui/tool_docks.h"
#include "window_fixture.h"

#include "../paper/paper_fixture.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

namespace qm::ui::test {

namespace {

constexpr uint32_t kRed = 0xFFFF0000u, kNearRed = 0xFFFE0000u, kBlue = 0xFF0000FFu;

void mouseAt(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, {});
    QApplication::sendEvent(widget, &event);
}

void click(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    mouseAt(widget, QEvent::MouseButtonPress, at, button);
    mouseAt(widget, QEvent::MouseButtonRelease, at, button);
}

// Types one character, as the keyboard would.
void type(QWidget* widget, char c)
{
    const int code = QChar::fromLatin1(c).toUpper().unicode(); // Qt's codes of ASCII keys
    const QString text = QString(QChar::fromLatin1(c));
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

class SelectWindow : public WindowFixture {
  protected:
    TSelectWindow& selection() { return *main().docks().selection; }
    QListWidget& list() { return *selection().list(); }
    CMaskMngr& masks() { return *paper().masks; }
    // The coverage at a paper point, 0 outside the mask.
    int coverage(int slot, int x, int y) { return std::max(0, masks().Mask(slot)->ValueAt(x, y)); }
    // Mask `slot` becomes a fully selected rectangle (paper coordinates), as a setting-up step
    // that is not recorded.
    void putRectangle(int slot, TRect r)
    {
        TChannel channel(r.width(), r.height());
        for (int y = 0; y < r.height(); ++y)
            std::fill_n(channel.row(y), r.width(), uint8_t(255));
        std::unique_ptr<CMaskData> replaced;
        ASSERT_TRUE(
            masks().ApplyChannel(slot, channel, MaskCombine::Replace, {-r.left, -r.top}, replaced));
        paper().rebuildSelectionOutline();
    }
    QPoint rowCentre(int row)
    {
        list().scrollToItem(list().item(row));
        return list().visualItemRect(list().item(row)).center();
    }
    // The middle pixel of a row's thumbnail.
    QRgb thumbnailMiddle(int row)
    {
        const QImage icon = list().item(row)->icon().pixmap(33, 33).toImage();
        return icon.pixel(icon.width() / 2, icon.height() / 2) & 0xFFFFFF;
    }
    void fillLayer(TBox box, uint32_t pixel)
    {
        paper().layer(0)->image()->MapPixels(box, [pixel](uint32_t) { return pixel; });
    }
};

} // namespace

TEST_F(SelectWindow, TheListFollowsTheMasksThroughEditsUndoRedoAndWindows)
{
    ASSERT_EQ(list().count(), 1);
    EXPECT_EQ(list().item(0)->text(), QStringLiteral("ﾏｽｸ1"));
    EXPECT_FALSE(selection().deleteButton()->isEnabled()) << "the last mask stays";

    ASSERT_TRUE(paper().insertMask(-1, true));
    ASSERT_EQ(list().count(), 2);
    EXPECT_EQ(list().item(0)->text(), QStringLiteral("ﾏｽｸ2")) << "new at the current slot";
    EXPECT_EQ(list().currentRow(), 0);
    EXPECT_TRUE(selection().deleteButton()->isEnabled());
    EXPECT_EQ(thumbnailMiddle(0), 0x000000u) << "nothing selected yet";
    ASSERT_TRUE(paper().selectAll(true));
    EXPECT_EQ(thumbnailMiddle(0), 0xFFFFFFu) << "the thumbnail shows the whole paper selected";
    EXPECT_TRUE(selection().shownBox()->isChecked());
    EXPECT_TRUE(selection().activeBox()->isChecked());
    ASSERT_TRUE(paper().setCurrentMask(1, true));
    EXPECT_EQ(list().currentRow(), 1);

    ASSERT_TRUE(window->undo());
    EXPECT_EQ(list().currentRow(), 0);
    ASSERT_TRUE(window->undo());
    EXPECT_EQ(thumbnailMiddle(0), 0x000000u);
    ASSERT_TRUE(window->undo());
    EXPECT_EQ(list().count(), 1);
    EXPECT_EQ(list().item(0)->text(), QStringLiteral("ﾏｽｸ1"));
    ASSERT_TRUE(window->redo());
    ASSERT_TRUE(window->redo());
    EXPECT_EQ(list().count(), 2);
    EXPECT_EQ(thumbnailMiddle(0), 0xFFFFFFu);

    // Another paper's window: the list shows its masks, and comes back with the first.
    TDrawWindowWidget* first = window;
    window = main().newPaper(QStringLiteral("second"), 100, 100);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] { return list().count() == 1; }));
    main().docks().follow(first);
    EXPECT_EQ(list().count(), 2);
}

TEST_F(SelectWindow, ClickingARowMakesItCurrentAndARecordingReplaysIt)
{
    ASSERT_TRUE(paper().insertMask(-1, true));
    ASSERT_TRUE(paper().insertMask(-1, true));
    ASSERT_EQ(masks().CurrentIndex(), 0);
    const uint32_t events = eventCount();
    click(list().viewport(), rowCentre(2));
    EXPECT_EQ(masks().CurrentIndex(), 2);
    EXPECT_EQ(eventCount(), events + 1);
    ASSERT_TRUE(waitFor([&] { return list().currentRow() == 2; }));
    // A right click only opens the pop-up: the current mask stays.
    click(list().viewport(), rowCentre(0), Qt::RightButton);
    EXPECT_EQ(masks().CurrentIndex(), 2);

    qm::test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(window->document().events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
        << replay.events().missingOperation;
    EXPECT_EQ(replay.paper->masks->Count(), 3);
    EXPECT_EQ(replay.paper->masks->CurrentIndex(), 2);
    ASSERT_TRUE(window->undo());
    EXPECT_EQ(masks().CurrentIndex(), 0);
}

TEST_F(SelectWindow, TheButtonsAndSwitchesEditThePaper)
{
    selection().newButton()->click();
    ASSERT_EQ(masks().Count(), 2);
    putRectangle(0, {10, 10, 40, 40});
    selection().duplicateButton()->click();
    ASSERT_EQ(masks().Count(), 3);
    EXPECT_EQ(list().count(), 3);
    EXPECT_EQ(masks().Mask(0)->name, masks().Mask(1)->name) << "a copy keeps the name";
    EXPECT_EQ(coverage(0, 20, 20), 255);
    EXPECT_EQ(coverage(1, 20, 20), 255);

    const uint32_t events = eventCount();
    const bool shown = paper().selectionShown != 0, active = paper().selectionActive != 0;
    selection().shownBox()->setChecked(!shown);
    EXPECT_EQ(paper().selectionShown != 0, !shown);
    selection().activeBox()->setChecked(!active);
    EXPECT_EQ(paper().selectionActive != 0, !active);
    EXPECT_EQ(eventCount(), events + 2);
    ASSERT_TRUE(window->undo());
    EXPECT_EQ(paper().selectionActive != 0, active);
    EXPECT_EQ(selection().activeBox()->isChecked(), active) << "undo shows in the switch";

    selection().deleteButton()->click();
    selection().deleteButton()->click();
    EXPECT_EQ(masks().Count(), 1);
    EXPECT_FALSE(selection().deleteButton()->isEnabled());
    selection().deleteMask();
    EXPECT_EQ(masks().Count(), 1);

    // Dragging row 0 below row 1 moves the mask there.
    selection().newButton()->click();
    ASSERT_EQ(masks().Count(), 2);
    const int32_t moving = masks().Mask(0)->serial;
    selection().moveMask(0, 1);
    EXPECT_EQ(masks().Mask(1)->serial, moving);
    EXPECT_EQ(list().item(1)->text(), QString::fromStdString(masks().Mask(1)->name));
}

TEST_F(SelectWindow, EachPopUpCommandCombinesTheClickedMaskIntoTheCurrentOne)
{
    ASSERT_TRUE(paper().insertMask(1, true));
    ASSERT_TRUE(paper().setCurrentMask(0, true));
    putRectangle(0, {20, 20, 80, 80});   // A, current
    putRectangle(1, {50, 50, 120, 120}); // B
    // Points only in A, in both, only in B, in neither.
    const QPoint onlyA(30, 30), both(60, 60), onlyB(100, 100), neither(150, 30);
    struct TCase {
        const char* command;
        int a, both, b;
    };
    const TCase cases[] = {{"menuMaskAdd", 255, 255, 255},
                           {"menuMaskSub", 255, 0, 0},
                           {"menuMaskAnd", 0, 255, 0},
                           {"menuMaskCopy", 0, 255, 255}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.command);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, rowCentre(1),
                                    list().viewport()->mapToGlobal(rowCentre(1)));
        QApplication::sendEvent(list().viewport(), &menuEvent);
        ASSERT_TRUE(selection().maskMenu()->isVisible());
        auto* command = selection().maskMenu()->findChild<QAction*>(QString::fromLatin1(c.command));
        ASSERT_NE(command, nullptr);
        const uint32_t events = eventCount();
        command->trigger();
        selection().maskMenu()->hide();
        EXPECT_EQ(eventCount(), events + 1);
        EXPECT_EQ(masks().CurrentIndex(), 0);
        EXPECT_EQ(coverage(0, onlyA.x(), onlyA.y()), c.a);
        EXPECT_EQ(coverage(0, both.x(), both.y()), c.both);
        EXPECT_EQ(coverage(0, onlyB.x(), onlyB.y()), c.b);
        EXPECT_EQ(coverage(0, neither.x(), neither.y()), 0);
        EXPECT_EQ(coverage(1, onlyB.x(), onlyB.y()), 255) << "the clicked mask stays as it was";
        ASSERT_TRUE(window->undo());
        EXPECT_EQ(coverage(0, onlyB.x(), onlyB.y()), 0) << "undo gives A back";
        EXPECT_EQ(coverage(0, onlyA.x(), onlyA.y()), 255);
    }
}

TEST_F(SelectWindow, TheOptionsDialogRenamesMovesAndCropsTheMask)
{
    putRectangle(0, {20, 20, 80, 80});
    const uint32_t events = eventCount();
    whenOpen<TSelectInfoWindow>([](TSelectInfoWindow& d) {
        EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("EditName"))->text(),
                  QStringLiteral("ﾏｽｸ1"));
        EXPECT_EQ(d.findChild<QSpinBox*>(QStringLiteral("editViewPosX"))->value(), 20);
        EXPECT_EQ(d.findChild<QSpinBox*>(QStringLiteral("editViewPosY"))->value(), 20);
        d.nameField()->setText(QStringLiteral("outline"));
        d.positionX()->setValue(-10);
        d.positionY()->setValue(150);
        d.accept();
    });
    // A double click on the row opens the dialog.
    const QPoint row = rowCentre(0);
    click(list().viewport(), row);
    mouseAt(list().viewport(), QEvent::MouseButtonDblClick, row, Qt::LeftButton);
    mouseAt(list().viewport(), QEvent::MouseButtonRelease, row, Qt::LeftButton);
    EXPECT_EQ(masks().Mask(0)->name, "outline");
    EXPECT_EQ(list().item(0)->text(), QStringLiteral("outline"));
    EXPECT_EQ(masks().Mask(0)->Bounds(), (TRect{-10, 150, 50, 210}));
    EXPECT_EQ(eventCount(), events + 2) << "the name and the position";

    // Cropped to the paper: what lay outside is gone, the rest stays in place.
    TSelectInfoWindow crop(paper(), 0);
    crop.findChild<QCheckBox*>(QStringLiteral("CheckTrim"))->setChecked(true);
    crop.accept();
    EXPECT_TRUE(crop.applied());
    EXPECT_EQ(masks().Mask(0)->Bounds(), (TRect{0, 0, 300, 200}));
    EXPECT_EQ(coverage(0, 0, 150), 255);
    EXPECT_EQ(coverage(0, 49, 199), 255);
    EXPECT_EQ(coverage(0, 50, 199), 0);
    EXPECT_EQ(coverage(0, 0, 149), 0);
    // Nothing changed: nothing recorded.
    const uint32_t after = eventCount();
    TSelectInfoWindow unchanged(paper(), 0);
    unchanged.accept();
    EXPECT_FALSE(unchanged.applied());
    EXPECT_EQ(eventCount(), after);
}

TEST_F(SelectWindow, TheGrowDialogRefusesAnEmptyFieldTakesDigitsOnlyAndClamps)
{
    TFormSelectInflate dialog(5);
    dialog.show();
    QLineEdit* field = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    ASSERT_NE(field, nullptr);
    ASSERT_NE(dialog.findChild<TUpDown*>(QStringLiteral("UpDown1")), nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("5"));
    field->clear();
    const qsizetype messages = hook.shown.size();
    dialog.accept();
    ASSERT_EQ(hook.shown.size(), messages + 1);
    EXPECT_EQ(hook.shown.last(), uiText("空欄があります！"));
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    field->setFocus();
    for (char c : {'a', '9', '-', '9', '9', '9'})
        type(field, c);
    EXPECT_EQ(field->text(), QStringLiteral("999")) << "digits only, three at most";
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.amount(), 32);
    EXPECT_EQ(field->text(), QStringLiteral("32"));

    TFormSelectDeflate shrink(1);
    shrink.field()->setText(QStringLiteral("0"));
    shrink.upDown()->upButton()->click();
    EXPECT_EQ(shrink.field()->text(), QStringLiteral("2")) << "0 is clamped to 1, then stepped";
    shrink.upDown()->downButton()->click();
    shrink.upDown()->downButton()->click();
    EXPECT_EQ(shrink.field()->text(), QStringLiteral("1"));
    shrink.field()->setText(QStringLiteral("0"));
    shrink.accept();
    EXPECT_EQ(shrink.amount(), 1);

    // The modal form: the amount goes in as offered and comes out as chosen.
    int amount = 7;
    whenOpen<TFormSelectDeflate>([](TFormSelectDeflate& d) {
        EXPECT_EQ(d.field()->text(), QStringLiteral("7"));
        d.field()->setText(QStringLiteral("4"));
        d.accept();
    });
    EXPECT_TRUE(askSelectAmount(&main(), false, amount));
    EXPECT_EQ(amount, 4);
    whenOpen<TFormSelectInflate>([](TFormSelectInflate& d) {
        d.field()->setText(QStringLiteral("9"));
        d.reject();
    });
    EXPECT_FALSE(askSelectAmount(&main(), true, amount));
    EXPECT_EQ(amount, 4) << "Cancel keeps the remembered value";
}

TEST_F(SelectWindow, AColourRangePickOfRangeZeroSelectsExactlyThatColour)
{
    // Red on the left, a red one step off in a strip, blue on the right.
    ASSERT_EQ(paper().layer(0)->imageWidth(), 300);
    ASSERT_EQ(paper().layer(0)->offsetX, 0);
    fillLayer({0, 0, 140, 200}, kRed);
    fillLayer({140, 0, 10, 200}, kNearRed);
    fillLayer({150, 0, 150, 200}, kBlue);
    const uint32_t events = eventCount();

    TFormColorMask dialog(*window);
    dialog.show();
    ASSERT_NE(dialog.findChild<QSlider*>(QStringLiteral("TrackBarRange")), nullptr);
    EXPECT_EQ(dialog.rangeBar()->value(), 32);
    dialog.rangeBar()->setValue(0);
    TColourRangePreview* view = dialog.previewView();
    click(view, view->widgetPointOf({50, 100}));
    ASSERT_EQ(dialog.choice().picks.size(), 1u);
    EXPECT_EQ(dialog.choice().picks[0].colour, kRed);
    EXPECT_EQ(dialog.choice().picks[0].range, 0);
    EXPECT_TRUE(dialog.choice().picks[0].add);
    EXPECT_EQ(dialog.counts().above1, 140 * 200);
    // The greyscale preview: white where selected, black elsewhere.
    const QImage& shown = dialog.previewView()->image();
    EXPECT_EQ(shown.pixel(view->widgetPointOf({50, 100})) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(shown.pixel(view->widgetPointOf({145, 100})) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(shown.pixel(view->widgetPointOf({250, 100})) & 0xFFFFFF, 0x000000u);
    // Colour over black shows the picked colour where it is selected.
    dialog.previewGroup()->button(TFormColorMask::previewOverBlack)->click();
    EXPECT_EQ(dialog.previewView()->image().pixel(view->widgetPointOf({50, 100})) & 0xFFFFFF,
              0xFF0000u);

    // While the slider moves it widens the last pick: the near red joins.
    dialog.rangeBar()->setValue(10);
    EXPECT_EQ(dialog.choice().picks[0].range, 10);
    EXPECT_EQ(dialog.counts().above1, 150 * 200);
    dialog.rangeBar()->setValue(0);

    dialog.accept();
    EXPECT_TRUE(dialog.selected());
    EXPECT_EQ(eventCount(), events + 1);
    int wrong = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            wrong += coverage(0, x, y) != (x < 140 ? 255 : 0);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(list().currentRow(), 0);
    EXPECT_EQ(thumbnailMiddle(0), 0x000000u) << "the middle of the paper is not red";

    // A remove pick of the same colour takes everything away again: nothing to commit.
    ASSERT_TRUE(window->undo());
    TFormColorMask again(*window);
    again.rangeBar()->setValue(0);
    again.pickAt({10, 10});
    again.clickGroup()->button(TFormColorMask::clickRemove)->click();
    again.pickAt({20, 20});
    ASSERT_EQ(again.choice().picks.size(), 2u);
    EXPECT_FALSE(again.choice().picks[1].add);
    EXPECT_EQ(again.counts().above1, 0);
    again.accept();
    EXPECT_FALSE(again.selected());
    EXPECT_FALSE(masks().Mask(0)->IsValid());
    // A new list starts over.
    again.clickGroup()->button(TFormColorMask::clickNewList)->click();
    again.pickAt({200, 10});
    ASSERT_EQ(again.choice().picks.size(), 1u);
    EXPECT_EQ(again.choice().picks[0].colour, kBlue);
}

TEST_F(SelectWindow, TheSelectionDockHasItsWindowAction)
{
    QDockWidget* dock = main().docks().dockOf(QStringLiteral("actShowSelectWindow"));
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->widget(), &selection());
    EXPECT_EQ(dock->windowTitle(), QStringLiteral("Selection"));
    QAction* show = main().action(QStringLiteral("actShowSelectWindow"));
    ASSERT_NE(show, nullptr);
    main().refreshActions();
    EXPECT_TRUE(show->isEnabled());
    show->trigger();
    EXPECT_TRUE(dock->isHidden());
    show->trigger();
    EXPECT_FALSE(dock->isHidden());
}

} // namespace qm::ui::test

// The gradation window on the running main window: stops made, moved, recoloured and removed
// through the editor, the option panel, gradation sets saved and loaded, and the fixed entry
// following the pen's colours.
#include "window_fixture.h"

#include "tone/grad_mngr.h"
#include "ui/grad_window.h"
#include "ui/ui_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QToolButton>

#include <memory>
#include <vector>

namespace qm::ui::test {
namespace {

// What a set file keeps of an entry.
struct TEntryState {
    std::string name;
    std::vector<TColorStop> stops;
    TGradOptions options;
    friend bool operator==(const TEntryState&, const TEntryState&) = default;
};

std::vector<TEntryState> entriesOf(CGradMngr& list, bool withFixed)
{
    std::vector<TEntryState> all;
    for (int32_t i = 0; i < list.count(); ++i)
        if (withFixed || i != list.fixedIndex()) {
            const CGradObj* e = list.entry(i);
            all.push_back({e->stops.name, e->stops.stops, e->options});
        }
    return all;
}

class GradWindow : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        win = std::make_unique<TGradWindow>(shell->context());
        win->resize(320, 400);
        win->show();
        win->refresh();
        list = shell->context().gradations.get();
        ASSERT_NE(list, nullptr);
        colours = shell->context().colours.get();
        ASSERT_NE(colours, nullptr);
    }
    void TearDown() override
    {
        win.reset();
        WindowFixture::TearDown();
    }

    // A new black → white entry, current.
    void newBlackToWhite()
    {
        colours->setSecondColor(0x000000, kColourSourceWindow);
        colours->setMainColor(0xFFFFFF, kColourSourceWindow);
        win->actGradCreate();
    }
    const CColorSlotGroup& current() { return list->entry(list->currentIndex())->stops; }
    int32_t startOf(int32_t i) { return current().stops[size_t(i)].start; }

    void editorMouse(QEvent::Type type, QPointF pos, Qt::MouseButtons buttons)
    {
        TGradEdit* e = win->editor();
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, e->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(e, &event);
    }
    // A handle's place on the editor: below the strip, at the stop's column.
    QPointF handle(int32_t i)
    {
        return {win->editor()->columnOf(startOf(i)), TGradEdit::kStripHeight + 4.0};
    }
    void dragHandle(int32_t i, QPointF to)
    {
        editorMouse(QEvent::MouseButtonPress, handle(i), Qt::LeftButton);
        editorMouse(QEvent::MouseMove, to, Qt::LeftButton);
        editorMouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }
    bool waitForMessages(qsizetype n)
    {
        return waitFor([&] { return hook.shown.size() >= n; }, 3000);
    }

    std::unique_ptr<TGradWindow> win;
    CGradMngr* list = nullptr;
    CColorMngr* colours = nullptr;
};

TEST_F(GradWindow, ClicksOnTheStripMakeAThreeStopGradationShownAsCurrent)
{
    const int32_t before = list->count();
    newBlackToWhite();
    ASSERT_EQ(list->count(), before + 1);
    EXPECT_EQ(list->currentIndex(), before);
    EXPECT_EQ(win->list()->count(), before + 1);
    EXPECT_EQ(win->list()->currentRow(), before);
    ASSERT_EQ(current().stops.size(), 2u);
    EXPECT_EQ(current().stops[0].colour & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(current().stops[1].colour & 0xFFFFFF, 0xFFFFFFu);

    // A click in the middle of the strip: a third stop there, with the colour the gradation has
    // there, so the look is unchanged.
    TGradEdit* e = win->editor();
    const double middle = e->columnOf(0x8000);
    editorMouse(QEvent::MouseButtonPress, {middle, 5.0}, Qt::LeftButton);
    editorMouse(QEvent::MouseButtonRelease, {middle, 5.0}, Qt::NoButton);
    ASSERT_EQ(current().stops.size(), 3u);
    EXPECT_EQ(e->selectedStop(), 1);
    const TColorStop& added = current().stops[1];
    EXPECT_NEAR(added.start, 0x8000, kFixedOne / (e->width() - 2 * TGradEdit::kMargin) + 1);
    // Black → white at t: (t · 255) >> 16 in every channel.
    const uint32_t grey = uint32_t((int64_t(added.start) * 255) >> 16);
    EXPECT_EQ(added.colour & 0xFFFFFF, grey | grey << 8 | grey << 16);
    EXPECT_TRUE(added.hasAlpha);
    EXPECT_EQ(added.alpha, 255);

    // The list and the working copy painting uses both have it.
    EXPECT_EQ(list->working().stops.size(), 3u);
    EXPECT_EQ(win->list()->currentRow(), list->currentIndex());

    // A click on another entry makes it current; the window's list follows a selection.
    win->list()->setCurrentRow(1);
    EXPECT_EQ(list->currentIndex(), 1);
}

TEST_F(GradWindow, StopsMoveKeepingTheMinimumGapAndAreRemovedButTwoStay)
{
    newBlackToWhite();
    ASSERT_EQ(win->insertStopAt(0x8000), 1);
    ASSERT_EQ(win->insertStopAt(0xC000), 2);
    ASSERT_EQ(current().stops.size(), 4u);
    EXPECT_EQ(startOf(1), 0x8000);
    EXPECT_EQ(startOf(2), 0xC000);

    // Lengths 0x4000 | 0xC000 − 0x4000 | 0x4000 add up to 1.0: the move lands exactly.
    EXPECT_TRUE(win->moveStop(1, 0x4000));
    EXPECT_EQ(startOf(1), 0x4000);
    // Up against a neighbour: 100 away from it.
    EXPECT_TRUE(win->moveStop(1, 0));
    EXPECT_EQ(startOf(1), 100);
    EXPECT_TRUE(win->moveStop(1, 0xF000));
    EXPECT_EQ(startOf(1), 0xC000 - 100);
    EXPECT_TRUE(win->moveStop(2, 0x10000));
    EXPECT_EQ(startOf(2), 0x10000 - 100);
    // The ends stay put.
    EXPECT_FALSE(win->moveStop(0, 0x2000));
    EXPECT_FALSE(win->moveStop(3, 0x2000));
    EXPECT_EQ(startOf(0), 0);
    EXPECT_EQ(startOf(3), kFixedOne);

    // Dragging a handle with the mouse: onto the place of the column, still kept off the end.
    TGradEdit* e = win->editor();
    dragHandle(1, {e->columnOf(0x2000), 5.0});
    EXPECT_NEAR(startOf(1), 0x2000, kFixedOne / (e->width() - 2 * TGradEdit::kMargin) + 1);
    dragHandle(2, {double(e->width() + 50), 5.0});
    EXPECT_EQ(startOf(2), 0x10000 - 100);

    // Dragged away from the editor: removed; the colours either side keep their places.
    const uint32_t lastColour = current().stops[3].colour;
    dragHandle(2, {handle(2).x(), double(e->height() + 3 * TGradEdit::kDropDistance)});
    ASSERT_EQ(current().stops.size(), 3u);
    EXPECT_EQ(current().stops[2].colour, lastColour);
    EXPECT_EQ(startOf(2), kFixedOne);

    // The remove button takes the selected stop, never an end.
    e->setSelectedStop(0);
    EXPECT_FALSE(win->removeStopButton()->isEnabled());
    e->setSelectedStop(1);
    EXPECT_TRUE(win->removeStopButton()->isEnabled());
    win->removeStopButton()->click();
    ASSERT_EQ(current().stops.size(), 2u);
    EXPECT_FALSE(win->removeStop(0));
    EXPECT_FALSE(win->removeStop(1));
    EXPECT_EQ(current().stops.size(), 2u);
}

TEST_F(GradWindow, ColoursAndAlphaOfAStop)
{
    newBlackToWhite();
    ASSERT_EQ(win->insertStopAt(0x8000), 1);

    // Double-clicking a handle asks for its colour; cancelling leaves it.
    QColor offered;
    QColor answer(0x10, 0x20, 0x30);
    win->chooseColour = [&](QColor start) {
        offered = start;
        return answer;
    };
    const QPointF at = handle(1);
    editorMouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    EXPECT_EQ(offered, QColor(127, 127, 127));
    EXPECT_EQ(current().stops[1].colour & 0xFFFFFF, 0x302010u); // 0x00BBGGRR
    answer = QColor();
    editorMouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    EXPECT_EQ(current().stops[1].colour & 0xFFFFFF, 0x302010u);

    // The alpha box gives the selected stop its own alpha; the working copy paints with it.
    win->editor()->setSelectedStop(1);
    win->alphaBox()->setValue(128);
    EXPECT_TRUE(current().stops[1].hasAlpha);
    EXPECT_EQ(current().stops[1].alpha, 128);
    EXPECT_EQ(list->working().ColorAt(0x8000), 0x80302010u);
}

TEST_F(GradWindow, AFullStopListIsReported)
{
    newBlackToWhite();
    CColorSlotGroup full;
    for (int32_t i = 0; i < CColorSlotGroup::kMaxStops; ++i)
        full.append(0x000000, i + 1 < CColorSlotGroup::kMaxStops ? 1 : 0);
    ASSERT_TRUE(full.Normalize());
    ASSERT_TRUE(list->ReplaceStops(list->currentIndex(), full, true));
    win->refresh();
    hook.shown.clear();
    EXPECT_EQ(win->insertStopAt(0x8000), -1);
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(hook.shown[0], uiText("これ以上%sを追加できません！", {uiText("色")}));
    EXPECT_EQ(current().stops.size(), size_t(CColorSlotGroup::kMaxStops));
}

TEST_F(GradWindow, OptionsReachTheListAndTheSettings)
{
    newBlackToWhite();
    const int32_t mine = list->currentIndex();
    win->typeBox()->setCurrentIndex(2);
    win->mapBox()->setCurrentIndex(1);
    win->repeatBox()->setChecked(true);
    win->countBox()->setValue(3);
    const TGradOptions expected{0, 2, 1, 1, 3};
    EXPECT_EQ(list->workingOptions(), expected);
    EXPECT_EQ(list->entry(mine)->options, expected);
    const TConfigSettings& config = shell->context().profile.config;
    EXPECT_EQ(config.gradType, 2);
    EXPECT_EQ(config.gradMap, 1);
    EXPECT_EQ(config.gradRep, 1);
    EXPECT_EQ(config.gradRepCnt, 3);

    // Another entry shows its own options, and going back shows these again.
    win->list()->setCurrentRow(1);
    EXPECT_EQ(win->typeBox()->currentIndex(), list->entry(1)->options.type);
    win->list()->setCurrentRow(mine);
    EXPECT_EQ(win->typeBox()->currentIndex(), 2);
    EXPECT_EQ(win->mapBox()->currentIndex(), 1);
    EXPECT_TRUE(win->repeatBox()->isChecked());
    EXPECT_EQ(win->countBox()->value(), 3);

    // The panel's visibility is a window setting.
    const bool shown = win->panelShown();
    win->actGradShowPanel();
    EXPECT_EQ(win->panelShown(), !shown);
    EXPECT_EQ(shell->context().profile.windowBool("gradWinPanelVis"), !shown);
}

TEST_F(GradWindow, SavedSetsLoadBackReplacingOrAppending)
{
    newBlackToWhite();
    ASSERT_EQ(win->insertStopAt(0x6000), 1);
    ASSERT_TRUE(win->setStopAlpha(1, 77));
    win->countBox()->setValue(5);
    const std::vector<TEntryState> saved = entriesOf(*list, false);
    const int32_t savedCount = list->count();

    const QString path = dir.filePath(QStringLiteral("mine"));
    win->chooseFile = [&](bool) { return path; };
    win->actGradSave();
    EXPECT_EQ(shell->context().profile.fileIO.gradFile, (path + ".qgs").toStdString());
    win->chooseFile = [&](bool) { return path + ".qgs"; };

    // Change the list, then replace it by the file.
    win->list()->setCurrentRow(1);
    win->actGradDelete();
    win->actGradDuplicate();
    newBlackToWhite();
    win->actGradLoad();
    EXPECT_EQ(entriesOf(*list, false), saved);
    EXPECT_EQ(list->count(), savedCount);
    EXPECT_EQ(win->list()->count(), savedCount);
    EXPECT_EQ(list->currentIndex(), savedCount - 1); // the saved current entry
    EXPECT_EQ(win->list()->currentRow(), list->currentIndex());

    // Appending: the file's entries follow, the selection stays.
    win->list()->setCurrentRow(1);
    win->actGradLoadAppend();
    std::vector<TEntryState> twice = saved;
    twice.insert(twice.end(), saved.begin(), saved.end());
    EXPECT_EQ(entriesOf(*list, false), twice);
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(win->list()->count(), list->count());

    // A cancelled dialog does nothing.
    win->chooseFile = [](bool) { return QString(); };
    win->actGradLoad();
    EXPECT_EQ(entriesOf(*list, false), twice);
}

TEST_F(GradWindow, TheFixedEntryFollowsThePenAndStaysInTheList)
{
    const int32_t fixed = list->fixedIndex();
    ASSERT_GE(fixed, 0);
    win->list()->setCurrentRow(fixed);
    ASSERT_EQ(list->currentIndex(), fixed);

    colours->setMainColor(0x112233, kColourSourceWindow);
    colours->setSecondColor(0x445566, kColourSourceWindow);
    win->followColours();
    const CColorSlotGroup& stops = list->entry(fixed)->stops;
    EXPECT_EQ(stops.stops.front().colour & 0xFFFFFF, colours->secondColor());
    EXPECT_EQ(stops.stops.back().colour & 0xFFFFFF, colours->mainColor());
    // What the gradation tool takes follows too.
    EXPECT_EQ(list->working().ColorAt(0) & 0xFFFFFF, colours->secondColor());
    EXPECT_EQ(list->working().ColorAt(kFixedOne) & 0xFFFFFF, colours->mainColor());

    // It cannot be deleted, nor edited (its colours are the pen's).
    EXPECT_FALSE(win->action("actGradDelete")->isEnabled());
    const int32_t count = list->count();
    win->actGradDelete();
    EXPECT_EQ(list->count(), count);
    EXPECT_EQ(win->insertStopAt(0x8000), -1);
    EXPECT_EQ(stops.stops.size(), 2u);
    EXPECT_FALSE(win->editor()->isEnabled());

    // A copy of it is an ordinary entry that can.
    win->actGradDuplicate();
    EXPECT_NE(list->currentIndex(), fixed);
    EXPECT_EQ(list->count(), count + 1);
    EXPECT_TRUE(win->action("actGradDelete")->isEnabled());
    EXPECT_GE(win->insertStopAt(0x8000), 0);
    win->actGradDelete();
    EXPECT_EQ(list->count(), count);
}

} // namespace
} // namespace qm::ui::test

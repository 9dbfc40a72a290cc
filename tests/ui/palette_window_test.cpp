// The palette window on the running main window: clicking picks the main colour, inserting,
// deleting, dragging to reorder, the view scrolling, and loading and saving through the file
// hook.
#include "window_fixture.h"

#include "palette/palette.h"
#include "palette/palette_file.h"
#include "palette/palette_messages.h"
#include "ui/palette_window.h"
#include "ui/tool_docks.h"
#include "ui/ui_text.h"

#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QScrollArea>
#include <QScrollBar>

#include <memory>

namespace qm::ui::test {
namespace {

TPalEntry rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return {b, g, r, 0};
}

class PalWindow : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        // Four swatches in a row of 4 cells of 16 × 16.
        const TPalEntry four[] = {rgb(10, 0, 0), rgb(20, 0, 0), rgb(30, 0, 0), rgb(40, 0, 0)};
        ASSERT_TRUE(palette.replace(four, {4, 2, 16, 16}));
        win = std::make_unique<TPalWindow>(shell->context(), palette);
        win->resize(200, 200);
        win->show();
        colours = shell->context().colours.get();
        ASSERT_NE(colours, nullptr);
    }
    void TearDown() override
    {
        win.reset();
        WindowFixture::TearDown();
    }

    void swatchMouse(QEvent::Type type, QPoint pos, Qt::MouseButton button,
                     Qt::MouseButtons buttons)
    {
        QWidget* s = win->swatches();
        QMouseEvent event(type, QPointF(pos), QPointF(s->mapToGlobal(pos)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(s, &event);
    }
    QPoint centreOf(int32_t i) { return win->swatches()->swatchRect(i).center(); }
    void click(int32_t i, Qt::MouseButton button = Qt::LeftButton)
    {
        swatchMouse(QEvent::MouseButtonPress, centreOf(i), button, button);
        swatchMouse(QEvent::MouseButtonRelease, centreOf(i), button, Qt::NoButton);
    }
    std::vector<int> reds()
    {
        std::vector<int> out;
        for (const TPalEntry& e : palette.entries())
            out.push_back(e.red);
        return out;
    }
    QString tempFile(const QString& name) { return dir.filePath(name); }

    CPalette palette;
    std::unique_ptr<TPalWindow> win;
    CColorMngr* colours = nullptr;
};

TEST_F(PalWindow, AClickMakesTheSwatchTheMainColourAndMarksIt)
{
    colours->setMainColor(0x123456, kColourSourceWindow);
    EXPECT_EQ(win->marked(), -1);
    EXPECT_EQ(win->swatches()->swatchAt({3 * 16 + 5, 5}), 3);
    EXPECT_EQ(win->swatches()->swatchAt({4 * 16 + 1, 5}), -1); // right of the grid
    EXPECT_EQ(win->swatches()->swatchAt({5, 16 + 5}), -1);     // second row: no swatch there

    click(2);
    EXPECT_EQ(colours->mainColor(), 0x1E0000u);
    EXPECT_EQ(win->marked(), 2);
    EXPECT_EQ(win->chosen(), 2);
    EXPECT_FALSE(palette.modified()); // picking is no edit
    // The mark follows a colour chosen elsewhere.
    colours->setMainColor(0x0A0000, kColourSourceWindow);
    EXPECT_EQ(win->marked(), 0);
}

TEST_F(PalWindow, InsertPutsTheMainColourBeforeTheChosenSwatch)
{
    click(1, Qt::RightButton); // right-click chooses without picking
    EXPECT_EQ(win->chosen(), 1);
    colours->setMainColor(0x630000, kColourSourceWindow);
    win->action("actPalInsert")->trigger();
    EXPECT_EQ(reds(), (std::vector<int>{10, 99, 20, 30, 40}));
    EXPECT_TRUE(palette.modified());
    // Still on the same swatch: another insert goes after the first.
    colours->setMainColor(0x640000, kColourSourceWindow);
    win->actPalInsert();
    EXPECT_EQ(reds(), (std::vector<int>{10, 99, 100, 20, 30, 40}));
    // The grid grew a row: the widget follows.
    EXPECT_EQ(win->swatches()->height(), 2 * 16);

    win->choose(-1); // nothing chosen: appended
    win->actPalInsert();
    EXPECT_EQ(reds().back(), 100);
}

TEST_F(PalWindow, DeleteRemovesTheChosenSwatch)
{
    click(0, Qt::RightButton);
    win->action("actPalDelete")->trigger();
    EXPECT_EQ(reds(), (std::vector<int>{20, 30, 40}));
    EXPECT_EQ(win->chosen(), 0);
    win->choose(2);
    win->actPalDelete();
    EXPECT_EQ(reds(), (std::vector<int>{20, 30}));
    EXPECT_EQ(win->chosen(), 1);
    win->choose(-1);
    win->actPalDelete(); // nothing chosen: nothing goes
    EXPECT_EQ(palette.count(), 2);
}

TEST_F(PalWindow, DraggingASwatchMovesIt)
{
    swatchMouse(QEvent::MouseButtonPress, centreOf(0), Qt::LeftButton, Qt::LeftButton);
    swatchMouse(QEvent::MouseMove, centreOf(2), Qt::NoButton, Qt::LeftButton);
    swatchMouse(QEvent::MouseMove, centreOf(3), Qt::NoButton, Qt::LeftButton);
    swatchMouse(QEvent::MouseButtonRelease, centreOf(3), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(reds(), (std::vector<int>{20, 30, 40, 10}));
    EXPECT_EQ(win->chosen(), 3);

    // Backwards, to the first place.
    swatchMouse(QEvent::MouseButtonPress, centreOf(1), Qt::LeftButton, Qt::LeftButton);
    swatchMouse(QEvent::MouseMove, {0, 0}, Qt::NoButton, Qt::LeftButton);
    swatchMouse(QEvent::MouseButtonRelease, {1, 1}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(reds(), (std::vector<int>{30, 20, 40, 10}));

    // Dropped below and right of the grid: the last place.
    swatchMouse(QEvent::MouseButtonPress, centreOf(0), Qt::LeftButton, Qt::LeftButton);
    swatchMouse(QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::LeftButton);
    swatchMouse(QEvent::MouseButtonRelease, {200, 200}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(reds(), (std::vector<int>{20, 40, 10, 30}));

    // A click without moving reorders nothing.
    click(2);
    EXPECT_EQ(reds(), (std::vector<int>{20, 40, 10, 30}));
}

TEST_F(PalWindow, ManyRowsScroll)
{
    CPalette big; // 256 colours in 18 columns, 6 rows shown
    palette.replace(big.entries(), {18, 2, 10, 10});
    win->refresh();
    QCoreApplication::processEvents();
    EXPECT_EQ(win->swatches()->height(), 15 * 10); // 256 ÷ 18, rounded up
    win->resize(win->scroller()->minimumWidth() + 10, 80);
    QCoreApplication::processEvents();
    EXPECT_GT(win->scroller()->verticalScrollBar()->maximum(), 0);
}

TEST_F(PalWindow, SaveAndLoadGoThroughTheFileHook)
{
    std::vector<std::pair<bool, int32_t>> asked;
    QString answer;
    int32_t answerFilter = 1;
    win->chooseFile = [&](bool save, const QString&, int32_t& filter) {
        asked.push_back({save, filter});
        filter = answerFilter;
        return answer;
    };

    // No extension and the swatch filter: an .aco file, version 1 with four records.
    answer = tempFile(QStringLiteral("mine"));
    answerFilter = 2;
    win->actPalSave();
    QFile saved(tempFile(QStringLiteral("mine.aco")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().left(4), QByteArray("\x00\x01\x00\x04", 4));
    EXPECT_FALSE(palette.modified());

    // Loading a text file: its colours, and an own file written beside it that the settings
    // now name.
    QFile text(tempFile(QStringLiteral("set.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("COLS 2\r\nR:1, G:2, B:3\r\nR:4\r\n");
    text.close();
    answer = text.fileName();
    answerFilter = 3;
    win->actPalLoad();
    ASSERT_EQ(palette.count(), 2);
    EXPECT_EQ(palette.entry(0), rgb(1, 2, 3));
    EXPECT_EQ(palette.grid().columns, 2);
    EXPECT_EQ(QString::fromStdString(shell->context().profile.fileIO.palFile),
              tempFile(QStringLiteral("set.qpl")));
    EXPECT_TRUE(QFile::exists(tempFile(QStringLiteral("set.qpl"))));

    // Each dialog starts with the filter it was last left at.
    answer.clear();
    win->actPalLoad();
    win->actPalSave();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[2], (std::pair<bool, int32_t>{false, 3}));
    // The save dialog follows the current file's kind: the palette now lives in an own file.
    EXPECT_EQ(asked[3], (std::pair<bool, int32_t>{true, 1}));
}

TEST_F(PalWindow, AFileOfAnotherKindIsRefusedWithAWarning)
{
    QFile other(tempFile(QStringLiteral("p.png")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("QPAL");
    other.close();
    win->chooseFile = [&](bool, const QString&, int32_t&) { return other.fileName(); };
    win->actPalLoad();
    ASSERT_TRUE(waitFor([&] { return !hook.shown.isEmpty(); }, 3000));
    EXPECT_EQ(hook.shown.back(), uiText(kPalUnknownKindMessage));
    EXPECT_EQ(palette.count(), 4);
}

TEST_F(PalWindow, StartUpAndExitKeepThePaletteInItsOwnFile)
{
    TFileIOSettings& files = shell->context().profile.fileIO;
    files.appPath = dir.path().toStdString();
    files.palFile = tempFile(QStringLiteral("gone.qpl")).toStdString();
    CPalette started;
    startAppPalette(shell->context(), started);
    EXPECT_EQ(QString::fromStdString(files.palFile), tempFile(QStringLiteral("default.qpl")));
    EXPECT_EQ(QFileInfo(tempFile(QStringLiteral("default.qpl"))).size(), 20 + 256 * 4);

    ASSERT_TRUE(started.remove(0));
    saveAppPalette(shell->context(), started);
    EXPECT_EQ(QFileInfo(tempFile(QStringLiteral("default.qpl"))).size(), 20 + 255 * 4);
    EXPECT_FALSE(started.modified());
}

// The window as the main window docks it: shown by its command, showing the palette the
// program started with, which it writes back at exit.
using PalDock = WindowFixture;

TEST_F(PalDock, TheCommandShowsThePaletteTheProgramKeeps)
{
    QAction* show = main().action(QStringLiteral("actShowPalWindow"));
    ASSERT_NE(show, nullptr);
    main().refreshActions();
    ASSERT_TRUE(show->isEnabled());
    QDockWidget* dock = main().docks().dockOf(QStringLiteral("actShowPalWindow"));
    ASSERT_NE(dock, nullptr);
    show->setChecked(true);
    show->trigger(); // unchecks
    EXPECT_TRUE(dock->isHidden());
    show->trigger();
    EXPECT_FALSE(dock->isHidden());
    CPalette& palette = *shell->context().palette;
    EXPECT_GT(palette.count(), 0);
    ASSERT_FALSE(shell->context().profile.fileIO.palFile.empty());
    // An edit goes back to the palette's file at exit.
    const int32_t count = palette.count();
    ASSERT_TRUE(palette.remove(0));
    shell->finish();
    const TPalRead read = readPaletteFile(shell->context().profile.fileIO.palFile);
    EXPECT_EQ(read.result, count - 1);
}

} // namespace
} // namespace qm::ui::test

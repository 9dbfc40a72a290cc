// The tone window and the pattern window on the running main window: creating tones through the
// dialog, the list commands, the option panel, tone sets saved and loaded, and patterns taken
// from the picture or its selection.
#include "window_fixture.h"

#include "tone/tone_set_file.h"
#include "ui/pattern_window.h"
#include "ui/tone_window.h"
#include "ui/ui_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include <cstring>
#include <memory>
#include <vector>

namespace qm::ui::test {
namespace {

// What a pattern holds that a tone set keeps.
struct TPatternState {
    PatKind kind;
    std::string name;
    int32_t originX, originY, scale;
    bool inverted;
    std::vector<uint8_t> pixels;
    SToneAttr attr;
};

TPatternState stateOf(const CPatObj& p)
{
    TPatternState s{p.kind(), p.name(), p.originX(), p.originY(), p.scale(), p.inverted(), {}, {}};
    const TChannel& c = p.channel();
    for (int32_t y = 0; y < c.height(); ++y)
        s.pixels.insert(s.pixels.end(), c.row(y), c.row(y) + c.width());
    if (p.kind() == PatKind::Tone) s.attr = static_cast<const CPat8Tone&>(p).attr();
    return s;
}

void expectSame(const TPatternState& a, const TPatternState& b)
{
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.originX, b.originX);
    EXPECT_EQ(a.originY, b.originY);
    EXPECT_EQ(a.scale, b.scale);
    EXPECT_EQ(a.inverted, b.inverted);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_EQ(a.attr, b.attr);
}

class ToneWindow : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        win = std::make_unique<TToneWindow>(shell->context(),
                                            [this] { return main().activeDrawWindow(); });
        win->refresh();
        list = shell->context().tones.get();
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override
    {
        win.reset();
        WindowFixture::TearDown();
    }

    // Runs the creation dialog with the fields filled in as given.
    bool createThroughDialog(int shape, const QStringList& fields, bool accept = true)
    {
        win->execDialog = [&](TTonePatDlg& dialog) {
            dialog.shapeBox()->setCurrentIndex(shape);
            for (int i = 0; i < fields.size(); ++i)
                dialog.field(i)->setText(fields[i]);
            return accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        const int32_t before = list->count();
        win->actToneCreate();
        return list->count() == before + 1;
    }
    bool waitForMessages(qsizetype n)
    {
        return waitFor([&] { return hook.shown.size() >= n; }, 3000);
    }

    std::unique_ptr<TToneWindow> win;
    CToneMngr* list = nullptr;
};

TEST_F(ToneWindow, ADialogToneJoinsTheListAsCurrentWithItsAttributesAndAutomaticName)
{
    const int32_t before = list->count();
    ASSERT_TRUE(createThroughDialog(1, {"300", "30", "30", "0", "0"}));
    ASSERT_EQ(list->count(), before + 1);
    EXPECT_EQ(list->currentIndex(), before);
    EXPECT_EQ(win->list()->count(), list->count());
    EXPECT_EQ(win->list()->currentRow(), list->count() - 1);

    const CPatObj* p = list->current();
    ASSERT_EQ(p->kind(), PatKind::Tone);
    const SToneAttr& a = static_cast<const CPat8Tone*>(p)->attr();
    EXPECT_EQ(a.shape, 1);
    EXPECT_FLOAT_EQ(a.dpi, 300.0f);
    EXPECT_FLOAT_EQ(a.lines, 30.0f);
    EXPECT_FLOAT_EQ(a.percent, 30.0f);
    EXPECT_EQ(a.flag, 1);
    // "%s %dL %d%% %dD %d, %ddpi" with the shape's name.
    EXPECT_EQ(p->name(), "Dot 30L 30% 0D 0, 300dpi");

    // Period 10 at angle 0: a 60 × 60 corner holds 36 whole cells, about 30 % inked.
    const TChannel& tile = p->channel();
    ASSERT_GE(tile.width(), 60);
    int64_t ink = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
            ink += tile.row(y)[x];
    EXPECT_NEAR(double(ink) / (255.0 * 3600.0), 0.3, 0.08) << ink;

    // Painting follows the current tone: the working pattern is this tone.
    ASSERT_NE(list->working(), nullptr);
    EXPECT_EQ(list->working()->kind(), PatKind::Tone);

    // A cancelled dialog adds nothing; clicking another row makes that one current.
    EXPECT_FALSE(createThroughDialog(0, {}, false));
    win->list()->setCurrentRow(0);
    EXPECT_EQ(list->currentIndex(), 0);
}

TEST_F(ToneWindow, TheDialogReportsBadInputAndClampsToTheRanges)
{
    TTonePatDlg dialog(SToneAttr{}, shell->context());
    // The defaults.
    EXPECT_EQ(dialog.field(0)->text(), "300");
    EXPECT_EQ(dialog.field(1)->text(), "55");
    EXPECT_EQ(dialog.field(2)->text(), "10");
    EXPECT_EQ(dialog.field(3)->text(), "0");
    EXPECT_EQ(dialog.field(4)->text(), "0");
    EXPECT_TRUE(dialog.autoNameBox()->isChecked());
    EXPECT_EQ(dialog.nameEdit()->text(), "Round 55L 10% 0D 0, 300dpi");

    hook.shown.clear();
    dialog.field(1)->setText("5x");
    EXPECT_FLOAT_EQ(dialog.confirmField(1), 55.0f);
    EXPECT_EQ(dialog.field(1)->text(), "55");
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(hook.shown[0], uiText("不正な文字により数値を読みとれません！"));

    dialog.field(0)->setText("700");
    EXPECT_FLOAT_EQ(dialog.confirmField(0), 600.0f);
    ASSERT_TRUE(waitForMessages(2));
    EXPECT_EQ(hook.shown[1], uiText("%sは %d ～ %d にしてください！",
                                    {uiText("DPI"), QStringLiteral("72"), QStringLiteral("600")}));

    dialog.field(4)->setText("-3");
    EXPECT_FLOAT_EQ(dialog.confirmField(4), 0.0f);
    ASSERT_TRUE(waitForMessages(3));
    EXPECT_EQ(hook.shown[2], uiText("%sは %d ～ %d にしてください！",
                                    {uiText("ぼかし"), QStringLiteral("0"), QStringLiteral("40")}));

    // The automatic name follows the fields; switched off, the typed name is kept.
    dialog.field(2)->setText("25.7");
    dialog.field(3)->setText("45");
    SToneAttr a = dialog.attr();
    EXPECT_EQ(a.name, "Round 55L 25% 45D 0, 600dpi");
    dialog.autoNameBox()->setChecked(false);
    dialog.nameEdit()->setText(QStringLiteral("mine"));
    a = dialog.attr();
    EXPECT_EQ(a.name, "mine");
    EXPECT_FLOAT_EQ(a.percent, 25.7f);
    EXPECT_FALSE(dialog.preview()->pixmap().isNull());
}

TEST_F(ToneWindow, InvalidGeometryIsReportedAndAddsNothing)
{
    // 600 dpi at 2 lines: a period of 300 pixels, beyond what a tile can hold.
    hook.shown.clear();
    EXPECT_FALSE(createThroughDialog(0, {"600", "2", "10", "0", "0"}));
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(hook.shown[0], uiText("操作に失敗しました！"));
}

TEST_F(ToneWindow, DuplicateInvertAndDelete)
{
    ASSERT_TRUE(createThroughDialog(1, {"300", "30", "20", "0", "0"}));
    const int32_t n = list->count();
    const TPatternState original = stateOf(*list->current());
    const int32_t serial = list->current()->serial();

    win->actToneDuplicate();
    ASSERT_EQ(list->count(), n + 1);
    EXPECT_EQ(list->currentIndex(), n);
    expectSame(stateOf(*list->current()), original);
    EXPECT_NE(list->current()->serial(), serial);

    // Inverting flips every looked-up value of the current pattern only.
    const uint8_t before = list->current()->ValueAt(3, 4);
    win->actToneNega();
    EXPECT_TRUE(list->current()->inverted());
    EXPECT_EQ(list->current()->ValueAt(3, 4), uint8_t(before ^ 255));
    EXPECT_FALSE(list->at(n - 1)->inverted());
    // The thumbnail shows it.
    const QImage shown = win->list()->item(n)->icon().pixmap(win->unitSize()).toImage();
    const QImage plain = win->list()->item(n - 1)->icon().pixmap(win->unitSize()).toImage();
    EXPECT_NE(shown, plain);
    win->actToneNega();
    EXPECT_FALSE(list->current()->inverted());

    win->actToneDelete();
    EXPECT_EQ(list->count(), n);
    EXPECT_EQ(win->list()->count(), n);
    EXPECT_EQ(list->currentIndex(), n - 1);
}

TEST_F(ToneWindow, ThumbnailSizesAndTheOptionPanel)
{
    win->actToneUnitL();
    EXPECT_EQ(win->list()->iconSize(), QSize(64, 64));
    win->actToneUnitS();
    EXPECT_EQ(win->list()->iconSize(), QSize(32, 32));
    EXPECT_EQ(shell->context().profile.windowInt("toneWinUnitX"), 32);

    const bool wasShown = win->panelShown();
    win->actToneShowPanel();
    EXPECT_NE(win->panelShown(), wasShown);
    EXPECT_EQ(shell->context().profile.windowBool("toneWinPanelVis"), win->panelShown());
    if (!win->panelShown()) win->actToneShowPanel();

    // A 64 × 64 bitmap pattern: origin 0..63, zoom ⌊1000 / 64⌋ = 15 .. 200.
    const int32_t bitmap = list->AddDotGrid(2, 8);
    ASSERT_GE(bitmap, 0);
    list->Select(bitmap);
    win->refresh();
    EXPECT_EQ(win->originXBox()->maximum(), 63);
    EXPECT_EQ(win->originYBox()->maximum(), 63);
    EXPECT_EQ(win->zoomBox()->minimum(), 15);
    EXPECT_EQ(win->zoomBox()->maximum(), 200);

    win->originXBox()->setValue(5);
    win->originYBox()->setValue(7);
    EXPECT_EQ(list->current()->originX(), 5);
    EXPECT_EQ(list->current()->originY(), 7);
    win->zoomBox()->setValue(150);
    EXPECT_EQ(list->current()->scale(), 150);
    // The painting pattern is the bitmap resampled to 150 %.
    ASSERT_NE(list->working(), nullptr);
    EXPECT_EQ(list->working()->width(), 96);
    win->invertBox()->setChecked(true);
    EXPECT_TRUE(list->current()->inverted());

    // A tone of 55 lines at 300 dpi: zoom ⌊55·350/300⌋ = 64 .. ⌊55·12750/300⌋ clamped to 200.
    ASSERT_TRUE(createThroughDialog(0, {"300", "55", "10", "0", "0"}));
    EXPECT_EQ(win->zoomBox()->minimum(), 64);
    EXPECT_EQ(win->zoomBox()->maximum(), 200);
    EXPECT_EQ(win->zoomBox()->value(), 100);
    EXPECT_FALSE(win->invertBox()->isChecked());
    win->zoomBox()->setValue(200);
    EXPECT_EQ(list->current()->scale(), 200);
    // Scaled to 200 %, the painting tone is configured at twice the resolution.
    ASSERT_EQ(list->working()->kind(), PatKind::Tone);
    EXPECT_FLOAT_EQ(static_cast<const CPat8Tone*>(list->working())->attr().dpi, 600.0f);
}

TEST_F(ToneWindow, SavedSetsLoadBackReplacingOrAppending)
{
    ASSERT_TRUE(createThroughDialog(7, {"200", "20", "35", "30", "5"}));
    list->SetOrigin(list->currentIndex(), 3, 4);
    list->SetInverted(list->currentIndex(), true);
    list->Select(0);
    std::vector<TPatternState> saved;
    for (int32_t i = 0; i < list->count(); ++i)
        saved.push_back(stateOf(*list->at(i)));
    const int32_t savedCurrent = list->currentIndex();

    const QString path = dir.filePath(QStringLiteral("mine"));
    win->chooseFile = [&](bool) { return path; };
    win->actToneSave();
    // The extension is added, and the set becomes the one loaded at start.
    ASSERT_TRUE(QFile::exists(path + ".qts"));
    EXPECT_EQ(shell->context().profile.fileIO.toneFile, (path + ".qts").toStdString());

    // Change the list, then load: it is the saved one again.
    win->actToneDelete();
    ASSERT_TRUE(createThroughDialog(2, {"300", "40", "60", "10", "0"}));
    win->chooseFile = [&](bool save) { return save ? QString() : path + ".qts"; };
    hook.shown.clear();
    win->actToneLoad();
    ASSERT_EQ(list->count(), int32_t(saved.size()));
    for (int32_t i = 0; i < list->count(); ++i)
        expectSame(stateOf(*list->at(i)), saved[size_t(i)]);
    EXPECT_EQ(list->currentIndex(), savedCurrent);
    EXPECT_EQ(win->list()->count(), list->count());

    // Appending keeps the list and its selection and adds the set after it.
    list->Select(1);
    win->actToneLoadAppend();
    ASSERT_EQ(list->count(), int32_t(2 * saved.size()));
    EXPECT_EQ(list->currentIndex(), 1);
    for (size_t i = 0; i < saved.size(); ++i)
        expectSame(stateOf(*list->at(int32_t(saved.size() + i))), saved[i]);
    EXPECT_EQ(win->list()->count(), list->count());
    QCoreApplication::processEvents();
    EXPECT_TRUE(hook.shown.isEmpty());
}

TEST_F(ToneWindow, ASetWithFewerPatternsThanAnnouncedSaysHowManyAreMissing)
{
    const QString path = dir.filePath(QStringLiteral("short.qts"));
    ASSERT_EQ(saveToneSet(path.toStdString(), *list), ToneSetError::None);
    const int32_t stored = list->count();
    // The header's pattern count (uint16 at +12) announces two more than the file holds.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 32);
    bytes[12] = char(stored + 2);
    bytes[13] = 0;
    file.seek(0);
    file.write(bytes);
    file.close();

    win->chooseFile = [&](bool) { return path; };
    hook.shown.clear();
    win->actToneLoad();
    EXPECT_EQ(list->count(), stored);
    ASSERT_TRUE(waitForMessages(1));
    EXPECT_EQ(hook.shown[0], QString::fromUtf8("2個のトーン集が読み込めませんでした！"));

    // A file that is not a tone set loses nothing and reports the failure.
    const QString bad = dir.filePath(QStringLiteral("bad.qts"));
    QFile junk(bad);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(64, 'x'));
    junk.close();
    win->chooseFile = [&](bool) { return bad; };
    win->actToneLoad();
    EXPECT_EQ(list->count(), stored);
    ASSERT_TRUE(waitForMessages(2));
    EXPECT_TRUE(
        hook.shown[1].startsWith(QString::fromUtf8("トーン集の読み込みに失敗しました! (err=")))
        << hook.shown[1].toStdString();
}

TEST_F(ToneWindow, APatternFromThePictureIsNamedAfterThePaper)
{
    const int32_t n = list->count();
    win->actToneCreateImage();
    ASSERT_EQ(list->count(), n + 1);
    const CPatObj* p = list->current();
    EXPECT_EQ(p->kind(), PatKind::Bitmap);
    EXPECT_EQ(p->width(), 300);
    EXPECT_EQ(p->height(), 200);
    EXPECT_EQ(p->scale(), 100);
    EXPECT_EQ(p->name(), paper().title);
    // A white paper has no ink.
    EXPECT_EQ(p->ValueAt(150, 100), 0);
}

class PatWindow : public WindowFixture {};

TEST_F(PatWindow, ThePatternComesFromTheSelectionsContentInvertedAndScaled)
{
    // A blue stroke across the paper, then a selection of a 30 × 30 square it crosses.
    press(at(20, 100));
    drag(at(150, 100));
    drag(at(280, 100));
    release(at(280, 100));
    QCoreApplication::processEvents();
    ASSERT_TRUE(paper().selectAll(true));
    CMaskData& mask = *paper().masks->CurrentMask();
    ASSERT_EQ(mask.offsetX, 0);
    ASSERT_TRUE(mask.coverage->Fill(mask.coverage->bounds(), 0));
    ASSERT_TRUE(mask.coverage->Fill(TBox{100, 80, 30, 30}, 255));
    ASSERT_TRUE(paper().hasSelection());

    CToneMngr& list = *shell->context().tones;
    const int32_t n = list.count();
    TPatWindow pat(shell->context(), [this] { return main().activeDrawWindow(); });
    ASSERT_TRUE(pat.capture());
    EXPECT_EQ(pat.picture().width(), 30);
    EXPECT_EQ(pat.picture().height(), 30);
    EXPECT_EQ(pat.nameEdit()->text().toStdString(), paper().title);
    pat.nameEdit()->setText(QStringLiteral("stroke"));
    pat.zoomBox()->setValue(50);
    bool told = false;
    pat.tonesChanged = [&] { told = true; };
    ASSERT_EQ(pat.addPattern(), n);
    EXPECT_TRUE(told);

    ASSERT_EQ(list.count(), n + 1);
    EXPECT_EQ(list.currentIndex(), n);
    const CPatObj* p = list.current();
    EXPECT_EQ(p->kind(), PatKind::Bitmap);
    EXPECT_EQ(p->name(), "stroke");
    EXPECT_EQ(p->width(), 30);
    EXPECT_EQ(p->height(), 30);
    // 50 % lies in ⌊1000 / 30⌋ = 33 .. 200.
    EXPECT_EQ(p->scale(), 50);
    EXPECT_EQ(pat.zoomBox()->value(), 50);
    // Paper row 100 is the stroke's middle (pattern row 20): dark blue becomes strong ink; the
    // white top row none.
    uint8_t v = 0;
    ASSERT_TRUE(p->channel().getValue(15, 20, v));
    EXPECT_GT(v, 150);
    ASSERT_TRUE(p->channel().getValue(15, 0, v));
    EXPECT_EQ(v, 0);

    // Without a selection the whole picture is taken.
    ASSERT_TRUE(paper().clearMask(-1, true));
    ASSERT_FALSE(paper().hasSelection());
    ASSERT_TRUE(pat.capture());
    EXPECT_EQ(pat.picture().width(), 300);
    EXPECT_EQ(pat.picture().height(), 200);
}

TEST_F(PatWindow, NothingToTakeWithoutADrawingWindow)
{
    TPatWindow pat(shell->context(), [] { return static_cast<TDrawWindowWidget*>(nullptr); });
    EXPECT_FALSE(pat.capture());
    EXPECT_FALSE(pat.addButton()->isEnabled());
    const int32_t n = shell->context().tones->count();
    EXPECT_EQ(pat.addPattern(), -1);
    EXPECT_EQ(shell->context().tones->count(), n);
}

} // namespace
} // namespace qm::ui::test

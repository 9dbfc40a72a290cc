// The text tool in a real window: a click opens the text window at the clicked point, typing
// previews over the view, a click in the drawing window moves the origin, the commit paints
// the text as one undo step, and the recording renders the same pixels in a process that
// finds no fonts at all. Japanese text renders across and down.
#include "replay_check.h"
#include "ui/text_window.h"
#include "window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace qm::ui::test {

namespace {

class TextTool : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        stroke().color = 0x3050A0u;
    }
    // Clicks the paper point with the text tool and runs `inside` on the text window once it
    // shows; `inside` must close it.
    void withTextWindow(TPoint point, int32_t submode, std::function<void(TTextWindow&)> inside)
    {
        ASSERT_TRUE(shell->context().modes.switchMode(9, submode));
        QTimer::singleShot(0, [this, inside] {
            ASSERT_TRUE(waitFor([this] { return window->findChild<TTextWindow*>() != nullptr; }));
            TTextWindow& text = *window->findChild<TTextWindow*>();
            inside(text);
            if (text.isVisible()) {
                ADD_FAILURE() << "the text window was left open";
                text.reject();
            }
        });
        press(at(float(point.x) + 0.5f, float(point.y) + 0.5f));
        release(at(float(point.x) + 0.5f, float(point.y) + 0.5f));
    }
    static TFontRecord gothic(int points, bool vertical = false)
    {
        return {vertical ? "@IPAGothic" : "IPAGothic", points, 128, false, false};
    }
    // The bounding box of the painted pixels of layer 0.
    QRect paintedBox()
    {
        QRect box;
        for (int32_t y = 0; y < paper().height; ++y)
            for (int32_t x = 0; x < paper().width; ++x)
                if (layerPixel(x, y) >> 24) box |= QRect(x, y, 1, 1);
        return box;
    }
};

} // namespace

TEST_F(TextTool, TypedTextPreviewsFollowsAClickCommitsAndUndoes)
{
    const uint32_t events = eventCount();
    const int32_t steps = paper().undoMngr->UndoCount();
    withTextWindow({20, 40}, 0, [&](TTextWindow& text) {
        EXPECT_EQ(text.origin().x, 20);
        EXPECT_EQ(text.origin().y, 40);
        text.setFontRecord(gothic(18));
        text.memo()->setPlainText(QStringLiteral("文字 ab\nかな"));
        EXPECT_FALSE(text.previewRect().isEmpty()) << "the text shows while it is typed";
        EXPECT_TRUE(paintedBox().isEmpty()) << "the preview does not touch the layer";
        // The spacing field's rules: a lone "-" waits, junk puts the last value back, empty is 0.
        QLineEdit* spacing = text.spacingField();
        spacing->setText(QStringLiteral("-"));
        emit spacing->textEdited(spacing->text());
        EXPECT_EQ(text.spacing(), 0);
        spacing->setText(QStringLiteral("-2"));
        emit spacing->textEdited(spacing->text());
        EXPECT_EQ(text.spacing(), -2);
        spacing->setText(QStringLiteral("-2x"));
        emit spacing->textEdited(spacing->text());
        EXPECT_EQ(spacing->text(), QStringLiteral("-2"));
        EXPECT_EQ(text.spacing(), -2);
        spacing->setText(QString());
        emit spacing->textEdited(spacing->text());
        EXPECT_EQ(text.spacing(), 0);
        // A click in the drawing window moves the origin and the preview with it.
        const TRect before = text.previewRect();
        press(at(60.5f, 80.5f));
        release(at(60.5f, 80.5f));
        EXPECT_EQ(text.origin().x, 60);
        EXPECT_EQ(text.origin().y, 80);
        EXPECT_EQ(text.previewRect().left - before.left, 40);
        EXPECT_EQ(text.previewRect().top - before.top, 40);
        EXPECT_TRUE(paintedBox().isEmpty()) << "the click reached no tool";
        text.findChild<QPushButton*>(QStringLiteral("ButtonCommit"))->click();
    });
    EXPECT_EQ(eventCount(), events + 1);
    EXPECT_EQ(paper().undoMngr->UndoCount(), steps + 1);
    const QRect painted = paintedBox();
    ASSERT_FALSE(painted.isEmpty());
    // Two lines from the origin at (60, 80): the first line's baseline is at y 80.
    EXPECT_GE(painted.left(), 60);
    EXPECT_LT(painted.top(), 80);
    EXPECT_GT(painted.bottom(), 80 + 10) << "the second line lies below the first";
    // The pen's colour where the glyphs are solid.
    int solid = 0;
    for (int32_t y = painted.top(); y <= painted.bottom(); ++y)
        for (int32_t x = painted.left(); x <= painted.right(); ++x)
            if ((layerPixel(x, y) >> 24) == 255) {
                EXPECT_EQ(layerPixel(x, y) & 0xFFFFFFu, 0x3050A0u);
                ++solid;
            }
    EXPECT_GT(solid, 20);
    // The settings keep the font and the text for next time.
    EXPECT_EQ(shell->context().profile.font.face, "IPAGothic");
    EXPECT_EQ(shell->context().profile.font.text, "文字 ab\r\nかな");

    // The recording renders the same pixels where fontconfig finds no fonts at all.
    const QString noFonts = dir.filePath(QStringLiteral("nofonts"));
    ASSERT_TRUE(QDir().mkpath(noFonts));
    const QString config = dir.filePath(QStringLiteral("fonts.conf"));
    {
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("<?xml version=\"1.0\"?><fontconfig><dir>%1</dir>"
                               "<cachedir>%1</cachedir></fontconfig>")
                    .arg(noFonts)
                    .toUtf8());
    }
    qputenv("FONTCONFIG_FILE", config.toLocal8Bit());
    expectReplayMatches(*window);
    expectRenderMatches(main(), *window, dir.path(), QStringLiteral("text"));
    qunsetenv("FONTCONFIG_FILE");

    main().action(QStringLiteral("actEditUndo"))->trigger();
    EXPECT_TRUE(paintedBox().isEmpty());
}

TEST_F(TextTool, VerticalTextRunsDownAndBlankTextCommitsNothing)
{
    const uint32_t events = eventCount();
    withTextWindow({150, 20}, 0, [&](TTextWindow& text) {
        text.setFontRecord(gothic(14));
        text.memo()->setPlainText(QStringLiteral("   "));
        EXPECT_TRUE(text.previewRect().isEmpty());
        text.findChild<QPushButton*>(QStringLiteral("ButtonCommit"))->click();
        EXPECT_TRUE(text.isVisible()) << "nothing to commit";
        text.findChild<QCheckBox*>(QStringLiteral("CheckVertical"))->setChecked(true);
        EXPECT_EQ(text.fontRecord().face, "@IPAGothic");
        text.memo()->setPlainText(QStringLiteral("縦書きの文"));
        text.findChild<QPushButton*>(QStringLiteral("ButtonCommit"))->click();
    });
    EXPECT_EQ(eventCount(), events + 1);
    const QRect painted = paintedBox();
    ASSERT_FALSE(painted.isEmpty());
    EXPECT_GT(painted.height(), 3 * painted.width()) << "five characters down one column";
    EXPECT_GE(painted.top(), 20);

    // Into the selection: the text becomes the mask, the layer stays as it is.
    const TMTC layer = qm::test::flatLayer(*paper().layer(0));
    withTextWindow({20, 150}, 1, [&](TTextWindow& text) {
        text.setFontRecord(gothic(14));
        text.memo()->setPlainText(QStringLiteral("選択"));
        text.findChild<QPushButton*>(QStringLiteral("ButtonCommit"))->click();
    });
    EXPECT_TRUE(paper().hasSelection());
    EXPECT_TRUE(qm::test::sameImage(qm::test::flatLayer(*paper().layer(0)), layer));
    expectReplayMatches(*window);
}

TEST_F(TextTool, CloseRemovesThePreviewAndRecordsNothing)
{
    const uint32_t events = eventCount();
    withTextWindow({30, 60}, 0, [&](TTextWindow& text) {
        text.setFontRecord(gothic(16));
        text.memo()->setPlainText(QStringLiteral("abc"));
        EXPECT_FALSE(text.previewRect().isEmpty());
        text.findChild<QPushButton*>(QStringLiteral("ButtonClose"))->click();
        EXPECT_TRUE(text.previewRect().isEmpty());
    });
    EXPECT_EQ(eventCount(), events);
    EXPECT_TRUE(paintedBox().isEmpty());
}

} // namespace qm::ui::test

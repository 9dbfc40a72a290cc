// Work survives a sudden end: the real program draws from synthetic input, is killed in the
// middle of a stroke, and the next start restores the paper exactly as its committed strokes
// left it.
#include "ui/recovery_dialog.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <fstream>
#include <iterator>

namespace qm::ui::test {

namespace {

constexpr int kStrokes = 3;

// The committed strokes: across the paper, one below the other.
QStringList strokeLines(int k)
{
    const int y = 30 + 50 * k;
    QStringList lines{QStringLiteral("press 20 %1").arg(y)};
    for (int i = 1; i <= 15; ++i)
        lines << QStringLiteral("move %1 %2").arg(20 + 10 * i).arg(y + i);
    lines << QStringLiteral("release 170 %1").arg(y + 15);
    return lines;
}

// What the killed program was told to do: the strokes, then one that goes on for seconds.
QString writeScript(const QString& path)
{
    QStringList lines{QStringLiteral("paper 300 200"), QStringLiteral("wait 100")};
    for (int k = 0; k < kStrokes; ++k)
        lines << strokeLines(k) << QStringLiteral("wait 30");
    lines << QStringLiteral("press 30 170");
    for (int i = 0; i < 600; ++i)
        lines << QStringLiteral("move %1 %2").arg(30 + i % 240).arg(170 + i % 20)
              << QStringLiteral("wait 10");
    lines << QStringLiteral("release 40 170") << QStringLiteral("wait 60000");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text));
    file.write(lines.join(QLatin1Char('\n')).toUtf8());
    return path;
}

std::vector<std::string> journalsIn(const QString& folder)
{
    std::vector<std::string> found;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.qmj")}, QDir::Files))
        found.push_back(QDir(folder).filePath(name).toStdString());
    return found;
}

bool readJournalFile(const std::string& path, TJournalContents& contents)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    return readJournal(bytes, contents);
}

} // namespace

class JournalRecovery : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        previousState = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")).toLocal8Bit());
        journals = QString::fromStdString(journalFolder());
        settings = dir.filePath(QStringLiteral("settings.ini"));
        setMessageHook(&hook);
    }
    void TearDown() override
    {
        setRecoveryChooser(nullptr);
        setMessageHook(nullptr);
        qputenv("XDG_STATE_HOME", previousState);
    }
    std::unique_ptr<TApplicationShell> startShell()
    {
        auto shell =
            std::make_unique<TApplicationShell>(std::make_unique<TQtSettingsStore>(settings));
        shell->start();
        shell->mainWindow().resize(1000, 800);
        shell->mainWindow().show();
        return shell;
    }
    // The same strokes drawn by hand in this process, through the same window code.
    void drawReference(TMainForm& main)
    {
        TDrawWindowWidget* w = main.newPaper(QStringLiteral("reference"), 300, 200);
        ASSERT_NE(w, nullptr);
        QCoreApplication::processEvents();
        for (int k = 0; k < kStrokes; ++k)
            for (const QString& line : strokeLines(k)) {
                const QStringList word = line.split(QLatin1Char(' '));
                const TPointF at = w->paper().paperToWindow(w->width(), w->height(),
                                                            word[1].toFloat(), word[2].toFloat());
                const QPointF pos(at.x, at.y);
                const QEvent::Type type =
                    word[0] == QLatin1String("press")     ? QEvent::MouseButtonPress
                    : word[0] == QLatin1String("release") ? QEvent::MouseButtonRelease
                                                          : QEvent::MouseMove;
                QMouseEvent event(type, pos, w->mapToGlobal(pos),
                                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                                  type == QEvent::MouseButtonRelease ? Qt::NoButton
                                                                     : Qt::LeftButton,
                                  Qt::NoModifier);
                QApplication::sendEvent(w, &event);
            }
        reference = w;
    }

    QTemporaryDir dir;
    QByteArray previousState;
    QString journals, settings;
    TMessageHook hook;
    TDrawWindowWidget* reference = nullptr;
};

TEST_F(JournalRecovery, AProgramKilledMidStrokeComesBackWithEveryCommittedStroke)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), dir.filePath(QStringLiteral("state")));
    env.insert(QStringLiteral("QUILLMERE_SETTINGS_FILE"), settings);
    env.insert(QStringLiteral("QUILLMERE_INSTANCE_NAME"),
               QStringLiteral("journal-%1").arg(QCoreApplication::applicationPid()));
    env.insert(QStringLiteral("QUILLMERE_INPUT_SCRIPT"),
               writeScript(dir.filePath(QStringLiteral("input.txt"))));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QUILLMERE_EXECUTABLE), {});
    ASSERT_TRUE(program.waitForStarted());

    // Once the strokes are in the journal the long one is under way: kill it there.
    const uint32_t committed = 2 + kStrokes; // the paper and its layer, then each stroke
    TJournalContents seen;
    ASSERT_TRUE(waitFor(
        [&] {
            const std::vector<std::string> found = journalsIn(journals);
            return found.size() == 1 && readJournalFile(found[0], seen) &&
                   seen.recording.eventCount >= committed;
        },
        30000));
    QThread::msleep(400);
    ::kill(pid_t(program.processId()), SIGKILL);
    ASSERT_TRUE(program.waitForFinished());
    ASSERT_EQ(journalsIn(journals).size(), 1u) << "a killed program leaves its journal";
    ASSERT_TRUE(readJournalFile(journalsIn(journals)[0], seen));
    EXPECT_EQ(seen.recording.eventCount, committed) << "the stroke in progress is not committed";

    // The next start offers the paper and restores it.
    std::unique_ptr<TApplicationShell> shell = startShell();
    TMainForm& main = shell->mainWindow();
    size_t offered = 0;
    setRecoveryChooser([&](const std::vector<TRecoverablePaper>& papers) {
        offered = papers.size();
        EXPECT_EQ(papers[0].contents.about.width, 300);
        EXPECT_TRUE(papers[0].contents.about.thumbnail.IsValid());
        return std::optional<std::vector<size_t>>(std::vector<size_t>{0});
    });
    ASSERT_EQ(offerRecovery(main, journals.toStdString()), 1);
    EXPECT_EQ(offered, 1u);
    ASSERT_EQ(main.drawWindows().size(), 1u);
    TDrawWindowWidget* restored = main.drawWindows().front();
    EXPECT_TRUE(restored->path().isEmpty()) << "untitled: a plain save asks where";
    EXPECT_NE(QString::fromStdString(restored->paper().title).indexOf(QStringLiteral("script")),
              -1);
    EXPECT_TRUE(restored->modified);

    drawReference(main);
    ASSERT_NE(reference, nullptr);
    TPaper& a = restored->paper();
    TPaper& b = reference->paper();
    ASSERT_EQ(a.layerCount(), b.layerCount());
    int differing = 0, painted = 0;
    for (int32_t i = 0; i < a.layerCount(); ++i)
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x) {
                const uint32_t p = a.layer(i)->image()->GetPixelOrDefault(x, y);
                differing += p != b.layer(i)->image()->GetPixelOrDefault(x, y);
                painted += (p >> 24) != 0;
            }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(painted, 300) << "the strokes are there";

    // The old journal is gone; the restored paper records on into a journal of its own.
    EXPECT_EQ(reference->document().events().eventCount(), committed);
    const uint32_t events = restored->document().events().eventCount();
    EXPECT_EQ(events, committed);
    restored->paper().setPaperColor(0xE0E0F0, true);
    EXPECT_GT(restored->document().events().eventCount(), events) << "recording goes on";
    ASSERT_EQ(journalsIn(journals).size(), 2u) << "one for each open paper";
    // Closed normally, nothing is left.
    for (TDrawWindowWidget* w : main.drawWindows())
        w->modified = false;
    shell.reset();
    EXPECT_TRUE(journalsIn(journals).empty());
}

TEST_F(JournalRecovery, TheDialogRestoresTheTickedPapersOrKeepsThemForLater)
{
    // Two papers whose program is gone: copies of living journals carry no lock.
    {
        std::unique_ptr<TApplicationShell> shell = startShell();
        for (int n = 0; n < 2; ++n) {
            TDrawWindowWidget* w =
                shell->mainWindow().newPaper(QStringLiteral("paper %1").arg(n), 120 + n, 80);
            ASSERT_NE(w, nullptr);
            w->paper().setPaperColor(0x102030u * uint32_t(n + 1), true);
            ASSERT_NE(w->journal()->file(), nullptr);
            w->journal()->file()->waitSynced();
            ASSERT_TRUE(QFile::copy(QString::fromStdString(w->journal()->file()->path()),
                                    journals + QStringLiteral("/left%1.qmj").arg(n)));
            w->modified = false;
        }
    }
    ASSERT_EQ(journalsIn(journals).size(), 2u) << "the living ones went with their windows";

    std::unique_ptr<TApplicationShell> shell = startShell();
    TMainForm& main = shell->mainWindow();
    whenOpen<TRecoveryDialog>([](TRecoveryDialog& dialog) {
        ASSERT_EQ(dialog.list->count(), 2);
        EXPECT_TRUE(dialog.list->item(0)->text().contains(QStringLiteral("paper 0")));
        EXPECT_TRUE(dialog.list->item(1)->text().contains(QStringLiteral("121")));
        EXPECT_FALSE(dialog.list->item(0)->icon().isNull()) << "its thumbnail";
        for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
            if (b->text().contains(QStringLiteral("Later")))
                b->click();
    });
    EXPECT_EQ(offerRecovery(main, journals.toStdString()), 0);
    EXPECT_EQ(journalsIn(journals).size(), 2u) << "kept for the next start";

    whenOpen<TRecoveryDialog>([](TRecoveryDialog& dialog) {
        dialog.list->item(0)->setCheckState(Qt::Unchecked);
        for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
            if (b->text().contains(QStringLiteral("Restore")))
                b->click();
    });
    EXPECT_EQ(offerRecovery(main, journals.toStdString()), 1);
    ASSERT_EQ(main.drawWindows().size(), 1u);
    TPaper& restored = main.drawWindows().front()->paper();
    EXPECT_EQ(restored.width, 121);
    EXPECT_EQ(restored.paperColor, 0x204060u);
    // The one left unticked is discarded; the restored paper journals on by itself.
    const std::vector<std::string> left = journalsIn(journals);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0], main.drawWindows().front()->journal()->file()->path());
    main.drawWindows().front()->modified = false;
}

} // namespace qm::ui::test

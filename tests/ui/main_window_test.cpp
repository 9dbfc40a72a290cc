#include "files/command_line.h"
#include "window_fixture.h"

#include <QFile>
#include <QInputDialog>
#include <QProcess>
#include <QTimer>

namespace qm::ui::test {

using MainWindow = WindowFixture;

namespace {

// The modal input dialog that is open now, if any.
QInputDialog* openInputDialog()
{
    if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget()))
        return dialog;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QInputDialog*>(w); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

} // namespace

TEST_F(MainWindow, EveryCommandWithARuleHasItsAction)
{
    // A misspelt name on either side would leave a command for ever disabled.
    const QStringList names = main().actionNames();
    for (std::string_view name : ruledCommands()) {
        const QString action = QString::fromLatin1(name.data(), qsizetype(name.size()));
        EXPECT_TRUE(names.contains(action)) << name;
    }
    // And every action has its rule (none stays disabled for want of one).
    const std::vector<std::string_view> ruled = ruledCommands();
    for (const QString& name : names)
        EXPECT_TRUE(std::find(ruled.begin(), ruled.end(), name.toStdString()) != ruled.end())
            << name.toStdString();
}

TEST_F(MainWindow, ThePaperResolutionDialogOffers72To600FromThePapersValue)
{
    struct Seen {
        bool found = false;
        QString title;
        int low = 0, high = 0, value = 0;
    };
    // Answers the dialog once it is open: notes what it offers, then enters `dpi`.
    auto answer = [](Seen& seen, int dpi) {
        QTimer::singleShot(0, [&seen, dpi] {
            QInputDialog* dialog = openInputDialog();
            if (!dialog)
                return;
            seen = {true, dialog->windowTitle(), dialog->intMinimum(), dialog->intMaximum(),
                    dialog->intValue()};
            dialog->setIntValue(dpi);
            dialog->accept();
        });
    };
    paper().dpi = 0;
    main().refreshActions();
    Seen first;
    answer(first, 300);
    main().action(QStringLiteral("actEditChgDPI"))->trigger();
    ASSERT_TRUE(first.found);
    EXPECT_EQ(first.title, uiText("用紙DPIの変更"));
    EXPECT_EQ(first.low, 72);
    EXPECT_EQ(first.high, 600);
    EXPECT_EQ(first.value, 72) << "a paper without a resolution starts at 72";
    EXPECT_EQ(paper().dpi, 300);
    EXPECT_TRUE(window->modified);

    // The next time it starts at the paper's value; nothing above 600 is taken.
    Seen second;
    answer(second, 2000);
    main().action(QStringLiteral("actEditChgDPI"))->trigger();
    ASSERT_TRUE(second.found);
    EXPECT_EQ(second.value, 300);
    EXPECT_EQ(paper().dpi, 600);
}

TEST_F(MainWindow, AProtectedRecordingPlaysLockedAndClosesWithoutAsking)
{
    press(at(20, 100));
    drag(at(150, 100));
    drag(at(280, 100));
    release(at(280, 100));
    const uint32_t painted = layerPixel(150, 100);
    ASSERT_EQ(painted >> 24, 255u);
    const QString path = dir.filePath(QStringLiteral("guarded.qm3"));
    ASSERT_TRUE(main().saveEvents(window, path, true));

    ASSERT_TRUE(main().openByPath(path));
    TDrawWindowWidget* replay = main().activeDrawWindow();
    ASSERT_NE(replay, window);
    ASSERT_TRUE(waitFor([&] { return !replay->document().replaying(); }));
    EXPECT_EQ(replay->paper().locked, 1);
    EXPECT_EQ(replay->paper().layer(0)->image()->GetPixelOrDefault(150, 100), painted)
        << "played to the end";
    EXPECT_FALSE(replay->paper().eventMngr->isRecording()) << "a protected recording takes no more";
    EXPECT_TRUE(replay->caption().contains(QStringLiteral("<LOCKED>")));

    // Drawing on the locked paper changes it, but it is never reported as modified.
    TDrawWindowWidget* original = window;
    window = replay;
    press(at(20, 20));
    drag(at(120, 20));
    release(at(120, 20));
    window = original;
    EXPECT_EQ(replay->paper().layer(0)->image()->GetPixelOrDefault(70, 20) >> 24, 255u);
    EXPECT_FALSE(replay->reportsModified());
    EXPECT_FALSE(replay->caption().endsWith(QStringLiteral("*"))) << replay->caption().toStdString();

    hook.shown.clear();
    hook.answer = false; // were it asked, it would not save
    replay->parentWidget()->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(hook.shown.isEmpty()) << "nobody is asked to save it";
    EXPECT_EQ(main().drawWindows().size(), 1);

    // The on-screen viewer plays it too, to the end.
    QProcess viewer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUILLMERE_SETTINGS_FILE"), dir.filePath(QStringLiteral("v.ini")));
    viewer.setProcessEnvironment(env);
    viewer.start(QStringLiteral(QUILLMERE_EXECUTABLE), {QStringLiteral("-viewer"), path});
    ASSERT_TRUE(viewer.waitForFinished(60000));
    EXPECT_EQ(viewer.exitCode(), 13);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("guarded.prt"))));
}

TEST_F(MainWindow, StoppingTheViewersReplayReportsItsEndAndOnlyAFailureIsBad)
{
    const QString path = dir.filePath(QStringLiteral("view.qm3"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLMERE_TEST_DATA "/recordings/landscape.qm3"), path));
    TCommandLine line;
    line.render = line.viewer = true;
    line.files = {path.toStdString()};
    const std::string base = dir.filePath(QStringLiteral("view")).toStdString();
    bool marker = false;
    int exitCode = -1;
    main().closeWithoutAsking = true;
    main().viewerFinished = [&](TReplayEnd end) {
        exitCode = finishViewerRun(main(), line, base, end, marker);
    };
    ASSERT_TRUE(main().openByPath(path));
    TDrawWindowWidget* replay = main().activeDrawWindow();
    ASSERT_TRUE(replay->document().replaying());
    hook.answer = true; // yes, stop
    replay->requestStopReplay();
    EXPECT_FALSE(replay->replayOpen());
    EXPECT_EQ(exitCode, 13) << "a stopped replay has ended, it has not failed";
    EXPECT_FALSE(marker);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("view.bad"))));

    // A replay whose step failed reports 10 with its marker.
    EXPECT_EQ(finishViewerRun(main(), line, base, TReplayEnd::failed, marker), 10);
    EXPECT_TRUE(marker);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("view.bad"))));
    main().viewerFinished = nullptr;
}

} // namespace qm::ui::test

#include "ui/single_instance.h"
#include "window_fixture.h"

#include <QEventLoop>
#include <QLocalSocket>
#include <QSettings>
#include <QProcess>
#include <QScreen>
#include <QTimer>

namespace qm::ui::test {

TEST(ApplicationShell, SettingsWrittenAtExitAreReadAtTheNextStart)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    {
        TApplicationShell shell(std::make_unique<TQtSettingsStore>(ini));
        shell.start();
        EXPECT_EQ(shell.context().profile.config.gridW, 25) << "the default on a first start";
        shell.context().profile.config.gridW = 40;
        shell.context().profile.config.mouseMBtnFunc = 4;
        shell.context().liveStroke.color = 0x123456;
        // Within the offscreen screen: a stored size is clamped to the screen's.
        shell.mainWindow().resize(700, 500);
        shell.finish();
    }
    TApplicationShell shell(std::make_unique<TQtSettingsStore>(ini));
    shell.start();
    EXPECT_EQ(shell.context().profile.config.gridW, 40);
    EXPECT_EQ(shell.context().profile.config.mouseMBtnFunc, 4);
    EXPECT_EQ(shell.context().liveStroke.color, 0x123456u);
    EXPECT_EQ(shell.context().profile.windowInt("mainWinW"), 700);
    // Sections are groups of the settings file.
    QSettings file(ini, QSettings::IniFormat);
    EXPECT_EQ(file.value(QStringLiteral("config/gridW")).toInt(), 40);
}

TEST(ApplicationShell, TheStartUpFactsComeFromTheScreensAndTheProcessor)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    {
        QSettings file(ini, QSettings::IniFormat);
        file.setValue(QStringLiteral("window/mainWinW"), 100000);
        file.setValue(QStringLiteral("window/mainWinH"), 100);
    }
    TApplicationShell shell(std::make_unique<TQtSettingsStore>(ini));
    shell.start();
    const CAppProfile& profile = shell.context().profile;
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(profile.facts.screenWidth, screen->size().width());
    EXPECT_EQ(profile.facts.screenHeight, screen->size().height());
    EXPECT_EQ(profile.facts.monitorCount, std::max<int>(1, int(QGuiApplication::screens().size())));
    // A stored size is kept within 200 and the screen.
    EXPECT_EQ(profile.windowInt("mainWinW"), screen->size().width());
    EXPECT_EQ(profile.windowInt("mainWinH"), 200);
#if defined(__x86_64__)
    EXPECT_GT(profile.facts.processorClock, 1e8) << "measured at start-up";
#endif
    // Nothing stored: the smooth zoom follows the clock.
    EXPECT_EQ(profile.config.useZoomAntialias, profile.facts.processorClock > 1e9);
}

TEST(SingleInstance, ASecondStartHandsItsFilesToTheFirstAndExits)
{
    const QString name = QStringLiteral("quillmere-test-%1").arg(QCoreApplication::applicationPid());
    TSingleInstance first(name);
    ASSERT_TRUE(first.listen());
    QStringList received;
    first.openPath = [&](const QString& path) {
        received << path;
        return true;
    };
    bool raised = false;
    first.raise = [&] { raised = true; };

    QTemporaryDir dir;
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLMERE_INSTANCE_NAME"), name);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUILLMERE_SETTINGS_FILE"), dir.filePath(QStringLiteral("s.ini")));
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(dir.path());
    QEventLoop loop;
    QObject::connect(&second, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    second.start(QStringLiteral(QUILLMERE_EXECUTABLE), {QStringLiteral("a.qmp"), QStringLiteral("b.qm3")});
    loop.exec();

    ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second start must end by itself";
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0], dir.filePath(QStringLiteral("a.qmp")));
    EXPECT_EQ(received[1], dir.filePath(QStringLiteral("b.qm3")));
    EXPECT_TRUE(raised);
}

TEST(ApplicationShell, TheViewerReplaysOnScreenReportsAndCloses)
{
    QTemporaryDir dir;
    QProcess viewer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUILLMERE_SETTINGS_FILE"), dir.filePath(QStringLiteral("s.ini")));
    viewer.setProcessEnvironment(env);
    viewer.start(QStringLiteral(QUILLMERE_EXECUTABLE),
                 {QStringLiteral("-viewer"), QStringLiteral(QUILLMERE_TEST_DATA "/recordings/landscape.qm3")});
    ASSERT_TRUE(viewer.waitForFinished(60000));
    EXPECT_EQ(viewer.exitCode(), 13) << "the viewer's status: replay ended";
    // A file that is not there: status 10 and its marker, no dialog waiting for anybody.
    viewer.start(QStringLiteral(QUILLMERE_EXECUTABLE),
                 {QStringLiteral("-viewer"), dir.filePath(QStringLiteral("gone.qm3"))});
    ASSERT_TRUE(viewer.waitForFinished(60000));
    EXPECT_EQ(viewer.exitCode(), 10);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("gone.bad"))));
}

TEST(SingleInstance, TheQueryIsAnsweredWithTheModeTagOnlyForZero)
{
    const QString name = QStringLiteral("quillmere-query-%1").arg(QCoreApplication::applicationPid());
    TSingleInstance running(name);
    ASSERT_TRUE(running.listen(QString::fromLatin1(kTagNormal)));
    QLocalSocket socket;
    socket.connectToServer(name);
    ASSERT_TRUE(waitFor([&] { return socket.state() == QLocalSocket::ConnectedState; }, 5000));
    auto ask = [&](const QByteArray& line) {
        socket.write(line + '\n');
        socket.flush();
        waitFor([&] { return socket.canReadLine(); }, 5000);
        return socket.readLine().trimmed();
    };
    EXPECT_EQ(ask("QUERY 0"), QByteArray("QM20"));
    EXPECT_EQ(ask("QUERY 1"), QByteArray("0"));
    EXPECT_EQ(ask("OPEN x"), QByteArray("0")) << "nobody to open it";
}

} // namespace qm::ui::test

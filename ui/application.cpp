#include "ui/palette_window.h"
#include "ui/application.h"

#include "ui/recovery_dialog.h"
#include "ui/scripted_input.h"

#include "app/headless.h"
#include "core/pixel_math.h"
#include "tone/grad_set_file.h"
#include "tone/tone_set_file.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"
#include "ui/single_instance.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QTabletEvent>
#include <QTimer>

#include <algorithm>
#include <filesystem>

namespace qm::ui {

namespace {

constexpr const char* kPaletteModeQuestion =
    "ﾊﾟﾚｯﾄﾓｰﾄﾞには対応していません。\r16ﾋﾞｯﾄｶﾗｰ以上(32ﾋﾞｯﾄ推奨)に設定してください。\r起動しますか?";

// The pen's colours from the settings (Windows colour values, 0x00BBGGRR).
void makeColours(TAppContext& app)
{
    app.liveStroke.resetToDefaults(0);
    app.colours = std::make_unique<CColorMngr>(
        app.liveStroke, ColorRefToPixel(uint32_t(app.profile.color.fgCol)) & 0xFFFFFF,
        ColorRefToPixel(uint32_t(app.profile.color.bgCol)) & 0xFFFFFF);
}

// The facts of the machine: the process's own, the processor clock (the smooth zoom's default
// follows it) and the screens (a stored window size is kept within the screen).
TStartupFacts gatherMachineFacts()
{
    TStartupFacts facts = gatherStartupFacts(true); // the clock is measured over 100 ms
    facts.monitorCount = std::max<int32_t>(1, int32_t(QGuiApplication::screens().size()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        facts.screenWidth = screen->size().width();
        facts.screenHeight = screen->size().height();
    }
    return facts;
}

} // namespace

bool TTabletProximity::eventFilter(QObject* watched, QEvent* event)
{
    // An ignored tablet is a mouse: a pen near it must not hold the mouse off.
    if (app_.profile.config.ignoreTablet)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::TabletEnterProximity) {
        app_.tabletInProximity = true;
        app_.lastTabletEvent = QDateTime::currentMSecsSinceEpoch();
    } else if (event->type() == QEvent::TabletLeaveProximity) {
        app_.tabletInProximity = false;
        // The pen's eraser end has gone: the pen gets back the kind it had.
        if (app_.kindBeforeEraser >= 0) {
            app_.liveStroke.setKind(app_.kindBeforeEraser);
            app_.kindBeforeEraser = -1;
            if (app_.strokeChanged)
                app_.strokeChanged();
        }
    }
    return QObject::eventFilter(watched, event);
}

TApplicationShell::TApplicationShell(std::unique_ptr<TQtSettingsStore> store)
    : store_(std::move(store)), context_(std::make_unique<TAppContext>())
{
}

TApplicationShell::~TApplicationShell()
{
    finish();
    if (proximity_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(proximity_.get());
}

void TApplicationShell::start(bool replayOnly)
{
    TAppContext& app = *context_;
    app.messages.unattended = replayOnly;
    app.profile.load(*store_, gatherMachineFacts());
    bool dropSpike = false;
    store_->readBool(CAppProfile::kConfig, "tabletDropFullSpike", dropSpike);
    app.tabletDropFullSpike = dropSpike;
    makeColours(app);
    app.tones = std::make_unique<CToneMngr>();
    startToneSet(*app.tones, app.profile.fileIO, &app.messages);
    app.gradations = std::make_unique<CGradMngr>(app.profile.config);
    startGradSet(*app.gradations, app.profile.fileIO, &app.messages);
    app.palette = std::make_unique<CPalette>();
    if (!replayOnly) startAppPalette(app, *app.palette);
    proximity_ = std::make_unique<TTabletProximity>(app);
    QCoreApplication::instance()->installEventFilter(proximity_.get());
    main_ = std::make_unique<TMainForm>(app, *store_);
    main_->replayOnly = replayOnly;
    const int left = app.profile.windowInt("mainWinX"), top = app.profile.windowInt("mainWinY");
    const int width = app.profile.windowInt("mainWinW"), height = app.profile.windowInt("mainWinH");
    if (width > 200 && height > 150)
        main_->setGeometry(left, top, width, height);
}

void TApplicationShell::finish()
{
    if (finished_ || !main_)
        return;
    finished_ = true;
    main_->saveState();
    if (!main_->replayOnly && context_->palette) saveAppPalette(*context_, *context_->palette);
    CAppProfile& profile = context_->profile;
    // ColorRefToPixel swaps red and blue, so it also turns a colour back into a Windows one.
    profile.color.fgCol = int32_t(ColorRefToPixel(context_->colours->mainColor()) & 0xFFFFFF);
    profile.color.bgCol = int32_t(ColorRefToPixel(context_->colours->secondColor()) & 0xFFFFFF);
    profile.save(*store_);
    store_->writeBool(CAppProfile::kConfig, "tabletDropFullSpike", context_->tabletDropFullSpike);
    store_->flush();
}

int finishViewerRun(TMainForm& main, const TCommandLine& line, const std::string& base,
                    TReplayEnd end, bool& markerWritten)
{
    // A replay the user stopped has ended as much as one that played out; only a failed step
    // is the bad end.
    const int code = reportRenderStatus(line, base,
                                        end == TReplayEnd::failed ? TRenderStatus::cannotOpen
                                                                  : TRenderStatus::viewerDone,
                                        markerWritten);
    QTimer::singleShot(0, &main, &QWidget::close);
    return code;
}

TExportSettings storedExportSettings()
{
    const QString settingsFile = qEnvironmentVariable("QUILLMERE_SETTINGS_FILE");
    const TQtSettingsStore store = settingsFile.isEmpty() ? TQtSettingsStore()
                                                          : TQtSettingsStore(settingsFile);
    CAppProfile profile;
    profile.load(store, gatherStartupFacts(false));
    return exportSettingsOf(profile);
}

int runApplication(int argc, char** argv, const TCommandLine& line)
{
    // Every tablet sample counts: Qt would merge them.
    QCoreApplication::setAttribute(Qt::AA_CompressTabletEvents, false);
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMERE_VERSION));

    // 1. The display: palette modes are not supported.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        if (screen->depth() < 15 && !confirm(uiText(kPaletteModeQuestion)))
            return 1;
    // 2. Switches that mean nothing: warned about, start-up goes on.
    for (const std::string& arg : line.unknownSwitches)
        showWarning(uiText("unknown command line switch!\r    arg = %s", {QString::fromStdString(arg)}));

    QStringList files;
    for (const std::string& file : line.files)
        files << QFileInfo(QString::fromStdString(file)).absoluteFilePath();

    // 3. One program per user: a later start hands its files over and ends.
    const bool replayOnly = line.viewer;
    TSingleInstance instance(qEnvironmentVariable("QUILLMERE_INSTANCE_NAME"));
    if (!replayOnly) {
        if (instance.findRunning()) {
            instance.handOver(files);
            return 0;
        }
        instance.listen();
    }

    // 4. Settings; 5. the language.
    const QString settingsFile = qEnvironmentVariable("QUILLMERE_SETTINGS_FILE");
    TApplicationShell shell(settingsFile.isEmpty() ? std::make_unique<TQtSettingsStore>()
                                                   : std::make_unique<TQtSettingsStore>(settingsFile));
    int32_t language = 0;
    shell.store().readInt(CAppProfile::kConfig, "language", language);
    if (!attachLanguage(language)) {
        showWarning(uiText("Failed to load \"%s\"!", {QStringLiteral(":/i18n/quillmere_en.qm")}));
        return 1;
    }
    // 6, 7. The windows.
    shell.start(replayOnly);
    TMainForm& main = shell.mainWindow();
    instance.openPath = [&main](const QString& path) { return main.openByPath(path); };
    instance.raise = [&main] {
        if (main.isMinimized())
            main.showNormal();
        main.raise();
        main.activateWindow();
    };

    int exitCode = 0;
    if (replayOnly) {
        // The viewer: one recording replayed on screen, then the report and the end.
        const std::string input = line.files.empty() ? std::string() : line.files.front();
        const std::filesystem::path in(input);
        const std::string base = ((line.outputFolder.empty() ? in.parent_path()
                                                             : std::filesystem::path(line.outputFolder)) /
                                  in.stem())
                                     .string();
        bool marker = false;
        main.viewerFinished = [&](TReplayEnd end) {
            exitCode = finishViewerRun(main, line, base, end, marker);
        };
        main.show();
        if (!isRecording(fileKindOf(input)) || !main.openByPath(QString::fromStdString(input)))
            return reportRenderStatus(line, base,
                                      main.lastReplayOpen == TReplayOpen::protectedRefused
                                          ? TRenderStatus::protectedRecording
                                          : TRenderStatus::cannotOpen,
                                      marker);
    } else {
        if (shell.context().profile.windowBool("mainWinMax"))
            main.showMaximized();
        else
            main.show();
        // Papers a sudden end left in journals are offered first; then the files of the
        // command line open, once the window is up.
        QTimer::singleShot(0, &main, [&main, files] {
            offerRecovery(main, journalFolder());
            for (const QString& file : files)
                main.openByPath(file);
            main.activateWindow();
        });
    }

    // Synthetic input played into the window (the crash tests drive the program with it).
    const QString script = qEnvironmentVariable("QUILLMERE_INPUT_SCRIPT");
    if (!script.isEmpty() && !replayOnly)
        playInputScript(main, script);

    // A picture of the window for the documentation (scripts/screenshot.sh).
    const QString screenshot = qEnvironmentVariable("QUILLMERE_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        // Without a window manager nothing maximises the window: fill the screen by hand.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            main.setGeometry(screen->availableGeometry());
        auto* poll = new QTimer(&main);
        QObject::connect(poll, &QTimer::timeout, &main, [&main, screenshot, poll] {
            for (TDrawWindowWidget* w : main.drawWindows())
                if (w->replayOpen())
                    return;
            poll->stop();
            QTimer::singleShot(500, &main, [&main, screenshot] {
                main.grab().save(screenshot);
                main.closeWithoutAsking = true;
                main.close();
            });
        });
        poll->start(200);
    }

    const int loop = QApplication::exec();
    shell.finish();
    return exitCode != 0 ? exitCode : loop;
}

} // namespace qm::ui

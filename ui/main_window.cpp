#include "ui/main_window.h"

#include "app/document.h"
#include "events/event_texts.h"
#include "files/paper_file.h"
#include "ui/draw_window.h"
#include "ui/new_paper_dialog.h"
#include "ui/tablet_tester.h"
#include "ui/tool_docks.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDate>
#include <QDir>
#include <QDesktopServices>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

namespace qm::ui {

namespace {

constexpr int kRecentCount = 10;
constexpr const char* kHomePage = "https://quillmere.org/";
constexpr const char* kUploadPage = "https://quillmere.org/gallery/upload";
constexpr const char* kUploadSite = "Quillmere Gallery";

// A drawing window's frame: closing asks the main window first.
class TDrawSubWindow : public QMdiSubWindow {
public:
    std::function<bool()> mayClose;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (mayClose && !mayClose()) {
            event->ignore();
            return;
        }
        QMdiSubWindow::closeEvent(event);
    }
};

QString openFilter()
{
    return QStringLiteral("All supported (*.qmp *.vkb *.qm3 *.zx3 *.qme *.vke *.bmp *.jpg *.png *.psd);;"
                          "Papers (*.qmp *.vkb);;Recordings (*.qm3 *.zx3 *.qme *.vke);;"
                          "Pictures (*.bmp *.jpg *.png *.psd);;All files (*)");
}

} // namespace

TMainForm::TMainForm(TAppContext& app, SettingsStore& store, QWidget* parent)
    : QMainWindow(parent), app_(app), store_(store)
{
    setWindowTitle(QString::fromLatin1(kMainCaption));
    setObjectName(QStringLiteral("TMainForm"));
    setAcceptDrops(true);
    mdi_ = new QMdiArea(this);
    mdi_->setViewMode(QMdiArea::SubWindowView);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    status_ = new QLabel(this);
    statusBar()->addWidget(status_, 1);
    buildActions();
    docks_ = new TToolDocks(app_, store_, *this);
    bindWindowActions();
    docks_->restore();
    // A pen sends positions far faster than anyone reads them, and each new text relays out
    // the status bar and the options window: show the newest text at most every 30 ms.
    statusTimer_.setSingleShot(true);
    statusTimer_.setInterval(30);
    connect(&statusTimer_, &QTimer::timeout, this, [this] {
        status_->setText(pendingStatus_);
        docks_->showStatus(pendingStatus_);
    });
    app_.showStatus = [this](const QString& text) {
        pendingStatus_ = text;
        if (!statusTimer_.isActive())
            statusTimer_.start();
    };
    app_.strokeChanged = [this] { docks_->strokeChanged(); };
    app_.modes.onModeChanged = [this](uint8_t) {
        for (TDrawWindowWidget* w : drawWindows())
            w->modeChanged();
        docks_->modeChanged();
    };
    loadRecent();
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] {
        docks_->follow(activeDrawWindow());
        refreshActions();
    });
    // Commands become possible or impossible as windows play, record and change; the menus
    // also re-check just before they open.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &TMainForm::refreshActions);
    timer->start(250);
    setMainWindow(this);
    resize(1200, 800);
    refreshActions();
}

TMainForm::~TMainForm()
{
    // The windows go with the base class, after this class's members: nothing may call back.
    mdi_->disconnect(this);
    for (TDrawWindowWidget* w : drawWindows())
        w->disconnect(this);
    app_.showStatus = nullptr;
    app_.strokeChanged = nullptr;
    app_.modes.onModeChanged = nullptr;
    if (app_.colours) {
        app_.colours->onChanged = nullptr;
        app_.colours->onHueChanged = nullptr;
    }
}

// ---- actions ----

QAction* TMainForm::addCommand(QMenu* menu, const char* name, const QString& text,
                               std::function<void()> run, std::function<bool()> enabled,
                               const QKeySequence& shortcut)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (run)
        connect(action, &QAction::triggered, this, [this, name] {
            const auto it = commands_.find(QString::fromLatin1(name));
            if (it != commands_.end() && it->second.run && (!it->second.enabled || it->second.enabled()))
                it->second.run();
            refreshActions();
        });
    menu->addAction(action);
    commands_[QString::fromLatin1(name)] = {action, std::move(run), std::move(enabled)};
    return action;
}

void TMainForm::addPlaceholders(QMenu* menu, std::initializer_list<const char*> names)
{
    // Commands whose work comes later: present, never enabled.
    for (const char* name : names) {
        QString text = QString::fromLatin1(name + 3);
        addCommand(menu, name, text, nullptr, nullptr);
    }
}

void TMainForm::buildActions()
{
    auto active = [this] { return activeDrawWindow() != nullptr; };
    auto editable = [this] {
        TDrawWindowWidget* w = activeDrawWindow();
        return w && w->playback == TPlayback::none && !w->strokeInProgress;
    };
    auto recording = [this] {
        TDrawWindowWidget* w = activeDrawWindow();
        return w && w->paper().eventMngr && w->paper().eventMngr->isRecording() &&
               w->playback == TPlayback::none;
    };
    auto playing = [this] {
        TDrawWindowWidget* w = activeDrawWindow();
        return w && w->document().replaying();
    };
    auto run = [this](void (TDrawWindowWidget::*fn)()) {
        return [this, fn] {
            if (TDrawWindowWidget* w = activeDrawWindow())
                (w->*fn)();
        };
    };

    QMenu* file = menuBar()->addMenu(tr("&File"));
    connect(file, &QMenu::aboutToShow, this, &TMainForm::refreshActions);
    addCommand(file, "actFileNew", tr("&New..."), [this] { fileNew(); },
               [this] { return !replayOnly; }, QKeySequence::New);
    addCommand(file, "actFileOpen", tr("&Open..."), [this] { fileOpen(); },
               [this] { return !replayOnly; }, QKeySequence::Open);
    recentMenu_ = file->addMenu(tr("Open &Recent"));
    addCommand(recentMenu_, "actFileReopen", tr("(none)"), nullptr, nullptr);
    addCommand(file, "actFileClose", tr("&Close"), [this] { mdi_->closeActiveSubWindow(); }, active,
               QKeySequence::Close);
    file->addSeparator();
    QAction* save = addCommand(file, "actFileSave", tr("&Save"),
                               [this] { savePaper(activeDrawWindow(), false); }, editable,
                               QKeySequence::Save);
    save->setShortcuts({QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    addCommand(file, "actFileSaveAs", tr("Save &As..."),
               [this] { savePaper(activeDrawWindow(), true); }, editable);
    addCommand(file, "actLayerSave", tr("&Export Picture..."), [this] { exportPicture(); }, editable);
    addCommand(file, "actSaveAutoBmp", tr("Save Snapshot &BMP"), [this] { saveAutoBmp(); }, active);
    file->addSeparator();
    addPlaceholders(file, {"actPrintOut", "actPrinterSetup", "actScanner"});
    file->addSeparator();
    addCommand(file, "actCloseApp", tr("&Quit"), [this] { close(); }, [] { return true; },
               QKeySequence::Quit);

    QMenu* events = menuBar()->addMenu(tr("E&vents"));
    connect(events, &QMenu::aboutToShow, this, &TMainForm::refreshActions);
    addCommand(events, "actFileOpenEvent", tr("&Open Recording..."), [this] { fileOpenEvent(); },
               [this] { return !replayOnly; });
    addCommand(events, "actFileSaveEvent", tr("&Save Recording..."), [this] { saveEventsAs(false); },
               recording);
    addCommand(events, "actFileSaveEventGuard", uiText(kSaveProtectedMenu),
               [this] { saveEventsAs(true); }, recording);
    addCommand(events, "actEventRecStop", tr("Stop Recording"), [this] { stopRecording(); },
               recording);
    events->addSeparator();
    addCommand(events, "actEventPlayPause", tr("&Pause"),
               [this] { activeDrawWindow()->pauseReplay(true); },
               [this, playing] { return playing() && !activeDrawWindow()->replayPaused(); });
    addCommand(events, "actEventPlayResume", tr("&Resume"),
               [this] { activeDrawWindow()->pauseReplay(false); },
               [this, playing] { return playing() && activeDrawWindow()->replayPaused(); });
    addCommand(events, "actEventPlayStop", tr("S&top Replay"), run(&TDrawWindowWidget::requestStopReplay),
               playing);
    QAction* wait = addCommand(events, "actEventWait", tr("&Wait Mode"), [this] {
        app_.profile.config.eventWait = action(QStringLiteral("actEventWait"))->isChecked();
        for (TDrawWindowWidget* w : drawWindows())
            w->setReplayWait(app_.profile.config.eventWait);
    }, [] { return true; });
    wait->setCheckable(true);
    wait->setChecked(app_.profile.config.eventWait);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    connect(edit, &QMenu::aboutToShow, this, &TMainForm::refreshActions);
    addCommand(edit, "actEditUndo", tr("&Undo"), [this] { activeDrawWindow()->undo(); }, [this, editable] {
        return editable() && activeDrawWindow()->paper().canUndo(activeDrawWindow()->paper().currentLayerIndex());
    }, QKeySequence::Undo);
    addCommand(edit, "actEditRedo", tr("&Redo"), [this] { activeDrawWindow()->redo(); }, [this, editable] {
        return editable() && activeDrawWindow()->paper().canRedo(activeDrawWindow()->paper().currentLayerIndex());
    }, QKeySequence(Qt::CTRL | Qt::Key_Y));
    addCommand(edit, "actEditUndoClear", tr("Clear Undo History"), [this] {
        activeDrawWindow()->paper().clearUndo();
    }, editable);
    edit->addSeparator();
    addPlaceholders(edit, {"actEditCut", "actEditCopy", "actEditCopyLayer", "actPasteNew"});
    edit->addSeparator();
    addPlaceholders(edit, {"actEditResizePaper", "actEditChgResoPaper"});
    addCommand(edit, "actEditChgDPI", tr("Resolution..."), [this] { changeResolution(); }, editable);
    addCommand(edit, "actEditChgPaperColor", tr("Paper Colour..."), [this] { changePaperColour(); },
               editable);
    edit->addSeparator();
    addPlaceholders(edit, {"actAllRot90", "actAllRot270", "actVisFlipLR", "actVisFlipTB",
                           "actVisRot180", "actVisNeg"});

    QMenu* layer = menuBar()->addMenu(tr("&Layer"));
    connect(layer, &QMenu::aboutToShow, this, &TMainForm::refreshActions);
    addCommand(layer, "actLayerCreate", tr("&New Layer"), [this] { activeDrawWindow()->newLayer(); }, editable,
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    addPlaceholders(layer, {"actCreateLayerStd", "actCreateLayerMul", "actCreateLayerAdd",
                            "actCreateLayerSub"});
    addCommand(layer, "actDeleteCurLayer", tr("&Delete Layer"), [this] { activeDrawWindow()->deleteCurrentLayer(); },
               [this, editable] { return editable() && activeDrawWindow()->paper().layerCount() > 1; });
    addPlaceholders(layer, {"actLayerDuplicate", "actLayerPaste", "actLayerPasteNew",
                            "actLayerBindLower", "actLayerBindBelow", "actLayerBindAll",
                            "actLayerCutOutside", "actLayerHideAll", "actLayerVisAll",
                            "actLayerVisOnly", "actLayerVisFlip", "actLayerRotate", "actLayerRot90",
                            "actLayerRot270", "actLayerZoom", "actLayerMaskClear",
                            "actLayerMaskFill", "actLayerMaskNega", "actProtectLayerMask"});

    QMenu* selection = menuBar()->addMenu(tr("&Selection"));
    addPlaceholders(selection, {"actSelectEnable", "actSelectAll", "actSelectRemove",
                                "actSelectInvert", "actSelectVisible", "actSelectInflate",
                                "actSelectInflate2", "actSelectDeflate", "actSelectDeflate2",
                                "actSelectColorRange", "actSelectFromLayerMask",
                                "actSelectFromLayerValue", "actSelectCopyLayerMask",
                                "actSelectCutOutside", "actSelectDelete", "actSelectImgDelete",
                                "actSelectImgFill", "actSelectDuplicate", "actSelectInsert",
                                "actSelectNewLayer", "actSelectSplitLayer"});

    QMenu* filter = menuBar()->addMenu(tr("F&ilter"));
    addPlaceholders(filter, {"actFilterBlur", "actFilterBlurStrong", "actFilterBlurMove",
                             "actFilterBlurZoom", "actFilterGauss", "actFilterSharp",
                             "actFilterSharpStrong", "actFilterSharpCustom", "actFilterMono",
                             "actFilterNega", "actFilterContrast", "actFilterGamma",
                             "actFilterLevel", "actFilterHLS", "actFilterPoster", "actFilterNoize",
                             "actFilterMosaic", "actFilterEmboss", "actFilterWave",
                             "actFilterTwist", "actFilterCloud", "actFilterRock", "actFilterTile",
                             "actFilterFloor", "actFilterLighting", "actFilterFlipLR",
                             "actFilterFlipTB", "actFilterRot180"});

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    connect(viewMenu, &QMenu::aboutToShow, this, &TMainForm::refreshActions);
    addCommand(viewMenu, "actViewZoomIn", tr("Zoom &In"), run(&TDrawWindowWidget::zoomIn),
               [this] { return activeDrawWindow() && activeDrawWindow()->paper().canZoomIn(); },
               QKeySequence::ZoomIn);
    addCommand(viewMenu, "actViewZoomOut", tr("Zoom &Out"), run(&TDrawWindowWidget::zoomOut),
               [this] { return activeDrawWindow() && activeDrawWindow()->paper().canZoomOut(); },
               QKeySequence::ZoomOut);
    addCommand(viewMenu, "actViewZoomCancel", tr("&Actual Size"), run(&TDrawWindowWidget::zoomCancel),
               active, QKeySequence(Qt::CTRL | Qt::Key_0));
    QAction* antiAlias = addCommand(viewMenu, "actViewAntiAlias", tr("Anti-aliased &View"), [this] {
        app_.profile.config.useZoomAntialias = action(QStringLiteral("actViewAntiAlias"))->isChecked();
        for (TDrawWindowWidget* w : drawWindows())
            w->setAntiAlias(app_.profile.config.useZoomAntialias);
    }, [] { return true; });
    antiAlias->setCheckable(true);
    antiAlias->setChecked(app_.profile.config.useZoomAntialias);
    QAction* grid = addCommand(viewMenu, "actShowGrid", tr("&Grid"), [this] {
        TDrawWindowWidget* w = activeDrawWindow();
        w->paper().setGrid(action(QStringLiteral("actShowGrid"))->isChecked(),
                           app_.profile.config.gridW, app_.profile.config.gridH, true);
    }, active);
    grid->setCheckable(true);

    QMenu* window = menuBar()->addMenu(tr("&Window"));
    connect(window, &QMenu::aboutToShow, this, &TMainForm::refreshActions);
    const std::pair<const char*, QString> shown[] = {
        {"actShowToolBox", tr("&Tools")},      {"actShowPenWindow", tr("&Pen")},
        {"actShowCtrlWindow", tr("&Options")}, {"actShowLayerWindow", tr("&Layers")},
        {"actShowPreviewWindow", tr("Pre&view")}, {"actShowColorWindow", tr("&Colour")},
        {"actShowRgbWindow", tr("&RGB")},      {"actShowHsvWindow", tr("&HSV")}};
    for (const auto& [name, text] : shown) {
        const QString key = QString::fromLatin1(name);
        QAction* a = addCommand(window, name, text, [this, key] {
            if (QDockWidget* dock = docks_->dockOf(key))
                dock->setVisible(action(key)->isChecked());
        }, [] { return true; });
        a->setCheckable(true);
    }
    addPlaceholders(window, {"actShowSelectWindow", "actShowPalWindow", "actShowGradWindow",
                             "actShowToneWindow", "actShowPatWindow", "actShowEnvWindow"});
    addCommand(window, "actShowNetWindow", tr("Network"), [] {}, [] { return true; });
    addCommand(window, "actWindowInitAllPos", tr("Reset Window Positions"),
               [this] { docks_->restoreDefaults(); }, [] { return true; });
    addCommand(window, "actWindowSizeFit", tr("Fit Window to Paper"), [this] { fitWindowToPaper(); },
               active);
    window->addSeparator();
    addCommand(window, "actWindowCascade", tr("&Cascade"), [this] { mdi_->cascadeSubWindows(); },
               active);
    addCommand(window, "actWindowTile", tr("&Tile"), [this] { mdi_->tileSubWindows(); }, active);
    addCommand(window, "actWindowNext", tr("&Next Window"), [this] { mdi_->activateNextSubWindow(); },
               active, QKeySequence(Qt::CTRL | Qt::Key_F6));
    addCommand(window, "actWindowPrevious", tr("&Previous Window"),
               [this] { mdi_->activatePreviousSubWindow(); }, active,
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
    window->addSeparator();
    addCommand(window, "actTabletTester", tr("Tablet &Tester..."), [this] { showTabletTester(); },
               [] { return true; });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    addPlaceholders(help, {"actOpenHtmlHelp"});
    addCommand(help, "actWebHomePage", tr("Home Page"),
               [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage))); },
               [] { return true; });
    addCommand(help, "actWebRegEvent", tr("Upload a Recording"),
               [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kUploadPage))); },
               [] { return true; });
    help->addSeparator();
    // The language actions only show which texts are in use.
    auto* languages = new QActionGroup(this);
    for (const char* name : {"actLangEnglish", "actLangJapanese"}) {
        const bool english = QByteArray(name) == "actLangEnglish";
        QAction* a = addCommand(help, name, english ? tr("English") : tr("Japanese"),
                                [this] { refreshActions(); }, [] { return true; });
        a->setCheckable(true);
        languages->addAction(a);
    }
    help->addSeparator();
    addCommand(help, "actAboutBox", tr("&About Quillmere"), [this] { showAbout(); },
               [] { return true; });
}

QAction* TMainForm::action(const QString& name) const
{
    const auto it = commands_.find(name);
    return it == commands_.end() ? nullptr : it->second.action;
}

QStringList TMainForm::actionNames() const
{
    QStringList names;
    for (const auto& [name, command] : commands_)
        names << name;
    return names;
}

void TMainForm::bindWindowActions()
{
    // The window actions show whether their window is open, however it was closed.
    for (const auto& [name, dock] : docks_->docks()) {
        QAction* a = action(name);
        connect(dock, &QDockWidget::visibilityChanged, a, [a, dock] { a->setChecked(!dock->isHidden()); });
    }
}

void TMainForm::refreshActions()
{
    for (auto& [name, command] : commands_)
        command.action->setEnabled(command.enabled && command.enabled());
    if (QAction* english = action(QStringLiteral("actLangEnglish")))
        english->setChecked(englishAttached());
    if (QAction* japanese = action(QStringLiteral("actLangJapanese")))
        japanese->setChecked(!englishAttached());
    if (TDrawWindowWidget* w = activeDrawWindow()) {
        action(QStringLiteral("actShowGrid"))->setChecked(w->paper().gridShown != 0);
        if (!w->document().replaying() && w->parentWidget())
            w->parentWidget()->setWindowTitle(w->caption());
    }
}

// ---- drawing windows ----

TDrawWindowWidget* TMainForm::activeDrawWindow() const
{
    QMdiSubWindow* sub = mdi_->activeSubWindow();
    if (!sub && !mdi_->subWindowList().isEmpty())
        sub = mdi_->subWindowList().constLast();
    return sub ? qobject_cast<TDrawWindowWidget*>(sub->widget()) : nullptr;
}

QList<TDrawWindowWidget*> TMainForm::drawWindows() const
{
    QList<TDrawWindowWidget*> windows;
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* w = qobject_cast<TDrawWindowWidget*>(sub->widget()))
            windows << w;
    return windows;
}

TDrawWindowWidget* TMainForm::addDrawWindow(std::unique_ptr<TDrawWindowWidget> widget)
{
    auto* sub = new TDrawSubWindow;
    TDrawWindowWidget* w = widget.release();
    sub->setWidget(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->mayClose = [this, w] { return askSaveBeforeClose(w); };
    mdi_->addSubWindow(sub);
    connect(w, &TDrawWindowWidget::stateChanged, this, [this, w] {
        if (!w->document().replaying() && w->parentWidget())
            w->parentWidget()->setWindowTitle(w->caption());
        refreshActions();
    });
    connect(w, &TDrawWindowWidget::replayFinished, this, [this](bool completed) {
        if (viewerFinished)
            viewerFinished(completed);
    });
    w->setAntiAlias(app_.profile.config.useZoomAntialias);
    w->setReplayWait(app_.profile.config.eventWait);
    const QSize paper(w->paper().width, w->paper().height);
    const QSize room = mdi_->size() - QSize(40, 60);
    sub->resize(paper.isEmpty() ? QSize(640, 480)
                                : paper.boundedTo(room.expandedTo(QSize(320, 240))) + QSize(16, 36));
    if (app_.profile.windowBool("childWinMax") && !replayOnly)
        sub->showMaximized();
    else
        sub->show();
    w->zoomCancel();
    w->setFocus();
    refreshActions();
    return w;
}

TDrawWindowWidget* TMainForm::newPaper(const QString& title, int width, int height)
{
    auto w = std::make_unique<TDrawWindowWidget>(app_);
    if (!w->document().newPaper(title.toStdString(), width, height)) {
        showWarning(uiText("ﾒﾓﾘ不足により正常に実行できませんでした！"));
        return nullptr;
    }
    w->modified = false;
    return addDrawWindow(std::move(w));
}

bool TMainForm::askSaveBeforeClose(TDrawWindowWidget* w)
{
    if (!w->modified || w->paper().locked)
        return true;
    const QString text = uiText("\"%s\" は変更されています。\r保存しますか？",
                                {QString::fromStdString(w->paper().title)});
    const int answer = askYesNoCancel(text);
    if (answer == 2)
        return false;
    if (answer == 0)
        return savePaper(w, false);
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        auto* w = qobject_cast<TDrawWindowWidget*>(sub->widget());
        if (w && !replayOnly && !closeWithoutAsking && !askSaveBeforeClose(w)) {
            event->ignore();
            return;
        }
    }
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (auto* frame = dynamic_cast<TDrawSubWindow*>(sub))
            frame->mayClose = nullptr;
        sub->close();
    }
    saveState();
    event->accept();
}

void TMainForm::saveState()
{
    CAppProfile& profile = app_.profile;
    profile.setWindowBool("mainWinMax", isMaximized());
    if (!isMaximized()) {
        profile.setWindowInt("mainWinX", x());
        profile.setWindowInt("mainWinY", y());
        profile.setWindowInt("mainWinW", width());
        profile.setWindowInt("mainWinH", height());
    }
    docks_->save();
    for (int i = 0; i < kRecentCount; ++i)
        store_.writeText(CAppProfile::kFileIO, "recentFile" + std::to_string(i),
                         i < recent_.size() ? recent_[i].toStdString() : std::string());
}

// ---- opening ----

bool TMainForm::openByPath(const QString& path)
{
    // Render and viewer runs report a status instead of asking anybody.
    auto warn = [this](const QString& text) {
        if (!replayOnly)
            showWarning(text);
    };
    const QFileInfo info(path);
    if (!info.exists()) {
        warn(uiText("%s\r    path = %s", {uiText("ﾌｧｲﾙが見つかりません！"), path}));
        return false;
    }
    if (replayOnly && !drawWindows().isEmpty())
        return false;
    const QString full = info.absoluteFilePath();
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        auto* w = qobject_cast<TDrawWindowWidget*>(sub->widget());
        if (!w || w->path().compare(full, Qt::CaseInsensitive) != 0)
            continue;
        addRecent(full);
        mdi_->setActiveSubWindow(sub);
        if (!w->modified)
            return true;
        if (!confirm(uiText("%s\rに加えられた変更を破棄して再読込していいですか?", {full})))
            return true;
        if (auto* frame = dynamic_cast<TDrawSubWindow*>(sub))
            frame->mayClose = nullptr;
        sub->close();
        break;
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string file = full.toStdString();
    const TFileKind kind = fileKindOf(file);
    auto w = std::make_unique<TDrawWindowWidget>(app_);
    bool opened = false;
    QString why;
    if (kind == TFileKind::unknown) {
        why = uiText("%s は未対応の形式です", {full});
    } else if (isRecording(kind)) {
        const TReplayOpen result = w->document().openRecording(file, kind);
        lastReplayOpen = result;
        opened = result == TReplayOpen::success;
        if (!opened)
            why = uiText(replayOpenMessage(result));
    } else {
        std::string reason;
        opened = w->document().loadFile(file, kind, reason);
        if (!opened)
            why = uiText("画像ﾌｧｲﾙを開くことができませんでした！\r    path = %s", {full}) +
                  QStringLiteral("\n(") + QString::fromStdString(reason) + QLatin1Char(')');
    }
    QApplication::restoreOverrideCursor();
    if (!opened) {
        if (!why.isEmpty())
            warn(why);
        return false;
    }
    TDrawWindowWidget* shown = addDrawWindow(std::move(w));
    shown->setPath(full);
    shown->modified = false;
    addRecent(full);
    if (isRecording(kind))
        shown->startReplay();
    return true;
}

void TMainForm::fileOpen()
{
    const QString folder = QString::fromStdString(app_.profile.fileIO.loadPath);
    const QString path = QFileDialog::getOpenFileName(this, tr("Open"), folder, openFilter());
    if (path.isEmpty())
        return;
    app_.profile.fileIO.loadPath = QFileInfo(path).absolutePath().toStdString();
    openByPath(path);
}

void TMainForm::fileOpenEvent()
{
    const QString folder = QString::fromStdString(app_.profile.fileIO.eventPath);
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Open Recording"), folder,
        QStringLiteral("Recordings (*.qm3 *.zx3 *.qme *.vke);;All files (*)"));
    if (path.isEmpty())
        return;
    app_.profile.fileIO.eventPath = QFileInfo(path).absolutePath().toStdString();
    openByPath(path);
}

void TMainForm::fileNew()
{
    TNewPaperDialog dialog(app_.profile, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    newPaper(dialog.title(), dialog.paperWidth(), dialog.paperHeight());
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        const QString path = url.toLocalFile();
        if (path.isEmpty() || path.size() > 260 || !QFileInfo::exists(path))
            continue;
        openByPath(path);
    }
    event->acceptProposedAction();
    activateWindow();
    raise();
}

// ---- recent files ----

void TMainForm::loadRecent()
{
    for (int i = 0; i < kRecentCount; ++i) {
        std::string path;
        if (store_.readText(CAppProfile::kFileIO, "recentFile" + std::to_string(i), path) &&
            !path.empty())
            recent_ << QString::fromStdString(path);
    }
    rebuildRecentMenu();
}

void TMainForm::addRecent(const QString& path)
{
    recent_.removeAll(path);
    recent_.prepend(path);
    while (recent_.size() > kRecentCount)
        recent_.removeLast();
    rebuildRecentMenu();
}

void TMainForm::rebuildRecentMenu()
{
    QAction* reopen = action(QStringLiteral("actFileReopen"));
    recentMenu_->clear();
    recentMenu_->addAction(reopen);
    reopen->setVisible(recent_.isEmpty());
    for (int i = 0; i < recent_.size(); ++i) {
        const QString path = recent_[i];
        QAction* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        // Opened after the menu is done with the action: opening rebuilds this menu.
        connect(a, &QAction::triggered, this,
                [this, path] { QTimer::singleShot(0, this, [this, path] { openByPath(path); }); });
    }
}

// ---- saving ----

bool TMainForm::savePaper(TDrawWindowWidget* w, bool askPath)
{
    if (!w)
        return false;
    QString path = w->path();
    if (askPath || path.isEmpty() || !path.endsWith(QStringLiteral(".qmp"), Qt::CaseInsensitive)) {
        const QString folder = QString::fromStdString(app_.profile.fileIO.savePath);
        const QString base = path.isEmpty() ? QString::fromStdString(w->paper().title)
                                            : QFileInfo(path).completeBaseName();
        path = QFileDialog::getSaveFileName(this, tr("Save Paper"), folder + QLatin1Char('/') + base + ".qmp",
                                            QStringLiteral("Papers (*.qmp)"));
        if (path.isEmpty())
            return false;
        if (!path.endsWith(QStringLiteral(".qmp"), Qt::CaseInsensitive))
            path += QStringLiteral(".qmp");
        app_.profile.fileIO.savePath = QFileInfo(path).absolutePath().toStdString();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PaperFileError error = savePaperFile(path.toStdString(), w->paper(), paperFileOption::all);
    QApplication::restoreOverrideCursor();
    if (error != PaperFileError::None) {
        showWarning(uiText(kSaveItemFailed, {tr("Paper"), path, QString::number(int(error))}));
        return false;
    }
    w->modified = false;
    w->setPath(path);
    addRecent(path);
    return true;
}

bool TMainForm::saveEvents(TDrawWindowWidget* w, const QString& path, bool protect)
{
    CEventMngr& events = w->document().events();
    const std::string file = path.toStdString();
    const bool saved = protect ? events.saveProtectedToFile(file, 1)
                               : events.saveToFile(file, 1, true);
    if (!saved)
        showWarning(uiText(kSaveItemFailed, {tr("Recording"), path, QStringLiteral("0")}));
    return saved;
}

void TMainForm::saveEventsAs(bool protect)
{
    TDrawWindowWidget* w = activeDrawWindow();
    if (!w)
        return;
    if (protect && !confirm(uiText(kSaveProtectedQuestion, {QString::fromLatin1(kUploadSite)})))
        return;
    const QString folder = QString::fromStdString(app_.profile.fileIO.eventPath);
    QString path = QFileDialog::getSaveFileName(this, tr("Save Recording"),
                                                folder + QLatin1Char('/') +
                                                    QFileInfo(w->path()).completeBaseName() + ".qm3",
                                                QStringLiteral("Recordings (*.qm3)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".qm3"), Qt::CaseInsensitive))
        path += QStringLiteral(".qm3");
    app_.profile.fileIO.eventPath = QFileInfo(path).absolutePath().toStdString();
    saveEvents(w, path, protect);
}

void TMainForm::stopRecording()
{
    TDrawWindowWidget* w = activeDrawWindow();
    if (!w || !confirm(uiText(kStopRecordingQuestion)))
        return;
    if (confirm(uiText(kSaveBeforeStopQuestion)))
        saveEventsAs(false);
    w->document().events().stopRecording();
}

void TMainForm::exportPicture()
{
    TDrawWindowWidget* w = activeDrawWindow();
    const QString folder = QString::fromStdString(app_.profile.fileIO.savePath);
    QString selected;
    QString path = QFileDialog::getSaveFileName(
        this, tr("Export Picture"), folder + QLatin1Char('/') + QFileInfo(w->path()).completeBaseName() + ".png",
        QStringLiteral("PNG (*.png);;JPEG (*.jpg);;BMP (*.bmp);;Layered PSD (*.psd)"), &selected);
    if (path.isEmpty())
        return;
    QString ext = QFileInfo(path).suffix().toLower();
    if (ext != QLatin1String("png") && ext != QLatin1String("jpg") && ext != QLatin1String("bmp") &&
        ext != QLatin1String("psd")) {
        ext = selected.section(QLatin1Char('.'), 1, 1).section(QLatin1Char(')'), 0, 0);
        path += QLatin1Char('.') + ext;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = exportPaper(w->paper(), ext.toStdString(), path.toStdString());
    QApplication::restoreOverrideCursor();
    if (!saved)
        showWarning(uiText(kSaveItemFailed, {tr("Picture"), path, QStringLiteral("0")}));
}

void TMainForm::saveAutoBmp()
{
    TDrawWindowWidget* w = activeDrawWindow();
    const QDate today = QDate::currentDate();
    std::string folder = app_.profile.fileIO.savePath;
    if (folder.empty())
        folder = QDir::homePath().toStdString();
    const std::string path = nextAutoSavePath(folder, today.year(), today.month(), today.day());
    if (!exportPaper(w->paper(), "bmp", path))
        showWarning(uiText(kSaveItemFailed, {tr("Picture"), QString::fromStdString(path), QStringLiteral("0")}));
    else
        status_->setText(QString::fromStdString(path));
}

// ---- edits ----

void TMainForm::changePaperColour()
{
    TDrawWindowWidget* w = activeDrawWindow();
    const uint32_t old = w->paper().paperColor;
    const QColor chosen = QColorDialog::getColor(QColor(int(old >> 16 & 0xFF), int(old >> 8 & 0xFF),
                                                        int(old & 0xFF)),
                                                 this, tr("Paper Colour"));
    if (!chosen.isValid())
        return;
    const uint32_t colour = uint32_t(chosen.red()) << 16 | uint32_t(chosen.green()) << 8 |
                            uint32_t(chosen.blue());
    if (colour != old)
        w->paper().setPaperColor(colour, true);
}

void TMainForm::changeResolution()
{
    TDrawWindowWidget* w = activeDrawWindow();
    bool ok = false;
    const int dpi = QInputDialog::getInt(this, tr("Resolution"), tr("Pixels per inch:"),
                                         w->paper().dpi > 0 ? w->paper().dpi : 72, 1, 10000, 1, &ok);
    if (!ok || dpi == w->paper().dpi)
        return;
    w->paper().dpi = dpi;
    w->modified = true;
}

void TMainForm::fitWindowToPaper()
{
    TDrawWindowWidget* w = activeDrawWindow();
    QWidget* frame = w->parentWidget();
    const float s = w->paper().zoomScale();
    const QSize want(int(w->paper().width * s), int(w->paper().height * s));
    frame->resize(frame->size() - w->size() + want.boundedTo(mdi_->size()));
    w->centreOn(QPointF(w->paper().width / 2.0, w->paper().height / 2.0));
}

void TMainForm::showAbout()
{
    QMessageBox::about(this, tr("About Quillmere"),
                       tr("<b>Quillmere</b> %1<br>A raster paint program that records every stroke.")
                           .arg(QCoreApplication::applicationVersion()));
}

void TMainForm::showTabletTester()
{
    auto* tester = new TTabletTester(this);
    tester->setAttribute(Qt::WA_DeleteOnClose);
    tester->show();
}

} // namespace qm::ui

#include "ui/main_window.h"

#include "app/paper_journal.h"
#include "ui/wait_cursor.h"

#include "ui/clipboard_picture.h"

#include "app/document.h"
#include "ui/commands/commands.h"
#include "ui/draw_window.h"
#include "ui/tool_docks.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

namespace qm::ui {

namespace {

constexpr int kRecentCount = 10;

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
    // The marching ants of every window crawl one step each tick.
    auto* ants = new QTimer(this);
    ants->setObjectName(QStringLiteral("antsTimer"));
    connect(ants, &QTimer::timeout, this, [this] {
        for (TDrawWindowWidget* w : drawWindows())
            w->stepAnts();
    });
    ants->start(kAntsStepMs);
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

QAction* TMainForm::addCommand(QMenu& menu, const char* name, const QString& text,
                               std::function<void()> run, const QKeySequence& shortcut)
{
    auto* action = new QAction(text, this);
    const QString key = QString::fromLatin1(name);
    action->setObjectName(key);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (run)
        connect(action, &QAction::triggered, this, [this, key] {
            // A shortcut may fire after the state changed since the last refresh.
            const auto it = commands_.find(key);
            if (it != commands_.end() && it->second.run && mayRun(key))
                it->second.run();
            refreshActions();
        });
    menu.addAction(action);
    commands_[key] = {action, std::move(run)};
    return action;
}

void TMainForm::attachRecentMenu(QMenu* menu)
{
    recentMenu_ = menu;
    QAction* entry = menu->menuAction();
    entry->setObjectName(QStringLiteral("actFileReopen"));
    commands_[entry->objectName()] = {entry, nullptr};
}

bool TMainForm::commandActs(const QString& name) const
{
    const auto it = commands_.find(name);
    if (it == commands_.end())
        return false;
    if (it->second.run)
        return true;
    const QMenu* menu = it->second.action->menu();
    return menu && !menu->actions().isEmpty();
}

QMenu* TMainForm::addMenu(const QString& title)
{
    QMenu* menu = menuBar()->addMenu(title);
    // The menus re-check their commands just before they open.
    connect(menu, &QMenu::aboutToShow, this, &TMainForm::refreshActions);
    return menu;
}

void TMainForm::buildActions()
{
    addFileCommands(*this, *addMenu(tr("&File")));
    addEventsCommands(*this, *addMenu(tr("E&vents")));
    addEditCommands(*this, *addMenu(tr("&Edit")));
    addLayerCommands(*this, *addMenu(tr("&Layer")));
    addSelectionCommands(*this, *addMenu(tr("&Selection")));
    addFilterCommands(*this, *addMenu(tr("F&ilter")));
    addViewCommands(*this, *addMenu(tr("&View")));
    addWindowCommands(*this, *addMenu(tr("&Window")));
    addHelpCommands(*this, *addMenu(tr("&Help")));
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

TCommandState TMainForm::commandState() const
{
    TCommandState state;
    state.replayOnly = replayOnly;
    state.canPaste = clipboardHasPicture();
    state.hasRecentFiles = !recent_.isEmpty();
    TDrawWindowWidget* w = activeDrawWindow();
    if (!w)
        return state;
    TPaper& paper = w->paper();
    state.hasWindow = true;
    state.playing = w->playback != TPlayback::none;
    state.replaying = w->replayOpen();
    state.replayPaused = w->replayPaused();
    state.strokeInProgress = w->strokeInProgress;
    state.recording = paper.eventMngr && paper.eventMngr->isRecording();
    state.canUndo = paper.canUndo(paper.currentLayerIndex());
    state.canRedo = paper.canRedo(paper.currentLayerIndex());
    state.canZoomIn = paper.canZoomIn();
    state.canZoomOut = paper.canZoomOut();
    state.layerCount = paper.layerCount();
    state.hasSelection = paper.hasSelection();
    state.maskCount = paper.masks->Count();
    state.currentLayer = paper.currentLayerIndex();
    return state;
}

bool TMainForm::mayRun(const QString& name) const
{
    return commandEnabled(name.toStdString(), commandState());
}

void TMainForm::refreshActions()
{
    const TCommandState state = commandState();
    for (auto& [name, command] : commands_)
        command.action->setEnabled(commandEnabled(name.toStdString(), state));
    if (QAction* english = action(QStringLiteral("actLangEnglish")))
        english->setChecked(englishAttached());
    if (QAction* japanese = action(QStringLiteral("actLangJapanese")))
        japanese->setChecked(!englishAttached());
    if (TDrawWindowWidget* w = activeDrawWindow()) {
        TPaper& paper = w->paper();
        action(QStringLiteral("actShowGrid"))->setChecked(paper.gridShown != 0);
        action(QStringLiteral("actSelectEnable"))->setChecked(paper.selectionActive != 0);
        action(QStringLiteral("actSelectVisible"))->setChecked(paper.selectionShown != 0);
        const CLayerData* layer = paper.currentLayer();
        action(QStringLiteral("actProtectLayerMask"))->setChecked(layer && layer->protectAlpha);
        if (!w->replayOpen() && w->parentWidget())
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
        if (!w->replayOpen() && w->parentWidget())
            w->parentWidget()->setWindowTitle(w->caption());
        refreshActions();
    });
    connect(w, &TDrawWindowWidget::replayFinished, this, [this](TReplayEnd end) {
        if (viewerFinished)
            viewerFinished(end);
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
    w->startJournal({}, false);
    return addDrawWindow(std::move(w));
}

TDrawWindowWidget* TMainForm::restorePaper(const TRecoverablePaper& paper)
{
    auto w = std::make_unique<TDrawWindowWidget>(app_);
    {
        TWaitCursor wait;
        if (!w->document().restoreRecording(paper.contents.recording))
            return nullptr;
    }
    // Untitled, so that a plain save asks where: the old name only tells what it was.
    const std::string& old = paper.contents.about.title;
    w->paper().title = (old.empty() ? tr("Paper") : QString::fromStdString(old)).toStdString() +
                       tr(" (restored)").toStdString();
    w->modified = true;
    w->startJournal({}, false);
    TDrawWindowWidget* shown = addDrawWindow(std::move(w));
    shown->paper().refreshAll(shown->document().flow(), shown->paper().currentLayerIndex(), false);
    return shown;
}

bool TMainForm::askSaveBeforeClose(TDrawWindowWidget* w)
{
    if (!w->reportsModified())
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
        if (!w->reportsModified())
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
        const TReplayOpen result = w->document().openRecording(file, kind, false);
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
    else
        shown->startJournal(full, true);
    return true;
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
    recentMenu_->clear();
    for (int i = 0; i < recent_.size(); ++i) {
        const QString path = recent_[i];
        QAction* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        // Opened after the menu is done with the action: opening rebuilds this menu.
        connect(a, &QAction::triggered, this,
                [this, path] { QTimer::singleShot(0, this, [this, path] { openByPath(path); }); });
    }
}

void TMainForm::showStatusNow(const QString& text)
{
    status_->setText(text);
}

} // namespace qm::ui

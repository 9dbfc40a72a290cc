// The main window: the drawing windows in an MDI area, the menus with one named action per
// command (each enabled only when it can run), file opening by path, drops and hand-over.
#pragma once

#include "app/command_rules.h"
#include "events/event_mngr.h"
#include "files/command_line.h"
#include "ui/app_context.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <map>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace qm {
struct TRecoverablePaper;
}

namespace qm::ui {

class TDrawWindowWidget;
class TToolDocks;
enum class TReplayEnd;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kAntsStepMs = 30;

    TMainForm(TAppContext& app, SettingsStore& store, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The action of a command by its name ("actFileNew"); nullptr for an unknown name.
    QAction* action(const QString& name) const;
    QStringList actionNames() const;
    TDrawWindowWidget* activeDrawWindow() const;
    QList<TDrawWindowWidget*> drawWindows() const;
    QMdiArea* mdiArea() const { return mdi_; }
    TToolDocks& docks() const { return *docks_; }

    // A new paper in a new drawing window.
    TDrawWindowWidget* newPaper(const QString& title, int width, int height);
    // A paper a journal kept, as a new untitled paper that goes on recording.
    TDrawWindowWidget* restorePaper(const TRecoverablePaper& paper);
    // Opens a file as the Open command, the recent files, drops and hand-over do.
    bool openByPath(const QString& path);
    // Saves the paper (.qmp); asks for a path when it has none or asked to.
    bool savePaper(TDrawWindowWidget* window, bool askPath);
    bool saveEvents(TDrawWindowWidget* window, const QString& path, bool protect);

    // Render and viewer runs: one recording, no second document.
    bool replayOnly = false;
    // Closing asks nobody about unsaved papers (the screenshot run).
    bool closeWithoutAsking = false;
    // How the last recording opened (render and viewer runs report it).
    TReplayOpen lastReplayOpen = TReplayOpen::success;
    // Called when a replay has ended (a viewer run reports and closes).
    std::function<void(TReplayEnd)> viewerFinished;

    // Re-evaluates which commands can run now (the engine's rules).
    void refreshActions();
    // The state those rules read.
    TCommandState commandState() const;
    // The recent files, newest first.
    QStringList recentFiles() const { return recent_; }
    void saveState();

    // ---- for the menus' command files (ui/commands) ----
    TAppContext& app() { return app_; }
    // A command's action in a menu. It runs only while its rule allows.
    QAction* addCommand(QMenu& menu, const char* name, const QString& text,
                        std::function<void()> run, const QKeySequence& shortcut = {});
    // The submenu that lists the recent files: its own entry is the command "actFileReopen".
    void attachRecentMenu(QMenu* menu);
    // Whether the command does something when chosen: it runs work of its own or opens a
    // submenu of entries that do.
    bool commandActs(const QString& name) const;
    // A text for the status bar at once.
    void showStatusNow(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct TCommand {
        QAction* action = nullptr;
        std::function<void()> run;
    };

    void buildActions();
    QMenu* addMenu(const QString& title);
    bool mayRun(const QString& name) const;
    TDrawWindowWidget* addDrawWindow(std::unique_ptr<TDrawWindowWidget> widget);
    bool askSaveBeforeClose(TDrawWindowWidget* window);
    void addRecent(const QString& path);
    void rebuildRecentMenu();
    void loadRecent();
    void bindWindowActions();

    TAppContext& app_;
    SettingsStore& store_;
    QMdiArea* mdi_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer statusTimer_;
    QString pendingStatus_;
    TToolDocks* docks_ = nullptr;
    std::map<QString, TCommand> commands_;
    QStringList recent_;
};

} // namespace qm::ui

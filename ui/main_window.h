// The main window: the drawing windows in an MDI area, the menus with one named action per
// command (each enabled only when it can run), file opening by path, drops and hand-over.
#pragma once

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

namespace qm::ui {

class TDrawWindowWidget;
class TToolDocks;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
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
    // Called when a viewer run's replay has ended (the shell reports and closes).
    std::function<void(bool completed)> viewerFinished;

    // Re-evaluates which commands can run now.
    void refreshActions();
    // The recent files, newest first.
    QStringList recentFiles() const { return recent_; }
    void saveState();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct TCommand {
        QAction* action = nullptr;
        std::function<void()> run;
        std::function<bool()> enabled; // empty: never (its work is not built yet)
    };

    void buildActions();
    QAction* addCommand(QMenu* menu, const char* name, const QString& text,
                        std::function<void()> run, std::function<bool()> enabled,
                        const QKeySequence& shortcut = {});
    void addPlaceholders(QMenu* menu, std::initializer_list<const char*> names);
    TDrawWindowWidget* addDrawWindow(std::unique_ptr<TDrawWindowWidget> widget);
    bool closeDrawWindow(QMdiSubWindow* sub);
    bool askSaveBeforeClose(TDrawWindowWidget* window);
    void addRecent(const QString& path);
    void rebuildRecentMenu();
    void loadRecent();

    // ---- commands ----
    void fileNew();
    void fileOpen();
    void fileOpenEvent();
    void exportPicture();
    void saveAutoBmp();
    void saveEventsAs(bool protect);
    void stopRecording();
    void changePaperColour();
    void changeResolution();
    void showAbout();
    void showTabletTester();
    void fitWindowToPaper();
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

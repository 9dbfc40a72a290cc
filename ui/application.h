// The program with its window: start-up in order (display check, switches, single instance,
// settings, language, windows, the files of the command line), the message loop, and the
// settings written back once at exit.
#pragma once

#include "files/command_line.h"
#include "ui/app_context.h"
#include "ui/qt_settings_store.h"
#include "app/document.h"

#include <QObject>

#include <memory>

namespace qm::ui {

class TMainForm;
class TSingleInstance;
enum class TReplayEnd;

// The pen's proximity, which Qt reports to the application object only.
class TTabletProximity : public QObject {
public:
    explicit TTabletProximity(TAppContext& app) : app_(app) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TAppContext& app_;
};

class TApplicationShell {
public:
    explicit TApplicationShell(std::unique_ptr<TQtSettingsStore> store);
    ~TApplicationShell();

    // Reads every setting and makes the main window (not shown).
    void start(bool replayOnly = false);
    // Writes every setting back (once).
    void finish();

    TAppContext& context() { return *context_; }
    TMainForm& mainWindow() { return *main_; }
    TQtSettingsStore& store() { return *store_; }

private:
    std::unique_ptr<TQtSettingsStore> store_;
    std::unique_ptr<TAppContext> context_;
    std::unique_ptr<TTabletProximity> proximity_;
    std::unique_ptr<TMainForm> main_;
    bool finished_ = false;
};

// A viewer run's replay has ended: its status report (with the run's marker), then the
// window closes. Returns the process exit code.
int finishViewerRun(TMainForm& main, const TCommandLine& line, const std::string& base,
                    TReplayEnd end, bool& markerWritten);

// Runs the program with its window; the process exit code. The QApplication must not exist
// yet: tablet event compression is turned off before it is made.
int runApplication(int argc, char** argv, const TCommandLine& line);
// The picture-writing settings of the stored settings, for export without a window.
TExportSettings storedExportSettings();

} // namespace qm::ui

// The Events menu: open a recording, save it (plain or protected), stop recording, and the
// replay's pause, resume, stop and wait mode.
#include "events/event_texts.h"
#include "paperfile/paper_file.h"
#include "ui/commands/commands.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

namespace qm::ui {

namespace {

constexpr const char* kUploadSite = "Quillmere Gallery";

void fileOpenEvent(TMainForm& main)
{
    TFileIOSettings& io = main.app().profile.fileIO;
    const QString path = QFileDialog::getOpenFileName(
        &main, TMainForm::tr("Open Recording"), QString::fromStdString(io.eventPath),
        QStringLiteral("Recordings (*.qm3 *.zx3 *.qme *.vke);;All files (*)"));
    if (path.isEmpty())
        return;
    io.eventPath = QFileInfo(path).absolutePath().toStdString();
    main.openByPath(path);
}

void saveEventsAs(TMainForm& main, bool protect)
{
    TDrawWindowWidget* w = main.activeDrawWindow();
    if (!w)
        return;
    if (protect && !confirm(uiText(kSaveProtectedQuestion, {QString::fromLatin1(kUploadSite)})))
        return;
    TFileIOSettings& io = main.app().profile.fileIO;
    QString path = QFileDialog::getSaveFileName(
        &main, TMainForm::tr("Save Recording"),
        QString::fromStdString(io.eventPath) + QLatin1Char('/') +
            QFileInfo(w->path()).completeBaseName() + ".qm3",
        QStringLiteral("Recordings (*.qm3)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".qm3"), Qt::CaseInsensitive))
        path += QStringLiteral(".qm3");
    io.eventPath = QFileInfo(path).absolutePath().toStdString();
    main.saveEvents(w, path, protect);
}

void stopRecording(TMainForm& main)
{
    TDrawWindowWidget* w = main.activeDrawWindow();
    if (!w || !confirm(uiText(kStopRecordingQuestion)))
        return;
    if (confirm(uiText(kSaveBeforeStopQuestion)))
        saveEventsAs(main, false);
    w->document().events().stopRecording();
}

} // namespace

void addEventsCommands(TMainForm& main, QMenu& menu)
{
    main.addCommand(menu, "actFileOpenEvent", TMainForm::tr("&Open Recording..."),
                    [&main] { fileOpenEvent(main); });
    main.addCommand(menu, "actFileSaveEvent", TMainForm::tr("&Save Recording..."),
                    [&main] { saveEventsAs(main, false); });
    main.addCommand(menu, "actFileSaveEventGuard", uiText(kSaveProtectedMenu),
                    [&main] { saveEventsAs(main, true); });
    main.addCommand(menu, "actEventRecStop", TMainForm::tr("Stop Recording"),
                    [&main] { stopRecording(main); });
    menu.addSeparator();
    main.addCommand(menu, "actEventPlayPause", TMainForm::tr("&Pause"),
                    [&main] { main.activeDrawWindow()->pauseReplay(true); });
    main.addCommand(menu, "actEventPlayResume", TMainForm::tr("&Resume"),
                    [&main] { main.activeDrawWindow()->pauseReplay(false); });
    main.addCommand(menu, "actEventPlayStop", TMainForm::tr("S&top Replay"),
                    [&main] { main.activeDrawWindow()->requestStopReplay(); });
    QAction* wait = main.addCommand(menu, "actEventWait", TMainForm::tr("&Wait Mode"), [&main] {
        TConfigSettings& config = main.app().profile.config;
        config.eventWait = main.action(QStringLiteral("actEventWait"))->isChecked();
        for (TDrawWindowWidget* w : main.drawWindows())
            w->setReplayWait(config.eventWait);
    });
    wait->setCheckable(true);
    wait->setChecked(main.app().profile.config.eventWait);
}

bool TMainForm::saveEvents(TDrawWindowWidget* w, const QString& path, bool protect)
{
    CEventMngr& events = w->document().events();
    const std::string file = path.toStdString();
    const bool saved = protect ? events.saveProtectedToFile(file, 1)
                               : events.saveToFile(file, 1, true);
    if (!saved)
        showWarning(uiText(kSaveItemFailed, {tr("Recording"), path, QStringLiteral("0")}));
    else
        w->journalSaved(path);
    return saved;
}

} // namespace qm::ui

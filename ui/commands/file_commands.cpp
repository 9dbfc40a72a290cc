// The File menu: new, open, recent files, close, save, export, the snapshot, print, scan and
// quit.
#include "app/document.h"
#include "paperfile/paper_file.h"
#include "ui/commands/commands.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"
#include "ui/new_paper_dialog.h"
#include "ui/picture_export.h"
#include "ui/print_out.h"
#include "ui/scan_dialog.h"
#include "ui/commands/paper_edit.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QPrinter>

namespace qm::ui {

namespace {

QString openFilter()
{
    return QStringLiteral("All supported (*.qmp *.vkb *.qm3 *.zx3 *.qme *.vke *.bmp *.jpg *.png *.psd *.ora);;"
                          "Papers (*.qmp *.vkb);;Recordings (*.qm3 *.zx3 *.qme *.vke);;"
                          "Pictures (*.bmp *.jpg *.png *.psd *.ora);;All files (*)");
}

void fileNew(TMainForm& main)
{
    TNewPaperDialog dialog(main.app().profile, &main);
    if (dialog.exec() != QDialog::Accepted)
        return;
    main.newPaper(dialog.title(), dialog.paperWidth(), dialog.paperHeight());
}

void fileOpen(TMainForm& main)
{
    TFileIOSettings& io = main.app().profile.fileIO;
    const QString path = QFileDialog::getOpenFileName(&main, TMainForm::tr("Open"),
                                                      QString::fromStdString(io.loadPath), openFilter());
    if (path.isEmpty())
        return;
    io.loadPath = QFileInfo(path).absolutePath().toStdString();
    main.openByPath(path);
}

void printActivePaper(TMainForm& main)
{
    TDrawWindowWidget* w = main.activeDrawWindow();
    // Without a printer the page goes to a file: say where.
    if (printPaper(&main, w->paper(), w->paperName()) && programPrinter().outputFormat() == QPrinter::PdfFormat)
        main.showStatusNow(TMainForm::tr("Printed to %1").arg(programPrinter().outputFileName()));
}

// A scanned picture becomes a new paper of its size, with the scanner's resolution.
void scanNewPaper(TMainForm& main)
{
    std::optional<TScannedPicture> scan = acquireScan(&main);
    if (!scan)
        return;
    TDrawWindowWidget* window = newPaperHolding(main, TMainForm::tr("Scan"), std::move(scan->picture));
    if (window && scan->dpi > 0)
        window->paper().dpi = scan->dpi;
}

void saveAutoBmp(TMainForm& main)
{
    TDrawWindowWidget* w = main.activeDrawWindow();
    const QDate today = QDate::currentDate();
    std::string folder = main.app().profile.fileIO.savePath;
    if (folder.empty())
        folder = QDir::homePath().toStdString();
    const std::string path = nextAutoSavePath(folder, today.year(), today.month(), today.day());
    if (!exportPaper(w->paper(), "bmp", path, exportSettingsOf(main.app().profile)))
        showWarning(uiText(kSaveItemFailed, {TMainForm::tr("Picture"), QString::fromStdString(path),
                                             QStringLiteral("0")}));
    else
        main.showStatusNow(QString::fromStdString(path));
}

} // namespace

void addFileCommands(TMainForm& main, QMenu& menu)
{
    main.addCommand(menu, "actFileNew", TMainForm::tr("&New..."), [&main] { fileNew(main); },
                    QKeySequence::New);
    main.addCommand(menu, "actFileOpen", TMainForm::tr("&Open..."), [&main] { fileOpen(main); },
                    QKeySequence::Open);
    main.attachRecentMenu(menu.addMenu(TMainForm::tr("Open &Recent")));
    main.addCommand(menu, "actFileClose", TMainForm::tr("&Close"),
                    [&main] { main.mdiArea()->closeActiveSubWindow(); }, QKeySequence::Close);
    menu.addSeparator();
    QAction* save = main.addCommand(menu, "actFileSave", TMainForm::tr("&Save"),
                                    [&main] { main.savePaper(main.activeDrawWindow(), false); });
    save->setShortcuts({QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    main.addCommand(menu, "actFileSaveAs", TMainForm::tr("Save &As..."),
                    [&main] { main.savePaper(main.activeDrawWindow(), true); });
    main.addCommand(menu, "actLayerSave", TMainForm::tr("&Export Picture..."),
                    [&main] { exportPicture(main); });
    main.addCommand(menu, "actSaveAutoBmp", TMainForm::tr("Save Snapshot &BMP"),
                    [&main] { saveAutoBmp(main); });
    menu.addSeparator();
    main.addCommand(menu, "actPrintOut", TMainForm::tr("&Print..."), [&main] { printActivePaper(main); },
                    QKeySequence::Print);
    main.addCommand(menu, "actPrinterSetup", TMainForm::tr("P&rinter Setup..."),
                    [&main] { printerSetup(&main); });
    main.addCommand(menu, "actScanner", TMainForm::tr("Sc&an..."), [&main] { scanNewPaper(main); });
    menu.addSeparator();
    main.addCommand(menu, "actCloseApp", TMainForm::tr("&Quit"), [&main] { main.close(); },
                    QKeySequence::Quit);
}

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
    const PaperFileError error = savePaperFile(path.toStdString(), w->paper(), paperFileOption::all,
                                              app_.profile.fileIO.keepPrevious);
    QApplication::restoreOverrideCursor();
    if (error != PaperFileError::None) {
        showWarning(uiText(kSaveItemFailed, {tr("Paper"), path, QString::number(int(error))}));
        return false;
    }
    w->modified = false;
    w->setPath(path);
    w->journalSaved(path);
    addRecent(path);
    return true;
}

} // namespace qm::ui

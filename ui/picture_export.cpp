#include "ui/picture_export.h"

#include "app/document.h"
#include "paperfile/paper_file.h"
#include "ui/draw_window.h"
#include "ui/jpeg_options_dialog.h"
#include "ui/main_window.h"
#include "ui/wait_cursor.h"

#include <QFileDialog>
#include <QFileInfo>

namespace qm::ui {

namespace {

TExportPathChooser g_chooser;

constexpr const char* kEachLayer = "Each layer";

QString exportFilters()
{
    return QStringLiteral("PNG (*.png);;JPEG (*.jpg);;BMP (*.bmp);;Layered PSD (*.psd);;"
                          "Layered OpenRaster (*.ora);;%1 as PNG (*.png);;%1 as JPEG (*.jpg);;"
                          "%1 as BMP (*.bmp)")
        .arg(QLatin1String(kEachLayer));
}

QString askPath(TMainForm& main, const QString& proposed, QString& selected)
{
    if (g_chooser) return g_chooser(proposed, exportFilters(), selected);
    return QFileDialog::getSaveFileName(&main, TMainForm::tr("Export Picture"), proposed,
                                        exportFilters(), &selected);
}

bool askJpegOptions(TMainForm& main)
{
    TFileIOSettings& io = main.app().profile.fileIO;
    TFormJpegOptions dialog(io, &main);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.store(io);
    return true;
}

// The extension the path or, when it has none of ours, the chosen filter gives.
QString extensionFor(QString& path, const QString& selected)
{
    QString ext = QFileInfo(path).suffix().toLower();
    for (const char* known : {"png", "jpg", "bmp", "psd", "ora"})
        if (ext == QLatin1String(known)) return ext;
    ext = selected.section(QLatin1Char('.'), 1, 1).section(QLatin1Char(')'), 0, 0);
    path += QLatin1Char('.') + ext;
    return ext;
}

} // namespace

void setExportPathChooser(TExportPathChooser chooser)
{
    g_chooser = std::move(chooser);
}

void exportPicture(TMainForm& main)
{
    TDrawWindowWidget* w = main.activeDrawWindow();
    TFileIOSettings& io = main.app().profile.fileIO;
    const QString paperName = w->paperName();
    QString selected;
    QString path =
        askPath(main, QString::fromStdString(io.savePath) + QLatin1Char('/') + paperName + ".png",
                selected);
    if (path.isEmpty()) return;
    const bool eachLayer = selected.startsWith(QLatin1String(kEachLayer));
    const QString ext = extensionFor(path, selected);
    if (ext == QLatin1String("jpg") && !askJpegOptions(main)) return;
    io.savePath = QFileInfo(path).absolutePath().toStdString();
    if (eachLayer) {
        TLayerExport written;
        {
            TWaitCursor wait;
            written = exportLayers(w->paper(), ext.toStdString(), io.savePath,
                                   paperName.toStdString(), exportSettingsOf(main.app().profile));
        }
        if (!written.failed.empty())
            showWarning(uiText(kSaveItemFailed,
                               {TMainForm::tr("Picture"), QString::fromStdString(written.failed),
                                QStringLiteral("0")}));
        else
            main.showStatusNow(TMainForm::tr("%n layer pictures written to %1", nullptr,
                                             int(written.written.size()))
                                   .arg(QString::fromStdString(io.savePath)));
        return;
    }
    bool saved = false;
    {
        TWaitCursor wait;
        saved = exportPaper(w->paper(), ext.toStdString(), path.toStdString(),
                            exportSettingsOf(main.app().profile));
    }
    if (!saved)
        showWarning(uiText(kSaveItemFailed, {TMainForm::tr("Picture"), path, QStringLiteral("0")}));
}

} // namespace qm::ui

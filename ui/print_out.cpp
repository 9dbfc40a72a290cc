#include "ui/print_out.h"

#include "paper/paper.h"
#include "ui/print_dialog.h"
#include "ui/qt_images.h"
#include "ui/ui_text.h"
#include "ui/wait_cursor.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <filesystem>
#include <memory>
#include <system_error>

namespace qm::ui {

namespace {

inline constexpr const char* kPrintFailed = "印刷に失敗しました!";

std::unique_ptr<QPrinter> g_printer;
// The PDF path the program chose itself: replaced by the next paper's name, while a path the
// user picked in the setup dialog stays.
QString g_chosenPdfPath;
TPrinterSetupExec g_setupExec;


bool drawCopies(QPrinter& printer, const QImage& picture, const TPrintLayout& layout)
{
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const TBox& copy : layout.pageCopies())
        painter.drawImage(QRect(copy.x, copy.y, copy.width, copy.height), picture);
    return painter.end();
}

} // namespace

QPrinter& programPrinter()
{
    if (!g_printer) {
        g_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull() && !QPrinterInfo::availablePrinters().isEmpty())
            info = QPrinterInfo::availablePrinters().first();
        if (!info.isNull())
            g_printer->setPrinterName(info.printerName());
        else
            g_printer->setOutputFormat(QPrinter::PdfFormat);
        // The print system belongs to the application: the printer goes before it does.
        qAddPostRoutine([] { g_printer.reset(); });
    }
    return *g_printer;
}

QString defaultPdfPath(const QString& paperName)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    QString name = paperName;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (name.isEmpty()) name = QStringLiteral("untitled");
    return QDir(folder).filePath(name + QStringLiteral(".pdf"));
}

bool printCopies(QPrinter& printer, const QImage& picture, const TPrintLayout& layout)
{
    const QString target = printer.outputFileName();
    if (printer.outputFormat() != QPrinter::PdfFormat || target.isEmpty())
        return drawCopies(printer, picture, layout);

    // A PDF file is written beside the target and renamed over it only when complete, so a
    // failed print never damages an earlier one.
    const QFileInfo info(target);
    const QString partial =
        info.dir().filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".part"));
    printer.setOutputFileName(partial);
    const bool printed = drawCopies(printer, picture, layout);
    printer.setOutputFileName(target);
    if (!printed) {
        QFile::remove(partial);
        return false;
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(partial).toStdString(),
                            QFile::encodeName(target).toStdString(), error);
    if (error) {
        QFile::remove(partial);
        return false;
    }
    return true;
}

bool printPaper(QWidget* parent, TPaper& paper, const QString& paperName)
{
    return printPaper(parent, paper, paperName, programPrinter());
}

bool printPaper(QWidget* parent, TPaper& paper, const QString& paperName, QPrinter& printer)
{
    if (!printer.isValid()) return false;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const QString path = printer.outputFileName();
        if (path.isEmpty() || path == g_chosenPdfPath) {
            g_chosenPdfPath = defaultPdfPath(paperName);
            printer.setOutputFileName(g_chosenPdfPath);
        }
    }
    // The saved and exported picture: every visible layer, never the grid.
    const QImage picture = toQImage(paper.picture(), true);
    TFormPrintOut dialog(printer, picture, paper.dpi, paperName, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    bool printed = false;
    {
        TWaitCursor wait;
        printed = printCopies(printer, picture, dialog.layout());
    }
    if (!printed) showWarning(uiText(kPrintFailed));
    return printed;
}

bool printerSetup(QWidget* parent)
{
    return printerSetup(parent, programPrinter());
}

bool printerSetup(QWidget* parent, QPrinter& printer)
{
    if (!printer.isValid()) {
        showWarning(uiText(kNoPrinter));
        return false;
    }
    QPrintDialog dialog(&printer, parent);
    const int result = g_setupExec ? g_setupExec(dialog) : dialog.exec();
    return result == QDialog::Accepted;
}

void setPrinterSetupExec(TPrinterSetupExec exec)
{
    g_setupExec = std::move(exec);
}

} // namespace qm::ui

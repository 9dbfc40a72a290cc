// Printing a paper and the printer setup, as the main window's commands call them. Without a
// system printer the program prints to a PDF file in the user's documents folder.
#pragma once

#include "print/print_layout.h"

#include <QImage>
#include <QString>

#include <functional>

class QPrintDialog;
class QPrinter;
class QWidget;

namespace qm {
class TPaper;
}

namespace qm::ui {

// The program's one printer: the default (or any) system printer, else PDF output.
QPrinter& programPrinter();

// Opens the print dialog over the paper's picture; on "印刷" prints one page with the copies at
// the confirmed place and size. False when cancelled or nothing could be printed.
bool printPaper(QWidget* parent, TPaper& paper, const QString& paperName);
bool printPaper(QWidget* parent, TPaper& paper, const QString& paperName, QPrinter& printer);

// The system's printer setup dialog; true when it was confirmed.
bool printerSetup(QWidget* parent);
bool printerSetup(QWidget* parent, QPrinter& printer);

// One page holding every copy of the layout (after confirm); false when the page could not be
// started (a PDF file that cannot be written, say).
bool printCopies(QPrinter& printer, const QImage& picture, const TPrintLayout& layout);

// The PDF file a print goes to when the printer writes PDF: "<paper name>.pdf" in the
// documents folder (the home folder when there is none).
QString defaultPdfPath(const QString& paperName);

// Tests replace the setup dialog's exec() (returning a QDialog::DialogCode); empty: exec().
using TPrinterSetupExec = std::function<int(QPrintDialog&)>;
void setPrinterSetupExec(TPrinterSetupExec exec);

} // namespace qm::ui

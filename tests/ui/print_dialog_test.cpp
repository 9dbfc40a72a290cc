// The print dialog over a PDF printer, and what the printed page holds: the page is written as
// PDF, rendered back with pdftoppm and its pixels compared with the places worked out by hand.
#include "ui/print_dialog.h"
#include "ui/print_out.h"
#include "ui/qt_images.h"
#include "window_fixture.h"

#include <QFileInfo>
#include <QLabel>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

namespace qm::ui::test {

namespace {

// The page of every test: 8 × 4 inches, no margins, 600 dpi: 4800 × 2400 printer pixels. In the
// 360 × 360 preview it fills the width at 360 / 4800 = 3/40: 360 × 180, 90 from the top.
void setUpPrinter(QPrinter& printer, const QString& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(600);
    printer.setPageSize(QPageSize(QSizeF(8, 4), QPageSize::Inch));
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0));
    printer.setOutputFileName(path);
}

class PrintDialog : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        printWindow = main().newPaper(QStringLiteral("print"), 600, 400);
        ASSERT_NE(printWindow, nullptr);
        TPaper& p = printWindow->paper();
        p.dpi = 150;
        // Blue paper with a red rectangle over its middle half.
        p.setPaperColor(0x0000FF, false);
        ASSERT_TRUE(p.layer(0)->image()->MaskedSet({150, 100, 300, 200}, 0xFFFFFFFF, 0xFFFF0000));
        p.refreshAll(printWindow->document().flow(), 0, false);
        pdfPath = dir.filePath(QStringLiteral("page.pdf"));
        setUpPrinter(printer, pdfPath);
    }
    void TearDown() override
    {
        setPrinterSetupExec({});
        WindowFixture::TearDown();
    }
    TPaper& printPaperDoc() { return printWindow->paper(); }
    QImage picture() { return toQImage(printPaperDoc().picture(), true); }

    void mouseOn(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
    void dragPreview(TFormPrintOut& d, QPoint from, QPoint to)
    {
        mouseOn(d.preview(), QEvent::MouseButtonPress, from, Qt::LeftButton);
        mouseOn(d.preview(), QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
        mouseOn(d.preview(), QEvent::MouseMove, to, Qt::LeftButton);
        mouseOn(d.preview(), QEvent::MouseButtonRelease, to, Qt::NoButton);
    }

    TDrawWindowWidget* printWindow = nullptr;
    QPrinter printer{QPrinter::HighResolution};
    QString pdfPath;
};

TEST_F(PrintDialog, OpensAtThePapersPhysicalSizeAndTheButtonsStepTheScale)
{
    TFormPrintOut d(printer, picture(), printPaperDoc().dpi, QStringLiteral("print"));
    EXPECT_TRUE(d.windowTitle().endsWith(QStringLiteral("  (print, w:600 x h:400, dpi:150)")))
        << d.windowTitle().toStdString();
    EXPECT_TRUE(d.printerLabel()->text().endsWith(QStringLiteral(" : PDF file: ") + pdfPath))
        << d.printerLabel()->text().toStdString();
    EXPECT_EQ(d.pageLabel()->text(), QStringLiteral("w 4800 x h 2400"));
    EXPECT_EQ(d.resolutionLabel()->text(), QStringLiteral("w 600 x h 600"));
    // 600 dpi × 100 ÷ 150 dpi = 400 %: 600 px × 4 ÷ 600 × 2.54 = 10.16 cm, 400 × 4 ÷ 600 × 2.54.
    EXPECT_EQ(d.scaleBar()->value(), 400);
    EXPECT_EQ(d.scaleLabel()->text(), QStringLiteral("400 %"));
    EXPECT_TRUE(d.sizeLabel()->text().contains(QStringLiteral("10.16")))
        << d.sizeLabel()->text().toStdString();
    EXPECT_TRUE(d.sizeLabel()->text().contains(QStringLiteral("6.77")));

    d.scaleDownButton()->click();
    EXPECT_EQ(d.scaleLabel()->text(), QStringLiteral("300 %"));
    d.scaleBar()->setValue(250);
    d.scaleUpButton()->click();
    EXPECT_EQ(d.layout().scale(), 300);
    d.scaleBar()->setValue(250);
    d.scaleDownButton()->click();
    EXPECT_EQ(d.layout().scale(), 200);
    d.scaleBar()->setValue(100);
    d.scaleDownButton()->click();
    EXPECT_EQ(d.scaleLabel()->text(), QStringLiteral("100 %"));
    EXPECT_TRUE(d.sizeLabel()->text().contains(QStringLiteral("2.54")));
}

TEST_F(PrintDialog, DraggingMovesTheCopiesAndCentringPutsThemBack)
{
    TFormPrintOut d(printer, picture(), printPaperDoc().dpi, QStringLiteral("print"));
    // At 400 % a copy is 600 × 4 × 3/40 = 180 by 120 preview pixels: centred at
    // ((360 − 180) ÷ 2, (180 − 120) ÷ 2).
    EXPECT_EQ(d.layout().positionOffset(), (TPoint{90, 30}));
    dragPreview(d, {200, 200}, {213, 192});
    EXPECT_EQ(d.layout().positionOffset(), (TPoint{103, 22}));
    d.copiesAcross()->setValue(3);
    d.copiesDown()->setValue(0);
    EXPECT_EQ(d.layout().FPrintLoopX, 3);
    EXPECT_EQ(d.layout().FPrintLoopY, 1) << "at least one copy";
    d.centreButton()->click();
    // (360 − 3 × 180) ÷ 2 = −90.
    EXPECT_EQ(d.layout().positionOffset(), (TPoint{-90, 30}));

    // The preview shows it: grey box, white page edge framed black, blue paper copies.
    QImage shown(d.preview()->size(), QImage::Format_RGB32);
    d.preview()->render(&shown);
    EXPECT_EQ(shown.pixel(5, 5), qRgb(128, 128, 128));
    EXPECT_EQ(shown.pixel(5, 90), qRgb(0, 0, 0)) << "frame at the page's top edge";
    EXPECT_EQ(shown.pixel(5, 100), qRgb(255, 255, 255)) << "page above the copies";
    // The first copy spans x −90 … 90, its red middle −45 … 45: blue at 60, red at 5.
    EXPECT_EQ(shown.pixel(60, 200), qRgb(0, 0, 255)) << "first copy's blue paper";
    EXPECT_EQ(qRed(shown.pixel(5, 200)), 255) << "first copy, clipped at the page";
    EXPECT_EQ(qRed(shown.pixel(180, 180)), 255) << "the middle copy's red middle";
}

TEST_F(PrintDialog, ChangingThePrinterReadsItAgain)
{
    setPrinterSetupExec([](QPrintDialog& dialog) {
        dialog.printer()->setResolution(300);
        return int(QDialog::Accepted);
    });
    TFormPrintOut d(printer, picture(), printPaperDoc().dpi, QStringLiteral("print"));
    d.setupButton()->click();
    EXPECT_EQ(d.resolutionLabel()->text(), QStringLiteral("w 300 x h 300"));
    EXPECT_EQ(d.pageLabel()->text(), QStringLiteral("w 2400 x h 1200"));
    EXPECT_EQ(d.layout().scale(), 400) << "the scale stays";
    EXPECT_TRUE(d.sizeLabel()->text().contains(QStringLiteral("20.32")));
    // 600 × 4 × 360 ÷ 2400 = 360 wide: the copy fills the preview page's width.
    EXPECT_EQ(d.layout().positionOffset().x, 0);

    setPrinterSetupExec([](QPrintDialog&) { return int(QDialog::Rejected); });
    EXPECT_FALSE(printerSetup(nullptr, printer));
}

TEST_F(PrintDialog, TheProgramPrinterWritesPdfWithoutASystemPrinter)
{
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "this machine has a printer";
    QPrinter& program = programPrinter();
    EXPECT_EQ(&program, &programPrinter()) << "one printer for the whole run";
    EXPECT_TRUE(program.isValid());
    EXPECT_EQ(program.outputFormat(), QPrinter::PdfFormat);
    bool opened = false;
    setPrinterSetupExec([&](QPrintDialog& dialog) {
        opened = dialog.printer() == &program;
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(printerSetup(nullptr));
    EXPECT_TRUE(opened);
    EXPECT_TRUE(hook.shown.isEmpty()) << "no warning: the PDF printer is the printer";
    EXPECT_TRUE(defaultPdfPath(QStringLiteral("cat")).endsWith(QStringLiteral("/cat.pdf")));
}

TEST_F(PrintDialog, CancelPrintsNothing)
{
    whenOpen<TFormPrintOut>([](TFormPrintOut& d) { d.cancelButton()->click(); });
    EXPECT_FALSE(printPaper(&main(), printPaperDoc(), QStringLiteral("print"), printer));
    EXPECT_FALSE(QFileInfo::exists(pdfPath));
}

// Which of the page's colours a rendered pixel is, or '?' for a blend.
char colourOf(QRgb p)
{
    const int r = qRed(p), g = qGreen(p), b = qBlue(p);
    if (r > 200 && g > 200 && b > 200) return 'w';
    if (r > 180 && g < 90 && b < 90) return 'r';
    if (b > 180 && r < 90 && g < 90) return 'b';
    return '?';
}

TEST_F(PrintDialog, ThePrintedPageHoldsTheCopiesWhereTheLayoutPutsThem)
{
    whenOpen<TFormPrintOut>([this](TFormPrintOut& d) {
        d.scaleBar()->setValue(100);
        d.copiesAcross()->setValue(2);
        // 100 %: a copy is 600 × 3/40 = 45 by 30 preview pixels; two across centre at
        // ((360 − 90) ÷ 2, (180 − 30) ÷ 2) = (135, 75); the drag adds (20, 10).
        d.centreButton()->click();
        dragPreview(d, {150, 150}, {170, 160});
        d.printButton()->click();
    });
    ASSERT_TRUE(printPaper(&main(), printPaperDoc(), QStringLiteral("print"), printer));
    ASSERT_TRUE(QFileInfo::exists(pdfPath));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral(".page.pdf.part"))));

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdfPath});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));

    const QString prefix = dir.filePath(QStringLiteral("page"));
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), pdfPath, prefix});
    ASSERT_TRUE(render.waitForFinished(60000));
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    const QImage page(prefix + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    // 8 × 4 inches at 150 dpi.
    ASSERT_EQ(page.size(), QSize(1200, 600));

    // By hand: FPrintX = 155 × 40/3 = 2066.7 → 2066, FPrintY = 85 × 40/3 = 1133.3 → 1133, and at
    // 100 % a copy is 600 × 400 printer pixels. Rendered at 150 of 600 dpi everything is ÷ 4.
    // Each copy is blue with red over its middle half (paper pixels 150 … 450, 100 … 300).
    struct Area {
        double left, top, right, bottom;
        bool contains(double x, double y, double margin) const
        {
            return x >= left - margin && x < right + margin && y >= top - margin &&
                   y < bottom + margin;
        }
    };
    std::vector<Area> copies, reds;
    for (int c = 0; c < 2; ++c) {
        const double x = 2066 + c * 600, y = 1133;
        copies.push_back({x / 4, y / 4, (x + 600) / 4, (y + 400) / 4});
        reds.push_back({(x + 150) / 4, (y + 100) / 4, (x + 450) / 4, (y + 300) / 4});
    }
    constexpr double kSlack = 2.0; // pixels of the PDF raster either side of an edge
    auto inAny = [](const std::vector<Area>& areas, double x, double y, double margin) {
        for (const Area& a : areas)
            if (a.contains(x, y, margin)) return true;
        return false;
    };
    int wrong = 0, red = 0, blue = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            char expected = 0;
            if (inAny(reds, cx, cy, -kSlack))
                expected = 'r';
            else if (inAny(copies, cx, cy, -kSlack) && !inAny(reds, cx, cy, kSlack))
                expected = 'b';
            else if (!inAny(copies, cx, cy, kSlack))
                expected = 'w';
            if (!expected) continue; // within the slack of an edge
            const char got = colourOf(page.pixel(x, y));
            red += got == 'r';
            blue += got == 'b';
            if (got != expected && ++wrong <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is '" << got << "', expected '"
                              << expected << "'";
        }
    }
    EXPECT_EQ(wrong, 0);
    // Two red blocks of 75 × 50 rendered pixels, less the slack band.
    EXPECT_GE(red, 2 * 71 * 46);
    EXPECT_GE(blue, 2 * (146 * 96 - 79 * 54));
}

} // namespace
} // namespace qm::ui::test

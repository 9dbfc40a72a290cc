#include "ui/print_dialog.h"

#include "ui/print_out.h"
#include "ui/ui_text.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm::ui {

namespace {

constexpr int kMaxCopies = 99;
// Copies up to this size are scaled once and kept; bigger ones (a large paper at a high scale)
// are drawn straight from the picture so that only the visible part is ever scaled.
constexpr qint64 kMaxCachedPixels = 2048 * 2048;

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

TPrinterFacts printerFacts(const QPrinter& printer)
{
    return {printer.logicalDpiX(), printer.logicalDpiY(), printer.width(), printer.height()};
}

QString printerDescription(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return TFormPrintOut::tr("PDF file: %1").arg(printer.outputFileName());
    return printer.printerName();
}

// ---- preview ----

TPrintPreview::TPrintPreview(TPrintLayout& layout, const QImage& picture, QWidget* parent)
    : QWidget(parent), layout_(layout), picture_(picture)
{
    setFixedSize(kWidth, kHeight);
    setCursor(Qt::SizeAllCursor);
}

void TPrintPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(128, 128, 128));
    const TBox pageBox = layout_.previewPage().box;
    const QRect page(pageBox.x, pageBox.y, pageBox.width, pageBox.height);
    if (page.isEmpty()) return;
    painter.fillRect(page, Qt::white);

    const TPoint size = layout_.scaledSize();
    if (size.x > 0 && size.y > 0 && !picture_.isNull()) {
        const bool cached = qint64(size.x) * size.y <= kMaxCachedPixels;
        if (cached && scaled_.size() != QSize(size.x, size.y))
            scaled_ =
                picture_.scaled(size.x, size.y, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.save();
        painter.setClipRect(page);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        for (const TBox& copy : layout_.previewCopies()) {
            const QRect target(copy.x, copy.y, copy.width, copy.height);
            if (!target.intersects(page)) continue;
            if (cached)
                painter.drawImage(target.topLeft(), scaled_);
            else
                painter.drawImage(target, picture_);
        }
        painter.restore();
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(page.adjusted(0, 0, -1, -1));
}

void TPrintPreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    layout_.beginDrag(p.x(), p.y());
}

void TPrintPreview::mouseMoveEvent(QMouseEvent* event)
{
    if (!layout_.dragging()) return;
    const QPoint p = event->position().toPoint();
    layout_.dragTo(p.x(), p.y());
    update();
}

void TPrintPreview::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !layout_.dragging()) return;
    const QPoint p = event->position().toPoint();
    layout_.endDrag(p.x(), p.y());
    update();
}

// ---- dialog ----

TFormPrintOut::TFormPrintOut(QPrinter& printer, const QImage& picture, int32_t paperDpi,
                             const QString& paperName, QWidget* parent)
    : QDialog(parent), printer_(printer), picture_(picture)
{
    layout_.open(printerFacts(printer_), {picture_.width(), picture_.height(), paperDpi},
                 TPrintPreview::kWidth, TPrintPreview::kHeight);
    setWindowTitle(
        fromStd(printCaption(uiText(kPrintCaption).toStdString(), paperName.toStdString(),
                             picture_.width(), picture_.height(), paperDpi)));

    printerLabel_ = new QLabel(this);
    pageLabel_ = new QLabel(this);
    resolutionLabel_ = new QLabel(this);
    setup_ = new QPushButton(tr("&Printer Setup..."), this);
    auto* facts = new QGridLayout;
    facts->addWidget(printerLabel_, 0, 0, 1, 2);
    facts->addWidget(setup_, 0, 2);
    facts->addWidget(new QLabel(tr("Page size:"), this), 1, 0);
    facts->addWidget(pageLabel_, 1, 1);
    facts->addWidget(new QLabel(tr("Resolution:"), this), 2, 0);
    facts->addWidget(resolutionLabel_, 2, 1);
    facts->setColumnStretch(1, 1);

    preview_ = new TPrintPreview(layout_, picture_, this);

    scaleBar_ = new QSlider(Qt::Horizontal, this);
    scaleBar_->setRange(kMinPrintScale, kMaxPrintScale);
    scaleBar_->setPageStep(100);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    downButton_ = new QToolButton(this);
    downButton_->setArrowType(Qt::DownArrow);
    auto* upDown = new QVBoxLayout;
    upDown->setSpacing(0);
    upDown->addWidget(up_);
    upDown->addWidget(downButton_);
    scaleLabel_ = new QLabel(this);
    scaleLabel_->setMinimumWidth(
        scaleLabel_->fontMetrics().horizontalAdvance(QStringLiteral("0000 %")));
    auto* scaleRow = new QHBoxLayout;
    scaleRow->addWidget(scaleBar_, 1);
    scaleRow->addLayout(upDown);
    scaleRow->addWidget(scaleLabel_);
    sizeLabel_ = new QLabel(this);

    across_ = new QSpinBox(this);
    down_ = new QSpinBox(this);
    for (QSpinBox* box : {across_, down_}) {
        box->setRange(1, kMaxCopies);
        box->setValue(1);
    }
    centre_ = new QPushButton(uiText(kCentreButton), this);
    print_ = new QPushButton(uiText(kPrintButton), this);
    print_->setDefault(true);
    cancel_ = new QPushButton(tr("Cancel"), this);

    auto* controls = new QFormLayout;
    controls->addRow(tr("Scale:"), scaleRow);
    controls->addRow(tr("Printed size (cm):"), sizeLabel_);
    controls->addRow(tr("Copies across:"), across_);
    controls->addRow(tr("Copies down:"), down_);
    controls->addRow(centre_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(print_);
    buttons->addWidget(cancel_);
    auto* side = new QVBoxLayout;
    side->addLayout(controls);
    side->addStretch(1);
    side->addLayout(buttons);

    auto* body = new QHBoxLayout;
    body->addWidget(preview_, 0, Qt::AlignTop);
    body->addLayout(side, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(facts);
    top->addLayout(body);

    readPrinter();
    scaleBar_->setValue(layout_.scale());
    showScale();

    connect(scaleBar_, &QSlider::valueChanged, this, [this](int value) {
        layout_.setScale(value);
        showScale();
        preview_->update();
    });
    connect(up_, &QToolButton::clicked, this, [this] {
        layout_.scaleUp();
        scaleBar_->setValue(layout_.scale());
    });
    connect(downButton_, &QToolButton::clicked, this, [this] {
        layout_.scaleDown();
        scaleBar_->setValue(layout_.scale());
    });
    auto copiesChanged = [this] {
        layout_.setCopies(across_->value(), down_->value());
        preview_->update();
    };
    connect(across_, &QSpinBox::valueChanged, this, copiesChanged);
    connect(down_, &QSpinBox::valueChanged, this, copiesChanged);
    connect(centre_, &QPushButton::clicked, this, [this] {
        layout_.centre();
        preview_->update();
    });
    connect(print_, &QPushButton::clicked, this, [this] {
        layout_.confirm();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(setup_, &QPushButton::clicked, this, &TFormPrintOut::changePrinter);
}

void TFormPrintOut::readPrinter()
{
    const TPrinterFacts& facts = layout_.printer();
    printerLabel_->setText(fromStd(qm::printerLabel(uiText(kPrinterWord).toStdString(),
                                                    printerDescription(printer_).toStdString())));
    pageLabel_->setText(fromStd(pixelPairLabel(facts.pageWidth, facts.pageHeight)));
    resolutionLabel_->setText(fromStd(pixelPairLabel(facts.dpiX, facts.dpiY)));
}

void TFormPrintOut::showScale()
{
    scaleLabel_->setText(fromStd(printScaleLabel(layout_.scale())));
    sizeLabel_->setText(
        fromStd(printedSizeLabel(layout_.printedWidthCm(), layout_.printedHeightCm())));
}

void TFormPrintOut::changePrinter()
{
    if (!printerSetup(this, printer_)) return;
    layout_.changePrinter(printerFacts(printer_));
    readPrinter();
    showScale();
    preview_->update();
}

} // namespace qm::ui

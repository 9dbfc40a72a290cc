#include "ui/colour_windows.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qm::ui {

namespace {

QColor qColour(uint32_t rgb) { return QColor(int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF)); }

// A small ring that stays visible on light and dark colours.
void drawMarker(QPainter& p, QPointF at)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1.5));
    p.drawEllipse(at, 5, 5);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawEllipse(at, 3.5, 3.5);
}

} // namespace

// ---- hue bar ----

THueBar::THueBar(CColorMngr& colours, QWidget* parent) : QWidget(parent), colours_(colours)
{
    setFixedWidth(20);
    setMinimumHeight(120);
}

void THueBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int rows = height();
    for (int y = 0; y < rows; ++y) {
        p.setPen(qColour(CColorMngr::hueBarColour(y, rows)));
        p.drawLine(0, y, width() - 1, y);
    }
    if (colours_.hue() >= 0) {
        const int row = CColorMngr::hueBarRow(colours_.hue(), rows);
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(0, row - 2, width() - 1, 4);
    }
}

void THueBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        colours_.pickHue(int(event->position().y()), height());
}

void THueBar::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        colours_.pickHue(int(event->position().y()), height());
}

// ---- colour square ----

TColourSquare::TColourSquare(CColorMngr& colours, QWidget* parent)
    : QWidget(parent), colours_(colours)
{
    setMinimumSize(120, 120);
}

void TColourSquare::rebuild()
{
    const int w = std::max(1, width()), h = std::max(1, height());
    picture_ = QImage(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(picture_.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = 0xFF000000u | CColorMngr::squareColour(colours_.pureColour(), x, y, w, h);
    }
    colours_.findMarker(w, h, marker_);
    update();
}

void TColourSquare::findMarker()
{
    colours_.findMarker(std::max(1, width()), std::max(1, height()), marker_);
    update();
}

void TColourSquare::resizeEvent(QResizeEvent*) { rebuild(); }

void TColourSquare::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, picture_);
    drawMarker(p, QPointF(marker_.x, marker_.y));
}

void TColourSquare::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton &&
        colours_.pickInSquare(int(event->position().x()), int(event->position().y()), width(),
                              height(), marker_))
        update();
}

void TColourSquare::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) &&
        colours_.pickInSquare(int(event->position().x()), int(event->position().y()), width(),
                              height(), marker_))
        update();
}

// ---- swatches ----

TSwatches::TSwatches(CColorMngr& colours, QWidget* parent) : QWidget(parent), colours_(colours)
{
    setFixedSize(48, 48);
}

void TSwatches::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    // The second colour first, under the main one; the order flag decides which rectangle.
    const bool secondFirst = colours_.swatchOrder();
    const QRect secondAt = secondFirst ? firstRect() : secondRect();
    const QRect mainAt = secondFirst ? secondRect() : firstRect();
    p.fillRect(secondAt, qColour(colours_.secondColor()));
    p.setPen(QColor(0x55, 0x55, 0x55));
    p.drawRect(secondAt.adjusted(0, 0, -1, -1));
    p.fillRect(mainAt, qColour(colours_.mainColor()));
    p.setPen(QColor(255, 0, 0)); // the frame value 255 as a Windows colour: red
    p.drawRect(mainAt.adjusted(0, 0, -1, -1));
}

void TSwatches::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    colours_.clickSwatches(firstRect().contains(at), secondRect().contains(at));
    update();
}

// ---- the colour window ----

TGColWindow::TGColWindow(CColorMngr& colours, QWidget* parent) : QWidget(parent), colours_(colours)
{
    setObjectName(QStringLiteral("TGColWindow"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    hueBar_ = new THueBar(colours, this);
    square_ = new TColourSquare(colours, this);
    layout->addWidget(hueBar_);
    layout->addWidget(square_, 1);
    auto* side = new QVBoxLayout;
    swatches_ = new TSwatches(colours, this);
    side->addWidget(swatches_);
    for (QLabel*& label : labels_) {
        label = new QLabel(this);
        side->addWidget(label);
    }
    side->addStretch(1);
    layout->addLayout(side);
    if (colours.hue() < 0)
        colours.setHue(colours.hsv().H);
    colourChanged(true, kColourSourceNone);
}

QString TGColWindow::labels() const
{
    return labels_[0]->text() + QLatin1Char(' ') + labels_[1]->text() + QLatin1Char(' ') +
           labels_[2]->text();
}

void TGColWindow::colourChanged(bool main, int32_t source)
{
    const uint32_t c = colours_.mainColor();
    labels_[0]->setText(QString::asprintf("R: %03d", int(c >> 16 & 0xFF)));
    labels_[1]->setText(QString::asprintf("G: %03d", int(c >> 8 & 0xFF)));
    labels_[2]->setText(QString::asprintf("B: %03d", int(c & 0xFF)));
    swatches_->update();
    if (main && source != kColourSourceSquare)
        square_->findMarker();
}

void TGColWindow::hueChanged()
{
    hueBar_->update();
    square_->rebuild();
}

// ---- RGB and HSV windows ----

TColourFieldsWindow::TColourFieldsWindow(CColorMngr& colours, TModel model, QWidget* parent)
    : QWidget(parent), colours_(colours), model_(model)
{
    const bool rgb = model == TModel::rgb;
    setObjectName(rgb ? QStringLiteral("TRgbWindow") : QStringLiteral("THsvWindow"));
    auto* form = new QFormLayout(this);
    const char* const names[] = {rgb ? "R" : "H", rgb ? "G" : "S", rgb ? "B" : "V"};
    for (size_t i = 0; i < 3; ++i) {
        fields_[i] = new QSpinBox(this);
        fields_[i]->setRange(0, !rgb && i == 0 ? 359 : 255);
        form->addRow(QString::fromLatin1(names[i]), fields_[i]);
        connect(fields_[i], &QSpinBox::valueChanged, this, &TColourFieldsWindow::edited);
    }
    follow();
}

void TColourFieldsWindow::edited()
{
    if (updating_)
        return;
    const int a = fields_[0]->value(), b = fields_[1]->value(), c = fields_[2]->value();
    if (model_ == TModel::rgb) {
        colours_.setMainColor(uint32_t(a) << 16 | uint32_t(b) << 8 | uint32_t(c), kColourSourceWindow);
    } else {
        const THSV record{a << 16, b << 16, c << 16};
        colours_.setHSV(record, hsvToRGB(record));
    }
}

void TColourFieldsWindow::follow()
{
    updating_ = true;
    const uint32_t c = colours_.mainColor();
    const THSV& hsv = colours_.hsv();
    const int values[2][3] = {{int(c >> 16 & 0xFF), int(c >> 8 & 0xFF), int(c & 0xFF)},
                              {hsv.H >> 16, hsv.S >> 16, hsv.V >> 16}};
    for (size_t i = 0; i < 3; ++i)
        fields_[i]->setValue(values[model_ == TModel::rgb ? 0 : 1][i]);
    updating_ = false;
}

} // namespace qm::ui

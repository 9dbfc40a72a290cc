#include "ui/filter_dialogs.h"

#include "ui/generator_dialogs.h"
#include "ui/ui_text.h"

#include <QCheckBox>
#include <QDial>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>

namespace qm::ui {

namespace {

constexpr const char* kBadNumberMessage = "不正な文字により数値を読みとれません！";
constexpr const char* kRangeMessage = "%sは %d ～ %d にしてください！";
constexpr const char* kRequiredMessage = "%sが必要です！";

std::function<int64_t()> g_clock;

int64_t previewNow()
{
    if (g_clock) return g_clock();
    static QElapsedTimer since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return since.elapsed();
}

void refuseField(QLineEdit& field, const QString& message)
{
    showWarning(message);
    field.setFocus();
    field.selectAll();
}

QString rangeMessage(const QString& name, int minimum, int maximum)
{
    return uiText(kRangeMessage, {name, QString::number(minimum), QString::number(maximum)});
}

// A row of the grid that all labelled controls share, so their labels line up.
QGridLayout* controlGrid(QVBoxLayout* body)
{
    if (body->count() > 0)
        if (auto* grid = qobject_cast<QGridLayout*>(body->itemAt(body->count() - 1)->layout()))
            return grid;
    auto* grid = new QGridLayout;
    body->addLayout(grid);
    return grid;
}

template <typename D>
bool runDialog(TFilterPreviewHost& host, QWidget* parent, TFilterParams& out,
               TFilterPictures* pictures = nullptr)
{
    D dialog(host, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    out = dialog.params();
    if (pictures) *pictures = dialog.takePictures();
    return true;
}

} // namespace

void setFilterPreviewClock(std::function<int64_t()> clock) { g_clock = std::move(clock); }

int64_t filterDialogClock() { return previewNow(); }

void forgetFilterDialogValues()
{
    TFormLevel::lastAccepted = {};
    TFormGamma::lastAccepted = {};
    TFormContrast::lastAccepted = {};
    TFormHLS::lastAccepted = {};
    TFormPoster::lastAccepted = {};
    TFormMosaic::lastAccepted = {};
    TFormNoize::lastAccepted = {};
    TFormMotionBlur::lastAccepted = {};
    TFormZoomBlur::lastAccepted = {};
    TFormGauss::lastAccepted = {};
    TFormSharpCustom::lastAccepted = {};
    TFormTwist::lastAccepted = {};
    TFormWave::lastAccepted = {};
    TFormEmboss::lastAccepted = {};
    forgetGeneratorDialogValues();
}

bool askFilterParams(TFilterNumber number, TFilterPreviewHost& host, QWidget* parent,
                     TFilterParams& out, TFilterPictures* pictures)
{
    switch (number) {
    case TFilterNumber::Blur:
        out = TBlurParams{};
        return true;
    case TFilterNumber::StrongBlur:
        out = TStrongBlurParams{};
        return true;
    case TFilterNumber::Sharpen:
        out = TSharpenParams{};
        return true;
    case TFilterNumber::StrongSharpen:
        out = TStrongSharpenParams{};
        return true;
    case TFilterNumber::Monochrome:
        out = TMonochromeParams{};
        return true;
    case TFilterNumber::MotionBlur:
        return runDialog<TFormMotionBlur>(host, parent, out);
    case TFilterNumber::ZoomBlur:
        return runDialog<TFormZoomBlur>(host, parent, out);
    case TFilterNumber::AdjustableSharpen:
        return runDialog<TFormSharpCustom>(host, parent, out);
    case TFilterNumber::Levels:
        return runDialog<TFormLevel>(host, parent, out);
    case TFilterNumber::Gamma:
        return runDialog<TFormGamma>(host, parent, out);
    case TFilterNumber::BrightnessContrast:
        return runDialog<TFormContrast>(host, parent, out);
    case TFilterNumber::HueSaturationLightness:
        return runDialog<TFormHLS>(host, parent, out);
    case TFilterNumber::Posterize:
        return runDialog<TFormPoster>(host, parent, out);
    case TFilterNumber::Noise:
        return runDialog<TFormNoize>(host, parent, out);
    case TFilterNumber::Mosaic:
        return runDialog<TFormMosaic>(host, parent, out);
    case TFilterNumber::GaussianBlur:
        return runDialog<TFormGauss>(host, parent, out);
    case TFilterNumber::Twist:
        return runDialog<TFormTwist>(host, parent, out);
    case TFilterNumber::Emboss:
        return runDialog<TFormEmboss>(host, parent, out);
    case TFilterNumber::Wave:
        return runDialog<TFormWave>(host, parent, out);
    case TFilterNumber::Tile:
        return runDialog<TFormTile>(host, parent, out);
    case TFilterNumber::Cloud:
        return runDialog<TFormCloud>(host, parent, out);
    case TFilterNumber::Rock:
        return runDialog<TFormRock>(host, parent, out);
    case TFilterNumber::Lighting:
        return runDialog<TFormLighting>(host, parent, out);
    case TFilterNumber::Floor:
        return runDialog<TFormFloor>(host, parent, out, pictures);
    }
    return false;
}

// ---- reading fields ----

bool readWholeField(QLineEdit& field, const QString& name, int minimum, int maximum, int& value,
                    const QString& emptyMessage)
{
    const QString text = field.text().trimmed();
    if (text.isEmpty()) {
        refuseField(field, emptyMessage.isEmpty() ? uiText(kRequiredMessage, {name}) : emptyMessage);
        return false;
    }
    bool number = false;
    const int typed = text.toInt(&number);
    if (!number) {
        refuseField(field, uiText(kBadNumberMessage));
        return false;
    }
    if (typed < minimum || typed > maximum) {
        refuseField(field, rangeMessage(name, minimum, maximum));
        return false;
    }
    value = typed;
    return true;
}

bool readRealField(QLineEdit& field, const QString& name, int minimum, int maximum,
                   double& value)
{
    const QString text = field.text().trimmed();
    if (text.isEmpty()) {
        refuseField(field, uiText(kRequiredMessage, {name}));
        return false;
    }
    bool number = false;
    const double typed = text.toDouble(&number);
    if (!number || !std::isfinite(typed)) {
        refuseField(field, uiText(kBadNumberMessage));
        return false;
    }
    if (typed < minimum || typed > maximum) {
        refuseField(field, rangeMessage(name, minimum, maximum));
        return false;
    }
    value = typed;
    return true;
}

// ---- the shared dialog ----

TFilterDialog::TFilterDialog(TFilterPreviewHost& host, const char* objectName,
                             const QString& title, QWidget* parent)
    : QDialog(parent), host_(host)
{
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    body_ = new QVBoxLayout;
    footer_ = new QHBoxLayout;
    layout->addLayout(body_);
    layout->addLayout(footer_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons_);
}

void TFilterDialog::accept()
{
    if (!validate()) return;
    remember();
    QDialog::accept();
}

void TFilterDialog::addResetButton(std::function<void()> reset)
{
    QPushButton* button = buttons_->addButton(QDialogButtonBox::Reset);
    button->setObjectName(QStringLiteral("ButtonReset"));
    connect(button, &QPushButton::clicked, this, [this, reset = std::move(reset)] {
        reset();
        changed();
    });
}

QSlider* TFilterDialog::addSlider(const char* objectName, const QString& label, int minimum,
                                  int maximum, int value, std::function<QString(int)> format)
{
    QGridLayout* grid = controlGrid(body_);
    const int row = grid->rowCount();
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QString::fromLatin1(objectName));
    slider->setRange(minimum, maximum);
    slider->setValue(value);
    auto* shown = new QLabel(format(value), this);
    shown->setObjectName(slider->objectName() + QStringLiteral("Value"));
    shown->setMinimumWidth(shown->fontMetrics().horizontalAdvance(QStringLiteral("-000.000 [pixel]")));
    auto* caption = new QLabel(label, this);
    caption->setBuddy(slider);
    grid->addWidget(caption, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(shown, row, 2);
    connect(slider, &QSlider::valueChanged, this, [this, shown, format = std::move(format)](int v) {
        shown->setText(format(v));
        changed();
    });
    return slider;
}

QDial* TFilterDialog::addAngleDial(const char* objectName, const QString& label, int degrees)
{
    QGridLayout* grid = controlGrid(body_);
    const int row = grid->rowCount();
    auto* dial = new QDial(this);
    dial->setObjectName(QString::fromLatin1(objectName));
    dial->setRange(0, 359);
    dial->setWrapping(true);
    dial->setNotchesVisible(true);
    dial->setFixedSize(64, 64);
    dial->setValue(degrees);
    const auto format = [](int v) { return QString::asprintf("%3d", v) + QString::fromUtf8("°"); };
    auto* shown = new QLabel(format(degrees), this);
    shown->setObjectName(dial->objectName() + QStringLiteral("Value"));
    auto* caption = new QLabel(label, this);
    caption->setBuddy(dial);
    grid->addWidget(caption, row, 0);
    grid->addWidget(dial, row, 1, Qt::AlignLeft);
    grid->addWidget(shown, row, 2);
    connect(dial, &QDial::valueChanged, this, [this, shown, format](int v) {
        shown->setText(format(v));
        changed();
    });
    return dial;
}

QLineEdit* TFilterDialog::addField(const char* objectName, const QString& label,
                                   const QString& text)
{
    QGridLayout* grid = controlGrid(body_);
    const int row = grid->rowCount();
    auto* field = new QLineEdit(text, this);
    field->setObjectName(QString::fromLatin1(objectName));
    field->setMaxLength(8);
    auto* caption = new QLabel(label, this);
    caption->setBuddy(field);
    grid->addWidget(caption, row, 0);
    grid->addWidget(field, row, 1);
    connect(field, &QLineEdit::textEdited, this, [this] { changed(); });
    return field;
}

// ---- the canvas preview ----

TCanvasPreviewDialog::TCanvasPreviewDialog(TFilterPreviewHost& host, const char* objectName,
                                           const QString& title, QWidget* parent)
    : TFilterDialog(host, objectName, title, parent)
{
    preview_ = new QCheckBox(uiText("preview"), this);
    preview_->setObjectName(QStringLiteral("CheckPreview"));
    preview_->setChecked(true);
    footer_->addWidget(preview_);
    footer_->addStretch();
    connect(preview_, &QCheckBox::toggled, this, [this](bool on) { previewToggled(on); });
    timer_ = new QTimer(this);
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, [this] { pollPreview(); });
    timer_->start();
    // Opening counts as a change, so remembered values show on the canvas after the pause.
    lastChange_ = previewNow();
}

void TCanvasPreviewDialog::changed() { lastChange_ = previewNow(); }

void TCanvasPreviewDialog::pollPreview()
{
    if (!preview_->isChecked() || previewNow() - lastChange_ < kSettleMs) return;
    std::vector<int> values;
    if (!previewValues(values) || (previewed_ && *previewed_ == values)) return;
    previewed_ = std::move(values);
    host_.previewOnCanvas(params());
}

void TCanvasPreviewDialog::previewToggled(bool on)
{
    if (on) {
        changed();
        return;
    }
    host_.restoreCanvas();
    previewed_.reset();
}

void TCanvasPreviewDialog::done(int result)
{
    timer_->stop();
    host_.restoreCanvas();
    previewed_.reset();
    TFilterDialog::done(result);
}

// ---- the view box ----

TFilterViewBox::TFilterViewBox(QSize layerSize, int side, QWidget* parent)
    : QWidget(parent), layer_(layerSize), side_(side)
{
    setObjectName(QStringLiteral("ViewBox"));
    setFixedSize(side, side);
    origin_ = clampedOrigin({(layer_.width() - side) / 2, (layer_.height() - side) / 2});
    setCursor(Qt::OpenHandCursor);
}

void TFilterViewBox::setWholeLayer(bool whole)
{
    whole_ = whole;
    setCursor(whole ? Qt::CrossCursor : Qt::OpenHandCursor);
}

QPoint TFilterViewBox::clampedOrigin(QPoint origin) const
{
    // A layer narrower than the box is shown whole, centred; a wider one stays filled.
    return {std::clamp(origin.x(), 0, std::max(0, layer_.width() - side_)),
            std::clamp(origin.y(), 0, std::max(0, layer_.height() - side_))};
}

QRect TFilterViewBox::area() const
{
    if (whole_) return QRect(QPoint(0, 0), layer_);
    return QRect(origin_, QSize(side_, side_)).intersected(QRect(QPoint(0, 0), layer_));
}

double TFilterViewBox::scale() const
{
    if (!whole_ || layer_.isEmpty()) return 1.0;
    return std::max({1.0, double(layer_.width()) / side_, double(layer_.height()) / side_});
}

QPoint TFilterViewBox::pictureOffset() const
{
    const QRect shown = area();
    const double s = scale();
    return {int((side_ - shown.width() / s) / 2), int((side_ - shown.height() / s) / 2)};
}

QPoint TFilterViewBox::layerPointAt(QPoint widgetPoint) const
{
    const QPointF inPicture = QPointF(widgetPoint - pictureOffset()) * scale();
    const QPoint p = area().topLeft() + QPoint(int(std::floor(inPicture.x())),
                                               int(std::floor(inPicture.y())));
    return {std::clamp(p.x(), 0, std::max(0, layer_.width() - 1)),
            std::clamp(p.y(), 0, std::max(0, layer_.height() - 1))};
}

void TFilterViewBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void TFilterViewBox::setMarker(std::optional<QPoint> layerPoint)
{
    marker_ = layerPoint;
    update();
}

void TFilterViewBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (int y = 0; y < height(); y += kSquare)
        for (int x = 0; x < width(); x += kSquare)
            painter.fillRect(x, y, kSquare, kSquare,
                             QColor::fromRgb(((x + y) / kSquare) % 2 ? kDarkSquare : kLightSquare));
    const QRect shown = area();
    const double s = scale();
    const QRectF target(pictureOffset(), QSizeF(shown.width() / s, shown.height() / s));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, s > 1.0);
    painter.drawImage(target, picture_);
    if (marker_) {
        const QPointF at = QPointF(pictureOffset()) + QPointF(*marker_ - shown.topLeft()) / s;
        painter.setPen(QPen(Qt::red, 1));
        painter.drawLine(at - QPointF(6, 0), at + QPointF(6, 0));
        painter.drawLine(at - QPointF(0, 6), at + QPointF(0, 6));
    }
}

void TFilterViewBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    pressAt_ = event->position().toPoint();
    pressOrigin_ = origin_;
    dragged_ = false;
}

void TFilterViewBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressAt_) return;
    const QPoint moved = event->position().toPoint() - *pressAt_;
    if (moved.manhattanLength() >= 3) dragged_ = true;
    if (!dragged_ || whole_) return;
    const QPoint origin = clampedOrigin(pressOrigin_ - moved);
    if (origin == origin_) return;
    origin_ = origin;
    emit panned();
}

void TFilterViewBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (!pressAt_ || event->button() != Qt::LeftButton) return;
    const bool click = !dragged_;
    pressAt_.reset();
    if (click) emit clicked(layerPointAt(event->position().toPoint()));
}

TViewBoxDialog::TViewBoxDialog(TFilterPreviewHost& host, const char* objectName,
                               const QString& title, int side, QWidget* parent)
    : TFilterDialog(host, objectName, title, parent)
{
    view_ = new TFilterViewBox(host.layerSize(), side, this);
    connect(view_, &TFilterViewBox::panned, this, [this] { changed(); });
}

void TViewBoxDialog::changed()
{
    const QRect area = view_->area();
    view_->setPicture(area.isEmpty() ? QImage() : host_.previewArea(params(), area, pictures()));
}

} // namespace qm::ui

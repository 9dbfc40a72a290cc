// The dialogs whose filters preview in a box inside the dialog: motion and zoom blur,
// Gaussian blur, adjustable sharpen, twist, wave and emboss.
#include "filters/filter_dialog_values.h"
#include "ui/filter_dialogs.h"
#include "ui/ui_text.h"

#include <QCheckBox>
#include <QDial>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qm::ui {

TFormMotionBlur::TValues TFormMotionBlur::lastAccepted;
TFormZoomBlur::TValues TFormZoomBlur::lastAccepted;
TFormGauss::TValues TFormGauss::lastAccepted;
TFormSharpCustom::TValues TFormSharpCustom::lastAccepted;
TFormTwist::TValues TFormTwist::lastAccepted;
TFormWave::TValues TFormWave::lastAccepted;
TFormEmboss::TValues TFormEmboss::lastAccepted;

namespace {

// The blurs use the small box; the distortions a larger one, since their shapes need room.
constexpr int kSmallBox = 128, kLargeBox = 192;

QString pixels(int v) { return QString::asprintf("%3d", v) + QStringLiteral(" [pixel]"); }
QString wholeNumber(int v) { return QString::asprintf("%3d", v); }
float radiansOf(int degrees) { return float(degrees * std::numbers::pi / 180.0); }

} // namespace

// ---- motion blur ----

TFormMotionBlur::TFormMotionBlur(TFilterPreviewHost& host, QWidget* parent)
    : TViewBoxDialog(host, "TFormMotionBlur", tr("Motion Blur"), kSmallBox, parent)
{
    body_->addWidget(view_, 0, Qt::AlignHCenter);
    amount_ = addSlider("TrackAmount", uiText("量"), 1, 100, lastAccepted.amount, pixels);
    angle_ = addAngleDial("DialAngle", uiText("角度"), lastAccepted.degrees);
    changed();
}

TFilterParams TFormMotionBlur::params() const
{
    TMotionBlurParams p;
    p.angle = radiansOf(angle_->value());
    p.amount = amount_->value();
    return p;
}

void TFormMotionBlur::remember() { lastAccepted = {amount_->value(), angle_->value()}; }

// ---- zoom blur ----

TFilterCentrePicker::TFilterCentrePicker(const QImage& thumbnail, QPoint point, QWidget* parent)
    : QWidget(parent), thumbnail_(thumbnail), point_(point)
{
    setObjectName(QStringLiteral("PickCentre"));
    setFixedSize(kSide, kSide);
    setCursor(Qt::CrossCursor);
}

void TFilterCentrePicker::setPoint(QPoint point)
{
    point = {std::clamp(point.x(), 0, kSide - 1), std::clamp(point.y(), 0, kSide - 1)};
    if (point == point_) return;
    point_ = point;
    update();
    emit picked();
}

void TFilterCentrePicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    // Centred, as the centre arithmetic takes (64, 64) for the layer's middle.
    painter.drawImage(QPoint((kSide - thumbnail_.width()) / 2, (kSide - thumbnail_.height()) / 2),
                      thumbnail_);
    painter.setPen(QPen(Qt::red, 1));
    painter.drawLine(point_ - QPoint(6, 0), point_ + QPoint(6, 0));
    painter.drawLine(point_ - QPoint(0, 6), point_ + QPoint(0, 6));
}

void TFilterCentrePicker::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) setPoint(event->position().toPoint());
}

void TFilterCentrePicker::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) setPoint(event->position().toPoint());
}

TFormZoomBlur::TFormZoomBlur(TFilterPreviewHost& host, QWidget* parent)
    : TViewBoxDialog(host, "TFormZoomBlur", tr("Zoom Blur"), kSmallBox, parent)
{
    const QImage thumbnail =
        host.sourceThumbnail(QSize(TFilterCentrePicker::kSide, TFilterCentrePicker::kSide),
                             thumbnailScale_);
    picker_ = new TFilterCentrePicker(thumbnail, lastAccepted.thumbnailPoint, this);
    auto* pictures = new QHBoxLayout;
    auto* centre = new QVBoxLayout;
    centre->addWidget(new QLabel(uiText("中心"), this));
    centre->addWidget(picker_);
    pictures->addLayout(centre);
    pictures->addWidget(view_, 0, Qt::AlignBottom);
    body_->addLayout(pictures);
    amount_ = addSlider("TrackAmount", uiText("量"), 1, 100, lastAccepted.amount, pixels);
    connect(picker_, &TFilterCentrePicker::picked, this, [this] { changed(); });
    changed();
}

TFilterParams TFormZoomBlur::params() const
{
    const QSize layer = host_.layerSize();
    const TPoint centre = zoomCentreFromThumbnail(picker_->point().x(), picker_->point().y(),
                                                  thumbnailScale_, layer.width(), layer.height());
    TZoomBlurParams p;
    p.centreX = centre.x;
    p.centreY = centre.y;
    p.amount = amount_->value();
    return p;
}

void TFormZoomBlur::remember() { lastAccepted = {amount_->value(), picker_->point()}; }

// ---- Gaussian blur ----

TFormGauss::TFormGauss(TFilterPreviewHost& host, QWidget* parent)
    : TViewBoxDialog(host, "TFormGauss", tr("Gaussian Blur"), kLargeBox, parent)
{
    body_->addWidget(view_, 0, Qt::AlignHCenter);
    const auto tenths = [](int v) { return QString::asprintf("%.1f", v / 10.0); };
    field_ = addField("EditRadius", uiText("ぼかし強度"), tenths(lastAccepted.tenths));
    slider_ = addSlider("TrackRadius", QString(), 0, 100, lastAccepted.tenths, tenths);
    // The field follows the slider, and the slider a readable in-range field; the guard keeps
    // a slider move caused by typing from rewriting what is being typed.
    auto typing = std::make_shared<bool>(false);
    connect(slider_, &QSlider::valueChanged, this, [this, typing, tenths](int v) {
        if (!*typing) field_->setText(tenths(v));
    });
    connect(field_, &QLineEdit::textEdited, this, [this, typing](const QString& text) {
        bool number = false;
        const double v = text.trimmed().toDouble(&number);
        if (!number || !(v >= 0.0 && v <= 10.0)) return;
        *typing = true;
        slider_->setValue(int(std::lround(v * 10.0)));
        *typing = false;
    });
    changed();
}

bool TFormGauss::validate()
{
    double radius = 0.0;
    if (!readRealField(*field_, uiText("ぼかし強度"), 0, 10, radius)) return false;
    // What was typed counts, to the tenth the filter is recorded with.
    slider_->blockSignals(true);
    slider_->setValue(int(std::lround(radius * 10.0)));
    slider_->blockSignals(false);
    return true;
}

TFilterParams TFormGauss::params() const
{
    TGaussianBlurParams p;
    p.radius = float(slider_->value() / 10.0);
    return p;
}

void TFormGauss::remember() { lastAccepted.tenths = slider_->value(); }

// ---- adjustable sharpen ----

TFormSharpCustom::TFormSharpCustom(TFilterPreviewHost& host, QWidget* parent)
    : TViewBoxDialog(host, "TFormSharpCustom", tr("Sharpen"), kLargeBox, parent)
{
    body_->addWidget(view_, 0, Qt::AlignHCenter);
    strength_ = addSlider("TrackStrength", uiText("強さ"), 0, 100, lastAccepted.slider, [](int s) {
        return QString::asprintf("%2.2f", sharpenStrengthFromSlider(s));
    });
    addResetButton([this] { strength_->setValue(30); });
    changed();
}

TFilterParams TFormSharpCustom::params() const
{
    TAdjustableSharpenParams p;
    p.strength = sharpenStrengthFromSlider(strength_->value());
    return p;
}

void TFormSharpCustom::remember() { lastAccepted.slider = strength_->value(); }

// ---- twist ----

TFormTwist::TFormTwist(TFilterPreviewHost& host, QWidget* parent)
    : TViewBoxDialog(host, "TFormTwist", tr("Twist"), kLargeBox, parent)
{
    const TValues& v = lastAccepted;
    fractionX_ = v.fractionX;
    fractionY_ = v.fractionY;
    view_->setWholeLayer(!v.actualSize);
    body_->addWidget(view_, 0, Qt::AlignHCenter);
    // The label shows the turns the way the picture turns, the opposite sign of τ.
    twist_ = addSlider("TrackTwist", QString(), 0, 400, v.slider, [](int p) {
        return QString::asprintf("%3.2f ", -twistTurnsFromSlider(p) + 0.0f) + uiText("回転");
    });
    twist_->setTickInterval(25);
    twist_->setTickPosition(QSlider::TicksBelow);
    auto* marks = new QHBoxLayout;
    marks->addWidget(new QLabel(QStringLiteral("-8"), this));
    marks->addStretch();
    marks->addWidget(new QLabel(QStringLiteral("0"), this));
    marks->addStretch();
    marks->addWidget(new QLabel(QStringLiteral("8"), this));
    // Under the slider, in the column of the shared control grid it sits in.
    if (auto* grid = qobject_cast<QGridLayout*>(body_->itemAt(body_->count() - 1)->layout()))
        grid->addLayout(marks, grid->rowCount(), 1);
    else
        body_->addLayout(marks);
    centreOnly_ = new QCheckBox(uiText("中央のみ(&C)"), this);
    centreOnly_->setObjectName(QStringLiteral("CheckCenter"));
    centreOnly_->setChecked(v.centreOnly);
    actualSize_ = new QCheckBox(uiText("原寸表示(&Z)"), this);
    actualSize_->setObjectName(QStringLiteral("CheckZoom"));
    actualSize_->setChecked(v.actualSize);
    body_->addWidget(centreOnly_);
    body_->addWidget(actualSize_);
    connect(centreOnly_, &QCheckBox::toggled, this, [this] { changed(); });
    connect(actualSize_, &QCheckBox::toggled, this, [this](bool actual) {
        view_->setWholeLayer(!actual);
        showCentre();
        changed();
    });
    connect(view_, &TFilterViewBox::clicked, this, [this](QPoint p) { centrePicked(p); });
    addResetButton([this] {
        fractionX_ = fractionY_ = 0.5f;
        twist_->setValue(200);
        centreOnly_->setChecked(false);
        actualSize_->setChecked(false);
        showCentre();
    });
    showCentre();
    changed();
}

void TFormTwist::centrePicked(QPoint layerPoint)
{
    const QSize layer = host_.layerSize();
    if (layer.isEmpty()) return;
    fractionX_ = float(layerPoint.x()) / float(layer.width());
    fractionY_ = float(layerPoint.y()) / float(layer.height());
    showCentre();
    changed();
}

void TFormTwist::showCentre()
{
    const QSize layer = host_.layerSize();
    view_->setMarker(QPoint(int(layer.width() * fractionX_), int(layer.height() * fractionY_)));
}

TFilterParams TFormTwist::params() const
{
    TTwistParams p;
    p.centreFractionY = fractionY_;
    p.centreFractionX = fractionX_;
    p.centreOnly = centreOnly_->isChecked();
    p.turns = twistTurnsFromSlider(twist_->value());
    return p;
}

void TFormTwist::remember()
{
    lastAccepted = {twist_->value(), fractionX_, fractionY_, centreOnly_->isChecked(),
                    actualSize_->isChecked()};
}

// ---- wave ----

TFormWave::TFormWave(TFilterPreviewHost& host, QWidget* parent)
    : TViewBoxDialog(host, "TFormWave", tr("Wave"), kLargeBox, parent)
{
    const TValues& v = lastAccepted;
    view_->setWholeLayer(true);
    body_->addWidget(view_, 0, Qt::AlignHCenter);
    verticalCount_ = addField("EditVCount", uiText("縦波の数(&V)"), QString::number(v.verticalCount));
    horizontalCount_ =
        addField("EditHCount", uiText("横波の数(&H)"), QString::number(v.horizontalCount));
    verticalStrength_ =
        addField("EditVStrength", uiText("縦波の強さ(&X)"), QString::number(v.verticalStrength));
    horizontalStrength_ = addField("EditHStrength", uiText("横波の強さ(&Y)"),
                                   QString::number(v.horizontalStrength));
    phase_ = addSlider("TrackPhase", uiText("位相(&P)"), 0, 12, v.phase, wholeNumber);
    addResetButton([this] { setValues(TValues{}); });
    changed();
}

void TFormWave::setValues(const TValues& values)
{
    verticalCount_->setText(QString::number(values.verticalCount));
    horizontalCount_->setText(QString::number(values.horizontalCount));
    verticalStrength_->setText(QString::number(values.verticalStrength));
    horizontalStrength_->setText(QString::number(values.horizontalStrength));
    phase_->setValue(values.phase);
}

TFormWave::TValues TFormWave::current() const
{
    const auto read = [](const QLineEdit* field, int maximum) {
        bool number = false;
        const int v = field->text().trimmed().toInt(&number);
        return number ? std::clamp(v, 0, maximum) : 0;
    };
    return {read(verticalCount_, kMaxCount), read(horizontalCount_, kMaxCount),
            read(verticalStrength_, kMaxStrength), read(horizontalStrength_, kMaxStrength),
            phase_->value()};
}

bool TFormWave::validate()
{
    QLineEdit* const fields[4] = {verticalCount_, horizontalCount_, verticalStrength_,
                                  horizontalStrength_};
    for (QLineEdit* field : fields)
        if (field->text().trimmed().isEmpty()) {
            showWarning(uiText("空欄があります！"));
            field->setFocus();
            return false;
        }
    int value = 0;
    return readWholeField(*verticalCount_, uiText("数"), 0, kMaxCount, value) &&
           readWholeField(*horizontalCount_, uiText("数"), 0, kMaxCount, value) &&
           readWholeField(*verticalStrength_, uiText("強さ"), 0, kMaxStrength, value) &&
           readWholeField(*horizontalStrength_, uiText("強さ"), 0, kMaxStrength, value);
}

TFilterParams TFormWave::params() const
{
    // Vertical waves run along the columns, horizontal ones along the rows.
    const TValues v = current();
    TWaveParams p;
    p.phase = wavePhaseFromSlider(v.phase);
    p.rowWaves = float(v.horizontalCount);
    p.columnWaves = float(v.verticalCount);
    p.rowStrength = float(v.horizontalStrength);
    p.columnStrength = float(v.verticalStrength);
    return p;
}

void TFormWave::remember() { lastAccepted = current(); }

// ---- emboss ----

TFormEmboss::TFormEmboss(TFilterPreviewHost& host, QWidget* parent)
    : TViewBoxDialog(host, "TFormEmboss", tr("Emboss"), kLargeBox, parent)
{
    body_->addWidget(view_, 0, Qt::AlignHCenter);
    height_ = addSlider("TrackHeight", uiText("高さ"), 0, 100, lastAccepted.height, [](int s) {
        return QString::asprintf("%2.2f", embossHeightFromSlider(s));
    });
    angle_ = addAngleDial("DialAngle", uiText("角度"), lastAccepted.degrees);
    changed();
}

TFilterParams TFormEmboss::params() const
{
    TEmbossParams p;
    p.height = embossHeightFromSlider(height_->value());
    p.angle = radiansOf(angle_->value());
    return p;
}

void TFormEmboss::remember() { lastAccepted = {height_->value(), angle_->value()}; }

} // namespace qm::ui

// The dialogs whose filters preview on the canvas: levels, gamma, brightness and contrast,
// hue/saturation/lightness, posterize, mosaic and noise.
#include "filters/filter_dialog_values.h"
#include "ui/filter_dialogs.h"
#include "ui/ui_text.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace qm::ui {

TFormLevel::TValues TFormLevel::lastAccepted;
TFormGamma::TValues TFormGamma::lastAccepted;
TFormContrast::TValues TFormContrast::lastAccepted;
TFormHLS::TValues TFormHLS::lastAccepted;
TFormPoster::TValues TFormPoster::lastAccepted;
TFormMosaic::TValues TFormMosaic::lastAccepted;
TFormNoize::TValues TFormNoize::lastAccepted;

namespace {

QString wholeNumber(int v) { return QString::asprintf("%3d", v); }

} // namespace

// ---- the levels slider and histogram ----

TLevelSlider::TLevelSlider(std::vector<int> values, int gap, QWidget* parent)
    : QWidget(parent), values_(std::move(values)), gap_(gap)
{
    setFixedSize(256 + 12, 16);
}

int TLevelSlider::xOf(int value) const { return 6 + value; }

int TLevelSlider::valueAt(int x) const { return std::clamp(x - 6, 0, 255); }

void TLevelSlider::setValue(int thumb, int value)
{
    const int count = int(values_.size());
    if (thumb < 0 || thumb >= count) return;
    // Each thumb keeps `gap` from its neighbours and room for those beyond them.
    const int low = thumb > 0 ? values_[size_t(thumb - 1)] + gap_ : 0;
    const int high = thumb + 1 < count ? values_[size_t(thumb + 1)] - gap_ : 255;
    const int clamped = std::clamp(value, low, std::max(low, high));
    if (clamped == values_[size_t(thumb)]) return;
    values_[size_t(thumb)] = clamped;
    update();
    emit valuesChanged();
}

void TLevelSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(xOf(0), 3, xOf(255), 3);
    const QColor fills[3] = {Qt::black, Qt::gray, Qt::white};
    for (size_t i = 0; i < values_.size(); ++i) {
        const int x = xOf(values_[i]);
        const QPointF triangle[3] = {{double(x), 4.0}, {x - 5.0, 15.0}, {x + 5.0, 15.0}};
        const size_t shade = values_.size() == 2 ? i * 2 : i;
        painter.setBrush(fills[std::min<size_t>(shade, 2)]);
        painter.setPen(Qt::black);
        painter.drawPolygon(triangle, 3);
    }
}

void TLevelSlider::mousePressEvent(QMouseEvent* event)
{
    const int value = valueAt(event->position().toPoint().x());
    // The nearest thumb; on a tie the one that can move that way.
    dragging_ = -1;
    int best = 1 << 30;
    for (size_t i = 0; i < values_.size(); ++i) {
        const int distance = std::abs(values_[i] - value);
        if (distance < best || (distance == best && value > values_[i])) {
            best = distance;
            dragging_ = int(i);
        }
    }
    setValue(dragging_, value);
}

void TLevelSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_ >= 0 && (event->buttons() & Qt::LeftButton))
        setValue(dragging_, valueAt(event->position().toPoint().x()));
}

THistogramView::THistogramView(const std::array<uint32_t, 256>& bins, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Histogram"));
    setFixedSize(256 + 12, kHeight);
    uint64_t sum = 0;
    for (size_t i = 1; i < 256; ++i)
        sum += bins[i];
    // Full height at four times the mean: height = count·128 / (4·sum/255).
    for (size_t i = 0; i < 256; ++i)
        heights_[i] = sum == 0 ? 0
                               : int(std::min<uint64_t>(kHeight, uint64_t(bins[i]) * kHeight * 255 /
                                                                     (4 * sum)));
}

void THistogramView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    for (int i = 0; i < 256; ++i)
        if (heights_[size_t(i)] > 0)
            painter.drawLine(6 + i, kHeight - 1, 6 + i, kHeight - heights_[size_t(i)]);
}

// ---- levels ----

TFormLevel::TFormLevel(TFilterPreviewHost& host, QWidget* parent)
    : TCanvasPreviewDialog(host, "TFormLevel", tr("Levels"), parent)
{
    const TValues& v = lastAccepted;
    histogram_ = new THistogramView(host.histogram(), this);
    body_->addWidget(histogram_);
    // Mid strictly between min and max keeps both halves of the curve non-empty.
    input_ = new TLevelSlider({v.inputMin, v.inputMid, v.inputMax}, 1, this);
    input_->setObjectName(QStringLiteral("TrackInput"));
    output_ = new TLevelSlider({v.outputMin, v.outputMax}, 0, this);
    output_->setObjectName(QStringLiteral("TrackOutput"));
    inputNumbers_ = new QLabel(this);
    outputNumbers_ = new QLabel(this);
    body_->addWidget(new QLabel(uiText("入力ﾚﾍﾞﾙ"), this));
    body_->addWidget(input_);
    body_->addWidget(inputNumbers_);
    body_->addWidget(new QLabel(uiText("出力ﾚﾍﾞﾙ"), this));
    body_->addWidget(output_);
    body_->addWidget(outputNumbers_);
    showNumbers();
    for (TLevelSlider* slider : {input_, output_})
        connect(slider, &TLevelSlider::valuesChanged, this, [this] {
            showNumbers();
            changed();
        });
}

void TFormLevel::showNumbers()
{
    const auto& in = input_->values();
    const auto& out = output_->values();
    inputNumbers_->setText(wholeNumber(in[0]) + QStringLiteral("  ") + wholeNumber(in[1]) +
                           QStringLiteral("  ") + wholeNumber(in[2]));
    outputNumbers_->setText(wholeNumber(out[0]) + QStringLiteral("  ") + wholeNumber(out[1]));
}

TFilterParams TFormLevel::params() const
{
    const auto& in = input_->values();
    const auto& out = output_->values();
    TLevelsParams p;
    p.outputMax = out[1];
    p.outputMin = out[0];
    p.inputMax = in[2];
    p.inputMid = in[1];
    p.inputMin = in[0];
    return p;
}

void TFormLevel::remember()
{
    const auto& in = input_->values();
    const auto& out = output_->values();
    lastAccepted = {in[0], in[1], in[2], out[0], out[1]};
}

bool TFormLevel::previewValues(std::vector<int>& values) const
{
    values = input_->values();
    values.insert(values.end(), output_->values().begin(), output_->values().end());
    return true;
}

// ---- gamma ----

TFormGamma::TFormGamma(TFilterPreviewHost& host, QWidget* parent)
    : TCanvasPreviewDialog(host, "TFormGamma", tr("Gamma"), parent)
{
    // 0 … 200 spans γ 0.5 … 2.0, reciprocal ends around the neutral middle.
    gamma_ = addSlider("TrackGamma", tr("&Gamma:"), 0, 200, lastAccepted.slider,
                       [](int s) { return QString::asprintf("%1.3f", gammaFromSlider(s)); });
    addResetButton([this] { gamma_->setValue(100); });
}

TFilterParams TFormGamma::params() const
{
    const float g = gammaFromSlider(gamma_->value());
    TGammaParams p;
    p.blue = p.green = p.red = g;
    return p;
}

void TFormGamma::remember() { lastAccepted.slider = gamma_->value(); }

bool TFormGamma::previewValues(std::vector<int>& values) const
{
    values = {gamma_->value()};
    return true;
}

// ---- brightness and contrast ----

TFormContrast::TFormContrast(TFilterPreviewHost& host, QWidget* parent)
    : TCanvasPreviewDialog(host, "TFormContrast", tr("Brightness and Contrast"), parent)
{
    brightness_ = addSlider("TrackBrightness", uiText("明るさ(&V)"), -100, 100,
                            lastAccepted.brightness, wholeNumber);
    contrast_ = addSlider("TrackContrast", uiText("ｺﾝﾄﾗｽﾄ(&C)"), -100, 100,
                          lastAccepted.contrast, wholeNumber);
    addResetButton([this] {
        brightness_->setValue(0);
        contrast_->setValue(0);
    });
}

TFilterParams TFormContrast::params() const
{
    TBrightnessContrastParams p;
    p.brightness = float(brightness_->value());
    p.contrast = contrast_->value();
    return p;
}

void TFormContrast::remember() { lastAccepted = {brightness_->value(), contrast_->value()}; }

bool TFormContrast::previewValues(std::vector<int>& values) const
{
    values = {brightness_->value(), contrast_->value()};
    return true;
}

// ---- hue, saturation, lightness ----

TFormHLS::TFormHLS(TFilterPreviewHost& host, QWidget* parent)
    : TCanvasPreviewDialog(host, "TFormHLS", tr("Hue, Saturation and Lightness"), parent)
{
    hue_ = addSlider("TrackHue", uiText("色相"), -200, 200, lastAccepted.hue, wholeNumber);
    saturation_ = addSlider("TrackSaturation", uiText("彩度"), -100, 100,
                            lastAccepted.saturation, wholeNumber);
    lightness_ = addSlider("TrackLightness", uiText("明度"), -100, 100, lastAccepted.lightness,
                           wholeNumber);
    addResetButton([this] {
        hue_->setValue(0);
        saturation_->setValue(0);
        lightness_->setValue(0);
    });
}

TFilterParams TFormHLS::params() const
{
    THueSaturationParams p;
    p.hue = hue_->value();
    p.saturation = saturation_->value();
    p.lightness = lightness_->value();
    return p;
}

void TFormHLS::remember()
{
    lastAccepted = {hue_->value(), saturation_->value(), lightness_->value()};
}

bool TFormHLS::previewValues(std::vector<int>& values) const
{
    values = {hue_->value(), saturation_->value(), lightness_->value()};
    return true;
}

// ---- posterize and mosaic: one count in a field ----

TFormCountField::TFormCountField(TFilterPreviewHost& host, const char* objectName,
                                 const QString& title, const QString& fieldName, int value,
                                 QWidget* parent)
    : TCanvasPreviewDialog(host, objectName, title, parent), fieldName_(fieldName)
{
    field_ = addField("EditCount", fieldName + QStringLiteral(":"), QString::number(value));
    field_->setMaxLength(3);
}

int TFormCountField::count(int fallback) const
{
    bool number = false;
    const int v = field_->text().trimmed().toInt(&number);
    return number && v >= kMinimum && v <= kMaximum ? v : fallback;
}

bool TFormCountField::validate()
{
    int value = 0;
    return readWholeField(*field_, fieldName_, kMinimum, kMaximum, value);
}

bool TFormCountField::previewValues(std::vector<int>& values) const
{
    const int v = count(0);
    values = {v};
    return v != 0;
}

TFormPoster::TFormPoster(TFilterPreviewHost& host, QWidget* parent)
    : TFormCountField(host, "TFormPoster", tr("Posterize"), tr("Levels"), lastAccepted.levels,
                      parent)
{
}

TFilterParams TFormPoster::params() const
{
    // The dialog offers 255 levels, one more than the table takes; 254 looks the same.
    TPosterizeParams p;
    p.levels = std::min(count(lastAccepted.levels), 254);
    return p;
}

void TFormPoster::remember() { lastAccepted.levels = count(lastAccepted.levels); }

TFormMosaic::TFormMosaic(TFilterPreviewHost& host, QWidget* parent)
    : TFormCountField(host, "TFormMosaic", tr("Mosaic"), tr("Block size"), lastAccepted.size,
                      parent)
{
}

TFilterParams TFormMosaic::params() const
{
    TMosaicParams p;
    p.blockSize = count(lastAccepted.size);
    return p;
}

void TFormMosaic::remember() { lastAccepted.size = count(lastAccepted.size); }

// ---- noise ----

TFormNoize::TFormNoize(TFilterPreviewHost& host, QWidget* parent)
    : TCanvasPreviewDialog(host, "TFormNoize", tr("Noise"), parent)
{
    amount_ = addSlider("TrackAmount", uiText("強さ"), 0, 512, lastAccepted.slider, wholeNumber);
    auto* box = new QGroupBox(uiText("ノイズの色"), this);
    auto* row = new QHBoxLayout(box);
    colour_ = new QButtonGroup(box);
    auto* rgb = new QRadioButton(uiText("RGBノイズ"), box);
    rgb->setObjectName(QStringLiteral("RadioRGB"));
    auto* mono = new QRadioButton(uiText("モノクロノイズ"), box);
    mono->setObjectName(QStringLiteral("RadioMono"));
    colour_->addButton(rgb, 0);
    colour_->addButton(mono, 1);
    (lastAccepted.monochrome ? mono : rgb)->setChecked(true);
    row->addWidget(rgb);
    row->addWidget(mono);
    body_->addWidget(box);
    connect(colour_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) changed();
    });
}

TFilterParams TFormNoize::params() const
{
    TNoiseParams p;
    p.amount = noiseAmountFromSlider(amount_->value());
    p.monochrome = colour_->checkedId() == 1;
    return p;
}

void TFormNoize::remember() { lastAccepted = {amount_->value(), colour_->checkedId() == 1}; }

bool TFormNoize::previewValues(std::vector<int>& values) const
{
    values = {amount_->value(), colour_->checkedId()};
    return true;
}

} // namespace qm::ui

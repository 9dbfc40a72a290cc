#include "ui/pen_window.h"

#include "ui/tool_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace qm::ui {

// The pressure curve as the pen window draws it.
class TGammaCurve : public QWidget {
public:
    explicit TGammaCurve(QWidget* parent) : QWidget(parent) { setFixedSize(84, 84); }
    void setGamma(float gamma)
    {
        gamma_ = gamma;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().base());
        p.setPen(palette().mid().color());
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.setPen(QPen(palette().text().color(), 1.5));
        p.setRenderHint(QPainter::Antialiasing);
        QPointF last(2, 81);
        for (const TPoint& point : gammaCurvePoints(gamma_)) {
            const QPointF next(point.x + 2, point.y + 2);
            p.drawLine(last, next);
            last = next;
        }
    }

private:
    float gamma_ = 1.0f;
};

namespace {

constexpr bool isAirbrushFamily(int32_t kind) { return kind == 5 || kind == 6 || kind == 7 || kind == 8; }

} // namespace

TPenWindow::TPenWindow(TAppContext& app, SettingsStore& store, QWidget* parent)
    : QWidget(parent), app_(app), store_(store)
{
    setObjectName(QStringLiteral("TPenWindow"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);

    auto* kinds = new QHBoxLayout;
    kindGroup_ = new QButtonGroup(this);
    buttons_.load(store);
    for (int32_t b = 0; b < kPenButtonCount; ++b) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("penButton%1").arg(b));
        button->setCheckable(true);
        button->setText(brushKindDisplayName(buttons_.kinds[size_t(b)]));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        kindGroup_->addButton(button, b);
        kindButtons_[size_t(b)] = button;
        kinds->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, b] { chooseButton(b); });
    }
    layout->addLayout(kinds);

    auto* records = new QHBoxLayout;
    recordGroup_ = new QButtonGroup(this);
    for (int32_t r = 0; r < 5; ++r) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("penRecord%1").arg(r));
        button->setCheckable(true);
        button->setText(QString::number(r + 1));
        recordGroup_->addButton(button, r);
        records->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, r] { chooseRecord(r); });
    }
    save_ = new QToolButton(this);
    save_->setObjectName(QStringLiteral("penSave"));
    save_->setText(hintCaption(kSaveSlotHint, 0));
    save_->setToolTip(hintTooltip(kSaveSlotHint));
    connect(save_, &QToolButton::clicked, this, &TPenWindow::saveRecord);
    records->addStretch(1);
    records->addWidget(save_);
    layout->addLayout(records);

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(1);
    int row = 0;
    width_ = addBar(grid, row++, widthLabel_, 1, 2000);      // radius × 10
    opacity_ = addBar(grid, row++, opacityLabel_, 1, 100);   // per cent
    minSize_ = addBar(grid, row++, minLabel_, 0, 1000);      // per cent × 10
    first_ = addBar(grid, row++, firstLabel_, 0, 100);       // shown value
    second_ = addBar(grid, row++, secondLabel_, 0, 100);
    speed_ = addBar(grid, row++, speedLabel_, 0, 100);
    gamma_ = addBar(grid, row++, gammaLabel_, 1, 600);       // gamma × 100
    layout->addLayout(grid);

    auto* toggles = new QGridLayout;
    auto toggle = [&](const char* hint, int r, int c) {
        auto* box = new QCheckBox(hintCaption(hint, 0), this);
        box->setToolTip(hintTooltip(hint));
        toggles->addWidget(box, r, c);
        connect(box, &QCheckBox::toggled, this, &TPenWindow::barMoved);
        return box;
    };
    ifSize_ = toggle(kIfSizeHint, 0, 0);
    ifTransparency_ = toggle(kIfTransparencyHint, 0, 1);
    ifEdge_ = toggle(kIfEdgeHint, 1, 0);
    useTone_ = new QCheckBox(tr("Screentone"), this);
    useGradation_ = new QCheckBox(tr("Gradation"), this);
    toggles->addWidget(useTone_, 1, 1);
    toggles->addWidget(useGradation_, 2, 0);
    connect(useTone_, &QCheckBox::toggled, this, &TPenWindow::barMoved);
    connect(useGradation_, &QCheckBox::toggled, this, &TPenWindow::barMoved);
    layout->addLayout(toggles);

    auto* bottom = new QHBoxLayout;
    curve_ = new TGammaCurve(this);
    bottom->addWidget(curve_);
    auto* air = new QVBoxLayout;
    air->addWidget(new QLabel(tr("Airbrush profile"), this));
    airMap_ = new QComboBox(this);
    airMap_->addItems({tr("Flat, soft rim"), tr("Round"), tr("Smooth"), tr("Cone"), tr("Sharp")});
    connect(airMap_, &QComboBox::currentIndexChanged, this, &TPenWindow::barMoved);
    air->addWidget(airMap_);
    air->addStretch(1);
    bottom->addLayout(air);
    layout->addLayout(bottom);
    layout->addStretch(1);

    chooseButton(buttons_.current);
}

QSlider* TPenWindow::addBar(QGridLayout* grid, int row, QLabel*& label, int minimum, int maximum)
{
    label = new QLabel(this);
    label->setMinimumWidth(150);
    auto* bar = new QSlider(Qt::Horizontal, this);
    bar->setRange(minimum, maximum);
    grid->addWidget(label, row, 0);
    grid->addWidget(bar, row, 1);
    connect(bar, &QSlider::valueChanged, this, &TPenWindow::barMoved);
    return bar;
}

void TPenWindow::chooseButton(int32_t b)
{
    if (b < 0 || b >= kPenButtonCount)
        return;
    buttons_.current = b;
    kindButtons_[size_t(b)]->setChecked(true);
    chooseRecord(records_[size_t(buttons_.kinds[size_t(b)])]);
}

void TPenWindow::chooseRecord(int32_t r)
{
    if (r < 0 || r > 4)
        return;
    const int32_t kind = buttons_.kinds[size_t(buttons_.current)];
    records_[size_t(kind)] = r;
    TStroke& stroke = app_.liveStroke;
    const uint32_t colour = stroke.color, second = stroke.secondColor;
    if (!stroke.loadSlot(store_, kind, r + 1))
        stroke.resetToDefaults(kind);
    stroke.setKind(kind);
    stroke.color = colour; // the colours belong to the colour windows, not to the records
    stroke.secondColor = second;
    app_.kindBeforeEraser = -1;
    recordGroup_->button(r)->setChecked(true);
    followStroke();
    emit strokeChanged();
}

void TPenWindow::saveRecord()
{
    const int32_t kind = buttons_.kinds[size_t(buttons_.current)];
    app_.liveStroke.saveSlot(store_, kind, records_[size_t(kind)] + 1);
}

void TPenWindow::saveButtons() { buttons_.save(store_); }

void TPenWindow::followStroke()
{
    const TStroke& s = app_.liveStroke;
    updating_ = true;
    width_->setValue(int(std::lround(s.width * 10.0f)));
    opacity_->setValue(int(std::lround(s.opacity * 100.0f)));
    minSize_->setValue(int(std::lround(s.minSize * 10.0f)));
    first_->setValue(int(std::lround(firstBarValue(s))));
    second_->setValue(int(std::lround(secondBarValue(s))));
    speed_->setValue(int(std::lround(speedBarValue(s))));
    gamma_->setValue(int(std::lround(s.gamma * 100.0f)));
    ifSize_->setChecked(s.ifSize != 0);
    ifTransparency_->setChecked(s.ifTransparency != 0);
    ifEdge_->setChecked(s.ifEdge != 0);
    useTone_->setChecked(s.useTone != 0);
    useGradation_->setChecked(s.useGradation != 0);
    airMap_->setCurrentIndex(std::clamp(s.airMap, 0, 4));
    updating_ = false;
    applyControls();
}

void TPenWindow::applyControls()
{
    const TStroke& s = app_.liveStroke;
    const TPenControls c = penControlsOf(s.kind);
    minSize_->setEnabled(c.minSize);
    ifSize_->setEnabled(c.ifSize);
    ifTransparency_->setEnabled(c.ifTransparency);
    ifEdge_->setEnabled(c.ifEdge);
    first_->setEnabled(c.firstBar);
    second_->setEnabled(c.secondBar);
    speed_->setEnabled(c.speedBar);
    useTone_->setEnabled(c.useTone);
    useGradation_->setEnabled(c.useGradation);
    airMap_->setEnabled(s.kind == 5);
    widthLabel_->setText(hintCaption(kWidthHint, s.width));
    opacityLabel_->setText(hintCaption(kOpacityHint, s.opacity * 100.0f));
    minLabel_->setText(hintCaption(kMinSizeHint, s.minSize));
    const bool spacing = isAirbrushFamily(s.kind);
    firstLabel_->setText(spacing ? hintCaption(kSpacingHint, firstBarValue(s))
                                 : tr("Effect = %1").arg(double(firstBarValue(s)), 0, 'f', 1));
    firstLabel_->setToolTip(spacing ? hintTooltip(kSpacingHint) : QString());
    secondLabel_->setText(s.kind == 7 || s.kind == 8
                              ? tr("Strength = %1").arg(double(secondBarValue(s)), 0, 'f', 1)
                              : tr("Surroundings = %1").arg(double(secondBarValue(s)), 0, 'f', 1));
    speedLabel_->setText(hintCaption(kSpeedHint, speedBarValue(s)));
    speedLabel_->setToolTip(hintTooltip(kSpeedHint));
    gammaLabel_->setText(hintCaption(kGammaHint, s.gamma));
    gammaLabel_->setToolTip(hintTooltip(kGammaHint));
    curve_->setGamma(s.gamma);
}

void TPenWindow::barMoved()
{
    if (updating_)
        return;
    TStroke& s = app_.liveStroke;
    s.setWidth(float(width_->value()) / 10.0f);
    s.setOpacity(float(opacity_->value()) / 100.0f);
    s.setMinSize(float(minSize_->value()) / 10.0f);
    if (isAirbrushFamily(s.kind))
        s.setSpacing(std::max(1, first_->value()) / 50.0f);
    else
        s.setEffect(float(first_->value()) * 2.0f);
    if (s.kind == 7 || s.kind == 8)
        s.setEffect(float(second_->value()) * 2.0f);
    else
        s.setEnv(float(second_->value()) * 2.0f);
    s.setSpeed(float(speed_->value()) * 2.0f);
    s.setGamma(float(gamma_->value()) / 100.0f);
    s.setIfSize(ifSize_->isChecked());
    s.setIfTransparency(ifTransparency_->isChecked());
    s.setIfEdge(ifEdge_->isChecked());
    s.setUseTone(useTone_->isChecked());
    s.setUseGradation(useGradation_->isChecked());
    s.setAirMap(airMap_->currentIndex());
    applyControls();
    emit strokeChanged();
}

} // namespace qm::ui

#include "ui/stack_dialogs.h"

#include "layers/blend_mode_table.h"
#include "ui/ui_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace qm::ui {

namespace {

QDialogButtonBox* okCancel(QDialog& dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

QSpinBox* sideBox(int32_t value, int32_t maxSide, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(1, maxSide);
    box->setValue(value);
    box->setSuffix(QStringLiteral(" px"));
    return box;
}

} // namespace

// ---- new layer ----

TFormNewLayer::TFormNewLayer(const TNewLayerChoice& initial, QWidget* parent)
    : QDialog(parent), initial_(initial)
{
    setWindowTitle(tr("New Layer"));
    auto* form = new QFormLayout;
    name_ = new QLineEdit(QString::fromStdString(initial.name), this);
    name_->setObjectName(QStringLiteral("layerName"));
    form->addRow(tr("&Name:"), name_);
    mode_ = new QComboBox(this);
    mode_->setObjectName(QStringLiteral("layerMode"));
    for (uint8_t mode : kModeListOrder)
        mode_->addItem(uiText(modeName(mode)), int(mode));
    mode_->setCurrentIndex(std::max(0, mode_->findData(int(initial.mode))));
    form->addRow(tr("&Mode:"), mode_);
    opacity_ = new QSpinBox(this);
    opacity_->setRange(0, 255);
    opacity_->setValue(initial.opacity);
    form->addRow(tr("&Opacity:"), opacity_);
    neutral_ = new QCheckBox(uiText("ニュートラル"), this);
    neutral_->setObjectName(QStringLiteral("neutralFill"));
    form->addRow(QString(), neutral_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(*this));
    connect(mode_, &QComboBox::currentIndexChanged, this, [this] { modeChosen(); });
    modeChosen();
}

void TFormNewLayer::modeChosen()
{
    // Only the modes whose neutral colour changes nothing underneath offer it as a fill.
    const TModeInfo* info = modeInfo(uint32_t(mode_->currentData().toInt()));
    const bool offers = info && (info->flags & kModeOffersNeutral);
    neutral_->setEnabled(offers);
    if (!offers) neutral_->setChecked(false);
}

TNewLayerChoice TFormNewLayer::choice() const
{
    TNewLayerChoice choice = initial_;
    choice.name = name_->text().toStdString();
    choice.mode = uint8_t(mode_->currentData().toInt());
    choice.opacity = uint8_t(opacity_->value());
    choice.neutralFill = neutral_->isEnabled() && neutral_->isChecked();
    return choice;
}

// ---- canvas size ----

TFormCanvasSize::TFormCanvasSize(int32_t width, int32_t height, int32_t maxSide, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Canvas Size"));
    auto* form = new QFormLayout;
    width_ = sideBox(width, maxSide, this);
    height_ = sideBox(height, maxSide, this);
    form->addRow(tr("&Width:"), width_);
    form->addRow(tr("&Height:"), height_);
    auto* grid = new QGridLayout;
    anchors_ = new QButtonGroup(this);
    static const char* const arrows[9] = {"↖", "←", "↙", "↑", "•", "↓", "↗", "→", "↘"};
    for (int anchor = 0; anchor < 9; ++anchor) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromUtf8(arrows[anchor]));
        button->setCheckable(true);
        button->setFixedSize(28, 28);
        anchors_->addButton(button, anchor);
        grid->addWidget(button, anchor % 3, anchor / 3); // columns left to right
    }
    anchors_->button(4)->setChecked(true);
    form->addRow(tr("Anchor:"), grid);
    trim_ = new QCheckBox(tr("&Cut the layers to the canvas"), this);
    form->addRow(QString(), trim_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(*this));
}

TPaperResize TFormCanvasSize::resize() const
{
    TPaperResize r;
    r.width = width_->value();
    r.height = height_->value();
    r.anchor = uint8_t(std::max(0, anchors_->checkedId()));
    r.trimLayers = trim_->isChecked() ? 1 : 0;
    return r;
}

// ---- rescale ----

TFormResolution::TFormResolution(int32_t width, int32_t height, int32_t dpi, int32_t maxSide,
                                 QWidget* parent)
    : QDialog(parent), oldWidth_(width), oldHeight_(height)
{
    setWindowTitle(tr("Change Resolution"));
    auto* form = new QFormLayout;
    width_ = sideBox(width, maxSide, this);
    height_ = sideBox(height, maxSide, this);
    keepRatio_ = new QCheckBox(tr("&Keep proportions"), this);
    keepRatio_->setChecked(true);
    dpi_ = new QSpinBox(this);
    dpi_->setRange(72, 600);
    dpi_->setValue(dpi > 0 ? dpi : 72);
    dpi_->setSuffix(QStringLiteral(" dpi"));
    form->addRow(tr("&Width:"), width_);
    form->addRow(tr("&Height:"), height_);
    form->addRow(QString(), keepRatio_);
    form->addRow(tr("&Resolution:"), dpi_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(*this));
    // With the proportions kept, one side follows the other.
    connect(width_, &QSpinBox::valueChanged, this, [this](int w) {
        if (keepRatio_->isChecked() && !height_->hasFocus()) {
            const QSignalBlocker block(height_);
            height_->setValue(std::max(1, int(std::lround(double(w) * oldHeight_ / oldWidth_))));
        }
    });
    connect(height_, &QSpinBox::valueChanged, this, [this](int h) {
        if (keepRatio_->isChecked() && height_->hasFocus()) {
            const QSignalBlocker block(width_);
            width_->setValue(std::max(1, int(std::lround(double(h) * oldWidth_ / oldHeight_))));
        }
    });
}

TPaperResize TFormResolution::resize() const
{
    TPaperResize r;
    r.width = width_->value();
    r.height = height_->value();
    r.dpi = dpi_->value();
    return r;
}

} // namespace qm::ui

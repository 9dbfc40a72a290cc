#include "ui/jpeg_options_dialog.h"

#include "app/dialog_values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace qm::ui {

TFormJpegOptions::TFormJpegOptions(const TFileIOSettings& io, QWidget* parent)
    : QDialog(parent), presets_(io)
{
    setWindowTitle(tr("JPEG Options"));
    preset = new QComboBox(this);
    const QString names[4] = {tr("Highest (%1)"), tr("High (%1)"), tr("Standard (%1)"),
                              tr("Low (%1)")};
    for (int i = 0; i < 4; ++i)
        preset->addItem(names[i].arg(jpegPresetQuality(io, i)));
    preset->addItem(tr("Own quality"));
    quality = new QSlider(Qt::Horizontal, this);
    quality->setRange(0, 100);
    auto* qualityValue = new QLabel(this);
    qualityValue->setMinimumWidth(
        qualityValue->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    connect(quality, &QSlider::valueChanged, qualityValue,
            [qualityValue](int v) { qualityValue->setNum(v); });
    quality->setValue(std::clamp(io.jpegQuality, 0, 100));
    qualityValue->setNum(quality->value());
    preset->setCurrentIndex(std::clamp(io.jpegQType, 0, kJpegOwnQuality));
    // A preset sets its quality; moving the slider elsewhere makes it the user's own.
    connect(preset, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index != kJpegOwnQuality) quality->setValue(jpegPresetQuality(presets_, index));
    });
    connect(quality, &QSlider::valueChanged, this, [this](int v) {
        if (preset->currentIndex() != kJpegOwnQuality &&
            v != jpegPresetQuality(presets_, preset->currentIndex()))
            preset->setCurrentIndex(kJpegOwnQuality);
    });
    progressive = new QCheckBox(tr("Progressive"), this);
    progressive->setChecked(io.jpegUseProgressive);
    smooth = new QCheckBox(tr("Smoothing"), this);
    smooth->setChecked(io.jpegUseSmooth);
    smoothing = new QSpinBox(this);
    smoothing->setRange(0, 100);
    smoothing->setValue(std::clamp(io.jpegValSmooth, 0, 100));
    smoothing->setEnabled(smooth->isChecked());
    connect(smooth, &QCheckBox::toggled, smoothing, &QWidget::setEnabled);

    auto* form = new QFormLayout;
    form->addRow(tr("Preset:"), preset);
    auto* qualityRow = new QHBoxLayout;
    qualityRow->addWidget(quality);
    qualityRow->addWidget(qualityValue);
    form->addRow(tr("Quality:"), qualityRow);
    form->addRow(progressive);
    auto* smoothRow = new QHBoxLayout;
    smoothRow->addWidget(smooth);
    smoothRow->addWidget(smoothing);
    form->addRow(smoothRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void TFormJpegOptions::store(TFileIOSettings& io) const
{
    io.jpegQType = preset->currentIndex();
    io.jpegQuality = quality->value();
    io.jpegUseProgressive = progressive->isChecked();
    io.jpegUseSmooth = smooth->isChecked();
    io.jpegValSmooth = smoothing->value();
}

} // namespace qm::ui

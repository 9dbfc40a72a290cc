#include "ui/new_paper_dialog.h"

#include "paperfile/paper_file.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

#include <cmath>

namespace qm::ui {

QSize TNewPaperDialog::presetPixels(const TPaperPreset& preset)
{
    const double dpi = preset.dpi > 0 ? preset.dpi : 72;
    const double perUnit = preset.unit == 1 ? dpi / 25.4 : preset.unit == 2 ? dpi : 1.0;
    auto side = [&](float v) {
        return std::clamp(int(std::lround(double(v) * perUnit)), 1, int(kMaxPaperSide));
    };
    return {side(preset.width), side(preset.height)};
}

TNewPaperDialog::TNewPaperDialog(const CAppProfile& profile, QWidget* parent)
    : QDialog(parent), profile_(profile)
{
    setWindowTitle(tr("New Paper"));
    auto* form = new QFormLayout(this);
    title_ = new QLineEdit(tr("untitled"), this);
    presets_ = new QComboBox(this);
    for (size_t i = 0; i < profile.paper.size(); ++i) {
        const QSize size = presetPixels(profile.paper[i]);
        presets_->addItem(tr("Preset %1: %2 × %3").arg(i + 1).arg(size.width()).arg(size.height()));
    }
    width_ = new QSpinBox(this);
    height_ = new QSpinBox(this);
    for (QSpinBox* box : {width_, height_}) {
        box->setRange(1, kMaxPaperSide);
        box->setSuffix(tr(" px"));
    }
    form->addRow(tr("Title:"), title_);
    form->addRow(tr("Size:"), presets_);
    form->addRow(tr("Width:"), width_);
    form->addRow(tr("Height:"), height_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(presets_, &QComboBox::currentIndexChanged, this, &TNewPaperDialog::choosePreset);
    choosePreset(0);
}

void TNewPaperDialog::choosePreset(int index)
{
    if (index < 0 || size_t(index) >= profile_.paper.size())
        return;
    const QSize size = presetPixels(profile_.paper[size_t(index)]);
    width_->setValue(size.width());
    height_->setValue(size.height());
}

QString TNewPaperDialog::title() const { return title_->text(); }
int TNewPaperDialog::paperWidth() const { return width_->value(); }
int TNewPaperDialog::paperHeight() const { return height_->value(); }

} // namespace qm::ui

// The new-paper dialog: title, width and height, with the six size presets of the settings.
#pragma once

#include "files/app_profile.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace qm::ui {

class TNewPaperDialog : public QDialog {
    Q_OBJECT
public:
    TNewPaperDialog(const CAppProfile& profile, QWidget* parent = nullptr);

    QString title() const;
    int paperWidth() const;
    int paperHeight() const;
    void choosePreset(int index);

    // A preset's size in pixels: unit 0 pixels, 1 millimetres, 2 inches, at its resolution.
    static QSize presetPixels(const TPaperPreset& preset);

private:
    const CAppProfile& profile_;
    QLineEdit* title_ = nullptr;
    QComboBox* presets_ = nullptr;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
};

} // namespace qm::ui

// The JPEG options, asked on every JPEG export: a quality preset or the user's own quality,
// progressive, and smoothing with its amount. It starts from the settings and OK writes the
// choice back to them, so the next export starts where this one ended.
#pragma once

#include "files/app_profile.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QSlider;
class QSpinBox;

namespace qm::ui {

class TFormJpegOptions : public QDialog {
    Q_OBJECT
  public:
    explicit TFormJpegOptions(const TFileIOSettings& io, QWidget* parent = nullptr);

    void store(TFileIOSettings& io) const;

    QComboBox* preset = nullptr;
    QSlider* quality = nullptr;
    QCheckBox* progressive = nullptr;
    QCheckBox* smooth = nullptr;
    QSpinBox* smoothing = nullptr;

  private:
    TFileIOSettings presets_; // the presets' qualities
};

} // namespace qm::ui

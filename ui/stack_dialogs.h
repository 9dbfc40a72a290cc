// The dialogs of the stack's commands: a new layer (name, mode, opacity, the neutral fill of
// the modes that offer it), the canvas size with its nine anchors, and the rescale of the paper
// to a new size and resolution. They only collect values; the paper's operations do the work.
#pragma once

#include "paper/stack_options.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace qm::ui {

class TFormNewLayer : public QDialog {
    Q_OBJECT
  public:
    TFormNewLayer(const TNewLayerChoice& initial, QWidget* parent = nullptr);
    TNewLayerChoice choice() const;

    QLineEdit* nameField() const { return name_; }
    QComboBox* modeBox() const { return mode_; }
    QSpinBox* opacityBox() const { return opacity_; }
    QCheckBox* neutralBox() const { return neutral_; }

  private:
    void modeChosen();
    TNewLayerChoice initial_;
    QLineEdit* name_ = nullptr;
    QComboBox* mode_ = nullptr;
    QSpinBox* opacity_ = nullptr;
    QCheckBox* neutral_ = nullptr;
};

class TFormCanvasSize : public QDialog {
    Q_OBJECT
  public:
    TFormCanvasSize(int32_t width, int32_t height, int32_t maxSide, QWidget* parent = nullptr);
    TPaperResize resize() const;

    QSpinBox* widthBox() const { return width_; }
    QSpinBox* heightBox() const { return height_; }
    // Anchor buttons by their number: 0 top left, 1 middle left, … 4 centre, … 8 bottom right.
    QButtonGroup* anchors() const { return anchors_; }
    QCheckBox* trimBox() const { return trim_; }

  private:
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QButtonGroup* anchors_ = nullptr;
    QCheckBox* trim_ = nullptr;
};

class TFormResolution : public QDialog {
    Q_OBJECT
  public:
    TFormResolution(int32_t width, int32_t height, int32_t dpi, int32_t maxSide,
                    QWidget* parent = nullptr);
    TPaperResize resize() const;

    QSpinBox* widthBox() const { return width_; }
    QSpinBox* heightBox() const { return height_; }
    QSpinBox* dpiBox() const { return dpi_; }
    QCheckBox* keepRatioBox() const { return keepRatio_; }

  private:
    int32_t oldWidth_, oldHeight_;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QSpinBox* dpi_ = nullptr;
    QCheckBox* keepRatio_ = nullptr;
};

} // namespace qm::ui

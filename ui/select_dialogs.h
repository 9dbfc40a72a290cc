// The dialogs of the selection: a mask's options (name, position, crop to the paper), the
// amount of a grow or shrink, and the colour range with its live preview. They collect values
// and hand them to the paper's operations, which record them and keep them undoable.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"
#include "paper/select_options.h"

#include <QDialog>
#include <QImage>
#include <QWidget>

#include <cstdint>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;
class QToolButton;

namespace qm {
class TPaper;
}

namespace qm::ui {

class TDrawWindowWidget;

// ---- the options of one mask ----

// On OK renames the mask, moves its top-left corner and crops it to the paper, each only when
// asked for.
class TSelectInfoWindow : public QDialog {
    Q_OBJECT
  public:
    TSelectInfoWindow(TPaper& paper, int32_t slot, QWidget* parent = nullptr);

    QLineEdit* nameField() const { return name_; }
    QSpinBox* positionX() const { return x_; }
    QSpinBox* positionY() const { return y_; }
    QCheckBox* trimBox() const { return trim_; }
    // Something was changed by the last OK.
    bool applied() const { return applied_; }

    void accept() override;

  private:
    TPaper& paper_;
    int32_t slot_;
    bool applied_ = false;
    QLineEdit* name_ = nullptr;
    QSpinBox* x_ = nullptr;
    QSpinBox* y_ = nullptr;
    QCheckBox* trim_ = nullptr;
};

// ---- grow and shrink by an amount ----

// Up and down arrows that step a number field within a range; a typed value is clamped to the
// range when it is read.
class TUpDown : public QWidget {
    Q_OBJECT
  public:
    TUpDown(QLineEdit& field, int minimum, int maximum, QWidget* parent = nullptr);
    // The field's number clamped to the range, written back to the field; false (and nothing
    // written) when the field holds no number.
    bool sync(int& value);
    void step(int by);
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

  private:
    QLineEdit& field_;
    int minimum_, maximum_;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
};

class TFormSelectAmount : public QDialog {
    Q_OBJECT
  public:
    TFormSelectAmount(bool grow, int amount, QWidget* parent = nullptr);

    QLineEdit* field() const { return field_; }
    TUpDown* upDown() const { return upDown_; }
    // The accepted amount.
    int amount() const { return amount_; }

    // An empty field is refused with a message and the dialog stays open.
    void accept() override;

  private:
    QLineEdit* field_ = nullptr;
    TUpDown* upDown_ = nullptr;
    int amount_;
};

class TFormSelectInflate : public TFormSelectAmount {
    Q_OBJECT
  public:
    explicit TFormSelectInflate(int amount, QWidget* parent = nullptr)
        : TFormSelectAmount(true, amount, parent)
    {
    }
};

class TFormSelectDeflate : public TFormSelectAmount {
    Q_OBJECT
  public:
    explicit TFormSelectDeflate(int amount, QWidget* parent = nullptr)
        : TFormSelectAmount(false, amount, parent)
    {
    }
};

// The grow (or shrink) dialog, modal. `amount` comes in as the value to offer (the caller
// keeps the last accepted one) and goes out as the chosen one; false on Cancel.
bool askSelectAmount(QWidget* parent, bool grow, int& amount);

// ---- the colour range ----

// The source picture, fitted into the widget; a click picks the source pixel under it.
class TColourRangePreview : public QWidget {
    Q_OBJECT
  public:
    explicit TColourRangePreview(QWidget* parent = nullptr);
    // The picture and the source size it stands for.
    void setPicture(const QImage& image, QSize sourceSize);
    const QImage& image() const { return image_; }
    // The source pixel under a widget point (false outside the picture), and back.
    bool sourcePixelAt(QPoint widgetPoint, QPoint& sourcePixel) const;
    QPoint widgetPointOf(QPoint sourcePixel) const;

  signals:
    void picked(QPoint sourcePixel);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QImage image_;
    QSize source_;
};

class TFormColorMask : public QDialog {
    Q_OBJECT
  public:
    // What a click does (RadioSelect) and how the result is shown (RadioPreview).
    enum TClickKind { clickNewList = 0, clickAdd = 1, clickRemove = 2 };
    enum TPreviewKind { previewGrey = 0, previewOverWhite = 1, previewOverBlack = 2 };
    // The largest side of the preview picture.
    static constexpr int kPreviewSide = 256;

    explicit TFormColorMask(TDrawWindowWidget& window, QWidget* parent = nullptr);

    const TColourRangeChoice& choice() const { return choice_; }
    // A pick at a pixel of the source picture, as a click on the preview makes it.
    void pickAt(QPoint sourcePixel);
    // The selected pixels of the current picks (counts.above1 = 0: none).
    const TColorMaskResult& counts() const { return counts_; }

    QComboBox* targetBox() const { return target_; }
    QSlider* rangeBar() const { return range_; }
    QButtonGroup* clickGroup() const { return click_; }
    QButtonGroup* previewGroup() const { return preview_; }
    TColourRangePreview* previewView() const { return view_; }

    // Commits the picks as the current mask.
    void accept() override;
    // The colour range changed the mask on the last OK.
    bool selected() const { return selected_; }

  private:
    void loadSource();
    void rangeMoved(int value);
    // Recomputes the resulting channel and redraws the preview.
    void recompute();
    void redraw();

    TDrawWindowWidget& window_;
    TColourRangeChoice choice_;
    TMTC source_;
    TChannel channel_;
    bool hasResult_ = false;
    TColorMaskResult counts_;
    bool selected_ = false;
    QComboBox* target_ = nullptr;
    QSlider* range_ = nullptr;
    QButtonGroup* click_ = nullptr;
    QButtonGroup* preview_ = nullptr;
    TColourRangePreview* view_ = nullptr;
    QLabel* status_ = nullptr;
};

// The colour range dialog, modal; false on Cancel or when nothing was selected.
bool runColourRange(TDrawWindowWidget& window);

} // namespace qm::ui

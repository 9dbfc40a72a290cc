// The print dialog: printer and page facts, the print scale, the copies across and down, and a
// preview in which the copies are dragged into place. The layout arithmetic is the engine's
// TPrintLayout; this only shows it and feeds it the user's input.
#pragma once

#include "print/print_layout.h"

#include <QDialog>
#include <QImage>
#include <QWidget>

class QLabel;
class QPrinter;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolButton;

namespace qm::ui {

// Source texts shown by the print dialog and the printer setup.
inline constexpr const char* kPrintCaption = "印刷";
inline constexpr const char* kPrintButton = "印刷";
inline constexpr const char* kPrinterWord = "ﾌﾟﾘﾝﾀ";
inline constexpr const char* kCentreButton = "ｾﾝﾀﾘﾝｸﾞ(&C)";
inline constexpr const char* kNoPrinter = "ﾌﾟﾘﾝﾀが見つかりません!\rﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀを設定して下さい!!";

// The printer's resolution and printable page in device pixels.
TPrinterFacts printerFacts(const QPrinter& printer);
// What the printer label names: the printer, or the PDF file printed to.
QString printerDescription(const QPrinter& printer);

// The page with the copies, drawn from the layout; a mouse drag moves them.
class TPrintPreview : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 360, kHeight = 360;

    TPrintPreview(TPrintLayout& layout, const QImage& picture, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    TPrintLayout& layout_;
    const QImage& picture_;
    QImage scaled_; // the picture at the preview's copy size, made again when that changes
};

class TFormPrintOut : public QDialog {
    Q_OBJECT
  public:
    // picture: the paper's composited picture; paperName: its file name without extension.
    TFormPrintOut(QPrinter& printer, const QImage& picture, int32_t paperDpi,
                  const QString& paperName, QWidget* parent = nullptr);

    // After "印刷" the layout holds FPrintX … FPrintH.
    const TPrintLayout& layout() const { return layout_; }

    QLabel* printerLabel() const { return printerLabel_; }
    QLabel* pageLabel() const { return pageLabel_; }
    QLabel* resolutionLabel() const { return resolutionLabel_; }
    QSlider* scaleBar() const { return scaleBar_; }
    QToolButton* scaleUpButton() const { return up_; }
    QToolButton* scaleDownButton() const { return downButton_; }
    QLabel* scaleLabel() const { return scaleLabel_; }
    QLabel* sizeLabel() const { return sizeLabel_; }
    QSpinBox* copiesAcross() const { return across_; }
    QSpinBox* copiesDown() const { return down_; }
    TPrintPreview* preview() const { return preview_; }
    QPushButton* centreButton() const { return centre_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* setupButton() const { return setup_; }

  private:
    void readPrinter();
    void showScale();
    void changePrinter();

    QPrinter& printer_;
    QImage picture_;
    TPrintLayout layout_;
    QLabel* printerLabel_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QLabel* resolutionLabel_ = nullptr;
    QSlider* scaleBar_ = nullptr;
    QToolButton* up_ = nullptr;
    QToolButton* downButton_ = nullptr;
    QLabel* scaleLabel_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QSpinBox* across_ = nullptr;
    QSpinBox* down_ = nullptr;
    TPrintPreview* preview_ = nullptr;
    QPushButton* centre_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* setup_ = nullptr;
};

} // namespace qm::ui

// The colour window (hue bar, colour square, swatches and component labels) and the RGB and
// HSV windows with number fields, all editing the pen's colours through the colour manager.
#pragma once

#include "colour/colour_mngr.h"

#include <QImage>
#include <QWidget>

#include <array>

class QLabel;
class QSpinBox;

namespace qm::ui {

class THueBar;
class TColourSquare;
class TSwatches;

class TGColWindow : public QWidget {
    Q_OBJECT
public:
    TGColWindow(CColorMngr& colours, QWidget* parent = nullptr);
    // A colour changed (main or second, from the given source).
    void colourChanged(bool main, int32_t source);
    void hueChanged();

    THueBar* hueBar() const { return hueBar_; }
    TColourSquare* square() const { return square_; }
    TSwatches* swatches() const { return swatches_; }
    QString labels() const;

private:
    CColorMngr& colours_;
    THueBar* hueBar_ = nullptr;
    TColourSquare* square_ = nullptr;
    TSwatches* swatches_ = nullptr;
    std::array<QLabel*, 3> labels_{};
};

// The hue bar: row b shows hue b × 359 ÷ (rows − 1).
class THueBar : public QWidget {
public:
    THueBar(CColorMngr& colours, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    CColorMngr& colours_;
};

// The colour square of the current hue, with the marker on the main colour.
class TColourSquare : public QWidget {
public:
    TColourSquare(CColorMngr& colours, QWidget* parent);
    void rebuild();       // the hue changed
    void findMarker();    // the main colour changed elsewhere
    TPoint marker() const { return marker_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    CColorMngr& colours_;
    QImage picture_;
    TPoint marker_{};
};

// The two overlapping swatches: a click swaps the colours (and may flip their order).
class TSwatches : public QWidget {
public:
    TSwatches(CColorMngr& colours, QWidget* parent);
    QRect firstRect() const { return {2, 2, 28, 28}; }
    QRect secondRect() const { return {16, 16, 28, 28}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CColorMngr& colours_;
};

// The main colour as three number fields: red, green and blue, or hue, saturation and value.
class TColourFieldsWindow : public QWidget {
    Q_OBJECT
public:
    enum class TModel { rgb, hsv };
    TColourFieldsWindow(CColorMngr& colours, TModel model, QWidget* parent = nullptr);
    void follow();
    QSpinBox* field(int i) const { return fields_[size_t(i)]; }

private:
    void edited();

    CColorMngr& colours_;
    TModel model_;
    std::array<QSpinBox*, 3> fields_{};
    bool updating_ = false;
};

} // namespace qm::ui

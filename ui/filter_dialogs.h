// The filter dialogs: each collects one filter's parameters while showing a live preview,
// either on the canvas (the colour corrections, noise and mosaic) or in a box inside the
// dialog (the blurs, sharpening and distortions). They ask the drawing window for previews
// through TFilterPreviewHost only; the window applies the accepted parameters afterwards.
#pragma once

#include "filters/filter_params.h"
#include "ui/filter_preview.h"

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QDial;
class QDialogButtonBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QTimer;
class QVBoxLayout;

namespace qm::ui {

// Opens the dialog of filter `number` modally. Filters without a dialog give their (empty)
// parameters at once. False on Cancel; any canvas preview is restored before returning
// either way, since the caller filters the whole layer from the source copy.
// `pictures`, when given, receives the pictures the filter paints with (the floor's files).
bool askFilterParams(TFilterNumber number, TFilterPreviewHost& host, QWidget* parent,
                     TFilterParams& out, TFilterPictures* pictures = nullptr);

// Test hooks: the millisecond clock the canvas previews time their pauses with (nullptr: the
// real one), and forgetting every remembered value.
void setFilterPreviewClock(std::function<int64_t()> clock);
// That clock's reading in milliseconds (the generators take their seeds from it).
int64_t filterDialogClock();
void forgetFilterDialogValues();

// ---- the shared parts ----

// What every filter dialog has: the host, OK/Cancel (and a reset button where the filter
// offers one), and the check that the fields can be read before OK is taken.
class TFilterDialog : public QDialog {
    Q_OBJECT
  public:
    TFilterDialog(TFilterPreviewHost& host, const char* objectName, const QString& title,
                  QWidget* parent);

    virtual TFilterParams params() const = 0;
    // The pictures the parameters name besides the layer (the floor's), or nullptr.
    virtual const TFilterPictures* pictures() const { return nullptr; }
    // Hands those pictures over once the dialog is accepted.
    virtual TFilterPictures takePictures() { return {}; }
    // Refuses OK (with a message) while a field cannot be read; remembers the values on OK.
    void accept() override;

  protected:
    virtual bool validate() { return true; }
    virtual void remember() = 0;
    // Every control change comes here: the preview kinds decide when to recompute.
    virtual void changed() = 0;
    void addResetButton(std::function<void()> reset);

    // A labelled slider with its value shown through `format`; changes call changed().
    QSlider* addSlider(const char* objectName, const QString& label, int minimum, int maximum,
                       int value, std::function<QString(int)> format);
    // A labelled angle dial in whole degrees 0 … 359, shown with a degree sign.
    QDial* addAngleDial(const char* objectName, const QString& label, int degrees);
    // A labelled number field; changes call changed().
    QLineEdit* addField(const char* objectName, const QString& label, const QString& text);

    TFilterPreviewHost& host_;
    QVBoxLayout* body_ = nullptr;   // the filter's own controls
    QHBoxLayout* footer_ = nullptr; // above the buttons: the preview check box
    QDialogButtonBox* buttons_ = nullptr;
};

// Reads a whole number (or a real number) from a field within [minimum, maximum]; on failure
// shows the message, focuses the field and returns false. `emptyMessage` replaces the
// "is required" message where a dialog words it differently.
bool readWholeField(QLineEdit& field, const QString& name, int minimum, int maximum, int& value,
                    const QString& emptyMessage = QString());
bool readRealField(QLineEdit& field, const QString& name, int minimum, int maximum,
                   double& value);

// The canvas preview: the window filters what it shows once the user has paused after a
// change. A 200 ms timer checks whether 800 ms have passed since the last change and the
// values differ from those previewed.
class TCanvasPreviewDialog : public TFilterDialog {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 200;
    static constexpr int kSettleMs = 800;

    TCanvasPreviewDialog(TFilterPreviewHost& host, const char* objectName, const QString& title,
                         QWidget* parent);

    QCheckBox* previewBox() const { return preview_; }
    QTimer* previewTimer() const { return timer_; }
    // What the timer does on each tick; tests call it after moving the clock.
    void pollPreview();
    // Closing restores the canvas, whatever the result.
    void done(int result) override;

  protected:
    void changed() override;
    // The control values the preview depends on; false while one cannot be read.
    virtual bool previewValues(std::vector<int>& values) const = 0;

  private:
    void previewToggled(bool on);

    QCheckBox* preview_ = nullptr;
    QTimer* timer_ = nullptr;
    int64_t lastChange_ = 0;
    std::optional<std::vector<int>> previewed_;
};

// The picture of a view-box preview: a box-sized part of the layer over a checkerboard,
// pannable by dragging; or the whole layer reduced to fit. A click (a press and release
// without dragging) reports the layer point under it.
class TFilterViewBox : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kSquare = 32;
    static constexpr QRgb kLightSquare = 0xFFFFFFFFu, kDarkSquare = 0xFFD0D0D0u;

    TFilterViewBox(QSize layerSize, int side, QWidget* parent = nullptr);

    // Whole-layer mode shows the layer reduced to fit (never enlarged) and does not pan.
    void setWholeLayer(bool whole);
    bool wholeLayer() const { return whole_; }
    // The layer rectangle the picture stands for.
    QRect area() const;
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    // A cross over a layer point (the twist's centre), or none.
    void setMarker(std::optional<QPoint> layerPoint);
    // Layer pixels per box pixel in whole-layer mode, 1 otherwise.
    double scale() const;
    QPoint layerPointAt(QPoint widgetPoint) const;

  signals:
    void panned();
    void clicked(QPoint layerPoint);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QPoint clampedOrigin(QPoint origin) const;
    // Where the picture's top-left corner sits in the box.
    QPoint pictureOffset() const;

    QSize layer_;
    int side_;
    bool whole_ = false;
    QPoint origin_;
    QImage picture_;
    std::optional<QPoint> marker_;
    std::optional<QPoint> pressAt_;
    QPoint pressOrigin_;
    bool dragged_ = false;
};

// The view-box preview: every change filters the box's area from the source copy at once
// (it is small), and so does every pan.
class TViewBoxDialog : public TFilterDialog {
    Q_OBJECT
  public:
    TViewBoxDialog(TFilterPreviewHost& host, const char* objectName, const QString& title,
                   int side, QWidget* parent);
    TFilterViewBox* viewBox() const { return view_; }

  protected:
    void changed() override;
    // Subclasses add the box where their layout wants it.
    TFilterViewBox* view_ = nullptr;
};

// ---- canvas-preview dialogs ----

// A slider with several thumbs over 0 … 255 that keep their order, `gap` apart at least.
class TLevelSlider : public QWidget {
    Q_OBJECT
  public:
    TLevelSlider(std::vector<int> values, int gap, QWidget* parent = nullptr);
    const std::vector<int>& values() const { return values_; }
    // Moves one thumb, kept between its neighbours.
    void setValue(int thumb, int value);

  signals:
    void valuesChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    int valueAt(int x) const;
    int xOf(int value) const;

    std::vector<int> values_;
    int gap_;
    int dragging_ = -1;
};

// The 256 bins of the levels dialog, bars scaled so that four times the mean of bins 1 … 255
// reaches the full 128 pixels (bin 0 is left out of the mean: a mostly black or empty layer
// would flatten every other bar).
class THistogramView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 128;
    explicit THistogramView(const std::array<uint32_t, 256>& bins, QWidget* parent = nullptr);
    int barHeight(int bin) const { return heights_[size_t(bin)]; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::array<int, 256> heights_{};
};

class TFormLevel : public TCanvasPreviewDialog {
    Q_OBJECT
  public:
    struct TValues {
        int inputMin = 0, inputMid = 128, inputMax = 255, outputMin = 0, outputMax = 255;
    };
    static TValues lastAccepted;

    TFormLevel(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;
    TLevelSlider* inputSlider() const { return input_; }
    TLevelSlider* outputSlider() const { return output_; }
    THistogramView* histogramView() const { return histogram_; }

  protected:
    void remember() override;
    bool previewValues(std::vector<int>& values) const override;

  private:
    void showNumbers();
    TLevelSlider* input_ = nullptr;
    TLevelSlider* output_ = nullptr;
    THistogramView* histogram_ = nullptr;
    QLabel* inputNumbers_ = nullptr;
    QLabel* outputNumbers_ = nullptr;
};

class TFormGamma : public TCanvasPreviewDialog {
    Q_OBJECT
  public:
    struct TValues {
        int slider = 100;
    };
    static TValues lastAccepted;

    TFormGamma(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    void remember() override;
    bool previewValues(std::vector<int>& values) const override;

  private:
    QSlider* gamma_ = nullptr;
};

class TFormContrast : public TCanvasPreviewDialog {
    Q_OBJECT
  public:
    struct TValues {
        int brightness = 0, contrast = 0;
    };
    static TValues lastAccepted;

    TFormContrast(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    void remember() override;
    bool previewValues(std::vector<int>& values) const override;

  private:
    QSlider* brightness_ = nullptr;
    QSlider* contrast_ = nullptr;
};

class TFormHLS : public TCanvasPreviewDialog {
    Q_OBJECT
  public:
    struct TValues {
        int hue = 0, saturation = 0, lightness = 0;
    };
    static TValues lastAccepted;

    TFormHLS(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    void remember() override;
    bool previewValues(std::vector<int>& values) const override;

  private:
    QSlider* hue_ = nullptr;
    QSlider* saturation_ = nullptr;
    QSlider* lightness_ = nullptr;
};

// A number of levels or a block size in a field of 2 … 255, checked on OK.
class TFormCountField : public TCanvasPreviewDialog {
    Q_OBJECT
  public:
    static constexpr int kMinimum = 2, kMaximum = 255;

    TFormCountField(TFilterPreviewHost& host, const char* objectName, const QString& title,
                    const QString& fieldName, int value, QWidget* parent);
    QLineEdit* field() const { return field_; }

  protected:
    bool validate() override;
    bool previewValues(std::vector<int>& values) const override;
    // The field's value, or `fallback` while it cannot be read.
    int count(int fallback) const;

    QString fieldName_;
    QLineEdit* field_ = nullptr;
};

class TFormPoster : public TFormCountField {
    Q_OBJECT
  public:
    struct TValues {
        int levels = 3;
    };
    static TValues lastAccepted;

    TFormPoster(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    void remember() override;
};

class TFormMosaic : public TFormCountField {
    Q_OBJECT
  public:
    struct TValues {
        int size = 2;
    };
    static TValues lastAccepted;

    TFormMosaic(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    void remember() override;
};

class TFormNoize : public TCanvasPreviewDialog {
    Q_OBJECT
  public:
    struct TValues {
        int slider = 0;
        bool monochrome = false;
    };
    static TValues lastAccepted;

    TFormNoize(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    void remember() override;
    bool previewValues(std::vector<int>& values) const override;

  private:
    QSlider* amount_ = nullptr;
    QButtonGroup* colour_ = nullptr; // 0 RGB, 1 monochrome
};

// ---- view-box dialogs ----

class TFormMotionBlur : public TViewBoxDialog {
    Q_OBJECT
  public:
    struct TValues {
        int amount = 1, degrees = 0;
    };
    static TValues lastAccepted;

    TFormMotionBlur(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    void remember() override;

  private:
    QSlider* amount_ = nullptr;
    QDial* angle_ = nullptr;
};

// The zoom blur's centre, picked in a reduced copy of the layer.
class TFilterCentrePicker : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kSide = 128;
    TFilterCentrePicker(const QImage& thumbnail, QPoint point, QWidget* parent = nullptr);
    QPoint point() const { return point_; }
    void setPoint(QPoint point);

  signals:
    void picked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QImage thumbnail_;
    QPoint point_;
};

class TFormZoomBlur : public TViewBoxDialog {
    Q_OBJECT
  public:
    struct TValues {
        int amount = 1;
        QPoint thumbnailPoint{64, 64};
    };
    static TValues lastAccepted;

    TFormZoomBlur(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;
    TFilterCentrePicker* centrePicker() const { return picker_; }

  protected:
    void remember() override;

  private:
    QSlider* amount_ = nullptr;
    TFilterCentrePicker* picker_ = nullptr;
    double thumbnailScale_ = 1.0;
};

class TFormGauss : public TViewBoxDialog {
    Q_OBJECT
  public:
    struct TValues {
        int tenths = 10; // σ in tenths of a pixel
    };
    static TValues lastAccepted;

    TFormGauss(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;
    QLineEdit* field() const { return field_; }

  protected:
    bool validate() override;
    void remember() override;

  private:
    QLineEdit* field_ = nullptr;
    QSlider* slider_ = nullptr;
};

class TFormSharpCustom : public TViewBoxDialog {
    Q_OBJECT
  public:
    struct TValues {
        int slider = 30;
    };
    static TValues lastAccepted;

    TFormSharpCustom(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    void remember() override;

  private:
    QSlider* strength_ = nullptr;
};

class TFormTwist : public TViewBoxDialog {
    Q_OBJECT
  public:
    struct TValues {
        int slider = 200;
        float fractionX = 0.5f, fractionY = 0.5f;
        bool centreOnly = false, actualSize = false;
    };
    static TValues lastAccepted;

    TFormTwist(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    void remember() override;

  private:
    void centrePicked(QPoint layerPoint);
    void showCentre();
    QSlider* twist_ = nullptr;
    QCheckBox* centreOnly_ = nullptr;
    QCheckBox* actualSize_ = nullptr;
    float fractionX_ = 0.5f, fractionY_ = 0.5f;
};

class TFormWave : public TViewBoxDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxCount = 50, kMaxStrength = 100;
    struct TValues {
        int verticalCount = 1, horizontalCount = 1;
        int verticalStrength = 10, horizontalStrength = 10;
        int phase = 0;
    };
    static TValues lastAccepted;

    TFormWave(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    bool validate() override;
    void remember() override;

  private:
    // The fields as far as they can be read (an unreadable one counts as 0, clamped into its
    // range), so the preview follows typing without messages.
    TValues current() const;
    void setValues(const TValues& values);

    QLineEdit* verticalCount_ = nullptr;
    QLineEdit* horizontalCount_ = nullptr;
    QLineEdit* verticalStrength_ = nullptr;
    QLineEdit* horizontalStrength_ = nullptr;
    QSlider* phase_ = nullptr;
};

class TFormEmboss : public TViewBoxDialog {
    Q_OBJECT
  public:
    struct TValues {
        int height = 10, degrees = 45;
    };
    static TValues lastAccepted;

    TFormEmboss(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;

  protected:
    void remember() override;

  private:
    QSlider* height_ = nullptr;
    QDial* angle_ = nullptr;
};

} // namespace qm::ui

// The dialogs of the filters that paint new content: the tiles, the cloud and rock patterns,
// the lighting and the floor. Each previews in a box inside the dialog; the lighting shows the
// whole layer in miniature, since its lights are placed by fractions of the layer.
#pragma once

#include "ui/filter_dialogs.h"

#include <QPushButton>
#include <QSlider>

#include <array>
#include <cstdint>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDial;
class QLabel;
class QLineEdit;

namespace qm::ui {

void forgetGeneratorDialogValues();
// Test hook: the file the floor's "select" buttons pick (nullptr: the file dialog).
void setFloorPictureChooser(std::function<QString()> chooser);

// A button that shows a colour (0x00RRGGBB) and opens the colour chooser when pressed.
class TColourButton : public QPushButton {
    Q_OBJECT
  public:
    TColourButton(const QString& text, uint32_t colour, QWidget* parent);
    uint32_t colour() const { return colour_; }
    void setColour(uint32_t colour);

  signals:
    void colourChanged();

  private:
    void choose();
    uint32_t colour_;
};

class TFormTile : public TViewBoxDialog {
    Q_OBJECT
  public:
    static constexpr int kMaxWidth = 512;
    struct TValues {
        int width = 32;
        bool threeColours = false, triangles = false;
        bool coloursChosen = false; // until the first OK the pen's colours are offered
        std::array<uint32_t, 3> colours{0x000000u, 0xFFFFFFu, 0x808080u};
        std::array<int, 3> opacities{255, 255, 255};
    };
    static TValues lastAccepted;

    TFormTile(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;
    TColourButton* colourButton(int i) const { return colours_[size_t(i)]; }

  protected:
    void remember() override;

  private:
    QSlider* width_ = nullptr;
    QButtonGroup* count_ = nullptr; // 0 two colours, 1 three
    QButtonGroup* shape_ = nullptr; // 0 squares, 1 triangles
    std::array<TColourButton*, 3> colours_{};
    std::array<QSlider*, 3> opacities_{};
};

// The cloud and the rock share their dialog: the rock adds the softness of its ridges.
class TPatternDialog : public TViewBoxDialog {
    Q_OBJECT
  public:
    static constexpr int kMinSize = 20, kMaxSize = 10000;
    struct TValues {
        int contrast = 0, softness = 50;
        int width = 0, height = 0; // 0 until the first OK: the dialog offers its start size
        bool repeat = false;
    };

    TPatternDialog(TFilterPreviewHost& host, bool rock, TValues& remembered, QWidget* parent);
    uint32_t seed() const { return seed_; }
    QLineEdit* widthField() const { return width_; }
    QLineEdit* heightField() const { return height_; }

  protected:
    bool validate() override;
    void remember() override;
    // The pattern's size as the fields stand (unreadable or out of range: clamped), or the
    // layer's without repeat.
    void patternSize(int& width, int& height) const;
    // What the cloud and the rock share: contrast, size, seed and the two colours.
    template <typename P> P patternParams() const
    {
        P p;
        p.contrast = contrast_->value();
        patternSize(p.width, p.height);
        p.seed = seed_;
        p.background = background_;
        p.foreground = foreground_;
        return p;
    }

    bool rock_;
    TValues& remembered_;
    QSlider* contrast_ = nullptr;
    QSlider* softness_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    QCheckBox* repeat_ = nullptr;
    uint32_t seed_ = 0;
    uint32_t background_ = 0, foreground_ = 0;
};

class TFormCloud : public TPatternDialog {
    Q_OBJECT
  public:
    static TValues lastAccepted;
    TFormCloud(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;
};

class TFormRock : public TPatternDialog {
    Q_OBJECT
  public:
    static TValues lastAccepted;
    TFormRock(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;
};

class TFormLighting : public TViewBoxDialog {
    Q_OBJECT
  public:
    struct TValues {
        TLightRecord light = defaultLight(0);
        uint32_t ambientColour = 0xFFFEC7u;
        int brightness = 0;
    };
    static TValues lastAccepted;

    TFormLighting(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;
    const TLightRecord& light() const { return light_; }

  protected:
    void remember() override;
    void changed() override;

  private:
    // The controls show the light being edited and the ambient light.
    void showValues();
    void loadKind(int kind);

    TLightRecord light_;
    bool showing_ = false; // the controls are being set, not edited
    QComboBox* kind_ = nullptr;
    TColourButton* colour_ = nullptr;
    QSlider* strength_ = nullptr;
    QSlider* range_ = nullptr;
    QSlider* spread_ = nullptr;
    QSlider* height_ = nullptr;
    QSlider* elevation_ = nullptr;
    QDial* azimuth_ = nullptr;
    TColourButton* ambient_ = nullptr;
    QSlider* brightness_ = nullptr;
};

class TFormFloor : public TViewBoxDialog {
    Q_OBJECT
  public:
    struct TValues {
        int x = 0, y = 0, z = 0, heading = 0, pitch = 0;
        int screen = 100, ceiling = 100;
        int far = 50, density = 100;
        uint32_t farColour = 0xFFFFFFu;
        bool transparent = false, toHorizon = false, keepLayer = false;
    };
    static TValues lastAccepted;

    TFormFloor(TFilterPreviewHost& host, QWidget* parent = nullptr);
    TFilterParams params() const override;
    const TFilterPictures* pictures() const override { return &pictures_; }
    TFilterPictures takePictures() override { return std::move(pictures_); }

  protected:
    bool validate() override;
    void remember() override;

  private:
    TValues current() const;
    // Loads the picture of plane 0 (ceiling) or 1 (floor) from a file the user picks.
    void choosePicture(int plane);

    QSlider *x_ = nullptr, *y_ = nullptr, *z_ = nullptr, *heading_ = nullptr, *pitch_ = nullptr;
    QSlider *screen_ = nullptr, *ceiling_ = nullptr, *far_ = nullptr;
    QLineEdit* density_ = nullptr;
    TColourButton* farColour_ = nullptr;
    QCheckBox *transparent_ = nullptr, *toHorizon_ = nullptr, *keepLayer_ = nullptr;
    std::array<QCheckBox*, 2> fromFile_{};
    std::array<QLabel*, 2> fileName_{};
    TFilterPictures pictures_;
};

} // namespace qm::ui

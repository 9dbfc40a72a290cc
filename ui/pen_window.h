// The pen window: five kind buttons, five setting records per kind with load and save, and the
// bars, toggles and pressure curve of the live stroke; it shows or greys out the controls the
// brush kind uses.
#pragma once

#include "paint/pen_slots.h"
#include "ui/app_context.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QSlider;
class QToolButton;

namespace qm::ui {

class TGammaCurve;

class TPenWindow : public QWidget {
    Q_OBJECT
public:
    TPenWindow(TAppContext& app, SettingsStore& store, QWidget* parent = nullptr);

    // Chooses kind button b (0 … 4): the stroke takes its kind and that kind's current record.
    void chooseButton(int32_t b);
    // Chooses record r (0 … 4) of the current kind and loads it.
    void chooseRecord(int32_t r);
    // Saves the stroke as the current kind's current record.
    void saveRecord();
    // Writes the button assignment ("curSlot", "penSlot%d").
    void saveButtons();
    // Shows the stroke's values (after picking, the brush-size tool, the eraser end).
    void followStroke();

    const TPenButtons& buttons() const { return buttons_; }
    int32_t record(int32_t kind) const { return records_[size_t(kind)]; }

signals:
    void strokeChanged();

private:
    QSlider* addBar(QGridLayout* grid, int row, QLabel*& label, int minimum, int maximum);
    void applyControls();
    void barMoved();

    TAppContext& app_;
    SettingsStore& store_;
    TPenButtons buttons_;
    std::array<int32_t, 9> records_{};
    bool updating_ = false;

    QButtonGroup* kindGroup_ = nullptr;
    QButtonGroup* recordGroup_ = nullptr;
    std::array<QToolButton*, kPenButtonCount> kindButtons_{};
    QToolButton* save_ = nullptr;
    QLabel *widthLabel_ = nullptr, *opacityLabel_ = nullptr, *minLabel_ = nullptr,
           *firstLabel_ = nullptr, *secondLabel_ = nullptr, *speedLabel_ = nullptr,
           *gammaLabel_ = nullptr;
    QSlider *width_ = nullptr, *opacity_ = nullptr, *minSize_ = nullptr, *first_ = nullptr,
            *second_ = nullptr, *speed_ = nullptr, *gamma_ = nullptr;
    QCheckBox *ifSize_ = nullptr, *ifTransparency_ = nullptr, *ifEdge_ = nullptr,
              *useTone_ = nullptr, *useGradation_ = nullptr;
    QComboBox* airMap_ = nullptr;
    TGammaCurve* curve_ = nullptr;
};

} // namespace qm::ui

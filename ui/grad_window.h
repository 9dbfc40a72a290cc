// The gradation window: the app's gradations as strips, the current one highlighted, a click
// makes one current (the gradation tool and painting with the gradation option take it); new,
// duplicate, delete, saving and loading gradation sets, the option panel (type, map, repeat and
// its count) and the stop editor. Every rule is the gradation list's and the stop list's own;
// the window only asks them.
#pragma once

#include "tone/color_slot_group.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QListWidget;
class QSpinBox;
class QToolButton;

namespace qm {
class CGradMngr;
}

namespace qm::ui {

struct TAppContext;
class TGradWindow;

// The gradation set file dialogs' filter, as the file dialog wants it.
QString gradSetFileFilter();

// A stop list drawn as a horizontal strip (over a checkerboard where it is transparent):
// column i of w shows ColorAt(i / (w − 1)).
QImage gradationStrip(const CColorSlotGroup& stops, int width, int height);

// The stop editor: the current gradation as a strip with its stops as handles below it. A click
// on the strip inserts a stop, dragging a handle moves it, dragging it away from the editor
// removes it, double-clicking a handle picks its colour. The first and last stop stay put.
class TGradEdit : public QWidget {
    Q_OBJECT
  public:
    explicit TGradEdit(TGradWindow& window, QWidget* parent = nullptr);

    static constexpr int kMargin = 6; // room for the end handles
    static constexpr int kStripHeight = 24;
    static constexpr int kHandleHeight = 10;
    static constexpr int kGrabDistance = 5;  // pixels either side of a handle
    static constexpr int kDropDistance = 24; // this far above or below the editor removes

    // The 16.16 position of a column and back.
    int32_t positionAt(double x) const;
    double columnOf(int32_t position) const;
    // The stop whose handle is at x (−1: none).
    int32_t handleAt(double x) const;
    int32_t selectedStop() const { return selected_; }
    void setSelectedStop(int32_t i);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void stopSelected(int stop);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    const CColorSlotGroup* stops() const;
    bool outside(const QPointF& p) const;

    TGradWindow& window_;
    int32_t selected_ = -1;
    int32_t dragging_ = -1;
};

class TGradWindow : public QWidget {
    Q_OBJECT
  public:
    // Strip sizes of actGradUnitL, M and S (width × height).
    static constexpr int kUnitLargeX = 160, kUnitLargeY = 20;
    static constexpr int kUnitMediumX = 120, kUnitMediumY = 16;
    static constexpr int kUnitSmallX = 80, kUnitSmallY = 12;

    explicit TGradWindow(TAppContext& app, QWidget* parent = nullptr);

    // Brings the list, the panel and the editor in line with the gradation list (call after
    // the list was changed elsewhere).
    void refresh();
    // The pen's colours changed: the fixed two-colour entry takes the second and the main
    // colour.
    void followColours();

    // ---- the commands ----
    void actGradCreate(); // a new entry from the pen's second to its main colour
    void actGradDuplicate();
    void actGradDelete(); // not the fixed entry
    void actGradSave();
    void actGradLoad();
    void actGradLoadAppend();
    void actGradShowPanel(); // shows or hides the option panel
    void actGradUnitL();
    void actGradUnitM();
    void actGradUnitS();

    // ---- editing the current gradation's stops (what the editor does) ----
    // Each edit goes to the list through ReplaceStops; false when the stop list refuses it or
    // the current entry is the fixed one (its colours follow the pen). The index of the new
    // stop, or −1.
    int32_t insertStopAt(int32_t position);
    // Kept at least 100 (16.16) from the neighbours.
    bool moveStop(int32_t stop, int32_t position);
    // Not the first or the last stop, so at least two stay.
    bool removeStop(int32_t stop);
    // Colour as 0x00BBGGRR; alpha 255 with hasAlpha false makes the stop opaque.
    bool setStopColour(int32_t stop, uint32_t colour, bool hasAlpha, uint8_t alpha);
    // Asks chooseColour for stop i's colour and sets it (the stop's alpha stays).
    bool pickStopColour(int32_t stop);
    bool setStopAlpha(int32_t stop, int alpha);
    void removeSelectedStop();
    // Whether the current entry may be edited (not the fixed one).
    bool editable() const;
    // The current gradation's stops as painting uses them (nullptr when there is none).
    const CColorSlotGroup* currentStops() const;

    // Replaceable in tests. chooseFile asks for a gradation set to save (save = true) or load;
    // an empty path cancels. chooseColour asks for a colour starting from the one given; an
    // invalid colour cancels.
    std::function<QString(bool save)> chooseFile;
    std::function<QColor(QColor)> chooseColour;
    // Called after this window changed the list or the current entry.
    std::function<void()> gradationsChanged;

    QListWidget* list() const { return list_; }
    TGradEdit* editor() const { return editor_; }
    QWidget* panel() const { return panel_; }
    bool panelShown() const;
    QComboBox* typeBox() const { return type_; }
    QComboBox* mapBox() const { return map_; }
    QCheckBox* repeatBox() const { return repeat_; }
    QSpinBox* countBox() const { return count_; }
    QSpinBox* alphaBox() const { return alpha_; }
    QToolButton* removeStopButton() const { return removeStop_; }
    QSize unitSize() const { return unit_; }
    // The context menu's actions, named as the commands ("actGradDuplicate", …).
    QAction* action(const char* name) const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    CGradMngr& gradations();
    bool replaceCurrent(const CColorSlotGroup& stops);
    void setUnit(QSize unit);
    void rowChosen(int row);
    void panelEdited();
    void refreshPanel();
    void refreshStopControls();
    void loadSet(bool append);
    void changed();
    void fail();

    TAppContext& app_;
    QSize unit_{kUnitMediumX, kUnitMediumY};
    bool updating_ = false;
    QListWidget* list_ = nullptr;
    TGradEdit* editor_ = nullptr;
    QSpinBox* alpha_ = nullptr;
    QToolButton* removeStop_ = nullptr;
    QWidget* panel_ = nullptr;
    QComboBox* type_ = nullptr;
    QComboBox* map_ = nullptr;
    QCheckBox* repeat_ = nullptr;
    QSpinBox* count_ = nullptr;
};

} // namespace qm::ui

// The tone window: the app's screentones and bitmap patterns as thumbnails, the current one
// highlighted, a click makes one current (painting with the tone option uses it); creating a
// tone through the creation dialog, a pattern from the picture, duplicate, delete, invert, the
// option panel (origin, zoom, invert), and saving and loading tone sets. Every rule is the tone
// list's own; the window only asks it.
#pragma once

#include "tone/tone_attr.h"

#include <QDialog>
#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace qm {
class CToneMngr;
}

namespace qm::ui {

struct TAppContext;
class TDrawWindowWidget;

// The tone set file dialogs' filter, as the file dialog wants it.
QString toneSetFileFilter();

// The creation dialog: shape, resolution, ruling, coverage, angle and softness, a live preview
// of the tile and the automatic name.
class TTonePatDlg : public QDialog {
    Q_OBJECT
  public:
    // Starts from attr (the defaults for a new tone); messages about bad input go to the sink.
    TTonePatDlg(const SToneAttr& attr, TAppContext& app, QWidget* parent = nullptr);

    // The attributes as entered (each field confirmed and clamped first).
    SToneAttr attr();

    QComboBox* shapeBox() const { return shape_; }
    // The numeric fields in the order DPI, lines, percent, angle, blur.
    QLineEdit* field(int i) const { return fields_[i]; }
    QCheckBox* autoNameBox() const { return autoName_; }
    QLineEdit* nameEdit() const { return name_; }
    QLabel* preview() const { return preview_; }

    // Reads field i; bad text is reported and replaced by the last good value, a value outside
    // the range is reported and clamped. The value kept.
    float confirmField(int i);

    static constexpr int kFieldCount = 5;
    static constexpr int kPreviewSide = 96;

  private:
    SToneAttr current() const; // from the fields as they stand, without reports
    void updatePreview();

    TAppContext& app_;
    SToneAttr start_;
    QComboBox* shape_ = nullptr;
    QLineEdit* fields_[kFieldCount] = {};
    float last_[kFieldCount] = {};
    QCheckBox* autoName_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLabel* preview_ = nullptr;
};

class TToneWindow : public QWidget {
    Q_OBJECT
  public:
    // Thumbnail sides of actToneUnitL, M and S.
    static constexpr int kUnitLarge = 64;
    static constexpr int kUnitMedium = 48;
    static constexpr int kUnitSmall = 32;

    // activeDrawWindow: the drawing window whose picture actToneCreateImage takes (may give
    // nullptr).
    TToneWindow(TAppContext& app, std::function<TDrawWindowWidget*()> activeDrawWindow,
                QWidget* parent = nullptr);

    // Brings the thumbnails and the panel in line with the tone list (call after the list was
    // changed elsewhere).
    void refresh();

    // ---- the commands ----
    void actToneCreate();
    void actToneCreateImage();
    void actToneDuplicate();
    void actToneDelete();
    void actToneNega();
    void actToneSave();
    void actToneLoad();
    void actToneLoadAppend();
    void actToneShowPanel(); // shows or hides the option panel
    void actToneUnitL();
    void actToneUnitM();
    void actToneUnitS();
    // The creation dialog on tone i, which then takes the new attributes.
    void editTone(int i);
    // What the creation dialog's OK does: the tone added and made current; false (reported)
    // for invalid geometry.
    bool createTone(const SToneAttr& attr);

    // Replaceable in tests. chooseFile asks for a tone set to save (save = true) or load; an
    // empty path cancels. execDialog runs the creation dialog (QDialog::exec by default).
    std::function<QString(bool save)> chooseFile;
    std::function<int(TTonePatDlg&)> execDialog;
    // Called after this window changed the list (other windows that show tones follow).
    std::function<void()> tonesChanged;

    QListWidget* list() const { return list_; }
    int unitSize() const { return unit_; }
    bool panelShown() const;
    QWidget* panel() const { return panel_; }
    QSpinBox* originXBox() const { return originX_; }
    QSpinBox* originYBox() const { return originY_; }
    QSpinBox* zoomBox() const { return zoom_; }
    QCheckBox* invertBox() const { return invert_; }
    // The context menu's actions, named as the commands ("actToneCreate", …).
    QAction* action(const char* name) const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    CToneMngr& tones();
    void setUnit(int side);
    void rowChosen(int row);
    void panelEdited();
    void refreshPanel();
    void loadSet(bool append);
    void changed();
    void fail();

    TAppContext& app_;
    std::function<TDrawWindowWidget*()> activeDrawWindow_;
    int unit_ = kUnitMedium;
    bool updating_ = false;
    QListWidget* list_ = nullptr;
    QWidget* panel_ = nullptr;
    QSpinBox* originX_ = nullptr;
    QSpinBox* originY_ = nullptr;
    QSpinBox* zoom_ = nullptr;
    QCheckBox* invert_ = nullptr;
};

} // namespace qm::ui

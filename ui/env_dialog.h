// The options dialog: the settings that have no window of their own (undo steps, the grid, the
// language, the view, the pen and mouse, what pictures are written with). OK writes them into
// the program's settings; the main window then applies what can change at once.
#pragma once

#include "ui/app_context.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace qm::ui {

class TFormEnv : public QDialog {
    Q_OBJECT
  public:
    explicit TFormEnv(const TAppContext& app, QWidget* parent = nullptr);

    // Writes the dialog's values into the settings.
    void store(TAppContext& app) const;

    QSpinBox* undoSteps = nullptr;
    QSpinBox* gridWidth = nullptr;
    QSpinBox* gridHeight = nullptr;
    QComboBox* language = nullptr;
    QCheckBox* smoothView = nullptr;
    QCheckBox* autoScroll = nullptr;
    QCheckBox* ignoreTablet = nullptr;
    QCheckBox* dropFullSpike = nullptr;
    QCheckBox* rightButtonPicks = nullptr;
    QComboBox* middleButton = nullptr;
    QSpinBox* jpegPresets[4] = {};
    QSpinBox* psdVersion = nullptr;
    QCheckBox* psdUncompressed = nullptr;
    QCheckBox* keepPrevious = nullptr;

  private:
    QWidget* generalPage(const TAppContext& app);
    QWidget* inputPage(const TAppContext& app);
    QWidget* filesPage(const TAppContext& app);
};

} // namespace qm::ui

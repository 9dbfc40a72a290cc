// The pattern window: a bitmap pattern from the active paper's displayed picture, or from the
// part of it the selection covers, shown as it will paint (dark becomes ink), with a name and a
// zoom; adding it puts it at the end of the app's tone list and makes it current.
#pragma once

#include "core/dib_core.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace qm::ui {

struct TAppContext;
class TDrawWindowWidget;

class TPatWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kPreviewSide = 128;

    TPatWindow(TAppContext& app, std::function<TDrawWindowWidget*()> activeDrawWindow,
               QWidget* parent = nullptr);

    // Takes the picture again from the active drawing window (its selection's content when
    // there is a selection); false when there is no window or nothing to take.
    bool capture();
    // Adds the captured picture as a pattern with the name and zoom entered; its index, or −1
    // (reported) when it could not be added.
    int addPattern();

    // The picture taken, as it stands (empty before capture).
    const TMTC& picture() const { return picture_; }
    QLabel* preview() const { return preview_; }
    QLineEdit* nameEdit() const { return name_; }
    QSpinBox* zoomBox() const { return zoom_; }
    QPushButton* addButton() const { return add_; }

    // Called after a pattern was added (the tone window follows).
    std::function<void()> tonesChanged;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showPreview();

    TAppContext& app_;
    std::function<TDrawWindowWidget*()> activeDrawWindow_;
    TMTC picture_;
    QLabel* preview_ = nullptr;
    QLineEdit* name_ = nullptr;
    QSpinBox* zoom_ = nullptr;
    QPushButton* add_ = nullptr;
};

} // namespace qm::ui

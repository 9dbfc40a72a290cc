// The layer window: the active paper's layer stack, top layer first, with thumbnails, names,
// visibility and protect toggles, opacity and blend mode; making a layer current, reordering
// by drag, new, delete, duplicate, and the layer options dialog. Every change goes through the
// paper, so it is recorded and can be undone.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;
class QSpinBox;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qm::ui {

class TDrawWindowWidget;
class TLayerList;

class TLayerWindow : public QWidget {
    Q_OBJECT
public:
    explicit TLayerWindow(QWidget* parent = nullptr);

    // The drawing window whose layers are shown (nullptr: none).
    void setDrawWindow(TDrawWindowWidget* window);
    // Rebuilds the list from the paper.
    void refresh();

    QTreeWidget* list() const;
    QSlider* opacityBar() const { return opacity_; }
    QComboBox* modeBox() const { return mode_; }
    // The row of a layer index (rows run from the top layer down).
    int rowOf(int layerIndex) const;

    // The operations of the buttons and the options dialog.
    void newLayer();
    void deleteLayer();
    void duplicateLayer();
    void moveLayer(int from, int to);
    void editOptions();

private:
    void itemChanged(QTreeWidgetItem* item, int column);
    void currentChanged();
    void opacityChosen();
    void modeChosen();

    // Counts the list's signals being handled (a rebuild then waits).
    struct TListSignal {
        explicit TListSignal(int& depth) : depth_(depth) { ++depth_; }
        ~TListSignal() { --depth_; }
        int& depth_;
    };

    QPointer<TDrawWindowWidget> window_;
    int inListSignal_ = 0;
    TLayerList* list_ = nullptr;
    QSlider* opacity_ = nullptr;
    QComboBox* mode_ = nullptr;
    bool updating_ = false;
};

// The layer options: name, opacity, mode, the blend option and the display position.
class TLayerOptionsDialog : public QDialog {
    Q_OBJECT
public:
    TLayerOptionsDialog(const QString& name, int opacity, int mode, bool noise, int amount,
                        int x, int y, QWidget* parent = nullptr);
    QString name() const;
    int opacity() const;
    int mode() const;
    bool noise() const;
    int amount() const;
    int offsetX() const;
    int offsetY() const;

private:
    QLineEdit* name_ = nullptr;
    QSpinBox* opacity_ = nullptr;
    QComboBox* mode_ = nullptr;
    QCheckBox* noise_ = nullptr;
    QSpinBox* amount_ = nullptr;
    QSpinBox* x_ = nullptr;
    QSpinBox* y_ = nullptr;
};

} // namespace qm::ui

// The selection window: the active paper's masks, each with its thumbnail and name, the current
// one highlighted; making a mask current, reordering by drag, new, duplicate and delete, the two
// switches of the selection, a row's pop-up that combines that mask into the current one, and
// the options dialog. Every change goes through the paper, so it is recorded and can be undone.
#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>

class QCheckBox;
class QListWidget;
class QMenu;
class QToolButton;

namespace qm {
enum class MaskCombine : uint8_t;
}

namespace qm::ui {

class TDrawWindowWidget;
class TMaskList;

class TSelectWindow : public QWidget {
    Q_OBJECT
  public:
    explicit TSelectWindow(QWidget* parent = nullptr);

    // The drawing window whose masks are shown (nullptr: none).
    void setDrawWindow(TDrawWindowWidget* window);
    // Brings the list and the switches in line with the paper.
    void refresh();

    // Rows run from mask 0 down.
    QListWidget* list() const;
    QCheckBox* shownBox() const { return shown_; }
    QCheckBox* activeBox() const { return active_; }
    QToolButton* newButton() const { return new_; }
    QToolButton* duplicateButton() const { return duplicate_; }
    QToolButton* deleteButton() const { return delete_; }
    // A row's pop-up with the combine commands; opened without waiting for it to close.
    QMenu* maskMenu() const { return menu_; }
    void openMaskMenu(int row, QPoint globalPos);

    // The operations of the buttons, the drag, the pop-up and the options dialog.
    void newMask();
    void duplicateMask();
    void deleteMask();
    void moveMask(int from, int to);
    // The mask whose pop-up was opened, combined into the current one.
    void combineIntoCurrent(MaskCombine mode);
    void editOptions(int row);

  private:
    void currentRowChosen(int row);
    void shownToggled(bool on);
    void activeToggled(bool on);
    // After an edit from this window: the main window follows (title, undo state).
    void edited();

    // Counts the list's signals being handled (a rebuild then waits).
    struct TListSignal {
        explicit TListSignal(int& depth) : depth_(depth) { ++depth_; }
        ~TListSignal() { --depth_; }
        int& depth_;
    };

    QPointer<TDrawWindowWidget> window_;
    int inListSignal_ = 0;
    bool updating_ = false;
    int menuRow_ = -1;
    TMaskList* list_ = nullptr;
    QCheckBox* shown_ = nullptr;
    QCheckBox* active_ = nullptr;
    QToolButton* new_ = nullptr;
    QToolButton* duplicate_ = nullptr;
    QToolButton* delete_ = nullptr;
    QMenu* menu_ = nullptr;
};

} // namespace qm::ui

#include "ui/select_window.h"

#include "ui/draw_window.h"
#include "ui/qt_images.h"
#include "ui/select_dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace qm::ui {

// The list, whose drops move masks through the paper instead of moving rows, and whose right
// button opens a row's pop-up without making that row current (the pop-up combines it into
// the current mask).
class TMaskList : public QListWidget {
  public:
    explicit TMaskList(QWidget* parent) : QListWidget(parent)
    {
        setIconSize(QSize(33, 33));
        setDragDropMode(QAbstractItemView::InternalMove);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setUniformItemSizes(true);
    }
    std::function<void(int fromRow, int toRow)> moved;
    std::function<void(int row, QPoint globalPos)> popup;

  protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::RightButton) {
            event->ignore(); // left for the context menu event
            return;
        }
        QListWidget::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::RightButton) {
            event->ignore();
            return;
        }
        QListWidget::mouseReleaseEvent(event);
    }
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        const int row = this->row(itemAt(event->pos()));
        if (row >= 0 && popup) popup(row, event->globalPos());
        event->accept();
    }
    void dropEvent(QDropEvent* event) override
    {
        QListWidgetItem* dragged = currentItem();
        QListWidgetItem* target = itemAt(event->position().toPoint());
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        if (!dragged || !moved) return;
        const int from = row(dragged);
        const int to = target ? row(target) : count() - 1;
        if (from != to) moved(from, to);
    }
};

TSelectWindow::TSelectWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TSelectWindow"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    shown_ = new QCheckBox(tr("Outline shown"), this);
    shown_->setObjectName(QStringLiteral("selectionShown"));
    active_ = new QCheckBox(tr("Selection in effect"), this);
    active_->setObjectName(QStringLiteral("selectionActive"));
    auto* switches = new QHBoxLayout;
    switches->addWidget(shown_);
    switches->addWidget(active_);
    switches->addStretch(1);
    layout->addLayout(switches);
    list_ = new TMaskList(this);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    auto add = [&](const QString& text, void (TSelectWindow::*fn)()) {
        auto* b = new QToolButton(this);
        b->setText(text);
        connect(b, &QToolButton::clicked, this, fn);
        buttons->addWidget(b);
        return b;
    };
    new_ = add(tr("New"), &TSelectWindow::newMask);
    duplicate_ = add(tr("Duplicate"), &TSelectWindow::duplicateMask);
    delete_ = add(tr("Delete"), &TSelectWindow::deleteMask);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    menu_ = new QMenu(this);
    const std::pair<const char*, QString> commands[] = {
        {"menuMaskAdd", tr("Add to the Current Mask")},
        {"menuMaskSub", tr("Subtract from the Current Mask")},
        {"menuMaskAnd", tr("Intersect with the Current Mask")},
        {"menuMaskCopy", tr("Replace the Current Mask")}};
    const MaskCombine modes[] = {MaskCombine::Add, MaskCombine::Subtract, MaskCombine::Intersect,
                                 MaskCombine::Replace};
    for (int i = 0; i < 4; ++i) {
        QAction* a = menu_->addAction(commands[i].second);
        a->setObjectName(QString::fromLatin1(commands[i].first));
        const MaskCombine mode = modes[i];
        connect(a, &QAction::triggered, this, [this, mode] { combineIntoCurrent(mode); });
    }

    connect(list_, &QListWidget::currentRowChanged, this, &TSelectWindow::currentRowChosen);
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { editOptions(list_->row(item)); });
    connect(shown_, &QCheckBox::toggled, this, &TSelectWindow::shownToggled);
    connect(active_, &QCheckBox::toggled, this, &TSelectWindow::activeToggled);
    list_->moved = [this](int fromRow, int toRow) {
        const TListSignal inSignal(inListSignal_);
        moveMask(fromRow, toRow);
    };
    list_->popup = [this](int row, QPoint globalPos) { openMaskMenu(row, globalPos); };
    setEnabled(false);
}

QListWidget* TSelectWindow::list() const
{
    return list_;
}

void TSelectWindow::setDrawWindow(TDrawWindowWidget* window)
{
    if (window_ == window) return;
    if (window_) window_->disconnect(this);
    window_ = window;
    if (window_) {
        // Undo, redo and replayed events change the masks too: they all come as selectionEdited.
        connect(window_, &TDrawWindowWidget::selectionEdited, this, &TSelectWindow::refresh);
        connect(window_, &TDrawWindowWidget::stateChanged, this, &TSelectWindow::refresh);
    }
    refresh();
}

void TSelectWindow::refresh()
{
    // Inside one of the list's own signals its items must live on: rebuild afterwards.
    if (inListSignal_ > 0) {
        QTimer::singleShot(0, this, &TSelectWindow::refresh);
        return;
    }
    updating_ = true;
    const bool usable = window_ && window_->playback == TPlayback::none;
    setEnabled(usable);
    if (!window_) {
        list_->clear();
        updating_ = false;
        return;
    }
    TPaper& paper = window_->paper();
    const CMaskMngr& masks = *paper.masks;
    while (list_->count() > masks.Count())
        delete list_->takeItem(list_->count() - 1);
    for (int32_t i = 0; i < masks.Count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        if (!item) {
            item = new QListWidgetItem(list_);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
                           Qt::ItemIsDropEnabled);
            item->setSizeHint(QSize(0, 37)); // room for the 33-pixel thumbnail
        }
        const CMaskData* mask = masks.Mask(i);
        item->setText(QString::fromStdString(mask->name));
        item->setIcon(QIcon(QPixmap::fromImage(toQImage(mask->thumbnail, true))));
    }
    list_->setCurrentRow(masks.CurrentIndex());
    shown_->setChecked(paper.selectionShown != 0);
    active_->setChecked(paper.selectionActive != 0);
    // The paper keeps one mask at least.
    delete_->setEnabled(masks.Count() > 1);
    updating_ = false;
}

void TSelectWindow::edited()
{
    if (window_) emit window_->stateChanged();
}

void TSelectWindow::currentRowChosen(int row)
{
    if (updating_ || !window_ || row < 0) return;
    const TListSignal inSignal(inListSignal_);
    if (window_->paper().setCurrentMask(row, true)) edited();
}

void TSelectWindow::shownToggled(bool on)
{
    if (updating_ || !window_) return;
    if (window_->paper().setSelectionShown(on, true)) edited();
}

void TSelectWindow::activeToggled(bool on)
{
    if (updating_ || !window_) return;
    if (window_->paper().setSelectionActive(on, true)) edited();
}

void TSelectWindow::newMask()
{
    if (window_ && window_->paper().insertMask(-1, true)) edited();
}

void TSelectWindow::duplicateMask()
{
    if (window_ && window_->paper().duplicateMask(-1, true)) edited();
}

void TSelectWindow::deleteMask()
{
    if (window_ && window_->paper().removeMask(-1, true)) edited();
}

void TSelectWindow::moveMask(int from, int to)
{
    if (window_ && window_->paper().moveMask(from, to, true)) edited();
}

void TSelectWindow::openMaskMenu(int row, QPoint globalPos)
{
    if (!window_ || row < 0 || row >= window_->paper().masks->Count()) return;
    menuRow_ = row;
    menu_->popup(globalPos);
}

void TSelectWindow::combineIntoCurrent(MaskCombine mode)
{
    if (window_ && menuRow_ >= 0 && window_->paper().combineMasks(-1, menuRow_, mode, true))
        edited();
}

void TSelectWindow::editOptions(int row)
{
    if (!window_ || row < 0 || row >= window_->paper().masks->Count()) return;
    TSelectInfoWindow dialog(window_->paper(), row, this);
    if (dialog.exec() == QDialog::Accepted && dialog.applied()) edited();
}

} // namespace qm::ui

#include "ui/layer_window.h"

#include "layers/blend_mode_table.h"
#include "ui/draw_window.h"
#include "ui/qt_images.h"
#include "ui/ui_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace qm::ui {

namespace {

enum Column { kVisible = 0, kProtect = 1, kLayer = 2, kOpacity = 3 };

void fillModes(QComboBox* box)
{
    for (uint8_t mode : kModeListOrder)
        box->addItem(uiText(modeName(mode)), int(mode));
}

} // namespace

// The list, whose drops move layers through the paper instead of moving rows.
class TLayerList : public QTreeWidget {
public:
    explicit TLayerList(QWidget* parent) : QTreeWidget(parent)
    {
        setColumnCount(4);
        setHeaderLabels({tr("Show"), tr("Lock"), tr("Layer"), tr("Opacity")});
        header()->setStretchLastSection(false);
        for (int column : {kVisible, kProtect, kOpacity})
            header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        header()->setSectionResizeMode(kLayer, QHeaderView::Stretch);
        setRootIsDecorated(false);
        setIconSize(QSize(33, 33));
        setDragDropMode(QAbstractItemView::InternalMove);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setUniformRowHeights(true);
    }
    std::function<void(int fromRow, int toRow)> moved;

protected:
    void dropEvent(QDropEvent* event) override
    {
        QTreeWidgetItem* dragged = currentItem();
        QTreeWidgetItem* target = itemAt(event->position().toPoint());
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        if (!dragged || !moved)
            return;
        const int from = indexOfTopLevelItem(dragged);
        int to = target ? indexOfTopLevelItem(target) : topLevelItemCount() - 1;
        if (from != to)
            moved(from, to);
    }
};

TLayerWindow::TLayerWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TLayerWindow"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* attributes = new QHBoxLayout;
    mode_ = new QComboBox(this);
    mode_->setObjectName(QStringLiteral("layerMode"));
    fillModes(mode_);
    opacity_ = new QSlider(Qt::Horizontal, this);
    opacity_->setObjectName(QStringLiteral("layerOpacity"));
    opacity_->setRange(0, 255);
    attributes->addWidget(mode_);
    attributes->addWidget(opacity_, 1);
    layout->addLayout(attributes);
    list_ = new TLayerList(this);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    auto add = [&](const QString& text, void (TLayerWindow::*fn)()) {
        auto* b = new QToolButton(this);
        b->setText(text);
        connect(b, &QToolButton::clicked, this, fn);
        buttons->addWidget(b);
    };
    add(tr("New"), &TLayerWindow::newLayer);
    add(tr("Duplicate"), &TLayerWindow::duplicateLayer);
    add(tr("Delete"), &TLayerWindow::deleteLayer);
    add(tr("Options..."), &TLayerWindow::editOptions);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(list_, &QTreeWidget::itemChanged, this, &TLayerWindow::itemChanged);
    connect(list_, &QTreeWidget::currentItemChanged, this, &TLayerWindow::currentChanged);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { editOptions(); });
    connect(opacity_, &QSlider::sliderReleased, this, &TLayerWindow::opacityChosen);
    connect(opacity_, &QSlider::valueChanged, this, [this] {
        if (!opacity_->isSliderDown())
            opacityChosen();
    });
    connect(mode_, &QComboBox::activated, this, &TLayerWindow::modeChosen);
    list_->moved = [this](int fromRow, int toRow) {
        if (!window_)
            return;
        const TListSignal inSignal(inListSignal_);
        const int top = window_->paper().topLayerIndex();
        moveLayer(top - fromRow, top - toRow);
    };
    setEnabled(false);
}

QTreeWidget* TLayerWindow::list() const { return list_; }

int TLayerWindow::rowOf(int layerIndex) const
{
    return window_ ? window_->paper().topLayerIndex() - layerIndex : -1;
}

void TLayerWindow::setDrawWindow(TDrawWindowWidget* window)
{
    if (window_ == window)
        return;
    if (window_)
        window_->disconnect(this);
    window_ = window;
    if (window_)
        connect(window_, &TDrawWindowWidget::stateChanged, this, &TLayerWindow::refresh);
    refresh();
}

void TLayerWindow::refresh()
{
    // Inside one of the list's own signals its items must live on: rebuild afterwards.
    if (inListSignal_ > 0) {
        QTimer::singleShot(0, this, &TLayerWindow::refresh);
        return;
    }
    updating_ = true;
    list_->clear();
    const bool usable = window_ && window_->playback == TPlayback::none;
    setEnabled(usable);
    if (!window_) {
        updating_ = false;
        return;
    }
    TPaper& paper = window_->paper();
    for (int i = paper.topLayerIndex(); i >= 0; --i) {
        CLayerData* layer = paper.layer(i);
        auto* item = new QTreeWidgetItem(list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                       Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
        item->setCheckState(kVisible, layer->visible ? Qt::Checked : Qt::Unchecked);
        item->setCheckState(kProtect, layer->protectAlpha ? Qt::Checked : Qt::Unchecked);
        item->setText(kLayer, QString::fromStdString(layer->name) + QStringLiteral("\n") +
                                  uiText(modeName(layer->mode & 0x7F)));
        item->setSizeHint(kLayer, QSize(0, 38)); // room for the 33-pixel thumbnail and two lines
        if (const TMTC* thumbnail = layer->thumbnail())
            // Thumbnails keep colour only: under transparent pixels lies the neutral colour.
            item->setIcon(kLayer, QIcon(QPixmap::fromImage(toQImage(*thumbnail, true))));
        item->setText(kOpacity, QStringLiteral("%1%").arg(layer->opacity * 100 / 255));
        if (i == paper.currentLayerIndex())
            list_->setCurrentItem(item);
    }
    if (CLayerData* current = paper.currentLayer()) {
        opacity_->setValue(current->opacity);
        mode_->setCurrentIndex(std::max(0, listPositionOfMode(current->mode & 0x7F)));
    }
    updating_ = false;
}

void TLayerWindow::currentChanged()
{
    if (updating_ || !window_)
        return;
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0)
        return;
    const TListSignal inSignal(inListSignal_);
    TPaper& paper = window_->paper();
    const int index = paper.topLayerIndex() - row;
    if (index != paper.currentLayerIndex()) {
        paper.setCurrentLayer(window_->document().flow(), index);
        refresh();
    }
}

void TLayerWindow::itemChanged(QTreeWidgetItem* item, int column)
{
    if (updating_ || !window_)
        return;
    const TListSignal inSignal(inListSignal_);
    TPaper& paper = window_->paper();
    const int index = paper.topLayerIndex() - list_->indexOfTopLevelItem(item);
    const bool on = item->checkState(column) == Qt::Checked;
    if (column == kVisible)
        paper.setLayerVisible(window_->document().flow(), index, on, true);
    else if (column == kProtect)
        paper.setLayerProtectAlpha(window_->document().flow(), index, on, true);
    else
        return;
    emit window_->stateChanged();
}

void TLayerWindow::opacityChosen()
{
    if (updating_ || !window_)
        return;
    TPaper& paper = window_->paper();
    paper.setLayerOpacity(window_->document().flow(), paper.currentLayerIndex(),
                          uint8_t(opacity_->value()), true);
    emit window_->stateChanged();
}

void TLayerWindow::modeChosen()
{
    if (updating_ || !window_)
        return;
    TPaper& paper = window_->paper();
    paper.setLayerMode(window_->document().flow(), paper.currentLayerIndex(),
                       uint8_t(mode_->currentData().toInt()), true);
    emit window_->stateChanged();
}

void TLayerWindow::newLayer()
{
    if (window_)
        window_->newLayer();
}

void TLayerWindow::deleteLayer()
{
    if (window_)
        window_->deleteCurrentLayer();
}

void TLayerWindow::duplicateLayer()
{
    if (!window_)
        return;
    // A failure is reported by the paper itself.
    TPaper& paper = window_->paper();
    paper.duplicateLayer(window_->document().flow(), paper.currentLayerIndex(), true);
    emit window_->stateChanged();
}

void TLayerWindow::moveLayer(int from, int to)
{
    if (!window_)
        return;
    window_->paper().moveLayer(window_->document().flow(), from, to, true);
    emit window_->stateChanged();
}

void TLayerWindow::editOptions()
{
    if (!window_)
        return;
    TPaper& paper = window_->paper();
    const int index = paper.currentLayerIndex();
    CLayerData* layer = paper.layer(index);
    if (!layer)
        return;
    TLayerOptionsDialog dialog(QString::fromStdString(layer->name), layer->opacity,
                               layer->mode & 0x7F, layer->blendNoise != 0, layer->blendAmount,
                               -layer->offsetX, -layer->offsetY, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    TFlowImage& flow = window_->document().flow();
    paper.renameLayer(index, dialog.name().toStdString(), true);
    paper.setLayerOpacity(flow, index, uint8_t(dialog.opacity()), true);
    paper.setLayerMode(flow, index, uint8_t(dialog.mode()), true);
    paper.setLayerBlendOption(flow, index, dialog.noise(), uint8_t(dialog.amount()), true);
    paper.setLayerOffset(flow, index, -dialog.offsetX(), -dialog.offsetY(), true);
    emit window_->stateChanged();
}

// ---- the options dialog ----

TLayerOptionsDialog::TLayerOptionsDialog(const QString& name, int opacity, int mode, bool noise,
                                         int amount, int x, int y, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Layer Options"));
    auto* form = new QFormLayout(this);
    name_ = new QLineEdit(name, this);
    opacity_ = new QSpinBox(this);
    opacity_->setRange(0, 255);
    opacity_->setValue(opacity);
    mode_ = new QComboBox(this);
    fillModes(mode_);
    mode_->setCurrentIndex(std::max(0, listPositionOfMode(uint32_t(mode))));
    noise_ = new QCheckBox(tr("Draw through the blend option"), this);
    noise_->setChecked(noise);
    amount_ = new QSpinBox(this);
    amount_->setRange(0, 255);
    amount_->setValue(amount);
    x_ = new QSpinBox(this);
    y_ = new QSpinBox(this);
    for (QSpinBox* box : {x_, y_})
        box->setRange(-100000, 100000);
    x_->setValue(x);
    y_->setValue(y);
    form->addRow(tr("Name:"), name_);
    form->addRow(tr("Opacity:"), opacity_);
    form->addRow(tr("Mode:"), mode_);
    form->addRow(noise_);
    form->addRow(tr("Amount:"), amount_);
    form->addRow(tr("Position x:"), x_);
    form->addRow(tr("Position y:"), y_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString TLayerOptionsDialog::name() const { return name_->text(); }
int TLayerOptionsDialog::opacity() const { return opacity_->value(); }
int TLayerOptionsDialog::mode() const { return mode_->currentData().toInt(); }
bool TLayerOptionsDialog::noise() const { return noise_->isChecked(); }
int TLayerOptionsDialog::amount() const { return amount_->value(); }
int TLayerOptionsDialog::offsetX() const { return x_->value(); }
int TLayerOptionsDialog::offsetY() const { return y_->value(); }

} // namespace qm::ui

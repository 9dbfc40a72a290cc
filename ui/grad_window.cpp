#include "ui/grad_window.h"

#include "tone/grad_mngr.h"
#include "tone/grad_set_file.h"
#include "ui/app_context.h"
#include "ui/ui_text.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace qm::ui {

namespace {

constexpr const char* kFailedMessage = "操作に失敗しました！";
constexpr const char* kRepeatCaption = "繰返(&R)";
constexpr const char* kCountCaption = "回(&C)";
constexpr int kMaxRepeatCount = 32767; // the set file keeps the count as an i16

// Colours are 0x00BBGGRR with alpha on top.
QColor toQColor(uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF), int(c >> 24));
}

uint32_t fromQColor(const QColor& c)
{
    return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
}

void paintChecker(QPainter& painter, const QRect& r)
{
    const int cell = 4;
    painter.fillRect(r, Qt::white);
    for (int y = r.top(); y <= r.bottom(); y += cell)
        for (int x = r.left(); x <= r.right(); x += cell)
            if (((x - r.left()) / cell + (y - r.top()) / cell) % 2)
                painter.fillRect(QRect(x, y, cell, cell).intersected(r), QColor(204, 204, 204));
}

} // namespace

QString gradSetFileFilter()
{
    // "Quillmere Gradation Set (*.qgs)|*.QGS": the description and both spellings.
    return QStringLiteral("Quillmere Gradation Set (*.qgs *.QGS)");
}

QImage gradationStrip(const CColorSlotGroup& stops, int width, int height)
{
    QImage strip(std::max(1, width), std::max(1, height), QImage::Format_ARGB32);
    for (int x = 0; x < strip.width(); ++x) {
        const int32_t t = strip.width() > 1 ? fixedQuotient(x, strip.width() - 1) : 0;
        const QColor c = toQColor(stops.ColorAt(t));
        for (int y = 0; y < strip.height(); ++y)
            strip.setPixelColor(x, y, c);
    }
    QImage shown(strip.size(), QImage::Format_ARGB32);
    QPainter painter(&shown);
    paintChecker(painter, shown.rect());
    painter.drawImage(0, 0, strip);
    return shown;
}

// ---- the stop editor ----

TGradEdit::TGradEdit(TGradWindow& window, QWidget* parent) : QWidget(parent), window_(window)
{
    setObjectName(QStringLiteral("TGradEdit"));
    setMouseTracking(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize TGradEdit::sizeHint() const
{
    return {200, kStripHeight + kHandleHeight + 4};
}

QSize TGradEdit::minimumSizeHint() const
{
    return {60, kStripHeight + kHandleHeight + 4};
}

const CColorSlotGroup* TGradEdit::stops() const
{
    return window_.currentStops();
}

int32_t TGradEdit::positionAt(double x) const
{
    const double w = std::max(1, width() - 2 * kMargin - 1);
    const double u = std::clamp((x - kMargin) / w, 0.0, 1.0);
    return int32_t(std::lround(u * kFixedOne));
}

double TGradEdit::columnOf(int32_t position) const
{
    const double w = std::max(1, width() - 2 * kMargin - 1);
    return kMargin + double(position) / kFixedOne * w;
}

int32_t TGradEdit::handleAt(double x) const
{
    const CColorSlotGroup* s = stops();
    if (!s) return -1;
    int32_t best = -1;
    double bestDistance = kGrabDistance + 0.5;
    for (int32_t i = 0; i <= s->lastIndex(); ++i) {
        const double d = std::abs(columnOf(s->stops[size_t(i)].start) - x);
        // On stops that share a place the later one is taken, as NearestStop does.
        if (d <= bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

void TGradEdit::setSelectedStop(int32_t i)
{
    const CColorSlotGroup* s = stops();
    selected_ = s && i >= 0 && i <= s->lastIndex() ? i : -1;
    update();
    emit stopSelected(selected_);
}

bool TGradEdit::outside(const QPointF& p) const
{
    return p.y() < -kDropDistance || p.y() > height() + kDropDistance;
}

void TGradEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const CColorSlotGroup* s = stops();
    const QRect strip(kMargin, 0, std::max(1, width() - 2 * kMargin), kStripHeight);
    if (!s || s->stops.empty()) {
        painter.fillRect(strip, palette().window());
        return;
    }
    painter.drawImage(strip.topLeft(), gradationStrip(*s, strip.width(), strip.height()));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(strip.adjusted(0, 0, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing);
    for (int32_t i = 0; i <= s->lastIndex(); ++i) {
        const double x = columnOf(s->stops[size_t(i)].start);
        const double top = kStripHeight + 1;
        const QPointF triangle[] = {{x, top},
                                    {x - kGrabDistance, top + kHandleHeight},
                                    {x + kGrabDistance, top + kHandleHeight}};
        painter.setBrush(toQColor(s->stops[size_t(i)].colour | 0xFF000000u));
        painter.setPen(QPen(i == selected_ ? palette().color(QPalette::Highlight) : Qt::black,
                            i == selected_ ? 2.0 : 1.0));
        painter.drawPolygon(triangle, 3);
    }
}

void TGradEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !stops()) return;
    const int32_t handle = handleAt(event->position().x());
    if (handle >= 0) {
        setSelectedStop(handle);
        dragging_ = handle;
        return;
    }
    if (event->position().y() > kStripHeight) return;
    const int32_t added = window_.insertStopAt(positionAt(event->position().x()));
    if (added >= 0) setSelectedStop(added);
}

void TGradEdit::mouseMoveEvent(QMouseEvent* event)
{
    const CColorSlotGroup* s = stops();
    if (dragging_ < 0 || !s || !(event->buttons() & Qt::LeftButton)) return;
    // The ends do not move; a stop dragged away stays where it was until it is dropped.
    if (dragging_ == 0 || dragging_ == s->lastIndex() || outside(event->position())) return;
    window_.moveStop(dragging_, positionAt(event->position().x()));
}

void TGradEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const int32_t stop = dragging_;
    dragging_ = -1;
    if (stop >= 0 && outside(event->position()) && window_.removeStop(stop)) setSelectedStop(-1);
}

void TGradEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const int32_t handle = handleAt(event->position().x());
    if (handle < 0) return;
    dragging_ = -1;
    setSelectedStop(handle);
    window_.pickStopColour(handle);
}

// ---- the window ----

TGradWindow::TGradWindow(TAppContext& app, QWidget* parent) : QWidget(parent), app_(app)
{
    setObjectName(QStringLiteral("TGradWindow"));
    chooseFile = [this](bool save) {
        const QString folder = QString::fromStdString(app_.profile.fileIO.gradPath);
        return save ? QFileDialog::getSaveFileName(this, tr("Save Gradation Set"), folder,
                                                   gradSetFileFilter())
                    : QFileDialog::getOpenFileName(this, tr("Load Gradation Set"), folder,
                                                   gradSetFileFilter());
    };
    chooseColour = [this](QColor start) {
        return QColorDialog::getColor(start, this, tr("Stop Colour"));
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("gradList"));
    list_->setViewMode(QListView::ListMode);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setContextMenuPolicy(Qt::ActionsContextMenu);
    layout->addWidget(list_, 1);

    const std::pair<const char*, QString> commands[] = {
        {"actGradCreate", tr("New Gradation")},
        {"actGradDuplicate", tr("Duplicate")},
        {"actGradDelete", tr("Delete")},
        {"actGradSave", tr("Save Gradation Set...")},
        {"actGradLoad", tr("Load Gradation Set...")},
        {"actGradLoadAppend", tr("Append Gradation Set...")},
        {"actGradShowPanel", tr("Options")},
        {"actGradUnitL", tr("Large Thumbnails")},
        {"actGradUnitM", tr("Medium Thumbnails")},
        {"actGradUnitS", tr("Small Thumbnails")}};
    void (TGradWindow::*const handlers[])() = {
        &TGradWindow::actGradCreate,    &TGradWindow::actGradDuplicate,
        &TGradWindow::actGradDelete,    &TGradWindow::actGradSave,
        &TGradWindow::actGradLoad,      &TGradWindow::actGradLoadAppend,
        &TGradWindow::actGradShowPanel, &TGradWindow::actGradUnitL,
        &TGradWindow::actGradUnitM,     &TGradWindow::actGradUnitS};
    auto* buttons = new QHBoxLayout;
    for (size_t i = 0; i < std::size(commands); ++i) {
        auto* a = new QAction(commands[i].second, this);
        a->setObjectName(QString::fromLatin1(commands[i].first));
        connect(a, &QAction::triggered, this, handlers[i]);
        list_->addAction(a);
        if (i == 2 || i == 5 || i == 6) {
            auto* separator = new QAction(this);
            separator->setSeparator(true);
            list_->addAction(separator);
        }
        if (i <= 2 || i == 6) {
            auto* b = new QToolButton(this);
            b->setDefaultAction(a);
            buttons->addWidget(b);
        }
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);

    // The stop editor, the selected stop's alpha and its removal.
    editor_ = new TGradEdit(*this, this);
    layout->addWidget(editor_);
    auto* stopRow = new QHBoxLayout;
    stopRow->addWidget(new QLabel(tr("Alpha"), this));
    alpha_ = new QSpinBox(this);
    alpha_->setObjectName(QStringLiteral("gradStopAlpha"));
    alpha_->setRange(0, 255);
    alpha_->setKeyboardTracking(false);
    stopRow->addWidget(alpha_);
    removeStop_ = new QToolButton(this);
    removeStop_->setObjectName(QStringLiteral("gradRemoveStop"));
    removeStop_->setText(tr("Remove Stop"));
    stopRow->addWidget(removeStop_);
    stopRow->addStretch(1);
    layout->addLayout(stopRow);
    connect(editor_, &TGradEdit::stopSelected, this, [this] { refreshStopControls(); });
    connect(alpha_, &QSpinBox::valueChanged, this, [this](int value) {
        if (!updating_) setStopAlpha(editor_->selectedStop(), value);
    });
    connect(removeStop_, &QToolButton::clicked, this, &TGradWindow::removeSelectedStop);

    // The option panel.
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("gradPanel"));
    auto* form = new QFormLayout(panel_);
    form->setContentsMargins(0, 0, 0, 0);
    type_ = new QComboBox(panel_);
    type_->setObjectName(QStringLiteral("gradType"));
    for (const char* name : kGradTypeNames)
        type_->addItem(uiText(name));
    form->addRow(tr("Type"), type_);
    map_ = new QComboBox(panel_);
    map_->setObjectName(QStringLiteral("gradMap"));
    for (const char* name : kGradMapNames)
        map_->addItem(uiText(name));
    form->addRow(tr("Map"), map_);
    repeat_ = new QCheckBox(uiText(kRepeatCaption), panel_);
    repeat_->setObjectName(QStringLiteral("gradRepeat"));
    count_ = new QSpinBox(panel_);
    count_->setObjectName(QStringLiteral("gradRepeatCount"));
    count_->setRange(1, kMaxRepeatCount);
    count_->setKeyboardTracking(false);
    auto* repeatRow = new QHBoxLayout;
    repeatRow->addWidget(repeat_);
    repeatRow->addWidget(count_);
    auto* countLabel = new QLabel(uiText(kCountCaption), panel_);
    countLabel->setBuddy(count_);
    repeatRow->addWidget(countLabel);
    form->addRow(repeatRow);
    layout->addWidget(panel_);
    connect(type_, &QComboBox::currentIndexChanged, this, &TGradWindow::panelEdited);
    connect(map_, &QComboBox::currentIndexChanged, this, &TGradWindow::panelEdited);
    connect(repeat_, &QCheckBox::toggled, this, &TGradWindow::panelEdited);
    connect(count_, &QSpinBox::valueChanged, this, &TGradWindow::panelEdited);

    connect(list_, &QListWidget::currentRowChanged, this, &TGradWindow::rowChosen);

    // The settings the window keeps.
    const int storedX = app_.profile.windowInt("gradWinUnitX");
    const int storedY = app_.profile.windowInt("gradWinUnitY");
    if (storedX > 0 && storedY > 0)
        unit_ = QSize(std::clamp(storedX, 16, 512), std::clamp(storedY, 4, 128));
    panel_->setVisible(app_.profile.windowBool("gradWinPanelVis"));
    const int panelHeight = app_.profile.windowInt("gradWinPanelH");
    if (panelHeight > 0) panel_->setMinimumHeight(panelHeight);
    setUnit(unit_);
}

CGradMngr& TGradWindow::gradations()
{
    return *app_.gradations;
}

QAction* TGradWindow::action(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

bool TGradWindow::panelShown() const
{
    return !panel_->isHidden();
}

void TGradWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

const CColorSlotGroup* TGradWindow::currentStops() const
{
    if (!app_.gradations || app_.gradations->currentIndex() < 0) return nullptr;
    return &app_.gradations->working();
}

bool TGradWindow::editable() const
{
    return app_.gradations && app_.gradations->currentIndex() >= 0 &&
           app_.gradations->currentIndex() != app_.gradations->fixedIndex();
}

void TGradWindow::refresh()
{
    updating_ = true;
    if (!app_.gradations) {
        list_->clear();
        setEnabled(false);
        updating_ = false;
        return;
    }
    setEnabled(true);
    CGradMngr& list = gradations();
    while (list_->count() > list.count())
        delete list_->takeItem(list_->count() - 1);
    for (int32_t i = 0; i < list.count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        if (!item) item = new QListWidgetItem(list_);
        const CGradObj* entry = list.entry(i);
        const QString name = uiText(entry->stops.name.c_str());
        item->setText(name);
        item->setToolTip(name);
        item->setIcon(QIcon(QPixmap::fromImage(
            gradationStrip(entry->stops.Compacted(), unit_.width(), unit_.height()))));
    }
    list_->setCurrentRow(list.currentIndex());
    const bool any = list.currentIndex() >= 0;
    action("actGradDuplicate")->setEnabled(any);
    action("actGradDelete")->setEnabled(any && list.currentIndex() != list.fixedIndex());
    const CColorSlotGroup* stops = currentStops();
    if (!stops || editor_->selectedStop() > stops->lastIndex()) editor_->setSelectedStop(-1);
    editor_->setEnabled(editable());
    editor_->update();
    refreshPanel();
    refreshStopControls();
    updating_ = false;
}

void TGradWindow::refreshPanel()
{
    const bool wasUpdating = updating_;
    updating_ = true;
    const bool any = app_.gradations && gradations().currentIndex() >= 0;
    panel_->setEnabled(any);
    if (any) {
        const TGradOptions& o = gradations().workingOptions();
        type_->setCurrentIndex(std::clamp(int(o.type), 0, int(std::size(kGradTypeNames)) - 1));
        map_->setCurrentIndex(std::clamp(int(o.map), 0, int(std::size(kGradMapNames)) - 1));
        repeat_->setChecked(o.repeat == uint8_t(GradRepeat::Endless));
        count_->setValue(std::clamp(o.count, 1, kMaxRepeatCount));
    }
    updating_ = wasUpdating;
}

void TGradWindow::refreshStopControls()
{
    const bool wasUpdating = updating_;
    updating_ = true;
    const CColorSlotGroup* stops = currentStops();
    const int32_t i = editor_->selectedStop();
    const bool stop = editable() && stops && i >= 0 && i <= stops->lastIndex();
    alpha_->setEnabled(stop);
    if (stop) alpha_->setValue(int(stops->stops[size_t(i)].withAlpha() >> 24));
    removeStop_->setEnabled(stop && i > 0 && i < stops->lastIndex());
    updating_ = wasUpdating;
}

void TGradWindow::changed()
{
    refresh();
    if (gradationsChanged) gradationsChanged();
}

void TGradWindow::fail()
{
    app_.messages.showMessage(uiText(kFailedMessage).toStdString());
}

void TGradWindow::followColours()
{
    if (!app_.gradations || !app_.colours) return;
    gradations().setFixedColours(app_.colours->secondColor(), app_.colours->mainColor());
    refresh();
}

void TGradWindow::rowChosen(int row)
{
    if (updating_ || row < 0 || !app_.gradations) return;
    gradations().Select(row);
    editor_->setSelectedStop(-1);
    changed();
}

void TGradWindow::panelEdited()
{
    if (updating_ || !app_.gradations || gradations().currentIndex() < 0) return;
    TGradOptions o = gradations().workingOptions();
    o.type = uint8_t(std::max(0, type_->currentIndex()));
    o.map = uint8_t(std::max(0, map_->currentIndex()));
    o.repeat = uint8_t(repeat_->isChecked() ? GradRepeat::Endless : GradRepeat::Counted);
    o.setCount(count_->value());
    if (!gradations().SetOptions(o)) {
        refreshPanel();
        return;
    }
    gradations().StoreOptions(app_.profile.config);
    if (CGradObj* e = gradations().entry(gradations().currentIndex())) e->renewSerial();
    changed();
}

// ---- editing ----

bool TGradWindow::replaceCurrent(const CColorSlotGroup& stops)
{
    if (!gradations().ReplaceStops(gradations().currentIndex(), stops, true)) return false;
    changed();
    return true;
}

int32_t TGradWindow::insertStopAt(int32_t position)
{
    if (!editable()) return -1;
    CColorSlotGroup stops = gradations().working();
    if (int32_t(stops.stops.size()) >= CColorSlotGroup::kMaxStops) {
        app_.messages.showMessage(
            uiText(kCannotAddMoreMessage, {uiText(kColourWord)}).toStdString());
        return -1;
    }
    // Where InsertStopAt puts it: before the first stop starting at or after the position.
    int32_t before = 0;
    while (before <= stops.lastIndex() && stops.stops[size_t(before)].start < position)
        ++before;
    if (!stops.InsertStopAt(position) || !replaceCurrent(stops)) return -1;
    return before;
}

bool TGradWindow::moveStop(int32_t stop, int32_t position)
{
    if (!editable()) return false;
    CColorSlotGroup stops = gradations().working();
    return stops.DragStop(stop, position) && replaceCurrent(stops);
}

bool TGradWindow::removeStop(int32_t stop)
{
    if (!editable()) return false;
    CColorSlotGroup stops = gradations().working();
    if (stops.countInUse() <= 2) return false;
    return stops.RemoveStop(stop) && replaceCurrent(stops);
}

void TGradWindow::removeSelectedStop()
{
    if (removeStop(editor_->selectedStop())) editor_->setSelectedStop(-1);
}

bool TGradWindow::setStopColour(int32_t stop, uint32_t colour, bool hasAlpha, uint8_t alpha)
{
    if (!editable()) return false;
    CColorSlotGroup stops = gradations().working();
    return stops.SetStopColor(stop, colour & 0xFFFFFFu, hasAlpha, alpha) && replaceCurrent(stops);
}

bool TGradWindow::pickStopColour(int32_t stop)
{
    const CColorSlotGroup* stops = currentStops();
    if (!editable() || !stops || stop < 0 || stop > stops->lastIndex() || !chooseColour)
        return false;
    const TColorStop s = stops->stops[size_t(stop)];
    const QColor picked = chooseColour(toQColor(s.colour | 0xFF000000u));
    if (!picked.isValid()) return false;
    return setStopColour(stop, fromQColor(picked), s.hasAlpha != 0, s.alpha);
}

bool TGradWindow::setStopAlpha(int32_t stop, int alpha)
{
    const CColorSlotGroup* stops = currentStops();
    if (!editable() || !stops || stop < 0 || stop > stops->lastIndex()) return false;
    const TColorStop s = stops->stops[size_t(stop)];
    const uint8_t a = uint8_t(std::clamp(alpha, 0, 255));
    return setStopColour(stop, s.colour, a != 255 || s.hasAlpha, a);
}

// ---- the list commands ----

void TGradWindow::setUnit(QSize unit)
{
    unit_ = unit;
    list_->setIconSize(unit);
    app_.profile.setWindowInt("gradWinUnitX", unit.width());
    app_.profile.setWindowInt("gradWinUnitY", unit.height());
    refresh();
}

void TGradWindow::actGradUnitL()
{
    setUnit({kUnitLargeX, kUnitLargeY});
}
void TGradWindow::actGradUnitM()
{
    setUnit({kUnitMediumX, kUnitMediumY});
}
void TGradWindow::actGradUnitS()
{
    setUnit({kUnitSmallX, kUnitSmallY});
}

void TGradWindow::actGradShowPanel()
{
    const bool show = !panelShown();
    panel_->setVisible(show);
    app_.profile.setWindowBool("gradWinPanelVis", show);
    if (show) {
        refreshPanel();
        app_.profile.setWindowInt("gradWinPanelH", panel_->sizeHint().height());
    }
}

void TGradWindow::actGradCreate()
{
    if (!app_.gradations) return;
    auto entry = std::make_unique<CGradObj>();
    const uint32_t second = app_.colours ? app_.colours->secondColor() : 0x000000u;
    const uint32_t main = app_.colours ? app_.colours->mainColor() : 0xFFFFFFu;
    if (!entry->stops.append(second, kFixedOne) || !entry->stops.append(main, 0) ||
        !entry->stops.Normalize()) {
        fail();
        return;
    }
    if (gradations().currentIndex() >= 0) entry->options = gradations().workingOptions();
    const int32_t index = gradations().add(std::move(entry));
    if (index < 0) {
        fail();
        return;
    }
    gradations().Select(index);
    changed();
}

void TGradWindow::actGradDuplicate()
{
    if (!app_.gradations || gradations().currentIndex() < 0) return;
    const int32_t index = gradations().Duplicate(gradations().currentIndex());
    if (index < 0) {
        fail();
        return;
    }
    // A copy of the fixed entry is an ordinary gradation.
    if (CGradObj* copy = gradations().entry(index); copy && copy->stops.name == kFixedGradationName)
        copy->stops.name = "no name";
    gradations().Select(index);
    changed();
}

void TGradWindow::actGradDelete()
{
    if (!app_.gradations || !editable()) return;
    gradations().Remove(gradations().currentIndex());
    changed();
}

void TGradWindow::actGradSave()
{
    if (!app_.gradations) return;
    QString path = chooseFile(true);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".qgs");
    if (saveGradSet(path.toStdString(), gradations()) != GradSetError::None) {
        fail();
        return;
    }
    app_.profile.fileIO.gradFile = path.toStdString();
    app_.profile.fileIO.gradPath = QFileInfo(path).absolutePath().toStdString();
}

void TGradWindow::loadSet(bool append)
{
    if (!app_.gradations) return;
    const QString path = chooseFile(false);
    if (path.isEmpty()) return;
    const TGradSetLoad result =
        loadGradSet(path.toStdString(), gradations(),
                    append ? SetLoadMode::Append : SetLoadMode::Replace, &app_.messages);
    if (result.anyLoaded() && !append) {
        app_.profile.fileIO.gradFile = path.toStdString();
        app_.profile.fileIO.gradPath = QFileInfo(path).absolutePath().toStdString();
    }
    editor_->setSelectedStop(-1);
    changed();
}

void TGradWindow::actGradLoad()
{
    loadSet(false);
}
void TGradWindow::actGradLoadAppend()
{
    loadSet(true);
}

} // namespace qm::ui

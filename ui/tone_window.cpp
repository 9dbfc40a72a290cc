#include "ui/tone_window.h"

#include "tone/tone_maker.h"
#include "tone/tone_mngr.h"
#include "tone/tone_set_file.h"
#include "ui/app_context.h"
#include "ui/draw_window.h"
#include "ui/ui_text.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
constexpr const char* kBadNumberMessage = "不正な文字により数値を読みとれません！";
constexpr const char* kRangeMessage = "%sは %d ～ %d にしてください！";
constexpr const char* kAutoNameCaption = "名前の自動生成(&A)";
constexpr const char* kOriginCaption = "移動";
constexpr const char* kZoomCaption = "ｽﾞｰﾑ";
constexpr const char* kInvertCaption = "反転";

// The numeric fields of the creation dialog: their names in messages and their ranges.
struct TFieldInfo {
    const char* name;
    SToneAttrRange range;
};
constexpr TFieldInfo kFields[TTonePatDlg::kFieldCount] = {{"DPI", kToneDpiRange},
                                                          {"線数", kToneLinesRange},
                                                          {"濃度", kTonePercentRange},
                                                          {"角度", kToneAngleRange},
                                                          {"ぼかし", kToneBlurRange}};

float fieldOf(const SToneAttr& a, int i)
{
    switch (i) {
    case 0:
        return a.dpi;
    case 1:
        return a.lines;
    case 2:
        return a.percent;
    case 3:
        return a.angle;
    default:
        return float(a.blur);
    }
}

void setFieldOf(SToneAttr& a, int i, float v)
{
    switch (i) {
    case 0:
        a.dpi = v;
        break;
    case 1:
        a.lines = v;
        break;
    case 2:
        a.percent = v;
        break;
    case 3:
        a.angle = v;
        break;
    default:
        a.blur = int32_t(v);
        break;
    }
}

QString numberText(float v)
{
    return QString::number(double(v), 'g', 6);
}

// Ink dark on white, as the pattern paints.
QImage inkImage(const TChannel& values)
{
    QImage image(values.width(), values.height(), QImage::Format_Grayscale8);
    for (int32_t y = 0; y < values.height(); ++y) {
        const uint8_t* from = values.row(y);
        uchar* to = image.scanLine(y);
        for (int32_t x = 0; x < values.width(); ++x)
            to[x] = uchar(255 - from[x]);
    }
    return image;
}

QPixmap thumbnail(const CPatObj& pattern, int side)
{
    TChannel values(side, side);
    if (!values.IsValid() || !pattern.DrawInto(values, 0, 0)) {
        QPixmap blank(side, side);
        blank.fill(Qt::white);
        return blank;
    }
    return QPixmap::fromImage(inkImage(values));
}

} // namespace

QString toneSetFileFilter()
{
    // "Quillmere Tone Set (*.qts)|*.QTS": the description and both spellings of the extension.
    return QStringLiteral("Quillmere Tone Set (*.qts *.QTS)");
}

// ---- the creation dialog ----

TTonePatDlg::TTonePatDlg(const SToneAttr& attr, TAppContext& app, QWidget* parent)
    : QDialog(parent), app_(app), start_(attr)
{
    setObjectName(QStringLiteral("TTonePatDlg"));
    setWindowTitle(tr("Screentone"));
    auto* layout = new QHBoxLayout(this);
    auto* form = new QFormLayout;
    shape_ = new QComboBox(this);
    shape_->setObjectName(QStringLiteral("toneShape"));
    for (int32_t i = 0; i < kToneShapeCount; ++i)
        shape_->addItem(uiText(ToneShapeCaption(i)));
    shape_->setCurrentIndex(ClampToneShape(attr.shape));
    form->addRow(tr("Shape"), shape_);
    for (int i = 0; i < kFieldCount; ++i) {
        last_[i] = fieldOf(attr, i);
        fields_[i] = new QLineEdit(numberText(last_[i]), this);
        fields_[i]->setObjectName(QStringLiteral("toneField%1").arg(i));
        form->addRow(uiText(kFields[i].name), fields_[i]);
        connect(fields_[i], &QLineEdit::editingFinished, this, [this, i] {
            confirmField(i);
            updatePreview();
        });
        connect(fields_[i], &QLineEdit::textEdited, this, [this] { updatePreview(); });
    }
    autoName_ = new QCheckBox(uiText(kAutoNameCaption), this);
    autoName_->setChecked(attr.name.empty());
    form->addRow(autoName_);
    name_ = new QLineEdit(QString::fromStdString(attr.name), this);
    name_->setObjectName(QStringLiteral("toneName"));
    form->addRow(tr("Name"), name_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    layout->addLayout(form);
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("tonePreview"));
    preview_->setFixedSize(kPreviewSide, kPreviewSide);
    layout->addWidget(preview_, 0, Qt::AlignTop);

    connect(shape_, &QComboBox::currentIndexChanged, this, [this] { updatePreview(); });
    connect(autoName_, &QCheckBox::toggled, this, [this] { updatePreview(); });
    updatePreview();
}

float TTonePatDlg::confirmField(int i)
{
    const TFieldInfo& info = kFields[i];
    bool ok = false;
    float v = fields_[i]->text().trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(v)) {
        app_.messages.showMessage(kBadNumberMessage);
        fields_[i]->setText(numberText(last_[i]));
        return last_[i];
    }
    if (v > info.range.maximum || v < info.range.minimum) {
        const QString text =
            uiText(kRangeMessage, {uiText(info.name), QString::number(int(info.range.minimum)),
                                   QString::number(int(info.range.maximum))});
        app_.messages.showMessage(text.toStdString());
        v = std::clamp(v, info.range.minimum, info.range.maximum);
    }
    if (i == 4) v = std::trunc(v); // the softness is whole percentage steps
    fields_[i]->setText(numberText(v));
    last_[i] = v;
    return v;
}

SToneAttr TTonePatDlg::current() const
{
    SToneAttr a = start_;
    a.shape = uint8_t(std::max(0, shape_->currentIndex()));
    for (int i = 0; i < kFieldCount; ++i) {
        bool ok = false;
        float v = fields_[i]->text().trimmed().toFloat(&ok);
        if (!ok || !std::isfinite(v)) v = last_[i];
        setFieldOf(a, i, std::clamp(v, kFields[i].range.minimum, kFields[i].range.maximum));
    }
    a.flag = 1;
    if (autoName_->isChecked())
        a.name = ToneName(a);
    else
        a.name = name_->text().toStdString();
    return a;
}

SToneAttr TTonePatDlg::attr()
{
    for (int i = 0; i < kFieldCount; ++i)
        confirmField(i);
    return current();
}

void TTonePatDlg::updatePreview()
{
    const SToneAttr a = current();
    name_->setEnabled(!autoName_->isChecked());
    if (autoName_->isChecked()) name_->setText(QString::fromStdString(a.name));
    CToneMaker maker;
    TChannel tile(kPreviewSide, kPreviewSide);
    if (maker.Configure(a.shape, a.blur, a.percent, a.angle, a.period()) &&
        maker.RenderTile(tile, 0, 0)) {
        // RenderTile gives ink values; the picture shows ink dark.
        QImage image(kPreviewSide, kPreviewSide, QImage::Format_Grayscale8);
        for (int y = 0; y < kPreviewSide; ++y)
            for (int x = 0; x < kPreviewSide; ++x)
                image.scanLine(y)[x] = uchar(255 - tile.row(y)[x]);
        preview_->setPixmap(QPixmap::fromImage(image));
    } else {
        QPixmap blank(kPreviewSide, kPreviewSide);
        blank.fill(Qt::lightGray);
        preview_->setPixmap(blank);
    }
}

// ---- the window ----

TToneWindow::TToneWindow(TAppContext& app, std::function<TDrawWindowWidget*()> activeDrawWindow,
                         QWidget* parent)
    : QWidget(parent), app_(app), activeDrawWindow_(std::move(activeDrawWindow))
{
    setObjectName(QStringLiteral("TToneWindow"));
    chooseFile = [this](bool save) {
        const QString folder = QString::fromStdString(app_.profile.fileIO.tonePath);
        return save ? QFileDialog::getSaveFileName(this, tr("Save Tone Set"), folder,
                                                   toneSetFileFilter())
                    : QFileDialog::getOpenFileName(this, tr("Load Tone Set"), folder,
                                                   toneSetFileFilter());
    };
    execDialog = [](TTonePatDlg& dialog) { return dialog.exec(); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("toneList"));
    list_->setViewMode(QListView::IconMode);
    list_->setMovement(QListView::Static);
    list_->setResizeMode(QListView::Adjust);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setContextMenuPolicy(Qt::ActionsContextMenu);
    layout->addWidget(list_, 1);

    // The commands, in the context menu and (the common ones) as buttons.
    const std::pair<const char*, QString> commands[] = {
        {"actToneCreate", tr("New Tone...")},      {"actToneCreateImage", tr("From the Picture")},
        {"actToneDuplicate", tr("Duplicate")},     {"actToneDelete", tr("Delete")},
        {"actToneNega", uiText(kInvertCaption)},   {"actToneSave", tr("Save Tone Set...")},
        {"actToneLoad", tr("Load Tone Set...")},   {"actToneLoadAppend", tr("Append Tone Set...")},
        {"actToneShowPanel", tr("Options")},       {"actToneUnitL", tr("Large Thumbnails")},
        {"actToneUnitM", tr("Medium Thumbnails")}, {"actToneUnitS", tr("Small Thumbnails")}};
    void (TToneWindow::*const handlers[])() = {
        &TToneWindow::actToneCreate,    &TToneWindow::actToneCreateImage,
        &TToneWindow::actToneDuplicate, &TToneWindow::actToneDelete,
        &TToneWindow::actToneNega,      &TToneWindow::actToneSave,
        &TToneWindow::actToneLoad,      &TToneWindow::actToneLoadAppend,
        &TToneWindow::actToneShowPanel, &TToneWindow::actToneUnitL,
        &TToneWindow::actToneUnitM,     &TToneWindow::actToneUnitS};
    auto* buttons = new QHBoxLayout;
    for (size_t i = 0; i < std::size(commands); ++i) {
        auto* a = new QAction(commands[i].second, this);
        a->setObjectName(QString::fromLatin1(commands[i].first));
        connect(a, &QAction::triggered, this, handlers[i]);
        list_->addAction(a);
        if (i == 4 || i == 8) {
            auto* separator = new QAction(this);
            separator->setSeparator(true);
            list_->addAction(separator);
        }
        if (i <= 3 || i == 8) {
            auto* b = new QToolButton(this);
            b->setDefaultAction(a);
            buttons->addWidget(b);
        }
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);

    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("tonePanel"));
    auto* form = new QFormLayout(panel_);
    form->setContentsMargins(0, 0, 0, 0);
    originX_ = new QSpinBox(panel_);
    originY_ = new QSpinBox(panel_);
    auto* origin = new QHBoxLayout;
    origin->addWidget(originX_);
    origin->addWidget(originY_);
    form->addRow(uiText(kOriginCaption), origin);
    zoom_ = new QSpinBox(panel_);
    zoom_->setSuffix(QStringLiteral(" %"));
    form->addRow(uiText(kZoomCaption), zoom_);
    invert_ = new QCheckBox(uiText(kInvertCaption), panel_);
    form->addRow(invert_);
    layout->addWidget(panel_);
    for (QSpinBox* box : {originX_, originY_, zoom_}) {
        box->setKeyboardTracking(false);
        connect(box, &QSpinBox::valueChanged, this, &TToneWindow::panelEdited);
    }
    connect(invert_, &QCheckBox::toggled, this, &TToneWindow::panelEdited);

    connect(list_, &QListWidget::currentRowChanged, this, &TToneWindow::rowChosen);
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { editTone(list_->row(item)); });

    // The settings the window keeps.
    const int stored = app_.profile.windowInt("toneWinUnitX");
    unit_ = stored == kUnitLarge || stored == kUnitSmall ? stored : kUnitMedium;
    panel_->setVisible(app_.profile.windowBool("toneWinPanelVis"));
    const int panelHeight = app_.profile.windowInt("toneWinPanelH");
    if (panelHeight > 0) panel_->setMinimumHeight(panelHeight);
    setUnit(unit_);
}

CToneMngr& TToneWindow::tones()
{
    return *app_.tones;
}

QAction* TToneWindow::action(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

bool TToneWindow::panelShown() const
{
    return !panel_->isHidden();
}

void TToneWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void TToneWindow::refresh()
{
    updating_ = true;
    if (!app_.tones) {
        list_->clear();
        setEnabled(false);
        updating_ = false;
        return;
    }
    setEnabled(true);
    CToneMngr& list = tones();
    while (list_->count() > list.count())
        delete list_->takeItem(list_->count() - 1);
    for (int32_t i = 0; i < list.count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        if (!item) item = new QListWidgetItem(list_);
        const CPatObj* pattern = list.at(i);
        const QString name = QString::fromStdString(pattern->name());
        item->setToolTip(name);
        item->setData(Qt::AccessibleTextRole, name);
        item->setIcon(QIcon(thumbnail(*pattern, unit_)));
    }
    list_->setCurrentRow(list.currentIndex());
    const bool any = list.current() != nullptr;
    for (const char* name : {"actToneDuplicate", "actToneDelete", "actToneNega"})
        action(name)->setEnabled(any);
    refreshPanel();
    updating_ = false;
}

void TToneWindow::refreshPanel()
{
    const bool wasUpdating = updating_;
    updating_ = true;
    const CPatObj* pattern = app_.tones ? tones().current() : nullptr;
    panel_->setEnabled(pattern != nullptr);
    if (pattern) {
        originX_->setRange(0, std::max(0, pattern->width() - 1));
        originY_->setRange(0, std::max(0, pattern->height() - 1));
        originX_->setValue(pattern->originX());
        originY_->setValue(pattern->originY());
        const SScaleRange range = pattern->ScaleRange();
        zoom_->setRange(range.minimum, range.maximum);
        zoom_->setValue(pattern->scale());
        invert_->setChecked(pattern->inverted());
    }
    updating_ = wasUpdating;
}

void TToneWindow::changed()
{
    refresh();
    if (tonesChanged) tonesChanged();
}

void TToneWindow::fail()
{
    app_.messages.showMessage(kFailedMessage);
}

void TToneWindow::rowChosen(int row)
{
    if (updating_ || row < 0 || !app_.tones) return;
    tones().Select(row);
    refreshPanel();
    if (tonesChanged) tonesChanged();
}

void TToneWindow::panelEdited()
{
    if (updating_ || !app_.tones) return;
    const int32_t i = tones().currentIndex();
    if (!tones().current()) return;
    tones().SetOrigin(i, originX_->value(), originY_->value());
    tones().SetScale(i, zoom_->value());
    tones().SetInverted(i, invert_->isChecked());
    changed();
}

void TToneWindow::setUnit(int side)
{
    unit_ = side;
    list_->setIconSize(QSize(side, side));
    list_->setGridSize(QSize(side + 6, side + 6));
    app_.profile.setWindowInt("toneWinUnitX", side);
    app_.profile.setWindowInt("toneWinUnitY", side);
    refresh();
}

void TToneWindow::actToneUnitL()
{
    setUnit(kUnitLarge);
}
void TToneWindow::actToneUnitM()
{
    setUnit(kUnitMedium);
}
void TToneWindow::actToneUnitS()
{
    setUnit(kUnitSmall);
}

void TToneWindow::actToneShowPanel()
{
    const bool show = !panelShown();
    panel_->setVisible(show);
    app_.profile.setWindowBool("toneWinPanelVis", show);
    if (show) {
        refreshPanel();
        app_.profile.setWindowInt("toneWinPanelH", panel_->sizeHint().height());
    }
}

bool TToneWindow::createTone(const SToneAttr& attr)
{
    if (!app_.tones) return false;
    const int32_t index = tones().AddTone(attr, true);
    if (index < 0) {
        fail();
        return false;
    }
    tones().Select(index);
    changed();
    return true;
}

void TToneWindow::actToneCreate()
{
    if (!app_.tones) return;
    TTonePatDlg dialog(SToneAttr{}, app_, this);
    if (execDialog(dialog) != QDialog::Accepted) return;
    createTone(dialog.attr());
}

void TToneWindow::editTone(int i)
{
    if (!app_.tones) return;
    const CPatObj* pattern = tones().at(i);
    if (!pattern || pattern->kind() != PatKind::Tone) return;
    TTonePatDlg dialog(static_cast<const CPat8Tone*>(pattern)->attr(), app_, this);
    if (execDialog(dialog) != QDialog::Accepted) return;
    if (!tones().Retone(i, dialog.attr(), true)) {
        fail();
        return;
    }
    changed();
}

void TToneWindow::actToneCreateImage()
{
    TDrawWindowWidget* window = activeDrawWindow_ ? activeDrawWindow_() : nullptr;
    if (!app_.tones || !window) return;
    const TMTC picture = window->paper().picture();
    QString name = QFileInfo(window->path()).fileName();
    if (name.isEmpty()) name = QString::fromStdString(window->paper().title);
    const int32_t index = tones().AddImagePattern(picture, name.toStdString());
    if (index < 0) {
        fail();
        return;
    }
    tones().Select(index);
    changed();
}

void TToneWindow::actToneDuplicate()
{
    if (!app_.tones || !tones().current()) return;
    const int32_t index = tones().Duplicate(tones().currentIndex());
    if (index < 0) {
        fail();
        return;
    }
    tones().Select(index);
    changed();
}

void TToneWindow::actToneDelete()
{
    if (!app_.tones || !tones().current()) return;
    tones().Remove(tones().currentIndex());
    changed();
}

void TToneWindow::actToneNega()
{
    if (!app_.tones || !tones().current()) return;
    const CPatObj* pattern = tones().current();
    tones().SetInverted(tones().currentIndex(), !pattern->inverted());
    changed();
}

void TToneWindow::actToneSave()
{
    if (!app_.tones) return;
    QString path = chooseFile(true);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".qts");
    if (saveToneSet(path.toStdString(), tones()) != ToneSetError::None) {
        fail();
        return;
    }
    app_.profile.fileIO.toneFile = path.toStdString();
    app_.profile.fileIO.tonePath = QFileInfo(path).absolutePath().toStdString();
}

void TToneWindow::loadSet(bool append)
{
    if (!app_.tones) return;
    const QString path = chooseFile(false);
    if (path.isEmpty()) return;
    const TToneSetLoad result =
        loadToneSet(path.toStdString(), tones(),
                    append ? SetLoadMode::Append : SetLoadMode::Replace, &app_.messages);
    if (result.anyLoaded() && !append) {
        app_.profile.fileIO.toneFile = path.toStdString();
        app_.profile.fileIO.tonePath = QFileInfo(path).absolutePath().toStdString();
    }
    changed();
}

void TToneWindow::actToneLoad()
{
    loadSet(false);
}
void TToneWindow::actToneLoadAppend()
{
    loadSet(true);
}

} // namespace qm::ui

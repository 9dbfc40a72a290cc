#include "ui/select_dialogs.h"

#include "paper/paper.h"
#include "select/morphology.h"
#include "ui/draw_window.h"
#include "ui/qt_images.h"
#include "ui/ui_text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace qm::ui {

namespace {

QDialogButtonBox* okCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// A row of radio buttons in a titled box; the buttons' ids are their positions.
QButtonGroup* radioRow(const char* name, const QString& title, const QStringList& texts,
                       QWidget* parent, QLayout* into)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* row = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < texts.size(); ++i) {
        auto* radio = new QRadioButton(texts[i], box);
        group->addButton(radio, i);
        row->addWidget(radio);
    }
    group->button(0)->setChecked(true);
    into->addWidget(box);
    return group;
}

} // namespace

// ---- the options of one mask ----

TSelectInfoWindow::TSelectInfoWindow(TPaper& paper, int32_t slot, QWidget* parent)
    : QDialog(parent), paper_(paper), slot_(slot)
{
    setWindowTitle(tr("Selection Options"));
    const CMaskData* mask = paper.masks->Mask(slot);
    auto* form = new QFormLayout(this);
    name_ = new QLineEdit(mask ? QString::fromStdString(mask->name) : QString(), this);
    name_->setObjectName(QStringLiteral("EditName"));
    x_ = new QSpinBox(this);
    x_->setObjectName(QStringLiteral("editViewPosX"));
    y_ = new QSpinBox(this);
    y_->setObjectName(QStringLiteral("editViewPosY"));
    const TRect bounds = mask ? mask->Bounds() : TRect{};
    for (QSpinBox* box : {x_, y_})
        box->setRange(-kMaxLayerOffset, kMaxLayerOffset);
    x_->setValue(bounds.left);
    y_->setValue(bounds.top);
    trim_ = new QCheckBox(tr("Crop to the paper"), this);
    trim_->setObjectName(QStringLiteral("CheckTrim"));
    // An empty mask has no place to move and nothing to crop.
    const bool valid = mask && mask->IsValid();
    x_->setEnabled(valid);
    y_->setEnabled(valid);
    trim_->setEnabled(valid);
    form->addRow(tr("Name:"), name_);
    form->addRow(tr("Left:"), x_);
    form->addRow(tr("Top:"), y_);
    form->addRow(trim_);
    form->addRow(okCancel(this));
}

void TSelectInfoWindow::accept()
{
    applied_ = false;
    if (const CMaskData* mask = paper_.masks->Mask(slot_)) {
        const TRect bounds = mask->Bounds();
        const std::string name = name_->text().toStdString();
        if (name != mask->name) applied_ |= paper_.renameMask(slot_, name, true);
        if (x_->value() != bounds.left || y_->value() != bounds.top)
            applied_ |= paper_.setMaskPosition(slot_, {x_->value(), y_->value()}, true);
        if (trim_->isChecked()) applied_ |= paper_.cropMaskToPaper(slot_, true);
    }
    QDialog::accept();
}

// ---- grow and shrink by an amount ----

TUpDown::TUpDown(QLineEdit& field, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), field_(field), minimum_(minimum), maximum_(maximum)
{
    setObjectName(QStringLiteral("UpDown1"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    up_->setAutoRepeat(true);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    down_->setAutoRepeat(true);
    column->addWidget(up_);
    column->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, [this] { step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
    connect(&field_, &QLineEdit::editingFinished, this, [this] {
        int value;
        sync(value);
    });
}

bool TUpDown::sync(int& value)
{
    bool number = false;
    const int typed = field_.text().toInt(&number);
    if (!number) return false;
    value = std::clamp(typed, minimum_, maximum_);
    if (field_.text() != QString::number(value)) field_.setText(QString::number(value));
    return true;
}

void TUpDown::step(int by)
{
    int value = minimum_;
    sync(value);
    field_.setText(QString::number(std::clamp(value + by, minimum_, maximum_)));
}

TFormSelectAmount::TFormSelectAmount(bool grow, int amount, QWidget* parent)
    : QDialog(parent), amount_(std::clamp(amount, 1, kMaxGrowShrink))
{
    setObjectName(grow ? QStringLiteral("TFormSelectInflate")
                       : QStringLiteral("TFormSelectDeflate"));
    setWindowTitle(grow ? tr("Grow Selection") : tr("Shrink Selection"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(grow ? tr("Grow by:") : tr("Shrink by:"), this));
    field_ = new QLineEdit(QString::number(amount_), this);
    field_->setObjectName(QStringLiteral("Edit1"));
    field_->setMaxLength(3);
    field_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field_));
    row->addWidget(field_);
    upDown_ = new TUpDown(*field_, 1, kMaxGrowShrink, this);
    row->addWidget(upDown_);
    row->addWidget(new QLabel(tr("pixels"), this));
    layout->addLayout(row);
    layout->addWidget(okCancel(this));
}

void TFormSelectAmount::accept()
{
    int value = 0;
    if (!upDown_->sync(value)) {
        showWarning(uiText("空欄があります！"));
        field_->setFocus();
        return;
    }
    amount_ = value;
    QDialog::accept();
}

bool askSelectAmount(QWidget* parent, bool grow, int& amount)
{
    std::unique_ptr<TFormSelectAmount> dialog;
    if (grow)
        dialog = std::make_unique<TFormSelectInflate>(amount, parent);
    else
        dialog = std::make_unique<TFormSelectDeflate>(amount, parent);
    if (dialog->exec() != QDialog::Accepted) return false;
    amount = dialog->amount();
    return true;
}

// ---- the colour range: the preview ----

TColourRangePreview::TColourRangePreview(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("imagePreview"));
    setMinimumSize(TFormColorMask::kPreviewSide, TFormColorMask::kPreviewSide);
    setCursor(Qt::CrossCursor);
}

void TColourRangePreview::setPicture(const QImage& image, QSize sourceSize)
{
    image_ = image;
    source_ = sourceSize;
    update();
}

bool TColourRangePreview::sourcePixelAt(QPoint widgetPoint, QPoint& sourcePixel) const
{
    if (image_.isNull() || !image_.rect().contains(widgetPoint)) return false;
    sourcePixel = {int(int64_t(widgetPoint.x()) * source_.width() / image_.width()),
                   int(int64_t(widgetPoint.y()) * source_.height() / image_.height())};
    return true;
}

QPoint TColourRangePreview::widgetPointOf(QPoint sourcePixel) const
{
    if (source_.isEmpty()) return {};
    // The middle of the widget pixels that stand for the source pixel.
    return {int((int64_t(sourcePixel.x()) * 2 + 1) * image_.width() / (2 * source_.width())),
            int((int64_t(sourcePixel.y()) * 2 + 1) * image_.height() / (2 * source_.height()))};
}

void TColourRangePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawImage(QPoint(0, 0), image_);
}

void TColourRangePreview::mousePressEvent(QMouseEvent* event)
{
    QPoint pixel;
    if (event->button() == Qt::LeftButton && sourcePixelAt(event->position().toPoint(), pixel))
        emit picked(pixel);
}

// ---- the colour range: the dialog ----

TFormColorMask::TFormColorMask(TDrawWindowWidget& window, QWidget* parent)
    : QDialog(parent), window_(window)
{
    setObjectName(QStringLiteral("TFormColorMask"));
    setWindowTitle(tr("Colour Range"));
    choice_.slot = window.paper().masks->CurrentIndex();
    auto* layout = new QVBoxLayout(this);
    auto* targetRow = new QHBoxLayout;
    targetRow->addWidget(new QLabel(tr("Pick from:"), this));
    target_ = new QComboBox(this);
    target_->setObjectName(QStringLiteral("cboTarget"));
    target_->addItem(tr("Current layer"));
    target_->addItem(tr("Displayed picture"));
    targetRow->addWidget(target_, 1);
    layout->addLayout(targetRow);
    view_ = new TColourRangePreview(this);
    layout->addWidget(view_, 1);
    status_ = new QLabel(this);
    layout->addWidget(status_);
    click_ =
        radioRow("RadioSelect", tr("A click"),
                 {tr("Starts anew"), tr("Adds a colour"), tr("Removes a colour")}, this, layout);
    auto* rangeRow = new QHBoxLayout;
    rangeRow->addWidget(new QLabel(tr("Range:"), this));
    range_ = new QSlider(Qt::Horizontal, this);
    range_->setObjectName(QStringLiteral("TrackBarRange"));
    range_->setRange(0, 255);
    range_->setValue(TColorPick{}.range);
    rangeRow->addWidget(range_, 1);
    auto* rangeValue = new QLabel(QString::number(range_->value()), this);
    rangeValue->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000")));
    rangeRow->addWidget(rangeValue);
    layout->addLayout(rangeRow);
    preview_ =
        radioRow("RadioPreview", tr("Preview"),
                 {tr("Greyscale"), tr("Colour over white"), tr("Colour over black")}, this, layout);
    layout->addWidget(okCancel(this));

    connect(view_, &TColourRangePreview::picked, this, &TFormColorMask::pickAt);
    connect(range_, &QSlider::valueChanged, rangeValue,
            [rangeValue](int value) { rangeValue->setNum(value); });
    connect(range_, &QSlider::valueChanged, this, &TFormColorMask::rangeMoved);
    connect(preview_, &QButtonGroup::idClicked, this, [this] { redraw(); });
    connect(target_, &QComboBox::currentIndexChanged, this, [this](int index) {
        choice_.fromView = index == 1;
        loadSource();
        recompute();
    });
    loadSource();
    recompute();
}

void TFormColorMask::loadSource()
{
    TPaper& paper = window_.paper();
    source_.Release();
    if (choice_.fromView) {
        source_ = paper.picture();
    } else if (const CLayerData* layer = paper.currentLayer(); layer && layer->image()) {
        const CBlockVMTC& image = *layer->image();
        if (source_.Resize(image.width(), image.height()))
            image.ExportTo(source_, {0, 0}, false, 255, image.bounds());
    }
}

void TFormColorMask::pickAt(QPoint sourcePixel)
{
    uint32_t colour = 0;
    if (!source_.getPixel(sourcePixel.x(), sourcePixel.y(), colour)) return;
    TColorPick pick;
    pick.colour = colour;
    pick.add = click_->checkedId() != clickRemove;
    pick.range = uint8_t(range_->value());
    if (click_->checkedId() == clickNewList) choice_.picks.clear();
    choice_.picks.push_back(pick);
    recompute();
}

void TFormColorMask::rangeMoved(int value)
{
    // The range belongs to the next pick; the last one follows while the slider moves, so its
    // effect can be seen.
    if (choice_.picks.empty()) return;
    choice_.picks.back().range = uint8_t(value);
    recompute();
}

void TFormColorMask::recompute()
{
    counts_ = {};
    hasResult_ = false;
    if (!choice_.picks.empty()) {
        TRect rect;
        hasResult_ = window_.paper().colourRangeChannel(choice_, channel_, rect, counts_);
        hasResult_ = hasResult_ && channel_.width() == source_.width() &&
                     channel_.height() == source_.height();
    }
    if (choice_.picks.empty())
        status_->setText(tr("Click the picture to pick a colour."));
    else
        status_->setText(tr("%n pixel(s) selected", nullptr, int(counts_.above1)));
    redraw();
}

void TFormColorMask::redraw()
{
    const int w = source_.width(), h = source_.height();
    if (w <= 0 || h <= 0) {
        view_->setPicture(QImage(), {});
        return;
    }
    // Fitted into the preview square, one source pixel sampled for each preview pixel.
    const int longest = std::max(w, h);
    const int pw =
        longest <= kPreviewSide ? w : std::max(1, int(int64_t(w) * kPreviewSide / longest));
    const int ph =
        longest <= kPreviewSide ? h : std::max(1, int(int64_t(h) * kPreviewSide / longest));
    QImage image(pw, ph, QImage::Format_RGB32);
    const bool picks = !choice_.picks.empty();
    const int kind = preview_->checkedId();
    for (int py = 0; py < ph; ++py) {
        const int sy = int(int64_t(py) * h / ph);
        auto* out = reinterpret_cast<uint32_t*>(image.scanLine(py));
        for (int px = 0; px < pw; ++px) {
            const int sx = int(int64_t(px) * w / pw);
            const uint32_t pixel = source_.pixel(sx, sy);
            // Without picks the source itself, over white where it is transparent.
            uint32_t v = pixel >> 24;
            uint32_t background = 255;
            if (picks) {
                v = hasResult_ ? channel_.row(sy)[sx] : 0;
                if (kind == previewGrey) {
                    out[px] = 0xFF000000u | v << 16 | v << 8 | v;
                    continue;
                }
                background = kind == previewOverBlack ? 0 : 255;
            }
            uint32_t mixed = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const uint32_t c = (pixel >> shift) & 0xFF;
                const uint32_t m = (background * (255 - v) + c * v + 127) / 255;
                mixed |= m << shift;
            }
            out[px] = mixed;
        }
    }
    view_->setPicture(image, QSize(w, h));
}

void TFormColorMask::accept()
{
    selected_ = !choice_.picks.empty() && window_.paper().colourRange(choice_, true);
    QDialog::accept();
}

bool runColourRange(TDrawWindowWidget& window)
{
    TFormColorMask dialog(window, &window);
    if (dialog.exec() != QDialog::Accepted || !dialog.selected()) return false;
    emit window.stateChanged();
    return true;
}

} // namespace qm::ui

#include "ui/pattern_window.h"

#include "tone/tone_mngr.h"
#include "ui/app_context.h"
#include "ui/draw_window.h"
#include "ui/ui_text.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace qm::ui {

namespace {

constexpr const char* kFailedMessage = "操作に失敗しました！";

// The part of the picture inside r (clipped to it); empty when nothing is left.
TMTC cropped(const TMTC& picture, TRect r)
{
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, picture.width());
    r.bottom = std::min(r.bottom, picture.height());
    TMTC out;
    if (r.isEmpty() || !out.Resize(r.width(), r.height())) return out;
    for (int32_t y = 0; y < r.height(); ++y)
        std::memcpy(out.row(y), picture.row(r.top + y) + r.left, size_t(r.width()) * 4);
    return out;
}

} // namespace

TPatWindow::TPatWindow(TAppContext& app, std::function<TDrawWindowWidget*()> activeDrawWindow,
                       QWidget* parent)
    : QWidget(parent), app_(app), activeDrawWindow_(std::move(activeDrawWindow))
{
    setObjectName(QStringLiteral("TPatWindow"));
    auto* layout = new QVBoxLayout(this);
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("patternPreview"));
    preview_->setFixedSize(kPreviewSide, kPreviewSide);
    preview_->setAlignment(Qt::AlignCenter);
    layout->addWidget(preview_, 0, Qt::AlignHCenter);
    auto* form = new QFormLayout;
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("patternName"));
    form->addRow(tr("Name"), name_);
    zoom_ = new QSpinBox(this);
    zoom_->setObjectName(QStringLiteral("patternZoom"));
    // The list clamps the zoom into the pattern's own range when it is added.
    zoom_->setRange(1, 200);
    zoom_->setValue(100);
    zoom_->setSuffix(QStringLiteral(" %"));
    form->addRow(uiText("ｽﾞｰﾑ"), zoom_);
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    auto* take = new QPushButton(tr("Take Picture"), this);
    take->setObjectName(QStringLiteral("patternCapture"));
    add_ = new QPushButton(tr("Add Pattern"), this);
    add_->setObjectName(QStringLiteral("patternAdd"));
    buttons->addWidget(take);
    buttons->addWidget(add_);
    layout->addLayout(buttons);
    layout->addStretch(1);
    connect(take, &QPushButton::clicked, this, [this] { capture(); });
    connect(add_, &QPushButton::clicked, this, [this] { addPattern(); });
    showPreview();
}

void TPatWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    capture();
}

bool TPatWindow::capture()
{
    picture_ = TMTC();
    TDrawWindowWidget* window = activeDrawWindow_ ? activeDrawWindow_() : nullptr;
    if (window) {
        TPaper& paper = window->paper();
        TMTC whole = paper.picture();
        TRect content;
        const CMaskData* mask = paper.hasSelection() ? paper.masks->CurrentMask() : nullptr;
        if (mask && mask->ContentBounds(content))
            picture_ = cropped(whole, content);
        else if (!mask)
            picture_ = std::move(whole);
        QString name = QFileInfo(window->path()).fileName();
        if (name.isEmpty()) name = QString::fromStdString(paper.title);
        name_->setText(name);
    }
    showPreview();
    return picture_.IsValid();
}

void TPatWindow::showPreview()
{
    const bool any = picture_.IsValid();
    add_->setEnabled(any);
    if (!any) {
        QPixmap blank(kPreviewSide, kPreviewSide);
        blank.fill(Qt::lightGray);
        preview_->setPixmap(blank);
        return;
    }
    // As it will paint: the list's own brightness channel, ink shown dark.
    const TChannel ink = InvertedBrightness(picture_);
    QImage image(ink.width(), ink.height(), QImage::Format_Grayscale8);
    for (int32_t y = 0; y < ink.height(); ++y) {
        const uint8_t* from = ink.row(y);
        uchar* to = image.scanLine(y);
        for (int32_t x = 0; x < ink.width(); ++x)
            to[x] = uchar(255 - from[x]);
    }
    preview_->setPixmap(QPixmap::fromImage(
        image.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

int TPatWindow::addPattern()
{
    if (!app_.tones || !picture_.IsValid()) return -1;
    CToneMngr& tones = *app_.tones;
    const int32_t index = tones.AddImagePattern(picture_, name_->text().toStdString());
    if (index < 0) {
        app_.messages.showMessage(kFailedMessage);
        return -1;
    }
    if (zoom_->value() != 100) tones.SetScale(index, zoom_->value());
    tones.Select(index);
    zoom_->setValue(tones.at(index)->scale());
    if (tonesChanged) tonesChanged();
    return index;
}

} // namespace qm::ui

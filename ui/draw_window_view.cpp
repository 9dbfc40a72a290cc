// The drawing window's view: where the paper sits in the window at its zoom and rotation, and
// the display image rendered into the parts of the window that need it.
#include "ui/draw_window.h"

#include "core/view_render.h"
#include "select/ant_points.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qm::ui {

namespace {

constexpr uint32_t kBackground = 0xFF808080u;

} // namespace

void TDrawWindowWidget::applyView()
{
    TPaper& p = paper();
    const float s = p.zoomScale();
    p.scrollX = p.scrollY = 0;
    p.viewOriginX = int32_t(std::lround(width() / 2.0 - centre_.x() * s));
    p.viewOriginY = int32_t(std::lround(height() / 2.0 - centre_.y() * s));
    p.rotCenterX = float(centre_.x());
    p.rotCenterY = float(centre_.y());
}

void TDrawWindowWidget::centreOn(QPointF paperPoint)
{
    centre_ = paperPoint;
    applyView();
    repaintPicture(rect());
    emit stateChanged();
}

void TDrawWindowWidget::scrollBy(QPointF delta)
{
    const float s = paper().zoomScale();
    const TPaper& p = paper();
    // Window movement turned into paper movement (the view may be rotated).
    const double dx = delta.x() / s, dy = delta.y() / s;
    QPointF c = centre_ + QPointF(p.rotCos * dx - p.rotSin * dy, p.rotSin * dx + p.rotCos * dy);
    c.setX(std::clamp(c.x(), 0.0, double(std::max(1, p.width))));
    c.setY(std::clamp(c.y(), 0.0, double(std::max(1, p.height))));
    centreOn(c);
}

void TDrawWindowWidget::zoomBy(int step, QPointF around)
{
    TPaper& p = paper();
    if ((step > 0 && !p.canZoomIn()) || (step < 0 && !p.canZoomOut()))
        return;
    const TPointF fixed = p.windowToPaper(width(), height(), float(around.x()), float(around.y()));
    p.zoomLevel += step;
    applyView();
    // Keep the paper point under the cursor where it was.
    const TPointF now = p.windowToPaper(width(), height(), float(around.x()), float(around.y()));
    centre_ += QPointF(fixed.x - now.x, fixed.y - now.y);
    centreOn(centre_);
}

void TDrawWindowWidget::zoomCancel()
{
    paper().zoomLevel = 0;
    setRotation(0.0f);
    centreOn(QPointF(paper().width / 2.0, paper().height / 2.0));
}

void TDrawWindowWidget::setAntiAlias(bool on)
{
    smoothZoom = on;
    repaintPicture(rect());
}

void TDrawWindowWidget::setRotation(float degrees)
{
    degrees = std::remainder(degrees, 360.0f);
    paper().setRotationDegrees(degrees);
    applyView();
    repaintPicture(rect());
}

void TDrawWindowWidget::resizeEvent(QResizeEvent* event)
{
    if (paper().width > 0 && centre_.isNull())
        centre_ = QPointF(paper().width / 2.0, paper().height / 2.0);
    applyView();
    QWidget::resizeEvent(event);
}

QRectF TDrawWindowWidget::windowRectOf(const TBox& box) const
{
    const TPaper& p = document_->paper();
    const float xs[2] = {float(box.x), float(box.x + box.width)};
    const float ys[2] = {float(box.y), float(box.y + box.height)};
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (float x : xs)
        for (float y : ys) {
            const TPointF w = p.paperToWindow(width(), height(), x, y);
            left = std::min(left, w.x);
            right = std::max(right, w.x);
            top = std::min(top, w.y);
            bottom = std::max(bottom, w.y);
        }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

void TDrawWindowWidget::present(const TTC& /*picture*/, const TBox& box, TPoint /*at*/)
{
    // The pyramid covers the whole paper, shown or not.
    if (box.width > 0 && box.height > 0)
        pyramidDirty_ = pyramidDirty_.width > 0 && pyramidDirty_.height > 0
                            ? toBox(unionRect(toRect(pyramidDirty_), toRect(box)))
                            : box;
    // Only the part of the window that shows the box is repainted, from the display image.
    const QRect dirty = windowRectOf(box).toAlignedRect().adjusted(-1, -1, 1, 1) & rect();
    if (dirty.isEmpty())
        return;
    dirtyArea_ |= dirty;
    repaintPicture(dirty);
}

void TDrawWindowWidget::invalidate(bool /*erase*/)
{
    pyramidStale_ = true; // the whole picture, perhaps of another size
    if (centre_.isNull() && paper().width > 0)
        centre_ = QPointF(paper().width / 2.0, paper().height / 2.0);
    applyView();
    repaintPicture(rect());
    emit stateChanged();
}

void TDrawWindowWidget::setWaitCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TDrawWindowWidget::previewChanged(const TRect& /*rect*/) { emit previewImageChanged(); }

void TDrawWindowWidget::repaintPicture(const QRect& area)
{
    pictureDirty_ |= area;
    update(area);
}

void TDrawWindowWidget::selectionChanged()
{
    // The old outline goes, the new one comes; the picture under both stays as it is.
    update(antsArea());
    const CMaskData* mask = paper().masks->CurrentMask();
    TRect content;
    antsBox_ = mask && mask->ContentBounds(content) ? toBox(content) : TBox{};
    update(antsArea());
    emit selectionEdited();
}

QRect TDrawWindowWidget::antsArea() const
{
    if (antsBox_.width <= 0 || antsBox_.height <= 0)
        return {};
    // The outline runs along the content's edges and one pixel beyond.
    const TBox around{antsBox_.x - 1, antsBox_.y - 1, antsBox_.width + 2, antsBox_.height + 2};
    return windowRectOf(around).toAlignedRect().adjusted(-2, -2, 2, 2) & rect();
}

void TDrawWindowWidget::stepAnts()
{
    TPaper& p = paper();
    if (!p.selectionShown || !p.masks->HasAnts())
        return;
    p.masks->StepAnts();
    update(antsArea());
}

void TDrawWindowWidget::drawAntsInto(QImage& image, const QRect& clip) const
{
    const TPaper& p = document_->paper();
    const TAntsSurface surface{reinterpret_cast<uint32_t*>(image.bits()),
                               int32_t(image.bytesPerLine() / 4), image.width(), image.height()};
    TAntsView view;
    view.scale = int32_t(std::lround(p.zoomScale() * 65536.0f));
    view.sine = int32_t(std::lround(p.rotSin * 65536.0f));
    view.cosine = int32_t(std::lround(p.rotCos * 65536.0f));
    const TPaperToWindow toWindow = p.paperToWindowMap(width(), height());
    drawAnts(p.masks->ants(), surface, TBox{clip.x(), clip.y(), clip.width(), clip.height()}, view,
             toWindow);
}

const TViewPyramid& TDrawWindowWidget::currentPyramid()
{
    const TTC& picture = paper().displayImage;
    if (pyramidStale_ || !pyramid_.matches(picture))
        pyramid_.rebuild(picture);
    else if (pyramidDirty_.width > 0 && pyramidDirty_.height > 0)
        pyramid_.update(picture, pyramidDirty_);
    pyramidStale_ = false;
    pyramidDirty_ = {};
    return pyramid_;
}

void TDrawWindowWidget::paintEvent(QPaintEvent* event)
{
    if (viewImage_.size() != size()) {
        viewImage_ = QImage(size(), QImage::Format_RGB32);
        frameImage_ = QImage(size(), QImage::Format_RGB32);
        pictureDirty_ = rect();
    }
    QPainter painter(this);
    const TPaper& p = paper();
    const TViewTarget target{reinterpret_cast<uint32_t*>(viewImage_.bits()), viewImage_.width(),
                             viewImage_.height(), viewImage_.bytesPerLine() / 4};
    const TPointF centre = p.windowToPaper(width(), height(), width() * 0.5f, height() * 0.5f);
    // The view image keeps the paper's picture; only what changed is rendered again, so the
    // ants and the tools' rubber bands cost no rendering.
    const QRegion render = event->region() & pictureDirty_;
    pictureDirty_ -= render;
    for (const QRect& r : render) {
        const TBox box{r.x(), r.y(), r.width(), r.height()};
        if (!p.displayImage.IsValid() || p.width <= 0) {
            viewImage_.fill(QColor::fromRgba(kBackground));
        } else if (p.plainCopy()) {
            RenderPlainView(target, p.displayImage, kBackground, p.zoomScale(), p.rotation, box,
                            centre);
        } else if (p.zoomScale() < 1.0f) {
            // Zoomed out, the smooth view reads the halved pictures, kept up to date only while
            // they are needed.
            RenderRotatedView(target, p.displayImage, currentPyramid(), kBackground,
                              p.zoomScale(), p.rotation, box, centre);
        } else {
            RenderRotatedView(target, p.displayImage, kBackground, p.zoomScale(), p.rotation, box,
                              centre);
        }
    }
    const bool ants = p.selectionShown && p.masks->HasAnts();
    for (const QRect& r : event->region()) {
        if (!ants) {
            painter.drawImage(r, viewImage_, r);
            continue;
        }
        for (int32_t y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(frameImage_.scanLine(y) + r.left() * 4,
                        viewImage_.constScanLine(y) + r.left() * 4, size_t(r.width()) * 4);
        drawAntsInto(frameImage_, r);
        painter.drawImage(r, frameImage_, r);
    }
    const uint8_t mode = app_.modes.mode;
    if (mode < tools_.size() && tools_[mode])
        tools_[mode]->paintOverlay(painter);
}

} // namespace qm::ui

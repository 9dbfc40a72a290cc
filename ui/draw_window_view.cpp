// The drawing window's view: where the paper sits in the window at its zoom and rotation, and
// the display image rendered into the parts of the window that need it.
#include "ui/draw_window.h"

#include "core/view_render.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

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
    update();
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
    update();
}

void TDrawWindowWidget::setRotation(float degrees)
{
    degrees = std::remainder(degrees, 360.0f);
    paper().setRotationDegrees(degrees);
    applyView();
    update();
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
    // Only the part of the window that shows the box is repainted, from the display image.
    const QRect dirty = windowRectOf(box).toAlignedRect().adjusted(-1, -1, 1, 1) & rect();
    if (dirty.isEmpty())
        return;
    dirtyArea_ |= dirty;
    update(dirty);
}

void TDrawWindowWidget::invalidate(bool /*erase*/)
{
    if (centre_.isNull() && paper().width > 0)
        centre_ = QPointF(paper().width / 2.0, paper().height / 2.0);
    applyView();
    update();
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

void TDrawWindowWidget::paintEvent(QPaintEvent* event)
{
    if (viewImage_.size() != size())
        viewImage_ = QImage(size(), QImage::Format_RGB32);
    QPainter painter(this);
    const TPaper& p = paper();
    const TViewTarget target{reinterpret_cast<uint32_t*>(viewImage_.bits()), viewImage_.width(),
                             viewImage_.height(), viewImage_.bytesPerLine() / 4};
    const TPointF centre = p.windowToPaper(width(), height(), width() * 0.5f, height() * 0.5f);
    for (const QRect& r : event->region()) {
        const TBox box{r.x(), r.y(), r.width(), r.height()};
        if (!p.displayImage.IsValid() || p.width <= 0) {
            viewImage_.fill(QColor::fromRgba(kBackground));
        } else if (p.plainCopy()) {
            RenderPlainView(target, p.displayImage, kBackground, p.zoomScale(), p.rotation, box,
                            centre);
        } else {
            RenderRotatedView(target, p.displayImage, kBackground, p.zoomScale(), p.rotation, box,
                              centre);
        }
        painter.drawImage(r, viewImage_, r);
    }
    const uint8_t mode = app_.modes.mode;
    if (mode < tools_.size() && tools_[mode])
        tools_[mode]->paintOverlay(painter);
}

} // namespace qm::ui

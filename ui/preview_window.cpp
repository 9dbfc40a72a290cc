#include "ui/preview_window.h"

#include "ui/draw_window.h"
#include "ui/qt_images.h"

#include <QMouseEvent>
#include <QPainter>

namespace qm::ui {

TPreviewWindow::TPreviewWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TPreviewWindow"));
    setMinimumSize(160, 120);
}

void TPreviewWindow::setDrawWindow(TDrawWindowWidget* window)
{
    if (window_ == window)
        return;
    if (window_)
        window_->disconnect(this);
    window_ = window;
    if (window_) {
        connect(window_, &TDrawWindowWidget::previewImageChanged, this, qOverload<>(&QWidget::update));
        connect(window_, &TDrawWindowWidget::stateChanged, this, qOverload<>(&QWidget::update));
    }
    update();
}

QRectF TPreviewWindow::pictureRect() const
{
    if (!window_ || window_->paper().width <= 0)
        return {};
    const QSizeF paper(window_->paper().width, window_->paper().height);
    const QSizeF fitted = paper.scaled(QSizeF(size()) - QSizeF(8, 8), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

bool TPreviewWindow::paperPointAt(QPointF pos, QPointF& paperPoint) const
{
    const QRectF r = pictureRect();
    if (r.isEmpty())
        return false;
    const double scale = window_->paper().width / r.width();
    paperPoint = (pos - r.topLeft()) * scale;
    return r.contains(pos);
}

void TPreviewWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRectF r = pictureRect();
    if (r.isEmpty())
        return;
    TPaper& paper = window_->paper();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(r, toQImage(paper.previewImage, true));
    // The part of the paper the drawing window shows: its four corners mapped to the paper.
    const double scale = r.width() / paper.width;
    QPolygonF view;
    const QSize client = window_->size();
    for (const QPointF corner : {QPointF(0, 0), QPointF(client.width(), 0),
                                 QPointF(client.width(), client.height()), QPointF(0, client.height())}) {
        const TPointF at = paper.windowToPaper(client.width(), client.height(), float(corner.x()),
                                               float(corner.y()));
        view << r.topLeft() + QPointF(at.x, at.y) * scale;
    }
    p.setPen(QPen(QColor(220, 40, 40), 1.5));
    p.setClipRect(r.adjusted(-1, -1, 1, 1));
    p.drawPolygon(view);
}

void TPreviewWindow::moveView(QPointF pos)
{
    QPointF target;
    if (window_ && paperPointAt(pos, target))
        window_->centreOn(target);
    update();
}

void TPreviewWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        moveView(event->position());
}

void TPreviewWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        moveView(event->position());
}

} // namespace qm::ui

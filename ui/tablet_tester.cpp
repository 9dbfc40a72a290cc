#include "ui/tablet_tester.h"

#include <QPainter>
#include <QTabletEvent>

namespace qm::ui {

TTabletTester::TTabletTester(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Tablet Tester"));
    setAttribute(Qt::WA_TabletTracking);
    resize(360, 240);
    clock_.start();
}

void TTabletTester::tabletEvent(QTabletEvent* event)
{
    event->accept();
    const qint64 now = clock_.elapsed();
    times_.push_back(now);
    while (!times_.empty() && times_.front() < now - 1000)
        times_.pop_front();
    pressure_ = event->pressure();
    tiltX_ = event->xTilt();
    tiltY_ = event->yTilt();
    position_ = event->position();
    switch (event->pointerType()) {
    case QPointingDevice::PointerType::Pen: pointer_ = tr("pen"); break;
    case QPointingDevice::PointerType::Eraser: pointer_ = tr("eraser"); break;
    case QPointingDevice::PointerType::Cursor: pointer_ = tr("puck"); break;
    default: pointer_ = tr("other"); break;
    }
    update();
}

void TTabletTester::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const int barWidth = int((width() - 40) * pressure_);
    p.fillRect(QRect(20, 20, barWidth, 24), palette().highlight());
    p.drawRect(QRect(20, 20, width() - 40, 24));
    p.drawText(QRect(20, 56, width() - 40, height() - 60), Qt::AlignLeft | Qt::AlignTop,
               tr("pressure %1\ntilt x %2°, y %3°\npointer: %4\nposition %5, %6\n%7 events/s")
                   .arg(pressure_, 0, 'f', 3)
                   .arg(tiltX_, 0, 'f', 0)
                   .arg(tiltY_, 0, 'f', 0)
                   .arg(pointer_.isEmpty() ? tr("(bring a pen near)") : pointer_)
                   .arg(position_.x(), 0, 'f', 1)
                   .arg(position_.y(), 0, 'f', 1)
                   .arg(times_.size()));
}

} // namespace qm::ui

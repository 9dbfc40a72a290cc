// A small window that shows what the tablet reports: pressure, tilt, pointer kind and the
// event rate, so a user can check a pen before painting.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <deque>

namespace qm::ui {

class TTabletTester : public QWidget {
    Q_OBJECT
public:
    explicit TTabletTester(QWidget* parent = nullptr);

protected:
    void tabletEvent(QTabletEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QElapsedTimer clock_;
    std::deque<qint64> times_; // the last second's events
    double pressure_ = 0.0;
    double tiltX_ = 0.0, tiltY_ = 0.0;
    QString pointer_;
    QPointF position_;
};

} // namespace qm::ui

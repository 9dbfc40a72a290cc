// The navigator: the whole paper small, with the part the drawing window shows framed; a click
// or a drag moves the view there.
#pragma once

#include <QPointer>
#include <QWidget>

namespace qm::ui {

class TDrawWindowWidget;

class TPreviewWindow : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewWindow(QWidget* parent = nullptr);
    void setDrawWindow(TDrawWindowWidget* window);
    // The paper point shown at a point of this window (false outside the picture).
    bool paperPointAt(QPointF pos, QPointF& paperPoint) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QRectF pictureRect() const;
    void moveView(QPointF pos);

    QPointer<TDrawWindowWidget> window_;
};

} // namespace qm::ui

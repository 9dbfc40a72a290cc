// Mode 5, the drag tools. The gradation (submode 3) drags a line, shows it, and on release fills
// the current layer with the gradation window's current gradation along it, through the
// selection and the tone. Moving layers and the selection, and the crop, come with their
// operations; until then those submodes only show the position.
#include "ui/draw_window.h"
#include "ui/tools/tool.h"

#include <QApplication>

#include <cmath>

namespace qm::ui {

namespace {

constexpr int32_t kGradationSubmode = 3;
constexpr int kGradationButton = 19; // the tools window's button whose opacity it takes

class TDragTool : public TTool {
  public:
    using TTool::TTool;

    void press(const TInput& input) override
    {
        if (window_.app().modes.submode() != kGradationSubmode) return;
        start_ = end_ = paperPoint(input);
        dragging_ = true;
        window_.update();
    }

    void move(const TInput& input) override
    {
        window_.showPosition(input);
        if (!dragging_) return;
        end_ = paperPoint(input);
        window_.autoScroll(input);
        window_.update();
    }

    void release(const TInput& input) override
    {
        if (!dragging_) return;
        end_ = paperPoint(input);
        leave();
        const TPoint a = start_, b = end_;
        if (a == b) return;
        TAppContext& app = window_.app();
        TPaper& paper = window_.paper();
        if (app.gradations) paper.takeGradation(*app.gradations);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        {
            const TToolOpacity opacity(app.liveStroke, app.profile.toolOpacity(kGradationButton));
            paper.fillGradation(window_.document().flow(), app.liveStroke, a, b, true);
        }
        QApplication::restoreOverrideCursor();
        emit window_.stateChanged();
    }

    void key(const TInput& input) override
    {
        if (input.key == Qt::Key_Escape) leave();
    }

    void leave() override
    {
        dragging_ = false;
        window_.update();
    }

    void paintOverlay(QPainter& painter) override
    {
        if (!dragging_) return;
        TPaper& paper = window_.paper();
        const auto onWindow = [&](TPoint p) {
            const TPointF w =
                paper.paperToWindow(window_.width(), window_.height(), float(p.x), float(p.y));
            return QPointF(w.x, w.y);
        };
        painter.save();
        QPen pen(Qt::black, 0, Qt::DashLine);
        painter.setPen(pen);
        painter.drawLine(onWindow(start_), onWindow(end_));
        pen.setColor(Qt::white);
        pen.setDashOffset(4);
        painter.setPen(pen);
        painter.drawLine(onWindow(start_), onWindow(end_));
        painter.restore();
    }

  private:
    TPoint paperPoint(const TInput& input) const
    {
        const TPointF p = window_.paper().windowToPaper(window_.width(), window_.height(),
                                                        float(input.pos.x()), float(input.pos.y()));
        return {int32_t(std::lround(p.x)), int32_t(std::lround(p.y))};
    }

    bool dragging_ = false;
    TPoint start_{}, end_{};
};

} // namespace

std::unique_ptr<TTool> makeDragTool(TDrawWindowWidget& window)
{
    return std::make_unique<TDragTool>(window);
}

} // namespace qm::ui

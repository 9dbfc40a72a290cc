// Mode 5, the drag tools. Each drags from a press to a release, shows what it will do as a
// rubber band, and on release runs one paper operation:
//   0 moves the current layer, 1 the selection, 2 the layer together with the selection;
//   3 fills the current layer with the gradation window's current gradation along the line,
//     through the selection and the tone;
//   4 crops the paper to the dragged rectangle; 5 does nothing.
#include "ui/draw_window.h"
#include "ui/tools/tool.h"

#include <QApplication>

#include <algorithm>
#include <cmath>

namespace qm::ui {

namespace {

enum TDragSubmode : int32_t {
    kMoveLayer = 0,
    kMoveSelection = 1,
    kMoveLayerAndSelection = 2,
    kGradation = 3,
    kCrop = 4,
};
constexpr int kGradationButton = 19; // the tools window's button whose opacity it takes

class TDragTool : public TTool {
  public:
    using TTool::TTool;

    void press(const TInput& input) override
    {
        submode_ = window_.app().modes.submode();
        if (submode_ < kMoveLayer || submode_ > kCrop) return;
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
        if (start_ == end_) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        apply();
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
        painter.save();
        if (submode_ == kGradation) {
            drawDashed(painter, QPolygonF({onWindow(start_), onWindow(end_)}), false);
        } else if (submode_ == kCrop) {
            const TRect r = cropRect();
            drawDashed(painter, corners(r, 0, 0), true);
        } else {
            // Where the layer's image and the selection land after the move.
            const int32_t dx = end_.x - start_.x, dy = end_.y - start_.y;
            TPaper& paper = window_.paper();
            const CLayerData* layer = paper.currentLayer();
            if (submode_ != kMoveSelection && layer)
                drawDashed(painter, corners(layer->ImageRectOnPaper(), dx, dy), true);
            TRect content;
            const CMaskData* mask = paper.masks->CurrentMask();
            if (submode_ != kMoveLayer && mask && mask->ContentBounds(content))
                drawDashed(painter, corners(content, dx, dy), true);
        }
        painter.restore();
    }

  private:
    void apply()
    {
        TAppContext& app = window_.app();
        TPaper& paper = window_.paper();
        TFlowImage& flow = window_.document().flow();
        const int32_t layer = paper.currentLayerIndex();
        const int32_t dx = end_.x - start_.x, dy = end_.y - start_.y;
        const CLayerData* current = paper.currentLayer();
        const CMaskData* mask = paper.masks->CurrentMask();
        switch (submode_) {
        case kMoveLayerAndSelection:
            if (paper.hasSelection()) {
                paper.moveLayerWithSelection(flow, layer, -1, -dx, -dy, true);
                break;
            }
            [[fallthrough]]; // without a selection the layer moves alone
        case kMoveLayer:
            // The offset is where the paper lies in the image: dragging right lowers it.
            if (current && !paper.setLayerOffset(flow, layer, current->offsetX - dx,
                                                 current->offsetY - dy, true))
                window_.messages().showMessage(kLayerMoveFailed);
            break;
        case kMoveSelection:
            if (mask && mask->IsValid())
                paper.setMaskPosition(-1, {mask->Bounds().left + dx, mask->Bounds().top + dy},
                                      true);
            break;
        case kGradation: {
            if (app.gradations) paper.takeGradation(*app.gradations);
            const TToolOpacity opacity(app.liveStroke, app.profile.toolOpacity(kGradationButton));
            paper.fillGradation(flow, app.liveStroke, start_, end_, true);
            break;
        }
        case kCrop:
            if (paper.cropPaper(flow, layer, cropRect(), true))
                window_.centreOn(QPointF(paper.width / 2.0, paper.height / 2.0));
            break;
        default:
            break;
        }
    }

    TRect cropRect() const
    {
        return {std::min(start_.x, end_.x), std::min(start_.y, end_.y), std::max(start_.x, end_.x),
                std::max(start_.y, end_.y)};
    }

    QPointF onWindow(TPoint p) const
    {
        const TPointF w = window_.paper().paperToWindow(window_.width(), window_.height(),
                                                        float(p.x), float(p.y));
        return {w.x, w.y};
    }

    QPolygonF corners(const TRect& r, int32_t dx, int32_t dy) const
    {
        return QPolygonF({onWindow({r.left + dx, r.top + dy}), onWindow({r.right + dx, r.top + dy}),
                          onWindow({r.right + dx, r.bottom + dy}),
                          onWindow({r.left + dx, r.bottom + dy})});
    }

    // Black and white dashes, so the band shows on any picture.
    static void drawDashed(QPainter& painter, const QPolygonF& points, bool closed)
    {
        QPen pen(Qt::black, 0, Qt::DashLine);
        for (int pass = 0; pass < 2; ++pass) {
            pen.setColor(pass == 0 ? Qt::black : Qt::white);
            pen.setDashOffset(pass * 4);
            painter.setPen(pen);
            if (closed)
                painter.drawPolygon(points);
            else
                painter.drawPolyline(points);
        }
    }

    TPoint paperPoint(const TInput& input) const
    {
        const TPointF p = window_.paper().windowToPaper(window_.width(), window_.height(),
                                                        float(input.pos.x()), float(input.pos.y()));
        return {int32_t(std::lround(p.x)), int32_t(std::lround(p.y))};
    }

    int32_t submode_ = kGradation;
    bool dragging_ = false;
    TPoint start_{}, end_{};
};

} // namespace

std::unique_ptr<TTool> makeDragTool(TDrawWindowWidget& window)
{
    return std::make_unique<TDragTool>(window);
}

} // namespace qm::ui

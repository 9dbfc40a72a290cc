// Modes 6, 7 and 8: shapes dragged or clicked out with a rubber band, then drawn along with the
// pen (mode 6), filled (mode 7) or made into a selection (mode 8, combined with the selection
// as the modifiers held at the first press say). Rectangles, ellipses and lines are dragged;
// polygons and open lines are clicked vertex by vertex and finished with a double-click, the
// right button or Enter (Escape drops them); a free shape is dragged by hand and finished when
// the button is up. A selection rectangle or ellipse without size, replacing, deselects.
#include "paint/shape_outline.h"
#include "ui/draw_window.h"
#include "ui/tools/tool.h"

#include <QApplication>
#include <QPainterPath>

#include <cmath>

namespace qm::ui {

namespace {

// The tools window's buttons whose opacities the shapes take.
constexpr int kOutlineButton = 10, kLineButton = 12, kFilledButton = 11;

TPointF wholePixel(TPointF p) { return {std::round(p.x), std::round(p.y)}; }

class TShapeTool : public TTool {
public:
    TShapeTool(TDrawWindowWidget& window, TShapeTarget target) : TTool(window), target_(target) {}

    void press(const TInput& input) override
    {
        const TPointF p = paperPoint(input);
        kind_ = shapeOfMode(modeOf(target_), window_.app().modes.submode());
        if (points_.empty())
            combine_ = combineOf(input.modifiers, window_.app().selectionCombine);
        if (isVertexShape(kind_)) {
            // The vertex that followed the cursor stays where it was clicked; a new one follows.
            if (points_.empty())
                points_.push_back(p);
            else
                points_.back() = p;
            points_.push_back(p);
        } else {
            points_ = {p, p};
        }
        window_.update();
    }

    void move(const TInput& input) override
    {
        window_.showPosition(input);
        if (points_.empty())
            return;
        const TPointF p = paperPoint(input);
        if (kind_ == TShapeKind::freeform) {
            const TPointF last = points_.back();
            if (std::fabs(p.x - last.x) >= 1.0f || std::fabs(p.y - last.y) >= 1.0f)
                points_.push_back(p);
        } else {
            points_.back() = p;
        }
        window_.update();
    }

    void release(const TInput& input) override
    {
        if (points_.empty() || isVertexShape(kind_))
            return;
        move(input);
        finish();
    }

    void doubleClick(const TInput&) override { finish(); }
    void rightPress(const TInput&) override { finish(); }

    void hover(const TInput& input) override
    {
        TTool::hover(input);
        if (isVertexShape(kind_) && !points_.empty()) {
            points_.back() = paperPoint(input);
            window_.update();
        }
    }

    void key(const TInput& input) override
    {
        if (input.key == Qt::Key_Return || input.key == Qt::Key_Enter)
            finish();
        else if (input.key == Qt::Key_Escape)
            leave();
    }

    void leave() override
    {
        points_.clear();
        window_.update();
    }

    void paintOverlay(QPainter& painter) override
    {
        if (points_.size() < 2)
            return;
        TPaper& paper = window_.paper();
        auto onWindow = [&](TPointF p) {
            const TPointF w = paper.paperToWindow(window_.width(), window_.height(), p.x, p.y);
            return QPointF(w.x, w.y);
        };
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(Qt::black, 0, Qt::DashLine);
        painter.setPen(pen);
        QPainterPath path;
        for (const TPointF& p : outline(false)) {
            if (path.elementCount() == 0)
                path.moveTo(onWindow(p));
            else
                path.lineTo(onWindow(p));
        }
        painter.drawPath(path);
        pen.setColor(Qt::white);
        pen.setDashOffset(4);
        painter.setPen(pen);
        painter.drawPath(path);
        painter.restore();
    }

private:
    TPointF paperPoint(const TInput& input) const
    {
        return window_.paper().windowToPaper(window_.width(), window_.height(),
                                             float(input.pos.x()), float(input.pos.y()));
    }

    // The path of the shape; `final` drops the vertex that only follows the cursor.
    std::vector<TPointF> outline(bool final) const
    {
        std::vector<TPointF> vertices = points_;
        if (final && isVertexShape(kind_) && vertices.size() > 1)
            vertices.pop_back();
        switch (kind_) {
        case TShapeKind::rectangle:
            return rectangleOutline(wholePixel(points_.front()), wholePixel(points_.back()));
        case TShapeKind::ellipse:
            return ellipseOutline(wholePixel(points_.front()), wholePixel(points_.back()));
        case TShapeKind::line: return {points_.front(), points_.back()};
        case TShapeKind::polygon:
        case TShapeKind::freeform: return vertexOutline(vertices, true);
        case TShapeKind::polyline: return vertices;
        case TShapeKind::none: break;
        }
        return {};
    }

    void finish()
    {
        if (points_.size() < 2) {
            leave();
            return;
        }
        std::vector<TPointF> path = outline(true);
        const TPointF a = wholePixel(points_.front()), b = wholePixel(points_.back());
        leave();
        TPaper& paper = window_.paper();
        TFlowImage& flow = window_.document().flow();
        TAppContext& app = window_.app();
        TStroke& stroke = app.liveStroke;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (target_ == TShapeTarget::selection) {
            select(path, a, b);
        } else if (target_ == TShapeTarget::outline) {
            const int button = (kind_ == TShapeKind::line || kind_ == TShapeKind::polyline)
                                   ? kLineButton
                                   : kOutlineButton;
            const TToolOpacity opacity(stroke, app.profile.toolOpacity(button));
            paper.strokeOutline(flow, stroke, path, window_.penView().sink);
        } else {
            const TToolOpacity opacity(stroke, app.profile.toolOpacity(kFilledButton));
            if (kind_ == TShapeKind::rectangle || kind_ == TShapeKind::ellipse) {
                if (a.x != b.x && a.y != b.y)
                    paper.fillShape(flow, stroke, true,
                                    kind_ == TShapeKind::ellipse ? TFillShape::ellipse
                                                                 : TFillShape::rectangle,
                                    {int32_t(a.x), int32_t(a.y)}, b);
            } else {
                path.pop_back(); // the polygon closes itself
                paper.fillPolygon(flow, stroke, true, path);
            }
        }
        QApplication::restoreOverrideCursor();
        emit window_.stateChanged();
    }

    static uint8_t modeOf(TShapeTarget target)
    {
        return target == TShapeTarget::outline ? 6 : target == TShapeTarget::filled ? 7 : 8;
    }

    void select(std::vector<TPointF>& path, TPointF a, TPointF b)
    {
        TPaper& paper = window_.paper();
        if (kind_ == TShapeKind::rectangle || kind_ == TShapeKind::ellipse) {
            if (a.x == b.x || a.y == b.y) {
                if (combine_ == MaskCombine::Replace)
                    paper.clearMask(-1, true);
                return;
            }
            TSelectShape shape;
            shape.slot = -1;
            shape.mode = combine_;
            shape.first = {int32_t(a.x), int32_t(a.y)};
            shape.second = {int32_t(b.x), int32_t(b.y)};
            paper.selectShape(kind_ == TShapeKind::ellipse ? TFillShape::ellipse
                                                           : TFillShape::rectangle,
                              shape, true);
        } else {
            path.pop_back(); // the polygon closes itself
            paper.selectPolygon(-1, path, combine_, true);
        }
    }

    TShapeTarget target_;
    MaskCombine combine_ = MaskCombine::Replace;
    TShapeKind kind_ = TShapeKind::none;
    std::vector<TPointF> points_; // paper coordinates
};

} // namespace

std::unique_ptr<TTool> makeShapeTool(TDrawWindowWidget& window, TShapeTarget target)
{
    return std::make_unique<TShapeTool>(window, target);
}

} // namespace qm::ui

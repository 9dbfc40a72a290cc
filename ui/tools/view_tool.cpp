// Mode 3: the hand scrolls (submode 0), rotate turns the view (1), brush size sets the pen's
// width (2), each from the drag's start.
#include "paint/view_drag.h"
#include "ui/draw_window.h"
#include "ui/tools/tool.h"

namespace qm::ui {

namespace {

TClientPoint clientPoint(QPointF p) { return {p.x(), p.y()}; }

class TViewTool : public TTool {
public:
    using TTool::TTool;

    void press(const TInput& input) override
    {
        start_ = last_ = input.pos;
        startAngle_ = window_.paper().rotationDeg;
        startWidth_ = window_.app().liveStroke.width;
        window_.updateCursor();
    }

    void move(const TInput& input) override
    {
        // A drag that has not moved since the last one does nothing.
        if (input.pos == last_)
            return;
        const QPointF previous = last_;
        last_ = input.pos;
        switch (window_.app().modes.submode()) {
        case 0: window_.scrollBy(previous - input.pos); break;
        case 1: {
            const QPointF centre(window_.width() / 2.0, window_.height() / 2.0);
            window_.setRotation(rotationAfterDrag(startAngle_, clientPoint(centre),
                                                  clientPoint(start_), clientPoint(input.pos)));
            break;
        }
        case 2: {
            TAppContext& app = window_.app();
            float width = 0.0f;
            if (widthAfterDrag(startWidth_, start_.x(), input.pos.x(), window_.paper().zoomScale(),
                               width)) {
                app.liveStroke.setWidth(width);
                if (app.strokeChanged)
                    app.strokeChanged();
                if (app.showStatus)
                    app.showStatus(QStringLiteral("%1 px").arg(double(width), 0, 'f', 1));
            }
            break;
        }
        default: break;
        }
    }

    void release(const TInput&) override { window_.updateCursor(); }

private:
    QPointF start_, last_;
    float startAngle_ = 0.0f;
    float startWidth_ = 0.0f;
};

} // namespace

std::unique_ptr<TTool> makeViewTool(TDrawWindowWidget& window)
{
    return std::make_unique<TViewTool>(window);
}

} // namespace qm::ui

#include "paper/pen_input.h"

#include "paint/mode_mngr.h"

#include <cmath>

namespace qm {

TPenMove TPenInput::penMove(TPaper& paper, TFlowImage& flow, TStroke& stroke,
                            const TPenView& view, bool modifierHeld, float x, float y,
                            float pressure)
{
    TDrawWindow& window = paper.window;
    if (!stroke.shapeMode && (window.playback != TPlayback::none || modifierHeld))
        return TPenMove::refused;
    if (limitReached_)
        return TPenMove::refused;
    const TPointF p = paper.windowToPaper(view.clientWidth, view.clientHeight, x, y);
    position_ = {int32_t(std::lround(p.x)), int32_t(std::lround(p.y))};
    lastPressure_ = pressure;

    if (!window.strokeInProgress) {
        stroke.layerIndex = paper.currentLayerIndex();
        paper.beginStroke(flow, stroke, true, p.x, p.y, pressure);
        return TPenMove::started;
    }
    if (window.pointCount >= kMaxStrokePoints) {
        TRect rect;
        paper.endStroke(flow, stroke, true, rect, view.sink);
        paper.strokeDone(rect);
        limitReached_ = true;
        return TPenMove::ended;
    }
    window.modified = true;
    // The stroke holds its begin point and one per continued move.
    const TStrokePoint& newest = stroke.history[0];
    if (penPointTooClose(paper.zoomLevel, window.pointCount + 1, {newest.x, newest.y}, p))
        return TPenMove::dropped;
    paper.continueStroke(flow, stroke, true, view.sink, p.x, p.y, pressure);
    return TPenMove::added;
}

bool TPenInput::penUp(TPaper& paper, TFlowImage& flow, TStroke& stroke, const TPenView& view,
                      float x, float y)
{
    limitReached_ = false;
    TDrawWindow& window = paper.window;
    if (!stroke.shapeMode && window.playback == TPlayback::legacy)
        return false;
    const TPointF p = paper.windowToPaper(view.clientWidth, view.clientHeight, x, y);
    position_ = {int32_t(std::lround(p.x)), int32_t(std::lround(p.y))};
    if (!window.strokeInProgress)
        return false;
    paper.continueStroke(flow, stroke, true, view.sink, p.x, p.y, lastPressure_);
    TRect rect;
    paper.endStroke(flow, stroke, true, rect, view.sink);
    paper.strokeDone(rect);
    return true;
}

} // namespace qm

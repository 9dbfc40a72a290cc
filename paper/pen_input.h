// The pen's way into a paper, shared by the mouse and the tablet: when a stroke starts, which
// moves become points, when a stroke ends. Positions arrive in window coordinates (sub-pixel
// for a tablet) and are converted with the paper's view transform.
#pragma once

#include "core/rect.h"
#include "paper/paper.h"

#include <cstdint>

namespace qm {

// The view a point was taken in and where the paper shows.
struct TPenView {
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    ViewSink* sink = nullptr;
};

enum class TPenMove : int32_t {
    refused = -1, // playing back, a modifier held, or the stroke already ended by the limit
    started = 0,  // a stroke began at this point
    added = 1,    // the point went to the stroke
    dropped = 2,  // too close to the newest point
    ended = 3,    // the stroke reached its point limit and was ended here
};

class TPenInput {
public:
    static constexpr int32_t kMaxStrokePoints = 60000;

    // A move with the pen down. `modifierHeld`: Shift, Space, Ctrl or Alt is down (a stroke is
    // never started or continued with one, unless a shape outline is being drawn).
    TPenMove penMove(TPaper& paper, TFlowImage& flow, TStroke& stroke, const TPenView& view,
                     bool modifierHeld, float x, float y, float pressure);
    // The pen lifted: the last point at the last pressure, the stroke ended and its rectangle
    // handed to the layer thumbnail and navigator. True when a stroke was ended.
    bool penUp(TPaper& paper, TFlowImage& flow, TStroke& stroke, const TPenView& view, float x,
               float y);

    // The paper position of the last point taken (rounded), for the status line.
    TPoint position() const { return position_; }
    float lastPressure() const { return lastPressure_; }

private:
    TPoint position_;
    float lastPressure_ = 1.0f;
    bool limitReached_ = false; // nothing more until the pen is lifted
};

} // namespace qm

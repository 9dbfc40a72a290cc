// The view tool's drags as numbers: how far a rotate drag turns the view and what width a
// brush-size drag gives the pen. The window feeds it cursor positions in client pixels.
#pragma once

namespace qm {

struct TClientPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const TClientPoint&, const TClientPoint&) = default;
};

// The view angle in degrees after a rotate drag: the angle at the drag's start minus the angle
// swept around `centre` from `start` to `now` (atan2 of their cross and dot products).
float rotationAfterDrag(float startDegrees, TClientPoint centre, TClientPoint start,
                        TClientPoint now);

// The pen width after a brush-size drag: the width at the start plus the horizontal distance
// dragged / zoom scale / 2. False when that leaves 0.1 … 200; `width` is then untouched.
bool widthAfterDrag(float startWidth, double startX, double nowX, float zoomScale, float& width);

} // namespace qm

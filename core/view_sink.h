// Where a refreshed part of a displayable picture goes: the drawing window on screen, an
// off-screen surface in headless runs, a recorder in tests.
#pragma once

#include "core/dib_core.h"

namespace qm {

class ViewSink {
public:
    virtual ~ViewSink() = default;
    // Show the box of the picture (bottom-up BGRA, picture coordinates) with its top-left
    // corner at `at` of the view.
    virtual void present(const TTC& picture, const TBox& box, TPoint at) = 0;
};

// Shows the whole picture at a point of the view.
inline void blitTo(const TTC& picture, ViewSink& sink, TPoint at = {})
{
    if (picture.IsValid())
        sink.present(picture, picture.bounds(), at);
}

// Shows one box of the picture at the same place in the view; nothing for an empty clip.
inline bool blitRect(const TTC& picture, ViewSink& sink, TBox box)
{
    if (!picture.IsValid() || !clipBoxToSize(box, picture.width(), picture.height()))
        return false;
    sink.present(picture, box, {box.x, box.y});
    return true;
}

} // namespace qm

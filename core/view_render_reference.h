// The window's two views computed the plain way, one pixel at a time: the yardstick the fast
// renderers of core/view_render.h are tested against. Same arguments and the same results as
// RenderRotatedView (at every zoom) and RenderPlainView.
#pragma once

#include "core/view_render.h"

namespace qm {

void RenderRotatedViewReference(const TViewTarget& display, const TMTC& source, uint32_t background,
                                float zoom, float angle, const TBox& box, TPointF centre);

void RenderPlainViewReference(const TViewTarget& display, const TMTC& source, uint32_t background,
                              float zoom, float angle, const TBox& box, TPointF centre);

} // namespace qm

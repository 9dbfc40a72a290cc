// The window's view of the paper: the public entry points choose the fastest loops the
// processor runs. Pixel format: 32-bit 0xAARRGGBB, not premultiplied.
#include "core/view_render.h"

#include "core/view_kernels.h"

namespace qm {

void RenderRotatedView(const TViewTarget& display, const TMTC& source, uint32_t background,
                       float zoom, float angle, const TBox& box, TPointF centre)
{
    view::renderSmooth(view::bestKernels(), display, source, nullptr, background, zoom, angle, box,
                       centre);
}

void RenderRotatedView(const TViewTarget& display, const TMTC& source, const TViewPyramid& pyramid,
                       uint32_t background, float zoom, float angle, const TBox& box,
                       TPointF centre)
{
    view::renderSmooth(view::bestKernels(), display, source, &pyramid, background, zoom, angle, box,
                       centre);
}

void RenderPlainView(const TViewTarget& display, const TMTC& source, uint32_t background,
                     float zoom, float angle, const TBox& box, TPointF centre)
{
    view::renderPlain(view::bestKernels(), display, source, background, zoom, angle, box, centre);
}

} // namespace qm

#include "ui/filter_host.h"

#include "ui/draw_window.h"
#include "ui/qt_images.h"

#include <algorithm>
#include <cmath>

namespace qm::ui {

TDrawWindowFilterHost::TDrawWindowFilterHost(TDrawWindowWidget& window)
    : window_(window), session_(window.paper(), window.paper().currentLayerIndex())
{
}

TDrawWindowFilterHost::~TDrawWindowFilterHost()
{
    restoreCanvas();
}

void TDrawWindowFilterHost::redraw(const TRect& onPaper)
{
    if (onPaper.isEmpty()) return;
    TPaper& paper = window_.paper();
    paper.updateRect(window_.document().flow(), window_.view(), onPaper, nullptr);
    window_.update();
}

void TDrawWindowFilterHost::previewOnCanvas(const TFilterParams& params)
{
    TPaper& paper = window_.paper();
    const CLayerData* layer = paper.currentLayer();
    if (!layer) return;
    // The part of the paper the window shows: the box round its four corners.
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (const auto& [x, y] : {std::pair{0, 0},
                               {window_.width(), 0},
                               {0, window_.height()},
                               {window_.width(), window_.height()}}) {
        const TPointF p =
            paper.windowToPaper(window_.width(), window_.height(), float(x), float(y));
        left = std::min(left, p.x), top = std::min(top, p.y);
        right = std::max(right, p.x), bottom = std::max(bottom, p.y);
    }
    const TRect shown{int32_t(std::floor(left)) + layer->offsetX,
                      int32_t(std::floor(top)) + layer->offsetY,
                      int32_t(std::ceil(right)) + 1 + layer->offsetX,
                      int32_t(std::ceil(bottom)) + 1 + layer->offsetY};
    redraw(session_.previewOnLayer(params, shown));
}

void TDrawWindowFilterHost::restoreCanvas()
{
    redraw(session_.restore());
}

QImage TDrawWindowFilterHost::previewArea(const TFilterParams& params, const QRect& area,
                                          const TFilterPictures* pictures)
{
    TMTC out;
    if (!session_.previewArea(params,
                              {area.left(), area.top(), area.right() + 1, area.bottom() + 1}, out,
                              pictures ? &pictures->first : nullptr,
                              pictures ? &pictures->second : nullptr))
        return {};
    return toQImage(out, false);
}

QImage TDrawWindowFilterHost::previewReduced(const TFilterParams& params, QSize box)
{
    TMTC out;
    if (box.isEmpty() || !session_.previewReduced(params, box.width(), box.height(), out))
        return {};
    return toQImage(out, false);
}

uint32_t TDrawWindowFilterHost::penColour() const
{
    return window_.app().colours ? window_.app().colours->mainColor() : 0x000000u;
}

uint32_t TDrawWindowFilterHost::secondColour() const
{
    return window_.app().colours ? window_.app().colours->secondColor() : 0xFFFFFFu;
}

QSize TDrawWindowFilterHost::layerSize() const
{
    return session_.valid() ? QSize(session_.source().width(), session_.source().height())
                            : QSize();
}

QImage TDrawWindowFilterHost::sourceThumbnail(QSize box, double& scale) const
{
    scale = 1.0;
    if (!session_.valid() || box.isEmpty()) return {};
    const CBlockVMTC& source = session_.source();
    scale = std::max(double(source.width()) / box.width(), double(source.height()) / box.height());
    scale = std::max(scale, 1.0);
    TMTC small(std::max(1, int32_t(source.width() / scale)),
               std::max(1, int32_t(source.height() / scale)));
    if (!source.DownscaleTo(small)) return {};
    return toQImage(small, false);
}

std::array<uint32_t, 256> TDrawWindowFilterHost::histogram() const
{
    return session_.histogram();
}

} // namespace qm::ui

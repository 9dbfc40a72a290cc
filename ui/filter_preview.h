// What a filter dialog asks of the drawing window while it is open. The window keeps the
// source copy of the layer; the dialog only says which parameters to show.
#pragma once

#include "core/dib_core.h"
#include "filters/filter_params.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>

namespace qm::ui {

// The pictures a filter paints with besides the layer: the floor's ceiling and floor when
// they come from files (an invalid image where a plane shows the layer).
struct TFilterPictures {
    TMTC first, second;
};

class TFilterPreviewHost {
  public:
    virtual ~TFilterPreviewHost() = default;
    // The canvas preview: the part of the layer the window shows, filtered from the source
    // copy (what the last preview changed is restored first), and redrawn.
    virtual void previewOnCanvas(const TFilterParams& params) = 0;
    // Everything a canvas preview changed goes back to the source copy.
    virtual void restoreCanvas() = 0;
    // The view-box preview: `area` of the layer image (layer coordinates) filtered from the
    // source copy, straight alpha, for the dialog to draw over its checkerboard.
    virtual QImage previewArea(const TFilterParams& params, const QRect& area,
                               const TFilterPictures* pictures) = 0;
    // The whole layer reduced to fit `box` and filtered there: the miniature of filters whose
    // parameters are fractions of the layer's size (the lighting).
    virtual QImage previewReduced(const TFilterParams& params, QSize box) = 0;
    // The layer image's size, and a reduced copy of the source that fits `box` (the zoom
    // blur's centre picker, the wave's whole-layer view), with the scale it was reduced by
    // (layer pixels per thumbnail pixel).
    virtual QSize layerSize() const = 0;
    virtual QImage sourceThumbnail(QSize box, double& scale) const = 0;
    // The levels histogram: the red, green and blue values of the source's pixels inside the
    // selection, counted together.
    virtual std::array<uint32_t, 256> histogram() const = 0;
    // The pen's main and second colour (0x00RRGGBB): the generators paint with them.
    virtual uint32_t penColour() const = 0;
    virtual uint32_t secondColour() const = 0;
};

} // namespace qm::ui

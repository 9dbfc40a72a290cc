#include "paint/brush_plot.h"

#include "paint/stroke.h"

namespace qm {

TPlotter selectPixelRoutines(const TStroke& stroke, const TPlotSources& sources)
{
    TPlotter plot;
    plot.mask = TMaskClip(sources.selectionActive, sources.currentMask, sources.layerOffsetX,
                          sources.layerOffsetY);
    plot.tone = stroke.useTone ? sources.tone : nullptr;
    plot.gradation = stroke.useGradation ? sources.gradation : nullptr;
    plot.layerOffsetX = sources.layerOffsetX;
    plot.layerOffsetY = sources.layerOffsetY;
    // The version 1.1 engine always keeps the layer's alpha.
    plot.keepAlpha = stroke.keepAlpha != 0 || sources.legacyEngine;
    return plot;
}

} // namespace qm

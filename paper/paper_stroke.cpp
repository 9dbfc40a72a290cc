// Strokes on the paper: dabs go into the flow image while the stroke runs, and only its end
// saves undo and writes the touched rectangle into the layer.
#include "paper/paper.h"

#include "core/image_ops.h"
#include "layers/blend_mode_table.h"
#include "undo/undo_kinds.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// How far beyond a segment's box a brush reads: a pick-up tip reaches a few pixels past the
// stroke's width, which the box already holds plus two.
constexpr int32_t kReadReach = 8;

// Completes the working copy wherever the stroke may read or paint within a box on the paper.
// Reads outside the copy are clamped to its edge, so the box is clamped into it the same way.
void ensureStrokeBox(TFlowImage& flow, const CLayerData& layer, const TRect& onPaper)
{
    const int32_t w = flow.work.width(), h = flow.work.height();
    if (w <= 0 || h <= 0)
        return;
    const auto clampTo = [](int64_t v, int32_t size) {
        return int32_t(std::clamp<int64_t>(v, 0, size - 1));
    };
    const int32_t left = clampTo(int64_t(onPaper.left) + flow.layerOffsetX - kReadReach, w);
    const int32_t top = clampTo(int64_t(onPaper.top) + flow.layerOffsetY - kReadReach, h);
    const int32_t right = clampTo(int64_t(onPaper.right) + flow.layerOffsetX + kReadReach, w);
    const int32_t bottom = clampTo(int64_t(onPaper.bottom) + flow.layerOffsetY + kReadReach, h);
    flow.ensure(layer, {left, top, right - left + 1, bottom - top + 1});
}

} // namespace

TStroke& TPaper::currentStroke()
{
    switch (window.playback) {
    case TPlayback::current:
        if (eventMngr && eventMngr->replayStroke())
            return *eventMngr->replayStroke();
        break;
    case TPlayback::legacy: return window.stroke;
    case TPlayback::none: break;
    }
    return services_.liveStroke ? *services_.liveStroke : window.stroke;
}

void TPaper::beginStroke(TFlowImage& flow, TStroke& stroke, bool record, float x, float y,
                         float pressure)
{
    startStroke(flow, stroke, record, x, y, pressure, false);
}

void TPaper::beginStrokeCompat(TFlowImage& flow, TStroke& stroke, bool record, float x, float y,
                               float pressure)
{
    startStroke(flow, stroke, record, x, y, pressure, true);
}

void TPaper::startStroke(TFlowImage& flow, TStroke& stroke, bool record, float x, float y,
                         float pressure, bool compat)
{
    if (record && recording())
        eventMngr->recordStrokeBegin(x, y, pressure);
    const int32_t index = layers->current();
    CLayerData* layer = layers->Get(index);
    stroke.layerIndex = index;
    stroke.setLegacyEngine(!isCurrentEngine());
    if (layer && flow.takeLazily(*layer, index, width, height)) {
        // The first tip is read at the start point before any segment is painted.
        if (std::isfinite(x) && std::isfinite(y)) {
            const float reach = std::clamp(stroke.width, 0.0f, 1e6f) + 2.0f;
            const auto at = [](float v) { return int32_t(std::clamp(v, -1e9f, 1e9f)); };
            ensureStrokeBox(flow, *layer,
                            {at(x - reach), at(y - reach), at(x + reach) + 1, at(y + reach) + 1});
        }
        stroke.keepAlpha = layer->protectAlpha; // the layer decides; routines follow below
        canvas_.work = &flow.work;
        const TStrokeSource source =
            canvas_.source(layer->offsetX, layer->offsetY, neutralColour(layer->mode & 0x7F));
        if (compat)
            stroke.startStrokeCompat(source, x, y, pressure);
        else
            stroke.startStroke(source, x, y, pressure);
        reselectRoutines(flow, stroke);
        prepareBrush(canvas_, stroke);
        stroke.reselectRoutines = [this, &flow](TStroke& s) { reselectRoutines(flow, s); };
    } else {
        canvas_ = TBrushCanvas{}; // nothing to paint on: the dabs find no image
        stroke.startStroke(TStrokeSource{}, x, y, pressure);
    }
    lastStepAxis = -1;
    window.strokeInProgress = true;
    window.pointCount = 0;
}

// The stroke's plotting on a layer: the selection, the screentone of the recording being
// replayed or the live one, the gradation, the engine's alpha rule.
TPlotter TPaper::plotterFor(const TStroke& stroke, const CLayerData& layer) const
{
    TPlotSources sources;
    sources.selectionActive = selectionActive != 0;
    sources.currentMask = masks->Mask(masks->CurrentIndex());
    sources.tone = window.playback == TPlayback::current && eventMngr ? eventMngr->replayTones()
                                                                      : services_.tones;
    sources.gradation = gradation.get();
    sources.layerOffsetX = layer.offsetX;
    sources.layerOffsetY = layer.offsetY;
    sources.legacyEngine = !isCurrentEngine();
    return selectPixelRoutines(stroke, sources);
}

void TPaper::reselectRoutines(TFlowImage& flow, const TStroke& stroke)
{
    CLayerData* layer = layers->Get(stroke.layerIndex);
    if (!layer)
        return;
    canvas_.work = &flow.work;
    canvas_.coverage = &flow.coverage;
    canvas_.layer = layer->image();
    canvas_.plot = plotterFor(stroke, *layer);
    canvas_.neutral = neutralColour(layer->mode & 0x7F);
    canvas_.legacy = !isCurrentEngine();
}

void TPaper::paintSegment(TFlowImage& flow, TStroke& stroke, bool legacyWalk)
{
    if (CLayerData* layer = layers->Get(stroke.layerIndex)) {
        stroke.updateSegmentRect(); // the walk sets it too; the copy must be there first
        ensureStrokeBox(flow, *layer, stroke.segmentRect());
    }
    TWalkTrace trace;
    trace.lastStepAxis = lastStepAxis;
    trace.lastDabX = lastDabX;
    trace.lastDabY = lastDabY;
    if (legacyWalk) {
        stroke.walkSegmentLegacy(trace, [&](const TDab& dab) {
            canvas_.stepAxis = trace.stepAxis;
            paintDabLegacy(canvas_, stroke, dab);
        });
    } else {
        stroke.walkSegment(float(flow.layerOffsetX), float(flow.layerOffsetY), trace,
                           [&](const TDab& dab) {
                               canvas_.stepAxis = trace.stepAxis;
                               paintDab(canvas_, stroke, dab);
                           });
    }
    stepAxis = uint8_t(trace.stepAxis);
    lastStepAxis = trace.lastStepAxis;
    lastDabX = trace.lastDabX;
    lastDabY = trace.lastDabY;
}

bool TPaper::continueStroke(TFlowImage& flow, TStroke& stroke, bool record, ViewSink* view,
                            float x, float y, float pressure)
{
    if (record && recording())
        eventMngr->recordStrokePoint(x, y, pressure);
    ++window.pointCount;
    stroke.addPoint(x, y, pressure);
    paintSegment(flow, stroke, !isCurrentEngine());
    updateRect(flow, view, stroke.segmentRect(), &stroke);
    return true;
}

void TPaper::endStroke(TFlowImage& flow, TStroke& stroke, bool record, TRect& rect,
                       ViewSink* /*view*/)
{
    // The stroke's rectangle in the layer's image, clipped to the working copy (which holds
    // the image and may be larger): nothing outside it can have been painted.
    rect = {};
    intersectRect(moved(stroke.strokeRect(), flow.layerOffsetX, flow.layerOffsetY),
                  {0, 0, flow.work.width(), flow.work.height()}, rect);
    if (record && recording())
        eventMngr->recordStrokeEnd();
    CLayerData* layer = layers->Get(stroke.layerIndex);
    if (layer && layer->image() && flow.holds(*layer, stroke.layerIndex)) {
        flow.ensure(*layer, toBox(rect));
        if (record)
            saveUndoRect(stroke.layerIndex, rect, kUndoStroke);
        TBox box = toBox(rect);
        if (usesCoverage(stroke.kind))
            composeStroke(canvas_, stroke, box);
        if (clipBoxToSize(box, layer->imageWidth(), layer->imageHeight()))
            layer->image()->ImportFrom(flow.work, {box.x, box.y}, 255, box);
        if (usesCoverage(stroke.kind) && rect.width() > 0 && rect.height() > 0)
            fillRect(flow.coverage, toBox(rect), 0);
        setModified(true);
    }
    stroke.reselectRoutines = nullptr;
    window.strokeInProgress = false;
}

void TPaper::lineStroke(TFlowImage& flow, TStroke& stroke, float x0, float y0, float x1, float y1,
                        ViewSink* view)
{
    if (!layers->IsIndex(stroke.layerIndex))
        return;
    beginStroke(flow, stroke, true, x1, y1, 1.0f);
    stroke.setSegment(x0, y0, 1.0f, x1, y1, 1.0f);
    paintSegment(flow, stroke, true);
    updateRect(flow, view, stroke.strokeRect(), &stroke);
    TRect rect;
    endStroke(flow, stroke, true, rect, view);
}

bool TPaper::strokeOutline(TFlowImage& flow, TStroke& stroke, std::span<const TPointF> points,
                           ViewSink* view)
{
    if (points.size() < 2 || !layers->IsIndex(currentLayerIndex()))
        return false;
    // The pen follows the outline exactly: no smoothing of its points.
    stroke.shapeMode = stroke.rawPoints = 1;
    stroke.layerIndex = currentLayerIndex();
    beginStroke(flow, stroke, true, points[0].x, points[0].y, 1.0f);
    // Each point paints the segment before the one it ends, so the last point goes twice, as
    // a pen lift sends it.
    for (size_t i = 1; i <= points.size(); ++i) {
        const TPointF& p = points[std::min(i, points.size() - 1)];
        continueStroke(flow, stroke, true, view, p.x, p.y, 1.0f);
    }
    TRect rect;
    endStroke(flow, stroke, true, rect, view);
    strokeDone(rect);
    stroke.shapeMode = stroke.rawPoints = 0;
    return true;
}

void TPaper::strokeDone(const TRect& rect)
{
    // rect is in the layer's image; the thumbnail and the navigator work on the paper.
    CLayerData* layer = currentLayer();
    const TRect onPaper = layer ? moved(rect, -layer->offsetX, -layer->offsetY) : rect;
    if (window.playback == TPlayback::none) {
        if (layer)
            layer->UpdateThumbnail(onPaper);
        window.layersChanged();
    }
    refreshPreview(onPaper);
}

} // namespace qm

// The fills on the paper: the paint bucket and the magic wand (a seed fill grows a coverage
// channel), the filled shapes, and the Insert and Delete keys (area fills). Live, each works out
// what it fills, records that and then changes the layer or the selection through the same
// routine a replay calls, so a replay never grows a region again and gives the same pixels.
#include "paper/paper.h"

#include "paint/brush_plot.h"
#include "select/area_fill.h"
#include "select/seed_fill.h"
#include "tone/grad_mngr.h"
#include "undo/undo_kinds.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <new>

namespace qm {

namespace {

// A fill is a pixel edit of the layer: its rectangle is saved as a block snapshot.
constexpr int kUndoFill = 0;

TChannel cropped(const TChannel& channel, const TRect& rect)
{
    TChannel out(rect.width(), rect.height());
    for (int32_t y = 0; y < rect.height(); ++y)
        std::copy_n(channel.row(rect.top + y) + rect.left, rect.width(), out.row(y));
    return out;
}

// The area fillers' coverage painted with the pen colour through the stroke's plotting.
class TPlotSink : public TCoverageSink {
public:
    TPlotSink(TMTC& work, const TPlotter& plot, uint32_t colour)
        : work_(work), plot_(plot), colour_(colour)
    {
    }
    void row(int32_t y, int32_t x, int32_t count, const float* coverage) override
    {
        uint32_t* pixels = work_.row(y);
        for (int32_t i = 0; i < count; ++i)
            if (const uint32_t a = coverageByte(coverage[i]))
                plot_.plotColour(pixels[x + i], x + i, y, colour_, a);
    }

private:
    TMTC& work_;
    const TPlotter& plot_;
    uint32_t colour_;
};

} // namespace

CLayerData* TPaper::fillTarget(TFlowImage& flow, int32_t index)
{
    CLayerData* layer = layers->Get(index);
    if (!layer || !layer->image())
        return nullptr;
    if (index != currentLayerIndex())
        setCurrentLayer(flow, index);
    if (!flow.take(*layer, index, width, height))
        return nullptr;
    return layer;
}

void TPaper::fillDone(TFlowImage& flow, CLayerData& layer, const TRect& inLayer)
{
    TBox box = toBox(inLayer);
    if (clipBoxToSize(box, layer.imageWidth(), layer.imageHeight()))
        layer.image()->ImportFrom(flow.work, {box.x, box.y}, 255, box);
    const TRect onPaper = moved(inLayer, -layer.offsetX, -layer.offsetY);
    updateRect(flow, window.view(), onPaper, nullptr);
    setModified(true);
    strokeDone(inLayer);
}

bool TPaper::hasSelection() const
{
    const CMaskData* mask = masks->Mask(masks->CurrentIndex());
    return mask && mask->IsValid();
}

// ---- seed fills ----

bool TPaper::growRegion(TPoint at, const TSeedFillOptions& options, bool barrier, TChannel& region,
                        TRect& rect)
{
    CLayerData* layer = currentLayer();
    if (!layer || !layer->image())
        return false;
    const CMaskData* mask = masks->Mask(masks->CurrentIndex());
    if (!barrier || (mask && !mask->IsValid()))
        mask = nullptr;
    std::unique_ptr<CSeedFillCore> filler;
    TPoint seed = at;
    TMTC view;
    try {
        if (options.fromView) {
            view = picture();
            if (mask)
                filler = std::make_unique<CSeedFillTCWithMask>(view, *mask, TPoint{0, 0});
            else
                filler = std::make_unique<CSeedFillTC>(view);
        } else {
            seed = {at.x + layer->offsetX, at.y + layer->offsetY};
            if (mask)
                filler = std::make_unique<CSeedFillWithMask>(*layer, *mask);
            else
                filler = std::make_unique<CSeedFillWithAlpha>(*layer->image());
        }
    } catch (const std::bad_alloc&) {
        messages().showMessage(kLayerCreateFailed);
        return false;
    }
    filler->SetAntiAlias(options.antiAlias);
    filler->setMessageSink(&messages());
    if (!filler->Fill(seed, std::clamp(options.limit, 0, kMaxFillLimit)))
        return false;
    rect = filler->filledBounds();
    if (rect.width() <= 0 || rect.height() <= 0)
        return false;
    TChannel whole = filler->extractChannel();
    if (!options.antiAlias || filler->overflowed())
        solidifyInterior(whole, rect);
    region = cropped(whole, rect);
    return true;
}

bool TPaper::paintBucket(TFlowImage& flow, TStroke& stroke, TPoint at,
                         const TSeedFillOptions& options)
{
    TChannel region;
    TRect rect;
    if (!growRegion(at, options, true, region, rect))
        return false;
    const CLayerData& layer = *currentLayer();
    TChannelEventHead head;
    head.layer = int16_t(currentLayerIndex());
    head.first = {layer.offsetX, layer.offsetY};
    head.second = at;
    head.options[0] = options.antiAlias ? 1 : 0;
    head.options[2] = options.fromView ? 1 : 0;
    head.optionValue = int16_t(std::clamp(options.limit, 0, kMaxFillLimit));
    // The bucket's channel always lies in the layer's image.
    head.rect = options.fromView ? moved(rect, layer.offsetX, layer.offsetY) : rect;
    return applyChannel(flow, stroke,
                        options.fromView ? channelEvent::bucketOnView : channelEvent::bucket, head,
                        region, true);
}

bool TPaper::magicWand(TFlowImage& flow, TStroke& stroke, TPoint at,
                       const TSeedFillOptions& options, MaskCombine mode)
{
    TChannel region;
    TRect rect;
    if (!growRegion(at, options, false, region, rect))
        return false;
    const CLayerData& layer = *currentLayer();
    TChannelEventHead head;
    head.layer = int16_t(currentLayerIndex());
    head.value = int16_t(std::max(0, masks->CurrentIndex()));
    head.first = {layer.offsetX, layer.offsetY};
    head.second = at;
    head.options[0] = options.antiAlias ? 1 : 0;
    head.options[1] = uint8_t(mode);
    head.options[2] = options.fromView ? 1 : 0;
    head.optionValue = int16_t(std::clamp(options.limit, 0, kMaxFillLimit));
    head.rect = rect;
    return applyChannel(flow, stroke,
                        options.fromView ? channelEvent::wandOnView : channelEvent::wand, head,
                        region, true);
}

bool TPaper::commitText(TFlowImage& flow, TStroke& stroke, const TTextRecords& records,
                        bool intoSelection, TPoint origin, const TChannel& coverage,
                        const TRect& bounds)
{
    const CLayerData* layer = currentLayer();
    TRect drawn;
    if (!layer || !coverage.IsValid() ||
        !intersectRect(bounds, {0, 0, coverage.width(), coverage.height()}, drawn))
        return false;
    TChannelEventHead head;
    head.layer = int16_t(currentLayerIndex());
    head.value = int16_t(std::max(0, masks->CurrentIndex()));
    head.first = {layer->offsetX, layer->offsetY};
    head.second = origin;
    head.options[1] = uint8_t(MaskCombine::Replace);
    // The text stands at the origin on the paper; onto the layer its channel lies in the
    // layer's image, into the selection on the paper.
    head.rect = intoSelection ? drawn : moved(drawn, layer->offsetX, layer->offsetY);
    const uint8_t sub = intoSelection ? channelEvent::textSelection : channelEvent::text;
    TChannel region;
    try {
        region = cropped(coverage, drawn);
    } catch (const std::bad_alloc&) {
        messages().showMessage(kOutOfMemoryMessage);
        return false;
    }
    return applyChannel(flow, stroke, sub, head, region, true,
                        [&] { eventMngr->recordText(records, sub, head, region); });
}

bool TPaper::applyChannel(TFlowImage& flow, TStroke& stroke, uint8_t sub,
                          const TChannelEventHead& head, const TChannel& channel, bool record,
                          const std::function<void()>& recordEvent)
{
    if (channel.width() != head.rect.width() || channel.height() != head.rect.height())
        return false;
    if (isSelectionChannel(sub))
        return selectChannel(sub, head, channel, recordEvent, record);
    CLayerData* layer = fillTarget(flow, head.layer);
    if (!layer)
        return false;
    TRect inImage;
    if (!intersectRect(head.rect, {0, 0, flow.work.width(), flow.work.height()}, inImage))
        return false;
    if (record) {
        if (recording()) {
            if (recordEvent)
                recordEvent();
            else
                eventMngr->recordChannel(sub, head, channel);
        }
        // Text keeps the block snapshot of the filters; the fills their own kind.
        saveUndoRect(head.layer, inImage, sub == channelEvent::text ? kUndoFilter : kUndoFill);
    }
    const TPlotter plot = plotterFor(stroke, *layer);
    const float opacity = stroke.opacity;
    for (int32_t y = inImage.top; y < inImage.bottom; ++y) {
        const uint8_t* coverage = channel.row(y - head.rect.top) - head.rect.left;
        uint32_t* pixels = flow.work.row(y);
        for (int32_t x = inImage.left; x < inImage.right; ++x)
            if (coverage[x] != 0)
                if (const uint32_t a = uint32_t(float(coverage[x]) * opacity))
                    plot.plotColour(pixels[x], x, y, stroke.color, a);
    }
    fillDone(flow, *layer, inImage);
    return true;
}

bool TPaper::selectChannel(uint8_t sub, const TChannelEventHead& head, const TChannel& channel,
                           const std::function<void()>& recordEvent, bool record)
{
    const CLayerData* layer = layers->Get(head.layer);
    const MaskCombine mode = MaskCombine(head.options[1]);
    if (!layer || mode > MaskCombine::Intersect || !hasMaskAt(head.value))
        return false;
    // The wand's channel lies in the layer's image and is part of it; grown on the displayed
    // picture it is part of the paper; a colour range covers its own frame.
    TRect onPaper = head.rect, frame = head.rect;
    if (sub == channelEvent::wand) {
        onPaper = moved(head.rect, -layer->offsetX, -layer->offsetY);
        frame = layerFrame(*layer);
    } else if (sub == channelEvent::wandOnView || sub == channelEvent::textSelection) {
        frame = {0, 0, width, height};
    }
    if (record && recording()) {
        if (recordEvent)
            recordEvent();
        else
            eventMngr->recordChannel(sub, head, channel);
    }
    return applySelection(head.value, channel, onPaper, frame, mode, record);
}

// ---- area fills ----

bool TPaper::renderArea(TFlowImage& flow, TStroke& stroke, int32_t index, const CFillMngr& filler,
                        uint32_t colour, bool record, const std::function<void()>& recordEvent)
{
    CLayerData* layer = fillTarget(flow, index);
    if (!layer || !filler.IsValid())
        return false;
    TRect bounds;
    if (!intersectRect(filler.Bounds(), {0, 0, flow.work.width(), flow.work.height()}, bounds))
        return false;
    if (record) {
        if (recording())
            recordEvent();
        saveUndoRect(index, bounds, kUndoFill);
    }
    const TPlotter plot = plotterFor(stroke, *layer);
    TPlotSink sink(flow.work, plot, colour);
    filler.Render(flow.work.width(), flow.work.height(), sink);
    fillDone(flow, *layer, bounds);
    return true;
}

std::unique_ptr<CFillMngr> TPaper::shapeFiller(TFillShape shape, TPointF p1, TPointF p2)
{
    if (shape == TFillShape::ellipse) {
        auto ellipse = std::make_unique<CEllipseFiller>();
        ellipse->SetEllipse(p1, p2);
        return ellipse;
    }
    if (shape != TFillShape::rectangle)
        return nullptr;
    auto rectangle = std::make_unique<CFillMngr>();
    rectangle->SetRect(p1, p2);
    return rectangle;
}

bool TPaper::fillShape(TFlowImage& flow, TStroke& stroke, bool record, TFillShape shape,
                       TPoint first, TPointF second)
{
    const int32_t index = currentLayerIndex();
    const CLayerData* layer = currentLayer();
    if (!layer)
        return false;
    // Layer position = paper position + offset.
    const TPointF p1{float(first.x + layer->offsetX), float(first.y + layer->offsetY)};
    const TPointF p2{second.x + float(layer->offsetX), second.y + float(layer->offsetY)};
    std::unique_ptr<CFillMngr> filler = shapeFiller(shape, p1, p2);
    if (!filler)
        return false;
    filler->SetOpacity(stroke.opacity);
    return renderArea(flow, stroke, index, *filler, stroke.color, record, [&] {
        eventMngr->recordAreaFill(areaFillEvent::shape, index, int32_t(shape), first, second);
    });
}

bool TPaper::fillPolygon(TFlowImage& flow, TStroke& stroke, bool record,
                         std::span<const TPointF> points)
{
    const int32_t index = currentLayerIndex();
    const CLayerData* layer = currentLayer();
    if (!layer || points.size() < 3)
        return false;
    std::vector<TPointF> inLayer(points.begin(), points.end());
    for (TPointF& p : inLayer)
        p = {p.x + float(layer->offsetX), p.y + float(layer->offsetY)};
    CPolygonFiller filler;
    if (!filler.SetPolygon(inLayer))
        return false;
    filler.SetOpacity(stroke.opacity);
    return renderArea(flow, stroke, index, filler, stroke.color, record,
                      [&] { eventMngr->recordPolygonFill(index, points); });
}

bool TPaper::fillWholeLayer(TFlowImage& flow, TStroke& stroke, bool record, uint8_t sub)
{
    const int32_t index = currentLayerIndex();
    const CLayerData* layer = currentLayer();
    if (!layer || !layer->image())
        return false;
    CFillMngr filler;
    filler.SetRect({0.0f, 0.0f}, {float(layer->imageWidth()), float(layer->imageHeight())});
    filler.SetOpacity(stroke.opacity);
    // Deleting the selection paints it with the paper colour; the mask decides where.
    const uint32_t colour = sub == areaFillEvent::clearSelection ? paperColor : stroke.color;
    const bool inSelection =
        sub == areaFillEvent::clearSelection || sub == areaFillEvent::fillSelection;
    if (inSelection && !hasSelection())
        return false;
    const uint8_t active = selectionActive;
    if (inSelection)
        selectionActive = 1;
    const bool done = renderArea(flow, stroke, index, filler, colour, record, [&] {
        eventMngr->recordAreaFill(sub, index, 0, {0, 0}, {0.0f, 0.0f});
    });
    selectionActive = active;
    return done;
}

// ---- the gradation fill ----

void TPaper::takeGradation(const CGradMngr& gradations)
{
    gradationStops_ = gradations.working();
    const TGradOptions& o = gradations.workingOptions();
    if (gradation)
        gradation->SetOptions(o.type, o.map, o.count, o.repeat);
}

bool TPaper::fillGradation(TFlowImage& flow, TStroke& stroke, TPoint start, TPoint end,
                           bool record)
{
    const int32_t index = currentLayerIndex();
    CLayerData* layer = fillTarget(flow, index);
    if (!layer || !gradation || gradationStops_.stops.size() < 2)
        return false;
    // Where the selection allows, or the whole layer.
    TRect area{0, 0, flow.work.width(), flow.work.height()};
    const CMaskData* mask = masks->Mask(masks->CurrentIndex());
    if (selectionActive && mask && mask->IsValid()) {
        TRect content;
        if (!mask->ContentBounds(content) ||
            !intersectRect(moved(content, layer->offsetX, layer->offsetY), area, area))
            return false;
    }
    // The line goes in before the event: the recorder writes it with the gradation's state.
    gradation->setStops(&gradationStops_);
    gradation->SetLine({start.x * 65536, start.y * 65536}, {end.x * 65536, end.y * 65536});
    if (record) {
        if (recording())
            eventMngr->recordAreaFill(areaFillEvent::gradation, index, 0, start,
                                      {float(end.x), float(end.y)});
        saveUndoRect(index, area, kUndoFill);
    }
    TPlotter plot = plotterFor(stroke, *layer);
    plot.gradation = gradation.get();
    const uint32_t opacity = uint32_t(255.0f * stroke.opacity);
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint32_t* pixels = flow.work.row(y);
        for (int32_t x = area.left; x < area.right; ++x)
            plot.plotColour(pixels[x], x, y, stroke.color, opacity);
    }
    fillDone(flow, *layer, area);
    return true;
}

} // namespace qm

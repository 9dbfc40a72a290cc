// The selection on the paper: every operation of the Selection menu, the selection tools'
// shapes and the colour range, and the layer mask commands. Each checks first that it has
// something to do, then records its event (while the paper still shows the state the event
// starts from), changes the masks and saves the undo step.
#include "paper/paper.h"

#include "core/image_ops.h"
#include "select/area_fill.h"
#include "select/layer_mask_ops.h"
#include "select/morphology.h"
#include "undo/undo_kinds.h"

#include <algorithm>
#include <new>

namespace qm {

namespace {

// Coverage of a target image written into a channel that covers only `rect` of it.
class TCroppedChannelSink : public TCoverageSink {
public:
    TCroppedChannelSink(TChannel& channel, TPoint corner) : channel_(channel), corner_(corner) {}
    void row(int32_t y, int32_t x, int32_t count, const float* coverage) override
    {
        uint8_t* out = channel_.row(y - corner_.y) + (x - corner_.x);
        for (int32_t i = 0; i < count; ++i)
            out[i] = std::max<uint8_t>(out[i], uint8_t(coverageByte(coverage[i])));
        drawn = true;
    }
    bool drawn = false;

private:
    TChannel& channel_;
    TPoint corner_;
};

} // namespace

// ---- shared steps ----

bool TPaper::selectionAt(int32_t slot) const
{
    const CMaskData* mask = masks ? masks->Mask(slot) : nullptr;
    return mask && mask->IsValid();
}

void TPaper::selectionEdited(int32_t slot)
{
    masks->UpdateThumbnail(slot);
    masks->ShowAnts(masks->CurrentIndex());
    window.selectionChanged();
    setModified(true);
}

void TPaper::rebuildSelectionOutline()
{
    masks->UpdateThumbnails();
    masks->ShowAnts(masks->CurrentIndex());
    window.selectionChanged();
}

void TPaper::recordSelect(uint8_t sub, int32_t slot, int32_t a, int32_t b, int32_t layer)
{
    if (recording())
        eventMngr->recordSelection(sub, layer < 0 ? currentLayerIndex() : layer, slot, a, b);
}

void TPaper::saveMaskUndo(int32_t slot, std::unique_ptr<CMaskData> replaced, bool record)
{
    if (record && undoMngr && replaced)
        undoMngr->RecordMaskPut(kUndoMaskPut, slot, std::move(replaced));
}

bool TPaper::applySelection(int32_t slot, const TChannel& channel, const TRect& onPaper,
                            const TRect& frame, MaskCombine mode, bool record)
{
    // The area is combined as a channel of the whole frame (the layer's or the paper's
    // rectangle), so that the mask covers the frame: inverting a selection then selects the
    // rest of the layer, not the rest of the shape's bounding box.
    TChannel framed;
    const TChannel* applied = &channel;
    if (onPaper != frame) {
        try {
            framed.Resize(frame.width(), frame.height());
        } catch (const std::bad_alloc&) {
            framed = {};
        }
        if (!framed.IsValid()) {
            messages().showMessage(kLayerCreateFailed);
            return false;
        }
        fillAll(framed, 0);
        TRect overlap;
        if (intersectRect(onPaper, frame, overlap))
            for (int32_t y = overlap.top; y < overlap.bottom; ++y)
                std::copy_n(channel.row(y - onPaper.top) + (overlap.left - onPaper.left),
                            overlap.width(),
                            framed.row(y - frame.top) + (overlap.left - frame.left));
        applied = &framed;
    }
    std::unique_ptr<CMaskData> replaced;
    if (!masks->ApplyChannel(slot, *applied, mode, {-frame.left, -frame.top}, replaced))
        return false;
    saveMaskUndo(slot, std::move(replaced), record);
    selectionActive = 1;
    selectionShown = 1;
    selectionEdited(slot);
    return true;
}

TRect TPaper::layerFrame(const CLayerData& layer)
{
    return {-layer.offsetX, -layer.offsetY, layer.imageWidth() - layer.offsetX,
            layer.imageHeight() - layer.offsetY};
}

// ---- the list ----

bool TPaper::selectAll(bool record)
{
    const int32_t slot = slotOf(-1);
    const CLayerData* layer = currentLayer();
    if (!hasMaskAt(slot) || !layer || !layer->image())
        return false;
    auto mask = std::make_unique<CMaskData>();
    if (!mask->createMask(layer->imageWidth(), layer->imageHeight(), messages()))
        return false;
    mask->coverage->Fill(mask->coverage->bounds(), 255); // whole tiles: no pixel memory
    mask->offsetX = layer->offsetX;
    mask->offsetY = layer->offsetY;
    if (record)
        recordSelect(selectEvent::all, slot);
    mask->name = masks->Mask(slot)->name;
    saveMaskUndo(slot, masks->Put(slot, std::move(mask)), record);
    selectionActive = 1;
    selectionShown = 1;
    selectionEdited(slot);
    return true;
}

bool TPaper::clearMask(int32_t slot, bool record)
{
    slot = slotOf(slot);
    if (!selectionAt(slot))
        return false;
    if (record)
        recordSelect(selectEvent::clear, slot);
    saveMaskUndo(slot, masks->ClearAt(slot), record);
    selectionEdited(slot);
    return true;
}

bool TPaper::invertMask(int32_t slot, bool record)
{
    slot = slotOf(slot);
    if (!selectionAt(slot))
        return false;
    if (record)
        recordSelect(selectEvent::invert, slot);
    std::unique_ptr<CMaskData> replaced;
    if (!masks->Invert(slot, replaced))
        return false;
    if (replaced)
        saveMaskUndo(slot, std::move(replaced), record);
    else if (record && undoMngr)
        undoMngr->RecordMaskChanged(slot, selectEvent::invert); // inverts itself back
    selectionEdited(slot);
    return true;
}

bool TPaper::insertMask(int32_t slot, bool record)
{
    slot = slotOf(slot);
    if (slot < 0 || slot > masks->Count())
        return false;
    if (record)
        recordSelect(selectEvent::insert, slot);
    const int32_t before = masks->CurrentIndex();
    if (masks->InsertEmpty(slot) < 0)
        return false;
    masks->SetCurrent(slot);
    if (record && undoMngr)
        undoMngr->RecordMaskInserted(kUndoMaskInsertedBySerial, slot, before, slot);
    selectionEdited(slot);
    return true;
}

bool TPaper::duplicateMask(int32_t slot, bool record)
{
    slot = slotOf(slot);
    if (!hasMaskAt(slot))
        return false;
    if (record)
        recordSelect(selectEvent::duplicate, slot);
    const int32_t before = masks->CurrentIndex();
    if (masks->Duplicate(slot) < 0)
        return false;
    masks->SetCurrent(slot);
    if (record && undoMngr)
        undoMngr->RecordMaskInserted(kUndoMaskInsertedBySerial, slot, before, slot);
    selectionEdited(slot);
    return true;
}

bool TPaper::removeMask(int32_t slot, bool record)
{
    slot = slotOf(slot);
    if (!hasMaskAt(slot) || masks->Count() < 2)
        return false;
    if (record)
        recordSelect(selectEvent::remove, slot);
    const int32_t before = masks->CurrentIndex();
    const int32_t serial = masks->Mask(slot)->serial;
    std::unique_ptr<CMaskData> removed = masks->Remove(slot);
    if (!removed)
        return false;
    if (record && undoMngr)
        undoMngr->RecordMaskRemoved(slot, serial, std::move(removed), before,
                                    masks->CurrentIndex());
    selectionEdited(masks->CurrentIndex());
    return true;
}

bool TPaper::setCurrentMask(int32_t slot, bool record)
{
    const int32_t before = masks->CurrentIndex();
    if (!hasMaskAt(slot) || slot == before)
        return false;
    if (record)
        recordSelect(selectEvent::setCurrent, slot);
    masks->SetCurrent(slot);
    if (record && undoMngr)
        undoMngr->RecordMaskCurrent(before, slot);
    selectionEdited(slot);
    return true;
}

bool TPaper::cropMaskToPaper(int32_t slot, bool record)
{
    slot = slotOf(slot);
    if (!selectionAt(slot) || masks->Mask(slot)->insidePaper(width, height))
        return false;
    if (record)
        recordSelect(selectEvent::cropToPaper, slot);
    std::unique_ptr<CMaskData> replaced;
    if (!masks->CropToPaper(slot, replaced))
        return false;
    saveMaskUndo(slot, std::move(replaced), record);
    selectionEdited(slot);
    return true;
}

bool TPaper::moveMask(int32_t from, int32_t to, bool record)
{
    if (!hasMaskAt(from) || !hasMaskAt(to) || from == to)
        return false;
    if (record)
        recordSelect(selectEvent::move, from, to);
    if (masks->Move(to, from) < 0)
        return false;
    if (record && undoMngr)
        undoMngr->RecordMaskMoved(from, to);
    selectionEdited(to);
    return true;
}

bool TPaper::setMaskPosition(int32_t slot, TPoint topLeft, bool record)
{
    slot = slotOf(slot);
    const CMaskData* mask = masks->Mask(slot);
    if (!mask || !mask->IsValid() || std::abs(topLeft.x) > kMaxLayerOffset ||
        std::abs(topLeft.y) > kMaxLayerOffset)
        return false;
    const int32_t dx = topLeft.x + mask->offsetX, dy = topLeft.y + mask->offsetY;
    if (dx == 0 && dy == 0)
        return false;
    if (record)
        recordSelect(selectEvent::position, slot, topLeft.x, topLeft.y);
    masks->offset(slot, dx, dy);
    if (record && undoMngr)
        undoMngr->RecordMaskOffset(slot, dx, dy);
    selectionEdited(slot);
    return true;
}

bool TPaper::combineMasks(int32_t dest, int32_t src, MaskCombine mode, bool record)
{
    dest = slotOf(dest);
    if (!hasMaskAt(dest) || !selectionAt(src) || mode > MaskCombine::Intersect)
        return false;
    if (!selectionAt(dest) && (mode == MaskCombine::Subtract || mode == MaskCombine::Intersect))
        return false;
    if (record)
        recordSelect(selectEvent::combine, dest, src, int32_t(mode));
    std::unique_ptr<CMaskData> replaced;
    if (!masks->Combine(dest, src, mode, replaced))
        return false;
    saveMaskUndo(dest, std::move(replaced), record);
    selectionEdited(dest);
    return true;
}

bool TPaper::growMask(int32_t slot, int n, bool grow, bool byDialog, bool record)
{
    slot = slotOf(slot);
    TRect content;
    if (!hasMaskAt(slot) || n < 1 || n > kMaxGrowShrink ||
        !masks->Mask(slot)->ContentBounds(content))
        return false;
    if (record) {
        if (byDialog)
            recordSelect(grow ? selectEvent::grow : selectEvent::shrink, slot, n);
        else
            recordSelect(selectEvent::growByOne, slot, grow ? 1 : 0, n);
    }
    std::unique_ptr<CMaskData> replaced;
    if (!(grow ? masks->Grow(slot, n, replaced) : masks->Shrink(slot, n, replaced)))
        return false;
    saveMaskUndo(slot, std::move(replaced), record);
    selectionEdited(slot);
    return true;
}

bool TPaper::renameMask(int32_t slot, const std::string& name, bool record)
{
    slot = slotOf(slot);
    if (!hasMaskAt(slot) || name.size() > kMaxLayerNameBytes ||
        name.find('\0') != std::string::npos || masks->Mask(slot)->name == name)
        return false;
    if (record && recording())
        eventMngr->recordMaskName(slot, name);
    const std::string old = masks->Mask(slot)->name;
    masks->setName(slot, name);
    if (record && undoMngr)
        undoMngr->RecordMaskName(slot, old, name);
    window.selectionChanged();
    setModified(true);
    return true;
}

bool TPaper::setSelectionFlag(uint8_t TPaper::*flag, uint8_t sub, bool on, bool record)
{
    if (this->*flag == uint8_t(on))
        return false;
    if (record)
        recordSelect(sub, slotOf(-1), on ? 1 : 0);
    if (record && undoMngr)
        undoMngr->RecordSelectionFlags(selectionShown, selectionActive);
    this->*flag = on ? 1 : 0;
    window.selectionChanged();
    setModified(true);
    return true;
}

bool TPaper::setSelectionShown(bool on, bool record)
{
    return setSelectionFlag(&TPaper::selectionShown, selectEvent::shown, on, record);
}

bool TPaper::setSelectionActive(bool on, bool record)
{
    return setSelectionFlag(&TPaper::selectionActive, selectEvent::active, on, record);
}

// ---- shapes ----

bool TPaper::selectFiller(int32_t slot, const CFillMngr& filler, MaskCombine mode,
                          const std::function<void()>& recordEvent, bool record)
{
    const CLayerData* layer = currentLayer();
    if (!hasMaskAt(slot) || !layer || !layer->image() || !filler.IsValid() ||
        mode > MaskCombine::Intersect)
        return false;
    // The shape is drawn in the layer's image and becomes a channel of the part it covers.
    TRect rect;
    if (!intersectRect(filler.Bounds(), {0, 0, layer->imageWidth(), layer->imageHeight()}, rect))
        return false;
    TChannel channel;
    try {
        channel.Resize(rect.width(), rect.height());
    } catch (const std::bad_alloc&) {
        messages().showMessage(kLayerCreateFailed);
        return false;
    }
    if (!channel.IsValid())
        return false;
    TCroppedChannelSink sink(channel, {rect.left, rect.top});
    filler.Render(layer->imageWidth(), layer->imageHeight(), sink);
    if (!sink.drawn)
        return false;
    if (!selectionAt(slot) && (mode == MaskCombine::Subtract || mode == MaskCombine::Intersect))
        return false;
    if (record && recording())
        recordEvent();
    return applySelection(slot, channel, moved(rect, -layer->offsetX, -layer->offsetY),
                          layerFrame(*layer), mode, record);
}

bool TPaper::selectShape(TFillShape kind, const TSelectShape& shape, bool record)
{
    const CLayerData* layer = currentLayer();
    if (!layer)
        return false;
    TSelectShape chosen = shape;
    chosen.slot = int16_t(slotOf(shape.slot));
    chosen.layer = int16_t(currentLayerIndex());
    // Layer position = paper position + offset.
    const TPointF p1{float(shape.first.x + layer->offsetX), float(shape.first.y + layer->offsetY)};
    const TPointF p2{float(shape.second.x + layer->offsetX),
                     float(shape.second.y + layer->offsetY)};
    const std::unique_ptr<CFillMngr> filler = shapeFiller(kind, p1, p2);
    if (!filler)
        return false;
    const uint8_t sub = kind == TFillShape::ellipse ? selectEvent::ellipse : selectEvent::rectangle;
    return selectFiller(chosen.slot, *filler, shape.mode,
                        [&] { eventMngr->recordSelectShape(sub, chosen); }, record);
}

bool TPaper::selectPolygon(int32_t slot, std::span<const TPointF> points, MaskCombine mode,
                           bool record)
{
    const CLayerData* layer = currentLayer();
    if (!layer || points.size() < 3 || points.size() > 65535)
        return false;
    slot = slotOf(slot);
    std::vector<TPointF> inLayer(points.begin(), points.end());
    for (TPointF& p : inLayer)
        p = {p.x + float(layer->offsetX), p.y + float(layer->offsetY)};
    CPolygonFiller filler;
    if (!filler.SetPolygon(inLayer))
        return false;
    return selectFiller(
        slot, filler, mode,
        [&] { eventMngr->recordSelectLasso(currentLayerIndex(), slot, mode, points); }, record);
}

// ---- masks and layers ----

bool TPaper::maskFromLayer(int32_t index, bool brightness, bool record)
{
    const CLayerData* layer = layers->Get(index);
    if (!layer || !layer->image())
        return false;
    auto mask = std::make_unique<CMaskData>();
    const bool made = brightness ? mask->FromLayerBrightness(*layer, true, messages())
                                 : mask->FromLayerAlpha(*layer, messages());
    if (!made)
        return false;
    const int32_t before = masks->CurrentIndex();
    const int32_t at = before + 1;
    if (record)
        recordSelect(selectEvent::fromLayer, before, brightness ? 1 : 0, index);
    if (masks->InsertMask(at, std::move(mask)) < 0)
        return false;
    masks->SetCurrent(at);
    if (record && undoMngr)
        undoMngr->RecordMaskInserted(kUndoMaskInsertedBySerial, at, before, at);
    selectionActive = 1;
    selectionShown = 1;
    selectionEdited(at);
    return true;
}

bool TPaper::changeLayerAlpha(TFlowImage& flow, int32_t index, int undoKind,
                              const std::function<void()>& recordEvent,
                              const std::function<bool(CLayerData&)>& change, bool record)
{
    CLayerData* layer = layers->Get(index);
    if (!layer || !layer->image())
        return false;
    if (record) {
        if (recording())
            recordEvent();
        saveUndoRect(index, toRect(layer->image()->bounds()), undoKind);
    }
    if (!change(*layer))
        return false;
    layer->UpdateThumbnail();
    if (index != currentLayerIndex())
        setCurrentLayer(flow, index);
    if (flow.holds(*layer, index))
        flow.reload(*layer, layer->image()->bounds());
    updateAll();
    window.layersChanged();
    setModified(true);
    return true;
}

bool TPaper::copySelectionToLayerMask(TFlowImage& flow, int32_t index, bool record)
{
    const int32_t slot = slotOf(-1);
    const CMaskData* mask = masks->Mask(slot);
    if (!mask)
        return false;
    return changeLayerAlpha(
        flow, index, kUndoAlphaPlane, [&] { recordSelect(selectEvent::toLayerMask, slot, 0, 0, index); },
        [mask](CLayerData& layer) { return mask->ToLayerAlpha(layer); }, record);
}

bool TPaper::fillLayerMask(TFlowImage& flow, int32_t index, uint8_t value, bool record)
{
    return changeLayerAlpha(
        flow, index, kUndoAlphaPlane,
        [&] { eventMngr->recordLayerEvent(layerMaskEvent::fill, index, value); },
        [value](CLayerData& layer) {
            return layer.image()->SetAlpha(layer.image()->bounds(), value);
        },
        record);
}

bool TPaper::negateLayerMask(TFlowImage& flow, int32_t index, bool record)
{
    return changeLayerAlpha(
        flow, index, kUndoInvertAlpha,
        [&] { eventMngr->recordLayerEvent(layerMaskEvent::negate, index); },
        [](CLayerData& layer) { return layer.image()->Xor(layer.image()->bounds(), 0xFF000000u); },
        record);
}

bool TPaper::layerFromSelection(TFlowImage& flow, int32_t index, bool split, bool record)
{
    const int32_t slot = slotOf(-1);
    CLayerData* source = layers->Get(index);
    const CMaskData* mask = masks->Mask(slot);
    if (!source || !source->image() || !mask || !mask->IsValid() || !layers->CanAdd())
        return false;
    // Everything is made before anything is recorded: running out of memory changes nothing.
    std::unique_ptr<CLayerData> made;
    TAlphaPlane oldAlpha;
    try {
        made = CLayerData::make(index + 1, clock().milliseconds(), nullptr);
        if (!made->CloneFrom(*source) || !maskToAlpha(*made, *mask) ||
            !source->image()->CopyAlphaOut(source->image()->bounds(), oldAlpha))
            made.reset();
    } catch (const std::bad_alloc&) {
        made.reset();
    }
    if (!made) {
        if (record)
            messages().showMessage(kLayerCreateFailed);
        return false;
    }
    if (record) {
        if (split)
            recordSelect(selectEvent::splitLayer, slot, 1, 0, index);
        else
            recordSelect(selectEvent::newLayer, slot, 0, 0, index);
    }
    const int32_t at = layers->InsertExisting(index + 1, std::move(made));
    if (at < 0)
        return false;
    layers->NameNew(at, 1);
    if (split)
        eraseByMask(*source, *mask, 0);
    if (record && undoMngr)
        undoMngr->RecordLayerFromSelection(at, *layers->Get(at), *source, std::move(oldAlpha));
    layers->Get(at)->UpdateThumbnail();
    setCurrentLayer(flow, at);
    updateAll();
    window.layersChanged();
    setModified(true);
    return true;
}

// ---- colour range ----

bool TPaper::colourRangeChannel(const TColourRangeChoice& choice, TChannel& channel, TRect& rect,
                                TColorMaskResult& counts)
{
    const CLayerData* layer = currentLayer();
    if (!layer || !layer->image() || choice.picks.empty() || !hasMaskAt(choice.slot))
        return false;
    const CMaskData* current = masks->Mask(choice.slot);
    try {
        if (choice.fromView) {
            CBlockVMTC view(width, height);
            const TMTC shown = picture();
            view.ImportFrom(shown, {0, 0}, 255, shown.bounds());
            counts = CColorMask::build(view, choice.picks, current,
                                       {current->offsetX, current->offsetY}, channel);
            rect = {0, 0, width, height};
        } else {
            counts = CColorMask::build(*layer->image(), choice.picks, current,
                                       {current->offsetX - layer->offsetX,
                                        current->offsetY - layer->offsetY},
                                       channel);
            rect = layerFrame(*layer);
        }
    } catch (const std::bad_alloc&) {
        messages().showMessage(kLayerCreateFailed);
        return false;
    }
    return counts.above1 > 0 && channel.IsValid();
}

bool TPaper::colourRange(const TColourRangeChoice& choice, bool record)
{
    TChannel channel;
    TRect rect;
    TColorMaskResult counts;
    if (!colourRangeChannel(choice, channel, rect, counts))
        return false;
    TChannelEventHead head;
    head.layer = int16_t(currentLayerIndex());
    head.value = int16_t(choice.slot);
    head.rect = rect;
    if (record && recording())
        eventMngr->recordColourRange(choice, head, channel);
    return applySelection(choice.slot, channel, rect, rect, MaskCombine::Replace, record);
}

} // namespace qm

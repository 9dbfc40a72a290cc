// The Layer and Edit menus' operations on the layer stack: named layers, merges, visibility of
// all layers, the transforms of every visible layer, cutting along the selection and placing
// pictures. Each goes through the edit cycle: everything that can fail is made first, then the
// event is recorded, undo saved, the stack changed and the display refreshed.
#include "paper/paper.h"

#include "core/image_ops.h"
#include "layers/blend_mode_table.h"
#include "layers/composite.h"
#include "layers/layer_merge.h"
#include "layers/merge_modes.h"
#include "select/layer_mask_ops.h"
#include "undo/layer_history.h"
#include "undo/undo_kinds.h"

#include <algorithm>
#include <new>

namespace qm {

TPoint canvasAnchorOffset(int32_t anchor, int32_t oldWidth, int32_t oldHeight, int32_t newWidth,
                          int32_t newHeight)
{
    if (anchor < 0 || anchor > 8) anchor = 0;
    const int32_t dx = newWidth - oldWidth, dy = newHeight - oldHeight;
    // Columns left, centre, right; within each, rows top, middle, bottom. C++ division
    // truncates towards zero, as the halves of a shrinking canvas need.
    const int32_t column = anchor / 3, row = anchor % 3;
    return {column == 0 ? 0 : column == 1 ? dx / 2 : dx, row == 0 ? 0 : row == 1 ? dy / 2 : dy};
}

void TPaper::stackChanged(TFlowImage& flow, int32_t current)
{
    setCurrentLayer(flow, layers->IsIndex(current) ? current : layers->current());
    updateAll();
    window.layersChanged();
    setModified(true);
}

// ---- new layers ----

int32_t TPaper::createNamedLayer(TFlowImage& flow, const TNewLayerChoice& choice, bool record)
{
    const int32_t at = createLayer(flow, choice.index, choice.width, choice.height, choice.visible,
                                   choice.opacity, choice.mode, false);
    if (at < 0) {
        if (record) messages().showMessage(kLayerCreateFailed);
        return -1;
    }
    CLayerData& layer = *layers->Get(at);
    if (!choice.name.empty()) {
        // A named layer uses no number: undo and replay then agree on the next default name.
        layer.name = choice.name.substr(0, kMaxLayerNameBytes);
        layers->setNameCounter(layers->nameCounter() - 1);
    }
    if (choice.neutralFill) layer.SetAlphaAll(255);
    layer.visible = choice.visible ? 1 : 0;
    // Recorded after the layer exists, with the name as it was kept (none for a default
    // name, which the replay gives the layer itself).
    if (record) {
        if (recording()) {
            TNewLayerChoice made = choice;
            if (!choice.name.empty()) made.name = layer.name;
            eventMngr->recordNewNamedLayer(made);
        }
        if (undoMngr) undoMngr->RecordInserted(kUndoNewLayer, at, layer);
    }
    layer.UpdateThumbnail();
    stackChanged(flow, at);
    return at;
}

// ---- merges ----

bool TPaper::mergeDown(TFlowImage& flow, int32_t i, int kind, bool record)
{
    CLayerData* upper = layers->Get(i);
    CLayerData* lower = layers->Get(i - 1);
    if (!upper || !lower || !upper->image() || !lower->image() || kind < 0 || kind > 2)
        return false;
    if (flow.holds(*upper, i)) flow.reload(*upper, upper->image()->bounds());
    const auto recordMerge = [&] {
        if (!record || !recording()) return;
        if (kind == 0)
            eventMngr->recordLayerEvent(layerStackEvent::mergeDown, i);
        else
            eventMngr->recordLayerValues(layerStackEvent::mergeDownKind, i, kind, 0, 0);
    };
    if (!isCurrentEngine()) {
        // The old engine draws the upper layer straight into the lower one.
        recordMerge();
        if (record) saveUndoRect(i - 1, toRect(lower->image()->bounds()), kUndoClearLayer);
        if (!LegacyMergeDown(*upper, *lower->image())) {
            messages().showMessage(kLayerCreateFailed);
            return false;
        }
        layers->Delete(i);
        layers->Get(i - 1)->UpdateThumbnail();
        stackChanged(flow, i - 1);
        return true;
    }
    // The merged layer is made in place of the lower one; the old lower layer is kept for undo.
    std::unique_ptr<CLayerData> oldLower;
    bool merged = false;
    try {
        merged = MergeLayers(*layers, i - 1, i, kind, &oldLower);
    } catch (const std::bad_alloc&) {
        merged = false;
    }
    if (!merged) {
        if (record) messages().showMessage(kLayerCreateFailed);
        return false;
    }
    recordMerge();
    std::unique_ptr<CLayerData> source = layers->ExtractAndFix(i);
    if (record && undoMngr)
        undoMngr->RecordMerged(i - 1, std::move(oldLower), i, std::move(source));
    stackChanged(flow, i - 1);
    return true;
}

bool TPaper::mergeAll(TFlowImage& flow, bool record)
{
    std::vector<int32_t> shown;
    for (int32_t i = 0; i < layers->Count(); ++i)
        if (layers->Get(i)->visible && layers->Get(i)->image()) shown.push_back(i);
    if (shown.empty()) return false;
    if (const CLayerData* current = currentLayer();
        current && flow.holds(*current, currentLayerIndex()))
        flow.reload(*layers->Get(currentLayerIndex()), current->image()->bounds());
    // The picture the visible layers make over the paper, drawn with each layer's stored blend
    // pattern so that a replay gives the same pixels.
    std::unique_ptr<CLayerData> flat;
    try {
        TMTC picture(width, height);
        fillAll(picture, paperColor | 0xFF000000u);
        for (int32_t i : shown) {
            const CLayerData& layer = *layers->Get(i);
            TBox box{layer.offsetX, layer.offsetY, width, height};
            if (!clipBoxToSize(box, layer.imageWidth(), layer.imageHeight())) continue;
            const TPoint at{box.x - layer.offsetX, box.y - layer.offsetY};
            if (isCurrentEngine())
                CompositeLayer(layer, picture, box, at, TPattern::Stored);
            else
                CompositeLayerLegacy(layer, picture, box, at);
        }
        std::unique_ptr<LayerUndo> history;
        if (!isCurrentEngine())
            history =
                std::make_unique<CLayerHistory>(kLayerUndoLimit, kLayerRedoLimit, &messages());
        flat = CLayerData::make(shown.front(), clock().milliseconds(), std::move(history));
        if (!flat->CreateImage(width, height, uint8_t(BlendMode::Normal)) ||
            !flat->image()->ImportFrom(picture, {0, 0}, 255, picture.bounds()) ||
            !flat->SizeThumbnail(layers->thumbWidth(), layers->thumbHeight()))
            flat.reset();
    } catch (const std::bad_alloc&) {
        flat.reset();
    }
    if (!flat) {
        if (record) messages().showMessage(kMergeAllFailed);
        return false;
    }
    flat->name = layers->Get(shown.front())->name;
    flat->image()->Optimize();
    if (record && recording()) eventMngr->recordPaperOperation(paperEvent::mergeAll);
    std::vector<std::pair<int32_t, std::unique_ptr<CLayerData>>> removed;
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
        removed.emplace_back(*it, layers->Extract(*it));
    const int32_t newId = flat->id;
    const int32_t at = layers->InsertExisting(shown.front(), std::move(flat));
    layers->Get(at)->UpdateThumbnail();
    if (record && undoMngr) undoMngr->RecordGathered(std::move(removed), {newId});
    stackChanged(flow, at);
    return true;
}

// ---- visibility of all layers ----

bool TPaper::changeVisibility(TFlowImage& flow, uint8_t sub, int32_t layer, bool record)
{
    const std::vector<uint8_t> before = layers->SaveVisibility();
    if (before.empty() || (sub == paperEvent::showOnly && !layers->IsIndex(layer))) return false;
    std::vector<uint8_t> after = before;
    for (size_t i = 0; i < after.size(); ++i) {
        switch (sub) {
        case paperEvent::showAll:
            after[i] = layer != 0 ? 1 : 0;
            break;
        case paperEvent::showOnly:
            after[i] = int32_t(i) == layer ? 1 : 0;
            break;
        default:
            after[i] = before[i] ? 0 : 1;
            break;
        }
    }
    if (after == before) return false;
    if (record) {
        if (recording()) eventMngr->recordPaperOperation(sub, layer, 0);
        const int kind = sub == paperEvent::showAll    ? kUndoShowAll
                         : sub == paperEvent::showOnly ? kUndoShowOnly
                                                       : kUndoInvertVisibility;
        if (undoMngr) undoMngr->RecordVisibility(kind, before);
    }
    for (size_t i = 0; i < after.size(); ++i)
        layers->Get(int32_t(i))->visible = after[i];
    layerEditDone(true);
    (void)flow;
    return true;
}

bool TPaper::setAllVisible(TFlowImage& flow, bool visible, bool record)
{
    return changeVisibility(flow, paperEvent::showAll, visible ? 1 : 0, record);
}

bool TPaper::showOnlyLayer(TFlowImage& flow, int32_t i, bool record)
{
    return changeVisibility(flow, paperEvent::showOnly, i, record);
}

bool TPaper::invertVisibility(TFlowImage& flow, bool record)
{
    return changeVisibility(flow, paperEvent::invertVisibility, 0, record);
}

// ---- every visible layer ----

bool TPaper::transformVisible(TFlowImage& flow, TLayerCommand command, bool record)
{
    int kind = 0;
    uint8_t sub = 0;
    switch (command) {
    case TLayerCommand::flipLeftRight:
        kind = kUndoFlipHVisible, sub = paperEvent::flipVisibleLeftRight;
        break;
    case TLayerCommand::flipTopBottom:
        kind = kUndoFlipVVisible, sub = paperEvent::flipVisibleTopBottom;
        break;
    case TLayerCommand::negate:
        kind = kUndoInvertVisible, sub = paperEvent::negateVisible;
        break;
    case TLayerCommand::halfTurn:
        kind = kUndoRotate180Visible, sub = paperEvent::halfTurnVisible;
        break;
    }
    if (kind == 0 || layers->VisibleCount() == 0) return false;
    if (const CLayerData* current = currentLayer();
        current && flow.holds(*current, currentLayerIndex()))
        flow.reload(*layers->Get(currentLayerIndex()), current->image()->bounds());
    if (record) {
        if (recording()) eventMngr->recordPaperOperation(sub);
        if (undoMngr && currentLayer() && currentLayer()->image())
            undoMngr->Record(*currentLayer(), currentLayer()->image()->bounds(), kind);
    }
    for (int32_t i = 0; i < layers->Count(); ++i) {
        CLayerData& layer = *layers->Get(i);
        if (!layer.visible || !layer.image()) continue;
        if (!applyLayerCommand(layer, command)) messages().showMessage(kLayerCommandFailed);
        layer.UpdateThumbnail();
    }
    stackChanged(flow, currentLayerIndex());
    return true;
}

// ---- cutting along the selection ----

bool TPaper::cutOutside(TFlowImage& flow, int32_t i, int32_t slot, bool record)
{
    slot = slotOf(slot);
    CLayerData* layer = layers->Get(i);
    if (!layer || !layer->image() || !selectionAt(slot)) return false;
    if (flow.holds(*layer, i)) flow.reload(*layer, layer->image()->bounds());
    std::unique_ptr<CLayerData> cut;
    try {
        cut = LayerFromMask(*layer, *masks->Mask(slot));
    } catch (const std::bad_alloc&) {
        cut.reset();
    }
    if (!cut) {
        if (record) messages().showMessage(kOutOfMemoryMessage);
        return false;
    }
    if (record && recording()) eventMngr->recordLayerEvent(layerStackEvent::cutOutside, i, slot);
    std::unique_ptr<CLayerData> old = layers->Replace(i, std::move(cut));
    if (record && undoMngr) undoMngr->RecordReplaced(kUndoTransformLayer, std::move(old));
    old.reset();
    layers->Get(i)->UpdateThumbnail();
    stackChanged(flow, i);
    return true;
}

bool TPaper::cutSelection(TFlowImage& flow, int32_t i, int32_t slot, bool record)
{
    slot = slotOf(slot);
    CLayerData* layer = layers->Get(i);
    if (!layer || !layer->image() || !selectionAt(slot) || !selectionActive) return false;
    if (flow.holds(*layer, i)) flow.reload(*layer, layer->image()->bounds());
    if (record) {
        if (recording()) eventMngr->recordLayerEvent(layerStackEvent::cut, i, slot);
        saveUndoRect(i, toRect(layer->image()->bounds()), kUndoAlphaPlane);
    }
    // What stays behind is what a layer made from the same selection would leave uncovered.
    eraseByMask(*layer, *masks->Mask(slot), 0);
    layer->image()->Optimize();
    layer->UpdateThumbnail();
    stackChanged(flow, i);
    return true;
}

// ---- moving a layer with its selection ----

bool TPaper::moveLayerWithSelection(TFlowImage& flow, int32_t i, int32_t slot, int32_t dx,
                                    int32_t dy, bool record)
{
    slot = slotOf(slot);
    CLayerData* layer = layers->Get(i);
    const auto inRange = [](int64_t v) { return v >= -kMaxLayerOffset && v <= kMaxLayerOffset; };
    if (!layer || !selectionAt(slot) || (dx == 0 && dy == 0) ||
        !inRange(int64_t(layer->offsetX) + dx) || !inRange(int64_t(layer->offsetY) + dy))
        return false;
    if (record && recording()) eventMngr->recordLayerMoveWithMask(i, slot, dx, dy);
    // The offset grows as the picture moves left and up; the mask moves with the picture.
    layer->offsetX += dx;
    layer->offsetY += dy;
    masks->offset(slot, -dx, -dy);
    if (record && undoMngr) undoMngr->RecordOffsetWithMask(*layer, dx, dy, masks->serialAt(slot));
    layer->UpdateThumbnail();
    if (flow.holds(*layer, i)) flow.takeLazily(*layer, i, width, height);
    selectionEdited(slot);
    layerEditDone(true);
    return true;
}

// ---- copying ----

bool TPaper::copyPicture(int32_t i, bool wholeLayer, TImagePlacement& out) const
{
    const CLayerData* layer = layers->Get(i);
    if (!layer || !layer->image())
        return false;
    const TRect image = layer->ImageRectOnPaper();
    TRect part = wholeLayer ? image : TRect{0, 0, width, height};
    const CMaskData* mask = wholeLayer || !selectionActive ? nullptr : masks->CurrentMask();
    TRect selected;
    if (mask && mask->IsValid() && mask->ContentBounds(selected))
        part = selected;
    else
        mask = nullptr;
    if (!intersectRect(part, image, part))
        return false;
    try {
        // The selected part keeps the layer's alpha weighted by the coverage.
        std::unique_ptr<CLayerData> cut;
        const CLayerData* source = layer;
        if (mask) {
            cut = CLayerData::make(i, 0);
            if (!cut->CloneFrom(*layer) || !maskToAlpha(*cut, *mask))
                return false;
            source = cut.get();
        }
        if (!out.image.Resize(part.width(), part.height()))
            return false;
        const TBox box{part.left + layer->offsetX, part.top + layer->offsetY, part.width(),
                       part.height()};
        if (!source->image()->ExportTo(out.image, {0, 0}, false, 255, box))
            return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    out.layer = i;
    out.at = {part.left, part.top};
    out.name = layer->name;
    return true;
}

// ---- placing pictures ----

bool TPaper::placeImage(TFlowImage& flow, uint8_t sub, const TImagePlacement& placement,
                        bool record)
{
    const TMTC& picture = placement.image;
    if (!picture.IsValid() || picture.width() <= 0 || picture.height() <= 0 ||
        std::abs(placement.at.x) > kMaxLayerOffset || std::abs(placement.at.y) > kMaxLayerOffset)
        return false;
    const TRect onPaper{placement.at.x, placement.at.y, placement.at.x + picture.width(),
                        placement.at.y + picture.height()};
    if (sub == placeEvent::newLayer) {
        if (!layers->CanAdd()) return false;
        // The new layer covers the paper and the whole picture.
        const TRect frame = unionRect(onPaper, {0, 0, width, height});
        std::unique_ptr<CLayerData> made;
        try {
            std::unique_ptr<LayerUndo> history;
            if (!isCurrentEngine())
                history =
                    std::make_unique<CLayerHistory>(kLayerUndoLimit, kLayerRedoLimit, &messages());
            made = CLayerData::make(placement.layer, clock().milliseconds(), std::move(history));
            if (!made->CreateImage(frame.width(), frame.height(), uint8_t(BlendMode::Normal)) ||
                !made->image()->ImportFrom(picture,
                                           {onPaper.left - frame.left, onPaper.top - frame.top},
                                           255, picture.bounds()) ||
                !made->SizeThumbnail(layers->thumbWidth(), layers->thumbHeight()))
                made.reset();
        } catch (const std::bad_alloc&) {
            made.reset();
        }
        if (!made) {
            if (record) messages().showMessage(kLayerCreateFailed);
            return false;
        }
        made->offsetX = -frame.left;
        made->offsetY = -frame.top;
        made->paperWidth = width;
        made->paperHeight = height;
        made->image()->Optimize();
        if (record && recording()) eventMngr->recordImagePlacement(sub, placement);
        const int32_t at = layers->InsertExisting(placement.layer, std::move(made));
        if (at < 0) return false;
        if (placement.name.empty())
            layers->NameNew(at, 1);
        else
            layers->Get(at)->name = placement.name.substr(0, kMaxLayerNameBytes);
        if (const auto& a = placement.attributes) {
            CLayerData& pasted = *layers->Get(at);
            pasted.mode = std::min(a->mode, kLastPlacedMode);
            pasted.opacity = a->opacity;
            pasted.visible = a->visible;
            pasted.protectAlpha = a->protectAlpha ? 1 : 0;
        }
        if (record && undoMngr) undoMngr->RecordInserted(kUndoPasteLayer, at, *layers->Get(at));
        layers->Get(at)->UpdateThumbnail();
        stackChanged(flow, at);
        return true;
    }
    if (sub != placeEvent::intoLayer) return false;
    CLayerData* layer = layers->Get(placement.layer);
    if (!layer || !layer->image()) return false;
    // Laid over the layer's pixels like a normal layer, within the layer's image.
    TBox target{onPaper.left + layer->offsetX, onPaper.top + layer->offsetY, picture.width(),
                picture.height()};
    TBox source{0, 0, picture.width(), picture.height()};
    if (!clipBoxToSize(target, layer->imageWidth(), layer->imageHeight())) return false;
    source.x = target.x - (onPaper.left + layer->offsetX);
    source.y = target.y - (onPaper.top + layer->offsetY);
    source.width = target.width, source.height = target.height;
    if (flow.holds(*layer, placement.layer)) flow.reload(*layer, layer->image()->bounds());
    std::unique_ptr<CBlockVMTC> pasted;
    try {
        pasted = std::make_unique<CBlockVMTC>(target.width, target.height);
        if (!pasted->ImportFrom(picture, {0, 0}, 255, source)) return false;
    } catch (const std::bad_alloc&) {
        if (record) messages().showMessage(kOutOfMemoryMessage);
        return false;
    }
    if (record) {
        if (recording()) eventMngr->recordImagePlacement(sub, placement);
        // Pasting over a layer can be taken back like any other painting.
        saveUndoRect(placement.layer, toRect(target), 0);
    }
    layer->image()->Merge(*pasted, {target.x, target.y}, pasted->bounds(), true,
                          [](uint32_t* dest, const uint32_t* src, int32_t count) {
                              for (int32_t k = 0; k < count; ++k)
                                  dest[k] = normalOver(dest[k], src[k], 255);
                          });
    layer->image()->Optimize();
    layer->UpdateThumbnail();
    if (flow.holds(*layer, placement.layer)) flow.reload(*layer, layer->image()->bounds());
    stackChanged(flow, placement.layer);
    return true;
}

} // namespace qm

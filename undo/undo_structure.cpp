// Records of the layer structure: layers taken out and put back, moved, merged, replaced,
// their visibility as a whole, whole-paper transforms and whole layer lists.
#include "undo/undo_mngr_ex.h"

#include <algorithm>

namespace qm {

namespace {

TBox wholeImage(const CLayerData* layer)
{
    return layer && layer->image() ? layer->image()->bounds() : TBox{};
}

// Takes the layer with this ID out of the list into `kept`; false when it is not there.
bool takeOut(CLayerMngr& layers, int32_t id, std::unique_ptr<CLayerData>& kept)
{
    const int32_t index = layers.IndexOfId(id);
    if (index < 0)
        return false;
    kept = layers.ExtractAndFix(index);
    return kept != nullptr;
}

// Puts a kept layer back at its index; the record lets go of it only when that worked.
bool putBack(CLayerMngr& layers, int32_t index, std::unique_ptr<CLayerData>& kept)
{
    return kept && layers.InsertExisting(index, std::move(kept)) >= 0;
}

// The whole-paper transforms that are not their own inverse: the two quarter turns.
int32_t inverseTransform(int32_t operation)
{
    constexpr int32_t clockwise = 4, counterClockwise = 5;
    return operation == clockwise ? counterClockwise
                                  : operation == counterClockwise ? clockwise : operation;
}

} // namespace

bool CUndoMngrEx::RecordInserted(int kind, int32_t index, const CLayerData& layer)
{
    if (kind != kUndoNewLayer && kind != kUndoDuplicateLayer && kind != kUndoPasteLayer)
        return false;
    auto record = newRecord(kind, layer.id);
    if (!record)
        return false;
    record->aux = index;
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordDeleted(int32_t index, std::unique_ptr<CLayerData> removed)
{
    if (!removed)
        return false;
    auto record = newRecord(kUndoDeleteLayer, removed->id);
    if (!record)
        return false;
    record->aux = index;
    record->layer = std::move(removed);
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordMoved(int32_t from, int32_t to)
{
    return recordValues(kUndoMoveLayer, -1, from, to);
}

bool CUndoMngrEx::RecordMerged(int32_t targetIndex, std::unique_ptr<CLayerData> oldTarget,
                               int32_t sourceIndex, std::unique_ptr<CLayerData> source)
{
    if (!oldTarget || !source)
        return false;
    auto record = newRecord(kUndoMergeDown, oldTarget->id);
    if (!record)
        return false;
    record->p1 = targetIndex;
    record->p2 = sourceIndex;
    record->p3 = source->id;
    record->layer = std::move(oldTarget);
    record->layer2 = std::move(source);
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordGathered(
    std::vector<std::pair<int32_t, std::unique_ptr<CLayerData>>> removed,
    std::vector<int32_t> addedIds)
{
    auto record = newRecord(kUndoMergeAll, -1);
    if (!record)
        return false;
    std::sort(removed.begin(), removed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    record->keptLayers = std::move(removed);
    record->otherIds = std::move(addedIds);
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordReplaced(int kind, std::unique_ptr<CLayerData> old, int32_t maskSerial,
                                 int32_t dx, int32_t dy)
{
    if (!old || (kind != kUndoReplaceLayer && kind != kUndoReplaceLayerWithMask &&
                 kind != kUndoTransformLayer))
        return false;
    auto record = newRecord(kind, old->id);
    if (!record)
        return false;
    record->layer = std::move(old);
    record->p1 = dx;
    record->p2 = dy;
    record->p3 = maskSerial;
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordLayerFromSelection(int32_t newIndex, const CLayerData& newLayer,
                                           const CLayerData& source, TAlphaPlane oldAlpha)
{
    auto record = newRecord(kUndoLayerFromSelection, source.id);
    if (!record || oldAlpha.width != source.imageWidth() ||
        oldAlpha.height != source.imageHeight())
        return false;
    record->p1 = newIndex;
    record->p2 = newLayer.id;
    record->w = oldAlpha.width;
    record->h = oldAlpha.height;
    record->buffer = std::move(oldAlpha.bytes);
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordVisibility(int kind, std::vector<uint8_t> oldVisibility)
{
    if (kind != kUndoShowOnly && kind != kUndoShowAll && kind != kUndoInvertVisibility)
        return false;
    auto record = newRecord(kind, -1);
    if (!record)
        return false;
    record->buffer = std::move(oldVisibility);
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordPaperTransform(int32_t operation, int32_t width, int32_t height)
{
    auto record = newRecord(kUndoPaperTransform, -1);
    if (!record)
        return false;
    record->aux = operation;
    record->w = width;
    record->h = height;
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordLayerList(int kind, std::unique_ptr<CLayerMngr> oldList,
                                  int32_t oldWidth, int32_t oldHeight, int32_t viewDx,
                                  int32_t viewDy, std::unique_ptr<UndoMaskList> oldMasks)
{
    if (!oldList || (kind != kUndoCanvasSize && kind != kUndoResample && kind != kUndoCrop))
        return false;
    auto record = newRecord(kind, -1);
    if (!record)
        return false;
    record->layerList = std::move(oldList);
    record->maskList = std::move(oldMasks);
    record->w = oldWidth;
    record->h = oldHeight;
    record->p3 = viewDx;
    record->p4 = viewDy;
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::applyStructure(bool undo, CUndoData& record, int32_t& layerIndex, TBox& changed)
{
    if (!layers_)
        return false;
    CLayerMngr& layers = *layers_;
    changed = {};
    switch (record.kind) {
    case kUndoNewLayer:
    case kUndoDuplicateLayer:
    case kUndoPasteLayer:
    case kUndoDeleteLayer: {
        // Inserted: undo takes it out, redo puts it back; deleted is the reverse.
        const bool takeAway = undo == (record.kind != kUndoDeleteLayer);
        if (takeAway) {
            if (!takeOut(layers, record.layerId, record.layer))
                return false;
            layerIndex = layers.current();
            // An undone new layer gives its number back, as a replay never made it.
            if ((record.kind == kUndoNewLayer || record.kind == kUndoPasteLayer) &&
                record.layer->name == layers.DefaultName(0))
                layers.setNameCounter(layers.nameCounter() - 1);
            return true;
        }
        if ((record.kind == kUndoNewLayer || record.kind == kUndoPasteLayer) && record.layer &&
            record.layer->name == layers.DefaultName(1))
            layers.setNameCounter(layers.nameCounter() + 1);
        if (!putBack(layers, record.aux, record.layer))
            return false;
        layerIndex = layers.IndexOfId(record.layerId);
        changed = wholeImage(layers.Get(layerIndex));
        return true;
    }
    case kUndoMoveLayer:
        if (layers.Move(record.p1, record.p2) < 0)
            return false;
        layerIndex = record.p1;
        std::swap(record.p1, record.p2);
        return true;
    case kUndoMergeDown: {
        // The record holds the pair that is out of the list: the old target and the source
        // before an undo, the merged layer (and no source) after it.
        if (record.layer2) {
            std::unique_ptr<CLayerData> merged = layers.Replace(record.p1, std::move(record.layer));
            if (!merged)
                return false;
            record.layer = std::move(merged);
            if (!putBack(layers, record.p2, record.layer2))
                return false;
        } else {
            if (!takeOut(layers, record.p3, record.layer2))
                return false;
            std::unique_ptr<CLayerData> target = layers.Replace(record.p1, std::move(record.layer));
            if (!target)
                return false;
            record.layer = std::move(target);
        }
        layerIndex = record.p1;
        changed = wholeImage(layers.Get(record.p1));
        return true;
    }
    case kUndoMergeAll: {
        // Exchange the kept layers with those that took their place.
        std::vector<std::pair<int32_t, std::unique_ptr<CLayerData>>> out;
        std::vector<int32_t> outIndices;
        for (int32_t id : record.otherIds)
            outIndices.push_back(layers.IndexOfId(id));
        if (std::count(outIndices.begin(), outIndices.end(), -1) > 0)
            return false;
        std::vector<size_t> order(outIndices.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return outIndices[a] > outIndices[b]; });
        for (size_t i : order)
            out.emplace_back(outIndices[i], layers.Extract(outIndices[i]));
        std::vector<int32_t> keptIds;
        for (auto& [index, kept] : record.keptLayers) {
            keptIds.push_back(kept->id);
            if (layers.InsertExisting(index, std::move(kept)) < 0)
                return false;
        }
        std::sort(out.begin(), out.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        record.keptLayers = std::move(out);
        record.otherIds = std::move(keptIds);
        layers.ClampCurrent();
        layers.Renumber();
        layerIndex = layers.current();
        return true;
    }
    case kUndoReplaceLayer:
    case kUndoReplaceLayerWithMask:
    case kUndoTransformLayer: {
        const int32_t index = layers.IndexOfId(record.layerId);
        if (index < 0 || !record.layer)
            return false;
        std::unique_ptr<CLayerData> other = layers.Replace(index, std::move(record.layer));
        if (!other)
            return false;
        record.layer = std::move(other);
        if (record.kind == kUndoReplaceLayerWithMask && masks_) {
            const int32_t maskIndex = masks_->indexOfSerial(record.p3);
            const int32_t sign = undo ? -1 : 1;
            if (maskIndex >= 0)
                masks_->offset(maskIndex, sign * record.p1, sign * record.p2);
        }
        layerIndex = index;
        changed = wholeImage(layers.Get(index));
        return true;
    }
    case kUndoLayerFromSelection: {
        const int32_t sourceIndex = layers.IndexOfId(record.layerId);
        CLayerData* source = layers.Get(sourceIndex);
        if (!source || !source->image())
            return false;
        if (undo ? !takeOut(layers, record.p2, record.layer)
                 : !putBack(layers, record.p1, record.layer))
            return false;
        TAlphaPlane plane{record.w, record.h, std::move(record.buffer)};
        const bool swapped = source->image()->SwapAlpha(plane);
        record.buffer = std::move(plane.bytes);
        if (!swapped)
            return false;
        source->UpdateThumbnail();
        layerIndex = layers.IndexOfId(record.layerId);
        changed = wholeImage(source);
        return true;
    }
    case kUndoShowOnly:
    case kUndoShowAll:
    case kUndoInvertVisibility:
        if (int32_t(record.buffer.size()) != layers.Count())
            return false;
        for (int32_t i = 0; i < layers.Count(); ++i) {
            CLayerData& layer = *layers.Get(i);
            std::swap(layer.visible, record.buffer[size_t(i)]);
        }
        layerIndex = layers.current();
        return true;
    case kUndoPaperTransform:
        if (!paper_)
            return false;
        // The record keeps the operation as it was done; undo asks for its inverse.
        paper_->toggleTransform(undo ? inverseTransform(record.aux) : record.aux);
        std::swap(record.w, record.h);
        layerIndex = layers.current();
        return true;
    case kUndoCanvasSize:
    case kUndoResample:
    case kUndoCrop: {
        if (!paper_ || !record.layerList)
            return false;
        const TPoint size = paper_->paperSize();
        record.layerList = paper_->swapLayerList(std::move(record.layerList));
        if (record.kind == kUndoResample && record.maskList)
            record.maskList = paper_->swapMaskList(std::move(record.maskList));
        paper_->setPaperSize(record.w, record.h);
        record.w = size.x;
        record.h = size.y;
        if (record.kind != kUndoResample) {
            const int32_t sign = undo ? -1 : 1;
            paper_->shiftView(sign * record.p3, sign * record.p4);
        }
        layers_ = &paper_->layerList();
        layerIndex = layers_->current();
        return true;
    }
    default:
        return false;
    }
}

} // namespace qm

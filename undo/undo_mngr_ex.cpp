#include "undo/undo_mngr_ex.h"

#include <algorithm>
#include <new>

namespace qm {

CUndoMngrEx::CUndoMngrEx(UndoPaper* paper, int32_t extraRecords, int32_t undoLimit,
                         int32_t redoLimit, CLayerMngr* layers, UndoMaskTarget* masks,
                         MessageSink* messages)
    : CUndoMngr(undoLimit, std::min(redoLimit, std::max(undoLimit, 0)), true, messages),
      paper_(paper), layers_(layers), masks_(masks), extraRecords_(std::max(extraRecords, 0))
{
}

int32_t CUndoMngrEx::Trim()
{
    int32_t removed = 0;
    while (undoLimit_ + extraRecords_ < undo_.count()) {
        undo_.removeOldest();
        ++removed;
    }
    return removed;
}

CLayerMngr* CUndoMngrEx::SetLayerManager(CLayerMngr* layers)
{
    return std::exchange(layers_, layers);
}

bool CUndoMngrEx::SetLimits(int32_t undo, int32_t redo)
{
    if (undo <= 0) {
        // Light records could otherwise stay with nothing to push them out; with no steps
        // allowed, nothing is kept.
        const bool changed = undoLimit_ != 0 || redoLimit_ != 0;
        undoLimit_ = redoLimit_ = 0;
        ClearAll();
        return changed;
    }
    redo = std::clamp(redo, 0, undo);
    const bool changed = undo != undoLimit_ || redo != redoLimit_;
    undoLimit_ = undo;
    redoLimit_ = redo;
    while (undo_.heavyCount() > undoLimit_)
        undo_.removeOldest();
    Trim();
    while (redo_.heavyCount() > redoLimit_)
        redo_.removeOldest();
    return changed;
}

// ---- recording ----

std::unique_ptr<CUndoData> CUndoMngrEx::newRecord(int kind, int32_t layerId)
{
    if (!CanRecord() || undoClassOf(kind) == UndoClass::None)
        return nullptr;
    auto record = std::make_unique<CUndoData>();
    record->cls = undoClassOf(kind);
    record->kind = uint8_t(kind);
    record->layerId = layerId;
    record->valid = true;
    return record;
}

bool CUndoMngrEx::recordValues(int kind, int32_t layerId, int32_t p1, int32_t p2, int32_t p3,
                               int32_t p4)
{
    auto record = newRecord(kind, layerId);
    if (!record)
        return false;
    record->p1 = p1;
    record->p2 = p2;
    record->p3 = p3;
    record->p4 = p4;
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::pushRecord(std::unique_ptr<CUndoData> record)
{
    if (!record)
        return false;
    pushNewRecord(std::move(record));
    return true;
}

bool CUndoMngrEx::Record(const CLayerData& layer, TBox box, int kind)
{
    if (!CanRecord() || !layer.image())
        return false;
    switch (undoClassOf(kind)) {
    case UndoClass::Image:
        return RecordImage(layer.index, layer.id, kind, box, *layer.image());
    case UndoClass::AlphaPlane: {
        auto record = newRecord(kind, layer.id);
        TAlphaPlane plane;
        try {
            if (!layer.image()->CopyAlphaOut(box, plane))
                return false;
        } catch (const std::bad_alloc&) {
            messageSink().showMessage(kUndoOutOfMemoryMessage);
            return false;
        }
        clipBoxToSize(box, layer.imageWidth(), layer.imageHeight());
        record->x = box.x;
        record->y = box.y;
        record->w = box.width;
        record->h = box.height;
        record->buffer = std::move(plane.bytes);
        return pushRecord(std::move(record));
    }
    case UndoClass::SelfInverse: {
        auto record = newRecord(kind, layer.id);
        record->x = box.x;
        record->y = box.y;
        record->w = box.width;
        record->h = box.height;
        return pushRecord(std::move(record));
    }
    default:
        return false;
    }
}

bool CUndoMngrEx::RecordProperty(const CLayerData& layer, int32_t newValue, int kind)
{
    int32_t old = 0;
    switch (kind) {
    case kUndoOpacity: old = layer.opacity; break;
    case kUndoBlendOption: old = layer.blendNoise | layer.blendAmount << 8; break;
    case kUndoBlendMode: old = layer.mode; break;
    case kUndoVisibility: old = layer.visible; break;
    case kUndoProtectAlpha: old = layer.protectAlpha; break;
    default: return false;
    }
    return recordValues(kind, layer.id, old, newValue);
}

bool CUndoMngrEx::RecordPaperColour(uint32_t newColour)
{
    return paper_ && recordValues(kUndoPaperColour, -1, int32_t(paper_->paperColour()),
                                  int32_t(newColour));
}

bool CUndoMngrEx::RecordOffset(const CLayerData& layer)
{
    return recordValues(kUndoOffset, layer.id, layer.offsetX, layer.offsetY);
}

bool CUndoMngrEx::RecordOffsetWithMask(const CLayerData& layer, int32_t dx, int32_t dy,
                                       int32_t maskSerial)
{
    return recordValues(kUndoOffsetWithMask, layer.id, dx, dy, maskSerial);
}

bool CUndoMngrEx::RecordName(const CLayerData& layer, const std::string& newName)
{
    auto record = newRecord(kUndoName, layer.id);
    if (!record)
        return false;
    record->text1 = layer.name;
    record->text2 = newName;
    return pushRecord(std::move(record));
}

// ---- going back and forth ----

bool CUndoMngrEx::Undo(int32_t& layerIndex, CLayerData* layer, TBox& changed)
{
    return step(true, layerIndex, layer, changed);
}

bool CUndoMngrEx::Redo(int32_t& layerIndex, CLayerData* layer, TBox& changed)
{
    return step(false, layerIndex, layer, changed);
}

bool CUndoMngrEx::step(bool undo, int32_t& layerIndex, CLayerData* layer, TBox& changed)
{
    CUndoList& from = undo ? undo_ : redo_;
    CUndoData* record = from.newest();
    if (!record)
        return false;
    if (layer)
        layerIndex = layer->index;
    switch (record->cls) {
    case UndoClass::Image:
        return layer && layer->image() && stepImage(undo, *layer->image(), changed);
    case UndoClass::AlphaPlane:
        return layer && layer->image() && stepAlpha(undo, *layer, changed);
    default:
        break;
    }
    // The other classes move the same record to the other list; a failing one is dropped.
    std::unique_ptr<CUndoData> taken = from.takeNewest();
    bool ok = false;
    switch (taken->cls) {
    case UndoClass::SelfInverse:
        ok = applySelfInverse(*taken, layer);
        changed = taken->box();
        break;
    case UndoClass::Property:
        ok = applyProperty(undo, *taken, layer, changed);
        break;
    case UndoClass::Structure:
        ok = applyStructure(undo, *taken, layerIndex, changed);
        break;
    case UndoClass::Mask:
        ok = applyMask(undo, *taken);
        break;
    default:
        break;
    }
    if (!ok)
        return false;
    taken->done = !taken->done;
    pushOther(undo, std::move(taken));
    return true;
}

bool CUndoMngrEx::stepAlpha(bool undo, CLayerData& layer, TBox& changed)
{
    CUndoList& from = undo ? undo_ : redo_;
    CUndoData& record = *from.newest();
    CBlockVMTC& image = *layer.image();
    auto counter = std::make_unique<CUndoData>();
    TAlphaPlane current;
    try {
        if (!image.CopyAlphaOut(record.box(), current))
            return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    counter->cls = UndoClass::AlphaPlane;
    counter->kind = record.kind;
    counter->layerId = record.layerId;
    counter->x = record.x;
    counter->y = record.y;
    counter->w = record.w;
    counter->h = record.h;
    counter->valid = true;
    counter->buffer = std::move(current.bytes);
    std::unique_ptr<CUndoData> taken = from.takeNewest();
    if (!image.WriteAlpha(taken->box(), TAlphaPlane{taken->w, taken->h, std::move(taken->buffer)}))
        return false;
    changed = taken->box();
    pushOther(undo, std::move(counter));
    return true;
}

namespace {

// The flips and the half turn also mirror where the paper lies inside the image.
void mirrorOffsets(CLayerData& layer, bool horizontally, bool vertically)
{
    if (horizontally)
        layer.offsetX = layer.imageWidth() - layer.offsetX - layer.paperWidth;
    if (vertically)
        layer.offsetY = layer.imageHeight() - layer.offsetY - layer.paperHeight;
}

bool applyToLayer(CLayerData& layer, int operation, TBox box)
{
    CBlockVMTC& image = *layer.image();
    switch (operation) {
    case kUndoFlipH:
        mirrorOffsets(layer, true, false);
        return image.FlipHorizontal(box);
    case kUndoFlipV:
        mirrorOffsets(layer, false, true);
        return image.FlipVertical(box);
    case kUndoInvertColours:
        return image.Xor(box, 0x00FFFFFFu);
    case kUndoRotate180:
        mirrorOffsets(layer, true, true);
        return image.Rotate180(box);
    case kUndoInvertAlpha:
        return image.Xor(box, 0xFF000000u);
    default:
        return false;
    }
}

} // namespace

bool CUndoMngrEx::applySelfInverse(const CUndoData& record, CLayerData* layer)
{
    if (record.kind <= kUndoInvertAlpha)
        return layer && layer->image() && applyToLayer(*layer, record.kind, record.box());
    if (!layers_)
        return false;
    // 12-15: the same as 7-10 on every visible layer, whole images.
    const int operation = record.kind - (kUndoFlipHVisible - kUndoFlipH);
    for (int32_t i = 0; i < layers_->Count(); ++i) {
        CLayerData& each = *layers_->Get(i);
        if (!each.visible || !each.image())
            continue;
        applyToLayer(each, operation, each.image()->bounds());
        each.UpdateThumbnail();
    }
    return true;
}

bool CUndoMngrEx::applyProperty(bool undo, CUndoData& record, CLayerData* layer, TBox& changed)
{
    if (record.kind == kUndoPaperColour) {
        if (!paper_)
            return false;
        paper_->setPaperColour(uint32_t(record.p1));
        std::swap(record.p1, record.p2);
        changed = {};
        return true;
    }
    if (!layer)
        return false;
    switch (record.kind) {
    case kUndoOpacity: layer->opacity = uint8_t(record.p1); break;
    case kUndoBlendOption:
        layer->blendNoise = (record.p1 & 0xFF) != 0;
        layer->blendAmount = uint8_t(record.p1 >> 8);
        break;
    case kUndoBlendMode: layer->mode = uint8_t(record.p1); break;
    case kUndoVisibility: layer->visible = record.p1 != 0; break;
    case kUndoProtectAlpha: layer->protectAlpha = record.p1 != 0; break;
    case kUndoName:
        layer->name = record.text1;
        std::swap(record.text1, record.text2);
        break;
    case kUndoOffset: {
        const int32_t x = layer->offsetX, y = layer->offsetY;
        layer->offsetX = record.p1;
        layer->offsetY = record.p2;
        record.p1 = x;
        record.p2 = y;
        break;
    }
    case kUndoOffsetWithMask: {
        if (layer->id != record.layerId || !masks_)
            return false;
        const int32_t maskIndex = masks_->indexOfSerial(record.p3);
        if (maskIndex < 0)
            return false;
        // The record was made after the move: undo takes the delta back, redo applies it.
        // The delta is the layer offset's; a mask's position moves the other way round
        // (a mask moved right by d has its offset lowered by d), so it gets the negated delta
        // to follow the layer across the paper.
        const int32_t sign = undo ? -1 : 1;
        layer->offsetX += sign * record.p1;
        layer->offsetY += sign * record.p2;
        masks_->offset(maskIndex, -sign * record.p1, -sign * record.p2);
        break;
    }
    default:
        return false;
    }
    if (record.kind != kUndoName && record.kind != kUndoOffset &&
        record.kind != kUndoOffsetWithMask)
        std::swap(record.p1, record.p2);
    changed = layer->image() ? layer->image()->bounds() : TBox{};
    return true;
}

} // namespace qm

// The layer window's edits: a layer's attributes, name and offset, duplication and the order
// of the stack. Each goes through the edit cycle: the event, the undo record, the change, the
// refresh.
#include "paper/paper.h"

#include "layers/blend_mode_table.h"
#include "undo/layer_history.h"
#include "undo/undo_kinds.h"

#include <new>

namespace qm {

void TPaper::layerEditDone(bool recomposite)
{
    if (recomposite)
        updateAll();
    setModified(true);
    window.layersChanged();
}

bool TPaper::setLayerByte(int32_t i, uint8_t CLayerData::*field, uint8_t value,
                          TLayerAttribute attribute, int undoKind, bool record)
{
    CLayerData* layer = layers->Get(i);
    if (!layer || layer->*field == value)
        return false;
    if (record) {
        if (recording())
            eventMngr->recordLayerAttribute(i, attribute, value);
        if (undoMngr)
            undoMngr->RecordProperty(*layer, value, undoKind);
    }
    layer->*field = value;
    return true;
}

bool TPaper::setLayerOpacity(TFlowImage& /*flow*/, int32_t i, uint8_t opacity, bool record)
{
    if (!setLayerByte(i, &CLayerData::opacity, opacity, TLayerAttribute::opacity, kUndoOpacity,
                      record))
        return false;
    layerEditDone(true);
    return true;
}

bool TPaper::setLayerMode(TFlowImage& /*flow*/, int32_t i, uint8_t mode, bool record)
{
    if (!modeInfo(mode & 0x7F) ||
        !setLayerByte(i, &CLayerData::mode, mode, TLayerAttribute::mode, kUndoBlendMode, record))
        return false;
    layerEditDone(true);
    return true;
}

bool TPaper::setLayerVisible(TFlowImage& /*flow*/, int32_t i, bool visible, bool record)
{
    if (!setLayerByte(i, &CLayerData::visible, visible ? 1 : 0, TLayerAttribute::visible,
                      kUndoVisibility, record))
        return false;
    layerEditDone(true);
    return true;
}

bool TPaper::setLayerProtectAlpha(TFlowImage& /*flow*/, int32_t i, bool on, bool record)
{
    if (!setLayerByte(i, &CLayerData::protectAlpha, on ? 1 : 0, TLayerAttribute::protectAlpha,
                      kUndoProtectAlpha, record))
        return false;
    // The pen shows the current layer's choice; nothing on the paper looks different.
    if (i == layers->current() && services_.liveStroke)
        services_.liveStroke->setKeepAlpha(on);
    layerEditDone(false);
    return true;
}

bool TPaper::setLayerBlendOption(TFlowImage& /*flow*/, int32_t i, bool noise, uint8_t amount,
                                 bool record)
{
    CLayerData* layer = layers->Get(i);
    if (!layer || ((layer->blendNoise != 0) == noise && layer->blendAmount == amount))
        return false;
    if (record) {
        if (recording())
            eventMngr->recordLayerBlendOption(i, noise, amount);
        if (undoMngr)
            undoMngr->RecordProperty(*layer, (noise ? 1 : 0) | amount << 8, kUndoBlendOption);
    }
    layer->blendNoise = noise ? 1 : 0;
    layer->blendAmount = amount;
    layerEditDone(true);
    return true;
}

bool TPaper::renameLayer(int32_t i, const std::string& name, bool record)
{
    CLayerData* layer = layers->Get(i);
    // A zero byte would end the name early in the recording and the paper file.
    if (!layer || layer->name == name || name.size() > kMaxLayerNameBytes ||
        name.find('\0') != std::string::npos)
        return false;
    if (record) {
        if (recording())
            eventMngr->recordLayerName(i, name);
        if (undoMngr)
            undoMngr->RecordName(*layer, name);
    }
    layer->name = name;
    layerEditDone(false);
    return true;
}

bool TPaper::setLayerOffset(TFlowImage& flow, int32_t i, int32_t x, int32_t y, bool record)
{
    CLayerData* layer = layers->Get(i);
    const auto inRange = [](int32_t v) { return v >= -kMaxLayerOffset && v <= kMaxLayerOffset; };
    if (!layer || (layer->offsetX == x && layer->offsetY == y) || !inRange(x) || !inRange(y))
        return false;
    if (record) {
        // Recorded as the move it makes, like the move tool's drag.
        if (recording())
            eventMngr->recordLayerOffset(i, x - layer->offsetX, y - layer->offsetY);
        if (undoMngr)
            undoMngr->RecordOffset(*layer);
    }
    layer->offsetX = x;
    layer->offsetY = y;
    layer->UpdateThumbnail();
    if (flow.holds(*layer, i))
        flow.takeLazily(*layer, i, width, height); // only its offset changes
    layerEditDone(true);
    return true;
}

bool TPaper::duplicateLayer(TFlowImage& flow, int32_t i, bool record)
{
    const CLayerData* original = layers->Get(i);
    if (!original || !original->image() || !layers->CanAdd())
        return false;
    // The copy is made before anything is recorded: running out of memory changes nothing.
    std::unique_ptr<CLayerData> copy;
    try {
        std::unique_ptr<LayerUndo> history;
        if (!isCurrentEngine())
            history =
                std::make_unique<CLayerHistory>(kLayerUndoLimit, kLayerRedoLimit, &messages());
        copy = CLayerData::make(i + 1, clock().milliseconds(), std::move(history));
        if (!copy->CloneFrom(*original))
            copy.reset();
    } catch (const std::bad_alloc&) {
        copy.reset();
    }
    if (!copy) {
        if (record)
            messages().showMessage(kLayerCreateFailed);
        return false;
    }
    if (record && recording())
        eventMngr->recordLayerEvent(3, i); // the duplicate event
    const int32_t at = layers->InsertExisting(i + 1, std::move(copy));
    if (at < 0) {
        if (record)
            messages().showMessage(kLayerCreateFailed);
        return false;
    }
    if (record && undoMngr)
        undoMngr->RecordInserted(kUndoDuplicateLayer, at, *layers->Get(at));
    setCurrentLayer(flow, at); // tells the layer window
    updateAll();
    setModified(true);
    return true;
}

bool TPaper::moveLayer(TFlowImage& flow, int32_t from, int32_t to, bool record)
{
    if (!layers->IsIndex(from) || !layers->IsIndex(to) || from == to)
        return false;
    if (record && recording())
        eventMngr->recordLayerMove(from, to);
    layers->Move(to, from);
    if (record && undoMngr)
        undoMngr->RecordMoved(from, to);
    setCurrentLayer(flow, to); // tells the layer window
    updateAll();
    setModified(true);
    return true;
}

} // namespace qm

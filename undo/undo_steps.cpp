#include "undo/undo_steps.h"

namespace qm {

namespace {

bool oneStep(bool isUndo, CLayerMngr& layers, CUndoMngrEx& undo, int32_t& layerIndex,
             uint16_t& flags, TRect& changed)
{
    CUndoData* record = isUndo ? undo.PeekUndo() : undo.PeekRedo();
    if (!record)
        return false;
    flags = record->flags();
    layerIndex = layers.IndexOfId(record->layerId);
    CLayerData* layer = layers.Get(layerIndex);
    const bool needsLayer = record->cls != UndoClass::Structure && record->cls != UndoClass::Mask &&
                            record->kind != kUndoPaperColour && record->layerId >= 0 &&
                            !(record->kind >= kUndoFlipHVisible && record->kind <= kUndoRotate180Visible);
    if (needsLayer && !layer) {
        isUndo ? undo.DiscardUndo() : undo.DiscardRedo();
        return false;
    }
    TBox box{};
    const bool ok = isUndo ? undo.Undo(layerIndex, layer, box) : undo.Redo(layerIndex, layer, box);
    if (!ok) {
        if (isUndo) {
            undo.messageSink().showMessage(kUndoFailedMessage);
            undo.ClearAll();
        }
        return false;
    }
    changed = toRect(box);
    return true;
}

} // namespace

bool undoStep(CLayerMngr& layers, CUndoMngrEx& undo, int32_t& layerIndex, uint16_t& flags,
              TRect& changed)
{
    return oneStep(true, layers, undo, layerIndex, flags, changed);
}

bool redoStep(CLayerMngr& layers, CUndoMngrEx& undo, int32_t& layerIndex, uint16_t& flags,
              TRect& changed)
{
    return oneStep(false, layers, undo, layerIndex, flags, changed);
}

} // namespace qm

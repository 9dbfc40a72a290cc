// Undo and redo of the paper, kept in step with the event record, and the refresh each step
// asks for through its refresh word.
#include "paper/paper.h"

#include "undo/undo_kinds.h"
#include "undo/undo_steps.h"

namespace qm {

namespace {

// The refresh word: low byte L, high byte H.
constexpr uint16_t kLowLayerWindow = 0x01;   // L0: the layer window shows the change
constexpr uint16_t kLowWholePaper = 0x02;    // L1: everything changed
constexpr uint16_t kLowResetSize = 0x04;     // L2: with L1, the paper size too
constexpr uint16_t kLowWholeLayer = 0x08;    // L3: the whole current layer
constexpr uint16_t kLowRedrawLayers = 0x40;  // L6
constexpr uint16_t kLowSelection = 0x80;     // L7
constexpr uint16_t kHighOutline = 0x01;      // H0: rebuild the mask outline
constexpr uint16_t kHighKeepCurrent = 0x02;  // H1
constexpr uint16_t kHighKeepFlow = 0x04;     // H2
constexpr uint16_t kHighWholeDisplay = 0x08; // H3
constexpr uint16_t kHighNoComposite = 0x10;  // H4

} // namespace

bool TPaper::canUndo(int32_t layerIndex) const
{
    if (undoMngr)
        return undoMngr->CanUndo();
    const CLayerData* layer = layers->Get(layerIndex);
    return layer && layer->canUndo();
}

bool TPaper::canRedo(int32_t layerIndex) const
{
    if (undoMngr)
        return undoMngr->CanRedo();
    const CLayerData* layer = layers->Get(layerIndex);
    return layer && layer->canRedo();
}

bool TPaper::stepLegacyUndo(bool isUndo, int32_t& layerIndex, TRect& rect)
{
    layerIndex = layers->current();
    CLayerData* layer = layers->Get(layerIndex);
    TBox changed;
    if (!layer || !(isUndo ? layer->undo(changed) : layer->redo(changed)))
        return false;
    rect = toRect(changed);
    return true;
}

bool TPaper::undo(TFlowImage& flow, int32_t& layerIndex, TRect& rect)
{
    if (!canUndo(currentLayerIndex()))
        return false;
    TWaitCursor wait(window);
    if (recording() && undoMngr && eventMngr->undoCount() < undoMngr->UndoCount()) {
        messages().showMessage(kEventStateRepaired);
        undoMngr->Trim();
        if (eventMngr->undoCount() < undoMngr->UndoCount())
            messages().showMessage(kEventRecordProblem);
    }
    uint16_t word = kLowLayerWindow;
    const int kind = undoMngr && undoMngr->PeekUndo() ? undoMngr->PeekUndo()->kind : -1;
    const bool done = undoMngr ? undoStep(*layers, *undoMngr, layerIndex, word, rect)
                               : stepLegacyUndo(true, layerIndex, rect);
    if (!done)
        return false;
    if (recording() && !eventMngr->recordUndo())
        messages().showMessage(kUndoEventFailed);
    refreshAfterUndoStep(flow, kind, layerIndex, rect, word);
    return true;
}

bool TPaper::redo(TFlowImage& flow, int32_t& layerIndex, TRect& rect)
{
    if (!canRedo(currentLayerIndex()))
        return false;
    TWaitCursor wait(window);
    if (recording() && undoMngr && eventMngr->redoCount() < undoMngr->RedoCount())
        messages().showMessage(kEventRecordProblem);
    uint16_t word = kLowLayerWindow;
    const int kind = undoMngr && undoMngr->PeekRedo() ? undoMngr->PeekRedo()->kind : -1;
    const bool done = undoMngr ? redoStep(*layers, *undoMngr, layerIndex, word, rect)
                               : stepLegacyUndo(false, layerIndex, rect);
    if (!done)
        return false;
    if (recording() && !eventMngr->recordRedo())
        messages().showMessage(kRedoEventFailed);
    refreshAfterUndoStep(flow, kind, layerIndex, rect, word);
    return true;
}

void TPaper::clearUndo()
{
    if (undoMngr)
        undoMngr->ClearAll();
    if (recording())
        eventMngr->clearUndo();
}

void TPaper::saveUndoRect(int32_t layerIndex, const TRect& rect, int kind)
{
    CLayerData* layer = layers->Get(layerIndex);
    if (!layer)
        return;
    if (undoMngr)
        undoMngr->Record(*layer, toBox(rect), kind);
    else
        layer->recordUndo(toBox(rect));
}

void TPaper::refreshAfterUndoStep(TFlowImage& flow, int kind, int32_t layerIndex, TRect rect,
                                  uint16_t word)
{
    // A layer that moves, comes back, goes or shows changes the picture outside the rectangle
    // the step reports (where it was, or what it covered), as do the steps of every visible
    // layer: the whole display is recomposited.
    const bool reshuffles = kind == kUndoOffset ||
                            (kind >= kUndoFlipHVisible && kind <= kUndoRotate180Visible) ||
                            (kind >= kUndoNewLayer && kind <= kUndoInvertVisibility);
    if (reshuffles)
        word |= uint16_t(kHighWholeDisplay << 8);
    // A mask step brings back another mask or list: the ants follow the current one.
    if (kind >= kUndoMaskInsertedBySerial && kind <= kUndoMaskName)
        masks->ShowAnts(masks->CurrentIndex());
    if (kind == kUndoOffset) {
        // The thumbnail shows the part of the image under the paper.
        if (CLayerData* layer = layers->Get(layerIndex))
            layer->UpdateThumbnail();
    }
    applyRefreshWord(flow, layerIndex, rect, word);
    // The pen follows the current layer's protect-alpha choice, whichever step changed it.
    if (services_.liveStroke && currentLayer())
        services_.liveStroke->setKeepAlpha(currentLayer()->protectAlpha != 0);
}

void TPaper::applyRefreshWord(TFlowImage& flow, int32_t layerIndex, TRect rect, uint16_t word)
{
    uint16_t low = word & 0xFF;
    const uint16_t high = word >> 8;
    if (low & kLowWholePaper) {
        refreshAll(flow, layerIndex, (low & kLowResetSize) != 0);
        if (high & kHighOutline) {
            invalidate(true);
            window.selectionChanged();
        }
        return;
    }
    if (layerIndex != layers->current() && !(high & kHighKeepCurrent))
        setCurrentLayer(flow, layerIndex);
    CLayerData* current = currentLayer();
    if ((low & kLowWholeLayer) && current && current->image())
        rect = toRect(current->image()->bounds());
    CLayerData* layer = layers->Get(layerIndex);
    if (layer && layerIndex == layers->current() && !(high & kHighKeepFlow) &&
        flow.holds(*layer, layerIndex))
        flow.reload(*layer, toBox(rect));
    if (low & kLowSelection) {
        if (high & kHighOutline)
            window.selectionChanged();
        if (low & kLowRedrawLayers)
            low &= uint16_t(~kLowSelection);
        else
            invalidate(true);
        window.selectionChanged();
    }
    if (!(low & kLowSelection)) {
        if (!(high & kHighNoComposite)) {
            if ((high & kHighWholeDisplay) || !layer) {
                updateAll();
            } else {
                const TRect onPaper{rect.left - layer->offsetX, rect.top - layer->offsetY,
                                    rect.right - layer->offsetX, rect.bottom - layer->offsetY};
                updateRect(flow, window.view(), onPaper, nullptr);
                refreshPreview(onPaper);
            }
            if (low & kLowLayerWindow)
                low |= kLowRedrawLayers;
        }
    }
    if (low & kLowRedrawLayers)
        window.layersChanged();
}

} // namespace qm

// The filters as edits of the paper: the source copy, the filter over the work rectangle
// (through the selection in effect), the event with the filter's number and parameters, and
// the undo step that brings the layer back.
#include "paper/paper.h"

#include "filters/filter_dispatch.h"
#include "undo/undo_kinds.h"

#include <new>

namespace qm {

bool TPaper::applyFilter(TFlowImage& flow, int32_t i, const TFilterParams& params, bool record,
                         const TMTC* first, const TMTC* second)
{
    CLayerData* layer = layers->Get(i);
    if (!layer || !layer->image()) return false;
    if (flow.holds(*layer, i)) flow.reload(*layer, layer->image()->bounds());
    const CMaskData* mask = selectionActive && hasSelection() ? masks->CurrentMask() : nullptr;
    std::unique_ptr<CBlockVMTC> source;
    try {
        source = std::make_unique<CBlockVMTC>(*layer->image());
    } catch (const std::bad_alloc&) {
        if (record) messages().showMessage(kOutOfMemoryMessage);
        return false;
    }
    bool done = false;
    try {
        done = qm::applyFilter(*source, *layer, mask, nullptr, params,
                               first && first->IsValid() ? first : nullptr,
                               second && second->IsValid() ? second : nullptr);
    } catch (const std::bad_alloc&) {
        done = false;
    }
    if (!done) {
        // Whatever the filter wrote goes back, and nothing is recorded.
        layer->SwapImage(std::move(source));
        if (record) messages().showMessage(kOutOfMemoryMessage);
        layer->UpdateThumbnail();
        updateAll();
        return false;
    }
    if (record) {
        if (recording()) {
            // Only the pictures the floor takes from files travel with it.
            const auto* floor = std::get_if<TFloorParams>(&params);
            eventMngr->recordFilter(uint8_t(filterNumberOf(params)),
                                    encodeFilterRecord({int16_t(i), 0, params}),
                                    floor && floor->ceilingFromFile ? first : nullptr,
                                    floor && floor->floorFromFile ? second : nullptr);
        }
        // The undo step keeps the layer as it was: the source copy is put back in for the
        // moment the snapshot is taken.
        std::unique_ptr<CBlockVMTC> filtered = layer->SwapImage(std::move(source));
        saveUndoRect(i, toRect(layer->image()->bounds()), kUndoFilter);
        layer->SwapImage(std::move(filtered));
    }
    layer->image()->Optimize();
    layer->UpdateThumbnail();
    if (flow.holds(*layer, i)) flow.reload(*layer, layer->image()->bounds());
    updateAll();
    refreshPreview({0, 0, width, height});
    setModified(true);
    return done;
}

} // namespace qm

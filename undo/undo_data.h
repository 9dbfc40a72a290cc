// One undo record: which layer and operation it concerns and what it needs to go back.
//
// A record owns an object (a layer, a layer list, a mask) exactly while that object is not
// part of the paper; the unique_ptrs below are set just then.
#pragma once

#include "core/block_vmtc.h"
#include "layers/layer_data.h"
#include "layers/layer_mngr.h"
#include "undo/undo_kinds.h"
#include "undo/undo_targets.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qm {

struct CUndoData {
    bool valid = false;
    bool done = false; // flipped by records that move between the lists unchanged
    int32_t x = 0, y = 0, w = 0, h = 0; // the box, in layer-image coordinates
    int32_t aux = 0;      // image records: the layer's index when recorded
    int32_t layerId = -1; // −1 for records about the whole list
    std::unique_ptr<CBlockVMTC> snapshot;
    UndoClass cls = UndoClass::None;
    uint8_t kind = 0;
    std::unique_ptr<CBlockVMTC> snapshot2;
    std::vector<uint8_t> buffer; // an alpha plane (w × h) or one byte per layer
    int32_t p1 = 0, p2 = 0, p3 = 0, p4 = 0;

    // Objects kept while they are out of the paper.
    std::unique_ptr<CLayerData> layer;
    std::unique_ptr<CLayerData> layer2;
    std::vector<std::pair<int32_t, std::unique_ptr<CLayerData>>> keptLayers; // index, layer
    std::vector<int32_t> otherIds; // the layers of the other set, in the paper meanwhile
    std::unique_ptr<CLayerMngr> layerList;
    std::unique_ptr<UndoMaskList> maskList;
    std::unique_ptr<UndoMaskObject> mask;
    const UndoMaskObject* maskIdentity = nullptr; // compared only, never used
    std::string text1, text2; // old and new names

    TBox box() const { return {x, y, w, h}; }
    uint16_t flags() const { return undoFlagsOf(kind); }
    // Heavy records hold image data and count against the step limit.
    bool heavy() const { return snapshot != nullptr || (flags() & kUndoHeavy) != 0; }
    int64_t memoryUsed() const;
    // A deep copy; nullptr when memory runs out.
    std::unique_ptr<CUndoData> clone() const;
};

// A deep copy of a layer, ID and all; nullptr when memory runs out.
std::unique_ptr<CLayerData> cloneLayer(const CLayerData& layer);

} // namespace qm

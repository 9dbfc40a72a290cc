// A layer's own undo history, kept by the legacy painting engine only (the paper's undo
// manager replaces it). The layer needs no more than this; the history keeps snapshots of
// boxes of the layer's image and puts them back.
#pragma once

#include "core/rect.h"

#include <cstdint>
#include <memory>

namespace qm {

class CBlockVMTC;

// Undo and redo depth of a layer's own history.
inline constexpr int32_t kLayerUndoLimit = 8;
inline constexpr int32_t kLayerRedoLimit = 8;

class LayerUndo {
  public:
    virtual ~LayerUndo() = default;

    // Keeps the box of the image (clipped to it) as it is now, before it is changed.
    virtual bool recordBox(const CBlockVMTC& image, TBox box) = 0;
    virtual bool recordAll(const CBlockVMTC& image) = 0;
    // Puts the last recorded state back (or the undone one again); `changed` is the box
    // of the image that was rewritten.
    virtual bool undo(CBlockVMTC& image, TBox& changed) = 0;
    virtual bool redo(CBlockVMTC& image, TBox& changed) = 0;
    virtual bool canUndo() const = 0;
    virtual bool canRedo() const = 0;
    virtual int64_t memoryUsed() const = 0;

    // The same limits and a deep copy of every record; nullptr when memory runs out.
    virtual std::unique_ptr<LayerUndo> clone() const = 0;
    // The same limits and no records, for a layer made from part of this one.
    virtual std::unique_ptr<LayerUndo> createEmpty() const = 0;
};

} // namespace qm

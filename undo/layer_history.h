// A layer's own undo history for the legacy painting engine: block snapshots of one image.
#pragma once

#include "layers/layer_undo.h"
#include "undo/undo_mngr.h"

namespace qm {

class CLayerHistory : public LayerUndo {
public:
    explicit CLayerHistory(int32_t undoLimit = kLayerUndoLimit,
                           int32_t redoLimit = kLayerRedoLimit, MessageSink* messages = nullptr)
        : undo_(undoLimit, redoLimit, messages)
    {
    }

    bool recordBox(const CBlockVMTC& image, TBox box) override
    {
        return clipBoxToSize(box, image.width(), image.height()) &&
               undo_.RecordImage(0, -1, kUndoStroke, box, image);
    }
    bool recordAll(const CBlockVMTC& image) override
    {
        return undo_.RecordImage(0, -1, kUndoClearLayer, image.bounds(), image);
    }
    bool undo(CBlockVMTC& image, TBox& changed) override { return undo_.UndoImage(image, changed); }
    bool redo(CBlockVMTC& image, TBox& changed) override { return undo_.RedoImage(image, changed); }
    bool canUndo() const override { return undo_.CanUndo(); }
    bool canRedo() const override { return undo_.CanRedo(); }
    int64_t memoryUsed() const override { return undo_.MemoryUsed(); }
    std::unique_ptr<LayerUndo> clone() const override
    {
        auto copy = std::make_unique<CLayerHistory>(undo_.undoLimit(), undo_.redoLimit(),
                                                    &undo_.messageSink());
        if (!copy->undo_.CopyFrom(undo_))
            return nullptr;
        return copy;
    }
    std::unique_ptr<LayerUndo> createEmpty() const override
    {
        return std::make_unique<CLayerHistory>(undo_.undoLimit(), undo_.redoLimit(),
                                               &undo_.messageSink());
    }

private:
    CUndoMngr undo_;
};

} // namespace qm

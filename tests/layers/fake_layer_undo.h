// A layer undo history that only remembers which boxes were recorded.
#pragma once

#include "core/block_vmtc.h"
#include "layers/layer_undo.h"

#include <memory>
#include <vector>

namespace qm::test {

class FakeLayerUndo : public LayerUndo {
  public:
    explicit FakeLayerUndo(int32_t limit = kLayerUndoLimit) : limit(limit) {}

    bool recordBox(const CBlockVMTC&, TBox box) override
    {
        records.push_back(box);
        return true;
    }
    bool recordAll(const CBlockVMTC& image) override { return recordBox(image, image.bounds()); }
    bool undo(CBlockVMTC&, TBox&) override { return false; }
    bool redo(CBlockVMTC&, TBox&) override { return false; }
    bool canUndo() const override { return !records.empty(); }
    bool canRedo() const override { return false; }
    int64_t memoryUsed() const override { return int64_t(records.size()) * 100; }
    std::unique_ptr<LayerUndo> clone() const override
    {
        return std::make_unique<FakeLayerUndo>(*this);
    }
    std::unique_ptr<LayerUndo> createEmpty() const override
    {
        return std::make_unique<FakeLayerUndo>(limit);
    }

    int32_t limit;
    std::vector<TBox> records;
};

} // namespace qm::test

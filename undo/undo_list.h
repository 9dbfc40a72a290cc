// A list of undo records, newest first.
#pragma once

#include "undo/undo_data.h"

#include <deque>
#include <memory>

namespace qm {

class CUndoList {
public:
    explicit CUndoList(bool countHeavyOnly) : countHeavyOnly_(countHeavyOnly) {}

    // Makes room, then puts the record in front. Without CountHeavyOnly the list holds at most
    // max(limit, 4) records; with it, the oldest records go while the heavy ones number at
    // least `limit`.
    void push(std::unique_ptr<CUndoData> record, int32_t limit);

    CUndoData* newest() const { return records_.empty() ? nullptr : records_.front().get(); }
    std::unique_ptr<CUndoData> takeNewest();
    void removeOldest();
    void clear() { records_.clear(); }

    int32_t count() const { return int32_t(records_.size()); }
    bool empty() const { return records_.empty(); }
    int32_t heavyCount() const;
    int64_t memoryUsed() const;
    bool countHeavyOnly() const { return countHeavyOnly_; }
    // Deep copies of the other list's records; false (this list unchanged) on failure.
    bool copyFrom(const CUndoList& other);

private:
    std::deque<std::unique_ptr<CUndoData>> records_;
    bool countHeavyOnly_;
};

} // namespace qm

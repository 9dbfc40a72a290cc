#include "undo/undo_list.h"

#include <algorithm>

namespace qm {

void CUndoList::push(std::unique_ptr<CUndoData> record, int32_t limit)
{
    if (countHeavyOnly_) {
        while (!records_.empty() && heavyCount() >= limit)
            removeOldest();
    } else {
        const int32_t capacity = std::max(limit, 4);
        while (!records_.empty() && count() >= capacity)
            removeOldest();
    }
    records_.push_front(std::move(record));
}

std::unique_ptr<CUndoData> CUndoList::takeNewest()
{
    if (records_.empty())
        return nullptr;
    std::unique_ptr<CUndoData> record = std::move(records_.front());
    records_.pop_front();
    return record;
}

void CUndoList::removeOldest()
{
    if (!records_.empty())
        records_.pop_back();
}

int32_t CUndoList::heavyCount() const
{
    return int32_t(std::count_if(records_.begin(), records_.end(),
                                 [](const auto& r) { return r->heavy(); }));
}

int64_t CUndoList::memoryUsed() const
{
    int64_t bytes = 0;
    for (const auto& r : records_)
        bytes += r->memoryUsed();
    return bytes;
}

bool CUndoList::copyFrom(const CUndoList& other)
{
    std::deque<std::unique_ptr<CUndoData>> copies;
    for (const auto& r : other.records_) {
        auto copy = r->clone();
        if (!copy)
            return false;
        copies.push_back(std::move(copy));
    }
    records_ = std::move(copies);
    countHeavyOnly_ = other.countHeavyOnly_;
    return true;
}

} // namespace qm

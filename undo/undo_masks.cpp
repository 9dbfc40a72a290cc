// Records of the selection masks. Masks are found by index and checked by serial number, so
// a record that no longer matches the list fails instead of changing the wrong mask.
#include "undo/undo_mngr_ex.h"

namespace qm {

bool CUndoMngrEx::RecordMaskInserted(int kind, int32_t index, int32_t oldCurrent,
                                     int32_t newCurrent)
{
    if (!masks_ || (kind != kUndoMaskInsertedBySerial && kind != kUndoMaskInserted))
        return false;
    auto record = newRecord(kind, -1);
    if (!record || masks_->serialAt(index) < 0)
        return false;
    record->p1 = index;
    record->p2 = masks_->serialAt(index);
    record->p3 = oldCurrent;
    record->p4 = newCurrent;
    record->maskIdentity = masks_->maskAt(index);
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordMaskRemoved(int32_t index, int32_t serial,
                                    std::unique_ptr<UndoMaskObject> mask, int32_t oldCurrent,
                                    int32_t newCurrent)
{
    if (!mask)
        return false;
    auto record = newRecord(kUndoMaskRemoved, -1);
    if (!record)
        return false;
    record->p1 = index;
    record->p2 = serial;
    record->p3 = newCurrent; // the current mask while the mask is out of the list
    record->p4 = oldCurrent;
    record->mask = std::move(mask);
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordMaskPut(int kind, int32_t index, std::unique_ptr<UndoMaskObject> old,
                                int32_t oldCurrent, int32_t newCurrent)
{
    if (!masks_ || !old || (kind != kUndoMaskPut && kind != kUndoMaskPutAndCurrent))
        return false;
    auto record = newRecord(kind, -1);
    if (!record)
        return false;
    record->p1 = index;
    record->p2 = masks_->serialAt(index);
    record->p3 = oldCurrent;
    record->p4 = newCurrent;
    record->mask = std::move(old);
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::RecordMaskCurrent(int32_t oldCurrent, int32_t newCurrent)
{
    return recordValues(kUndoMaskCurrent, -1, oldCurrent, newCurrent);
}

bool CUndoMngrEx::RecordMaskMoved(int32_t from, int32_t to)
{
    return recordValues(kUndoMaskMoved, -1, from, to);
}

bool CUndoMngrEx::RecordMaskChanged(int32_t index, int32_t operation)
{
    return masks_ && recordValues(kUndoMaskChanged, -1, index, masks_->serialAt(index), operation);
}

bool CUndoMngrEx::RecordMaskOffset(int32_t index, int32_t dx, int32_t dy)
{
    return masks_ && recordValues(kUndoMaskOffset, -1, index, masks_->serialAt(index), dx, dy);
}

bool CUndoMngrEx::RecordSelectionFlags(int32_t oldFirst, int32_t oldSecond)
{
    return recordValues(kUndoSelectionFlags, -1, oldFirst, oldSecond);
}

bool CUndoMngrEx::RecordMaskName(int32_t index, const std::string& oldName,
                                 const std::string& newName)
{
    if (!masks_)
        return false;
    auto record = newRecord(kUndoMaskName, -1);
    if (!record)
        return false;
    record->p1 = index;
    record->p2 = masks_->serialAt(index);
    record->text1 = oldName;
    record->text2 = newName;
    return pushRecord(std::move(record));
}

bool CUndoMngrEx::applyMask(bool undo, CUndoData& record)
{
    if (!masks_)
        return false;
    UndoMaskTarget& masks = *masks_;
    // The mask the record is about must still be the one at its index.
    const auto sameMask = [&] { return masks.serialAt(record.p1) == record.p2; };
    switch (record.kind) {
    case kUndoMaskInsertedBySerial:
    case kUndoMaskInserted:
    case kUndoMaskRemoved: {
        // p3 is the current mask while the mask is out of the list, p4 while it is in (−1:
        // as the list leaves it).
        const bool takeAway = undo == (record.kind != kUndoMaskRemoved);
        if (!takeAway) {
            if (!masks.insert(record.p1, record.mask) || record.mask)
                return false;
            if (record.p4 >= 0)
                masks.setCurrent(record.p4);
            return true;
        }
        if (!sameMask() ||
            (record.kind == kUndoMaskInserted && masks.maskAt(record.p1) != record.maskIdentity))
            return false;
        record.mask = masks.extract(record.p1);
        if (record.mask && record.p3 >= 0)
            masks.setCurrent(record.p3);
        return record.mask != nullptr;
    }
    case kUndoMaskPut:
    case kUndoMaskPutAndCurrent: {
        if (!sameMask())
            return false;
        std::unique_ptr<UndoMaskObject> other = masks.put(record.p1, record.mask);
        if (!other)
            return false;
        record.mask = std::move(other);
        record.p2 = masks.serialAt(record.p1);
        if (record.kind == kUndoMaskPutAndCurrent) {
            masks.setCurrent(record.p3);
            std::swap(record.p3, record.p4);
        }
        return true;
    }
    case kUndoMaskCurrent:
        masks.setCurrent(record.p1);
        std::swap(record.p1, record.p2);
        return true;
    case kUndoMaskMoved:
        if (!masks.move(record.p1, record.p2))
            return false;
        std::swap(record.p1, record.p2);
        return true;
    case kUndoMaskChanged:
        return sameMask() && masks.reapply(record.p1, record.p3);
    case kUndoMaskOffset: {
        if (!sameMask())
            return false;
        const int32_t sign = undo ? -1 : 1;
        return masks.offset(record.p1, sign * record.p3, sign * record.p4);
    }
    case kUndoSelectionFlags: {
        int32_t first = 0, second = 0;
        masks.selectionFlags(first, second);
        masks.setSelectionFlags(record.p1, record.p2);
        record.p1 = first;
        record.p2 = second;
        return true;
    }
    case kUndoMaskName:
        if (!sameMask() || !masks.setName(record.p1, record.text1))
            return false;
        std::swap(record.text1, record.text2);
        return true;
    default:
        return false;
    }
}

} // namespace qm

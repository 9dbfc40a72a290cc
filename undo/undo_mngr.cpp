#include "undo/undo_mngr.h"

#include <new>

namespace qm {

CUndoMngr::CUndoMngr(int32_t undoLimit, int32_t redoLimit, MessageSink* messages)
    : CUndoMngr(undoLimit, redoLimit, false, messages)
{
}

CUndoMngr::CUndoMngr(int32_t undoLimit, int32_t redoLimit, bool countHeavyOnly,
                     MessageSink* messages)
    : undoLimit_(std::max(undoLimit, 0)), redoLimit_(std::max(redoLimit, 0)),
      undo_(countHeavyOnly), redo_(countHeavyOnly), messages_(messages)
{
}

CUndoMngr::~CUndoMngr() = default;

int32_t CUndoMngr::Trim()
{
    int32_t removed = 0;
    while (undoLimit_ < undo_.count()) {
        undo_.removeOldest();
        ++removed;
    }
    return removed;
}

bool CUndoMngr::CopyFrom(const CUndoMngr& other)
{
    CUndoList undo(other.undo_.countHeavyOnly()), redo(other.redo_.countHeavyOnly());
    if (!undo.copyFrom(other.undo_) || !redo.copyFrom(other.redo_))
        return false;
    undoLimit_ = other.undoLimit_;
    redoLimit_ = other.redoLimit_;
    undo_ = std::move(undo);
    redo_ = std::move(redo);
    return true;
}

void CUndoMngr::PushUndo(std::unique_ptr<CUndoData> record)
{
    undo_.push(std::move(record), undoLimit_);
}

void CUndoMngr::PushRedo(std::unique_ptr<CUndoData> record)
{
    redo_.push(std::move(record), redoLimit_);
}

void CUndoMngr::ClearAll()
{
    undo_.clear();
    redo_.clear();
}

std::unique_ptr<CUndoData> CUndoMngr::makeImageRecord(int32_t layerIndex, int32_t layerId,
                                                      int kind, TBox box,
                                                      const CBlockVMTC& image)
{
    // Whole blocks: corners down to a multiple of 32, far edges up to the next one.
    const int32_t left = box.x & ~31, top = box.y & ~31;
    const int32_t right = (box.x + box.width + 31) & ~31;
    const int32_t bottom = (box.y + box.height + 31) & ~31;
    try {
        auto record = std::make_unique<CUndoData>();
        record->cls = UndoClass::Image;
        record->kind = uint8_t(kind);
        record->x = left;
        record->y = top;
        record->w = right - left;
        record->h = bottom - top;
        record->aux = layerIndex;
        record->layerId = layerId;
        record->snapshot = std::make_unique<CBlockVMTC>(record->w, record->h);
        if (!record->snapshot->IsValid())
            return nullptr;
        record->snapshot->setMessageSink(&image.messageSink());
        record->snapshot->CopyBlockRect(image, {0, 0}, record->box());
        record->valid = true;
        return record;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CUndoMngr::pushNewRecord(std::unique_ptr<CUndoData> record)
{
    PushUndo(std::move(record));
    Trim();
    ClearRedo();
}

bool CUndoMngr::RecordImage(int32_t layerIndex, int32_t layerId, int kind, TBox box,
                            const CBlockVMTC& image)
{
    if (!CanRecord() || box.isEmpty())
        return false;
    auto record = makeImageRecord(layerIndex, layerId, kind, box, image);
    if (!record) {
        messageSink().showMessage(kUndoOutOfMemoryMessage);
        return false;
    }
    pushNewRecord(std::move(record));
    return true;
}

void CUndoMngr::pushOther(bool undo, std::unique_ptr<CUndoData> record)
{
    if (undo) {
        PushRedo(std::move(record));
    } else {
        PushUndo(std::move(record));
        Trim();
    }
}

bool CUndoMngr::stepImage(bool undo, CBlockVMTC& image, TBox& changed)
{
    CUndoList& from = undo ? undo_ : redo_;
    CUndoData* newest = from.newest();
    if (!newest || !newest->snapshot)
        return false;
    // The blocks as they are now go to the other list.
    auto counter = makeImageRecord(newest->aux, newest->layerId, newest->kind, newest->box(), image);
    if (!counter)
        return false;
    std::unique_ptr<CUndoData> record = from.takeNewest();
    image.CopyBlockRect(*record->snapshot, {record->x, record->y},
                        TBox{0, 0, record->w, record->h});
    changed = record->box();
    pushOther(undo, std::move(counter));
    return true;
}

bool CUndoMngr::UndoImage(CBlockVMTC& image, TBox& changed)
{
    return stepImage(true, image, changed);
}

bool CUndoMngr::RedoImage(CBlockVMTC& image, TBox& changed)
{
    return stepImage(false, image, changed);
}

} // namespace qm

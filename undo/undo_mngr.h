// The undo and redo lists of a paper (or, in the legacy engine, of one layer) with the
// block-snapshot records every pixel edit leaves.
#pragma once

#include "core/message_sink.h"
#include "undo/undo_list.h"

namespace qm {

inline constexpr const char* kUndoOutOfMemoryMessage =
    "ﾒﾓﾘ不足によりｱﾝﾄﾞｩ情報の保存に失敗しました！";

class CUndoMngr {
public:
    CUndoMngr(int32_t undoLimit, int32_t redoLimit, MessageSink* messages = nullptr);
    virtual ~CUndoMngr();
    CUndoMngr(const CUndoMngr&) = delete;
    CUndoMngr& operator=(const CUndoMngr&) = delete;

    // Removes the oldest undo records while the list is too long; returns how many.
    virtual int32_t Trim();
    // The other's limits and deep copies of both lists; false (nothing changed) on failure.
    virtual bool CopyFrom(const CUndoMngr& other);
    virtual void PushUndo(std::unique_ptr<CUndoData> record);
    virtual void PushRedo(std::unique_ptr<CUndoData> record);

    bool CanRecord() const { return undoLimit_ > 0; }
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    int32_t UndoCount() const { return undo_.count(); }
    int32_t RedoCount() const { return redo_.count(); }
    void ClearUndo() { undo_.clear(); }
    void ClearRedo() { redo_.clear(); }
    void ClearAll();

    // A block snapshot of the box (widened to whole blocks) of a layer image, before it
    // changes. False, after telling the user, when memory runs out; nothing is recorded
    // while the limit is 0.
    bool RecordImage(int32_t layerIndex, int32_t layerId, int kind, TBox box,
                     const CBlockVMTC& image);
    // Puts the newest snapshot back into the image and keeps the replaced blocks for the
    // other direction; `changed` is the box rewritten.
    bool UndoImage(CBlockVMTC& image, TBox& changed);
    bool RedoImage(CBlockVMTC& image, TBox& changed);

    int64_t MemoryUsed() const { return undo_.memoryUsed() + redo_.memoryUsed(); }
    int32_t undoLimit() const { return undoLimit_; }
    int32_t redoLimit() const { return redoLimit_; }
    const CUndoList& undoList() const { return undo_; }
    const CUndoList& redoList() const { return redo_; }
    MessageSink& messageSink() const { return messages_ ? *messages_ : stderrMessageSink(); }

protected:
    CUndoMngr(int32_t undoLimit, int32_t redoLimit, bool countHeavyOnly, MessageSink* messages);

    // A new block-snapshot record of the widened box; nullptr when memory runs out.
    static std::unique_ptr<CUndoData> makeImageRecord(int32_t layerIndex, int32_t layerId,
                                                      int kind, TBox box,
                                                      const CBlockVMTC& image);
    // Records a new step: onto the undo list, trimmed, and the redo list cleared.
    void pushNewRecord(std::unique_ptr<CUndoData> record);
    // Class 1 in either direction: from takes the record, to receives the counter-record.
    bool stepImage(bool undo, CBlockVMTC& image, TBox& changed);
    // The record goes to the list of the other direction.
    void pushOther(bool undo, std::unique_ptr<CUndoData> record);

    int32_t undoLimit_;
    int32_t redoLimit_;
    CUndoList undo_;
    CUndoList redo_;
    MessageSink* messages_;
};

} // namespace qm

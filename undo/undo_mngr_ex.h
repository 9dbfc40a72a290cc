// The paper's undo manager: every kind of record, counted by heavy records only, with room
// for 32 light records more.
#pragma once

#include "undo/undo_mngr.h"

namespace qm {

class CUndoMngrEx : public CUndoMngr {
public:
    static constexpr int32_t kExtraRecords = 32;

    // paper and masks may be null until they exist; records that need them then fail.
    CUndoMngrEx(UndoPaper* paper, int32_t extraRecords, int32_t undoLimit, int32_t redoLimit,
                CLayerMngr* layers, UndoMaskTarget* masks = nullptr,
                MessageSink* messages = nullptr);

    int32_t Trim() override; // while UndoLimit + ExtraRecords < count

    CLayerMngr* SetLayerManager(CLayerMngr* layers);
    void SetMaskManager(UndoMaskTarget* masks) { masks_ = masks; }
    CLayerMngr* layerManager() const { return layers_; }
    // Undo ≤ 0 turns recording off and clears both lists; redo never exceeds undo. Lowering a
    // limit removes the oldest records while the heavy ones are too many. True when a limit
    // changed.
    bool SetLimits(int32_t undo, int32_t redo);

    // ---- recording (each before the change it describes) ----
    // Kinds 0-16: a block snapshot (class 1), the alpha plane of the box (class 2) or the
    // box alone (class 3) of a layer.
    bool Record(const CLayerData& layer, TBox box, int kind);
    // Kinds 18-21 and 25: the layer's current value, and the value it is about to get
    // (kind 19: the flag in the low byte, the amount in the next).
    bool RecordProperty(const CLayerData& layer, int32_t newValue, int kind);
    bool RecordPaperColour(uint32_t newColour);                       // 17
    bool RecordOffset(const CLayerData& layer);                       // 22
    bool RecordOffsetWithMask(const CLayerData& layer, int32_t dx, int32_t dy,
                              int32_t maskSerial);                    // 23, after the move
    bool RecordName(const CLayerData& layer, const std::string& newName); // 24

    // Layer structure, recorded after the change:
    bool RecordInserted(int kind, int32_t index, const CLayerData& layer);  // 26, 28, 29
    bool RecordDeleted(int32_t index, std::unique_ptr<CLayerData> removed); // 27
    bool RecordMoved(int32_t from, int32_t to);                              // 30
    // 31: the merged layer is in the list at targetIndex (the source already taken out); the
    // record keeps the target as it was and the source with the index it had.
    bool RecordMerged(int32_t targetIndex, std::unique_ptr<CLayerData> oldTarget,
                      int32_t sourceIndex, std::unique_ptr<CLayerData> source);
    // 32: the layers taken out (with the indices they had) and the IDs of the layers that
    // took their place in the list.
    bool RecordGathered(std::vector<std::pair<int32_t, std::unique_ptr<CLayerData>>> removed,
                        std::vector<int32_t> addedIds);
    // 33-35: the layer object that was replaced (with the same ID as the new one); 34 also
    // the delta by which the linked mask moved.
    bool RecordReplaced(int kind, std::unique_ptr<CLayerData> old, int32_t maskSerial = -1,
                        int32_t dx = 0, int32_t dy = 0);
    // 36: a layer made from the selection, and the alpha plane the source layer had before.
    bool RecordLayerFromSelection(int32_t newIndex, const CLayerData& newLayer,
                                  const CLayerData& source, TAlphaPlane oldAlpha);
    bool RecordVisibility(int kind, std::vector<uint8_t> oldVisibility); // 37-39
    bool RecordPaperTransform(int32_t operation, int32_t width, int32_t height); // 40
    // 41-43: the whole old layer list (42 also the mask list), the old paper size and the
    // view shift the change made.
    bool RecordLayerList(int kind, std::unique_ptr<CLayerMngr> oldList, int32_t oldWidth,
                         int32_t oldHeight, int32_t viewDx = 0, int32_t viewDy = 0,
                         std::unique_ptr<UndoMaskList> oldMasks = nullptr);

    // Masks, recorded after the change:
    // 44, 45 and 46 also put back the current mask of either side (−1: as the list leaves it).
    bool RecordMaskInserted(int kind, int32_t index, int32_t oldCurrent = -1,
                            int32_t newCurrent = -1);                          // 44, 45
    bool RecordMaskRemoved(int32_t index, int32_t serial, std::unique_ptr<UndoMaskObject> mask,
                           int32_t oldCurrent = -1, int32_t newCurrent = -1); // 46
    bool RecordMaskPut(int kind, int32_t index, std::unique_ptr<UndoMaskObject> old,
                       int32_t oldCurrent = -1, int32_t newCurrent = -1);      // 47, 53
    bool RecordMaskCurrent(int32_t oldCurrent, int32_t newCurrent);            // 48
    bool RecordMaskMoved(int32_t from, int32_t to);                            // 49
    bool RecordMaskChanged(int32_t index, int32_t operation);                  // 50
    bool RecordMaskOffset(int32_t index, int32_t dx, int32_t dy);              // 51
    bool RecordSelectionFlags(int32_t oldFirst, int32_t oldSecond);            // 52
    bool RecordMaskName(int32_t index, const std::string& oldName, const std::string& newName);

    // ---- going back and forth ----
    CUndoData* PeekUndo() const { return undo_.newest(); }
    CUndoData* PeekRedo() const { return redo_.newest(); }
    void DiscardUndo() { undo_.takeNewest(); }
    void DiscardRedo() { redo_.takeNewest(); }
    // Applies the newest record of one list and moves it (or its counter-record) to the
    // other; `layer` is the record's layer (null for whole-list records), `changed` the box
    // of that layer's image to refresh, `layerIndex` its index afterwards.
    bool Undo(int32_t& layerIndex, CLayerData* layer, TBox& changed);
    bool Redo(int32_t& layerIndex, CLayerData* layer, TBox& changed);

private:
    std::unique_ptr<CUndoData> newRecord(int kind, int32_t layerId);
    // A record that needs no more than its four parameters.
    bool recordValues(int kind, int32_t layerId, int32_t p1, int32_t p2, int32_t p3 = 0,
                      int32_t p4 = 0);
    bool pushRecord(std::unique_ptr<CUndoData> record);
    bool step(bool undo, int32_t& layerIndex, CLayerData* layer, TBox& changed);

    bool stepAlpha(bool undo, CLayerData& layer, TBox& changed);
    bool applySelfInverse(const CUndoData& record, CLayerData* layer);
    bool applyProperty(bool undo, CUndoData& record, CLayerData* layer, TBox& changed);
    bool applyStructure(bool undo, CUndoData& record, int32_t& layerIndex, TBox& changed);
    bool applyMask(bool undo, CUndoData& record);

    UndoPaper* paper_;
    CLayerMngr* layers_;
    UndoMaskTarget* masks_;
    int32_t extraRecords_;
};

} // namespace qm

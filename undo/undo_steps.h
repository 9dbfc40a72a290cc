// Undo and redo of one step of a paper, as the paper calls them.
#pragma once

#include "undo/undo_mngr_ex.h"

namespace qm {

inline constexpr const char* kUndoFailedMessage =
    "ｱﾝﾄﾞｩに失敗しました!\rすべてのｱﾝﾄﾞｩはｸﾘｱされます!";
inline constexpr const char* kUndoLimitFailedMessage = "ｱﾝﾄﾞｩ回数の変更に失敗しました!";

// The newest record of the list is applied. `flags` is its kind's flags word (what the paper
// refreshes), `layerIndex` the layer concerned afterwards, `changed` the rectangle of that
// layer's image to refresh. A record whose layer has gone (other than a structure record) is
// dropped and the result is false. A failing undo tells the user and clears both lists; a
// failing redo says nothing.
bool undoStep(CLayerMngr& layers, CUndoMngrEx& undo, int32_t& layerIndex, uint16_t& flags,
              TRect& changed);
bool redoStep(CLayerMngr& layers, CUndoMngrEx& undo, int32_t& layerIndex, uint16_t& flags,
              TRect& changed);

} // namespace qm

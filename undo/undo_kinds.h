// The 55 undo kinds: which class of record each one makes and the flags word the paper reads
// after an undo or redo to decide what to refresh.
#pragma once

#include <cstdint>

namespace qm {

enum class UndoClass : uint8_t {
    None = 0,
    Image = 1,       // a block snapshot of one layer
    AlphaPlane = 2,  // a saved alpha plane of one layer
    SelfInverse = 3, // an operation that undoes itself when applied again
    Property = 4,    // an old property value
    Structure = 5,   // layers taken out, put back, moved, replaced, or the whole list
    Mask = 6,        // selection masks
};

inline constexpr int kUndoKindCount = 55;

// Flag bits read by the undo manager itself; the others are the paper's.
inline constexpr uint16_t kUndoHeavy = 0x0010;       // counts against the step limit
inline constexpr uint16_t kUndoOwnsBuffer = 0x0020;  // the record owns a saved buffer

// The named kinds the undo manager treats specially.
enum UndoKind : uint8_t {
    kUndoClearLayer = 2,
    kUndoStroke = 3,
    kUndoFilter = 4, // a filter's pixels
    kUndoFlipH = 7,
    kUndoFlipV = 8,
    kUndoInvertColours = 9,
    kUndoRotate180 = 10,
    kUndoInvertAlpha = 11,
    kUndoFlipHVisible = 12,
    kUndoFlipVVisible = 13,
    kUndoInvertVisible = 14,
    kUndoRotate180Visible = 15,
    kUndoAlphaPlane = 16,
    kUndoPaperColour = 17,
    kUndoOpacity = 18,
    kUndoBlendOption = 19,
    kUndoBlendMode = 20,
    kUndoVisibility = 21,
    kUndoOffset = 22,
    kUndoOffsetWithMask = 23,
    kUndoName = 24,
    kUndoProtectAlpha = 25,
    kUndoNewLayer = 26,
    kUndoDeleteLayer = 27,
    kUndoDuplicateLayer = 28,
    kUndoPasteLayer = 29,
    kUndoMoveLayer = 30,
    kUndoMergeDown = 31,
    kUndoMergeAll = 32,
    kUndoReplaceLayer = 33,
    kUndoReplaceLayerWithMask = 34,
    kUndoTransformLayer = 35,
    kUndoLayerFromSelection = 36,
    kUndoShowOnly = 37,
    kUndoShowAll = 38,
    kUndoInvertVisibility = 39,
    kUndoPaperTransform = 40,
    kUndoCanvasSize = 41,
    kUndoResample = 42,
    kUndoCrop = 43,
    kUndoMaskInsertedBySerial = 44,
    kUndoMaskInserted = 45,
    kUndoMaskRemoved = 46,
    kUndoMaskPut = 47,
    kUndoMaskCurrent = 48,
    kUndoMaskMoved = 49,
    kUndoMaskChanged = 50,
    kUndoMaskOffset = 51,
    kUndoSelectionFlags = 52,
    kUndoMaskPutAndCurrent = 53,
    kUndoMaskName = 54,
};

// UndoClass::None for a number outside 0..54.
UndoClass undoClassOf(int kind);
// 0 for a number outside 0..54.
uint16_t undoFlagsOf(int kind);

} // namespace qm

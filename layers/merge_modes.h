// Merging one layer pixel into another so that the result is again a pixel with transparency.
//
// Pixel format: 0xAARRGGBB (memory order B, G, R, A), not premultiplied. P is the target
// pixel (colour p, alpha A, the target layer's opacity already applied to A), the source pixel
// has colour s and alpha As, o is the source layer's opacity. Per channel, "/" truncates.
//   E = Mul255(As, o), J = Mul255(A, E), U = A + E − J: the union alpha.
#pragma once

#include "layers/blend_modes.h"

#include <cstdint>

namespace qm {

// What the general union merge needs to know: where the accumulator starts and the two
// functions that lay the target and then the source over it.
struct TUnionRecord {
    uint32_t base = 0;  // start colour of the accumulator
    uint32_t flags = 0; // kModeUnionFromSource: start from the source pixel instead
    PaintFn targetFn = nullptr;
    PaintFn sourceFn = nullptr;
};

// The general union merge: U is written as the new alpha (nothing else when it is 0); the
// accumulator X = targetFn(base, P, A), then sourceFn(X, source, E); each channel becomes
// clamp(X × 255 / U).
uint32_t UnionMerge(uint32_t target, uint32_t source, uint32_t opacity, const TUnionRecord& record);

// The three pair functions of merges between particular modes.
uint32_t multiplyUnion(uint32_t target, uint32_t source, uint32_t opacity);
uint32_t additiveUnion(uint32_t target, uint32_t source, uint32_t opacity);
uint32_t normalOver(uint32_t target, uint32_t source, uint32_t opacity);

// MergeFn of a source mode (merges of kind 0).
uint32_t mergeModeFn(uint32_t mode, uint32_t target, uint32_t source, uint32_t opacity);

using MergePixelFn = uint32_t (*)(uint32_t target, uint32_t source, uint32_t opacity);

// The pair table, searched in order: (0, 0) multiply-union, (2, 2) additive union,
// (3, 0) multiply-union, (0, 3) normal-over. Kind 1 searches the first two entries, kind 2 all
// four; nullptr when the pair is not among them.
MergePixelFn pairMergeFn(uint32_t targetMode, uint32_t sourceMode, int kind);

// The record of a kind 1 or 2 union merge between two modes: base colour the source mode's,
// or the larger of the two when they differ; flags the source mode's; functions the modes'
// PaintFns.
TUnionRecord unionRecordFor(uint32_t targetMode, uint32_t sourceMode);

// One merge of a layer into another, as a row function for the tiled image's Merge:
// each target alpha is scaled by the target layer's opacity first, then the pixel function
// runs with the source layer's opacity.
struct TMergeRow {
    int kind = 0;            // 0: MergeFn of the source mode; 1, 2: pair function or union
    uint32_t sourceMode = 3;
    uint32_t targetOpacity = 255;
    uint32_t sourceOpacity = 255;
    MergePixelFn pairFn = nullptr; // kinds 1 and 2, when the pair table has the modes
    TUnionRecord record;           // kinds 1 and 2 otherwise

    void operator()(uint32_t* target, const uint32_t* source, int32_t count) const;
};

// Builds the row function of a merge; false for a kind other than 0, 1 and 2 or a mode number
// without a record.
bool makeMergeRow(int kind, uint32_t targetMode, uint32_t sourceMode, uint32_t targetOpacity,
                  uint32_t sourceOpacity, TMergeRow& row);

} // namespace qm

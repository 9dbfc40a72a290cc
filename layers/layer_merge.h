// Merging one layer of a paper into another.
#pragma once

#include "layers/layer_mngr.h"

#include <memory>

namespace qm {

inline constexpr const char* kMergeResizeFailedMessage =
    "ﾚｲﾔのｻｲｽﾞ変更失敗により、ﾚｲﾔ結合ができませんでした！";

// Merges the source layer into the target layer:
//  - a new layer covering both layers' rectangles on the paper takes the target's pixels, ID,
//    name, mode and place in the list;
//  - the whole source image is merged into it: kind 0 with the source mode's MergeFn, kinds 1
//    and 2 with a pair function or the union merge of both modes;
//  - the result has opacity 255 (the target's opacity is taken into its alpha), is inverted
//    after a kind 1 or 2 merge into a mode that asks for it, optimised and given a thumbnail.
// The source stays in the list for the caller to remove. The old target is freed, or handed
// to *keptTarget when that is given. False (and nothing changed) for invalid indices, an
// unknown kind, or when the new layer cannot be made (the user is told).
bool MergeLayers(CLayerMngr& layers, int32_t target, int32_t source, int kind,
                 std::unique_ptr<CLayerData>* keptTarget = nullptr);

} // namespace qm

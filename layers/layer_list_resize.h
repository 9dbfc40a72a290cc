// New layer lists for a changed paper: every layer re-placed on a paper of another size
// (canvas size, crop) or rescaled to it (resolution change). The old list is left as it was;
// the caller records undo and swaps the new list in. Each builder returns nullptr on failure,
// after writing its diagnostic text to the debugger output.
//
// The new list keeps the old one's name counter, current index and message sink and has the
// new paper size; its layers get new IDs (the whole list is swapped at once).
#pragma once

#include "core/rect.h"
#include "layers/layer_geometry.h"
#include "layers/layer_mngr.h"

#include <cstdint>
#include <memory>

namespace qm {

inline constexpr const char* kResizeLayerFailedText = "makeResizeLayer: Exception!";
inline constexpr const char* kResizeLayerExFailedText = "makeResizeLayerEx: Exception!";
inline constexpr const char* kZoomLayerFailedText = "makeZoomLayer: Exception!";

// `shift` is where the new paper's top-left corner lies in the old paper's coordinates: a
// canvas enlarged by 10 pixels on the left (the old picture at x = 10 of the new canvas) has
// shift.x = −10. Old paper position p shows at p − shift on the new paper.

// Every layer becomes an image of exactly the new paper, filled with its mode's neutral
// colour, holding what of the old image falls on it. Visibility, opacity, mode and name are
// kept (and the blend option's generator state, so that merges repeat).
std::unique_ptr<CLayerMngr> makeResizeLayer(const CLayerMngr& layers, TPoint shift,
                                            TPaperSize paper);

// Every layer keeps its whole image: the new image covers the union of the old image and the
// new paper, nothing is thrown away. With copyAllProperties every property is kept, otherwise
// only the name (the mode always, since the image is made for it).
std::unique_ptr<CLayerMngr> makeResizeLayerEx(const CLayerMngr& layers, TPoint shift,
                                              TPaperSize paper, bool copyAllProperties);

// How makeZoomLayer fills the rescaled images.
enum class TZoomKind : int32_t {
    NeutralOnly = 0, // images left at the mode's neutral colour; only the name is copied
    Supersample = 1, // 4 × 4 supersampling
    AreaAverage = 2, // exact area average
};

// Every layer rescaled by fx = new width / old paper width, fy likewise (doubles): image
// Floor(width × fx + 0.5) × Floor(height × fy + 0.5), offset Floor(offset × fx + 0.5) (and y),
// lowered where needed so that the paper fits inside the image (never below 0). Properties
// are copied except for NeutralOnly, which copies the name. Any kind outside 0..2 fails.
std::unique_ptr<CLayerMngr> makeZoomLayer(const CLayerMngr& layers, TPaperSize paper,
                                          TZoomKind kind);

} // namespace qm

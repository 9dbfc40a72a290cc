// What a whole-paper change does to a selection mask: quarter turns, flips and half turns
// with the paper, and rescaling to a new paper size. Mask-local position = paper position +
// offset, so the offset moves by the same rules as a layer's.
//
// Each returns a new mask with the old one's name, serial and index and a thumbnail for the
// new paper, or nullptr on failure (the old mask is never changed). An empty mask gives an
// empty copy.
#pragma once

#include "layers/layer_geometry.h"
#include "select/mask_data.h"

#include <memory>

namespace qm {

// The turn of a mask on a paper of paper.width × paper.height; the result belongs to the
// turned (height × width) paper. Clockwise, mask pixel (x, y) of a W × H mask goes to
// (H − 1 − y, x) and the offset becomes (H − offsetY − paper height, offsetX);
// counter-clockwise (x, y) goes to (y, W − 1 − x) and the offset becomes
// (offsetY, W − offsetX − paper width).
std::unique_ptr<CMaskData> rotateMask90(const CMaskData& mask, TPaperSize paper, bool clockwise);

enum class TMaskFlip { LeftRight, TopBottom, HalfTurn };

// The mirror (or half turn) of a mask together with its paper of the given size.
std::unique_ptr<CMaskData> flipMask(const CMaskData& mask, TPaperSize paper, TMaskFlip flip);

// The mask rescaled from oldPaper to newPaper: size Floor(width × fx + 0.5) ×
// Floor(height × fy + 0.5) and offset Floor(offset × fx + 0.5) (and y), fx = new width / old
// width, fy likewise (doubles), the coverage area-averaged.
std::unique_ptr<CMaskData> rescaleMask(const CMaskData& mask, TPaperSize oldPaper,
                                       TPaperSize newPaper);

} // namespace qm

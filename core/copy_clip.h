// The clipping rule of every copy between two images.
#pragma once

#include "core/rect.h"

namespace qm {

// Clips the source box against the source size and the destination point against the
// destination size, moving both together so that the same pixels stay paired.
// Returns true when something is left to copy.
bool clipCopy(int32_t sourceWidth, int32_t sourceHeight, int32_t destWidth, int32_t destHeight,
              TPoint& destPoint, TBox& sourceBox);

} // namespace qm

// Row kernels of the blend modes: one loop per mode with the mode's function inlined, in a
// portable and an AVX2 build chosen at run time. Both give the bytes of the per-pixel
// functions in blend_modes.h exactly.
//
// Pixel format: 0xAARRGGBB (memory order B, G, R, A), not premultiplied. Destination alpha
// bytes are never changed.
#pragma once

#include "layers/blend_modes.h"

#include <cstddef>
#include <cstdint>

namespace qm {

// dest[i] = CompositeFn(dest[i], source[i], opacity).
using CompositeRowFn = void (*)(uint32_t* dest, const uint32_t* source, int32_t count,
                                uint32_t opacity);
// dest[i] = CompositeFn(dest[i], source, opacity): one source pixel for the whole row.
using CompositeFillRowFn = void (*)(uint32_t* dest, uint32_t source, int32_t count,
                                    uint32_t opacity);

// CompositeRowFn over `rows` rows, `destStride` and `sourceStride` pixels apart (signed, so
// bottom-up pictures work too): one call per block part.
using CompositeRectFn = void (*)(uint32_t* dest, ptrdiff_t destStride, const uint32_t* source,
                                 ptrdiff_t sourceStride, int32_t count, int32_t rows,
                                 uint32_t opacity);

// The kernels for this processor; nullptr for a mode number without a record.
CompositeRowFn compositeRowOf(uint32_t mode);
CompositeRectFn compositeRectOf(uint32_t mode);
CompositeFillRowFn compositeFillRowOf(uint32_t mode);

// Both builds by name, so tests can hold them against each other.
CompositeRowFn compositeRowPortable(uint32_t mode);
CompositeRowFn compositeRowAvx2(uint32_t mode);
CompositeRectFn compositeRectPortable(uint32_t mode);
CompositeRectFn compositeRectAvx2(uint32_t mode);
CompositeFillRowFn compositeFillRowPortable(uint32_t mode);
CompositeFillRowFn compositeFillRowAvx2(uint32_t mode);

} // namespace qm

#include "layers/composite_rows.h"

#include "layers/dividing_modes_avx2.h"
#include "layers/normal_avx2.h"
#include "layers/whole_colour_avx2.h"

#include <array>
#include <cstddef>
#include <utility>

namespace qm {

namespace {

// Most rows are one block wide; a loop of known length compiles to straight vector code.
constexpr int32_t kBlockRow = 32;

template <BlendMode M>
inline __attribute__((always_inline)) void compositeRowBody(uint32_t* __restrict dest,
                                                            const uint32_t* __restrict source,
                                                            int32_t count, uint32_t opacity)
{
    if (count == kBlockRow) {
        for (int32_t i = 0; i < kBlockRow; ++i)
            dest[i] = compositeMode<M>(dest[i], source[i], opacity);
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        dest[i] = compositeMode<M>(dest[i], source[i], opacity);
}

template <BlendMode M>
inline constexpr bool kWholeColourMode = M == BlendMode::Hue || M == BlendMode::Saturation ||
                                         M == BlendMode::Colour || M == BlendMode::Luminosity;

// The AVX2 row: hand-written for normal, the whole-colour and the dividing modes,
// compiler-vectorised for the rest.
template <BlendMode M>
__attribute__((target("avx2"), always_inline)) inline void avx2Row(uint32_t* dest,
                                                                  const uint32_t* source,
                                                                  int32_t count, uint32_t opacity)
{
    if constexpr (M == BlendMode::Normal)
        compositeNormalRowAvx2(dest, source, count, opacity);
    else if constexpr (kWholeColourMode<M>)
        compositeWholeColourRowAvx2<M>(dest, source, count, opacity);
    else if constexpr (kDividingMode<M>)
        compositeDividingRowAvx2<M>(dest, source, count, opacity);
    else
        compositeRowBody<M>(dest, source, count, opacity);
}

template <BlendMode M>
void compositeRowPortableT(uint32_t* dest, const uint32_t* source, int32_t count, uint32_t opacity)
{
    compositeRowBody<M>(dest, source, count, opacity);
}

template <BlendMode M>
__attribute__((target("avx2"))) void compositeRowAvx2T(uint32_t* dest, const uint32_t* source,
                                                       int32_t count, uint32_t opacity)
{
    avx2Row<M>(dest, source, count, opacity);
}

// The picture is walked block by block: each row fetches its part of the next block early,
// so the cache lines are there when the next block is drawn.
template <BlendMode M>
void compositeRectPortableT(uint32_t* dest, ptrdiff_t destStride, const uint32_t* source,
                            ptrdiff_t sourceStride, int32_t count, int32_t rows, uint32_t opacity)
{
    for (int32_t y = 0; y < rows; ++y, dest += destStride, source += sourceStride) {
        __builtin_prefetch(dest + kBlockRow, 1);
        __builtin_prefetch(dest + kBlockRow + 16, 1);
        compositeRowBody<M>(dest, source, count, opacity);
    }
}

template <BlendMode M>
__attribute__((target("avx2"))) void compositeRectAvx2T(uint32_t* dest, ptrdiff_t destStride,
                                                        const uint32_t* source,
                                                        ptrdiff_t sourceStride, int32_t count,
                                                        int32_t rows, uint32_t opacity)
{
    for (int32_t y = 0; y < rows; ++y, dest += destStride, source += sourceStride) {
        __builtin_prefetch(dest + kBlockRow, 1);
        __builtin_prefetch(dest + kBlockRow + 16, 1);
        avx2Row<M>(dest, source, count, opacity);
    }
}

// A uniform source: the alpha is the same for the whole row, so it is worked out once.
template <BlendMode M>
void compositeFillRowPortableT(uint32_t* dest, uint32_t source, int32_t count, uint32_t opacity)
{
    const uint32_t alpha = blend::div255(opacity * (source >> 24));
    if (alpha == 0)
        return;
    for (int32_t i = 0; i < count; ++i)
        dest[i] = paintMode<M>(dest[i], source, alpha);
}

template <BlendMode M>
__attribute__((target("avx2"))) void compositeFillRowAvx2T(uint32_t* dest, uint32_t source,
                                                           int32_t count, uint32_t opacity)
{
    const uint32_t alpha = blend::div255(opacity * (source >> 24));
    if (alpha == 0)
        return;
    for (int32_t i = 0; i < count; ++i)
        dest[i] = paintMode<M>(dest[i], source, alpha);
}

template <std::size_t... I>
constexpr std::array<CompositeRowFn, sizeof...(I)> rowTable(bool avx2, std::index_sequence<I...>)
{
    return avx2 ? std::array<CompositeRowFn, sizeof...(I)>{{&compositeRowAvx2T<BlendMode(I)>...}}
                : std::array<CompositeRowFn, sizeof...(I)>{
                      {&compositeRowPortableT<BlendMode(I)>...}};
}

template <std::size_t... I>
constexpr std::array<CompositeFillRowFn, sizeof...(I)> fillTable(bool avx2,
                                                                 std::index_sequence<I...>)
{
    return avx2 ? std::array<CompositeFillRowFn, sizeof...(I)>{
                      {&compositeFillRowAvx2T<BlendMode(I)>...}}
                : std::array<CompositeFillRowFn, sizeof...(I)>{
                      {&compositeFillRowPortableT<BlendMode(I)>...}};
}

template <std::size_t... I>
constexpr std::array<CompositeRectFn, sizeof...(I)> rectTable(bool avx2, std::index_sequence<I...>)
{
    return avx2 ? std::array<CompositeRectFn, sizeof...(I)>{{&compositeRectAvx2T<BlendMode(I)>...}}
                : std::array<CompositeRectFn, sizeof...(I)>{
                      {&compositeRectPortableT<BlendMode(I)>...}};
}

constexpr auto kModes = std::make_index_sequence<kBlendModeCount>();
constexpr auto kRectsPortable = rectTable(false, kModes);
constexpr auto kRectsAvx2 = rectTable(true, kModes);
constexpr auto kRowsPortable = rowTable(false, kModes);
constexpr auto kRowsAvx2 = rowTable(true, kModes);
constexpr auto kFillsPortable = fillTable(false, kModes);
constexpr auto kFillsAvx2 = fillTable(true, kModes);

template <typename Table>
auto pick(const Table& table, uint32_t mode) -> typename Table::value_type
{
    mode &= 0x7F;
    return mode < table.size() ? table[mode] : nullptr;
}

} // namespace

CompositeRowFn compositeRowPortable(uint32_t mode)
{
    return pick(kRowsPortable, mode);
}

CompositeRowFn compositeRowAvx2(uint32_t mode)
{
    return pick(kRowsAvx2, mode);
}

CompositeFillRowFn compositeFillRowPortable(uint32_t mode)
{
    return pick(kFillsPortable, mode);
}

CompositeFillRowFn compositeFillRowAvx2(uint32_t mode)
{
    return pick(kFillsAvx2, mode);
}

CompositeRowFn compositeRowOf(uint32_t mode)
{
    return cpuHasAvx2() ? compositeRowAvx2(mode) : compositeRowPortable(mode);
}

CompositeRectFn compositeRectPortable(uint32_t mode)
{
    return pick(kRectsPortable, mode);
}

CompositeRectFn compositeRectAvx2(uint32_t mode)
{
    return pick(kRectsAvx2, mode);
}

CompositeRectFn compositeRectOf(uint32_t mode)
{
    return cpuHasAvx2() ? compositeRectAvx2(mode) : compositeRectPortable(mode);
}

CompositeFillRowFn compositeFillRowOf(uint32_t mode)
{
    return cpuHasAvx2() ? compositeFillRowAvx2(mode) : compositeFillRowPortable(mode);
}

} // namespace qm

#include "layers/composite_rows.h"

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
void compositeRowPortableT(uint32_t* dest, const uint32_t* source, int32_t count, uint32_t opacity)
{
    compositeRowBody<M>(dest, source, count, opacity);
}

template <BlendMode M>
__attribute__((target("avx2"))) void compositeRowAvx2T(uint32_t* dest, const uint32_t* source,
                                                       int32_t count, uint32_t opacity)
{
    compositeRowBody<M>(dest, source, count, opacity);
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

constexpr auto kModes = std::make_index_sequence<kBlendModeCount>();
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

CompositeFillRowFn compositeFillRowOf(uint32_t mode)
{
    return cpuHasAvx2() ? compositeFillRowAvx2(mode) : compositeFillRowPortable(mode);
}

} // namespace qm

#include "layers/blend_modes.h"

#include <cstddef>
#include <utility>

namespace qm {

namespace {

template <std::size_t... I>
constexpr std::array<PaintFn, sizeof...(I)> makePaintFns(std::index_sequence<I...>)
{
    return {{[](uint32_t* p, uint32_t c, uint32_t a) { *p = paintMode<BlendMode(I)>(*p, c, a); }...}};
}

template <std::size_t... I>
constexpr std::array<CompositeFn, sizeof...(I)> makeCompositeFns(std::index_sequence<I...>)
{
    return {{[](uint32_t* p, uint32_t s, uint32_t o) { *p = compositeMode<BlendMode(I)>(*p, s, o); }...}};
}

constexpr auto kPaintFns = makePaintFns(std::make_index_sequence<kBlendModeCount>());
constexpr auto kCompositeFns = makeCompositeFns(std::make_index_sequence<kBlendModeCount>());

} // namespace

PaintFn paintFnOf(uint32_t mode)
{
    mode &= 0x7F;
    return mode < kPaintFns.size() ? kPaintFns[mode] : nullptr;
}

CompositeFn compositeFnOf(uint32_t mode)
{
    mode &= 0x7F;
    return mode < kCompositeFns.size() ? kCompositeFns[mode] : nullptr;
}

} // namespace qm

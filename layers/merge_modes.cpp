#include "layers/merge_modes.h"

#include <algorithm>
#include <cstdlib>

namespace qm {

namespace {

using blend::byteAt;
using blend::clamp255;
using blend::div255;

uint32_t withAlpha(uint32_t colour, uint32_t alpha)
{
    return (colour & 0x00FFFFFFu) | alpha << 24;
}

// Channels computed by fn(p, s) for red, green and blue, with the given alpha.
template <typename Fn>
uint32_t perChannel(uint32_t target, uint32_t source, uint32_t alpha, Fn&& fn)
{
    return alpha << 24 | uint32_t(clamp255(fn(int32_t(byteAt(target, 16)), int32_t(byteAt(source, 16))))) << 16 |
           uint32_t(clamp255(fn(int32_t(byteAt(target, 8)), int32_t(byteAt(source, 8))))) << 8 |
           uint32_t(clamp255(fn(int32_t(byteAt(target, 0)), int32_t(byteAt(source, 0)))));
}

struct TUnion {
    int32_t A, E, J, U;
};

TUnion unionOf(uint32_t target, uint32_t source, uint32_t opacity)
{
    TUnion u;
    u.A = int32_t(target >> 24);
    u.E = int32_t(Mul255(source >> 24, opacity));
    u.J = int32_t(Mul255(uint32_t(u.A), uint32_t(u.E)));
    u.U = u.A + u.E - u.J;
    return u;
}

uint32_t screenUnion(uint32_t target, uint32_t source, uint32_t opacity)
{
    const TUnion u = unionOf(target, source, opacity);
    if (u.U == 0)
        return target & 0x00FFFFFFu;
    return perChannel(target, source, uint32_t(u.U), [&](int32_t p, int32_t s) {
        return (p * u.A + s * u.E - u.J * int32_t(Mul255(uint32_t(p), uint32_t(s)))) / u.U;
    });
}

// Difference, darken and lighten share one shape: (E × g(p1, 255s) + p1 × (255 − E)) / 255U.
template <typename G>
uint32_t weightedUnion(uint32_t target, uint32_t source, uint32_t opacity, bool darken, G&& g)
{
    const TUnion u = unionOf(target, source, opacity);
    if (u.U == 0)
        return target & 0x00FFFFFFu;
    const int32_t u255 = 255 * u.U;
    return perChannel(target, source, uint32_t(u.U), [&](int32_t p, int32_t s) {
        const int32_t p1 = u.A * p + (darken ? 65025 - 255 * u.A : 0);
        return (u.E * g(p1, 255 * s) + p1 * (255 - u.E)) / u255;
    });
}

uint32_t differenceUnion(uint32_t t, uint32_t s, uint32_t o)
{
    return weightedUnion(t, s, o, false, [](int32_t p1, int32_t s255) { return std::abs(s255 - p1); });
}

uint32_t darkenUnion(uint32_t t, uint32_t s, uint32_t o)
{
    return weightedUnion(t, s, o, true, [](int32_t p1, int32_t s255) { return std::min(p1, s255); });
}

uint32_t lightenUnion(uint32_t t, uint32_t s, uint32_t o)
{
    return weightedUnion(t, s, o, false, [](int32_t p1, int32_t s255) { return std::max(p1, s255); });
}

TUnionRecord kind0Record(uint32_t mode)
{
    const TModeInfo* info = modeInfo(mode);
    return {info ? info->base : 0u, 0u, paintFnOf(uint32_t(BlendMode::Normal)), paintFnOf(mode)};
}

} // namespace

uint32_t UnionMerge(uint32_t target, uint32_t source, uint32_t opacity, const TUnionRecord& record)
{
    const TUnion u = unionOf(target, source, opacity);
    if (u.U == 0)
        return target & 0x00FFFFFFu;
    uint32_t x = (record.flags & kModeUnionFromSource) ? source : record.base;
    record.targetFn(&x, target, uint32_t(u.A));
    record.sourceFn(&x, source, uint32_t(u.E));
    return perChannel(x, x, uint32_t(u.U), [&](int32_t c, int32_t) { return c * 255 / u.U; });
}

uint32_t multiplyUnion(uint32_t target, uint32_t source, uint32_t opacity)
{
    const TUnion u = unionOf(target, source, opacity);
    if (u.U == 0)
        return target & 0x00FFFFFFu;
    return perChannel(target, source, uint32_t(u.U), [&](int32_t p, int32_t s) {
        return (p * u.A + s * u.E - u.J * (s + p - int32_t(Mul255(uint32_t(p), uint32_t(s))))) /
               u.U;
    });
}

uint32_t additiveUnion(uint32_t target, uint32_t source, uint32_t opacity)
{
    const int32_t A = int32_t(target >> 24);
    const int32_t E = MulTable[source >> 24][opacity];
    const int32_t J = MulTable[size_t(A)][size_t(E)];
    if (A + E == J)
        return target;
    const int32_t U = (A > 0 && E > 0) ? 255 : A + E - J;
    return perChannel(target, source, uint32_t(U),
                      [&](int32_t p, int32_t s) { return (p * A + s * E) / U; });
}

uint32_t normalOver(uint32_t target, uint32_t source, uint32_t opacity)
{
    const uint32_t alpha = MulTable[opacity][source >> 24];
    if (alpha == 0)
        return target;
    if (alpha == 255)
        return 0xFF000000u | (source & 0x00FFFFFFu);
    uint32_t A = target >> 24;
    if (A == 255) {
        PaintNormal(&target, source, alpha);
        return target;
    }
    A += MulTable[alpha][255 - A];
    target = withAlpha(target, A);
    PaintNormal(&target, source, alpha * 255 / A);
    return target;
}

uint32_t mergeModeFn(uint32_t mode, uint32_t target, uint32_t source, uint32_t opacity)
{
    switch (BlendMode(mode & 0x7F)) {
    case BlendMode::Multiply: return multiplyUnion(target, source, opacity);
    case BlendMode::Add:
    case BlendMode::Subtract: return additiveUnion(target, source, opacity);
    case BlendMode::Normal: return normalOver(target, source, opacity);
    case BlendMode::Screen: return screenUnion(target, source, opacity);
    case BlendMode::Difference: return differenceUnion(target, source, opacity);
    case BlendMode::Darken: return darkenUnion(target, source, opacity);
    case BlendMode::Lighten: return lightenUnion(target, source, opacity);
    default: return UnionMerge(target, source, opacity, kind0Record(mode));
    }
}

MergePixelFn pairMergeFn(uint32_t targetMode, uint32_t sourceMode, int kind)
{
    struct Pair {
        uint32_t target, source;
        MergePixelFn fn;
    };
    static constexpr Pair kPairs[] = {{0, 0, &multiplyUnion},
                                      {2, 2, &additiveUnion},
                                      {3, 0, &multiplyUnion},
                                      {0, 3, &normalOver}};
    const int searched = kind == 1 ? 2 : kind == 2 ? 4 : 0;
    targetMode &= 0x7F;
    sourceMode &= 0x7F;
    for (int i = 0; i < searched; ++i)
        if (kPairs[i].target == targetMode && kPairs[i].source == sourceMode)
            return kPairs[i].fn;
    return nullptr;
}

TUnionRecord unionRecordFor(uint32_t targetMode, uint32_t sourceMode)
{
    const TModeInfo* t = modeInfo(targetMode);
    const TModeInfo* s = modeInfo(sourceMode);
    TUnionRecord r;
    if (!t || !s)
        return r;
    r.base = t->base == s->base ? s->base : std::max(t->base, s->base);
    r.flags = s->flags;
    r.targetFn = paintFnOf(targetMode);
    r.sourceFn = paintFnOf(sourceMode);
    return r;
}

bool makeMergeRow(int kind, uint32_t targetMode, uint32_t sourceMode, uint32_t targetOpacity,
                  uint32_t sourceOpacity, TMergeRow& row)
{
    if ((kind != 0 && kind != 1 && kind != 2) || !modeInfo(targetMode) || !modeInfo(sourceMode))
        return false;
    row = {};
    row.kind = kind;
    row.sourceMode = sourceMode & 0x7F;
    row.targetOpacity = targetOpacity & 0xFF;
    row.sourceOpacity = sourceOpacity & 0xFF;
    if (kind != 0) {
        row.pairFn = pairMergeFn(targetMode, sourceMode, kind);
        if (!row.pairFn)
            row.record = unionRecordFor(targetMode, sourceMode);
    }
    return true;
}

void TMergeRow::operator()(uint32_t* target, const uint32_t* source, int32_t count) const
{
    const uint8_t* scale = MulTable[targetOpacity].data();
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t t = withAlpha(target[i], scale[target[i] >> 24]);
        if (kind == 0)
            target[i] = mergeModeFn(sourceMode, t, source[i], sourceOpacity);
        else if (pairFn)
            target[i] = pairFn(t, source[i], sourceOpacity);
        else
            target[i] = UnionMerge(t, source[i], sourceOpacity, record);
    }
}

} // namespace qm

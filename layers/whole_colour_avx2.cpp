// The whole-colour modes in AVX2: SetSatLum for eight pixels at once, in 32-bit lanes.
//
// Pixel format: 0xAARRGGBB (memory order B, G, R, A), not premultiplied; the destination's
// alpha byte is kept. The arithmetic is that of blend_modes.h step for step: the divisions
// give the same integer quotients (see divide), all three ways of fitting the luma are
// computed and the right one is picked per lane.
#include "layers/whole_colour_avx2.h"

#include "layers/avx2_lanes.h"
#include "layers/blend_modes.h"

#include <immintrin.h>

namespace qm {

namespace {

using namespace lanes;

// S × (c − mn) / (mx − mn): the channel stretched to saturation S.
__attribute__((target("avx2"))) inline __m256i stretch(__m256i ch, __m256i S, __m256i mn,
                                                       const Divisor& spread)
{
    return divide(_mm256_mullo_epi32(S, _mm256_sub_epi32(ch, mn)), spread);
}

// What fitting a stretched colour to the luma L needs.
struct TFit {
    __m256i mx, L, delta, grey, overflow, darker;
    Divisor byR, byM;
};

// The three ways of fitting one stretched channel to the luma, and the pick among them.
__attribute__((target("avx2"))) inline __m256i fitLuma(__m256i ch, const TFit& f)
{
    const __m256i fromTop =
        _mm256_sub_epi32(_mm256_set1_epi32(255),
                         divide(_mm256_mullo_epi32(_mm256_sub_epi32(_mm256_set1_epi32(255), f.L),
                                                   _mm256_sub_epi32(f.mx, ch)),
                                f.byR));
    const __m256i scaled = divide(_mm256_mullo_epi32(f.L, ch), f.byM);
    const __m256i shifted = _mm256_add_epi32(ch, f.delta);
    const __m256i v = select(f.overflow, fromTop, select(f.darker, scaled, shifted));
    return clampByte(select(f.grey, f.L, v));
}

// SetSatLum(C, S, L) on eight lanes; returns the three channels.
__attribute__((target("avx2"))) inline Rgb setSatLum(const Rgb& c, __m256i S, __m256i L)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i mx = maxOf(c), mn = minOf(c);
    const __m256i grey = _mm256_or_si256(_mm256_cmpeq_epi32(S, zero), _mm256_cmpeq_epi32(mx, mn));

    const Divisor spread = divisorOf(_mm256_sub_epi32(mx, mn));
    const Rgb cp = {stretch(c.r, S, mn, spread), stretch(c.g, S, mn, spread),
                    stretch(c.b, S, mn, spread)};
    const __m256i M = lumaOf(cp.r, cp.g, cp.b);
    const __m256i delta = _mm256_sub_epi32(L, M);
    const __m256i overflow =
        _mm256_cmpgt_epi32(_mm256_add_epi32(delta, mx), _mm256_set1_epi32(255));
    const __m256i darker = _mm256_cmpgt_epi32(zero, delta);
    const __m256i r = _mm256_max_epi32(
        _mm256_set1_epi32(1),
        lumaOf(_mm256_sub_epi32(mx, cp.r), _mm256_sub_epi32(mx, cp.g), _mm256_sub_epi32(mx, cp.b)));
    const Divisor byR = divisorOf(r);
    // M only divides where delta < 0, and then M > L ≥ 0; elsewhere any divisor will do.
    const Divisor byM = divisorOf(_mm256_max_epi32(M, _mm256_set1_epi32(1)));
    const TFit fit{mx, L, delta, grey, overflow, darker, byR, byM};
    return {fitLuma(cp.r, fit), fitLuma(cp.g, fit), fitLuma(cp.b, fit)};
}

__attribute__((target("avx2"))) inline __m256i saturationOf(const Rgb& c)
{
    return _mm256_sub_epi32(maxOf(c), minOf(c));
}

} // namespace

template <BlendMode M>
__attribute__((target("avx2"))) void
compositeWholeColourRowAvx2(uint32_t* dest, const uint32_t* source, int32_t count, uint32_t opacity)
{
    compositeLaneRow<M>(
        dest, source, count, opacity,
        [](const Rgb& pc, const Rgb& sc) __attribute__((target("avx2"))) {
            if constexpr (M == BlendMode::Hue)
                return setSatLum(sc, saturationOf(pc), lumaOf(pc.r, pc.g, pc.b));
            else if constexpr (M == BlendMode::Saturation)
                return setSatLum(pc, saturationOf(sc), lumaOf(pc.r, pc.g, pc.b));
            else if constexpr (M == BlendMode::Colour)
                return setSatLum(sc, saturationOf(sc), lumaOf(pc.r, pc.g, pc.b));
            else
                return setSatLum(pc, saturationOf(pc), lumaOf(sc.r, sc.g, sc.b));
        });
}

template void compositeWholeColourRowAvx2<BlendMode::Hue>(uint32_t*, const uint32_t*, int32_t,
                                                          uint32_t);
template void compositeWholeColourRowAvx2<BlendMode::Saturation>(uint32_t*, const uint32_t*,
                                                                 int32_t, uint32_t);
template void compositeWholeColourRowAvx2<BlendMode::Colour>(uint32_t*, const uint32_t*, int32_t,
                                                             uint32_t);
template void compositeWholeColourRowAvx2<BlendMode::Luminosity>(uint32_t*, const uint32_t*,
                                                                 int32_t, uint32_t);

} // namespace qm

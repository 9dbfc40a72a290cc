// The whole-colour modes in AVX2: SetSatLum for eight pixels at once, in 32-bit lanes.
//
// Pixel format: 0xAARRGGBB (memory order B, G, R, A), not premultiplied; the destination's
// alpha byte is kept. The arithmetic is that of blend_modes.h step for step: the divisions
// go through the same reciprocals (exact for |n| ≤ 65535, 1 ≤ d ≤ 255), all three ways of
// fitting the luma are computed and the right one is picked per lane.
#include "layers/whole_colour_avx2.h"

#include "layers/blend_modes.h"

#include <array>
#include <immintrin.h>

namespace qm {

namespace {

// ⌊2³²/d⌋ + 1 for d ≥ 2, which fits 32 bits; d = 1 is handled apart, d = 0 never picked.
constexpr std::array<uint32_t, 256> kReciprocals32 = [] {
    std::array<uint32_t, 256> r{};
    for (uint64_t d = 2; d < 256; ++d)
        r[d] = uint32_t((uint64_t(1) << 32) / d + 1);
    return r;
}();

struct Rgb {
    __m256i r, g, b;
};

__attribute__((target("avx2"))) inline Rgb channelsOf(__m256i p)
{
    const __m256i byte = _mm256_set1_epi32(0xFF);
    return {_mm256_and_si256(_mm256_srli_epi32(p, 16), byte),
            _mm256_and_si256(_mm256_srli_epi32(p, 8), byte), _mm256_and_si256(p, byte)};
}

__attribute__((target("avx2"))) inline __m256i maxOf(const Rgb& c)
{
    return _mm256_max_epi32(c.r, _mm256_max_epi32(c.g, c.b));
}

__attribute__((target("avx2"))) inline __m256i minOf(const Rgb& c)
{
    return _mm256_min_epi32(c.r, _mm256_min_epi32(c.g, c.b));
}

// (r × 19595 + g × 38469 + b × 7472) >> 16, arithmetic shift as for signed components.
__attribute__((target("avx2"))) inline __m256i lumaOf(__m256i r, __m256i g, __m256i b)
{
    const __m256i sum = _mm256_add_epi32(
        _mm256_add_epi32(_mm256_mullo_epi32(r, _mm256_set1_epi32(19595)),
                         _mm256_mullo_epi32(g, _mm256_set1_epi32(38469))),
        _mm256_mullo_epi32(b, _mm256_set1_epi32(7472)));
    return _mm256_srai_epi32(sum, 16);
}

// The reciprocals of eight divisors, looked up once and used for three numerators.
struct Divisor {
    __m256i reciprocal;
    __m256i isOne;
};

__attribute__((target("avx2"))) inline Divisor divisorOf(__m256i d)
{
    return {_mm256_i32gather_epi32(reinterpret_cast<const int*>(kReciprocals32.data()), d, 4),
            _mm256_cmpeq_epi32(d, _mm256_set1_epi32(1))};
}

// n / d truncated towards zero, per lane.
__attribute__((target("avx2"))) inline __m256i divide(__m256i n, const Divisor& d)
{
    const __m256i sign = _mm256_srai_epi32(n, 31);
    const __m256i magnitude = _mm256_sub_epi32(_mm256_xor_si256(n, sign), sign);
    const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(magnitude, d.reciprocal), 32);
    const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(magnitude, 32),
                                         _mm256_srli_epi64(d.reciprocal, 32));
    const __m256i q = _mm256_blend_epi32(even, odd, 0xAA);
    const __m256i quotient = _mm256_blendv_epi8(q, magnitude, d.isOne);
    return _mm256_sub_epi32(_mm256_xor_si256(quotient, sign), sign);
}

__attribute__((target("avx2"))) inline __m256i select(__m256i condition, __m256i ifTrue,
                                                      __m256i ifFalse)
{
    return _mm256_blendv_epi8(ifFalse, ifTrue, condition);
}

__attribute__((target("avx2"))) inline __m256i clampByte(__m256i v)
{
    return _mm256_min_epi32(_mm256_max_epi32(v, _mm256_setzero_si256()), _mm256_set1_epi32(255));
}

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
    const __m256i fromTop = _mm256_sub_epi32(
        _mm256_set1_epi32(255),
        divide(_mm256_mullo_epi32(_mm256_sub_epi32(_mm256_set1_epi32(255), f.L),
                                  _mm256_sub_epi32(f.mx, ch)),
               f.byR));
    const __m256i scaled = divide(_mm256_mullo_epi32(f.L, ch), f.byM);
    const __m256i shifted = _mm256_add_epi32(ch, f.delta);
    const __m256i v = select(f.overflow, fromTop, select(f.darker, scaled, shifted));
    return clampByte(select(f.grey, f.L, v));
}

// Lerp255(f, d, a) per lane with ka = a × 32897 and kd = 8388735 − ka.
__attribute__((target("avx2"))) inline __m256i lerp(__m256i f, __m256i d, __m256i ka, __m256i kd)
{
    return _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(f, ka), _mm256_mullo_epi32(d, kd)),
                             23);
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
__attribute__((target("avx2"))) void compositeWholeColourRowAvx2(uint32_t* dest,
                                                                 const uint32_t* source,
                                                                 int32_t count, uint32_t opacity)
{
    const __m256i opacity32 = _mm256_set1_epi32(int32_t(opacity * 32897u));
    const __m256i full = _mm256_set1_epi32(8388735);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dest + i));
        const Rgb pc = channelsOf(d), sc = channelsOf(s);
        Rgb f;
        if constexpr (M == BlendMode::Hue)
            f = setSatLum(sc, saturationOf(pc), lumaOf(pc.r, pc.g, pc.b));
        else if constexpr (M == BlendMode::Saturation)
            f = setSatLum(pc, saturationOf(sc), lumaOf(pc.r, pc.g, pc.b));
        else if constexpr (M == BlendMode::Colour)
            f = setSatLum(sc, saturationOf(sc), lumaOf(pc.r, pc.g, pc.b));
        else
            f = setSatLum(pc, saturationOf(pc), lumaOf(sc.r, sc.g, sc.b));

        // a = opacity × As / 255; each channel Lerp255(f, d, a).
        const __m256i a = _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(s, 24), opacity32), 23);
        const __m256i ka = _mm256_mullo_epi32(a, _mm256_set1_epi32(32897));
        const __m256i kd = _mm256_sub_epi32(full, ka);
        const __m256i out = _mm256_or_si256(
            _mm256_or_si256(_mm256_and_si256(d, _mm256_set1_epi32(int32_t(0xFF000000u))),
                            _mm256_slli_epi32(lerp(f.r, pc.r, ka, kd), 16)),
            _mm256_or_si256(_mm256_slli_epi32(lerp(f.g, pc.g, ka, kd), 8), lerp(f.b, pc.b, ka, kd)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), out);
    }
    for (; i < count; ++i)
        dest[i] = compositeMode<M>(dest[i], source[i], opacity);
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

// The dividing modes in AVX2, one 32-bit lane per pixel and channel.
//
// Every quotient here has a numerator of at most 130050 and a divisor of 1 … 255, which the
// float division of avx2_lanes.h gives exactly: one vector division replaces eight lookups of
// a 64 KB table or eight integer divisions.
#include "layers/dividing_modes_avx2.h"

#include "layers/avx2_lanes.h"
#include "layers/blend_modes.h"

#include <immintrin.h>

namespace qm {

namespace {

using namespace lanes;

__attribute__((target("avx2"))) inline __m256i quotient(__m256i n, __m256i d)
{
    return divide(n, divisorOf(d));
}

__attribute__((target("avx2"))) inline __m256i times255(__m256i v)
{
    return _mm256_sub_epi32(_mm256_slli_epi32(v, 8), v);
}

// x / 255 for 0 ≤ x ≤ 65025: (x × 32897) >> 23.
__attribute__((target("avx2"))) inline __m256i div255Lane(__m256i x)
{
    return _mm256_srli_epi32(_mm256_mullo_epi32(x, _mm256_set1_epi32(32897)), 23);
}

// The soft-light curve D(d) of the upper half, as 32-bit entries for a gather.
const std::array<int32_t, 256> kCurve32 = [] {
    std::array<int32_t, 256> t{};
    for (size_t d = 0; d < 256; ++d)
        t[d] = blend::kSoftLightCurve[d];
    return t;
}();

// f(d, s) of one channel for eight pixels.
template <BlendMode M> __attribute__((target("avx2"))) inline __m256i channel(__m256i d, __m256i s)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i k255 = _mm256_set1_epi32(255);
    const __m256i inverse = _mm256_sub_epi32(k255, d); // 255 − d
    if constexpr (M == BlendMode::Burn) {
        // s = 0: 255 when d = 255, else 0; otherwise 255 − min(255, (255 − d) × 255 / s).
        const __m256i q = quotient(times255(inverse), _mm256_max_epi32(s, one));
        const __m256i f = _mm256_sub_epi32(k255, _mm256_min_epi32(q, k255));
        const __m256i atZero = _mm256_and_si256(_mm256_cmpeq_epi32(d, k255), k255);
        return select(_mm256_cmpeq_epi32(s, zero), atZero, f);
    } else if constexpr (M == BlendMode::Dodge) {
        // s = 255: 255 when d > 0, else 0; otherwise min(255, d × 255 / (255 − s)).
        const __m256i t = _mm256_sub_epi32(k255, s);
        const __m256i q = quotient(times255(d), _mm256_max_epi32(t, one));
        const __m256i atFull = _mm256_andnot_si256(_mm256_cmpeq_epi32(d, zero), k255);
        return select(_mm256_cmpeq_epi32(t, zero), atFull, _mm256_min_epi32(q, k255));
    } else if constexpr (M == BlendMode::VividLight) {
        // The upper half dodges by 2(255 − s), the lower half burns by 2s; one division each.
        const __m256i upper = _mm256_cmpgt_epi32(s, _mm256_set1_epi32(127));
        const __m256i divisor = select(upper, _mm256_sub_epi32(k255, s), s);
        const __m256i numerator = times255(select(upper, d, inverse));
        const __m256i q = _mm256_min_epi32(
            _mm256_srli_epi32(quotient(numerator, _mm256_max_epi32(divisor, one)), 1), k255);
        const __m256i dodged = select(_mm256_cmpeq_epi32(s, k255), k255, q);
        const __m256i burnt = select(_mm256_cmpeq_epi32(s, zero), zero, _mm256_sub_epi32(k255, q));
        return select(upper, dodged, burnt);
    } else {
        static_assert(M == BlendMode::SoftLight);
        // s < 128: (255d − (255 − 2s) × Mul255(d, 255 − d)) / 255;
        // s ≥ 128: (255d + (D(d) − d) × (2s − 255)) / 255.
        const __m256i twice = _mm256_add_epi32(s, s);
        const __m256i lower = _mm256_cmpgt_epi32(_mm256_set1_epi32(128), s);
        const __m256i darker = _mm256_sub_epi32(
            times255(d), _mm256_mullo_epi32(_mm256_sub_epi32(k255, twice),
                                            div255Lane(_mm256_mullo_epi32(d, inverse))));
        const __m256i curve = _mm256_i32gather_epi32(kCurve32.data(), d, 4);
        const __m256i lighter =
            _mm256_add_epi32(times255(d), _mm256_mullo_epi32(_mm256_sub_epi32(curve, d),
                                                             _mm256_sub_epi32(twice, k255)));
        return quotient(select(lower, darker, lighter), k255);
    }
}

} // namespace

template <BlendMode M>
__attribute__((target("avx2"))) void
compositeDividingRowAvx2(uint32_t* dest, const uint32_t* source, int32_t count, uint32_t opacity)
{
    compositeLaneRow<M>(
        dest, source, count, opacity,
        [](const Rgb& pc, const Rgb& sc) __attribute__((target("avx2"))) {
            return Rgb{channel<M>(pc.r, sc.r), channel<M>(pc.g, sc.g), channel<M>(pc.b, sc.b)};
        });
}

template void compositeDividingRowAvx2<BlendMode::Burn>(uint32_t*, const uint32_t*, int32_t,
                                                        uint32_t);
template void compositeDividingRowAvx2<BlendMode::Dodge>(uint32_t*, const uint32_t*, int32_t,
                                                         uint32_t);
template void compositeDividingRowAvx2<BlendMode::VividLight>(uint32_t*, const uint32_t*, int32_t,
                                                              uint32_t);
template void compositeDividingRowAvx2<BlendMode::SoftLight>(uint32_t*, const uint32_t*, int32_t,
                                                             uint32_t);

} // namespace qm

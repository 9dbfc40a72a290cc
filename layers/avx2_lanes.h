// Eight pixels in 32-bit lanes, one lane per pixel and channel: the pieces the hand-written
// AVX2 blend kernels share. Pixel format 0xAARRGGBB, not premultiplied.
#pragma once

#include <array>
#include <cstdint>
#include <immintrin.h>

namespace qm::lanes {

// ⌊2³²/d⌋ + 1 for d ≥ 2, which fits 32 bits; d = 1 is handled apart, d = 0 never picked.
inline constexpr std::array<uint32_t, 256> kReciprocals32 = [] {
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
    const __m256i sum =
        _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(r, _mm256_set1_epi32(19595)),
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
    const __m256i odd =
        _mm256_mul_epu32(_mm256_srli_epi64(magnitude, 32), _mm256_srli_epi64(d.reciprocal, 32));
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

// Lerp255(f, d, a) per lane with ka = a × 32897 and kd = 8388735 − ka.
__attribute__((target("avx2"))) inline __m256i lerp(__m256i f, __m256i d, __m256i ka, __m256i kd)
{
    return _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(f, ka), _mm256_mullo_epi32(d, kd)),
                             23);
}

// The destination's alpha with the three blended channels.
__attribute__((target("avx2"))) inline __m256i packRgb(__m256i dest, const Rgb& c)
{
    return _mm256_or_si256(
        _mm256_or_si256(_mm256_and_si256(dest, _mm256_set1_epi32(int32_t(0xFF000000u))),
                        _mm256_slli_epi32(c.r, 16)),
        _mm256_or_si256(_mm256_slli_epi32(c.g, 8), c.b));
}

} // namespace qm::lanes

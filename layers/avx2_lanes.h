// Eight pixels in 32-bit lanes, one lane per pixel and channel: the pieces the hand-written
// AVX2 blend kernels share. Pixel format 0xAARRGGBB, not premultiplied.
#pragma once

#include "layers/blend_modes.h"

#include <cstdint>
#include <immintrin.h>

namespace qm::lanes {

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

// Eight divisors of 1 … 255 (a lane whose divisor is 0 must not be picked), as floats.
struct Divisor {
    __m256 value;
};

__attribute__((target("avx2"))) inline Divisor divisorOf(__m256i d)
{
    return {_mm256_cvtepi32_ps(d)};
}

// n / d truncated towards zero, per lane, for |n| ≤ 130050. n and d are exact as floats; a
// divisor of 1 gives n itself, and any other a quotient below 65536, which the float division
// rounds by at most 2^-9, while a quotient that is not whole lies at least 1/255 short of the
// next whole number away from zero. So truncating the float quotient gives the integer one.
__attribute__((target("avx2"))) inline __m256i divide(__m256i n, const Divisor& d)
{
    return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(n), d.value));
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

// A composite row of a mode whose blended colour `blend(pixel, source)` (three channels) is
// worked out eight pixels at a time: each channel becomes Lerp255(f, d, a) with
// a = opacity × As / 255, the destination's alpha kept; the tail goes pixel by pixel.
template <BlendMode M, typename Blend>
__attribute__((target("avx2"), always_inline)) inline void
compositeLaneRow(uint32_t* dest, const uint32_t* source, int32_t count, uint32_t opacity,
                 Blend&& blend)
{
    const __m256i opacity32 = _mm256_set1_epi32(int32_t(opacity * 32897u));
    const __m256i full = _mm256_set1_epi32(8388735);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dest + i));
        const Rgb pc = channelsOf(d);
        const Rgb f = blend(pc, channelsOf(s));
        const __m256i a =
            _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(s, 24), opacity32), 23);
        const __m256i ka = _mm256_mullo_epi32(a, _mm256_set1_epi32(32897));
        const __m256i kd = _mm256_sub_epi32(full, ka);
        const __m256i out =
            packRgb(d, {lerp(f.r, pc.r, ka, kd), lerp(f.g, pc.g, ka, kd), lerp(f.b, pc.b, ka, kd)});
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), out);
    }
    for (; i < count; ++i)
        dest[i] = compositeMode<M>(dest[i], source[i], opacity);
}

} // namespace qm::lanes

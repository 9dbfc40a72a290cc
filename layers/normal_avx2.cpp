// The normal mode's composite row in AVX2 with 16-bit lanes: twice the channels per
// instruction of the 32-bit form the compiler picks on its own.
//
// Pixel format: 0xAARRGGBB (memory order B, G, R, A), not premultiplied.
// Per channel: a = opacity × As / 255, d' = (s × a + d × (255 − a)) / 255. Every product and
// sum stays within 0..65025, where x / 255 = (x × 32897) >> 23 exactly; the high half of a
// 16-bit multiply by 32897, shifted by 7, gives just that. The alpha channel is blended with
// a = 0, which leaves it unchanged.
#include "layers/normal_avx2.h"

#include "layers/blend_modes.h"

#include <immintrin.h>

namespace qm {

__attribute__((target("avx2"))) void compositeNormalRowAvx2(uint32_t* dest, const uint32_t* source,
                                                            int32_t count, uint32_t opacity)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i k32897 = _mm256_set1_epi16(int16_t(32897));
    const __m256i k255 = _mm256_set1_epi16(255);
    const __m256i opacity32 = _mm256_set1_epi32(int32_t(opacity * 32897u));
    // Keeps the three colour lanes of each pixel, clears the alpha lane.
    const __m256i colourLanes = _mm256_set1_epi64x(0x0000FFFFFFFFFFFFll);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        // A kilobyte ahead on both rows: the arithmetic is quick enough that waiting on the
        // memory is what is left, and the hardware's own prefetch starts too late on long rows.
        _mm_prefetch(reinterpret_cast<const char*>(source + i) + 1024, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(dest + i) + 1024, _MM_HINT_T0);
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dest + i));
        // a = (opacity × As × 32897) >> 23 in 32-bit lanes, then copied into both 16-bit halves.
        const __m256i a32 = _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(s, 24), opacity32), 23);
        const __m256i a16 = _mm256_or_si256(a32, _mm256_slli_epi32(a32, 16));
        const __m256i aLo = _mm256_and_si256(_mm256_unpacklo_epi32(a16, a16), colourLanes);
        const __m256i aHi = _mm256_and_si256(_mm256_unpackhi_epi32(a16, a16), colourLanes);

        const __m256i sLo = _mm256_unpacklo_epi8(s, zero), sHi = _mm256_unpackhi_epi8(s, zero);
        const __m256i dLo = _mm256_unpacklo_epi8(d, zero), dHi = _mm256_unpackhi_epi8(d, zero);
        const __m256i xLo = _mm256_add_epi16(_mm256_mullo_epi16(sLo, aLo),
                                             _mm256_mullo_epi16(dLo, _mm256_sub_epi16(k255, aLo)));
        const __m256i xHi = _mm256_add_epi16(_mm256_mullo_epi16(sHi, aHi),
                                             _mm256_mullo_epi16(dHi, _mm256_sub_epi16(k255, aHi)));
        const __m256i qLo = _mm256_srli_epi16(_mm256_mulhi_epu16(xLo, k32897), 7);
        const __m256i qHi = _mm256_srli_epi16(_mm256_mulhi_epu16(xHi, k32897), 7);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), _mm256_packus_epi16(qLo, qHi));
    }
    for (; i < count; ++i)
        dest[i] = compositeMode<BlendMode::Normal>(dest[i], source[i], opacity);
}

} // namespace qm

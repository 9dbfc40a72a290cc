#include "filters/gauss_rows.h"

namespace qm {

namespace {

inline void accumulateBody(TGaussSums& sums, const TGaussSamples& s, uint32_t t, size_t n)
{
    uint32_t* __restrict sa = sums.a.data();
    uint32_t* __restrict sta = sums.ta.data();
    uint32_t* __restrict stb = sums.tb.data();
    uint32_t* __restrict stg = sums.tg.data();
    uint32_t* __restrict str = sums.tr.data();
    for (size_t i = 0; i < n; ++i) {
        sa[i] += s.a[i];
        sta[i] += t * s.a[i];
        stb[i] += t * s.b[i];
        stg[i] += t * s.g[i];
        str[i] += t * s.r[i];
    }
}

} // namespace

void accumulateGaussRowPlain(TGaussSums& sums, const TGaussSamples& samples, uint32_t t, size_t n)
{
    accumulateBody(sums, samples, t, n);
}

// The same loop compiled for AVX2: eight pixels per instruction.
__attribute__((target("avx2"))) void accumulateGaussRowAvx2(TGaussSums& sums,
                                                            const TGaussSamples& s, uint32_t t,
                                                            size_t n)
{
    uint32_t* __restrict sa = sums.a.data();
    uint32_t* __restrict sta = sums.ta.data();
    uint32_t* __restrict stb = sums.tb.data();
    uint32_t* __restrict stg = sums.tg.data();
    uint32_t* __restrict str = sums.tr.data();
    for (size_t i = 0; i < n; ++i) {
        sa[i] += s.a[i];
        sta[i] += t * s.a[i];
        stb[i] += t * s.b[i];
        stg[i] += t * s.g[i];
        str[i] += t * s.r[i];
    }
}

bool gaussRowsHaveAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

void accumulateGaussRow(TGaussSums& sums, const TGaussSamples& samples, uint32_t t, size_t n)
{
    if (gaussRowsHaveAvx2())
        accumulateGaussRowAvx2(sums, samples, t, n);
    else
        accumulateGaussRowPlain(sums, samples, t, n);
}

} // namespace qm

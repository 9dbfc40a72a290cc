// The hot loop of both Gaussian passes: weighted sums over a row of premultiplied samples.
// Integer only, so the AVX2 variant gives exactly the plain variant's sums.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm {

// ΣA, Σ t·A and Σ t·A·C per pixel. Kernel weights add up to about 65536 and A·C is at most
// 65025, so every sum fits 32 bits.
struct TGaussSums {
    std::vector<uint32_t> a, ta, tb, tg, tr;
    void reset(size_t n)
    {
        for (auto* v : {&a, &ta, &tb, &tg, &tr})
            v->assign(n, 0u);
    }
};

// Planes of one row: alpha and alpha × blue, green, red.
struct TGaussSamples {
    const uint16_t* a;
    const uint16_t* b;
    const uint16_t* g;
    const uint16_t* r;
};

// sums[i] += samples[i] (ΣA) and t × samples[i] (the weighted sums) for i < n.
void accumulateGaussRow(TGaussSums& sums, const TGaussSamples& samples, uint32_t t, size_t n);
// The two variants, for the test that holds them to the same result.
void accumulateGaussRowPlain(TGaussSums& sums, const TGaussSamples& samples, uint32_t t,
                             size_t n);
void accumulateGaussRowAvx2(TGaussSums& sums, const TGaussSamples& samples, uint32_t t, size_t n);
bool gaussRowsHaveAvx2();

} // namespace qm

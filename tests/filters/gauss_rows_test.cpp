#include "filters/gauss_rows.h"

#include <gtest/gtest.h>

#include <random>

using namespace qm;

TEST(GaussRows, VectorVariantGivesThePlainSumsAtEverySpanAndStopsAtTheEnd)
{
    if (!gaussRowsHaveAvx2())
        GTEST_SKIP() << "no AVX2 on this processor";
    std::mt19937 random(3);
    constexpr size_t kMax = 100, kGuard = 8;
    std::vector<uint16_t> planes[4];
    for (auto& p : planes) {
        p.resize(kMax);
        for (auto& v : p)
            v = uint16_t(random() % 65026);
    }
    const TGaussSamples samples{planes[0].data(), planes[1].data(), planes[2].data(),
                                planes[3].data()};
    for (size_t n = 1; n <= kMax - kGuard; ++n) {
        TGaussSums plain, vector;
        plain.reset(n + kGuard);
        vector.reset(n + kGuard);
        // Several taps, the largest weight a kernel can have among them.
        for (uint32_t t : {65536u, 1234u, 0u, 40000u}) {
            accumulateGaussRowPlain(plain, samples, t, n);
            accumulateGaussRowAvx2(vector, samples, t, n);
        }
        ASSERT_EQ(plain.a, vector.a) << n;
        ASSERT_EQ(plain.ta, vector.ta) << n;
        ASSERT_EQ(plain.tb, vector.tb) << n;
        ASSERT_EQ(plain.tg, vector.tg) << n;
        ASSERT_EQ(plain.tr, vector.tr) << n;
        for (size_t i = n; i < n + kGuard; ++i)
            ASSERT_EQ(vector.tr[i], 0u) << n;
    }
}

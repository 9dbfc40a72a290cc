#include "paint/brush_rows.h"

#include "core/pixel_math.h"
#include "paint/brush_plot.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace qm {

TEST(BrushRows, VectorMixMatchesTheScalarRuleAtEveryLength)
{
    std::mt19937 rng(7);
    for (int32_t n = 1; n <= 130; ++n) {
        // One guard pixel past the end must survive.
        std::vector<uint32_t> base(size_t(n) + 1);
        std::vector<uint8_t> weight(static_cast<size_t>(n));
        for (auto& p : base)
            p = rng();
        for (auto& w : weight)
            w = uint8_t(rng() % 4 == 0 ? (rng() % 2) * 255 : rng());
        const uint32_t colour = rng() & 0xFFFFFF;
        auto reference = base, portable = base, avx2 = base;
        mixColourRowReference(reference.data(), weight.data(), colour, n);
        mixColourRowPortable(portable.data(), weight.data(), colour, n);
        ASSERT_EQ(portable, reference) << n;
        if (cpuHasAvx2()) {
            mixColourRowAvx2(avx2.data(), weight.data(), colour, n);
            ASSERT_EQ(avx2, reference) << n;
        }
    }
}

TEST(BrushRows, BlendOverRowMatchesThePixelBlendOnMixedAlpha)
{
    std::mt19937 rng(11);
    std::vector<uint32_t> row(200), expected(200);
    std::vector<uint8_t> weight(200);
    for (size_t i = 0; i < row.size(); ++i) {
        const uint32_t alpha = (i / 17) % 3 == 0 ? 255 : (i % 5 == 0 ? 0 : rng() & 0xFF);
        row[i] = alpha << 24 | (rng() & 0xFFFFFF);
        weight[i] = uint8_t(rng());
        expected[i] = blendOver(row[i], 0x3060C0, weight[i]);
    }
    blendOverRow(row.data(), weight.data(), 0x3060C0, int32_t(row.size()));
    EXPECT_EQ(row, expected);
}

} // namespace qm

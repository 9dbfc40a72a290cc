// Layers, masks and per-pixel references shared by the filter tests.
#pragma once

#include "core/block_vmtc.h"
#include "layers/layer_data.h"
#include "select/mask_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>

namespace qm::test {

inline uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return a << 24 | r << 16 | g << 8 | b;
}
inline uint32_t chan(uint32_t p, int c) { return (p >> (8 * c)) & 0xFF; } // 0 B, 1 G, 2 R, 3 A

// A layer whose pixels are random, with about one in six fully transparent (of a random
// colour) and one in six half transparent.
inline std::unique_ptr<CLayerData> randomLayer(int32_t w, int32_t h, uint32_t seed)
{
    auto layer = std::make_unique<CLayerData>();
    EXPECT_TRUE(layer->CreateImage(w, h, 0));
    std::mt19937 random(seed);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint32_t p = random();
            const uint32_t kind = random() % 6;
            if (kind == 0)
                p &= 0x00FFFFFFu;
            else if (kind == 1)
                p = (p & 0x00FFFFFFu) | 0x80000000u;
            else if (kind < 4)
                p |= 0xFF000000u;
            layer->image()->SetPixel(x, y, p);
        }
    return layer;
}

// A layer of one colour everywhere.
inline std::unique_ptr<CLayerData> flatLayer(int32_t w, int32_t h, uint32_t pixel)
{
    auto layer = std::make_unique<CLayerData>();
    EXPECT_TRUE(layer->CreateImage(w, h, 0));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            layer->image()->SetPixel(x, y, pixel);
    return layer;
}

// A mask of the given size at the given offset, coverage from a function of mask-local x, y.
template <typename Fn>
std::unique_ptr<CMaskData> makeMask(int32_t w, int32_t h, int32_t offsetX, int32_t offsetY,
                                    Fn&& coverage)
{
    auto mask = std::make_unique<CMaskData>();
    EXPECT_TRUE(mask->createMask(w, h, stderrMessageSink()));
    mask->offsetX = offsetX;
    mask->offsetY = offsetY;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            mask->coverage->SetPixel(x, y, uint8_t(coverage(x, y)));
    return mask;
}

// p + (n − p)·m/255 in the documented fixed form, for the references.
inline uint32_t refBlend(uint32_t n, uint32_t p, uint32_t m)
{
    return (n * m * 32897u + p * (8388735u - m * 32897u)) >> 23;
}

// Every pixel of two images equal; reports the first difference.
inline void expectSameImage(const CBlockVMTC& a, const CBlockVMTC& b)
{
    ASSERT_EQ(a.width(), b.width());
    ASSERT_EQ(a.height(), b.height());
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex
                              << a.GetPixel(x, y) << " != " << b.GetPixel(x, y);
                return;
            }
}

} // namespace qm::test

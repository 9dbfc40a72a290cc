#include "core/block_vch.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(BlockVCH, EmptyAndUniformMasksCostNothing)
{
    CBlockVCH empty(0, 10);
    EXPECT_FALSE(empty.IsValid());

    CBlockVCH mask(200, 130);
    ASSERT_TRUE(mask.IsValid());
    EXPECT_EQ(mask.blocksAcross(), 4);
    EXPECT_EQ(mask.blocksDown(), 3);
    EXPECT_EQ(mask.GetPixel(5, 5), 0);
    EXPECT_TRUE(mask.FillAll(255));
    EXPECT_TRUE(mask.Fill(TBox{64, 64, 64, 64}, 0));
    EXPECT_TRUE(mask.Xor(TBox{0, 0, 128, 128}, 0xFF));
    EXPECT_EQ(mask.MemoryUsed(), 0);
    EXPECT_EQ(mask.GetPixel(70, 70), 255);
    EXPECT_EQ(mask.GetPixel(10, 10), 0);
}

TEST(BlockVCH, PartialWritesAllocateAndOptimizeGivesBack)
{
    CBlockVCH mask(128, 64);
    ASSERT_TRUE(mask.Fill(TBox{10, 10, 100, 20}, 200));
    EXPECT_EQ(mask.MemoryUsed(), 2 * 4096);
    EXPECT_EQ(mask.GetPixel(10, 10), 200);
    EXPECT_EQ(mask.GetPixel(9, 10), 0);
    EXPECT_EQ(mask.GetPixelClamped(1000, 15), 0);
    EXPECT_EQ(mask.Optimize(), 0);
    mask.Fill(TBox{10, 10, 100, 20}, 0);
    EXPECT_EQ(mask.Optimize(), 2);
    EXPECT_EQ(mask.MemoryUsed(), 0);
}

TEST(BlockVCH, FlatChannelRoundTripAndRows)
{
    TChannel flat(70, 70);
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 70; ++x)
            flat.row(y)[x] = uint8_t(x + y);
    CBlockVCH mask(100, 100);
    ASSERT_TRUE(mask.CopyFrom(flat, {20, 20}, flat.bounds()));
    EXPECT_EQ(mask.GetPixel(20, 20), 0);
    EXPECT_EQ(mask.GetPixel(89, 89), 138);
    TChannel back(70, 70);
    ASSERT_TRUE(mask.CopyTo(back, {0, 0}, TBox{20, 20, 70, 70}));
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 70; ++x)
            ASSERT_EQ(back.row(y)[x], flat.row(y)[x]);

    uint8_t row[10];
    EXPECT_EQ(mask.ReadRow(60, 20, 10, row), 10);
    EXPECT_EQ(row[4], 44);
    EXPECT_EQ(mask.ReadRow(0, 100, 10, row), 0);
}

TEST(BlockVCH, CombineMergesFillsOfUniformBlocks)
{
    CBlockVCH a(128, 128), b(128, 128);
    a.FillAll(100);
    b.Fill(TBox{0, 0, 64, 64}, 50);
    b.SetPixel(100, 100, 200);
    auto maxFn = [](uint8_t* d, const uint8_t* s, int32_t n) {
        for (int32_t i = 0; i < n; ++i)
            d[i] = std::max(d[i], s[i]);
    };
    ASSERT_TRUE(a.Combine(b, {0, 0}, b.bounds(), maxFn));
    EXPECT_EQ(a.GetPixel(0, 0), 100);
    EXPECT_EQ(a.GetPixel(100, 100), 200);
    EXPECT_EQ(a.MemoryUsed(), 4096); // only the block under the allocated source one
}

TEST(BlockVCH, BoxFilterDownscale)
{
    CBlockVCH mask(4, 4);
    mask.Fill(TBox{0, 0, 2, 4}, 255);
    TChannel half(2, 2);
    ASSERT_TRUE(mask.DownscaleTo(half));
    // Ratio 2: each destination pixel averages 3 × 3 samples (clamped at the edge).
    EXPECT_EQ(half.row(0)[0], 255 * 6 / 9);
    EXPECT_EQ(half.row(0)[1], 0);
}

#include "core/block_vmtc.h"
#include "core/image_ops.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {
constexpr int64_t kBlockBytes = 32 * 32 * 4;

// A colour image whose block storage runs out after a number of allocations.
class FailingBlockVMTC : public CBlockVMTC {
public:
    FailingBlockVMTC(int32_t w, int32_t h, int allowed) : CBlockVMTC(w, h), allowed_(allowed) {}

protected:
    std::unique_ptr<uint8_t[]> newStorage(size_t bytes) override
    {
        if (allowed_-- <= 0)
            return nullptr;
        return CBlockVMTC::newStorage(bytes);
    }

private:
    int allowed_;
};
} // namespace

TEST(BlockVMTC, TableOfEdgeBlocks)
{
    CBlockVMTC image(33, 1);
    ASSERT_TRUE(image.IsValid());
    EXPECT_EQ(image.blocksAcross(), 2);
    EXPECT_EQ(image.blocksDown(), 1);
    const TBlockInfo* edge = image.GetBlock(1, 0);
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(edge->validWidth, 1);
    EXPECT_EQ(edge->validHeight, 1);
    EXPECT_EQ(edge->x0, 32);
    EXPECT_TRUE(image.SetPixel(32, 0, 0xFF000000u));
    EXPECT_EQ(image.MemoryUsed(), kBlockBytes); // full size although one pixel is valid
    EXPECT_EQ(image.GetBlock(2, 0), nullptr);
}

TEST(BlockVMTC, NewImageReadsTransparentWhiteAndCostsNothing)
{
    CBlockVMTC image(100, 70);
    EXPECT_EQ(image.GetPixel(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(image.GetPixel(99, 69), 0x00FFFFFFu);
    EXPECT_EQ(image.GetPixel(-1, 0), 0u);           // outside the table
    EXPECT_EQ(image.GetPixelOrDefault(-1, 0), 0x00FFFFFFu);
    EXPECT_EQ(image.GetPixelClamped(-5, 500), 0x00FFFFFFu);
    EXPECT_EQ(image.contentRegion().count(), 0);
    EXPECT_EQ(image.MemoryUsed(), 0);
    TRect bounds;
    EXPECT_FALSE(image.ContentBounds(bounds));
}

TEST(BlockVMTC, UniformWholeBlockOperationsAllocateNothing)
{
    CBlockVMTC image(256, 128);
    EXPECT_TRUE(image.FillAll(0xFF112233u));
    EXPECT_EQ(image.MemoryUsed(), 0);
    ASSERT_EQ(image.contentRegion().count(), 1);
    EXPECT_EQ(image.contentRegion()[0], (TRect{0, 0, 256, 128}));

    EXPECT_TRUE(image.SetColorRef(image.bounds(), 0x00445566u));
    EXPECT_EQ(image.GetPixel(10, 10), 0xFF665544u);
    EXPECT_TRUE(image.SetAlpha(TBox{32, 32, 64, 64}, 0x80));
    EXPECT_EQ(image.GetPixel(40, 40), 0x80665544u);
    EXPECT_TRUE(image.Xor(image.bounds(), 0x00FFFFFFu));
    EXPECT_EQ(image.GetPixel(0, 0), 0xFF99AABBu);

    CBlockVMTC other(256, 128);
    other.FillAll(0xFF000000u);
    EXPECT_TRUE(image.CopyFrom(other, {0, 0}, other.bounds()));
    EXPECT_TRUE(image.Merge(other, {0, 0}, other.bounds(), false,
                            [](uint32_t* d, const uint32_t* s, int32_t n) {
                                for (int32_t i = 0; i < n; ++i)
                                    d[i] ^= s[i];
                            }));
    EXPECT_EQ(image.GetPixel(5, 5), 0x00000000u);
    EXPECT_EQ(image.MemoryUsed(), 0);
}

TEST(BlockVMTC, PaintingOnePixelAllocatesOneBlockFromItsFill)
{
    CBlockVMTC image(100, 100);
    image.FillAll(0xFF0000FFu);
    EXPECT_TRUE(image.SetPixel(40, 40, 0xFFFFFFFFu));
    EXPECT_EQ(image.MemoryUsed(), kBlockBytes);
    EXPECT_EQ(image.GetPixel(40, 40), 0xFFFFFFFFu);
    EXPECT_EQ(image.GetPixel(41, 40), 0xFF0000FFu);
    EXPECT_EQ(image.GetPixel(63, 63), 0xFF0000FFu);
    EXPECT_FALSE(image.SetPixel(100, 0, 0)); // outside the picture, even inside the edge block
}

TEST(BlockVMTC, MaskedSetCoveringWholeBlocksOnlyAtItsCentre)
{
    CBlockVMTC image(128, 128);
    // From 16 to 112: the four centre blocks are covered whole, the twelve around them partly.
    EXPECT_TRUE(image.MaskedSet(TBox{16, 16, 96, 96}, 0xFFFFFFFFu, 0xFF00FF00u));
    for (int by = 0; by < 4; ++by)
        for (int bx = 0; bx < 4; ++bx) {
            const bool inner = bx >= 1 && bx <= 2 && by >= 1 && by <= 2;
            EXPECT_EQ(image.GetBlock(bx, by)->allocated, !inner) << bx << "," << by;
        }
    EXPECT_EQ(image.MemoryUsed(), 12 * kBlockBytes);
    EXPECT_EQ(image.GetPixel(15, 15), 0x00FFFFFFu);
    EXPECT_EQ(image.GetPixel(16, 16), 0xFF00FF00u);
    EXPECT_EQ(image.GetPixel(111, 111), 0xFF00FF00u);
    EXPECT_EQ(image.GetPixel(112, 111), 0x00FFFFFFu);
    EXPECT_EQ(image.GetPixel(64, 64), 0xFF00FF00u);
}

TEST(BlockVMTC, OptimizeFreesUniformBlocksAndShrinksTheRegion)
{
    CBlockVMTC image(128, 64);
    image.SetPixel(5, 5, 0xFF000000u);
    image.SetPixel(100, 40, 0xFF000000u);
    EXPECT_EQ(image.contentRegion().count(), 2);
    EXPECT_EQ(image.Optimize(), 0);
    // The stroke is undone: the first block is transparent white again.
    image.SetPixel(5, 5, 0x00FFFFFFu);
    EXPECT_EQ(image.Optimize(), 1);
    EXPECT_EQ(image.MemoryUsed(), kBlockBytes);
    ASSERT_EQ(image.contentRegion().count(), 1);
    EXPECT_EQ(image.contentRegion()[0], (TRect{96, 32, 128, 64}));
    EXPECT_EQ(image.GetPixel(5, 5), 0x00FFFFFFu);
    TRect bounds;
    ASSERT_TRUE(image.ContentBounds(bounds));
    EXPECT_EQ(bounds, (TRect{96, 32, 128, 64}));
}

TEST(BlockVMTC, OptimizeLooksAtTheWholeEdgeBlock)
{
    CBlockVMTC image(40, 40);
    ASSERT_NE(image.PixelPointer(39, 39), nullptr);
    // Paint the valid part of the edge block, leaving the part outside the picture alone.
    image.MaskedSet(TBox{32, 32, 8, 8}, 0xFFFFFFFFu, 0xFF000000u);
    EXPECT_EQ(image.Optimize(), 0);
}

TEST(BlockVMTC, ExportAndImportThroughAFlatImage)
{
    CBlockVMTC image(64, 64);
    image.FillAll(0x00FFFFFFu);
    image.SetPixel(1, 1, 0xFF102030u);
    image.MaskedSet(TBox{32, 0, 32, 32}, 0xFFFFFFFFu, 0x80FF0000u); // unallocated, Fill only

    TMTC flat(64, 64);
    fillAll(flat, 0x11111111u);
    EXPECT_TRUE(image.ExportTo(flat, {0, 0}, true, 255, image.bounds()));
    EXPECT_EQ(flat.pixel(1, 1), 0xFF102030u);
    EXPECT_EQ(flat.pixel(0, 0), 0x00FFFFFFu);     // allocated block: copied whole
    EXPECT_EQ(flat.pixel(40, 10), 0x80FF0000u);   // Fill written, alpha and all
    EXPECT_EQ(flat.pixel(10, 40), 0x11111111u);   // transparent Fill skipped

    fillAll(flat, 0xFF000000u);
    EXPECT_TRUE(image.ExportTo(flat, {-1, -1}, false, 128, TBox{0, 0, 64, 64}));
    uint32_t expected = 0xFF000000u;
    PaintNormal(&expected, 0xFF102030u, 128);
    EXPECT_EQ(flat.pixel(0, 0), expected); // (1,1) landed at (0,0)

    CBlockVMTC back(64, 64);
    TMTC source(8, 8);
    fillAll(source, 0xFFABCDEFu);
    EXPECT_TRUE(back.ImportFrom(source, {30, 30}, 255, source.bounds()));
    EXPECT_EQ(back.GetPixel(30, 30), 0xFFABCDEFu);
    EXPECT_EQ(back.GetPixel(37, 37), 0xFFABCDEFu);
    EXPECT_EQ(back.GetPixel(38, 37), 0x00FFFFFFu);
    EXPECT_EQ(back.MemoryUsed(), 4 * kBlockBytes);
}

TEST(BlockVMTC, CopyFromAcrossMisalignedBlocks)
{
    CBlockVMTC source(100, 100), dest(100, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            source.SetPixel(x, y, 0xFF000000u | uint32_t(x << 8 | y));
    EXPECT_TRUE(dest.CopyFrom(source, {7, 3}, TBox{10, 20, 50, 40}));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 7 && x < 57 && y >= 3 && y < 43;
            const uint32_t want = inside ? source.GetPixel(x + 3, y + 17) : 0x00FFFFFFu;
            ASSERT_EQ(dest.GetPixel(x, y), want) << x << "," << y;
        }
}

TEST(BlockVMTC, MergeSkipsTransparentSourcesWhenAsked)
{
    CBlockVMTC dest(64, 32), source(64, 32);
    dest.FillAll(0xFF808080u);
    source.SetPixel(40, 5, 0xFF000000u); // second block allocated, first stays transparent
    auto invert = [](uint32_t* d, const uint32_t*, int32_t n) {
        for (int32_t i = 0; i < n; ++i)
            d[i] ^= 0x00FFFFFFu;
    };
    EXPECT_TRUE(dest.Merge(source, {0, 0}, source.bounds(), true, invert));
    EXPECT_EQ(dest.GetPixel(0, 0), 0xFF808080u); // skipped
    EXPECT_EQ(dest.GetPixel(40, 5), 0xFF7F7F7Fu);
    EXPECT_FALSE(dest.GetBlock(0, 0)->allocated);

    EXPECT_TRUE(dest.Merge(source, {0, 0}, source.bounds(), false, invert));
    EXPECT_EQ(dest.GetPixel(0, 0), 0xFF7F7F7Fu); // merged once into the Fill
    EXPECT_FALSE(dest.GetBlock(0, 0)->allocated);
}

TEST(BlockVMTC, CopyBlockRectWidensToBlocks)
{
    CBlockVMTC source(96, 96), snapshot(96, 96);
    source.FillAll(0xFF000001u);
    source.SetPixel(33, 33, 0xFF000002u);
    EXPECT_TRUE(snapshot.CopyBlockRect(source, {33, 33}, TBox{33, 33, 2, 2}));
    EXPECT_EQ(snapshot.GetPixel(32, 32), 0xFF000001u); // whole block came along
    EXPECT_EQ(snapshot.GetPixel(33, 33), 0xFF000002u);
    EXPECT_EQ(snapshot.GetPixel(0, 0), 0x00FFFFFFu);    // other blocks untouched
    EXPECT_EQ(snapshot.MemoryUsed(), kBlockBytes);
    EXPECT_EQ(snapshot.contentRegion().count(), 1);

    CBlockVMTC copy(source);
    EXPECT_EQ(copy.GetPixel(33, 33), 0xFF000002u);
    EXPECT_EQ(copy.GetPixel(90, 5), 0xFF000001u);
    EXPECT_EQ(copy.MemoryUsed(), kBlockBytes);
}

TEST(BlockVMTC, FlipsAndRotations)
{
    CBlockVMTC image(40, 20);
    image.FillAll(0xFF000000u);
    image.SetPixel(0, 0, 0xFF0000FFu);
    image.SetPixel(39, 0, 0xFF00FF00u);
    EXPECT_TRUE(image.FlipHorizontal(image.bounds()));
    EXPECT_EQ(image.GetPixel(39, 0), 0xFF0000FFu);
    EXPECT_EQ(image.GetPixel(0, 0), 0xFF00FF00u);
    EXPECT_TRUE(image.FlipVertical(image.bounds()));
    EXPECT_EQ(image.GetPixel(39, 19), 0xFF0000FFu);
    EXPECT_TRUE(image.Rotate180(image.bounds()));
    EXPECT_EQ(image.GetPixel(0, 0), 0xFF0000FFu);

    TMTC turned;
    ASSERT_TRUE(image.Rotate90To(turned, true));
    EXPECT_EQ(turned.width(), 20);
    EXPECT_EQ(turned.height(), 40);
    EXPECT_EQ(turned.pixel(19, 0), 0xFF0000FFu); // (0,0) → (H−1−0, 0)
    EXPECT_EQ(turned.pixel(19, 39), 0xFF00FF00u); // (39,0) → (19, 39)
    ASSERT_TRUE(image.Rotate90To(turned, false));
    EXPECT_EQ(turned.pixel(0, 39), 0xFF0000FFu); // (0,0) → (0, W−1−0)

    CBlockVMTC target(64, 64);
    ASSERT_TRUE(image.Rotate90To(target, {4, 4}, true));
    EXPECT_EQ(target.GetPixel(23, 4), 0xFF0000FFu);
    EXPECT_EQ(target.GetPixel(3, 4), 0x00FFFFFFu);
}

TEST(BlockVMTC, Downscales)
{
    CBlockVMTC image(64, 64);
    image.FillAll(0xFF204060u);
    TMTC flat(16, 16);
    fillAll(flat, 0x7F000000u);
    ASSERT_TRUE(image.DownscaleTo(flat));
    EXPECT_EQ(flat.pixel(3, 3), 0x7F204060u); // alpha of the destination kept

    CBlockVMTC checker(2, 2), one(1, 1);
    checker.SetPixel(0, 0, 0xFF000000u);
    checker.SetPixel(1, 0, 0x00FFFFFFu);
    checker.SetPixel(0, 1, 0x00FFFFFFu);
    checker.SetPixel(1, 1, 0xFF000000u);
    ASSERT_TRUE(checker.DownscaleTo(one));
    // Steps 2048, quarter 512: samples at 0,0,1,1 on both axes → two of each colour per row.
    EXPECT_EQ(one.GetPixel(0, 0), 0x7F7F7F7Fu);
}

TEST(BlockVMTC, AlphaPlanesAndChannelRows)
{
    CBlockVMTC image(70, 3);
    image.FillAll(0xFF123456u);
    TAlphaPlane plane;
    ASSERT_TRUE(image.CopyAlphaOut(TBox{60, 0, 20, 2}, plane));
    EXPECT_EQ(plane.width, 10); // clipped to the picture
    EXPECT_EQ(plane.bytes[0], 0xFF);
    std::fill(plane.bytes.begin(), plane.bytes.end(), 0x40);
    ASSERT_TRUE(image.WriteAlpha(TBox{60, 0, 10, 2}, plane));
    EXPECT_EQ(image.GetPixel(65, 1), 0x40123456u);
    EXPECT_EQ(image.GetPixel(65, 2), 0xFF123456u);

    uint8_t row[80] = {};
    EXPECT_EQ(image.ReadChannelRow(-5, 0, 80, 2, row), 70);
    EXPECT_EQ(row[0], 0);    // x = −5 lies outside and is left alone
    EXPECT_EQ(row[5], 0x12); // x = 0
    EXPECT_EQ(image.ReadChannelRow(0, 3, 10, 0, row), 0); // row outside
    EXPECT_EQ(image.ReadChannelRow(0, 0, 10, 4, row), 0); // channel outside
    std::fill(std::begin(row), std::end(row), 0x99);
    EXPECT_EQ(image.WriteChannelRow(30, 2, 10, 0, row), 10); // crosses a block boundary
    EXPECT_EQ(image.GetPixel(31, 2), 0xFF123499u);
    EXPECT_EQ(image.GetPixel(32, 2), 0xFF123499u);
    EXPECT_EQ(image.GetPixel(40, 2), 0xFF123456u);

    TAlphaPlane whole{70, 3, std::vector<uint8_t>(210, 0x01)};
    ASSERT_TRUE(image.SwapAlpha(whole));
    EXPECT_EQ(whole.bytes[65], 0x40);
    EXPECT_EQ(image.GetPixel(0, 0), 0x01123456u);
}

TEST(BlockVMTC, OneBitRowImport)
{
    CBlockVMTC image(16, 1);
    image.FillAll(0x80123456u);
    const uint8_t bits[2] = {0x80, 0x01};
    ASSERT_TRUE(image.ImportOneBitRow(0, bits, 16));
    EXPECT_EQ(image.GetPixel(0, 0), 0x80000000u);
    for (int x = 1; x < 8; ++x)
        EXPECT_EQ(image.GetPixel(x, 0), 0x80FFFFFFu) << x;
    EXPECT_EQ(image.GetPixel(15, 0), 0x80000000u);
}

TEST(BlockVMTC, FailedAllocationShowsTheMessageAndWritesNothing)
{
    CollectingMessageSink sink;
    FailingBlockVMTC image(64, 32, 1);
    image.setMessageSink(&sink);
    EXPECT_TRUE(image.SetPixel(0, 0, 0xFF000000u));
    EXPECT_FALSE(image.SetPixel(40, 0, 0xFF000000u));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], kBlockAllocFailedMessage);
    EXPECT_FALSE(image.GetBlock(1, 0)->allocated);
    EXPECT_EQ(image.GetPixel(40, 0), 0x00FFFFFFu);
    EXPECT_FALSE(image.MaskedSet(TBox{0, 0, 64, 1}, 0xFFFFFFFFu, 0xFF00FF00u));
    EXPECT_EQ(image.GetPixel(1, 0), 0xFF00FF00u); // the allocated part was still written
}

TEST(BlockVMTC, HostileSizesGiveAnInvalidImage)
{
    CBlockVMTC negative(-1, 10);
    EXPECT_FALSE(negative.IsValid());
    EXPECT_FALSE(negative.FillAll(0));
    CBlockVMTC huge(1 << 30, 1 << 30);
    EXPECT_FALSE(huge.IsValid());
    EXPECT_EQ(huge.GetPixel(0, 0), 0u);
}

TEST(BlockVMTC, DownscaleOfABox)
{
    CBlockVMTC image(64, 64);
    image.MaskedSet(TBox{32, 0, 32, 64}, 0xFFFFFFFFu, 0xFF0000FFu);
    TMTC small(4, 4);
    ASSERT_TRUE(image.DownscaleTo(small, TBox{32, 0, 32, 32}));
    EXPECT_EQ(small.pixel(0, 0), 0x000000FFu); // only the blue right half was sampled
    EXPECT_EQ(small.pixel(3, 3), 0x000000FFu);
}

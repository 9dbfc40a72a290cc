#include "layers/layer_data.h"

#include "layers/blend_mode_table.h"
#include "layers/fake_layer_undo.h"

#include <gtest/gtest.h>

using namespace qm;
using qm::test::FakeLayerUndo;

namespace {
constexpr int64_t kBlockBytes = 32 * 32 * 4;
constexpr int64_t kThumbBytes = 33 * 33 * 4;
constexpr uint8_t kAdd = uint8_t(BlendMode::Add);
constexpr uint8_t kNormal = uint8_t(BlendMode::Normal);
constexpr uint8_t kOverlay = uint8_t(BlendMode::Overlay);

std::unique_ptr<CLayerData> layerWithImage(int32_t w, int32_t h, uint8_t mode = kNormal,
                                           std::unique_ptr<LayerUndo> undo = nullptr)
{
    auto layer = CLayerData::make(0, 1, std::move(undo));
    EXPECT_TRUE(layer->CreateImage(w, h, mode));
    return layer;
}
} // namespace

TEST(LayerData, NewImageIsTheModesNeutralColourAndCostsNoBlocks)
{
    for (auto [mode, colour] : {std::pair{kAdd, 0x00000000u}, std::pair{kNormal, 0x00FFFFFFu},
                                std::pair{kOverlay, 0x007F7F7Fu}}) {
        auto layer = layerWithImage(70, 40, mode);
        EXPECT_EQ(layer->image()->GetPixel(69, 39), colour) << int(mode);
        EXPECT_EQ(layer->MemoryUsed(), 33 * 18 * 4);
    }
    auto huge = layerWithImage(10000, 10000);
    EXPECT_EQ(huge->MemoryUsed(), kThumbBytes);
}

TEST(LayerData, FailedCreateImageKeepsTheOldImage)
{
    auto layer = layerWithImage(50, 50, kAdd);
    layer->image()->SetPixel(3, 3, 0xFF123456u);
    EXPECT_FALSE(layer->CreateImage(0, 10, kNormal));
    EXPECT_FALSE(layer->CreateImage(2'000'000, 10, kNormal)); // beyond any block table
    EXPECT_EQ(layer->image()->GetPixel(3, 3), 0xFF123456u);
    EXPECT_EQ(layer->mode, kAdd);
}

TEST(LayerData, ThumbnailFitsThePaperAndShowsWhatThePaperShows)
{
    auto layer = layerWithImage(64, 64);
    struct Case {
        int32_t paperW, paperH, w, h;
    };
    for (Case c : {Case{400, 300, 33, 24}, Case{300, 400, 24, 33}, Case{500, 500, 33, 33},
                   Case{10000, 4, 33, 1}}) {
        layer->paperWidth = c.paperW;
        layer->paperHeight = c.paperH;
        ASSERT_TRUE(layer->SizeThumbnail(33, 33));
        EXPECT_EQ(layer->thumbnail()->width(), c.w) << c.paperW << "x" << c.paperH;
        EXPECT_EQ(layer->thumbnail()->height(), c.h) << c.paperW << "x" << c.paperH;
    }
    layer->paperWidth = 0;
    EXPECT_FALSE(layer->SizeThumbnail(33, 33));

    // The paper is the lower right quarter of the image, which is red.
    layer->image()->SetColor(TBox{32, 32, 32, 32}, 0x00FF0000u);
    layer->paperWidth = layer->paperHeight = 32;
    layer->offsetX = layer->offsetY = 32;
    ASSERT_TRUE(layer->SizeThumbnail(33, 33));
    ASSERT_TRUE(layer->UpdateThumbnail());
    EXPECT_EQ(layer->thumbnail()->pixel(0, 0), 0x00FF0000u);
    EXPECT_EQ(layer->thumbnail()->pixel(32, 32), 0x00FF0000u);
}

TEST(LayerData, OffsetRangeAndClamping)
{
    auto layer = layerWithImage(100, 80);
    layer->paperWidth = 60;
    layer->paperHeight = 50;
    layer->offsetX = 40;
    layer->offsetY = 5;
    EXPECT_EQ(layer->ImageRectOnPaper(), (TRect{-40, -5, 60, 75}));
    EXPECT_TRUE(layer->OffsetInRange(false));

    layer->offsetX = 41;
    layer->offsetY = -3;
    EXPECT_FALSE(layer->OffsetInRange(false));
    EXPECT_EQ(layer->offsetX, 41);
    EXPECT_FALSE(layer->OffsetInRange(true));
    EXPECT_EQ(layer->offsetX, 40);
    EXPECT_EQ(layer->offsetY, 0);

    // An image narrower than the paper has no valid offset; clamping settles on 0.
    layer->paperWidth = 120;
    layer->offsetX = 7;
    EXPECT_FALSE(layer->OffsetInRange(true));
    EXPECT_EQ(layer->offsetX, 0);
}

TEST(LayerData, CopyPartPlacesTheImageAtTheShift)
{
    auto layer = layerWithImage(40, 40, kAdd, std::make_unique<FakeLayerUndo>(3));
    layer->image()->SetPixel(0, 0, 0xFF010203u);
    layer->image()->SetPixel(39, 39, 0xFF040506u);
    layer->offsetX = 3;
    layer->offsetY = 4;
    layer->recordUndoAll();

    auto part = layer->CopyPart(100, 90, TPoint{10, 20});
    ASSERT_NE(part, nullptr);
    const CBlockVMTC& image = *part->image();
    EXPECT_EQ(image.GetPixel(10, 20), 0xFF010203u);
    EXPECT_EQ(image.GetPixel(49, 59), 0xFF040506u);
    EXPECT_EQ(image.GetPixel(11, 20), 0x00000000u);
    EXPECT_EQ(part->offsetX, 13);
    EXPECT_EQ(part->offsetY, 24);
    EXPECT_NE(part->id, layer->id);
    // An own undo history of the same limits, but empty.
    ASSERT_NE(part->layerUndo(), nullptr);
    EXPECT_EQ(static_cast<FakeLayerUndo*>(part->layerUndo())->limit, 3);
    EXPECT_FALSE(part->canUndo());
    EXPECT_EQ(layer->CopyPart(0, 10, TPoint{}), nullptr);
}

TEST(LayerData, CopyPartOffTheBlockGridAllocatesOnlyWhereThereIsContent)
{
    auto empty = layerWithImage(1000, 1000);
    auto part = empty->CopyPart(1010, 1010, TPoint{5, 5});
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->image()->MemoryUsed(), 0);

    // Uniform blocks of a colour other than the neutral one are content.
    auto opaque = layerWithImage(64, 64);
    ASSERT_TRUE(opaque->SetAlphaAll(255));
    part = opaque->CopyPart(70, 70, TPoint{5, 5});
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->image()->GetPixel(4, 4), 0x00FFFFFFu);
    EXPECT_EQ(part->image()->GetPixel(5, 5), 0xFFFFFFFFu);
    EXPECT_EQ(part->image()->GetPixel(68, 68), 0xFFFFFFFFu);
    EXPECT_EQ(part->image()->GetPixel(69, 69), 0x00FFFFFFu);
}

TEST(LayerData, AlphaAndColourOperationsKeepTheOtherBytes)
{
    auto layer = layerWithImage(2048, 2048, kOverlay);
    layer->image()->SetPixel(1, 1, 0x80123456u);
    ASSERT_TRUE(layer->InvertAlpha());
    EXPECT_EQ(layer->image()->GetPixel(1, 1), 0x7F123456u);
    EXPECT_EQ(layer->image()->GetPixel(2000, 1), 0xFF7F7F7Fu);
    ASSERT_TRUE(layer->ResetColourToNeutral());
    EXPECT_EQ(layer->image()->GetPixel(1, 1), 0x7F7F7F7Fu);
    ASSERT_TRUE(layer->SetAlphaAll(0));
    EXPECT_EQ(layer->image()->GetPixel(1, 1), 0x007F7F7Fu);
    EXPECT_EQ(layer->image()->MemoryUsed(), kBlockBytes); // unpainted blocks stayed fills
}

TEST(LayerData, CopyContentsMakesAnExactIndependentCopy)
{
    auto source = layerWithImage(100, 60, kOverlay, std::make_unique<FakeLayerUndo>(4));
    source->image()->SetPixel(99, 59, 0xFFABCDEFu);
    source->name = "上";
    source->random.Next();
    source->recordUndo(TBox{1, 2, 3, 4});

    // Smaller than the source: the copy must still be whole.
    auto target = layerWithImage(32, 32, kNormal, std::make_unique<FakeLayerUndo>());
    const int32_t targetId = target->id;
    ASSERT_TRUE(target->CopyContents(*source));
    EXPECT_EQ(target->image()->GetPixel(99, 59), 0xFFABCDEFu);
    EXPECT_EQ(target->image()->GetPixel(50, 50), 0x007F7F7Fu);
    EXPECT_EQ(target->name, "上");
    EXPECT_EQ(target->random, source->random);
    EXPECT_EQ(target->id, targetId);

    // Nothing is shared afterwards.
    auto& undo = static_cast<FakeLayerUndo&>(*target->layerUndo());
    EXPECT_EQ(undo.limit, 4);
    source->recordUndoAll();
    source->image()->SetPixel(0, 0, 0xFF000000u);
    EXPECT_EQ(undo.records, (std::vector<TBox>{{1, 2, 3, 4}}));
    EXPECT_EQ(target->image()->GetPixel(0, 0), 0x007F7F7Fu);
}

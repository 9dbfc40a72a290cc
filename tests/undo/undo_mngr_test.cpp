#include "undo/layer_history.h"

#include "undo_test_paper.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qm::test;

namespace {

constexpr int64_t kBlockBytes = 4096;

struct Fixture {
    explicit Fixture(int32_t limit = 8) : undo(&paper, CUndoMngrEx::kExtraRecords, limit, limit,
                                              paper.list.get(), &masks, &paper.messages)
    {
        paper.list->AddLayer(64, 48, true, 255, 3);
        paper.list->AddLayer(64, 48, true, 255, 3);
    }
    CLayerMngr& layers() { return *paper.list; }
    CLayerData& layer(int32_t i) { return *layers().Get(i); }

    void stroke(int32_t i, TBox box, uint32_t colour)
    {
        undo.Record(layer(i), box, kUndoStroke);
        layer(i).image()->MaskedSet(box, 0xFFFFFFFFu, colour);
    }
    void opacity(int32_t i, uint8_t value)
    {
        undo.RecordProperty(layer(i), value, kUndoOpacity);
        layer(i).opacity = value;
    }
    bool undoOnce()
    {
        int32_t index = -1;
        uint16_t flags = 0;
        TRect changed;
        return undoStep(layers(), undo, index, flags, changed);
    }
    bool redoOnce()
    {
        int32_t index = -1;
        uint16_t flags = 0;
        TRect changed;
        return redoStep(layers(), undo, index, flags, changed);
    }

    TestPaper paper;
    TestMasks masks;
    CUndoMngrEx undo;
};

} // namespace

TEST(UndoKinds, TableRows)
{
    EXPECT_EQ(undoClassOf(3), UndoClass::Image);
    EXPECT_EQ(undoClassOf(16), UndoClass::AlphaPlane);
    EXPECT_EQ(undoFlagsOf(16), 0x0030);
    EXPECT_EQ(undoFlagsOf(21), 0x0E01);
    EXPECT_EQ(undoFlagsOf(34), 0x0193);
    EXPECT_EQ(undoClassOf(40), UndoClass::Structure);
    EXPECT_EQ(undoFlagsOf(54), 0x1000);
    EXPECT_EQ(undoClassOf(55), UndoClass::None);
    EXPECT_EQ(undoClassOf(-1), UndoClass::None);
}

TEST(UndoMngr, LimitZeroRecordsNothing)
{
    Fixture f(0);
    EXPECT_FALSE(f.undo.CanRecord());
    f.stroke(0, TBox{0, 0, 10, 10}, 0xFF000000u);
    f.opacity(0, 10);
    EXPECT_EQ(f.undo.UndoCount(), 0);
    EXPECT_FALSE(f.undoOnce());
}

// Three strokes at a limit of 2 keep the newest two; the next light record pushes out the
// older of them; after that light records pile up to limit + 32 in all.
TEST(UndoMngr, HeavyRecordsCountAgainstTheLimitAndLightOnesAreBounded)
{
    Fixture f(2);
    for (int i = 0; i < 3; ++i)
        f.stroke(0, TBox{i * 10, 0, 5, 5}, 0xFF000000u);
    EXPECT_EQ(f.undo.UndoCount(), 2);
    EXPECT_EQ(f.undo.undoList().heavyCount(), 2);
    f.opacity(0, 1);
    EXPECT_EQ(f.undo.UndoCount(), 2);
    EXPECT_EQ(f.undo.undoList().heavyCount(), 1);
    for (int i = 0; i < 32; ++i)
        f.opacity(0, uint8_t(i));
    EXPECT_EQ(f.undo.UndoCount(), 34);
    EXPECT_EQ(f.undo.undoList().heavyCount(), 1);
    // Past 34 the oldest record goes, whatever it is: here the last stroke.
    f.opacity(0, 99);
    EXPECT_EQ(f.undo.UndoCount(), 34);
    EXPECT_EQ(f.undo.undoList().heavyCount(), 0);
}

TEST(UndoMngr, StrokeUndoAndRedoArePixelExactAndFreeUniformBlocks)
{
    Fixture f;
    CBlockVMTC& image = *f.layer(0).image();
    image.FillAll(0xFF112233u); // uniform, no storage
    const auto before = stateOf(f.layers());
    f.stroke(0, TBox{10, 10, 30, 5}, 0xFF000000u);
    const auto after = stateOf(f.layers());
    EXPECT_EQ(image.MemoryUsed(), 2 * kBlockBytes);

    ASSERT_TRUE(f.undoOnce());
    EXPECT_EQ(stateOf(f.layers()), before);
    EXPECT_EQ(image.MemoryUsed(), 0); // the snapshot's blocks were uniform
    image.Optimize();
    EXPECT_EQ(image.MemoryUsed(), 0);
    ASSERT_TRUE(f.redoOnce());
    EXPECT_EQ(stateOf(f.layers()), after);
    ASSERT_TRUE(f.undoOnce());
    EXPECT_EQ(stateOf(f.layers()), before);
}

TEST(UndoMngr, MemoryUsedCountsTheBlocksHeld)
{
    Fixture f;
    f.stroke(0, TBox{0, 0, 64, 48}, 0xFF000000u); // snapshot of an untouched layer: nothing
    EXPECT_EQ(f.undo.MemoryUsed(), 0);
    f.layer(0).image()->SetPixel(1, 1, 0xFF00FF00u);
    f.layer(0).image()->SetPixel(40, 1, 0xFF00FF00u);
    f.undo.Record(f.layer(0), TBox{0, 0, 33, 1}, kUndoStroke); // two blocks, both allocated
    EXPECT_EQ(f.undo.MemoryUsed(), 2 * kBlockBytes);
    ASSERT_TRUE(f.undoOnce());
    // The counter-record on the redo list holds the same two blocks.
    EXPECT_EQ(f.undo.MemoryUsed(), 2 * kBlockBytes);
}

TEST(UndoMngr, NewRecordClearsRedo)
{
    Fixture f;
    f.stroke(0, TBox{0, 0, 4, 4}, 0xFF000000u);
    ASSERT_TRUE(f.undoOnce());
    EXPECT_TRUE(f.undo.CanRedo());
    f.opacity(1, 20);
    EXPECT_FALSE(f.undo.CanRedo());
}

TEST(UndoMngr, PropertyUndoRedoUndo)
{
    Fixture f;
    f.opacity(0, 40);
    f.undo.RecordProperty(f.layer(0), 1 | 77 << 8, kUndoBlendOption);
    f.layer(0).blendNoise = 1;
    f.layer(0).blendAmount = 77;
    f.undo.RecordName(f.layer(0), "sky");
    f.layer(0).name = "sky";
    ASSERT_TRUE(f.undoOnce());
    EXPECT_EQ(f.layer(0).name, "");
    ASSERT_TRUE(f.undoOnce());
    EXPECT_EQ(f.layer(0).blendNoise, 0);
    EXPECT_EQ(f.layer(0).blendAmount, 255);
    ASSERT_TRUE(f.undoOnce());
    EXPECT_EQ(f.layer(0).opacity, 255);
    ASSERT_TRUE(f.redoOnce());
    EXPECT_EQ(f.layer(0).opacity, 40);
    ASSERT_TRUE(f.undoOnce());
    EXPECT_EQ(f.layer(0).opacity, 255);
    ASSERT_TRUE(f.redoOnce());
    ASSERT_TRUE(f.redoOnce());
    ASSERT_TRUE(f.redoOnce());
    EXPECT_EQ(f.layer(0).name, "sky");
    EXPECT_EQ(f.layer(0).blendAmount, 77);
}

TEST(UndoMngr, RecordOfAVanishedLayerIsDropped)
{
    Fixture f;
    f.stroke(1, TBox{0, 0, 4, 4}, 0xFF000000u);
    // The layer goes away behind the undo manager's back.
    f.layers().Delete(1);
    EXPECT_FALSE(f.undoOnce());
    EXPECT_EQ(f.undo.UndoCount(), 0);
    EXPECT_TRUE(f.paper.messages.messages.empty());
}

TEST(UndoMngr, FlipOfALayerWiderThanThePaperRestoresItsOffset)
{
    Fixture f;
    CLayerData& layer = f.layer(0);
    layer.SwapImage(std::make_unique<CBlockVMTC>(100, 48));
    layer.offsetX = 10;
    layer.image()->SetPixel(0, 0, 0xFF0000FFu);
    // The flip itself, as the paper does it.
    f.undo.Record(layer, layer.image()->bounds(), kUndoFlipH);
    layer.image()->FlipHorizontal(layer.image()->bounds());
    layer.offsetX = 100 - 10 - 64;
    ASSERT_TRUE(f.undoOnce());
    EXPECT_EQ(layer.offsetX, 10);
    EXPECT_EQ(layer.image()->GetPixel(0, 0), 0xFF0000FFu);
    ASSERT_TRUE(f.redoOnce());
    EXPECT_EQ(layer.offsetX, 26);
    EXPECT_EQ(layer.image()->GetPixel(99, 0), 0xFF0000FFu);
}

TEST(UndoMngr, AlphaPlaneAndSelfInverseRecords)
{
    Fixture f;
    CBlockVMTC& image = *f.layer(0).image();
    image.SetPixel(5, 5, 0xFF102030u);
    f.undo.Record(f.layer(0), TBox{0, 0, 10, 10}, kUndoAlphaPlane);
    image.SetAlpha(TBox{0, 0, 10, 10}, 0x40);
    f.undo.Record(f.layer(0), image.bounds(), kUndoInvertColours);
    image.Xor(image.bounds(), 0x00FFFFFFu);
    ASSERT_TRUE(f.undoOnce());
    EXPECT_EQ(image.GetPixel(5, 5), 0x40102030u);
    ASSERT_TRUE(f.undoOnce());
    EXPECT_EQ(image.GetPixel(5, 5), 0xFF102030u);
    ASSERT_TRUE(f.redoOnce());
    EXPECT_EQ(image.GetPixel(5, 5), 0x40102030u);
}

TEST(UndoMngr, SetLimitsToZeroDropsLightRecordsToo)
{
    Fixture f(2);
    f.opacity(0, 1);
    f.opacity(0, 2);
    EXPECT_TRUE(f.undo.SetLimits(0, 0));
    EXPECT_EQ(f.undo.UndoCount(), 0);
    f.opacity(0, 3); // nothing recorded, nothing waits on an empty list
    EXPECT_EQ(f.undo.UndoCount(), 0);
    EXPECT_TRUE(f.undo.SetLimits(3, 9));
    EXPECT_EQ(f.undo.redoLimit(), 3);
    for (int i = 0; i < 5; ++i)
        f.stroke(0, TBox{0, 0, 4, 4}, 0xFF000000u + uint32_t(i));
    EXPECT_TRUE(f.undo.SetLimits(1, 1));
    EXPECT_EQ(f.undo.undoList().heavyCount(), 1);
}

TEST(UndoMngr, FailedUndoClearsEverythingAndSaysSo)
{
    Fixture f;
    f.masks.list.push_back(std::make_unique<TestMask>(7));
    ASSERT_TRUE(f.undo.RecordMaskChanged(0, 1));
    f.masks.list[0] = std::make_unique<TestMask>(8); // another mask now
    f.opacity(0, 9);
    ASSERT_TRUE(f.undoOnce());
    EXPECT_FALSE(f.undoOnce());
    ASSERT_EQ(f.paper.messages.messages.size(), 1u);
    EXPECT_EQ(f.paper.messages.messages[0], kUndoFailedMessage);
    EXPECT_FALSE(f.undo.CanUndo());
    EXPECT_FALSE(f.undo.CanRedo());
}

TEST(UndoMngr, CopyFromIsDeep)
{
    Fixture f;
    f.stroke(0, TBox{0, 0, 40, 4}, 0xFF000000u);
    auto removed = f.layers().ExtractAndFix(1);
    f.undo.RecordDeleted(1, std::move(removed));
    CUndoMngrEx copy(&f.paper, 32, 1, 1, f.paper.list.get());
    ASSERT_TRUE(copy.CopyFrom(f.undo));
    EXPECT_EQ(copy.UndoCount(), 2);
    EXPECT_EQ(copy.undoLimit(), 8);
    EXPECT_EQ(copy.MemoryUsed(), f.undo.MemoryUsed());
    EXPECT_NE(copy.PeekUndo()->layer.get(), f.undo.PeekUndo()->layer.get());
    EXPECT_EQ(copy.PeekUndo()->layer->id, f.undo.PeekUndo()->layer->id);
}

TEST(LayerHistory, LegacyPerLayerUndo)
{
    CLayerHistory history;
    CBlockVMTC image(64, 64);
    ASSERT_TRUE(history.recordBox(image, TBox{-5, -5, 20, 20}));
    image.SetPixel(3, 3, 0xFF000000u);
    TBox changed;
    ASSERT_TRUE(history.undo(image, changed));
    EXPECT_EQ(changed, (TBox{0, 0, 32, 32}));
    EXPECT_EQ(image.GetPixel(3, 3), 0x00FFFFFFu);
    auto copy = history.clone();
    ASSERT_TRUE(copy->canRedo());
    ASSERT_TRUE(copy->redo(image, changed));
    EXPECT_EQ(image.GetPixel(3, 3), 0xFF000000u);
    EXPECT_FALSE(history.createEmpty()->canRedo());
}

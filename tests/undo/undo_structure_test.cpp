#include "undo_test_paper.h"

#include <gtest/gtest.h>

using namespace qm;
using namespace qm::test;

namespace {

struct Paper {
    Paper() : undo(&paper, CUndoMngrEx::kExtraRecords, 50, 50, paper.list.get(), &masks,
                   &paper.messages)
    {
        for (int i = 0; i < 3; ++i) {
            layers().AddLayer(64, 48, true, 255, 3);
            layers().Get(i)->image()->SetPixel(i, i, 0xFF000000u | uint32_t(i + 1));
        }
    }
    CLayerMngr& layers() { return *paper.list; }
    bool step(bool isUndo)
    {
        int32_t index = -1;
        uint16_t flags = 0;
        TRect changed;
        CLayerMngr& list = *undo.layerManager();
        return isUndo ? undoStep(list, undo, index, flags, changed)
                      : redoStep(list, undo, index, flags, changed);
    }
    // Undo and redo once more, checking both states.
    void roundTrip(const std::vector<LayerState>& before)
    {
        const auto after = stateOf(*undo.layerManager());
        ASSERT_TRUE(step(true));
        EXPECT_EQ(stateOf(*undo.layerManager()), before);
        ASSERT_TRUE(step(false));
        EXPECT_EQ(stateOf(*undo.layerManager()), after);
        ASSERT_TRUE(step(true));
        EXPECT_EQ(stateOf(*undo.layerManager()), before);
    }

    TestPaper paper;
    TestMasks masks;
    CUndoMngrEx undo;
};

} // namespace

TEST(UndoStructure, InsertDeleteMoveDuplicate)
{
    Paper p;
    auto before = stateOf(p.layers());
    const int32_t index = p.layers().CreateLayer(1, 64, 48, true, 200, 0);
    ASSERT_TRUE(p.undo.RecordInserted(kUndoNewLayer, index, *p.layers().Get(index)));
    p.roundTrip(before);
    EXPECT_EQ(p.undo.MemoryUsed(), p.undo.PeekRedo()->layer->MemoryUsed()); // kept while out

    before = stateOf(p.layers());
    ASSERT_TRUE(p.undo.RecordDeleted(0, p.layers().ExtractAndFix(0)));
    p.roundTrip(before);

    before = stateOf(p.layers());
    const int32_t to = p.layers().Move(99, 0);
    ASSERT_TRUE(p.undo.RecordMoved(0, to));
    p.roundTrip(before);

    before = stateOf(p.layers());
    auto copy = std::make_unique<CLayerData>();
    copy->Create(2, 0);
    copy->CopyContents(*p.layers().Get(1));
    const int32_t at = p.layers().InsertExisting(2, std::move(copy));
    ASSERT_TRUE(p.undo.RecordInserted(kUndoDuplicateLayer, at, *p.layers().Get(at)));
    p.roundTrip(before);
}

TEST(UndoStructure, MergeDownComesApartAndTogether)
{
    Paper p;
    p.layers().Get(2)->opacity = 128;
    const auto before = stateOf(p.layers());
    std::unique_ptr<CLayerData> oldTarget;
    ASSERT_TRUE(MergeLayers(p.layers(), 1, 2, 0, &oldTarget));
    auto source = p.layers().ExtractAndFix(2);
    ASSERT_TRUE(p.undo.RecordMerged(1, std::move(oldTarget), 2, std::move(source)));
    EXPECT_EQ(p.layers().Count(), 2);
    p.roundTrip(before);
}

TEST(UndoStructure, MergeAllExchangesLayerSets)
{
    Paper p;
    const auto before = stateOf(p.layers());
    std::vector<std::pair<int32_t, std::unique_ptr<CLayerData>>> removed;
    removed.emplace_back(2, p.layers().Extract(2));
    removed.emplace_back(0, p.layers().Extract(0));
    const int32_t at = p.layers().CreateLayer(0, 64, 48, true, 255, 3);
    p.layers().Renumber();
    ASSERT_TRUE(p.undo.RecordGathered(std::move(removed), {p.layers().Get(at)->id}));
    EXPECT_EQ(p.layers().Count(), 2);
    p.roundTrip(before);
}

TEST(UndoStructure, ReplacedLayerAndLayerFromSelection)
{
    Paper p;
    auto before = stateOf(p.layers());
    auto turned = std::make_unique<CLayerData>();
    turned->Create(1, 0);
    turned->CreateImage(48, 64, 3);
    turned->id = p.layers().Get(1)->id;
    ASSERT_TRUE(p.undo.RecordReplaced(kUndoTransformLayer, p.layers().Replace(1, std::move(turned))));
    p.roundTrip(before);

    before = stateOf(p.layers());
    CLayerData& source = *p.layers().Get(0);
    TAlphaPlane oldAlpha;
    source.image()->CopyAlphaOut(source.image()->bounds(), oldAlpha);
    source.image()->SetAlpha(TBox{0, 0, 8, 8}, 0);
    const int32_t at = p.layers().CreateLayer(1, 64, 48, true, 255, 3);
    ASSERT_TRUE(p.undo.RecordLayerFromSelection(at, *p.layers().Get(at), source, std::move(oldAlpha)));
    p.roundTrip(before);
}

TEST(UndoStructure, VisibilityPaperTransformAndLayerLists)
{
    Paper p;
    auto before = stateOf(p.layers());
    ASSERT_TRUE(p.undo.RecordVisibility(kUndoShowOnly, p.layers().SaveVisibility()));
    p.layers().ShowOnly(1);
    p.roundTrip(before);

    ASSERT_TRUE(p.undo.RecordPaperTransform(3, 64, 48));
    ASSERT_TRUE(p.step(true));
    ASSERT_TRUE(p.step(false));
    EXPECT_EQ(p.paper.transforms, (std::vector<int32_t>{3, 3}));

    before = stateOf(p.layers());
    auto cropped = std::make_unique<CLayerMngr>();
    cropped->SetPaperSize(32, 32);
    cropped->AddLayer(32, 32, true, 255, 3);
    auto old = p.paper.swapLayerList(std::move(cropped));
    p.paper.setPaperSize(32, 32);
    p.paper.shiftView(-5, -7);
    ASSERT_TRUE(p.undo.RecordLayerList(kUndoCrop, std::move(old), 64, 48, -5, -7));
    const auto after = stateOf(p.paper.layerList());
    ASSERT_TRUE(p.step(true));
    EXPECT_EQ(stateOf(p.paper.layerList()), before);
    EXPECT_EQ(p.paper.paperSize(), (TPoint{64, 48}));
    EXPECT_EQ(p.paper.viewX, 0);
    ASSERT_TRUE(p.step(false));
    EXPECT_EQ(stateOf(p.paper.layerList()), after);
    EXPECT_EQ(p.paper.paperSize(), (TPoint{32, 32}));
    EXPECT_EQ(p.paper.viewY, -7);
}

TEST(UndoMasks, EveryMaskKindGoesBackAndForth)
{
    Paper p;
    TestMasks& m = p.masks;
    m.list.push_back(std::make_unique<TestMask>(1));
    m.list.push_back(std::make_unique<TestMask>(2));

    // Inserted, then undone and redone.
    m.list.push_back(std::make_unique<TestMask>(3));
    ASSERT_TRUE(p.undo.RecordMaskInserted(kUndoMaskInserted, 2));
    ASSERT_TRUE(p.step(true));
    EXPECT_EQ(m.count(), 2);
    EXPECT_EQ(p.undo.MemoryUsed(), 100);
    ASSERT_TRUE(p.step(false));
    EXPECT_EQ(m.serialAt(2), 3);

    // Removed.
    auto removed = m.extract(0);
    ASSERT_TRUE(p.undo.RecordMaskRemoved(0, 1, std::move(removed)));
    ASSERT_TRUE(p.step(true));
    EXPECT_EQ(m.serialAt(0), 1);
    ASSERT_TRUE(p.step(false));
    EXPECT_EQ(m.serialAt(0), 2);

    // Put in place, with the current mask switched.
    std::unique_ptr<UndoMaskObject> replacement = std::make_unique<TestMask>(9);
    auto old = m.put(0, replacement);
    m.setCurrent(0);
    ASSERT_TRUE(p.undo.RecordMaskPut(kUndoMaskPutAndCurrent, 0, std::move(old), -1, 0));
    ASSERT_TRUE(p.step(true));
    EXPECT_EQ(m.serialAt(0), 2);
    EXPECT_EQ(m.current(), -1);
    ASSERT_TRUE(p.step(false));
    EXPECT_EQ(m.serialAt(0), 9);
    EXPECT_EQ(m.current(), 0);

    // Moved, changed in place, offset, flags, name.
    m.move(1, 0);
    ASSERT_TRUE(p.undo.RecordMaskMoved(0, 1));
    m.at(1)->inverted = 1;
    ASSERT_TRUE(p.undo.RecordMaskChanged(1, 5));
    m.offset(1, 4, 6);
    ASSERT_TRUE(p.undo.RecordMaskOffset(1, 4, 6));
    m.setSelectionFlags(1, 1);
    ASSERT_TRUE(p.undo.RecordSelectionFlags(0, 0));
    ASSERT_TRUE(p.undo.RecordMaskName(1, "", "edge"));
    m.setName(1, "edge");
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(p.step(true)) << i;
    EXPECT_EQ(m.serialAt(0), 9);
    EXPECT_EQ(m.at(0)->inverted, 0);
    EXPECT_EQ(m.at(0)->x, 0);
    EXPECT_EQ(m.at(0)->name, "");
    EXPECT_EQ(m.flags[0], 0);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(p.step(false)) << i;
    EXPECT_EQ(m.serialAt(1), 9);
    EXPECT_EQ(m.at(1)->inverted, 1);
    EXPECT_EQ(m.at(1)->y, -6); // moved down by 6: its offset lowered by 6
    EXPECT_EQ(m.at(1)->name, "edge");
    EXPECT_EQ(m.flags[1], 1);
}

TEST(UndoStructure, VisibleLayerFlipsAndLinkedMaskMoves)
{
    Paper p;
    p.layers().Get(1)->visible = 0;
    const auto before = stateOf(p.layers());
    ASSERT_TRUE(p.undo.Record(*p.layers().Get(0), TBox{0, 0, 64, 48}, kUndoFlipHVisible));
    for (int32_t i : {0, 2})
        p.layers().Get(i)->image()->FlipHorizontal(TBox{0, 0, 64, 48});
    p.roundTrip(before);
    EXPECT_EQ(p.layers().Get(2)->image()->GetPixel(2, 2), 0xFF000003u);

    // A layer moved together with its linked mask, 5 to the left on the paper: both offsets
    // rise by 5 (paper position = local position − offset, for layers and masks alike).
    p.masks.list.push_back(std::make_unique<TestMask>(42));
    CLayerData& layer = *p.layers().Get(2);
    layer.offsetX += 5;
    p.masks.offset(0, -5, 0);
    ASSERT_EQ(p.masks.at(0)->x, 5);
    ASSERT_TRUE(p.undo.RecordOffsetWithMask(layer, 5, 0, 42));
    ASSERT_TRUE(p.step(true));
    EXPECT_EQ(layer.offsetX, 0);
    EXPECT_EQ(p.masks.at(0)->x, 0);
    ASSERT_TRUE(p.step(false));
    EXPECT_EQ(layer.offsetX, 5);
    EXPECT_EQ(p.masks.at(0)->x, 5);
}

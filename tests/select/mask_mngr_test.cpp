#include "select/color_mask.h"
#include "select/mask_mngr.h"
#include "select/select_mng.h"

#include "core/image_ops.h"
#include "undo/undo_mngr_ex.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

// A channel of w × h with the given pixels set to 255.
TChannel channelWith(int32_t w, int32_t h, std::initializer_list<TPoint> set)
{
    TChannel c(w, h);
    fillAll(c, 0);
    for (TPoint p : set)
        c.row(p.y)[p.x] = 255;
    return c;
}

int32_t selectedCount(const CMaskData& mask)
{
    int32_t n = 0;
    for (int32_t y = 0; y < mask.height(); ++y)
        for (int32_t x = 0; x < mask.width(); ++x)
            n += mask.coverage->GetPixel(x, y) != 0;
    return n;
}

struct Masks {
    Masks() : masks(100, 80, &messages) {}
    CollectingMessageSink messages;
    CMaskMngr masks;
    std::unique_ptr<CMaskData> old;
};

} // namespace

TEST(MaskMngr, NamesCountUpAndNeverGoBack)
{
    Masks m;
    ASSERT_EQ(m.masks.Count(), 1);
    EXPECT_FALSE(m.masks.Mask(0)->IsValid());
    EXPECT_EQ(m.masks.Mask(0)->name, "ﾏｽｸ1");
    EXPECT_EQ(m.masks.InsertEmpty(1), 1);
    EXPECT_EQ(m.masks.Mask(1)->name, "ﾏｽｸ2");
    EXPECT_NE(m.masks.Remove(1), nullptr);
    EXPECT_EQ(m.masks.InsertEmpty(1), 1);
    EXPECT_EQ(m.masks.Mask(1)->name, "ﾏｽｸ3");
    EXPECT_EQ(m.masks.Move(1, 1), -1);
    EXPECT_EQ(m.masks.Mask(1)->index, 1);
    m.masks.SetCurrent(2); // = Count: a new mask is appended first
    EXPECT_EQ(m.masks.Count(), 3);
    EXPECT_EQ(m.masks.CurrentIndex(), 2);
}

TEST(MaskMngr, SetOperationsIntoEmptyAndFullMasks)
{
    Masks m;
    const TChannel square = channelWith(4, 4, {{0, 0}, {1, 1}, {2, 2}, {3, 3}});
    EXPECT_FALSE(m.masks.ApplyChannel(0, square, MaskCombine::Subtract, {0, 0}, m.old));
    EXPECT_FALSE(m.masks.ApplyChannel(0, square, MaskCombine::Intersect, {0, 0}, m.old));
    ASSERT_TRUE(m.masks.ApplyChannel(0, square, MaskCombine::Add, {-10, -10}, m.old));
    const CMaskData& added = *m.masks.Mask(0);
    EXPECT_EQ(added.name, "ﾏｽｸ1");
    EXPECT_EQ(added.ValueAt(10, 10), 255);
    EXPECT_EQ(added.ValueAt(11, 10), 0);

    // Subtract hands the old mask back untouched.
    const TChannel one = channelWith(1, 1, {{0, 0}});
    const int32_t oldSerial = m.masks.Mask(0)->serial;
    ASSERT_TRUE(m.masks.ApplyChannel(0, one, MaskCombine::Subtract, {-11, -11}, m.old));
    ASSERT_NE(m.old, nullptr);
    EXPECT_EQ(m.old->serial, oldSerial);
    EXPECT_EQ(m.old->ValueAt(11, 11), 255);
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(11, 11), 0);
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(12, 12), 255);

    // Intersect keeps only what both select.
    const TChannel block = channelWith(2, 2, {{0, 0}, {1, 0}, {0, 1}, {1, 1}});
    ASSERT_TRUE(m.masks.ApplyChannel(0, block, MaskCombine::Intersect, {-12, -12}, m.old));
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(12, 12), 255);
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(13, 12), 0);
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(10, 10), 0);
}

TEST(MaskMngr, CombineCopiesIntoAnEmptyDestination)
{
    Masks m;
    m.masks.InsertEmpty(1);
    EXPECT_FALSE(m.masks.Combine(1, 0, MaskCombine::Add, m.old)); // empty source
    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(2, 2, {{1, 1}}), MaskCombine::Replace, {0, 0}, m.old));
    EXPECT_FALSE(m.masks.Combine(1, 0, MaskCombine::Intersect, m.old));
    ASSERT_TRUE(m.masks.Combine(1, 0, MaskCombine::Add, m.old));
    EXPECT_EQ(m.masks.Mask(1)->name, "ﾏｽｸ2");
    EXPECT_EQ(m.masks.Mask(1)->ValueAt(1, 1), 255);
}

TEST(MaskMngr, InvertInsideAndOutsideThePaper)
{
    Masks m;
    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(10, 10, {{0, 0}}), MaskCombine::Replace, {-5, -5}, m.old));
    ASSERT_TRUE(m.masks.Invert(0, m.old));
    EXPECT_EQ(m.masks.Mask(0)->width(), 10); // inside the paper: same size
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(5, 5), 0);
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(6, 5), 255);

    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(10, 10, {{0, 0}}), MaskCombine::Replace, {5, 5}, m.old));
    ASSERT_TRUE(m.masks.Invert(0, m.old));
    const CMaskData& inverted = *m.masks.Mask(0);
    EXPECT_EQ(inverted.Bounds(), (TRect{-5, -5, 100, 80}));
    EXPECT_EQ(inverted.ValueAt(-5, -5), 0);
    EXPECT_EQ(inverted.ValueAt(50, 50), 255); // outside the old mask: now selected
}

TEST(MaskMngr, GrowAndShrinkKeepThePaperPosition)
{
    Masks m;
    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(20, 20, {{10, 10}}), MaskCombine::Replace, {0, 0}, m.old));
    ASSERT_TRUE(m.masks.Grow(0, 1, m.old));
    EXPECT_EQ(selectedCount(*m.masks.Mask(0)), 9);
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(9, 9), 255);
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(11, 11), 255);
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(12, 11), -1); // the result covers the grown content only
    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(20, 20, {{10, 10}}), MaskCombine::Replace, {0, 0}, m.old));
    ASSERT_TRUE(m.masks.Grow(0, 2, m.old));
    EXPECT_EQ(selectedCount(*m.masks.Mask(0)), 21);

    // Content touching the rectangle's edge recedes from it too.
    TChannel full(6, 6);
    fillAll(full, 255);
    ASSERT_TRUE(m.masks.ApplyChannel(0, full, MaskCombine::Replace, {0, 0}, m.old));
    ASSERT_TRUE(m.masks.Shrink(0, 1, m.old));
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(0, 0), 0);
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(1, 1), 255);
    EXPECT_EQ(selectedCount(*m.masks.Mask(0)), 16);
    EXPECT_FALSE(m.masks.Grow(0, 0, m.old));
}

TEST(MaskMngr, AddReachingOutsideIsRebasedOnItsContent)
{
    Masks m;
    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(4, 4, {{1, 1}}), MaskCombine::Replace, {0, 0}, m.old));
    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(4, 4, {{0, 0}}), MaskCombine::Add, {10, 10}, m.old));
    const CMaskData& mask = *m.masks.Mask(0);
    // Content from (−10, −10) to (2, 2): the mask starts there, at least the paper's size.
    EXPECT_EQ(mask.Bounds(), (TRect{-10, -10, 90, 70}));
    EXPECT_EQ(mask.ValueAt(-10, -10), 255);
    EXPECT_EQ(mask.ValueAt(1, 1), 255);
}

TEST(MaskMngr, LayersAndWeights)
{
    Masks m;
    auto layer = CLayerData::make(0, 0);
    layer->CreateImage(8, 8, 3);
    layer->image()->FillAll(0xFF000000u);            // black, opaque
    layer->image()->SetPixel(1, 1, 0x80FFFFFFu);     // white, half
    CMaskData mask;
    layer->name = "ink";
    ASSERT_TRUE(mask.FromLayerBrightness(*layer, true, m.messages));
    EXPECT_EQ(mask.name, "明度(ink)");
    EXPECT_EQ(mask.ValueAt(0, 0), 255);              // black selected when inverted
    EXPECT_EQ(mask.ValueAt(1, 1), 0);
    ASSERT_TRUE(mask.FromLayerAlpha(*layer, m.messages));
    EXPECT_EQ(mask.name, "ﾏｽｸ(ink)");
    EXPECT_EQ(mask.ValueAt(1, 1), 0x80);
    EXPECT_EQ(mask.WeightAt(1, 1, 255), 0x80u);
    EXPECT_EQ(mask.WeightAt(1, 1, 128), MulTable[0x80][128]);
    EXPECT_EQ(mask.WeightAt(-1, 1, 255), 0u);

    mask.coverage->Fill(TBox{0, 0, 8, 8}, 0);
    mask.coverage->SetPixel(2, 2, 200);
    ASSERT_TRUE(mask.ToLayerAlpha(*layer));
    EXPECT_EQ(layer->image()->GetPixel(2, 2), 0xC8000000u);
    EXPECT_EQ(layer->image()->GetPixel(1, 1), 0x00FFFFFFu);
}

TEST(ColorMask, RangesAndTransparentPixels)
{
    CBlockVMTC source(4, 1);
    source.SetPixel(0, 0, 0xFF102030u);
    source.SetPixel(1, 0, 0xFF102031u); // one level away
    source.SetPixel(2, 0, 0x01102030u); // alpha 1
    source.SetPixel(3, 0, 0x80102030u); // half transparent, exact colour
    TChannel channel;
    auto result = CColorMask::build(source, {{0xFF102030u, true, 0}}, nullptr, {0, 0}, channel);
    EXPECT_EQ(channel.row(0)[0], 255);
    EXPECT_EQ(channel.row(0)[1], 0);
    EXPECT_EQ(channel.row(0)[2], 0);
    EXPECT_EQ(channel.row(0)[3], 255);
    EXPECT_EQ(result.full, 2);
    // A removing pick takes coverage away again.
    CColorMask::build(source, {{0xFF102030u, true, 32}, {0xFF102030u, false, 32}}, nullptr, {0, 0},
                      channel);
    EXPECT_EQ(channel.row(0)[0], 0);
    EXPECT_EQ(CColorMask::weight(0, 8), 255u);
    EXPECT_EQ(CColorMask::weight(10, 8), 128u); // x = 0.25
    EXPECT_EQ(CColorMask::weight(12, 8), 0u);   // x = 0
    EXPECT_EQ(CColorMask::weight(9, 8), 192u); // x = 0.375
}

TEST(Ants, OnePixelAndThePattern)
{
    Masks m;
    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(1, 1, {{0, 0}}), MaskCombine::Replace, {-3, -4}, m.old));
    ASSERT_TRUE(m.masks.ShowAnts(0));
    const CAntPoints& ants = m.masks.ants();
    ASSERT_EQ(ants.left.size(), 1);
    ASSERT_EQ(ants.right.size(), 1);
    ASSERT_EQ(ants.top.size(), 1);
    ASSERT_EQ(ants.bottom.size(), 1);
    EXPECT_EQ(ants.left.at(0), (TPoint{3, 4}));
    EXPECT_EQ(ants.right.at(0), (TPoint{4, 4}));
    EXPECT_EQ(ants.bottom.at(0), (TPoint{3, 5}));
    EXPECT_TRUE(m.masks.HasAnts());
    m.masks.StepAnts();
    EXPECT_EQ(ants.pattern, 0x66); // rotated right by one bit
    for (int i = 0; i < 7; ++i)
        m.masks.StepAnts();
    EXPECT_EQ(ants.pattern, CAntPoints::kBasePattern);

    // All four edges of the one pixel land on it at scale 1 (right and bottom shift back).
    TMTC surface(16, 16);
    fillAll(surface, 0x12345678u);
    const auto identity = [](float x, float y) { return TPointF{x, y}; };
    drawAnts(ants, surface, TBox{0, 0, 16, 16}, TAntsView{}, identity);
    EXPECT_EQ(surface.pixel(3, 4), 0xFFFFFFFFu); // (3 + 4) & 7 = 7: bit 0x01, pattern 11001100
    EXPECT_EQ(surface.pixel(5, 5), 0x12345678u);
    m.masks.StepAnts();
    m.masks.StepAnts(); // 00110011
    drawAnts(ants, surface, TBox{0, 0, 16, 16}, TAntsView{}, identity);
    EXPECT_EQ(surface.pixel(3, 4), 0xFF000000u);
    // Zoomed in twice, each point draws a run of two pixels.
    fillAll(surface, 0);
    drawAnts(ants, surface, TBox{0, 0, 16, 16}, TAntsView{2 * 65536, 0, 65536},
             [](float x, float y) { return TPointF{2 * x, 2 * y}; });
    EXPECT_NE(surface.pixel(6, 8), 0u);
    EXPECT_NE(surface.pixel(6, 9), 0u); // the left edge runs down
    EXPECT_NE(surface.pixel(7, 8), 0u); // the top edge runs across

    m.masks.HideAnts();
    EXPECT_FALSE(m.masks.HasAnts());
    EXPECT_EQ(m.masks.antsIndex(), -1);
}

TEST(Ants, PointListsGrowInBlocks)
{
    CPointList list;
    EXPECT_EQ(list.size(), 0);
    for (int32_t i = 0; i < 1025; ++i)
        list.append(i, -i);
    EXPECT_EQ(list.size(), 1025);
    EXPECT_EQ(list.blockCount(), 2);
    EXPECT_EQ(list.at(1024), (TPoint{1024, -1024}));
    list.clear();
    EXPECT_EQ(list.size(), 0);
    EXPECT_EQ(list.blockCount(), 1);
}

TEST(MaskMngr, UndoKeepsRemovedMasksAndPutsThemBack)
{
    Masks m;
    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(3, 3, {{1, 1}}), MaskCombine::Replace, {0, 0}, m.old));
    CUndoMngrEx undo(nullptr, 32, 8, 8, nullptr, &m.masks, &m.messages);
    const int32_t serial = m.masks.Mask(0)->serial;
    auto removed = m.masks.Remove(0);
    ASSERT_TRUE(undo.RecordMaskRemoved(0, serial, std::move(removed)));
    EXPECT_EQ(m.masks.Count(), 0);
    int32_t index = -1;
    TBox box;
    ASSERT_TRUE(undo.Undo(index, nullptr, box));
    ASSERT_EQ(m.masks.Count(), 1);
    EXPECT_EQ(m.masks.Mask(0)->serial, serial);
    EXPECT_EQ(m.masks.Mask(0)->ValueAt(1, 1), 255);
    ASSERT_TRUE(undo.Redo(index, nullptr, box));
    EXPECT_EQ(m.masks.Count(), 0);
}

TEST(SelectMng, SlotsArePaperSizedAndMadeOnDemand)
{
    TSelectMng scratch(400, 300);
    EXPECT_EQ(scratch.preview().width(), 48);
    EXPECT_EQ(scratch.preview().height(), 37); // 48 · 300 / 400 + 1
    TChannel* slot = scratch.slot(31);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->width(), 400);
    EXPECT_EQ(slot->row(299)[399], 0);
    EXPECT_EQ(scratch.slot(32), nullptr);
    scratch.setFlag(3, true);
    EXPECT_TRUE(scratch.flag(3));
    ASSERT_TRUE(scratch.resize(100, 200));
    EXPECT_FALSE(scratch.flag(3));
    EXPECT_EQ(scratch.preview().width(), 25);
    EXPECT_EQ(scratch.slot(0)->height(), 200);
}

TEST(MaskMngr, ZoomWithThePaper)
{
    Masks m;
    m.masks.InsertEmpty(1);
    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(4, 2, {{0, 0}, {1, 0}}), MaskCombine::Replace,
                                     {-10, -20}, m.old));
    auto doubled = m.masks.Zoomed(200, 160, 1);
    ASSERT_NE(doubled, nullptr);
    ASSERT_EQ(doubled->Count(), 2);
    const CMaskData& big = *doubled->Mask(0);
    EXPECT_EQ(big.width(), 8);
    EXPECT_EQ(big.height(), 4);
    EXPECT_EQ(big.Bounds().left, 20);
    EXPECT_EQ(big.ValueAt(20, 40), 255);
    EXPECT_EQ(big.ValueAt(23, 41), 255);
    EXPECT_EQ(big.ValueAt(24, 40), 0);
    EXPECT_EQ(big.name, "ﾏｽｸ1");
    EXPECT_FALSE(doubled->Mask(1)->IsValid());
    EXPECT_EQ(doubled->Mask(1)->name, "ﾏｽｸ2");

    // Smooth halving averages each 2 × 2 area.
    ASSERT_TRUE(m.masks.Zoom(50, 40, 2));
    const CMaskData& half = *m.masks.Mask(0);
    EXPECT_EQ(half.width(), 2);
    EXPECT_EQ(half.ValueAt(5, 10), 127);
    EXPECT_EQ(half.ValueAt(6, 10), 0);
    EXPECT_EQ(m.masks.paperWidth(), 50);
}

TEST(MaskMngr, EditsAreWeightedByTheCurrentMask)
{
    Masks m;
    ASSERT_TRUE(m.masks.ApplyChannel(0, channelWith(4, 4, {{1, 1}}), MaskCombine::Replace, {-2, -2}, m.old));
    const CMaskData& mask = *m.masks.Mask(0);
    // A layer whose image starts 5 pixels left of the paper: layer x = paper x + 5.
    const TMaskClip clip(true, &mask, 5, 0);
    EXPECT_TRUE(clip.active());
    EXPECT_EQ(clip.weight(3 + 5, 3, 255), 255u); // paper (3, 3) is mask (1, 1)
    EXPECT_EQ(clip.weight(3 + 5, 3, 100), 100u);
    EXPECT_EQ(clip.weight(4 + 5, 3, 255), 0u);
    const TMaskClip off(false, &mask, 5, 0);
    EXPECT_EQ(off.weight(0, 0, 77), 77u);

    TMTC copy(6, 6);
    fillAll(copy, 0xFF123456u);
    ASSERT_TRUE(mask.ClipAlpha(copy));
    EXPECT_EQ(copy.pixel(3, 3), 0xFF123456u);
    EXPECT_EQ(copy.pixel(2, 3), 0x00123456u);
    EXPECT_EQ(copy.pixel(0, 0), 0xFF123456u); // outside the mask's rectangle: untouched
}

// The selection on the paper: every operation replays to the same masks and layers, undo and
// redo give back each state exactly, and what the operations make is what their rules say.
#include "paper_fixture.h"

#include "events/event_mngr.h"
#include "paper/paper.h"
#include "core/image_ops.h"
#include "select/morphology.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace qm {

namespace {

// Everything the mask list holds that a user can see or that later edits depend on.
struct TMaskState {
    std::string name;
    bool valid = false;
    TRect bounds{0, 0, 0, 0};
    std::vector<uint8_t> coverage;
    bool operator==(const TMaskState&) const = default;
};

struct TSelectionState {
    std::vector<TMaskState> masks;
    int32_t current = 0;
    uint8_t shown = 0, active = 0;
    std::vector<TMTC> layers;
};

TSelectionState stateOf(TPaper& p)
{
    TSelectionState s;
    for (int32_t i = 0; i < p.masks->Count(); ++i) {
        const CMaskData& m = *p.masks->Mask(i);
        TMaskState ms{m.name, m.IsValid(), m.Bounds(), {}};
        TChannel flat;
        if (m.IsValid() && m.toChannel(flat))
            for (int32_t y = 0; y < flat.height(); ++y)
                ms.coverage.insert(ms.coverage.end(), flat.row(y), flat.row(y) + flat.width());
        s.masks.push_back(ms);
    }
    s.current = p.masks->CurrentIndex();
    s.shown = p.selectionShown;
    s.active = p.selectionActive;
    for (int32_t i = 0; i < p.layerCount(); ++i)
        s.layers.push_back(test::flatLayer(*p.layer(i)));
    return s;
}

void expectSame(const TSelectionState& a, const TSelectionState& b)
{
    ASSERT_EQ(a.masks.size(), b.masks.size());
    for (size_t i = 0; i < a.masks.size(); ++i) {
        EXPECT_EQ(a.masks[i].name, b.masks[i].name) << "mask " << i;
        EXPECT_EQ(a.masks[i].valid, b.masks[i].valid) << "mask " << i;
        EXPECT_EQ(a.masks[i].bounds, b.masks[i].bounds) << "mask " << i;
        EXPECT_TRUE(a.masks[i].coverage == b.masks[i].coverage) << "mask " << i;
    }
    EXPECT_EQ(a.current, b.current);
    EXPECT_EQ(a.shown, b.shown);
    EXPECT_EQ(a.active, b.active);
    ASSERT_EQ(a.layers.size(), b.layers.size());
    for (size_t i = 0; i < a.layers.size(); ++i)
        EXPECT_TRUE(test::sameImage(a.layers[i], b.layers[i])) << "layer " << i;
}

using Edit = std::function<bool(test::RecordedPaper&)>;

// A 70 × 50 paper: a filled dark square on the first layer, a second layer with a soft stroke.
void prepare(test::RecordedPaper& d)
{
    ASSERT_TRUE(d.paper->initPaper("select", d.flow, 70, 50));
    d.stroke.resetToDefaults(0);
    d.stroke.setColor(0x203040);
    ASSERT_TRUE(d.paper->fillShape(d.flow, d.stroke, true, TFillShape::rectangle, {12, 10},
                                   {40.0f, 30.0f}));
    ASSERT_GE(d.paper->createLayer(d.flow, 1, 70, 50, true, 255, 0, true), 0);
    d.stroke.setWidth(6);
    d.stroke.setColor(0xC08020);
    const std::vector<TPointF> line = {{5, 40}, {35, 20}, {65, 8}};
    ASSERT_TRUE(d.paper->strokeOutline(d.flow, d.stroke, line, nullptr));
    d.paper->setCurrentLayer(d.flow, 0);
}

// Live edit, then: a replay of the recording gives the same masks and layers; undo gives the
// state from before; redo the one after. Undo gives back the masks, not the switches an
// operation turned on with its new selection.
void checkEdit(const char* what, const Edit& edit, const Edit& setUp = Edit())
{
    SCOPED_TRACE(what);
    test::RecordedPaper live;
    prepare(live);
    if (setUp)
        ASSERT_TRUE(setUp(live));
    TSelectionState before = stateOf(*live.paper);
    ASSERT_TRUE(edit(live));
    const TSelectionState after = stateOf(*live.paper);

    test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(live.events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
        << replay.events().missingOperation;
    {
        SCOPED_TRACE("replayed");
        expectSame(after, stateOf(*replay.paper));
    }
    int32_t layer = 0;
    TRect rect;
    ASSERT_TRUE(live.paper->undo(live.flow, layer, rect));
    if (!after.masks.empty() && after.shown && after.active) {
        before.shown = live.paper->selectionShown;
        before.active = live.paper->selectionActive;
    }
    {
        SCOPED_TRACE("undone");
        expectSame(before, stateOf(*live.paper));
    }
    ASSERT_TRUE(live.paper->redo(live.flow, layer, rect));
    {
        SCOPED_TRACE("redone");
        expectSame(after, stateOf(*live.paper));
    }
}

bool selectRect(test::RecordedPaper& d, TPoint a, TPoint b, MaskCombine mode)
{
    TSelectShape shape;
    shape.slot = -1;
    shape.mode = mode;
    shape.first = a;
    shape.second = b;
    return d.paper->selectShape(TFillShape::rectangle, shape, true);
}

bool twoMasks(test::RecordedPaper& d)
{
    return selectRect(d, {5, 5}, {30, 25}, MaskCombine::Replace) &&
           d.paper->insertMask(-1, true) &&
           selectRect(d, {20, 15}, {60, 45}, MaskCombine::Replace);
}

bool aSelection(test::RecordedPaper& d)
{
    return selectRect(d, {8, 6}, {36, 28}, MaskCombine::Replace);
}

} // namespace

TEST(PaperSelect, EveryListOperationReplaysAndUndoes)
{
    checkEdit("select all", [](auto& d) { return d.paper->selectAll(true); });
    checkEdit("deselect", [](auto& d) { return d.paper->clearMask(-1, true); }, aSelection);
    checkEdit("invert inside", [](auto& d) { return d.paper->invertMask(-1, true); },
              aSelection);
    checkEdit("invert reaching out",
              [](auto& d) { return d.paper->invertMask(-1, true); },
              [](auto& d) {
                  return aSelection(d) && d.paper->setMaskPosition(-1, {50, -10}, true);
              });
    checkEdit("insert", [](auto& d) { return d.paper->insertMask(-1, true); }, twoMasks);
    checkEdit("duplicate", [](auto& d) { return d.paper->duplicateMask(0, true); }, twoMasks);
    checkEdit("remove current", [](auto& d) { return d.paper->removeMask(-1, true); }, twoMasks);
    checkEdit("remove first", [](auto& d) { return d.paper->removeMask(0, true); }, twoMasks);
    checkEdit("set current", [](auto& d) { return d.paper->setCurrentMask(1, true); },
              twoMasks);
    checkEdit("move", [](auto& d) { return d.paper->moveMask(0, 1, true); }, twoMasks);
    checkEdit("position", [](auto& d) { return d.paper->setMaskPosition(-1, {3, 4}, true); },
              aSelection);
    checkEdit("crop to paper", [](auto& d) { return d.paper->cropMaskToPaper(-1, true); },
              [](auto& d) {
                  return aSelection(d) && d.paper->setMaskPosition(-1, {-10, 30}, true);
              });
    checkEdit("rename", [](auto& d) { return d.paper->renameMask(-1, "sky", true); },
              aSelection);
    checkEdit("hide outline", [](auto& d) { return d.paper->setSelectionShown(false, true); },
              aSelection);
    checkEdit("switch off", [](auto& d) { return d.paper->setSelectionActive(false, true); },
              aSelection);
    for (int mode = 0; mode <= 3; ++mode)
        checkEdit("combine", [mode](auto& d) {
            return d.paper->combineMasks(1, 0, MaskCombine(mode), true);
        }, twoMasks);
}

TEST(PaperSelect, ShapesGrowingAndLayersReplayAndUndo)
{
    for (int mode = 0; mode <= 3; ++mode) {
        checkEdit("rectangle", [mode](auto& d) {
            return selectRect(d, {20, 12}, {55, 40}, MaskCombine(mode));
        }, aSelection);
        checkEdit("ellipse", [mode](auto& d) {
            TSelectShape shape{0, -1, MaskCombine(mode), {15, 5}, {60, 44}};
            return d.paper->selectShape(TFillShape::ellipse, shape, true);
        }, aSelection);
        checkEdit("lasso", [mode](auto& d) {
            const std::vector<TPointF> points = {{4.5f, 3}, {66, 10.25f}, {30, 47}, {12, 30}};
            return d.paper->selectPolygon(-1, points, MaskCombine(mode), true);
        }, aSelection);
    }
    checkEdit("grow by one", [](auto& d) { return d.paper->growMask(-1, 1, true, false, true); },
              aSelection);
    checkEdit("shrink by 5", [](auto& d) { return d.paper->growMask(-1, 5, false, true, true); },
              aSelection);
    checkEdit("grow by 32", [](auto& d) { return d.paper->growMask(-1, 32, true, true, true); },
              aSelection);
    checkEdit("from brightness", [](auto& d) { return d.paper->maskFromLayer(0, true, true); });
    checkEdit("from alpha", [](auto& d) { return d.paper->maskFromLayer(1, false, true); });
    checkEdit("to layer mask",
              [](auto& d) { return d.paper->copySelectionToLayerMask(d.flow, 1, true); },
              aSelection);
    checkEdit("new layer",
              [](auto& d) { return d.paper->layerFromSelection(d.flow, 1, false, true); },
              aSelection);
    checkEdit("split layer",
              [](auto& d) { return d.paper->layerFromSelection(d.flow, 0, true, true); },
              aSelection);
    checkEdit("layer mask fill",
              [](auto& d) { return d.paper->fillLayerMask(d.flow, 1, 255, true); });
    checkEdit("layer mask clear",
              [](auto& d) { return d.paper->fillLayerMask(d.flow, 0, 0, true); });
    checkEdit("layer mask negate",
              [](auto& d) { return d.paper->negateLayerMask(d.flow, 1, true); });
    checkEdit("colour range", [](auto& d) {
        TColourRangeChoice choice;
        choice.picks = {{0xFF203040u, true, 40}, {0xFFC08020u, true, 0}};
        return d.paper->colourRange(choice, true);
    });
}

TEST(PaperSelect, WhatTheOperationsMake)
{
    test::RecordedPaper d;
    prepare(d);
    TPaper& p = *d.paper;
    // Select all: the current layer's rectangle, fully selected, switched on and shown.
    p.selectionActive = p.selectionShown = 0;
    ASSERT_TRUE(p.selectAll(true));
    const CMaskData* all = p.masks->Mask(0);
    EXPECT_EQ(all->Bounds(), (TRect{0, 0, 70, 50}));
    EXPECT_EQ(all->ValueAt(0, 0), 255);
    EXPECT_EQ(all->ValueAt(69, 49), 255);
    EXPECT_EQ(p.selectionActive, 1);
    EXPECT_EQ(p.selectionShown, 1);
    EXPECT_TRUE(p.masks->HasAnts());

    // A rectangle selection on whole pixels covers exactly its pixels.
    ASSERT_TRUE(selectRect(d, {10, 10}, {20, 15}, MaskCombine::Replace));
    TRect content;
    ASSERT_TRUE(p.masks->CurrentMask()->ContentBounds(content));
    EXPECT_EQ(content, (TRect{10, 10, 20, 15}));
    // Subtract the right half, add a far square, intersect with a band.
    ASSERT_TRUE(selectRect(d, {15, 0}, {70, 50}, MaskCombine::Subtract));
    ASSERT_TRUE(selectRect(d, {40, 30}, {44, 34}, MaskCombine::Add));
    const CMaskData& m = *p.masks->CurrentMask();
    EXPECT_EQ(m.ValueAt(14, 12), 255);
    EXPECT_LE(m.ValueAt(15, 12), 0);
    EXPECT_EQ(m.ValueAt(41, 31), 255);
    ASSERT_TRUE(selectRect(d, {0, 12}, {70, 32}, MaskCombine::Intersect));
    EXPECT_LE(p.masks->CurrentMask()->ValueAt(12, 11), 0);
    EXPECT_EQ(p.masks->CurrentMask()->ValueAt(12, 12), 255);
    EXPECT_EQ(p.masks->CurrentMask()->ValueAt(41, 31), 255);
    EXPECT_LE(p.masks->CurrentMask()->ValueAt(41, 32), 0);

    // The outline follows undo and redo.
    ASSERT_TRUE(p.clearMask(-1, true));
    EXPECT_FALSE(p.masks->HasAnts());
    int32_t layer = 0;
    TRect rect;
    ASSERT_TRUE(p.undo(d.flow, layer, rect));
    EXPECT_TRUE(p.masks->HasAnts());
    ASSERT_TRUE(p.redo(d.flow, layer, rect));
    EXPECT_FALSE(p.masks->HasAnts());

    // Nothing to do is refused and leaves no event: subtracting from an empty mask, removing
    // the only mask, an unchanged flag.
    const uint32_t events = d.events().eventCount();
    EXPECT_FALSE(selectRect(d, {0, 0}, {9, 9}, MaskCombine::Subtract));
    EXPECT_FALSE(selectRect(d, {0, 0}, {9, 9}, MaskCombine::Intersect));
    EXPECT_FALSE(p.removeMask(-1, true));
    EXPECT_FALSE(p.setSelectionShown(p.selectionShown != 0, true));
    EXPECT_FALSE(p.growMask(-1, 1, true, false, true));
    EXPECT_EQ(d.events().eventCount(), events);
}

TEST(PaperSelect, GrowOnThePaperMatchesABruteForceOctagon)
{
    test::RecordedPaper d;
    prepare(d);
    TPaper& p = *d.paper;
    const std::vector<TPointF> points = {{20, 15}, {45, 18}, {33, 36}};
    ASSERT_TRUE(p.selectPolygon(-1, points, MaskCombine::Replace, true));
    const std::unique_ptr<CMaskData> before = p.masks->CurrentMask()->copy();
    for (int n : {3, 7}) {
        for (bool grow : {true, false}) {
            SCOPED_TRACE(std::to_string(n) + (grow ? " grow" : " shrink"));
            ASSERT_TRUE(p.growMask(-1, n, grow, true, true));
            const CMaskData& after = *p.masks->CurrentMask();
            const int b = (n + 1) / 2;
            const auto at = [&](int32_t x, int32_t y) { return std::max(0, before->ValueAt(x, y)); };
            for (int32_t y = -10; y < 60; ++y)
                for (int32_t x = -10; x < 80; ++x) {
                    int best = grow ? 0 : 255;
                    for (int dy = -n; dy <= n; ++dy)
                        for (int dx = -n; dx <= n; ++dx) {
                            if (std::abs(dy) > std::min(n, b + n - std::abs(dx)))
                                continue;
                            const int v = at(x + dx, y + dy);
                            best = grow ? std::max(best, v) : std::min(best, v);
                        }
                    // Outside the shrunk mask's rectangle nothing is selected either.
                    ASSERT_EQ(std::max(0, after.ValueAt(x, y)), best) << x << "," << y;
                }
            int32_t layer = 0;
            TRect rect;
            ASSERT_TRUE(p.undo(d.flow, layer, rect));
        }
    }
}

TEST(PaperSelect, EditsStayInsideTheSelection)
{
    test::RecordedPaper d;
    prepare(d);
    TPaper& p = *d.paper;
    ASSERT_TRUE(p.selectShape(TFillShape::ellipse, {0, -1, MaskCombine::Replace, {10, 5}, {50, 40}},
                              true));
    const TMTC before = test::flatLayer(*p.layer(0));
    d.stroke.setWidth(8);
    d.stroke.setColor(0x00FF00);
    const std::vector<TPointF> across = {{0, 20}, {69, 25}};
    ASSERT_TRUE(p.strokeOutline(d.flow, d.stroke, across, nullptr));
    ASSERT_TRUE(p.fillWholeLayer(d.flow, d.stroke, true, areaFillEvent::fillSelection));
    const TMTC after = test::flatLayer(*p.layer(0));
    const CMaskData& mask = *p.masks->CurrentMask();
    int changedInside = 0;
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 70; ++x) {
            if (mask.ValueAt(x, y) <= 0)
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            else
                changedInside += after.pixel(x, y) != before.pixel(x, y);
        }
    EXPECT_GT(changedInside, 100);
    // Switched off, the same stroke reaches outside.
    ASSERT_TRUE(p.setSelectionActive(false, true));
    ASSERT_TRUE(p.strokeOutline(d.flow, d.stroke, across, nullptr));
    EXPECT_NE(test::flatLayer(*p.layer(0)).pixel(2, 20), before.pixel(2, 20));
}

TEST(PaperSelect, LayersFromTheSelectionSplitTheAlpha)
{
    test::RecordedPaper d;
    prepare(d);
    TPaper& p = *d.paper;
    // Half-selected everywhere: the new layer takes mul(128, A), what stays follows the
    // split rule: 255 − 128 = 127 for an opaque pixel.
    ASSERT_TRUE(p.selectAll(true));
    ASSERT_TRUE(p.fillLayerMask(d.flow, 0, 255, true));
    TChannel half(70, 50);
    fillAll(half, 128);
    TChannelEventHead head;
    head.rect = {0, 0, 70, 50};
    ASSERT_TRUE(p.applyChannel(d.flow, d.stroke, channelEvent::colourMask, head, half, true));
    ASSERT_TRUE(p.layerFromSelection(d.flow, 0, true, true));
    ASSERT_EQ(p.layerCount(), 3);
    EXPECT_EQ(p.layer(1)->image()->GetPixel(20, 20) >> 24, 128u); // ⌊128 · 255 / 255⌋
    EXPECT_EQ(p.layer(0)->image()->GetPixel(20, 20) >> 24, 127u);
    EXPECT_EQ(p.layer(1)->image()->GetPixel(20, 20) & 0xFFFFFF,
              p.layer(0)->image()->GetPixel(20, 20) & 0xFFFFFF);
    EXPECT_EQ(p.currentLayerIndex(), 1);
    // Negating the layer mask twice gives it back; copying the selection sets every alpha.
    ASSERT_TRUE(p.negateLayerMask(d.flow, 1, true));
    EXPECT_EQ(p.layer(1)->image()->GetPixel(20, 20) >> 24, 127u);
    ASSERT_TRUE(p.copySelectionToLayerMask(d.flow, 2, true));
    EXPECT_EQ(p.layer(2)->image()->GetPixel(3, 3) >> 24, 128u);
}

} // namespace qm

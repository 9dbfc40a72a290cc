// The stack's operations on a recording paper: each is one event and one undo step, undo and
// redo give back exactly the stack and the selection before and after, a replay of the
// recording gives the same stack, and the display always equals a fresh composite.
#include "paper_fixture.h"

#include "events/event_mngr.h"
#include "layers/blend_mode_table.h"

#include <filesystem>
#include <functional>
#include <random>

namespace qm::test {

namespace {

// The stack and the selection as they are now, to compare with later.
struct Shot {
    int32_t width = 0, height = 0, dpi = 0;
    std::vector<std::unique_ptr<CLayerData>> layers;
    std::vector<TRect> maskRects;
    std::vector<std::vector<uint8_t>> coverage;

    explicit Shot(TPaper& paper) : width(paper.width), height(paper.height), dpi(paper.dpi)
    {
        for (int32_t i = 0; i < paper.layerCount(); ++i) {
            layers.push_back(CLayerData::make(i, 0));
            EXPECT_TRUE(layers.back()->CloneFrom(*paper.layer(i)));
        }
        for (int32_t i = 0; i < paper.masks->Count(); ++i) {
            const CMaskData* mask = paper.masks->Mask(i);
            TChannel channel;
            std::vector<uint8_t> bytes;
            if (mask && mask->toChannel(channel))
                for (int32_t y = 0; y < channel.height(); ++y)
                    bytes.insert(bytes.end(), channel.row(y), channel.row(y) + channel.width());
            maskRects.push_back(mask && mask->IsValid() ? mask->Bounds() : TRect{});
            coverage.push_back(std::move(bytes));
        }
    }
};

void expectSame(const Shot& a, const Shot& b)
{
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    ASSERT_EQ(a.layers.size(), b.layers.size());
    for (size_t i = 0; i < a.layers.size(); ++i) {
        SCOPED_TRACE(i);
        expectSameLayer(*a.layers[i], *b.layers[i]);
    }
    ASSERT_EQ(a.maskRects.size(), b.maskRects.size());
    for (size_t i = 0; i < a.maskRects.size(); ++i) {
        EXPECT_EQ(a.maskRects[i], b.maskRects[i]) << "mask " << i;
        EXPECT_EQ(a.coverage[i], b.coverage[i]) << "mask " << i;
    }
}

// Three painted layers, the top one larger than the paper and moved, and an elliptic
// selection.
struct StackPaper : RecordedPaper {
    StackPaper()
    {
        paper->initPaper("stack", flow, 61, 45);
        paper->createLayer(flow, 1, 61, 45, true, 200, uint8_t(BlendMode::Normal), true);
        paper->createLayer(flow, 2, 80, 70, true, 255, uint8_t(BlendMode::Multiply), true);
        paper->setLayerOffset(flow, 2, 7, 11, true);
        paintOn(0, 0xC04020, {{3, 40}, {30, 20}, {58, 4}});
        paintOn(1, 0x2060C0, {{5, 8}, {30, 22}, {57, 38}});
        paintOn(2, 0x30A040, {{-4, 20}, {62, 25}});
        TSelectShape shape;
        shape.slot = -1;
        shape.first = {12, 9};
        shape.second = {44, 33};
        paper->selectShape(TFillShape::ellipse, shape, true);
    }
    void paintOn(int32_t layer, uint32_t colour, std::initializer_list<TPointF> points)
    {
        paper->setCurrentLayer(flow, layer);
        stroke.resetToDefaults(0);
        stroke.setWidth(8);
        stroke.setColor(colour);
        stroke.setOpacity(0.8f);
        bool first = true;
        for (const TPointF& p : points) {
            if (first)
                paper->beginStroke(flow, stroke, true, p.x, p.y, 0.9f);
            else
                paper->continueStroke(flow, stroke, true, nullptr, p.x, p.y, 0.9f);
            first = false;
        }
        TRect rect;
        paper->endStroke(flow, stroke, true, rect, nullptr);
    }
};

TMTC checkerPicture(int32_t w, int32_t h)
{
    TMTC picture(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            picture.row(y)[x] = ((x / 3 + y / 2) % 2 ? 0xFF102030u : 0x80F0E0D0u) + uint32_t(x);
    return picture;
}

struct Operation {
    const char* name;
    std::function<bool(StackPaper&)> run;
};

std::vector<Operation> operations()
{
    const auto place = [](uint8_t sub, int32_t layer,
                          std::optional<TPlacedAttributes> attributes = {}) {
        return [sub, layer, attributes](StackPaper& s) {
            TImagePlacement placement;
            placement.layer = layer;
            placement.at = {-5, 30};
            placement.name = "pasted";
            placement.image = checkerPicture(23, 19);
            placement.attributes = attributes;
            return s.paper->placeImage(s.flow, sub, placement, true);
        };
    };
    return {
        {"canvas bigger, centre",
         [](StackPaper& s) {
             return s.paper->resizeCanvas(s.flow, {75, 52, 4, 0, 0}, true);
         }},
        {"canvas smaller, bottom right, cut",
         [](StackPaper& s) {
             return s.paper->resizeCanvas(s.flow, {40, 31, 8, 1, 0}, true);
         }},
        {"rescale by area",
         [](StackPaper& s) {
             return s.paper->rescalePaper(s.flow, paperEvent::resolution, {30, 22, 0, 0, 144},
                                          true);
         }},
        {"rescale supersampled",
         [](StackPaper& s) {
             return s.paper->rescalePaper(s.flow, paperEvent::resample, {90, 67, 0, 0, 0}, true);
         }},
        {"crop",
         [](StackPaper& s) {
             return s.paper->cropPaper(s.flow, 1, {6, 4, 50, 39}, true);
         }},
        {"turn clockwise", [](StackPaper& s) { return s.paper->turnPaper(s.flow, true, true); }},
        {"turn counter-clockwise",
         [](StackPaper& s) { return s.paper->turnPaper(s.flow, false, true); }},
        {"flip visible",
         [](StackPaper& s) {
             return s.paper->transformVisible(s.flow, TLayerCommand::flipLeftRight, true);
         }},
        {"half turn visible",
         [](StackPaper& s) {
             return s.paper->transformVisible(s.flow, TLayerCommand::halfTurn, true);
         }},
        {"negate visible",
         [](StackPaper& s) {
             return s.paper->transformVisible(s.flow, TLayerCommand::negate, true);
         }},
        {"merge all", [](StackPaper& s) { return s.paper->mergeAll(s.flow, true); }},
        {"merge down", [](StackPaper& s) { return s.paper->mergeDown(s.flow, 2, 0, true); }},
        {"merge down, both modes",
         [](StackPaper& s) { return s.paper->mergeDown(s.flow, 1, 2, true); }},
        {"show only", [](StackPaper& s) { return s.paper->showOnlyLayer(s.flow, 1, true); }},
        {"hide all", [](StackPaper& s) { return s.paper->setAllVisible(s.flow, false, true); }},
        {"invert visibility",
         [](StackPaper& s) { return s.paper->invertVisibility(s.flow, true); }},
        {"layer turned", [](StackPaper& s) { return s.paper->turnLayer(s.flow, 2, true, true); }},
        {"layer rotated",
         [](StackPaper& s) { return s.paper->rotateLayer(s.flow, 1, 30.0f, true); }},
        {"layer scaled",
         [](StackPaper& s) { return s.paper->scaleLayer(s.flow, 2, 40, 90, true); }},
        {"cut outside", [](StackPaper& s) { return s.paper->cutOutside(s.flow, 0, -1, true); }},
        {"layer moved with the selection",
         [](StackPaper& s) { return s.paper->moveLayerWithSelection(s.flow, 1, -1, 5, -3, true); }},
        {"cut", [](StackPaper& s) { return s.paper->cutSelection(s.flow, 1, -1, true); }},
        {"named layer",
         [](StackPaper& s) {
             TNewLayerChoice choice{1, 61, 45, 180, uint8_t(BlendMode::Overlay), true, true, "背景"};
             return s.paper->createNamedLayer(s.flow, choice, true) == 1;
         }},
        {"paste as new layer", place(placeEvent::newLayer, 2)},
        {"paste a layer of ours with its attributes",
         place(placeEvent::newLayer, 1, TPlacedAttributes{6, 120, false, true})},
        {"paste into layer", place(placeEvent::intoLayer, 1)},
    };
}

std::string tempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() /
            (std::string("quillmere_") + name + std::to_string(::getpid())))
        .string();
}

} // namespace

TEST(StackOps, EachIsOneEventAndOneUndoStepAndReplaysToTheSameStack)
{
    for (const Operation& op : operations()) {
        SCOPED_TRACE(op.name);
        StackPaper live;
        const Shot before(*live.paper);
        const uint32_t events = live.events().eventCount();
        const int32_t steps = live.paper->undoMngr->UndoCount();
        ASSERT_TRUE(op.run(live));
        EXPECT_EQ(live.events().eventCount(), events + 1);
        EXPECT_EQ(live.paper->undoMngr->UndoCount(), steps + 1);
        EXPECT_TRUE(sameImage(live.paper->displayImage, live.freshComposite()));
        const Shot after(*live.paper);

        int32_t layer;
        TRect rect;
        ASSERT_TRUE(live.paper->undo(live.flow, layer, rect));
        expectSame(before, Shot(*live.paper));
        EXPECT_TRUE(sameImage(live.paper->displayImage, live.freshComposite()));
        ASSERT_TRUE(live.paper->redo(live.flow, layer, rect));
        expectSame(after, Shot(*live.paper));
        EXPECT_TRUE(sameImage(live.paper->displayImage, live.freshComposite()));

        const std::string path = tempPath("stack.qm3");
        ASSERT_TRUE(live.events().saveToFile(path, 1, true));
        RecordedPaper replay;
        ASSERT_EQ(replay.events().openEventFile(path, replay.flow), TReplayOpen::success);
        ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
            << replay.events().missingOperation;
        expectSame(after, Shot(*replay.paper));
        std::remove(path.c_str());
    }
}

TEST(StackOps, CanvasAnchorsPlaceTheOldPictureByTheTable)
{
    // dx = 7, dy = −5: halves truncate towards zero (3 and −2).
    const int32_t dx = 7, dy = -5;
    const TPoint expected[9] = {{0, 0},  {0, -2}, {0, -5}, {3, 0}, {3, -2},
                                {3, -5}, {7, 0},  {7, -2}, {7, -5}};
    for (int32_t anchor = 0; anchor < 9; ++anchor)
        EXPECT_EQ(canvasAnchorOffset(anchor, 20, 20, 20 + dx, 20 + dy), expected[anchor]) << anchor;
    EXPECT_EQ(canvasAnchorOffset(9, 20, 20, 27, 15), (TPoint{0, 0}));   // unknown anchors are 0
    EXPECT_EQ(canvasAnchorOffset(4, 20, 20, 13, 13), (TPoint{-3, -3})); // −7 / 2 = −3

    // A pixel of the old paper lands at its position plus the offset; the selection follows.
    StackPaper s;
    const uint32_t atOld = s.paper->layer(0)->image()->GetPixel(30, 20);
    const int32_t coverage = s.paper->masks->CurrentMask()->ValueAt(28, 21);
    ASSERT_TRUE(s.paper->resizeCanvas(s.flow, {70, 40, 5, 0, 0}, true)); // bottom centre
    const TPoint at = {(70 - 61) / 2, 40 - 45};
    const CLayerData& bottom = *s.paper->layer(0);
    EXPECT_EQ(
        bottom.image()->GetPixelOrDefault(30 + at.x + bottom.offsetX, 20 + at.y + bottom.offsetY),
        atOld);
    EXPECT_EQ(s.paper->masks->CurrentMask()->ValueAt(28 + at.x, 21 + at.y), coverage);
}

TEST(StackOps, CancelOnTheLowMemoryQuestionChangesNothing)
{
    StackPaper s;
    s.paper->setModified(true);
    std::string asked;
    const int32_t steps = s.paper->undoMngr->UndoCount();
    const uint32_t events = s.events().eventCount();
    const Shot before(*s.paper);
    TPaper& paper = *s.paper;
    paper.setMemoryBudget(1); // nothing fits beside the old stack
    EXPECT_FALSE(paper.resizeCanvas(s.flow, {90, 60, 0, 0, 0}, true, [&](const std::string& q) {
        asked = q;
        return false;
    }));
    EXPECT_EQ(asked, std::string("ﾒﾓﾘ不足のためｱﾝﾄﾞｩは実行できませんがよろしいですか?\r") +
                         "*実行前にﾌｧｲﾙを保存しておくことをおすすめします*");
    expectSame(before, Shot(paper));
    EXPECT_EQ(paper.undoMngr->UndoCount(), steps);
    EXPECT_EQ(s.events().eventCount(), events);

    // OK: done without undo, the history cleared, still recorded.
    EXPECT_TRUE(paper.resizeCanvas(s.flow, {90, 60, 0, 0, 0}, true,
                                   [](const std::string&) { return true; }));
    EXPECT_EQ(paper.width, 90);
    EXPECT_EQ(paper.undoMngr->UndoCount(), 0);
    EXPECT_EQ(s.events().eventCount(), events + 1);
    EXPECT_EQ(lastAction(s.events()).category, eventCategory::paper);
    EXPECT_EQ(lastAction(s.events()).sub, paperEvent::canvasSize);

    // The crop never asks: it says it failed and changes nothing.
    EXPECT_FALSE(paper.cropPaper(s.flow, 0, {2, 2, 30, 30}, true));
    EXPECT_EQ(s.window.sink.messages.back(), "ﾒﾓﾘ不足により切り抜きの実行に失敗しました！");
    EXPECT_EQ(paper.width, 90);
}

TEST(StackOps, FlippingTwiceGivesTheLayersBackWithTwoEvents)
{
    StackPaper s;
    const Shot before(*s.paper);
    const uint32_t events = s.events().eventCount();
    ASSERT_TRUE(s.paper->transformVisible(s.flow, TLayerCommand::flipLeftRight, true));
    ASSERT_TRUE(s.paper->transformVisible(s.flow, TLayerCommand::flipLeftRight, true));
    expectSame(before, Shot(*s.paper));
    EXPECT_EQ(s.events().eventCount(), events + 2);

    // Four quarter turns, or one each way, give back the paper.
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(s.paper->turnPaper(s.flow, true, true));
    expectSame(before, Shot(*s.paper));
    ASSERT_TRUE(s.paper->turnPaper(s.flow, true, true));
    EXPECT_EQ(s.paper->width, 45);
    ASSERT_TRUE(s.paper->turnPaper(s.flow, false, true));
    expectSame(before, Shot(*s.paper));
}

TEST(StackOps, RefusedOperationsRecordNothing)
{
    StackPaper s;
    const uint32_t events = s.events().eventCount();
    EXPECT_FALSE(s.paper->mergeDown(s.flow, 0, 0, true)); // nothing below the bottom layer
    EXPECT_FALSE(s.paper->resizeCanvas(s.flow, {61, 45, 4, 0, 0}, true)); // same size
    EXPECT_FALSE(s.paper->cropPaper(s.flow, 0, {70, 70, 90, 90}, true));  // outside the paper
    EXPECT_FALSE(s.paper->setAllVisible(s.flow, true, true));             // all shown already
    EXPECT_FALSE(s.paper->rotateLayer(s.flow, 0, 0.0f, true));
    EXPECT_FALSE(s.paper->showOnlyLayer(s.flow, 7, true));
    s.paper->clearMask(-1, true);
    const uint32_t afterClear = s.events().eventCount();
    EXPECT_FALSE(s.paper->cutOutside(s.flow, 0, -1, true)); // no selection
    EXPECT_EQ(s.events().eventCount(), afterClear);
    EXPECT_GE(afterClear, events);
}

TEST(StackOps, RandomSequencesKeepTheDisplayAFreshComposite)
{
    StackPaper s;
    std::mt19937 rng(99);
    const std::vector<Operation> ops = operations();
    auto pick = [&](int n) { return int(rng() % uint32_t(n)); };
    int done = 0;
    for (int step = 0; step < 120; ++step) {
        int32_t layer;
        TRect rect;
        const int action = pick(10);
        if (action < 5) {
            if (ops[size_t(pick(int(ops.size())))].run(s)) ++done;
        } else if (action < 7) {
            const float y = float(pick(s.paper->height));
            s.paintOn(pick(s.paper->layerCount()), rng() & 0xFFFFFF, {{0, y}, {40, y + 5}});
        } else if (action < 9) {
            s.paper->undo(s.flow, layer, rect);
        } else {
            s.paper->redo(s.flow, layer, rect);
        }
        ASSERT_TRUE(sameImage(s.paper->displayImage, s.freshComposite())) << "step " << step;
        if (s.paper->layerCount() < 2)
            s.paper->createLayer(s.flow, 1, s.paper->width, s.paper->height, true, 255, 3, true);
        if (!s.paper->hasSelection()) {
            TSelectShape shape;
            shape.slot = -1;
            shape.first = {2, 2};
            shape.second = {s.paper->width - 3, s.paper->height - 2};
            s.paper->selectShape(TFillShape::rectangle, shape, true);
        }
    }
    EXPECT_GT(done, 20);
}

} // namespace qm::test

namespace qm::test {

TEST(StackOps, NewLayersAreTransparentUnderTheCurrentEngineAndOpaqueUnderTheOldOne)
{
    for (const TPaintRoutine routine : {TPaintRoutine::current, TPaintRoutine::legacy}) {
        PaperFixture f(40, 30, routine);
        const int32_t at = f.paper->createLayer(f.flow, 1, 40, 30, true, 255,
                                                uint8_t(BlendMode::Normal), true);
        ASSERT_EQ(at, 1);
        const uint32_t pixel = f.paper->layer(1)->image()->GetPixel(20, 15);
        EXPECT_EQ(pixel >> 24, routine == TPaintRoutine::current ? 0u : 255u);
        EXPECT_EQ(pixel & 0xFFFFFFu, 0xFFFFFFu); // the neutral colour of the normal mode
        ASSERT_TRUE(f.paper->deleteLayer(f.flow, 1, true));
        EXPECT_FALSE(f.paper->deleteLayer(f.flow, 0, true)); // the only layer stays
        EXPECT_EQ(f.paper->layerCount(), 1);
    }
}

} // namespace qm::test

// The layer window's edits on the paper: each changes its layer, records one event and one
// undo step, and the display follows the edit, its undo and its redo. Refused edits leave no
// trace.
#include "paper_fixture.h"

#include "layers/blend_mode_table.h"

#include <functional>
#include <sstream>

namespace qm::test {

namespace {

// Two overlapping half-transparent strokes, one on each layer, on a recording paper.
struct LayerPaper : RecordedPaper {
    LayerPaper()
    {
        paper->initPaper("layers", flow, 64, 48);
        paper->createLayer(flow, 1, 64, 48, true, 255, uint8_t(BlendMode::Normal), true);
        paintOn(1, 0x2060C0, {{8, 10}, {30, 20}, {56, 30}});
        paintOn(0, 0xC04020, {{10, 34}, {30, 20}, {50, 8}});
        window.modified = false;
    }
    void paintOn(int32_t layer, uint32_t colour, std::initializer_list<TPointF> points)
    {
        paper->setCurrentLayer(flow, layer);
        stroke.resetToDefaults(0);
        stroke.setWidth(9);
        stroke.setColor(colour);
        stroke.setOpacity(0.6f);
        bool first = true;
        for (const TPointF& p : points) {
            if (first)
                paper->beginStroke(flow, stroke, true, p.x, p.y, 0.8f);
            else
                paper->continueStroke(flow, stroke, true, nullptr, p.x, p.y, 0.8f);
            first = false;
        }
        TRect rect;
        paper->endStroke(flow, stroke, true, rect, nullptr);
    }
    int32_t undoSteps() const { return paper->undoMngr->UndoCount(); }
};

// Everything the layer window shows of the stack, bottom first (not which layer is current:
// undo makes the changed layer current).
std::string stackOf(TPaper& paper)
{
    std::ostringstream s;
    for (int32_t i = 0; i < paper.layerCount(); ++i) {
        const CLayerData& l = *paper.layer(i);
        s << l.id << " '" << l.name << "' o" << int(l.opacity) << " m" << int(l.mode) << " v"
          << int(l.visible) << " p" << int(l.protectAlpha) << " b" << int(l.blendNoise) << ':'
          << int(l.blendAmount) << " @" << l.offsetX << ',' << l.offsetY << " | ";
    }
    return s.str();
}

struct EditCase {
    const char* name;
    int sub;             // the layer event it records
    bool showsOnDisplay; // whether the picture changes
    std::function<bool(LayerPaper&)> apply;
    std::function<void(LayerPaper&)> checkAfter = [](LayerPaper&) {};
};

std::vector<EditCase> editCases()
{
    return {
        {"opacity", 16, true,
         [](LayerPaper& f) { return f.paper->setLayerOpacity(f.flow, 1, 90, true); }},
        {"mode", 17, true,
         [](LayerPaper& f) {
             return f.paper->setLayerMode(f.flow, 1, uint8_t(BlendMode::Multiply), true);
         }},
        {"visible", 18, true,
         [](LayerPaper& f) { return f.paper->setLayerVisible(f.flow, 1, false, true); }},
        {"protect", 20, false,
         [](LayerPaper& f) { return f.paper->setLayerProtectAlpha(f.flow, 0, true, true); },
         [](LayerPaper& f) { EXPECT_TRUE(f.stroke.keepAlpha); }},
        {"blend option", 21, true,
         [](LayerPaper& f) { return f.paper->setLayerBlendOption(f.flow, 1, true, 140, true); }},
        {"name", 19, false, [](LayerPaper& f) { return f.paper->renameLayer(1, "空 sky", true); }},
        {"offset", 12, true,
         [](LayerPaper& f) { return f.paper->setLayerOffset(f.flow, 1, 7, -5, true); }},
        {"duplicate", 3, true,
         [](LayerPaper& f) { return f.paper->duplicateLayer(f.flow, 0, true); },
         [](LayerPaper& f) {
             ASSERT_EQ(f.paper->layerCount(), 3);
             EXPECT_EQ(f.paper->currentLayerIndex(), 1);
             const CLayerData& original = *f.paper->layer(0);
             const CLayerData& copy = *f.paper->layer(1);
             EXPECT_NE(copy.id, original.id);
             EXPECT_EQ(copy.image()->GetPixel(30, 20), original.image()->GetPixel(30, 20));
             EXPECT_NE(copy.image()->GetPixel(30, 20) >> 24, 0u);
         }},
        {"move", 4, true, [](LayerPaper& f) { return f.paper->moveLayer(f.flow, 0, 1, true); },
         [](LayerPaper& f) { EXPECT_EQ(f.paper->currentLayerIndex(), 1); }},
    };
}

} // namespace

TEST(LayerOps, EachEditIsOneEventAndOneUndoStepAndTheDisplayFollows)
{
    for (const EditCase& c : editCases()) {
        SCOPED_TRACE(c.name);
        LayerPaper f;
        f.paper->setCurrentLayer(f.flow, 0);
        const std::string before = stackOf(*f.paper);
        const TMTC displayBefore = snapshot(f.paper->displayImage);
        const uint32_t events = f.events().eventCount();
        const int32_t steps = f.undoSteps();
        const int redraws = f.window.layerRedraws;

        ASSERT_TRUE(c.apply(f));
        EXPECT_EQ(f.events().eventCount(), events + 1);
        const TRecordedPacket packet = lastAction(f.events());
        EXPECT_EQ(packet.category, 4);
        EXPECT_EQ(packet.sub, c.sub);
        EXPECT_EQ(f.undoSteps(), steps + 1);
        EXPECT_TRUE(f.window.modified);
        EXPECT_GT(f.window.layerRedraws, redraws);
        const std::string after = stackOf(*f.paper);
        EXPECT_NE(after, before);
        EXPECT_EQ(!sameImage(f.paper->displayImage, displayBefore), c.showsOnDisplay);
        EXPECT_TRUE(sameImage(f.paper->displayImage, f.freshComposite()));
        c.checkAfter(f);

        int32_t layer;
        TRect rect;
        ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
        EXPECT_EQ(stackOf(*f.paper), before);
        EXPECT_EQ(f.events().eventCount(), events);
        EXPECT_TRUE(sameImage(f.paper->displayImage, displayBefore));
        EXPECT_FALSE(f.stroke.keepAlpha);

        ASSERT_TRUE(f.paper->redo(f.flow, layer, rect));
        EXPECT_EQ(stackOf(*f.paper), after);
        EXPECT_EQ(f.events().eventCount(), events + 1);
        EXPECT_TRUE(sameImage(f.paper->displayImage, f.freshComposite()));
    }
}

TEST(LayerOps, RefusedEditsRecordNothingAndLeaveNoUndoStep)
{
    LayerPaper f;
    const std::string longName(kMaxLayerNameBytes + 1, 'n');
    const std::vector<std::pair<const char*, std::function<bool()>>> refused = {
        {"opacity of no layer", [&] { return f.paper->setLayerOpacity(f.flow, 2, 9, true); }},
        {"opacity unchanged", [&] { return f.paper->setLayerOpacity(f.flow, 1, 255, true); }},
        {"mode unchanged", [&] { return f.paper->setLayerMode(f.flow, 1, 3, true); }},
        {"mode outside the table", [&] { return f.paper->setLayerMode(f.flow, 1, 22, true); }},
        {"visible of no layer", [&] { return f.paper->setLayerVisible(f.flow, -1, false, true); }},
        {"visible unchanged", [&] { return f.paper->setLayerVisible(f.flow, 0, true, true); }},
        {"protect unchanged",
         [&] { return f.paper->setLayerProtectAlpha(f.flow, 0, false, true); }},
        {"blend unchanged",
         [&] { return f.paper->setLayerBlendOption(f.flow, 0, false, 255, true); }},
        {"name unchanged", [&] { return f.paper->renameLayer(0, f.paper->layer(0)->name, true); }},
        {"name with a zero", [&] { return f.paper->renameLayer(0, std::string("a\0b", 3), true); }},
        {"name too long", [&] { return f.paper->renameLayer(0, longName, true); }},
        {"offset unchanged", [&] { return f.paper->setLayerOffset(f.flow, 0, 0, 0, true); }},
        {"offset too far",
         [&] { return f.paper->setLayerOffset(f.flow, 0, 0, -kMaxLayerOffset - 1, true); }},
        {"duplicate of no layer", [&] { return f.paper->duplicateLayer(f.flow, 2, true); }},
        {"move to the same place", [&] { return f.paper->moveLayer(f.flow, 1, 1, true); }},
        {"move past the top", [&] { return f.paper->moveLayer(f.flow, 0, 2, true); }},
        {"move of no layer", [&] { return f.paper->moveLayer(f.flow, -1, 0, true); }},
    };
    const std::string stack = stackOf(*f.paper);
    const uint32_t events = f.events().eventCount();
    const int32_t steps = f.undoSteps();
    for (const auto& [name, call] : refused) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(call());
        EXPECT_EQ(stackOf(*f.paper), stack);
        EXPECT_EQ(f.events().eventCount(), events);
        EXPECT_EQ(f.undoSteps(), steps);
        EXPECT_FALSE(f.window.modified);
    }
    EXPECT_TRUE(f.window.sink.messages.empty());
}

TEST(LayerOps, AStrokeOnAMovedLayerLandsWhereThePaperShowsIt)
{
    LayerPaper f;
    ASSERT_TRUE(f.paper->setLayerOffset(f.flow, 1, 10, 4, true));
    f.paintOn(1, 0x00FF00, {{40, 40}, {41, 40}, {42, 40}});
    // Paper point (41, 40) is image point (51, 44).
    EXPECT_NE(f.paper->layer(1)->image()->GetPixel(51, 44) >> 24, 0u);
    EXPECT_TRUE(sameImage(f.paper->displayImage, f.freshComposite()));

    // Undoing the stroke and then the offset puts the picture back where it was.
    int32_t layer;
    TRect rect;
    ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
    ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
    EXPECT_EQ(f.paper->layer(1)->offsetX, 0);
    EXPECT_TRUE(sameImage(f.paper->displayImage, f.freshComposite()));
}

} // namespace qm::test

namespace qm {
namespace {

TEST(LayerNames, NewLayersCountUpAnUndoneOneGivesItsNumberBackADeletedOneDoesNot)
{
    test::PaperFixture f;
    const auto create = [&] {
        return f.paper->createLayer(f.flow, f.paper->layerCount(), 96, 64, true, 255, 3, true);
    };
    EXPECT_EQ(f.paper->layer(0)->name, std::string(kLayerNameWord) + "1");
    ASSERT_EQ(create(), 1);
    EXPECT_EQ(f.paper->layer(1)->name, std::string(kLayerNameWord) + "2");
    ASSERT_NE(f.paper->layer(1)->thumbnail(), nullptr) << "a paper-sized layer has a thumbnail";
    int32_t index = 1;
    TRect rect;
    ASSERT_TRUE(f.paper->undo(f.flow, index, rect));
    ASSERT_EQ(create(), 1);
    EXPECT_EQ(f.paper->layer(1)->name, std::string(kLayerNameWord) + "2")
        << "as a replay, which never made the undone layer, would name it";
    ASSERT_TRUE(f.paper->deleteLayer(f.flow, 1, true));
    ASSERT_EQ(create(), 1);
    EXPECT_EQ(f.paper->layer(1)->name, std::string(kLayerNameWord) + "3");
}

} // namespace
} // namespace qm

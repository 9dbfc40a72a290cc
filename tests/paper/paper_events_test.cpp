// The paper drives its event recorder: edits are recorded first, undo and redo keep the two
// histories in step, and a recorder that falls behind is reported.
#include "paper_fixture.h"

#include <string>
#include <vector>

namespace qm::test {

namespace {

class FakeEvents : public PaperEvents {
public:
    bool isRecording() const override { return recording; }
    TStroke* replayStroke() override { return &stroke; }
    void recordNewPaper(int32_t w, int32_t h, int32_t) override
    {
        log.push_back("new " + std::to_string(w) + "x" + std::to_string(h));
    }
    void takeStartState() override { log.push_back("start"); }
    void recordStrokeBegin(float, float, float) override { log.push_back("begin"); }
    void recordStrokePoint(float, float, float) override { log.push_back("point"); }
    void recordStrokeEnd() override
    {
        log.push_back("end");
        ++undos;
    }
    void recordPaperColor(uint32_t) override
    {
        log.push_back("colour");
        ++undos;
    }
    void recordLayerEvent(int32_t code, int32_t, int32_t) override
    {
        log.push_back("layer " + std::to_string(code));
        ++undos;
    }
    void recordNewLayer(int32_t, int32_t, int32_t, uint8_t, uint8_t, uint16_t) override
    {
        log.push_back("new layer");
        ++undos;
    }
    void recordLayerAttribute(int32_t, TLayerAttribute which, uint8_t) override
    {
        layerAction("attribute " + std::to_string(int(which)));
    }
    void recordLayerBlendOption(int32_t, bool, uint8_t) override { layerAction("blend"); }
    void recordLayerName(int32_t, const std::string&) override { layerAction("name"); }
    void recordLayerOffset(int32_t, int32_t, int32_t) override { layerAction("offset"); }
    void recordLayerMove(int32_t, int32_t) override { layerAction("move"); }
    void recordPaperOperation(uint8_t, int32_t, int32_t) override { layerAction("paper"); }
    void recordPaperResize(uint8_t, const TPaperResize&) override { layerAction("resize"); }
    void recordCrop(int32_t, const TRect&) override { layerAction("crop"); }
    void recordLayerValues(uint8_t, int32_t, int32_t, int32_t, int32_t) override
    {
        layerAction("values");
    }
    void recordNewNamedLayer(const TNewLayerChoice&) override { layerAction("named layer"); }
    void recordLayerMoveWithMask(int32_t, int32_t, int32_t, int32_t) override
    {
        layerAction("move with mask");
    }
    void recordImagePlacement(uint8_t, const TImagePlacement&) override { layerAction("place"); }
    void recordText(const TTextRecords&, uint8_t, const TChannelEventHead&,
                    const TChannel&) override
    {
        layerAction("text");
    }
    void recordFilter(uint8_t, std::span<const uint8_t>, const TMTC*, const TMTC*) override
    {
        layerAction("filter");
    }
    void recordAreaFill(uint8_t, int32_t, int32_t, TPoint, TPointF) override { layerAction("area"); }
    void recordPolygonFill(int32_t, std::span<const TPointF>) override { layerAction("polygon"); }
    void recordChannel(uint8_t, const TChannelEventHead&, const TChannel&) override
    {
        layerAction("channel");
    }
    void recordSelection(uint8_t sub, int32_t, int32_t, int32_t, int32_t) override
    {
        layerAction("select " + std::to_string(sub));
    }
    void recordMaskName(int32_t, const std::string&) override { layerAction("mask name"); }
    void recordSelectShape(uint8_t, const TSelectShape&) override { layerAction("select shape"); }
    void recordSelectLasso(int32_t, int32_t, MaskCombine, std::span<const TPointF>) override
    {
        layerAction("lasso");
    }
    void recordColourRange(const TColourRangeChoice&, const TChannelEventHead&,
                           const TChannel&) override
    {
        layerAction("colour range");
    }
    void layerAction(const std::string& what)
    {
        log.push_back(what);
        ++undos;
    }
    int32_t undoCount() const override { return undos; }
    int32_t redoCount() const override { return redos; }
    bool recordUndo() override
    {
        --undos, ++redos;
        return undoSucceeds;
    }
    bool recordRedo() override
    {
        ++undos, --redos;
        return true;
    }
    void clearUndo() override { undos = redos = 0; }
    bool resizeHistory(int32_t, int32_t) override { return resizeSucceeds; }

    bool recording = true;
    bool undoSucceeds = true;
    bool resizeSucceeds = true;
    int32_t undos = 0, redos = 0;
    std::vector<std::string> log;
    TStroke stroke;
};

struct RecordingPaper : PaperFixture {
    static FakeEvents*& events()
    {
        static FakeEvents* last = nullptr;
        return last;
    }
    RecordingPaper() : PaperFixture(1, 1)
    {
        services.makeEvents = [](TPaper&) {
            auto e = std::make_unique<FakeEvents>();
            events() = e.get();
            return e;
        };
        paper = std::make_unique<TPaper>(window, services);
        flow = TFlowImage(paper.get());
        paper->initPaper("events", flow, 64, 48);
    }
    FakeEvents& ev() { return *events(); }
};

} // namespace

TEST(PaperEvents, EditsAreRecordedAndUndoKeepsBothHistoriesInStep)
{
    RecordingPaper f;
    EXPECT_EQ(f.ev().log, (std::vector<std::string>{"new 64x48", "start"}));
    f.stroke.resetToDefaults(0);
    f.stroke_({{5, 5}, {20, 20}, {30, 25}});
    f.paper->setPaperColor(0x808080, true);
    EXPECT_EQ(f.ev().log, (std::vector<std::string>{"new 64x48", "start", "begin", "point",
                                                     "point", "end", "colour"}));
    int32_t layer;
    TRect rect;
    ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
    EXPECT_EQ(f.ev().undos, 1);
    EXPECT_TRUE(f.window.sink.messages.empty());

    // A replayed edit (record clear) goes unrecorded.
    f.stroke_({{5, 30}, {20, 30}}, false);
    EXPECT_EQ(f.ev().log.back(), "colour");

    // The recorder fell behind: the undo manager is told to repair, and the problem remains.
    f.ev().undos = 0;
    ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
    ASSERT_GE(f.window.sink.messages.size(), 2u);
    EXPECT_EQ(f.window.sink.messages[0], kEventStateRepaired);
    EXPECT_EQ(f.window.sink.messages[1], kEventRecordProblem);

    // A failed undo event does not undo the undo.
    f.window.sink.messages.clear();
    f.paper->setPaperColor(0x101010, true);
    f.ev().undoSucceeds = false;
    ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
    EXPECT_EQ(f.paper->paperColor, 0xFFFFFFu);
    EXPECT_EQ(f.window.sink.messages.back(), kUndoEventFailed);
}

TEST(PaperEvents, UndoDepthNeedsTheRecorderToFollow)
{
    RecordingPaper f;
    f.config.undoMax = 12;
    EXPECT_TRUE(f.paper->setUndoDepth());
    EXPECT_EQ(f.paper->undoMngr->undoLimit(), 12);
    f.ev().resizeSucceeds = false;
    f.config.undoMax = 3;
    EXPECT_FALSE(f.paper->setUndoDepth());
    EXPECT_EQ(f.paper->undoMngr->undoLimit(), 12);
    EXPECT_EQ(f.window.sink.messages.back(), kUndoDepthFailed);
}

} // namespace qm::test

// The recording always describes the picture: a paper edited live with every brush kind,
// layer edits, undos and redos, saved and replayed, gives the same layers bit for bit.
#include "../paper/paper_fixture.h"
#include "events/event_file.h"
#include "events/event_mngr.h"
#include "files/app_profile.h"
#include "tone/tone_mngr.h"
#include "paper/paper.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

namespace qm {

namespace {

// The live tone list: two dot grids and a line tone.
struct LiveTones {
    LiveTones()
    {
        SToneAttr lines;
        lines.shape = uint8_t(ToneShape::Line);
        lines.angle = 30.0f;
        tones.AddTone(lines, true);
    }
    CToneMngr tones;
};

// A paper as the program makes it, painting through the live tone list.
struct RecordedPaper : LiveTones, test::RecordedPaper {
    RecordedPaper() : test::RecordedPaper(&tones) {}
};

std::string tempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() /
            (std::string("quillmere_") + name + std::to_string(::getpid())))
        .string();
}

// Same layers, bit for bit, with the same attributes; with the same clock on both sides also
// the same generators and so the same display.
void expectSamePapers(TPaper& a, TPaper& b, bool sameClock = true)
{
    ASSERT_EQ(a.layerCount(), b.layerCount());
    EXPECT_EQ(a.paperColor, b.paperColor);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.currentLayerIndex(), b.currentLayerIndex());
    if (sameClock) {
        EXPECT_TRUE(test::sameImage(a.displayImage, b.displayImage));
    }
    for (int32_t i = 0; i < a.layerCount(); ++i) {
        SCOPED_TRACE(i);
        const CLayerData& la = *a.layer(i);
        const CLayerData& lb = *b.layer(i);
        test::expectSameLayer(la, lb);
        if (sameClock || la.blendNoise) {
            EXPECT_EQ(la.random, lb.random);
        }
    }
}

// Random live work: strokes of every kind with pressure, layers made and removed, paper
// colour, layer commands, the layer window's edits, undos, redos.
void editRandomly(RecordedPaper& live, std::mt19937& rng, int steps)
{
    auto uniform = [&](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    auto pick = [&](int n) { return int(rng() % uint32_t(n)); };
    TPaper& p = *live.paper;
    for (int step = 0; step < steps; ++step) {
        int32_t layer;
        TRect rect;
        const int action = pick(29);
        const auto anyLayer = [&] { return pick(p.layerCount()); };
        if (action < 6) {
            const int kind = pick(kBrushKindCount);
            TStroke& s = live.stroke;
            s.resetToDefaults(kind);
            s.setKind(kind);
            s.setWidth(uniform(1.0f, 12.0f));
            s.setColor(rng() & 0xFFFFFF);
            s.setOpacity(uniform(0.2f, 1.0f));
            s.setIfEdge(pick(2) == 0);
            s.rawPoints = pick(5) == 0;
            if (pick(4) == 0) {
                live.tones.Select(pick(live.tones.count()));
                s.setUseTone(true);
            }
            float x = uniform(0, 80), y = uniform(0, 60);
            p.beginStroke(live.flow, s, true, x, y, uniform(0, 1));
            const int points = 1 + pick(24);
            for (int i = 0; i < points; ++i) {
                x += uniform(-8, 8), y += uniform(-8, 8);
                p.continueStroke(live.flow, s, true, nullptr, x, y, uniform(0, 1));
            }
            p.endStroke(live.flow, s, true, rect, nullptr);
        } else if (action == 6) {
            p.createLayer(live.flow, pick(p.layerCount() + 1), 80, 60, true, uint8_t(128 + pick(128)),
                          uint8_t(3 + pick(6)), true);
        } else if (action == 7) {
            p.deleteLayer(live.flow, pick(p.layerCount()), true);
        } else if (action == 8) {
            p.setPaperColor(rng() & 0xFFFFFF, true);
        } else if (action == 9) {
            p.execLayerCommand(live.flow, pick(p.layerCount()), true, 7 + pick(4));
        } else if (action == 10) {
            p.undo(live.flow, layer, rect);
        } else if (action == 11) {
            p.redo(live.flow, layer, rect);
        } else if (action == 12) {
            p.setLayerOpacity(live.flow, anyLayer(), uint8_t(rng()), true);
        } else if (action == 13) {
            p.setLayerMode(live.flow, anyLayer(), uint8_t(pick(22)), true);
        } else if (action == 14) {
            p.setLayerVisible(live.flow, anyLayer(), pick(3) != 0, true);
        } else if (action == 15) {
            p.setLayerProtectAlpha(live.flow, anyLayer(), pick(2) == 0, true);
        } else if (action == 16) {
            p.setLayerBlendOption(live.flow, anyLayer(), pick(2) == 0, uint8_t(rng()), true);
        } else if (action == 17) {
            static const char* const names[] = {"", "a", "ﾚｲﾔ下書き", "線画 2"};
            p.renameLayer(anyLayer(), names[pick(4)], true);
        } else if (action == 18) {
            p.setLayerOffset(live.flow, anyLayer(), pick(41) - 20, pick(31) - 15, true);
        } else if (action == 19) {
            p.duplicateLayer(live.flow, anyLayer(), true);
        } else if (action == 20) {
            p.moveLayer(live.flow, anyLayer(), anyLayer(), true);
        } else if (action == 21) {
            // The canvas grows or shrinks round an anchor, now and then cutting the layers.
            p.resizeCanvas(live.flow, {p.width + pick(21) - 10, p.height + pick(21) - 10,
                                       uint8_t(pick(9)), uint8_t(pick(3) == 0), 0}, true);
        } else if (action == 22) {
            p.turnPaper(live.flow, pick(2) == 0, true);
        } else if (action == 23) {
            p.transformVisible(live.flow, TLayerCommand(7 + pick(4)), true);
        } else if (action == 24) {
            p.mergeDown(live.flow, anyLayer(), pick(3), true);
        } else if (action == 25) {
            const int which = pick(3);
            if (which == 0)
                p.turnLayer(live.flow, anyLayer(), pick(2) == 0, true);
            else if (which == 1)
                p.rotateLayer(live.flow, anyLayer(), uniform(-180, 180), true);
            else
                p.scaleLayer(live.flow, anyLayer(), 20 + pick(100), 20 + pick(80), true);
        } else if (action == 26) {
            p.cropPaper(live.flow, anyLayer(), {pick(10), pick(10), p.width - pick(10), p.height - pick(10)},
                        true);
        } else if (action == 27) {
            const int which = pick(3);
            if (which == 0)
                p.showOnlyLayer(live.flow, anyLayer(), true);
            else if (which == 1)
                p.setAllVisible(live.flow, true, true);
            else
                p.invertVisibility(live.flow, true);
        } else {
            TNewLayerChoice choice{pick(p.layerCount() + 1), p.width, p.height, uint8_t(100 + pick(156)),
                               uint8_t(pick(22)), true, pick(2) == 0, pick(2) ? "" : "名前"};
            p.createNamedLayer(live.flow, choice, true);
        }
    }
    // An undo as the last step leaves the current layer where the undo put it; the next edit
    // records which layer is current, so one more edit makes both papers agree on it.
    p.setPaperColor(rng() & 0xFFFFFF, true);
}

bool saveRecording(RecordedPaper& live, const std::string& path)
{
    return live.events().saveToFile(path, 1, true);
}

} // namespace

TEST(Replay, SavedRecordingReplaysToTheLivePaperAndContinues)
{
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        RecordedPaper live;
        ASSERT_TRUE(live.paper->initPaper("live", live.flow, 80, 60));
        editRandomly(live, rng, 90);
        const std::string path = tempPath("replay.qm3");
        ASSERT_TRUE(saveRecording(live, path));
        EXPECT_EQ(live.events().state, CEventMngr::recording); // the end mark is gone again

        RecordedPaper replay;
        ASSERT_EQ(replay.events().openEventFile(path, replay.flow), TReplayOpen::success)
            << (replay.window.sink.messages.empty() ? "" : replay.window.sink.messages.front());
        ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
            << replay.events().missingOperation;
        expectSamePapers(*live.paper, *replay.paper);
        ASSERT_TRUE(replay.events().switchToAppend());
        EXPECT_EQ(replay.events().eventCount(), live.events().eventCount());

        // Append mode: more work on the replayed paper, saved and replayed again.
        editRandomly(replay, rng, 30);
        ASSERT_TRUE(saveRecording(replay, path));
        RecordedPaper again;
        ASSERT_EQ(again.events().openEventFile(path, again.flow), TReplayOpen::success);
        ASSERT_EQ(again.events().replayAll(again.flow), TReplayStep::end);
        expectSamePapers(*replay.paper, *again.paper);
        std::remove(path.c_str());
    }
}

} // namespace qm

namespace qm {

// Every edit of the layer window, between strokes on the layers it changes, with an undo and
// a redo among them: the replay gives the same stack. The replay runs on another clock, so
// the blend option's generator must come from the recording.
TEST(Replay, LayerWindowEditsReplayToTheSameStack)
{
    RecordedPaper live;
    ASSERT_TRUE(live.paper->initPaper("layers", live.flow, 72, 56));
    TPaper& p = *live.paper;
    TFlowImage& flow = live.flow;
    auto strokeAcross = [&](float y) {
        live.stroke.resetToDefaults(0);
        live.stroke.setWidth(7);
        live.stroke.setColor(0x3070A0 + uint32_t(y));
        p.beginStroke(flow, live.stroke, true, 4, y, 0.5f);
        for (float x = 10; x < 70; x += 6)
            p.continueStroke(flow, live.stroke, true, nullptr, x, y + x / 8, 0.9f);
        TRect rect;
        p.endStroke(flow, live.stroke, true, rect, nullptr);
    };
    strokeAcross(10);
    ASSERT_GE(p.createLayer(flow, 1, 72, 56, true, 255, 3, true), 0);
    strokeAcross(20);
    ASSERT_TRUE(p.setLayerOpacity(flow, 1, 150, true));
    ASSERT_TRUE(p.setLayerMode(flow, 1, 0, true));
    ASSERT_TRUE(p.setLayerBlendOption(flow, 1, true, 90, true));
    ASSERT_TRUE(p.renameLayer(0, "下書き", true));
    ASSERT_TRUE(p.renameLayer(1, "ink", true));
    ASSERT_TRUE(p.setLayerOffset(flow, 1, -9, 6, true));
    strokeAcross(30); // on the moved layer
    ASSERT_TRUE(p.duplicateLayer(flow, 1, true));
    strokeAcross(40); // on the copy
    ASSERT_TRUE(p.moveLayer(flow, 2, 0, true));
    ASSERT_TRUE(p.setLayerVisible(flow, 1, false, true));
    ASSERT_TRUE(p.setLayerProtectAlpha(flow, 0, true, true));
    strokeAcross(25); // keeps the alpha of the moved copy
    int32_t layer;
    TRect rect;
    ASSERT_TRUE(p.undo(flow, layer, rect));
    ASSERT_TRUE(p.undo(flow, layer, rect));
    ASSERT_TRUE(p.redo(flow, layer, rect));
    ASSERT_TRUE(p.setLayerOffset(flow, 2, 3, 3, true));

    const std::string path = tempPath("layers.qm3");
    ASSERT_TRUE(saveRecording(live, path));
    RecordedPaper replay;
    replay.clock.now = 777;
    ASSERT_EQ(replay.events().openEventFile(path, replay.flow), TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
        << replay.events().missingOperation;
    expectSamePapers(p, *replay.paper, false);
    EXPECT_EQ(replay.paper->layer(0)->name, "ink"); // the copy, moved to the bottom
    std::remove(path.c_str());
}

} // namespace qm

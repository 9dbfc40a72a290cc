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

TMTC flatLayer(const CLayerData& layer)
{
    TMTC flat(layer.imageWidth(), layer.imageHeight());
    layer.image()->ExportTo(flat, {0, 0}, false, 255, layer.image()->bounds());
    return flat;
}

void expectSamePapers(TPaper& a, TPaper& b)
{
    ASSERT_EQ(a.layerCount(), b.layerCount());
    EXPECT_EQ(a.paperColor, b.paperColor);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.currentLayerIndex(), b.currentLayerIndex());
    for (int32_t i = 0; i < a.layerCount(); ++i) {
        SCOPED_TRACE(i);
        const CLayerData& la = *a.layer(i);
        const CLayerData& lb = *b.layer(i);
        EXPECT_EQ(la.mode, lb.mode);
        EXPECT_EQ(la.opacity, lb.opacity);
        EXPECT_EQ(la.visible, lb.visible);
        const TMTC fa = flatLayer(la), fb = flatLayer(lb);
        ASSERT_EQ(fa.width(), fb.width());
        bool same = true;
        for (int32_t y = 0; y < fa.height() && same; ++y)
            for (int32_t x = 0; x < fa.width() && same; ++x)
                same = fa.pixel(x, y) == fb.pixel(x, y);
        EXPECT_TRUE(same);
    }
}

// Random live work: strokes of every kind with pressure, layers made and removed, paper
// colour, layer commands, undos, redos.
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
        const int action = pick(12);
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
        } else {
            p.redo(live.flow, layer, rect);
        }
    }
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

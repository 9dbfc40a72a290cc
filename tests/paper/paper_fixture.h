// A paper in a window that only records what it is asked, with a fixed clock.
#pragma once

#include "core/clock.h"
#include "core/message_sink.h"
#include "events/event_file.h"
#include "events/event_format.h"
#include "events/event_mngr.h"
#include "files/app_profile.h"
#include "layers/display_refresh.h"
#include "paper/paper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace qm::test {

// A fresh composite of every layer, as the display should show it.
inline TTC freshComposite(TPaper& paper, Clock& clock)
{
    TTC picture(paper.width, paper.height);
    refreshDisplayBox(*paper.layers, picture, picture.bounds(), paper.paperColor,
                      paper.isCurrentEngine() ? TLayerEngine::LayerAlpha : TLayerEngine::Legacy,
                      {}, clock);
    return picture;
}

// The last action of a recording (state and attribute packets skipped): its code and payload.
struct TRecordedPacket {
    int category = -1;
    int sub = -1;
    std::vector<uint8_t> payload;
};

inline TRecordedPacket lastAction(const CEventMngr& events)
{
    const std::vector<uint8_t> stream = events.fileData().stream;
    TRecordedPacket last;
    size_t at = 0;
    while (at + 2 <= stream.size()) {
        const uint8_t c = stream[at], s = stream[at + 1];
        const int64_t n = payloadLength(c, s, [&](uint32_t off, uint8_t* o, uint32_t k) {
            if (at + 2 + off + k > stream.size())
                return false;
            std::copy_n(stream.begin() + ptrdiff_t(at + 2 + off), k, o);
            return true;
        });
        if (n < 0 || at + 2 + size_t(n) > stream.size())
            return {};
        const auto payload = stream.begin() + ptrdiff_t(at + 2);
        if (!isStatePacket(c))
            last = {c, s, {payload, payload + ptrdiff_t(n)}};
        at += 2 + size_t(n);
    }
    return last;
}

class TestWindow : public TDrawWindow {
public:
    MessageSink& messages() override { return sink; }
    void layersChanged() override { ++layerRedraws; }
    CollectingMessageSink sink;
    int layerRedraws = 0;
};

struct PaperFixture {
    explicit PaperFixture(int32_t w = 96, int32_t h = 64,
                          TPaintRoutine routine = TPaintRoutine::current)
    {
        config.undoMax = 30;
        services.liveStroke = &stroke;
        services.config = &config;
        services.clock = &clock;
        services.defaultRoutine = routine;
        paper = std::make_unique<TPaper>(window, services);
        flow.paper = paper.get();
        paper->initPaper("test", flow, w, h);
    }

    // A stroke of the live pen through the points, pressure rising then falling.
    void stroke_(std::initializer_list<TPointF> points, bool record = true)
    {
        TStroke& s = stroke;
        const size_t n = points.size();
        size_t i = 0;
        for (const TPointF& p : points) {
            const float pressure = n > 1 ? 0.3f + 0.7f * float(i) / float(n - 1) : 1.0f;
            if (i == 0)
                paper->beginStroke(flow, s, record, p.x, p.y, pressure);
            else
                paper->continueStroke(flow, s, record, nullptr, p.x, p.y, pressure);
            ++i;
        }
        TRect rect;
        paper->endStroke(flow, s, record, rect, nullptr);
    }

    // A fresh composite of every layer, as the display should show it.
    TTC freshComposite() { return test::freshComposite(*paper, clock); }

    TConfigSettings config;
    FakeClock clock;
    TStroke stroke;
    TestWindow window;
    TPaperServices services;
    std::unique_ptr<TPaper> paper;
    TFlowImage flow;
};

// A paper as the program makes it, recording from the start; not yet given a size.
struct RecordedPaper {
    explicit RecordedPaper(const CPatMngrBase* tones = nullptr)
    {
        config.undoMax = 12;
        services.liveStroke = &stroke;
        services.config = &config;
        services.clock = &clock;
        services.tones = tones;
        services.makeEvents = eventRecorder(&stroke, tones, config.undoMax);
        paper = std::make_unique<TPaper>(window, services);
        flow.paper = paper.get();
    }
    CEventMngr& events() { return static_cast<CEventMngr&>(*paper->eventMngr); }
    TTC freshComposite() { return test::freshComposite(*paper, clock); }

    TConfigSettings config;
    FakeClock clock{1000}; // the blend option's display pattern repeats
    TStroke stroke;
    TestWindow window;
    TPaperServices services;
    std::unique_ptr<TPaper> paper;
    TFlowImage flow;
};

// A recorded pen stroke across the paper at height y: 5 wide, pressure rising.
inline void drawStroke(RecordedPaper& d, float y, uint32_t colour)
{
    d.stroke.resetToDefaults(0);
    d.stroke.setWidth(5);
    d.stroke.setColor(colour);
    d.paper->beginStroke(d.flow, d.stroke, true, 4, y, 0.6f);
    for (float x = 8; x < 60; x += 5)
        d.paper->continueStroke(d.flow, d.stroke, true, nullptr, x, y + x / 10, 0.9f);
    TRect rect;
    d.paper->endStroke(d.flow, d.stroke, true, rect, nullptr);
}

inline bool sameImage(const TMTC& a, const TMTC& b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

// A layer's whole image as a flat picture.
inline TMTC flatLayer(const CLayerData& layer)
{
    TMTC flat(layer.imageWidth(), layer.imageHeight());
    layer.image()->ExportTo(flat, {0, 0}, false, 255, layer.image()->bounds());
    return flat;
}

// Two layers with the same record (what the layer window and the files keep) and pixels.
inline void expectSameLayer(const CLayerData& a, const CLayerData& b)
{
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.mode, b.mode);
    EXPECT_EQ(a.opacity, b.opacity);
    EXPECT_EQ(a.visible, b.visible);
    EXPECT_EQ(a.protectAlpha, b.protectAlpha);
    EXPECT_EQ(a.blendNoise, b.blendNoise);
    EXPECT_EQ(a.blendAmount, b.blendAmount);
    EXPECT_EQ(a.offsetX, b.offsetX);
    EXPECT_EQ(a.offsetY, b.offsetY);
    EXPECT_TRUE(sameImage(flatLayer(a), flatLayer(b)));
}

// A copy of a picture, to compare with later.
inline TMTC snapshot(const TMTC& image)
{
    TMTC copy(image.width(), image.height());
    for (int32_t y = 0; y < image.height(); ++y)
        std::copy_n(image.row(y), image.width(), copy.row(y));
    return copy;
}

} // namespace qm::test

// A screentone is part of the layer it is painted on: moving the layer moves the tone with it,
// while the gradation keeps its place on the paper.
#include "paper_fixture.h"
#include "paper/paper.h"
#include "tone/tone_mngr.h"

#include <gtest/gtest.h>

namespace qm {

namespace {

struct TonedPaper {
    TonedPaper()
    {
        SToneAttr lines;
        lines.shape = uint8_t(ToneShape::Line);
        lines.angle = 30.0f;
        tones.Select(tones.AddTone(lines, true));
    }
    CToneMngr tones;
    test::RecordedPaper d{&tones};
};

// A toned stroke through the layer points (8, 10) … (52, 30), on a layer moved by (dx, dy).
TMTC tonedStroke(int32_t dx, int32_t dy)
{
    TonedPaper t;
    TPaper& p = *t.d.paper;
    EXPECT_TRUE(p.initPaper("tone", t.d.flow, 64, 48));
    if (dx != 0 || dy != 0)
        EXPECT_TRUE(p.setLayerOffset(t.d.flow, 0, dx, dy, false));
    TStroke& s = t.d.stroke;
    s.resetToDefaults(0);
    s.setWidth(9);
    s.setColor(0x102030);
    s.setUseTone(true);
    // Paper position = layer position − offset.
    p.beginStroke(t.d.flow, s, true, 8.0f - float(dx), 10.0f - float(dy), 1.0f);
    for (int i = 1; i <= 11; ++i)
        p.continueStroke(t.d.flow, s, true, nullptr, 8.0f + 4 * i - float(dx),
                         10.0f + float(20 * i) / 11 - float(dy), 1.0f);
    TRect rect;
    p.endStroke(t.d.flow, s, true, rect, nullptr);
    return test::flatLayer(*p.layer(0));
}

} // namespace

TEST(ToneStroke, TheToneIsLookedUpInLayerCoordinates)
{
    const TMTC still = tonedStroke(0, 0);
    const TMTC moved = tonedStroke(7, 5);
    // The tone leaves some pixels of the stroke out: the test would prove nothing otherwise.
    int painted = 0, spared = 0;
    for (int32_t y = 12; y < 30; ++y)
        for (int32_t x = 12; x < 48; ++x)
            (still.pixel(x, y) >> 24 ? painted : spared)++;
    EXPECT_GT(painted, 20);
    EXPECT_GT(spared, 20);
    EXPECT_TRUE(test::sameImage(still, moved));
}

} // namespace qm

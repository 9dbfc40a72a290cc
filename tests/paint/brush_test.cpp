#include "paint/brush.h"

#include "core/image_ops.h"
#include "layers/blend_mode_table.h"

#include <gtest/gtest.h>

namespace qm {

namespace {

// A 64 × 64 canvas over a layer filled with `fill`.
struct Canvas {
    explicit Canvas(uint32_t fill = 0x00FFFFFFu) : layer(64, 64)
    {
        layer.FillAll(fill);
        work.Resize(64, 64);
        coverage.Resize(64, 64);
        layer.ExportTo(work, {0, 0}, false, 255, layer.bounds());
        c.work = &work;
        c.coverage = &coverage;
        c.layer = &layer;
    }
    CBlockVMTC layer;
    TMTC work;
    TChannel coverage;
    TBrushCanvas c;
};

TDab dabAt(float x, float y, float r, float alpha = 1.0f)
{
    TDab d;
    d.x = x, d.y = y, d.radius = r, d.alpha = alpha, d.pressure = alpha;
    return d;
}

} // namespace

TEST(BrushPlot, OverBlendAndMixing)
{
    EXPECT_EQ(blendOver(0x00000000u, 0x123456u, 0), 0x00000000u);
    EXPECT_EQ(blendOver(0x40ABCDEFu, 0x123456u, 255), 0xFF123456u);
    // Opaque pixels are mixed; transparent ones gain alpha and take the colour faster.
    EXPECT_EQ(blendOver(0xFF000000u, 0xFFFFFFu, 51), 0xFF333333u);
    const uint32_t grown = blendOver(0x00000000u, 0xFFFFFFu, 51);
    EXPECT_EQ(grown, 0x33FFFFFFu);
    EXPECT_EQ(mixColour(0x80102030u, 0x405060u, 0), 0x80102030u);
    EXPECT_EQ(mixColour(0x80102030u, 0x405060u, 255), 0x80405060u);
}

TEST(Brush, PenCoverageRisesByTheMaximumRule)
{
    Canvas k;
    TStroke s;
    s.resetToDefaults(0);
    s.setKind(0);
    s.setIfTransparency(false);
    s.dabCount = 0;
    paintDab(k.c, s, dabAt(20.5f, 20.5f, 6));
    EXPECT_EQ(k.coverage.row(20)[20], 255);
    // A weaker dab over it never lowers the coverage.
    paintDab(k.c, s, dabAt(21.5f, 20.5f, 6, 0.3f));
    EXPECT_EQ(k.coverage.row(20)[20], 255);
    // From the sixth dab on, a span disc; small pens use both span directions.
    s.dabCount = 7;
    paintDab(k.c, s, dabAt(45.5f, 45.5f, 5, 0.5f));
    EXPECT_EQ(k.coverage.row(45)[45], 127);
    paintDab(k.c, s, dabAt(10.5f, 50.5f, 1.5f));
    EXPECT_EQ(k.coverage.row(50)[10], 255);
    EXPECT_EQ(k.coverage.row(50)[13], 0);
}

TEST(Brush, PenComposeLaysTheColourOverTheLayerWithoutAccumulating)
{
    Canvas k(0xFF000000u);
    TStroke s;
    s.resetToDefaults(0);
    s.setKind(0);
    s.setColor(0xFF0000);
    s.setOpacity(0.5f);
    k.coverage.row(5)[5] = 255;
    k.c.uncomposed = {0, 0, 64, 64};
    composeStroke(k.c, s, {0, 0, 64, 64});
    const uint32_t once = k.work.pixel(5, 5);
    EXPECT_EQ(once, 0xFF800000u);
    k.c.uncomposed = {0, 0, 64, 64};
    composeStroke(k.c, s, {0, 0, 64, 64});
    EXPECT_EQ(k.work.pixel(5, 5), once);
    EXPECT_EQ(k.work.pixel(6, 5), 0xFF000000u);
}

TEST(Brush, EraserClearsAlphaOrPaintsTheNeutralColour)
{
    TStroke s;
    s.resetToDefaults(3);
    s.setKind(3);
    s.setIfEdge(false); // the soft edge never quite reaches full strength
    for (bool keep : {false, true}) {
        Canvas k(0xFF203040u);
        k.c.neutral = neutralColour(3);
        k.c.plot.keepAlpha = keep;
        paintDab(k.c, s, dabAt(32.5f, 32.5f, 8));
        const uint32_t centre = k.work.pixel(32, 32);
        if (keep)
            EXPECT_EQ(centre, 0xFF000000u | (neutralColour(3) & 0xFFFFFF));
        else
            EXPECT_EQ(centre >> 24, 0u);
        EXPECT_EQ(k.work.pixel(2, 2), 0xFF203040u);
    }
}

TEST(Brush, WatercolourWithoutSpeedPaintsThePenColourMixedWithTheSurroundings)
{
    Canvas k(0xFF0000FFu); // blue paper all round
    TStroke s;
    s.resetToDefaults(1);
    s.setKind(1);
    s.setSpeed(0);
    s.setEnv(0); // nothing picked up: the pen colour itself
    s.setIfEdge(false);
    s.setColor(0xFF0000);
    s.opacity = 1.0f;
    s.wcMix = 0x00FF00; // irrelevant at speed 0
    paintDab(k.c, s, dabAt(32.5f, 32.5f, 6));
    // 0.35 of red over blue.
    EXPECT_EQ(k.work.pixel(32, 32), blendOver(0xFF0000FFu, 0xFF0000u, uint32_t(0.35f * 255.0f)));
    s.setEnv(100); // fully towards the sampled blue
    s.wcPickedAverage = {0.0f, 0.0f, 255.0f};
    Canvas k2(0xFF0000FFu);
    paintDab(k2.c, s, dabAt(32.5f, 32.5f, 6));
    EXPECT_EQ(k2.work.pixel(32, 32), 0xFF0000FFu);
}

TEST(Brush, Blur2LeavesCoverageZeroAndOneUntouched)
{
    Canvas k(0xFF000000u);
    k.layer.SetPixel(10, 10, 0xFFFFFFFFu);
    k.layer.ExportTo(k.work, {0, 0}, false, 255, k.layer.bounds());
    TStroke s;
    s.resetToDefaults(4);
    s.setKind(4);
    k.coverage.row(10)[11] = 1;
    k.coverage.row(11)[11] = 31;
    k.c.uncomposed = {0, 0, 64, 64};
    composeStroke(k.c, s, {0, 0, 64, 64});
    EXPECT_EQ(k.work.pixel(11, 10), 0xFF000000u);
    EXPECT_EQ(k.work.pixel(10, 10), 0xFFFFFFFFu);
    // Coverage 31: centre weight 1, eight neighbours 1, one of them white.
    EXPECT_EQ(k.work.pixel(11, 11), 0xFF1C1C1Cu);
}

TEST(Brush, AirbrushProfileThreeFallsFromCentreToRim)
{
    const TProfileTable& p = airProfile(3);
    EXPECT_EQ(p[0], 255u << 16);
    EXPECT_EQ(p[2047], 0u);
    EXPECT_EQ(airProfile(0)[1843], 255u << 16);
    EXPECT_EQ(airProfile(99)[5], airProfile(4)[5]);

    Canvas k(0xFF000000u);
    TStroke s;
    s.resetToDefaults(5);
    s.setKind(5);
    s.setColor(0xFFFFFF);
    s.opacity = 0.5f;
    s.airMap = 3;
    paintDab(k.c, s, dabAt(32.5f, 32.5f, 10));
    // Centre: 255 × 0.5 rounds to 128, mixed white into black.
    EXPECT_EQ(k.work.pixel(32, 32), 0xFF808080u);
    EXPECT_EQ(k.work.pixel(32, 42), 0xFF000000u); // on the rim
}

TEST(Brush, LightnessCurveDarkensAndLightens)
{
    const TProfileTable dark = lightnessCurve(1.1f);
    EXPECT_EQ(dark[0], 0u);
    EXPECT_EQ(dark[2047], 65536u);
    EXPECT_LT(dark[1024], 32784u);
    Canvas k(0xFF808080u);
    TStroke s;
    s.resetToDefaults(7);
    s.setKind(7);
    s.opacity = 1.0f;
    s.curveExponent = 2.0f;
    prepareBrush(k.c, s);
    paintDab(k.c, s, dabAt(32.5f, 32.5f, 10));
    EXPECT_LT(k.work.pixel(32, 32) & 0xFF, 0x80u);
    EXPECT_EQ(k.work.pixel(32, 32) >> 24, 0xFFu);
}

} // namespace qm

#include "paint/stroke.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "files/settings_store.h"

namespace qm {
namespace {

std::vector<TDab> walk(TStroke& s, float offX = 0.0f, float offY = 0.0f, TWalkTrace* trace = nullptr)
{
    std::vector<TDab> dabs;
    TWalkTrace local;
    s.walkSegment(offX, offY, trace ? *trace : local, [&](const TDab& d) { dabs.push_back(d); });
    return dabs;
}

std::vector<TDab> walkLegacy(TStroke& s)
{
    std::vector<TDab> dabs;
    TWalkTrace trace;
    s.walkSegmentLegacy(trace, [&](const TDab& d) { dabs.push_back(d); });
    return dabs;
}

TStroke penStroke(float width, bool ifSize)
{
    TStroke s;
    s.setKind(0);
    s.setWidth(width);
    s.setIfSize(ifSize);
    s.setIfTransparency(true);
    return s;
}

TEST(StrokeSetters, ClampAndChangedFlagRules)
{
    TStroke s;
    s.setWidth(0.0f);
    EXPECT_FLOAT_EQ(s.width, 0.1f);
    s.setWidth(500.0f);
    EXPECT_FLOAT_EQ(s.width, 200.0f);
    s.setGamma(10.0f);
    EXPECT_FLOAT_EQ(s.gamma, 6.0f);
    s.setGamma(0.0f);
    EXPECT_FLOAT_EQ(s.gamma, 0.01f);

    // Opacity, spacing and keep-alpha never mark the settings as changed.
    s.changed = 0;
    s.setSpacing(0.0f);
    EXPECT_FLOAT_EQ(s.spacing, 0.02f);
    s.setOpacity(0.0f);
    EXPECT_FLOAT_EQ(s.opacity, 0.01f);
    EXPECT_TRUE(s.setKeepAlpha(true));
    EXPECT_EQ(s.changed, 0);

    // The plain setters store out-of-range values; the add forms clamp the sum.
    EXPECT_TRUE(s.setMinSize(150.0f));
    EXPECT_FLOAT_EQ(s.minSize, 150.0f);
    EXPECT_EQ(s.changed, 1);
    s.addMinSize(-20.0f);
    EXPECT_FLOAT_EQ(s.minSize, 100.0f);
    s.setEffect(95.0f);
    s.addEffect(20.0f);
    EXPECT_FLOAT_EQ(s.effect, 100.0f);
    s.addSpeed(-5.0f);
    EXPECT_FLOAT_EQ(s.speed, 0.0f);
    s.addWidth(-1000.0f);
    EXPECT_FLOAT_EQ(s.width, 0.1f);

    // Setting the same value again is not a change.
    s.changed = 0;
    EXPECT_FALSE(s.setWidth(0.1f));
    EXPECT_FALSE(s.setIfSize(false));
    EXPECT_EQ(s.changed, 0);
}

TEST(StrokeSetters, RejectsBadValues)
{
    TStroke s;
    s.setKind(3);
    EXPECT_FALSE(s.setKind(9));
    EXPECT_FALSE(s.setKind(-1));
    EXPECT_EQ(s.kind, 3);
    s.setWidth(7.0f);
    EXPECT_FALSE(s.setWidth(NAN));
    EXPECT_FALSE(s.addWidth(INFINITY));
    EXPECT_FLOAT_EQ(s.width, 7.0f);
    s.setColor(0xFF123456u);
    EXPECT_EQ(s.color, 0x123456u);
}

TEST(StrokeSetters, ToneGradationAndKeepAlphaReselectRoutines)
{
    TStroke s;
    int calls = 0;
    s.reselectRoutines = [&](TStroke&) { ++calls; };
    EXPECT_TRUE(s.setUseTone(true));
    EXPECT_TRUE(s.setUseGradation(true));
    EXPECT_FALSE(s.setKeepAlpha(false));
    EXPECT_EQ(calls, 3);
    s.setWidth(3.0f);
    EXPECT_EQ(calls, 3);
}

TEST(StrokeQueries, OpacityAndSpacing)
{
    TStroke s;
    s.setOpacity(0.5f);
    EXPECT_EQ(s.opacityByte(), 128);
    s.setOpacity(0.1f);
    s.setLegacyEngine(true);
    EXPECT_FLOAT_EQ(s.effectiveOpacity(), 1.0f);
    EXPECT_EQ(s.opacityByte(), 255);

    s.setKind(1); // wc has a fixed spacing
    s.setSpacing(1.5f);
    EXPECT_FLOAT_EQ(s.effectiveSpacing(), 0.0833f);
    s.setKind(5); // airbrush takes the setting
    EXPECT_FLOAT_EQ(s.effectiveSpacing(), 1.5f);
    s.setSpacing(0.0f);
    EXPECT_FLOAT_EQ(s.effectiveSpacing(), 0.02f);
}

TEST(StrokePoints, SmoothingTrailsThePenByOnePoint)
{
    TStroke s;
    s.startStroke({}, 0.0f, 0.0f, 0.9f);
    EXPECT_FLOAT_EQ(s.history[7].pressure, 0.0f); // begins at zero pressure
    s.addPoint(10.0f, 4.0f, 1.0f);
    EXPECT_FLOAT_EQ(s.history[1].x, 5.0f);
    EXPECT_FLOAT_EQ(s.history[1].y, 2.0f);
    EXPECT_FLOAT_EQ(s.history[1].pressure, 0.5f);
    s.addPoint(20.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(s.history[2].x, 5.0f);
    EXPECT_FLOAT_EQ(s.history[1].x, 12.5f); // mean of (20) and the smoothed 5
    EXPECT_FLOAT_EQ(s.history[1].pressure, 0.75f);

    TStroke raw;
    raw.rawPoints = 1;
    raw.startStroke({}, 0.0f, 0.0f, 1.0f);
    raw.addPoint(10.0f, 4.0f, 1.0f);
    EXPECT_FLOAT_EQ(raw.history[1].x, 0.0f);
    EXPECT_FLOAT_EQ(raw.history[0].x, 10.0f);

    // A broken sample is dropped; an out-of-range pressure is clamped.
    s.addPoint(NAN, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(s.history[0].x, 20.0f);
    s.addPoint(21.0f, 0.0f, 7.0f);
    EXPECT_FLOAT_EQ(s.history[0].pressure, 1.0f);
}

TEST(StrokeRects, SegmentAndStrokeRectanglesRoundOutToEven)
{
    TStroke s = penStroke(3.0f, false);
    s.startStroke({}, 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(s.strokeRect().isEmpty());
    s.setSegment(10.5f, 20.25f, 1.0f, 30.0f, 15.0f, 1.0f);
    walk(s);
    EXPECT_FLOAT_EQ(s.segLeft, 5.5f);
    EXPECT_FLOAT_EQ(s.segRight, 35.0f);
    EXPECT_FLOAT_EQ(s.segTop, 10.0f);
    EXPECT_FLOAT_EQ(s.segBottom, 25.25f);
    EXPECT_EQ(s.segmentRect(), (TRect{4, 10, 36, 26}));

    s.setSegment(-2.5f, 0.0f, 1.0f, -1.0f, 0.0f, 1.0f);
    walk(s);
    EXPECT_EQ(s.segmentRect(), (TRect{-8, -6, 4, 6}));
    EXPECT_EQ(s.strokeRect(), (TRect{-8, -6, 36, 26}));
}

TEST(StrokeWalk, OnePointStrokePaintsNothing)
{
    TStroke s = penStroke(10.0f, true);
    s.startStroke({}, 5.0f, 5.0f, 1.0f);
    EXPECT_TRUE(walk(s).empty());
    EXPECT_TRUE(walkLegacy(s).empty());
    EXPECT_EQ(s.dabCount, 0);

    // A wild sample far off the paper is not walked pixel by pixel.
    s.setSegment(0.0f, 0.0f, 1.0f, 3.0e9f, 0.0f, 1.0f);
    EXPECT_TRUE(walk(s).empty());
}

TEST(StrokeWalk, FirstSegmentStartsAtZeroPressure)
{
    TStroke s = penStroke(10.0f, true);
    s.setMinSize(50.0f);
    s.startStroke({}, 0.0f, 0.0f, 1.0f);
    s.addPoint(40.0f, 0.0f, 1.0f);
    const std::vector<TDab> dabs = walk(s);
    ASSERT_FALSE(dabs.empty());
    EXPECT_FLOAT_EQ(dabs[0].radius, 5.0f);
    EXPECT_FLOAT_EQ(dabs[0].alpha, 0.0f);
    EXPECT_FLOAT_EQ(dabs[0].x, 0.5f);
    EXPECT_FLOAT_EQ(dabs[0].y, 0.5f);
    EXPECT_GT(dabs.back().radius, 5.0f);
}

TEST(StrokeWalk, ThinPenDabsEveryHalfStep)
{
    TStroke s = penStroke(1.0f, false);
    s.startStroke({}, 0.0f, 0.0f, 0.0f);
    s.addPoint(8.0f, 0.0f, 1.0f); // segment 0 → 4
    TWalkTrace trace;
    const std::vector<TDab> dabs = walk(s, 0.0f, 0.0f, &trace);
    ASSERT_EQ(dabs.size(), 8u);
    for (size_t i = 0; i < dabs.size(); ++i) {
        EXPECT_FLOAT_EQ(dabs[i].x, 0.5f + 0.5f * static_cast<float>(i));
        EXPECT_FLOAT_EQ(dabs[i].radius, 1.0f);
    }
    EXPECT_EQ(s.stepCount, 8);
    EXPECT_EQ(s.dabCount, 8);
    EXPECT_FLOAT_EQ(trace.lastDabX, 4.5f);
}

TEST(StrokeWalk, SpacingRunsOnAcrossSegments)
{
    TStroke s = penStroke(30.0f, false); // K = ⌈30 × 0.1667⌉ = 6
    s.startStroke({}, 0.0f, 0.0f, 0.0f);
    s.setSegment(0.0f, 0.0f, 1.0f, 10.0f, 0.0f, 1.0f);
    std::vector<TDab> dabs = walk(s);
    ASSERT_EQ(dabs.size(), 2u);
    EXPECT_FLOAT_EQ(dabs[1].x, 6.5f);
    s.setSegment(10.0f, 0.0f, 1.0f, 20.0f, 0.0f, 1.0f);
    dabs = walk(s);
    ASSERT_EQ(dabs.size(), 2u);
    EXPECT_FLOAT_EQ(dabs[0].x, 12.5f);
    EXPECT_FLOAT_EQ(dabs[1].x, 18.5f);
    EXPECT_EQ(s.stepCount, 20);
}

TEST(StrokeWalk, MajorAxisStepsOffsetAndInk)
{
    TStroke s = penStroke(30.0f, false);
    s.setIfTransparency(false);
    s.startStroke({}, 0.0f, 0.0f, 0.0f);
    s.setSegment(0.0f, 0.0f, 0.5f, 2.0f, -4.0f, 0.5f);
    TWalkTrace trace;
    const std::vector<TDab> dabs = walk(s, 100.0f, 50.0f, &trace);
    ASSERT_EQ(dabs.size(), 1u);
    EXPECT_FLOAT_EQ(dabs[0].x, 100.5f);
    EXPECT_FLOAT_EQ(dabs[0].y, 50.5f);
    EXPECT_FLOAT_EQ(dabs[0].alpha, 1.0f); // opacity not by pressure
    EXPECT_EQ(trace.stepAxis, 0);
    EXPECT_FLOAT_EQ(trace.lastDabX, 102.5f);
    EXPECT_FLOAT_EQ(trace.lastDabY, 46.5f);
    EXPECT_EQ(s.segmentRect().left, -32); // rectangles stay in paper coordinates

    // A 3-4-5 segment at full pressure: 4 steps of 5/4 × 4 ink each.
    s.startStroke({}, 0.0f, 0.0f, 0.0f);
    s.setSegment(0.0f, 0.0f, 1.0f, 3.0f, 4.0f, 1.0f);
    walk(s);
    EXPECT_FLOAT_EQ(s.inkDistance, 20.0f);

    // Shorter than a pixel: one step, still along x when |dx| ≥ |dy|.
    s.setSegment(0.0f, 0.0f, 1.0f, 0.5f, 0.25f, 1.0f);
    walk(s, 0.0f, 0.0f, &trace);
    EXPECT_EQ(trace.stepAxis, 1);
    EXPECT_EQ(s.stepCount, 5);
}

TEST(StrokeWalk, GammaAndRadiusLaw)
{
    TStroke s = penStroke(10.0f, true);
    s.setGamma(0.5f);
    s.startStroke({}, 0.0f, 0.0f, 0.0f);
    s.setSegment(0.0f, 0.0f, 0.25f, 10.0f, 0.0f, 0.25f);
    std::vector<TDab> dabs = walk(s);
    ASSERT_FALSE(dabs.empty());
    EXPECT_FLOAT_EQ(dabs[0].radius, 5.0f); // 0.25^0.5 of the width, minSize 0

    // "wc" uses its fixed ratio only for strokes of format 0.
    TStroke wc;
    wc.setKind(1);
    wc.setWidth(16.0f);
    wc.setMinSize(50.0f);
    wc.setIfSize(true);
    wc.startStroke({}, 0.0f, 0.0f, 0.0f);
    wc.setSegment(0.0f, 0.0f, 0.0f, 10.0f, 0.0f, 0.0f);
    dabs = walk(wc);
    EXPECT_FLOAT_EQ(dabs[0].radius, 8.0f);
    wc.strokeFormat = 0;
    dabs = walk(wc);
    EXPECT_FLOAT_EQ(dabs[0].radius, 16.0f * 0.333f);
}

TEST(StrokeLegacyWalk, IntervalsHalfStepsAndKinds)
{
    TStroke s = penStroke(40.0f, false); // K = round(40 / 8) + 1 = 6
    s.startStroke({}, 0.0f, 0.0f, 0.0f);
    s.setSegment(0.0f, 0.0f, 1.0f, 12.0f, 0.0f, 1.0f);
    std::vector<TDab> dabs = walkLegacy(s);
    ASSERT_EQ(dabs.size(), 2u);
    EXPECT_FLOAT_EQ(dabs[1].x, 6.5f);
    EXPECT_FLOAT_EQ(s.inkDistance, 12.0f * (12.0f / 13.0f * 4.0f));

    TStroke thin = penStroke(1.0f, false);
    thin.startStroke({}, 0.0f, 0.0f, 0.0f);
    thin.setSegment(0.0f, 0.0f, 1.0f, 3.0f, 0.0f, 1.0f);
    EXPECT_EQ(walkLegacy(thin).size(), 6u);

    TStroke air;
    air.setKind(5);
    air.startStroke({}, 0.0f, 0.0f, 0.0f);
    air.setSegment(0.0f, 0.0f, 1.0f, 12.0f, 0.0f, 1.0f);
    EXPECT_TRUE(walkLegacy(air).empty());
    EXPECT_EQ(air.strokeRect().right, 16); // the rectangle still grows
}

TEST(StrokeStart, WatercolourPicksUpAroundTheLayerPoint)
{
    // 40 × 20 image, black left of x = 10, white from x = 10.
    std::vector<uint32_t> pixels(40 * 20, 0xFF000000u);
    for (int y = 0; y < 20; ++y)
        for (int x = 10; x < 40; ++x)
            pixels[static_cast<size_t>(y * 40 + x)] = 0xFFFFFFFFu;
    TStrokeSource src{pixels.data(), 40, 20, 40, 10, 0, 7};

    TStroke s;
    s.setKind(1);
    s.setEffect(100.0f); // mix keeps the picked colour
    s.startStroke(src, 5.0f, 5.0f, 1.0f);
    EXPECT_EQ(s.wcMix, 0xFFFFFFu);
    EXPECT_EQ(s.fillValue, 7u);
    EXPECT_FLOAT_EQ(s.history[2].x, 5.0f);

    s.startStrokeCompat(src, 5.0f, 5.0f, 1.0f); // one white column of eleven
    EXPECT_EQ(s.wcPickedBytes[0], 23);
    EXPECT_EQ(s.wcMix, 0x171717u);

    s.setEffect(0.0f); // all pen colour
    s.setColor(0x336699u);
    s.startStroke(src, 25.0f, -3.0f, 1.0f); // at the corner: edge pixels repeat
    EXPECT_EQ(s.wcPickedBytes[2], 255);
    EXPECT_EQ(s.wcMix, 0x336699u);
}

TEST(StrokeTips, RubpenTakesTipsWhenTheRoundedCentreMoves)
{
    std::vector<uint32_t> pixels(16 * 16);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint32_t>(i);
    TStrokeSource src{pixels.data(), 16, 16, 16, 0, 0, 0};

    TStroke s;
    s.setKind(6);
    s.setWidth(2.5f);
    s.startStroke(src, 1.2f, 1.0f, 1.0f);
    EXPECT_EQ(s.tipCount, 1);
    const CPenTC& first = s.tips[0];
    EXPECT_EQ(first.side, 13);
    EXPECT_EQ(first.left, 1 - 6);
    EXPECT_FLOAT_EQ(first.fracX, 1.2f - 1.0f);
    EXPECT_EQ(first.pixels[0], pixels[0]); // outside the image: the corner pixel repeats
    EXPECT_EQ(first.pixels[6 * 13 + 6], pixels[1 * 16 + 1]);

    EXPECT_EQ(s.updateTip(src, 1.4f, 0.9f), nullptr); // same rounded position, no new tip
    EXPECT_EQ(s.tipCount, 1);
    const CPenTC* use = s.updateTip(src, 5.0f, 1.0f);
    EXPECT_EQ(s.tipCount, 2);
    EXPECT_EQ(use, &s.tips[0]);
    use = s.updateTip(src, 6.0f, 1.0f);
    EXPECT_EQ(use, &s.tips[1]);
}

TEST(StrokeSettings, UnsavedSlotGivesTheKindsDefaults)
{
    MemorySettingsStore store;
    for (int32_t kind = 0; kind < kBrushKindCount; ++kind) {
        TStroke expected;
        expected.resetToDefaults(kind);
        TStroke s;
        s.setWidth(99.0f);
        s.setGamma(3.0f);
        s.setUseTone(true);
        ASSERT_TRUE(s.loadSlot(store, kind, 2));
        EXPECT_FLOAT_EQ(s.width, expected.width) << kind;
        EXPECT_FLOAT_EQ(s.minSize, expected.minSize) << kind;
        EXPECT_FLOAT_EQ(s.gamma, 1.0f) << kind;
        EXPECT_FLOAT_EQ(s.opacity, expected.opacity) << kind;
        EXPECT_FLOAT_EQ(s.spacing, expected.spacing) << kind;
        EXPECT_EQ(s.useTone, 0) << kind;
        EXPECT_EQ(s.ifSize, expected.ifSize) << kind;
    }
    TStroke wc;
    wc.resetToDefaults(1);
    EXPECT_FLOAT_EQ(wc.minSize, 33.3f);
    EXPECT_FLOAT_EQ(wc.width, 16.0f);
    EXPECT_FLOAT_EQ(wc.speed, 30.0f);
    TStroke air;
    air.resetToDefaults(5);
    EXPECT_FLOAT_EQ(air.opacity, 0.1f);
    EXPECT_EQ(air.airMap, 3);
    EXPECT_EQ(store.size(), 0u); // loading never writes
}

TEST(StrokeSettings, SaveLoadRoundTripAndBadSlots)
{
    MemorySettingsStore store;
    TStroke s;
    s.resetToDefaults(5);
    s.setKind(0); // the slot's kind decides the saved spacing, not the stroke's
    s.setWidth(42.5f);
    s.setMinSize(12.0f);
    s.setGamma(2.5f);
    s.setEnv(7.0f);
    s.setIfEdge(true);
    s.setUseGradation(true);
    s.setOpacity(0.3f);
    s.setSpacing(0.7f);
    s.setAirMap(4);
    ASSERT_TRUE(s.saveSlot(store, 5, 3));
    EXPECT_EQ(store.size(), 14u);
    EXPECT_TRUE(store.contains("penSetting/airbrush3", "WIDTH"));

    TStroke t;
    ASSERT_TRUE(t.loadSlot(store, 5, 3));
    EXPECT_FLOAT_EQ(t.width, 42.5f);
    EXPECT_FLOAT_EQ(t.minSize, 12.0f);
    EXPECT_FLOAT_EQ(t.gamma, 2.5f);
    EXPECT_FLOAT_EQ(t.env, 7.0f);
    EXPECT_EQ(t.ifEdge, 1);
    EXPECT_EQ(t.useGradation, 1);
    EXPECT_FLOAT_EQ(t.opacity, 0.3f);
    EXPECT_FLOAT_EQ(t.spacing, 0.7f);
    EXPECT_EQ(t.airMap, 4);

    // wc saves its fixed spacing; gamma is loaded as stored, beyond the setter's range.
    s.setKind(1);
    s.saveSlot(store, 1, 1);
    float saved = 0.0f;
    ASSERT_TRUE(store.readFloat("penSetting/wc1", "penSpacing", saved));
    EXPECT_FLOAT_EQ(saved, 0.0833f);
    store.writeFloat("penSetting/wc1", "GAMMA", 10.0f);
    t.loadSlot(store, 1, 1);
    EXPECT_FLOAT_EQ(t.gamma, 10.0f);

    const size_t before = store.size();
    EXPECT_FALSE(s.saveSlot(store, 9, 1));
    EXPECT_FALSE(s.saveSlot(store, 0, 0));
    EXPECT_FALSE(s.saveSlot(store, 0, 6));
    EXPECT_FALSE(t.loadSlot(store, -1, 1));
    EXPECT_EQ(store.size(), before);
}

TEST(StrokeSettings, ImportCopiesOnlyCompleteRecordsOfTheFirstSixKinds)
{
    MemorySettingsStore oldStore;
    TStroke s;
    s.resetToDefaults(0);
    s.setWidth(5.0f);
    s.saveSlot(oldStore, 0, 1);
    s.saveSlot(oldStore, 3, 5);
    s.saveSlot(oldStore, 6, 1); // rubpen is not imported
    s.saveSlot(oldStore, 2, 2);
    // An incomplete record: every value but one.
    oldStore.writeFloat("penSetting/wc4", "MIN", 1.0f);

    MemorySettingsStore store;
    EXPECT_EQ(TStroke::importOldSettings(nullptr, store), -1);
    EXPECT_EQ(TStroke::importOldSettings(&oldStore, store), 3);
    EXPECT_EQ(store.size(), 3u * 14u);
    EXPECT_FALSE(store.contains("penSetting/rubpen1", "WIDTH"));
    EXPECT_FALSE(store.contains("penSetting/wc4", "MIN"));
    TStroke t;
    t.loadSlot(store, 3, 5);
    EXPECT_FLOAT_EQ(t.width, 5.0f);
}

} // namespace
} // namespace qm

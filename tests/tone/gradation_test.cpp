#include "tone/grad_mngr.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

CColorSlotGroup blackToWhite()
{
    CColorSlotGroup g;
    g.append(0x000000, kFixedOne);
    g.append(0xFFFFFF, 0);
    g.Normalize();
    return g;
}

TPoint fixed(int32_t x, int32_t y)
{
    return {x << 16, y << 16};
}

uint32_t grey(uint32_t colour)
{
    return colour & 0xFF;
}

} // namespace

TEST(ColorSlotGroup, NormaliseAndInterpolate)
{
    CColorSlotGroup g = blackToWhite();
    EXPECT_EQ(g.countInUse(), 2);
    EXPECT_EQ(g.ColorAt(0x8000), 0xFF7F7F7Fu); // (32768 · 255) >> 16 = 127
    EXPECT_EQ(g.ColorAt(-5), 0xFF000000u);
    EXPECT_EQ(g.ColorAt(kFixedOne), 0xFFFFFFFFu);

    // Three stops with lengths 1 : 3.
    CColorSlotGroup three;
    three.append(0x0000FF, 1 << 16);
    three.append(0x00FF00, 3 << 16);
    three.append(0xFF0000, 0);
    ASSERT_TRUE(three.Normalize());
    EXPECT_EQ(three.stops[1].start, 0x4000);
    EXPECT_EQ(three.stops[1].span, 0xC000);
    EXPECT_EQ(three.stops[2].start, kFixedOne);

    CColorSlotGroup nothing;
    nothing.append(0x123456, 0);
    nothing.append(0x654321, 0);
    EXPECT_FALSE(nothing.Normalize()); // total length 0
    EXPECT_EQ(nothing.ColorAt(0x8000), 0xFF123456u);
}

TEST(ColorSlotGroup, ZeroLengthSegmentsMakeHardEdges)
{
    TConfigSettings settings;
    CGradMngr list(settings);
    list.Select(4); // the three hard bands
    const CColorSlotGroup& bands = list.working();
    EXPECT_EQ(bands.ColorAt(21000) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(bands.ColorAt(22000) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(bands.ColorAt(43000) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(bands.ColorAt(44000) & 0xFFFFFF, 0x0000FFu);
}

TEST(ColorSlotGroup, EditingKeepsTheLook)
{
    CColorSlotGroup g = blackToWhite();
    const uint32_t before = g.ColorAt(0x4000);
    ASSERT_TRUE(g.InsertStopAt(0x4000));
    ASSERT_EQ(g.stops.size(), 3u);
    EXPECT_EQ(g.stops[1].start, 0x4000);
    EXPECT_EQ(g.ColorAt(0x4000), before);
    ASSERT_TRUE(g.MoveStop(1, 0x8000));
    EXPECT_EQ(g.stops[1].start, 0x8000);
    EXPECT_EQ(g.NearestStop(0x7000), 1);
    EXPECT_EQ(g.NearestStop(0xC000), 2); // a tie goes to the later stop
    int32_t first = 0, last = 0;
    ASSERT_TRUE(g.StopsIn(0x1000, kFixedOne, first, last));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 2);
    ASSERT_TRUE(g.DragStop(1, 50)); // kept 100 away from the first stop
    EXPECT_EQ(g.stops[1].start, 100);
    ASSERT_TRUE(g.RemoveStop(1));
    EXPECT_EQ(g.stops.size(), 2u);
    EXPECT_EQ(g.ColorAt(0x8000), 0xFF7F7F7Fu);
    EXPECT_FALSE(g.RemoveStop(0)); // not the first or the last

    ByteWriter out;
    g.stops[0].write(out);
    ASSERT_EQ(out.size(), TColorStop::kBytes);
    TColorStop back;
    ByteReader in(out.data());
    ASSERT_TRUE(back.read(in));
    EXPECT_EQ(back, g.stops[0]);
}

TEST(Gradation, LinearMidpointAndEnds)
{
    const CColorSlotGroup stops = blackToWhite();
    CGradation g;
    g.setStops(&stops);
    ASSERT_TRUE(g.SetOptions(0, 0, 1, 0));
    g.SetLine(fixed(0, 0), fixed(100, 0));
    EXPECT_EQ(grey(g.ColorAtPixel(50, 7)), 127u);
    EXPECT_EQ(grey(g.ColorAtPixel(-10, 0)), 0u);
    EXPECT_EQ(grey(g.ColorAtPixel(0, 0)), 0u);
    EXPECT_EQ(grey(g.ColorAtPixel(100, 0)), 255u);
    EXPECT_EQ(grey(g.ColorAtPixel(300, 0)), 255u);
    EXPECT_FALSE(g.SetOptions(3, 0, 1, 0));
    EXPECT_FALSE(g.SetOptions(0, 0, 0, 0));
    EXPECT_EQ(grey(g.ColorAtPixel(50, 0)), 127u); // the old options stay
}

TEST(Gradation, ThereAndBackAndEndlessRepeat)
{
    const CColorSlotGroup stops = blackToWhite();
    CGradation g;
    g.setStops(&stops);
    g.SetLine(fixed(0, 0), fixed(100, 0));
    ASSERT_TRUE(g.SetOptions(0, 1, 1, 0));
    EXPECT_EQ(grey(g.ColorAtPixel(50, 0)), 255u);
    EXPECT_EQ(grey(g.ColorAtPixel(0, 0)), 0u);
    EXPECT_EQ(grey(g.ColorAtPixel(100, 0)), 0u);

    // Endless: before the start the pattern goes on in the same direction.
    ASSERT_TRUE(g.SetOptions(0, 0, 1, 1));
    EXPECT_EQ(g.ColorAtPixel(-25, 0), g.ColorAtPixel(75, 0));
    EXPECT_EQ(g.ColorAtPixel(125, 0), g.ColorAtPixel(25, 0));
    // Counted: before the start stays at the first stop.
    ASSERT_TRUE(g.SetOptions(0, 0, 3, 0));
    EXPECT_EQ(grey(g.ColorAtPixel(-25, 0)), 0u);
    EXPECT_EQ(g.ColorAtPixel(125, 0), g.ColorAtPixel(25, 0));
    EXPECT_EQ(grey(g.ColorAtPixel(400, 0)), 255u); // beyond the count: the last stop
}

TEST(Gradation, RadiatingAndCircular)
{
    const CColorSlotGroup stops = blackToWhite();
    CGradation g;
    g.setStops(&stops);
    ASSERT_TRUE(g.SetOptions(1, 0, 4, 0));
    g.SetLine(fixed(50, 50), fixed(100, 50));
    // Four turns of the pattern around the centre: a quarter turn apart, the same colour.
    EXPECT_EQ(g.ColorAtPixel(80, 60), g.ColorAtPixel(40, 80));
    EXPECT_EQ(g.ColorAtPixel(40, 80), g.ColorAtPixel(20, 40));
    EXPECT_NE(grey(g.ColorAtPixel(80, 60)), grey(g.ColorAtPixel(80, 40)));

    ASSERT_TRUE(g.SetOptions(2, 0, 1, 0));
    g.SetLine(fixed(0, 0), fixed(0, 40)); // the end straight below: a circle of radius 40
    EXPECT_EQ(g.ColorAtPixel(20, 0), g.ColorAtPixel(0, 20));
    EXPECT_EQ(g.ColorAtPixel(0, -20), g.ColorAtPixel(-20, 0));
    EXPECT_EQ(grey(g.ColorAtPixel(20, 0)), 127u);
    EXPECT_EQ(grey(g.ColorAtPixel(40, 0)), 255u);
}

TEST(GradMngr, BuiltInsFixedEntryAndOptions)
{
    TConfigSettings settings;
    settings.gradType = 2;
    settings.gradRepCnt = 0; // stored as 1
    CGradMngr list(settings);
    ASSERT_EQ(list.count(), 5);
    EXPECT_EQ(list.fixedIndex(), 0);
    EXPECT_EQ(list.entry(0)->stops.name, kFixedGradationName);
    EXPECT_EQ(list.workingOptions().type, 2);
    EXPECT_EQ(list.workingOptions().count, 1);
    list.setFixedColours(0x0000FF, 0x00FF00);
    EXPECT_EQ(list.working().ColorAt(0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(list.working().ColorAt(kFixedOne) & 0xFFFFFF, 0x00FF00u);
    EXPECT_FALSE(list.Remove(0)); // the fixed entry stays
    const int32_t copy = list.Duplicate(3);
    EXPECT_EQ(copy, 4);
    EXPECT_NE(list.entry(4)->serial, list.entry(3)->serial);
    list.Select(99);
    EXPECT_EQ(list.currentIndex(), 5);
    TGradOptions options;
    options.type = 1;
    options.count = 3;
    ASSERT_TRUE(list.SetOptions(options));
    list.StoreOptions(settings);
    EXPECT_EQ(settings.gradType, 1);
    EXPECT_EQ(settings.gradRepCnt, 3);

    TMTC strip(5, 1);
    ASSERT_TRUE(blackToWhite().RenderStrip(strip, strip.bounds()));
    EXPECT_EQ(strip.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(strip.pixel(4, 0), 0xFFFFFFFFu);
    EXPECT_EQ(gradationFillCoverage(0x80FFFFFFu, 255, 255), 128u);
}

// A damaged set file or recording may give a stop a negative length: it weighs nothing, and the
// others still share the whole range.
TEST(ColorSlotGroup, ANegativeLengthWeighsNothing)
{
    CColorSlotGroup g;
    g.append(0x000000, kFixedOne);
    g.append(0x808080, INT32_MIN);
    g.append(0xFFFFFF, 0);
    ASSERT_TRUE(g.Normalize());
    EXPECT_EQ(g.stops[0].span, kFixedOne);
    EXPECT_EQ(g.stops[1].span, 0);
    EXPECT_EQ(g.stops[1].start, kFixedOne);
}

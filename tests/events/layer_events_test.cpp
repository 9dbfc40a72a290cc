// The packets of the layer window's edits, byte for byte, and the old recordings' layer
// codes that replay through the same operations.
#include "../paper/paper_fixture.h"
#include "core/byte_io.h"
#include "events/event_packet.h"
#include "events/layer_packets.h"
#include "events/legacy_replay.h"

#include <gtest/gtest.h>

namespace qm {

namespace {

using Bytes = std::vector<uint8_t>;

struct Recorder : test::RecordedPaper {
    Recorder() { paper->initPaper("t", flow, 40, 30); }
    Bytes last(int sub)
    {
        const test::TRecordedPacket packet = test::lastAction(events());
        EXPECT_EQ(packet.category, 4);
        EXPECT_EQ(packet.sub, sub);
        return packet.payload;
    }
};

} // namespace

TEST(LayerEvents, PacketsCarryTheOldAttributesBesideTheNewValue)
{
    Recorder r;
    TPaper& p = *r.paper;
    // The first layer: mode 3, opacity 255, visible.
    ASSERT_TRUE(p.setLayerProtectAlpha(r.flow, 0, true, true));
    EXPECT_EQ(r.last(20), (Bytes{0, 0, 3, 255, 0x03, 0}));
    ASSERT_TRUE(p.setLayerOpacity(r.flow, 0, 100, true));
    EXPECT_EQ(r.last(16), (Bytes{0, 0, 3, 255, 0x03, 100}));
    ASSERT_TRUE(p.setLayerMode(r.flow, 0, 5, true));
    EXPECT_EQ(r.last(17), (Bytes{0, 0, 3, 100, 0x03, 5}));
    ASSERT_TRUE(p.setLayerVisible(r.flow, 0, false, true));
    EXPECT_EQ(r.last(18), (Bytes{0, 0, 5, 100, 0x02, 0}));
    // The long form: the record with the new flag, the old amount, the generator (the fake
    // clock's 1000), then the new flag and amount.
    ASSERT_TRUE(p.setLayerBlendOption(r.flow, 0, true, 200, true));
    EXPECT_EQ(r.last(21),
              (Bytes{0, 0, 5, 100, 0x12, 0, 255, 0, 0xE8, 0x03, 0, 0, 1, 0, 200, 0, 0, 0}));
    ASSERT_TRUE(p.renameLayer(0, "ab", true));
    EXPECT_EQ(r.last(19), (Bytes{0, 0, 4, 0, 'a', 'b', 0, 0}));
    ASSERT_TRUE(p.renameLayer(0, "abc", true));
    EXPECT_EQ(r.last(19), (Bytes{0, 0, 4, 0, 'a', 'b', 'c', 0}));
    // The offset goes from (0, 0) to (3, −2): the move is recorded.
    ASSERT_TRUE(p.setLayerOffset(r.flow, 0, 3, -2, true));
    EXPECT_EQ(r.last(12),
              (Bytes{0, 0, 0, 0, 3, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(p.setLayerOffset(r.flow, 0, 1, 1, true));
    EXPECT_EQ(r.last(12)[4], 0xFE);
    ASSERT_TRUE(p.duplicateLayer(r.flow, 0, true));
    EXPECT_EQ(r.last(3), (Bytes{0, 0, 0, 0}));
    ASSERT_TRUE(p.moveLayer(r.flow, 1, 0, true));
    EXPECT_EQ(r.last(4), (Bytes{1, 0, 0, 0}));
}

TEST(LayerEvents, ANameReadsToItsTerminatorOrTheEndOfItsField)
{
    TLayerNamePacket name;
    ASSERT_TRUE(decodeLayerName(Bytes{5, 0, 3, 0, 'x', 'y', 'z'}, name));
    EXPECT_EQ(name.layer, 5);
    EXPECT_EQ(name.name, "xyz");
    ASSERT_TRUE(decodeLayerName(Bytes{0, 0, 4, 0, 'q', 0, 'r', 's'}, name));
    EXPECT_EQ(name.name, "q");
    EXPECT_FALSE(decodeLayerName(Bytes{0, 0, 5, 0, 'q'}, name));
    TBlendOptionPacket blend;
    EXPECT_FALSE(decodeBlendOption(Bytes(17, 0), blend));
}

TEST(LayerEvents, OldRecordingsSetVisibilityModeAndOpacity)
{
    TEventPacket packets;
    ByteWriter size;
    size.u16(40), size.u16(30);
    ASSERT_TRUE(packets.appendPacket(512, size.data()));
    ASSERT_TRUE(packets.appendPacket(276, Bytes{0, 90}));
    ASSERT_TRUE(packets.appendPacket(275, Bytes{0, 1}));
    ASSERT_TRUE(packets.appendPacket(274, Bytes{0, 0}));
    ASSERT_TRUE(packets.appendPacket(274, Bytes{0, 0}));  // already hidden: nothing to do
    ASSERT_TRUE(packets.appendPacket(260, Bytes{0, 7}));  // the only layer stays where it is
    ASSERT_TRUE(packets.appendPacket(276, Bytes{3, 90})); // no such layer
    packets.appendEndCode();

    test::RecordedPaper fresh;
    TLegacyReplay replay(*fresh.paper, fresh.flow);
    ASSERT_TRUE(replay.open(packets.bytes()));
    TReplayStep step;
    while ((step = replay.step()) == TReplayStep::more) {
    }
    EXPECT_EQ(step, TReplayStep::error);
    const CLayerData& layer = *fresh.paper->layer(0);
    EXPECT_EQ(layer.opacity, 90);
    EXPECT_EQ(layer.mode, 1);
    EXPECT_EQ(layer.visible, 0);
}

} // namespace qm

namespace qm {

// Old recordings' rectangle and polygon fills, with and without their own colour.
TEST(LayerEvents, OldRecordingsFillRectanglesAndPolygons)
{
    TEventPacket packets;
    ByteWriter size;
    size.u16(40), size.u16(30);
    ASSERT_TRUE(packets.appendPacket(512, size.data()));
    ByteWriter rect;
    rect.u8(0), rect.i16(2), rect.i16(3), rect.i16(12), rect.i16(9), rect.u8(0x11), rect.u8(0x22),
        rect.u8(0x33);
    ASSERT_TRUE(packets.appendPacket(296, rect.data()));
    ByteWriter triangle;
    triangle.u8(0), triangle.u8(0x40), triangle.u8(0x50), triangle.u8(0x60), triangle.u16(3);
    triangle.i16(20), triangle.i16(2), triangle.i16(38), triangle.i16(2), triangle.i16(29),
        triangle.i16(28);
    ASSERT_TRUE(packets.appendPacket(304, triangle.data()));
    packets.appendEndCode();

    test::RecordedPaper fresh;
    TLegacyReplay replay(*fresh.paper, fresh.flow);
    ASSERT_TRUE(replay.open(packets.bytes()));
    ASSERT_EQ(replay.playAll(), TReplayStep::end) << replay.missingOperation;
    const CLayerData& layer = *fresh.paper->layer(0);
    auto at = [&](int x, int y) {
        return layer.image()->GetPixel(x + layer.offsetX, y + layer.offsetY);
    };
    // Colour bytes are red, green, blue in that order; the old engine keeps the layer's alpha,
    // so only the colours tell.
    const uint32_t untouched = at(0, 0) & 0xFFFFFFu;
    EXPECT_EQ(at(2, 3) & 0xFFFFFFu, 0x112233u);
    EXPECT_EQ(at(11, 8) & 0xFFFFFFu, 0x112233u);
    EXPECT_EQ(at(12, 8) & 0xFFFFFFu, untouched);
    EXPECT_EQ(at(29, 8) & 0xFFFFFFu, 0x405060u);
    EXPECT_EQ(at(21, 20) & 0xFFFFFFu, untouched); // outside the triangle's left edge
}

} // namespace qm

namespace qm {

// Old recordings' stack operations: new, duplicate, move, merge and delete layers, the canvas
// size and the turns, the visible layers' transforms; view settings change nothing.
TEST(LayerEvents, OldRecordingsChangeTheStackAndThePaper)
{
    TEventPacket packets;
    ByteWriter size;
    size.u16(40), size.u16(30);
    ASSERT_TRUE(packets.appendPacket(512, size.data()));
    ByteWriter fill;
    fill.u8(0), fill.u8(0x10), fill.u8(0x20), fill.u8(0x30);
    ASSERT_TRUE(packets.appendPacket(293, fill.data())); // layer 0 filled
    ASSERT_TRUE(packets.appendPacket(256, Bytes{1}));    // a new layer on top
    ASSERT_TRUE(packets.appendPacket(259, Bytes{0}));    // layer 0 duplicated
    ASSERT_TRUE(packets.appendPacket(277, Bytes{3}));    // a view setting
    ASSERT_TRUE(packets.appendPacket(518, {}));
    ByteWriter move;
    move.u8(1), move.i16(-4), move.i16(2);
    ASSERT_TRUE(packets.appendPacket(294, move.data())); // the copy moved
    ASSERT_TRUE(packets.appendPacket(261, Bytes{2}));    // the new layer merged into the copy
    ASSERT_TRUE(packets.appendPacket(257, Bytes{1}));    // and deleted: one layer left
    ByteWriter canvas;
    canvas.u16(50), canvas.u16(30), canvas.u8(6); // 10 wider, picture on the right
    ASSERT_TRUE(packets.appendPacket(514, canvas.data()));
    ASSERT_TRUE(packets.appendPacket(516, {})); // turned clockwise
    ASSERT_TRUE(packets.appendPacket(531, {})); // negated
    packets.appendEndCode();

    test::RecordedPaper fresh;
    TLegacyReplay replay(*fresh.paper, fresh.flow);
    ASSERT_TRUE(replay.open(packets.bytes()));
    ASSERT_EQ(replay.playAll(), TReplayStep::end) << replay.missingOperation;
    TPaper& paper = *fresh.paper;
    ASSERT_EQ(paper.layerCount(), 1);
    EXPECT_EQ(paper.width, 30);
    EXPECT_EQ(paper.height, 50);
    const CLayerData& layer = *paper.layer(0);
    auto at = [&](int x, int y) {
        return layer.image()->GetPixelOrDefault(x + layer.offsetX, y + layer.offsetY) & 0xFFFFFFu;
    };
    // The filled picture, moved 10 right by the canvas, then turned clockwise: paper (x, y)
    // comes from the canvas's (y, 29 − x); what came from the old picture is negated colour.
    EXPECT_EQ(at(5, 20), ~0x102030u & 0xFFFFFFu);
    EXPECT_NE(at(5, 5), ~0x102030u & 0xFFFFFFu); // the canvas's new strip on the left
}

} // namespace qm

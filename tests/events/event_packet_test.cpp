#include "events/event_packet.h"

#include "core/byte_io.h"
#include "files/picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

using namespace qm;

namespace {

std::vector<uint8_t> u16Pair(uint16_t a, uint16_t b)
{
    ByteWriter w;
    w.u16(a);
    w.u16(b);
    return w.data();
}

// A stroke packet's payload: head, point count, points.
std::vector<uint8_t> strokePayload(uint16_t points)
{
    ByteWriter w;
    w.u8(2);                                     // layer
    w.u8(0x12), w.u8(0x34), w.u8(0x56);          // colour R, G, B
    w.u8(5);                                     // flags
    for (uint16_t p : {256, 512, 128, 0, 65535, 384})
        w.u16(p);
    w.u16(uint16_t(-3)), w.u16(40), w.u16(1024); // first point
    w.u16(points);
    for (uint16_t i = 0; i < points; ++i)
        w.u16(i), w.u16(uint16_t(100 + i)), w.u16(512);
    return w.data();
}

// A stream of `count` packets: a new paper, then layer selections.
TEventPacket streamOf(int count)
{
    TEventPacket packet;
    EXPECT_TRUE(packet.appendPacket(legacyCode::newPaper, u16Pair(640, 480)));
    for (int i = 1; i < count; ++i) {
        const uint8_t layer = uint8_t(i);
        EXPECT_TRUE(packet.appendPacket(273, std::span(&layer, 1)));
    }
    packet.appendEndCode();
    return packet;
}

// The codes of a stream in order, end code left out.
std::vector<uint16_t> codesOf(std::span<const uint8_t> bytes)
{
    TEventPacket packet;
    EXPECT_TRUE(packet.scan(bytes).valid);
    std::vector<uint16_t> codes;
    TLegacyPacket p;
    while (packet.nextPacket(p))
        codes.push_back(p.code);
    return codes;
}

std::string tempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

} // namespace

TEST(EventPacket, PayloadLengths)
{
    const auto stroke = strokePayload(3);
    EXPECT_EQ(legacyPayloadLength(0, stroke), 25 + 18);
    EXPECT_EQ(legacyPayloadLength(4, stroke), 25 + 18);
    EXPECT_EQ(legacyPayloadLength(5, stroke), -1);
    // The count must be there to know the length.
    EXPECT_EQ(legacyPayloadLength(0, std::span(stroke).first(24)), -1);
    const uint8_t polygon[] = {1, 3, 0};
    EXPECT_EQ(legacyPayloadLength(297, polygon), 3 + 12);
    const uint8_t colourPolygon[] = {1, 9, 9, 9, 2, 1};
    EXPECT_EQ(legacyPayloadLength(304, colourPolygon), 6 + 4 * 258);
    EXPECT_EQ(legacyPayloadLength(304, std::span(colourPolygon).first(5)), -1);
    EXPECT_EQ(legacyPayloadLength(305, {}), 27);
    EXPECT_EQ(legacyPayloadLength(296, {}), 12);
    EXPECT_EQ(legacyPayloadLength(514, {}), 5);
    EXPECT_EQ(legacyPayloadLength(783, {}), 0);
    EXPECT_EQ(legacyPayloadLength(0xFFFF, {}), 0);
    for (uint16_t unknown : {262, 278, 298, 306, 532, 767, 784, 1000})
        EXPECT_EQ(legacyPayloadLength(unknown, polygon), -1) << unknown;
}

TEST(EventPacket, ScanCountsAndSizes)
{
    TEventPacket packet;
    ASSERT_TRUE(packet.appendPacket(legacyCode::newPaper, u16Pair(300, 200)));
    ASSERT_TRUE(packet.appendPacket(0, strokePayload(2)));
    const uint8_t resize[] = {0x20, 0x03, 0x64, 0x00, 1}; // 800 × 100
    ASSERT_TRUE(packet.appendPacket(514, resize));
    ASSERT_TRUE(packet.appendPacket(legacyCode::resizePaper2, u16Pair(10, 900)));
    const uint8_t layer = 1;
    EXPECT_FALSE(packet.appendPacket(276, std::span(&layer, 1))); // needs 2 bytes
    ASSERT_TRUE(packet.appendPacket(273, std::span(&layer, 1)));
    ASSERT_TRUE(packet.appendPacket(519, std::span(&layer, 1)));
    ASSERT_TRUE(packet.appendPacket(516, {}));
    packet.appendEndCode();

    std::vector<uint8_t> bytes(packet.bytes().begin(), packet.bytes().end());
    bytes.push_back(0xAB); // after the end: not part of the stream
    const TLegacyScan scan = scanLegacyStream(bytes);
    ASSERT_TRUE(scan.valid);
    EXPECT_EQ(scan.packetCount, 7);
    EXPECT_EQ(scan.stepCount, 4); // 512, 514, 515, 516
    EXPECT_EQ(scan.width, 800);
    EXPECT_EQ(scan.height, 900);
    EXPECT_FALSE(scan.protectedStream);
    EXPECT_EQ(scan.length, bytes.size() - 1);
}

TEST(EventPacket, BrokenStreamsAreInvalid)
{
    TEventPacket packet = streamOf(3);
    EXPECT_FALSE(packet.appendPacket(0, strokePayload(4))); // closed already
    ASSERT_TRUE(packet.dropEndCode());
    ASSERT_TRUE(packet.appendPacket(0, strokePayload(4)));
    packet.appendEndCode();
    const std::vector<uint8_t> good(packet.bytes().begin(), packet.bytes().end());
    ASSERT_TRUE(scanLegacyStream(good).valid);
    // Every cut of the stream, whether inside a code, a head or a point, is invalid.
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(scanLegacyStream(std::span(good).first(n)).valid) << n;

    std::vector<uint8_t> wrongStart(good);
    wrongStart[0] = 0x01; // 513 is a packet, but not a new paper
    EXPECT_FALSE(scanLegacyStream(wrongStart).valid);
    std::vector<uint8_t> unknown(good);
    unknown[6] = 0x07; // the first layer packet becomes 263
    EXPECT_FALSE(scanLegacyStream(unknown).valid);
    const uint8_t onlyEnd[] = {0xFF, 0xFF};
    EXPECT_FALSE(scanLegacyStream(onlyEnd).valid);

    // A failed scan leaves what was loaded.
    TEventPacket loaded = streamOf(5);
    EXPECT_FALSE(loaded.scan(unknown).valid);
    EXPECT_EQ(loaded.packetCount(), 5);
}

TEST(EventPacket, ReadersWalkAStroke)
{
    TEventPacket packet;
    ASSERT_TRUE(packet.appendPacket(legacyCode::newPaper2, u16Pair(64, 32)));
    ASSERT_TRUE(packet.appendPacket(3, strokePayload(2)));
    const uint8_t pair[] = {4, 1};
    ASSERT_TRUE(packet.appendPacket(274, pair));
    packet.appendEndCode();
    const std::vector<uint8_t> bytes(packet.bytes().begin(), packet.bytes().end());
    TEventPacket replay;
    ASSERT_TRUE(replay.scan(bytes).valid);

    uint16_t code = 0, w = 0, h = 0;
    ASSERT_TRUE(replay.readCode(code));
    EXPECT_EQ(code, 520);
    ASSERT_TRUE(replay.readU16Pair(w, h));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 32);
    ASSERT_TRUE(replay.readCode(code));
    EXPECT_EQ(code, 3);
    TLegacyStrokeHead head;
    ASSERT_TRUE(replay.readStrokeHead(head));
    EXPECT_EQ(head.layer, 2);
    EXPECT_EQ(head.colour, 0x123456u);
    EXPECT_EQ(head.flags, 5);
    EXPECT_FLOAT_EQ(head.param(0), 1.0f);
    EXPECT_FLOAT_EQ(head.param(2), 0.5f);
    EXPECT_FLOAT_EQ(head.param(4), 65535.0f / 256.0f);
    EXPECT_EQ(head.first.x, -3);
    EXPECT_FLOAT_EQ(head.first.pressure(), 1.0f);
    EXPECT_EQ(replay.pointsLeft(), 2);
    TLegacyPoint point;
    ASSERT_TRUE(replay.readPoint(point));
    ASSERT_TRUE(replay.readPoint(point));
    EXPECT_EQ(point.y, 101);
    EXPECT_FLOAT_EQ(point.pressure(), 0.5f);
    EXPECT_FALSE(replay.readPoint(point)); // the stroke has no more
    EXPECT_EQ(replay.pointsLeft(), 0);

    TLegacyPacket next;
    ASSERT_TRUE(replay.nextPacket(next));
    EXPECT_EQ(next.code, 274);
    EXPECT_EQ(next.payload.size(), 2u);
    EXPECT_LT(replay.readProgress(), 100);
    EXPECT_FALSE(replay.nextPacket(next)); // the end code
    ASSERT_TRUE(replay.readCode(code));
    EXPECT_EQ(code, 0xFFFF);
    EXPECT_EQ(replay.readProgress(), 100);
    uint8_t b = 0;
    EXPECT_FALSE(replay.readU8(b));

    replay.rewind();
    EXPECT_EQ(replay.readProgress(), 0);
    EXPECT_EQ(TEventPacket().readProgress(), 100);
}

TEST(EventPacket, ProtectedSaveSpreadsSixteenMarks)
{
    TEventPacket packet = streamOf(48);
    const std::string path = tempPath("qm_legacy_protected.vke");
    ASSERT_TRUE(packet.save(path, true, 1234));
    TEventPacket loaded;
    const TLegacyScan scan = loaded.load(path);
    ASSERT_TRUE(scan.valid);
    EXPECT_TRUE(scan.protectedStream);
    EXPECT_TRUE(loaded.isProtected());
    EXPECT_EQ(scan.packetCount, 48);

    // 48 ÷ 18 = 2: a mark before every second packet, all sixteen before packet 33.
    const auto codes = codesOf(loaded.bytes());
    ASSERT_EQ(codes.size(), 64u);
    std::set<uint16_t> marks;
    int packetsBefore = 0;
    for (uint16_t code : codes) {
        if (isLegacyMark(code)) {
            EXPECT_EQ(packetsBefore, 2 * int(marks.size()) + 1);
            marks.insert(code);
        } else {
            ++packetsBefore;
        }
    }
    EXPECT_EQ(marks.size(), 16u);

    // The order comes from the seed alone.
    std::vector<uint8_t> again, other;
    ASSERT_TRUE(packet.encodeForSave(true, 1234, again));
    EXPECT_TRUE(std::equal(again.begin(), again.end(), loaded.bytes().begin(),
                           loaded.bytes().end()));
    ASSERT_TRUE(packet.encodeForSave(true, 99, other));
    EXPECT_NE(again, other);

    // Protecting a protected stream replaces its marks instead of adding more.
    std::vector<uint8_t> twice;
    ASSERT_TRUE(loaded.encodeForSave(true, 5, twice));
    EXPECT_EQ(twice.size(), again.size());
    EXPECT_TRUE(scanLegacyStream(twice).protectedStream);
    std::filesystem::remove(path);
}

TEST(EventPacket, TooShortForProtectionLeavesTheOldFile)
{
    const std::string path = tempPath("qm_legacy_short.vke");
    TEventPacket old = streamOf(50);
    ASSERT_TRUE(old.save(path, false));
    std::vector<uint8_t> before;
    ASSERT_TRUE(readWholeFile(path, before));

    TEventPacket shortOne = streamOf(47);
    EXPECT_FALSE(shortOne.save(path, true, 1));
    std::vector<uint8_t> after;
    ASSERT_TRUE(readWholeFile(path, after));
    EXPECT_EQ(after, before);

    // Unprotected, the same stream saves as it is.
    ASSERT_TRUE(shortOne.save(path, false));
    ASSERT_TRUE(readWholeFile(path, after));
    EXPECT_TRUE(std::equal(after.begin(), after.end(), shortOne.bytes().begin(),
                           shortOne.bytes().end()));
    std::filesystem::remove(path);
}

TEST(EventPacket, SaveClosesAnOpenStream)
{
    TEventPacket packet = streamOf(2);
    ASSERT_TRUE(packet.dropEndCode());
    EXPECT_FALSE(packet.dropEndCode());
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(packet.encodeForSave(false, 0, bytes));
    EXPECT_EQ(bytes.size(), packet.bytes().size() + 2);
    EXPECT_TRUE(scanLegacyStream(bytes).valid);
}

// The payload length of every packet code, typed from the packet tables: fixed lengths need
// no bytes at all, counted ones scale with the sub-code, headed ones read a field of their
// head, and every code outside the tables is refused.
#include "events/event_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

namespace qm {

namespace {

// A length that follows from the code alone.
struct TFixed {
    uint8_t category;
    std::vector<uint8_t> subs;
    int64_t length;
};

const std::vector<TFixed> kFixed = {
    // state records
    {0, {0}, 12},
    {0, {2, 3}, 4},
    {0, {4}, 16},
    {0, {5}, 12},
    {0, {8}, 4},
    {0, {12, 13}, 2},
    {0, {16}, 8},
    {0, {17}, 8},
    {0, {18}, 22},
    {0, {32}, 68},
    {0, {37}, 20},
    // paper operations
    {2, {0}, 16},
    {2, {1}, 4},
    {2, {2, 3, 9}, 10},
    {2, {4, 5, 7}, 0},
    {2, {6}, 18},
    {2, {8}, 28},
    {2, {16, 17, 18, 19}, 0},
    {2, {24, 25, 26}, 4},
    {2, {254, 255}, 0},
    // layer operations
    {4, {0}, 14},
    {4, {1, 2, 3, 4, 5, 8, 9}, 4},
    {4, {6, 7, 10}, 12},
    {4, {12, 13}, 20},
    {4, {16, 17, 18, 20}, 6},
    {4, {21}, 18},
    {4, {24, 25}, 4},
    {4, {32, 33, 34, 35, 36, 37}, 4},
    {4, {38, 39}, 12},
    // area fills
    {6, {0, 1, 2, 3, 5}, 22},
    // selection operations
    {10, {0, 1, 2, 3, 4, 5, 6, 11, 20, 21}, 4},
    {10, {7, 8, 9, 10, 13, 14, 22, 24, 25, 26}, 12},
    {10, {16, 17}, 22},
    // stroke starts, every generation
    {16, {0}, 4},
    {20, {0}, 4},
    {21, {0}, 4},
    {22, {0}, 4},
    {23, {0}, 4},
    {24, {0}, 4},
    // filters by parameter size
    {32, {0, 1, 8, 9, 20}, 4},
    {33, {2, 10, 18, 21, 22, 23, 32, 34}, 12},
    {34, {3, 17, 19, 33, 36}, 20},
    {35, {16, 35, 37, 38}, 28},
};

// A head of `head` bytes whose little-endian field of `width` bytes at `at`, times `unit`,
// is the length of what follows.
struct THeaded {
    uint8_t category;
    std::vector<uint8_t> subs;
    uint32_t head;
    uint32_t at;
    uint32_t width;
    int64_t unit;
};

const std::vector<THeaded> kHeaded = {
    {0, {33}, 2, 0, 2, 1},                  // text of the text tool
    {0, {36}, 160, 156, 4, 1},              // tone definition
    {0, {40}, 12, 6, 2, 1},                 // gradation colour slots
    {0, {128, 129}, 22, 12, 4, 1},          // auxiliary image blocks
    {0, {136}, 4, 0, 4, 1},                 // colour-mask definition
    {4, {11}, 42, 40, 2, 1},                // create layer with name
    {4, {19}, 4, 2, 2, 1},                  // rename layer
    {6, {4}, 4, 2, 2, 8},                   // polygon fill: points of 8 bytes
    {10, {12}, 4, 2, 2, 1},                 // name a selection slot
    {10, {18}, 8, 6, 2, 8},                 // lasso: points of 8 bytes
    {12, {1, 2}, 22, 12, 4, 1},             // image block
    {13, {0, 1, 16, 17, 32}, 54, 42, 4, 1}, // channel block, short head
    {13, {2, 3}, 72, 60, 4, 1},             // channel block, long head
    {38, {39, 40}, 50, 4, 2, 1},            // filter with a data table
};

// The expected length of every code with a zeroed payload: fixed, counted, or the bare head.
std::map<int, int64_t> expectedWithZeroHeads()
{
    std::map<int, int64_t> expected;
    for (const TFixed& f : kFixed)
        for (uint8_t sub : f.subs)
            expected[f.category * 256 + sub] = f.length;
    for (const THeaded& h : kHeaded)
        for (uint8_t sub : h.subs)
            expected[h.category * 256 + sub] = h.head;
    for (int sub = 0; sub < 256; ++sub) {
        expected[1 * 256 + sub] = 4; // attribute blocks: u32 n, then n bytes
        expected[17 * 256 + sub] = sub * 12;
        expected[18 * 256 + sub] = sub * 12;
    }
    return expected;
}

// Serves the payload from a buffer; false for any read past its end.
struct TBytes {
    std::vector<uint8_t> bytes;
    int reads = 0;
    PayloadReader reader()
    {
        return [this](uint32_t offset, uint8_t* out, uint32_t count) {
            ++reads;
            if (uint64_t(offset) + count > bytes.size()) return false;
            std::copy_n(bytes.begin() + offset, count, out);
            return true;
        };
    }
};

int64_t lengthOf(uint8_t category, uint8_t sub, std::vector<uint8_t> payload)
{
    TBytes b{std::move(payload)};
    return payloadLength(category, sub, b.reader());
}

} // namespace

TEST(PacketLength, EveryCodeOfTheTablesHasItsLengthAndEveryOtherIsRefused)
{
    const std::map<int, int64_t> expected = expectedWithZeroHeads();
    const std::vector<uint8_t> zeros(256, 0);
    int known = 0;
    for (int category = 0; category < 256; ++category)
        for (int sub = 0; sub < 256; ++sub) {
            const auto it = expected.find(category * 256 + sub);
            const int64_t want = it == expected.end() ? -1 : it->second;
            known += it != expected.end();
            ASSERT_EQ(lengthOf(uint8_t(category), uint8_t(sub), zeros), want)
                << "category " << category << " sub " << sub;
        }
    EXPECT_EQ(known, 137 + 3 * 256); // the tables' codes, counted by hand: nothing lost
}

TEST(PacketLength, FixedLengthsNeedNoPayloadBytes)
{
    for (const TFixed& f : kFixed)
        for (uint8_t sub : f.subs) {
            TBytes none;
            EXPECT_EQ(payloadLength(f.category, sub, none.reader()), f.length)
                << int(f.category) << "/" << int(sub);
            EXPECT_EQ(none.reads, 0) << int(f.category) << "/" << int(sub);
        }
    // Stroke points: sub-code × 12, whatever follows; 0 and 17 … 255 are refused later.
    TBytes none;
    EXPECT_EQ(payloadLength(17, 1, none.reader()), 12);
    EXPECT_EQ(payloadLength(17, 16, none.reader()), 192);
    EXPECT_EQ(payloadLength(18, 5, none.reader()), 60);
    EXPECT_EQ(payloadLength(17, 0, none.reader()), 0);
    EXPECT_EQ(payloadLength(18, 255, none.reader()), 3060);
    EXPECT_EQ(none.reads, 0);
}

TEST(PacketLength, HeadedCodesAddTheirLittleEndianFieldToTheHead)
{
    for (const THeaded& h : kHeaded)
        for (uint8_t sub : h.subs) {
            SCOPED_TRACE(std::to_string(h.category) + "/" + std::to_string(sub));
            // The field's bytes 0x02, 0x01 (and 0x00, 0x00): 258 little-endian, 513 if read
            // the wrong way round; the bytes around it are 0xFF so a misplaced read shows.
            std::vector<uint8_t> payload(h.head, 0xFF);
            payload[h.at] = 0x02;
            payload[h.at + 1] = 0x01;
            if (h.width == 4) payload[h.at + 2] = 0, payload[h.at + 3] = 0;
            EXPECT_EQ(lengthOf(h.category, sub, payload), int64_t(h.head) + 258 * h.unit);
            if (h.width == 4) {
                payload[h.at + 3] = 0x01; // the top byte counts too
                EXPECT_EQ(lengthOf(h.category, sub, payload),
                          int64_t(h.head) + (258 + (int64_t(1) << 24)) * h.unit);
            }
        }
    // Attribute blocks, any sub-code: a u32 n before n bytes.
    for (uint8_t sub : {0, 17, 255})
        EXPECT_EQ(lengthOf(1, sub, {0x10, 0x00, 0x00, 0x00}), 4 + 16);
    EXPECT_EQ(lengthOf(1, 3, {0x00, 0x00, 0x01, 0x00}), 4 + 65536);
}

TEST(PacketLength, TheTablesWorkedExamples)
{
    // A layer name of "ab" and its terminator, rounded up to even: 4 bytes after the head.
    EXPECT_EQ(lengthOf(4, 19, {0x00, 0x00, 0x04, 0x00}), 8);
    // Text "hello": 6 bytes of string and terminator.
    EXPECT_EQ(lengthOf(0, 33, {0x06, 0x00}), 8);
    // Polygon fill of 3 points, lasso of 2.
    EXPECT_EQ(lengthOf(6, 4, {0x01, 0x00, 0x03, 0x00}), 4 + 24);
    EXPECT_EQ(lengthOf(10, 18, {0, 0, 0, 0, 0, 0, 0x02, 0x00}), 8 + 16);
    // Gradation slots: two slots of 24 bytes after the 12-byte head.
    EXPECT_EQ(lengthOf(0, 40, {0, 0, 0, 0, 0, 0, 48, 0, 0, 0, 0, 0}), 12 + 48);
    // The floor filter's 63-byte parameter record after its 50-byte head.
    std::vector<uint8_t> floor(50, 0);
    floor[4] = 63;
    EXPECT_EQ(lengthOf(38, 40, floor), 113);
}

TEST(PacketLength, AHeadThatCannotBeReadInFullIsRefused)
{
    for (const THeaded& h : kHeaded)
        for (uint8_t sub : h.subs) {
            SCOPED_TRACE(std::to_string(h.category) + "/" + std::to_string(sub));
            // Everything up to the field's last byte, less one: the field is cut.
            EXPECT_EQ(lengthOf(h.category, sub, std::vector<uint8_t>(h.at + h.width - 1, 0)), -1);
            EXPECT_EQ(lengthOf(h.category, sub, {}), -1);
            // The field is whole but the head is one byte short of its end.
            if (h.head > h.at + h.width)
                EXPECT_EQ(lengthOf(h.category, sub, std::vector<uint8_t>(h.head - 1, 0)), -1);
            EXPECT_GE(lengthOf(h.category, sub, std::vector<uint8_t>(h.head, 0)), int64_t(h.head));
        }
    EXPECT_EQ(lengthOf(1, 17, {0x10, 0x00, 0x00}), -1);
}

} // namespace qm

#include "filters/filter_dispatch.h"
#include "filters/filter_record.h"
#include "filter_test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

using namespace qm;
using namespace qm::test;

namespace {

uint32_t u32At(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}
uint32_t u16At(const std::vector<uint8_t>& b, size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8; }

TLightingParams threeLights()
{
    TLightingParams p;
    p.brightness = -35;
    p.ambientColour = 0x00102030u;
    TLightRecord a = defaultLight(0), b = defaultLight(1), c = defaultLight(2);
    a.x = 0.125f;
    b.strength = 444;
    c.colour = 0x00ABCDEFu;
    c.elevation = -0.5f;
    p.lights = {a, b, c};
    return p;
}

TFloorParams someFloor()
{
    TFloorParams p;
    p.cameraX = 310;
    p.cameraHeight = 12.5f;
    p.cameraZ = 77;
    p.heading = -0.75f;
    p.pitch = 0.25f;
    p.screenDistance = 150;
    p.ceiling = 220;
    p.density = 64;
    p.farColour = 0x00456789u;
    p.toHorizon = true;
    p.keepLayer = true;
    p.farDistance = 33;
    p.floorFromFile = true;
    return p;
}

std::vector<TFilterParams> generatorSamples()
{
    TTileParams tile;
    tile.width = 17;
    tile.colourCount = 3;
    tile.triangles = true;
    tile.colours = {0x80112233u, 0xFF445566u, 0x01778899u};
    TCloudParams cloud{25, 300, 350, 0xDEADBEEFu, 0x00FF8800u, 0x00000011u};
    TRockParams rock{70, 40, 1000, 20, 42u, 0x00FFFFFFu, 0x00123456u};
    return {tile, cloud, rock, threeLights(), someFloor()};
}

} // namespace

TEST(GeneratorRecord, EveryGeneratorRoundTripsInItsCategory)
{
    const uint8_t categories[] = {34, 35, 35, 38, 38};
    const size_t lengths[] = {20, 28, 28, 50 + 3 * 56, 113};
    int i = 0;
    for (const TFilterParams& params : generatorSamples()) {
        const uint8_t number = uint8_t(filterNumberOf(params));
        EXPECT_EQ(number, 36 + i);
        EXPECT_EQ(filterRecordCategory(number), categories[i]);
        const std::vector<uint8_t> bytes = encodeFilterRecord({5, 0x0102, params});
        EXPECT_EQ(bytes.size(), lengths[i]) << int(number);
        EXPECT_TRUE(filterRecordLengthMatches(number, bytes));
        TFilterRecord back;
        ASSERT_TRUE(decodeFilterRecord(number, bytes, back)) << int(number);
        EXPECT_EQ(back.layer, 5);
        EXPECT_EQ(back.value, 0x0102);
        EXPECT_EQ(back.params.index(), params.index());
        EXPECT_EQ(encodeFilterRecord(back), bytes) << int(number);
        ++i;
    }
    EXPECT_EQ(filterRecordLength(39), 0u); // follows from the head
    EXPECT_EQ(filterRecordLength(40), 113u);
    EXPECT_EQ(filterRecordHeadLength(39), 50u);
    EXPECT_EQ(filterRecordHeadLength(36), 0u);
}

TEST(GeneratorRecord, FieldsSitAtTheDocumentedOffsets)
{
    const std::vector<TFilterParams> s = generatorSamples();
    const std::vector<uint8_t> tile = encodeFilterRecord({0, 0, s[0]});
    EXPECT_EQ(u32At(tile, 4), 17u | 3u << 16 | 1u << 24);
    EXPECT_EQ(u32At(tile, 8), 0x80112233u);
    const std::vector<uint8_t> cloud = encodeFilterRecord({0, 0, s[1]});
    EXPECT_EQ(u32At(cloud, 4), 0u);
    EXPECT_EQ(u32At(cloud, 8), 25u);
    EXPECT_EQ(u32At(cloud, 12), 300u + 65536u * 350u);
    EXPECT_EQ(u32At(cloud, 16), 0xDEADBEEFu);
    EXPECT_EQ(u32At(cloud, 20), 0x00FF8800u);
    EXPECT_EQ(u32At(cloud, 24), 0x00000011u);
    const std::vector<uint8_t> rock = encodeFilterRecord({0, 0, s[2]});
    EXPECT_EQ(u32At(rock, 8), 70u + 65536u * 40u);
    EXPECT_EQ(u32At(rock, 12), 1000u + 65536u * 20u);

    const std::vector<uint8_t> light = encodeFilterRecord({0, 0, s[3]});
    EXPECT_EQ(u16At(light, 4), 3u * 56u);
    EXPECT_EQ(u32At(light, 8), 3u);
    EXPECT_EQ(int32_t(u32At(light, 12)), -35);
    EXPECT_EQ(u32At(light, 16), 0x00102030u);
    // The second light: kind 1, strength 444, the default colour (252, 249, 233), range 200.
    const size_t second = 50 + 56;
    EXPECT_EQ(light[second], 1);
    EXPECT_EQ(u32At(light, second + 4), 444u);
    EXPECT_EQ(u32At(light, second + 8), 0x00FCF9E9u);
    EXPECT_EQ(u32At(light, second + 12), 200u);
    EXPECT_EQ(u32At(light, second + 28), std::bit_cast<uint32_t>(2.3561945f));
    EXPECT_EQ(u32At(light, second + 36), 10u);
    EXPECT_EQ(u32At(light, 50 + 16), std::bit_cast<uint32_t>(0.125f));

    const std::vector<uint8_t> floor = encodeFilterRecord({0, 0, s[4]});
    EXPECT_EQ(u16At(floor, 4), 63u);
    const size_t r = 50;
    EXPECT_EQ(u32At(floor, r + 0), 310u);
    EXPECT_EQ(u32At(floor, r + 4), std::bit_cast<uint32_t>(12.5f));
    EXPECT_EQ(u32At(floor, r + 8), 77u);
    EXPECT_EQ(u32At(floor, r + 12), std::bit_cast<uint32_t>(-0.75f));
    EXPECT_EQ(u32At(floor, r + 16), std::bit_cast<uint32_t>(0.25f));
    EXPECT_EQ(u32At(floor, r + 24), 150u);
    EXPECT_EQ(u32At(floor, r + 28), 220u);
    EXPECT_EQ(u32At(floor, r + 32), 64u);
    EXPECT_EQ(u32At(floor, r + 36), 0x00456789u);
    EXPECT_EQ(floor[r + 40], 0);
    EXPECT_EQ(floor[r + 41], 1);
    EXPECT_EQ(floor[r + 44], 1);
    EXPECT_EQ(floor[r + 46], 33);
}

TEST(GeneratorRecord, DamagedRecordsAreRefused)
{
    const std::vector<TFilterParams> s = generatorSamples();
    TFilterRecord out;
    // Light count against the bytes: one more or one fewer record's worth.
    std::vector<uint8_t> light = encodeFilterRecord({0, 0, s[3]});
    light[8] = 4;
    EXPECT_FALSE(decodeFilterRecord(39, light, out));
    light[8] = 3;
    light[4] = uint8_t(light[4] + 1); // length field one past the bytes
    EXPECT_FALSE(decodeFilterRecord(39, light, out));
    light[4] = uint8_t(light[4] - 1);
    light[50] = 3; // no such light kind
    EXPECT_FALSE(decodeFilterRecord(39, light, out));
    light[50] = 0;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(light.data() + 50 + 16, &nan, 4);
    EXPECT_FALSE(decodeFilterRecord(39, light, out));
    // Seventeen lights are more than the filter takes.
    TLightingParams many;
    many.lights.assign(16, defaultLight(0));
    std::vector<uint8_t> bytes = encodeFilterRecord({0, 0, many});
    const std::vector<uint8_t> one(bytes.end() - 56, bytes.end());
    bytes.insert(bytes.end(), one.begin(), one.end());
    bytes[4] = uint8_t((17 * 56) & 0xFF);
    bytes[5] = uint8_t((17 * 56) >> 8);
    bytes[8] = 17;
    ASSERT_TRUE(filterRecordLengthMatches(39, bytes));
    EXPECT_FALSE(decodeFilterRecord(39, bytes, out));
    // The floor's record is 63 bytes, no other length.
    std::vector<uint8_t> floor = encodeFilterRecord({0, 0, s[4]});
    floor.push_back(0);
    floor[4] = 64;
    EXPECT_FALSE(decodeFilterRecord(40, floor, out));
    // Tile shape and colour count.
    std::vector<uint8_t> tile = encodeFilterRecord({0, 0, s[0]});
    tile[7] = 2;
    EXPECT_FALSE(decodeFilterRecord(36, tile, out));
    tile[7] = 0;
    tile[6] = 1;
    EXPECT_FALSE(decodeFilterRecord(36, tile, out));
}

TEST(GeneratorRecord, CutAndGarbledRecordsNeverCrash)
{
    auto layer = randomLayer(13, 11, 17);
    const CBlockVMTC source(*layer->image());
    const TMTC picture(3, 2);
    std::mt19937 random(23);
    int decoded = 0;
    for (const TFilterParams& params : generatorSamples()) {
        const uint8_t number = uint8_t(filterNumberOf(params));
        const std::vector<uint8_t> good = encodeFilterRecord({0, 0, params});
        TFilterRecord out;
        // Every shorter cut is refused (the length no longer matches).
        for (size_t n = 0; n < good.size(); ++n)
            EXPECT_FALSE(decodeFilterRecord(number, std::span(good.data(), n), out)) << n;
        // Garbled bytes either decode to something the filter can run or are refused.
        for (int round = 0; round < 300; ++round) {
            std::vector<uint8_t> bad = good;
            const int flips = 1 + int(random() % 4);
            for (int f = 0; f < flips; ++f)
                bad[random() % bad.size()] = uint8_t(random());
            if (round % 50 == 0)
                bad.resize(random() % (bad.size() + 60), 0xEE);
            if (!decodeFilterRecord(number, bad, out))
                continue;
            ++decoded;
            (void)applyRecordedFilter(number, bad, source, *layer, nullptr, &picture, &picture);
            ASSERT_EQ(layer->image()->width(), 13);
            ASSERT_EQ(layer->image()->height(), 11);
        }
    }
    EXPECT_GT(decoded, 100);
}

TEST(GeneratorRecord, ReplayOfACloudGivesTheSamePixels)
{
    auto live = randomLayer(30, 20, 3), replayed = randomLayer(30, 20, 3);
    const CBlockVMTC source(*live->image());
    const TCloudParams cloud{40, 12, 9, 31337u, 0x00AA5500u, 0x000055AAu};
    ASSERT_TRUE(applyFilter(source, *live, nullptr, nullptr, TFilterParams{cloud}));
    const std::vector<uint8_t> bytes = encodeFilterRecord({0, 0, cloud});
    ASSERT_TRUE(applyRecordedFilter(37, bytes, source, *replayed, nullptr));
    expectSameImage(*live->image(), *replayed->image());
}

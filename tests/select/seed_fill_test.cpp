#include "select/seed_fill.h"

#include "core/image_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

using namespace qm;

namespace {

uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// A tiled layer holding the flat picture; blocks that came out uniform are given back, so
// both the stored and the Fill-only block paths are read.
CBlockVMTC layerOf(const TMTC& flat)
{
    CBlockVMTC layer(flat.width(), flat.height());
    layer.ImportFrom(flat, {0, 0}, 255, flat.bounds());
    layer.Optimize();
    return layer;
}

int64_t channelOf(uint32_t p, int shift)
{
    return int64_t((p >> shift) & 0xFF);
}

int64_t rgbDistance(uint32_t a, uint32_t b)
{
    int64_t d = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int64_t c = channelOf(a, shift) - channelOf(b, shift);
        d += c * c;
    }
    return d;
}

// The documented blend over a background, written out per channel.
uint32_t overBackground(uint32_t p, uint32_t bg, uint32_t a)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint64_t s = (p >> shift) & 0xFF, g = (bg >> shift) & 0xFF;
        out |= uint32_t((s * a * 32897 + g * (8388735 - a * 32897)) >> 23) << shift;
    }
    return out;
}

using DistanceFn = std::function<int64_t(int32_t x, int32_t y)>;
using OpenFn = std::function<bool(int32_t x, int32_t y)>;

// Breadth-first search over the 4-neighbours whose distance is at most t; each reached pixel
// gets max(1, ⌊(t − d)·255 / t⌋).
std::vector<uint8_t> referenceFill(int32_t w, int32_t h, TPoint seed, int64_t t,
                                   const DistanceFn& dist, const OpenFn& open = nullptr)
{
    std::vector<uint8_t> out(size_t(w) * h, 0);
    std::vector<uint8_t> seen(size_t(w) * h, 0);
    std::vector<TPoint> queue{seed};
    seen[size_t(seed.y) * w + seed.x] = 1;
    for (size_t head = 0; head < queue.size(); ++head) {
        const TPoint p = queue[head];
        const int64_t d = dist(p.x, p.y);
        if (d > t || (open && !open(p.x, p.y)))
            continue;
        out[size_t(p.y) * w + p.x] = uint8_t(std::max<int64_t>(1, (t - d) * 255 / t));
        const TPoint next[4] = {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}};
        for (const TPoint& n : next)
            if (n.x >= 0 && n.y >= 0 && n.x < w && n.y < h && !seen[size_t(n.y) * w + n.x]) {
                seen[size_t(n.y) * w + n.x] = 1;
                queue.push_back(n);
            }
    }
    return out;
}

void expectChannel(const TChannel& c, const std::vector<uint8_t>& expected)
{
    ASSERT_TRUE(c.IsValid());
    int mismatches = 0;
    for (int32_t y = 0; y < c.height(); ++y)
        for (int32_t x = 0; x < c.width(); ++x)
            if (c.row(y)[x] != expected[size_t(y) * c.width() + x] && ++mismatches <= 5)
                ADD_FAILURE() << "at (" << x << ", " << y << "): " << int(c.row(y)[x])
                              << " expected " << int(expected[size_t(y) * c.width() + x]);
    EXPECT_EQ(mismatches, 0);
}

// Colour regions near each other, noise, and a uniform band of whole blocks on the left.
TMTC randomPicture(std::mt19937& random, int32_t w, int32_t h, bool withAlpha)
{
    TMTC flat(w, h);
    const uint32_t bases[3] = {argb(255, 120, 130, 140), argb(255, 125, 128, 150),
                               argb(255, 20, 30, 40)};
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint32_t p = bases[((x / 9) + (y / 7) + random() % 2) % 3];
            p ^= random() % 4;
            if (withAlpha) {
                const uint32_t r = random() % 10;
                const uint32_t a = r == 0 ? 0 : r == 1 ? 1 + random() % 254 : 255;
                p = (p & 0xFFFFFF) | (a << 24);
            }
            flat.row(y)[x] = x < 64 ? bases[0] : p;
        }
    return flat;
}

TEST(SeedFill, UniformLayerFillsEverythingWith255)
{
    CBlockVMTC layer(70, 45);
    layer.FillAll(argb(255, 10, 200, 30)); // no block stored
    layer.SetPixel(69, 44, argb(255, 10, 200, 30)); // one stored block, same colour
    CSeedFill fill(layer);
    ASSERT_TRUE(fill.Fill({33, 20}, 20));
    EXPECT_FALSE(fill.overflowed());
    EXPECT_EQ(fill.filledBounds(), (TRect{0, 0, 70, 45}));
    expectChannel(fill.channel(), std::vector<uint8_t>(70 * 45, 255));
}

TEST(SeedFill, LimitIsTwiceTheSquareAndTheLimitItselfGetsOne)
{
    // Row 0: seed, d = 25, d = 50, d = 51, then an exact match cut off behind it.
    TMTC flat(5, 1);
    const uint32_t ref = argb(255, 100, 100, 100);
    flat.row(0)[0] = ref;
    flat.row(0)[1] = argb(255, 105, 100, 100);
    flat.row(0)[2] = argb(255, 105, 105, 100);
    flat.row(0)[3] = argb(255, 105, 105, 101);
    flat.row(0)[4] = ref;
    CBlockVMTC layer = layerOf(flat);
    CSeedFill fill(layer);
    ASSERT_TRUE(fill.Fill({0, 0}, 5));
    EXPECT_EQ(fill.threshold(), 50);
    // (50 − 25)·255/50 = 127.5 → 127; (50 − 50)·255/50 = 0 → 1.
    expectChannel(fill.channel(), {255, 127, 1, 0, 0});

    // A limit of 0 keeps the threshold: 50 after the fill above, 10 for a new filler.
    ASSERT_TRUE(fill.Fill({0, 0}, 0));
    EXPECT_EQ(fill.threshold(), 50);
    flat.row(0)[1] = argb(255, 103, 101, 100); // d = 10
    flat.row(0)[2] = argb(255, 103, 101, 101); // d = 11
    CBlockVMTC layer2 = layerOf(flat);
    CSeedFill fresh(layer2);
    ASSERT_TRUE(fresh.Fill({0, 0}, 0));
    EXPECT_EQ(fresh.threshold(), 10);
    expectChannel(fresh.channel(), {255, 1, 0, 0, 0});
}

TEST(SeedFill, SeedOutsideTheImageFillsNothing)
{
    CBlockVMTC layer(10, 10);
    CSeedFill fill(layer);
    EXPECT_FALSE(fill.Fill({10, 3}, 20));
    EXPECT_FALSE(fill.Fill({-1, 3}, 20));
    EXPECT_TRUE(fill.filledBounds().isEmpty());
}

TEST(SeedFill, EveryVariantMatchesABreadthFirstReference)
{
    std::mt19937 random(7);
    const int32_t w = 141, h = 77; // edge blocks only partly inside
    int64_t reached = 0;
    for (int round = 0; round < 6; ++round) {
        const TMTC flat = randomPicture(random, w, h, round % 2 == 1);
        const CBlockVMTC layer = layerOf(flat);
        const TPoint seed{int32_t(random() % w), int32_t(random() % h)};
        const int32_t limit = int32_t(random() % 30);
        const int64_t t = limit == 0 ? 10 : 2 * limit * limit;
        const uint32_t s = flat.row(seed.y)[seed.x];
        auto pixel = [&](int32_t x, int32_t y) { return flat.row(y)[x]; };
        SCOPED_TRACE(testing::Message() << "round " << round << " limit " << limit);

        const DistanceFn rgb = [&](int32_t x, int32_t y) { return rgbDistance(s, pixel(x, y)); };
        CSeedFill plain(layer);
        ASSERT_TRUE(plain.Fill(seed, limit));
        expectChannel(plain.channel(), referenceFill(w, h, seed, t, rgb));
        CSeedFillTC view(flat);
        ASSERT_TRUE(view.Fill(seed, limit));
        expectChannel(view.channel(), referenceFill(w, h, seed, t, rgb));

        const uint32_t sa = s >> 24;
        const uint32_t luma = (19595 * ((s >> 16) & 0xFF) + 38469 * ((s >> 8) & 0xFF) +
                               7472 * (s & 0xFF)) >> 16;
        const uint32_t bg = luma > 128 ? 0 : 0xFFFFFF;
        const DistanceFn alphaAware = [&](int32_t x, int32_t y) -> int64_t {
            const uint32_t p = pixel(x, y), a = p >> 24;
            if (sa == 0)
                return 2 * int64_t(a) * a;
            if (a == 0)
                return 0x30000;
            return rgbDistance(overBackground(s, bg, sa), a == 255 ? p : overBackground(p, bg, a));
        };
        CSeedFillWithAlpha withAlpha(layer);
        ASSERT_TRUE(withAlpha.Fill(seed, limit));
        const std::vector<uint8_t> expected = referenceFill(w, h, seed, t, alphaAware);
        expectChannel(withAlpha.channel(), expected);
        reached += std::count_if(expected.begin(), expected.end(), [](uint8_t v) { return v; });

        // A selection with holes, at an offset: image (x, y) is mask-local (x + 3, y − 2).
        CollectingMessageSink messages;
        CMaskData mask;
        ASSERT_TRUE(mask.createMask(w + 10, h + 10, messages));
        for (int32_t y = 0; y < h + 10; ++y)
            for (int32_t x = 0; x < w + 10; ++x)
                mask.coverage->SetPixel(x, y, random() % 8 == 0 ? 0 : uint8_t(1 + random() % 255));
        const OpenFn selected = [&](int32_t x, int32_t y) {
            return y - 2 >= 0 && mask.coverage->GetPixel(x + 3, y - 2) != 0;
        };
        CSeedFillWithMask masked(layer, mask, {3, -2});
        ASSERT_TRUE(masked.Fill(seed, limit));
        expectChannel(masked.channel(), referenceFill(w, h, seed, t, alphaAware, selected));
    }
    EXPECT_GT(reached, 5000); // the regions are not trivially small
}

TEST(SeedFillWithAlpha, TransparentClickFillsAlphaUpToTheLimitWhateverTheColour)
{
    // Row 0: transparent seed, colours with alpha ≤ 10, then alpha 11 walling off alpha 0.
    TMTC flat(6, 1);
    flat.row(0)[0] = argb(0, 255, 255, 255);
    flat.row(0)[1] = argb(10, 0, 0, 0);
    flat.row(0)[2] = argb(3, 255, 0, 90);
    flat.row(0)[3] = argb(7, 1, 2, 3);
    flat.row(0)[4] = argb(11, 0, 0, 0);
    flat.row(0)[5] = argb(0, 0, 0, 0);
    CBlockVMTC layer = layerOf(flat);
    CSeedFillWithAlpha fill(layer);
    ASSERT_TRUE(fill.Fill({0, 0}, 10));
    EXPECT_TRUE(fill.transparentMode());
    // T = 200; d = 2·A²: 200 → 1, 18 → ⌊182·255/200⌋ = 232, 98 → ⌊102·255/200⌋ = 130.
    expectChannel(fill.channel(), {255, 1, 232, 130, 0, 0});
}

TEST(SeedFillWithAlpha, OpaqueClickNeverSpreadsIntoTransparentPixels)
{
    // The transparent pixel keeps the seed's colour bytes; even the widest limit stops there.
    TMTC flat(4, 1);
    const uint32_t c = argb(255, 200, 200, 200);
    flat.row(0)[0] = c;
    flat.row(0)[1] = c & 0xFFFFFF;
    flat.row(0)[2] = c;
    flat.row(0)[3] = argb(128, 200, 200, 200);
    CBlockVMTC layer = layerOf(flat);
    CSeedFillWithAlpha fill(layer);
    ASSERT_TRUE(fill.Fill({2, 0}, 255));
    EXPECT_FALSE(fill.transparentMode());
    // A bright seed is measured over black: alpha 128 gives 100 per channel, d = 30000,
    // T = 130050: ⌊100050·255/130050⌋ = 196.
    EXPECT_EQ(fill.background(), 0u);
    expectChannel(fill.channel(), {0, 0, 255, 196});

    // Over black the half-transparent pixel is far; a limit of 122 (T = 29768) leaves it out,
    // 130 (T = 33800) takes it in at ⌊3800·255/33800⌋ = 28.
    ASSERT_TRUE(fill.Fill({2, 0}, 122));
    expectChannel(fill.channel(), {0, 0, 255, 0});
    ASSERT_TRUE(fill.Fill({2, 0}, 130));
    expectChannel(fill.channel(), {0, 0, 255, 28});

    // A dark seed is measured over white: (50, 50, 50) at alpha 128 gives 152, d = 31212.
    flat.row(0)[2] = argb(255, 50, 50, 50);
    flat.row(0)[3] = argb(128, 50, 50, 50);
    CBlockVMTC dark = layerOf(flat);
    CSeedFillWithAlpha darkFill(dark);
    ASSERT_TRUE(darkFill.Fill({2, 0}, 125)); // T = 31250: ⌊38·255/31250⌋ = 0 → 1
    EXPECT_EQ(darkFill.background(), 0xFFFFFFu);
    expectChannel(darkFill.channel(), {0, 0, 255, 1});
}

TEST(SeedFillWithMask, NeverCrossesPixelsWhereTheMaskIsZero)
{
    // A uniform 40 × 20 layer whose paper origin lies at (5, 2) inside it; the mask (offset
    // (3, 1): mask-local = paper + offset) selects everything but paper column 10.
    CLayerData layer;
    ASSERT_TRUE(layer.CreateImage(40, 20, 0));
    layer.image()->FillAll(argb(255, 9, 9, 9));
    layer.offsetX = 5;
    layer.offsetY = 2;
    CollectingMessageSink messages;
    CMaskData mask;
    ASSERT_TRUE(mask.createMask(60, 30, messages));
    mask.offsetX = 3;
    mask.offsetY = 1;
    mask.coverage->Fill({0, 0, 60, 30}, 255);
    mask.coverage->Fill({10 + 3, 0, 1, 30}, 0); // paper column 10 = layer column 15

    CSeedFillWithMask fill(layer, mask);
    ASSERT_TRUE(fill.Fill({2, 4}, 20));
    // Layer position p lies at mask-local p + (3 − 5, 1 − 2): the mask covers layer columns
    // 2 … 61 and rows 1 … 30, so column 15 and everything outside (columns 0, 1 and row 0)
    // are barriers.
    std::vector<uint8_t> expected(40 * 20, 0);
    for (int32_t y = 1; y < 20; ++y)
        for (int32_t x = 2; x < 15; ++x)
            expected[size_t(y) * 40 + x] = 255;
    expectChannel(fill.channel(), expected);
    EXPECT_TRUE(fill.IsFilled(15, 5));  // the barrier counts as filled
    EXPECT_FALSE(fill.IsFilled(20, 5)); // across it, unreached

    // The view variant: picture (0, 0) is paper (4, 0), so the barrier is picture column 6.
    TMTC view(30, 10);
    fillAll(view, argb(255, 9, 9, 9));
    CSeedFillTCWithMask viewFill(view, mask, {4, 0});
    ASSERT_TRUE(viewFill.Fill({0, 5}, 20));
    uint8_t v = 0;
    EXPECT_TRUE(viewFill.channel().getValue(5, 5, v) && v == 255);
    EXPECT_TRUE(viewFill.channel().getValue(6, 5, v) && v == 0);
    EXPECT_TRUE(viewFill.channel().getValue(7, 5, v) && v == 0);
}

// A 12 × 10 white picture with a closed box of line pixels from (2, 2) to (9, 7) and one
// graded pixel inside; the fill starts inside the box.
TMTC boxedPicture()
{
    TMTC flat(12, 10);
    fillAll(flat, argb(255, 255, 255, 255));
    for (int32_t x = 2; x <= 9; ++x) {
        flat.row(2)[x] = argb(100, 10, 20, 30);
        flat.row(7)[x] = argb(255, 40, 80, 120);
    }
    for (int32_t y = 2; y <= 7; ++y) {
        flat.row(y)[2] = argb(255, 40, 80, 120);
        flat.row(y)[9] = argb(255, 40, 80, 120);
    }
    flat.row(4)[5] = argb(255, 250, 255, 255); // d = 25
    return flat;
}

TEST(SeedFillFinish, SolidInsideAndAOnePixelRingOfLineLuminance)
{
    const TMTC flat = boxedPicture();
    const CBlockVMTC layer = layerOf(flat);
    CSeedFillWithAlpha fill(layer);
    fill.SetAntiAlias(true);
    ASSERT_TRUE(fill.Fill({4, 4}, 10));
    // Inside (3..8, 3..6) solid; the box's sides (not its corners) take the luminance:
    // (10, 20, 30) at alpha 100 over white is (158, 162, 166) → 161; (40, 80, 120) → 72.
    std::vector<uint8_t> expected(12 * 10, 0);
    for (int32_t y = 3; y <= 6; ++y)
        for (int32_t x = 3; x <= 8; ++x)
            expected[size_t(y) * 12 + x] = 255;
    for (int32_t x = 3; x <= 8; ++x) {
        expected[2 * 12 + x] = 161;
        expected[7 * 12 + x] = 72;
    }
    for (int32_t y = 3; y <= 6; ++y)
        expected[size_t(y) * 12 + 2] = expected[size_t(y) * 12 + 9] = 72;
    expectChannel(fill.channel(), expected);
    EXPECT_EQ(fill.filledBounds(), (TRect{2, 2, 10, 8}));

    // The view variant takes the picture's own pixels: (10, 20, 30) → 18.
    CSeedFillTC view(flat);
    view.SetAntiAlias(true);
    ASSERT_TRUE(view.Fill({4, 4}, 10));
    for (int32_t x = 3; x <= 8; ++x)
        expected[2 * 12 + x] = 18;
    expectChannel(view.channel(), expected);
}

TEST(SeedFillFinish, RingMarksSkipTheImageEnds)
{
    // White with a grey line (luminance 100) along column lineX and row lineY; the fill
    // takes the white part before both lines.
    auto ringOf = [](int32_t w, int32_t h, int32_t lineX, int32_t lineY) {
        TMTC flat(w, h);
        fillAll(flat, argb(255, 255, 255, 255));
        for (int32_t y = 0; y < h; ++y)
            flat.row(y)[lineX] = argb(255, 100, 100, 100);
        for (int32_t x = 0; x < w; ++x)
            flat.row(lineY)[x] = argb(255, 100, 100, 100);
        CSeedFillTC fill(flat);
        fill.SetAntiAlias(true);
        EXPECT_TRUE(fill.Fill({0, 0}, 5));
        return fill.extractChannel();
    };
    // Inside the image the lines become the ring (not their crossing: it touches the region
    // only diagonally).
    const TChannel inner = ringOf(7, 5, 5, 3);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x) {
            const bool region = x < 5 && y < 3;
            const bool ring = (x == 5 && y < 3) || (y == 3 && x < 5);
            EXPECT_EQ(inner.row(y)[x], region ? 255 : ring ? 100 : 0) << x << ", " << y;
        }
    // On the last column and the last row they are a row's and a column's ends: unmarked.
    const TChannel atEnds = ringOf(6, 4, 5, 3);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x)
            EXPECT_EQ(atEnds.row(y)[x], x < 5 && y < 3 ? 255 : 0) << x << ", " << y;
}

TEST(SeedFill, WithoutAntiAliasInteriorBecomesSolidAndBordersKeepTheirGrades)
{
    std::mt19937 random(11);
    const TMTC flat = randomPicture(random, 90, 60, false);
    const CBlockVMTC layer = layerOf(flat);
    CSeedFill fill(layer);
    ASSERT_TRUE(fill.Fill({20, 30}, 12));
    const TChannel& c = fill.channel();
    TChannel old(90, 60);
    std::memcpy(old.bits(), c.bits(), 90 * 60);
    fill.SolidifyInterior();
    int interior = 0, graded = 0;
    for (int32_t y = 0; y < 60; ++y)
        for (int32_t x = 0; x < 90; ++x) {
            const uint8_t v = old.row(y)[x];
            const bool inner = x > 0 && y > 0 && x < 89 && y < 59 && v != 0 &&
                               old.row(y)[x - 1] && old.row(y)[x + 1] && old.row(y - 1)[x] &&
                               old.row(y + 1)[x];
            EXPECT_EQ(c.row(y)[x], inner ? 255 : v) << x << ", " << y;
            interior += inner && v != 255; // graded before, solid now
            graded += !inner && v != 0 && v != 255;
        }
    EXPECT_GT(interior, 100);
    EXPECT_GT(graded, 10);
}

TEST(SeedFill, AMazeNeedingMillionsOfPendingSeedsFillsCompletely)
{
    // 4096 × 4096: odd rows are walled at every odd column (one pending seed per gap), a
    // closed box and an anti-diagonal wall shut off parts that must stay empty.
    const int32_t side = 4096;
    auto open = [](int32_t x, int32_t y) {
        if ((y & 1) && (x & 1))
            return false;
        if (x + y == 300)
            return false;
        const bool onBox = (x >= 1000 && x <= 1200 && (y == 1000 || y == 1200)) ||
                           (y >= 1000 && y <= 1200 && (x == 1000 || x == 1200));
        return !onBox;
    };
    TMTC flat(side, side);
    for (int32_t y = 0; y < side; ++y) {
        uint32_t* row = flat.row(y);
        for (int32_t x = 0; x < side; ++x)
            row[x] = open(x, y) ? argb(255, 255, 255, 255) : argb(255, 0, 0, 0);
    }
    const CBlockVMTC layer = layerOf(flat);
    CollectingMessageSink messages;
    CSeedFillWithAlpha fill(layer);
    fill.setMessageSink(&messages);
    const TPoint seed{2048, 2048};
    ASSERT_TRUE(fill.Fill(seed, 20));
    EXPECT_FALSE(fill.overflowed());
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_GT(fill.peakPending(), size_t(100000)); // a fixed 8192-entry stack would overflow

    const std::vector<uint8_t> expected = referenceFill(
        side, side, seed, 800, [&](int32_t x, int32_t y) { return open(x, y) ? 0 : 1 << 20; });
    int64_t expectedCount = 0, filledCount = 0;
    for (uint8_t v : expected)
        expectedCount += v != 0;
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x)
            filledCount += fill.channel().row(y)[x] != 0;
    EXPECT_EQ(filledCount, expectedCount);
    EXPECT_GT(expectedCount, int64_t(side) * side / 2);
    expectChannel(fill.channel(), expected);
}

} // namespace

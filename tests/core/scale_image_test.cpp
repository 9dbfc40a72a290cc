#include "core/scale_image.h"

#include "core/message_sink.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qm;

namespace {

using Row = std::vector<int>;
using Rows = std::vector<Row>;
constexpr int64_t kOne = CScaleImage::kOne;

uint32_t grey(int v)
{
    return uint32_t(v) * 0x01010101u;
}

std::vector<uint32_t> pixels(const TMTC& img)
{
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < img.height(); ++y)
        v.insert(v.end(), img.row(y), img.row(y) + img.width());
    return v;
}

// Scales a grey picture onto a width × height one; gives the results as levels (-1 when a pixel
// came out with unequal channels).
Rows scaleGrey(const Rows& source, int32_t width, int32_t height)
{
    TMTC src(int32_t(source[0].size()), int32_t(source.size())), dest(width, height);
    for (int32_t y = 0; y < src.height(); ++y)
        for (int32_t x = 0; x < src.width(); ++x)
            src.setPixel(x, y, grey(source[size_t(y)][size_t(x)]));
    EXPECT_TRUE(CScaleImageTMTC(src, dest).Scale(src.bounds(), dest.bounds()));
    Rows out(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = dest.pixel(x, y);
            out[size_t(y)].push_back(p == grey(int(p & 0xFF)) ? int(p & 0xFF) : -1);
        }
    return out;
}

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state ^ (state >> 16);
}

TMTC randomImage(int32_t w, int32_t h, uint32_t seed)
{
    TMTC img(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            img.setPixel(x, y, nextRandom(seed));
    return img;
}

class FailingBlockVMTC : public CBlockVMTC {
public:
    FailingBlockVMTC(int32_t w, int32_t h, int allowed) : CBlockVMTC(w, h), allowed_(allowed) {}

protected:
    std::unique_ptr<uint8_t[]> newStorage(size_t bytes) override
    {
        return allowed_-- > 0 ? CBlockVMTC::newStorage(bytes) : nullptr;
    }

private:
    int allowed_;
};

} // namespace

// Expected values worked out independently with exact fractions: a partial pixel counts by the
// part covered, and each channel's mean is truncated.
TEST(ScaleImage, ExactAreaAverages)
{
    TMTC two(2, 1), one(1, 1), nine(3, 3);
    two.setPixel(0, 0, 0x10FF0001u);
    two.setPixel(1, 0, 0x11000002u);
    ASSERT_TRUE(CScaleImageTMTC(two, one).Scale(two.bounds(), one.bounds()));
    EXPECT_EQ(one.pixel(0, 0), 0x107F0001u); // each channel (a + b) / 2 truncated on its own
    CScaleImageTMTC grow(one, nine);
    ASSERT_TRUE(grow.Scale(one.bounds(), nine.bounds()));
    EXPECT_EQ(pixels(nine), std::vector<uint32_t>(9, 0x107F0001u));
    EXPECT_EQ(grow.scaleX(), 21845); // 1 / 3 in 16.16, truncated

    // 3 → 2, ScaleX 1.5: (10 + 20 × .5) / 1.5 = 13.3 and (20 × .5 + 30) / 1.5 = 26.7.
    EXPECT_EQ(scaleGrey({{10, 20, 30}}, 2, 1), Rows({{13, 26}}));
    // 3 → 4, ScaleX .75: the second pixel is (10 × .25 + 20 × .5) / .75 = 16.7.
    EXPECT_EQ(scaleGrey({{10, 20, 30}}, 4, 1), Rows({{10, 16, 23, 30}}));
    EXPECT_EQ(scaleGrey({{10, 20, 30}}, 5, 1), Rows({{10, 13, 20, 26, 30}}));
    // (0 + 100 × .5 + 40 × .5 + 80 × .25) / 2.25 = 40, and so on.
    EXPECT_EQ(scaleGrey({{0, 100, 255}, {40, 80, 120}, {255, 0, 7}}, 2, 2),
              Rows({{40, 171}, {131, 38}}));
    EXPECT_EQ(scaleGrey({{3, 250, 17, 99, 128, 64, 201}}, 3, 1), Rows({{110, 83, 131}}));
    EXPECT_EQ(scaleGrey({{11, 22, 33, 44, 55},
                         {200, 190, 180, 170, 160},
                         {0, 255, 0, 255, 0},
                         {9, 8, 7, 6, 5}},
                        3, 3),
              Rows({{60, 69, 78}, {149, 141, 133}, {31, 30, 29}}));
}

TEST(ScaleImage, IdentityAndUniformImagesKeepTheirBytes)
{
    const TMTC src = randomImage(37, 29, 7);
    TMTC same(37, 29), part(20, 20);
    ASSERT_TRUE(CScaleImageTMTC(src, same).Scale(src.bounds(), same.bounds()));
    EXPECT_EQ(pixels(same), pixels(src));
    // A box moved at 1:1 is a plain copy, and nothing around it is touched.
    ASSERT_TRUE(CScaleImageTMTC(src, part).Scale({5, 3, 10, 12}, {8, 2, 10, 12}));
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(part.pixel(x, y),
                      x >= 8 && x < 18 && y >= 2 && y < 14 ? src.pixel(x - 3, y + 1) : 0u);

    // Float sums lose low bits at ratios like 6 → 5 (white came out 254); these must not.
    for (int32_t from = 1; from <= 40; ++from)
        for (int32_t to = 1; to <= 40; ++to)
            ASSERT_EQ(scaleGrey({Row(size_t(from), 255), Row(size_t(from), 255)}, to, 3),
                      Rows(3, Row(size_t(to), 255)))
                << from << " → " << to;
    TMTC big(1000, 1000), dot(1, 1);
    for (int32_t y = 0; y < 1000; ++y)
        std::fill_n(big.row(y), 1000, 0x80FF017Fu);
    ASSERT_TRUE(CScaleImageTMTC(big, dot).Scale(big.bounds(), dot.bounds()));
    EXPECT_EQ(dot.pixel(0, 0), 0x80FF017Fu);
}

TEST(ScaleImage, BoxesAreClippedAndUnusableRequestsFail)
{
    TMTC src(4, 1), dest(4, 1);
    for (int32_t x = 0; x < 4; ++x)
        src.setPixel(x, 0, grey(10 * (x + 1)));
    CScaleImageTMTC scaler(src, dest);
    // (−2, 0, 4, 1) is really (0, 0, 2, 1).
    ASSERT_TRUE(scaler.Scale({-2, 0, 4, 1}, {0, 0, 1, 1}));
    EXPECT_EQ(scaler.sourceBox(), (TBox{0, 0, 2, 1}));
    EXPECT_EQ(dest.pixel(0, 0), grey(15));
    // The ratio comes from the clipped destination box.
    ASSERT_TRUE(scaler.Scale(src.bounds(), {2, 0, 10, 1}));
    EXPECT_EQ(scaler.scaleX(), 2 * kOne);
    EXPECT_EQ(pixels(dest), (std::vector<uint32_t>{grey(15), 0, grey(15), grey(35)}));

    const std::vector<uint32_t> before = pixels(dest);
    for (const TBox box : {TBox{4, 0, 1, 1}, TBox{0, 0, 0, 1}, TBox{0, 0, -3, 1},
                           TBox{INT32_MAX, 0, INT32_MAX, 1}, TBox{INT32_MIN, 0, 5, 5}}) {
        EXPECT_FALSE(scaler.Scale(box, dest.bounds()));
        EXPECT_FALSE(scaler.Scale(src.bounds(), box));
    }
    EXPECT_FALSE(CScaleImageTMTC(dest, dest).Scale({0, 0, 4, 1}, {0, 0, 2, 1})); // in place
    EXPECT_EQ(pixels(dest), before);
    src.Resize(2, 2); // the scaler was made for 4 × 1
    EXPECT_FALSE(scaler.Scale({0, 0, 2, 1}, {0, 0, 2, 1}));

    // 32768 : 1 has no 16.16 ratio; one pixel less has.
    TMTC wide(32768, 1), one(1, 1);
    std::fill_n(wide.row(0), 32768, 0x01010101u);
    wide.setPixel(0, 0, 0xFFFFFFFFu);
    CScaleImageTMTC wideScaler(wide, one);
    EXPECT_FALSE(wideScaler.Scale(wide.bounds(), one.bounds()));
    EXPECT_TRUE(wideScaler.Scale({0, 0, 32767, 1}, one.bounds()));
    EXPECT_EQ(one.pixel(0, 0), 0x01010101u); // (255 + 32766) / 32767
}

TEST(SampleArea, ClipsToTheSourceAndFailsOutsideIt)
{
    TMTC src(3, 2), dest(1, 1);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            src.setPixel(x, y, grey(10 * (1 + x + 3 * y)));
    CScaleImageTMTC scaler(src, dest);
    uint8_t out[4] = {};
    ASSERT_TRUE(scaler.SampleArea(out, kOne + kOne / 2, 0, 9 * kOne, kOne)); // cut at the right
    EXPECT_EQ(out[0], (20 / 2 + 30) * 2 / 3);
    ASSERT_TRUE(scaler.SampleArea(out, -5 * kOne, -5 * kOne, kOne, kOne)); // cut at the left
    EXPECT_EQ(out[0], 10);
    ASSERT_TRUE(scaler.SampleArea(out, kOne + 5, kOne + 5, kOne + 5, kOne + 5)); // a point
    EXPECT_EQ(out[0], 50);

    out[0] = 7;
    EXPECT_FALSE(scaler.SampleArea(out, 3 * kOne, 0, 4 * kOne, kOne));
    EXPECT_FALSE(scaler.SampleArea(out, -2 * kOne, 0, 0, kOne));
    EXPECT_FALSE(scaler.SampleArea(out, kOne, 0, 0, kOne));
    EXPECT_FALSE(scaler.SampleArea(out, 3 * kOne, 0, 3 * kOne, kOne));
    EXPECT_FALSE(scaler.SampleArea(nullptr, 0, 0, kOne, kOne));
    EXPECT_EQ(out[0], 7);
}

// Scale walks whole rows; every pixel must still be what SampleArea gives for its rectangle.
TEST(SampleArea, ScaleAgreesWithPixelByPixelSampling)
{
    const TMTC src = randomImage(23, 17, 11);
    for (const TBox from : {TBox{0, 0, 23, 17}, TBox{3, 2, 15, 13}})
        for (const TBox to : {TBox{0, 0, 7, 5}, TBox{1, 2, 9, 11}, TBox{0, 0, 31, 40}}) {
            TMTC dest(40, 40);
            CScaleImageTMTC scaler(src, dest);
            ASSERT_TRUE(scaler.Scale(from, to));
            const int64_t sx = scaler.scaleX(), sy = scaler.scaleY();
            for (int32_t j = 0; j < to.height; ++j)
                for (int32_t i = 0; i < to.width; ++i) {
                    const int64_t x0 = from.x * kOne + i * sx, y0 = from.y * kOne + j * sy;
                    uint32_t expected = 0;
                    ASSERT_TRUE(scaler.SampleArea(reinterpret_cast<uint8_t*>(&expected), x0, y0,
                                                  x0 + sx, y0 + sy));
                    ASSERT_EQ(dest.pixel(to.x + i, to.y + j), expected) << i << ", " << j;
                }
        }
}

TEST(ScaleImage8, ChannelsMatchTheColourScaler)
{
    const TMTC colour = randomImage(29, 19, 21);
    TChannel src(29, 19);
    for (int32_t y = 0; y < 19; ++y)
        for (int32_t x = 0; x < 29; ++x)
            src.setValue(x, y, uint8_t(colour.pixel(x, y) >> 8)); // the green byte
    for (const TBox to : {TBox{0, 0, 29, 19}, TBox{0, 0, 11, 7}, TBox{4, 3, 37, 23}}) {
        TMTC colourDest(45, 30);
        TChannel dest(45, 30);
        ASSERT_TRUE(CScaleImageTMTC(colour, colourDest).Scale(colour.bounds(), to));
        ASSERT_TRUE(CScaleImageCH(src, dest).Scale(src.bounds(), to));
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 45; ++x)
                ASSERT_EQ(dest.row(y)[x], uint8_t(colourDest.pixel(x, y) >> 8)) << x << ", " << y;
    }
}

TEST(ScaleLayerImage, MatchesTheFlatScalerWithoutAllocatingTheSource)
{
    // Random pixels in one area; elsewhere uniform blocks of several Fills.
    CBlockVMTC layer(70, 50);
    ASSERT_TRUE(layer.SetColor({32, 0, 32, 32}, 0x00336699u));
    ASSERT_TRUE(layer.SetAlpha({0, 32, 64, 18}, 0x80));
    uint32_t seed = 5;
    for (int32_t y = 10; y < 40; ++y)
        for (int32_t x = 20; x < 45; ++x)
            layer.SetPixel(x, y, nextRandom(seed));
    TMTC flat(70, 50);
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 70; ++x)
            flat.setPixel(x, y, layer.GetPixel(x, y));
    const int64_t memoryBefore = layer.MemoryUsed();

    for (const TBox to : {TBox{0, 0, 70, 50}, TBox{0, 0, 23, 17}, TBox{5, 9, 100, 61}}) {
        CBlockVMTC dest(110, 75);
        TMTC flatDest(110, 75);
        for (int32_t y = 0; y < 75; ++y)
            std::fill_n(flatDest.row(y), 110, CBlockVMTC::kDefaultFill);
        ASSERT_TRUE(CScaleImageTMTC(flat, flatDest).Scale(flat.bounds(), to));
        ASSERT_TRUE(CScaleLayerImage(layer, dest).Scale(layer.bounds(), to));
        for (int32_t y = 0; y < 75; ++y)
            for (int32_t x = 0; x < 110; ++x)
                ASSERT_EQ(dest.GetPixel(x, y), flatDest.pixel(x, y)) << x << ", " << y;
    }
    EXPECT_EQ(layer.MemoryUsed(), memoryBefore);
}

TEST(ScaleLayerImage, UniformResultsKeepNoStorageAndFailedBlocksReportFalse)
{
    CBlockVMTC uniform(100, 80), dest(64, 64);
    ASSERT_TRUE(uniform.FillAll(0xC0123456u));
    ASSERT_TRUE(CScaleLayerImage(uniform, dest).Scale(uniform.bounds(), dest.bounds()));
    EXPECT_EQ(dest.MemoryUsed(), 0);
    EXPECT_EQ(dest.GetPixel(63, 63), 0xC0123456u);

    CBlockVMTC source(64, 64);
    uint32_t seed = 9;
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x)
            source.SetPixel(x, y, nextRandom(seed));
    FailingBlockVMTC failing(64, 64, 1); // storage for one block only
    CollectingMessageSink messages;
    failing.setMessageSink(&messages);
    EXPECT_FALSE(CScaleLayerImage(source, failing).Scale(source.bounds(), failing.bounds()));
    EXPECT_EQ(messages.messages.size(), 1u);
}

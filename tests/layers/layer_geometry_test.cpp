#include "layers/layer_geometry.h"

#include "layers/blend_mode_table.h"
#include "layers/fake_layer_undo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace qm;

namespace {

constexpr uint8_t kNormal = uint8_t(BlendMode::Normal);
constexpr uint8_t kAdd = uint8_t(BlendMode::Add);

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state;
}

// A layer of w × h for a paper of pw × ph at the offset, every pixel random (a uniform
// stretch of blocks when uniformLeft, so turns see both kinds of block).
std::unique_ptr<CLayerData> randomLayer(int32_t w, int32_t h, int32_t pw, int32_t ph, int32_t ox,
                                        int32_t oy, uint32_t seed, bool uniformLeft = false)
{
    auto layer = CLayerData::make(3, seed);
    EXPECT_TRUE(layer->CreateImage(w, h, kNormal));
    layer->paperWidth = pw;
    layer->paperHeight = ph;
    layer->offsetX = ox;
    layer->offsetY = oy;
    layer->name = "ink";
    layer->opacity = 140;
    layer->blendNoise = 1;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = uniformLeft ? 64 : 0; x < w; ++x)
            layer->image()->SetPixel(x, y, nextRandom(seed));
    if (uniformLeft)
        layer->image()->SetColor(TBox{0, 0, std::min(w, 64), h}, 0x00123456u);
    return layer;
}

std::vector<uint32_t> pixelsOf(const CBlockVMTC& image)
{
    std::vector<uint32_t> p;
    for (int32_t y = 0; y < image.height(); ++y)
        for (int32_t x = 0; x < image.width(); ++x)
            p.push_back(image.GetPixel(x, y));
    return p;
}

void expectSameLayer(const CLayerData& a, const CLayerData& b)
{
    ASSERT_EQ(a.imageWidth(), b.imageWidth());
    ASSERT_EQ(a.imageHeight(), b.imageHeight());
    EXPECT_EQ(a.offsetX, b.offsetX);
    EXPECT_EQ(a.offsetY, b.offsetY);
    EXPECT_EQ(a.paperWidth, b.paperWidth);
    EXPECT_EQ(a.paperHeight, b.paperHeight);
    EXPECT_EQ(pixelsOf(*a.image()), pixelsOf(*b.image()));
}

void expectPropertiesOf(const CLayerData& made, const CLayerData& old)
{
    EXPECT_EQ(made.id, old.id);
    EXPECT_EQ(made.index, old.index);
    EXPECT_EQ(made.name, old.name);
    EXPECT_EQ(made.opacity, old.opacity);
    EXPECT_EQ(made.mode, old.mode);
    EXPECT_EQ(made.blendNoise, old.blendNoise);
    EXPECT_EQ(made.random.state, old.random.state);
}

// The documented bilinear sample, written out pixel by pixel: four neighbours of
// floor(position − ½) weighted in 16.16, the first column and row by their covered parts.
uint32_t referenceSample(const CBlockVMTC& image, int64_t x, int64_t y)
{
    const int64_t fx = int64_t(std::floor((double(x) - 32768.0) / 65536.0));
    const int64_t fy = int64_t(std::floor((double(y) - 32768.0) / 65536.0));
    const int64_t rx = 65536 - ((x - 32768) - fx * 65536);
    const int64_t ry = 65536 - ((y - 32768) - fy * 65536);
    const int64_t w[4] = {rx * ry / 65536, (65536 - rx) * ry / 65536, rx * (65536 - ry) / 65536,
                          0};
    const int64_t weights[4] = {w[0], w[1], w[2], 65536 - w[0] - w[1] - w[2]};
    const uint32_t p[4] = {image.GetPixelOrDefault(int32_t(fx), int32_t(fy)),
                           image.GetPixelOrDefault(int32_t(fx + 1), int32_t(fy)),
                           image.GetPixelOrDefault(int32_t(fx), int32_t(fy + 1)),
                           image.GetPixelOrDefault(int32_t(fx + 1), int32_t(fy + 1))};
    uint32_t out = 0;
    for (int k = 0; k < 4; ++k) {
        int64_t sum = 0;
        for (int n = 0; n < 4; ++n)
            sum += int64_t((p[n] >> (8 * k)) & 0xFF) * weights[n];
        out |= uint32_t(std::clamp<int64_t>(sum, 0, 0xFF0000) >> 16) << (8 * k);
    }
    return out;
}

} // namespace

TEST(ScaleLayer, TwoPixelsAverageIntoOneAndOneIntoNineCopies)
{
    auto wide = CLayerData::make(0, 1);
    ASSERT_TRUE(wide->CreateImage(2, 1, kNormal));
    wide->image()->SetPixel(0, 0, 0xFF0A1403u);
    wide->image()->SetPixel(1, 0, 0x80050A00u);
    auto one = ScaleLayer(*wide, {1, 1}, 1, 1);
    ASSERT_TRUE(one);
    ASSERT_EQ(one->imageWidth(), 1);
    // (255 + 128) / 2 = 191, (10 + 5) / 2 = 7, (20 + 10) / 2 = 15, (3 + 0) / 2 = 1.
    EXPECT_EQ(one->image()->GetPixel(0, 0), 0xBF070F01u);

    auto dot = CLayerData::make(0, 1);
    ASSERT_TRUE(dot->CreateImage(1, 1, kNormal));
    dot->image()->SetPixel(0, 0, 0x9C123456u);
    auto nine = ScaleLayer(*dot, {3, 3}, 3, 3);
    ASSERT_TRUE(nine);
    ASSERT_EQ(nine->imageWidth(), 3);
    ASSERT_EQ(nine->imageHeight(), 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(nine->image()->GetPixel(x, y), 0x9C123456u);
}

TEST(ScaleLayer, OffsetScalesWithTheImageAndTheImageHoldsThePaper)
{
    auto layer = randomLayer(100, 80, 60, 40, 10, 20, 5);
    layer->image()->FillAll(0xFF3366CCu);
    // d = 50 · 10 / 100 = 5, c = 30 · 20 / 80 = 7 (7.5 truncated).
    auto scaled = ScaleLayer(*layer, {30, 15}, 50, 30);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->offsetX, 5);
    EXPECT_EQ(scaled->offsetY, 7);
    EXPECT_EQ(scaled->imageWidth(), 5 + 45);  // max(30, 50 − 5)
    EXPECT_EQ(scaled->imageHeight(), 7 + 23); // max(15, 30 − 7)
    EXPECT_EQ(scaled->paperWidth, 30);
    expectPropertiesOf(*scaled, *layer);

    // A paper wider than the scaled image widens the image: 5 + max(48, 45), 7 + max(25, 23).
    auto wide = ScaleLayer(*layer, {48, 25}, 50, 30);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->imageWidth(), 53);
    EXPECT_EQ(wide->imageHeight(), 32);
    EXPECT_EQ(wide->image()->GetPixel(49, 29), 0xFF3366CCu);
    EXPECT_EQ(wide->image()->GetPixel(52, 31), neutralColour(kNormal)); // outside the scaled part

    EXPECT_FALSE(ScaleLayer(*layer, {30, 15}, 0, 30));
    EXPECT_FALSE(ScaleLayer(CLayerData(), {30, 15}, 50, 30));
}

TEST(TrimLayer, EmptyPaperSizedLayerStaysAndContentSetsTheNewImage)
{
    auto empty = CLayerData::make(0, 1);
    ASSERT_TRUE(empty->CreateImage(90, 70, kNormal));
    bool unchanged = false;
    EXPECT_FALSE(TrimLayer(*empty, unchanged));
    EXPECT_TRUE(unchanged);

    // 200 × 100 image, paper 64 × 64 at (64, 0), one pixel at image (10, 50): its block
    // [0, 32) × [32, 64) is paper [−64, −32) × [32, 64); joined with the paper that is
    // [−64, 64) × [0, 64), a 128 × 64 image (4 × 2 blocks instead of 7 × 4).
    auto layer = randomLayer(200, 100, 64, 64, 64, 0, 9);
    layer->image()->FillAll(0x00FFFFFFu);
    layer->image()->SetPixel(10, 50, 0xFF112233u);
    auto trimmed = TrimLayer(*layer, unchanged);
    ASSERT_TRUE(trimmed);
    EXPECT_FALSE(unchanged);
    EXPECT_EQ(trimmed->imageWidth(), 128);
    EXPECT_EQ(trimmed->imageHeight(), 64);
    EXPECT_EQ(trimmed->offsetX, 64);
    EXPECT_EQ(trimmed->offsetY, 0);
    EXPECT_EQ(trimmed->paperWidth, 64);
    // Paper position (10 − 64, 50) is image position (10, 50) again.
    EXPECT_EQ(trimmed->image()->GetPixel(10, 50), 0xFF112233u);
    EXPECT_EQ(trimmed->image()->GetPixel(11, 50), 0x00FFFFFFu);
    expectPropertiesOf(*trimmed, *layer);
    EXPECT_EQ(layer->imageWidth(), 200); // the old layer as it was
}

TEST(RotateLayer90, FourTurnsAndATurnEachWayGiveTheLayerBack)
{
    // Odd sizes, an image larger than the paper and uniform blocks beside allocated ones.
    auto layer = randomLayer(97, 45, 50, 31, 7, 9, 21, true);
    for (bool clockwise : {true, false}) {
        std::unique_ptr<CLayerData> turned = RotateLayer90(*layer, {31, 50}, clockwise);
        ASSERT_TRUE(turned);
        for (int turn = 1; turn < 4; ++turn) {
            turned = RotateLayer90(*turned, {turned->paperHeight, turned->paperWidth}, clockwise);
            ASSERT_TRUE(turned);
        }
        expectSameLayer(*turned, *layer);
        expectPropertiesOf(*turned, *layer);
    }
    auto there = RotateLayer90(*layer, {31, 50}, true);
    ASSERT_TRUE(there);
    auto back = RotateLayer90(*there, {50, 31}, false);
    ASSERT_TRUE(back);
    expectSameLayer(*back, *layer);
}

TEST(RotateLayer90, WholePaperTurnMovesEveryPixelByTheRule)
{
    auto layer = randomLayer(70, 45, 50, 30, 7, 9, 33, true);
    const int32_t W = 70, H = 45;
    auto cw = RotateLayer90(*layer, {30, 50}, true);
    auto ccw = RotateLayer90(*layer, {30, 50}, false);
    ASSERT_TRUE(cw && ccw);
    ASSERT_EQ(cw->imageWidth(), H);
    ASSERT_EQ(cw->imageHeight(), W);
    ASSERT_EQ(ccw->imageWidth(), H);
    // The paper turns with the image: (H − offsetY − paper height, offsetX) clockwise,
    // (offsetY, W − offsetX − paper width) counter-clockwise.
    EXPECT_EQ(cw->offsetX, 45 - 9 - 30);
    EXPECT_EQ(cw->offsetY, 7);
    EXPECT_EQ(ccw->offsetX, 9);
    EXPECT_EQ(ccw->offsetY, 70 - 7 - 50);
    EXPECT_EQ(cw->paperWidth, 30);
    EXPECT_EQ(cw->paperHeight, 50);
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
            const uint32_t p = layer->image()->GetPixel(x, y);
            ASSERT_EQ(cw->image()->GetPixel(H - 1 - y, x), p) << x << "," << y;
            ASSERT_EQ(ccw->image()->GetPixel(y, W - 1 - x), p) << x << "," << y;
        }
}

TEST(RotateLayer90, TurnOnTheSamePaperCoversItAndKeepsItsCentre)
{
    auto layer = randomLayer(64, 40, 64, 40, 0, 0, 8);
    auto turned = RotateLayer90(*layer, {64, 40}, true);
    ASSERT_TRUE(turned);
    // The turned image is 40 × 64; around the paper centre (32, 20) it spans paper x 12..52
    // and y −12..52, so the new image is [0, 64) × [−12, 52), 64 × 64 at offset (0, 12).
    EXPECT_EQ(turned->imageWidth(), 64);
    EXPECT_EQ(turned->imageHeight(), 64);
    EXPECT_EQ(turned->offsetX, 0);
    EXPECT_EQ(turned->offsetY, 12);
    EXPECT_EQ(turned->image()->GetPixel(12 + 39, 0), layer->image()->GetPixel(0, 0));
    EXPECT_EQ(turned->image()->GetPixel(0, 0), neutralColour(kNormal));
}

TEST(RotateLayer, ZeroDegreesReproducesTheImage)
{
    auto layer = randomLayer(70, 50, 60, 40, 3, 4, 17);
    auto same = RotateLayer(*layer, {60, 40}, 0.0);
    ASSERT_TRUE(same);
    expectSameLayer(*same, *layer);
    expectPropertiesOf(*same, *layer);
}

TEST(RotateLayer, NinetyDegreesAgreesWithTheQuarterTurn)
{
    // At 90° the 16.16 cosine is 0 and the sine 65536 exactly, and for a whole-paper turn
    // every turned-back pixel centre lands on a source pixel centre: equal to the byte.
    auto layer = randomLayer(70, 45, 50, 30, 7, 9, 4, true);
    auto quarter = RotateLayer90(*layer, {30, 50}, true);
    auto rotated = RotateLayer(*layer, {30, 50}, 90.0);
    ASSERT_TRUE(quarter && rotated);
    expectSameLayer(*rotated, *quarter);
}

TEST(RotateLayer, ThirtyDegreesMatchesThePixelByPixelRule)
{
    auto layer = randomLayer(50, 37, 40, 30, 4, 3, 12);
    layer->mode = kAdd; // the outside reads as transparent white whatever the mode
    auto rotated = RotateLayer(*layer, {40, 30}, 30.0);
    ASSERT_TRUE(rotated);
    // The bounding box of a 50 × 37 image turned by 30°: 50 cos + 37 sin ≈ 61.8 across,
    // 50 sin + 37 cos ≈ 57.0 down, rounded outward to whole pixels at both ends.
    EXPECT_GE(rotated->imageWidth(), 62);
    EXPECT_LE(rotated->imageWidth(), 63);
    EXPECT_GE(rotated->imageHeight(), 58);
    EXPECT_LE(rotated->imageHeight(), 59);
    EXPECT_GE(rotated->offsetX, 0);
    EXPECT_LE(rotated->offsetX + 40, rotated->imageWidth());
    const int64_t c = int64_t(std::trunc(std::cos(std::numbers::pi / 6) * 65536));
    const int64_t s = int64_t(std::trunc(std::sin(std::numbers::pi / 6) * 65536));
    const int64_t centreX = 4 * 65536 + 40 * 32768, centreY = 3 * 65536 + 30 * 32768;
    for (int32_t j = 0; j < rotated->imageHeight(); ++j)
        for (int32_t i = 0; i < rotated->imageWidth(); ++i) {
            const int64_t qx = (i - rotated->offsetX) * int64_t(65536) + 32768 - 40 * 32768;
            const int64_t qy = (j - rotated->offsetY) * int64_t(65536) + 32768 - 30 * 32768;
            const int64_t x = int64_t(std::floor(double(qx * c + qy * s) / 65536.0)) + centreX;
            const int64_t y = int64_t(std::floor(double(-qx * s + qy * c) / 65536.0)) + centreY;
            ASSERT_EQ(rotated->image()->GetPixel(i, j), referenceSample(*layer->image(), x, y))
                << i << "," << j;
        }
}

TEST(LayerGeometry, FailuresReturnNothingAndLeaveTheLayer)
{
    CLayerData noImage;
    bool unchanged = true;
    EXPECT_FALSE(TrimLayer(noImage, unchanged));
    EXPECT_FALSE(unchanged);
    EXPECT_FALSE(RotateLayer90(noImage, {10, 10}, true));
    auto layer = randomLayer(40, 30, 40, 30, 0, 0, 2);
    const auto before = pixelsOf(*layer->image());
    EXPECT_FALSE(RotateLayer(*layer, {40, 30}, std::nan("")));
    EXPECT_FALSE(RotateLayer(*layer, {0, 30}, 10.0));
    EXPECT_FALSE(ScaleLayer(*layer, {40, 30}, 1 << 30, 30));
    EXPECT_EQ(pixelsOf(*layer->image()), before);

    // An own undo history is not carried over, but the new layer keeps an empty one.
    auto withUndo = CLayerData::make(0, 1, std::make_unique<qm::test::FakeLayerUndo>());
    ASSERT_TRUE(withUndo->CreateImage(40, 30, kNormal));
    auto turned = RotateLayer90(*withUndo, {30, 40}, true);
    ASSERT_TRUE(turned);
    EXPECT_TRUE(turned->layerUndo());
}

TEST(LayerGeometry, UniformImagesStayWithoutBlockMemory)
{
    auto layer = CLayerData::make(0, 1);
    ASSERT_TRUE(layer->CreateImage(128, 64, kNormal));
    layer->image()->FillAll(0xFF405060u);
    auto turned = RotateLayer90(*layer, {64, 128}, false);
    auto rotated = RotateLayer(*layer, {64, 128}, 90.0);
    auto scaled = ScaleLayer(*layer, {64, 32}, 64, 32);
    ASSERT_TRUE(turned && rotated && scaled);
    for (const CLayerData* made : {turned.get(), rotated.get(), scaled.get()}) {
        EXPECT_EQ(made->image()->MemoryUsed(), 0);
        EXPECT_EQ(made->image()->GetPixel(10, 20), 0xFF405060u);
    }
}

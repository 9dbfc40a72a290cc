#include "filters/blur_filters.h"

#include "filters/gauss_blur.h"
#include "filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using namespace qm::test;

namespace {

uint32_t at(const CBlockVMTC& image, int64_t x, int64_t y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return 0;
    return image.GetPixel(int32_t(x), int32_t(y));
}

// The alpha-weighted mean of a list of samples, written over p at full weight; p itself
// when the samples hold no alpha.
template <typename Samples>
uint32_t meanOver(const Samples& samples, uint32_t p)
{
    uint64_t a = 0, c[3] = {};
    for (uint32_t s : samples) {
        a += s >> 24;
        for (int k = 0; k < 3; ++k)
            c[k] += (s >> 24) * chan(s, k);
    }
    if (a == 0)
        return p;
    const uint32_t alpha = uint32_t(a / samples.size());
    if (alpha == 0)
        return p & 0x00FFFFFFu;
    return alpha << 24 | uint32_t(c[2] / a) << 16 | uint32_t(c[1] / a) << 8 | uint32_t(c[0] / a);
}

void checkBox(int r)
{
    auto layer = randomLayer(41, 35, 10 + r);
    CBlockVMTC source(*layer->image());
    const bool strong = r == 2;
    ASSERT_TRUE(strong ? applyFilter(source, *layer, nullptr, nullptr, TStrongBlurParams{})
                       : applyFilter(source, *layer, nullptr, nullptr, TBlurParams{}));
    for (int32_t y = 0; y < 35; ++y)
        for (int32_t x = 0; x < 41; ++x) {
            std::vector<uint32_t> samples;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx)
                    samples.push_back(at(source, x + dx, y + dy));
            ASSERT_EQ(layer->image()->GetPixel(x, y), meanOver(samples, source.GetPixel(x, y)))
                << x << ", " << y;
        }
}

} // namespace

TEST(BoxBlur, MatchesTheNeighbourhoodMeanEverywhere)
{
    checkBox(1);
    checkBox(2);
}

TEST(BoxBlur, OpaqueEdgesLoseAlphaBecauseOutsideIsTransparent)
{
    auto layer = flatLayer(8, 8, argb(255, 10, 20, 30));
    CBlockVMTC source(*layer->image());
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TBlurParams{}));
    EXPECT_EQ(layer->image()->GetPixel(0, 0), argb(113, 10, 20, 30)); // 4 · 255 / 9
    EXPECT_EQ(layer->image()->GetPixel(3, 0), argb(170, 10, 20, 30)); // 6 · 255 / 9
    EXPECT_EQ(layer->image()->GetPixel(3, 3), argb(255, 10, 20, 30));
}

TEST(MotionBlur, AveragesTheTruncatedSamplesAlongTheLine)
{
    auto layer = randomLayer(30, 26, 12);
    CBlockVMTC source(*layer->image());
    const TMotionBlurParams p{0.7f, 4};
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
    const double c = std::cos(double(p.angle)), s = std::sin(double(p.angle));
    const int64_t cx = int64_t(4 * c * 65536), cy = int64_t(4 * s * 65536);
    const int64_t sx = int64_t(-2 * c / 3 * 65536), sy = int64_t(-2 * s / 3 * 65536);
    for (int32_t y = 0; y < 26; ++y)
        for (int32_t x = 0; x < 30; ++x) {
            std::vector<uint32_t> samples;
            for (int k = 0; k <= 12; ++k)
                samples.push_back(at(source, (x * 65536 + cx + k * sx) / 65536,
                                     (y * 65536 + cy + k * sy) / 65536));
            ASSERT_EQ(layer->image()->GetPixel(x, y), meanOver(samples, source.GetPixel(x, y)))
                << x << ", " << y;
        }
    EXPECT_FALSE(applyFilter(source, *layer, nullptr, nullptr, TMotionBlurParams{0.0f, -1}));
}

TEST(ZoomBlur, LinesRunTowardsTheCentreAndTheCentreStaysSharp)
{
    auto layer = randomLayer(31, 23, 13);
    CBlockVMTC source(*layer->image());
    const TZoomBlurParams p{9, 14, 5};
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
    const double g = std::sqrt(15.0 * 15 + 11.0 * 11);
    for (int32_t y = 0; y < 23; ++y)
        for (int32_t x = 0; x < 31; ++x) {
            const int64_t ox = int64_t((x - 9) * 5 / g / 2 * 65536);
            const int64_t oy = int64_t((y - 14) * 5 / g / 2 * 65536);
            std::vector<uint32_t> samples;
            for (int k = 0; k <= 10; ++k)
                samples.push_back(at(source, (x * 65536 - ox + k * (ox / 5)) / 65536,
                                     (y * 65536 - oy + k * (oy / 5)) / 65536));
            ASSERT_EQ(layer->image()->GetPixel(x, y), meanOver(samples, source.GetPixel(x, y)))
                << x << ", " << y;
        }
    // All samples of the centre pixel are the pixel itself.
    const uint32_t centre = source.GetPixel(9, 14);
    if (centre >> 24) {
        EXPECT_EQ(layer->image()->GetPixel(9, 14), centre);
    }
}

TEST(GaussKernel, ReachEndsOneBeyondTheLastWeightOfOnePercent)
{
    // σ = 1: normalised weights 0.399, 0.242, 0.054, 0.0044: the last ≥ 1 % is at 2.
    EXPECT_EQ(gaussKernel(1.0, 101).reach, 3);
    // σ = 5: 0.0798 · exp(−d²/50) ≥ 0.01 up to d = 10.
    EXPECT_EQ(gaussKernel(5.0, 4096).reach, 11);
    const TGaussKernel k = gaussKernel(1.0, 101);
    ASSERT_EQ(k.weights.size(), 7u);
    EXPECT_EQ(k.weights[3], uint32_t(std::lround(65536 / std::sqrt(2 * M_PI))));
    EXPECT_EQ(k.weights[0], k.weights[6]);
    // A kernel longer than the layer: the offsets past its ends weigh nothing.
    const TGaussKernel shortK = gaussKernel(3.0, 3);
    EXPECT_EQ(shortK.reach, 2);
    EXPECT_EQ(shortK.weights.front(), 0u);
}

TEST(GaussianBlur, RadiusZeroCopiesAndFlatAreasStayFlat)
{
    auto layer = randomLayer(20, 20, 14);
    CBlockVMTC source(*layer->image());
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, TGaussianBlurParams{0.0f}));
    expectSameImage(*layer->image(), source);

    auto flat = flatLayer(40, 40, argb(255, 90, 45, 200));
    CBlockVMTC flatSource(*flat->image());
    ASSERT_TRUE(applyFilter(flatSource, *flat, nullptr, nullptr, TGaussianBlurParams{2.5f}));
    EXPECT_EQ(flat->image()->GetPixel(20, 20), argb(255, 90, 45, 200));
    // Unlike the box blurs, the Gaussian counts only samples inside the layer: an opaque
    // edge stays opaque.
    EXPECT_EQ(flat->image()->GetPixel(0, 20), argb(255, 90, 45, 200));
    EXPECT_EQ(flat->image()->GetPixel(39, 0), argb(255, 90, 45, 200));
    EXPECT_FALSE(applyFilter(flatSource, *flat, nullptr, nullptr, TGaussianBlurParams{NAN}));
}

namespace {

// The two passes written out pixel by pixel from the description, over a work rectangle.
std::vector<uint32_t> gaussReference(const CBlockVMTC& source, float sigma, TRect work)
{
    const int32_t W = source.width(), H = source.height();
    // Weights: the normalised Gaussian over the layer-length kernel in 16.16.
    const auto weights = [&](int32_t length, int32_t& reach) {
        const int32_t c = length / 2;
        std::vector<double> k;
        double sum = 0;
        for (int32_t i = 0; i < length; ++i) {
            k.push_back(std::exp(-double(i - c) * (i - c) / (2.0 * sigma * sigma)));
            sum += k.back();
        }
        reach = 0;
        for (int32_t i = 0; i < length; ++i)
            if (k[size_t(i)] / sum >= 0.01)
                reach = std::max(reach, std::abs(i - c) + 1);
        std::vector<uint64_t> w;
        for (int32_t d = -reach; d <= reach; ++d) {
            const int32_t i = c + d;
            w.push_back(i >= 0 && i < length ? uint64_t(std::lround(k[size_t(i)] / sum * 65536))
                                             : 0);
        }
        return w;
    };
    int32_t rh = 0, rv = 0;
    const auto wh = weights(W, rh), wv = weights(H, rv);
    struct Sample {
        uint32_t p;
        uint64_t t;
    };
    // One pass over the samples inside the layer; false when there is nothing to average.
    const auto pass = [](const std::vector<Sample>& s, uint32_t& out) {
        uint64_t t = 0, a = 0, ta = 0, c[3] = {};
        for (const Sample& x : s) {
            t += x.t;
            a += x.p >> 24;
            ta += x.t * (x.p >> 24);
            for (int k = 0; k < 3; ++k)
                c[k] += x.t * (x.p >> 24) * chan(x.p, k);
        }
        if (t == 0 || a == 0 || ta == 0 || s.empty())
            return false;
        out = uint32_t(a / s.size()) << 24 | uint32_t(c[2] / ta) << 16 |
              uint32_t(c[1] / ta) << 8 | uint32_t(c[0] / ta);
        return true;
    };
    const auto inside = [&](int32_t x, int32_t y) {
        return x >= work.left && x < work.right && y >= work.top && y < work.bottom;
    };
    std::vector<uint32_t> mid(size_t(W * H), 0), out(size_t(W * H));
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
            out[size_t(y * W + x)] = source.GetPixel(x, y);
            if (!inside(x, y))
                continue;
            std::vector<Sample> s;
            for (int32_t d = -rv; d <= rv; ++d)
                if (y + d >= 0 && y + d < H)
                    s.push_back({source.GetPixel(x, y + d), wv[size_t(d + rv)]});
            uint32_t v;
            if (pass(s, v))
                mid[size_t(y * W + x)] = v;
        }
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
            if (!inside(x, y))
                continue;
            std::vector<Sample> s;
            for (int32_t d = -rh; d <= rh; ++d)
                if (x + d >= 0 && x + d < W)
                    s.push_back({mid[size_t(y * W + x + d)], wh[size_t(d + rh)]});
            uint32_t v;
            uint32_t& e = out[size_t(y * W + x)];
            if (pass(s, v))
                e = (v >> 24) ? v : (e & 0x00FFFFFFu);
        }
    return out;
}

void checkGauss(int32_t w, int32_t h, float sigma, TRect work, bool viaMask, uint32_t seed)
{
    auto layer = randomLayer(w, h, seed);
    CBlockVMTC source(*layer->image());
    if (viaMask) {
        auto mask = makeMask(w, h, 0, 0, [&](int32_t x, int32_t y) {
            return x >= work.left && x < work.right && y >= work.top && y < work.bottom ? 255 : 0;
        });
        ASSERT_TRUE(applyFilter(source, *layer, mask.get(), nullptr, TGaussianBlurParams{sigma}));
    } else {
        ASSERT_TRUE(applyFilter(source, *layer, nullptr, &work, TGaussianBlurParams{sigma}));
    }
    const std::vector<uint32_t> expected = gaussReference(source, sigma, work);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            ASSERT_EQ(layer->image()->GetPixel(x, y), expected[size_t(y * w + x)])
                << w << "×" << h << " σ " << sigma << " at " << x << ", " << y;
}

} // namespace

TEST(GaussianBlur, MatchesTwoPassesComputedPixelByPixel)
{
    // Part of the layer selected: the intermediate is transparent outside it.
    checkGauss(37, 29, 1.7f, {5, 3, 30, 25}, true, 15);
    // Several blocks wide, a preview clip, a larger reach.
    checkGauss(150, 70, 3.3f, {20, 5, 140, 66}, false, 16);
    // A kernel longer than the layer is high; a single column; a one-pixel layer.
    checkGauss(70, 9, 6.0f, {0, 0, 70, 9}, false, 17);
    checkGauss(1, 40, 2.0f, {0, 0, 1, 40}, false, 18);
    checkGauss(1, 1, 1.0f, {0, 0, 1, 1}, false, 19);
}

TEST(GaussianBlur, EveryThreadCountGivesTheOneThreadBytes)
{
    // Taller than one band, so the shares and the band edges both fall inside the picture.
    auto one = randomLayer(300, 601, 20);
    CBlockVMTC source(*one->image());
    auto mask = makeMask(300, 601, 0, 0, [](int32_t x, int32_t y) { return (x * 7 + y) % 256; });
    ASSERT_TRUE(applyGaussianBlur(source, *one, mask.get(), nullptr, TGaussianBlurParams{4.2f}, 1));
    for (int32_t threads : {2, 3, 4}) {
        auto many = randomLayer(300, 601, 20);
        ASSERT_TRUE(applyGaussianBlur(source, *many, mask.get(), nullptr,
                                      TGaussianBlurParams{4.2f}, threads));
        expectSameImage(*many->image(), *one->image());
    }
    // The threaded result is also the reference's.
    const std::vector<uint32_t> expected = gaussReference(source, 4.2f, {0, 0, 300, 601});
    EXPECT_NE(one->image()->GetPixel(150, 300), source.GetPixel(150, 300));
    auto full = randomLayer(300, 601, 20);
    ASSERT_TRUE(applyGaussianBlur(source, *full, nullptr, nullptr, TGaussianBlurParams{4.2f}, 2));
    for (int32_t y = 0; y < 601; y += 7)
        for (int32_t x = 0; x < 300; ++x)
            ASSERT_EQ(full->image()->GetPixel(x, y), expected[size_t(y * 300 + x)]) << x << ", " << y;
}

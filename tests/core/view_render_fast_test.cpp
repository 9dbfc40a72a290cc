// The fast view renderers against the one-pixel-at-a-time reference, on random geometries.
#include "core/view_kernels.h"
#include "core/view_render_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <vector>

namespace qm {

namespace {

using view::TKernels;

constexpr uint32_t kGuard = 0xDEADBEEFu;

template <typename Image> Image noiseImage(int32_t width, int32_t height, uint32_t seed)
{
    Image image(width, height);
    std::mt19937 random(seed);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.row(y)[x] = uint32_t(random());
    return image;
}

// A smooth picture: every channel a slow wave, as photographs and soft brushwork are.
TMTC smoothImage(int32_t width, int32_t height)
{
    TMTC image(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint32_t p = 0;
            for (int c = 0; c < 4; ++c) {
                const double v =
                    127.5 + 127.5 * std::sin(0.012 * (c + 1) * x + 0.015 * (4 - c) * y + 1.3 * c);
                p |= uint32_t(std::clamp(int(v), 0, 255)) << (8 * c);
            }
            image.row(y)[x] = p;
        }
    return image;
}

std::vector<TKernels> kernelsHere()
{
    std::vector<TKernels> all{TKernels::portable};
    if (view::bestKernels() == TKernels::avx2) all.push_back(TKernels::avx2);
    return all;
}

// A window with three spare pixels after every row, all holding the guard at first.
struct TWindow {
    int32_t width, height;
    std::vector<uint32_t> pixels;

    TWindow(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w + 3) * h, kGuard) {}
    TViewTarget target() { return {pixels.data(), width, height, width + 3}; }
};

struct TCase {
    float zoom, angle;
    TPointF centre;
    TBox box;
    uint32_t background;
};

// Zooms, turns, centres (on, near and off the paper) and boxes, some reaching past the window.
TCase randomCase(std::mt19937& random, float minZoom, float maxZoom, int32_t width, int32_t height,
                 const TMTC& source)
{
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    TCase c;
    c.zoom = minZoom * std::pow(maxZoom / minZoom, unit(random));
    const float turns[] = {0.0f,
                           0.0f,
                           std::numbers::pi_v<float>,
                           std::numbers::pi_v<float> / 2,
                           -std::numbers::pi_v<float> / 2,
                           0.3f,
                           -2.6f};
    c.angle = random() % 3 == 0 ? 7.0f * (unit(random) - 0.5f) : turns[random() % 7];
    c.centre = {(1.4f * unit(random) - 0.2f) * source.width(),
                (1.4f * unit(random) - 0.2f) * source.height()};
    if (random() % 4 == 0) // on whole or half pixels, where squares line up with the paper
        c.centre = {std::round(2 * c.centre.x) / 2, std::round(2 * c.centre.y) / 2};
    const int32_t x = int32_t(random() % width) - 3, y = int32_t(random() % height) - 3;
    c.box = random() % 3 == 0 ? TBox{0, 0, width, height}
                              : TBox{x, y, int32_t(random() % (width + 6)) + 1,
                                     int32_t(random() % (height + 6)) + 1};
    c.background = uint32_t(random());
    return c;
}

} // namespace

TEST(ViewRenderFast, PlainViewGivesTheReferenceBytesForAnyGeometry)
{
    std::mt19937 random(11);
    const TMTC topDown = noiseImage<TMTC>(53, 37, 1);
    const TTC bottomUp = noiseImage<TTC>(40, 61, 2);
    for (int trial = 0; trial < 1500; ++trial) {
        const TMTC& source = trial % 2 ? static_cast<const TMTC&>(bottomUp) : topDown;
        const int32_t width = 1 + int32_t(random() % 70), height = 1 + int32_t(random() % 50);
        const TCase c = randomCase(random, 0.05f, 6.0f, width, height, source);
        TWindow expected(width, height);
        RenderPlainViewReference(expected.target(), source, c.background, c.zoom, c.angle, c.box,
                                 c.centre);
        for (TKernels kernels : kernelsHere()) {
            TWindow actual(width, height);
            view::renderPlain(kernels, actual.target(), source, c.background, c.zoom, c.angle,
                              c.box, c.centre);
            ASSERT_EQ(actual.pixels, expected.pixels)
                << "trial " << trial << " zoom " << c.zoom << " angle " << c.angle << " avx2 "
                << (kernels == TKernels::avx2);
        }
    }
}

TEST(ViewRenderFast, SmoothViewAtZoomOneAndAboveGivesTheReferenceBytes)
{
    std::mt19937 random(12);
    const TMTC topDown = noiseImage<TMTC>(45, 33, 3);
    const TTC bottomUp = noiseImage<TTC>(38, 52, 4);
    TViewPyramid pyramids[2];
    pyramids[0].rebuild(topDown);
    pyramids[1].rebuild(bottomUp);
    for (int trial = 0; trial < 1500; ++trial) {
        const TMTC& source = trial % 2 ? static_cast<const TMTC&>(bottomUp) : topDown;
        const int32_t width = 1 + int32_t(random() % 60), height = 1 + int32_t(random() % 45);
        TCase c = randomCase(random, 1.0f, 5.0f, width, height, source);
        if (trial % 5 == 0) // exact enlargements, where squares fall inside one pixel
            c.zoom = float(1 + random() % 4);
        TWindow expected(width, height);
        RenderRotatedViewReference(expected.target(), source, c.background, c.zoom, c.angle, c.box,
                                   c.centre);
        for (TKernels kernels : kernelsHere()) {
            TWindow actual(width, height);
            view::renderSmooth(kernels, actual.target(), source, &pyramids[trial % 2], c.background,
                               c.zoom, c.angle, c.box, c.centre);
            ASSERT_EQ(actual.pixels, expected.pixels)
                << "trial " << trial << " zoom " << c.zoom << " angle " << c.angle;
        }
    }
}

TEST(ViewRenderFast, SmoothViewBelowOneWithoutAFittingPyramidIsTheReference)
{
    std::mt19937 random(13);
    const TMTC source = noiseImage<TMTC>(47, 31, 5);
    TViewPyramid other;
    other.rebuild(noiseImage<TMTC>(46, 31, 6)); // another size: must not be used
    for (int trial = 0; trial < 200; ++trial) {
        const TCase c = randomCase(random, 0.05f, 1.0f, 30, 20, source);
        TWindow expected(30, 20), alone(30, 20), withOther(30, 20);
        RenderRotatedViewReference(expected.target(), source, c.background, c.zoom, c.angle, c.box,
                                   c.centre);
        RenderRotatedView(alone.target(), source, c.background, c.zoom, c.angle, c.box, c.centre);
        RenderRotatedView(withOther.target(), source, other, c.background, c.zoom, c.angle, c.box,
                          c.centre);
        ASSERT_EQ(alone.pixels, expected.pixels) << trial;
        ASSERT_EQ(withOther.pixels, expected.pixels) << trial;
    }
}

TEST(ViewRenderFast, PyramidViewBelowOneKeepsBackgroundAndUniformColoursAndCloseness)
{
    // Against the exact average: the same pixels show background (found as the pixels that
    // follow a change of background); a uniform paper shows its colour exactly; elsewhere each
    // channel stays within the bounds measured for this design (a square averaged over a level
    // takes in up to one level pixel around it, and levels truncate).
    std::mt19937 random(14);
    const TMTC noise = noiseImage<TMTC>(90, 70, 7);
    const TMTC smooth = smoothImage(90, 70);
    TMTC uniform(90, 70);
    for (int32_t y = 0; y < 70; ++y)
        std::fill_n(uniform.row(y), 90, 0x80C0FF12u);
    const TMTC* sources[] = {&noise, &smooth, &uniform};
    int worst[3] = {};
    for (int s = 0; s < 3; ++s) {
        TViewPyramid pyramid;
        pyramid.rebuild(*sources[s]);
        for (int trial = 0; trial < 150; ++trial) {
            const TCase c = randomCase(random, 0.04f, 0.99f, 40, 30, *sources[s]);
            TWindow expected[2] = {TWindow(40, 30), TWindow(40, 30)};
            std::vector<TWindow> actual;
            for (int b = 0; b < 2; ++b)
                RenderRotatedViewReference(expected[b].target(), *sources[s], c.background + b,
                                           c.zoom, c.angle, c.box, c.centre);
            for (TKernels kernels : kernelsHere())
                for (int b = 0; b < 2; ++b) {
                    actual.emplace_back(40, 30);
                    view::renderSmooth(kernels, actual.back().target(), *sources[s], &pyramid,
                                       c.background + b, c.zoom, c.angle, c.box, c.centre);
                    ASSERT_EQ(actual.back().pixels, actual[b].pixels) << "kernels differ";
                }
            for (size_t i = 0; i < expected[0].pixels.size(); ++i) {
                const uint32_t e = expected[0].pixels[i], a = actual[0].pixels[i];
                const bool backgroundHere = e != expected[1].pixels[i];
                ASSERT_EQ(backgroundHere, a != actual[1].pixels[i])
                    << s << " " << trial << " " << i;
                ASSERT_EQ(e == kGuard, a == kGuard) << s << " " << trial;
                for (int k = 0; k < 4; ++k)
                    worst[s] = std::max(
                        worst[s], std::abs(int((e >> (8 * k)) & 255) - int((a >> (8 * k)) & 255)));
            }
        }
    }
    // Squares over the paper's edge average a sliver of it exactly but a whole edge level pixel
    // here: those make the largest differences.
    EXPECT_LE(worst[0], 160); // noise: neighbouring pixels are unrelated
    EXPECT_LE(worst[1], 120); // a smooth picture, whose waves are a level pixel long at 1/25
    EXPECT_EQ(worst[2], 0);   // uniform
    std::printf("largest channel difference: noise %d, smooth %d, uniform %d\n", worst[0], worst[1],
                worst[2]);
}

TEST(ViewRenderFast, PyramidViewInsideTheSmoothPaperStaysCloseToTheExactAverage)
{
    // Every square wholly on the paper (the window stays inside it at these zooms).
    std::mt19937 random(15);
    const TMTC smooth = smoothImage(600, 500);
    TViewPyramid pyramid;
    pyramid.rebuild(smooth);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    int worst = 0;
    for (int trial = 0; trial < 60; ++trial) {
        const float zoom = 0.1f * std::pow(9.9f, unit(random));
        const float angle = 7.0f * (unit(random) - 0.5f);
        const TPointF centre{280.0f + 40 * unit(random), 230.0f + 40 * unit(random)};
        TWindow expected(40, 30), actual(40, 30);
        RenderRotatedViewReference(expected.target(), smooth, 0, zoom, angle, {0, 0, 40, 30},
                                   centre);
        RenderRotatedView(actual.target(), smooth, pyramid, 0, zoom, angle, {0, 0, 40, 30}, centre);
        for (size_t i = 0; i < expected.pixels.size(); ++i)
            for (int k = 0; k < 4; ++k)
                worst = std::max(worst, std::abs(int((expected.pixels[i] >> (8 * k)) & 255) -
                                                 int((actual.pixels[i] >> (8 * k)) & 255)));
    }
    EXPECT_LE(worst, 40); // waves of 130 pixels; a level pixel of 16 takes in more of them
    std::printf("inside a smooth paper: largest channel difference %d\n", worst);
}

TEST(ViewRenderFast, PyramidViewAtAlignedHalvingsIsWithinOneOfTheExactAverage)
{
    // Zoom 1/2^k, unrotated, window pixels on level pixels: each window pixel is one level
    // pixel. Each halving truncates a mean of four, losing less than 3/4 of a unit, so level k
    // lies at most floor(3k / 4) below the exact mean: exact at 1/2, within 1 at 1/4 and 1/8.
    const TMTC source = noiseImage<TMTC>(256, 192, 8);
    TViewPyramid pyramid;
    pyramid.rebuild(source);
    for (int k = 1; k <= 6; ++k) {
        const float zoom = 1.0f / float(1 << k);
        const int32_t width = 256 >> k, height = 192 >> k;
        TWindow expected(width, height), actual(width, height);
        RenderRotatedViewReference(expected.target(), source, 0, zoom, 0.0f, {0, 0, width, height},
                                   {128.0f, 96.0f});
        RenderRotatedView(actual.target(), source, pyramid, 0, zoom, 0.0f, {0, 0, width, height},
                          {128.0f, 96.0f});
        int worst = 0;
        for (size_t i = 0; i < expected.pixels.size(); ++i)
            for (int c = 0; c < 4; ++c) {
                const int e = int((expected.pixels[i] >> (8 * c)) & 255);
                const int a = int((actual.pixels[i] >> (8 * c)) & 255);
                EXPECT_LE(a, e) << "truncation only ever lowers";
                worst = std::max(worst, e - a);
            }
        EXPECT_LE(worst, 3 * k / 4) << "1/" << (1 << k);
        std::printf("zoom 1/%d: largest channel difference %d\n", 1 << k, worst);
    }
}

} // namespace qm

#include "core/view_render.h"

#include "core/scale_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace qm {

namespace {

constexpr uint32_t kGuard = 0xDEADBEEFu;
constexpr uint32_t kBackground = 0xFF102030u;

TMTC noiseImage(int32_t width, int32_t height)
{
    TMTC image(width, height);
    uint32_t seed = 7;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.row(y)[x] = seed = seed * 1664525u + 1013904223u;
    return image;
}

// A window picture with three spare pixels after every row, all holding the guard at first.
struct TWindow {
    int32_t width, height;
    std::vector<uint32_t> pixels;

    TWindow(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w + 3) * h, kGuard) {}
    TViewTarget target() { return {pixels.data(), width, height, width + 3}; }
    uint32_t& at(int32_t x, int32_t y) { return pixels[size_t(y) * (width + 3) + x]; }
};

using TRenderer = void (*)(const TViewTarget&, const TMTC&, uint32_t, float, float, const TBox&,
                           TPointF);
constexpr TRenderer kBothViews[] = {RenderPlainView, RenderRotatedView};

// The smooth view one pixel at a time, straight from the geometry in the header, every square
// through the area sampler.
void referenceSmoothView(TWindow& window, const TMTC& source, float zoom, float angle,
                         TPointF centre)
{
    TMTC unused(1, 1);
    CScaleImageTMTC sampler(source, unused);
    const int64_t step = int64_t(65536.0 / double(zoom));
    const int64_t c = std::llround(std::cos(double(angle)) * 65536.0);
    const int64_t s = std::llround(std::sin(double(angle)) * 65536.0);
    for (int32_t y = 0; y < window.height; ++y)
        for (int32_t x = 0; x < window.width; ++x) {
            const int64_t a = ((int64_t(x) * 65536 + 32768 - window.width * 32768) * step) >> 16;
            const int64_t b = ((int64_t(y) * 65536 + 32768 - window.height * 32768) * step) >> 16;
            const int64_t x0 = ((a * c - b * s) >> 16) + int64_t(centre.x * 65536.0) - step / 2;
            const int64_t y0 = ((a * s + b * c) >> 16) + int64_t(centre.y * 65536.0) - step / 2;
            uint8_t mean[4];
            window.at(x, y) = kBackground;
            if (sampler.SampleArea(mean, x0, y0, x0 + step, y0 + step))
                std::memcpy(&window.at(x, y), mean, 4);
        }
}

} // namespace

TEST(ViewRender, AlignedHundredPercentCopiesOnlyTheBoxInBothViews)
{
    const TMTC source = noiseImage(3, 6);
    for (TRenderer render : kBothViews) {
        TWindow window(6, 4);
        // Centre (width/2 − 2, height/2 − 1): window (x, y) shows paper (x − 2, y − 1), so the
        // source has background above, left and right of it. The box runs past the right edge.
        render(window.target(), source, kBackground, 1.0f, 0.0f, {1, 0, 100, 3}, {1.0f, 1.0f});
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 9; ++x) {
                const bool inBox = x >= 1 && x < 6 && y < 3;
                const bool onSource = x >= 2 && x < 5 && y >= 1;
                const uint32_t expected = !inBox     ? kGuard
                                          : onSource ? source.pixel(x - 2, y - 1)
                                                     : kBackground;
                EXPECT_EQ(window.at(x, y), expected) << x << "," << y;
            }
    }
}

TEST(ViewRender, IntegerZoomRepeatsEachPixel)
{
    const TMTC source = noiseImage(4, 3);
    // The source's centre on the window's: window (x, y) shows (x / n, y / n). A 2 × 2 square
    // lies inside one source pixel, so the smooth view agrees at zoom 2.
    for (int32_t n : {2, 3, 4})
        for (TRenderer render : kBothViews) {
            if (n != 2 && render == kBothViews[1]) continue;
            TWindow window(4 * n, 3 * n);
            render(window.target(), source, kBackground, float(n), 0.0f, {0, 0, 4 * n, 3 * n},
                   {2.0f, 1.5f});
            for (int32_t y = 0; y < window.height; ++y)
                for (int32_t x = 0; x < window.width; ++x)
                    ASSERT_EQ(window.at(x, y), source.pixel(x / n, y / n))
                        << n << ":" << x << "," << y;
        }
}

TEST(ViewRender, HalfZoomAveragesTwoByTwoBlocksTruncating)
{
    // One 2 × 2 block per window pixel; the blue means are 1.75 and 0.25, the red 254.5.
    TMTC source(4, 2);
    const uint32_t rows[2][4] = {{0xFFFF0001u, 0xFFFF0002u, 0xFF000000u, 0xFF000000u},
                                 {0xFFFE0002u, 0xFFFE0002u, 0xFF000001u, 0xFF000000u}};
    for (int32_t y = 0; y < 2; ++y)
        std::memcpy(source.row(y), rows[y], sizeof rows[y]);
    TWindow window(2, 1);
    RenderRotatedView(window.target(), source, kBackground, 0.5f, 0.0f, {0, 0, 2, 1}, {2.0f, 1.0f});
    EXPECT_EQ(window.at(0, 0), 0xFFFE0001u);
    EXPECT_EQ(window.at(1, 0), 0xFF000000u);
    // The plain view takes the pixel under each square's centre: the block's lower right one.
    RenderPlainView(window.target(), source, kBackground, 0.5f, 0.0f, {0, 0, 2, 1}, {2.0f, 1.0f});
    EXPECT_EQ(window.at(0, 0), 0xFFFE0002u);
}

TEST(ViewRender, QuarterTurnMapsAnAsymmetricPicture)
{
    // A B C
    // D E F      Window (x, y) shows R(x − 0.5, y − 1) + (1.5, 1) = (1.5 − (y − 1), 1 + x − 0.5).
    TMTC source(3, 2);
    for (uint32_t i = 0; i < 6; ++i)
        source.row(int32_t(i / 3))[i % 3] = 0xFF0000A0u + 0x10u * i;
    const uint32_t A = 0xFF0000A0u, B = A + 0x10, C = A + 0x20, D = A + 0x30, E = A + 0x40,
                   F = A + 0x50;
    const uint32_t expected[3][2] = {{C, F}, {B, E}, {A, D}};
    for (TRenderer render : kBothViews) {
        TWindow window(2, 3);
        render(window.target(), source, kBackground, 1.0f, std::numbers::pi_v<float> / 2,
               {0, 0, 2, 3}, {1.5f, 1.0f});
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 2; ++x)
                EXPECT_EQ(window.at(x, y), expected[y][x]) << x << "," << y;
    }
}

TEST(ViewRender, SmoothViewMatchesTheSamplerPixelByPixel)
{
    // Squares over the source's edges included; rendered in pieces, so rows are walked from
    // inside the window too.
    const TMTC source = noiseImage(40, 30);
    for (float zoom : {0.3f, 0.5f, 0.77f, 1.0f, 1.7f, 3.0f})
        for (float angle : {0.0f, 0.3f, 2.5f, -1.2f})
            for (TPointF centre : {TPointF{20.3f, 14.1f}, TPointF{3.0f, 2.0f}}) {
                TWindow expected(37, 29), actual(37, 29);
                referenceSmoothView(expected, source, zoom, angle, centre);
                for (const TBox& box :
                     {TBox{0, 0, 37, 10}, TBox{13, 10, 99, 99}, TBox{0, 10, 13, 19}})
                    RenderRotatedView(actual.target(), source, kBackground, zoom, angle, box,
                                      centre);
                ASSERT_EQ(actual.pixels, expected.pixels) << zoom << " " << angle;
            }
}

TEST(ViewRender, BadArgumentsNeverCrash)
{
    const TMTC source = noiseImage(4, 4);
    for (TRenderer render : kBothViews) {
        TWindow window(4, 4);
        // A meaningless zoom or an empty source shows background; unusable targets stay as they
        // are.
        render(window.target(), source, kBackground, NAN, 0.0f, {0, 0, 2, 2}, {2.0f, 2.0f});
        render(window.target(), TMTC(), kBackground, 1.0f, 0.0f, {2, 2, 2, 2}, {2.0f, 2.0f});
        TViewTarget shortStride = window.target();
        shortStride.stride = 2;
        render(shortStride, source, 0, 1.0f, 0.0f, {0, 0, 4, 4}, {2.0f, 2.0f});
        render(TViewTarget{}, source, 0, 1.0f, 0.0f, {0, 0, 4, 4}, {2.0f, 2.0f});
        EXPECT_EQ(window.at(0, 0), kBackground);
        EXPECT_EQ(window.at(3, 3), kBackground);
        EXPECT_EQ(window.at(3, 0), kGuard);
        // Extreme zooms and centres stay within the arithmetic.
        render(window.target(), source, kBackground, 1e-30f, 1.0f, {0, 0, 4, 4}, {1e30f, -1e30f});
        render(window.target(), source, kBackground, 1e30f, 1.0f, {0, 0, 4, 4}, {2.0f, 2.0f});
    }
}

} // namespace qm

#include "layers/blend_modes.h"
#include "layers/composite_rows.h"

#include "blend_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace qm;

namespace {

// Every (d, s) byte pair lands on the red channel; the other two channels vary alongside so
// the whole-colour modes see many hues.
uint32_t pixelFor(int d, int s)
{
    return 0x80000000u | uint32_t(d) << 16 | uint32_t((d * 7 + s * 3 + 13) & 255) << 8 |
           uint32_t(255 - d);
}

uint32_t sourceFor(int d, int s, uint32_t alpha)
{
    return alpha << 24 | uint32_t(s) << 16 | uint32_t((s * 11 + d + 5) & 255) << 8 |
           uint32_t((s + 128 + d / 3) & 255);
}

} // namespace

TEST(BlendModes, Mul255IsExactDivisionBy255)
{
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b)
            ASSERT_EQ(Mul255(a, b), uint32_t(MulTable[a][b])) << a << "," << b;
}

TEST(BlendModes, PaintFnOfEveryModeMatchesTheFormulas)
{
    for (int mode = 0; mode < kBlendModeCount; ++mode) {
        const PaintFn fn = paintFnOf(uint32_t(mode));
        ASSERT_NE(fn, nullptr);
        for (uint32_t a : {0u, 1u, 64u, 128u, 200u, 254u, 255u})
            for (int d = 0; d < 256; ++d)
                for (int s = 0; s < 256; ++s) {
                    uint32_t p = pixelFor(d, s);
                    const uint32_t c = sourceFor(d, s, 0x12);
                    fn(&p, c, a);
                    ASSERT_EQ(p, reference::paint(mode, pixelFor(d, s), c, a))
                        << "mode " << mode << " a " << a << " d " << d << " s " << s;
                }
    }
    EXPECT_EQ(paintFnOf(22), nullptr);
    EXPECT_EQ(paintFnOf(0x80 | 3), paintFnOf(3)); // only the low seven bits count
}

// The row kernels, both builds, over every (d, s) pair, for several opacities and source
// alphas; rows of odd lengths so every vector tail is exercised.
TEST(BlendModes, CompositeRowsOfEveryModeMatchTheFormulas)
{
    std::vector<uint32_t> base(256 * 256), source(256 * 256);
    for (int mode = 0; mode < kBlendModeCount; ++mode)
        for (uint32_t opacity : {0u, 1u, 128u, 255u})
            for (uint32_t alpha : {0u, 3u, 100u, 255u}) {
                for (int d = 0; d < 256; ++d)
                    for (int s = 0; s < 256; ++s) {
                        base[size_t(d * 256 + s)] = pixelFor(d, s);
                        source[size_t(d * 256 + s)] = sourceFor(d, s, (alpha + uint32_t(s)) & 255);
                    }
                std::vector<uint32_t> expected(base.size());
                for (size_t i = 0; i < base.size(); ++i)
                    expected[i] = reference::composite(mode, base[i], source[i], opacity);
                for (bool avx2 : {false, true}) {
                    if (avx2 && !cpuHasAvx2())
                        continue;
                    const CompositeRowFn row = avx2 ? compositeRowAvx2(uint32_t(mode))
                                                    : compositeRowPortable(uint32_t(mode));
                    std::vector<uint32_t> got(base);
                    for (size_t start = 0; start < got.size(); start += 257)
                        row(got.data() + start, source.data() + start,
                            int32_t(std::min<size_t>(257, got.size() - start)), opacity);
                    ASSERT_EQ(got, expected) << "mode " << mode << " opacity " << opacity
                                             << " alpha " << alpha << " avx2 " << avx2;
                    // The rectangle kernels: the same pixels as 256 rows of 256, and as
                    // 2048 rows of 32 (a block's width) read with a stride of 32.
                    const CompositeRectFn rect = avx2 ? compositeRectAvx2(uint32_t(mode))
                                                      : compositeRectPortable(uint32_t(mode));
                    for (int32_t width : {256, 32}) {
                        std::vector<uint32_t> byRect(base);
                        rect(byRect.data(), width, source.data(), width, width,
                             int32_t(byRect.size()) / width, opacity);
                        ASSERT_EQ(byRect, expected) << "rect mode " << mode << " width " << width;
                    }
                }
            }
}

TEST(BlendModes, FillRowsMatchThePerPixelComposite)
{
    std::vector<uint32_t> base(300);
    for (size_t i = 0; i < base.size(); ++i)
        base[i] = pixelFor(int(i & 255), int((i * 37) & 255));
    for (int mode = 0; mode < kBlendModeCount; ++mode)
        for (uint32_t fill : {0x00FFFFFFu, 0x80123456u, 0xFF7F7F7Fu, 0xFFFF0000u})
            for (uint32_t opacity : {1u, 77u, 255u})
                for (bool avx2 : {false, true}) {
                    if (avx2 && !cpuHasAvx2())
                        continue;
                    std::vector<uint32_t> got(base);
                    (avx2 ? compositeFillRowAvx2(uint32_t(mode))
                          : compositeFillRowPortable(uint32_t(mode)))(got.data(), fill, 299,
                                                                      opacity);
                    for (size_t i = 0; i < 299; ++i)
                        ASSERT_EQ(got[i], reference::composite(mode, base[i], fill, opacity))
                            << "mode " << mode << " at " << i;
                    EXPECT_EQ(got[299], base[299]); // nothing past the end
                }
}

namespace {

constexpr int32_t kGuard = 16;
constexpr uint32_t kSentinel = 0xDEADBEEFu;

// A row of n destination pixels between two guards of sentinels; the source row beside it.
struct TGuardedRow {
    std::vector<uint32_t> dest, source;
    uint32_t* start() { return dest.data() + kGuard; }
};

TGuardedRow guardedRow(int32_t n, uint32_t seed)
{
    TGuardedRow row;
    row.dest.assign(size_t(n + 2 * kGuard), kSentinel);
    // Opaque pixels past the source's end, so that a kernel which reads on also writes on.
    row.source.assign(size_t(n + kGuard), 0xFF5A5A5Au);
    for (int32_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int d = int(seed >> 8) & 255, s = int(seed >> 20) & 255;
        // Source alphas 0, 255 and in between, so that every branch of the formulas runs.
        const uint32_t alpha = i % 5 == 0 ? 0 : i % 5 == 1 ? 255 : (seed >> 3) & 255;
        row.dest[size_t(kGuard + i)] = pixelFor(d, s);
        row.source[size_t(i)] = sourceFor(d, s, alpha);
    }
    return row;
}

// Every pixel of the row is expected(i); every sentinel is untouched.
template <typename Expected>
void expectGuardedRow(const std::vector<uint32_t>& dest, int32_t n, Expected&& expected,
                      const std::string& what)
{
    for (int32_t i = 0; i < int32_t(dest.size()); ++i) {
        const bool inside = i >= kGuard && i < kGuard + n;
        ASSERT_EQ(dest[size_t(i)], inside ? expected(i - kGuard) : kSentinel)
            << what << " length " << n << " at " << i - kGuard;
    }
}

} // namespace

// Every kernel (both builds and the one the processor gets), at every length from one pixel to
// past four vectors, against the per-pixel formulas, writing nothing before or after the row.
TEST(BlendModes, EveryKernelOfEveryModeMatchesTheFormulasAtEveryLengthAndStaysInside)
{
    for (int mode = 0; mode < kBlendModeCount; ++mode) {
        const uint32_t m = uint32_t(mode);
        std::vector<std::pair<std::string, CompositeRowFn>> rows = {
            {"row portable", compositeRowPortable(m)}, {"row dispatched", compositeRowOf(m)}};
        std::vector<std::pair<std::string, CompositeRectFn>> rects = {
            {"rect portable", compositeRectPortable(m)}, {"rect dispatched", compositeRectOf(m)}};
        std::vector<std::pair<std::string, CompositeFillRowFn>> fills = {
            {"fill portable", compositeFillRowPortable(m)},
            {"fill dispatched", compositeFillRowOf(m)}};
        if (cpuHasAvx2()) {
            rows.push_back({"row avx2", compositeRowAvx2(m)});
            rects.push_back({"rect avx2", compositeRectAvx2(m)});
            fills.push_back({"fill avx2", compositeFillRowAvx2(m)});
        }
        for (uint32_t opacity : {255u, 137u})
            for (int32_t n = 1; n <= 130; ++n) {
                const std::string where =
                    "mode " + std::to_string(mode) + " opacity " + std::to_string(opacity) + " ";
                const TGuardedRow input = guardedRow(n, uint32_t(n * 977 + mode));
                auto expected = [&](int32_t i) {
                    return reference::composite(mode, input.dest[size_t(kGuard + i)],
                                                input.source[size_t(i)], opacity);
                };
                for (const auto& [name, fn] : rows) {
                    TGuardedRow row = input;
                    fn(row.start(), row.source.data(), n, opacity);
                    expectGuardedRow(row.dest, n, expected, where + name);
                }
                // Two rows of the rectangle, each between its own guards, read with different
                // strides for the picture and the source.
                for (const auto& [name, fn] : rects) {
                    const ptrdiff_t destStride = n + 2 * kGuard, sourceStride = n + 3;
                    std::vector<uint32_t> dest(size_t(2 * destStride));
                    std::vector<uint32_t> source(size_t(2 * sourceStride), 0xFF000000u);
                    for (int r = 0; r < 2; ++r) {
                        std::copy(input.dest.begin(), input.dest.end(),
                                  dest.begin() + r * destStride);
                        std::copy_n(input.source.begin(), n, source.begin() + r * sourceStride);
                    }
                    fn(dest.data() + kGuard, destStride, source.data(), sourceStride, n, 2,
                       opacity);
                    for (int r = 0; r < 2; ++r)
                        expectGuardedRow(
                            {dest.begin() + r * destStride, dest.begin() + (r + 1) * destStride}, n,
                            expected, where + name + " row " + std::to_string(r));
                }
                const uint32_t fill = input.source[size_t(n / 2)] | (n % 3 == 0 ? 0xFF000000u : 0);
                for (const auto& [name, fn] : fills) {
                    TGuardedRow row = input;
                    fn(row.start(), fill, n, opacity);
                    expectGuardedRow(
                        row.dest, n,
                        [&](int32_t i) {
                            return reference::composite(mode, input.dest[size_t(kGuard + i)], fill,
                                                        opacity);
                        },
                        where + name);
                }
                if (HasFatalFailure()) return;
            }
    }
}

TEST(BlendModes, EdgeCasesOfTheFormulas)
{
    using namespace blend;
    for (uint32_t s = 0; s < 256; ++s) {
        EXPECT_EQ(channelBlend<BlendMode::Screen>(255, s), 255u);
        EXPECT_EQ(channelBlend<BlendMode::Screen>(0, s), s);
        EXPECT_EQ(channelBlend<BlendMode::Burn>(255, 0), 255u);
        if (s < 255) {
            EXPECT_EQ(channelBlend<BlendMode::Burn>(s, 0), 0u);
        }
        EXPECT_EQ(channelBlend<BlendMode::Dodge>(s, 255), s == 0 ? 0u : 255u);
    }
    EXPECT_EQ(channelBlend<BlendMode::LinearLight>(0, 128), 0u);
    EXPECT_EQ(channelBlend<BlendMode::LinearLight>(128, 128), 128u);
    EXPECT_EQ(softLightCurve(0), 0);
    EXPECT_EQ(softLightCurve(255), 255);
    // A grey keeps its luma whatever saturation is asked for.
    for (int32_t S : {0, 1, 128, 255})
        EXPECT_EQ(SetSatLum(0x40808080u, S, 77), 0x404D4D4Du);
}

// A blended channel outside 0..255 would spill into its neighbours.
TEST(BlendModes, SeparableResultsStayInsideAByte)
{
    for (int mode : {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 19, 20, 21})
        for (int d = 0; d < 256; ++d)
            for (int s = 0; s < 256; ++s) {
                const int f = reference::separable(mode, d, s);
                ASSERT_TRUE(f >= 0 && f <= 255) << "mode " << mode << " d " << d << " s " << s;
            }
}

TEST(BlendModes, TransparentSourcesAndZeroOpacityChangeNothing)
{
    for (int mode = 0; mode < kBlendModeCount; ++mode) {
        const CompositeFn fn = compositeFnOf(uint32_t(mode));
        for (uint32_t p : {0xFF123456u, 0x00000000u, 0x80FFFFFFu}) {
            uint32_t q = p;
            fn(&q, 0x00ABCDEFu, 255); // pixel alpha 0
            EXPECT_EQ(q, p) << mode;
            fn(&q, 0xFFABCDEFu, 0); // opacity 0
            EXPECT_EQ(q, p) << mode;
        }
    }
}

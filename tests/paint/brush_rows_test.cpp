#include "paint/brush_rows.h"

#include "core/pixel_math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

namespace qm {

namespace {

constexpr size_t kGuard = 16;
// Opaque, so that a row which runs on past its end would take it for more of the row.
constexpr uint32_t kSentinel = 0xFFADBEEFu;

// The mixing rule per colour byte: P ← (C·w·32897 + P·(8388735 − w·32897)) >> 23; alpha kept.
uint32_t mixByHand(uint32_t p, uint32_t c, uint32_t w)
{
    uint32_t out = p & 0xFF000000u;
    for (int shift : {0, 8, 16}) {
        const uint64_t cb = (c >> shift) & 0xFF, pb = (p >> shift) & 0xFF;
        out |= uint32_t((cb * w * 32897 + pb * (8388735 - uint64_t(w) * 32897)) >> 23) << shift;
    }
    return out;
}

// The "over" blend: weight 0 keeps the pixel, 255 makes it the opaque colour; an opaque pixel
// is mixed; otherwise A' = A + a·(255 − A) (truncated product) and the colour is mixed in by
// a × 255 / A'.
uint32_t overByHand(uint32_t p, uint32_t c, uint32_t a)
{
    if (a == 0) return p;
    if (a == 255) return 0xFF000000u | (c & 0xFFFFFFu);
    const uint32_t A = p >> 24;
    if (A == 255) return mixByHand(p, c, a);
    const uint32_t grown = A + a * (255 - A) / 255;
    return grown << 24 | (mixByHand(p, c, a * 255 / grown) & 0xFFFFFFu);
}

// Random pixels of every kind of alpha and weights with many 0s and 255s.
struct TRowInput {
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> weights;
    uint32_t colour;
};

TRowInput randomRow(std::mt19937& rng, int32_t n)
{
    TRowInput in;
    in.pixels.resize(size_t(n));
    in.weights.resize(size_t(n));
    for (auto& p : in.pixels) {
        const uint32_t pick = rng() % 4;
        const uint32_t alpha = pick == 0 ? 255 : pick == 1 ? 0 : rng() & 0xFF;
        p = alpha << 24 | (rng() & 0xFFFFFF);
    }
    for (auto& w : in.weights)
        w = uint8_t(rng() % 4 == 0 ? (rng() % 2) * 255 : rng());
    in.colour = rng(); // the colour's alpha byte must not matter
    return in;
}

using RowFn = void (*)(uint32_t*, const uint8_t*, uint32_t, int32_t);

// Runs fn on the row between two guards of sentinels; each pixel must be what perPixel gives
// and every sentinel must survive.
void expectRowByHand(const char* name, RowFn fn, uint32_t (*perPixel)(uint32_t, uint32_t, uint32_t),
                     const TRowInput& in)
{
    const size_t n = in.pixels.size();
    std::vector<uint32_t> row(kGuard + n + kGuard, kSentinel);
    std::copy(in.pixels.begin(), in.pixels.end(), row.begin() + kGuard);
    fn(row.data() + kGuard, in.weights.data(), in.colour, int32_t(n));
    for (size_t i = 0; i < row.size(); ++i) {
        const bool inside = i >= kGuard && i < kGuard + n;
        const uint32_t want =
            inside ? perPixel(in.pixels[i - kGuard], in.colour, in.weights[i - kGuard]) : kSentinel;
        ASSERT_EQ(row[i], want) << name << " length " << n << " at "
                                << int64_t(i) - int64_t(kGuard);
    }
}

} // namespace

TEST(BrushRows, EveryMixVariantMatchesTheMixingRuleAtEveryLengthAndStaysInside)
{
    std::vector<std::pair<const char*, RowFn>> variants = {{"portable", &mixColourRowPortable},
                                                           {"dispatched", &mixColourRow}};
    if (cpuHasAvx2()) variants.push_back({"avx2", &mixColourRowAvx2});
    std::mt19937 rng(7);
    for (int32_t n = 1; n <= 130; ++n) {
        const TRowInput in = randomRow(rng, n);
        for (const auto& [name, fn] : variants)
            expectRowByHand(name, fn, &mixByHand, in);
        if (HasFatalFailure()) return;
    }
}

TEST(BrushRows, BlendOverRowMatchesTheOverRuleAtEveryLengthAndStaysInside)
{
    std::mt19937 rng(11);
    for (int32_t n = 1; n <= 130; ++n) {
        // Runs of opaque pixels (the vector path) broken by transparent and half ones.
        TRowInput in = randomRow(rng, n);
        for (int32_t i = 0; i < n; ++i)
            if ((i / 11) % 2 == 0) in.pixels[size_t(i)] |= 0xFF000000u;
        expectRowByHand("blendOverRow", &blendOverRow, &overByHand, in);
        if (HasFatalFailure()) return;
    }
}

} // namespace qm

#include "filters/cloud_rock.h"

#include "filters/filter_random.h"
#include "filters/gauss_blur.h"
#include "filters/generator_paint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace qm {

namespace {

// The cosine ramp r(t) = ⌊256·(1 − cos(π·t/256))/2⌋ that eases between grid cells.
const std::array<uint32_t, 256>& cosineRamp()
{
    static const std::array<uint32_t, 256> ramp = [] {
        std::array<uint32_t, 256> r{};
        for (int t = 0; t < 256; ++t)
            r[size_t(t)] = uint32_t(std::floor(256.0 * (1.0 - std::cos(std::numbers::pi * t / 256.0)) / 2.0));
        return r;
    }();
    return ramp;
}

inline int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

inline uint32_t ease(uint32_t a, uint32_t b, uint32_t r)
{
    return (a * (256 - r) + b * r) >> 8;
}

// The 16.16 positions of the pattern's columns (or rows) in a grid of `cells` cells.
struct TGridAxis {
    std::vector<uint32_t> cell, next, ramp;
};
TGridAxis gridAxis(int32_t length, int32_t cells)
{
    TGridAxis axis;
    const auto& r = cosineRamp();
    for (int32_t i = 0; i < length; ++i) {
        const uint64_t pos = (uint64_t(i) * uint64_t(cells) << 16) / uint64_t(length);
        const uint32_t c = uint32_t(pos >> 16);
        axis.cell.push_back(c);
        axis.next.push_back((c + 1) % uint32_t(cells)); // the grid wraps around
        axis.ramp.push_back(r[(pos >> 8) & 0xFF]);
    }
    return axis;
}

// out = clamp(out + w·(v − 128)/255) along a row (the offsets v − 128 given), truncating the
// product's quotient towards zero. Small weights stay in 32 bits, where the loop vectorises.
void addOctaveRow(uint8_t* out, const int32_t* offsets, int32_t n, int64_t weight)
{
    if (weight >= -8000000 && weight <= 8000000) {
        const int32_t w = int32_t(weight);
        for (int32_t x = 0; x < n; ++x)
            out[x] = uint8_t(std::clamp(int32_t(out[x]) + w * offsets[x] / 255, 0, 255));
        return;
    }
    for (int32_t x = 0; x < n; ++x)
        out[x] = uint8_t(std::clamp<int64_t>(int64_t(out[x]) + weight * offsets[x] / 255, 0, 255));
}

} // namespace

TCloudPattern cloudOctaves(int32_t width, int32_t height, int32_t contrast,
                           int32_t contrastScale, uint32_t seed)
{
    TCloudPattern pattern;
    pattern.width = std::max(width, 1);
    pattern.height = std::max(height, 1);
    const int32_t W = pattern.width, H = pattern.height;
    pattern.values.assign(size_t(W) * size_t(H), uint8_t(128));
    TFilterRandom random(seed);
    const int32_t divisors[] = {64, 32, 16, 8, 3};
    const int64_t weightDivisors[] = {2, 3, 4, 8, 12};
    std::vector<uint8_t> grid, eased;
    std::vector<int32_t> column(static_cast<size_t>(W));
    for (int octave = 0; octave < 5; ++octave) {
        const int32_t gw = std::max(W / divisors[octave], 1);
        const int32_t gh = std::max(H / divisors[octave], 1);
        const int64_t weight =
            floorDiv(int64_t(255) * contrast, int64_t(contrastScale) * weightDivisors[octave]);
        grid.resize(size_t(gw) * size_t(gh));
        for (uint8_t& g : grid)
            g = uint8_t(random.range(0, 256));
        const TGridAxis ax = gridAxis(W, gw), ay = gridAxis(H, gh);
        // Every grid row eased along x once; the pixel rows then only ease between two of them.
        eased.resize(size_t(gh) * size_t(W));
        for (int32_t gy = 0; gy < gh; ++gy) {
            const uint8_t* g = grid.data() + size_t(gy) * size_t(gw);
            uint8_t* e = eased.data() + size_t(gy) * size_t(W);
            for (int32_t x = 0; x < W; ++x)
                e[x] = uint8_t(ease(g[ax.cell[size_t(x)]], g[ax.next[size_t(x)]], ax.ramp[size_t(x)]));
        }
        for (int32_t y = 0; y < H; ++y) {
            const uint8_t* top = eased.data() + size_t(ay.cell[size_t(y)]) * size_t(W);
            const uint8_t* bottom = eased.data() + size_t(ay.next[size_t(y)]) * size_t(W);
            const uint32_t ry = ay.ramp[size_t(y)];
            uint8_t* out = pattern.values.data() + size_t(y) * size_t(W);
            for (int32_t x = 0; x < W; ++x)
                column[size_t(x)] = int32_t(ease(top[x], bottom[x], ry)) - 128;
            addOctaveRow(out, column.data(), W, weight);
        }
    }
    // The finest octave is one byte per pixel at the fixed weight ⌊255·0.125⌋ = 31.
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x)
            column[size_t(x)] = random.range(0, 256) - 128;
        addOctaveRow(pattern.values.data() + size_t(y) * size_t(W), column.data(), W, 31);
    }
    return pattern;
}

TCloudPattern cloudOctavesReference(int32_t width, int32_t height, int32_t contrast,
                           int32_t contrastScale, uint32_t seed)
{
    TCloudPattern pattern;
    pattern.width = std::max(width, 1);
    pattern.height = std::max(height, 1);
    const int32_t W = pattern.width, H = pattern.height;
    pattern.values.assign(size_t(W) * size_t(H), uint8_t(128));
    TFilterRandom random(seed);
    // Coarse to fine; the last octave is one random byte per pixel at a fixed weight.
    const int32_t divisors[] = {64, 32, 16, 8, 3};
    const int64_t weightDivisors[] = {2, 3, 4, 8, 12};
    std::vector<uint8_t> grid;
    std::vector<int32_t> row(size_t(W));
    for (int octave = 0; octave < 6; ++octave) {
        const bool full = octave == 5;
        const int32_t gw = full ? W : std::max(W / divisors[octave], 1);
        const int32_t gh = full ? H : std::max(H / divisors[octave], 1);
        // ⌊255·c·k⌋ with c = contrast/scale and k = 1/divisor, exactly in integers.
        const int64_t weight =
            full ? int64_t(255 * 0.125)
                 : floorDiv(int64_t(255) * contrast, int64_t(contrastScale) * weightDivisors[octave]);
        grid.resize(size_t(gw) * size_t(gh));
        for (uint8_t& g : grid)
            g = uint8_t(random.range(0, 256));
        const TGridAxis ax = gridAxis(W, gw), ay = gridAxis(H, gh);
        for (int32_t y = 0; y < H; ++y) {
            const uint8_t* top = grid.data() + size_t(ay.cell[size_t(y)]) * size_t(gw);
            const uint8_t* bottom = grid.data() + size_t(ay.next[size_t(y)]) * size_t(gw);
            const uint32_t ry = ay.ramp[size_t(y)];
            uint8_t* out = pattern.values.data() + size_t(y) * size_t(W);
            for (int32_t x = 0; x < W; ++x) {
                const uint32_t c = ax.cell[size_t(x)], n = ax.next[size_t(x)], rx = ax.ramp[size_t(x)];
                const uint32_t v = ease(ease(top[c], top[n], rx), ease(bottom[c], bottom[n], rx), ry);
                const int64_t sum = int64_t(out[x]) + weight * (int64_t(v) - 128) / 255;
                out[x] = uint8_t(std::clamp<int64_t>(sum, 0, 255));
            }
        }
    }
    return pattern;
}

void blurPatternWrapped(TCloudPattern& pattern, double sigma)
{
    const int32_t W = pattern.width, H = pattern.height;
    if (W <= 0 || H <= 0)
        return;
    const TGaussKernel kh = gaussKernel(sigma, W), kv = gaussKernel(sigma, H);
    const auto wrap = [](int32_t i, int32_t n) { return ((i % n) + n) % n; };
    std::vector<uint8_t> mid(pattern.values.size());
    // Down the columns; every tap lands inside the pattern, so the weights always add up to
    // the kernel's whole sum.
    uint64_t sumV = 0;
    for (uint32_t t : kv.weights)
        sumV += t;
    uint64_t sumH = 0;
    for (uint32_t t : kh.weights)
        sumH += t;
    if (sumV == 0 || sumH == 0)
        return;
    std::vector<uint64_t> acc(static_cast<size_t>(W));
    for (int32_t y = 0; y < H; ++y) {
        std::fill(acc.begin(), acc.end(), 0);
        for (int32_t d = -kv.reach; d <= kv.reach; ++d) {
            const uint64_t t = kv.weights[size_t(d + kv.reach)];
            const uint8_t* src = pattern.values.data() + size_t(wrap(y + d, H)) * size_t(W);
            for (int32_t x = 0; x < W; ++x)
                acc[size_t(x)] += t * src[x];
        }
        for (int32_t x = 0; x < W; ++x)
            mid[size_t(y) * size_t(W) + size_t(x)] = uint8_t(acc[size_t(x)] / sumV);
    }
    // Along the rows, from a copy padded with the wrapped-around pixels on either side.
    const int32_t rh = kh.reach;
    std::vector<uint32_t> padded(size_t(W) + 2 * size_t(rh));
    for (int32_t y = 0; y < H; ++y) {
        const uint8_t* src = mid.data() + size_t(y) * size_t(W);
        for (int32_t i = 0; i < W + 2 * rh; ++i)
            padded[size_t(i)] = src[wrap(i - rh, W)];
        std::fill(acc.begin(), acc.end(), 0);
        for (int32_t d = -rh; d <= rh; ++d) {
            const uint64_t t = kh.weights[size_t(d + rh)];
            const uint32_t* p = padded.data() + (d + rh);
            for (int32_t x = 0; x < W; ++x)
                acc[size_t(x)] += t * p[x];
        }
        uint8_t* out = pattern.values.data() + size_t(y) * size_t(W);
        for (int32_t x = 0; x < W; ++x)
            out[x] = uint8_t(acc[size_t(x)] / sumH);
    }
}

uint8_t rockWeight(uint8_t g, int32_t softness)
{
    const int32_t h = softness / 2;
    const int32_t a = std::abs(int32_t(g) - 128);
    return a < h ? uint8_t(a * 255 / h) : uint8_t(255);
}

namespace {

constexpr double kPatternBlur = 1.5;

// Lays the pattern over the work rectangle from its corner; weightOf turns a pattern value
// into the foreground's weight.
template <typename WeightOf>
bool paintPattern(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                  const TRect* clip, int32_t contrast, int32_t contrastScale, int32_t width,
                  int32_t height, uint32_t seed, uint32_t background, uint32_t foreground,
                  WeightOf&& weightOf)
{
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    if (frame.empty())
        return true;
    TCloudPattern pattern = cloudOctaves(std::min(width, frame.width()),
                                         std::min(height, frame.height()), contrast,
                                         contrastScale, seed);
    blurPatternWrapped(pattern, kPatternBlur);
    // The colour of each pattern value: background at full weight, then foreground over it.
    std::array<uint32_t, 256> colourOf{};
    for (uint32_t g = 0; g < 256; ++g)
        colourOf[g] = paintOver(background, foreground, weightOf(uint8_t(g)), true) & 0x00FFFFFFu;
    TFilterFrame whole(source, layer, mask, nullptr);
    const int32_t x0 = whole.workRect().left, y0 = whole.workRect().top;
    const int32_t left = frame.workRect().left, n = frame.workRect().width();
    const bool keepAlpha = frame.protectAlpha();
    const int32_t PW = pattern.width, PH = pattern.height;
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        const uint8_t* prow = pattern.values.data() + size_t((y - y0) % PH) * size_t(PW);
        int32_t px = (left - x0) % PW;
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] != 0) {
                const uint32_t c = colourOf[prow[px]];
                // Background at weight 255 then the foreground: opaque unless alpha is kept.
                dest[i] = keepAlpha ? (dest[i] & 0xFF000000u) | c : 0xFF000000u | c;
            }
            if (++px == PW)
                px = 0;
        }
    });
}

} // namespace

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TCloudParams& p)
{
    return paintPattern(source, layer, mask, clip, p.contrast, 10, p.width, p.height, p.seed,
                        p.background, p.foreground, [](uint8_t g) { return uint32_t(g); });
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TRockParams& p)
{
    const int32_t softness = p.softness;
    return paintPattern(source, layer, mask, clip, p.contrast, 100, p.width, p.height, p.seed,
                        p.background, p.foreground,
                        [softness](uint8_t g) { return uint32_t(rockWeight(g, softness)); });
}

} // namespace qm

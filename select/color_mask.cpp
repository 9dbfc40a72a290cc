#include "select/color_mask.h"

#include "core/image_ops.h"

#include <algorithm>
#include <array>
#include <type_traits>

namespace qm {

uint32_t CColorMask::weight(uint32_t distance2, uint32_t b2)
{
    if (b2 == 0) return distance2 == 0 ? 255u : 0u;
    const double x = 1.5 - double(distance2) / double(b2);
    if (x <= 0.0) return 0;
    if (x >= 0.5) return 255;
    return uint32_t(512.0 * x);
}

uint8_t CColorMask::coverageOf(uint32_t pixel, const std::vector<TColorPick>& picks)
{
    const uint32_t g = pixel >> 24;
    int32_t d = 0;
    for (const TColorPick& pick : picks) {
        const uint32_t b2 = 2u * uint32_t(pick.range) * pick.range;
        uint32_t v = weight(ColorDistance2(pick.colour, pixel), b2);
        // A partly transparent pixel counts as nearer.
        if (v > 0 && v < 255 && g < 255) v = std::min(255u, v + v * (255 - g) / 255);
        d = pick.add ? std::min<int32_t>(d + int32_t(v), 255)
                     : std::max<int32_t>(d - int32_t(v), 0);
    }
    return uint8_t(d);
}

namespace {

// A pick made ready for the pixel loop: the weight of every squared distance D in a table.
// The weight is 255 up to D = B2 (x ≥ 0.5) and 0 from D = 1.5 · B2 on (x ≤ 0; B2 is even), so
// the table ends there and D is clamped to its end; only the entries past B2 are worked out
// with the formula.
struct TPreparedPick {
    int32_t blue = 0, green = 0, red = 0;
    bool add = true;
    uint32_t last = 0; // the table's last index, whose weight is 0
    std::vector<uint8_t> weights;

    explicit TPreparedPick(const TColorPick& pick)
        : blue(int32_t(pick.colour & 0xFF)), green(int32_t((pick.colour >> 8) & 0xFF)),
          red(int32_t((pick.colour >> 16) & 0xFF)), add(pick.add)
    {
        const uint32_t b2 = 2u * uint32_t(pick.range) * pick.range;
        last = std::max(1u, b2 + b2 / 2); // with B2 = 0 only D = 0 weighs 255
        weights.assign(size_t(last) + 1, 255);
        for (uint32_t d = b2 + 1; d <= last; ++d)
            weights[d] = uint8_t(CColorMask::weight(d, b2));
    }
};

// The coverage of a pixel whose alpha is above 1, as coverageOf gives it. The boost of a
// partly transparent pixel, v + ⌊v · (255 − alpha) / 255⌋ for 0 < v < 255, is taken for every
// v: it adds nothing to 0 or at alpha 255, and 255 stays 255 under the clamp.
inline uint8_t coverageWith(uint32_t pixel, const std::vector<TPreparedPick>& picks)
{
    const uint32_t transparency = 255 - (pixel >> 24);
    const int32_t b = int32_t(pixel & 0xFF), g = int32_t((pixel >> 8) & 0xFF),
                  r = int32_t((pixel >> 16) & 0xFF);
    int32_t d = 0;
    for (const TPreparedPick& pick : picks) {
        const int32_t db = b - pick.blue, dg = g - pick.green, dr = r - pick.red;
        const uint32_t distance2 = uint32_t(db * db + dg * dg + dr * dr);
        uint32_t v = pick.weights[std::min(distance2, pick.last)];
        v = std::min(255u, v + MulTable[v][transparency]);
        d = pick.add ? std::min(d + int32_t(v), 255) : std::max(d - int32_t(v), 0);
    }
    return uint8_t(d);
}

// One value per pixel of a block's row.
template <typename T> using TBlockRow = std::array<T, size_t(CBlockVMTC::kBlock)>;

constexpr int kSet = 0, kAdd = 1, kRemove = 2; // how a pick's weight goes into d

// The coverages of n (at most a block's width) stored pixels, the same way, a pick at a time
// over all of them: the distances in a loop the compiler can vectorise, then the table
// look-ups, with the boost only where some pixel is partly transparent.
void coveragesOf(const uint32_t* pixels, int32_t n, const std::vector<TPreparedPick>& picks,
                 TBlockRow<int32_t>& d)
{
    TBlockRow<uint32_t> distance2;
    uint32_t opaque = 0xFFu;
    for (int32_t i = 0; i < n; ++i)
        opaque &= pixels[i] >> 24;
    d.fill(0);
    bool first = true; // d is still 0: a removing pick leaves it so, an adding one sets it
    for (const TPreparedPick& pick : picks) {
        if (first && !pick.add) continue;
        const int32_t blue = pick.blue, green = pick.green, red = pick.red;
        const uint32_t last = pick.last;
        for (int32_t i = 0; i < n; ++i) {
            const int32_t db = int32_t(pixels[i] & 0xFF) - blue;
            const int32_t dg = int32_t((pixels[i] >> 8) & 0xFF) - green;
            const int32_t dr = int32_t((pixels[i] >> 16) & 0xFF) - red;
            distance2[size_t(i)] = std::min(uint32_t(db * db + dg * dg + dr * dr), last);
        }
        const uint8_t* weights = pick.weights.data();
        const auto apply = [&](auto add, auto boost) {
            for (int32_t i = 0; i < n; ++i) {
                uint32_t v = weights[distance2[size_t(i)]];
                if constexpr (decltype(boost)::value)
                    v = std::min(255u, v + MulTable[v][255 - (pixels[i] >> 24)]);
                if constexpr (decltype(add)::value == kSet)
                    d[size_t(i)] = int32_t(v);
                else if constexpr (decltype(add)::value == kAdd)
                    d[size_t(i)] = std::min(d[size_t(i)] + int32_t(v), 255);
                else
                    d[size_t(i)] = std::max(d[size_t(i)] - int32_t(v), 0);
            }
        };
        const auto withBoost = [&](auto add) {
            opaque == 0xFF ? apply(add, std::false_type{}) : apply(add, std::true_type{});
        };
        if (first)
            withBoost(std::integral_constant<int, kSet>{});
        else if (pick.add)
            withBoost(std::integral_constant<int, kAdd>{});
        else
            withBoost(std::integral_constant<int, kRemove>{});
        first = false;
    }
}

// The tallies of a result: pixels taken, those above 1 and those at 255 (the pixels below 2
// are the ones taken that are not above 1).
struct TTally {
    int64_t taken = 0, above1 = 0, full = 0;
};

// Writes the coverages of the taken pixels of a row segment (alpha above 1 and, with a mask,
// non-zero mask; the others stay 0) and counts them, in a loop without branches. alphaOf(i)
// and maskOf(i) give the pixels' alphas and the mask's bytes.
template <typename AlphaOf, typename MaskOf>
void emit(uint8_t* out, int32_t n, const TBlockRow<int32_t>& coverage, AlphaOf alphaOf,
          MaskOf maskOf, TTally& tally)
{
    int32_t taken = 0, above1 = 0, full = 0;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t s = int32_t(alphaOf(i) > 1) & int32_t(maskOf(i) != 0);
        const int32_t c = coverage[size_t(i)];
        out[i] = uint8_t(c & -s);
        taken += s;
        above1 += s & int32_t(c > 1);
        full += s & int32_t(c == 255);
    }
    tally.taken += taken;
    tally.above1 += above1;
    tally.full += full;
}

} // namespace

TColorMaskResult CColorMask::build(const CBlockVMTC& source, const std::vector<TColorPick>& picks,
                                   const CMaskData* current, TPoint maskOffset, TChannel& channel)
{
    TColorMaskResult result;
    if (!source.IsValid() || !channel.Resize(source.width(), source.height())) return result;
    fillAll(channel, 0);
    std::vector<TPreparedPick> prepared;
    prepared.reserve(picks.size());
    for (const TColorPick& pick : picks)
        prepared.emplace_back(pick);

    const int32_t w = source.width(), h = source.height();
    const int32_t block = source.blockWidth(), shift = source.blockShift();
    const bool clipped = current && current->IsValid();
    // The current mask under a band of source rows one block high: 0 outside the mask's
    // rectangle, so that only the pixels under non-zero coverage are taken.
    std::vector<uint8_t> maskBand(clipped ? size_t(w) * size_t(block) : 0);
    TBlockRow<int32_t> coverage{};
    TTally tally;

    // Block by block, each one's pixels lying together in memory.
    for (int32_t y0 = 0; y0 < h; y0 += block) {
        const int32_t rows = std::min(block, h - y0);
        if (clipped) {
            std::fill(maskBand.begin(), maskBand.end(), uint8_t(0));
            for (int32_t r = 0; r < rows; ++r)
                current->coverage->ReadRow(maskOffset.x, y0 + r + maskOffset.y, w,
                                           maskBand.data() + size_t(r) * size_t(w));
        }
        for (int32_t x0 = 0; x0 < w; x0 += block) {
            const TBlockInfo& b = *source.GetBlock(x0 >> shift, y0 >> shift);
            const int32_t n = std::min(block, w - x0);
            // One colour over a block without storage: its coverage once.
            const bool uniform = !b.allocated;
            if (uniform) {
                if ((b.fill >> 24) <= 1) continue;
                coverage.fill(coverageWith(b.fill, prepared));
            }
            for (int32_t r = 0; r < rows; ++r) {
                const uint8_t* m =
                    clipped ? maskBand.data() + size_t(r) * size_t(w) + size_t(x0) : nullptr;
                if (m && std::all_of(m, m + n, [](uint8_t v) { return v == 0; }))
                    continue; // nothing of this row segment lies under the mask
                uint8_t* out = channel.row(y0 + r) + x0;
                const uint32_t* pixels = uniform ? nullptr : source.blockRow(b, r);
                if (!uniform) coveragesOf(pixels, n, prepared, coverage);
                const uint32_t fillAlpha = b.fill >> 24;
                const auto stored = [pixels](int32_t i) { return pixels[i] >> 24; };
                const auto filled = [fillAlpha](int32_t) { return fillAlpha; };
                const auto everywhere = [](int32_t) { return uint8_t(1); };
                if (m) {
                    const auto under = [m](int32_t i) { return m[i]; };
                    uniform ? emit(out, n, coverage, filled, under, tally)
                            : emit(out, n, coverage, stored, under, tally);
                } else {
                    uniform ? emit(out, n, coverage, filled, everywhere, tally)
                            : emit(out, n, coverage, stored, everywhere, tally);
                }
            }
        }
    }
    result.above1 = tally.above1;
    result.below2 = tally.taken - tally.above1;
    result.full = tally.full;
    return result;
}

} // namespace qm

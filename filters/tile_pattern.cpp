#include "filters/tile_pattern.h"

#include "filters/generator_paint.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm {

namespace {

// Sub-pixel samples per axis for the triangles' edges (16 samples per pixel).
constexpr int32_t kSamples = 4;

int32_t floorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return int32_t(q);
}

int32_t positiveMod(int64_t a, int32_t n)
{
    const int64_t r = a % n;
    return int32_t(r < 0 ? r + n : r);
}

// The row height of triangles of side w: ⌊w·√3/2⌋, at least 1.
int32_t triangleRowHeight(int32_t w)
{
    return std::max(int32_t(std::floor(double(w) * std::sqrt(3.0) / 2.0)), 1);
}

// The colour index of the triangle holding sample point (sx, sy), both in units of
// 1/(2·kSamples) pixel. Row r holds triangles alternately pointing up (even k) and down
// (odd k); odd rows start half a side further left, so their tips meet the bases above.
int32_t triangleColour(int64_t sx, int64_t sy, int32_t w, int32_t h, int32_t n)
{
    constexpr int64_t unit = 2 * kSamples;
    const int32_t row = floorDiv(sy, unit * h);
    const int64_t ty = sy - int64_t(row) * unit * h; // 0 … unit·h − 1, down the row
    const int64_t side = unit * w;
    const int64_t x = sx + ((row & 1) ? side / 2 : 0);
    const int32_t m = floorDiv(x, side);
    const int64_t q = x - int64_t(m) * side; // 0 … side − 1 inside the up triangle's base
    // Up triangle 2m covers |q − side/2| ≤ (side/2)·ty/(unit·h) at this height.
    const int64_t off = 2 * q - side;        // 2·(q − side/2)
    int64_t k;
    if (std::abs(off) * unit * h <= side * ty)
        k = 2 * int64_t(m);
    else
        k = off < 0 ? 2 * int64_t(m) - 1 : 2 * int64_t(m) + 1;
    // Odd rows count from the triangle under the first base above (the half one sticking out
    // on the left is −1), so triangles sharing an edge never share a colour.
    if (row & 1)
        --k;
    return positiveMod(int64_t(row) + k, n);
}

} // namespace

std::array<uint32_t, 3> tileCoverage(const TTileParams& p, int32_t px, int32_t py)
{
    std::array<uint32_t, 3> coverage{0, 0, 0};
    const int32_t w = p.width, n = p.colourCount;
    if (w <= 0 || n < 2 || n > 3)
        return coverage;
    if (!p.triangles) {
        coverage[size_t(positiveMod(int64_t(floorDiv(py, w)) + floorDiv(px, w), n))] = 255;
        return coverage;
    }
    const int32_t h = triangleRowHeight(w);
    std::array<uint32_t, 3> hits{0, 0, 0};
    for (int32_t j = 0; j < kSamples; ++j)
        for (int32_t i = 0; i < kSamples; ++i) {
            const int64_t sx = int64_t(px) * 2 * kSamples + 2 * i + 1;
            const int64_t sy = int64_t(py) * 2 * kSamples + 2 * j + 1;
            ++hits[size_t(triangleColour(sx, sy, w, h, n))];
        }
    for (size_t c = 0; c < 3; ++c)
        coverage[c] = hits[c] * 255 / (kSamples * kSamples);
    return coverage;
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TTileParams& p)
{
    if (p.colourCount < 2 || p.colourCount > 3)
        return false;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    if (p.width <= 0)
        return true;
    // Tiles start at the work rectangle's corner; previews clip it, so the corner is the one
    // of the unclipped rectangle.
    TFilterFrame whole(source, layer, mask, nullptr);
    const int32_t x0 = whole.workRect().left, y0 = whole.workRect().top;
    const int32_t left = frame.workRect().left;
    const bool keepAlpha = frame.protectAlpha();
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        for (int32_t i = 0; i < frame.workRect().width(); ++i) {
            if (m[i] == 0)
                continue;
            const std::array<uint32_t, 3> cover = tileCoverage(p, left + i - x0, y - y0);
            for (int32_t c = 0; c < p.colourCount; ++c) {
                const uint32_t colour = p.colours[size_t(c)];
                const uint32_t weight = std::min(cover[size_t(c)], colour >> 24);
                if (weight != 0)
                    dest[i] = paintOver(dest[i], colour, MulTable[weight][m[i]], keepAlpha);
            }
        }
    });
}

} // namespace qm

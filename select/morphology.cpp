// Each output row takes, per column, the running extremes of vertical windows of half-height
// 0..n (each one more row above and below the last), then combines them across the columns
// of the octagon. The work per pixel grows with n, not with n².
#include "select/morphology.h"

#include <algorithm>
#include <vector>

namespace qm {

namespace {

template <bool Grow>
bool morph(const TChannel& source, int n, TChannel& result)
{
    if (!source.IsValid() || n < 1 || n > kMaxGrowShrink)
        return false;
    const int32_t margin = Grow ? n : 0;
    const int32_t sw = source.width(), sh = source.height();
    const int32_t w = sw + 2 * margin, h = sh + 2 * margin;
    if (!result.Resize(w, h))
        return false;
    const uint8_t identity = Grow ? 0 : 255;
    const auto op = [](uint8_t a, uint8_t b) { return Grow ? std::max(a, b) : std::min(a, b); };
    // The source inside a border of zeros wide enough for every read: no bounds checks below.
    const int32_t pad = margin + n;
    const int32_t pw = sw + 2 * pad, ph = sh + 2 * pad;
    std::vector<uint8_t> padded(size_t(pw) * size_t(ph), 0);
    for (int32_t y = 0; y < sh; ++y)
        std::copy_n(source.row(y), sw, padded.data() + size_t(y + pad) * size_t(pw) + size_t(pad));
    // Output (x, y) reads padded (x + n, y + n) and its neighbours.
    const auto rowAt = [&](int32_t y) { return padded.data() + size_t(y + n) * size_t(pw) + n; };
    // windows[k][x + n]: extreme of column x over rows y − k .. y + k.
    const int32_t span = w + 2 * n;
    std::vector<std::vector<uint8_t>> windows(size_t(n + 1), std::vector<uint8_t>(size_t(span)));
    std::vector<int> halfHeights(size_t(2 * n + 1));
    for (int dx = -n; dx <= n; ++dx)
        halfHeights[size_t(dx + n)] = octagonHalfHeight(n, dx);

    for (int32_t y = 0; y < h; ++y) {
        // Each window is the one before with the rows k above and below taken in.
        std::copy_n(rowAt(y) - n, span, windows[0].data());
        for (int k = 1; k <= n; ++k) {
            const uint8_t* above = rowAt(y - k) - n;
            const uint8_t* below = rowAt(y + k) - n;
            const uint8_t* previous = windows[size_t(k - 1)].data();
            uint8_t* current = windows[size_t(k)].data();
            for (int32_t i = 0; i < span; ++i)
                current[i] = op(previous[i], op(above[i], below[i]));
        }
        uint8_t* out = result.row(y);
        for (int32_t x = 0; x < w; ++x) {
            uint8_t r = identity;
            for (int dx = -n; dx <= n; ++dx) {
                r = op(r, windows[size_t(halfHeights[size_t(dx + n)])][size_t(x + n + dx)]);
                if (r == 255 - identity)
                    break; // nothing can change it any more
            }
            out[x] = r;
        }
    }
    return true;
}

} // namespace

bool growChannel(const TChannel& source, int n, TChannel& result)
{
    return morph<true>(source, n, result);
}

bool shrinkChannel(const TChannel& source, int n, TChannel& result)
{
    return morph<false>(source, n, result);
}

} // namespace qm

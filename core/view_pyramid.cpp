// Halved copies of the window's picture. Pixel format: 0xAARRGGBB, bytes averaged alike.
#include "core/view_pyramid.h"

#include <algorithm>

namespace qm {

namespace {

// The byte-wise floor of the mean of four pixels: the even and the odd bytes are summed in
// 16-bit fields (at most 4 × 255), so one 32-bit addition adds two channels.
inline uint32_t meanOfFour(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    constexpr uint32_t kEven = 0x00FF00FFu;
    const uint32_t even = (a & kEven) + (b & kEven) + (c & kEven) + (d & kEven);
    const uint32_t odd =
        ((a >> 8) & kEven) + ((b >> 8) & kEven) + ((c >> 8) & kEven) + ((d >> 8) & kEven);
    return ((even >> 2) & kEven) | (((odd >> 2) & kEven) << 8);
}

int32_t halfUp(int32_t n)
{
    return n / 2 + (n & 1);
}

} // namespace

void TViewPyramid::clear()
{
    levels_.clear();
    width_ = height_ = 0;
}

void TViewPyramid::halve(const TMTC& below, TMTC& level, int32_t left, int32_t top, int32_t right,
                         int32_t bottom) const
{
    const int32_t lastX = below.width() - 1, lastY = below.height() - 1;
    for (int32_t y = top; y < bottom; ++y) {
        const uint32_t* r0 = below.row(std::min(2 * y, lastY));
        const uint32_t* r1 = below.row(std::min(2 * y + 1, lastY));
        uint32_t* out = level.row(y);
        // Every pair inside the row first, then the odd edge pixel on its own.
        const int32_t pairs = std::min(right, (lastX + 1) / 2);
        int32_t x = left;
        for (; x < pairs; ++x)
            out[x] = meanOfFour(r0[2 * x], r0[2 * x + 1], r1[2 * x], r1[2 * x + 1]);
        for (; x < right; ++x) {
            const int32_t x0 = std::min(2 * x, lastX), x1 = std::min(2 * x + 1, lastX);
            out[x] = meanOfFour(r0[x0], r0[x1], r1[x0], r1[x1]);
        }
    }
}

void TViewPyramid::rebuild(const TMTC& picture)
{
    clear();
    if (!picture.IsValid() || picture.width() < 1 || picture.height() < 1) return;
    width_ = picture.width();
    height_ = picture.height();
    int32_t w = width_, h = height_;
    while (w > 1 || h > 1) {
        w = halfUp(w);
        h = halfUp(h);
        levels_.emplace_back(w, h);
        const TMTC& below = levels_.size() == 1 ? picture : levels_[levels_.size() - 2];
        halve(below, levels_.back(), 0, 0, w, h);
    }
}

void TViewPyramid::update(const TMTC& picture, const TBox& dirty)
{
    if (!matches(picture)) {
        rebuild(picture);
        return;
    }
    int64_t left = std::max<int64_t>(dirty.x, 0);
    int64_t top = std::max<int64_t>(dirty.y, 0);
    int64_t right = std::min<int64_t>(int64_t(dirty.x) + dirty.width, width_);
    int64_t bottom = std::min<int64_t>(int64_t(dirty.y) + dirty.height, height_);
    if (left >= right || top >= bottom) return;
    for (int32_t k = 1; k <= levels(); ++k) {
        // A pixel of the level changes when any of the pixels it averages did.
        left /= 2;
        top /= 2;
        right = (right + 1) / 2;
        bottom = (bottom + 1) / 2;
        TMTC& level = levels_[size_t(k - 1)];
        const TMTC& below = k == 1 ? picture : levels_[size_t(k - 2)];
        halve(below, level, int32_t(left), int32_t(top), int32_t(right), int32_t(bottom));
    }
}

} // namespace qm

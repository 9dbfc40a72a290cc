#include "select/ant_points.h"

namespace qm {

void CPointList::append(int32_t x, int32_t y)
{
    if (free_ == 0) {
        blocks_.push_back(std::make_unique<std::array<TPoint, kBlockPoints>>());
        free_ = kBlockPoints;
    }
    (*blocks_.back())[size_t(kBlockPoints - free_)] = {x, y};
    --free_;
}

void CPointList::clear()
{
    blocks_.clear();
    blocks_.push_back(std::make_unique<std::array<TPoint, kBlockPoints>>());
    free_ = kBlockPoints;
}

void CAntPoints::clear()
{
    left.clear();
    right.clear();
    top.clear();
    bottom.clear();
}

void CAntPoints::extract(const TChannel& channel)
{
    clear();
    if (!channel.IsValid())
        return;
    const int32_t w = channel.width(), h = channel.height();
    const auto inside = [&](int32_t x, int32_t y) {
        return x >= 0 && y >= 0 && x < w && y < h && channel.row(y)[x] != 0;
    };
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x <= w; ++x) {
            if (inside(x, y) && !inside(x - 1, y))
                left.append(x, y);
            if (x >= 1 && inside(x - 1, y) && !inside(x, y))
                right.append(x, y);
        }
    for (int32_t x = 0; x < w; ++x)
        for (int32_t y = 0; y <= h; ++y) {
            if (inside(x, y) && !inside(x, y - 1))
                top.append(x, y);
            if (y >= 1 && inside(x, y - 1) && !inside(x, y))
                bottom.append(x, y);
        }
}

} // namespace qm

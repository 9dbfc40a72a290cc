#include "tone/gradation.h"

#include "core/pixel_math.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qm {

namespace {

double frac(double z)
{
    return z - std::floor(z);
}

// The angle of q in turns, in [0, 1); straight up or down when q.x is 0.
double turnsOf(double x, double y)
{
    if (x == 0.0)
        return y >= 0.0 ? 0.25 : 0.75;
    double a = std::atan2(y, x) / (2.0 * std::numbers::pi);
    if (a < 0.0)
        a += 1.0;
    return a;
}

} // namespace

bool CGradation::SetOptions(int type, int map, int32_t count, int repeat)
{
    if (type < 0 || type > 2 || map < 0 || map > 1 || repeat < 0 || repeat > 1 || count <= 0)
        return false;
    type_ = uint8_t(type);
    map_ = uint8_t(map);
    repeat_ = uint8_t(repeat);
    count_ = count;
    reciprocal_ = 1.0 / double(count);
    return true;
}

void CGradation::SetLine(TPoint start, TPoint end)
{
    start_ = start;
    end_ = end;
    startX_ = start.x / 65536.0;
    startY_ = start.y / 65536.0;
    vx_ = (int64_t(end.x) - start.x) / 65536.0;
    vy_ = (int64_t(end.y) - start.y) / 65536.0;
    length2_ = vx_ * vx_ + vy_ * vy_;
    angle_ = turnsOf(vx_, vy_);
    radiusX_ = vx_ != 0.0 ? vx_ : vy_;
    radiusY_ = vy_ != 0.0 ? vy_ : vx_;
}

double CGradation::positionAt(double x, double y) const
{
    const double px = x - startX_, py = y - startY_;
    switch (type_) {
    case 0:
        return length2_ > 0.0 ? (vx_ * px + vy_ * py) / length2_ : 0.0;
    case 1: {
        double u = turnsOf(px, py) - angle_;
        while (u < 0.0)
            u += 1.0;
        while (u > 1.0)
            u -= 1.0;
        return u;
    }
    default: {
        if (radiusX_ == 0.0 || radiusY_ == 0.0)
            return 0.0; // no size: everything at the start
        const double a = px / radiusX_, b = py / radiusY_;
        return std::sqrt(a * a + b * b);
    }
    }
}

double CGradation::repeated(double u) const
{
    if (type_ == 1)
        return frac(u * count_);
    if (repeat_ == 0)
        return (u > 0.0 && u < count_) ? frac(u) : u;
    return u >= 0.0 ? frac(u) : 1.0 - frac(-u);
}

double CGradation::mapped(double u) const
{
    if (map_ == 0)
        return u;
    if (u <= 0.0 || u >= 1.0)
        return 0.0;
    return u <= 0.5 ? 2.0 * u : 2.0 * (1.0 - u);
}

uint32_t CGradation::ColorAtPixel(int32_t x, int32_t y) const
{
    if (!stops_)
        return 0;
    const double m = mapped(repeated(positionAt(x, y)));
    // Far outside the line the parameter is clamped before it becomes an integer.
    const double t = std::clamp(std::round(m * 65536.0), -2147483648.0, 2147483647.0);
    return stops_->ColorAt(int32_t(t));
}

bool CGradation::RenderRect(TMTC& image, TBox box) const
{
    if (!image.IsValid() || !stops_ || !clipBoxToSize(box, image.width(), image.height()))
        return false;
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        uint32_t* row = image.row(y);
        for (int32_t x = box.x; x < box.x + box.width; ++x)
            row[x] = ColorRefToPixel(ColorAtPixel(x, y));
    }
    return true;
}

} // namespace qm

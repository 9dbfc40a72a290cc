#include "tone/tone_maker.h"

#include "tone/tone_attr.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

namespace qm {

namespace {

// Distance of |x| from the nearest integer.
double nearestIntegerDistance(double x)
{
    const double a = std::fabs(x);
    const double t = a - std::floor(a);
    return t > 0.5 ? 1.0 - t : t;
}

// Longest super-cell search; the search for a valid period never gets near it.
constexpr int64_t kMaxSearch = 65536;

int64_t floorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

int64_t wrap(int64_t value, int64_t size)
{
    const int64_t m = value % size;
    return m < 0 ? m + size : m;
}

} // namespace

bool CToneMaker::computeLattice(float period, float angle, SLattice& out)
{
    if (!std::isfinite(period) || !std::isfinite(angle) || !(period > 0.0f))
        return false;
    const double thetaR = double(angle) * std::numbers::pi / 180.0;
    const double ds = double(period) * std::sin(thetaR);
    const double dc = double(period) * std::cos(thetaR);

    // The smallest number of cells whose side lands near an integer vector.
    const double largest = std::max(dc, ds);
    int64_t count = 0;
    if (largest > 0.0) {
        const double q = std::floor(512.0 / largest);
        count = q > double(kMaxSearch) ? kMaxSearch : int64_t(q) - 1;
    }
    int64_t n = 1;
    if (count > 0) {
        double best = 10.0;
        for (int64_t k = 1; k <= count; ++k) {
            const double e =
                nearestIntegerDistance(double(k) * ds) + nearestIntegerDistance(double(k) * dc);
            if (e < 0.05) {
                n = k;
                break;
            }
            if (e < best) {
                best = e;
                n = k;
            }
        }
    }

    const double uf = std::floor(double(n) * ds + 0.15);
    const double vf = std::floor(double(n) * dc + 0.15);
    // Angles outside 0..90 would give a tile of negative size.
    if (!(uf >= 0.0 && vf >= 0.0 && uf + vf > 0.0 && uf < 4096.0 && vf < 4096.0))
        return false;
    out.n = int32_t(n);
    out.u = int32_t(uf);
    out.v = int32_t(vf);
    out.L = std::sqrt(double(out.u) * out.u + double(out.v) * out.v);
    out.s = double(out.u) / out.L;
    out.c = double(out.v) / out.L;
    out.period = out.L / double(out.n);
    out.r = int32_t(floorDiv(int64_t(out.v) - out.u, 2));
    out.angle = std::atan2(double(out.u), double(out.v)) * 180.0 / std::numbers::pi;
    return out.period >= kMinPeriod && out.period <= kMaxPeriod && out.n > 0;
}

bool CToneMaker::Configure(int32_t shape, int32_t blur, float percent, float angle, float period)
{
    if (std::isnan(percent))
        return false;
    const bool latticeChanged = !valid_ || period != period_ || angle != angle_;
    SLattice lattice;
    if (latticeChanged && !computeLattice(period, angle, lattice))
        return false;

    shape = ClampToneShape(shape);
    const bool fieldChanged = latticeChanged || shape != shape_;
    try {
        if (latticeChanged) {
            TChannel tile;
            if (!tile.Resize(lattice.u + lattice.v, std::max(lattice.u, lattice.v)))
                return false;
            tile_ = std::move(tile);
            period_ = period;
            angle_ = angle;
            n_ = lattice.n;
            u_ = lattice.u;
            v_ = lattice.v;
            r_ = lattice.r;
            L_ = lattice.L;
            s_ = lattice.s;
            c_ = lattice.c;
            adjustedPeriod_ = lattice.period;
            adjustedAngle_ = lattice.angle;
        }
        shape_ = shape;
        blur_ = blur;
        percent_ = std::clamp(percent, 0.0f, 100.0f);
        if (fieldChanged) {
            buildField();
            buildTable();
        }
        buildBand();
        buildTile();
    } catch (const std::bad_alloc&) {
        valid_ = false;
        return false;
    }
    valid_ = true;
    return true;
}

float CToneMaker::rawValue(double x, double y) const
{
    const double p = (c_ * x - s_ * y) / adjustedPeriod_;
    const double q = (s_ * x + c_ * y) / adjustedPeriod_;
    const double u = 2.0 * (q - std::floor(q)) - 1.0;
    const double v = 2.0 * (p - std::floor(p)) - 1.0;
    return float(-SpotFunction(shape_, u, v));
}

void CToneMaker::buildField()
{
    const int32_t w = tile_.width();
    const int32_t h = tile_.height();
    field_.assign(size_t(w) * size_t(h), 0.0f);
    float mx = 0.0f; // from 0, so a field of negative values keeps its distance from the top
    float mn = 0.0f;
    bool first = true;
    for (int32_t j = 0; j < h; ++j) {
        const double y = double(j) + double(r_) + 0.5;
        for (int32_t i = 0; i < w; ++i) {
            const float value = rawValue(double(i) + 0.5, y);
            field_[size_t(j) * size_t(w) + size_t(i)] = value;
            mx = std::max(mx, value);
            mn = first ? value : std::min(mn, value);
            first = false;
        }
    }
    fieldMin_ = mn;
    fieldMax_ = mx;
    const float range = mx - mn;
    for (float& value : field_)
        value = range > 0.0f ? (value - mn) / range : 0.0f;
}

float CToneMaker::ThresholdAt(double x, double y) const
{
    if (!valid_)
        return 0.0f;
    const float range = fieldMax_ - fieldMin_;
    return range > 0.0f ? (rawValue(x, y) - fieldMin_) / range : 0.0f;
}

void CToneMaker::buildTable()
{
    std::vector<float> sorted(field_);
    std::sort(sorted.begin(), sorted.end());
    const int64_t m = int64_t(sorted.size());
    for (int32_t p = 0; p <= 100; ++p) {
        const int64_t k = std::min(int64_t(p) * m / 100, m - 1);
        SPercentile& entry = table_[size_t(p)];
        entry.percent = p;
        entry.value = sorted[size_t(k)];
        const auto range = std::equal_range(sorted.begin(), sorted.end(), entry.value);
        entry.equalCount = int32_t(range.second - range.first) - 1;
    }
    for (int32_t p = 0; p <= 100; ++p) {
        SPercentile& entry = table_[size_t(p)];
        entry.equalBelow = 0;
        while (entry.equalBelow < p && table_[size_t(p - entry.equalBelow - 1)].value == entry.value)
            ++entry.equalBelow;
        entry.equalAbove = 0;
        while (entry.equalAbove < 100 - p &&
               table_[size_t(p + entry.equalAbove + 1)].value == entry.value)
            ++entry.equalAbove;
    }
}

void CToneMaker::buildBand()
{
    const int32_t p = int32_t(std::floor(percent_));
    const SPercentile& entry = table_[size_t(p)];
    const int32_t below = std::min(std::max(entry.equalBelow, blur_), p);
    const int32_t above = std::min(std::max(entry.equalAbove, blur_), 100 - p);
    low_ = table_[size_t(p - below)].value;
    high_ = table_[size_t(p + above)].value;
    width_ = high_ - low_;
}

uint8_t CToneMaker::BandValue(float value) const
{
    if (value <= low_)
        return 0;
    if (value >= high_)
        return 255;
    const float t = (value - low_) * 255.0f / width_;
    return uint8_t(std::min(t, 255.0f));
}

void CToneMaker::buildTile()
{
    const int32_t w = tile_.width();
    for (int32_t j = 0; j < tile_.height(); ++j) {
        uint8_t* row = tile_.row(j);
        const float* values = field_.data() + size_t(j) * size_t(w);
        for (int32_t i = 0; i < w; ++i)
            row[i] = BandValue(values[i]);
    }
}

uint8_t CToneMaker::ToneAt(int32_t x, int32_t y) const
{
    if (!valid_)
        return 0;
    const double xc = double(x) + 0.5;
    const double yc = double(y) + 0.5;
    const auto a = int64_t(std::floor((c_ * xc - s_ * yc) / L_));
    const auto b = int64_t(std::floor((s_ * xc + c_ * yc) / L_));
    // (x, y) − a·(v, −u) − b·(u, v): into the square spanned by the two super-cell vectors.
    int64_t p = int64_t(x) - a * v_ - b * u_;
    int64_t t = int64_t(y) + a * u_ - b * v_ - r_;
    // One more lattice step moves the square's corners into the tile rectangle.
    if (t < 0) {
        if (p < v_) {
            if (v_ < -t) {
                p += u_ - v_;
                t += u_ + v_;
            } else {
                p += u_;
                t += v_;
            }
        } else {
            if (u_ < -t) {
                p += u_ - v_;
                t += u_ + v_;
            } else {
                p -= v_;
                t += u_;
            }
        }
    } else if (p >= u_ && t >= v_) {
        p -= u_;
        t -= v_;
    } else if (p < u_ && t >= u_) {
        p += v_;
        t -= u_;
    }
    const int32_t w = tile_.width();
    const int32_t h = tile_.height();
    if (p < 0 || p >= w)
        p = wrap(p, w);
    if (t < 0 || t >= h)
        t = wrap(t, h);
    return uint8_t(255 - tile_.row(int32_t(t))[p]);
}

void CToneMaker::ToneRow(int32_t x, int32_t y, int32_t count, uint8_t* out) const
{
    for (int32_t i = 0; i < count; ++i)
        out[i] = ToneAt(x + i, y);
}

bool CToneMaker::RenderTile(TChannel& channel, int32_t x0, int32_t y0) const
{
    if (!valid_ || !channel.IsValid())
        return false;
    for (int32_t j = 0; j < channel.height(); ++j)
        ToneRow(x0, y0 + j, channel.width(), channel.row(j));
    return true;
}

} // namespace qm

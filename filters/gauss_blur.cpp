#include "filters/gauss_blur.h"

#include "filters/gauss_rows.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

namespace qm {

TGaussKernel gaussKernel(double sigma, int32_t length)
{
    TGaussKernel kernel;
    if (length <= 0 || !(sigma > 0.0))
        return kernel;
    const int32_t c = length / 2;
    std::vector<double> k(static_cast<size_t>(length));
    double sum = 0.0;
    for (int32_t i = 0; i < length; ++i) {
        const double d = double(i - c);
        k[size_t(i)] = std::exp(-(d * d) / (2.0 * sigma * sigma));
        sum += k[size_t(i)];
    }
    for (int32_t i = 0; i < length; ++i) {
        k[size_t(i)] /= sum;
        if (k[size_t(i)] >= 0.01)
            kernel.reach = std::max(kernel.reach, std::abs(i - c) + 1);
    }
    kernel.weights.assign(size_t(2 * kernel.reach + 1), 0u);
    for (int32_t d = -kernel.reach; d <= kernel.reach; ++d) {
        const int32_t i = c + d;
        if (i >= 0 && i < length)
            kernel.weights[size_t(d + kernel.reach)] = uint32_t(std::lround(k[size_t(i)] * 65536.0));
    }
    return kernel;
}

namespace {

// ⌊num / den⌋ (den > 0) through a double reciprocal, corrected to the exact quotient: the
// estimate is off by at most one, and only where the true quotient is nearly whole.
inline uint32_t exactQuotient(uint32_t num, double inverse, uint32_t den)
{
    uint32_t q = uint32_t(double(num) * inverse);
    if (uint64_t(q) * den > num)
        --q;
    else if (uint64_t(q + 1) * den <= num)
        ++q;
    return q;
}

// One row as alpha and alpha × colour planes (each product fits 16 bits).
struct TPremultipliedRow {
    std::vector<uint16_t> a, b, g, r;
    void resize(size_t n)
    {
        a.resize(n);
        b.resize(n);
        g.resize(n);
        r.resize(n);
    }
};

// The mean of pixel i: alpha ΣA / count, colour Σ t·A·C / Σ t·A; false when there is none.
inline bool meanOf(const TGaussSums& s, size_t i, uint32_t sumT, uint32_t count, uint32_t& out)
{
    const uint32_t a = s.a[i], ta = s.ta[i];
    if (sumT == 0 || count == 0 || a == 0 || ta == 0)
        return false;
    const double inverse = 1.0 / double(ta);
    out = exactQuotient(a, 1.0 / double(count), count) << 24 |
          exactQuotient(s.tr[i], inverse, ta) << 16 | exactQuotient(s.tg[i], inverse, ta) << 8 |
          exactQuotient(s.tb[i], inverse, ta);
    return true;
}

// Computes result rows of one application; each thread has its own (the source is only read).
class TGaussRows {
public:
    TGaussRows(const TFilterFrame& frame, const TGaussKernel& kh, const TGaussKernel& kv)
        : frame_(frame), kh_(kh), kv_(kv), x0_(frame.workRect().left),
          n_(size_t(std::max(frame.workRect().width(), 0))), slots_(size_t(2 * kv.reach + 1)),
          ring_(slots_), ringRow_(slots_, -1), src_(n_), sumTh_(n_), countH_(n_)
    {
        // The intermediate row covers the work columns plus the horizontal reach either side;
        // outside the work rectangle (and outside the layer) it stays transparent.
        mid_.resize(n_ + size_t(2 * kh.reach));
        // Σt and the sample count of the horizontal pass depend on x only near the edges.
        const int32_t rh = kh.reach, W = frame.width();
        for (size_t i = 0; i < n_; ++i) {
            const int32_t x = x0_ + int32_t(i);
            const int32_t lo = std::max(-rh, -x), hi = std::min(rh, W - 1 - x);
            uint32_t t = 0;
            for (int32_t dx = lo; dx <= hi; ++dx)
                t += kh.weights[size_t(dx + rh)];
            sumTh_[i] = t;
            countH_[i] = uint32_t(std::max(hi - lo + 1, 0));
        }
    }

    // Row y of the result written over dest with the weights m.
    void row(int32_t y, const uint8_t* m, uint32_t* dest)
    {
        const int32_t rv = kv_.reach, rh = kh_.reach, H = frame_.height();
        const bool keepAlpha = frame_.protectAlpha();
        // Down the columns.
        vertical_.reset(n_);
        uint32_t sumT = 0, count = 0;
        for (int32_t dy = -rv; dy <= rv; ++dy) {
            const int32_t sy = y + dy;
            if (sy < 0 || sy >= H)
                continue;
            const uint32_t t = kv_.weights[size_t(dy + rv)];
            sumT += t;
            ++count;
            const TPremultipliedRow& r = premultipliedRow(sy);
            accumulateGaussRow(vertical_, {r.a.data(), r.b.data(), r.g.data(), r.r.data()}, t, n_);
        }
        std::fill(mid_.a.begin(), mid_.a.end(), uint16_t(0));
        std::fill(mid_.b.begin(), mid_.b.end(), uint16_t(0));
        std::fill(mid_.g.begin(), mid_.g.end(), uint16_t(0));
        std::fill(mid_.r.begin(), mid_.r.end(), uint16_t(0));
        for (size_t i = 0; i < n_; ++i) {
            uint32_t v;
            if (!meanOf(vertical_, i, sumT, count, v))
                continue;
            const uint32_t a = v >> 24;
            const size_t j = i + size_t(rh);
            mid_.a[j] = uint16_t(a);
            mid_.b[j] = uint16_t(a * (v & 0xFF));
            mid_.g[j] = uint16_t(a * ((v >> 8) & 0xFF));
            mid_.r[j] = uint16_t(a * ((v >> 16) & 0xFF));
        }
        // Along the row: tap by tap over the whole row, so the loop runs over pixels.
        horizontal_.reset(n_);
        for (int32_t dx = -rh; dx <= rh; ++dx) {
            const size_t off = size_t(dx + rh);
            accumulateGaussRow(horizontal_,
                               {mid_.a.data() + off, mid_.b.data() + off, mid_.g.data() + off,
                                mid_.r.data() + off},
                               kh_.weights[off], n_);
        }
        for (size_t i = 0; i < n_; ++i) {
            uint32_t v;
            if (m[i] != 0 && meanOf(horizontal_, i, sumTh_[i], countH_[i], v))
                dest[i] = writeResult(v, dest[i], m[i], keepAlpha);
        }
    }

private:
    // Source rows premultiplied once each, kept in a ring of the 2·reach + 1 rows in reach.
    const TPremultipliedRow& premultipliedRow(int32_t sy)
    {
        const size_t slot = size_t(sy) % slots_;
        TPremultipliedRow& r = ring_[slot];
        if (ringRow_[slot] != sy) {
            ringRow_[slot] = sy;
            r.resize(n_);
            frame_.sourceRow(x0_, sy, int32_t(n_), src_.data());
            for (size_t i = 0; i < n_; ++i) {
                const uint32_t px = src_[i], a = px >> 24;
                r.a[i] = uint16_t(a);
                r.b[i] = uint16_t(a * (px & 0xFF));
                r.g[i] = uint16_t(a * ((px >> 8) & 0xFF));
                r.r[i] = uint16_t(a * ((px >> 16) & 0xFF));
            }
        }
        return r;
    }

    const TFilterFrame& frame_;
    const TGaussKernel& kh_;
    const TGaussKernel& kv_;
    int32_t x0_;
    size_t n_, slots_;
    std::vector<TPremultipliedRow> ring_;
    std::vector<int32_t> ringRow_;
    std::vector<uint32_t> src_, sumTh_, countH_;
    TPremultipliedRow mid_;
    TGaussSums vertical_, horizontal_;
};

// Rows per band handed to the threads: large enough that re-reading the vertical reach at
// each band start costs little.
constexpr int32_t kBandRows = 256;

} // namespace

bool applyGaussianBlur(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                       const TRect* clip, const TGaussianBlurParams& p, int32_t threads)
{
    if (!std::isfinite(p.radius))
        return false;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    const int32_t x0 = frame.workRect().left, n = std::max(frame.workRect().width(), 0);
    if (p.radius <= 0.0f) {
        std::vector<uint32_t> src(static_cast<size_t>(n));
        return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
            frame.sourceRow(x0, y, n, src.data());
            for (int32_t i = 0; i < n; ++i)
                if (m[i] != 0)
                    dest[i] = src[size_t(i)];
        });
    }
    const TGaussKernel kh = gaussKernel(p.radius, frame.width());
    const TGaussKernel kv = gaussKernel(p.radius, frame.height());
    threads = std::clamp(threads, 1, 8);
    if (threads == 1) {
        TGaussRows rows(frame, kh, kv);
        return frame.forEachRow(
            [&](int32_t y, const uint8_t* m, uint32_t* dest) { rows.row(y, m, dest); });
    }
    // Each thread computes a contiguous share of every band; only this thread writes the
    // layer, so the result is the one-thread result byte for byte.
    std::vector<std::unique_ptr<TGaussRows>> workers;
    for (int32_t t = 0; t < threads; ++t)
        workers.push_back(std::make_unique<TGaussRows>(frame, kh, kv));
    return frame.forEachBand(kBandRows, [&](int32_t top, int32_t count, const uint8_t* m,
                                           uint32_t* dest) {
        const int32_t share = (count + threads - 1) / threads;
        const auto work = [&](int32_t t) {
            const int32_t first = t * share, last = std::min(count, first + share);
            for (int32_t r = first; r < last; ++r)
                workers[size_t(t)]->row(top + r, m + size_t(r) * size_t(n),
                                        dest + size_t(r) * size_t(n));
        };
        std::vector<std::thread> helpers;
        for (int32_t t = 1; t < threads; ++t)
            helpers.emplace_back(work, t);
        work(0);
        for (std::thread& h : helpers)
            h.join();
    });
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TGaussianBlurParams& p)
{
    // Threads pay off only on large areas.
    const TRect area = clip ? *clip : TRect{0, 0, source.width(), source.height()};
    const int64_t pixels = int64_t(std::max(area.width(), 0)) * std::max(area.height(), 0);
    const int32_t cores = int32_t(std::max(1u, std::thread::hardware_concurrency()));
    return applyGaussianBlur(source, layer, mask, clip, p,
                             pixels >= 512 * 512 ? std::min(cores, 4) : 1);
}

} // namespace qm

#include "filters/lighting.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace qm {

namespace {

// cos(π/2·s) for s in [0, 1] as a polynomial in s² (Taylor to s¹⁴, error below 1e-10): the
// same plain multiplications and additions on every machine, and a loop of them vectorises.
inline double cosQuarterTurn(double s)
{
    constexpr double h = std::numbers::pi / 2.0;
    const double z = (h * s) * (h * s);
    double p = -1.0 / 87178291200.0;
    p = p * z + 1.0 / 479001600.0;
    p = p * z - 1.0 / 3628800.0;
    p = p * z + 1.0 / 40320.0;
    p = p * z - 1.0 / 720.0;
    p = p * z + 1.0 / 24.0;
    p = p * z - 1.0 / 2.0;
    return p * z + 1.0;
}

// The warm light's edge (1 − x²)^1.2 over its cone, x = 0 … 1, interpolated in a table of
// 8192 steps: the power is the costliest step of the whole filter and the table is within
// 2e-6 of it (closest at the cone's rim), far below what an 8-bit channel can show.
constexpr int32_t kWarmSteps = 8192;
const std::vector<double>& warmTable()
{
    static const std::vector<double> table = [] {
        std::vector<double> t(kWarmSteps + 2);
        for (int32_t i = 0; i <= kWarmSteps; ++i) {
            const double x = double(i) / kWarmSteps;
            t[size_t(i)] = std::pow(std::max(1.0 - x * x, 0.0), 1.2);
        }
        t[kWarmSteps + 1] = 0.0;
        return t;
    }();
    return table;
}

inline double warmEdge(const double* table, double x)
{
    const double t = std::clamp(x, 0.0, 1.0) * kWarmSteps;
    const int32_t i = int32_t(t);
    const double f = t - i;
    return table[i] + (table[i + 1] - table[i]) * f;
}

// One light made ready for a layer of W×H pixels.
struct TLight {
    uint8_t kind = 0;
    double intensity[3] = {0, 0, 0}; // blue, green, red
    double reach = 0;
    double x = 0, y = 0, z = 0;      // position above the picture
    double spread = 1;               // V = 1 − spread/100
    double dx = 0, dy = 0, dz = 0;   // unit direction D
};

bool prepareLight(const TLightRecord& r, int32_t W, int32_t H, TLight& out)
{
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.azimuth) ||
        !std::isfinite(r.elevation))
        return false;
    const double M = double(std::max(W, H));
    out.kind = r.kind;
    for (int c = 0; c < 3; ++c)
        out.intensity[c] = double(((r.colour >> (8 * c)) & 0xFF) / 2 + 128) * r.strength / 100.0;
    out.reach = M * r.range / 100.0;
    out.x = double(W) * r.x;
    out.y = double(H) * r.y;
    out.z = M * r.height / 100.0;
    out.spread = 1.0 - r.spread / 100.0;
    double a = r.azimuth, b = r.elevation;
    if (r.kind == 0)
        a = b = 0.0;
    else if (b < 0.0)
        a -= std::numbers::pi;
    out.dx = -std::cos(b) * std::cos(a);
    out.dy = -std::cos(b) * std::sin(a);
    out.dz = -std::sin(b);
    return true;
}

// The spotlight's soft edge over x = 0 … 1 of its cone.
inline double spotEdge(double x)
{
    if (x < 0.9)
        return 1.0 - 0.2 * x / 0.9;
    if (x < 0.95)
        return 0.8 - 0.6 * (x - 0.9) / 0.05;
    return 0.2 - 0.2 * (x - 0.95) / 0.05;
}

// The light's weight g at a pixel: ox = Lx − x and oyz = (Ly − y)² + Lz², which the row-wise
// form computes once per row.
inline double lightWeight(const TLight& l, double ox, double oy, double oyz)
{
    const double d = std::sqrt(ox * ox + oyz);
    if (l.kind == 0) {
        if (d == 0.0)
            return 1.0;
        if (!(d < l.reach))
            return 0.0;
        const double c = cosQuarterTurn(d / l.reach);
        return c * c;
    }
    if (!(d > 0.0 && d < l.reach) || !(l.spread < 1.0))
        return 0.0;
    const double c = (l.dx * ox + (l.dy * oy + l.dz * l.z)) / d;
    if (!(c < -l.spread))
        return 0.0;
    const double x = (1.0 - std::abs(c)) / (1.0 - l.spread);
    const double fall = cosQuarterTurn(d / l.reach);
    if (l.kind == 1)
        return warmEdge(warmTable().data(), x) * fall;
    return spotEdge(x) * fall;
}

// lightWeight over columns first … last − 1 of a row, with the same operations in the same
// order, arranged so that the common part runs as straight loops the compiler vectorises.
void rowWeights(const TLight& l, int32_t x0, double oy, double oyz, int32_t first, int32_t last,
                double* __restrict weight, double* __restrict cosines, double* __restrict falls,
                double* __restrict edges)
{
    const double lx = l.x, reach = l.reach, spread = l.spread;
    if (l.kind == 0) {
        // Distances and falloffs as straight arithmetic first (the loop vectorises), the
        // tests of the reach after it.
        for (int32_t i = first; i < last; ++i) {
            const double ox = lx - double(x0 + i);
            const double d = std::sqrt(ox * ox + oyz);
            const double c = cosQuarterTurn(d / reach);
            cosines[i] = d;
            weight[i] = c * c;
        }
        for (int32_t i = first; i < last; ++i) {
            const double d = cosines[i];
            if (d == 0.0)
                weight[i] = 1.0;
            else if (!(d < reach))
                weight[i] = 0.0;
        }
        return;
    }
    if (!(spread < 1.0)) {
        std::fill(weight + first, weight + last, 0.0);
        return;
    }
    // The cone test and the falloff for every pixel; the warm light's power only where the
    // pixel is inside the cone (the weight is 0 elsewhere).
    const double dx = l.dx, yz = l.dy * oy + l.dz * l.z;
    const bool spot = l.kind != 1;
    const double inverseOpening = 1.0 - spread;
    for (int32_t i = first; i < last; ++i) {
        const double ox = lx - double(x0 + i);
        const double d = std::sqrt(ox * ox + oyz);
        const double c = (dx * ox + yz) / d;
        cosines[i] = c;
        weight[i] = d;
        falls[i] = cosQuarterTurn(d / reach);
        edges[i] = (1.0 - std::abs(c)) / inverseOpening;
    }
    const double* warm = warmTable().data();
    for (int32_t i = first; i < last; ++i) {
        const double d = weight[i], c = cosines[i];
        if (!(d > 0.0 && d < reach) || !(c < -spread)) {
            weight[i] = 0.0;
            continue;
        }
        const double x = edges[i];
        weight[i] = (spot ? spotEdge(x) : warmEdge(warm, x)) * falls[i];
    }
}

struct TLightingSetup {
    std::vector<TLight> lights;
    double ambient[3] = {0, 0, 0}; // K per channel
};

bool prepare(const TLightingParams& p, int32_t W, int32_t H, TLightingSetup& out)
{
    const size_t count = std::min(p.lights.size(), size_t(kMaxLights));
    for (size_t i = 0; i < count; ++i) {
        TLight l;
        if (!prepareLight(p.lights[i], W, H, l))
            return false;
        out.lights.push_back(l);
    }
    for (int c = 0; c < 3; ++c)
        out.ambient[c] = double(p.brightness) * double((p.ambientColour >> (8 * c)) & 0xFF) / 100.0 - 255.0;
    return true;
}

inline uint32_t toChannel(double v)
{
    return uint32_t(std::clamp(v, 0.0, 255.0));
}

} // namespace

bool applyLightingReference(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                            const TRect* clip, const TLightingParams& p)
{
    TFilterFrame frame(source, layer, mask, clip);
    TLightingSetup setup;
    if (!frame.valid() || !prepare(p, frame.width(), frame.height(), setup))
        return false;
    const int32_t x0 = frame.workRect().left, n = frame.workRect().width();
    std::vector<uint32_t> src(size_t(std::max(n, 0)));
    const bool keepAlpha = frame.protectAlpha();
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        frame.sourceRow(x0, y, n, src.data());
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] == 0)
                continue;
            double sum[3];
            for (int c = 0; c < 3; ++c)
                sum[c] = double((src[size_t(i)] >> (8 * c)) & 0xFF);
            for (const TLight& l : setup.lights) {
                const double oy = l.y - y;
                const double g = lightWeight(l, l.x - (x0 + i), oy, oy * oy + l.z * l.z);
                for (int c = 0; c < 3; ++c)
                    sum[c] += g * l.intensity[c];
            }
            uint32_t v = 0xFF000000u;
            for (int c = 0; c < 3; ++c)
                v |= toChannel(sum[c] + setup.ambient[c]) << (8 * c);
            dest[i] = writeResult(v, dest[i], m[i], keepAlpha);
        }
    });
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TLightingParams& p)
{
    TFilterFrame frame(source, layer, mask, clip);
    TLightingSetup setup;
    if (!frame.valid() || !prepare(p, frame.width(), frame.height(), setup))
        return false;
    const int32_t x0 = frame.workRect().left, n = std::max(frame.workRect().width(), 0);
    std::vector<uint32_t> src(static_cast<size_t>(n));
    std::vector<double> sums[3], weight(static_cast<size_t>(n)), cosines(static_cast<size_t>(n)),
        falls(static_cast<size_t>(n)), edges(static_cast<size_t>(n));
    for (auto& s : sums)
        s.resize(size_t(n));
    const bool keepAlpha = frame.protectAlpha();
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        frame.sourceRow(x0, y, n, src.data());
        for (int32_t i = 0; i < n; ++i)
            for (int c = 0; c < 3; ++c)
                sums[c][size_t(i)] = double((src[size_t(i)] >> (8 * c)) & 0xFF);
        // Light by light along the row, in the reference's order of additions.
        for (const TLight& l : setup.lights) {
            const double oy = l.y - y, oyz = oy * oy + l.z * l.z;
            // Outside the reach nothing is added (d = 0 only happens inside it or at R = 0);
            // the columns in reach, with a pixel to spare, bound the loop.
            int32_t first = 0, last = n;
            if (l.reach > 0.0 && std::isfinite(l.reach)) {
                const double r2 = l.reach * l.reach - oyz;
                if (r2 < 0.0 && oyz != 0.0)
                    continue;
                const double half = std::sqrt(std::max(r2, 0.0)) + 2.0;
                first = int32_t(std::clamp(std::floor(l.x - half) - x0, 0.0, double(n)));
                last = int32_t(std::clamp(std::ceil(l.x + half) - x0 + 1.0, 0.0, double(n)));
            }
            rowWeights(l, x0, oy, oyz, first, last, weight.data(), cosines.data(), falls.data(),
                       edges.data());
            for (int c = 0; c < 3; ++c) {
                const double intensity = l.intensity[c];
                double* s = sums[c].data();
                for (int32_t i = first; i < last; ++i)
                    s[i] += weight[size_t(i)] * intensity;
            }
        }
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] == 0)
                continue;
            uint32_t v = 0xFF000000u;
            for (int c = 0; c < 3; ++c)
                v |= toChannel(sums[c][size_t(i)] + setup.ambient[c]) << (8 * c);
            dest[i] = writeResult(v, dest[i], m[i], keepAlpha);
        }
    });
}

} // namespace qm

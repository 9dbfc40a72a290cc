#include "filters/lighting.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

// ---- the row-wise form ----
//
// A few columns at a time in a GCC vector of doubles: two in the portable build (one SSE2
// register), four in the AVX2 variant. Each lane gets the same IEEE additions,
// multiplications, divisions and square roots as lightWeight (no fused multiply-add:
// -ffp-contract=off, and the AVX2 variant does not enable FMA), so the result is the same
// bits either way.

// GCC notes that passing 32-byte vectors by value depends on AVX; the lane helpers are always
// inlined, so no call passes one.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

typedef double TLanes2 __attribute__((vector_size(16)));
typedef double TLanes4 __attribute__((vector_size(32)));
template <typename V>
constexpr int32_t kLanesOf = int32_t(sizeof(V) / sizeof(double));
template <typename V>
using TMaskOf = decltype(V{} < V{});
// Rows are padded to whole groups of the widest variant; a tile is a whole number of groups
// of either.
constexpr int32_t kRowPadding = 4;
constexpr int32_t kTileColumns = 512;

#define QM_LANES_INLINE inline __attribute__((always_inline))

template <typename V>
QM_LANES_INLINE V splat(double v)
{
    return V{} + v;
}
template <typename V>
QM_LANES_INLINE V laneIndex()
{
    V v;
    for (int k = 0; k < kLanesOf<V>; ++k)
        v[k] = k;
    return v;
}
// Rows of doubles need not be aligned to the vector size.
template <typename V>
QM_LANES_INLINE V load(const double* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <typename V>
QM_LANES_INLINE void store(double* p, V v)
{
    std::memcpy(p, &v, sizeof v);
}
template <typename M>
QM_LANES_INLINE bool anyLane(M m)
{
    int64_t any = 0;
    for (size_t k = 0; k < sizeof(M) / sizeof(int64_t); ++k)
        any |= m[k];
    return any != 0;
}
template <typename M>
QM_LANES_INLINE bool allLanes(M m)
{
    int64_t all = -1;
    for (size_t k = 0; k < sizeof(M) / sizeof(int64_t); ++k)
        all &= m[k];
    return all != 0;
}
template <typename V>
QM_LANES_INLINE V pick(TMaskOf<V> m, V ifTrue, V ifFalse)
{
    return m ? ifTrue : ifFalse;
}
template <typename V>
QM_LANES_INLINE V squareRoot(V v)
{
    V r;
    for (int k = 0; k < kLanesOf<V>; ++k)
        r[k] = std::sqrt(v[k]);
    return r;
}

// cosQuarterTurn lane by lane, operation for operation.
template <typename V>
QM_LANES_INLINE V cosQuarterTurnLanes(V s)
{
    constexpr double h = std::numbers::pi / 2.0;
    const V hs = h * s;
    const V z = hs * hs;
    V p = splat<V>(-1.0 / 87178291200.0);
    p = p * z + 1.0 / 479001600.0;
    p = p * z - 1.0 / 3628800.0;
    p = p * z + 1.0 / 40320.0;
    p = p * z - 1.0 / 720.0;
    p = p * z + 1.0 / 24.0;
    p = p * z - 1.0 / 2.0;
    return p * z + 1.0;
}

// spotEdge with the three pieces chosen before the one division each piece has.
template <typename V>
QM_LANES_INLINE V spotEdgeLanes(V x)
{
    const TMaskOf<V> low = x < 0.9, middle = x < 0.95;
    const V top = pick(low, splat<V>(1.0), pick(middle, splat<V>(0.8), splat<V>(0.2)));
    const V part = pick(low, 0.2 * x, pick(middle, 0.6 * (x - 0.9), 0.2 * (x - 0.95)));
    const V divisor = pick(low, splat<V>(0.9), splat<V>(0.05));
    return top - part / divisor;
}

// warmEdge lane by lane; x must be a number in every lane.
template <typename V>
QM_LANES_INLINE V warmEdgeLanes(const double* table, V x)
{
    const V clamped = pick(x < 0.0, splat<V>(0.0), pick(1.0 < x, splat<V>(1.0), x));
    const V t = clamped * double(kWarmSteps);
    V whole, below, above;
    for (int k = 0; k < kLanesOf<V>; ++k) {
        const int32_t i = int32_t(t[k]);
        whole[k] = double(i);
        below[k] = table[i];
        above[k] = table[i + 1];
    }
    return below + (above - below) * (t - whole);
}

// One light's constants for one row.
struct TRowLight {
    const TLight* light;
    double oyz;          // (Ly − y)² + Lz²
    double yz;           // Dy·(Ly − y) + Dz·Lz
    double outsideRatio; // below this t²/d² a pixel is surely outside the cone; < 0: no test
    int32_t first, last; // the columns that may be in reach
};

// One row's buffers: the source pixels, the three channel sums and the packed results, all
// padded to kRowPadding (the columns past the row's end are computed, never written).
struct TRowBuffers {
    const uint32_t* source;
    double* b;
    double* g;
    double* r;
    uint32_t* colours;
    int32_t columns; // a multiple of kRowPadding
    const double* ambient; // K per channel: blue, green, red
};

// One light's sums and intensities held in locals, so that the stores into the sums leave
// the constants in registers.
struct TLightSums {
    double* __restrict b;
    double* __restrict g;
    double* __restrict r;
    double ib, ig, ir;
    TLightSums(const TRowBuffers& row, const TLight& l)
        : b(row.b), g(row.g), r(row.r), ib(l.intensity[0]), ig(l.intensity[1]), ir(l.intensity[2])
    {
    }
    // Adds g·I to the sums of lane group v.
    template <typename V>
    QM_LANES_INLINE void add(int32_t v, V weight) const
    {
        const int32_t i = v * kLanesOf<V>;
        store(b + i, load<V>(b + i) + weight * ib);
        store(g + i, load<V>(g + i) + weight * ig);
        store(r + i, load<V>(r + i) + weight * ir);
    }
};

template <typename V>
QM_LANES_INLINE V columnsOf(int32_t x0, int32_t v)
{
    return double(x0 + v * kLanesOf<V>) + laneIndex<V>();
}

// A light passes over a tile in one loop that runs two stages kSkew groups apart: the square
// root and divisions of one group (the divider's work, with long latencies) and the
// polynomial and sums of an earlier group (the multipliers' and adders' work). Done group by
// group, one chain is longer than the processor can look ahead; skewed, the two units work
// side by side.
constexpr int32_t kSkew = 6;

// A point light over lane groups [from, to) of the tile starting at group `begin`.
template <typename V>
QM_LANES_INLINE void addPointLight(const TRowLight& r, int32_t x0, int32_t begin, int32_t from,
                                   int32_t to, const TRowBuffers& row)
{
    const TLightSums sums(row, *r.light);
    const double lx = r.light->x, reach = r.light->reach, oyz = r.oyz;
    V dist[kTileColumns / kLanesOf<V>], ratio[kTileColumns / kLanesOf<V>];
    for (int32_t v = from; v < to + kSkew; ++v) {
        if (v < to) {
            const V ox = lx - columnsOf<V>(x0, v);
            const V d = squareRoot(ox * ox + oyz);
            dist[v - begin] = d;
            ratio[v - begin] = d / reach;
        }
        const int32_t w = v - kSkew;
        if (w >= from) {
            const V d = dist[w - begin];
            const V c = cosQuarterTurnLanes(ratio[w - begin]);
            sums.add(w, pick(d == 0.0, splat<V>(1.0), pick(d < reach, c * c, splat<V>(0.0))));
        }
    }
}

// The second stage of a cone light for one group: x and d/R are ready.
template <int Kind, typename V>
QM_LANES_INLINE void addConeWeight(const TLightSums& sums, int32_t v, TMaskOf<V> inside,
                                   V ratio, V x, const double* warm)
{
    const V fall = cosQuarterTurnLanes(ratio);
    V edge;
    if constexpr (Kind == 1)
        edge = warmEdgeLanes(warm, x);
    else
        edge = spotEdgeLanes(x);
    sums.add(v, pick(inside, edge * fall, splat<V>(0.0)));
}

// A warm light (Kind 1) or spotlight (Kind 2) likewise. Outside the cone nothing is added.
// With V ≥ 0 a pixel is surely outside when t ≥ 0 (then c ≥ 0) or when t² is below V²·d² by
// far more than rounding can move it; only the other groups need the square root and the
// divisions, and only those with a pixel inside the cone the second stage.
template <int Kind, typename V>
QM_LANES_INLINE void addConeLight(const TRowLight& r, int32_t x0, int32_t from, int32_t to,
                                  const double* warm, const TRowBuffers& row)
{
    constexpr int32_t kTileGroups = kTileColumns / kLanesOf<V>;
    const TLightSums sums(row, *r.light);
    const double lx = r.light->x, reach = r.light->reach, dx = r.light->dx, oyz = r.oyz,
                 yz = r.yz, outsideRatio = r.outsideRatio, spread = r.light->spread,
                 opening = 1.0 - spread;
    const bool convex = outsideRatio >= 0.0;
    V ratios[kTileGroups], edges[kTileGroups];
    TMaskOf<V> insides[kTileGroups];
    int32_t lit[kTileGroups];
    int32_t litCount = 0, done = 0;
    for (int32_t v = from; v < to; ++v) {
        const V ox = lx - columnsOf<V>(x0, v);
        const V e = ox * ox + oyz;
        const V t = dx * ox + yz;
        if (convex && allLanes((t >= 0.0) | (t * t < outsideRatio * e)))
            continue;
        const V d = squareRoot(e);
        const V c = t / d;
        const TMaskOf<V> inside = (d > 0.0) & (d < reach) & (c < -spread);
        if (!anyLane(inside))
            continue;
        const V absC = pick(c < 0.0, -c, c);
        ratios[litCount] = d / reach;
        edges[litCount] = pick(inside, (1.0 - absC) / opening, splat<V>(0.0));
        insides[litCount] = inside;
        lit[litCount++] = v;
        if (litCount - done > kSkew) {
            addConeWeight<Kind, V>(sums, lit[done], insides[done], ratios[done], edges[done], warm);
            ++done;
        }
    }
    for (; done < litCount; ++done)
        addConeWeight<Kind, V>(sums, lit[done], insides[done], ratios[done], edges[done], warm);
}

// The sums start from the source channels, and the packed results come from them: four
// columns at a time in either variant.
typedef int32_t TLaneWords __attribute__((vector_size(16)));

QM_LANES_INLINE void startSums(const TRowBuffers& row, int32_t i)
{
    TLaneWords p;
    std::memcpy(&p, row.source + i, sizeof p);
    store(row.b + i, __builtin_convertvector(p & 0xFF, TLanes4));
    store(row.g + i, __builtin_convertvector((p >> 8) & 0xFF, TLanes4));
    store(row.r + i, __builtin_convertvector((p >> 16) & 0xFF, TLanes4));
}

// Sum plus ambient term, clamped to 0 … 255 and truncated, as toChannel does.
QM_LANES_INLINE TLaneWords channelLanes(TLanes4 sum, double ambient)
{
    const TLanes4 v = sum + ambient;
    return __builtin_convertvector(
        pick(v < 0.0, splat<TLanes4>(0.0), pick(255.0 < v, splat<TLanes4>(255.0), v)), TLaneWords);
}

// Opaque result pixels from the sums.
QM_LANES_INLINE void packColours(const TRowBuffers& row, int32_t i)
{
    const TLaneWords p = int32_t(0xFF000000u) |
                         channelLanes(load<TLanes4>(row.r + i), row.ambient[2]) << 16 |
                         channelLanes(load<TLanes4>(row.g + i), row.ambient[1]) << 8 |
                         channelLanes(load<TLanes4>(row.b + i), row.ambient[0]);
    std::memcpy(row.colours + i, &p, sizeof p);
}

// All lights over the columns [begin, end) of one row (multiples of kRowPadding), light after
// light as the reference adds them to every pixel.
template <typename V>
QM_LANES_INLINE void addLights(const TRowLight* lights, size_t count, int32_t x0, int32_t begin,
                               int32_t end, const TRowBuffers& row)
{
    constexpr int32_t n = kLanesOf<V>;
    const double* warm = warmTable().data();
    const int32_t groupBegin = begin / n, groupEnd = end / n;
    for (size_t k = 0; k < count; ++k) {
        const TRowLight& l = lights[k];
        const int32_t from = std::max(groupBegin, l.first / n);
        const int32_t to = std::min(groupEnd, (l.last + n - 1) / n);
        switch (l.light->kind) {
        case 0: addPointLight<V>(l, x0, groupBegin, from, to, row); break;
        case 1: addConeLight<1, V>(l, x0, from, to, warm, row); break;
        default: addConeLight<2, V>(l, x0, from, to, warm, row); break;
        }
    }
}

// A tile at a time, so that its sums stay in the first-level cache from start to finish.
template <typename V>
QM_LANES_INLINE void lightRowBody(const TRowLight* lights, size_t count, int32_t x0,
                                  const TRowBuffers& row)
{
    for (int32_t begin = 0; begin < row.columns; begin += kTileColumns) {
        const int32_t end = std::min(row.columns, begin + kTileColumns);
        for (int32_t i = begin; i < end; i += kRowPadding)
            startSums(row, i);
        addLights<V>(lights, count, x0, begin, end, row);
        for (int32_t i = begin; i < end; i += kRowPadding)
            packColours(row, i);
    }
}

void lightRowPortable(const TRowLight* lights, size_t count, int32_t x0, const TRowBuffers& row)
{
    lightRowBody<TLanes2>(lights, count, x0, row);
}

__attribute__((target("avx2"))) void lightRowAvx2(const TRowLight* lights, size_t count,
                                                  int32_t x0, const TRowBuffers& row)
{
    lightRowBody<TLanes4>(lights, count, x0, row);
}

#undef QM_LANES_INLINE

// The light's constants for row y; false when no pixel of the row is in its reach.
bool prepareRow(const TLight& l, int32_t y, int32_t x0, int32_t n, TRowLight& out)
{
    const double oy = l.y - y;
    out.light = &l;
    out.oyz = oy * oy + l.z * l.z;
    out.yz = l.dy * oy + l.dz * l.z;
    // The test needs the cone to be convex (V ≥ 0); the margin of 1e-9 is millions of times
    // what the rounding of t², d² and the quotient can amount to.
    out.outsideRatio = l.spread >= 0.0 ? l.spread * l.spread * (1.0 - 1e-9) : -1.0;
    // Outside the reach nothing is added (d = 0 only happens inside it or at R = 0); the
    // columns in reach, with a pixel to spare, bound the loop.
    out.first = 0;
    out.last = n;
    if (l.reach > 0.0 && std::isfinite(l.reach)) {
        const double r2 = l.reach * l.reach - out.oyz;
        if (r2 < 0.0 && out.oyz != 0.0)
            return false;
        const double half = std::sqrt(std::max(r2, 0.0)) + 2.0;
        out.first = int32_t(std::clamp(std::floor(l.x - half) - x0, 0.0, double(n)));
        out.last = int32_t(std::clamp(std::ceil(l.x + half) - x0 + 1.0, 0.0, double(n)));
    }
    return out.first < out.last;
}

} // namespace

bool lightingRowsHaveAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

bool applyLightingRows(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                       const TRect* clip, const TLightingParams& p, bool avx2)
{
    TFilterFrame frame(source, layer, mask, clip);
    TLightingSetup setup;
    if (!frame.valid() || !prepare(p, frame.width(), frame.height(), setup))
        return false;
    const auto lightRow = avx2 && lightingRowsHaveAvx2() ? lightRowAvx2 : lightRowPortable;
    // Cone lights that cannot shine (V ≥ 1) add nothing anywhere.
    std::vector<const TLight*> shining;
    for (const TLight& l : setup.lights)
        if (l.kind == 0 || l.spread < 1.0)
            shining.push_back(&l);
    const int32_t x0 = frame.workRect().left, n = std::max(frame.workRect().width(), 0);
    const int32_t columns = (n + kRowPadding - 1) / kRowPadding * kRowPadding;
    const size_t padded = size_t(columns);
    std::vector<uint32_t> src(padded), colours(padded);
    std::vector<double> sums[3];
    for (auto& s : sums)
        s.resize(padded);
    const TRowBuffers row{src.data(), sums[0].data(), sums[1].data(), sums[2].data(),
                          colours.data(), columns, setup.ambient};
    std::vector<TRowLight> rowLights(shining.size());
    const bool keepAlpha = frame.protectAlpha();
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        frame.sourceRow(x0, y, n, src.data());
        size_t count = 0;
        for (const TLight* l : shining)
            if (prepareRow(*l, y, x0, n, rowLights[count]))
                ++count;
        lightRow(rowLights.data(), count, x0, row);
        // Full weight copies the result (the blend of weight 255 is exact), which is most
        // pixels; alpha still follows the protect-alpha flag.
        const uint32_t kept = keepAlpha ? 0xFF000000u : 0u;
        for (int32_t i = 0; i < n; ++i) {
            const uint32_t v = colours[size_t(i)];
            if (m[i] == 255)
                dest[i] = (dest[i] & kept) | (v & ~kept);
            else if (m[i] != 0)
                dest[i] = writeResult(v, dest[i], m[i], keepAlpha);
        }
    });
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TLightingParams& p)
{
    return applyLightingRows(source, layer, mask, clip, p, true);
}

} // namespace qm

// The smooth (area-averaged) view. Pixel format: 32-bit 0xAARRGGBB, not premultiplied; every
// byte is averaged alike.
//
// At zoom 1 and above a window pixel's square is at most one paper pixel wide, so it covers at
// most 2 × 2 of them, and the view is exactly the area average of RenderRotatedViewReference.
// Below 1 the square is averaged over the pyramid level on which it is at most one level pixel
// wide (level pixels are means of 2^k × 2^k paper pixels), again over at most 2 × 2 pixels, with
// weights rounded to 1/256 (the level is an approximation already).
#include "core/scale_image.h"
#include "core/view_geometry.h"
#include "core/view_kernels.h"
#include "core/view_render_reference.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace qm::view {

namespace {

// The mean of a square's pixels is floor(T / D) per channel, T = Σ weight × byte < 2^40 and
// D = the product of the two axis extents ≤ 2^32, all whole numbers and exact in doubles.
// T × (1/D) lies within 2^-43 of T / D, and a quotient that is not whole lies at least
// 1/D ≥ 2^-32 below the next whole number, so adding 2^-40 before truncating gives the exact
// integer quotient without a division per channel.
constexpr double kNudge = 0x1p-40;

// What every pixel of one call shares.
struct TSquares {
    const uint32_t* base = nullptr; // row 0 of the picture sampled (the paper or a level)
    ptrdiff_t stride = 0;
    int32_t width = 0; // of the picture sampled
    int32_t height = 0;
    int32_t shift = 0;  // the level: paper 16.16 >> shift gives level 16.16
    int64_t step = 0;   // the square's side on the paper, 16.16
    int64_t side = 0;   // … and on the level (≤ 1.0)
    int64_t half = 0;   // step / 2
    int64_t limitX = 0; // the paper's width and height, 16.16
    int64_t limitY = 0;
    double inverse[3] = {}; // 1 / D when no, one or both axes span two pixels
    float toEighths = 0;    // 256 / side: a level weight in 1/256 of the square's side
};

// The area average of an interior square, its corner in level 16.16.
inline uint32_t meanOfSquare(const TSquares& s, int64_t lx, int64_t ly)
{
    const int64_t fx = lx >> 16, fy = ly >> 16;
    const int64_t lastX = (lx + s.side - 1) >> 16, lastY = (ly + s.side - 1) >> 16;
    const bool twoX = lastX > fx, twoY = lastY > fy;
    // An axis inside one pixel takes it at full weight, and counts one pixel long.
    const uint64_t wx0 = twoX ? uint64_t(kOne - (lx & 0xFFFF)) : uint64_t(kOne);
    const uint64_t wx1 = twoX ? uint64_t(lx + s.side - (lastX << 16)) : 0;
    const uint64_t wy0 = twoY ? uint64_t(kOne - (ly & 0xFFFF)) : uint64_t(kOne);
    const uint64_t wy1 = twoY ? uint64_t(ly + s.side - (lastY << 16)) : 0;
    const uint32_t* p0 = s.base + fy * s.stride + fx;
    const uint32_t* p1 = twoY ? p0 + s.stride : p0;
    const int32_t right = twoX ? 1 : 0;
    const uint32_t pixel[4] = {p0[0], p0[right], p1[0], p1[right]};
    const double weight[4] = {double(wx0 * wy0), double(wx1 * wy0), double(wx0 * wy1),
                              double(wx1 * wy1)};
    const double inverse = s.inverse[int(twoX) + int(twoY)];
    uint32_t mean = 0;
    for (int c = 0; c < 4; ++c) {
        double sum = 0;
        for (int k = 0; k < 4; ++k)
            sum += weight[k] * double((pixel[k] >> (8 * c)) & 0xFF);
        mean |= uint32_t(sum * inverse + kNudge) << (8 * c);
    }
    return mean;
}

// On a level the picture is already an approximation, so the weights are rounded to 1/256 of
// the square's side per axis and the sums kept in 32 bits: the weight products add up to exactly
// 65536, so a uniform area keeps its colour. Rounded to nearest; every step is integer or a
// single float product, so the vector loop gives the same bytes.
inline uint32_t levelMeanOfSquare(const TSquares& s, int64_t lx, int64_t ly)
{
    const int64_t fx = lx >> 16, fy = ly >> 16;
    const int64_t lastX = (lx + s.side - 1) >> 16, lastY = (ly + s.side - 1) >> 16;
    const bool twoX = lastX > fx, twoY = lastY > fy;
    const int32_t x1 =
        twoX ? int32_t(std::lrint(float(int32_t(lx + s.side - (lastX << 16))) * s.toEighths)) : 0;
    const int32_t y1 =
        twoY ? int32_t(std::lrint(float(int32_t(ly + s.side - (lastY << 16))) * s.toEighths)) : 0;
    const int32_t x0 = 256 - x1, y0 = 256 - y1;
    const uint32_t* p0 = s.base + fy * s.stride + fx;
    const uint32_t* p1 = twoY ? p0 + s.stride : p0;
    const int32_t right = twoX ? 1 : 0;
    const uint32_t pixel[4] = {p0[0], p0[right], p1[0], p1[right]};
    const int32_t weight[4] = {x0 * y0, x1 * y0, x0 * y1, x1 * y1};
    uint32_t mean = 0;
    for (int c = 0; c < 4; ++c) {
        int32_t sum = 32768;
        for (int k = 0; k < 4; ++k)
            sum += weight[k] * int32_t((pixel[k] >> (8 * c)) & 0xFF);
        mean |= uint32_t(sum >> 16) << (8 * c);
    }
    return mean;
}

void interiorPortable(uint32_t* out, int32_t count, TRowWalk w, const TSquares& s)
{
    if (s.shift == 0) {
        for (int32_t i = 0; i < count; ++i, w.x += w.dx, w.y += w.dy)
            out[i] = meanOfSquare(s, (w.x >> 16) - s.half, (w.y >> 16) - s.half);
        return;
    }
    for (int32_t i = 0; i < count; ++i, w.x += w.dx, w.y += w.dy)
        out[i] = levelMeanOfSquare(s, ((w.x >> 16) - s.half) >> s.shift,
                                   ((w.y >> 16) - s.half) >> s.shift);
}

// The level corners (16.16) of eight squares from their walks, in pixel order.
__attribute__((target("avx2"), always_inline)) inline __m256i corner(__m256i a, __m256i b,
                                                                     __m256i half, __m128i shift)
{
    a = _mm256_srl_epi64(_mm256_sub_epi64(_mm256_srli_epi64(a, 16), half), shift);
    b = _mm256_srl_epi64(_mm256_sub_epi64(_mm256_srli_epi64(b, 16), half), shift);
    return _mm256_castps_si256(
        _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
}

// Lanes 0 … 3 (h = 0) or 4 … 7 (h = 1) of eight 32-bit integers as doubles.
__attribute__((target("avx2"), always_inline)) inline __m256d toDoubles(int h, __m256i v)
{
    return _mm256_cvtepi32_pd(h == 0 ? _mm256_castsi256_si128(v) : _mm256_extracti128_si256(v, 1));
}

// The same half of a 32-bit lane mask, widened to four 64-bit lanes.
__attribute__((target("avx2"), always_inline)) inline __m256d wideMask(__m256i mask, int h)
{
    return _mm256_castsi256_pd(_mm256_cvtepi32_epi64(h == 0 ? _mm256_castsi256_si128(mask)
                                                            : _mm256_extracti128_si256(mask, 1)));
}

// Pixel pairs at four addresses: [a b | c d], two words each.
__attribute__((target("avx2"), always_inline)) inline __m256i
fourPairs(const uint32_t* a, const uint32_t* b, const uint32_t* c, const uint32_t* d)
{
    auto pair = [](const uint32_t* p) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    };
    return _mm256_set_m128i(_mm_unpacklo_epi64(pair(c), pair(d)),
                            _mm_unpacklo_epi64(pair(a), pair(b)));
}

// The first (even) or second (odd) word of each pair, pairs of squares 0, 1, 4, 5 in `a` and
// 2, 3, 6, 7 in `b`, in square order.
__attribute__((target("avx2"), always_inline)) inline __m256i evenWords(__m256i a, __m256i b)
{
    return _mm256_castps_si256(
        _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
}

__attribute__((target("avx2"), always_inline)) inline __m256i oddWords(__m256i a, __m256i b)
{
    return _mm256_castps_si256(
        _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), _MM_SHUFFLE(3, 1, 3, 1)));
}

// Eight interior pixels at a time: the corners from the 32.32 walk in 64-bit lanes (all
// positive here), then weights, gathers and the four channels' sums in doubles.
template <bool Exact>
__attribute__((target("avx2"))) void interiorAvx2T(uint32_t* out, int32_t count, TRowWalk w,
                                                   const TSquares& s)
{
    int32_t i = 0;
    if (count >= 8) {
        // Pixels 0, 1, 4, 5 in one register and 2, 3, 6, 7 in the other, so that picking the
        // low halves of both puts the eight in order.
        __m256i ax = walkLanes(w.x, w.dx, 0, 1, 4, 5), bx = walkLanes(w.x, w.dx, 2, 3, 6, 7);
        __m256i ay = walkLanes(w.y, w.dy, 0, 1, 4, 5), by = walkLanes(w.y, w.dy, 2, 3, 6, 7);
        const __m256i stepX = _mm256_set1_epi64x(8 * w.dx);
        const __m256i stepY = _mm256_set1_epi64x(8 * w.dy);
        const __m256i half = _mm256_set1_epi64x(s.half);
        const __m128i shift = _mm_cvtsi32_si128(s.shift);
        const __m256i one = _mm256_set1_epi32(int32_t(kOne));
        const __m256i low = _mm256_set1_epi32(0xFFFF);
        const __m256i side = _mm256_set1_epi32(int32_t(s.side));
        const __m256i sideLess1 = _mm256_set1_epi32(int32_t(s.side - 1));
        const __m256i stride = _mm256_set1_epi32(int32_t(s.stride));
        const __m256i byteMask = _mm256_set1_epi32(0xFF);
        const __m256d nudge = _mm256_set1_pd(kNudge);
        const __m256d inverse0 = _mm256_set1_pd(s.inverse[0]);
        const __m256d inverse1 = _mm256_set1_pd(s.inverse[1]);
        const __m256d inverse2 = _mm256_set1_pd(s.inverse[2]);
        const __m256 toEighths = _mm256_set1_ps(s.toEighths);
        const __m256i eighths = _mm256_set1_epi32(256);
        const __m256i rounding = _mm256_set1_epi32(32768);
        for (; i + 8 <= count; i += 8) {
            const __m256i lx = corner(ax, bx, half, shift), ly = corner(ay, by, half, shift);
            const __m256i fx = _mm256_srai_epi32(lx, 16), fy = _mm256_srai_epi32(ly, 16);
            const __m256i lastX = _mm256_srai_epi32(_mm256_add_epi32(lx, sideLess1), 16);
            const __m256i lastY = _mm256_srai_epi32(_mm256_add_epi32(ly, sideLess1), 16);
            const __m256i twoX = _mm256_cmpgt_epi32(lastX, fx);
            const __m256i twoY = _mm256_cmpgt_epi32(lastY, fy);
            const __m256i wx0 =
                _mm256_sub_epi32(one, _mm256_and_si256(_mm256_and_si256(lx, low), twoX));
            const __m256i wy0 =
                _mm256_sub_epi32(one, _mm256_and_si256(_mm256_and_si256(ly, low), twoY));
            const __m256i wx1 = _mm256_and_si256(
                _mm256_sub_epi32(_mm256_add_epi32(lx, side), _mm256_slli_epi32(lastX, 16)), twoX);
            const __m256i wy1 = _mm256_and_si256(
                _mm256_sub_epi32(_mm256_add_epi32(ly, side), _mm256_slli_epi32(lastY, 16)), twoY);
            const __m256i at00 = _mm256_add_epi32(_mm256_mullo_epi32(fy, stride), fx);
            // Each square's two pixels of each row are neighbours in memory: two 64-bit loads
            // per square (the run keeps fx + 1 and fy + 1 on the picture, and a pixel outside
            // the square gets weight 0) beat four gathers on the processors we measured.
            alignas(32) int32_t at[8];
            _mm256_store_si256(reinterpret_cast<__m256i*>(at), at00);
            const uint32_t* b = s.base;
            const ptrdiff_t down = s.stride;
            const __m256i topA = fourPairs(b + at[0], b + at[1], b + at[4], b + at[5]);
            const __m256i topB = fourPairs(b + at[2], b + at[3], b + at[6], b + at[7]);
            const __m256i bottomA =
                fourPairs(b + at[0] + down, b + at[1] + down, b + at[4] + down, b + at[5] + down);
            const __m256i bottomB =
                fourPairs(b + at[2] + down, b + at[3] + down, b + at[6] + down, b + at[7] + down);
            const __m256i p[4] = {evenWords(topA, topB), oddWords(topA, topB),
                                  evenWords(bottomA, bottomB), oddWords(bottomA, bottomB)};
            // Eight squares each inside one pixel (every square of an aligned 100 % view) are
            // those pixels.
            const __m256i spans = _mm256_or_si256(twoX, twoY);
            if (_mm256_testz_si256(spans, spans)) {
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), p[0]);
                ax = _mm256_add_epi64(ax, stepX);
                bx = _mm256_add_epi64(bx, stepX);
                ay = _mm256_add_epi64(ay, stepY);
                by = _mm256_add_epi64(by, stepY);
                continue;
            }
            __m256i mean;
            if constexpr (Exact) {
                // Across: wx0 × left + wx1 × right is a whole number below 2^24, exact in floats.
                const __m256 fx0 = _mm256_cvtepi32_ps(wx0), fx1 = _mm256_cvtepi32_ps(wx1);
                const __m256i both = _mm256_and_si256(twoX, twoY);
                const __m256i either = _mm256_xor_si256(twoX, twoY);
                __m256d dy0[2], dy1[2], inverse[2];
                for (int h = 0; h < 2; ++h) {
                    dy0[h] = toDoubles(h, wy0);
                    dy1[h] = toDoubles(h, wy1);
                    inverse[h] = _mm256_blendv_pd(inverse0, inverse1, wideMask(either, h));
                    inverse[h] = _mm256_blendv_pd(inverse[h], inverse2, wideMask(both, h));
                }
                mean = _mm256_setzero_si256();
                for (int c = 0; c < 4; ++c) {
                    __m256 channel[4];
                    for (int k = 0; k < 4; ++k)
                        channel[k] = _mm256_cvtepi32_ps(
                            _mm256_and_si256(_mm256_srli_epi32(p[k], 8 * c), byteMask));
                    const __m256 top = _mm256_add_ps(_mm256_mul_ps(fx0, channel[0]),
                                                     _mm256_mul_ps(fx1, channel[1]));
                    const __m256 bottom = _mm256_add_ps(_mm256_mul_ps(fx0, channel[2]),
                                                        _mm256_mul_ps(fx1, channel[3]));
                    // Down, in doubles: the sums reach 2^40.
                    __m128i q[2];
                    for (int h = 0; h < 2; ++h) {
                        const __m256d t = _mm256_cvtps_pd(h == 0 ? _mm256_castps256_ps128(top)
                                                                 : _mm256_extractf128_ps(top, 1));
                        const __m256d b =
                            _mm256_cvtps_pd(h == 0 ? _mm256_castps256_ps128(bottom)
                                                   : _mm256_extractf128_ps(bottom, 1));
                        const __m256d sum =
                            _mm256_add_pd(_mm256_mul_pd(dy0[h], t), _mm256_mul_pd(dy1[h], b));
                        q[h] = _mm256_cvttpd_epi32(
                            _mm256_add_pd(_mm256_mul_pd(sum, inverse[h]), nudge));
                    }
                    mean = _mm256_or_si256(mean,
                                           _mm256_slli_epi32(_mm256_set_m128i(q[1], q[0]), 8 * c));
                }
            } else {
                const __m256i x1 = _mm256_and_si256(
                    _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(wx1), toEighths)), twoX);
                const __m256i y1 = _mm256_and_si256(
                    _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(wy1), toEighths)), twoY);
                const __m256i x0 = _mm256_sub_epi32(eighths, x1);
                const __m256i y0 = _mm256_sub_epi32(eighths, y1);
                const __m256i weight[4] = {_mm256_mullo_epi32(x0, y0), _mm256_mullo_epi32(x1, y0),
                                           _mm256_mullo_epi32(x0, y1), _mm256_mullo_epi32(x1, y1)};
                mean = _mm256_setzero_si256();
                for (int c = 0; c < 4; ++c) {
                    __m256i sum = rounding;
                    for (int k = 0; k < 4; ++k)
                        sum = _mm256_add_epi32(
                            sum, _mm256_mullo_epi32(
                                     weight[k],
                                     _mm256_and_si256(_mm256_srli_epi32(p[k], 8 * c), byteMask)));
                    mean =
                        _mm256_or_si256(mean, _mm256_slli_epi32(_mm256_srli_epi32(sum, 16), 8 * c));
                }
            }
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), mean);
            ax = _mm256_add_epi64(ax, stepX);
            bx = _mm256_add_epi64(bx, stepX);
            ay = _mm256_add_epi64(ay, stepY);
            by = _mm256_add_epi64(by, stepY);
        }
        w.x += int64_t(i) * w.dx;
        w.y += int64_t(i) * w.dy;
    }
    interiorPortable(out + i, count - i, w, s);
}

void interiorAvx2(uint32_t* out, int32_t count, TRowWalk w, const TSquares& s)
{
    if (s.shift == 0)
        interiorAvx2T<true>(out, count, w, s);
    else
        interiorAvx2T<false>(out, count, w, s);
}

// An unrotated view at 100 % and above: a column's square spans the same paper columns on every
// row, so each paper row's weighted sums across (wx0 × left + wx1 × right, whole numbers below
// 2^24, exact in floats) are worked out once and serve every window row that reads that paper
// row; a window row then only sums down. Same exact quotient as meanOfSquare.
class TStraightRows {
  public:
    TStraightRows(const TSquares& s, const TRowWalk& first, int32_t count) : s_(s)
    {
        x0_.resize(size_t(count));
        for (int32_t i = 0; i < count; ++i)
            x0_[size_t(i)] = ((first.x + int64_t(i) * first.dx) >> 16) - s.half;
    }

    // Window columns [from, to) of a row whose squares start at y0, all inside the picture with
    // the pixel right of and below each square's first one on it.
    __attribute__((target("avx2"))) void render(uint32_t* out, int32_t from, int32_t to, int64_t y0)
    {
        prepareColumns(from, to);
        const int64_t fy = y0 >> 16, lastY = (y0 + s_.step - 1) >> 16;
        const bool twoY = lastY > fy;
        const double wy0 = twoY ? double(kOne - (y0 & 0xFFFF)) : double(kOne);
        const double wy1 = twoY ? double(y0 + s_.step - (lastY << 16)) : 0.0;
        // Worked out on the first group that needs them: an aligned 100 % row never does.
        const float* top[4] = {};
        const float* bottom[4] = {};
        const std::vector<double>& inverse = twoY ? inverseTwo_ : inverseOne_;
        const __m256d down0 = _mm256_set1_pd(wy0), down1 = _mm256_set1_pd(wy1);
        const __m256d nudge = _mm256_set1_pd(kNudge);
        const uint32_t* line = s_.base + ptrdiff_t(fy) * s_.stride;
        int32_t i = from;
        for (; i + 8 <= to; i += 8) {
            const size_t k = size_t(i - from_);
            // Eight squares inside one pixel each (an aligned 100 % view) are those pixels.
            if (!twoY && singleGroup_[k / 8]) {
                for (int j = 0; j < 8; ++j)
                    out[i - from + j] = line[first_[k + size_t(j)]];
                continue;
            }
            if (!top[0]) {
                sumsOf(int32_t(fy), int32_t(fy + 1), top);
                if (twoY)
                    sumsOf(int32_t(fy + 1), int32_t(fy), bottom);
                else
                    std::copy(std::begin(top), std::end(top), std::begin(bottom)); // weight 0
            }
            const __m256d r[2] = {_mm256_loadu_pd(&inverse[k]), _mm256_loadu_pd(&inverse[k + 4])};
            __m256i mean = _mm256_setzero_si256();
            for (int c = 0; c < 4; ++c) {
                __m128i q[2];
                for (int h = 0; h < 2; ++h) {
                    const __m256d t = _mm256_cvtps_pd(_mm_loadu_ps(top[c] + k + 4 * h));
                    const __m256d b = _mm256_cvtps_pd(_mm_loadu_ps(bottom[c] + k + 4 * h));
                    const __m256d sum =
                        _mm256_add_pd(_mm256_mul_pd(down0, t), _mm256_mul_pd(down1, b));
                    q[h] = _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(sum, r[h]), nudge));
                }
                mean =
                    _mm256_or_si256(mean, _mm256_slli_epi32(_mm256_set_m128i(q[1], q[0]), 8 * c));
            }
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + (i - from)), mean);
        }
        for (; i < to; ++i)
            out[i - from] = meanOfSquare(s_, x0_[size_t(i)], y0);
    }

  private:
    // Column weights and quotients for [from, to); the same run serves every row.
    void prepareColumns(int32_t from, int32_t to)
    {
        if (from == from_ && to == to_) return;
        from_ = from;
        to_ = to;
        const size_t n = size_t(to - from);
        first_.resize(n);
        right_.resize(n);
        left_.resize(n);
        inverseOne_.resize(n);
        inverseTwo_.resize(n);
        for (size_t k = 0; k < n; ++k) {
            const int64_t x0 = x0_[size_t(from) + k];
            const int64_t fx = x0 >> 16, lastX = (x0 + s_.step - 1) >> 16;
            const bool twoX = lastX > fx;
            first_[k] = int32_t(fx);
            left_[k] = twoX ? float(kOne - (x0 & 0xFFFF)) : float(kOne);
            right_[k] = twoX ? float(x0 + s_.step - (lastX << 16)) : 0.0f;
            const double across = twoX ? double(s_.step) : double(kOne);
            inverseOne_[k] = 1.0 / (across * double(kOne));
            inverseTwo_[k] = 1.0 / (across * double(s_.step));
        }
        singleGroup_.assign(n / 8 + 1, 1);
        for (size_t k = 0; k < n; ++k)
            if (right_[k] != 0.0f || left_[k] != float(kOne)) singleGroup_[k / 8] = 0;
        for (TSums& sums : cache_)
            sums.row = -1;
    }

    // The sums of `row`, keeping those of `keep` (the row's partner) if they are at hand.
    void sumsOf(int32_t row, int32_t keep, const float* (&channels)[4])
    {
        for (TSums& sums : cache_)
            if (sums.row == row) {
                for (int c = 0; c < 4; ++c)
                    channels[c] = sums.channel[c].data();
                return;
            }
        TSums* slot = cache_[0].row == keep ? &cache_[1] : &cache_[0];
        fillSums(row, *slot);
        for (int c = 0; c < 4; ++c)
            channels[c] = slot->channel[c].data();
    }

    struct TSums {
        int32_t row = -1;
        std::vector<float> channel[4];
    };

    __attribute__((target("avx2"))) void fillSums(int32_t row, TSums& sums)
    {
        const size_t n = first_.size();
        for (auto& channel : sums.channel)
            channel.resize(n + 8);
        sums.row = row;
        const uint32_t* line = s_.base + ptrdiff_t(row) * s_.stride;
        const __m256i byteMask = _mm256_set1_epi32(0xFF);
        size_t k = 0;
        for (; k + 8 <= n; k += 8) {
            const int32_t* at = &first_[k];
            const __m256i a = fourPairs(line + at[0], line + at[1], line + at[4], line + at[5]);
            const __m256i b = fourPairs(line + at[2], line + at[3], line + at[6], line + at[7]);
            const __m256i leftPixels = evenWords(a, b), rightPixels = oddWords(a, b);
            const __m256 wl = _mm256_loadu_ps(&left_[k]), wr = _mm256_loadu_ps(&right_[k]);
            for (int c = 0; c < 4; ++c) {
                const __m256 l = _mm256_cvtepi32_ps(
                    _mm256_and_si256(_mm256_srli_epi32(leftPixels, 8 * c), byteMask));
                const __m256 r = _mm256_cvtepi32_ps(
                    _mm256_and_si256(_mm256_srli_epi32(rightPixels, 8 * c), byteMask));
                _mm256_storeu_ps(&sums.channel[c][k],
                                 _mm256_add_ps(_mm256_mul_ps(wl, l), _mm256_mul_ps(wr, r)));
            }
        }
        for (; k < n; ++k)
            for (int c = 0; c < 4; ++c)
                sums.channel[c][k] = left_[k] * float((line[first_[k]] >> (8 * c)) & 0xFF) +
                                     right_[k] * float((line[first_[k] + 1] >> (8 * c)) & 0xFF);
    }

    const TSquares& s_;
    std::vector<int64_t> x0_; // every column's square corner, paper 16.16
    int32_t from_ = -1, to_ = -1;
    std::vector<int32_t> first_;
    std::vector<float> left_, right_;
    std::vector<double> inverseOne_, inverseTwo_;
    std::vector<uint8_t> singleGroup_; // per 8 columns: every square inside one pixel across
    TSums cache_[2];
};

// A square over the paper's edge or outside it: the area sampler, exactly as the reference on
// the paper, or on the level for the part of the square inside the paper's level pixels.
struct TEdgeSampler {
    CScaleImageTMTC& sampler;
    const TSquares& s;

    uint32_t operator()(int64_t x0, int64_t y0, uint32_t background) const
    {
        if (x0 + s.step <= 0 || x0 >= s.limitX || y0 + s.step <= 0 || y0 >= s.limitY)
            return background;
        uint32_t mean = background;
        if (s.shift == 0) {
            sampler.SampleArea(reinterpret_cast<uint8_t*>(&mean), x0, y0, x0 + s.step, y0 + s.step);
            return mean;
        }
        // The part on the paper, widened to whole level positions so that it never vanishes.
        const int64_t round = (int64_t(1) << s.shift) - 1;
        const int64_t left = std::max<int64_t>(x0, 0) >> s.shift;
        const int64_t top = std::max<int64_t>(y0, 0) >> s.shift;
        const int64_t right = (std::min(x0 + s.step, s.limitX) + round) >> s.shift;
        const int64_t bottom = (std::min(y0 + s.step, s.limitY) + round) >> s.shift;
        sampler.SampleArea(reinterpret_cast<uint8_t*>(&mean), left, top, right, bottom);
        return mean;
    }
};

// A row: background where the squares miss the paper, the sampler over its edges, the kernels
// inside. Both corners move one way along a row, so each of these is one run.
void renderRow(TKernels kernels, uint32_t* out, int32_t count, TRowWalk w, const TSquares& s,
               const TEdgeSampler& edge, uint32_t background, TStraightRows* straight)
{
    // x0 = (walk >> 16) − half; on the paper: −step < x0 < limit; inside: 0 ≤ x0 ≤ limit − step.
    const TRun touching =
        overlap(runWithin(w.x, w.dx, 16, s.half - s.step + 1, s.limitX - 1 + s.half, count),
                runWithin(w.y, w.dy, 16, s.half - s.step + 1, s.limitY - 1 + s.half, count));
    TRun inside = overlap(runWithin(w.x, w.dx, 16, s.half, s.limitX - s.step + s.half, count),
                          runWithin(w.y, w.dy, 16, s.half, s.limitY - s.step + s.half, count));
    if (inside.first >= inside.end) inside = {touching.end, touching.end};
    std::fill_n(out, touching.first, background);
    std::fill_n(out + touching.end, count - touching.end, background);
    auto edgeRun = [&](int32_t from, int32_t to) {
        for (int32_t i = from; i < to; ++i)
            out[i] = edge(((w.x + int64_t(i) * w.dx) >> 16) - s.half,
                          ((w.y + int64_t(i) * w.dy) >> 16) - s.half, background);
    };
    edgeRun(touching.first, inside.first);
    edgeRun(inside.end, touching.end);
    if (inside.first >= inside.end) return;
    auto walkFrom = [&](int32_t i) {
        TRowWalk from = w;
        from.x += int64_t(i) * w.dx;
        from.y += int64_t(i) * w.dy;
        return from;
    };
    TRun fast;
    if (kernels == TKernels::avx2) {
        // The vector loop reads the pixel right of and below each square's first one.
        const int64_t lastX = ((int64_t(s.width) - 1) << 16 << s.shift) - 1 + s.half;
        const int64_t lastY = ((int64_t(s.height) - 1) << 16 << s.shift) - 1 + s.half;
        fast = overlap(inside, overlap(runWithin(w.x, w.dx, 16, INT64_MIN, lastX, count),
                                       runWithin(w.y, w.dy, 16, INT64_MIN, lastY, count)));
    }
    if (fast.first >= fast.end) fast = {inside.end, inside.end};
    interiorPortable(out + inside.first, fast.first - inside.first, walkFrom(inside.first), s);
    if (straight && fast.first < fast.end)
        straight->render(out + fast.first, fast.first, fast.end, (w.y >> 16) - s.half);
    else
        interiorAvx2(out + fast.first, fast.end - fast.first, walkFrom(fast.first), s);
    interiorPortable(out + fast.end, inside.end - fast.end, walkFrom(fast.end), s);
}

} // namespace

void renderSmooth(TKernels kernels, const TViewTarget& display, const TMTC& source,
                  const TViewPyramid* pyramid, uint32_t background, float zoom, float angle,
                  const TBox& box, TPointF centre)
{
    TBox clip;
    TViewGeometry g;
    if (!startView(display, source, background, zoom, angle, box, centre, clip, g)) return;
    // The lowest level on which the square is at most one pixel wide.
    const int32_t levels = pyramid && pyramid->matches(source) ? pyramid->levels() : 0;
    int32_t level = 0;
    while ((g.step >> level) > kOne && level < levels)
        ++level;
    const TMTC& image = level == 0 ? source : pyramid->level(level);
    TSquares s;
    // Lanes hold level 16.16 corners in 32 bits; pictures this wide take the exact sampler.
    if ((g.step >> level) > kOne || !uniformRowStride(image, s.stride) || image.width() >= 32768 ||
        image.height() >= 32768) {
        RenderRotatedViewReference(display, source, background, zoom, angle, clip, centre);
        return;
    }
    s.base = image.row(0);
    s.width = image.width();
    s.height = image.height();
    s.shift = level;
    s.step = g.step;
    s.side = g.step >> level;
    s.half = g.step / 2;
    s.limitX = int64_t(source.width()) * kOne;
    s.limitY = int64_t(source.height()) * kOne;
    s.inverse[0] = 1.0 / (double(kOne) * double(kOne));
    s.inverse[1] = 1.0 / (double(kOne) * double(s.side));
    s.inverse[2] = 1.0 / (double(s.side) * double(s.side));
    s.toEighths = 256.0f / float(s.side);
    TMTC unused(1, 1); // the sampler wants a destination; sampling never touches it
    CScaleImageTMTC sampler(image, unused);
    const TEdgeSampler edge{sampler, s};
    std::unique_ptr<TStraightRows> straight;
    if (g.sin == 0 && level == 0 && kernels == TKernels::avx2)
        straight = std::make_unique<TStraightRows>(s, rowStart(g, clip.x, clip.y), clip.width);
    for (int32_t y = clip.y; y < clip.y + clip.height; ++y)
        renderRow(kernels, targetRow(display, y) + clip.x, clip.width, rowStart(g, clip.x, y), s,
                  edge, background, straight.get());
}

} // namespace qm::view

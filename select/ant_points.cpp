#include "select/ant_points.h"

#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qm {

void CPointList::addBlock()
{
    blocks_.push_back(std::make_unique<std::array<TPoint, kBlockPoints>>());
    free_ = kBlockPoints;
}

void CPointList::clear()
{
    blocks_.clear();
    addBlock();
}

namespace {

#if !defined(__SSE2__)
// Bit j set when byte j of the word is non-zero: each byte's high bit is set by the sum (or
// is the byte's own), then the eight high bits are gathered by one multiplication.
inline uint64_t nonzeroBits8(uint64_t v)
{
    static_assert(std::endian::native == std::endian::little, "bytes are read as words");
    const uint64_t high =
        (((v & 0x7F7F7F7F7F7F7F7Full) + 0x7F7F7F7F7F7F7F7Full) | v) & 0x8080808080808080ull;
    return (high * 0x0002040810204081ull) >> 56;
}
#endif

// Bit i set when byte i of the `count` (at most 64) bytes at p is non-zero.
inline uint64_t nonzeroMask64(const uint8_t* p, int32_t count)
{
    uint64_t mask = 0;
    if (count == 64) {
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        for (int32_t k = 0; k < 64; k += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
            mask |= uint64_t(uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)))) << k;
        }
        return ~mask;
#else
        for (int32_t k = 0; k < 64; k += 8) {
            uint64_t v;
            std::memcpy(&v, p + k, 8);
            mask |= nonzeroBits8(v) << k;
        }
        return mask;
#endif
    }
    for (int32_t i = 0; i < count; ++i)
        mask |= uint64_t(p[i] != 0) << i;
    return mask;
}

// fn(start, end) for every run of set bits among the first n bits of a line held as words
// (bit i of word k is position 64k + i; bits past n are clear), in order. The runs' ends are
// where a bit differs from the one before it, so the cost follows the number of runs.
template <typename Fn> void forEachRun(const uint64_t* words, int32_t n, Fn&& fn)
{
    uint64_t before = 0; // the last bit of the previous word
    int32_t start = 0;
    for (int32_t base = 0; base < n; base += 64) {
        const uint64_t inside = *words++;
        uint64_t changes = inside ^ ((inside << 1) | before);
        before = inside >> 63;
        while (changes != 0) {
            const int32_t bit = std::countr_zero(changes);
            changes &= changes - 1;
            if ((inside >> bit) & 1)
                start = base + bit;
            else
                fn(start, base + bit);
        }
    }
    if (before != 0) fn(start, n);
}

// Transposes a 64 × 64 bit matrix, bit j of word i being element (i, j): rounds of swapping
// the off-diagonal halves of 32 × 32, 16 × 16, … 1 × 1 blocks.
void transpose64(std::array<uint64_t, 64>& a)
{
    uint64_t m = 0x00000000FFFFFFFFull;
    for (size_t j = 32; j != 0; j >>= 1, m ^= m << j)
        for (size_t k = 0; k < 64; k = ((k | j) + 1) & ~j) {
            const uint64_t t = ((a[k] >> j) ^ a[k | j]) & m;
            a[k] ^= t << j;
            a[k | j] ^= t;
        }
}

} // namespace

void TLineIndex::reset(int32_t lines, int32_t extent)
{
    lines_ = lines;
    perLine_ = (extent >> kShift) + 2;
    marks_.assign(size_t(lines) * size_t(perLine_), -1); // -1 until a line is ended
    along_.clear();
    base_ = 0;
    next_ = 0;
}

void CAntPoints::clear()
{
    left.clear();
    right.clear();
    top.clear();
    bottom.clear();
    index_ = {};
}

bool CAntPoints::indexed() const
{
    const auto matches = [](const TLineIndex& index, const CPointList& list) {
        return index.complete() && index.size() == list.size();
    };
    return matches(index_.left, left) && matches(index_.right, right) && matches(index_.top, top) &&
           matches(index_.bottom, bottom);
}

void CAntPoints::extract(const TChannel& channel)
{
    clear();
    if (!channel.IsValid() || channel.width() <= 0 || channel.height() <= 0) return;
    const int32_t w = channel.width(), h = channel.height();
    // Coordinates along a line run up to the line's length inclusive.
    const bool indexing = w <= TLineIndex::kMaxExtent && h <= TLineIndex::kMaxExtent;
    if (indexing) {
        index_.left.reset(h, w);
        index_.right.reset(h, w);
        index_.top.reset(w, h);
        index_.bottom.reset(w, h);
    }

    // Every row as bits, one per pixel; a run of non-zero pixels from x to end − 1 has its
    // left edge at x and its right edge at end.
    const int32_t rowWords = (w + 63) / 64, columnWords = (h + 63) / 64;
    std::vector<uint64_t> bits(size_t(rowWords) * size_t(h));
    for (int32_t y = 0; y < h; ++y) {
        uint64_t* words = bits.data() + size_t(y) * size_t(rowWords);
        const uint8_t* row = channel.row(y);
        for (int32_t k = 0; k < rowWords; ++k)
            words[k] = nonzeroMask64(row + 64 * k, std::min(64, w - 64 * k));
        if (indexing) {
            index_.left.beginLine(y);
            index_.right.beginLine(y);
        }
        forEachRun(words, w, [&](int32_t start, int32_t end) {
            left.append(start, y);
            right.append(end, y);
            if (indexing) {
                index_.left.point(start);
                index_.right.point(end);
            }
        });
        if (indexing) {
            index_.left.endLine();
            index_.right.endLine();
        }
    }

    // The same down the columns, 64 at a time: their bits are the row bits transposed in
    // 64 × 64 blocks. Top edges at run starts, bottom edges at run ends.
    std::vector<uint64_t> columns(size_t(64) * size_t(columnWords));
    std::array<uint64_t, 64> block{};
    for (int32_t g = 0; g < rowWords; ++g) {
        for (int32_t b = 0; b < columnWords; ++b) {
            for (int32_t r = 0; r < 64; ++r) {
                const int32_t y = 64 * b + r;
                block[size_t(r)] = y < h ? bits[size_t(y) * size_t(rowWords) + size_t(g)] : 0;
            }
            transpose64(block);
            for (size_t c = 0; c < 64; ++c)
                columns[c * size_t(columnWords) + size_t(b)] = block[c];
        }
        for (int32_t c = 0; c < std::min(64, w - 64 * g); ++c) {
            const int32_t x = 64 * g + c;
            if (indexing) {
                index_.top.beginLine(x);
                index_.bottom.beginLine(x);
            }
            forEachRun(columns.data() + size_t(c) * size_t(columnWords), h,
                       [&](int32_t start, int32_t end) {
                           top.append(x, start);
                           bottom.append(x, end);
                           if (indexing) {
                               index_.top.point(start);
                               index_.bottom.point(end);
                           }
                       });
            if (indexing) {
                index_.top.endLine();
                index_.bottom.endLine();
            }
        }
    }
}

// ---- culling ----

namespace {

// How far, in paper pixels, beyond the mapped-back box a visible point may still lie: far
// more than the float rounding of a view transform over a paper of any allowed size.
constexpr double kPaperMargin = 1.0;
// The clip box is widened in view pixels by the truncation of positions (a position within
// one pixel left of or above the box truncates into it) and by one pixel for rounding.
constexpr double kViewMargin = 2.0;
// How far the fourth probe may miss the affine prediction, in view pixels.
constexpr double kAffineTolerance = 0.25;
constexpr double kSpanLimit = double(1 << 30);

int32_t clampedFloor(double v)
{
    return int32_t(std::clamp(std::floor(v), -kSpanLimit, kSpanLimit));
}

int32_t clampedCeil(double v)
{
    return int32_t(std::clamp(std::ceil(v), -kSpanLimit, kSpanLimit));
}

} // namespace

bool TAntsCulling::fit(const std::array<TPointF, 9>& probes, TBox clip, TPoint offset)
{
    if (clip.isEmpty()) return false;
    for (const TPointF& p : probes)
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    const TPointF o = probes[0], ex = probes[2], ey = probes[6];
    const double probe = kProbe;
    const double ax = (double(ex.x) - o.x) / probe, ay = (double(ex.y) - o.y) / probe;
    const double bx = (double(ey.x) - o.x) / probe, by = (double(ey.y) - o.y) / probe;
    for (int32_t j = 0; j < 3; ++j)
        for (int32_t i = 0; i < 3; ++i) {
            const TPointF p = probes[size_t(j * 3 + i)];
            const double u = i * probe / 2, v = j * probe / 2;
            if (std::abs(o.x + ax * u + bx * v - p.x) > kAffineTolerance ||
                std::abs(o.y + ay * u + by * v - p.y) > kAffineTolerance)
                return false;
        }
    const double det = ax * by - bx * ay;
    if (!(std::abs(det) > 1e-9)) return false;

    // The widened box in view coordinates before the ants offset is added.
    const double x0 = double(clip.x) - offset.x - kViewMargin;
    const double y0 = double(clip.y) - offset.y - kViewMargin;
    const double x1 = double(clip.x) + clip.width - offset.x + kViewMargin;
    const double y1 = double(clip.y) + clip.height - offset.y + kViewMargin;
    const std::array<double, 4> cx{x0, x1, x1, x0}, cy{y0, y0, y1, y1};
    for (size_t i = 0; i < 4; ++i) {
        const double dx = cx[i] - o.x, dy = cy[i] - o.y;
        px_[i] = (by * dx - bx * dy) / det;
        py_[i] = (ax * dy - ay * dx) / det;
    }
    minX_ = *std::min_element(px_.begin(), px_.end());
    maxX_ = *std::max_element(px_.begin(), px_.end());
    minY_ = *std::min_element(py_.begin(), py_.end());
    maxY_ = *std::max_element(py_.begin(), py_.end());
    // The edges for rows (across = y, along = x) and for columns (the other way round).
    for (size_t orientation = 0; orientation < 2; ++orientation) {
        const std::array<double, 4>& along = orientation == 0 ? px_ : py_;
        const std::array<double, 4>& across = orientation == 0 ? py_ : px_;
        for (size_t i = 0; i < 4; ++i) {
            const size_t j = (i + 1) % 4;
            TEdge& e = edges_[orientation][i];
            const bool rising = across[i] <= across[j];
            e.acrossLo = rising ? across[i] : across[j];
            e.acrossHi = rising ? across[j] : across[i];
            e.alongLo = rising ? along[i] : along[j];
            e.alongHi = rising ? along[j] : along[i];
            e.flat = e.acrossLo == e.acrossHi;
            e.slope = e.flat ? 0.0 : (e.alongHi - e.alongLo) / (e.acrossHi - e.acrossLo);
        }
    }
    return true;
}

bool TAntsCulling::lines(bool byColumns, int32_t count, int32_t& first, int32_t& last) const
{
    const double lo = byColumns ? minX_ : minY_, hi = byColumns ? maxX_ : maxY_;
    first = std::max(0, clampedFloor(lo - kPaperMargin));
    last = std::min(count - 1, clampedCeil(hi + kPaperMargin));
    return first <= last;
}

bool TAntsCulling::span(bool byColumns, int32_t line, int32_t& lo, int32_t& hi) const
{
    // The part of the parallelogram within the band line ± margin (across the line's
    // direction) is a convex polygon whose corners all lie on the parallelogram's edges
    // clipped to the band; its extent along the line is that of those clipped edges.
    const double bandLo = double(line) - kPaperMargin, bandHi = double(line) + kPaperMargin;
    double spanLo = 0, spanHi = 0;
    bool any = false;
    const auto include = [&](double v) {
        spanLo = any ? std::min(spanLo, v) : v;
        spanHi = any ? std::max(spanHi, v) : v;
        any = true;
    };
    for (const TEdge& e : edges_[byColumns ? 1 : 0]) {
        const double from = std::max(bandLo, e.acrossLo), to = std::min(bandHi, e.acrossHi);
        if (from > to) continue;
        if (e.flat) {
            include(e.alongLo);
            include(e.alongHi);
            continue;
        }
        include(e.alongLo + (from - e.acrossLo) * e.slope);
        include(e.alongLo + (to - e.acrossLo) * e.slope);
    }
    if (!any) return false;
    lo = clampedFloor(spanLo - kPaperMargin);
    hi = clampedCeil(spanHi + kPaperMargin);
    return true;
}

} // namespace qm

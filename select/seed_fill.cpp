#include "select/seed_fill.h"

#include "core/pixel_math.h"

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qm {

namespace {

// ---- scans ----

// Bits from..63 of a word set, the others clear (from in 0..63).
inline uint64_t bitsFrom(int32_t from)
{
    return ~uint64_t(0) << from;
}

// Bits 0..to set (to in 0..63).
inline uint64_t bitsUpTo(int32_t to)
{
    return ~uint64_t(0) >> (63 - to);
}

// Bit i of the result: values[i] != 0, for count ≤ 64 values.
uint64_t nonZeroBits(const uint8_t* values, int32_t count)
{
    uint64_t bits = 0;
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + i));
        const uint32_t isZero = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
        bits |= uint64_t(~isZero & 0xFFFFu) << i;
    }
#endif
    for (; i < count; ++i)
        bits |= uint64_t(values[i] != 0) << i;
    return bits;
}

// ---- reading source rows ----

// Calls fn(offset, n, pixels, fill) for the pieces of row y from x to x + count − 1 that lie
// in one block each: pixels points at the block's storage, or is nullptr for a block that has
// none (every pixel then reads as fill).
template <typename Fn>
void forEachRowChunk(const CBlockVMTC& image, int32_t y, int32_t x, int32_t count, Fn&& fn)
{
    const int32_t mask = image.blockMask(), shift = image.blockShift();
    const int32_t end = x + count;
    while (x < end) {
        const int32_t n = std::min(image.blockWidth() - (x & mask), end - x);
        const TBlockInfo* b = image.GetBlock(x >> shift, y >> shift);
        if (b->allocated)
            fn(count - (end - x), n, image.blockRow(*b, y & mask) + (x & mask), 0u);
        else
            fn(count - (end - x), n, nullptr, b->fill);
        x += n;
    }
}

// out[i] = convert(dist(pixel)) over a row segment of a tiled image; uniform blocks are
// measured once, and so is each run of equal pixels (drawings repeat colours).
template <typename Out, typename DistanceFn, typename ConvertFn>
void layerRow(const CBlockVMTC& image, int32_t y, int32_t x, int32_t count, Out* out,
              DistanceFn dist, ConvertFn convert)
{
    forEachRowChunk(image, y, x, count,
                    [&](int32_t offset, int32_t n, const uint32_t* pixels, uint32_t fill) {
                        Out* o = out + offset;
                        if (!pixels) {
                            std::fill_n(o, n, convert(dist(fill)));
                            return;
                        }
                        uint32_t last = pixels[0];
                        Out lastValue = convert(dist(last));
                        for (int32_t i = 0; i < n; ++i) {
                            if (pixels[i] != last) {
                                last = pixels[i];
                                lastValue = convert(dist(last));
                            }
                            o[i] = lastValue;
                        }
                    });
}

// The same over a row of a flat picture.
template <typename Out, typename DistanceFn, typename ConvertFn>
void flatRow(const TMTC& view, int32_t y, int32_t x, int32_t count, Out* out, DistanceFn dist,
             ConvertFn convert)
{
    const uint32_t* pixels = view.row(y) + x;
    uint32_t last = pixels[0];
    Out lastValue = convert(dist(last));
    for (int32_t i = 0; i < count; ++i) {
        if (pixels[i] != last) {
            last = pixels[i];
            lastValue = convert(dist(last));
        }
        out[i] = lastValue;
    }
}

// The same over a box of a tiled image, block by block (each block's storage is read in one
// stretch).
template <typename DistanceFn, typename ConvertFn>
void layerBox(const CBlockVMTC& image, TBox box, uint8_t* out, int32_t stride, DistanceFn dist,
              ConvertFn convert)
{
    const int32_t mask = image.blockMask();
    // Ask for every cache line of the box first, so that the blocks (scattered in memory)
    // arrive together rather than one miss after another.
    image.forEachBlockPart(box, [&](const TBlockInfo& b, const TBox& part) {
        if (!b.allocated)
            return;
        for (int32_t y = 0; y < part.height; ++y) {
            const uint32_t* row = image.blockRow(b, (part.y & mask) + y) + (part.x & mask);
            for (int32_t i = 0; i < part.width; i += 16)
                __builtin_prefetch(row + i);
        }
    });
    image.forEachBlockPart(box, [&](const TBlockInfo& b, const TBox& part) {
        uint8_t* o = out + ptrdiff_t(part.y - box.y) * stride + (part.x - box.x);
        if (!b.allocated) {
            const uint8_t v = convert(dist(b.fill));
            for (int32_t y = 0; y < part.height; ++y, o += stride)
                std::memset(o, v, size_t(part.width));
            return;
        }
        uint32_t last = image.blockRow(b, part.y & mask)[part.x & mask];
        uint8_t lastValue = convert(dist(last));
        for (int32_t y = 0; y < part.height; ++y, o += stride) {
            const uint32_t* pixels = image.blockRow(b, (part.y & mask) + y) + (part.x & mask);
            for (int32_t i = 0; i < part.width; ++i) {
                if (pixels[i] != last) {
                    last = pixels[i];
                    lastValue = convert(dist(last));
                }
                o[i] = lastValue;
            }
        }
    });
}

template <typename DistanceFn, typename ConvertFn>
void flatBox(const TMTC& view, TBox box, uint8_t* out, int32_t stride, DistanceFn dist,
             ConvertFn convert)
{
    for (int32_t y = 0; y < box.height; ++y)
        flatRow(view, box.y + y, box.x, box.width, out + ptrdiff_t(y) * stride, dist, convert);
}

struct TAsDistance {
    uint32_t operator()(uint32_t d) const { return d; }
};

struct TRgbDistance {
    uint32_t reference;
    uint32_t operator()(uint32_t p) const { return ColorDistance2(reference, p); }
};

// The transparent-mode distance: 2·A².
struct TAlphaOnlyDistance {
    uint32_t operator()(uint32_t p) const
    {
        const uint32_t a = p >> 24;
        return 2 * a * a;
    }
};

// Opaque reference: the pixel blended over the background (an opaque pixel keeps its colour,
// the blend of alpha 255 being the identity), a transparent pixel a barrier.
struct TBlendedDistance {
    uint32_t reference;
    uint32_t background;
    uint32_t operator()(uint32_t p) const
    {
        const uint32_t a = p >> 24;
        const uint32_t d = ColorDistance2(reference, blendOverBackground(p, background, a));
        return a == 0 ? kTransparentDistance : d;
    }
};

// The ring's luminance of a layer pixel: the pixel over white with its own alpha.
inline uint8_t layerRingLuma(uint32_t p)
{
    return uint8_t(Luma(blendOverBackground(p, 0xFFFFFFu, p >> 24)));
}

} // namespace

// ---- CSeedFillCore ----

CSeedFillCore::CSeedFillCore(int32_t width, int32_t height)
    : width_(std::max(width, 0)), height_(std::max(height, 0))
{
}

CSeedFillCore::~CSeedFillCore() = default;

bool CSeedFillCore::prepare()
{
    const size_t pixels = size_t(width_) * size_t(height_);
    wordsAcross_ = size_t((width_ + 63) >> 6);
    try {
        if (output_.width() == width_ && output_.height() == height_ && output_.IsValid())
            std::memset(output_.bits(), 0, pixels);
        else if (!output_.Resize(width_, height_))
            return false;
        const size_t tileRows = size_t((height_ + (1 << kTileRowShift) - 1) >> kTileRowShift);
        candidates_.assign(wordsAcross_ * size_t(height_), 0);
        tileReady_.assign(wordsAcross_ * tileRows, 0);
        pending_.clear();
        pending_.reserve(8192);
    } catch (const std::bad_alloc&) {
        output_.Release();
        candidates_ = {};
        tileReady_ = {};
        return false;
    }
    return true;
}

void CSeedFillCore::buildValueTable()
{
    // Distances never exceed kTransparentDistance, so the table need not reach beyond it.
    const uint32_t t = uint32_t(threshold_);
    const uint32_t last = std::min(t, kTransparentDistance) + 1;
    valueTable_.resize(size_t(last) + 1);
    for (uint32_t d = 0; d < last; ++d) {
        const uint32_t v = (t - d) * 255u / t;
        valueTable_[d] = uint8_t(std::max(1u, v));
    }
    valueTable_[last] = 0;
}

void CSeedFillCore::prepareTile(int32_t tileRow, int32_t chunk)
{
    tileReady_[size_t(tileRow) * wordsAcross_ + size_t(chunk)] = 1;
    const int32_t x = chunk << kChunkShift;
    const int32_t n = std::min(1 << kChunkShift, width_ - x);
    const int32_t top = tileRow << kTileRowShift;
    const int32_t bottom = std::min(top + (1 << kTileRowShift), height_);
    MatchBox({x, top, n, bottom - top}, output_.row(top) + x, output_.RowStep());
    for (int32_t y = top; y < bottom; ++y) {
        uint8_t* values = output_.row(y) + x;
        BarrierRow(y, x, n, values);
        candidateRow(y)[chunk] = nonZeroBits(values, n);
    }
}

CSeedFillCore::TSpan CSeedFillCore::ExpandSpan(TPoint point)
{
    const uint64_t* c = candidateRow(point.y);
    const int32_t k = point.x >> 6, bit = point.x & 63;
    if (!((c[k] >> bit) & 1))
        return {0, -1};
    // Word by word, each prepared before it is read; beyond the image's width the bits are 0.
    int32_t right = 0;
    for (int32_t j = k;; ++j) {
        if (j > k)
            ensureChunk(point.y, j);
        const uint64_t gaps = ~c[j] & (j == k ? bitsFrom(bit) : ~uint64_t(0));
        if (gaps) {
            right = (j << 6) + __builtin_ctzll(gaps) - 1;
            break;
        }
        if (size_t(j + 1) == wordsAcross_) {
            right = width_ - 1;
            break;
        }
    }
    int32_t left = 0;
    for (int32_t j = k;; --j) {
        if (j < k)
            ensureChunk(point.y, j);
        const uint64_t gaps = ~c[j] & (j == k ? bitsUpTo(bit) : ~uint64_t(0));
        if (gaps) {
            left = (j << 6) + (63 - __builtin_clzll(gaps)) + 1;
            break;
        }
        if (j == 0) {
            left = 0;
            break;
        }
    }
    return {left, right};
}

void CSeedFillCore::WriteSpan(int32_t y, TSpan span)
{
    // The channel holds the match values already; the span's pixels stop being candidates.
    uint64_t* c = candidateRow(y);
    const int32_t first = span.left >> 6, last = span.right >> 6;
    for (int32_t j = first; j <= last; ++j) {
        uint64_t keep = 0;
        if (j == first && (span.left & 63))
            keep |= ~bitsFrom(span.left & 63);
        if (j == last && (span.right & 63) != 63)
            keep |= ~bitsUpTo(span.right & 63);
        c[j] &= keep;
    }
    filled_.left = std::min(filled_.left, span.left);
    filled_.right = std::max(filled_.right, span.right + 1);
    filled_.top = std::min(filled_.top, y);
    filled_.bottom = std::max(filled_.bottom, y + 1);
}

void CSeedFillCore::push(TPoint point)
{
    pending_.push_back(point);
    peakPending_ = std::max(peakPending_, pending_.size());
}

void CSeedFillCore::ScanRow(int32_t y, TSpan span)
{
    if (y < 0 || y >= height_)
        return;
    const uint64_t* c = candidateRow(y);
    const int32_t first = span.left >> 6, last = span.right >> 6;
    uint64_t carry = 0; // the walk starts at span.left: no run continues into it
    for (int32_t j = first; j <= last; ++j) {
        ensureChunk(y, j);
        uint64_t run = c[j];
        if (j == first)
            run &= bitsFrom(span.left & 63);
        if (j == last)
            run &= bitsUpTo(span.right & 63);
        // The first pixel of every run: set, with the pixel before it clear.
        uint64_t starts = run & ~((run << 1) | carry);
        carry = run >> 63;
        while (starts) {
            push({(j << 6) + __builtin_ctzll(starts), y});
            starts &= starts - 1;
        }
    }
}

void CSeedFillCore::clearUnreached()
{
    for (int32_t y = 0; y < height_; ++y) {
        const uint64_t* c = candidateRow(y);
        uint8_t* o = output_.row(y);
        for (size_t j = 0; j < wordsAcross_; ++j)
            for (uint64_t left = c[j]; left; left &= left - 1)
                o[(j << 6) + size_t(__builtin_ctzll(left))] = 0;
    }
}

bool CSeedFillCore::Fill(TPoint seed, int32_t limit)
{
    // 2·L² in the 32-bit arithmetic of the setting; a limit of 0 keeps the old threshold.
    const int32_t t = int32_t(2u * uint32_t(limit) * uint32_t(limit));
    if (t > 0)
        threshold_ = t;
    overflow_ = false;
    peakPending_ = 0;
    filled_ = {width_, height_, 0, 0};
    if (seed.x < 0 || seed.y < 0 || seed.x >= width_ || seed.y >= height_ || !prepare()) {
        filled_ = {};
        return false;
    }
    TakeReference(seed);
    buildValueTable();
    try {
        ensureChunk(seed.y, seed.x >> kChunkShift);
        push(seed);
        while (!pending_.empty()) {
            const TPoint p = pending_.back();
            pending_.pop_back();
            const TSpan span = ExpandSpan(p);
            if (span.right < span.left)
                continue;
            WriteSpan(p.y, span);
            ScanRow(p.y - 1, span);
            ScanRow(p.y + 1, span);
        }
    } catch (const std::bad_alloc&) {
        overflow_ = true;
        if (messages_)
            messages_->showMessage(kRegionTooComplexMessage);
    }
    clearUnreached();
    pending_ = {};
    candidates_ = {}; // a bit a pixel: not kept beyond the fill
    tileReady_ = {};
    if (filled_.isEmpty())
        filled_ = {};
    if (!overflow_ && antiAlias_)
        Finish();
    return true;
}

void CSeedFillCore::Finish()
{
    if (!output_.IsValid() || filled_.isEmpty())
        return;
    const int32_t w = width_, h = height_;
    const TRect box = filled_;
    // The ring lies within one pixel of the filled rectangle.
    const TRect ring{std::max(box.left - 1, 0), std::max(box.top - 1, 0),
                     std::min(box.right + 1, w), std::min(box.bottom + 1, h)};
    const int32_t ringWidth = ring.right - ring.left;
    // 1. Solid inside, a row ahead of the marking, which looks one row down.
    auto solidify = [&](int32_t y) {
        if (y < box.top || y >= box.bottom)
            return;
        uint8_t* o = output_.row(y);
        for (int32_t x = box.left; x < box.right; ++x)
            o[x] = o[x] ? 255 : 0;
    };
    // 2. The marks of a row: its zeros beside a 255 in the row (never at the row's ends) or in
    //    the column (never on the top or bottom row). They are found from the solid state of
    //    three rows, so a row's luminance (step 3) is written only once the row below has its
    //    marks.
    const std::vector<uint8_t> noRow(size_t(w), 0);
    std::vector<uint8_t> marks(static_cast<size_t>(ringWidth));
    std::vector<int32_t> xs, previousXs;
    int32_t previousY = -1;
    TRect grown = box;
    auto applyLuma = [&](int32_t y, std::vector<int32_t>& at) {
        if (at.empty())
            return;
        uint8_t* o = output_.row(y);
        RingLuma(y, at.data(), int32_t(at.size()), o);
        for (int32_t x : at)
            if (o[x] != 0)
                grown = unionRect(grown, {x, y, x + 1, y + 1});
    };
    solidify(ring.top);
    for (int32_t y = ring.top; y < ring.bottom; ++y) {
        solidify(y + 1);
        const uint8_t* o = output_.row(y);
        const bool columnEnds = y == 0 || y == h - 1;
        const uint8_t* up = columnEnds ? noRow.data() : output_.row(y - 1);
        const uint8_t* down = columnEnds ? noRow.data() : output_.row(y + 1);
        const bool rowMarks = y >= box.top && y < box.bottom; // other rows hold no 255
        // Branch-free, so that the compiler can do many bytes at a time.
        uint8_t* __restrict m = marks.data(); // m[i] for x = ring.left + i
        for (int32_t x = ring.left; x < ring.right; ++x)
            m[x - ring.left] = uint8_t(o[x] == 0) & (uint8_t(up[x] == 255) | uint8_t(down[x] == 255));
        if (rowMarks) {
            const int32_t first = std::max(ring.left, 1), end = std::min(ring.right, w - 1);
            for (int32_t x = first; x < end; ++x)
                m[x - ring.left] |=
                    uint8_t(o[x] == 0) & (uint8_t(o[x - 1] == 255) | uint8_t(o[x + 1] == 255));
        }
        xs.clear();
        for (int32_t i = 0; i < ringWidth; i += 64)
            for (uint64_t bits = nonZeroBits(m + i, std::min(64, ringWidth - i)); bits;
                 bits &= bits - 1)
                xs.push_back(ring.left + i + __builtin_ctzll(bits));
        // 3. The marks of the row above are final now: they take the luminance of the line
        //    they touch.
        applyLuma(previousY, previousXs);
        std::swap(xs, previousXs);
        previousY = y;
    }
    applyLuma(previousY, previousXs);
    filled_ = grown;
}

void CSeedFillCore::SolidifyInterior()
{
    solidifyInterior(output_, filled_);
}

uint32_t CSeedFillCore::Distance(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return UINT32_MAX;
    uint32_t d = 0;
    DistanceRow(y, x, 1, &d);
    return d;
}

bool CSeedFillCore::IsFilled(int32_t x, int32_t y) const
{
    uint8_t v = 0;
    if (output_.getValue(x, y, v) && v != 0)
        return true;
    // The barrier counts as filled.
    uint8_t open = 1;
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
        BarrierRow(y, x, 1, &open);
    return open == 0;
}

void solidifyInterior(TChannel& channel, TRect within)
{
    if (!channel.IsValid())
        return;
    const int32_t w = channel.width(), h = channel.height();
    if (within.isEmpty())
        within = {0, 0, w, h};
    // Interior pixels only: the image's border keeps its values. Non-zero bytes stay
    // non-zero, so the neighbours' test is the same before and after a pixel changes.
    const int32_t left = std::max(within.left, 1), right = std::min(within.right, w - 1);
    for (int32_t y = std::max(within.top, 1); y < std::min(within.bottom, h - 1); ++y) {
        uint8_t* o = channel.row(y);
        const uint8_t* up = channel.row(y - 1);
        const uint8_t* down = channel.row(y + 1);
        for (int32_t x = left; x < right; ++x)
            if (o[x] != 0 && o[x - 1] != 0 && o[x + 1] != 0 && up[x] != 0 && down[x] != 0)
                o[x] = 255;
    }
}

// ---- the mask barrier ----

void TMaskBarrier::apply(int32_t y, int32_t x, int32_t count, uint8_t* values) const
{
    coverage_.assign(size_t(count), 0); // outside the mask counts as coverage 0
    if (mask_.IsValid())
        mask_.coverage->ReadRow(x + offset_.x, y + offset_.y, count, coverage_.data());
    for (int32_t i = 0; i < count; ++i)
        values[i] = coverage_[size_t(i)] ? values[i] : uint8_t(0);
}

// ---- the layer variants ----

CSeedFill::CSeedFill(const CBlockVMTC& image)
    : CSeedFillCore(image.IsValid() ? image.width() : 0, image.IsValid() ? image.height() : 0),
      image_(image)
{
}

void CSeedFill::TakeReference(TPoint seed)
{
    reference_ = image_.GetPixel(seed.x, seed.y);
}

void CSeedFill::DistanceRow(int32_t y, int32_t x, int32_t count, uint32_t* distances) const
{
    layerRow(image_, y, x, count, distances, TRgbDistance{reference_}, TAsDistance{});
}

void CSeedFill::MatchBox(TBox box, uint8_t* values, int32_t stride) const
{
    layerBox(image_, box, values, stride, TRgbDistance{reference_}, matchValues());
}

void CSeedFill::RingLuma(int32_t y, const int32_t* xs, int32_t count, uint8_t* row) const
{
    // The marks come in ascending order: each block is looked up once. The pixels were read
    // long ago: ask for all of them before the first is used.
    const int32_t shift = image_.blockShift(), mask = image_.blockMask();
    ringPixels_.resize(size_t(count));
    const TBlockInfo* block = nullptr;
    int32_t blockX = -1;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = xs[i];
        if (x >> shift != blockX) {
            blockX = x >> shift;
            block = image_.GetBlock(blockX, y >> shift);
        }
        const uint32_t* p =
            block->allocated ? image_.blockRow(*block, y & mask) + (x & mask) : &block->fill;
        __builtin_prefetch(p);
        ringPixels_[size_t(i)] = p;
    }
    for (int32_t i = 0; i < count; ++i)
        row[xs[i]] = layerRingLuma(*ringPixels_[size_t(i)]);
}

void CSeedFillWithAlpha::TakeReference(TPoint seed)
{
    const uint32_t p = image_.GetPixel(seed.x, seed.y);
    const uint32_t a = p >> 24;
    transparent_ = a == 0;
    background_ = Luma(p) > 128 ? 0x000000u : 0xFFFFFFu;
    reference_ = blendOverBackground(p, background_, a);
}

void CSeedFillWithAlpha::DistanceRow(int32_t y, int32_t x, int32_t count,
                                     uint32_t* distances) const
{
    if (transparent_)
        layerRow(image_, y, x, count, distances, TAlphaOnlyDistance{}, TAsDistance{});
    else
        layerRow(image_, y, x, count, distances, TBlendedDistance{reference_, background_},
                 TAsDistance{});
}

void CSeedFillWithAlpha::MatchBox(TBox box, uint8_t* values, int32_t stride) const
{
    if (transparent_)
        layerBox(image_, box, values, stride, TAlphaOnlyDistance{}, matchValues());
    else
        layerBox(image_, box, values, stride, TBlendedDistance{reference_, background_},
                 matchValues());
}

// ---- the view variants ----

CSeedFillTC::CSeedFillTC(const TMTC& view)
    : CSeedFillCore(view.IsValid() ? view.width() : 0, view.IsValid() ? view.height() : 0),
      view_(view)
{
}

void CSeedFillTC::TakeReference(TPoint seed)
{
    reference_ = view_.pixel(seed.x, seed.y);
}

void CSeedFillTC::DistanceRow(int32_t y, int32_t x, int32_t count, uint32_t* distances) const
{
    flatRow(view_, y, x, count, distances, TRgbDistance{reference_}, TAsDistance{});
}

void CSeedFillTC::MatchBox(TBox box, uint8_t* values, int32_t stride) const
{
    flatBox(view_, box, values, stride, TRgbDistance{reference_}, matchValues());
}

void CSeedFillTC::RingLuma(int32_t y, const int32_t* xs, int32_t count, uint8_t* row) const
{
    const uint32_t* p = view_.row(y);
    for (int32_t i = 0; i < count; ++i)
        __builtin_prefetch(p + xs[i]);
    for (int32_t i = 0; i < count; ++i)
        row[xs[i]] = uint8_t(Luma(p[xs[i]]));
}

} // namespace qm

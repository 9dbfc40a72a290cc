// Exact area averaging. Pixel formats: 32-bit BGRA (0xAARRGGBB, not premultiplied, four bytes
// averaged alike) or 8-bit single-channel; `Channels` is the byte count of one pixel.
#include "core/scale_image.h"

#include "core/colour_model.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace qm {

namespace {

using u128 = unsigned __int128;

constexpr int64_t kOne = CScaleImage::kOne;

// One axis of a sample rectangle: the source pixels it touches and their 16.16 weights.
struct TSpan {
    int32_t first = 0;
    int32_t last = 0;
    uint32_t firstWeight = 0; // covered part of the first pixel (kOne when whole)
    uint32_t lastWeight = 0;  // covered part of the last pixel
    uint64_t extent = 0;      // total covered length, 16.16
};

// The part of [a, b) inside 0 .. size × 65536. A span within one pixel takes that pixel at full
// weight and counts as one pixel long; so does a zero-width span inside the source (upscales
// beyond 65536× have ScaleX 0, and should still copy the nearest pixel to the left).
bool spanOf(int64_t a, int64_t b, int32_t size, TSpan& s)
{
    const int64_t limit = int64_t(size) * kOne;
    if (size <= 0 || b < a)
        return false;
    if (a == b) {
        if (a < 0 || a >= limit)
            return false;
        b = a + 1;
    }
    a = std::max<int64_t>(a, 0);
    b = std::min(b, limit);
    if (a >= b)
        return false;
    s.first = int32_t(a >> 16);
    s.last = int32_t((b - 1) >> 16); // b is exclusive: a span ending on a boundary stops before it
    if (s.first == s.last) {
        s.firstWeight = s.lastWeight = uint32_t(kOne);
        s.extent = uint64_t(kOne);
        return true;
    }
    s.firstWeight = uint32_t(kOne - (a & 0xFFFF));
    s.lastWeight = uint32_t(b - (int64_t(s.last) << 16));
    s.extent = uint64_t(b - a);
    return true;
}

uint32_t weightAt(const TSpan& s, int32_t p)
{
    if (p == s.first)
        return s.firstWeight;
    return p == s.last ? s.lastWeight : uint32_t(kOne);
}

// Weighted sum of one source row over the span, per channel, in 16.16 units. `p` addresses the
// span's first pixel. Whole pixels are summed plainly and scaled once. Inlined: it runs once
// per destination pixel and source row, mostly over two or three pixels.
template <int Channels>
[[gnu::always_inline]] inline void accumulateRow(uint64_t (&sum)[Channels], const uint8_t* p,
                                                 const TSpan& s)
{
    if (s.first == s.last) {
        for (int c = 0; c < Channels; ++c)
            sum[c] = uint64_t(p[c]) << 16;
        return;
    }
    const int32_t n = s.last - s.first;
    uint64_t whole[Channels] = {};
    for (int32_t k = 1; k < n; ++k)
        for (int c = 0; c < Channels; ++c)
            whole[c] += p[k * Channels + c];
    const uint8_t* lastPixel = p + n * Channels;
    for (int c = 0; c < Channels; ++c)
        sum[c] = uint64_t(p[c]) * s.firstWeight + (whole[c] << 16) +
                 uint64_t(lastPixel[c]) * s.lastWeight;
}

// Most areas fit 64 bits; the 128-bit division is only for areas of many thousand pixels.
inline u128 divide(u128 a, u128 b)
{
    if ((a >> 64) == 0 && (b >> 64) == 0)
        return uint64_t(a) / uint64_t(b);
    return a / b;
}

// Each channel is the truncated mean, limited to a byte (the limit only guards).
template <int Channels>
void storePixel(uint8_t* out, const u128* sum, u128 area)
{
    if (area == u128(1) << 32) { // one pixel's area: most pixels of an enlargement
        for (int c = 0; c < Channels; ++c)
            out[c] = uint8_t(std::min<u128>(sum[c] >> 32, 255));
        return;
    }
    for (int c = 0; c < Channels; ++c)
        out[c] = uint8_t(std::min<u128>(divide(sum[c], area), 255));
}

// storePixel for sums that fit 64 bits (so does the area then): the same truncated means.
template <int Channels>
void storeNarrow(uint8_t* out, const uint64_t* sum, uint64_t area)
{
    if ((area & (area - 1)) == 0) { // a power of two: the quotient is a shift
        const int bits = __builtin_ctzll(area);
        for (int c = 0; c < Channels; ++c)
            out[c] = uint8_t(std::min<uint64_t>(sum[c] >> bits, 255));
        return;
    }
    for (int c = 0; c < Channels; ++c)
        out[c] = uint8_t(std::min<uint64_t>(sum[c] / area, 255));
}

// One destination row lying inside one source row (row weight and extent 1.0 cancel):
// each pixel is its column's row sum over the column extent, or the one pixel it lies in.
template <int Channels>
void singleRow(uint8_t* out, const uint8_t* line, const std::vector<TSpan>& columns,
               int32_t firstColumn)
{
    for (size_t i = 0; i < columns.size(); ++i, out += Channels) {
        const TSpan& span = columns[i];
        const uint8_t* p = line + size_t(span.first - firstColumn) * Channels;
        if (span.first == span.last) {
            std::memcpy(out, p, Channels);
            continue;
        }
        uint64_t rowSum[Channels];
        accumulateRow<Channels>(rowSum, p, span);
        storeNarrow<Channels>(out, rowSum, span.extent);
    }
}

// Clips a box to an image without overflowing on extreme coordinates.
bool clipBox(TBox& box, int32_t width, int32_t height)
{
    const int64_t left = std::max<int64_t>(box.x, 0);
    const int64_t top = std::max<int64_t>(box.y, 0);
    const int64_t right = std::min<int64_t>(int64_t(box.x) + box.width, width);
    const int64_t bottom = std::min<int64_t>(int64_t(box.y) + box.height, height);
    if (left >= right || top >= bottom) {
        box = {};
        return false;
    }
    box = {int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
    return true;
}

void checkRow(int32_t x, int32_t y, int32_t count, int32_t width, int32_t height)
{
    if (x < 0 || y < 0 || count < 0 || y >= height || int64_t(x) + count > width)
        throw std::out_of_range("scale: row outside the image");
}

// Both images valid, distinct and still of the sizes the scaler was made for.
template <typename Source, typename Dest>
bool stillMatches(const CScaleImage& scaler, const Source& source, const Dest& dest)
{
    return static_cast<const void*>(&source) != static_cast<const void*>(&dest) &&
           source.IsValid() && dest.IsValid() && source.width() == scaler.sourceWidth() &&
           source.height() == scaler.sourceHeight() && dest.width() == scaler.destWidth() &&
           dest.height() == scaler.destHeight();
}

} // namespace

CScaleImage::CScaleImage(int32_t sourceWidth, int32_t sourceHeight, int32_t destWidth,
                         int32_t destHeight, int32_t bytesPerPixel)
    : sourceWidth_(sourceWidth), sourceHeight_(sourceHeight), destWidth_(destWidth),
      destHeight_(destHeight), bytesPerPixel_(bytesPerPixel == 1 ? 1 : 4)
{
}

bool CScaleImage::Scale(TBox sourceBox, TBox destBox)
{
    try {
        if (!imagesReady() || !clipBox(sourceBox, sourceWidth_, sourceHeight_) ||
            !clipBox(destBox, destWidth_, destHeight_))
            return false;
        // A ratio of 32768 or more has no 16.16 form.
        if (sourceBox.width / destBox.width >= 32768 || sourceBox.height / destBox.height >= 32768)
            return false;
        sourceBox_ = sourceBox;
        destBox_ = destBox;
        ScaleX_ = fixedDiv(sourceBox.width, destBox.width);
        ScaleY_ = fixedDiv(sourceBox.height, destBox.height);
    } catch (...) {
        return false;
    }
    bool ok = true;
    try {
        if (bytesPerPixel_ == 1)
            scaleRows<1>();
        else
            scaleRows<4>();
    } catch (...) {
        ok = false;
    }
    try {
        scaleFinished();
    } catch (...) {
        ok = false;
    }
    return ok;
}

// Works one destination row at a time: each source row the row touches is fetched once and
// added to every destination pixel's sums. The arithmetic per pixel is exactly SampleArea's;
// the shortcuts below only skip work whose result is known:
// - a destination row inside one source row has row weight and row extent both 1.0, so its
//   pixels are rowSum / column extent (the common 1.0 factor cancels) and a column inside one
//   source pixel is that pixel; consecutive rows on the same source row come out the same, so
//   the row is computed once;
// - a channel sum never exceeds 255 × area, so while that fits 64 bits the sums are kept in
//   64 bits, and a power-of-two area divides by a shift.
template <int Channels>
void CScaleImage::scaleRows()
{
    const int32_t width = destBox_.width;
    std::vector<TSpan> columns(size_t(width), TSpan{});
    uint64_t widestColumn = 0;
    for (int32_t i = 0; i < width; ++i) {
        const int64_t x0 = int64_t(sourceBox_.x) * kOne + int64_t(i) * ScaleX_;
        if (!spanOf(x0, x0 + ScaleX_, sourceWidth_, columns[size_t(i)]))
            throw std::logic_error("scale: column outside the source");
        widestColumn = std::max(widestColumn, columns[size_t(i)].extent);
    }
    const int32_t firstColumn = columns.front().first;
    const int32_t columnCount = columns.back().last - firstColumn + 1;
    scratch_.assign((size_t(columnCount) * Channels + 3) / 4, 0);
    // A row span is at most ScaleY long, or one pixel when it lies inside one.
    const uint64_t tallestRows = std::max<uint64_t>(uint64_t(ScaleY_), uint64_t(kOne));
    const bool sums64 = u128(widestColumn) * tallestRows * 255 <= u128(UINT64_MAX);

    std::vector<u128> sums(sums64 ? 0 : size_t(width) * Channels);
    std::vector<uint64_t> narrowSums(sums64 ? size_t(width) * Channels : 0);
    std::vector<uint8_t> out(size_t(width) * Channels);
    int32_t outFromRow = -1; // the source row `out` holds the single-row result of
    for (int32_t j = 0; j < destBox_.height; ++j) {
        const int64_t y0 = int64_t(sourceBox_.y) * kOne + int64_t(j) * ScaleY_;
        TSpan rows;
        if (!spanOf(y0, y0 + ScaleY_, sourceHeight_, rows))
            throw std::logic_error("scale: row outside the source");
        if (rows.first == rows.last) {
            if (rows.first != outFromRow) {
                const uint8_t* line = sourceRow(firstColumn, rows.first, columnCount,
                                                reinterpret_cast<uint8_t*>(scratch_.data()));
                singleRow<Channels>(out.data(), line, columns, firstColumn);
                outFromRow = rows.first;
            }
            writeDestRow(destBox_.x, destBox_.y + j, width, out.data());
            continue;
        }
        outFromRow = -1;
        if (sums64)
            std::fill(narrowSums.begin(), narrowSums.end(), uint64_t(0));
        else
            std::fill(sums.begin(), sums.end(), u128(0));
        for (int32_t y = rows.first; y <= rows.last; ++y) {
            const uint32_t rowWeight = weightAt(rows, y);
            const uint8_t* line = sourceRow(firstColumn, y, columnCount,
                                            reinterpret_cast<uint8_t*>(scratch_.data()));
            for (int32_t i = 0; i < width; ++i) {
                const TSpan& span = columns[size_t(i)];
                uint64_t rowSum[Channels];
                accumulateRow<Channels>(rowSum, line + size_t(span.first - firstColumn) * Channels,
                                        span);
                if (sums64) {
                    uint64_t* s = &narrowSums[size_t(i) * Channels];
                    for (int c = 0; c < Channels; ++c)
                        s[c] += rowSum[c] * rowWeight;
                } else {
                    u128* s = &sums[size_t(i) * Channels];
                    for (int c = 0; c < Channels; ++c)
                        s[c] += u128(rowSum[c]) * rowWeight;
                }
            }
        }
        for (int32_t i = 0; i < width; ++i) {
            uint8_t* o = &out[size_t(i) * Channels];
            if (sums64)
                storeNarrow<Channels>(o, &narrowSums[size_t(i) * Channels],
                                      columns[size_t(i)].extent * rows.extent);
            else
                storePixel<Channels>(o, &sums[size_t(i) * Channels],
                                     u128(columns[size_t(i)].extent) * rows.extent);
        }
        writeDestRow(destBox_.x, destBox_.y + j, width, out.data());
    }
}

bool CScaleImage::SampleArea(uint8_t* out, int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    try {
        if (!out || !imagesReady())
            return false;
        return bytesPerPixel_ == 1 ? sampleOne<1>(out, x0, y0, x1, y1)
                                   : sampleOne<4>(out, x0, y0, x1, y1);
    } catch (...) {
        return false;
    }
}

template <int Channels>
bool CScaleImage::sampleOne(uint8_t* out, int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    TSpan columns, rows;
    if (!spanOf(x0, x1, sourceWidth_, columns) || !spanOf(y0, y1, sourceHeight_, rows))
        return false;
    const int32_t count = columns.last - columns.first + 1;
    if (scratch_.size() < (size_t(count) * Channels + 3) / 4)
        scratch_.resize((size_t(count) * Channels + 3) / 4);
    u128 sum[Channels] = {};
    for (int32_t y = rows.first; y <= rows.last; ++y) {
        const uint8_t* line =
            sourceRow(columns.first, y, count, reinterpret_cast<uint8_t*>(scratch_.data()));
        uint64_t rowSum[Channels];
        accumulateRow<Channels>(rowSum, line, columns);
        const uint32_t rowWeight = weightAt(rows, y);
        for (int c = 0; c < Channels; ++c)
            sum[c] += u128(rowSum[c]) * rowWeight;
    }
    storePixel<Channels>(out, sum, u128(columns.extent) * rows.extent);
    return true;
}

// ---- flat images ----

template <typename Image, typename Base>
bool CScaleFlat<Image, Base>::imagesReady() const
{
    return stillMatches(*this, source_, dest_);
}

template <typename Image, typename Base>
const uint8_t* CScaleFlat<Image, Base>::sourceRow(int32_t x, int32_t y, int32_t count, uint8_t*)
{
    checkRow(x, y, count, source_.width(), source_.height());
    return source_.PixelAddress(x, y);
}

template <typename Image, typename Base>
void CScaleFlat<Image, Base>::writeDestRow(int32_t x, int32_t y, int32_t count,
                                           const uint8_t* pixels)
{
    checkRow(x, y, count, dest_.width(), dest_.height());
    std::memcpy(dest_.PixelAddress(x, y), pixels, size_t(count) * size_t(dest_.BytesPerPixel()));
}

template class CScaleFlat<TMTC, CScaleImage>;
template class CScaleFlat<TChannel, CScaleImage8>;

// ---- tiled 32-bit images ----

CScaleLayerImage::CScaleLayerImage(const CBlockVMTC& source, CBlockVMTC& dest)
    : CScaleImage(source.width(), source.height(), dest.width(), dest.height()), source_(source),
      dest_(dest)
{
}

bool CScaleLayerImage::imagesReady() const
{
    return stillMatches(*this, source_, dest_);
}

// Copied block by block into the scratch row; blocks without storage give their Fill.
const uint8_t* CScaleLayerImage::sourceRow(int32_t x, int32_t y, int32_t count, uint8_t* scratch)
{
    checkRow(x, y, count, source_.width(), source_.height());
    constexpr int32_t mask = CBlockVMTC::kBlock - 1;
    uint8_t* out = scratch;
    while (count > 0) {
        const TBlockInfo* block = source_.BlockAt(x, y);
        if (!block)
            throw std::out_of_range("scale: no source block");
        const int32_t run = std::min(count, CBlockVMTC::kBlock - (x & mask));
        if (block->allocated) {
            std::memcpy(out, source_.blockRow(*block, y & mask) + (x & mask), size_t(run) * 4);
        } else {
            const uint32_t fill = block->fill;
            for (int32_t k = 0; k < run; ++k)
                std::memcpy(out + size_t(k) * 4, &fill, 4);
        }
        out += size_t(run) * 4;
        x += run;
        count -= run;
    }
    return scratch;
}

void CScaleLayerImage::writeDestRow(int32_t x, int32_t y, int32_t count, const uint8_t* pixels)
{
    checkRow(x, y, count, dest_.width(), dest_.height());
    constexpr int32_t mask = CBlockVMTC::kBlock - 1;
    while (count > 0) {
        uint32_t* p = dest_.PixelPointer(x, y);
        if (!p)
            throw std::bad_alloc();
        const int32_t run = std::min(count, CBlockVMTC::kBlock - (x & mask));
        std::memcpy(p, pixels, size_t(run) * 4);
        pixels += size_t(run) * 4;
        x += run;
        count -= run;
    }
}

void CScaleLayerImage::scaleFinished()
{
    dest_.Optimize();
}

} // namespace qm

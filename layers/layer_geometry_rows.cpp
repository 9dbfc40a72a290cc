#include "layers/layer_geometry_rows.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qm {

std::unique_ptr<CLayerData> makeLayerLike(const CLayerData& old, int64_t width, int64_t height,
                                          TPaperSize paper, int64_t offsetX, int64_t offsetY,
                                          bool keepId)
{
    if (!old.image() || width <= 0 || height <= 0 || width > kMaxLayerSide ||
        height > kMaxLayerSide || paper.width <= 0 || paper.height <= 0)
        return nullptr;
    const LayerUndo* oldUndo = old.layerUndo();
    auto layer = CLayerData::make(old.index, old.random.seed,
                                  oldUndo ? oldUndo->createEmpty() : nullptr);
    if ((oldUndo && !layer->layerUndo()) ||
        !layer->CreateImage(int32_t(width), int32_t(height), old.mode))
        return nullptr;
    layer->image()->setMessageSink(&old.image()->messageSink());
    if (keepId)
        layer->id = old.id;
    layer->CopyProperties(old);
    layer->offsetX = int32_t(offsetX);
    layer->offsetY = int32_t(offsetY);
    layer->paperWidth = paper.width;
    layer->paperHeight = paper.height;
    if (!layer->SizeThumbnail(CLayerData::kThumbnailBox, CLayerData::kThumbnailBox))
        return nullptr;
    return layer;
}

bool writeImageRow(CBlockVMTC& image, int32_t x, int32_t y, int32_t count, const uint32_t* pixels)
{
    TBox segment;
    if (!image.clipRowSegment(x, y, count, segment))
        return image.IsValid(); // nothing of the row lies in the picture: nothing to fail
    const int32_t mask = image.blockMask();
    bool ok = true;
    image.forEachBlockPart(segment, [&](TBlockInfo& b, const TBox& part) {
        if (!image.AllocBlock(b)) {
            ok = false;
            return;
        }
        std::memcpy(image.blockRow(b, part.y & mask) + (part.x & mask), pixels + (part.x - x),
                    size_t(part.width) * 4);
    });
    return ok;
}

bool fillImageBox(CBlockVMTC& image, TBox box, uint32_t value)
{
    const int32_t mask = image.blockMask();
    bool ok = true;
    image.forEachBlockPart(box, [&](TBlockInfo& b, const TBox& part) {
        if (!b.allocated && image.coversWholeBlock(part)) {
            b.fill = value;
            return;
        }
        if (!image.AllocBlock(b)) {
            ok = false;
            return;
        }
        for (int32_t y = 0; y < part.height; ++y)
            std::fill_n(image.blockRow(b, (part.y & mask) + y) + (part.x & mask), part.width,
                        value);
    });
    return ok;
}

bool rotate90Blocks(const CBlockVMTC& source, CBlockVMTC& dest, TPoint at, bool clockwise)
{
    if (!source.IsValid() || !dest.IsValid())
        return false;
    const int32_t W = source.width(), H = source.height();
    const int32_t mask = source.blockMask();
    bool ok = true;
    uint32_t column[CBlockVMTC::kBlock];
    for (const TBlockInfo& s : source.blocks()) {
        const int32_t vw = s.validWidth, vh = s.validHeight;
        if (vw <= 0 || vh <= 0)
            continue;
        // The block's turned rectangle: source column x0 + c becomes one destination row.
        const int32_t destX = at.x + (clockwise ? H - s.y0 - vh : s.y0);
        if (!s.allocated) {
            const int32_t destY = at.y + (clockwise ? s.x0 : W - s.x0 - vw);
            ok &= fillImageBox(dest, TBox{destX, destY, vh, vw}, s.fill);
            continue;
        }
        for (int32_t c = 0; c < vw; ++c) {
            const int32_t lx = (s.x0 + c) & mask;
            for (int32_t i = 0; i < vh; ++i) {
                const int32_t ly = clockwise ? vh - 1 - i : i;
                column[i] = source.blockRow(s, ly)[lx];
            }
            const int32_t destY = at.y + (clockwise ? s.x0 + c : W - 1 - (s.x0 + c));
            ok &= writeImageRow(dest, destX, destY, vh, column);
        }
    }
    return ok;
}

void readImageRow(const CBlockVMTC& image, int32_t y, uint32_t* out)
{
    const int32_t mask = image.blockMask();
    const auto& blocks = image.blocks();
    const size_t first = size_t(y >> image.blockShift()) * size_t(image.blocksAcross());
    for (int32_t bx = 0; bx < image.blocksAcross(); ++bx) {
        const TBlockInfo& b = blocks[first + size_t(bx)];
        if (b.allocated)
            std::memcpy(out + b.x0, image.blockRow(b, y & mask), size_t(b.validWidth) * 4);
        else
            std::fill_n(out + b.x0, b.validWidth, b.fill);
    }
}

bool supersampleInto(const CBlockVMTC& source, CBlockVMTC& dest)
{
    const int32_t W = source.width(), H = source.height();
    const int32_t dw = dest.width(), dh = dest.height();
    if (!source.IsValid() || !dest.IsValid() || W <= 0 || H <= 0 || dw <= 0 || dh <= 0)
        return false;
    const int64_t stepX = int64_t(W) * 1024 / dw, stepY = int64_t(H) * 1024 / dh;
    const int64_t quarterX = stepX / 4, quarterY = stepY / 4;
    // The four sample columns of every destination column, computed once.
    std::vector<int32_t> columns(size_t(dw) * 4);
    for (int32_t x = 0; x < dw; ++x)
        for (int32_t i = 0; i < 4; ++i)
            columns[size_t(x) * 4 + size_t(i)] =
                int32_t(std::min<int64_t>((stepX * x + quarterX * i) >> 10, W - 1));
    std::vector<uint32_t> rows(static_cast<size_t>(W) * 4), out(static_cast<size_t>(dw));
    int32_t loaded[4] = {-1, -1, -1, -1};
    // Skipping is only sound while dest reads one value everywhere (a fresh layer image).
    const uint32_t background = dest.blocks().front().fill;
    const bool uniformDest =
        std::all_of(dest.blocks().begin(), dest.blocks().end(), [&](const TBlockInfo& b) {
            return !b.allocated && b.fill == background;
        });
    bool ok = true;
    for (int32_t y = 0; y < dh; ++y) {
        const uint32_t* sampleRow[4];
        for (int32_t j = 0; j < 4; ++j) {
            const auto sy = int32_t(std::min<int64_t>((stepY * y + quarterY * j) >> 10, H - 1));
            uint32_t* slot = rows.data() + size_t(j) * size_t(W);
            if (loaded[j] != sy) {
                readImageRow(source, sy, slot);
                loaded[j] = sy;
            }
            sampleRow[j] = slot;
        }
        int32_t first = -1, last = -1;
        for (int32_t x = 0; x < dw; ++x) {
            const int32_t* cx = columns.data() + size_t(x) * 4;
            uint32_t b = 0, g = 0, r = 0, a = 0;
            for (int32_t j = 0; j < 4; ++j)
                for (int32_t i = 0; i < 4; ++i) {
                    const uint32_t p = sampleRow[j][cx[i]];
                    b += p & 0xFF;
                    g += (p >> 8) & 0xFF;
                    r += (p >> 16) & 0xFF;
                    a += p >> 24;
                }
            const uint32_t mean = (a / 16) << 24 | (r / 16) << 16 | (g / 16) << 8 | b / 16;
            out[size_t(x)] = mean;
            if (!uniformDest || mean != background) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        if (first >= 0)
            ok &= writeImageRow(dest, first, y, last - first + 1, out.data() + first);
    }
    dest.Optimize();
    return ok;
}

namespace {

// The source with a one-pixel border of the outside colour, so that every sample whose four
// pixels touch the image reads memory without a range test per pixel.
struct TPaddedSource {
    int64_t width = 0, height = 0; // of the source
    int64_t stride = 0;
    std::vector<uint32_t> pixels;

    explicit TPaddedSource(const CBlockVMTC& source)
        : width(source.width()), height(source.height()), stride(width + 2),
          pixels(size_t(stride * (height + 2)), kOutsidePixel)
    {
        const int32_t mask = source.blockMask();
        for (const TBlockInfo& b : source.blocks())
            for (int32_t y = 0; y < b.validHeight; ++y) {
                uint32_t* row = pixels.data() + (b.y0 + y + 1) * stride + b.x0 + 1;
                if (b.allocated)
                    std::memcpy(row, source.blockRow(b, (b.y0 + y) & mask),
                                size_t(b.validWidth) * 4);
                else
                    std::fill_n(row, b.validWidth, b.fill);
            }
    }
};

} // namespace

bool rotateBilinear(const CBlockVMTC& source, CBlockVMTC& dest, const TRotationMap& map)
{
    if (!source.IsValid() || !dest.IsValid())
        return false;
    const TPaddedSource padded(source);
    const int64_t W = padded.width, H = padded.height, stride = padded.stride;
    const uint32_t* base = padded.pixels.data();
    std::vector<uint32_t> row(size_t(dest.width()));
    bool ok = true;
    for (int32_t j = 0; j < dest.height(); ++j) {
        int64_t x = 0, y = 0;
        map.sourceOf(0, j, x, y);
        int32_t first = -1, last = -1;
        // Stepping one destination pixel adds exactly c and −s: the >> 16 of the mapping acts
        // on sums that differ by whole multiples of 65536.
        for (int32_t i = 0; i < dest.width(); ++i, x += map.r.c, y -= map.r.s) {
            const int64_t px = x - 32768, py = y - 32768;
            const int64_t fx = px >> 16, fy = py >> 16;
            if (fx < -1 || fy < -1 || fx >= W || fy >= H) {
                row[size_t(i)] = kOutsidePixel;
                continue;
            }
            const uint32_t* p = base + (fy + 1) * stride + (fx + 1);
            const int64_t rx = 65536 - (px & 0xFFFF), ry = 65536 - (py & 0xFFFF);
            // The weights sum to 65536, so a channel's sum stays within 0 .. 0xFF0000 and
            // 32-bit sums are exact (the clamp never bites; it is kept as the rule states it).
            const auto w00 = uint32_t((rx * ry) >> 16);
            const auto w10 = uint32_t(((65536 - rx) * ry) >> 16);
            const auto w01 = uint32_t((rx * (65536 - ry)) >> 16);
            const uint32_t w11 = 65536 - w00 - w10 - w01;
            const uint32_t p00 = p[0], p10 = p[1], p01 = p[stride], p11 = p[stride + 1];
            uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const uint32_t sum = ((p00 >> shift) & 0xFF) * w00 + ((p10 >> shift) & 0xFF) * w10 +
                                     ((p01 >> shift) & 0xFF) * w01 + ((p11 >> shift) & 0xFF) * w11;
                out |= (std::min<uint32_t>(sum, 0xFF0000) >> 16) << shift;
            }
            row[size_t(i)] = out;
            if (out != kOutsidePixel) {
                if (first < 0)
                    first = i;
                last = i;
            }
        }
        if (first >= 0)
            ok &= writeImageRow(dest, first, j, last - first + 1, row.data() + first);
    }
    return ok;
}

} // namespace qm

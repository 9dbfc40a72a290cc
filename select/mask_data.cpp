#include "select/mask_data.h"

#include "core/image_ops.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace qm {

int32_t CMaskData::nextSerial()
{
    static std::atomic<uint32_t> counter{0};
    return int32_t(counter.fetch_add(1, std::memory_order_relaxed));
}

CMaskData::CMaskData() : serial(nextSerial())
{
    thumbnail.Resize(1, 1);
}

CMaskData::~CMaskData() = default;

bool CMaskData::createMask(int32_t width, int32_t height, MessageSink& messages)
{
    coverage.reset();
    try {
        auto image = std::make_unique<CBlockVCH>(width, height);
        if (!image->IsValid())
            throw std::bad_alloc();
        image->setMessageSink(&messages);
        coverage = std::move(image);
        return true;
    } catch (const std::bad_alloc&) {
        messages.showMessage(kCreateMaskFailedMessage);
        return false;
    }
}

bool CMaskData::insidePaper(int32_t paperWidth, int32_t paperHeight) const
{
    const TRect r = Bounds();
    return r.left >= 0 && r.top >= 0 && r.right - 1 < paperWidth && r.bottom - 1 < paperHeight;
}

bool CMaskData::ContentBounds(TRect& bounds) const
{
    if (!IsValid())
        return false;
    bool found = false;
    TRect r{};
    const auto include = [&](int32_t x, int32_t y, int32_t w, int32_t h) {
        const TRect part{x, y, x + w, y + h};
        r = found ? unionRect(r, part) : part;
        found = true;
    };
    for (const TBlockInfo& b : coverage->blocks()) {
        if (!b.allocated) {
            if ((b.fill & 0xFF) != 0)
                include(b.x0, b.y0, b.validWidth, b.validHeight);
            continue;
        }
        for (int32_t y = 0; y < b.validHeight; ++y) {
            const uint8_t* row = coverage->blockRow(b, y);
            for (int32_t x = 0; x < b.validWidth; ++x)
                if (row[x] != 0)
                    include(b.x0 + x, b.y0 + y, 1, 1);
        }
    }
    if (found)
        bounds = {r.left - offsetX, r.top - offsetY, r.right - offsetX, r.bottom - offsetY};
    return found;
}

int32_t CMaskData::ValueAt(int32_t x, int32_t y) const
{
    const int32_t lx = x + offsetX, ly = y + offsetY;
    if (!IsValid() || lx < 0 || ly < 0 || lx >= coverage->width() || ly >= coverage->height())
        return -1;
    return coverage->GetPixel(lx, ly);
}

namespace {

// A mask the size of the layer's image at its offset, each coverage byte from one pixel.
template <typename Fn>
bool fromLayer(CMaskData& mask, const CLayerData& layer, MessageSink& messages, Fn&& coverageOf)
{
    const CBlockVMTC* image = layer.image();
    if (!image || !mask.createMask(image->width(), image->height(), messages))
        return false;
    mask.offsetX = layer.offsetX;
    mask.offsetY = layer.offsetY;
    std::vector<uint8_t> row(size_t(image->width()));
    for (int32_t y = 0; y < image->height(); ++y) {
        for (int32_t x = 0; x < image->width(); ++x)
            row[size_t(x)] = coverageOf(image->GetPixel(x, y));
        mask.coverage->WriteRow(0, y, image->width(), row.data());
    }
    mask.coverage->Optimize();
    return true;
}

} // namespace

bool CMaskData::FromLayerBrightness(const CLayerData& layer, bool inverted, MessageSink& messages)
{
    name = std::string("明度(") + layer.name + ")";
    return fromLayer(*this, layer, messages, [inverted](uint32_t p) {
        const uint32_t l = Luma(p);
        return MulTable[p >> 24][inverted ? 255 - l : l];
    });
}

bool CMaskData::FromLayerAlpha(const CLayerData& layer, MessageSink& messages)
{
    name = std::string("ﾏｽｸ(") + layer.name + ")";
    return fromLayer(*this, layer, messages, [](uint32_t p) { return uint8_t(p >> 24); });
}

bool CMaskData::ToLayerAlpha(CLayerData& layer) const
{
    CBlockVMTC* image = layer.image();
    if (!image)
        return false;
    image->SetAlpha(image->bounds(), 0);
    if (!IsValid())
        return true;
    // Layer position (x, y) is paper (x − layer offset), mask (x − layer offset + offset).
    const int32_t dx = offsetX - layer.offsetX, dy = offsetY - layer.offsetY;
    TBox overlap{-dx, -dy, coverage->width(), coverage->height()};
    if (!clipBoxToSize(overlap, image->width(), image->height()))
        return true;
    std::vector<uint8_t> row(size_t(overlap.width));
    for (int32_t y = overlap.y; y < overlap.y + overlap.height; ++y) {
        coverage->ReadRow(overlap.x + dx, y + dy, overlap.width, row.data());
        image->WriteChannelRow(overlap.x, y, overlap.width, 3, row.data());
    }
    image->Optimize();
    return true;
}

bool CMaskData::ClipAlpha(TMTC& image) const
{
    if (!IsValid() || !image.IsValid())
        return false;
    TBox overlap{-offsetX, -offsetY, coverage->width(), coverage->height()};
    if (!clipBoxToSize(overlap, image.width(), image.height()))
        return true;
    for (int32_t y = overlap.y; y < overlap.y + overlap.height; ++y) {
        uint32_t* row = image.row(y);
        for (int32_t x = overlap.x; x < overlap.x + overlap.width; ++x) {
            const uint32_t c = coverage->GetPixel(x + offsetX, y + offsetY);
            row[x] = (row[x] & 0x00FFFFFFu) | uint32_t(MulTable[c][row[x] >> 24]) << 24;
        }
    }
    return true;
}

std::unique_ptr<CMaskData> CMaskData::copy() const
{
    auto mask = std::make_unique<CMaskData>();
    mask->name = name;
    mask->offsetX = offsetX;
    mask->offsetY = offsetY;
    mask->index = index;
    if (thumbnail.IsValid() && mask->thumbnail.Resize(thumbnail.width(), thumbnail.height()))
        copyRect(mask->thumbnail, {0, 0}, thumbnail, thumbnail.bounds());
    if (IsValid()) {
        try {
            mask->coverage = std::make_unique<CBlockVCH>(*coverage);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return mask;
}

bool CMaskData::toChannel(TChannel& channel) const
{
    return IsValid() && channel.Resize(width(), height()) &&
           coverage->CopyTo(channel, {0, 0}, coverage->bounds());
}

bool CMaskData::updateThumbnail(int32_t paperWidth, int32_t paperHeight)
{
    if (paperWidth <= 0 || paperHeight <= 0)
        return false;
    int32_t w = 33, h = 33;
    if (paperHeight < paperWidth)
        h = std::max(1, paperHeight * 33 / paperWidth);
    else
        w = std::max(1, paperWidth * 33 / paperHeight);
    if (thumbnail.width() != w || thumbnail.height() != h) {
        if (!thumbnail.Resize(w, h))
            return false;
        fillAll(thumbnail, 0);
    }
    // The mask drawn grey on black, each thumbnail pixel sampling the paper point it covers.
    for (int32_t ty = 0; ty < h; ++ty) {
        uint32_t* row = thumbnail.row(ty);
        for (int32_t tx = 0; tx < w; ++tx) {
            const int32_t v = ValueAt(int32_t(int64_t(tx) * paperWidth / w),
                                      int32_t(int64_t(ty) * paperHeight / h));
            const uint32_t g = v < 0 ? 0u : uint32_t(v);
            row[tx] = 0xFF000000u | g << 16 | g << 8 | g;
        }
    }
    return true;
}

} // namespace qm

#include "layers/layer_data.h"

#include "core/image_scale.h"

#include "core/image_ops.h"
#include "layers/blend_mode_table.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace qm {

namespace {

// The thumbnail is blanked to transparent white before the first downscale.
constexpr uint32_t kThumbnailBlank = 0x00FFFFFFu;

// Every image the layer owns is built through here: an invalid table (a hostile size, no
// memory) gives nullptr instead of a half-made image.
std::unique_ptr<CBlockVMTC> newImage(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    try {
        auto image = std::make_unique<CBlockVMTC>(width, height);
        if (!image->IsValid())
            return nullptr;
        return image;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// A blank thumbnail for a paper fitted into boxWidth × boxHeight: the long side fills the
// box, the other keeps the aspect ratio (a very thin paper still gets one pixel across).
std::unique_ptr<TMTC> newThumbnail(int32_t paperWidth, int32_t paperHeight, int32_t boxWidth,
                                   int32_t boxHeight)
{
    if (paperWidth <= 0 || paperHeight <= 0 || boxWidth <= 0 || boxHeight <= 0)
        return nullptr;
    int32_t width = boxWidth, height = boxHeight;
    if (paperHeight < paperWidth)
        height = int32_t(std::max<int64_t>(1, int64_t(boxWidth) * paperHeight / paperWidth));
    else
        width = int32_t(std::max<int64_t>(1, int64_t(boxHeight) * paperWidth / paperHeight));
    try {
        auto thumbnail = std::make_unique<TMTC>();
        if (!thumbnail->Resize(width, height) || !fillAll(*thumbnail, kThumbnailBlank))
            return nullptr;
        return thumbnail;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<TMTC> copyOf(const TMTC& source)
{
    try {
        auto copy = std::make_unique<TMTC>();
        if (source.IsValid() && (!copy->Resize(source.width(), source.height()) ||
                                 !copyRect(*copy, TPoint{0, 0}, source, source.bounds())))
            return nullptr;
        return copy;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

CLayerData::~CLayerData() = default;

int32_t CLayerData::takeNextId()
{
    // Unsigned so that the count wraps instead of overflowing.
    static std::atomic<uint32_t> counter{0};
    return int32_t(counter.fetch_add(1, std::memory_order_relaxed));
}

std::unique_ptr<CLayerData> CLayerData::make(int32_t index, uint32_t seed,
                                             std::unique_ptr<LayerUndo> undo)
{
    auto layer = std::make_unique<CLayerData>();
    layer->Create(index, seed, std::move(undo));
    return layer;
}

void CLayerData::Create(int32_t newIndex, uint32_t seed, std::unique_ptr<LayerUndo> undo)
{
    index = newIndex;
    id = takeNextId();
    name.clear();
    offsetX = offsetY = 0;
    paperWidth = paperHeight = 0;
    visible = 0;
    protectAlpha = 0;
    opacity = 255;
    mode = 0;
    blendNoise = 0;
    blendAmount = 255;
    random.Initialise(seed, kRandomLow, kRandomHigh);
    image_.reset();
    thumbnail_.reset();
    layerUndo_ = std::move(undo);
}

bool CLayerData::CreateImage(int32_t width, int32_t height, uint8_t newMode)
{
    // Built aside and put in place only when complete, so a failure keeps the old image.
    auto image = newImage(width, height);
    if (!image || !image->FillAll(neutralColour(newMode)))
        return false;
    auto thumbnail = newThumbnail(width, height, kThumbnailBox, kThumbnailBox);
    if (!thumbnail)
        return false;
    image_ = std::move(image);
    thumbnail_ = std::move(thumbnail);
    offsetX = offsetY = 0;
    paperWidth = width;
    paperHeight = height;
    visible = 1;
    protectAlpha = 0;
    opacity = 255;
    mode = newMode;
    return true;
}

bool CLayerData::CopyContents(const CLayerData& other)
{
    if (&other == this)
        return true;
    // Everything is copied first; the layer changes only once nothing can fail any more.
    std::unique_ptr<CBlockVMTC> image;
    if (other.image_) {
        image = newImage(other.image_->width(), other.image_->height());
        if (!image)
            return false;
        image->setMessageSink(&other.image_->messageSink());
        if (!image->CopyBlocks(*other.image_))
            return false;
    }
    std::unique_ptr<TMTC> thumbnail;
    if (other.thumbnail_ && !(thumbnail = copyOf(*other.thumbnail_)))
        return false;
    std::unique_ptr<LayerUndo> undo;
    if (layerUndo_ && other.layerUndo_ && !(undo = other.layerUndo_->clone()))
        return false;

    image_ = std::move(image);
    thumbnail_ = std::move(thumbnail);
    if (undo)
        layerUndo_ = std::move(undo);
    CopyProperties(other);
    offsetX = other.offsetX;
    offsetY = other.offsetY;
    paperWidth = other.paperWidth;
    paperHeight = other.paperHeight;
    return true;
}

bool CLayerData::CloneFrom(const CLayerData& other)
{
    return other.image_ && CopyContents(other);
}

void CLayerData::CopyProperties(const CLayerData& other)
{
    name = other.name;
    visible = other.visible;
    opacity = other.opacity;
    protectAlpha = other.protectAlpha;
    mode = other.mode;
    blendAmount = other.blendAmount;
    blendNoise = other.blendNoise;
    random = other.random;
}

bool CLayerData::SizeThumbnail(int32_t width, int32_t height)
{
    auto thumbnail = newThumbnail(paperWidth, paperHeight, width, height);
    if (!thumbnail)
        return false;
    thumbnail_ = std::move(thumbnail);
    return true;
}

bool CLayerData::UpdateThumbnail()
{
    if (!image_ || !thumbnail_)
        return false;
    return image_->DownscaleTo(*thumbnail_, TBox{offsetX, offsetY, paperWidth, paperHeight});
}

bool CLayerData::UpdateThumbnail(const TRect& changedOnPaper)
{
    if (!image_ || !thumbnail_)
        return false;
    const TBox part = downscaledPart(changedOnPaper, paperWidth, paperHeight, thumbnail_->width(),
                                     thumbnail_->height());
    return image_->DownscaleTo(*thumbnail_, TBox{offsetX, offsetY, paperWidth, paperHeight}, part);
}

TRect CLayerData::ImageRectOnPaper() const
{
    return {-offsetX, -offsetY, imageWidth() - offsetX, imageHeight() - offsetY};
}

bool CLayerData::IsLargerThanPaper() const
{
    return paperWidth < imageWidth() || paperHeight < imageHeight();
}

bool CLayerData::OffsetInRange(bool clamp)
{
    const int32_t maxX = imageWidth() - paperWidth, maxY = imageHeight() - paperHeight;
    const bool inRange = offsetX >= 0 && offsetX <= maxX && offsetY >= 0 && offsetY <= maxY;
    if (clamp) {
        // Upper bound first: an image narrower than the paper ends at 0, not at a negative.
        offsetX = std::max(0, std::min(offsetX, maxX));
        offsetY = std::max(0, std::min(offsetY, maxY));
    }
    return inRange;
}

std::unique_ptr<CLayerData> CLayerData::CopyPart(int32_t width, int32_t height, TPoint shift) const
{
    if (!image_)
        return nullptr;
    std::unique_ptr<CLayerData> part;
    try {
        part = std::make_unique<CLayerData>();
        part->Create(index, random.seed, layerUndo_ ? layerUndo_->createEmpty() : nullptr);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if ((layerUndo_ && !part->layerUndo_) || !part->CreateImage(width, height, mode))
        return nullptr;
    // The generator carries on from this layer's, so nothing depends on when the copy is made.
    part->random = random;
    part->offsetX = offsetX + shift.x;
    part->offsetY = offsetY + shift.y;
    part->paperWidth = paperWidth;
    part->paperHeight = paperHeight;
    if (!part->SizeThumbnail(kThumbnailBox, kThumbnailBox))
        return nullptr;

    // The new image is all neutral colour already, so source blocks that are nothing but
    // that colour are left out: a shift off the block grid then allocates only where this
    // image has content.
    CBlockVMTC& dest = *part->image_;
    const uint32_t neutral = neutralColour(mode);
    bool ok = true;
    dest.forEachBlockPair(
        *image_, shift, image_->bounds(),
        [&](const TBlockInfo& s, TBlockInfo& d, const TBox& sp, const TBox& dp) {
            if (!ok || (!s.allocated && s.fill == neutral))
                return;
            if (!s.allocated && !d.allocated && dest.coversWholeBlock(dp)) {
                d.fill = s.fill;
                return;
            }
            if (!dest.AllocBlock(d)) {
                ok = false;
                return;
            }
            const int32_t mask = dest.blockMask();
            for (int32_t y = 0; y < dp.height; ++y) {
                uint32_t* row = dest.blockRow(d, (dp.y & mask) + y) + (dp.x & mask);
                if (s.allocated)
                    std::memcpy(row, image_->blockRow(s, (sp.y & mask) + y) + (sp.x & mask),
                                size_t(dp.width) * 4);
                else
                    std::fill_n(row, dp.width, s.fill);
            }
        });
    dest.rebuildContentRegion();
    if (!ok)
        return nullptr;
    return part;
}

bool CLayerData::SetAlphaAll(uint8_t alpha)
{
    return image_ && image_->SetAlpha(image_->bounds(), alpha);
}

bool CLayerData::InvertAlpha()
{
    return image_ && image_->Xor(image_->bounds(), 0xFF000000u);
}

bool CLayerData::ResetColourToNeutral()
{
    return image_ && image_->SetColor(image_->bounds(), neutralColour(mode));
}

std::unique_ptr<CBlockVMTC> CLayerData::SwapImage(std::unique_ptr<CBlockVMTC> image)
{
    std::swap(image_, image);
    return image;
}

int64_t CLayerData::MemoryUsed() const
{
    return (image_ ? image_->MemoryUsed() : 0) + (thumbnail_ ? thumbnail_->ByteSize() : 0);
}

// ---- own undo history ----

bool CLayerData::recordUndo(TBox box)
{
    return layerUndo_ && image_ && layerUndo_->recordBox(*image_, box);
}

bool CLayerData::recordUndoAll()
{
    return layerUndo_ && image_ && layerUndo_->recordAll(*image_);
}

bool CLayerData::undo(TBox& changed)
{
    return layerUndo_ && image_ && layerUndo_->undo(*image_, changed);
}

bool CLayerData::redo(TBox& changed)
{
    return layerUndo_ && image_ && layerUndo_->redo(*image_, changed);
}

bool CLayerData::canUndo() const
{
    return layerUndo_ && layerUndo_->canUndo();
}

bool CLayerData::canRedo() const
{
    return layerUndo_ && layerUndo_->canRedo();
}

int64_t CLayerData::undoMemoryUsed() const
{
    return layerUndo_ ? layerUndo_->memoryUsed() : 0;
}

} // namespace qm

#include "select/mask_mngr.h"

#include "core/debug_output.h"
#include "core/scale_image.h"
#include "select/morphology.h"

#include <algorithm>
#include <new>

namespace qm {

namespace {

TRect channelRect(const TChannel& channel, TPoint origin)
{
    return {-origin.x, -origin.y, channel.width() - origin.x, channel.height() - origin.y};
}

} // namespace

namespace {

// byteFn(to, from, count) over the part of the paper both masks cover.
template <typename ByteFn>
void combineCoverage(const CMaskData& from, CMaskData& to, ByteFn&& byteFn)
{
    if (!from.IsValid() || !to.IsValid())
        return;
    // Paper p is from-local p + from.offset and to-local p + to.offset.
    to.coverage->Combine(*from.coverage, {to.offsetX - from.offsetX, to.offsetY - from.offsetY},
                         from.coverage->bounds(), byteFn);
}

void copyBytes(uint8_t* d, const uint8_t* s, int32_t n)
{
    std::copy_n(s, n, d);
}

} // namespace

void copyCoverage(const CMaskData& from, CMaskData& to)
{
    combineCoverage(from, to, copyBytes);
}

CMaskMngr::CMaskMngr(int32_t paperWidth, int32_t paperHeight, MessageSink* messages)
    : paperWidth_(paperWidth), paperHeight_(paperHeight), messages_(messages)
{
    InsertEmpty(0);
    current_ = 0;
}

CMaskMngr::~CMaskMngr() = default;

void CMaskMngr::setPaperSize(int32_t width, int32_t height)
{
    paperWidth_ = width;
    paperHeight_ = height;
}

std::unique_ptr<CMaskData> CMaskMngr::newEmpty()
{
    return std::make_unique<CMaskData>();
}

void CMaskMngr::renumber()
{
    for (size_t i = 0; i < masks_.size(); ++i)
        masks_[i]->index = int32_t(i);
}

void CMaskMngr::SetCurrent(int32_t i)
{
    if (i == Count())
        InsertEmpty(i);
    if (validIndex(i))
        current_ = i;
}

CMaskData* CMaskMngr::Mask(int32_t i)
{
    i = resolve(i);
    return validIndex(i) ? masks_[size_t(i)].get() : nullptr;
}

const CMaskData* CMaskMngr::Mask(int32_t i) const
{
    i = resolve(i);
    return validIndex(i) ? masks_[size_t(i)].get() : nullptr;
}

int32_t CMaskMngr::LastValidIndex() const
{
    for (int32_t i = Count() - 1; i >= 0; --i)
        if (masks_[size_t(i)]->IsValid())
            return i;
    return -1;
}

int32_t CMaskMngr::InsertEmpty(int32_t i)
{
    auto mask = newEmpty();
    // The counter moves on for every new blank mask and never goes back.
    mask->name = kMaskNameWord + std::to_string(++nameCounter_);
    return InsertMask(i, std::move(mask));
}

int32_t CMaskMngr::InsertMask(int32_t i, std::unique_ptr<CMaskData> mask)
{
    i = resolve(i);
    if (!mask || i < 0 || i > Count())
        return -1;
    masks_.insert(masks_.begin() + i, std::move(mask));
    renumber();
    return i;
}

int32_t CMaskMngr::Duplicate(int32_t i)
{
    const CMaskData* mask = Mask(i);
    if (!mask)
        return -1;
    auto copy = mask->copy();
    if (!copy)
        return -1;
    return InsertMask(resolve(i), std::move(copy));
}

int32_t CMaskMngr::Move(int32_t to, int32_t from)
{
    to = resolve(to);
    from = resolve(from);
    if (!validIndex(to) || !validIndex(from) || to == from)
        return -1;
    auto mask = std::move(masks_[size_t(from)]);
    masks_.erase(masks_.begin() + from);
    masks_.insert(masks_.begin() + to, std::move(mask));
    renumber();
    return to;
}

std::unique_ptr<CMaskData> CMaskMngr::ClearAt(int32_t i)
{
    i = resolve(i);
    if (!validIndex(i))
        return nullptr;
    std::unique_ptr<CMaskData> old;
    replaceKeepingName(i, newEmpty(), old);
    return old;
}

std::unique_ptr<CMaskData> CMaskMngr::Remove(int32_t i)
{
    i = resolve(i);
    if (!validIndex(i))
        return nullptr;
    auto mask = std::move(masks_[size_t(i)]);
    masks_.erase(masks_.begin() + i);
    current_ = std::min(current_, Count() - 1);
    if (antsIndex_ == i)
        HideAnts();
    renumber();
    return mask;
}

std::unique_ptr<CMaskData> CMaskMngr::Put(int32_t i, std::unique_ptr<CMaskData> mask)
{
    i = resolve(i);
    if (!mask)
        return nullptr;
    if (!validIndex(i)) {
        masks_.push_back(std::move(mask));
        renumber();
        return nullptr;
    }
    std::swap(masks_[size_t(i)], mask);
    renumber();
    return mask;
}

bool CMaskMngr::CopyFrom(int32_t dest, int32_t src)
{
    const CMaskData* source = Mask(src);
    if (!source || !Mask(dest))
        return false;
    auto copy = source->copy();
    if (!copy)
        return false;
    Put(resolve(dest), std::move(copy));
    return true;
}

void CMaskMngr::replaceKeepingName(int32_t i, std::unique_ptr<CMaskData> mask,
                                   std::unique_ptr<CMaskData>& replaced)
{
    mask->name = masks_[size_t(i)]->name;
    mask->updateThumbnail(paperWidth_, paperHeight_);
    replaced = Put(i, std::move(mask));
}

std::unique_ptr<CMaskData> CMaskMngr::maskOver(const TRect& rect)
{
    auto mask = newEmpty();
    if (!mask->createMask(rect.width(), rect.height(), messageSink()))
        return nullptr;
    mask->offsetX = -rect.left;
    mask->offsetY = -rect.top;
    return mask;
}

std::unique_ptr<CMaskData> CMaskMngr::croppedToPaper(const CMaskData& mask)
{
    auto cropped = maskOver({0, 0, paperWidth_, paperHeight_});
    if (cropped)
        copyCoverage(mask, *cropped);
    return cropped;
}

std::unique_ptr<CMaskData> CMaskMngr::rebased(std::unique_ptr<CMaskData> mask)
{
    if (!mask || mask->insidePaper(paperWidth_, paperHeight_))
        return mask;
    TRect content;
    if (!mask->ContentBounds(content))
        return croppedToPaper(*mask);
    auto moved = maskOver({content.left, content.top,
                           content.left + std::max(content.width(), paperWidth_),
                           content.top + std::max(content.height(), paperHeight_)});
    if (moved)
        copyCoverage(*mask, *moved);
    return moved;
}

bool CMaskMngr::ApplyChannel(int32_t i, const TChannel& channel, MaskCombine mode, TPoint origin,
                             std::unique_ptr<CMaskData>& replaced)
{
    i = resolve(i);
    if (!validIndex(i) || !channel.IsValid())
        return false;
    const CMaskData& old = *masks_[size_t(i)];
    const TRect channelArea = channelRect(channel, origin);
    // The channel as a mask of its own.
    auto fromChannel = [&]() -> std::unique_ptr<CMaskData> {
        auto mask = maskOver(channelArea);
        if (mask)
            mask->coverage->CopyFrom(channel, {0, 0}, channel.bounds());
        return mask;
    };
    std::unique_ptr<CMaskData> result;
    try {
        switch (mode) {
        case MaskCombine::Replace:
            result = fromChannel();
            break;
        case MaskCombine::Add:
            if (!old.IsValid()) {
                result = fromChannel();
            } else if ((result = maskOver(unionRect(old.Bounds(), channelArea)))) {
                auto n = fromChannel();
                if (!n)
                    return false;
                copyCoverage(*n, *result);
                combineCoverage(old, *result, [](uint8_t* d, const uint8_t* s, int32_t count) {
                    for (int32_t k = 0; k < count; ++k)
                        d[k] = std::max(d[k], s[k]);
                });
            }
            break;
        case MaskCombine::Intersect: {
            if (!old.IsValid())
                return false;
            result = maskOver(unionRect(old.Bounds(), channelArea));
            auto n = fromChannel();
            if (!result || !n)
                return false;
            // Only what lies under the old mask can stay: the rest starts at 0.
            copyCoverage(*n, *result);
            combineCoverage(old, *result, [](uint8_t* d, const uint8_t* s, int32_t count) {
                for (int32_t k = 0; k < count; ++k)
                    d[k] = uint8_t((uint32_t(d[k]) * s[k] * 32897u) >> 23);
            });
            // Outside the old mask's rectangle nothing is selected.
            const TRect keep = old.Bounds();
            const TRect all = result->Bounds();
            for (const TRect& band :
                 {TRect{all.left, all.top, all.right, keep.top}, TRect{all.left, keep.bottom, all.right, all.bottom},
                  TRect{all.left, keep.top, keep.left, keep.bottom},
                  TRect{keep.right, keep.top, all.right, keep.bottom}})
                if (!band.isEmpty())
                    result->coverage->Fill(TBox{band.left + result->offsetX, band.top + result->offsetY,
                                                band.width(), band.height()},
                                           0);
            break;
        }
        case MaskCombine::Subtract: {
            if (!old.IsValid())
                return false;
            // r = min(m, 255 − n): the old mask with the channel taken away, old size and place.
            result = old.copy();
            auto n = fromChannel();
            if (!result || !n)
                return false;
            combineCoverage(*n, *result, [](uint8_t* d, const uint8_t* s, int32_t count) {
                for (int32_t k = 0; k < count; ++k)
                    d[k] = std::min<uint8_t>(d[k], uint8_t(255 - s[k]));
            });
            break;
        }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!result)
        return false;
    if (mode == MaskCombine::Add && !(result = rebased(std::move(result))))
        return false;
    result->coverage->Optimize();
    replaceKeepingName(i, std::move(result), replaced);
    return true;
}

bool CMaskMngr::Combine(int32_t dest, int32_t src, MaskCombine mode,
                        std::unique_ptr<CMaskData>& replaced)
{
    dest = resolve(dest);
    const CMaskData* source = Mask(src);
    CMaskData* target = Mask(dest);
    if (!source || !source->IsValid() || !target)
        return false;
    if (mode != MaskCombine::Replace && target->IsValid()) {
        TChannel channel;
        if (!source->toChannel(channel))
            return false;
        return ApplyChannel(dest, channel, mode, {source->offsetX, source->offsetY}, replaced);
    }
    if (mode == MaskCombine::Subtract || mode == MaskCombine::Intersect)
        return false;
    auto copy = source->copy();
    if (!copy)
        return false;
    replaceKeepingName(dest, std::move(copy), replaced);
    return true;
}

bool CMaskMngr::Invert(int32_t i, std::unique_ptr<CMaskData>& replaced)
{
    CMaskData* mask = Mask(i);
    if (!mask || !mask->IsValid())
        return false;
    if (mask->insidePaper(paperWidth_, paperHeight_)) {
        mask->coverage->Xor(mask->coverage->bounds(), 0xFF);
        mask->updateThumbnail(paperWidth_, paperHeight_);
        return true;
    }
    // The mask reaches outside the paper: a mask over both, where the rest becomes selected.
    auto extended = maskOver(unionRect(mask->Bounds(), {0, 0, paperWidth_, paperHeight_}));
    if (!extended) {
        messageSink().showMessage(kExtendMaskFailedMessage);
        return false;
    }
    copyCoverage(*mask, *extended);
    extended->coverage->Xor(extended->coverage->bounds(), 0xFF);
    replaceKeepingName(resolve(i), std::move(extended), replaced);
    return true;
}

bool CMaskMngr::CropToPaper(int32_t i, std::unique_ptr<CMaskData>& replaced)
{
    const CMaskData* mask = Mask(i);
    if (!mask || !mask->IsValid() || mask->insidePaper(paperWidth_, paperHeight_))
        return false;
    auto cropped = croppedToPaper(*mask);
    if (!cropped)
        return false;
    replaceKeepingName(resolve(i), std::move(cropped), replaced);
    return true;
}

bool CMaskMngr::replaceByMorphology(int32_t i, int n, bool grow,
                                    std::unique_ptr<CMaskData>& replaced)
{
    const CMaskData* mask = Mask(i);
    TRect content;
    if (!mask || n <= 0 || n > kMaxGrowShrink || !mask->ContentBounds(content))
        return false;
    TChannel source(content.width(), content.height()), result;
    if (!source.IsValid() ||
        !mask->coverage->CopyTo(source, {0, 0},
                                TBox{content.left + mask->offsetX, content.top + mask->offsetY,
                                     content.width(), content.height()}))
        return false;
    if (!(grow ? growChannel(source, n, result) : shrinkChannel(source, n, result)))
        return false;
    // The content keeps its place on the paper.
    const int32_t margin = grow ? n : 0;
    return ApplyChannel(resolve(i), result, MaskCombine::Replace,
                        {margin - content.left, margin - content.top}, replaced);
}

bool CMaskMngr::Grow(int32_t i, int n, std::unique_ptr<CMaskData>& replaced)
{
    return replaceByMorphology(i, n, true, replaced);
}

bool CMaskMngr::Shrink(int32_t i, int n, std::unique_ptr<CMaskData>& replaced)
{
    return replaceByMorphology(i, n, false, replaced);
}

namespace {

// newSize / oldSize in 16.16: the integer part, then the remainder scaled by 65536.
int32_t zoomFactor(int32_t newSize, int32_t oldSize)
{
    if (oldSize <= 0)
        return 65536;
    return int32_t((int64_t(newSize / oldSize) << 16) + (int64_t(newSize % oldSize) << 16) / oldSize);
}

int32_t scaled(int32_t value, int32_t factor)
{
    return int32_t((int64_t(factor) * value) >> 16);
}

} // namespace

std::unique_ptr<CMaskData> CMaskMngr::zoomedMask(const CMaskData& mask, int32_t fx, int32_t fy,
                                                 int mode, int32_t newWidth,
                                                 int32_t newHeight) const
{
    auto result = std::make_unique<CMaskData>();
    result->name = mask.name;
    if (mask.IsValid()) {
        const int32_t w = std::max(1, scaled(mask.width(), fx));
        const int32_t h = std::max(1, scaled(mask.height(), fy));
        TChannel source, dest(w, h);
        if (!mask.toChannel(source) || !dest.IsValid())
            throw std::bad_alloc();
        if (mode == 2) {
            CScaleImageCH scaler(source, dest);
            if (!scaler.Scale(source.bounds(), dest.bounds()))
                throw std::bad_alloc();
        } else {
            for (int32_t y = 0; y < h; ++y) {
                const int32_t sy = int32_t(int64_t(y) * source.height() / h);
                for (int32_t x = 0; x < w; ++x)
                    dest.row(y)[x] = source.row(sy)[int64_t(x) * source.width() / w];
            }
        }
        if (!result->createMask(w, h, messageSink()))
            throw std::bad_alloc();
        result->coverage->CopyFrom(dest, {0, 0}, dest.bounds());
        result->coverage->Optimize();
        result->offsetX = scaled(mask.offsetX, fx);
        result->offsetY = scaled(mask.offsetY, fy);
    }
    result->updateThumbnail(newWidth, newHeight);
    return result;
}

std::unique_ptr<CMaskMngr> CMaskMngr::Zoomed(int32_t newWidth, int32_t newHeight, int mode) const
{
    try {
        const int32_t fx = zoomFactor(newWidth, paperWidth_);
        const int32_t fy = zoomFactor(newHeight, paperHeight_);
        auto result = std::make_unique<CMaskMngr>(newWidth, newHeight, messages_);
        result->masks_.clear();
        for (const auto& mask : masks_)
            result->masks_.push_back(zoomedMask(*mask, fx, fy, mode, newWidth, newHeight));
        result->renumber();
        result->current_ = current_;
        result->nameCounter_ = nameCounter_;
        return result;
    } catch (...) {
        debugOutput(kZoomMaskFailedNote);
        return nullptr;
    }
}

bool CMaskMngr::Zoom(int32_t newWidth, int32_t newHeight, int mode)
{
    auto zoomed = Zoomed(newWidth, newHeight, mode);
    if (!zoomed)
        return false;
    masks_ = std::move(zoomed->masks_);
    renumber();
    setPaperSize(newWidth, newHeight);
    HideAnts();
    return true;
}

bool CMaskMngr::UpdateThumbnail(int32_t i)
{
    CMaskData* mask = Mask(i);
    return mask && mask->updateThumbnail(paperWidth_, paperHeight_);
}

void CMaskMngr::UpdateThumbnails()
{
    for (auto& mask : masks_)
        mask->updateThumbnail(paperWidth_, paperHeight_);
}

int64_t CMaskMngr::MemorySize() const
{
    int64_t bytes = 0;
    for (const auto& mask : masks_)
        bytes += mask->memoryUsed();
    return bytes;
}

// ---- ants ----

bool CMaskMngr::ShowAnts(int32_t i)
{
    const CMaskData* mask = Mask(i);
    if (!mask || !mask->IsValid()) {
        HideAnts();
        return false;
    }
    TChannel paper(paperWidth_, paperHeight_);
    if (!paper.IsValid())
        return false;
    mask->coverage->CopyTo(paper, {-mask->offsetX, -mask->offsetY}, mask->coverage->bounds());
    ants_.extract(paper);
    ants_.offset = {};
    antsIndex_ = resolve(i);
    return true;
}

bool CMaskMngr::ShowAntsLocal(int32_t i)
{
    const CMaskData* mask = Mask(i);
    TChannel local;
    if (!mask || !mask->toChannel(local)) {
        HideAnts();
        return false;
    }
    ants_.extract(local);
    ants_.offset = {-mask->offsetX, -mask->offsetY};
    antsIndex_ = resolve(i);
    return true;
}

void CMaskMngr::HideAnts()
{
    ants_.clear();
    antsIndex_ = -1;
}

// ---- the undo manager's view ----

int32_t CMaskMngr::serialAt(int32_t index) const
{
    return validIndex(index) ? masks_[size_t(index)]->serial : -1;
}

int32_t CMaskMngr::indexOfSerial(int32_t serial) const
{
    for (int32_t i = 0; i < Count(); ++i)
        if (masks_[size_t(i)]->serial == serial)
            return i;
    return -1;
}

namespace {
// Undo records hold masks as UndoMaskObject; every one of them came from this list.
std::unique_ptr<CMaskData> asMask(std::unique_ptr<UndoMaskObject>& object)
{
    auto* mask = dynamic_cast<CMaskData*>(object.get());
    if (!mask)
        return nullptr;
    object.release();
    return std::unique_ptr<CMaskData>(mask);
}
} // namespace

bool CMaskMngr::insert(int32_t index, std::unique_ptr<UndoMaskObject>& mask)
{
    if (index < 0 || index > Count() || !dynamic_cast<CMaskData*>(mask.get()))
        return false;
    return InsertMask(index, asMask(mask)) >= 0;
}

std::unique_ptr<UndoMaskObject> CMaskMngr::put(int32_t index, std::unique_ptr<UndoMaskObject>& mask)
{
    if (!validIndex(index) || !dynamic_cast<CMaskData*>(mask.get()))
        return nullptr;
    return Put(index, asMask(mask));
}

bool CMaskMngr::reapply(int32_t index, int32_t /*operation*/)
{
    // The only in-place change is the inversion of a mask inside the paper: it undoes itself.
    CMaskData* mask = Mask(index);
    if (!mask || !mask->IsValid())
        return false;
    mask->coverage->Xor(mask->coverage->bounds(), 0xFF);
    mask->updateThumbnail(paperWidth_, paperHeight_);
    return true;
}

bool CMaskMngr::offset(int32_t index, int32_t dx, int32_t dy)
{
    CMaskData* mask = Mask(index);
    if (!mask)
        return false;
    // Moving the mask right on the paper lowers its offset (mask-local = paper + offset).
    mask->offsetX -= dx;
    mask->offsetY -= dy;
    mask->updateThumbnail(paperWidth_, paperHeight_);
    return true;
}

void CMaskMngr::selectionFlags(int32_t& first, int32_t& second) const
{
    first = shownFlag_ ? *shownFlag_ : selectionFlags_[0];
    second = activeFlag_ ? *activeFlag_ : selectionFlags_[1];
}

void CMaskMngr::setSelectionFlags(int32_t first, int32_t second)
{
    selectionFlags_[0] = first;
    selectionFlags_[1] = second;
    if (shownFlag_ && activeFlag_) {
        *shownFlag_ = first != 0;
        *activeFlag_ = second != 0;
    }
}

std::string CMaskMngr::name(int32_t index) const
{
    const CMaskData* mask = Mask(index);
    return mask ? mask->name : std::string();
}

bool CMaskMngr::setName(int32_t index, const std::string& newName)
{
    CMaskData* mask = Mask(index);
    if (!mask)
        return false;
    mask->name = newName;
    return true;
}

} // namespace qm

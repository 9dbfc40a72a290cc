#include "layers/layer_mngr.h"

#include "core/debug_output.h"

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

namespace qm {

CLayerMngr::CLayerMngr(MessageSink* messages, Clock& clock) : messages_(messages), clock_(&clock) {}

CLayerMngr::~CLayerMngr() = default;

bool CLayerMngr::Construct(int32_t capacity)
{
    Clear();
    maxLayers_ = kMaxLayers;
    current_ = -1;
    nameCounter_ = 0;
    thumbWidth_ = thumbHeight_ = CLayerData::kThumbnailBox;
    try {
        layers_.reserve(size_t(std::clamp(capacity, 0, maxLayers_)));
    } catch (const std::bad_alloc&) {
        debugOutput("CLayerMngr::Construct: no memory for the layer list\n");
        return false;
    }
    return true;
}

void CLayerMngr::SetPaperSize(int32_t width, int32_t height)
{
    paperWidth_ = width;
    paperHeight_ = height;
}

CLayerData* CLayerMngr::Get(int32_t index)
{
    return IsIndex(index) ? layers_[size_t(index)].get() : nullptr;
}

const CLayerData* CLayerMngr::Get(int32_t index) const
{
    return IsIndex(index) ? layers_[size_t(index)].get() : nullptr;
}

int32_t CLayerMngr::SetCurrent(int32_t index)
{
    if (IsIndex(index))
        current_ = index;
    return current_;
}

void CLayerMngr::ClampCurrent()
{
    if (current_ >= Count())
        current_ = Count() - 1;
}

void CLayerMngr::Renumber()
{
    for (size_t i = 0; i < layers_.size(); ++i)
        layers_[i]->index = int32_t(i);
}

// ---- adding and removing ----

int32_t CLayerMngr::CreateLayer(int32_t index, int32_t width, int32_t height, bool visible,
                                uint8_t opacity, uint8_t mode, bool ownUndo)
{
    if (index < 0) {
        messageSink().showMessage(kBadLayerIndexMessage);
        return -1;
    }
    if (!CanAdd()) {
        messageSink().showMessage(kLayerAddFailedMessage);
        return -1;
    }
    std::unique_ptr<CLayerData> layer;
    try {
        std::unique_ptr<LayerUndo> undo;
        if (ownUndo && undoFactory_ && !(undo = undoFactory_())) {
            messageSink().showMessage(kLayerInitFailedMessage);
            return -1;
        }
        layer = CLayerData::make(index, clock_->milliseconds(), std::move(undo));
    } catch (const std::exception&) {
        messageSink().showMessage(kLayerAddFailedMessage);
        return -1;
    }
    if (!layer->CreateImage(width, height, mode)) {
        messageSink().showMessage(kLayerInitFailedMessage);
        return -1;
    }
    layer->opacity = opacity;
    layer->visible = visible ? 1 : 0;
    // A manager that has no paper size yet leaves the layer's paper its image. Every layer of
    // a manager with a paper gets its thumbnail, also one whose image is the paper's size.
    if (paperWidth_ > 0 && paperHeight_ > 0 &&
        (layer->paperWidth != paperWidth_ || layer->paperHeight != paperHeight_ ||
         !layer->thumbnail())) {
        layer->paperWidth = paperWidth_;
        layer->paperHeight = paperHeight_;
        if (!layer->SizeThumbnail(thumbWidth_, thumbHeight_)) {
            messageSink().showMessage(kLayerInitFailedMessage);
            return -1;
        }
    }
    const int32_t position = InsertAt(index, std::move(layer));
    if (position < 0) {
        messageSink().showMessage(kLayerAddFailedMessage);
        return -1;
    }
    if (current_ == -1)
        current_ = 0;
    Renumber();
    return position;
}

int32_t CLayerMngr::AddLayer(int32_t width, int32_t height, bool visible, uint8_t opacity,
                             uint8_t mode, bool ownUndo)
{
    return CreateLayer(Count(), width, height, visible, opacity, mode, ownUndo);
}

int32_t CLayerMngr::InsertAt(int32_t index, std::unique_ptr<CLayerData>&& layer)
{
    if (!layer)
        return -1;
    try {
        // Room first: once reserved, the insertion itself cannot fail and lose the layer.
        layers_.reserve(layers_.size() + 1);
    } catch (const std::exception&) {
        return -1;
    }
    const int32_t position = IsIndex(index) ? index : Count();
    layers_.insert(layers_.begin() + position, std::move(layer));
    return position;
}

int32_t CLayerMngr::InsertExisting(int32_t index, std::unique_ptr<CLayerData>&& layer)
{
    if (index < 0) {
        messageSink().showMessage(kBadLayerIndexMessage);
        return -1;
    }
    const int32_t position = InsertAt(index, std::move(layer));
    if (position < 0)
        return -1;
    ClampCurrent();
    Renumber();
    return position;
}

std::unique_ptr<CLayerData> CLayerMngr::Extract(int32_t index)
{
    if (!IsIndex(index))
        return nullptr;
    std::unique_ptr<CLayerData> layer = std::move(layers_[size_t(index)]);
    layers_.erase(layers_.begin() + index);
    return layer;
}

std::unique_ptr<CLayerData> CLayerMngr::ExtractAndFix(int32_t index)
{
    std::unique_ptr<CLayerData> layer = Extract(index);
    if (layer) {
        ClampCurrent();
        Renumber();
    }
    return layer;
}

bool CLayerMngr::Delete(int32_t index)
{
    return ExtractAndFix(index) != nullptr;
}

std::unique_ptr<CLayerData> CLayerMngr::Replace(int32_t index, std::unique_ptr<CLayerData>&& layer)
{
    if (!IsIndex(index) || !layer)
        return nullptr;
    std::unique_ptr<CLayerData> old = std::exchange(layers_[size_t(index)], std::move(layer));
    Renumber();
    return old;
}

int32_t CLayerMngr::Move(int32_t to, int32_t from)
{
    if (to == from || !IsIndex(from))
        return -1;
    to = std::clamp(to, 0, LastIndex());
    // Rotating the range keeps every other layer's order, and needs no memory.
    const auto first = layers_.begin();
    if (to < from)
        std::rotate(first + to, first + from, first + from + 1);
    else
        std::rotate(first + from, first + from + 1, first + to + 1);
    Renumber();
    return to;
}

int32_t CLayerMngr::Clear()
{
    const int32_t count = Count();
    layers_.clear();
    current_ = -1;
    return count;
}

bool CLayerMngr::CopyLayer(int32_t to, int32_t from)
{
    if (!IsIndex(to) || !IsIndex(from))
        return false;
    return layers_[size_t(to)]->CopyContents(*layers_[size_t(from)]);
}

bool CLayerMngr::SwapWith(int32_t index, CLayerMngr& other, int32_t otherIndex, bool renumberOther)
{
    if (!IsIndex(index) || !other.IsIndex(otherIndex))
        return false;
    std::swap(layers_[size_t(index)], other.layers_[size_t(otherIndex)]);
    Renumber();
    if (renumberOther)
        other.Renumber();
    return true;
}

// ---- IDs ----

int32_t CLayerMngr::IdAt(int32_t index) const
{
    return IsIndex(index) ? layers_[size_t(index)]->id : -1;
}

int32_t CLayerMngr::IndexOfId(int32_t id) const
{
    for (size_t i = 0; i < layers_.size(); ++i)
        if (layers_[i]->id == id)
            return int32_t(i);
    return -1;
}

TFoundLayer CLayerMngr::FindById(int32_t id)
{
    const int32_t index = IndexOfId(id);
    if (index < 0)
        return {};
    return {index, layers_[size_t(index)].get()};
}

// ---- visibility ----

int32_t CLayerMngr::VisibleCount() const
{
    return int32_t(std::count_if(layers_.begin(), layers_.end(),
                                 [](const auto& layer) { return layer->visible != 0; }));
}

int32_t CLayerMngr::FirstVisible() const
{
    for (size_t i = 0; i < layers_.size(); ++i)
        if (layers_[i]->visible)
            return int32_t(i);
    return -1;
}

std::vector<uint8_t> CLayerMngr::SaveVisibility() const
{
    std::vector<uint8_t> saved;
    saved.reserve(layers_.size());
    for (const auto& layer : layers_)
        saved.push_back(layer->visible);
    return saved;
}

void CLayerMngr::ToggleAllVisibility()
{
    for (auto& layer : layers_)
        layer->visible ^= 1;
}

void CLayerMngr::SetAllVisibility(bool visible)
{
    for (auto& layer : layers_)
        layer->visible = visible ? 1 : 0;
}

bool CLayerMngr::ShowOnly(int32_t index)
{
    if (!IsIndex(index))
        return false;
    for (size_t i = 0; i < layers_.size(); ++i)
        layers_[i]->visible = int32_t(i) == index ? 1 : 0;
    return true;
}

// ---- memory ----

void CLayerMngr::FreeLayerUndos()
{
    for (auto& layer : layers_)
        layer->freeLayerUndo();
}

int64_t CLayerMngr::MemoryUsed() const
{
    int64_t total = 0;
    for (const auto& layer : layers_)
        total += layer->MemoryUsed();
    return total;
}

int64_t CLayerMngr::LayerUndoMemory() const
{
    int64_t total = 0;
    for (const auto& layer : layers_)
        total += layer->undoMemoryUsed();
    return total;
}

// ---- names ----

std::string CLayerMngr::DefaultName(int32_t n) const
{
    return kLayerNameWord + std::to_string(int64_t(n) + nameCounter_);
}

bool CLayerMngr::NameNew(int32_t index, int32_t step)
{
    if (!IsIndex(index))
        return false;
    nameCounter_ += step;
    layers_[size_t(index)]->name = DefaultName(0);
    return true;
}

bool CLayerMngr::CopyName(int32_t to, int32_t from)
{
    if (!IsIndex(to) || !IsIndex(from))
        return false;
    layers_[size_t(to)]->name = layers_[size_t(from)]->name;
    return true;
}

} // namespace qm

#include "undo/undo_data.h"

namespace qm {

std::unique_ptr<CLayerData> cloneLayer(const CLayerData& layer)
{
    auto copy = std::make_unique<CLayerData>();
    copy->Create(layer.index, 0);
    if (!copy->CopyContents(layer))
        return nullptr;
    copy->id = layer.id;
    copy->index = layer.index;
    return copy;
}

namespace {

std::unique_ptr<CLayerMngr> cloneList(const CLayerMngr& list)
{
    auto copy = std::make_unique<CLayerMngr>(&list.messageSink(), list.clock());
    copy->SetPaperSize(list.paperWidth(), list.paperHeight());
    for (int32_t i = 0; i < list.Count(); ++i) {
        auto layer = cloneLayer(*list.Get(i));
        if (!layer || copy->InsertExisting(i, std::move(layer)) < 0)
            return nullptr;
    }
    copy->SetCurrent(list.current());
    return copy;
}

} // namespace

int64_t CUndoData::memoryUsed() const
{
    if (!valid)
        return 0;
    int64_t bytes = 0;
    if (snapshot)
        bytes += snapshot->MemoryUsed();
    if (snapshot2)
        bytes += snapshot2->MemoryUsed();
    if (cls == UndoClass::AlphaPlane)
        bytes += int64_t(buffer.size());
    for (const CLayerData* l : {layer.get(), layer2.get()})
        if (l)
            bytes += l->MemoryUsed();
    for (const auto& kept : keptLayers)
        bytes += kept.second->MemoryUsed();
    if (layerList)
        bytes += layerList->MemoryUsed();
    if (maskList)
        bytes += maskList->memoryUsed();
    if (mask)
        bytes += mask->memoryUsed();
    return bytes;
}

std::unique_ptr<CUndoData> CUndoData::clone() const
{
    auto copy = std::make_unique<CUndoData>();
    copy->valid = valid;
    copy->done = done;
    copy->x = x;
    copy->y = y;
    copy->w = w;
    copy->h = h;
    copy->aux = aux;
    copy->layerId = layerId;
    copy->cls = cls;
    copy->kind = kind;
    copy->buffer = buffer;
    copy->p1 = p1;
    copy->p2 = p2;
    copy->p3 = p3;
    copy->p4 = p4;
    copy->otherIds = otherIds;
    copy->maskIdentity = maskIdentity;
    copy->text1 = text1;
    copy->text2 = text2;
    if (snapshot && !(copy->snapshot = std::make_unique<CBlockVMTC>(*snapshot))->IsValid())
        return nullptr;
    if (snapshot2 && !(copy->snapshot2 = std::make_unique<CBlockVMTC>(*snapshot2))->IsValid())
        return nullptr;
    if (layer && !(copy->layer = cloneLayer(*layer)))
        return nullptr;
    if (layer2 && !(copy->layer2 = cloneLayer(*layer2)))
        return nullptr;
    for (const auto& [index, kept] : keptLayers) {
        auto l = cloneLayer(*kept);
        if (!l)
            return nullptr;
        copy->keptLayers.emplace_back(index, std::move(l));
    }
    if (layerList && !(copy->layerList = cloneList(*layerList)))
        return nullptr;
    if (maskList && !(copy->maskList = maskList->clone()))
        return nullptr;
    if (mask && !(copy->mask = mask->clone()))
        return nullptr;
    return copy;
}

} // namespace qm

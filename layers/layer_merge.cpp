#include "layers/layer_merge.h"

#include "layers/merge_modes.h"

namespace qm {

bool MergeLayers(CLayerMngr& layers, int32_t target, int32_t source, int kind,
                 std::unique_ptr<CLayerData>* keptTarget)
{
    CLayerData* t = layers.Get(target);
    const CLayerData* s = layers.Get(source);
    if (!t || !s || target == source || !t->image() || !s->image())
        return false;

    TMergeRow mergeRow;
    // The target's opacity is taken into the alpha of every pixel of the result below, not only
    // of those the source covers, so the merge runs at target opacity 255.
    if (!makeMergeRow(kind, t->mode, s->mode, 255, s->opacity, mergeRow))
        return false;

    const TRect targetRect = t->ImageRectOnPaper();
    const TRect sourceRect = s->ImageRectOnPaper();
    const TRect all = unionRect(targetRect, sourceRect);
    std::unique_ptr<CLayerData> merged = t->CopyPart(
        all.width(), all.height(), {targetRect.left - all.left, targetRect.top - all.top});
    if (!merged || !merged->SizeThumbnail(layers.thumbWidth(), layers.thumbHeight())) {
        layers.messageSink().showMessage(kMergeResizeFailedMessage);
        return false;
    }
    merged->id = t->id;
    merged->name = t->name;
    merged->opacity = t->opacity;

    CBlockVMTC& image = *merged->image();
    if (merged->opacity != 255) {
        const uint8_t* scale = MulTable[merged->opacity].data();
        image.MapPixels(image.bounds(), [scale](uint32_t p) {
            return (p & 0x00FFFFFFu) | uint32_t(scale[p >> 24]) << 24;
        });
    }
    image.Merge(*s->image(), {sourceRect.left - all.left, sourceRect.top - all.top},
                s->image()->bounds(), false, mergeRow);

    merged->opacity = 255;
    if (kind != 0) {
        const TModeInfo* info = modeInfo(merged->mode);
        if (info && (info->flags & kModeInvertAfterUnion))
            image.Xor(image.bounds(), 0x00FFFFFFu);
    }
    image.Optimize();
    merged->UpdateThumbnail();

    std::unique_ptr<CLayerData> old = layers.Replace(target, std::move(merged));
    if (keptTarget)
        *keptTarget = std::move(old);
    layers.Renumber();
    return true;
}

} // namespace qm

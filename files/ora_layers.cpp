#include "files/ora_layers.h"

#include "layers/blend_mode_table.h"

#include <algorithm>

namespace qm {

TOraDocument oraFromLayers(const CLayerMngr& layers, int32_t paperWidth, int32_t paperHeight,
                           int32_t dpi, const TMTC* merged)
{
    TOraDocument doc;
    doc.width = paperWidth;
    doc.height = paperHeight;
    doc.dpi = dpi > 0 ? dpi : 72;
    if (merged && merged->IsValid() && doc.merged.Resize(merged->width(), merged->height()))
        for (int32_t y = 0; y < merged->height(); ++y)
            std::copy_n(merged->row(y), merged->width(), doc.merged.row(y));
    for (int32_t i = 0; i < layers.Count(); ++i) {
        const CLayerData* layer = layers.Get(i);
        if (!layer || !layer->image()) continue;
        TOraLayer out;
        out.name = layer->name;
        out.x = -layer->offsetX;
        out.y = -layer->offsetY;
        out.opacity = layer->opacity;
        out.visible = layer->visible != 0;
        out.mode = layer->mode;
        out.protectAlpha = layer->protectAlpha;
        out.blendNoise = layer->blendNoise;
        out.blendAmount = layer->blendAmount;
        const CBlockVMTC& image = *layer->image();
        if (out.pixels.Resize(image.width(), image.height()))
            image.ExportTo(out.pixels, {0, 0}, false, 255, image.bounds());
        doc.layers.push_back(std::move(out));
    }
    return doc;
}

namespace {

// The image box (in picture coordinates) a layer needs: paper and pixels together, or only
// the paper when that would be too large.
TBox layerBox(const TOraDocument& doc, const TOraLayer& source)
{
    const TBox paper{0, 0, doc.width, doc.height};
    if (!source.pixels.IsValid() || source.pixels.width() <= 0 || source.pixels.height() <= 0)
        return paper;
    const int64_t left = std::min<int64_t>(0, source.x);
    const int64_t top = std::min<int64_t>(0, source.y);
    const int64_t right = std::max<int64_t>(doc.width, int64_t(source.x) + source.pixels.width());
    const int64_t bottom =
        std::max<int64_t>(doc.height, int64_t(source.y) + source.pixels.height());
    if (right - left > kOraMaxSide || bottom - top > kOraMaxSide) return paper;
    return {int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
}

} // namespace

bool layersFromOra(const TOraDocument& doc, CLayerMngr& layers)
{
    layers.Clear();
    if (doc.width <= 0 || doc.height <= 0) return false;
    layers.SetPaperSize(doc.width, doc.height);
    const auto add = [&](const TOraLayer& source) {
        const uint8_t mode =
            (source.mode & 0x7F) < kBlendModeCount ? source.mode : uint8_t(BlendMode::Normal);
        const TBox box = layerBox(doc, source);
        const int32_t at =
            layers.AddLayer(box.width, box.height, source.visible, source.opacity, mode);
        CLayerData* layer = layers.Get(at);
        if (!layer) return false;
        layer->name = source.name;
        layer->offsetX = -box.x;
        layer->offsetY = -box.y;
        layer->protectAlpha = source.protectAlpha;
        layer->blendNoise = source.blendNoise;
        layer->blendAmount = source.blendAmount;
        if (source.pixels.IsValid()) {
            // Inside the box everything lands; a layer cut to the paper loses what lies outside.
            layer->image()->ImportFrom(source.pixels, {source.x - box.x, source.y - box.y}, 255,
                                       source.pixels.bounds());
        }
        layer->UpdateThumbnail();
        return true;
    };
    bool ok = true;
    if (doc.layers.empty()) {
        TOraLayer flat;
        if (doc.merged.IsValid() && flat.pixels.Resize(doc.merged.width(), doc.merged.height()))
            for (int32_t y = 0; y < doc.merged.height(); ++y)
                std::copy_n(doc.merged.row(y), doc.merged.width(), flat.pixels.row(y));
        ok = add(flat);
    } else {
        for (const TOraLayer& layer : doc.layers)
            if (!(ok = add(layer))) break;
    }
    if (!ok) {
        layers.Clear();
        return false;
    }
    layers.SetCurrent(layers.LastIndex());
    return true;
}

} // namespace qm

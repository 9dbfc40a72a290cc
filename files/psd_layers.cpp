#include "files/psd_layers.h"

#include "layers/blend_mode_table.h"

namespace qm {
namespace {

// The smallest box holding every pixel whose alpha is not 0; false when there is none.
bool opaqueBounds(const TMTC& image, TBox& box)
{
    int32_t left = image.width(), right = -1, top = -1, bottom = -1;
    for (int32_t y = 0; y < image.height(); ++y) {
        const uint32_t* p = image.row(y);
        for (int32_t x = 0; x < image.width(); ++x) {
            if ((p[x] >> 24) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            if (top < 0)
                top = y;
            bottom = y;
        }
    }
    if (right < 0)
        return false;
    box = {left, top, right - left + 1, bottom - top + 1};
    return true;
}

} // namespace

TPsdDocument documentFromLayers(const CLayerMngr& layers, int32_t paperWidth,
                                int32_t paperHeight, const TMTC* merged)
{
    TPsdDocument doc;
    doc.width = paperWidth;
    doc.height = paperHeight;
    if (merged && merged->IsValid()) {
        doc.merged.Resize(merged->width(), merged->height());
        for (int32_t y = 0; y < merged->height(); ++y)
            std::copy_n(merged->row(y), merged->width(), doc.merged.row(y));
    }
    TMTC paper;
    if (paperWidth <= 0 || paperHeight <= 0 || !paper.Resize(paperWidth, paperHeight))
        return doc;
    for (int32_t i = 0; i < layers.Count(); ++i) {
        const CLayerData* layer = layers.Get(i);
        if (!layer || !layer->image())
            continue;
        // Whatever the image does not cover stays transparent.
        for (int32_t y = 0; y < paperHeight; ++y)
            std::fill_n(paper.row(y), paperWidth, 0u);
        layer->image()->ExportTo(paper, {0, 0}, false, 255,
                                 {layer->offsetX, layer->offsetY, paperWidth, paperHeight});
        TPsdLayer out;
        out.name = layer->name;
        out.opacity = layer->opacity;
        out.visible = layer->visible != 0;
        out.mode = uint8_t(layer->mode & 0x7F);
        TBox box;
        if (opaqueBounds(paper, box) && out.pixels.Resize(box.width, box.height)) {
            out.left = box.x;
            out.top = box.y;
            for (int32_t y = 0; y < box.height; ++y)
                std::copy_n(paper.row(box.y + y) + box.x, box.width, out.pixels.row(y));
        }
        doc.layers.push_back(std::move(out));
    }
    return doc;
}

bool layersFromDocument(const TPsdDocument& doc, CLayerMngr& layers)
{
    layers.Clear();
    if (doc.width <= 0 || doc.height <= 0)
        return false;
    layers.SetPaperSize(doc.width, doc.height);
    const auto add = [&](const TPsdLayer& source) {
        const uint8_t mode = source.mode < kBlendModeCount ? source.mode : uint8_t(BlendMode::Normal);
        const int32_t at =
            layers.AddLayer(doc.width, doc.height, source.visible, source.opacity, mode);
        CLayerData* layer = layers.Get(at);
        if (!layer)
            return false;
        layer->name = source.name;
        if (source.pixels.IsValid()) {
            // Parts outside the paper are clipped away; a layer entirely outside stays empty.
            layer->image()->ImportFrom(source.pixels, {source.left, source.top}, 255,
                                       source.pixels.bounds());
        }
        layer->UpdateThumbnail();
        return true;
    };
    bool ok = true;
    if (doc.layers.empty()) {
        TPsdLayer flat;
        if (doc.merged.IsValid()) {
            flat.pixels.Resize(doc.merged.width(), doc.merged.height());
            for (int32_t y = 0; y < doc.merged.height(); ++y)
                std::copy_n(doc.merged.row(y), doc.merged.width(), flat.pixels.row(y));
        }
        ok = add(flat);
    } else {
        for (const auto& layer : doc.layers)
            if (!(ok = add(layer)))
                break;
    }
    if (!ok) {
        layers.Clear();
        return false;
    }
    layers.SetCurrent(layers.LastIndex());
    return true;
}

std::string layerExportName(const std::string& paperName, int layerNumber)
{
    const std::string number = "layer" + std::to_string(layerNumber);
    return paperName.empty() ? number : paperName + "_" + number;
}

} // namespace qm

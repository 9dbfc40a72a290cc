#include "files/ora_writer.h"

#include "core/safe_file.h"
#include "files/ora_stack.h"
#include "files/ora_zip.h"
#include "files/png_codec.h"

#include <algorithm>
#include <new>

namespace qm {
namespace {

bool validSide(int32_t side)
{
    return side >= 1 && side <= kOraMaxSide;
}

bool writable(const TOraDocument& doc)
{
    if (!validSide(doc.width) || !validSide(doc.height) ||
        doc.layers.size() > size_t(kOraMaxLayers))
        return false;
    if (doc.merged.IsValid() &&
        (doc.merged.width() != doc.width || doc.merged.height() != doc.height))
        return false;
    for (const TOraLayer& layer : doc.layers)
        if (layer.pixels.IsValid() &&
            (layer.pixels.width() > kOraMaxSide || layer.pixels.height() > kOraMaxSide))
            return false;
    return true;
}

// A layer without content still needs a picture readers can open: one transparent pixel.
const TMTC& layerPicture(const TOraLayer& layer, const TMTC& empty)
{
    return layer.pixels.IsValid() && layer.pixels.width() > 0 && layer.pixels.height() > 0
               ? layer.pixels
               : empty;
}

std::vector<uint8_t> asBytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

std::vector<uint8_t> encodeArchive(const TOraDocument& doc)
{
    COraZipWriter zip;
    if (!zip.add("mimetype", asBytes(kOraMimetype), false) ||
        !zip.add("stack.xml", asBytes(stackXml(doc)), true))
        return {};
    TMTC empty(1, 1);
    empty.row(0)[0] = 0;
    for (size_t i = 0; i < doc.layers.size(); ++i) {
        std::vector<uint8_t> png = encodePng(layerPicture(doc.layers[i], empty));
        if (png.empty() || !zip.add(oraLayerEntryName(i), std::move(png), false)) return {};
    }
    TMTC transparent;
    const TMTC* merged = &doc.merged;
    if (!doc.merged.IsValid()) {
        if (!transparent.Resize(doc.width, doc.height)) return {};
        for (int32_t y = 0; y < doc.height; ++y)
            std::fill_n(transparent.row(y), doc.width, 0u);
        merged = &transparent;
    }
    std::vector<uint8_t> mergedPng = encodePng(*merged, doc.dpi);
    std::vector<uint8_t> thumbnailPng = encodePng(oraThumbnail(*merged));
    if (mergedPng.empty() || thumbnailPng.empty() ||
        !zip.add("mergedimage.png", std::move(mergedPng), false) ||
        !zip.add("Thumbnails/thumbnail.png", std::move(thumbnailPng), false))
        return {};
    return zip.finish();
}

} // namespace

TMTC oraThumbnail(const TMTC& merged)
{
    TMTC out;
    const int32_t w = merged.width(), h = merged.height();
    if (!merged.IsValid() || w <= 0 || h <= 0) return out;
    const int32_t longer = std::max(w, h);
    const int32_t tw =
        longer <= kOraThumbnailSide
            ? w
            : std::max(1, int32_t((int64_t(w) * kOraThumbnailSide + longer / 2) / longer));
    const int32_t th =
        longer <= kOraThumbnailSide
            ? h
            : std::max(1, int32_t((int64_t(h) * kOraThumbnailSide + longer / 2) / longer));
    if (!out.Resize(tw, th)) return out;
    for (int32_t ty = 0; ty < th; ++ty) {
        const int32_t y0 = int32_t(int64_t(ty) * h / th), y1 = int32_t(int64_t(ty + 1) * h / th);
        for (int32_t tx = 0; tx < tw; ++tx) {
            const int32_t x0 = int32_t(int64_t(tx) * w / tw);
            const int32_t x1 = int32_t(int64_t(tx + 1) * w / tw);
            uint64_t a = 0, r = 0, g = 0, b = 0, n = 0;
            for (int32_t y = y0; y < y1; ++y) {
                const uint32_t* row = merged.row(y);
                for (int32_t x = x0; x < x1; ++x) {
                    const uint32_t p = row[x], alpha = p >> 24;
                    a += alpha;
                    r += uint64_t((p >> 16) & 0xFF) * alpha;
                    g += uint64_t((p >> 8) & 0xFF) * alpha;
                    b += uint64_t(p & 0xFF) * alpha;
                    ++n;
                }
            }
            uint32_t pixel = 0;
            if (a > 0) {
                pixel = uint32_t((a + n / 2) / n) << 24 | uint32_t((r + a / 2) / a) << 16 |
                        uint32_t((g + a / 2) / a) << 8 | uint32_t((b + a / 2) / a);
            }
            out.row(ty)[tx] = pixel;
        }
    }
    return out;
}

std::vector<uint8_t> writeOraBytes(const TOraDocument& doc)
{
    if (!writable(doc)) return {};
    try {
        return encodeArchive(doc);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool writeOra(const TOraDocument& doc, const std::string& path)
{
    const std::vector<uint8_t> bytes = writeOraBytes(doc);
    return !bytes.empty() && saveFileReplacing(path, bytes);
}

} // namespace qm

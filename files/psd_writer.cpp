#include "files/psd_writer.h"

#include "core/safe_file.h"
#include "files/big_endian.h"
#include "files/psd_packbits.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>
#include <stdexcept>

namespace qm {
namespace {

// Section lengths are 32-bit; a document too large for them is refused, not written wrong.
void patchLength(BigEndianWriter& out, size_t lengthAt)
{
    const size_t length = out.size() - lengthAt - 4;
    if (length > UINT32_MAX)
        throw std::length_error("PSD section too long");
    out.patchU32(lengthAt, uint32_t(length));
}

// Hands out one row of a plane's bytes.
using RowSource = std::function<void(int32_t y, std::vector<uint8_t>& row)>;

// One plane's data without the compression word: PackBits row counts then rows, or raw rows.
void encodePlane(int32_t width, int32_t height, bool raw, const RowSource& source,
                 std::vector<uint8_t>& counts, std::vector<uint8_t>& data)
{
    std::vector<uint8_t> row(static_cast<size_t>(width));
    for (int32_t y = 0; y < height; ++y) {
        source(y, row);
        if (raw) {
            data.insert(data.end(), row.begin(), row.end());
            continue;
        }
        const size_t before = data.size();
        packBitsEncode(row, data);
        const size_t n = data.size() - before; // ≤ 30000 + 235, fits 16 bits
        counts.push_back(uint8_t(n >> 8));
        counts.push_back(uint8_t(n));
    }
}

RowSource pixelByte(const TMTC& image, int byteIndex)
{
    return [&image, byteIndex](int32_t y, std::vector<uint8_t>& row) {
        const uint8_t* s = reinterpret_cast<const uint8_t*>(image.row(y));
        for (size_t x = 0; x < row.size(); ++x)
            row[x] = s[4 * x + size_t(byteIndex)];
    };
}

void writePascal(BigEndianWriter& out, std::string_view text, size_t padding)
{
    const std::string_view name = utf8Prefix(text, 255);
    out.u8(uint8_t(name.size()));
    out.text(name);
    const size_t used = 1 + name.size();
    out.zeros((padding - used % padding) % padding);
}

void writeUnicode(BigEndianWriter& out, std::string_view text)
{
    const std::u16string units = utf16FromUtf8(text);
    out.u32(uint32_t(units.size()));
    for (const char16_t c : units)
        out.u16(uint16_t(c));
}

void writeResource(BigEndianWriter& out, uint16_t id, const std::vector<uint8_t>& data)
{
    out.text("8BIM");
    out.u16(id);
    out.u16(0); // empty name, padded to even
    out.u32(uint32_t(data.size()));
    out.bytes(data.data(), data.size());
    if (data.size() % 2)
        out.u8(0);
}

bool documentFits(const TPsdDocument& doc)
{
    const auto side = [](int32_t v) { return v >= 1 && v <= kPsdMaxSide; };
    if (!side(doc.width) || !side(doc.height) || doc.layers.size() > size_t(kPsdMaxLayers))
        return false;
    if (doc.merged.IsValid() && (doc.merged.width() != doc.width || doc.merged.height() != doc.height))
        return false;
    if (doc.extraChannels.size() + 4 > 56)
        return false;
    for (const auto& c : doc.extraChannels)
        if (c.pixels.width() > kPsdMaxSide || c.pixels.height() > kPsdMaxSide)
            return false;
    for (const auto& layer : doc.layers) {
        if (layer.pixels.width() > kPsdMaxSide || layer.pixels.height() > kPsdMaxSide)
            return false;
        // The layer's box must stay inside 32-bit coordinates.
        if (int64_t(layer.left) + layer.pixels.width() > INT32_MAX ||
            int64_t(layer.top) + layer.pixels.height() > INT32_MAX)
            return false;
    }
    return true;
}

void writeLayers(BigEndianWriter& out, const TPsdDocument& doc, bool unicodeNames, bool raw)
{
    const size_t sectionAt = out.size();
    out.u32(0); // layer and mask section length, patched below
    out.u32(0); // layer info length, patched below
    const size_t infoStart = out.size();
    // Negative: the merged picture's first alpha channel is its transparency.
    out.i16(int16_t(-int32_t(doc.layers.size())));

    // The channel data of every layer, encoded first because the records carry its lengths.
    static constexpr int16_t kIds[4] = {-1, 0, 1, 2};
    static constexpr int kBytes[4] = {3, 2, 1, 0};
    std::vector<std::vector<uint8_t>> channelData;
    for (const auto& layer : doc.layers) {
        for (int k = 0; k < 4; ++k) {
            std::vector<uint8_t> counts, data;
            encodePlane(layer.pixels.width(), layer.pixels.height(), raw,
                        pixelByte(layer.pixels, kBytes[k]), counts, data);
            std::vector<uint8_t> all = {0, uint8_t(raw ? 0 : 1)};
            all.insert(all.end(), counts.begin(), counts.end());
            all.insert(all.end(), data.begin(), data.end());
            channelData.push_back(std::move(all));
        }
    }

    for (size_t i = 0; i < doc.layers.size(); ++i) {
        const TPsdLayer& layer = doc.layers[i];
        out.i32(layer.top);
        out.i32(layer.left);
        out.i32(layer.top + layer.pixels.height());
        out.i32(layer.left + layer.pixels.width());
        out.u16(4);
        for (int k = 0; k < 4; ++k) {
            out.i16(kIds[k]);
            out.u32(uint32_t(channelData[i * 4 + size_t(k)].size()));
        }
        out.text("8BIM");
        out.u32(blendKeyFromMode(layer.mode));
        out.u8(layer.opacity);
        out.u8(0);                         // clipping: base
        out.u8(layer.visible ? 0 : 0x02); // bit 1: hidden
        out.u8(0);
        const size_t extraAt = out.size();
        out.u32(0); // extra data length, patched below
        out.u32(0); // no layer mask
        out.u32(0); // no blending ranges
        writePascal(out, layer.name, 4);
        if (unicodeNames) {
            out.text("8BIM");
            out.text("luni");
            const size_t lengthAt = out.size();
            out.u32(0);
            writeUnicode(out, layer.name); // 4 + 2n bytes: always even
            out.patchU32(lengthAt, uint32_t(out.size() - lengthAt - 4));
        }
        out.patchU32(extraAt, uint32_t(out.size() - extraAt - 4));
    }
    for (const auto& data : channelData)
        out.bytes(data.data(), data.size());
    if ((out.size() - infoStart) % 2)
        out.u8(0);
    patchLength(out, infoStart - 4);
    out.u32(0); // no global layer mask
    patchLength(out, sectionAt);
}

void writeMerged(BigEndianWriter& out, const TPsdDocument& doc, bool withAlpha, bool raw)
{
    out.u16(raw ? 0 : 1);
    std::vector<RowSource> planes;
    TMTC transparent;
    const TMTC* merged = &doc.merged;
    if (!doc.merged.IsValid()) {
        if (!transparent.Resize(doc.width, doc.height))
            throw std::bad_alloc();
        merged = &transparent;
    }
    planes.push_back(pixelByte(*merged, 2));
    planes.push_back(pixelByte(*merged, 1));
    planes.push_back(pixelByte(*merged, 0));
    if (withAlpha)
        planes.push_back(pixelByte(*merged, 3));
    for (const auto& c : doc.extraChannels) {
        // Placed at (left, top) of a picture-sized plane; the rest is 0.
        planes.push_back([&c](int32_t y, std::vector<uint8_t>& row) {
            std::fill(row.begin(), row.end(), 0);
            const int64_t sy = int64_t(y) - c.top;
            if (!c.pixels.IsValid() || sy < 0 || sy >= c.pixels.height())
                return;
            const uint8_t* s = c.pixels.row(int32_t(sy));
            for (int64_t x = 0; x < int64_t(row.size()); ++x) {
                const int64_t sx = x - c.left;
                if (sx >= 0 && sx < c.pixels.width())
                    row[size_t(x)] = s[sx];
            }
        });
    }
    std::vector<uint8_t> counts, data;
    for (const auto& plane : planes)
        encodePlane(doc.width, doc.height, raw, plane, counts, data);
    out.bytes(counts.data(), counts.size());
    out.bytes(data.data(), data.size());
}

} // namespace

std::vector<uint8_t> writePsdBytes(const TPsdDocument& doc, int version, int flags)
{
    if (!documentFits(doc))
        return {};
    version = std::clamp(version, kPsdSaveVersionMin, kPsdSaveVersionMax);
    const bool unicodeNames = version >= kPsdUnicodeNamesVersion;
    const bool raw = (flags & kPsdFlagRaw) != 0;
    const bool hasLayers = !doc.layers.empty();
    try {
        BigEndianWriter out;
        out.text("8BPS");
        out.u16(1);
        out.u32(0); // six reserved bytes
        out.u16(0);
        out.u16(uint16_t(3 + (hasLayers ? 1 : 0) + doc.extraChannels.size()));
        out.u32(uint32_t(doc.height));
        out.u32(uint32_t(doc.width));
        out.u16(8);
        out.u16(3); // RGB
        out.u32(0); // no colour mode data

        const size_t resourcesAt = out.size();
        out.u32(0);
        {
            BigEndianWriter res;
            const uint32_t dpi = uint32_t(std::clamp(doc.resolution > 0 ? doc.resolution : 72, 1, 65535));
            for (int axis = 0; axis < 2; ++axis) {
                res.u32(dpi << 16); // 16.16 pixels per inch
                res.u16(1);         // shown as pixels per inch
                res.u16(1);         // sizes shown in inches
            }
            writeResource(out, 1005, res.data());
        }
        if (!doc.extraChannels.empty()) {
            BigEndianWriter names;
            for (const auto& c : doc.extraChannels)
                writePascal(names, c.name, 1);
            writeResource(out, 1006, names.data());
            if (unicodeNames) {
                BigEndianWriter unicode;
                for (const auto& c : doc.extraChannels)
                    writeUnicode(unicode, c.name);
                writeResource(out, 1045, unicode.data());
            }
        }
        out.patchU32(resourcesAt, uint32_t(out.size() - resourcesAt - 4));

        if (hasLayers)
            writeLayers(out, doc, unicodeNames, raw);
        else
            out.u32(0);
        writeMerged(out, doc, hasLayers, raw);
        return std::move(out.data());
    } catch (const std::bad_alloc&) {
        return {};
    } catch (const std::length_error&) {
        return {};
    }
}

bool writePsd(const TPsdDocument& doc, const std::string& path, int version, int flags)
{
    const std::vector<uint8_t> bytes = writePsdBytes(doc, version, flags);
    return !bytes.empty() && saveFileReplacing(path, bytes);
}

} // namespace qm
